// A worker that crashes, hangs, eats memory or lies fails the load with the
// reason, within the time limit; the locked-down worker cannot write files,
// read outside what it was given, open sockets or run programs. The faults
// come from tessaline-decoder-faulty, which acts on pictures that start with
// "FAULT:".
#include "imaging/sandbox/channel.h"
#include "imaging/sandbox/sandboxed_source.h"
#include "imaging/sandbox/worker_failure.h"
#include "imaging/sandbox/worker_process.h"
#include "tests/imaging/decode_test_pictures.h"
#include "tests/support/test_environment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <fcntl.h>

namespace {

using namespace imaging;
using sandbox::WorkerFailureKind;

// Points the sandbox at the faulty worker for one test.
class SandboxFaults : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("TESS_DECODER");
        qputenv("TESS_DECODER", TESS_FAULTY_DECODER);
        folder_ = MakeTempFolder();
        sandbox::ClearWorkerFailure();
    }
    void TearDown() override { qputenv("TESS_DECODER", saved_); }

    QString Fault(const QByteArray& content) {
        const QString path = folder_ + "/fault.jpg";
        decode_test::WriteBytes(path, "FAULT:" + content);
        return path;
    }

    // Opens the picture with a short time limit; the status and how long it took.
    Status Open(const QString& path, qint64& elapsedMs, const DecodeLimits& limits = {}) {
        SandboxSettings settings;
        settings.timeLimitMs = 1500;
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<PictureSource> source;
        const Status status = OpenSandboxedPictureSource(path, limits, source, settings);
        elapsedMs = timer.elapsed();
        EXPECT_EQ(status == Status::Ok, source != nullptr);
        return status;
    }

    QByteArray saved_;
    QString folder_;
};

TEST_F(SandboxFaults, ACrashIsARefusalNamingTheSignal) {
    qint64 ms = 0;
    EXPECT_EQ(Open(Fault("crash"), ms), Status::GenericError);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, WorkerFailureKind::Crashed);
    EXPECT_EQ(sandbox::LastWorkerFailure().signal, SIGSEGV);
    EXPECT_LT(ms, 1500);
}

TEST_F(SandboxFaults, AHangIsEndedAtTheTimeLimit) {
    qint64 ms = 0;
    EXPECT_EQ(Open(Fault("hang"), ms), Status::Aborted);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, WorkerFailureKind::TimedOut);
    EXPECT_EQ(sandbox::LastWorkerFailure().seconds, 2);  // 1.5 s, rounded up
    EXPECT_GE(ms, 1400);
    EXPECT_LT(ms, 4000);
}

TEST_F(SandboxFaults, EndlessAllocationRunsIntoTheMemoryLimit) {
#if defined(TESS_SANITIZED)
    GTEST_SKIP() << "a sanitizer build runs the worker without an address-space limit";
#endif
    // The address space follows the limits: 3 x 16 MB and 1 GB of headroom.
    DecodeLimits limits;
    limits.maxBytes = 16 << 20;
    qint64 ms = 0;
    EXPECT_EQ(Open(Fault("allocate"), ms, limits), Status::OutOfMemory);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, WorkerFailureKind::OutOfMemory);
}

TEST_F(SandboxFaults, AWorkerThatLiesIsRefused) {
    qint64 ms = 0;
    EXPECT_EQ(Open(Fault("lie"), ms), Status::GenericError);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, WorkerFailureKind::BrokenReply);
}

TEST_F(SandboxFaults, AMissingWorkerProgramIsNamed) {
    qputenv("TESS_DECODER", QFile::encodeName(folder_ + "/no-such-decoder"));
    const QString path = folder_ + "/p.jpg";
    ASSERT_TRUE(decode_test::WriteJpeg(path, 8, 8, [](int, int) { return decode_test::Rgb{1, 2, 3}; }));
    qint64 ms = 0;
    EXPECT_NE(Open(path, ms), Status::Ok);
    EXPECT_EQ(sandbox::LastWorkerFailure().kind, WorkerFailureKind::NotStarted);
}

// name=errno pairs of the probe's packet.
QMap<QString, int> Probe(const QString& picture) {
    QMap<QString, int> outcomes;
    const QByteArray name = QFile::encodeName(picture);
    const sandbox::UniqueFd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    sandbox::WorkerProcess worker;
    if (!fd.valid() || !worker.Start(QString::fromUtf8(TESS_FAULTY_DECODER), fd.get(), {})) return outcomes;
    sandbox::Packet packet;
    if (sandbox::ReceivePacket(worker.socket(), packet, 5000) != sandbox::Received::Ok) return outcomes;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(packet.bytes.data()), int(packet.size));
    for (const QString& pair : text.split(' ')) outcomes[pair.section('=', 0, 0)] = pair.section('=', 1).toInt();
    return outcomes;
}

TEST_F(SandboxFaults, TheLockedDownWorkerIsDeniedEverythingButThePicture) {
    const QString outside = folder_ + "/secret.txt";
    decode_test::WriteBytes(outside, "private");
    const QString created = folder_ + "/created.txt";
    const QMap<QString, int> outcome = Probe(Fault("probe\n" + QFile::encodeName(outside) + "\n" +
                                                   QFile::encodeName(created) + "\n"));
    ASSERT_TRUE(outcome.contains("exec")) << "no answer from the probe";
    EXPECT_EQ(outcome["picture"], 0);
    EXPECT_EQ(outcome["write"], EPERM);
    EXPECT_FALSE(QFile::exists(created));
    EXPECT_EQ(outcome["inet"], EPERM);
    EXPECT_EQ(outcome["unix"], EPERM);
    EXPECT_EQ(outcome["exec"], EPERM);
    if (outcome["landlock"] == 1)
        EXPECT_EQ(outcome["read"], EACCES);
    else
        GTEST_LOG_(INFO) << "this kernel has no Landlock: reading other files is not denied";
}

}  // namespace
