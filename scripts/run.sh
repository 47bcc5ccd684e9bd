#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessaline.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"
exec "${TESS_BUILD_DIR:-$root/build}/tessaline"
