#pragma once
// libheif's objects held by unique_ptr, and its errors as our Status.

#include "imaging/core/status.h"

#include <libheif/heif.h>

#include <memory>

namespace imaging::decode::heif {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;
using DecodingOptions = std::unique_ptr<heif_decoding_options, OptionsFree>;

// Memory and libheif's size limits map to OutOfMemory (as our own limits
// do); a codec libheif has no decoder for to UnknownImageFormat; any other
// failure, a damaged or truncated file above all, to GenericError.
inline Status StatusFromHeif(const heif_error& error) {
    switch (error.code) {
        case heif_error_Ok: return Status::Ok;
        case heif_error_Memory_allocation_error: return Status::OutOfMemory;
        case heif_error_Unsupported_filetype:
        case heif_error_Unsupported_feature: return Status::UnknownImageFormat;
        default: break;
    }
    if (error.subcode == heif_suberror_Security_limit_exceeded) return Status::OutOfMemory;
    return Status::GenericError;
}

}  // namespace imaging::decode::heif
