#!/bin/bash
# run.sh [WORKDIR] -- benchmarks tessaline-convert against ImageMagick, GraphicsMagick, libvips
# and Pillow on jobs J1-J6 and reports ratios (our time / the peer's), peak memory and accuracy;
# then J7 (bench/j7-heic.sh: a 12 MP HEIC against ImageMagick and vips), which the shared harness
# does not have.
#
#   bench/run.sh                 # work folder in /dev/shm, RUNS=5
#   RUNS=9 bench/run.sh /dev/shm/tb
#
# The inputs are generated deterministically by the harness in $HARNESS (make-inputs.sh: seeded
# plasma, shapes, blur and noise); timing (run.sh: median of RUNS interleaved runs, peak RSS from
# /usr/bin/time -v's "%M") and accuracy (quality.sh: luma PSNR at q100 against a 16-bit
# Catmull-Rom reference, mean shift) come from the same harness, with TESS_CMD pointing at our
# converter. This script installs the peers, builds the converter, adds the in-process timing of
# the window's Convert (tessaline-engine-timing) and turns the seconds into ratios.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
HARNESS=${HARNESS:-$root/../shared/bench}
WD=${1:-$(mktemp -d -p /dev/shm tessbench.XXXXXX)}
BUILD=${TESS_BUILD_DIR:-$root/build}
export RUNS=${RUNS:-5}

need=""
for p in imagemagick graphicsmagick libvips-tools python3-pil libjpeg-turbo-progs libheif-examples; do
  dpkg -s "$p" > /dev/null 2>&1 || need="$need $p"
done
[ -z "$need" ] || { apt-get update -q && apt-get install -y -q $need; }

[ -x "$BUILD/cli/tessaline-convert" ] || TESS_BUILD_DIR=$BUILD bash "$root/scripts/build.sh"
[ -f "$WD/inputs.txt" ] || bash "$HARNESS/make-inputs.sh" "$WD" >&2

export TESS_CMD="$BUILD/cli/tessaline-convert {in} -o {out} --width {w} --height {h} --quality {q} \
--rotate {rot} --frame {frame} --text {text} --at 40,40 --font-size 40 --color #FFFFFF --force"
bash "$HARNESS/run.sh" "$WD" > "$WD/run.txt"
bash "$HARNESS/quality.sh" "$WD" > "$WD/quality.txt" 2> /dev/null || true

# Ratios: our median time over each peer's, per job (below 1 = faster); RSS likewise.
R=$WD/results
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
  echo "## The window's Convert on a loaded 24 MP photo (in process, median of 7)"
  echo
  "$BUILD/bench/tessaline-engine-timing" "$WD/in6000x4000.jpg" 1920 1280 85 "$WD/window.jpg" 7 2 2> /dev/null
} > "$WD/ratios.md"
bash "$root/bench/j7-heic.sh" "$WD" "$BUILD" > "$WD/j7.md" || echo "J7 failed" >&2
cat "$WD/run.txt" "$WD/quality.txt" "$WD/ratios.md" "$WD/j7.md"
