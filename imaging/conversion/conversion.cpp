// The conversion pipeline over the imaging service's operations, so the
// dialog and the command line take exactly the same road.
#include "imaging/conversion/conversion.h"

#include "imaging/conversion/conversion_rules.h"
#include "imaging/conversion/output_blocks.h"
#include "imaging/conversion/text_stamp.h"
#include "imaging/encode/jpeg_writer.h"
#include "imaging/gdiplus/encoder_lookup.h"

#include <algorithm>
#include <cmath>

namespace imaging {

std::optional<RotateFlipType> RotateFlipFor(int rotateAngle, int flipType) {
    using R = RotateFlipType;
    // Rows: 0, 90, 180, 270 degrees; columns: no flip, horizontal, vertical.
    static constexpr R kTable[4][3] = {
        {R::RotateNoneFlipNone, R::RotateNoneFlipX, R::RotateNoneFlipY},
        {R::Rotate90FlipNone, R::Rotate90FlipX, R::Rotate90FlipY},
        {R::Rotate180FlipNone, R::Rotate180FlipX, R::Rotate180FlipY},
        {R::Rotate270FlipNone, R::Rotate270FlipX, R::Rotate270FlipY},
    };
    int row = -1;
    switch (rotateAngle) {
    case 0: row = 0; break;
    case 90: row = 1; break;
    case 180: row = 2; break;
    case 270: row = 3; break;
    default: return std::nullopt;
    }
    const int column = (flipType == 1 || flipType == 2) ? flipType : 0;
    return kTable[row][column];
}

bool ConversionResult::has(ConversionNotice n) const {
    return std::find(notices.begin(), notices.end(), n) != notices.end();
}

namespace {

metadata::OutputFacts FactsOf(GpBitmap* bitmap) {
    std::uint32_t width = 0, height = 0;
    float xdpi = 0, ydpi = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    GdipGetImageHorizontalResolution(bitmap, &xdpi);
    GdipGetImageVerticalResolution(bitmap, &ydpi);
    return OutputFactsFor(width, height, xdpi, ydpi);
}

// The profile and metadata the output carries.
PictureInfo OutputBlocks(const metadata::OutputFacts& facts, const ConversionInput& in) {
    return OutputBlocksFor(PictureInfoOf(in.picture), facts, in.metadata, in.colour);
}

// Saves `image` as the output; `dpi`, when given, is the resolution it is
// written with instead of its own (on both axes).
Status SaveJpeg(GpImage* image, const ConversionInput& in, const metadata::OutputFacts& facts,
                std::optional<float> dpi = std::nullopt) {
    CLSID encoder{};
    // The lookup's result is not tested: with no encoder the identifier
    // stays unset and the save refuses it.
    GetEncoderClsid(QStringLiteral("image/jpeg"), &encoder);
    const std::uint32_t quality = in.quality;
    EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueType::Long, &quality};
    if (dpi) return SaveFrameToFileAs(image, *dpi, *dpi, in.outputPath, &encoder, &params, OutputBlocks(facts, in));
    return SaveImageToFileWithBlocks(image, in.outputPath, &encoder, &params, OutputBlocks(facts, in));
}

// The frame is already what the output would hold: 24-bit, of the output's
// size, with no text to stamp, no turn, and no colours left to convert.
// Drawing it into a bitmap would copy the same bytes (a bicubic pass that
// keeps the size returns its source exactly).
bool FrameIsTheOutput(const ConversionInput& in, std::uint32_t photoWidth, std::uint32_t photoHeight) {
    PixelFormat format = 0;
    return GdipGetImagePixelFormat(in.picture, &format) == Status::Ok && format == PixelFormat24bppRGB &&
           photoWidth == static_cast<std::uint32_t>(in.outputWidth) &&
           photoHeight == static_cast<std::uint32_t>(in.outputHeight) && in.overlayText.isEmpty() &&
           RotateFlipFor(in.rotateAngle, in.flipType) == RotateFlipType::RotateNoneFlipNone &&
           !(in.colour == ColourHandling::ConvertToSrgb && PictureColoursPending(in.picture));
}

// The conversion of such a frame: what the bitmap would have said about
// its resolution, and the frame saved as it is.
ConversionOutcome SaveFrameAsIs(const ConversionInput& in, const std::function<void(ConversionNotice)>& notice) {
    float dpi = 0;
    GdipGetImageHorizontalResolution(in.picture, &dpi);
    // The bitmap's resolution stays at 96 when the picture's is refused.
    if (!(dpi > 0.0f) || !std::isfinite(dpi)) {
        notice(ConversionNotice::ResolutionFailed);
        dpi = 96.0f;
    }
    const metadata::OutputFacts facts = OutputFactsFor(static_cast<std::uint32_t>(in.outputWidth),
                                                 static_cast<std::uint32_t>(in.outputHeight), dpi, dpi);
    return SaveJpeg(in.picture, in, facts, dpi) == Status::Ok ? ConversionOutcome::Saved
                                                               : ConversionOutcome::SaveFailed;
}

}  // namespace

