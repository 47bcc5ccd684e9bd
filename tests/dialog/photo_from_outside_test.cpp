// Photos that arrive from outside the Open Photo button: the file named on
// the command line, opened once the dialog is up, and a file dropped on the
// window. Both must give what Open Photo gives: the name and size in the
// information line, the proposed output file, the photo folder remembered.

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "dialog/photo_drop.h"
#include "resources/resource_ids.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace {

class PhotoFromOutsideTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        photos = MakeTempFolder();
        outFolder = MakeTempFolder() + u'/';
        WriteSetting(Settings::LastOutputFolder, outFolder);
    }
    // Lets the dialog's event loop run until the information line shows
    // something (or a few seconds have passed).
    void waitForInfoLine() {
        QElapsedTimer clock;
        clock.start();
        while (text(IDC_STATIC_PHOTO_INFO).isEmpty() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // Sends a drop of `data` to `target` (the window or one of its
    // controls); returns whether it was accepted.
    bool drop(QWidget* target, std::unique_ptr<QMimeData> data) {
        const QPointF at(5, 5);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent event(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    }
    static std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    }
    void expectOpened(const QString& name, int width, int height) {
        EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("%1 %2 * %3").arg(name).arg(width).arg(height));
        const QString stem = name.left(name.lastIndexOf(u'.'));
        EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), outFolder + stem + QStringLiteral("_out.jpg"));
        EXPECT_EQ(dialog->m_photoPath, photos + u'/' + name);
        EXPECT_EQ(ReadSetting(Settings::LastPhotoFolder), photos + u'/');
        EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QString::number(width));
        EXPECT_FALSE(dialog->PreviewImage().isNull());
    }
    QString photos;
    QString outFolder;
};

}  // namespace

TEST(PhotoDrop, TheFirstLocalFileIsTaken) {
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/a.png")), QUrl::fromLocalFile(QStringLiteral("/p/b.png")),
                  QUrl::fromLocalFile(QStringLiteral("/p/c.png"))});
    EXPECT_EQ(FirstLocalFile(&data), QStringLiteral("/p/b.png"));
    QMimeData text;
    text.setText(QStringLiteral("/p/b.png"));
    EXPECT_FALSE(FirstLocalFile(&text).has_value());
    EXPECT_FALSE(FirstLocalFile(nullptr).has_value());
}

TEST_F(PhotoFromOutsideTest, TheFileNamedAtStartUpIsOpenedOnceTheDialogIsUp) {
    const QString path = WritePng(photos, QStringLiteral("sea.png"), 64, 48);
    dialog = std::make_unique<CTessalineDlg>();
    dialog->SetPhotoToOpen(path);
    dialog->Create();
    services.messageBoxes.clear();  // the initialisation's own notes
    // Initialisation itself opens nothing: the window comes first.
    EXPECT_TRUE(text(IDC_STATIC_PHOTO_INFO).isEmpty());
    waitForInfoLine();
    expectOpened(QStringLiteral("sea.png"), 64, 48);
    EXPECT_TRUE(services.messageBoxes.empty()) << services.messageTexts().join(u'|').toStdString();
}

TEST_F(PhotoFromOutsideTest, WithoutAFileStartUpOpensNothing) {
    createDialog();
    settle();
    EXPECT_TRUE(text(IDC_STATIC_PHOTO_INFO).isEmpty());
    EXPECT_TRUE(dialog->m_photoPath.isEmpty());
    EXPECT_FALSE(dialog->m_loadedPicture);
}

TEST_F(PhotoFromOutsideTest, AnUnreadableFileNamedAtStartUpIsReportedAsOpenPhotoWould) {
    const QString path = photos + QStringLiteral("/broken.png");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    dialog = std::make_unique<CTessalineDlg>();
    dialog->SetPhotoToOpen(path);
    dialog->Create();
    services.messageBoxes.clear();  // the initialisation's own notes
    QElapsedTimer clock;
    clock.start();
    while (services.messageBoxes.empty() && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(services.messageBoxes.size(), 1u);
    EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Can not get the width of the photo!"));
    EXPECT_EQ(services.messageBoxes[0].caption, path);
    EXPECT_EQ(text(IDC_EDIT_OUTPUT_FILE), outFolder + QStringLiteral("broken_out.jpg"));
}

TEST_F(PhotoFromOutsideTest, AFileDroppedOnTheWindowIsOpened) {
    createDialog();
    const QString path = WritePng(photos, QStringLiteral("drop.me.png"), 40, 30);
    EXPECT_TRUE(drop(dialog->Window(), Urls({QUrl(QStringLiteral("https://example.org/x.png")), QUrl::fromLocalFile(path),
                                           QUrl::fromLocalFile(photos + QStringLiteral("/other.png"))})));
    waitForInfoLine();
    expectOpened(QStringLiteral("drop.me.png"), 40, 30);
}

TEST_F(PhotoFromOutsideTest, AFileDroppedOnAnEditBoxOpensItAndLeavesTheBoxAlone) {
    createDialog();
    dialog->SetDlgItemText(IDC_EDIT_TEXT, QStringLiteral("stamp"));
    const QString path = WritePng(photos, QStringLiteral("field.png"), 24, 12);
    EXPECT_TRUE(drop(dialog->GetDlgItem(IDC_EDIT_TEXT), Urls({QUrl::fromLocalFile(path)})));
    waitForInfoLine();
    expectOpened(QStringLiteral("field.png"), 24, 12);
    EXPECT_EQ(text(IDC_EDIT_TEXT), QStringLiteral("stamp"));
}

TEST_F(PhotoFromOutsideTest, ADropWithoutALocalFileIsIgnored) {
    createDialog();
    services.messageBoxes.clear();
    auto textOnly = std::make_unique<QMimeData>();
    textOnly->setText(WritePng(photos, QStringLiteral("named.png"), 8, 8));
    EXPECT_FALSE(drop(dialog->Window(), std::move(textOnly)));
    EXPECT_FALSE(drop(dialog->Window(), Urls({QUrl(QStringLiteral("https://example.org/remote.png"))})));
    settle();
    EXPECT_TRUE(dialog->m_photoPath.isEmpty());
    EXPECT_TRUE(text(IDC_STATIC_PHOTO_INFO).isEmpty());
    EXPECT_TRUE(services.messageBoxes.empty());
}
