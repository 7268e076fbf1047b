#!/usr/bin/env bash
# Smoke test of the real game: runs bexaran.exe from the cross build under
# Wine on a private virtual X server, lets bexaran_probe.exe find the window
# of class "Win32Bexa" and check its client size and texts, ends the game by
# the close box and then by the Exit command, and wants exit code 0 each time.
#   wine_smoke.sh CROSS_BUILD_FOLDER WORK_FOLDER
set -euo pipefail
win_build=$1
work=$2
mkdir -p "$work"

# Build (or confirm up to date) what is run.
cmake --build "$win_build" --target bexaran bexaran_probe >/dev/null
exe=$win_build/shell/bexaran.exe
probe=$win_build/shell/bexaran_probe.exe

display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display WINEPREFIX=$work/prefix WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    # No window manager: Wine draws the frames itself; a crash ends quietly.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
fi

status=0
for way in close exit; do
    echo "== start, check, end by $way"
    wine "$exe" &
    game=$!
    if ! wine "$probe" 60 "$exe" "$way"; then
        echo "probe found faults"
        status=1
    fi
    code=0
    for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$game" 2>/dev/null; then
        echo "FAILED: the game did not end within 10 s"
        kill "$game"
        status=1
        continue
    fi
    wait "$game" || code=$?
    echo "game exit code $code"
    [ "$code" = 0 ] || status=1
done
exit $status
