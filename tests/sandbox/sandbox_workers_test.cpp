// Which worker decodes a picture: the light one for the everyday formats,
// the full one for every other (handed on by the light one), and workers
// started ahead of need that serve the next pictures.
#include "imaging/decode/open_picture_source.h"
#include "imaging/sandbox/sandboxed_source.h"
#include "imaging/sandbox/spare_workers.h"
#include "imaging/sandbox/worker_failure.h"
#include "imaging/sandbox/worker_process.h"
#include "tests/imaging/decode_test_pictures.h"
#include "tests/support/test_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace imaging;
using decode_test::Rgb;

Rgb Pattern(int x, int y) { return {(x * 9) % 256, (y * 3) % 256, (x * y) % 256}; }

// Restores both worker variables after a test changed them.
class WorkerPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        full_ = qgetenv("TESS_DECODER");
        if (full_.isEmpty()) GTEST_SKIP() << "run from ctest, which names the worker";
        light_ = QFile::encodeName(QFileInfo(QFile::decodeName(full_)).dir().filePath("tessaline-decoder-light"));
        folder_ = MakeTempFolder();
        sandbox::ClearWorkerFailure();
    }
    void TearDown() override {
        sandbox::StopSpareWorkers();
        qputenv("TESS_DECODER", full_);
        qunsetenv("TESS_DECODER_LIGHT");
    }

    QString Jpeg(const QString& name) {
        const QString path = folder_ + "/" + name;
        EXPECT_TRUE(decode_test::WriteJpeg(path, 64, 48, Pattern));
        return path;
    }
    QString Bmp(const QString& name) {
        QImage image(40, 30, QImage::Format_RGB888);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) image.setPixel(x, y, qRgb(x * 6, y * 8, 100));
        const QString path = folder_ + "/" + name;
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    QByteArray full_, light_;
    QString folder_;
};

Status OpenAndDecode(const QString& path, PixelBuffer& frame) {
    std::unique_ptr<PictureSource> source;
    if (Status s = OpenSandboxedPictureSource(path, DecodeLimits{}, source); s != Status::Ok) return s;
    return source->DecodeFrame(source->Dimensions()[0].id, 0, frame);
}

bool SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.empty() || a.width() != b.width() || a.height() != b.height() || a.layout() != b.layout()) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * a.channels();
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), rowBytes) != 0) return false;
    return true;
}

// The processes this test program has started and not yet reaped.
QList<int> Children() {
    QList<int> pids;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + "/children"));
        if (!file.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& pid : file.readAll().split(' '))
            if (pid.trimmed().toInt() > 0) pids << pid.trimmed().toInt();
    }
    return pids;
}

TEST_F(WorkerPrograms, EverydayPicturesStayInTheLightWorkerOthersAreHandedOn) {
    const QString jpeg = Jpeg("photo.jpg");
    const QString bmp = Bmp("drawing.bmp");
    // Without a full worker the light one still decodes a JPEG, and a BMP
    // (read by Qt's readers, which only the full worker has) fails as a
    // worker that could not be started.
    qputenv("TESS_DECODER_LIGHT", light_);
    qputenv("TESS_DECODER", QFile::encodeName(folder_ + "/no-such-decoder"));
    PixelBuffer fromLight, expected;
    EXPECT_EQ(OpenAndDecode(jpeg, fromLight), Status::Ok);
    ASSERT_EQ(decode_test::OpenAndDecode(jpeg, expected), Status::Ok);
    EXPECT_TRUE(SamePixels(fromLight, expected));
    PixelBuffer frame;
    EXPECT_NE(OpenAndDecode(bmp, frame), Status::Ok);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, sandbox::WorkerFailureKind::NotStarted);

    // With both, the BMP reaches the full worker and decodes as in-process.
    qputenv("TESS_DECODER", full_);
    sandbox::ClearWorkerFailure();
    ASSERT_EQ(OpenAndDecode(bmp, frame), Status::Ok);
    ASSERT_EQ(decode_test::OpenAndDecode(bmp, expected), Status::Ok);
    EXPECT_TRUE(SamePixels(frame, expected));
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, sandbox::WorkerFailureKind::None);
}

TEST_F(WorkerPrograms, SpareWorkersServeThePicturesAndNoneOutlastsThem) {
    ASSERT_TRUE(Children().isEmpty());
    sandbox::KeepSpareWorkers(2, 3);
    EXPECT_EQ(Children().size(), 2);
    // A waiting worker that died meanwhile is replaced by a new one.
    ::kill(Children().first(), SIGKILL);
    QThread::msleep(50);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        PixelBuffer frame;
        EXPECT_EQ(OpenAndDecode(Jpeg(name), frame), Status::Ok) << name;
        EXPECT_EQ(frame.width(), 64);
    }
    // Three pictures were announced and opened: nothing is left waiting.
    EXPECT_TRUE(Children().isEmpty()) << Children().size();
}

