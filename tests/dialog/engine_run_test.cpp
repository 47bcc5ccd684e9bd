// Long imaging work runs off the user-interface thread: during a long
// Convert the user-interface thread keeps running its timers and painting,
// the preview shows the progress bar, the messages of the run still come one
// by one in their order, each while the run waits for it, and everything is
// over when the command returns.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "dialog/background_run.h"
#include "dialog/progress_bar.h"
#include "resources/resource_ids.h"
#include "tests/dialog/engine_pace_control.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>

namespace {

// Counts the paint events a widget gets while the engine runs.
class PaintCounter final : public QObject {
public:
    PaintCounter(QWidget& widget, const CTessalineDlg& dialog) : dialog_(dialog) { widget.installEventFilter(this); }
    int duringRun = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && dialog_.IsEngineBusy()) ++duringRun;
        return QObject::eventFilter(watched, event);
    }

private:
    const CTessalineDlg& dialog_;
};

// The scripted answers, plus what the run looked like at each message box.
class WatchingServices final : public PlatformServices {
public:
    WatchingServices(ScriptedPlatformServices& inner, const CTessalineDlg*& dialog, QString outputPath)
        : inner_(inner), dialog_(dialog), outputPath_(std::move(outputPath)) {}
    struct Seen {
        bool onUserInterfaceThread;
        bool runUnderWay;
        bool outputWritten;
    };
    std::vector<Seen> seen;

    int MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageBoxButtons buttons,
                   MessageBoxIcon icon) override {
        seen.push_back({QThread::currentThread() == QCoreApplication::instance()->thread(),
                        dialog_ && dialog_->IsEngineBusy(), QFile::exists(outputPath_)});
        return inner_.MessageBox(owner, text, caption, buttons, icon);
    }
    std::optional<QString> GetOpenFileName(QWidget* o, const FileDialogRequest& r) override { return inner_.GetOpenFileName(o, r); }
    std::optional<QString> GetSaveFileName(QWidget* o, const FileDialogRequest& r) override { return inner_.GetSaveFileName(o, r); }
    std::optional<FontChoice> ChooseFont(QWidget* o, const FontRequest& r) override { return inner_.ChooseFont(o, r); }
    int TrackPopupMenu(const Menu& m, QPoint p, QWidget* o) override { return inner_.TrackPopupMenu(m, p, o); }
    bool OpenUrl(const QString& url) override { return inner_.OpenUrl(url); }
    bool StartProcess(const QString& p, const QStringList& a) override { return inner_.StartProcess(p, a); }
    void BeginWaitCursor() override { inner_.BeginWaitCursor(); }
    void EndWaitCursor() override { inner_.EndWaitCursor(); }

private:
    ScriptedPlatformServices& inner_;
    const CTessalineDlg*& dialog_;
    QString outputPath_;
};

class EngineRunTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        useTemporaryFolders();
    }
    void openPhoto() {
        services.openFileAnswers.push_back(WritePng(photos, QStringLiteral("photo.png"), 80, 60));
        click(IDC_BUTTON_OPEN_PHOTO);
        services.messageBoxes.clear();
        services.waitCursorRuns = 0;
    }
    QString outputPath() const { return out + QStringLiteral("/photo_out.jpg"); }
};

}  // namespace

TEST_F(EngineRunTest, DuringALongConvertTheWindowKeepsRunningAndShowsProgress) {
    createDialog();
    dialog->Window()->show();
    openPhoto();
    // The run is held back for well over the moment after which progress is
    // shown, and its output is large enough to keep the pipeline busy too.
    const EngineDelay delay(std::chrono::milliseconds(1000));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_WIDTH, QStringLiteral("3000"));
    dialog->SetDlgItemText(IDC_EDIT_OUTPUT_HEIGHT, QStringLiteral("2000"));
    QWidget* preview = dialog->GetDlgItem(IDC_STATIC_PREVIEW);
    ASSERT_NE(preview, nullptr);
    const PaintCounter paints(*preview, *dialog);

    int ticksDuringRun = 0;
    QImage grabbedLate;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!dialog->IsEngineBusy()) return;
        ++ticksDuringRun;
        if (grabbedLate.isNull() && clock.elapsed() > 650) grabbedLate = preview->grab().toImage();
    });
    ticker.start();
    clock.start();
    testing::internal::CaptureStdout();
    click(IDC_BUTTON_CONVERT);
    const std::string printed = testing::internal::GetCapturedStdout();
    const qint64 runTime = clock.elapsed();
    ticker.stop();

    ASSERT_GE(runTime, 1000);
    EXPECT_EQ(printed, (outputPath() + QStringLiteral(" saved successfully.\n")).toStdString());
    EXPECT_FALSE(dialog->IsEngineBusy());
    // A 20 ms timer over a run of more than a second: the thread was free.
    EXPECT_GT(ticksDuringRun, runTime / 20 / 4);
    EXPECT_GT(paints.duringRun, 0);
    EXPECT_EQ(services.waitCursorDepth, 0);
    EXPECT_EQ(services.waitCursorRuns, 1);

    // The preview, painted during the run, carries the bar along its bottom
    // and the photo above it.
    ASSERT_FALSE(grabbedLate.isNull());
    const QRect strip = ProgressBarStrip(grabbedLate.rect());
    const QColor photoColour = grabbedLate.pixelColor(grabbedLate.width() / 2, grabbedLate.height() / 2);
    EXPECT_EQ(photoColour, QColor(40, 90, 160));
    bool barSeen = false;
    for (int x = 0; x < grabbedLate.width(); ++x)
        barSeen = barSeen || grabbedLate.pixelColor(x, strip.center().y()) != photoColour;
    EXPECT_TRUE(barSeen);
    // Once the run is over the bar is gone.
    const QImage after = preview->grab().toImage();
    EXPECT_EQ(after.pixelColor(after.width() / 2, strip.center().y()), photoColour);
}

