#!/usr/bin/env bash
# The exe as Windows sees it from outside: bexaran_resource_probe.exe reads
# its version resource back and checks every field, finds its application
# manifest and has Wine build an activation context from it; then the
# manifest's XML is checked here: well-formed, run as invoker, the supported
# Windows versions, not DPI-aware, no common-controls 6 (which would restyle
# the status bar and the About dialog).
# Usage: wine_resources.sh CROSS_BUILD_FOLDER WORK_FOLDER
set -euo pipefail
win_build=$1
work=$2
mkdir -p "$work"
work=$(cd "$work" && pwd) # Wine wants an absolute prefix
command -v xmllint >/dev/null || { echo "FAILED: the manifest checks need xmllint (scripts/install-deps --game-tests installs libxml2-utils)"; exit 1; }
. "$(dirname "$0")/../../scripts/lib/wine.sh"
useWineFor "$win_build"
cmake --build "$win_build" --target bexaran bexaran_resource_probe >/dev/null
export WINEPREFIX=$work/prefix-$WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi

exe=$win_build/shell/bexaran.exe
manifest=$work/bexaran.manifest.out
rm -f "$manifest"
status=0
wine "$win_build/tests/shell/bexaran_resource_probe.exe" "$(wine winepath -w "$exe" 2>/dev/null)" \
     "$(wine winepath -w "$manifest" 2>/dev/null)" | tr -d '\r' || status=1

# check DESCRIPTION XPATH_EXPRESSION_THAT_MUST_BE_TRUE
check() {
    if [ "$(xmllint --xpath "$2" "$manifest" 2>/dev/null)" = true ]; then
        echo "ok: manifest: $1"
    else
        echo "FAILED: manifest: $1"
        status=1
    fi
}
if [ ! -s "$manifest" ]; then
    echo "FAILED: no manifest written"
    exit 1
fi
if xmllint --noout "$manifest"; then echo "ok: manifest: well-formed XML"; else echo "FAILED: manifest: not well-formed"; status=1; fi
any='*[local-name()'
check "run as invoker, no UI access" \
    "count(//${any}='requestedExecutionLevel'][@level='asInvoker' and @uiAccess='false']) = 1"
for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    check "supports {$id}" "count(//${any}='supportedOS'][@Id='{$id}']) = 1"
done
check "not DPI-aware" "normalize-space(//${any}='dpiAware']) = 'false'"
check "no other DPI or GDI scaling setting" \
    "count(//${any}='windowsSettings']/*) = 1"
check "no dependency (common controls 6 would restyle the status bar and About)" \
    "count(//${any}='dependency']) = 0"
exit $status
