// Opening a photo and choosing its frame: the Open Photo command, which
// loads the picture (off the user-interface thread: engine_runs.cpp), proposes the output file, fills the size fields and the
// information line and lists the frame dimensions; and the three handlers of
// the frame controls (the number field while typed into and when left, and
// the dimension box).

#include "dialog/tessaline_dlg.h"

#include "app/file_paths.h"
#include "app/settings_access.h"
#include "dialog/frame_rules.h"
#include "dialog/photo_naming.h"
#include "language/clanguage.h"
#include "language/message_box.h"
#include "platform/number_field.h"
#include "platform/number_text.h"
#include "platform/platform_services.h"
#include "resources/resource_ids.h"
#include "resources/string_ids.h"

#include <QWidget>

#include <algorithm>

namespace {

FileDialogRequest PhotoOpenRequest() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select a Photo file...");
    request.initialFolder = ReadSetting(Settings::LastPhotoFolder);
    request.filters = {
        QStringLiteral("Photo Files (*.bmp *.gif *.png *.tif *.jpg *.jpeg *.ico *.exif *.wmf *.emf *.dib *.raw *.tiff *.heic *.heif *.avif *.jxl *.webp *.dng *.cr2 *.cr3 *.nef *.nrw *.arw *.orf *.rw2 *.raf *.pef *.srw *.rwl)"),
        QStringLiteral("Any Files (*)"),
    };
    return request;
}

std::int32_t SignedSize(std::uint32_t value) { return static_cast<std::int32_t>(value); }

}  // namespace

void CTessalineDlg::OnOpenPhoto() {
    const std::optional<QString> chosen = Services().GetOpenFileName(Window(), PhotoOpenRequest());
    if (!chosen || chosen->isEmpty()) return;
    OpenPhotoFile(*chosen);
}

void CTessalineDlg::OpenPhotoFile(const QString& path) {
    m_photoPath = path;
    WriteSetting(Settings::LastPhotoFolder, GetFolderOfPath(m_photoPath));

    loadPicture();
    // A new picture shows frame 0 of its first dimension.
    shownFrame_ = std::pair<std::size_t, std::uint32_t>{0, 0};

    const QString fileName = GetFileNameOfPath(m_photoPath).value_or(QString());
    m_outputFilePath = ProposedOutputPath(m_outputFolder, m_photoPath);
    SetDlgItemText(IDC_EDIT_OUTPUT_FILE, m_outputFilePath);
    EnableDlgItem(IDC_EDIT_OUTPUT_FILE, true);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    imaging::GdipGetImageWidth(m_loadedPicture.get(), &width);
    imaging::GdipGetImageHeight(m_loadedPicture.get(), &height);
    m_photoWidth = SignedSize(width);
    m_photoHeight = SignedSize(height);
    if (m_photoWidth <= 0) {
        ShowMessage(*this, TheLanguage().GetString(IDS_STRING126), m_photoPath);
        return;
    }
    if (m_photoHeight <= 0) {
        ShowMessage(*this, TheLanguage().GetString(IDS_STRING127), m_photoPath);
        return;
    }

    SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, FormatDecimal(m_photoWidth));
    SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, FormatDecimal(m_photoHeight));
    EnableDlgItem(IDC_EDIT_OUTPUT_WIDTH, true);
    EnableDlgItem(IDC_EDIT_OUTPUT_HEIGHT, true);
    SetDlgItemText(IDC_STATIC_PHOTO_INFO,
                   QStringLiteral("%1 %2 * %3").arg(fileName, FormatDecimal(m_photoWidth), FormatDecimal(m_photoHeight)));

    rebuildFrameDimensionList();

    // Frame 0 is active in a new picture; the field's new text reaches the
    // update handler like any other change.
    SetDlgItemText(IDC_EDIT_FRAME_NUMBER, QStringLiteral("0"));
    const bool severalFrames = m_frameCounts[0] >= 2;
    ShowDlgItem(IDC_EDIT_FRAME_NUMBER, severalFrames);
    ShowDlgItem(IDC_STATIC_FRAME_RANGE, severalFrames);

    checkTextPositionAgainstPhoto();
}

