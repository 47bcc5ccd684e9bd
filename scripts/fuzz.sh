#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time over its committed seeds
# (tests/fuzz/<target>/seeds), its saved regressions and the files of its
# kind in the shared corpus (../shared/corpus beside the source tree, when
# present). An input that crashes or trips a sanitizer is kept in
# tests/fuzz/<target>/regressions/ and the run fails: fix the cause and
# commit the input, which the test suite then replays in every build.
#
#   scripts/fuzz.sh [target...]        all targets when none is named
#
# Environment: TESS_FUZZ_BUILD_DIR (default build-fuzz, configured with
# -DTESS_SANITIZE=ON -DTESS_FUZZ=ON and clang; built here if needed),
# TESS_FUZZ_SECONDS (per target, default 60), TESS_FUZZ_PARALLEL (targets
# at once, default 2), TESS_CORPUS (default ../shared/corpus).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESS_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${TESS_FUZZ_SECONDS:-60}
parallel=${TESS_FUZZ_PARALLEL:-2}
corpus=${TESS_CORPUS:-$root/../shared/corpus}

all=(wmf emf dib language tiff_directory container_checks exif jpeg_markers cli_options)
targets=("$@")
((${#targets[@]})) || targets=("${all[@]}")

# The shared corpus's formats (MANIFEST.tsv, column 7) each target reads.
formats_of() {
    case "$1" in
        wmf) echo WMF ;;
        emf) echo EMF ;;
        dib) echo "BMP DIB" ;;
        tiff_directory | exif) echo TIFF ;;
        container_checks) echo "GIF BMP" ;;
        jpeg_markers) echo JPEG ;;
        *) echo "" ;;
    esac
}

if [[ ! -f "$build/CMakeCache.txt" ]]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTESS_SANITIZE=ON -DTESS_FUZZ=ON >/dev/null
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

work="$build/fuzz-work"
source "$root/scripts/sanitizer-env.sh"
export QT_QPA_PLATFORM=offscreen

# Copies the shared corpus files of the target's formats (and, for the
# language reader, the shipped language files) into one folder.
gather_shared() {
    local target=$1 dir=$2
    rm -rf "$dir" && mkdir -p "$dir"
    [[ "$target" == language ]] && cp "$root"/language/*.ini "$dir"/
    local formats
    formats=$(formats_of "$target")
    [[ -n "$formats" && -f "$corpus/MANIFEST.tsv" ]] || return 0
    awk -F'\t' -v want=" $formats " 'NR > 1 && index(want, " " $7 " ") { print $1 }' "$corpus/MANIFEST.tsv" |
        while IFS= read -r path; do
            [[ -f "$corpus/$path" ]] && cp "$corpus/$path" "$dir/$(echo "$path" | tr / _)"
        done
}

run_one() {
    local target=$1
    local dir="$work/$target" regressions="$root/tests/fuzz/$target/regressions"
    mkdir -p "$dir/corpus" "$regressions"
    gather_shared "$target" "$dir/shared"
    if "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$regressions/" \
        "$dir/corpus" "$root/tests/fuzz/$target/seeds" "$regressions" "$dir/shared" >"$dir/log" 2>&1; then
        echo "fuzz $target: ok, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$dir/log" | grep -o '[0-9]*$') runs in ${seconds}s"
    else
        echo "fuzz $target: FAILED, input kept in tests/fuzz/$target/regressions/; log $dir/log:"
        grep -E 'ERROR|SUMMARY|runtime error|#[0-9]+ 0x' "$dir/log" | head -30
        return 1
    fi
}
export -f run_one gather_shared formats_of
export root build seconds corpus work

mkdir -p "$work"
status=0
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run_one {}' | tee "$work/summary" || status=1
passed=$(grep -c ': ok,' "$work/summary" || true)
echo "fuzz: $passed passed, $((${#targets[@]} - passed)) failed"
exit $status
