#pragma once
// CTessalineDlg: the converter dialog, the program's only main window and
// the owner of all conversion state. Its handlers are split by concern:
//   tessaline_dlg.cpp        construction, message routing, data exchange
//   dialog_init.cpp          OnInitDialog
//   dialog_close.cpp         closing, saving the settings, Exit
//   preview.cpp              painting the preview
//   quality_rotate_flip.cpp  the quality slider and field, rotation, flip
//   open_photo.cpp           opening a photo and choosing a frame
//   photo_from_outside.cpp   a file named at start-up, a file dropped on the window
//   size_calculator.cpp      the aspect-ratio calculator
//   output_file.cpp          choosing the output file
//   convert.cpp              the Convert command
//   text_overlay.cpp         the text stamp's font, colour and position
//   small_commands.cpp       Help, Homepage, About
//   language_menu.cpp        the popup menu, language switching, interface font
//   engine_runs.cpp          loading and converting off the user-interface thread

#include "imaging/gdiplus/gdiplus.h"
#include "platform/cdialog.h"
#include "platform/controls.h"
#include "imaging/core/logfont.h"

#include <QImage>
#include <QPoint>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct Menu;
class PhotoDropTarget;

class CTessalineDlg : public CDialog {
public:
    static constexpr int kPathBufferSize = 260;      // characters including the terminator
    static constexpr int kOutputPathMaxChars = 256;  // the output field's limit
    static constexpr int kMaxFrameDimensions = 100;

    explicit CTessalineDlg(QWidget* parent = nullptr);
    ~CTessalineDlg() override;

    // The conversion state, named as the rest of the program refers to it.
    QString m_photoPath;
    QString m_outputPathBuffer;
    QString m_outputFolder;
    QString m_outputFilePath;
    imaging::GdiplusStartupInput m_gdiplusStartupInput;
    std::uintptr_t m_gdiplusToken = 0;
    std::int32_t m_photoWidth = 0;
    std::int32_t m_photoHeight = 0;
    std::int32_t m_outputWidth = 0;
    std::int32_t m_outputHeight = 0;
    std::int32_t m_quality = 0;
    CSliderCtrl m_qualitySlider;
    std::int32_t m_rotateAngle = 0;
    std::int32_t m_flipType = 0;
    std::unique_ptr<imaging::GpImage> m_loadedPicture;
    std::vector<imaging::GUID> m_frameDimensions;  // empty: no list
    std::uint32_t m_frameDimensionCount = 0;
    std::array<std::uint32_t, kMaxFrameDimensions> m_frameCounts{};
    CComboBox m_frameDimensionBox;
    LOGFONTW m_overlayFont;
    COLORREF m_overlayColor = 0;

    // Saves the settings, releases the picture and stops the imaging service.
    void SaveSettingsAndCleanUp();
    bool IsImagingStarted() const { return imagingStarted_; }

    // Handlers, public so the handlers' files and tests can reach them.
    void OnPaint();
    void OnClose();
    void OnSysCommand(int commandId);
    void OnQualitySliderReleased();
    void OnQualityKillFocus();
    void OnRotate(int angle);
    void OnFlip(int flipType);
    void OnExit();
    void OnOpenPhoto();
    void OnConvert();
    void OnBrowseOutputFile();
    void OnBaseWidth();
    void OnBaseHeight();
    void OnHomepage();
    void OnHelp();
    void OnAbout();
    void OnFrameNumberKillFocus();
    void OnFrameNumberUpdate();
    void OnFrameDimensionChange();
    void OnFont();
    void OnTextXKillFocus();
    void OnTextYKillFocus();
    void ShowLanguageMenu(QPoint clientPoint);
    bool FillLanguageMenu(Menu& wholeMenu, Menu& shownPopup);
    void OnLanguageCommand(int commandId);
    void OnInterfaceFont();

    // The conversion proper (the Convert command runs it under the wait cursor).
    void ConvertPhoto();

    // Opens the file as if the user had chosen it with Open Photo: the photo
    // path and folder, the picture, the preview, the proposed output file,
    // the sizes, the information line, the frames and the position check.
    void OpenPhotoFile(const QString& path);
    // A file to open as soon as the initialisation is over (the file named
    // on the command line): it is opened from the dialog's event loop, once
    // the window is up.
    void SetPhotoToOpen(const QString& path) { photoToOpen_ = path; }
    // A dropped file: opened from the event loop unless a run is under way
    // (then the drop is refused). False when refused.
    bool OpenDroppedPhoto(const QString& path);
    // True while the imaging work of a load or a conversion runs.
    bool IsEngineBusy() const { return engineBusy_; }

    // The preview's picture, scaled to the preview once per frame change.
    const QImage& PreviewImage() const { return previewImage_; }
    void RefreshPreview();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    std::intptr_t WindowProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) override;

private:
    void buildMessageMap();
    void restoreRotation();
    void restoreFlip();
    QString defaultOutputFolder();

    bool imagingStarted_ = false;
    QImage previewImage_;
    // The preview scaled from a picture; a null image when it cannot be drawn.
    static QImage renderPreview(imaging::GpImage* picture, QSize size);
    void paintPreview(PaintContext& paint);

    // Runs imaging work off the user-interface thread (engine_runs.cpp);
    // while it runs, the preview shows the progress bar.
    void runEngine(const std::function<void()>& work);
    void loadPicture();
    bool engineBusy_ = false;
    std::optional<int> progressStep_;
    QString photoToOpen_;
    std::unique_ptr<PhotoDropTarget> dropTarget_;
    void acceptPhotosFromOutside();
    void openPhotoLater(const QString& path);

    // Opening a photo, the frame controls and the conversion
    // (open_photo.cpp, convert.cpp).
    void rebuildFrameDimensionList();
    void checkTextPositionAgainstPhoto();
    std::optional<std::size_t> selectedFrameDimension() const;
    void selectFrame(std::size_t dimension, std::uint32_t frame);
    void checkOverlayPosition(int& x, int& y);
    // The (dimension, frame) the preview shows, once a picture is loaded.
    std::optional<std::pair<std::size_t, std::uint32_t>> shownFrame_;
};
