#!/bin/bash
# Measures the dialog's start under Wine: from the start of the run to EVENT_DIALOG_SHOWN with
# every control number in use (sliders, buttons, lists, combo boxes, trackbars...), five runs
# in fresh processes, and prints the median of the whole start and of the part spent creating
# the controls in hook 0. A benchmark, not a test: the figures depend on the machine and its
# load, which is printed beside them. Only x64 runs on kernels without 32-bit support.
# Usage: tools/bench_dialog.sh [x64|x86|both] [runs]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCHS="${1:-x64}"
[ "$ARCHS" = both ] && ARCHS="x64 x86"
RUNS="${2:-5}"
"$ROOT/tools/wine-up.sh" >/dev/null
source "$ROOT/tools/wine-env.sh"
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
for arch in $ARCHS; do
    bin="$ROOT/build/$arch/bin"
    if [ ! -x "$bin/dialog_windows.exe" ]; then
        echo "== $arch: $bin/dialog_windows.exe is missing (build first)"
        continue
    fi
    shown=() build=()
    for run in $(seq "$RUNS"); do
        line=$(cd "$bin" && GREYLOOM_BIN_DIR="$bin" wine dialog_windows.exe \
            --gtest_filter='*FourHundredControls*' 2>/dev/null | grep -a 'EVENT_DIALOG_SHOWN' || true)
        [ -z "$line" ] && { echo "== $arch run $run: no figures (x86 needs 32-bit support)"; continue; }
        shown+=("$(sed -E 's/.*in use: ([0-9.]+) ms.*/\1/' <<<"$line")")
        build+=("$(sed -E 's/.*of them: ([0-9.]+) ms.*/\1/' <<<"$line")")
        echo "run $run: ${shown[-1]} ms to shown, ${build[-1]} ms creating controls"
    done
    [ ${#shown[@]} -eq 0 ] && continue
    s=$(printf '%s\n' "${shown[@]}" | median)
    b=$(printf '%s\n' "${build[@]}" | median)
    echo "== $arch: median of ${#shown[@]}: $s ms to EVENT_DIALOG_SHOWN, $b ms of it creating the controls (load: $(cut -d' ' -f1-3 /proc/loadavg))"
done
