#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks (Release, in build-bench/) and prints one table: each line a
# measurement, its baseline measured in the same run, the ratio, and the target.
#
#   bash bench/run.sh
#
# Environment: EK_BENCH_BUILD (build folder, default build-bench under the repo),
# EK_BENCH_RUNS (timed runs per whole-process figure, default 7).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${EK_BENCH_BUILD:-$repo/build-bench}
runs=${EK_BENCH_RUNS:-7}
data=$build/bench-data
bin=$build/bench
cli=$build/src/ek-cli

generator=()
if [[ ! -f $build/CMakeCache.txt ]] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
echo "Building the benchmarks in $build ..." >&2
cmake -S "$repo" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DEK_BENCH=ON -DEK_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target ek-cli ek-bench-gen ek-bench-insert ek-bench-time ek-bench-ui \
    ek-bench-start ek-bench-filter >/dev/null

mkdir -p "$data/config" "$data/runtime"
chmod 700 "$data/runtime"
# The windows run offscreen, and nothing reads or writes the user's settings.
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$data/config
export XDG_RUNTIME_DIR=$data/runtime
cd "$data"

step() { echo "  $*" >&2; }
# Appends a timing's key=value pairs to results.txt under a prefix; a run that failed
# is recorded there (failed=1), not fatal.
timed() {
    local prefix=$1
    shift
    "$bin/ek-bench-time" "$@" >timing.txt || true
    tr ' ' '\n' <timing.txt | grep '=' | sed "s/^/${prefix}_/" >>results.txt || true
}

echo "Generating the input files ..." >&2
"$bin/ek-bench-gen" lines 72000 convert72k.txt
"$bin/ek-bench-gen" lines 100000 convert.txt
"$bin/ek-bench-gen" lines 1000000 convert1m.txt
"$bin/ek-bench-gen" lines 5000000 convert5m.txt
"$bin/ek-bench-gen" browse browse.txt
"$bin/ek-bench-gen" bytes 200000000 big.txt
"$bin/ek-bench-gen" uses uses.txt

notes=()
: >results.txt
# Other work on the machine slows every figure; the ratios suffer least.
load=$(cut -d' ' -f1 /proc/loadavg)

# ek-cli convert against the bare insert of the same rows, into a schema whose
# indexes stand before the rows, in one transaction: with SQLite's default page
# cache (key _d), and with the 16 MB cache this project's earlier converter gave
# itself (key _f). The databases must hold the same rows. $1 key, $2 runs, $3 input.
versus_bare() {
    timed "${1}_d" -n "$2" -w 1 -- "$cli" convert "$3" cli.db --vs "$bin/ek-bench-insert" "$3" bare.db
    echo "${1}_db_bytes=$(stat -c %s cli.db)" >>results.txt
    if ! "$bin/ek-bench-insert" --same cli.db bare.db; then
        echo "${1}_invalid=1" >>results.txt
        notes+=("$1: ek-cli and the bare insert did not store the same rows.")
    fi
    timed "${1}_f" -n "$2" -w 0 -- "$cli" convert "$3" cli.db --vs "$bin/ek-bench-insert" --cache-kb 16384 "$3" bare.db
}
step "1. ek-cli convert against the bare SQLite insert: 100,000 lines ($runs runs each, in turn)"
versus_bare m1 "$runs" convert.txt
step "1a. the same with 72,000 lines, start-up included ($runs runs each)"
versus_bare m1a "$runs" convert72k.txt
step "1b. the same with 1,000,000 lines (5 runs each)"
versus_bare m1b 5 convert1m.txt
step "1c. the same with 5,000,000 lines (5 runs each)"
versus_bare m1c 5 convert5m.txt
rm -f convert5m.txt

step "2. conversion with the progress window against the same conversion without it, in one process (5 runs each)"
if ! "$bin/ek-bench-ui" convert convert.txt gui.db cli.db 5 | sed 's/^/m2_/' >>results.txt ||
    ! "$bin/ek-bench-insert" --same gui.db cli.db; then
    echo "m2_invalid=1" >>results.txt
    notes+=("2: the window's conversion and the conversion without it did not store the same rows.")
fi

step "10. peak memory of ek-cli list and search: 416,000 names against 41,600"
"$cli" convert convert.txt small.db >/dev/null
"$cli" convert convert1m.txt large.db >/dev/null
rm -f convert1m.txt
timed m9l -n 5 -w 1 -- "$cli" list large.db const --vs "$cli" list small.db const
timed m9s -n 5 -w 1 -- "$cli" search large.db const WM_ --vs "$cli" search small.db const WM_

