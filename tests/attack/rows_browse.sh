# shellcheck shell=bash disable=SC2034,SC2153,SC2154 # J_* are read by judge_conv, R_* come from printf -v
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Rows 6 and 7: browsing must not write, and nothing may make a program wait
# without end.

# op_check EXPECTED [REFUSAL_RE WHAT]: the run just made either printed exactly
# EXPECTED or refused with a message in Japanese (one that says WHAT, matching
# REFUSAL_RE, when given). Sets OP_WHY to what was wrong, OP_HOW to what happened.
op_check()
{
    local expected=$1 refusal=${2:-} what=${3:-why}
    OP_WHY="" OP_HOW=""
    if ((R_timedout)); then
        OP_WHY="no end within $BOUND s"
        return 1
    fi
    if ((R_sig)); then
        OP_WHY="died of $(signal_name "$R_sig")"
        return 1
    fi
    if ((R_rc == 0)); then
        if cmp -s "$R_OUT" "$expected"; then
            OP_HOW="printed the database's own rows"
            return 0
        fi
        OP_WHY="status 0 but printed other rows than the database's own"
        return 1
    fi
    if ! has_japanese "$R_ERR"; then
        OP_WHY="status $R_rc without a message in Japanese"
        return 1
    fi
    note_message "$R_ERR"
    if [[ -n $refusal ]] && ! says "$R_ERR" "$refusal"; then
        OP_WHY="refused (status $R_rc), but the message does not say $what"
        return 1
    fi
    OP_HOW="refused with a message"
    return 0
}

# Expected outputs of the clean small database, for rows that browse a doctored copy.
ensure_small_outputs()
{
    [[ -s $REF/small.list ]] && return 0
    ekrun --timeout "$BOUND" -- "$CLI" list "${REF_FILE[small]}" const
    cp "$R_OUT" "$REF/small.list"
    ekrun --timeout "$BOUND" -- "$CLI" show "${REF_FILE[small]}" func SMLGetValue0
    cp "$R_OUT" "$REF/small.show"
    ekrun --timeout "$BOUND" -- "$CLI" search "${REF_FILE[small]}" const SML_000
    cp "$R_OUT" "$REF/small.search"
}

