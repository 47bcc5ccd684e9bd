#!/usr/bin/env bash
# corpus_test.sh CORPUS_DIR TESSALINE_CONVERT
# Converts every file of the decoder corpus to 320x240 (frame 0, and frame 1
# of formats that can hold several), two at a time, each under a time limit.
# CORPUS_STRIDE=N takes every Nth file only (a sanitizer build's slower
# run); CORPUS_OFFSET picks which of the N.
# Fails on a crash (signal), a hang, a file left behind after a refusal, or
# exit 0 without a whole JPEG (SOI at the start, EOI at the end). A decoder
# worker that crashes or runs out of time is contained as a refusal, but it
# still is a fault of ours (and, in a sanitizer build, how a report in the
# worker shows): it counts as a crash or a hang here too.
set -u
CORPUS=$1 CLI=$2 LIMIT=${CORPUS_TIMEOUT:-20}
if [ ! -f "$CORPUS/MANIFEST.tsv" ]; then
  echo "corpus test skipped: no corpus at $CORPUS"
  exit 77
fi
WORK=$(mktemp -d) || exit 1
trap 'rm -rf "$WORK"' EXIT
export CLI LIMIT WORK QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$WORK

one() { # one FILE FRAME: prints a line for a fault, nothing when fine
  local f=$1 n=$2 dir rc bytes
  dir=$(mktemp -d "$WORK/run.XXXXXX")
  mkdir "$dir/out" "$dir/tmp"
  TMPDIR=$dir/tmp timeout -k 5 "$LIMIT" "$CLI" "$f" -o "$dir/out/OUT.jpg" --width 320 --height 240 --frame "$n" \
    >/dev/null 2>"$dir/err" </dev/null
  rc=$?
  if [ $rc = 124 ] || [ $rc = 137 ]; then echo "HANG $f [frame $n]"
  elif [ $rc -gt 128 ]; then echo "CRASH (signal $((rc - 128))) $f [frame $n]"
  elif grep -q 'the decoder crashed' "$dir/err"; then echo "CRASH (decoder worker) $f [frame $n]"
  elif grep -q 'the decoder took longer' "$dir/err"; then echo "HANG (decoder worker) $f [frame $n]"
  elif [ $rc = 0 ]; then
    bytes=$(od -An -tx1 -N2 "$dir/out/OUT.jpg" 2>/dev/null | tr -d ' ')$(tail -c 2 "$dir/out/OUT.jpg" 2>/dev/null | od -An -tx1 | tr -d ' ')
    [ "$bytes" = ffd8ffd9 ] || echo "BAD-OUTPUT $f [frame $n]"
  elif [ -n "$(find "$dir/out" "$dir/tmp" -mindepth 1 -print -quit)" ]; then echo "LEFT-BEHIND $f [frame $n]"
  fi
  rm -rf "$dir"
}
export -f one

START=$(date +%s)
STRIDE=${CORPUS_STRIDE:-1} OFFSET=${CORPUS_OFFSET:-0}
tail -n +2 "$CORPUS/MANIFEST.tsv" | awk -v s="$STRIDE" -v o="$OFFSET" '(NR - 1) % s == o' |
while IFS=$'\t' read -r path _ _ _ _ _ fmt _; do
  printf '%s\t0\n' "$CORPUS/$path"
  case $fmt in GIF|TIFF|ICO|WEBP|PNG) printf '%s\t1\n' "$CORPUS/$path" ;; esac
done | xargs -P 2 -d '\n' -n 1 bash -c 'IFS=$'"'"'\t'"'"' read -r f n <<<"$0"; one "$f" "$n"' >"$WORK/faults"
RUNS=$(tail -n +2 "$CORPUS/MANIFEST.tsv" | awk -v s="$STRIDE" -v o="$OFFSET" '(NR - 1) % s == o' | wc -l)
echo "corpus: $RUNS files in $(($(date +%s) - START)) s"
if [ -s "$WORK/faults" ]; then
  sort "$WORK/faults"
  echo "corpus: $(wc -l <"$WORK/faults") faults"
  exit 1
fi
echo "corpus: no faults"