step "11. ek-cli list of 1,000,000 names from the name index alone, against a database of the earlier form"
"$bin/ek-bench-gen" names 1000000 names-large.txt
"$cli" convert names-large.txt list-now.db >/dev/null
cp list-now.db list-earlier.db
# The earlier form: the name index holds the folded name only, so every name listed
# is looked up in the table.
sqlite3 list-earlier.db "DROP INDEX tbProc_ixName; CREATE INDEX tbProc_ixName ON tbProc (upper(fdName)); VACUUM;"
if ! cmp -s <("$cli" list list-now.db func) <("$cli" list list-earlier.db func); then
    echo "m11_invalid=1" >>results.txt
    notes+=("11: the two forms did not list the same names in the same order.")
fi
timed m11 -n 5 -w 1 -- "$cli" list list-now.db func --vs "$cli" list list-earlier.db func

step "12. ek-cli show of 10,000 of those functions, plain against --with-deps"
mapfile -t shown < <("$cli" list list-now.db func | awk 'NR % 100 == 1')
echo "m12_names=${#shown[@]}" >>results.txt
timed m12 -n 7 -w 1 -- "$cli" show list-now.db func "${shown[@]}" --vs "$cli" show --with-deps list-now.db func "${shown[@]}"
rm -f list-now.db list-earlier.db

step "3. peak memory converting a 200 MB file (one run)"
timed m3 -n 1 -w 0 -- "$cli" convert big.txt big.db
timed m3v -n 3 -w 1 -- "$cli" --version
# 500 MB on disk otherwise; both are made again in seconds.
rm -f big.txt big.db big.db-journal

step "4-7. listing, SearchList, GetFull and Copy in the main window"
if ! "$cli" convert browse.txt browse.db >/dev/null; then
    echo "ui_invalid=1" >>results.txt
    notes+=("4-7: ek-cli did not store every line of browse.txt.")
fi
if ! "$bin/ek-bench-ui" browse browse.db | sed 's/^/ui_/' >>results.txt; then
    echo "ui_invalid=1" >>results.txt
    notes+=("4-7: the main window did not give the results its baselines give (see above).")
fi

step "4b, 5b. listing 1,000,000 names, and keys typed into txtInp with them listed against 1,000"
"$bin/ek-bench-gen" names 1000 names-small.txt
"$bin/ek-bench-gen" names 1000000 names-large.txt
if ! "$cli" convert names-small.txt keys-small.db >/dev/null || ! "$cli" convert names-large.txt keys-large.db >/dev/null; then
    echo "keys_invalid=1" >>results.txt
    notes+=("4b, 5b: ek-cli did not store every name.")
fi
if ! "$bin/ek-bench-ui" keys keys-small.db keys-large.db | sed 's/^/ui_/' >>results.txt; then
    echo "keys_invalid=1" >>results.txt
    notes+=("4b, 5b: the main window did not list or find the names as its baselines do (see above).")
fi

step "5c. keys typed into the filter box against keys typed into txtInp, 1,600 and 1,000,000 names listed"
"$bin/ek-bench-gen" names 1600 names-sample.txt
"$cli" convert names-sample.txt filter-sample.db >/dev/null || echo "filter_invalid=1" >>results.txt
for size in sample:filter-sample.db large:keys-large.db; do
    if ! "$bin/ek-bench-filter" "${size#*:}" "filter_${size%%:*}" >>results.txt; then
        echo "filter_invalid=1" >>results.txt
        notes+=("5c: the filter box did not narrow the list to the names that hold the typed part (see above).")
    fi
done
# 160 MB on disk otherwise; both are made again in seconds.
rm -f names-large.txt keys-large.db keys-large.db-journal

step "8. start-up to the main window shown, against an empty window"
timed m8 -n 11 -w 2 -- "$bin/ek-bench-start" ek --vs "$bin/ek-bench-start" bare

step "9. Copy with the used types and constants, on a database of a 16,000-line file"
if ! "$cli" convert uses.txt uses.db >/dev/null; then
    echo "uses_invalid=1" >>results.txt
    notes+=("9: ek-cli did not store every line of uses.txt.")
fi
if ! "$bin/ek-bench-ui" copy-uses uses.db | sed 's/^/ui_/' >>results.txt; then
    echo "uses_invalid=1" >>results.txt
    notes+=("9: Copy with the used declarations gave a declaration twice or left an entry out (see above).")
fi

echo >&2
echo "Ek benchmarks, $(date '+%Y-%m-%d %H:%M %Z'); $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- |
    sed 's/^ *//'), $(awk '/MemTotal/ {printf "%.0f GB RAM", $2 / 1048576}' /proc/meminfo); load average at the start $load"
