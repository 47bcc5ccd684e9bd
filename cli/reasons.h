#pragma once
// The reasons printed after tessaline-convert's messages: the system's own
// words for files it cannot open or write, and the decoder's status in words.

#include "imaging/core/status.h"
#include "imaging/sandbox/worker_failure.h"

#include <QString>

// Why `path` cannot be opened for reading (strerror), or empty when it can.
QString ReadProblem(const QString& path);
// Why a file cannot be written at `path` (missing or read-only folder, a
// folder in the way, a read-only file), or empty when nothing stands in the
// way. Nothing is created.
QString WriteProblem(const QString& path);
// A decoder's or encoder's status in words.
QString StatusReason(imaging::Status status);
// Why the decoding worker failed, in words; empty when it did not.
QString WorkerFailureReason(const imaging::sandbox::WorkerFailure& failure);
