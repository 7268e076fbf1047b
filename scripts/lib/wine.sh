# Sourced by the scripts that run a cross build under Wine (scripts/play, the
# smoke test, the first-frame measurement).
#   useWineFor CROSS_BUILD_FOLDER
# reads which Windows the build targets (windows-arch.txt, written by its
# CMake run) and sets up the matching Wine: its loader, called directly so a
# 64-bit build never meets the 32-bit loader, and WINEARCH for new prefixes.
# After it, `wine PROGRAM` and `wineboot` run under that Wine.
useWineFor() {
    local arch
    arch=$(cat "$1/windows-arch.txt" 2>/dev/null) || {
        echo "no windows-arch.txt in $1: configure that cross build first" >&2
        return 1
    }
    case "$arch" in
        32) WINELOADER=/usr/lib/wine/wine WINEARCH=win32 ;;
        64) WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64 ;;
        *) echo "$1/windows-arch.txt says '$arch', not 32 or 64" >&2; return 1 ;;
    esac
    export WINELOADER WINEARCH
    [ -x "$WINELOADER" ] || {
        echo "$WINELOADER is missing: scripts/install-deps --game installs the Wine for this machine" >&2
        return 1
    }
}

wine() { "$WINELOADER" "$@"; }
wineboot() { "$WINELOADER" wineboot "$@"; }
