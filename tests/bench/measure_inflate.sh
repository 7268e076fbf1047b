#!/usr/bin/env bash
# The inflater and the whole decode before and after a change, in one session:
# instructions under callgrind and wall-time ratios against zlib and libpng,
# for the native build (-O2, as the host build) and the 32-bit exe's code path
# (-m32 -Os, as the MinSizeRel cross build; needs g++-multilib and the i386
# zlib and libpng). "before" is the decoder of an earlier commit, "after" the
# one in the working tree; both are linked with this tree's inflate_measure.cpp.
#
# Usage: tests/bench/measure_inflate.sh BEFORE_COMMIT [OUT_DIR] [ROUNDS]
# (ROUNDS: timed rounds of each case, before and after, 20 by default)
# Prints a Markdown table; the raw numbers stay in OUT_DIR (build/measure).
# ARCHS="native" leaves out the 32-bit build. About 5 minutes on 2 cores.
set -euo pipefail
cd "$(dirname "$0")/../.."
before=${1:?usage: measure_inflate.sh BEFORE_COMMIT [OUT_DIR] [ROUNDS]}
out=${2:-build/measure}
rounds=${3:-20}
archs=(${ARCHS:-native m32})
command -v valgrind >/dev/null || { echo "needs valgrind (apt-get install valgrind)" >&2; exit 1; }
if [[ " ${archs[*]} " == *" m32 "* ]] && ! echo 'int main(){}' | g++ -m32 -x c++ - -o /dev/null 2>/dev/null; then
    echo "-m32 needs g++-multilib (apt-get install g++-multilib), or ARCHS=native" >&2
    exit 1
fi
mkdir -p "$out/before-src" "$out/data"
git archive "$before" inflate png | tar -x -C "$out/before-src"

decoder=(inflate/inflate.cpp png/png_record.cpp png/png_parse.cpp png/png_render.cpp
         png/png_bitmap.cpp png/png_host.cpp)

# build NAME SOURCE_ROOT ARCH: the tool with the decoder of SOURCE_ROOT.
build() {
    local name=$1 root=$2 arch=$3 flags libs objects=()
    if [[ $arch == native ]]; then
        flags=(-O2 -g -DNDEBUG)
        libs=(-lpng16 -lz)
    else
        flags=(-m32 -Os -DNDEBUG -fno-exceptions -fno-rtti -fno-pie)
        libs=(/usr/lib/i386-linux-gnu/libpng16.so.16 /usr/lib/i386-linux-gnu/libz.so.1)
    fi
    mkdir -p "$out/obj/$name"
    local sources=("${decoder[@]}")
    # The unfiltering has a file of its own since it was written for speed.
    [ -f "$root/png/png_unfilter.cpp" ] && sources+=(png/png_unfilter.cpp)
    for source in "${sources[@]}"; do
        local object=$out/obj/$name/$(basename "$source" .cpp).o
        g++ -std=c++17 -Wall -Wextra "${flags[@]}" -I"$root" -I"$root/png" -c "$root/$source" \
            -o "$object"
        objects+=("$object")
    done
    g++ -std=c++17 -Wall -Wextra "${flags[0]}" -O2 -no-pie -I"$root" -I"$root/png" -Itests/inflate \
        tests/bench/inflate_measure.cpp tests/bench/bench_data.cpp tests/inflate/zlib_streams.cpp \
        "${objects[@]}" "${libs[@]}" -o "$out/$name"
}

for arch in "${archs[@]}"; do
    build "before-$arch" "$out/before-src" "$arch"
    build "after-$arch" . "$arch"
done
"$out/after-native" make "$out/data" shell

cases=(text-1 text-6 text-9 pnglike-1 pnglike-6 pnglike-9 longmatch-1 longmatch-6 longmatch-9
       keeper tiles boxes noisy noisy-subpaeth text-page)

# Instructions of the one measured operation.
count() {
    valgrind --tool=callgrind --toggle-collect=measuredRun --callgrind-out-file=/dev/null "$@" \
        2>&1 | sed -n 's/.*Collected : *//p'
}

for arch in "${archs[@]}"; do
    : > "$out/instructions-$arch.tsv"
    for c in "${cases[@]}"; do
        case $c in
            noisy* | text-page) mode=decode reference=libpng ;;
            *) mode=inflate reference=zlib ;;
        esac
        file=$out/data/$c.png
        r=$(count "$out/after-$arch" $mode "$file" $reference)
        b=$(count "$out/before-$arch" $mode "$file" ours)
        a=$(count "$out/after-$arch" $mode "$file" ours)
        printf '%s\t%s\t%s\t%s\n' "$c" "$r" "$b" "$a" >> "$out/instructions-$arch.tsv"
    done
    # Times: before and after take turns, a few rounds at a time, so that both
    # meet the same load on a shared machine; the fastest of all rounds counts.
    for which in before after; do : > "$out/times-$which-$arch.tsv"; done
    for ((pass = 0; pass < rounds; pass += 4)); do
        for which in before after; do
            "$out/$which-$arch" time "$out/data" 4 | tail -n +2 >> "$out/times-$which-$arch.tsv"
        done
    done
    for which in before after; do
        awk -F'\t' -v OFS='\t' '
            !($1 in w) { order[n++] = $1 }
            !($1 in w) || $2 < w[$1] { w[$1] = $2 }   !($1 in wr) || $3 < wr[$1] { wr[$1] = $3 }
            !($1 in c) || $5 < c[$1] { c[$1] = $5 }   !($1 in cr) || $6 < cr[$1] { cr[$1] = $6 }
            END { print "case", "ours_ms", "reference_ms", "ratio", "ours_cpu_ms", "reference_cpu_ms",
                        "cpu_ratio"
                  for (i = 0; i < n; ++i) { k = order[i]
                      print k, w[k], wr[k], sprintf("%.3f", w[k] / wr[k]), c[k], cr[k],
                            sprintf("%.3f", c[k] / cr[k]) } }' \
            "$out/times-$which-$arch.tsv" > "$out/time-$which-$arch.tsv"
    done
done

for arch in "${archs[@]}"; do
    echo
    echo "$arch: instructions (millions), and the fastest times as ratios to zlib's"
    echo "(libpng's for noisy, noisy-subpaeth and text-page: the whole decode), on the wall clock and in processor time"
    echo
    echo "| case | zlib | before | after | after/before | before/zlib | after/zlib | wall before | wall after | cpu before | cpu after |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    paste "$out/instructions-$arch.tsv" <(tail -n +2 "$out/time-before-$arch.tsv") \
          <(tail -n +2 "$out/time-after-$arch.tsv") |
        awk -F'\t' '{ printf "| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.2f | %.2f | %.2f | %.2f |\n",
                      $1, $2 / 1e6, $3 / 1e6, $4 / 1e6, $4 / $3, $3 / $2, $4 / $2, $8, $15, $11, $18 }'
done
