// Converting one file on the command line, with the window's message texts
// followed by the reason.
#include "cli/convert_one.h"

#include "cli/messages.h"
#include "cli/output_plan.h"
#include "cli/reasons.h"
#include "imaging/conversion/conversion.h"
#include "imaging/conversion/conversion_rules.h"
#include "imaging/conversion/streamed_conversion.h"
#include "imaging/core/picture_source.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// JPEG decoding may shrink by DCT scaling to no less than this many times
// the output size, so the bicubic pass, not the DCT, shapes the result.
// Measured on the benchmark's 24 MP photo to 1920 x 1280: with 2 the luma
// PSNR at quality 100 drops from 54.74 to 54.22 dB against a 16-bit
// Catmull-Rom reference; 3 keeps the full-size decode there and shrinks
// only pictures reduced by more than 3 on both sides.
constexpr int kDctHeadroom = 3;

// A picture's side as the rules' 32-bit number (pictures are far smaller).
std::int32_t Side(std::uint32_t pixels) {
    return static_cast<std::int32_t>(std::min<std::uint32_t>(pixels, std::numeric_limits<std::int32_t>::max()));
}

// The other side from the ratio, rounded; at least 1 pixel once a ratio
// exists, 0 when the picture measures nothing (refused later).
std::int32_t Derived(std::int32_t numerator, std::int32_t denominator, std::int32_t base) {
    const std::optional<std::int32_t> side = imaging::ProportionalSizeRounded(numerator, denominator, base);
    return side ? std::max(1, *side) : 0;
}

// The largest size inside boxW x boxH with the picture's ratio.
OutputSize Fit(std::int32_t pw, std::int32_t ph, std::int32_t boxW, std::int32_t boxH) {
    // pw / ph >= boxW / boxH: the width is the bound side.
    if (std::int64_t{pw} * boxH >= std::int64_t{ph} * boxW) return {boxW, Derived(ph, pw, boxW)};
    return {Derived(pw, ph, boxH), boxH};
}

OutputSize Requested(const CliOptions& o, std::int32_t pw, std::int32_t ph) {
    if (o.width && o.height) return {*o.width, *o.height};
    if (o.width) return {*o.width, Derived(ph, pw, *o.width)};
    if (o.height) return {Derived(pw, ph, *o.height), *o.height};
    if (o.fitWidth && o.fitHeight) return Fit(pw, ph, *o.fitWidth, *o.fitHeight);
    if (o.longEdge) return Fit(pw, ph, *o.longEdge, *o.longEdge);
    return {pw, ph};
}

}  // namespace

QString OutputPathFor(const CliOptions& options, const QString& input) {
    if (!OutputIsFolder(options)) return options.output;
    const QString name = QFileInfo(input).completeBaseName() + QStringLiteral("_out.jpg");
    return QDir(options.output).filePath(name);
}

OutputSize OutputSizeFor(const CliOptions& o, std::uint32_t pictureWidth, std::uint32_t pictureHeight) {
    const std::int32_t pw = Side(pictureWidth);
    const std::int32_t ph = Side(pictureHeight);
    OutputSize size = Requested(o, pw, ph);
    if (o.shrinkOnly && pw > 0 && ph > 0) {
        size.width = std::min(size.width, pw);
        size.height = std::min(size.height, ph);
    }
    return size;
}

std::optional<QString> OutputSizeProblem(OutputSize size) {
    if (const auto invalid = imaging::CheckOutputSize(size.width, size.height)) return MessageText(*invalid);
    // The bitmap that receives the picture has the engine's pixel limit; past
    // it every later step would fail one after the other.
    const std::int64_t limit = imaging::DecodeLimits{}.maxPixels;
    if (std::int64_t{size.width} * size.height > limit)
        return QStringLiteral("the output size %1 x %2 is beyond the limit of %3 pixels")
            .arg(size.width)
            .arg(size.height)
            .arg(limit);
    return std::nullopt;
}

