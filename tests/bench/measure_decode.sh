#!/usr/bin/env bash
# The whole decode before and after a change, in the exe's code (MinGW i686,
# -Os, under Wine) and the page's (Emscripten -Os, under node): decode_time
# built with the decoder of BEFORE_COMMIT and with the working tree's, run
# in turns, the fastest round of each counting. Prints one line a picture:
# milliseconds before and after, and their ratio.
# Usage: tests/bench/measure_decode.sh BEFORE_COMMIT PICTURE.png...
# (OUT_DIR=build/measure-decode, ROUNDS=5 of half a second, TARGETS="i686 wasm")
set -euo pipefail
cd "$(dirname "$0")/../.."
before=${1:?usage: measure_decode.sh BEFORE_COMMIT PICTURE.png...}
shift
out=${OUT_DIR:-build/measure-decode}
rounds=${ROUNDS:-5}
mkdir -p "$out/before-src"
export WINEPREFIX=$PWD/$out/wine-prefix WINEARCH=win32 WINEDEBUG=-all  # a prefix of its own
git archive "$before" inflate png | tar -x -C "$out/before-src"
targets=()
command -v i686-w64-mingw32-g++ >/dev/null && command -v wine >/dev/null && targets+=(i686)
command -v em++ >/dev/null && command -v node >/dev/null && targets+=(wasm)
# Debian's emcc finds its node modules (acorn) only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
[ -n "${TARGETS:-}" ] && targets=($TARGETS) # TARGETS="i686" or "wasm" for one of them
echo "measuring: ${targets[*]:-nothing (needs MinGW i686 with Wine, or Emscripten with node)}"

# build TARGET NAME ROOT: decode_time with the decoder sources under ROOT.
build() {
    local sources=("$3"/inflate/inflate.cpp "$3"/png/png_record.cpp "$3"/png/png_parse.cpp
                   "$3"/png/png_render.cpp "$3"/png/png_bitmap.cpp png/png_host.cpp
                   tests/bench/decode_time.cpp)
    [ -f "$3/png/png_unfilter.cpp" ] && sources+=("$3/png/png_unfilter.cpp")
    # The decoder's headers of ROOT first; png_host.cpp of this tree serves both.
    local flags=(-std=c++17 -Os -DNDEBUG -fno-exceptions -fno-rtti -I"$3" -I"$3/png" -I.)
    if [ "$1" = i686 ]; then
        i686-w64-mingw32-g++ "${flags[@]}" -static "${sources[@]}" -o "$out/$2.exe"
    else
        em++ "${flags[@]}" -sENVIRONMENT=node -sSINGLE_FILE=1 -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 "${sources[@]}" -o "$out/$2.js"
    fi
}

run() { # TARGET NAME PICTURE
    if [ "$1" = i686 ]; then
        WINEDEBUG=-all /usr/lib/wine/wine "$out/$2.exe" "$(WINEDEBUG=-all /usr/lib/wine/wine winepath -w "$3" 2>/dev/null)" "$rounds" | tr -d '\r'
    else
        node "$out/$2.js" "$3" "$rounds"
    fi
}

for target in "${targets[@]}"; do
    build "$target" "before-$target" "$out/before-src"
    build "$target" "after-$target" .
    for picture in "$@"; do
        b=1e30 a=1e30
        for turn in 1 2 3; do
            b=$(printf '%s\n%s\n' "$b" "$(run "$target" "before-$target" "$picture")" | sort -g | head -1)
            a=$(printf '%s\n%s\n' "$a" "$(run "$target" "after-$target" "$picture")" | sort -g | head -1)
        done
        awk -v t="$target" -v p="$(basename "$picture")" -v b="$b" -v a="$a" \
            'BEGIN { printf "%s\t%s\tbefore %.3f ms\tafter %.3f ms\tafter/before %.3f\n", t, p, b, a, a / b }'
    done
done
