#!/bin/bash
# Runs a program under Wine in a throw-away copy of the build's Wine prefix, so that the
# registry keys and folders the installer tests make never reach the shared prefix and test
# programs can run side by side. Usage: run_in_scratch_prefix.sh [--own-display] program.exe
# [arguments]. With --own-display the program also gets an X display of its own: its windows,
# focus, pointer and real input then meet no other test's, so window tests need not run alone.
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-env.sh"
ownDisplay=0
if [ "${1:-}" = --own-display ]; then
    ownDisplay=1
    shift
fi
template="$WINEPREFIX"
[ -f "$template/system.reg" ] || "$GREYLOOM_ROOT/tools/wine-up.sh"
scratch="$(mktemp -d "$template-scratch.XXXXXX")"
xserver=""
cleanup() {
    WINEPREFIX="$scratch" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$scratch" wineserver -w >/dev/null 2>&1 || true
    if [ -n "$xserver" ]; then
        kill "$xserver" 2>/dev/null || true
        wait "$xserver" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
if [ "$ownDisplay" = 1 ]; then
    # The X server takes the first free display number and writes it to the given descriptor,
    # so that runs side by side never race for one. Its output goes away, as Wine's services'.
    exec {numberFd}>"$scratch/x-display"
    Xvfb -displayfd "$numberFd" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    xserver=$!
    exec {numberFd}>&-
    for _ in $(seq 400); do
        [ -s "$scratch/x-display" ] && break
        kill -0 "$xserver" 2>/dev/null || break
        sleep 0.05
    done
    number="$(head -n 1 "$scratch/x-display" 2>/dev/null || true)"
    rm -f "$scratch/x-display"
    if [ -z "$number" ]; then
        echo "run_in_scratch_prefix: the X server for the program's own display did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
fi
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
