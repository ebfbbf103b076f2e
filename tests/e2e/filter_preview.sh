#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Finding a name by a part of it, on a private X server, the keyboard alone: open the 64-bit
# sample, type WindowLong into the filter box (Alt+S), read the preview of the first name left
# (Tab into it, Ctrl+A, Ctrl+C): GetWindowLongPtr with both variants under their conditions,
# as ek-cli show gives it; collect it with Return and copy it with Alt+C: the X clipboard must
# hold what ek-cli show gives. The title bar names the database.
#
# usage: filter_preview.sh EK SAMPLE_TEXT EK_CLI
set -euo pipefail

if (($# != 3)); then
    printf 'usage: %s EK SAMPLE_TEXT EK_CLI\n' "$0" >&2
    exit 2
fi
EK=$(realpath "$1")
SAMPLE=$(realpath "$2")
EK_CLI=$(realpath "$3")

# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

e2e_require_tools
e2e_make_tmp filter_preview
e2e_log "working in $E2E_TMP"

e2e_step "make the database"
sample_db="$E2E_TMP/work/winapi64.mdb"
status=0
"$EK_CLI" convert "$SAMPLE" "$sample_db" >/dev/null 2>&1 || status=$?
((status <= 1)) || e2e_fail "ek-cli could not convert $SAMPLE (status $status)"
"$EK_CLI" find "$sample_db" func WindowLong >"$E2E_TMP/found.txt" || e2e_fail "ek-cli find found nothing"
[[ $(head -n 1 "$E2E_TMP/found.txt") == GetWindowLongPtr ]] ||
    e2e_fail "ek-cli find WindowLong starts with $(head -n 1 "$E2E_TMP/found.txt")"
"$EK_CLI" show "$sample_db" func GetWindowLongPtr >"$E2E_TMP/expected.txt" || e2e_fail "ek-cli show failed"
# The preview is the same text without the break after it.
head -c -2 "$E2E_TMP/expected.txt" >"$E2E_TMP/preview.txt"
grep -q '^#Else' "$E2E_TMP/preview.txt" || e2e_fail "the sample's GetWindowLongPtr has no #Else variant"

e2e_start_xvfb
e2e_start_ek "$EK"

e2e_step "1 open the sample with File > Open"
e2e_open_menu f
e2e_key m
e2e_file_dialog "$E2E_TITLE_OPEN_DB" "the open dialog for the database" "$sample_db"
e2e_poll "$E2E_WAIT" "$sample_db to be remembered as opened" e2e_remembers "$sample_db"
titled()
{
    [[ $(xdotool getwindowname "$EK_MAIN" 2>/dev/null) == "Ek - winapi64.mdb" ]]
}
e2e_poll "$E2E_WAIT" "the title bar to name the database" titled

e2e_step "2 type WindowLong into the filter box, read the preview"
e2e_focus "$EK_MAIN"
e2e_key alt+s
e2e_type WindowLong
# The preview is filled a moment after the list has narrowed.
sleep 0.5
e2e_key Tab ctrl+a ctrl+c
e2e_expect_clipboard "$E2E_TMP/preview.txt" "the preview of GetWindowLongPtr with both variants"

e2e_step "3 Return in the preview collects it, Alt+C copies it"
e2e_key Return
e2e_key alt+c
e2e_expect_clipboard "$E2E_TMP/expected.txt" "GetWindowLongPtr as ek-cli show gives it"

e2e_step "4 File > Exit"
e2e_open_menu f
e2e_key x
status=0
e2e_wait_ek_exit || status=$?
((status == 0)) || e2e_fail "ek ended with status $status"

e2e_log "PASS: found by a part of its name, previewed, collected and copied"
