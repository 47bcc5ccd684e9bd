#include "imaging/sandbox/spare_workers.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace imaging::sandbox {
namespace {

class SparePool {
public:
    void Keep(int count, int pictures) {
        const std::lock_guard lock(mutex_);
        count_ = count;
        left_ = pictures;
        Refill();
    }

    std::unique_ptr<WorkerProcess> Take(const QString& program) {
        const std::lock_guard lock(mutex_);
        if (left_ > 0) --left_;
        std::unique_ptr<WorkerProcess> taken;
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
            if ((*it)->program() != program) continue;
            taken = std::move(*it);
            waiting_.erase(it);
            break;
        }
        Refill();
        return taken;
    }

    bool Waiting(const QString& program) {
        const std::lock_guard lock(mutex_);
        return std::any_of(waiting_.begin(), waiting_.end(), [&](const auto& w) { return w->program() == program; });
    }

    void Adopt(std::unique_ptr<WorkerProcess> worker) {
        const std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(worker));
    }

    void Stop() {
        const std::lock_guard lock(mutex_);
        count_ = 0;
        waiting_.clear();
    }

private:
    // Called with the lock held.
    void Refill() {
        const QString program = FindWorkerProgram(WorkerKind::Light);
        if (program.isEmpty()) return;
        // Workers of another program (the environment changed) are ended;
        // a full worker the launcher started waits for its picture.
        const QString full = FindWorkerProgram(WorkerKind::Full);
        std::erase_if(waiting_, [&](const auto& w) { return w->program() != program && w->program() != full; });
        while (static_cast<int>(waiting_.size()) < count_ && (left_ < 0 || static_cast<int>(waiting_.size()) < left_)) {
            auto worker = std::make_unique<WorkerProcess>();
            if (!worker->Spawn(program)) return;
            waiting_.push_back(std::move(worker));
        }
    }

    std::mutex mutex_;
    std::vector<std::unique_ptr<WorkerProcess>> waiting_;
    int count_ = 0;
    int left_ = -1;
};

SparePool& Pool() {
    static SparePool pool;
    return pool;
}

// `socket` is a worker's socket and `pid` a child of ours still running:
// anything else in the variable is left alone, descriptor included.
bool IsOurWorker(pid_t pid, int socket) {
    struct stat status {};
    int type = 0;
    socklen_t length = sizeof type;
    if (socket <= 2 || ::fstat(socket, &status) != 0 || !S_ISSOCK(status.st_mode) ||
        ::getsockopt(socket, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_SEQPACKET)
        return false;
    int waitStatus = 0;
    return ::waitpid(pid, &waitStatus, WNOHANG) == 0;
}

}  // namespace

void AdoptStartedWorker() {
    const char* value = std::getenv(kStartedWorkerVariable);
    if (!value) return;
    const std::string description = value;
    ::unsetenv(kStartedWorkerVariable);
    pid_t pid = -1;
    int socket = -1;
    std::string program;
    if (!ParseStartedWorker(description, pid, socket, program) || !IsOurWorker(pid, socket)) return;
    ::fcntl(socket, F_SETFD, FD_CLOEXEC);
    auto worker = std::make_unique<WorkerProcess>();
    worker->Adopt(pid, UniqueFd(socket), QFile::decodeName(QByteArray::fromStdString(program)));
    Pool().Adopt(std::move(worker));
}

void KeepSpareWorkers(int count, int pictures) { Pool().Keep(count, pictures); }

std::unique_ptr<WorkerProcess> TakeSpareWorker(const QString& program) { return Pool().Take(program); }

bool SpareWorkerWaiting(const QString& program) { return !program.isEmpty() && Pool().Waiting(program); }

void StopSpareWorkers() { Pool().Stop(); }

}  // namespace imaging::sandbox
