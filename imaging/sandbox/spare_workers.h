#pragma once
// Decoding workers started before they are needed. Starting the worker
// program (mostly loading its libraries) costs about as much as decoding a
// small picture; a worker started ahead does it while the program gets
// ready or while the person picks a file, and waits for its picture.

#include "imaging/sandbox/worker_process.h"

#include <memory>

namespace imaging::sandbox {

// The waiting workers are light ones (worker_process.h), but for a full one
// a launcher started for a picture only the full worker reads.
// Keeps `count` started workers waiting from now on, and starts the first
// ones at once. `pictures` is how many pictures will be opened in all, when
// known (a command line's inputs), so that no worker is started that will
// never be used; -1 when it is not known (the window).
void KeepSpareWorkers(int count, int pictures = -1);

// A waiting worker of `program`, when one is kept; a new one is started in
// its place while there are pictures left to open. Null otherwise.
std::unique_ptr<WorkerProcess> TakeSpareWorker(const QString& program);
// A worker of `program` is waiting (none is taken).
bool SpareWorkerWaiting(const QString& program);

// Takes over, as a waiting worker, the one a launcher started before it
// exec'd this program (worker_start.h); does nothing when there is none
// or the description is not of a worker of ours. The description is
// removed from the environment either way.
void AdoptStartedWorker();

// Ends the waiting workers and keeps none from now on.
void StopSpareWorkers();

}  // namespace imaging::sandbox
