#!/bin/bash
# Times the effect chain: the shipped plug-in in the test host filters a 6000 x 4000 image
# (the coffee sample scaled up) with settings B (film look: settings A plus grain, vignette
# and aging) and C (B plus paper, dynamic contrast, diffusion, glow and a soft random frame),
# at 8 and 16 bits, on all threads and on one (median of 5 runs, from the start selector to
# the end of the finish selector), and diffusion at radius 1 against 100. Then G'MIC runs a
# comparable chain on the same pixels (channel mix, curve, noise, vignette, local
# normalisation, blur; its own timer, without file input and output) and the ratio is
# printed; last, the test host's peak memory with settings C at 16 bits.
# With "profile", last the render engine's stages: settings A, B and C on one thread and on
# all, the first render apart (its memory faults in) from the fastest of five.
# A benchmark, not a test: the figures depend on the machine and its load. So the load is
# printed first, and the machine's own speed-up on all threads, with work that has no serial
# part, before and after the timings: no speed-up of the plug-in's can pass it.
# Usage: tools/bench_render_effects.sh [x64|x86] [profile]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCH="${1:-x64}"
PROFILE="${2:-}"
command -v gmic >/dev/null || sudo -n apt-get install -y gmic >/dev/null ||
    apt-get install -y gmic >/dev/null
"$ROOT/tools/build.sh" >/dev/null
"$ROOT/tools/wine-up.sh"
source "$ROOT/tools/wine-env.sh"
BIN="$ROOT/build/$ARCH/bin"
WORK="$ROOT/build/bench"
mkdir -p "$WORK"

capacity() {
    (cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "" capacity 2>/dev/null)
}
echo "== machine load $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
capacity
echo "== Greyloom ($ARCH), 6000 x 4000, settings B and C"
(cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "$(winepath -w "$WORK")\\in" \
    2>/dev/null) | tee "$WORK/effects.txt"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

capacity
echo "== G'MIC $(gmic -version 2>&1 | sed -n 's/.*Version \([0-9.]*\).*/\1/p' | head -1):" \
    "channel mix, curve, noise, vignette, local normalisation, blur"
for depth in 8 16; do
    times=""
    for run in 1 2 3; do
        seconds=$(gmic -v -1 "$WORK/in$depth.ppm" tic \
            mix_channels "(0.213,0.715,0.072)" apply_curve 1,0,0,64,48,192,206,255,255 \
            noise 10,0 vignette 100,70,95 normalize_local 2,6 blur 5 toc 2>&1 |
            sed -n 's/.*Elapsed time: \([0-9.]*\) s.*/\1/p' | tail -1)
        times="$times $(awk -v s="$seconds" 'BEGIN { printf "%.0f", s * 1000 }')"
    done
    gmicMs=$(echo $times | tr ' ' '\n' | median)
    ours=$(sed -n "s/^ *$depth-bit settings C *all threads: median \([0-9.]*\) ms.*/\1/p" \
        "$WORK/effects.txt")
    awk -v g="$gmicMs" -v o="$ours" -v d="$depth" 'BEGIN {
        printf "%d-bit: G'"'"'MIC median %d ms; Greyloom settings C %.1f ms: G'"'"'MIC / Greyloom = %.2f\n",
            d, g, o, g / o }'
done

echo "== Peak memory of the test host, settings C at 6000 x 4000 x 16 bits"
(cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "" memory 2>/dev/null) |
    tee "$WORK/memory.txt"
(cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "" memory-pass-through \
    2>/dev/null) | tee -a "$WORK/memory.txt"
awk '/bytes a pixel/ { for (i = 1; i <= NF; ++i) if ($(i + 1) == "bytes") v[NR] = $i }
    END { printf "the plug-in'"'"'s own share: %.1f bytes a pixel\n", v[1] - v[2] }' "$WORK/memory.txt"

if [ "$PROFILE" = profile ]; then
    echo "== Stages of the render engine (machine load $(cut -d' ' -f1-3 /proc/loadavg))"
    (cd "$BIN" && wine effects_bench.exe "$ROOT/samples/coffee.png" "" profile "$(nproc)" 5 \
        2>/dev/null)
fi
