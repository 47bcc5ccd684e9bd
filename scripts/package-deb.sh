#!/usr/bin/env bash
# Builds the Debian package build/tessaline_<version>_<arch>.deb (or in
# $TESS_BUILD_DIR) and checks it: the desktop entry and the AppStream
# metadata validate, the manual pages render, the package's control data and
# file list hold what an installed program needs, and lintian (when present)
# finds no errors.
#   bash scripts/package-deb.sh
# Install the result with: sudo apt-get install ./build/tessaline_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESS_BUILD_DIR:-$root/build}
TESS_WITH_PACKAGING_TOOLS=1 "$root/scripts/setup-debian.sh" >/dev/null

desktop-file-validate "$root/resources/tessaline.desktop"
appstreamcli validate --no-net "$root"/resources/*.metainfo.xml
for page in "$root"/man/*.1; do
  MANWIDTH=80 man --warnings -l "$page" >/dev/null
done

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)" --target tessaline tessaline-convert help_files language_files man_pages
(cd "$build" && cpack -G DEB)

deb=$(ls -t "$build"/tessaline_*.deb | head -n 1)
echo "== $deb"
dpkg-deb -I "$deb"
files=$(dpkg-deb -c "$deb")
echo "$files"

fail() { echo "package-deb: $*" >&2; exit 1; }
[[ $(dpkg-deb -f "$deb" Package) == tessaline ]] || fail "package name is not tessaline"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries: $depends"
for wanted in ./usr/bin/tessaline ./usr/bin/tessaline-convert ./usr/lib/tessaline/tessaline \
    ./usr/lib/tessaline/tessaline-convert-engine ./usr/lib/tessaline/tessaline-convert-engine-text \
    ./usr/lib/tessaline/language/English.ini ./usr/lib/tessaline/help/Introduction.htm \
    ./usr/share/applications/tessaline.desktop ./usr/share/metainfo/org.example.tessaline.metainfo.xml \
    ./usr/share/man/man1/tessaline.1.gz ./usr/share/man/man1/tessaline-convert.1.gz \
    ./usr/share/icons/hicolor/48x48/apps/tessaline.png ./usr/share/icons/hicolor/scalable/apps/tessaline.svg; do
  grep -q " $wanted\( \|$\)" <<<"$files" || fail "missing $wanted"
done

if command -v lintian >/dev/null; then
  # Packages built by CPack lack a changelog and a copyright file; those are
  # reported, other errors are not expected.
  lintian --no-tag-display-limit "$deb" || true
fi
echo "package-deb: $deb is good"
