# shellcheck shell=bash disable=SC2034,SC2154 # set here, read by the row files; R_* come from printf -v
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# What every row uses: running a program with a bound, telling which database a
# path holds, judging one run, and keeping the counts of a row. Sourced by attack.sh.

# Words the verdicts look for in ek-cli's messages (grep -P, UTF-8).
readonly \
    RE_JAPANESE='[\p{Han}\p{Hiragana}\p{Katakana}]' \
    RE_ACCESS='アクセスが許可|使用中' \
    RE_KEPT='(元の|以前の|前の|既存の|今までの|これまでの|古い|変換前の).{0,300}(そのまま|残|保持|保た|維持|変更して|変わって|無事)|置き換えていません|置き換えませんでした|変更していません|変更されていません' \
    RE_INTERRUPTED='中断|途中|書きかけ|書き込み中|未完了|完了していな|終わっていな' \
    RE_READONLY='読み取り専用|書き込みが許可|書き込み禁止' \
    RE_INODES='ノード|inode|ファイル数|ファイルの数' \
    RE_FILES='ファイルが多すぎ|開いているファイル|開けるファイル|ファイル数|ファイルの数|ハンドル' \
    RE_MOVED='移動|移され|動かされ|名前が変|名前を変|見当たら|なくなっ|消え|削除され' \
    RE_CHANGED='変更|変わ' \
    RE_DISKFULL='空き容量|容量が不足|ディスクがいっぱい|ディスクが一杯' \
    RE_UNSUPPORTED='サポート外|普通のテーブル|テーブルではありません|宣言データベースではありません'

log()
{
    printf '%s\n' "$*" >&2
}

die()
{
    printf 'attack.sh: %s\n' "$*" >&2
    exit 2
}

# --- processes, mounts -----------------------------------------------------

# Every process started in the background, every mount: cleanup ends and removes
# exactly these.
BG_PIDS=()
MOUNTS=()

bg_track()
{
    BG_PIDS+=("$1")
}

bg_stop()
{
    local pid=$1
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    local kept=() p
    for p in "${BG_PIDS[@]}"; do
        [[ $p == "$pid" ]] || kept+=("$p")
    done
    BG_PIDS=("${kept[@]}")
}

rig_mount()
{
    local dir=$1 opts=$2
    mkdir -p "$dir"
    mount -t tmpfs -o "$opts" tmpfs "$dir" || die "cannot mount a tmpfs ($opts) on $dir"
    MOUNTS+=("$dir")
}

rig_umount()
{
    local dir=$1 kept=() m
    umount "$dir" 2>/dev/null || umount -l "$dir" 2>/dev/null
    for m in "${MOUNTS[@]}"; do
        [[ $m == "$dir" ]] || kept+=("$m")
    done
    MOUNTS=("${kept[@]}")
}

# --- running ek-cli --------------------------------------------------------

# ekrun [runner options] -- COMMAND...: runs COMMAND through rig.py with its output
# in $R_OUT and $R_ERR, and sets R_rc, R_sig, R_secs, R_rss_kb, R_timedout,
# R_rigkilled and whatever the interfering actors report.
ekrun()
{
    local res=$RUNS/cur.res key value
    R_OUT=$RUNS/cur.out R_ERR=$RUNS/cur.err
    rm -f "$res" "$R_OUT" "$R_ERR"
    for key in rc sig secs rss_kb timedout rigkilled swap_at swap_while_running change_at change_offset \
        changed_while_running moved move_at moved_while_running; do
        printf -v "R_$key" '%s' ""
    done
    python3 "$HERE/rig.py" run --out "$R_OUT" --err "$R_ERR" --res "$res" "$@" ||
        die "the runner failed on: $*"
    while IFS='=' read -r key value; do
        printf -v "R_$key" '%s' "$value"
    done <"$res"
}

has_japanese()
{
    LC_ALL=C.UTF-8 grep -qP "$RE_JAPANESE" "$1" 2>/dev/null
}

says()
{
    LC_ALL=C.UTF-8 grep -qP "$2" "$1" 2>/dev/null
}

