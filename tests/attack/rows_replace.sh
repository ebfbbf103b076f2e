# shellcheck shell=bash disable=SC2034,SC2153,SC2154 # J_* are read by judge_conv, R_* come from printf -v
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Rows 1 to 5: a conversion that fails, is killed, or is disturbed must leave the
# old database whole or the new one whole, and say which.

row_1()
{
    local size id dir target i
    for size in 3M 2400k; do
        id=1a
        [[ $size == 3M ]] || id=1b
        row_begin "$id" "failed conversion on a full disk: tmpfs size=$size holding the old database, 12 MB text"
        dir=$RIG/r1/$size
        rig_mount "$dir" "size=$size"
        target=$dir/Ek.MDB
        judge_reset
        # The user must learn both what went wrong and that nothing was lost.
        J_CAUSE=$RE_DISKFULL J_CAUSE_WHAT="a full disk" J_SAY_KEPT=1 J_WRONG=$RE_ACCESS
        for ((i = 0; i < RUNS_FEW; i++)); do
            if ! restore_old "$target"; then
                tally unsound "the old database no longer fits beside what earlier runs left"
                continue
            fi
            ekrun --timeout "$BOUND_NEW" -- "$CLI" convert "$TX/new.txt" "$target"
            db_state "$target" old new
            judge_conv
        done
        sweep "$dir" Ek.MDB
        rig_umount "$dir"
        row_end
    done
}

row_2()
{
    row_begin 2 "kill -9 at a random moment of a conversion (12 MB text over the old database)"
    local dir=$RIG/r2 target i delay
    mkdir -p "$dir"
    target=$dir/Ek.MDB
    judge_reset
    note "kill delays uniform over 0..${D_NEW} s (a measured run)"
    for ((i = 0; i < RUNS_KILLS; i++)); do
        restore_old "$target"
        delay=$(random_between 0 "$D_NEW")
        ekrun --timeout "$BOUND_NEW" --kill-at "$delay" -- "$CLI" convert "$TX/new.txt" "$target"
        db_state "$target" old new
        judge_conv
    done
    note "left by the kills: $(hidden_count "$dir" Ek.MDB) hidden files, $(hidden_journals "$dir" Ek.MDB) of them journals"
    sweep "$dir" Ek.MDB
    row_end
}

row_3()
{
    row_begin 3 "a folder named b.mdb-journal beside the target b.mdb"
    local dir=$RIG/r3 i
    mkdir -p "$dir"
    judge_reset
    J_NEW=small
    for ((i = 0; i < RUNS_FEW; i++)); do
        restore_old "$dir/b.mdb"
        mkdir -p "$dir/b.mdb-journal"
        ekrun --timeout "$BOUND_SMALL" -- "$CLI" convert "$TX/small.txt" "$dir/b.mdb"
        db_state "$dir/b.mdb" old small
        judge_conv
    done
    rm -rf "$dir/b.mdb-journal"
    sweep "$dir" b.mdb
    row_end
}

row_4()
{
    local limit blocks dir i
    for blocks in 1 512; do
        limit=$((blocks * 1024))
        row_begin "4$([[ $blocks == 1 ]] && printf a || printf b)" \
            "file size limit ulimit -f $blocks, 12 MB text over the old database"
        dir=$RIG/r4/$blocks
        mkdir -p "$dir"
        judge_reset
        for ((i = 0; i < RUNS_FEW; i++)); do
            restore_old "$dir/Ek.MDB"
            ekrun --timeout "$BOUND_NEW" --fsize "$limit" -- "$CLI" convert "$TX/new.txt" "$dir/Ek.MDB"
            db_state "$dir/Ek.MDB" old new
            judge_conv
        done
        sweep "$dir" Ek.MDB
        row_end
    done
}

row_5()
{
    ensure_long
    row_begin 5 "another program moves its own database onto the target mid-run (cp m.db o.db; mv o.db Ek.MDB)"
    local dir=$RIG/r5 i delay try
    mkdir -p "$dir"
    judge_reset
    J_NEW=long J_FAIL_OK=other
    cp "${REF_FILE[other]}" "$dir/m.db"
    note "run ${D_LONG} s; swaps at 0.5 s and at random moments up to 60 %"
    for ((i = 0; i < RUNS_SWAPS; i++)); do
        if ((i == 0)); then
            delay=0.5
        else
            delay=$(random_between 0.1 "$(awk -v d="$D_LONG" 'BEGIN { printf "%.3f", d * 0.6 }')")
        fi
        for ((try = 0; try < 3; try++)); do
            restore_old "$dir/Ek.MDB"
            rm -f "$dir/o.db"
            ekrun --timeout "$BOUND_LONG" --actor "swap=$delay:$dir/m.db:$dir/o.db:$dir/Ek.MDB" -- \
                "$CLI" convert "$TX/long.txt" "$dir/Ek.MDB"
            [[ $R_swap_while_running == 1 ]] && break
            delay=$(awk -v d="$delay" 'BEGIN { printf "%.3f", d / 2 }')
        done
        if [[ $R_swap_while_running != 1 ]]; then
            tally unsound "rig: every try ended before the swap (make the text longer)"
            continue
        fi
        db_state "$dir/Ek.MDB" long other old
        judge_conv
    done
    sweep "$dir" Ek.MDB
    row_end
}
