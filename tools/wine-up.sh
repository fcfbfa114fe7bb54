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

# A program that crashes gets Wine's debugger, which by default waits behind a crash dialog
# that nobody closes: the test would hang until its time-out. Without the dialog the debugger
# writes the backtrace into the program's error output and ends it, and the test fails at once.
if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 </dev/null
fi

# Wine's desktop process (explorer.exe /desktop) is started by the first program that needs
# the desktop, and it takes over that program's standard error; it ends a second after the last
# program on the desktop. A test that started it keeps ctest waiting on its output until the
# desktop is idle again, which in a full run of side-by-side tests is never: the test "hangs"
# until its time-out, then passes at once. So a keeper stays on the desktop as long as the
# wineserver runs (a command shell reading a pipe that it holds open itself: it waits for
# ever and uses no processor; the lock makes it one per prefix), and once it is there the
# desktop is started here with its output sent away (rundll32 without arguments makes a
# window and ends).
keeper="$WINEPREFIX/desktop-keeper"
[ -p "$keeper.fifo" ] || mkfifo "$keeper.fifo"
setsid flock -n -o "$keeper.lock" wine cmd.exe <>"$keeper.fifo" >>"$keeper.log" 2>/dev/null &
marker="keeper ready $$ $RANDOM"
timeout 30 sh -c "echo 'echo $marker' >\"\$0\"" "$keeper.fifo" || true
for _ in $(seq 600); do
    grep -q "$marker" "$keeper.log" 2>/dev/null && break
    sleep 0.05
done
: >"$keeper.log"
wine rundll32.exe >/dev/null 2>&1 </dev/null