void CTessalineDlg::rebuildFrameDimensionList() {
    m_frameDimensions.clear();
    m_frameDimensionCount = 0;
    m_frameCounts.fill(0);

    std::uint32_t reported = 0;
    imaging::GdipImageGetFrameDimensionsCount(m_loadedPicture.get(), &reported);
    std::vector<imaging::GUID> dimensions(reported);
    if (reported > 0 &&
        imaging::GdipImageGetFrameDimensionsList(m_loadedPicture.get(), dimensions.data(), reported) != imaging::Status::Ok)
        dimensions.clear();
    // There is room for the frame counts of 100 dimensions; the rest are not listed.
    if (dimensions.size() > kMaxFrameDimensions) dimensions.resize(kMaxFrameDimensions);

    m_frameDimensionBox.ResetContent();
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        const int index = static_cast<int>(i);
        m_frameDimensionBox.AddString(FrameDimensionLabel(dimensions[i], index));
        std::uint32_t frames = 0;
        imaging::GdipImageGetFrameCount(m_loadedPicture.get(), &dimensions[i], &frames);
        m_frameCounts[i] = frames;
        // The fixed English pattern: the hint is rewritten in the language's
        // words only when the user picks another dimension.
        SetDlgItemText(IDC_STATIC_FRAME_RANGE,
                       FormatMessageText(QStringLiteral("Set frame from 0 to %d"), SignedSize(frames) - 1));
    }
    m_frameDimensions = std::move(dimensions);
    m_frameDimensionCount = static_cast<std::uint32_t>(m_frameDimensions.size());
    m_frameDimensionBox.SetCurSel(0);
    ShowDlgItem(IDC_COMBO_FRAME_DIMENSION, m_frameDimensionCount >= 2);
}

// Positions beyond the new photo are reset; negative ones are left for the
// checks made when a position field is left and when converting.
void CTessalineDlg::checkTextPositionAgainstPhoto() {
    const std::int32_t x = ReadNumberField(*this, IDC_EDIT_TEXT_X, kNumberFieldBuffer).value_or(0);
    const std::int32_t y = ReadNumberField(*this, IDC_EDIT_TEXT_Y, kNumberFieldBuffer).value_or(0);
    if (x >= m_photoWidth) {
        ShowWarningMessage(*this, IDS_STRING128);
        SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("0"));
    }
    if (y >= m_photoHeight) {
        ShowWarningMessage(*this, IDS_STRING129);
        SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("0"));
    }
}

// Makes the frame active and shows it. The preview is scaled only when the
// frame differs from the one shown, so the nested update that follows a
// corrected frame number costs nothing.
void CTessalineDlg::selectFrame(std::size_t dimension, std::uint32_t frame) {
    const std::pair<std::size_t, std::uint32_t> wanted{dimension, frame};
    if (shownFrame_ == wanted && !PreviewImage().isNull()) return;
    imaging::GdipImageSelectActiveFrame(m_loadedPicture.get(), &m_frameDimensions[dimension], frame);
    shownFrame_ = wanted;
    RefreshPreview();
    if (QWidget* window = Window()) window->repaint();
}

// The dimension the box has selected, when it names a listed one.
std::optional<std::size_t> CTessalineDlg::selectedFrameDimension() const {
    const int selection = m_frameDimensionBox.GetCurSel();
    if (selection < 0 || static_cast<std::size_t>(selection) >= m_frameDimensions.size()) return std::nullopt;
    return static_cast<std::size_t>(selection);
}

void CTessalineDlg::OnFrameNumberUpdate() {
    if (!m_loadedPicture || m_frameDimensions.empty()) return;
    const std::optional<std::size_t> dimension = selectedFrameDimension();
    if (!dimension) return;
    const std::optional<std::int32_t> typed = ReadNumberField(*this, IDC_EDIT_FRAME_NUMBER, kFrameFieldBuffer);
    if (!typed) return;

    const FrameNumberCorrection correction = CorrectFrameNumber(*typed, m_frameCounts[*dimension]);
    // Setting the text reports a further update at once, which finds a valid
    // number and selects that same frame.
    if (correction.correctedText) SetDlgItemText(IDC_EDIT_FRAME_NUMBER, *correction.correctedText);
    if (correction.frame) selectFrame(*dimension, *correction.frame);
}

void CTessalineDlg::OnFrameNumberKillFocus() {
    if (!m_loadedPicture || m_frameDimensions.empty()) return;
    const std::optional<std::size_t> dimension = selectedFrameDimension();
    if (!dimension) return;
    const std::optional<std::int32_t> typed = ReadNumberField(*this, IDC_EDIT_FRAME_NUMBER, kFrameFieldBuffer);
    if (!typed) return;

    const std::int32_t number = *typed;
    if (!IsValidFrameNumber(number, m_frameCounts[*dimension])) {
        // The text stays as typed and the focus moves on.
        ShowErrorMessage(*this, IDS_STRING121);
        return;
    }
    selectFrame(*dimension, static_cast<std::uint32_t>(number));
}

// Only the hint follows the new dimension; no frame is selected until the
// number field reports a change or is left.
void CTessalineDlg::OnFrameDimensionChange() {
    const std::optional<std::size_t> dimension = selectedFrameDimension();
    if (!dimension) return;
    const std::int32_t last = SignedSize(m_frameCounts[*dimension]) - 1;
    SetDlgItemText(IDC_STATIC_FRAME_RANGE, FormatMessageText(TheLanguage().GetString(IDS_STRING122), last));
}
