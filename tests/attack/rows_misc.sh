# shellcheck shell=bash disable=SC2034,SC2153,SC2154 # J_* are read by judge_conv, R_* come from printf -v
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Row 8: file modes, other people's files beside the target, texts that are not
# what they seem, and failures that must be named for what they are.

row_8a()
{
    local dir=$RIG/r8a i mode owner
    mkdir -p "$dir"
    chown "$VICTIM:$VICTIM" "$dir"
    chmod 0755 "$dir"
    row_begin 8a1 "a 0444 target, converted into by its owner (unprivileged, owns the folder)"
    for ((i = 0; i < RUNS_FEW; i++)); do
        restore_old "$dir/Ek.MDB"
        chown "$VICTIM:$VICTIM" "$dir/Ek.MDB"
        chmod 0444 "$dir/Ek.MDB"
        local before
        before=$(sha256sum <"$dir/Ek.MDB")
        ekrun --timeout "$BOUND_SMALL" --user "$VICTIM:$VICTIM" -- "$CLI" convert "$TX/small.txt" "$dir/Ek.MDB"
        mode=$(stat -c '%a' "$dir/Ek.MDB" 2>/dev/null)
        db_state "$dir/Ek.MDB" old small
        if ((R_rc == 0)); then
            tally unsound "status 0: the read-only target was replaced ($STATE, mode $mode)"
        elif [[ $(sha256sum <"$dir/Ek.MDB" 2>/dev/null) != "$before" || $mode != 444 ]]; then
            tally unsound "status $R_rc, but the target changed ($STATE, mode $mode)"
        elif ! has_japanese "$R_ERR"; then
            tally unsound "status $R_rc without a message in Japanese"
        elif ! says "$R_ERR" "$RE_READONLY"; then
            note_message "$R_ERR"
            tally unsound "refused, but the message does not say read-only"
        else
            note_message "$R_ERR"
            tally sound "refused as read-only, target unchanged"
        fi
    done
    row_end

    row_begin 8a2 "a 0600 target, converted into by its owner, keeps mode 0600"
    for ((i = 0; i < RUNS_FEW; i++)); do
        restore_old "$dir/Ek.MDB"
        chown "$VICTIM:$VICTIM" "$dir/Ek.MDB"
        chmod 0600 "$dir/Ek.MDB"
        ekrun --timeout "$BOUND_SMALL" --user "$VICTIM:$VICTIM" -- "$CLI" convert "$TX/small.txt" "$dir/Ek.MDB"
        mode=$(stat -c '%a' "$dir/Ek.MDB" 2>/dev/null)
        owner=$(stat -c '%u' "$dir/Ek.MDB" 2>/dev/null)
        db_state "$dir/Ek.MDB" old small
        if ((R_rc != 0)) || [[ $STATE != small ]]; then
            note_message "$R_ERR"
            tally unsound "status $R_rc, target holds $STATE"
        elif [[ $mode != 600 || $owner != "$VICTIM" ]]; then
            tally unsound "new database in place, but mode $mode, owner $owner"
        else
            tally sound "new database, mode 600 kept"
        fi
    done
    sweep "$dir" Ek.MDB "$VICTIM:$VICTIM"
    row_end
}

row_8b()
{
    row_begin 8b "a user's own file named w.mdb-wal or w.mdb-journal (not SQLite's) beside the target w.mdb"
    local dir=$RIG/r8b i side sum
    mkdir -p "$dir"
    judge_reset
    J_NEW=small
    for ((i = 0; i < RUNS_FEW * 2; i++)); do
        side=-wal
        ((i % 2)) && side=-journal
        restore_old "$dir/w.mdb"
        printf 'メモ: w.mdb の作業記録 %s\r\n' "$i" | iconv -f UTF-8 -t CP932 >"$dir/w.mdb$side"
        head -c 3000 /dev/urandom >>"$dir/w.mdb$side"
        sum=$(sha256sum <"$dir/w.mdb$side")
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$TX/small.txt" "$dir/w.mdb"
        db_state "$dir/w.mdb" old small
        TALLY_DEFER=1
        judge_conv
        TALLY_DEFER=0
        if [[ ! -f $dir/w.mdb$side || $(sha256sum <"$dir/w.mdb$side") != "$sum" ]]; then
            tally unsound "convert deleted or changed the user's w.mdb$side (status $R_rc)"
        else
            ekrun --timeout "$BOUND" -- "$CLI" list "$dir/w.mdb" const
            if [[ ! -f $dir/w.mdb$side || $(sha256sum <"$dir/w.mdb$side") != "$sum" ]]; then
                tally unsound "list deleted or changed the user's w.mdb$side"
            else
                tally "$TALLY_V" "$TALLY_R; w.mdb$side kept"
            fi
        fi
        rm -f "$dir/w.mdb$side"
    done
    sweep "$dir" w.mdb
    row_end
}

