#!/usr/bin/env bash
# Time from start to the first painted frame under Wine, for the game and for
# a minimal Win32 window program started the same way. Both run on the same
# private X server with a running wineserver; a frame counts as painted when
# a pixel inside the client area is no longer the black of the empty screen.
#   measure_first_frame.sh CROSS_BUILD_FOLDER WORK_FOLDER [RUNS]
set -euo pipefail
win_build=$1
work=$2
runs=${3:-5}
mkdir -p "$work"
work=$(cd "$work" && pwd) # Wine wants an absolute prefix
. "$(dirname "$0")/../../scripts/lib/wine.sh"
useWineFor "$win_build"
export WINEPREFIX=$work/prefix-$WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
sleep 1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
fi
wineserver -p # stays up between runs, as on a desktop where Wine already runs
wine cmd /c exit 2>/dev/null || true

# first_frame EXE: milliseconds until screen pixel (20, 60) is painted.
first_frame() {
    local start now pixel
    start=$(date +%s%N)
    "$WINELOADER" "$1" &
    local game=$!
    while :; do
        pixel=$(import -window root -crop 1x1+20+60 -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]*' || true)
        [ -n "$pixel" ] && [ "$pixel" != "#000000" ] && break
        sleep 0.005
    done
    now=$(date +%s%N)
    echo $(((now - start) / 1000000))
    wineserver -k 2>/dev/null || true
    wait "$game" 2>/dev/null || true
    wineserver -p
    wine cmd /c exit 2>/dev/null || true
    sleep 0.5
}

for exe in tests/bench/bexaran_minimal_window shell/bexaran; do
    times=()
    for _ in $(seq "$runs"); do times+=("$(first_frame "$win_build/$exe.exe")"); done
    sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
    echo "${exe##*/}: first frame after ms: $sorted(median $(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"))"
done
