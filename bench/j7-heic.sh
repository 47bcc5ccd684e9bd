#!/bin/bash
# j7-heic.sh WORKDIR [BUILD] -- job J7: a 12 MP HEIC (4000x3000, made here with heif-enc -q 90 from
# the harness's in4000x3000.png) converted to 1920x1440 q85 by tessaline-convert, ImageMagick
# (its HEIC coder is libheif) and vips resize (heifload, Catmull-Rom kernel, no box pre-shrink).
# Timing as the harness does it: one warm-up, then RUNS runs interleaved round-robin, median wall
# time, peak RSS from /usr/bin/time. Accuracy as for J1: PSNR of the q85 output and luma PSNR of a
# q100 run against a 16-bit Catmull-Rom reference made by ImageMagick from the same decoded pixels
# (libheif through heif-convert), and the mean shift in 8-bit levels.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
WD=$1
BUILD=${2:-${TESS_BUILD_DIR:-$root/build}}
RUNS=${RUNS:-5}
export LC_ALL=C
D=$WD/j7; mkdir -p "$D"
IN=$D/in4000x3000.heic W=1920 H=1440 Q=85
[ -f "$WD/in4000x3000.png" ] || { echo "J7: $WD/in4000x3000.png missing (run the harness's make-inputs.sh)" >&2; exit 1; }
[ -f "$IN" ] || heif-enc -q 90 -o "$IN" "$WD/in4000x3000.png" > /dev/null
tools="tess vips"
if /usr/bin/convert -list format | grep -qi '^ *HEIC'; then tools="$tools im"
else echo "J7: this ImageMagick has no HEIC coder; im skipped" >&2; fi
if ! /usr/bin/vips -l 2> /dev/null | grep -q heifload; then
  echo "J7: this vips has no heifload; vips skipped" >&2; tools=${tools/ vips/}
fi

# one TOOL OUT QUALITY
one() {
  case $1 in
  tess) exec_cmd=("$BUILD/cli/tessaline-convert" "$IN" -o "$2" --width $W --height $H --quality "$3" --force) ;;
  im) exec_cmd=(/usr/bin/convert "$IN" -filter Catrom -resize "${W}x${H}!" -quality "$3" "$2") ;;
  vips) exec_cmd=(/usr/bin/vips resize "$IN" "$2[Q=$3]" 0.48 --vscale 0.48 --kernel cubic --gap 0) ;;
  esac
  "${exec_cmd[@]}" > /dev/null 2>&1
}

: > "$D/raw.tsv"
for t in $tools; do one "$t" "$D/J7.$t.jpg" $Q || echo "J7 $t: failed" >&2; done   # warm-up
set -- $tools
for r in $(seq 1 "$RUNS"); do
  for i in $(seq 0 $(($# - 1))); do
    n=$(( (i + r) % $# + 1 )); t=${!n}
    t0=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$D/time.txt" bash -c "$(declare -f one); IN='$IN' W=$W H=$H BUILD='$BUILD' one $t '$D/J7.$t.jpg' $Q"
    t1=$EPOCHREALTIME
    printf '%s\t%s\t%s\n' "$t" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')" "$(tail -1 "$D/time.txt")" >> "$D/raw.tsv"
  done
done

# accuracy: reference from libheif's own decode, 16-bit Catmull-Rom
cd "$D"
[ -f dec.png ] || heif-convert "$IN" dec.png > /dev/null
[ -f refIM.png ] || /usr/bin/convert dec.png -filter Catrom -resize "${W}x${H}!" -depth 16 refIM.png
[ -f yref.pgm ] || /usr/bin/convert refIM.png -grayscale Rec601Luma -depth 16 yref.pgm
psnr() { /usr/bin/compare -metric PSNR "$1" "$2" null: 2>&1 > /dev/null | awk '{ printf "%.2f", $1 }' || true; }
m0=$(/usr/bin/vips avg refIM.png)
echo "## J7: 12 MP HEIC -> 1920x1440 q85 (median of $RUNS; ratio = tess / tool)"
echo
echo "| tool | median s | tess/tool | peak RSS MiB | size | PSNR q85 vs ref | luma PSNR q100 | mean q100 - ref (LSB) |"
echo "|---|---|---|---|---|---|---|---|"
for t in $tools; do
  one "$t" "J7q100.$t.jpg" 100 || true
  /usr/bin/djpeg -grayscale -outfile y.pgm "J7q100.$t.jpg"
  stats=$(awk -F'\t' -v t="$t" '
    function med(a, n,   i, k, v) { for (i = 2; i <= n; i++) { v = a[i]
        for (k = i - 1; k > 0 && a[k] > v; k--) a[k + 1] = a[k]; a[k + 1] = v }
      return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    $1 == t { n++; w[n] = $2; if ($3 > m) m = $3 } $1 == "tess" { nt++; wt[nt] = $2 }
    END { a = med(w, n); b = med(wt, nt); printf "%.3f | %.2f | %.0f", a, b / a, m / 1024 }' raw.tsv)
  printf '| %s | %s | %s | %s | %s | %+.2f |\n' "$t" "$stats" \
    "$(/usr/bin/identify -format '%wx%h' "J7.$t.jpg")" "$(psnr "J7.$t.jpg" refIM.png)" "$(psnr y.pgm yref.pgm)" \
    "$(awk -v a="$(/usr/bin/vips avg "J7q100.$t.jpg")" -v b="$m0" 'BEGIN { print a - b / 257 }')"
done