echo "Source: $(git -C "$repo" describe --always --dirty 2>/dev/null || echo 'not a git checkout')"
echo
awk -F= -v runs="$runs" '
    { v[$1] = $2 }
    function row(n, what, value, base, ratio, target, ok, invalid) {
        verdict = invalid ? "INVALID" : (ok ? "PASS" : "FAIL")
        printf "| %s | %s | %s | %s | %s | %s | %s |\n", n, what, value, base, ratio, target, verdict
        failed += verdict != "PASS"
    }
    function commas(n,    s) {
        s = sprintf("%d", n)
        while (s ~ /[0-9][0-9][0-9][0-9]/) sub(/[0-9][0-9][0-9]($|,)/, ",&", s)
        return s
    }
    function ms(x) { return x >= 100 ? sprintf("%.0f ms", x) : x >= 10 ? sprintf("%.1f ms", x) : sprintf("%.2f ms", x) }
    function us(x) { return x >= 100 ? sprintf("%.0f µs", x) : sprintf("%.1f µs", x) }
    function mb(kb) { return sprintf("%.1f MB", kb / 1024) }
    # A figure that never arrived is no pass.
    function missing(k) { return v[k] == "" }
    function div(a, b) { return b > 0 ? a / b : 0 }
    function x(r) { return r >= 0.1 ? sprintf("%.2fx", r) : sprintf("%.3fx", r) }
    # A conversion line against the default-cache floor, and the same against this
    # project floor beside it.
    function convert(n, k, what, target, floorTarget) {
        row(n, what, ms(v[k "_d_a_cpu_ms"]), ms(v[k "_d_b_cpu_ms"]) " bare SQLite insert, indexes first, one transaction, default cache",
            x(v[k "_d_cpu_ratio"]), "≤ " target "x", v[k "_d_cpu_ratio"] <= target,
            v[k "_invalid"] || v[k "_d_failed"] || missing(k "_d_cpu_ratio"))
        row(n " f", "the same against the 16 MB-cache floor", ms(v[k "_f_a_cpu_ms"]), ms(v[k "_f_b_cpu_ms"]) " bare SQLite insert, 16 MB cache",
            x(v[k "_f_cpu_ratio"]), "≤ " floorTarget "x", v[k "_f_cpu_ratio"] <= floorTarget,
            v[k "_invalid"] || v[k "_f_failed"] || missing(k "_f_cpu_ratio"))
    }
    END {
        print "| # | measurement | value | baseline (same run) | ratio | target | result |"
        print "|---|---|---|---|---|---|---|"
        convert("1", "m1", "convert a 100,000-line file: `ek-cli convert`, whole process, CPU time, median of " runs, 0.8, 1.3)
        convert("1a", "m1a", "the same, 72,000 lines, start-up included, median of " runs, 1.2, 1.3)
        convert("1b", "m1b", "the same, 1,000,000 lines (72 MB), median of 5", 0.8, 1.3)
        row("1b w", "bytes written converting 1,000,000 lines (median of 5), against the size of the database made",
            mb(v["m1b_d_a_written"] / 1024), mb(v["m1b_db_bytes"] / 1024) " the database; the bare insert wrote " mb(v["m1b_d_b_written"] / 1024),
            x(div(v["m1b_d_a_written"], v["m1b_db_bytes"])), "≤ 1.2x", div(v["m1b_d_a_written"], v["m1b_db_bytes"]) <= 1.2,
            v["m1b_invalid"] || missing("m1b_d_a_written") || v["m1b_d_a_written"] <= 0)
        convert("1c", "m1c", "the same, 5,000,000 lines (359 MB), median of 5", 0.6, 1.4)
        row("1c m", "peak resident memory converting 5,000,000 lines", mb(v["m1c_d_a_rss_kb"]),
            mb(v["m1c_d_b_rss_kb"]) " the bare insert, default cache", x(div(v["m1c_d_a_rss_kb"], v["m1c_d_b_rss_kb"])),
            "< 100 MB", v["m1c_d_a_rss_kb"] < 100 * 1024, missing("m1c_d_a_rss_kb"))
        row(2, "the 100,000-line conversion from the main window, progress window shown (offscreen), in a process already started, median of 5",
            ms(v["m2_convert_ms"]), ms(v["m2_convert_base_ms"]) " the same conversion without a window, as ek-cli runs it",
            x(v["m2_convert_ratio"]), "≤ 1.2x", v["m2_convert_ratio"] <= 1.2, v["m2_invalid"] || missing("m2_convert_ratio"))
        row("2c", "from ｷｬﾝｾﾙ halfway through the same conversion to its report, median of 5",
            ms(v["m2_cancel_to_report_ms"]), ms(v["m2_convert_ms"]) " the whole conversion",
            x(v["m2_cancel_to_report_ratio"]), "< 1 s", v["m2_cancel_to_report_ms"] >= 0 && v["m2_cancel_to_report_ms"] < 1000, missing("m2_cancel_to_report_ms"))
        row(3, "peak resident memory converting a 200 MB file with `ek-cli` (" sprintf("%.0f s", v["m3_a_ms"] / 1000) ")",
            mb(v["m3_a_rss_kb"]), mb(v["m3v_a_rss_kb"]) " `ek-cli --version`",
            x(div(v["m3_a_rss_kb"], v["m3v_a_rss_kb"])), "< 100 MB", v["m3_a_rss_kb"] < 100 * 1024, v["m3_failed"] || missing("m3_a_rss_kb"))
        row(4, "list the largest kind (" commas(v["ui_fill_rows"]) " names) into lstEk: `FillList` + first paint, median of 5",
            ms(v["ui_fill_ms"]), ms(v["ui_fill_base_ms"]) " bare SELECT in index order into a QStringList",
            x(v["ui_fill_ratio"]), "≤ 2x", v["ui_fill_ratio"] <= 2, v["ui_invalid"] || missing("ui_fill_ratio"))
        row("4b", "list " commas(v["ui_bigfill_rows"]) " names into lstEk: `FillList` + first paint, median of 3",
            ms(v["ui_bigfill_ms"]), ms(v["ui_bigfill_base_ms"]) " bare SELECT in index order into a QStringList",
            x(v["ui_bigfill_ratio"]), "≤ 2x", v["ui_bigfill_ratio"] <= 2, v["keys_invalid"] || missing("ui_bigfill_ratio"))
        row(5, "one `SearchList` call on " commas(v["ui_search_names"]) " names, mean over " commas(v["ui_search_keys"]) " typed prefixes",
            us(v["ui_search_us"]), us(v["ui_search_base_us"]) " linear scan",
            x(div(v["ui_search_us"], v["ui_search_base_us"])), "< 20 µs", v["ui_search_us"] < 20, v["ui_invalid"] || missing("ui_search_us"))
        row("5b", "a key typed into txtInp with " commas(v["ui_keys_names"]) " names listed: key events, search, scroll, repaint; mean over " commas(v["ui_keys_count"]) " keys",
            us(v["ui_keys_us"]), us(v["ui_keys_base_us"]) " the same with " commas(v["ui_keys_base_names"]) " names listed",
            x(v["ui_keys_ratio"]), "< 1 ms", v["ui_keys_us"] < 1000, v["keys_invalid"] || missing("ui_keys_us"))
        row("5c", "a key typed into the filter box with " commas(v["filter_sample_names"]) " names listed: the whole kind narrowed to the names holding the typed part, repaint; mean",
            ms(v["filter_sample_filter_key_ms"]), ms(v["filter_sample_search_key_ms"]) " a key typed into txtInp, same window",
            x(v["filter_sample_filter_ratio"]), "< 30 ms", v["filter_sample_filter_worst_ms"] < 30, v["filter_invalid"] || missing("filter_sample_filter_key_ms"))
        row("5d", "the same with " commas(v["filter_large_names"]) " names listed; mean (slowest " ms(v["filter_large_filter_worst_ms"]) ")",
            ms(v["filter_large_filter_key_ms"]), ms(v["filter_large_search_key_ms"]) " a key typed into txtInp, same window",
            x(v["filter_large_filter_ratio"]), "< 200 ms", v["filter_large_filter_worst_ms"] < 200, v["filter_invalid"] || missing("filter_large_filter_key_ms"))
        row(6, "`GetFull` of a record type, " commas(v["ui_getfull_members"]) " member rows, mean of 500",
            ms(v["ui_getfull_ms"]), ms(v["ui_getfull_base_ms"]) " criterion scan over the whole member table",
            x(div(v["ui_getfull_ms"], v["ui_getfull_base_ms"])), "< 1 ms", v["ui_getfull_ms"] < 1, v["ui_invalid"] || missing("ui_getfull_ms"))
        row(7, "Copy of " commas(v["ui_copy_entries"]) " selected record types (`cmdCpy_Click`), median of 5",
            ms(v["ui_copy_ms"]), ms(v["ui_copy_base_ms"]) " 1,000 `GetFull` calls",
            x(v["ui_copy_ratio"]), "< 100 ms", v["ui_copy_ms"] < 100, v["ui_invalid"] || missing("ui_copy_ms"))
        row("7b", "Copy of " commas(v["ui_copy_proc_entries"]) " selected functions (`cmdCpy_Click`), median of 5",
            ms(v["ui_copy_proc_ms"]), ms(v["ui_copy_proc_base_ms"]) " 1,000 `GetFull` calls",
            x(v["ui_copy_proc_ratio"]), "< 100 ms", v["ui_copy_proc_ms"] < 100, v["ui_invalid"] || missing("ui_copy_proc_ms"))
        row(8, "start-up to the main window shown (offscreen), whole process, median of 11",
            ms(v["m8_a_ms"]), ms(v["m8_b_ms"]) " bare QApplication + empty QWidget",
            x(v["m8_ratio"]), "< 300 ms", v["m8_a_ms"] < 300, v["m8_failed"] || missing("m8_a_ms"))
        row(9, "Copy of " commas(v["ui_uses_entries"]) " selected functions with 使用する型と定数も含める on (" commas(v["ui_uses_given"]) " declarations given), 16,000-line file, median of 5",
            ms(v["ui_uses_ms"]), ms(v["ui_uses_base_ms"]) " the same Copy with the option off",
            x(v["ui_uses_ratio"]), "< 100 ms", v["ui_uses_ms"] < 100, v["uses_invalid"] || missing("ui_uses_ms"))
        row(10, "peak memory of `ek-cli list` printing 416,000 names",
            mb(v["m9l_a_rss_kb"]), mb(v["m9l_b_rss_kb"]) " the same listing 41,600 names",
            x(div(v["m9l_a_rss_kb"], v["m9l_b_rss_kb"])), "≤ 1.2x", div(v["m9l_a_rss_kb"], v["m9l_b_rss_kb"]) <= 1.2,
            v["m9l_failed"] || missing("m9l_a_rss_kb"))
        row("10b", "peak memory of `ek-cli search` in 416,000 names",
            mb(v["m9s_a_rss_kb"]), mb(v["m9s_b_rss_kb"]) " the same in 41,600 names",
            x(div(v["m9s_a_rss_kb"], v["m9s_b_rss_kb"])), "≤ 1.2x", div(v["m9s_a_rss_kb"], v["m9s_b_rss_kb"]) <= 1.2,
            missing("m9s_a_rss_kb"))
        row(11, "`ek-cli list` of 1,000,000 names, whole process, median of 5",
            ms(v["m11_a_ms"]), ms(v["m11_b_ms"]) " the same from a database of the earlier form (name index of the folded name only)",
            x(v["m11_ratio"]), "≤ 0.5x", v["m11_ratio"] <= 0.5, v["m11_invalid"] || v["m11_failed"] || missing("m11_ratio"))
        row(12, "`ek-cli show` of " commas(v["m12_names"]) " functions, whole process, median of 7",
            ms(v["m12_a_ms"]), ms(v["m12_b_ms"]) " the same with --with-deps",
            x(v["m12_ratio"]), "≤ 1.2x", v["m12_ratio"] <= 1.2, v["m12_failed"] || missing("m12_ratio") || v["m12_names"] < 10000)
        printf "\nSearchList by key length: 1: %s, 2: %s, 3: %s, 4: %s, 5 and more: %s; slowest call %s.\n",
            us(v["ui_search_len1_us"]), us(v["ui_search_len2_us"]), us(v["ui_search_len3_us"]),
            us(v["ui_search_len4_us"]), us(v["ui_search_len5up_us"]), us(v["ui_search_worst_us"])
        printf "GetFull of a record type: median %s, slowest %s.\n", ms(v["ui_getfull_median_ms"]), ms(v["ui_getfull_worst_ms"])
        printf "A key typed with %s names listed: median %s, slowest %s; with %s names: slowest %s.\n",
            commas(v["ui_keys_names"]), us(v["ui_keys_median_us"]), ms(v["ui_keys_worst_us"] / 1000),
            commas(v["ui_keys_base_names"]), ms(v["ui_keys_base_worst_us"] / 1000)
        printf "lib:user32 with %s names: a key %s, slowest %s; the first key after lib:, which reads every DLL once, %s. The preview of one row: %s.\n",
            commas(v["filter_large_names"]), ms(v["filter_large_lib_key_ms"]), ms(v["filter_large_lib_worst_ms"]),
            ms(v["filter_large_lib_first_ms"]), ms(v["filter_large_preview_ms"])
        exit (failed > 0 ? 1 : 0)
    }' results.txt && status=0 || status=$?
for n in "${notes[@]}"; do
    echo "Invalid: $n"
done
exit "$status"
