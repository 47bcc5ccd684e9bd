#include "imaging/sandbox/spare_workers.h"

#include <mutex>
#include <vector>

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
        // Workers of another program (the environment changed) are ended.
        std::erase_if(waiting_, [&](const auto& w) { return w->program() != program; });
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

}  // namespace

void KeepSpareWorkers(int count, int pictures) { Pool().Keep(count, pictures); }

std::unique_ptr<WorkerProcess> TakeSpareWorker(const QString& program) { return Pool().Take(program); }

void StopSpareWorkers() { Pool().Stop(); }

}  // namespace imaging::sandbox
