// The Convert command: checks that a photo is open, asks before an existing
// output file is replaced, and runs the conversion under the wait cursor.
// ConvertPhoto scales the active frame into a new 24-bit bitmap of the
// output size, stamps the text, turns and mirrors the result and saves it as
// JPEG, reporting each failure it tests for the moment it happens.
//
// An existing output file is not deleted when the user agrees to replace
// it: the save writes a temporary file beside it and renames that over the
// old one only when the new JPEG is complete, so a run that fails at any
// step leaves the old file exactly as it was.

#include "dialog/tessaline_dlg.h"

#include "app/file_paths.h"
#include "dialog/rotate_flip_choice.h"
#include "language/clanguage.h"
#include "language/message_box.h"
#include "platform/number_text.h"
#include "platform/platform_services.h"
#include "resources/resource_ids.h"

#include <cstdio>

namespace {

constexpr int kSizeChars = 256;           // the size fields are read as 255 characters
constexpr int kPositionChars = 64;        // text positions are read as 63 characters
constexpr int kOverlayTextChars = 1 << 16;
constexpr int kQuestionChars = 512;       // the overwrite question's length bound
constexpr int kPathChars = 1 << 16;       // read whole; the length is checked below

enum : int {
    kStringOpenPhotoFirst = 108,
    kStringWidthInvalid = 111,
    kStringHeightInvalid = 112,
    kStringSetResolutionFailed = 113,
    kStringInterpolationFailed = 114,
    kStringConvertFailed = 115,
    kStringUnknownAngle = 116,
    kStringRotateFlipFailed = 117,
    kStringSaveFailed = 118,
    kStringReplaceQuestion = 120,
    kStringTextXOutOfRange = 130,
    kStringTextYOutOfRange = 131,
};

using imaging::Status;

// The first encoder whose MIME type is exactly the one asked for.
std::optional<imaging::CLSID> FindEncoder(const QString& mimeType) {
    std::uint32_t count = 0;
    std::uint32_t size = 0;
    imaging::GdipGetImageEncodersSize(&count, &size);
    if (count == 0 || size == 0) return std::nullopt;
    std::vector<imaging::ImageCodecInfo> encoders(count);
    if (imaging::GdipGetImageEncoders(count, size, encoders.data()) != Status::Ok) return std::nullopt;
    for (const imaging::ImageCodecInfo& encoder : encoders) {
        if (encoder.MimeType == mimeType) return encoder.Clsid;
    }
    return std::nullopt;
}

// COLORREF 0x00BBGGRR to a fully opaque 0xFFRRGGBB.
imaging::ARGB OpaqueArgb(COLORREF color) {
    return 0xFF000000u | (static_cast<imaging::ARGB>(GetRValue(color)) << 16) |
           (static_cast<imaging::ARGB>(GetGValue(color)) << 8) | static_cast<imaging::ARGB>(GetBValue(color));
}

void PrintSaved(const QString& path) {
    const QByteArray line = (path + QStringLiteral(" saved successfully.\n")).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

void CTessalineDlg::OnConvert() {
    if (m_photoPath.isEmpty()) {
        ShowErrorMessage(*this, kStringOpenPhotoFirst);
        return;
    }
    // A failed rule shows its own message; the run goes on regardless.
    UpdateData(true);

    if (FileExists(m_outputFilePath)) {
        const QString question =
            FormatMessageText(TheLanguage().GetString(kStringReplaceQuestion), m_outputFilePath, kQuestionChars);
        const int answer = Services().MessageBox(Window(), question, TheLanguage().GetString(IDS_MESSAGE_WARNING),
                                                 MessageBoxButtons::YesNo, MessageBoxIcon::Exclamation);
        if (answer != IDYES) return;
        // Yes: the old file stays until the new one replaces it (see above).
    }

    Services().BeginWaitCursor();
    ConvertPhoto();
    Services().EndWaitCursor();
}

void CTessalineDlg::ConvertPhoto() {
    std::uint32_t photoWidth = 0;
    std::uint32_t photoHeight = 0;
    imaging::GdipGetImageWidth(m_loadedPicture.get(), &photoWidth);
    imaging::GdipGetImageHeight(m_loadedPicture.get(), &photoHeight);

    m_outputWidth = ParseDecimalField(GetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, kSizeChars));
    m_outputHeight = ParseDecimalField(GetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, kSizeChars));
    if (m_outputWidth <= 0) {
        ShowErrorMessage(*this, kStringWidthInvalid);
        return;
    }
    if (m_outputHeight <= 0) {
        ShowErrorMessage(*this, kStringHeightInvalid);
        return;
    }

