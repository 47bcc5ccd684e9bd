// The Convert command: checks that a photo is open, asks before an existing
// output file is replaced, and runs the conversion under the wait cursor.
// ConvertPhoto reads and checks the output size, the text position and the
// output path from the fields and hands them to the imaging pipeline, which
// scales the active frame into a new 24-bit bitmap, stamps the text, turns
// and mirrors the result and saves it as JPEG. Each failure is shown as a
// message the moment it is known. The pipeline itself runs off the
// user-interface thread so the window stays painted (engine_runs.cpp).
//
// An existing output file is not deleted when the user agrees to replace
// it: the save writes a temporary file beside it and renames that over the
// old one only when the new JPEG is complete, so a run that fails at any
// step leaves the old file exactly as it was.

#include "dialog/tessaline_dlg.h"

#include "app/file_paths.h"
#include "dialog/background_run.h"
#include "imaging/conversion/conversion.h"
#include "imaging/conversion/conversion_rules.h"
#include "language/clanguage.h"
#include "language/message_box.h"
#include "platform/number_field.h"
#include "platform/platform_services.h"
#include "platform/wait_cursor.h"
#include "resources/resource_ids.h"
#include "resources/string_ids.h"

#include <cstdio>

namespace {

constexpr int kOverlayTextChars = 1 << 16;
constexpr int kQuestionChars = 512;       // the overwrite question's length bound
constexpr int kPathChars = 1 << 16;       // read whole; the length is checked below

// The window's message for each failure the pipeline reports.
int MessageOf(imaging::ConversionNotice notice) {
    switch (notice) {
    case imaging::ConversionNotice::ResolutionFailed: return IDS_STRING113;
    case imaging::ConversionNotice::InterpolationFailed: return IDS_STRING114;
    case imaging::ConversionNotice::UnknownAngle: return IDS_STRING116;
    case imaging::ConversionNotice::RotateFlipFailed: return IDS_STRING117;
    }
    return IDS_MESSAGE_UNKNOWN_ERROR;
}

int MessageOf(imaging::ConversionOutcome outcome) {
    switch (outcome) {
    case imaging::ConversionOutcome::WidthInvalid: return IDS_STRING111;
    case imaging::ConversionOutcome::HeightInvalid: return IDS_STRING112;
    case imaging::ConversionOutcome::DrawFailed: return IDS_STRING115;
    case imaging::ConversionOutcome::SaveFailed: return IDS_STRING118;
    case imaging::ConversionOutcome::Saved: break;
    }
    return IDS_MESSAGE_UNKNOWN_ERROR;
}

void PrintSaved(const QString& path) {
    const QByteArray line = (path + QStringLiteral(" saved successfully.\n")).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

void CTessalineDlg::OnConvert() {
    if (m_photoPath.isEmpty()) {
        ShowErrorMessage(*this, IDS_STRING108);
        return;
    }
    // A failed rule shows its own message; the run goes on regardless.
    UpdateData(true);

    if (FileExists(m_outputFilePath)) {
        const QString question =
            FormatMessageText(TheLanguage().GetString(IDS_STRING120), m_outputFilePath, kQuestionChars);
        const int answer = Services().MessageBox(Window(), question, TheLanguage().GetString(IDS_MESSAGE_WARNING),
                                                 MessageBoxButtons::YesNo, MessageBoxIcon::Exclamation);
        if (answer != IDYES) return;
        // Yes: the old file stays until the new one replaces it (see above).
    }

    const WaitCursor waitCursor;
    ConvertPhoto();
}

void CTessalineDlg::ConvertPhoto() {
    m_outputWidth = ReadNumberField(*this, IDC_EDIT_OUTPUT_WIDTH, kSizeFieldBuffer).value_or(0);
    m_outputHeight = ReadNumberField(*this, IDC_EDIT_OUTPUT_HEIGHT, kSizeFieldBuffer).value_or(0);
    if (const auto invalid = imaging::CheckOutputSize(m_outputWidth, m_outputHeight)) {
        ShowErrorMessage(*this, MessageOf(*invalid));
        return;
    }

    imaging::ConversionInput input;
    input.picture = m_loadedPicture.get();
    input.outputWidth = m_outputWidth;
    input.outputHeight = m_outputHeight;
    input.overlayText = GetDlgItemText(IDC_EDIT_TEXT, kOverlayTextChars);
    if (!input.overlayText.isEmpty()) checkOverlayPosition(input.textX, input.textY);
    input.overlayFont = m_overlayFont;
    input.overlayColor = m_overlayColor;
    input.rotateAngle = m_rotateAngle;
    input.flipType = m_flipType;
    // The exchange runs again so the quality is the one in the field now;
    // a number out of range has its message and is passed on unchanged.
    UpdateData(true);
    input.quality = static_cast<std::uint32_t>(m_quality);

    m_outputPathBuffer = GetDlgItemText(IDC_EDIT_OUTPUT_FILE, kPathChars);
    // A path that does not fit the output path buffer is refused as a
    // failed save rather than written under a shorter name.
    if (m_outputPathBuffer.size() > kPathBufferSize - 1) {
        ShowMessage(*this, TheLanguage().GetString(IDS_STRING118), m_outputPathBuffer);
        return;
    }
    input.outputPath = m_outputPathBuffer;

    // The pipeline runs on the worker thread; each go-on failure is shown on
    // the user-interface thread the moment it happens, the pipeline waiting
    // until the box is closed.
    imaging::ConversionResult result;
    runEngine([&] {
        result = imaging::ConvertPicture(input, [this](imaging::ConversionNotice notice) {
            CallOnUserInterfaceThread([this, notice] { ShowErrorMessage(*this, MessageOf(notice)); });
        });
    });
    switch (result.outcome) {
    case imaging::ConversionOutcome::Saved: PrintSaved(m_outputPathBuffer); break;
    case imaging::ConversionOutcome::SaveFailed:
        ShowMessage(*this, TheLanguage().GetString(IDS_STRING118), m_outputPathBuffer);
        break;
    case imaging::ConversionOutcome::WidthInvalid:
    case imaging::ConversionOutcome::HeightInvalid:
    case imaging::ConversionOutcome::DrawFailed: ShowErrorMessage(*this, MessageOf(result.outcome)); break;
    }
}

// The text's top-left corner must lie inside the output size before
// rotation; a coordinate outside it becomes 0, in the field as well.
void CTessalineDlg::checkOverlayPosition(int& x, int& y) {
    const imaging::TextPosition position =
        imaging::CheckTextPosition(ReadNumberField(*this, IDC_EDIT_TEXT_X, kNumberFieldBuffer).value_or(0),
                                   ReadNumberField(*this, IDC_EDIT_TEXT_Y, kNumberFieldBuffer).value_or(0),
                                   m_outputWidth, m_outputHeight);
    if (position.xReset) {
        ShowErrorMessage(*this, IDS_STRING130);
        SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("0"));
    }
    if (position.yReset) {
        ShowErrorMessage(*this, IDS_STRING131);
        SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("0"));
    }
    x = position.x;
    y = position.y;
}
