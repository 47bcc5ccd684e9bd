// The frame's rows from the decoder into the encoder (see
// streamed_conversion.h).
#include "imaging/conversion/streamed_conversion.h"

#include "imaging/conversion/encoding_sink.h"
#include "imaging/conversion/output_blocks.h"
#include "imaging/encode/atomic_file.h"
#include "imaging/encode/jpeg_writer.h"
#include "imaging/scale/resample_stream.h"

#include <cmath>

namespace imaging {

namespace {

// The left-to-right mirror, the one turn a stream can make (a half turn
// flipped upside down is the same).
bool Mirrored(const ConversionInput& in) {
    return RotateFlipFor(in.rotateAngle, in.flipType) == RotateFlipType::RotateNoneFlipX;
}

}  // namespace

bool CanStreamConversion(const ConversionInput& in, int frameWidth, int frameHeight) {
    return frameWidth > 0 && frameHeight > 0 && in.outputWidth > 0 && in.outputHeight > 0 &&
           in.overlayText.isEmpty() &&
           (RotateFlipFor(in.rotateAngle, in.flipType) == RotateFlipType::RotateNoneFlipNone || Mirrored(in));
}

namespace {

bool SameSize(const ConversionInput& in, int frameWidth, int frameHeight) {
    return in.outputWidth == frameWidth && in.outputHeight == frameHeight;
}

// The resolution the output is written with: the picture's horizontal one
// on both axes, as the bitmap of a whole-frame conversion takes it; 96 when
// the picture's is refused.
float OutputDpi(const PictureSource& source, const std::function<void(ConversionNotice)>& notice) {
    const float dpi = source.HorizontalResolution();
    if (dpi > 0.0f && std::isfinite(dpi)) return dpi;
    notice(ConversionNotice::ResolutionFailed);
    return 96.0f;
}

// The transform into sRGB the frame's colours need, if any (a decoder that
// applied the profile itself delivers sRGB already).
std::shared_ptr<const colour::RgbTransform> ColoursFor(const PictureSource& source, ColourHandling colour) {
    const PictureInfo& info = source.Info();
    if (colour != ColourHandling::ConvertToSrgb || info.profileApplied) return nullptr;
    return colour::RgbToSrgb(info.iccProfile);
}

// Decodes the frame into `sink`: as it is when it keeps its size, through
// the resampler otherwise.
Status DecodeInto(PictureSource& source, std::uint32_t frame, int frameWidth, int frameHeight,
                  const ConversionInput& in, int minWidth, int minHeight, EncodingSink& sink) {
    const GUID& dimension = source.Dimensions().front().id;
    // A least size above the frame's, so that no decoder takes a reduced
    // scale that rounds back up to the same size (a JPEG of 4 x 4 pixels
    // decoded at 7/8 is still 4 x 4, with other pixels).
    const int fullWidth = 2 * frameWidth, fullHeight = 2 * frameHeight;
    if (SameSize(in, frameWidth, frameHeight))
        return source.DecodeFrameRows(dimension, frame, fullWidth, fullHeight, sink);
    StreamingResampler resampler(in.outputWidth, in.outputHeight, &sink);
    const bool reduce = minWidth > 0 && minHeight > 0;
    const Status status = source.DecodeFrameRows(dimension, frame, reduce ? minWidth : fullWidth,
                                                 reduce ? minHeight : fullHeight, resampler);
    return status == Status::Ok && !resampler.Complete() ? Status::GenericError : status;
}

}  // namespace

bool StreamKeepsColours(const PictureSource& source, const ConversionInput& in, int frameWidth, int frameHeight) {
    return !ColoursFor(source, in.colour) ||
           std::int64_t{in.outputWidth} * in.outputHeight <= std::int64_t{frameWidth} * frameHeight;
}

StreamedConversion ConvertFrameStreamed(PictureSource& source, std::uint32_t frame, int frameWidth,
                                        int frameHeight, const ConversionInput& in, int minWidth, int minHeight,
                                        const std::function<void(ConversionNotice)>& onNotice) {
    StreamedConversion done;
    auto notice = [&](ConversionNotice n) {
        done.result.notices.push_back(n);
        if (onNotice) onNotice(n);
    };
    done.result.outcome = ConversionOutcome::SaveFailed;
    const float dpi = OutputDpi(source, notice);
    const auto width = static_cast<std::uint32_t>(in.outputWidth);
    const auto height = static_cast<std::uint32_t>(in.outputHeight);
    const PictureInfo blocks = OutputBlocksFor(source.Info(), OutputFactsFor(width, height, dpi, dpi), in.metadata,
                                               in.colour);
    AtomicFile file;
    JpegRowWriter writer;
    const JpegSettings settings = JpegSettingsFor(in.quality, dpi, dpi);
    const bool writing = file.Open(in.outputPath) &&
                         writer.Start(in.outputWidth, in.outputHeight, settings, file.stream(), blocks);
    EncodingSink sink(writer, in.outputWidth, in.outputHeight, ColoursFor(source, in.colour), Mirrored(in));
    if (!writing) sink.WriterFailed();
    const Status status = DecodeInto(source, frame, frameWidth, frameHeight, in, minWidth, minHeight, sink);
    done.sizeDiffered = sink.SizeDiffered();
    if (done.sizeDiffered) return done;
    // A picture that cannot be read says so before a write that failed, as
    // when the frame is decoded before it is saved. A decoder that ends
    // without error before the last row is as broken as one that says so.
    done.read = status != Status::Ok ? status : sink.Complete() ? Status::Ok : Status::GenericError;
    if (done.read != Status::Ok) return done;
    if (!sink.EncoderFailed() && writer.Finish() && file.Commit()) done.result.outcome = ConversionOutcome::Saved;
    return done;
}

}  // namespace imaging
