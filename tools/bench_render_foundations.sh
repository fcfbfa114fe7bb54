#!/bin/bash
# Timings of the render foundations (not a test): the recursive blur of a 6000 x 4000 image
# of three 1-byte planes at small and large radii on 1 and 8 threads, libvips' gaussblur
# (sigma 30) on the same pattern for comparison, and the local contrast of a 6000 x 4000
# 16-bit plane on 1 and 8 threads. Prints the best of five runs in milliseconds.
# Usage: tools/bench_render_foundations.sh [x64|x86]   (GREYLOOM_DISPLAY as for the tests)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCH="${1:-x64}"
WIDTH=6000
HEIGHT=4000

if ! command -v vips >/dev/null; then
    apt-get install -y -qq libvips-tools >/dev/null
fi
"$ROOT/tools/build.sh" >/dev/null
"$ROOT/tools/wine-up.sh" >/dev/null
source "$ROOT/tools/wine-env.sh"
BENCH="$ROOT/build/$ARCH/bin/render_bench.exe"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

bench() { wine "$BENCH" "$@" 2>/dev/null | tr -d '\r'; }

echo "RecursiveBlurMT, ${WIDTH} x ${HEIGHT} x 3 planes of 1 byte (ms):"
for threads in 1 8; do
    for radius in 1 10 100 1000; do
        printf '  %d thread(s), radius %4d tenths: %s\n' "$threads" "$radius" \
            "$(bench blur $WIDTH $HEIGHT $radius $threads)"
    done
done
for threads in 1 8; do
    printf '  passes on %d thread(s), radius 100 tenths: %s\n' "$threads" \
        "$(bench passes $WIDTH $HEIGHT 100 $threads)"
done

# The same pattern through libvips, converted to its own format first so that only the blur
# and its write are timed.
bench blur $WIDTH $HEIGHT 0 1 "$(winepath -w "$SCRATCH/pattern.ppm")" >/dev/null
vips copy "$SCRATCH/pattern.ppm" "$SCRATCH/pattern.v"
best=""
for _ in 1 2 3; do
    start=$(date +%s%N)
    vips gaussblur "$SCRATCH/pattern.v" "$SCRATCH/blurred.v" 30
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
echo "vips gaussblur sigma 30 on the same pattern (ms, best of 3): $best"

echo "Local contrast, ${WIDTH} x ${HEIGHT} 16-bit, detail 80 (ms):"
for threads in 1 8; do
    printf '  %d thread(s): %s\n' "$threads" "$(bench contrast $WIDTH $HEIGHT $threads)"
done
