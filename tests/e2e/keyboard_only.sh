#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# A session at the keyboard alone, on a private X server, the mouse never touched:
# convert a large generated file and cancel it with Esc in the progress window, then
# read the end message (a message box copies its text with Ctrl+C) against what the
# database holds; open the 64-bit sample through File > Open, choose 関数, type a name
# with Alt keys pressed on the way (they must type nothing), collect it with Return,
# take a second one from the list with Tab and Space, then change the kind (the collection
# stays), take a type with Return in the list and a constant with Return in the input box,
# and copy all four at once with Alt+C: the X clipboard must hold what ek-cli show gives
# for the same names of the three kinds.
#
# usage: keyboard_only.sh EK SAMPLE_TEXT EK_CLI
set -euo pipefail

# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

e2e_session keyboard_only "$@"
command -v sqlite3 >/dev/null 2>&1 || {
    printf 'missing tool: sqlite3 (scripts/install-deps.sh installs it)\n' >&2
    exit 1
}

e2e_step "make the inputs"
sample_db="$E2E_TMP/work/winapi64.mdb"
# Status 1: the sample's helper function body stands outside any type and is reported.
status=0
"$EK_CLI" convert "$SAMPLE" "$sample_db" >/dev/null 2>&1 || status=$?
((status <= 1)) || e2e_fail "ek-cli could not convert $SAMPLE (status $status)"
# Large enough that the run is still going when Esc arrives, on a loaded machine too.
big="$E2E_TMP/work/large.txt"
big_db="$E2E_TMP/work/large.mdb"
generator="$E2E_TMP/generate.py"
cat >"$generator" <<'EOF'
import sys

# Ten names in every round: six constants, three functions and a type of four lines.
def lines():
    i = 0
    while True:
        kind = i % 10
        if kind < 6:
            yield "const", b"Public Const EK_GEN_%07d = &H%X\r\n" % (i, i * 7919 & 0xFFFFFF)
        elif kind < 9:
            yield "func", b'Declare Function EkGen%07d Lib "user32" (ByVal hWnd As Long) As Long\r\n' % i
        else:
            yield "type", b"Type EK_GEN_T%07d\r\n" % i
            for member in (b"    Left As Long\r\n", b"    Top As Long\r\n", b"End Type\r\n"):
                yield "", member
        i += 1

if sys.argv[1] == "write":
    # write PATH COUNT: the first COUNT lines.
    with open(sys.argv[2], "wb") as out:
        for n, (_, line) in enumerate(lines()):
            if n == int(sys.argv[3]):
                break
            out.write(line)
else:
    # count N: the constants, functions and types among the first N lines.
    counts = {"const": 0, "func": 0, "type": 0, "": 0}
    for n, (kind, _) in enumerate(lines()):
        if n == int(sys.argv[2]):
            break
        counts[kind] += 1
    print(counts["const"], counts["func"], counts["type"])
EOF
total_lines=3000000
python3 "$generator" write "$big" "$total_lines" || e2e_fail "could not write $big"

e2e_start_xvfb
e2e_start_ek "$EK"

e2e_step "1 convert the large file and press Esc in the progress window"
e2e_start_convert "$big" "$big_db"
e2e_poll "$E2E_WAIT" "the progress window" e2e_find_window window "$E2E_TITLE_PROGRESS"
progress=$WIN
e2e_focus "$progress"
# The X server stamps the key it receives and the title the window then sets with its
# own clock: their difference is the window's answer, whatever the time xdotool and
# this script take to start and to look on a loaded machine.
events=$E2E_TMP/progress-events.log
xev -id "$progress" -event keyboard -event property >"$events" 2>&1 &
spy=$!
# xev has selected the events once it runs; a moment for it to start.
sleep 0.5
# Esc is held down: the key repeats into whatever window comes next.
xdotool keydown Escape || e2e_fail "xdotool keydown Escape"
answer_ms()
{
    awk '/^KeyPress event/ { key = 1; next }
         /^PropertyNotify event/ { prop = 1; next }
         key && match($0, /time [0-9]+/) { pressed = substr($0, RSTART + 5, RLENGTH - 5); key = 0; next }
         prop && /_NET_WM_NAME/ && match($0, /time [0-9]+/) {
             if (pressed != "") { print substr($0, RSTART + 5, RLENGTH - 5) - pressed; exit }
         }
         /^$/ { prop = 0 }' "$events"
}
answered_after_press() { [[ -n $(answer_ms) ]]; }
e2e_wait_for 10 answered_after_press || e2e_fail "the progress window never changed its title after Esc"
kill "$spy" 2>/dev/null
answer=$(answer_ms)
e2e_log "   the progress window answered Esc after $answer ms (X server time)"
((answer <= 100)) || e2e_fail "the progress window answered Esc after $answer ms, not within 100 ms"