namespace {

// The least size the frame is decoded at: with both sides known the
// decoder may shrink on the way in; otherwise (0 x 0) the frame is decoded
// in full.
struct DecodeSize {
    int width = 0;
    int height = 0;
};
DecodeSize LeastDecodeSize(const CliOptions& o) {
    if (!o.width || !o.height || o.shrinkOnly) return {};
    // Sides beyond any picture's stay in range; they simply decode in full.
    auto least = [](std::int32_t side) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{side} * kDctHeadroom, std::numeric_limits<int>::max()));
    };
    return {least(*o.width), least(*o.height)};
}

// The frame loaded for the whole-frame conversion: a picture made smaller
// is scaled while it is decoded, never held whole.
imaging::Status Load(const CliOptions& o, std::unique_ptr<imaging::PictureSource> source,
                     std::unique_ptr<imaging::GpImage>& picture) {
    const DecodeSize least = LeastDecodeSize(o);
    if (least.width > 0)
        return imaging::LoadFrameScaledFrom(std::move(source), o.frame, least.width, least.height, *o.width,
                                            *o.height, picture);
    return imaging::LoadFrameScaledFrom(std::move(source), o.frame, 0, 0, 0, 0, picture);
}

imaging::ConversionInput InputFor(const CliOptions& o, imaging::GpImage* picture, OutputSize size,
                                  const QString& output) {
    imaging::ConversionInput in;
    in.picture = picture;
    in.outputWidth = size.width;
    in.outputHeight = size.height;
    in.overlayText = o.text;
    in.overlayFont = o.font;
    in.overlayColor = o.color;
    in.rotateAngle = o.rotateAngle;
    in.flipType = o.flipType;
    in.quality = o.quality;
    in.outputPath = output;
    in.metadata = o.stripMetadata  ? imaging::metadata::MetadataPolicy::None
                  : o.keepLocation ? imaging::metadata::MetadataPolicy::WithLocation
                                   : imaging::metadata::MetadataPolicy::Descriptive;
    if (o.keepProfile) in.colour = imaging::ColourHandling::KeepProfile;
    return in;
}

// The line for a picture that could not be decoded: a worker that failed
// says more than the status it became.
QString ReadFailure(const CliOptions& o, imaging::Status status) {
    QString why = WorkerFailureReason(imaging::sandbox::LastWorkerFailure());
    if (why.isEmpty()) why = StatusReason(status);
    return QStringLiteral("cannot read this picture (or frame %1 of it): %2").arg(o.frame).arg(why);
}

// The lines for a conversion's notices and outcome.
void Report(const imaging::ConversionResult& result, const QString& input, const QString& output,
            FileConversion& r) {
    for (imaging::ConversionNotice n : result.notices) r.err << QStringLiteral("%1: %2").arg(input, MessageText(n));
    switch (result.outcome) {
    case imaging::ConversionOutcome::Saved:
        r.out << QStringLiteral("%1 saved successfully.").arg(output);
        r.ok = true;
        break;
    case imaging::ConversionOutcome::SaveFailed: {
        // Something changed since the check before, or the disk filled up.
        const QString why = WriteProblem(output);
        r.err << QStringLiteral("%1: %2: %3")
                     .arg(output, MessageText(result.outcome),
                          why.isEmpty() ? QStringLiteral("the JPEG encoder or the disk refused the data") : why);
        break;
    }
    default:
        r.err << QStringLiteral("%1: %2").arg(input, MessageText(result.outcome));
        break;
    }
}

// A frame with nothing drawn on it and not turned (a mirror aside) goes
// from the decoder through the resampler into the encoder without being
// held whole. It is decoded at the size the whole-frame conversion would
// decode it at, so the file is the same.
// None when the conversion is not of that kind.
std::optional<imaging::StreamedConversion> ConvertStreamed(const CliOptions& o, imaging::PictureSource& source,
                                                           const QString& output) {
    int width = 0, height = 0;
    if (source.FrameSize(source.Dimensions().front().id, o.frame, width, height) != imaging::Status::Ok)
        return std::nullopt;
    const OutputSize size = OutputSizeFor(o, static_cast<std::uint32_t>(std::max(width, 0)),
                                          static_cast<std::uint32_t>(std::max(height, 0)));
    if (OutputSizeProblem(size)) return std::nullopt;
    const imaging::ConversionInput in = InputFor(o, nullptr, size, output);
    if (!imaging::CanStreamConversion(in, width, height) || !imaging::StreamKeepsColours(source, in, width, height))
        return std::nullopt;
    const DecodeSize least = LeastDecodeSize(o);
    return imaging::ConvertFrameStreamed(source, o.frame, width, height, in, least.width, least.height);
}