ConversionResult ConvertPicture(const ConversionInput& in, const std::function<void(ConversionNotice)>& onNotice) {
    ConversionResult result;
    auto notice = [&](ConversionNotice n) {
        result.notices.push_back(n);
        if (onNotice) onNotice(n);
    };
    // A picture that failed to load measures 0 x 0; the draw then fails.
    std::uint32_t photoWidth = 0;
    std::uint32_t photoHeight = 0;
    GdipGetImageWidth(in.picture, &photoWidth);
    GdipGetImageHeight(in.picture, &photoHeight);
    if (const std::optional<ConversionOutcome> invalid = CheckOutputSize(in.outputWidth, in.outputHeight)) {
        result.outcome = *invalid;
        return result;
    }
    if (FrameIsTheOutput(in, photoWidth, photoHeight)) {
        result.outcome = SaveFrameAsIs(in, notice);
        return result;
    }
    // A bitmap that cannot be made still exists; its failure shows in the
    // steps that follow.
    std::unique_ptr<GpBitmap> bitmap;
    GdipCreateBitmapFromScan0(in.outputWidth, in.outputHeight, 0, PixelFormat24bppRGB, nullptr, bitmap);
    float dpi = 0;
    GdipGetImageHorizontalResolution(in.picture, &dpi);
    if (GdipBitmapSetResolution(bitmap.get(), dpi, dpi) != Status::Ok) notice(ConversionNotice::ResolutionFailed);

    // Colours are converted on whichever has fewer pixels: the frame
    // before it is enlarged, or the output after the frame was shrunk
    // into it (ConvertBitmapColoursAs does nothing once the frame is done).
    const bool toSrgb = in.colour == ColourHandling::ConvertToSrgb;
    if (toSrgb && std::int64_t{in.outputWidth} * in.outputHeight > std::int64_t{photoWidth} * photoHeight)
        ConvertPictureColours(in.picture);

    std::unique_ptr<GpGraphics> graphics;
    if (GdipGetImageGraphicsContext(bitmap.get(), graphics) != Status::Ok ||
        GdipSetInterpolationMode(graphics.get(), InterpolationMode::HighQualityBicubic) != Status::Ok)
        notice(ConversionNotice::InterpolationFailed);
    if (GdipDrawImageRectRectI(graphics.get(), in.picture, 0, 0, in.outputWidth, in.outputHeight, 0, 0,
                               static_cast<int>(photoWidth), static_cast<int>(photoHeight),
                               Unit::Pixel) != Status::Ok) {
        result.outcome = ConversionOutcome::DrawFailed;
        return result;
    }
    if (toSrgb) ConvertBitmapColoursAs(bitmap.get(), in.picture);
    if (!in.overlayText.isEmpty() && !StampText(graphics.get(), in)) {
        result.outcome = ConversionOutcome::DrawFailed;
        return result;
    }
    // The surface is done with before the bitmap is turned.
    graphics.reset();

    const std::optional<RotateFlipType> rotateFlip = RotateFlipFor(in.rotateAngle, in.flipType);
    if (!rotateFlip) notice(ConversionNotice::UnknownAngle);
    if (rotateFlip && GdipImageRotateFlip(bitmap.get(), *rotateFlip) != Status::Ok)
        notice(ConversionNotice::RotateFlipFailed);

    result.outcome =
        SaveJpeg(bitmap.get(), in, FactsOf(bitmap.get())) == Status::Ok ? ConversionOutcome::Saved : ConversionOutcome::SaveFailed;
    return result;
}

}  // namespace imaging
