#!/bin/bash
# Starts what every Wine run needs, once: the X display (Xvfb), the Wine prefix and a
# persistent wineserver. Idempotent and quick when everything already runs.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 100); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.05; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
    # Without a window manager, closing a managed window costs two seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
fi

# Background services started here, with their output sent away, so that later runs
# do not hand them a test's output pipe.
wineserver -p >/dev/null 2>&1 </dev/null || true
wineboot >/dev/null 2>&1 </dev/null