row_8c()
{
    row_begin 8c "a UTF-8 byte-order mark before the first line (the first line a constant, a declaration, a type)"
    local dir=$RIG/r8c kind
    mkdir -p "$dir"
    for kind in const func type; do
        python3 "$HERE/rig.py" text "$dir/plain-$kind.txt" --prefix BOM --consts 100 --first "$kind"
        python3 "$HERE/rig.py" text "$dir/bom-$kind.txt" --prefix BOM --consts 100 --first "$kind" \
            --encoding cp932-utf8bom
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$dir/plain-$kind.txt" "$dir/plain-$kind.mdb"
        ((R_rc == 0)) || die "cannot convert $dir/plain-$kind.txt"
        ref_register "plain-$kind" "$dir/plain-$kind.mdb"
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$dir/bom-$kind.txt" "$dir/bom-$kind.mdb"
        db_state "$dir/bom-$kind.mdb" "plain-$kind"
        if ((R_rc == 0)) && [[ $STATE == "plain-$kind" ]]; then
            tally sound "first $kind stored as without the mark"
        else
            local members
            members=$(sqlite3 "$dir/bom-$kind.mdb" 'SELECT count(*) FROM tbMenb' 2>/dev/null)
            tally unsound "first $kind: status $R_rc, not stored as without the mark ($STATE; $members member lines)"
        fi
    done
    row_end
}

row_8d()
{
    row_begin 8d "a UTF-16 text (little- and big-endian, with a byte-order mark) over the old database"
    local dir=$RIG/r8d enc
    mkdir -p "$dir"
    judge_reset
    J_NEW=__no_database_is_right__
    for enc in utf-16-le-bom utf-16-be-bom; do
        python3 "$HERE/rig.py" text "$dir/$enc.txt" --prefix WIDE --consts 200 --encoding "$enc"
        restore_old "$dir/Ek.MDB"
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$dir/$enc.txt" "$dir/Ek.MDB"
        db_state "$dir/Ek.MDB" old
        judge_conv
    done
    row_end
}

row_8e()
{
    ensure_long
    row_begin 8e "the text changed in place (same size) while it is read"
    local dir=$RIG/r8e frac try
    mkdir -p "$dir"
    local fractions=(0.05 0.5 0.95)
    ((QUICK)) && fractions=(0.5)
    for frac in "${fractions[@]}"; do
        for ((try = 0; try < 3; try++)); do
            cp "$TX/long.txt" "$dir/t.txt"
            restore_old "$dir/Ek.MDB"
            ekrun --timeout "$BOUND_LONG" --actor "change=$dir/t.txt:$frac" -- \
                "$CLI" convert "$dir/t.txt" "$dir/Ek.MDB"
            [[ $R_changed_while_running == 1 ]] && break
        done
        if [[ $R_changed_while_running != 1 ]]; then
            tally unsound "rig: the change could not be made while the run went on"
        elif ((R_timedout)); then
            tally unsound "no end within $BOUND_LONG s"
        elif ((R_rc == 1)) && has_japanese "$R_ERR" && says "$R_ERR" "$RE_CHANGED"; then
            note_message "$R_ERR"
            tally sound "changed at $frac of the file (at ${R_change_at} s): status 1, reported"
        else
            [[ -s $R_ERR ]] && note_message "$R_ERR"
            tally unsound "changed at $frac of the file (at ${R_change_at} s of ${R_secs} s): status $R_rc, not reported"
        fi
    done
    rm -f "$dir/t.txt"
    row_end
}

