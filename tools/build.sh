#!/bin/bash
# Builds both architectures: build/x64 (Greyloom64) and build/x86 (Greyloom32, Fitwright).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
for arch in x64 x86; do
    toolchain=x86_64
    [ "$arch" = x86 ] && toolchain=i686
    if [ ! -f "$ROOT/build/$arch/build.ninja" ]; then
        cmake -S "$ROOT" -B "$ROOT/build/$arch" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$toolchain.cmake" >/dev/null
    fi
    cmake --build "$ROOT/build/$arch" -j "$(nproc)"
done
