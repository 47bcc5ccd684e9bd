// tessaline-convert with a decoding worker that crashes or hangs: each such
// input is reported with the reason and the next one still converts. The
// faulty worker of the test build acts on files starting with "FAULT:".
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ConvertWithFailingWorker, NamesTheReasonAndGoesOnWithTheNextFile) {
    QTemporaryDir dir, runtime;
    ASSERT_TRUE(dir.isValid() && runtime.isValid());
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(dir.filePath("good.png"), "PNG"));
    for (const char* fault : {"crash", "hang"}) {
        QFile f(dir.filePath(QStringLiteral("%1.jpg").arg(QLatin1String(fault))));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("FAULT:") + fault);
    }

    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("TESS_DECODER", TESS_FAULTY_DECODER);
    environment.insert("TESS_DECODER_TIME_LIMIT_MS", "700");
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TESS_CONVERT_PATH), {"crash.jpg", "hang.jpg", "good.png", "-o", "out", "--jobs", "1"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(err.contains("crash.jpg: cannot read this picture (or frame 0 of it): the decoder crashed (signal 11)"))
        << err.toStdString();
    EXPECT_TRUE(err.contains("hang.jpg: cannot read this picture (or frame 0 of it): the decoder took longer than 1 s"))
        << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out/good_out.jpg")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/crash_out.jpg")));
}

}  // namespace
