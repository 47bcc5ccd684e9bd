#include "dialog/background_run.h"

#include "dialog/engine_pace.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

// A short run shows nothing; a longer one shows that the program works.
constexpr std::chrono::milliseconds kProgressDelay{500};
constexpr std::chrono::milliseconds kProgressPace{40};

bool OnUserInterfaceThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return !application || QThread::currentThread() == application->thread();
}

}  // namespace

void RunOffUserInterfaceThread(const std::function<void()>& work, const std::function<void(int step)>& onProgress) {
    QEventLoop loop;
    int step = 0;
    QTimer progress;
    progress.setInterval(kProgressPace);
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] { onProgress(step++); });
    QTimer::singleShot(kProgressDelay, &progress, [&progress] { progress.start(); });

    // The worker's last act is to ask the loop to end; the request is queued,
    // so it is seen even when the work ends before the loop has started.
    std::thread worker([&work, &loop] {
        BeforeEngineWork();
        work();
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    progress.stop();
}

void CallOnUserInterfaceThread(const std::function<void()>& call) {
    if (OnUserInterfaceThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&call] { call(); }, Qt::BlockingQueuedConnection);
}
