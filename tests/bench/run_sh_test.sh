#!/bin/bash
# run_sh_test.sh RUN_SH BUILD WORK -- runs the benchmark script for one round of J1 without the
# harness and checks that our converter wrote its output and the window's figures were printed.
set -u
run_sh=$1 build=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
out=$(HARNESS=none RUNS=1 WINDOW_RUNS=1 JOBS=J1 TESS_BUILD_DIR=$build bash "$run_sh" "$work" 2>&1)
status=$?
printf '%s\n' "$out"
fail() { echo "FAILED: $1"; exit 1; }
[ $status = 0 ] || fail "run.sh exited with $status"
printf '%s\n' "$out" | grep -Eq '^\| J1 \| [0-9]+\.[0-9]+ \| 1920x1280 \|$' || fail "no J1 time with a 1920x1280 output"
printf '%s\n' "$out" | grep -Eq '^open photo: first look drawn [0-9.]+ ms, whole picture and preview [0-9.]+ ms' ||
  fail "no Open Photo figures"
printf '%s\n' "$out" | grep -Eq '^convert \(window engine time\) [0-9.]+ ms' || fail "no Convert figure"
echo "ok"
