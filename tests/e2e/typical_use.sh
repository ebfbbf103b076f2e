#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# A person's first session with Ek, on a private X server: convert the bundled
# sample through the File menu, reopen it from the remembered item, find RECT among
# the types, collect it, copy it, and check the X clipboard byte for byte; scroll the
# functions, change to the constants and copy the first one shown; then the Help
# notice, the About window, a file that is not a database, and Exit.
#
# usage: typical_use.sh EK SAMPLE_TEXT EK_CLI
set -euo pipefail

# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

e2e_session typical_use "$@"

text="$E2E_TMP/work/winapi.txt"
db="$E2E_TMP/work/sample.mdb"
cp "$SAMPLE" "$text"

expected="$E2E_TMP/expected.txt"
printf 'Type RECT\r\n    Left As Long\r\n    Top As Long\r\n    Right As Long\r\n    Bottom As Long\r\nEnd Type\r\n' \
    >"$expected"

e2e_start_xvfb
e2e_watch_windows
e2e_start_ek "$EK"

e2e_step "1 convert the sample through File > convert"
e2e_start_convert "$text" "$db"
e2e_finish_convert "$db"
[[ -s $db ]] || e2e_fail "the conversion said it was done but $db is missing or empty"
e2e_wait_for 5 e2e_window_came_and_went_after "$E2E_CONFIRM" ||
    e2e_fail "no progress window came and went while converting"
"$EK_CLI" list "$db" type >"$E2E_TMP/types.txt" || e2e_fail "ek-cli cannot list the types of $db"

e2e_step "2 reopen the database through the remembered item"
e2e_open_menu f
# The menu opens on its first item; the remembered path is the third, past the
# separator that arrow keys skip.
e2e_key Down Down Return
e2e_wait_gone "$E2E_MENU" "the File menu"
sleep 0.3
[[ ! -s $E2E_TMP/ek.rc ]] || e2e_fail "ek ended: the item chosen was Exit, not the remembered path"
if e2e_find_window window '.*'; then
    e2e_fail "reopening brought up '$(xdotool getwindowname "$WIN")' instead of the list"
fi

e2e_step "3 choose 型, type rec, click RECT, Add, Copy"
e2e_focus "$EK_MAIN"
e2e_key alt+k
# 関数 is chosen at start; one down is 型. Choosing a kind puts the focus in the
# input box.
e2e_key Down
sleep 0.3
e2e_type rec
sleep 0.3
e2e_click_listed "$E2E_TMP/types.txt" rec RECT
e2e_key alt+a
e2e_key alt+c

e2e_step "4 compare the X clipboard with RECT's full text"
e2e_expect_clipboard "$expected" "RECT's full text"
"$EK_CLI" show "$db" type RECT >"$E2E_TMP/cli_show.txt" || e2e_fail "ek-cli show failed on $db"
cmp "$E2E_TMP/cli_show.txt" "$E2E_CLIPBOARD" || e2e_fail "ek-cli show and the clipboard differ"

e2e_step "4b scroll 関数, choose 定数: the list starts at its first name, which is copied after RECT"
e2e_focus "$EK_MAIN"
e2e_key alt+k
e2e_key Up
sleep 0.3
# The last function starts with W: the list scrolls to its last page.
e2e_type w
sleep 0.3
e2e_key alt+k
e2e_key Up
sleep 0.3
"$EK_CLI" list "$db" const >"$E2E_TMP/constants.txt" || e2e_fail "ek-cli cannot list the constants of $db"
first=$(head -n 1 "$E2E_TMP/constants.txt")
e2e_click_row 0
e2e_key alt+a
e2e_key alt+c
# The collection kept RECT across the changes of kind: one copy gives both.
"$EK_CLI" show "$db" type RECT const "$first" >"$E2E_TMP/first_constant.txt" ||
    e2e_fail "ek-cli show failed on $db"
e2e_expect_clipboard "$E2E_TMP/first_constant.txt" "RECT and the first constant, $first, after the kind changed"

e2e_step "5a F1 shows the notice"
e2e_focus "$EK_MAIN"
e2e_key F1
e2e_wait_window "$E2E_TITLE_NOTICE" "the notice shown by F1"
notice=$WIN
e2e_focus "$notice"
e2e_key Return
e2e_wait_gone "$notice" "the notice after Enter"

e2e_step "5b Help > About shows the About window; Esc closes it"
e2e_open_menu h
e2e_key a
e2e_wait_window "$E2E_TITLE_ABOUT" "the About window"
about=$WIN
xdotool search --name "$E2E_TITLE_ABOUT" >/dev/null || e2e_fail "no window is named ﾊﾞｰｼﾞｮﾝ情報 (WM_NAME)"
e2e_focus "$about"
e2e_key Escape
e2e_wait_gone "$about" "the About window after Esc"

e2e_step "5c a file that is not a database: the error box stands centred over the main window"
not_a_database="$E2E_TMP/work/notes.mdb"
printf 'These are notes, not a declaration database.\r\n%.0s' {1..100} >"$not_a_database"
# Clear of the screen's edges, which would push the box back onto the screen, and far from
# its middle, where a box without an owner stands.
xdotool windowmove --sync "$EK_MAIN" 100 500 || e2e_fail "could not move the main window"
e2e_open_menu f
e2e_key m
e2e_file_dialog "$E2E_TITLE_OPEN_DB" "the open dialog for the database" "$not_a_database"
e2e_wait_window "$E2E_TITLE_ERROR" "the error box for $not_a_database"
error_box=$WIN
e2e_expect_centred "$error_box" "$EK_MAIN"
e2e_focus "$error_box"
e2e_key Return
e2e_wait_gone "$error_box" "the error box after Enter"

e2e_step "6 File > Exit ends the program and it remembers the database"
e2e_exit_by_menu
settings=$(e2e_settings_file)
[[ -f $settings ]] || e2e_fail "no settings file $settings"
remembered=$(awk -F= '/^\[/ { section = $0; next } section == "[DataBase]" && $1 == "Name" { print substr($0, 6) }' \
    "$settings")
[[ $remembered == "$db" ]] || e2e_fail "$settings has [DataBase] Name=$remembered, expected $db"

e2e_log "PASS: typical use, end to end"