row_6()
{
    row_begin 6 "another user's crafted hot journal beside a third user's database in a 1777 folder; the owner lists it"
    local dir=$RIG/r6 shared victim_list victim_show i before after why
    shared=$dir/shared
    mkdir -p "$shared"
    chmod 0755 "$dir"
    chmod 1777 "$shared"
    python3 "$HERE/rig.py" text "$dir/victim.txt" --prefix VIC --consts 3000 --procs 0 --types 0 || die "victim text"
    printf '%s\r\n' 'Declare Function GetTickCount Lib "kernel32" () As Long' \
        'Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)' >>"$dir/victim.txt"
    ekrun --timeout "$BOUND" -- "$CLI" convert "$dir/victim.txt" "$dir/victim.mdb"
    ((R_rc == 0)) || die "cannot convert the victim's text"
    python3 "$HERE/rig.py" journal "$dir/victim.mdb" "$dir/evil.mdb" "$dir/evil.journal" --name Sleep \
        --text 'Declare Sub Sleep Lib "evil.dll" (ByVal dwMilliseconds As Long)' ||
        die "cannot craft the journal"
    chmod 0644 "$dir/evil.journal"
    note "journal checked genuine: rolled back onto a copy it gives the evil row"
    victim_list=$dir/victim.list victim_show=$dir/victim.show
    ekrun --timeout "$BOUND" -- "$CLI" list "$dir/victim.mdb" func
    cp "$R_OUT" "$victim_list"
    ekrun --timeout "$BOUND" -- "$CLI" show "$dir/victim.mdb" func Sleep
    cp "$R_OUT" "$victim_show"
    for ((i = 0; i < RUNS_FEW; i++)); do
        rm -rf "${shared:?}"/* "$shared"/.[!.]*
        cp "$dir/victim.mdb" "$shared/Ek.MDB"
        chown "$VICTIM:$VICTIM" "$shared/Ek.MDB"
        chmod 0644 "$shared/Ek.MDB"
        # shellcheck disable=SC2016 # the inner shell expands them
        setpriv --reuid="$ATTACKER" --regid="$ATTACKER" --clear-groups \
            sh -c 'cp "$1" "$2" && chmod 0666 "$2"' sh "$dir/evil.journal" "$shared/Ek.MDB-journal" ||
            die "the attacker cannot place the journal"
        before=$(tree_sums "$shared")
        why=""
        ekrun --timeout "$BOUND" --user "$VICTIM:$VICTIM" -- "$CLI" list "$shared/Ek.MDB" func
        op_check "$victim_list" "$RE_INTERRUPTED" "a write was interrupted" || why="list: $OP_WHY"
        local how_list=$OP_HOW
        ekrun --timeout "$BOUND" --user "$VICTIM:$VICTIM" -- "$CLI" show "$shared/Ek.MDB" func Sleep
        if grep -q 'evil\.dll' "$R_OUT"; then
            why="${why:+$why; }show prints the evil row"
        else
            op_check "$victim_show" "$RE_INTERRUPTED" "a write was interrupted" || why="${why:+$why; }show: $OP_WHY"
        fi
        after=$(tree_sums "$shared")
        if [[ $before != "$after" ]]; then
            why="browsing changed $(diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") | grep '^>' |
                awk '{ print $2 }' | sort -u | paste -sd ' ')${why:+; $why}"
        fi
        if [[ -n $why ]]; then
            tally unsound "$why"
        else
            tally sound "bytes unchanged; list $how_list"
        fi
    done
    row_end
}

# browse_runs DIR DB OPS...: each op ("list const", ...) is one run; it must end
# within the bound, print the clean database's rows or refuse (with a message that
# matches BROWSE_REFUSAL, saying BROWSE_REFUSAL_WHAT, when set), and change no byte
# in DIR.
browse_runs()
{
    local dir=$1 db=$2 op expected before after
    shift 2
    for op in "$@"; do
        case $op in
        "list const") expected=$REF/small.list ;;
        "show func"*) expected=$REF/small.show ;;
        "search const"*) expected=$REF/small.search ;;
        esac
        before=$(tree_sums "$dir")
        # shellcheck disable=SC2086 # op is words
        ekrun --timeout "$BOUND" -- "$CLI" ${op%% *} "$db" ${op#* }
        after=$(tree_sums "$dir")
        if ! op_check "$expected" "${BROWSE_REFUSAL:-}" "${BROWSE_REFUSAL_WHAT:-why}"; then
            tally unsound "${op%% *}: $OP_WHY"
        elif [[ $before != "$after" ]]; then
            tally unsound "${op%% *}: changed files beside the database"
        else
            tally sound "${op%% *} ended in ${R_secs} s and $OP_HOW"
        fi
    done
}

row_7a()
{
    ensure_small_outputs
    row_begin 7a "a FIFO named a.mdb-journal beside a.mdb; ek-cli list, search, show"
    local dir=$RIG/r7a
    mkdir -p "$dir"
    cp "${REF_FILE[small]}" "$dir/a.mdb"
    mkfifo "$dir/a.mdb-journal"
    # Refusing is sound only when the message tells the user which file is in the way.
    local BROWSE_REFUSAL='a\.mdb-journal' BROWSE_REFUSAL_WHAT="which file beside a.mdb is in the way"
    if ((QUICK)); then
        browse_runs "$dir" "$dir/a.mdb" "list const"
    else
        browse_runs "$dir" "$dir/a.mdb" "list const" "search const SML_000" "show func SMLGetValue0"
    fi
    row_end
    if [[ -z $EK ]]; then
        row_skip 7a-win "the same FIFO; the window opens the remembered a.mdb" "no ek binary given"
        return
    fi
    row_begin 7a-win "the same FIFO; the window opens the remembered a.mdb"
    win_start_x
    local i before after
    for ((i = 0; i < RUNS_WINDOW; i++)); do
        before=$(tree_sums "$dir")
        win_session remember "$dir/a.mdb"
        if [[ -z $WIN_MAIN ]]; then
            tally unsound "no main window within $BOUND s"
        elif ! win_open_remembered; then
            tally unsound "the File menu did not open"
        elif ! win_responds; then
            tally unsound "after opening a.mdb: $WIN_HOW"
        else
            after=$(tree_sums "$dir")
            if [[ $before != "$after" ]]; then
                tally unsound "opening changed files beside the database"
            else
                tally sound "after opening a.mdb $WIN_HOW"
            fi
        fi
        win_stop
    done
    row_end
}

row_7b()
{
    row_begin 7b "the text path swapped with a FIFO in a tight loop while ek-cli converts it"
    local dir=$RIG/r7b i xpid
    mkdir -p "$dir"
    cp "$TX/small.txt" "$dir/l.txt"
    mkfifo "$dir/l.fifo"
    judge_reset
    J_NEW=small J_RC1_OK=small
    python3 "$HERE/rig.py" exchange "$dir/l.txt" "$dir/l.fifo" &
    xpid=$!
    bg_track "$xpid"
    for ((i = 0; i < RUNS_FIFO; i++)); do
        restore_old "$dir/Ek.MDB"
        ekrun --timeout "$BOUND" -- "$CLI" convert "$dir/l.txt" "$dir/Ek.MDB"
        db_state "$dir/Ek.MDB" old small
        judge_conv
    done
    bg_stop "$xpid"
    sweep "$dir" Ek.MDB
    row_end
}

row_7c()
{
    if [[ -z $EK ]]; then
        row_skip 7c "the window's settings file Ek.conf is a FIFO" "no ek binary given"
        return
    fi
    row_begin 7c "the window's settings file Ek.conf is a FIFO"
    win_start_x
    local i
    for ((i = 0; i < RUNS_WINDOW; i++)); do
        win_session fifo
        if [[ -n $WIN_MAIN ]]; then
            tally sound "main window after $WIN_APPEARED s"
        else
            tally unsound "no main window within $BOUND s"
        fi
        win_stop
    done
    row_end
}

row_7d()
{
    ensure_small_outputs
    row_begin 7d "a declaration database with 1,000,000 more rows in its schema (CREATE VIEW); ek-cli list, show"
    local dir=$RIG/r7d
    mkdir -p "$dir"
    cp "${REF_FILE[small]}" "$dir/views.mdb"
    python3 "$HERE/rig.py" views "$dir/views.mdb" 1000000 || die "cannot build the schema of a million views"
    if ((QUICK)); then
        browse_runs "$dir" "$dir/views.mdb" "list const"
    else
        browse_runs "$dir" "$dir/views.mdb" "list const" "show func SMLGetValue0"
    fi
    rm -rf "$dir"
    row_end
}

row_7e()
{
    local dir=$RIG/r7e before after peak
    row_begin 7e "a 300 MB name in tbCnst; ek-cli list const (peak RSS under $((RSS_LIMIT_KB / 1024)) MB)"
    mkdir -p "$dir"
    cp "${REF_FILE[small]}" "$dir/big.mdb"
    python3 "$HERE/rig.py" bigname "$dir/big.mdb" 300 || die "cannot build the database with a 300 MB name"
    before=$(tree_sums "$dir")
    ekrun --timeout "$BOUND" --out-cap 1048576 -- "$CLI" list "$dir/big.mdb" const
    after=$(tree_sums "$dir")
    peak=$((R_rss_kb / 1024))
    if ((R_timedout)); then
        tally unsound "no end within $BOUND s (peak RSS $peak MB)"
    elif ((R_rss_kb > RSS_LIMIT_KB)); then
        tally unsound "ended in $R_secs s, but peak RSS $peak MB"
    elif ((R_rc != 0)) && ! has_japanese "$R_ERR"; then
        tally unsound "status $R_rc without a message in Japanese"
    elif [[ $before != "$after" ]]; then
        tally unsound "list changed files beside the database"
    else
        ((R_rc != 0)) && note_message "$R_ERR"
        tally sound "status $R_rc in $R_secs s, peak RSS $peak MB"
    fi
    row_end
    if [[ -z $EK ]]; then
        row_skip 7e-win "the same database in the window: open it, choose 定数" "no ek binary given"
        rm -rf "$dir"
        return
    fi
    row_begin 7e-win "the same database in the window: open it, choose 定数 (peak RSS under $((RSS_LIMIT_KB / 1024)) MB)"
    win_start_x
    local i what
    for ((i = 0; i < RUNS_WINDOW_BIG; i++)); do
        before=$(tree_sums "$dir")
        win_session remember "$dir/big.mdb"
        what=""
        if [[ -z $WIN_MAIN ]]; then
            what="no main window within $BOUND s"
        elif ! win_open_remembered; then
            what="the File menu did not open"
        elif ! win_responds; then
            what="after opening: $WIN_HOW"
        elif [[ $WIN_HOW != "the File menu opened" ]]; then
            : # refused at opening with a window of its own
        else
            win_show_constants
            win_responds || what="after choosing 定数: $WIN_HOW"
        fi
        peak=$(($(win_peak_kb) / 1024))
        win_stop
        after=$(tree_sums "$dir")
        [[ -z $what && $before != "$after" ]] && what="changed files beside the database"
        if [[ -n $what ]]; then
            tally unsound "$what (peak RSS $peak MB)"
        elif ((peak * 1024 > RSS_LIMIT_KB)); then
            tally unsound "responded, but peak RSS $peak MB"
        else
            tally sound "$WIN_HOW, peak RSS $peak MB"
        fi
    done
    rm -rf "$dir"
    row_end
}