TEST_F(EngineRunTest, WhileAPhotoLoadsTheOldPreviewStaysAndTheWindowRuns) {
    createDialog();
    dialog->Window()->show();
    openPhoto();  // the old photo, (40, 90, 160) all over
    const QString next = WritePng(photos, QStringLiteral("next.png"), 50, 40, QColor(200, 30, 30));
    QWidget* preview = dialog->GetDlgItem(IDC_STATIC_PREVIEW);
    ASSERT_NE(preview, nullptr);

    const EngineDelay delay(std::chrono::milliseconds(700));
    int ticksDuringRun = 0;
    QColor shownDuringRun;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!dialog->IsEngineBusy()) return;
        if (++ticksDuringRun == 5) {
            const QImage image = preview->grab().toImage();
            shownDuringRun = image.pixelColor(image.width() / 2, image.height() / 2);
        }
    });
    ticker.start();
    services.openFileAnswers.push_back(next);
    click(IDC_BUTTON_OPEN_PHOTO);
    ticker.stop();

    EXPECT_GT(ticksDuringRun, 10);
    EXPECT_EQ(shownDuringRun, QColor(40, 90, 160));
    EXPECT_EQ(services.waitCursorRuns, 1);
    EXPECT_EQ(services.waitCursorDepth, 0);
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("next.png 50 * 40"));
    EXPECT_EQ(dialog->PreviewImage().pixelColor(5, 5), QColor(200, 30, 30));
}

TEST_F(EngineRunTest, TheRunsMessagesComeInOrderEachWhileTheRunWaits) {
    // An angle the table does not know: the pipeline reports it and goes on.
    WriteSetting(Settings::RotateAngle, 45);
    createDialog();
    openPhoto();
    const CTessalineDlg* watched = dialog.get();
    WatchingServices watching(services, watched, outputPath());
    SetServices(&watching);
    dialog->SetDlgItemText(IDC_EDIT_TEXT, QStringLiteral("stamp"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_X, QStringLiteral("500"));
    dialog->SetDlgItemText(IDC_EDIT_TEXT_Y, QStringLiteral("-1"));

    testing::internal::CaptureStdout();
    click(IDC_BUTTON_CONVERT);
    const std::string printed = testing::internal::GetCapturedStdout();
    SetServices(&services);

    EXPECT_EQ(services.messageTexts(),
              QStringList({QStringLiteral("The text position X is out of range! The program set it to 0 now."),
                           QStringLiteral("The text position Y is out of range! The program set it to 0 now."),
                           QStringLiteral("Unknown rotate angle!")}));
    ASSERT_EQ(watching.seen.size(), 3u);
    for (const WatchingServices::Seen& box : watching.seen) {
        EXPECT_TRUE(box.onUserInterfaceThread);
        EXPECT_FALSE(box.outputWritten);  // each box comes before the save
    }
    // The position checks come before the run; the angle is reported from
    // inside it, the pipeline waiting for the box.
    EXPECT_FALSE(watching.seen[0].runUnderWay);
    EXPECT_TRUE(watching.seen[2].runUnderWay);
    EXPECT_EQ(printed, (outputPath() + QStringLiteral(" saved successfully.\n")).toStdString());
}

TEST(BackgroundRun, WorkRunsElsewhereAndCallsBackOnTheUserInterfaceThread) {
    const QThread* uiThread = QThread::currentThread();
    std::atomic<const QThread*> workThread{nullptr};
    const QThread* callbackThread = nullptr;
    std::vector<int> order;
    RunOffUserInterfaceThread(
        [&] {
            workThread = QThread::currentThread();
            CallOnUserInterfaceThread([&] {
                callbackThread = QThread::currentThread();
                order.push_back(1);
            });
            // The call above has finished by now.
            order.push_back(2);
        },
        [](int) {});
    EXPECT_NE(workThread.load(), uiThread);
    EXPECT_EQ(callbackThread, uiThread);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    // On the user-interface thread a call simply runs.
    bool ran = false;
    CallOnUserInterfaceThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(BackgroundRun, AShortRunShowsNoProgressALongOneDoes) {
    int shortSteps = 0;
    RunOffUserInterfaceThread([] {}, [&](int) { ++shortSteps; });
    EXPECT_EQ(shortSteps, 0);
    std::vector<int> steps;
    RunOffUserInterfaceThread([] { QThread::msleep(800); }, [&](int step) { steps.push_back(step); });
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), 0);
    EXPECT_EQ(steps.back(), static_cast<int>(steps.size()) - 1);
}

TEST(ProgressBar, TheBarStaysInTheBottomStripAndMoves) {
    const QRect area(0, 0, 200, 100);
    EXPECT_EQ(ProgressBarStrip(area).bottom(), area.bottom());
    EXPECT_LE(ProgressBarStrip(area).height(), 8);
    const auto paint = [&](int step) {
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintProgressBar(painter, area, step);
        return image;
    };
    const QImage first = paint(10);
    const QImage later = paint(20);
    // Nothing above the strip is touched.
    for (int y = 0; y < ProgressBarStrip(area).top(); ++y)
        for (int x = 0; x < area.width(); x += 7) ASSERT_EQ(first.pixel(x, y), qRgb(255, 255, 255));
    EXPECT_NE(first, later);
}
