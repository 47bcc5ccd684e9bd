#include "imaging/decode/jxl/jxl_decode.h"

#include "imaging/decode/jxl/jxl_boxes.h"
#include "imaging/decode/jxl/jxl_colour.h"

#include <jxl/decode.h>
#include <jxl/resizable_parallel_runner.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace imaging::decode::jxl {
namespace {

struct DecoderDestroy {
    void operator()(JxlDecoder* d) const { JxlDecoderDestroy(d); }
};
struct RunnerDestroy {
    void operator()(void* r) const { JxlResizableParallelRunnerDestroy(r); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDestroy>;
using Runner = std::unique_ptr<void, RunnerDestroy>;

// A decoder over the whole file, which is all the input there will be:
// running out of it is then an error rather than a request for more.
Decoder MakeDecoder(const QByteArray& file, int events) {
    Decoder decoder(JxlDecoderCreate(nullptr));
    if (!decoder) return decoder;
    if (JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), reinterpret_cast<const std::uint8_t*>(file.constData()),
                           static_cast<std::size_t>(file.size())) != JXL_DEC_SUCCESS)
        return nullptr;
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

Status CheckLimits(const JxlBasicInfo& info, const DecodeLimits& limits) {
    const std::int64_t w = info.xsize, h = info.ysize, pixels = w * h;
    if (w <= 0 || h <= 0) return Status::GenericError;
    if (w > limits.maxSide || h > limits.maxSide || pixels > limits.maxPixels || pixels * 4 > limits.maxBytes)
        return Status::OutOfMemory;
    return Status::Ok;
}

void ReadBasicInfo(const JxlBasicInfo& info, Summary& summary) {
    const bool swap = info.orientation >= JXL_ORIENT_TRANSPOSE;  // 5..8 turn a quarter
    summary.width = static_cast<int>(swap ? info.ysize : info.xsize);
    summary.height = static_cast<int>(swap ? info.xsize : info.ysize);
    summary.alpha = info.alpha_bits > 0;
    summary.grey = info.num_color_channels == 1;
    summary.animation = info.have_animation != 0;
    summary.usesOriginalProfile = info.uses_original_profile != 0;
}

// Grey (and grey with alpha) samples widened to RGB(A).
void WidenGrey(PixelBuffer& out, const std::vector<std::uint8_t>& grey, int channels) {
    const bool alpha = out.layout() == PixelLayout::Rgba8;
    const std::size_t srcStride = static_cast<std::size_t>(out.width()) * static_cast<std::size_t>(channels);
    for (int y = 0; y < out.height(); ++y) {
        const std::uint8_t* src = grey.data() + srcStride * static_cast<std::size_t>(y);
        std::uint8_t* dst = out.row(y);
        for (int x = 0; x < out.width(); ++x, src += channels) {
            *dst++ = src[0];
            *dst++ = src[0];
            *dst++ = src[0];
            if (alpha) *dst++ = src[1];
        }
    }
}

// Hands libjxl the buffer for the frame: `out` itself for colour pictures
// (libjxl's row alignment of 64 matches our stride), a grey buffer
// widened afterwards otherwise.
Status SetOutput(JxlDecoder* decoder, const Summary& summary, PixelBuffer& out, std::vector<std::uint8_t>& grey) {
    const int colour = summary.grey ? 1 : 3;
    const std::uint32_t channels = static_cast<std::uint32_t>(colour + (summary.alpha ? 1 : 0));
    const JxlPixelFormat format{channels, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, summary.grey ? 0u : 64u};
    std::size_t size = 0;
    if (JxlDecoderImageOutBufferSize(decoder, &format, &size) != JXL_DEC_SUCCESS) return Status::GenericError;
    if (!out.Allocate(summary.width, summary.height, summary.alpha ? PixelLayout::Rgba8 : PixelLayout::Rgb8))
        return Status::OutOfMemory;
    void* target = out.data();
    std::size_t expected = out.byteSize();
    if (summary.grey) {
        expected = static_cast<std::size_t>(summary.width) * static_cast<std::size_t>(summary.height) * channels;
        grey.resize(expected);
        target = grey.data();
    }
    if (size != expected) return Status::GenericError;  // frame size is not the picture's
    if (JxlDecoderSetImageOutBuffer(decoder, &format, target, size) != JXL_DEC_SUCCESS) return Status::GenericError;
    return Status::Ok;
}

Status RunDecode(JxlDecoder* decoder, const Summary& summary, PixelBuffer& out) {
    std::vector<std::uint8_t> grey;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder)) {
            case JXL_DEC_COLOR_ENCODING:
                ChooseOutputColour(decoder, summary.usesOriginalProfile, summary.grey);
                break;
            case JXL_DEC_FRAME: break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
                if (Status s = SetOutput(decoder, summary, out, grey); s != Status::Ok) return s;
                break;
            case JXL_DEC_FULL_IMAGE:
                if (out.empty()) return Status::GenericError;
                if (summary.grey) WidenGrey(out, grey, summary.alpha ? 2 : 1);
                return Status::Ok;
            default: return Status::GenericError;  // an error, or the file ended early
        }
    }
}

}  // namespace