// A worker started by the launcher before it exec'd the converter is
// adopted as a waiting worker and serves the first picture; a description
// that is not of a child of ours, or not of a socket, is dropped and its
// descriptor left alone.
TEST_F(WorkerPrograms, AWorkerStartedBeforeExecServesThePicture) {
    ASSERT_TRUE(Children().isEmpty());
    const std::string program = sandbox::FindWorkerProgramFrom("/nowhere", sandbox::WorkerKind::Light);
    ASSERT_EQ(QByteArray::fromStdString(program), light_);
    sandbox::UniqueFd ours, theirs;
    ASSERT_TRUE(sandbox::MakeWorkerSocket(ours, theirs));
    const pid_t pid = sandbox::SpawnWorker(program, theirs.get());
    ASSERT_GT(pid, 0);
    const int socket = ours.Release();
    ::setenv(sandbox::kStartedWorkerVariable, sandbox::DescribeStartedWorker(pid, socket, program).c_str(), 1);
    sandbox::AdoptStartedWorker();
    EXPECT_EQ(std::getenv(sandbox::kStartedWorkerVariable), nullptr);
    // The adopted worker counts as the one waiting: none more is started.
    sandbox::KeepSpareWorkers(1, 1);
    EXPECT_EQ(Children(), QList<int>{pid});
    PixelBuffer frame;
    EXPECT_EQ(OpenAndDecode(Jpeg("first.jpg"), frame), Status::Ok);
    EXPECT_EQ(frame.width(), 64);
    EXPECT_TRUE(Children().isEmpty());

    // Standard input is no worker's socket, and process 1 is no child.
    for (const std::string& bogus : {sandbox::DescribeStartedWorker(1, 0, program),
                                     sandbox::DescribeStartedWorker(::getpid(), 0, program), std::string("12 x y")}) {
        ::setenv(sandbox::kStartedWorkerVariable, bogus.c_str(), 1);
        sandbox::AdoptStartedWorker();
        EXPECT_EQ(std::getenv(sandbox::kStartedWorkerVariable), nullptr);
        EXPECT_NE(::fcntl(0, F_GETFD), -1) << bogus;
    }
}

// A full worker the launcher started for a picture only it reads is kept
// waiting, not ended for a light one, and serves the picture with no light
// worker asked first: here there is none to ask. A wrong guess (a JPEG)
// is decoded by the full worker just as well.
TEST_F(WorkerPrograms, AnAdoptedFullWorkerServesThePictureWithoutTheLightOne) {
    ASSERT_TRUE(Children().isEmpty());
    const std::string program = sandbox::FindWorkerProgramFrom("/nowhere", sandbox::WorkerKind::Full);
    ASSERT_EQ(QByteArray::fromStdString(program), full_);
    struct Case {
        QString picture;
        bool lightWorkerThere;
    };
    for (const Case& c : {Case{Bmp("drawing.bmp"), false}, Case{Jpeg("photo.jpg"), true}}) {
        if (c.lightWorkerThere) qunsetenv("TESS_DECODER_LIGHT");
        else qputenv("TESS_DECODER_LIGHT", QFile::encodeName(folder_ + "/no-such-decoder"));
        sandbox::UniqueFd ours, theirs;
        ASSERT_TRUE(sandbox::MakeWorkerSocket(ours, theirs));
        const pid_t pid = sandbox::SpawnWorker(program, theirs.get());
        ASSERT_GT(pid, 0);
        ::setenv(sandbox::kStartedWorkerVariable, sandbox::DescribeStartedWorker(pid, ours.Release(), program).c_str(),
                 1);
        sandbox::AdoptStartedWorker();
        sandbox::KeepSpareWorkers(1, 1);
        EXPECT_EQ(Children(), QList<int>{pid});
        PixelBuffer frame, expected;
        EXPECT_EQ(OpenAndDecode(c.picture, frame), Status::Ok) << c.picture.toStdString();
        ASSERT_EQ(decode_test::OpenAndDecode(c.picture, expected), Status::Ok);
        EXPECT_TRUE(SamePixels(frame, expected)) << c.picture.toStdString();
        EXPECT_TRUE(Children().isEmpty()) << c.picture.toStdString();
        sandbox::StopSpareWorkers();
    }
}

TEST(StartedWorkerDescription, ReadsBackWhatItWroteAndNothingElse) {
    pid_t pid = 0;
    int socket = 0;
    std::string program;
    ASSERT_TRUE(sandbox::ParseStartedWorker(sandbox::DescribeStartedWorker(4321, 17, "/a b/worker"), pid, socket,
                                            program));
    EXPECT_EQ(pid, 4321);
    EXPECT_EQ(socket, 17);
    EXPECT_EQ(program, "/a b/worker");
    for (const char* bad : {"", "12", "12 5", "12 5 ", "-1 5 p", "12 -5 p", "1x 5 p", "0 5 p", "1234567890 5 p"})
        EXPECT_FALSE(sandbox::ParseStartedWorker(bad, pid, socket, program)) << bad;
}

// The window sits at the build tree's top, the command line one folder
// down: started from the build tree, each finds both workers.
TEST(WorkerLookup, TheBuildTreesProgramsFindTheirWorkers) {
    for (const QString& folder : {QStringLiteral(TESS_BINARY_DIR), QStringLiteral(TESS_BINARY_DIR "/cli")}) {
        EXPECT_TRUE(sandbox::FindWorkerProgramIn(folder, sandbox::WorkerKind::Light)
                        .endsWith(QLatin1String("/decoder/tessaline-decoder-light")))
            << folder.toStdString();
        EXPECT_TRUE(sandbox::FindWorkerProgramIn(folder, sandbox::WorkerKind::Full)
                        .endsWith(QLatin1String("/decoder/tessaline-decoder")))
            << folder.toStdString();
    }
}

}  // namespace
