// A picture whose decoding worker crashes or hangs is reported like any
// unreadable photo (message 126, the path as caption); the window keeps its
// previous sizes and opens the next photo as usual. The faulty worker of
// the test build (beside the real one) acts on files starting with "FAULT:".
#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/test_pictures.h"

#include "app/settings_access.h"
#include "resources/resource_ids.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

class WorkerFailureTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        photos = MakeTempFolder();
        WriteSetting(Settings::LastOutputFolder, MakeTempFolder() + u'/');
        createDialog();
        realWorker = qgetenv("TESS_DECODER");
    }
    void TearDown() override {
        qputenv("TESS_DECODER", realWorker);
        qunsetenv("TESS_DECODER_TIME_LIMIT_MS");
        DialogTest::TearDown();
    }
    void open(const QString& path) {
        services.openFileAnswers.push_back(path);
        click(IDC_BUTTON_OPEN_PHOTO);
    }
    QString fault(const QByteArray& name) {
        const QString path = photos + QStringLiteral("/%1.jpg").arg(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("FAULT:" + name);
        return path;
    }
    void useFaultyWorker() { qputenv("TESS_DECODER", realWorker + "-faulty"); }

    QByteArray realWorker;
};

TEST_F(WorkerFailureTest, ACrashOrAHangIsAnUnreadablePhotoAndTheWindowGoesOn) {
    open(WritePng(photos, QStringLiteral("first.png"), 64, 48));
    useFaultyWorker();
    qputenv("TESS_DECODER_TIME_LIMIT_MS", "700");
    for (const QByteArray& name : {QByteArray("crash"), QByteArray("hang")}) {
        services.messageBoxes.clear();
        const QString path = fault(name);
        QElapsedTimer timer;
        timer.start();
        open(path);
        EXPECT_LT(timer.elapsed(), 5000) << name.constData();
        ASSERT_EQ(services.messageBoxes.size(), 1u) << name.constData();
        EXPECT_EQ(services.messageBoxes[0].text, QStringLiteral("Can not get the width of the photo!"));
        EXPECT_EQ(services.messageBoxes[0].caption, path);
        EXPECT_EQ(text(IDC_EDIT_OUTPUT_WIDTH), QStringLiteral("64"));
        EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("first.png 64 * 48"));
    }
    // The faulty worker decodes ordinary pictures as the real one does.
    services.messageBoxes.clear();
    open(WritePng(photos, QStringLiteral("next.png"), 30, 20));
    EXPECT_TRUE(services.messageBoxes.empty());
    EXPECT_EQ(text(IDC_STATIC_PHOTO_INFO), QStringLiteral("next.png 30 * 20"));
}

}  // namespace