Status Scan(const QByteArray& file, const DecodeLimits& limits, Summary& summary) {
    summary = Summary{};
    Decoder decoder = MakeDecoder(file, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FRAME | JXL_DEC_BOX);
    if (!decoder) return Status::OutOfMemory;
    MetadataBoxes boxes(decoder.get());
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
            case JXL_DEC_BASIC_INFO: {
                JxlBasicInfo info;
                if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) return Status::GenericError;
                if (Status s = CheckLimits(info, limits); s != Status::Ok) return s;
                ReadBasicInfo(info, summary);
                break;
            }
            case JXL_DEC_COLOR_ENCODING:
                summary.iccProfile = OriginalProfile(decoder.get());
                ChooseOutputColour(decoder.get(), summary.usesOriginalProfile, summary.grey);
                summary.pixelProfile = PixelProfile(decoder.get());
                break;
            case JXL_DEC_FRAME: ++summary.frames; break;
            case JXL_DEC_BOX: boxes.OnBox(); break;
            case JXL_DEC_BOX_NEED_MORE_OUTPUT: boxes.OnNeedMoreOutput(); break;
            case JXL_DEC_SUCCESS:
                boxes.OnEnd();
                summary.exif = boxes.exif();
                summary.xmp = boxes.xmp();
                return summary.frames > 0 ? Status::Ok : Status::GenericError;
            default: return Status::GenericError;  // an error, or the file ended early
        }
    }
}

Status DecodeFrame(const QByteArray& file, const Summary& summary, std::uint32_t index, PixelBuffer& out) {
    out.Reset();
    if (index >= summary.frames) return Status::InvalidParameter;
    Decoder decoder = MakeDecoder(file, JXL_DEC_COLOR_ENCODING | JXL_DEC_FRAME | JXL_DEC_FULL_IMAGE);
    if (!decoder) return Status::OutOfMemory;
    Runner runner(JxlResizableParallelRunnerCreate(nullptr));
    if (runner) {
        // libjxl suggests threads by picture size; more than the cores do not help.
        const std::size_t suggested = JxlResizableParallelRunnerSuggestThreads(
            static_cast<std::uint64_t>(summary.width), static_cast<std::uint64_t>(summary.height));
        const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
        JxlResizableParallelRunnerSetThreads(runner.get(), std::min(suggested, cores));
        if (JxlDecoderSetParallelRunner(decoder.get(), JxlResizableParallelRunner, runner.get()) != JXL_DEC_SUCCESS)
            return Status::GenericError;
    }
    // Straight alpha, as our buffers hold it.
    JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE);
    if (index > 0) JxlDecoderSkipFrames(decoder.get(), index);
    const Status s = RunDecode(decoder.get(), summary, out);
    if (s != Status::Ok) out.Reset();
    return s;
}

}  // namespace imaging::decode::jxl
