#!/bin/bash
# run.sh [WORKDIR] -- benchmarks tessaline-convert against ImageMagick, GraphicsMagick, libvips
# and Pillow on jobs J1-J6 and reports ratios (our time / the peer's), peak memory and accuracy;
# then J7 (bench/j7-heic.sh: a 12 MP HEIC against ImageMagick and vips), which the shared harness
# does not have; then the window's own figures, in process (tessaline-engine-timing).
#
#   bench/run.sh                       # work folder in /dev/shm, RUNS=5
#   RUNS=9 bench/run.sh /dev/shm/tb
#   RUNS=1 JOBS=J1 bench/run.sh        # one quick round of one job
#
# The inputs are generated deterministically by the harness in $HARNESS (make-inputs.sh: seeded
# plasma, shapes, blur and noise); timing (run.sh: median of RUNS interleaved runs, peak RSS from
# /usr/bin/time's "%M") and accuracy (quality.sh: luma PSNR at q100 against a 16-bit Catmull-Rom
# reference, mean shift) come from the same harness, with TESS_CMD pointing at our converter.
#
# Peers that are not installed are left out (BENCH_INSTALL=1 installs them first). Without the
# harness, or without ImageMagick (which makes the harness's inputs and checks the outputs), or
# with HARNESS=none, the script times our converter alone on a picture the engine timer makes,
# running the same command template the same way, so the command itself is always exercised.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
HARNESS=${HARNESS:-$root/../shared/bench}
WD=${1:-$(mktemp -d -p /dev/shm tessbench.XXXXXX)}
mkdir -p "$WD" && WD=$(cd "$WD" && pwd)
BUILD=${TESS_BUILD_DIR:-$root/build}
export RUNS=${RUNS:-5}
JOBS=${JOBS:-"J1 J2 J3 J4 J5 J6 J7"}
TIMER=$BUILD/bench/tessaline-engine-timing

if [ "${BENCH_INSTALL:-0}" = 1 ]; then
  need=""
  for p in imagemagick graphicsmagick libvips-tools python3-pil libjpeg-turbo-progs libheif-examples; do
    dpkg -s "$p" > /dev/null 2>&1 || need="$need $p"
  done
  [ -z "$need" ] || { apt-get update -q && apt-get install -y -q $need; }
fi
[ -x "$BUILD/cli/tessaline-convert" ] || TESS_BUILD_DIR=$BUILD bash "$root/scripts/build.sh"

# The converter's command for the harness (tools.sh substitutes the {names}, shell-quoted, and
# runs the result with /bin/sh -c). The colour is escaped: an unquoted "#" starts a comment in sh.
# "exec": the shell gives way to the converter, as tools.sh execs the peers' commands, rather
# than waiting for it as a parent (dash does not exec a lone command by itself).
export TESS_CMD="exec $BUILD/cli/tessaline-convert {in} -o {out} --width {w} --height {h} --quality {q} \
--rotate {rot} --frame {frame} --text {text} --at 40,40 --font-size 40 --color \\#FFFFFF --force"

# The peers of the harness that are installed here.
present_tools() {
  local t list=""
  [ -x /usr/bin/convert ] && list="$list im"
  [ -x /usr/bin/gm ] && list="$list gm"
  [ -x /usr/bin/vips ] && list="$list vips"
  /usr/bin/python3 -c 'import PIL' > /dev/null 2>&1 && list="$list pil"
  [ -x /usr/bin/vips ] && list="$list vipsthumb"
  for t in $list; do printf '%s ' "$t"; done
  echo tess
}

