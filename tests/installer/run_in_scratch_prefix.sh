#!/bin/bash
# Runs a program under Wine in a throw-away copy of the build's Wine prefix, so that the
# registry keys and folders the installer tests make never reach the shared prefix and test
# programs can run side by side. Usage: run_in_scratch_prefix.sh program.exe [arguments]
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-env.sh"
template="$WINEPREFIX"
[ -f "$template/system.reg" ] || "$GREYLOOM_ROOT/tools/wine-up.sh"
scratch="$(mktemp -d "$template-scratch.XXXXXX")"
cleanup() {
    WINEPREFIX="$scratch" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$scratch" wineserver -w >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# Hard links make the copy instant; the registry files and the users' folders are copied for
# real because they are what the scratch wineserver and the tests rewrite, some in place (a
# settings file truncated and written through a hard link would change the shared prefix).
cp -al "$template/." "$scratch/"
for file in "$template"/*.reg; do cp --remove-destination "$file" "$scratch/"; done
rm -rf "$scratch/drive_c/users"
cp -a "$template/drive_c/users" "$scratch/drive_c/"
export WINEPREFIX="$scratch"
# Wine's background services start here with their output sent away, so that they do not
# hold the caller's output pipe open.
wineserver -p >/dev/null 2>&1 </dev/null || true
wineboot >/dev/null 2>&1 </dev/null
wine "$@"