// The whole-frame conversion of an open source.
void ConvertWhole(const CliOptions& o, const QString& input, const QString& output,
                  std::unique_ptr<imaging::PictureSource> source, FileConversion& r) {
    auto error = [&](const QString& text) { r.err << QStringLiteral("%1: %2").arg(input, text); };
    std::unique_ptr<imaging::GpImage> picture;
    if (const imaging::Status loaded = Load(o, std::move(source), picture); loaded != imaging::Status::Ok) {
        error(ReadFailure(o, loaded));
        return;
    }
    std::uint32_t pw = 0, ph = 0;
    imaging::GdipGetImageWidth(picture.get(), &pw);
    imaging::GdipGetImageHeight(picture.get(), &ph);
    const OutputSize size = OutputSizeFor(o, pw, ph);
    if (const auto problem = OutputSizeProblem(size)) {
        error(*problem);
        return;
    }
    imaging::ConversionInput in = InputFor(o, picture.get(), size, output);
    if (!o.text.isEmpty()) {
        const imaging::TextPosition at = imaging::CheckTextPosition(o.textX, o.textY, size.width, size.height);
        if (at.xReset) error(MessageText(imaging::TextReset::X));
        if (at.yReset) error(MessageText(imaging::TextReset::Y));
        in.textX = at.x;
        in.textY = at.y;
    }
    Report(imaging::ConvertPicture(in), input, output, r);
}

// The checks before any decoding: an output that exists, a place that
// cannot be written, an input that cannot be read. False, with the lines
// said, when one fails.
bool Checked(const CliOptions& o, const QString& input, const QString& output, FileConversion& r) {
    if (QFileInfo::exists(output) && !o.force) {
        r.err << QStringLiteral("%1: exists; --force replaces it").arg(output);
        return false;
    }
    if (const QString why = WriteProblem(output); !why.isEmpty()) {
        r.err << QStringLiteral("%1: %2: %3").arg(output, MessageText(imaging::ConversionOutcome::SaveFailed), why);
        return false;
    }
    if (const QString why = ReadProblem(input); !why.isEmpty()) {
        r.err << QStringLiteral("%1: cannot read this picture: %2").arg(input, why);
        return false;
    }
    return true;
}

// The picture's frame opened in the decoding worker.
imaging::Status Open(const CliOptions& o, const QString& input, std::unique_ptr<imaging::PictureSource>& source) {
    source.reset();
    imaging::sandbox::ClearWorkerFailure();
    return imaging::OpenFrameSource(input, o.frame, source);
}

}  // namespace

FileConversion ConvertOneFile(const CliOptions& o, const QString& input, const QString& output) {
    FileConversion r;
    if (!Checked(o, input, output, r)) return r;
    std::unique_ptr<imaging::PictureSource> source;
    imaging::Status opened = Open(o, input, source);
    if (opened == imaging::Status::Ok) {
        const auto streamed = ConvertStreamed(o, *source, output);
        if (streamed && !streamed->sizeDiffered) {
            if (streamed->read != imaging::Status::Ok)
                r.err << QStringLiteral("%1: %2").arg(input, ReadFailure(o, streamed->read));
            else
                Report(streamed->result, input, output, r);
            return r;
        }
        // A frame that came at another size than its decoder stated is
        // decoded anew, whole, from a fresh source.
        if (streamed) opened = Open(o, input, source);
    }
    if (opened != imaging::Status::Ok) {
        r.err << QStringLiteral("%1: %2").arg(input, ReadFailure(o, opened));
        return r;
    }
    ConvertWhole(o, input, output, std::move(source), r);
    return r;
}
