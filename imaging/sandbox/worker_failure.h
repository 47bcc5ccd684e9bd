#pragma once
// Why a decoding worker failed, beyond the Status the load returns: the
// command line names it. Kept per thread, as conversions run side by side
// and each load happens on one thread.

#include "imaging/core/status.h"

namespace imaging::sandbox {

enum class WorkerFailureKind {
    None,
    NotStarted,   // no worker program, or it could not be started
    Crashed,      // ended by a signal
    TimedOut,     // past the time limit (killed by us, or by its CPU limit)
    OutOfMemory,  // memory ran out under its limit
    BrokenReply,  // said something this build does not accept
};

struct WorkerFailure {
    WorkerFailureKind kind = WorkerFailureKind::None;
    int signal = 0;   // Crashed
    int seconds = 0;  // TimedOut: the limit
};

// The Status a load returns for a failed worker.
Status StatusFor(const WorkerFailure& failure);

// The last failure noted on this thread since ClearWorkerFailure.
WorkerFailure LastWorkerFailure();
void ClearWorkerFailure();
void NoteWorkerFailure(const WorkerFailure& failure);

}  // namespace imaging::sandbox
