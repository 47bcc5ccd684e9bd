#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite offscreen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" "$@"
export QT_QPA_PLATFORM=offscreen
cd "${TESS_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)"
