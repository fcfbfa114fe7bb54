#!/bin/bash
# The main job: the test host loads Greyloom64 and renders the bundled sample photograph in
# black and white with the "Espresso" look (samples/espresso-look.txt, replayed as a recorded
# scripting descriptor) into build/demo/coffee-espresso.png. Extra arguments go to the test
# host (see --help).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/tools/wine-env.sh"
BIN="$ROOT/build/x64/bin"
for file in "$BIN/GreyloomHost.exe" "$BIN/Greyloom64.8bf"; do
    [ -f "$file" ] || { echo "demo: $file is missing; run tools/build.sh" >&2; exit 1; }
done
"$ROOT/tools/wine-up.sh"
mkdir -p "$ROOT/build/demo"
OUT="$ROOT/build/demo/coffee-espresso.png"
(cd "$BIN" && wine GreyloomHost.exe --plugin "$BIN/Greyloom64.8bf" \
    --in "$ROOT/samples/coffee.png" --descriptor-in "$ROOT/samples/espresso-look.txt" \
    --out "$OUT" --log "$@")
echo "demo: wrote $OUT"
