#!/usr/bin/env bash
# Configures and builds Tessaline into build/ (or $TESS_BUILD_DIR).
# Extra CMake options may be given as arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESS_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