row_8f()
{
    row_begin 8f "tbCnst an FTS5 virtual table whose SQL is CREATE/**/VIRTUAL (also a tab, a line break); ek-cli list"
    local dir=$RIG/r8f variant before after
    mkdir -p "$dir"
    local variants=(comment tab newline)
    ((QUICK)) && variants=(comment)
    for variant in "${variants[@]}"; do
        cp "${REF_FILE[small]}" "$dir/$variant.mdb"
        python3 "$HERE/rig.py" vtab "$dir/$variant.mdb" "$variant" || die "cannot build the virtual table"
        before=$(tree_sums "$dir")
        ekrun --timeout "$BOUND" -- "$CLI" list "$dir/$variant.mdb" const
        after=$(tree_sums "$dir")
        if ((R_timedout)); then
            tally unsound "$variant: no end within $BOUND s"
        elif [[ $before != "$after" ]]; then
            tally unsound "$variant: list changed files"
        elif ((R_rc == 0)); then
            tally unsound "$variant: listed the virtual table ($(wc -l <"$R_OUT") names)"
        elif ! has_japanese "$R_ERR"; then
            tally unsound "$variant: status $R_rc without a message in Japanese"
        elif ! says "$R_ERR" "$RE_UNSUPPORTED"; then
            note_message "$R_ERR"
            tally unsound "$variant: failed, but not as an unsupported file"
        else
            note_message "$R_ERR"
            tally sound "$variant: refused as unsupported"
        fi
    done
    row_end
}

# Fills the tmpfs at DIR until no inode is left, then frees FREE of them.
inodes_leave()
{
    local dir=$1 free=$2 i=0
    mkdir -p "$dir/.." 2>/dev/null
    while : 2>/dev/null >"$dir/filler-$i"; do
        ((i++))
        ((i > 100000)) && die "the tmpfs at $dir does not run out of inodes"
    done
    rm -f "$dir/filler-$i"
    while ((free-- > 0 && i-- > 0)); do
        rm -f "$dir/filler-$i"
    done
}

row_8g()
{
    row_begin 8g1 "no free inodes (tmpfs nr_inodes=64, the folder full of files; 0, 1, 2 left)"
    local dir=$RIG/r8g/mnt free n lo n_ok n_start
    rig_mount "$dir" "size=8M,nr_inodes=64"
    judge_reset
    J_NEW=small J_CAUSE=$RE_INODES J_CAUSE_WHAT="the lack of inodes" J_WRONG=$RE_ACCESS
    local frees=(0 1 2)
    ((QUICK)) && frees=(0)
    restore_old "$dir/Ek.MDB"
    for free in "${frees[@]}"; do
        rm -f "$dir"/filler-*
        restore_old "$dir/Ek.MDB"
        inodes_leave "$dir" "$free"
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$TX/small.txt" "$dir/Ek.MDB"
        rm -f "$dir"/filler-*
        db_state "$dir/Ek.MDB" old small
        judge_conv
    done
    sweep "$dir" Ek.MDB
    rig_umount "$dir"
    row_end

    row_begin 8g2 "no file handles left (ulimit -n from the least ek-cli starts with up to the least a conversion needs)"
    dir=$RIG/r8g2
    mkdir -p "$dir"
    judge_reset
    J_NEW=small J_CAUSE=$RE_FILES J_CAUSE_WHAT="too many open files" J_WRONG=$RE_ACCESS
    n_start=""
    for ((n = 3; n <= 64; n++)); do
        ekrun --timeout "$BOUND" --nofile "$n" -- "$CLI" --version
        if ((R_rc == 0)); then
            n_start=$n
            break
        fi
    done
    if [[ -z $n_start ]]; then
        note "ek-cli does not even start with 64 file handles"
        row_end
        return
    fi
    n_ok=""
    for ((n = n_start; n <= 256; n++)); do
        restore_old "$dir/probe.mdb"
        ekrun --timeout "$BOUND_SMALL" --nofile "$n" -- "$CLI" convert "$TX/small.txt" "$dir/probe.mdb"
        if ((R_rc == 0)); then
            n_ok=$n
            break
        fi
    done
    rm -f "$dir/probe.mdb"
    [[ -n $n_ok ]] || n_ok=257
    note "starts with $n_start handles, converts with $n_ok"
    lo=$n_start
    ((QUICK)) && lo=$((n_ok - 1 > n_start ? n_ok - 1 : n_start))
    for ((n = lo; n < n_ok && n < lo + 8; n++)); do
        restore_old "$dir/Ek.MDB"
        ekrun --timeout "$BOUND_SMALL" --nofile "$n" -- "$CLI" convert "$TX/small.txt" "$dir/Ek.MDB"
        db_state "$dir/Ek.MDB" old small
        judge_conv
    done
    sweep "$dir" Ek.MDB
    row_end
}

