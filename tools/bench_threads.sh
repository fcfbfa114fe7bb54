#!/bin/bash
# Measures what the worker threads cost under Wine: an empty pool job, an empty parallel-for
# (7 threads created and joined) and the grain pass over a 6000 x 4000 array on one thread
# and on all. A benchmark, not a test: the figures depend on the machine and its load.
# Usage: tools/bench_threads.sh [x64|x86|both] [width height]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ARCHS="${1:-x64}"
[ "$ARCHS" = both ] && ARCHS="x64 x86"
shift || true
"$ROOT/tools/build.sh" >/dev/null
"$ROOT/tools/wine-up.sh"
source "$ROOT/tools/wine-env.sh"
for arch in $ARCHS; do
    echo "== $arch"
    wine "$ROOT/build/$arch/bin/threads_bench.exe" "$@"
done
