#!/usr/bin/env bash
# Builds Tessaline with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize/ (or $TESS_SANITIZE_BUILD_DIR), with the fuzz targets
# in the same tree, and runs the whole test suite there. Extra CMake options
# may be given as arguments.
#
# Any sanitizer report aborts the program (a test fails, and the corpus test
# sees a crash rather than an ordinary refusal). The corpus test runs over
# the whole corpus here too unless CORPUS_STRIDE=N picks every Nth file:
# its hostile files reach decoder paths that no unit test does, and only
# this build tells undefined behaviour there from a refusal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESS_SANITIZE_BUILD_DIR:-$root/build-sanitize}
"$root/scripts/setup-debian.sh"
CC=clang CXX=clang++ TESS_BUILD_DIR=$build "$root/scripts/build.sh" -DTESS_SANITIZE=ON -DTESS_FUZZ=ON "$@"

source "$root/scripts/sanitizer-env.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" ${TESS_CTEST_ARGS:-}