# tess_once IN OUT W H Q ROT FRAME TEXT: the template run exactly as the harness's tools.sh runs it.
tess_once() {
  local t=$TESS_CMD k v
  local -A val=([in]=$1 [out]=$2 [w]=$3 [h]=$4 [q]=$5 [rot]=$6 [frame]=$7 [text]=$8)
  for k in in out w h q rot frame text; do
    v=${val[$k]}
    t=${t//"{$k}"/$(printf %q "$v")}
  done
  /bin/sh -c "$t"
}

# Without the harness: our converter alone, J1 and J4 on pictures the engine timer writes.
self_run() {
  echo "## tessaline-convert alone (no harness or no ImageMagick here; median of $RUNS)"
  echo
  echo "| job | median s | output |"
  echo "|---|---|---|"
  [ -f "$WD/in6000x4000.jpg" ] || "$TIMER" --make-input 6000 4000 92 "$WD/in6000x4000.jpg"
  [ -f "$WD/in800x600.jpg" ] || "$TIMER" --make-input 800 600 92 "$WD/in800x600.jpg"
  local j in w h rot text r t0 t1 times status=0
  for j in $JOBS; do
    case $j in
    J1) in=in6000x4000.jpg w=1920 h=1280 rot=0 text= ;;
    J2) in=in6000x4000.jpg w=1920 h=1280 rot=90 text="Bench stamp 2024-05-17 12:34" ;;
    J4) in=in800x600.jpg w=3200 h=2400 rot=0 text= ;;
    *) echo "| $j | - | needs the harness's inputs |"; continue ;;
    esac
    rm -f "$WD/$j.tess.jpg"
    tess_once "$WD/$in" "$WD/$j.tess.jpg" $w $h 85 $rot 0 "$text" > /dev/null || status=1   # warm-up
    times=
    for r in $(seq 1 "$RUNS"); do
      t0=$EPOCHREALTIME
      tess_once "$WD/$in" "$WD/$j.tess.jpg" $w $h 85 $rot 0 "$text" > /dev/null || status=1
      t1=$EPOCHREALTIME
      times="$times $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')"
    done
    printf '| %s | %s | %s |\n' "$j" "$(printf '%s\n' $times | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')" \
      "$("$TIMER" --size "$WD/$j.tess.jpg" 2> /dev/null || echo unreadable)"
  done
  return $status
}

window_figures() {
  echo "## The window, in process (median of ${WINDOW_RUNS:-7}): Open Photo of J1's source and Convert to 1920x1280 q85"
  echo
  "$TIMER" "$WD/in6000x4000.jpg" 1920 1280 85 "$WD/window.jpg" "${WINDOW_RUNS:-7}" 2 2> /dev/null
}

status=0
if [ "$HARNESS" = none ] || [ ! -f "$HARNESS/run.sh" ] || [ ! -x /usr/bin/identify ]; then
  self_run > "$WD/self.md" || status=1
  window_figures > "$WD/window.md" || status=1
  cat "$WD/self.md" "$WD/window.md"
  exit $status
fi

[ -f "$WD/inputs.txt" ] || bash "$HARNESS/make-inputs.sh" "$WD" >&2
export TOOLS=${TOOLS:-$(present_tools)}
JOBS=${JOBS/J7/} bash "$HARNESS/run.sh" "$WD" > "$WD/run.txt"
[[ " $JOBS " != *" J1 "* ]] || bash "$HARNESS/quality.sh" "$WD" > "$WD/quality.txt" 2> /dev/null || true
touch "$WD/quality.txt"
# Every job our converter was given must have succeeded.
R=$WD/results
if awk -F'\t' '$2 == "tess" && $3 == "FAIL" { bad = 1 } END { exit !bad }' "$R/summary.tsv"; then
  echo "tessaline-convert failed a job (see $R/*.tess.log)" >&2
  status=1
fi

# Ratios: our median time over each peer's, per job (below 1 = faster); RSS likewise.
{
  echo "## tessaline-convert / peer (median wall time; < 1 means faster)"
  echo
  awk -F'\t' '$3 != "FAIL" && $1 !~ /^#/ { t[$1, $2] = $3; m[$1, $2] = $4; jobs[$1] = 1; tools[$2] = 1 }
    END {
      printf "| job | im | gm | vips | pil | vipsthumb | floor | RSS tess/vips |\n|---|---|---|---|---|---|---|---|\n"
      n = split("J1 J2 J3 J4 J5 J6", js, " ")
      for (i = 1; i <= n; i++) { j = js[i]; if (!((j, "tess") in t)) continue
        printf "| %s |", j
        split("im gm vips pil vipsthumb floor", ps, " ")
        for (k = 1; k <= 6; k++) { p = ps[k]
          if ((j, p) in t && t[j, p] > 0) printf " %.2f |", t[j, "tess"] / t[j, p]; else printf " - |" }
        if ((j, "vips") in m && m[j, "vips"] > 0) printf " %.2f |\n", m[j, "tess"] / m[j, "vips"]; else printf " - |\n"
      } }' "$R/summary.tsv"
  echo
  window_figures
} > "$WD/ratios.md"
: > "$WD/j7.md"
if [[ " $JOBS " == *" J7 "* ]] && command -v heif-enc > /dev/null; then
  bash "$root/bench/j7-heic.sh" "$WD" "$BUILD" > "$WD/j7.md" || echo "J7 failed" >&2
fi
cat "$WD/run.txt" "$WD/quality.txt" "$WD/ratios.md" "$WD/j7.md"
exit $status
