#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Re-runs the attacks on conversion and browsing against a given ek-cli (and ek)
# and prints one Markdown table: | row | attack | runs | sound | unsound | notes |.
# Needs root (tmpfs mounts, other users, file ownership) and minutes; not part of
# CTest. See README.md beside this file.
#
# usage: attack.sh EK_CLI [EK] [--quick] [--load] [--rows 2,5,7b,...]
set -uo pipefail

usage()
{
    cat >&2 <<'EOF'
usage: attack.sh EK_CLI [EK] [--quick] [--load] [--rows LIST]
  EK_CLI      the ek-cli to attack
  EK          the window binary; without it the window rows are skipped
  --quick     a few runs per row, for a smoke run
  --load      keep both cores busy (two `yes`) while the rows run
  --rows LIST only these rows, by number or prefix: 2,5,7b or 8
exit status: 0 every row that ran is sound, 1 some row is unsound, 2 the rig failed
EOF
    exit 2
}

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=common.sh
source "$HERE/common.sh"
# The window rows list the program's windows as the end-to-end sessions do.
# shellcheck source=../e2e/e2e_lib.sh
source "$HERE/../e2e/e2e_lib.sh"
# shellcheck source=window.sh
source "$HERE/window.sh"
# shellcheck source=rows_replace.sh
source "$HERE/rows_replace.sh"
# shellcheck source=rows_browse.sh
source "$HERE/rows_browse.sh"
# shellcheck source=rows_misc.sh
source "$HERE/rows_misc.sh"

QUICK=0 LOAD=0 ROWS="" CLI_ARG="" EK_ARG=""
while (($#)); do
    case $1 in
    --quick) QUICK=1 ;;
    --load) LOAD=1 ;;
    --rows)
        (($# >= 2)) || usage
        ROWS=$2
        shift
        ;;
    --rows=*) ROWS=${1#--rows=} ;;
    -h | --help) usage ;;
    -*) usage ;;
    *)
        if [[ -z $CLI_ARG ]]; then
            CLI_ARG=$1
        elif [[ -z $EK_ARG ]]; then
            EK_ARG=$1
        else
            usage
        fi
        ;;
    esac
    shift
done
[[ -n $CLI_ARG ]] || usage
[[ -x $CLI_ARG ]] || die "$CLI_ARG is not an executable"
[[ -z $EK_ARG || -x $EK_ARG ]] || die "$EK_ARG is not an executable"
(($(id -u) == 0)) || die "run as root: the rows mount file systems, act as other users and set owners"

for tool in python3 sqlite3 setpriv mount umount timeout iconv awk sha256sum mkfifo; do
    command -v "$tool" >/dev/null 2>&1 || die "missing tool: $tool"
done
if [[ -n $EK_ARG ]]; then
    for tool in Xvfb xdotool xdpyinfo xwininfo; do
        command -v "$tool" >/dev/null 2>&1 || die "missing tool for the window rows: $tool (scripts/install-deps.sh)"
    done
fi
sqlite3 :memory: "SELECT sha3_query('SELECT 1')" >/dev/null 2>&1 || die "this sqlite3 shell has no sha3_query"

# --- runs per row ------------------------------------------------------------

if ((QUICK)); then
    : "${RUNS_FEW:=1}" "${RUNS_KILLS:=20}" "${RUNS_SWAPS:=3}" "${RUNS_FIFO:=20}"
    : "${RUNS_WINDOW:=1}" "${RUNS_WINDOW_BIG:=1}" "${RUNS_MOVES:=3}"
else
    : "${RUNS_FEW:=3}" "${RUNS_KILLS:=400}" "${RUNS_SWAPS:=10}" "${RUNS_FIFO:=172}"
    : "${RUNS_WINDOW:=2}" "${RUNS_WINDOW_BIG:=1}" "${RUNS_MOVES:=10}"
fi
# The program's own statement limit is 5 s; a wait past this is a wait without end.
BOUND=15
BOUND_SMALL=$BOUND
RSS_LIMIT_KB=$((200 * 1024))
ATTACKER=65534

# --- the rig's own folder, and everything it starts --------------------------

