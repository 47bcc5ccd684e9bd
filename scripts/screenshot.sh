#!/usr/bin/env bash
# Starts Tessaline on a virtual screen and saves a screenshot of it, to look
# at the real window without a desktop:
#   bash scripts/screenshot.sh [output.png] [seconds to wait]
# Needs the display tools: TESS_WITH_DISPLAY_TOOLS=1 scripts/setup-debian.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshot.png}
wait_seconds=${2:-3}
display=:${TESS_DISPLAY:-93}
TESS_WITH_DISPLAY_TOOLS=1 "$root/scripts/setup-debian.sh" >/dev/null
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display "${TESS_BUILD_DIR:-$root/build}/tessaline" &
app=$!
sleep "$wait_seconds"
DISPLAY=$display import -window root "$out"
echo "screenshot: $out"
