#!/usr/bin/env bash
# Smoke test of the real game under Wine, each case on a private virtual X
# server. bexaran_probe.exe looks at the game from inside Wine: the window of
# class "Win32Bexa", its client size and texts; it then ends the game by the
# close box or the Exit command, and the game must exit with code 0.
#   - the game on a screen of exactly 800 x 600, ended by the close box
#   - the game ended by the Exit command
#   - the game without its pictures: one "Error Loading PNG" box each, then it runs
#   - a window that cannot be created: a box, then exit code 1 instead of waiting
#   - screens of 799 x 600 and 800 x 599: refused with a box, exit code 1 (IDOK)
#   - the saved-game file operations on the Windows file system
# Usage: wine_smoke.sh CROSS_BUILD_FOLDER WORK_FOLDER
set -euo pipefail
win_build=$1
work=$2
mkdir -p "$work"
work=$(cd "$work" && pwd) # Wine wants an absolute prefix
. "$(dirname "$0")/../../scripts/lib/wine.sh"
useWineFor "$win_build"

cmake --build "$win_build" --target bexaran bexaran_without_pictures bexaran_without_window bexaran_probe \
      bexaran_files_probe >/dev/null
shell=$win_build/shell
probes=$win_build/tests/shell
export WINEPREFIX=$work/prefix-$WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb=""
stop_display() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    xvfb=""
}
trap stop_display EXIT

# A fresh virtual X server of the given size; Wine started anew on it.
start_display() {
    stop_display
    local display=90
    while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
    Xvfb :$display -screen 0 "$1x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    export DISPLAY=:$display
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        # No window manager: Wine draws the frames itself; a crash ends quietly.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
    fi
}

status=0
# run_case NAME EXE EXPECTED_EXIT PROBE_ARGUMENTS...
run_case() {
    local name=$1 exe=$2 expected=$3
    shift 3
    echo "== $name"
    "$WINELOADER" "$exe" &
    local game=$! code=0
    if ! wine "$probes/bexaran_probe.exe" "$@"; then
        echo "FAILED: $name: the probe found faults"
        status=1
    fi
    for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$game" 2>/dev/null; then
        echo "FAILED: $name: the game did not end within 10 s"
        kill "$game"
        status=1
        return
    fi
    wait "$game" || code=$?
    echo "game exit code $code"
    if [ "$code" != "$expected" ]; then
        echo "FAILED: $name: exit code $code, expected $expected"
        status=1
    fi
}

start_display 800x600
run_case "800 x 600, ended by the close box" "$shell/bexaran.exe" 0 close "$shell/bexaran.exe"
start_display 1024x768
run_case "ended by the Exit command" "$shell/bexaran.exe" 0 exit "$shell/bexaran.exe"
run_case "pictures missing" "$probes/bexaran_without_pictures.exe" 0 close "$shell/bexaran.exe" 3
run_case "window not created" "$probes/bexaran_without_window.exe" 1 no-window
echo "== saved-game files"
files=$(mktemp -d "$work/files.XXXXXX")
wine "$probes/bexaran_files_probe.exe" "$(wine winepath -w "$files")" || { echo "FAILED: saved-game files"; status=1; }
rm -rf "$files"
for size in 799x600 800x599; do
    start_display $size
    run_case "screen $size refused" "$shell/bexaran.exe" 1 small-screen
done
exit $status