    // A bitmap that cannot be made still exists; its failure shows in the
    // steps that follow.
    std::unique_ptr<imaging::GpBitmap> bitmap;
    imaging::GdipCreateBitmapFromScan0(m_outputWidth, m_outputHeight, 0, imaging::PixelFormat24bppRGB, nullptr, bitmap);

    // The horizontal resolution on both axes.
    float dpi = 0;
    imaging::GdipGetImageHorizontalResolution(m_loadedPicture.get(), &dpi);
    if (imaging::GdipBitmapSetResolution(bitmap.get(), dpi, dpi) != Status::Ok)
        ShowErrorMessage(*this, kStringSetResolutionFailed);

    std::unique_ptr<imaging::GpGraphics> graphics;
    const Status surface = imaging::GdipGetImageGraphicsContext(bitmap.get(), graphics);
    if (surface != Status::Ok ||
        imaging::GdipSetInterpolationMode(graphics.get(), imaging::InterpolationMode::HighQualityBicubic) != Status::Ok)
        ShowErrorMessage(*this, kStringInterpolationFailed);

    if (imaging::GdipDrawImageRectRectI(graphics.get(), m_loadedPicture.get(), 0, 0, m_outputWidth, m_outputHeight, 0,
                                        0, static_cast<int>(photoWidth), static_cast<int>(photoHeight),
                                        imaging::Unit::Pixel) != Status::Ok) {
        ShowErrorMessage(*this, kStringConvertFailed);
        return;
    }

    stampOverlayText(graphics.get());

    const std::optional<imaging::RotateFlipType> rotateFlip = RotateFlipFor(m_rotateAngle, m_flipType);
    if (!IsKnownRotateAngle(m_rotateAngle)) ShowErrorMessage(*this, kStringUnknownAngle);
    if (rotateFlip && imaging::GdipImageRotateFlip(bitmap.get(), *rotateFlip) != Status::Ok)
        ShowErrorMessage(*this, kStringRotateFlipFailed);

    const std::optional<imaging::CLSID> encoder = FindEncoder(QStringLiteral("image/jpeg"));
    // The exchange runs again so the quality is the one in the field now.
    UpdateData(true);
    const std::uint32_t quality = static_cast<std::uint32_t>(m_quality);
    imaging::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0] = {imaging::EncoderQuality, 1, imaging::EncoderParameterValueType::Long, &quality};

    m_outputPathBuffer = GetDlgItemText(IDC_EDIT_OUTPUT_FILE, kPathChars);
    // A path that does not fit the output path buffer is refused rather than
    // written under a shorter name; with no JPEG encoder nothing can be saved.
    const bool fits = m_outputPathBuffer.size() <= kPathBufferSize - 1;
    const bool saved = fits && encoder &&
                       imaging::GdipSaveImageToFile(bitmap.get(), m_outputPathBuffer, &*encoder, &parameters) == Status::Ok;
    if (!saved) {
        ShowMessage(*this, TheLanguage().GetString(kStringSaveFailed), m_outputPathBuffer);
        return;
    }
    PrintSaved(m_outputPathBuffer);
}

// The overlay line, top-left at the position fields' point of the output
// bitmap. A position outside the output size (before rotation) is reset to
// 0 with a message. Nothing drawn here is checked: a text that cannot be
// drawn is simply absent.
void CTessalineDlg::stampOverlayText(imaging::GpGraphics* graphics) {
    const QString text = GetDlgItemText(IDC_EDIT_TEXT, kOverlayTextChars);
    if (text.isEmpty()) return;
    std::int32_t x = ParseDecimalField(GetDlgItemText(IDC_EDIT_TEXT_X, kPositionChars));
    std::int32_t y = ParseDecimalField(GetDlgItemText(IDC_EDIT_TEXT_Y, kPositionChars));
    if (x >= m_outputWidth || x < 0) {
        ShowErrorMessage(*this, kStringTextXOutOfRange);
        x = 0;
        SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("0"));
    }
    if (y >= m_outputHeight || y < 0) {
        ShowErrorMessage(*this, kStringTextYOutOfRange);
        y = 0;
        SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("0"));
    }
    std::unique_ptr<imaging::GpFont> font;
    imaging::GdipCreateFontFromLogfontW(m_overlayFont, font);
    std::unique_ptr<imaging::GpSolidFill> brush;
    imaging::GdipCreateSolidFill(OpaqueArgb(m_overlayColor), brush);
    const imaging::RectF layout{static_cast<float>(x), static_cast<float>(y), 0.0f, 0.0f};
    imaging::GdipDrawString(graphics, text, -1, font.get(), &layout, nullptr, brush.get());
}
