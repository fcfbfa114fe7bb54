# Sourced by the project's scripts: the Wine prefix, display and paths every run shares.
# The prefix lives inside the build tree, never in the user's ~/.wine.
GREYLOOM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export GREYLOOM_ROOT
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$GREYLOOM_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY="${GREYLOOM_DISPLAY:-:77}"

# Some kernels cannot start 32-bit Linux programs (no IA-32 emulation). Wine's launcher then
# picks its 32-bit loader and fails with "Exec format error"; the 64-bit loader still runs
# 64-bit Windows programs, so shims put it first on the path for `wine` and the tools started
# through Wine's launcher, and the 32-bit tests are left out (GREYLOOM_WIN32=0).
if /usr/lib/wine/wine --version >/dev/null 2>&1 || [ ! -x /usr/lib/wine/wine64 ]; then
    export GREYLOOM_WIN32=1
else
    export GREYLOOM_WIN32=0
    shims="$GREYLOOM_ROOT/build/wine64-only"
    if [ ! -x "$shims/wineboot" ]; then
        mkdir -p "$shims"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$shims/wine"
        for tool in wine-stable wineboot winecfg wineconsole winepath; do
            printf '#!/bin/sh\nexec "%s/wine" %s "$@"\n' "$shims" "${tool%-stable}" >"$shims/$tool"
        done
        printf '#!/bin/sh\nexec "%s/wine" "$@"\n' "$shims" >"$shims/wine-stable"
        chmod +x "$shims"/*
    fi
    case ":$PATH:" in
    *":$shims:"*) ;;
    *) export PATH="$shims:$PATH" ;;
    esac
fi
