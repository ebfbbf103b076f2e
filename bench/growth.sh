#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What a conversion and a copy cost against the shape of the text: nesting depth, the
# branches of one group and the size of one group at 1x, 10x and 100x, each run beside a flat text of as
# many lines, and each figure's ratio to the 1x run. A cost in proportion to the
# input gives about 10x and 100x, and stays near 1x against the flat text.
#
#   bash bench/growth.sh
#
# Environment: EK_BENCH_BUILD (build folder, default build-bench under the repo).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${EK_BENCH_BUILD:-$repo/build-bench}
data=$build/growth-data
cli=$build/src/ek-cli
timer=$build/bench/ek-bench-time

generator=()
if [[ ! -f $build/CMakeCache.txt ]] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
echo "Building ek-cli and the timer in $build ..." >&2
cmake -S "$repo" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DEK_BENCH=ON -DEK_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target ek-cli ek-bench-time >/dev/null
mkdir -p "$data"
cd "$data"

# nested N: N groups one inside the other, a type in each, closed at the end.
nested() {
    awk -v n="$1" 'BEGIN {
        for (i = 0; i < n; i++) printf "#If C%d Then\r\nType T%d\r\n    a As Long\r\nEnd Type\r\n", i, i
        for (i = 0; i < n; i++) printf "#End If\r\n"
    }'
}
# branches N: one group of N branches, each holding a type of the same name.
branches() {
    awk -v n="$1" 'BEGIN {
        printf "#If C0 Then\r\n"
        for (i = 0; i < n; i++) printf "%sType X\r\n    a As Long\r\nEnd Type\r\n", i ? "#ElseIf C" i " Then\r\n" : ""
        printf "#End If\r\n"
    }'
}
# group N: one group holding a function and N groups of one constant each, none of
# them around the function: its copy is three lines whatever N is.
group() {
    awk -v n="$1" 'BEGIN {
        printf "#If C Then\r\nDeclare Function F Lib \"k\" () As Long\r\n"
        for (i = 0; i < n; i++) printf "#If D%d Then\r\nConst K%d = 1\r\n#End If\r\n", i, i
        printf "#End If\r\n"
    }'
}
# The flat twin of a text: every conditional line a constant of the same length.
flat() {
    awk '{
        if ($0 !~ /^#/) { print; next }
        sub(/\r$/, "")
        w = length($0) - 12
        if (w < 1) w = 1
        printf "Const F%s = 1\r\n", sprintf("%0" w "d", NR)
    }' "$1"
}

# One figure: "ms rss_kb" of the median of three runs, with the flat twin's beside.
measure() {
    { "$timer" -n 3 -w 1 -- "$@" || true; } | tr ' ' '\n' | grep -E '^(a|b)_(ms|rss_kb)=|^ratio=' | tr '\n' ' '
}
value() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

printf '| shape | scale | lines | ek-cli | time | peak memory | flat text: time | peak memory | time / flat | time / 1x | memory / 1x |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
row() { # shape scale n command-word result base_ms base_rss
    local ms rss fms frss
    ms=$(value a_ms "$5")
    rss=$(value a_rss_kb "$5")
    fms=$(value b_ms "$5")
    frss=$(value b_rss_kb "$5")
    awk -v s="$1" -v x="$2" -v n="$3" -v w="$4" -v ms="$ms" -v rss="$rss" -v fms="$fms" -v frss="$frss" \
        -v bms="$6" -v brss="$7" 'BEGIN {
        printf "| %s | %s | %d | %s | %.0f ms | %.1f MB | %.0f ms | %.1f MB | %.2fx | %.1fx | %.2fx |\n",
            s, x, n, w, ms, rss / 1024, fms, frss / 1024, ms / fms, ms / bms, rss / brss }'
}

for shape in nested branches group; do
    base_c_ms='' base_c_rss='' base_s_ms='' base_s_rss=''
    scale=1
    for n in $([[ $shape == nested ]] && echo 100 1000 10000 || echo 1600 16000 160000); do
        "$shape" "$n" >"$shape.txt"
        flat "$shape.txt" >"$shape-flat.txt"
        lines=$(wc -l <"$shape.txt")
        r=$(measure "$cli" convert "$shape.txt" "$shape.db" --vs "$cli" convert "$shape-flat.txt" "$shape-flat.db")
        [[ -n $base_c_ms ]] || { base_c_ms=$(value a_ms "$r"); base_c_rss=$(value a_rss_kb "$r"); }
        row "$shape" "${scale}x" "$lines" convert "$r" "$base_c_ms" "$base_c_rss"
        # The deepest type stored, or the last branch's, or the function, copied with its group.
        kind=type
        case $shape in
        nested) name=$("$cli" list "$shape.db" type | sort -t T -k2 -n | tail -1) ;;
        branches) name=X ;;
        group) kind=func name=F ;;
        esac
        r=$(measure "$cli" show "$shape.db" "$kind" "$name" --vs "$cli" show "$shape-flat.db" "$kind" "$name")
        [[ -n $base_s_ms ]] || { base_s_ms=$(value a_ms "$r"); base_s_rss=$(value a_rss_kb "$r"); }
        row "$shape" "${scale}x" "$lines" "show $kind $name" "$r" "$base_s_ms" "$base_s_rss"
        scale=$((scale * 10))
    done
done
