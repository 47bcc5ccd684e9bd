#pragma once
// The decoders behind a process boundary: a PictureSource whose every
// answer comes from a locked-down worker process (decoder/) that was handed
// the picture as a read-only descriptor. A worker that crashes, runs out of
// memory or out of time fails the call; the reason is noted for the thread
// (worker_failure.h) and the source refuses every later call.

#include "imaging/core/picture_source.h"
#include "imaging/core/status.h"

#include <QString>

#include <memory>

namespace imaging {

struct SandboxSettings {
    // How long the worker may take for opening the picture or for one
    // frame; $TESS_DECODER_TIME_LIMIT_MS overrides it.
    int timeLimitMs = 20'000;
};

// The settings the program uses: the defaults and the environment.
SandboxSettings DefaultSandboxSettings();

Status OpenSandboxedPictureSource(const QString& path, const DecodeLimits& limits,
                                  std::unique_ptr<PictureSource>& source,
                                  const SandboxSettings& settings = DefaultSandboxSettings());

}  // namespace imaging
