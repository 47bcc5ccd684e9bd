#pragma once
// libjpeg's error handling as the decoder and the encoder both use it.
// libjpeg reports a fatal error by calling a handler that must not return;
// ours jumps back to the setjmp frame of the call being guarded. Every such
// frame holds only trivial locals, so the jump skips no destructor. Header
// only: whoever includes it links libjpeg already.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace imaging {

struct JpegErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer is ours too
    std::jmp_buf jump;
};

[[noreturn]] inline void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Messages are never printed: errors come back as values.
inline void JpegSilentOutput(j_common_ptr) {}

// libjpeg's defaults with our exit and silence; the result goes in
// cinfo->err.
inline jpeg_error_mgr* UseJpegErrorManager(JpegErrorManager& manager) {
    jpeg_error_mgr* err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = JpegErrorExit;
    manager.pub.output_message = JpegSilentOutput;
    return err;
}

}  // namespace imaging