row_8h()
{
    ensure_long
    row_begin 8h "moved away mid-run: the target's hidden work files (the target when there are none), or the target"
    local dir=$RIG/r8h i delay moved_state
    mkdir -p "$dir/moved"
    local what try lo hi
    lo=$(awk -v d="$D_LONG" 'BEGIN { printf "%.3f", d * 0.15 }')
    hi=$(awk -v d="$D_LONG" 'BEGIN { printf "%.3f", d * 0.7 }')
    for ((i = 0; i < RUNS_MOVES; i++)); do
        # Every other run moves the target itself, whatever else there is.
        what=work
        ((i % 2)) && what=target
        delay=$(random_between "$lo" "$hi")
        for ((try = 0; try < 3; try++)); do
            rm -rf "$dir/moved"/* "$dir/moved"/.[!.]* "$dir/Ek.MDB.moved"
            restore_old "$dir/Ek.MDB"
            ekrun --timeout "$BOUND_LONG" --actor "move=$delay:$dir:Ek.MDB:$dir/moved:$what" -- \
                "$CLI" convert "$TX/long.txt" "$dir/Ek.MDB"
            [[ $R_moved_while_running == 1 ]] && break
            delay=$(awk -v d="$delay" 'BEGIN { printf "%.3f", d / 2 }')
        done
        db_state "$dir/Ek.MDB" long old
        local target_state=$STATE moved_what=$R_moved
        [[ $moved_what == work ]] && moved_what="work files"
        if [[ $R_moved_while_running != 1 ]]; then
            tally unsound "rig: nothing was moved while the run went on ($R_moved)"
            continue
        fi
        if ((R_timedout)); then
            tally unsound "moved the $moved_what: no end within $BOUND_LONG s"
            continue
        fi
        if [[ $R_moved == target ]]; then
            db_state "$dir/Ek.MDB.moved" old long
            moved_state=$STATE
            if [[ $moved_state != old ]]; then
                tally unsound "moved the target: the moved file holds $moved_state, the old database is lost (status $R_rc)"
                continue
            fi
        fi
        if ((R_rc == 0)); then
            if [[ $target_state == long ]]; then
                tally sound "moved the $moved_what: status 0, new database in place"
            else
                tally unsound "moved the $moved_what: status 0 but target holds $target_state"
            fi
            continue
        fi
        if ((R_sig)) || ! has_japanese "$R_ERR"; then
            tally unsound "moved the $moved_what: status $R_rc without a message in Japanese"
            continue
        fi
        note_message "$R_ERR"
        if [[ $R_moved == work && $target_state != old ]]; then
            tally unsound "moved the work files: status $R_rc, target holds $target_state"
        elif [[ $R_moved == target && $target_state != missing && $target_state != old ]]; then
            tally unsound "moved the target: status $R_rc, target path holds $target_state"
        elif ! says "$R_ERR" "$RE_MOVED"; then
            if says "$R_ERR" "$RE_READONLY"; then
                tally unsound "moved the $moved_what: status $R_rc, the message says read-only"
            else
                tally unsound "moved the $moved_what: status $R_rc, the message does not say it was moved"
            fi
        else
            tally sound "moved the $moved_what: status $R_rc, reported as moved, nothing lost"
        fi
    done
    rm -rf "$dir/moved" "$dir/Ek.MDB.moved"
    sweep "$dir" Ek.MDB
    row_end
}