cleanup()
{
    local status=$? pid i
    set +e
    for pid in "${BG_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    for ((i = ${#MOUNTS[@]} - 1; i >= 0; i--)); do
        umount "${MOUNTS[i]}" 2>/dev/null || umount -l "${MOUNTS[i]}" 2>/dev/null
    done
    [[ -n ${RIG:-} && -d $RIG ]] && rm -rf "$RIG"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

RIG=$(mktemp -d "${TMPDIR:-/var/tmp}/ek-attack.XXXXXX") || die "cannot make a temporary folder"
# Other users run ek-cli from here and reach their folders through it.
chmod 0755 "$RIG"
BIN=$RIG/bin TX=$RIG/texts REF=$RIG/ref RUNS=$RIG/runs SNAP=$RIG/snap
mkdir -p "$BIN" "$TX" "$REF" "$RUNS"
chmod 0755 "$BIN" "$TX"

avail_kb=$(df --output=avail -k "$RIG" | tail -n1)
((avail_kb > 3 * 1024 * 1024)) || die "$RIG has less than 3 GB free"

# Copies, so that the unprivileged users of rows 6 and 8 can run them wherever the
# build lives.
cp "$CLI_ARG" "$BIN/ek-cli" && chmod 0755 "$BIN/ek-cli"
CLI=$BIN/ek-cli
EK=""
if [[ -n $EK_ARG ]]; then
    cp "$EK_ARG" "$BIN/ek" && chmod 0755 "$BIN/ek"
    EK=$BIN/ek
fi

# A user id no account has: the owner of the databases of rows 6 and 8.
VICTIM=64201
while getent passwd "$VICTIM" >/dev/null || getent group "$VICTIM" >/dev/null; do
    ((VICTIM++))
done

if ((LOAD)); then
    for i in 1 2; do
        yes >/dev/null &
        bg_track $!
    done
fi

# --- texts and reference databases ---------------------------------------------

# make_reference NAME TEXT: converts TEXT in a roomy folder with the ek-cli under
# attack; its rows are what NAME means from then on.
make_reference()
{
    local name=$1 text=$2
    ekrun --timeout 600 -- "$CLI" convert "$text" "$REF/$name.mdb"
    ((R_rc == 0)) || die "the reference conversion of $text failed (status $R_rc): $(first_message "$R_ERR")"
    ref_register "$name" "$REF/$name.mdb"
}

# Seconds a conversion of TEXT over the old database takes here and now: the
# middle of three runs.
measure()
{
    local text=$1 i times=()
    mkdir -p "$RIG/measure"
    for i in 1 2 3; do
        restore_old "$RIG/measure/Ek.MDB"
        ekrun --timeout 600 -- "$CLI" convert "$text" "$RIG/measure/Ek.MDB"
        times+=("$R_secs")
    done
    rm -rf "$RIG/measure"
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}

bound_for()
{
    awk -v d="$1" -v b="$BOUND" 'BEGIN { x = 4 * d; if (x < b) x = b; printf "%d", x + 0.999 }'
}

log "rig folder $RIG; ek-cli $CLI_ARG${EK_ARG:+; ek $EK_ARG}; $( ((QUICK)) && printf quick || printf full) run"
log "making the texts and the reference databases"
python3 "$HERE/rig.py" text "$TX/old.txt" --prefix OLD --consts 10000 --seed 11 || die "text"
python3 "$HERE/rig.py" text "$TX/new.txt" --prefix NEW --consts 335000 --seed 12 || die "text"
python3 "$HERE/rig.py" text "$TX/small.txt" --prefix SML --consts 2000 --seed 13 || die "text"
python3 "$HERE/rig.py" text "$TX/other.txt" --prefix OTH --consts 10000 --seed 14 || die "text"
make_reference old "$TX/old.txt"
make_reference new "$TX/new.txt"
make_reference small "$TX/small.txt"
make_reference other "$TX/other.txt"
D_NEW=$(measure "$TX/new.txt")
BOUND_NEW=$(bound_for "$D_NEW")
log "a conversion of the 12 MB text takes $D_NEW s here; bound $BOUND_NEW s"

D_LONG="" BOUND_LONG=""
# The long text, for the rows that must act while a run surely goes on.
ensure_long()
{
    [[ -n $D_LONG ]] && return 0
    log "making the long text"
    python3 "$HERE/rig.py" text "$TX/long.txt" --prefix LNG --consts 600000 --seed 15 || die "text"
    make_reference long "$TX/long.txt"
    D_LONG=$(measure "$TX/long.txt")
    BOUND_LONG=$(bound_for "$D_LONG")
    log "a conversion of the long text takes $D_LONG s here; bound $BOUND_LONG s"
}

# --- the rows ------------------------------------------------------------------

ALL_ROWS=(1 2 3 4 5 6 7a 7b 7c 7d 7e 8a 8b 8c 8d 8e 8f 8g 8h)

wanted()
{
    local key=$1 tok
    [[ -z $ROWS ]] && return 0
    for tok in ${ROWS//,/ }; do
        [[ $key == "$tok" || $key == "$tok"* ]] && return 0
    done
    return 1
}

for key in "${ALL_ROWS[@]}"; do
    wanted "$key" || continue
    judge_reset
    "row_$key"
done

printf '| row | attack | runs | sound | unsound | notes |\n'
printf '|---|---|---|---|---|---|\n'
printf '%s\n' "${TABLE_ROWS[@]}"
printf '\n%d of %d rows sound, %d unsound, %d skipped; %s run%s took %d min %d s.\n' \
    "$ROWS_SOUND" "$((ROWS_SOUND + ROWS_UNSOUND))" "$ROWS_UNSOUND" "$ROWS_SKIPPED" \
    "$( ((QUICK)) && printf quick || printf full)" "$( ((LOAD)) && printf ' under load')" \
    "$((SECONDS / 60))" "$((SECONDS % 60))"
((ROWS_UNSOUND == 0))
