#include "imaging/sandbox/worker_failure.h"

namespace imaging::sandbox {
namespace {

thread_local WorkerFailure lastFailure;

}  // namespace

Status StatusFor(const WorkerFailure& failure) {
    switch (failure.kind) {
    case WorkerFailureKind::None: return Status::Ok;
    case WorkerFailureKind::OutOfMemory: return Status::OutOfMemory;
    case WorkerFailureKind::TimedOut: return Status::Aborted;
    case WorkerFailureKind::NotStarted: return Status::Win32Error;
    case WorkerFailureKind::Crashed:
    case WorkerFailureKind::BrokenReply: break;
    }
    return Status::GenericError;
}

WorkerFailure LastWorkerFailure() { return lastFailure; }
void ClearWorkerFailure() { lastFailure = {}; }
void NoteWorkerFailure(const WorkerFailure& failure) { lastFailure = failure; }

}  // namespace imaging::sandbox