e2e_step "2 the end message says the run was cancelled, and what was stored"
# The end message has the progress window's title; it is the window that is not that one.
end_message_shown()
{
    e2e_find_window window "$E2E_TITLE_PROGRESS" && [[ $WIN != "$progress" ]]
}
e2e_poll "$E2E_WAIT" "the end message of the cancelled conversion" end_message_shown
box=$WIN
# The key held since the progress window repeats into the end message, which must stay.
sleep 0.5
xdotool keyup Escape || e2e_fail "xdotool keyup Escape"
e2e_window_gone "$progress" || e2e_fail "the progress window stayed after the run ended"
! e2e_window_gone "$box" || e2e_fail "the repeated Esc from the progress window closed the end message"
e2e_focus "$box"
e2e_key ctrl+c
message_copied()
{
    e2e_read_clipboard && grep -q '変換を中断しました' "$E2E_CLIPBOARD"
}
e2e_wait_for 10 message_copied || e2e_fail "Ctrl+C in the end message copied no cancel message"
message=$(tr -d '\r' <"$E2E_CLIPBOARD" | grep '変換を中断しました' | head -n 1)
e2e_log "   $message"
pattern="^変換を中断しました。テキストファイル (.+) の全 ([0-9,]+) 行のうち ([0-9,]+) 行を変換し、"
pattern+="定数 ([0-9,]+)、関数 ([0-9,]+)、型 ([0-9,]+)（メンバー行 [0-9,]+）、#If の組 [0-9,]+ をデータベース (.+) に格納しました。$"
[[ $message =~ $pattern ]] || e2e_fail "the end message reads: $message"
said_text=${BASH_REMATCH[1]} said_total=${BASH_REMATCH[2]//,/} said_converted=${BASH_REMATCH[3]//,/}
said_counts="${BASH_REMATCH[4]//,/} ${BASH_REMATCH[5]//,/} ${BASH_REMATCH[6]//,/}" said_db=${BASH_REMATCH[7]}
[[ $said_text == "$big" && $said_db == "$big_db" ]] || e2e_fail "the message names $said_text and $said_db"
((said_total == total_lines)) || e2e_fail "the message counts $said_total lines; the file has $total_lines"
((said_converted > 0 && said_converted < total_lines)) ||
    e2e_fail "Esc did not stop the run partway: $said_converted of $total_lines lines converted"
expected_counts=$(python3 "$generator" count "$said_converted")
[[ $said_counts == "$expected_counts" ]] ||
    e2e_fail "the message counts $said_counts; the first $said_converted lines hold $expected_counts"
e2e_key Return
e2e_wait_gone "$box" "the end message after Enter"
stored=$(sqlite3 "$big_db" "SELECT (SELECT count(*) FROM tbCnst) || ' ' || (SELECT count(*) FROM tbProc)
                           || ' ' || (SELECT count(*) FROM tbType)") || e2e_fail "sqlite3 cannot read $big_db"
[[ $stored == "$expected_counts" ]] || e2e_fail "$big_db holds $stored, the message said $said_counts"
[[ $(sqlite3 "$big_db" "PRAGMA integrity_check") == ok ]] || e2e_fail "$big_db is not whole"

e2e_step "3 open the sample with File > Open, choose 関数 with Alt+K"
e2e_open_menu f
e2e_key m
e2e_file_dialog "$E2E_TITLE_OPEN_DB" "the open dialog for the database" "$sample_db"
e2e_poll "$E2E_WAIT" "$sample_db to be remembered as opened" e2e_remembers "$sample_db"
e2e_focus "$EK_MAIN"
# 関数 is chosen at start: to 型 and back. Each choice puts the focus in the input box.
e2e_key alt+k Down
e2e_key alt+k Up

e2e_step "4 type a name, Alt keys on the way, Return; a prefix, Tab, Space, Alt+A; a type and a constant; Alt+C"
# Add and Copy are disabled, Delete too, Z names nothing: none of them may type.
e2e_type Get
e2e_key alt+a alt+d alt+c alt+z alt+shift+z
e2e_type message
e2e_key Return
e2e_key ctrl+a
e2e_type peekm
e2e_key Tab space alt+a
# To 型 and then 定数: each choice keeps what was collected and puts the focus in the input box.
e2e_key alt+k Down
e2e_type memory_b
e2e_key Tab Return
e2e_key alt+k Up
e2e_key alt+k Up
e2e_type hgdi_error
e2e_key Return
e2e_key alt+c
"$EK_CLI" show "$sample_db" func GetMessage PeekMessage type MEMORY_BASIC_INFORMATION const HGDI_ERROR \
    >"$E2E_TMP/expected.txt" || e2e_fail "ek-cli show failed on $sample_db"
e2e_expect_clipboard "$E2E_TMP/expected.txt" \
    "two functions, a type and a constant in one copy, as ek-cli show gives them"

e2e_step "5 File > Exit"
e2e_exit_by_menu

e2e_log "PASS: the keyboard alone"