# The first line of a message, short enough for a table cell.
first_message()
{
    local line
    line=$(LC_ALL=C.UTF-8 grep -m1 -v '^[[:space:]]*$' "$1" 2>/dev/null)
    line=${line#ek-cli: }
    # The rig's own folder says nothing; the file name after it does.
    line=${line//$RIG\//}
    line=${line//$'\r'/}
    if ((${#line} > 70)); then
        line="${line:0:70}…"
    fi
    printf '%s' "$line"
}

signal_name()
{
    local name
    name=$(kill -l "$1" 2>/dev/null) || name=$1
    printf 'SIG%s' "$name"
}

# --- which database a path holds ----------------------------------------------

declare -A REF_COUNTS REF_SHA REF_FILE

readonly SQL_COUNTS="SELECT (SELECT count(*) FROM tbCnst) || '/' || (SELECT count(*) FROM tbProc) || '/' ||
 (SELECT count(*) FROM tbType) || '/' || (SELECT count(*) FROM tbMenb);"
readonly SQL_ROWS="SELECT hex(sha3_query('SELECT * FROM tbCnst ORDER BY 1, 2, 3;
 SELECT * FROM tbProc ORDER BY 1, 2, 3; SELECT * FROM tbType ORDER BY 1, 2, 3;
 SELECT * FROM tbMenb ORDER BY 1, 2, 3'));"

# The sqlite3 shell reads the copy: a hot journal beside the target is rolled back
# there, as the next program to open the target would, and the target stays as it is.
snapshot()
{
    local target=$1 side
    rm -rf "$SNAP"
    mkdir -p "$SNAP"
    cp "$target" "$SNAP/db" 2>/dev/null || return 1
    for side in -journal -wal; do
        if [[ -f $target$side && ! -L $target$side ]]; then
            cp "$target$side" "$SNAP/db$side" 2>/dev/null
        fi
    done
    return 0
}

# ref_register NAME DB: the rows a database of this name must hold.
ref_register()
{
    local name=$1 db=$2 out
    out=$(sqlite3 -batch -bail "$db" "PRAGMA integrity_check; $SQL_COUNTS $SQL_ROWS" 2>&1) ||
        die "cannot read the reference database $db: $out"
    [[ $(sed -n 1p <<<"$out") == ok ]] || die "the reference database $db is damaged"
    REF_COUNTS[$name]=$(sed -n 2p <<<"$out")
    REF_SHA[$name]=$(sed -n 3p <<<"$out")
    REF_FILE[$name]=$db
}

# db_state TARGET CANDIDATE...: sets STATE to the candidate whose rows the target
# holds whole, or to a description of what it holds instead.
db_state()
{
    local target=$1 name out counts rows=""
    shift
    if [[ ! -e $target && ! -L $target ]]; then
        STATE=missing
        return
    fi
    if [[ ! -f $target ]]; then
        STATE="not a file"
        return
    fi
    if ! snapshot "$target"; then
        STATE=unreadable
        return
    fi
    if ! out=$(timeout 120 sqlite3 -batch -bail "$SNAP/db" "PRAGMA integrity_check; $SQL_COUNTS" 2>&1); then
        case $out in
        *"no such table"*) STATE="no declaration tables" ;;
        *"not a database"*) STATE="not a database" ;;
        *) STATE="unreadable ($(head -c 60 <<<"$out" | tr '\n' ' '))" ;;
        esac
        [[ -s $target ]] || STATE="empty file"
        return
    fi
    if [[ $(sed -n 1p <<<"$out") != ok ]]; then
        STATE=damaged
        return
    fi
    counts=$(sed -n 2p <<<"$out")
    for name in "$@"; do
        [[ ${REF_COUNTS[$name]} == "$counts" ]] || continue
        [[ -n $rows ]] || rows=$(timeout 120 sqlite3 -batch -bail "$SNAP/db" "$SQL_ROWS" 2>/dev/null)
        if [[ $rows == "${REF_SHA[$name]}" ]]; then
            STATE=$name
            return
        fi
    done
    if [[ $counts == 0/0/0/0 ]]; then
        STATE="empty schema"
    else
        STATE="other rows ($counts)"
    fi
}

# Entries whose names start with "." and the target's name.
hidden_count()
{
    local dir=$1 name=$2
    local entries=()
    shopt -s nullglob
    entries=("$dir/.$name"*)
    shopt -u nullglob
    printf '%s' "${#entries[@]}"
}

hidden_journals()
{
    local dir=$1 name=$2
    local entries=()
    shopt -s nullglob
    entries=("$dir/.$name"*-journal "$dir/.$name"*-wal)
    shopt -u nullglob
    printf '%s' "${#entries[@]}"
}

# Puts the old database at target; a journal left beside it by the last run would
# be applied to the restored file, so side files go, hidden files stay.
restore_old()
{
    local target=$1 db=${2:-${REF_FILE[old]}} side
    for side in -journal -wal -shm; do
        if [[ -f $target$side || -L $target$side ]]; then
            rm -f "$target$side"
        fi
    done
    rm -f "$target"
    cp "$db" "$target" 2>/dev/null
}

tree_sums()
{
    python3 "$HERE/rig.py" tree "$1"
}

# --- a row's counts --------------------------------------------------------

TABLE_ROWS=()
ROWS_SOUND=0
ROWS_UNSOUND=0
ROWS_SKIPPED=0

row_begin()
{
    ROW_ID=$1 ROW_ATTACK=$2
    ROW_RUNS=0 ROW_SOUND=0 ROW_UNSOUND=0
    ROW_REASONS=() ROW_NOTES=() ROW_MESSAGES=()
    declare -gA ROW_REASON_N=()
    KEPT_YES=0 KEPT_NO=0
    ROW_T0=$SECONDS
    log ""
    log "== row $ROW_ID: $ROW_ATTACK"
}

TALLY_DEFER=0

# tally sound|unsound REASON: one run's verdict. With TALLY_DEFER=1 the verdict is
# only kept in TALLY_V and TALLY_R, for a run that has more to check.
tally()
{
    if ((TALLY_DEFER)); then
        TALLY_V=$1 TALLY_R=$2
        return
    fi
    local verdict=$1 reason="$1: $2"
    # Row counts differ from run to run; the kind of outcome is what is counted.
    reason=$(sed -E 's/ \([0-9]+(\/[0-9]+)+\)//g' <<<"$reason")
    ((ROW_RUNS++))
    if [[ $verdict == sound ]]; then
        ((ROW_SOUND++))
    else
        ((ROW_UNSOUND++))
    fi
    if [[ -z ${ROW_REASON_N[$reason]+x} ]]; then
        ROW_REASONS+=("$reason")
        ROW_REASON_N[$reason]=0
    fi
    ((ROW_REASON_N[$reason]++))
    log "   run $ROW_RUNS: $reason"
}

note()
{
    local n
    for n in "${ROW_NOTES[@]}"; do
        [[ $n == "$1" ]] && return
    done
    ROW_NOTES+=("$1")
}

# Keeps the first two different messages a row saw.
note_message()
{
    local m m2
    m=$(first_message "$1")
    [[ -n $m ]] || return
    for m2 in "${ROW_MESSAGES[@]}"; do
        [[ $m2 == "$m" ]] && return
    done
    ((${#ROW_MESSAGES[@]} < 2)) && ROW_MESSAGES+=("$m")
}

md_cell()
{
    local s=$1
    s=${s//|/\\|}
    s=${s//$'\n'/ }
    printf '%s' "$s"
}

row_end()
{
    local parts=() r m notes
    for r in "${ROW_REASONS[@]}"; do
        parts+=("${ROW_REASON_N[$r]}× $r")
    done
    if ((KEPT_YES + KEPT_NO > 0)); then
        parts+=("message says the old database was kept: $KEPT_YES of $((KEPT_YES + KEPT_NO))")
    fi
    parts+=("${ROW_NOTES[@]}")
    for m in "${ROW_MESSAGES[@]}"; do
        parts+=("msg: «$m»")
    done
    parts+=("$((SECONDS - ROW_T0)) s")
    notes=$(printf '%s; ' "${parts[@]}")
    notes=${notes%; }
    if ((ROW_RUNS == 0)); then
        ((ROWS_SKIPPED++))
    elif ((ROW_UNSOUND == 0)); then
        ((ROWS_SOUND++))
    else
        ((ROWS_UNSOUND++))
    fi
    TABLE_ROWS+=("| $ROW_ID | $(md_cell "$ROW_ATTACK") | $ROW_RUNS | $ROW_SOUND | $ROW_UNSOUND | $(md_cell "$notes") |")
    log "== row $ROW_ID: $ROW_RUNS runs, $ROW_SOUND sound, $ROW_UNSOUND unsound"
}

row_skip()
{
    row_begin "$1" "$2"
    note "skipped: $3"
    row_end
}

# --- judging one conversion ------------------------------------------------

# judge_conv: the verdict of the run just made (R_*) given STATE. What is accepted:
#   J_NEW       the candidate a clean conversion of the text gives
#   J_FAIL_OK   the states a failed run may leave (default: old)
#   J_RC1_OK    the states status 1 with a message may leave (a text that changed)
#   J_CAUSE     when set, a failure's message must match it ...
#   J_CAUSE_WHAT  ... (what it names, for the notes)
#   J_WRONG     ... and must not match this
#   J_SAY_KEPT  when set, a failure that kept the old database must say so
judge_conv()
{
    local st=$STATE new=${J_NEW:-new} fail_ok=${J_FAIL_OK:-old} rc1_ok=${J_RC1_OK:-}
    if ((R_timedout)); then
        tally unsound "no end within ${R_secs%.*} s"
        return
    fi
    if ((R_rigkilled)); then
        if [[ " old $new " == *" $st "* ]]; then
            tally sound "killed, target holds $st whole"
        else
            tally unsound "killed, target holds $st"
        fi
        return
    fi
    if ((R_sig)); then
        tally unsound "died of $(signal_name "$R_sig") (status $R_rc), target holds $st"
        return
    fi
    if ((R_rc == 0)); then
        if [[ $st == "$new" ]]; then
            tally sound "status 0, new database whole"
        else
            tally unsound "status 0 but target holds $st"
        fi
        return
    fi
    if ! has_japanese "$R_ERR"; then
        tally unsound "status $R_rc without a message in Japanese, target holds $st"
        return
    fi
    note_message "$R_ERR"
    if ((R_rc == 1)) && [[ " $rc1_ok " == *" $st "* ]]; then
        tally sound "status 1 with a message, target holds $st"
        return
    fi
    if [[ " $fail_ok " != *" $st "* ]]; then
        tally unsound "status $R_rc, target holds $st"
        return
    fi
    if [[ -n ${J_WRONG:-} ]] && says "$R_ERR" "$J_WRONG"; then
        tally unsound "status $R_rc, $st kept, but the message says access denied or in use"
        return
    fi
    if [[ -n ${J_CAUSE:-} ]] && ! says "$R_ERR" "$J_CAUSE"; then
        tally unsound "status $R_rc, $st kept, but the message does not name ${J_CAUSE_WHAT:-the cause}"
        return
    fi
    if [[ $st == old ]]; then
        if says "$R_ERR" "$RE_KEPT"; then
            ((KEPT_YES++))
        else
            ((KEPT_NO++))
            if [[ -n ${J_SAY_KEPT:-} ]]; then
                tally unsound "status $R_rc, old kept, but the message does not say the old database was kept"
                return
            fi
        fi
    fi
    tally sound "status $R_rc with a message, $st kept whole"
}

judge_reset()
{
    J_NEW=new J_FAIL_OK=old J_RC1_OK="" J_CAUSE="" J_CAUSE_WHAT="" J_WRONG="" J_SAY_KEPT=""
}

# --- browsing ------------------------------------------------------------------

# browse_check DIR DB USER: list, show and search as USER (empty: root) must leave
# every byte in DIR as it was and end within the bound. Sets BROWSE_WHY on failure.
browse_check()
{
    local dir=$1 db=$2 user=${3:-} before after op
    local -a as=()
    [[ -n $user ]] && as=(--user "$user")
    before=$(tree_sums "$dir")
    for op in "list $db const" "show $db func SMLGetValue0" "search $db type SMLR"; do
        # shellcheck disable=SC2086 # op is three words
        ekrun --timeout "$BOUND" "${as[@]}" -- "$CLI" $op
        if ((R_timedout)); then
            BROWSE_WHY="ek-cli ${op%% *} did not end within $BOUND s"
            return 1
        fi
    done
    after=$(tree_sums "$dir")
    if [[ $before != "$after" ]]; then
        BROWSE_WHY="browsing changed $(diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") |
            grep -c '^>') entries"
        return 1
    fi
    return 0
}

# sweep DIR NAME [USER]: the next conversion into the same target, made normally,
# must succeed and leave no hidden file; browsing it must change nothing.
sweep()
{
    local dir=$1 name=$2 user=${3:-} n
    local -a as=()
    [[ -n $user ]] && as=(--user "$user")
    note "hidden files before the next conversion: $(hidden_count "$dir" "$name")"
    ekrun --timeout "$BOUND_SMALL" "${as[@]}" -- "$CLI" convert "$TX/small.txt" "$dir/$name"
    db_state "$dir/$name" small
    if ((R_rc != 0)) || [[ $STATE != small ]]; then
        note_message "$R_ERR"
        tally unsound "next normal conversion: status $R_rc, target holds $STATE"
        return
    fi
    n=$(hidden_count "$dir" "$name")
    if ((n > 0)); then
        tally unsound "next normal conversion left $n hidden files ($(hidden_journals "$dir" "$name") journals)"
        return
    fi
    if ! browse_check "$dir" "$dir/$name" "$user"; then
        tally unsound "after the next conversion: $BROWSE_WHY"
        return
    fi
    tally sound "next normal conversion: no hidden file left"
}

# A fraction of D, drawn afresh, as seconds with three decimals.
random_between()
{
    awk -v lo="$1" -v hi="$2" -v r="$RANDOM$RANDOM" 'BEGIN { srand(r); printf "%.3f", lo + (hi - lo) * rand() }'
}
