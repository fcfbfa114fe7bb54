#!/bin/bash
# Times the render engine: the shipped plug-in in the test host filters a 6000 x 4000 image
# (the coffee sample scaled up) with settings A (standard conversion and an S-curve), at 8 and
# 16 bits, on one thread and on all (medians of 11 rounds, from the start selector to the end
# of the finish selector); a pass-through plug-in's run in each round gives the test host's own
# share, and each run less its round's pass-through run the render's share.
# Then libvips does the like work on the same pixels (recomb to grey, cast, maplut through a
# curve) and the ratio is printed; last, the test host's peak memory at 16 bits.
# A benchmark, not a test: the figures depend on the machine and its load, which is printed
# before and after (load averages over 1, 5 and 15 minutes, against the processor count), and
# so is the machine's own speed-up on all threads with work that has no serial part, before
# and after Greyloom's timings: no speed-up of the plug-in's can pass it.
# Usage: tools/bench_render.sh [x64|x86]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCH="${1:-x64}"
command -v vips >/dev/null || sudo -n apt-get install -y libvips-tools >/dev/null ||
    apt-get install -y libvips-tools >/dev/null
"$ROOT/tools/build.sh" >/dev/null
"$ROOT/tools/wine-up.sh"
source "$ROOT/tools/wine-env.sh"
BIN="$ROOT/build/$ARCH/bin"
WORK="$ROOT/build/bench"
mkdir -p "$WORK"
load() { echo "machine load $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"; }

capacity() {
    (cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "" capacity 2>/dev/null)
}

load
capacity

echo "== Greyloom ($ARCH), 6000 x 4000, settings A"
(cd "$BIN" && wine pipeline_bench.exe "$ROOT/samples/coffee.png" "$(winepath -w "$WORK")\\in") |
    tee "$WORK/greyloom.txt"
capacity

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
milliseconds() { date +%s%3N; }

echo "== libvips $(vips --version | cut -d- -f2): recomb, cast and maplut on the same pixels"
printf '3 1\n0.213 0.715 0.072\n' > "$WORK/luma709.mat"
for depth in 8 16; do
    if [ "$depth" = 8 ]; then format=uchar; size=256; else format=ushort; size=65536; fi
    vips copy "$WORK/in$depth.ppm" "$WORK/in$depth.v"
    if [ "$depth" = 8 ]; then vips identity "$WORK/lut$depth.v"
    else vips identity "$WORK/lut$depth.v" --ushort --size $size; fi
    times=""
    for run in 1 2 3 4 5; do
        start=$(milliseconds)
        vips recomb "$WORK/in$depth.v" "$WORK/grey$depth.v" "$WORK/luma709.mat"
        vips cast "$WORK/grey$depth.v" "$WORK/cast$depth.v" $format
        vips maplut "$WORK/cast$depth.v" "$WORK/out$depth.v" "$WORK/lut$depth.v"
        times="$times $(( $(milliseconds) - start ))"
    done
    vipsMs=$(echo $times | tr ' ' '\n' | median)
    ours=$(sed -n "s/^ *$depth-bit all threads: median \([0-9.]*\) ms.*/\1/p" "$WORK/greyloom.txt")
    share=$(sed -n "s/^ *$depth-bit render share.*median \([-0-9.]*\) ms on all threads.*/\1/p" \
        "$WORK/greyloom.txt")
    echo "$depth-bit: libvips median ${vipsMs} ms (files in vips format, written and read)"
    awk -v v="$vipsMs" -v o="$ours" -v s="$share" 'BEGIN {
        printf "  Greyloom all threads %.1f ms: libvips / Greyloom = %.2f\n", o, v / o;
        if (s > 0) printf "  libvips / render share (%.1f ms) = %.2f\n", s, v / s }'
    rm -f "$WORK/grey$depth.v" "$WORK/cast$depth.v" "$WORK/out$depth.v"
done

echo "== Peak memory of the test host at 6000 x 4000 x 16 bits"
(cd "$BIN" && wine pipeline_bench.exe "$ROOT/samples/coffee.png" "" memory)
load
