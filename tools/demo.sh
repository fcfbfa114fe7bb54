#!/bin/bash
# The main job: the test host loads Greyloom64 and filters the bundled sample photograph into
# build/demo/coffee-greyloom.png. Extra arguments go to the test host (see --help).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/tools/wine-env.sh"
BIN="$ROOT/build/x64/bin"
for file in "$BIN/GreyloomHost.exe" "$BIN/Greyloom64.8bf"; do
    [ -f "$file" ] || { echo "demo: $file is missing; run tools/build.sh" >&2; exit 1; }
done
"$ROOT/tools/wine-up.sh"
mkdir -p "$ROOT/build/demo"
OUT="$ROOT/build/demo/coffee-greyloom.png"
(cd "$BIN" && wine GreyloomHost.exe --plugin "$BIN/Greyloom64.8bf" \
    --in "$ROOT/samples/coffee.png" --out "$OUT" --log "$@")
echo "demo: wrote $OUT"
