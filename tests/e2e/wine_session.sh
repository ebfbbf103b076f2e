#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# ek.exe under wine, on a private X server in a Japanese locale, at the keyboard as a
# Windows user would: convert the 64-bit sample through the File menu, open it from
# the remembered item, choose 型, type a prefix, collect the name the list moved to
# with Return, copy with Alt+C. The clipboard, read
# inside wine where it keeps its CR LF, must hold byte for byte what ek-cli.exe show
# gives; then File > Exit ends the program with status 0.
#
# usage: wine_session.sh EK_EXE EK_CLI_EXE CLIPBOARD_TEXT_EXE SAMPLE_TEXT
# WINEPREFIX names the wine to use (scripts/test-windows.sh gives its own); without
# it a private one is made in the session's folder.
set -euo pipefail

# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

if (($# != 4)); then
    printf 'usage: %s EK_EXE EK_CLI_EXE CLIPBOARD_TEXT_EXE SAMPLE_TEXT\n' "$0" >&2
    exit 2
fi
e2e_session wine_session "$1" "$4" "$2"
CLIPBOARD_TEXT=$(realpath "$3")
command -v wine >/dev/null 2>&1 || e2e_fail "wine is not installed (scripts/build-windows.sh installs it)"

# Wine's windows are not this script's children: on a private display every
# window shown is the program's, but for wine's own of one pixel.
e2e_windows()
{
    local w info kind
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        [[ $info == *'Map State: IsViewable'* && $info != *'Width: 1'$'\n'* ]] || continue
        kind=window
        [[ $info == *'Override Redirect State: yes'* ]] && kind=menu
        printf '%s\t%s\t%s\n' "$w" "$kind" "$(xdotool getwindowname "$w" 2>/dev/null)"
    done
}
# Wine makes a window active a moment after X gave it the focus; keys sent before
# that go to the window active before.
e2e_focus()
{
    timeout 10 xdotool windowfocus --sync "$1" 2>/dev/null ||
        e2e_fail "could not give the keyboard focus to window $1"
    sleep 0.5
}

e2e_step "a Japanese locale and a wine of its own"
locales=$E2E_TMP/locales
mkdir -p "$locales"
localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null ||
    [[ -d $locales/ja_JP.UTF-8 ]] || e2e_fail "localedef could not make ja_JP.UTF-8 (package locales)"
export LOCPATH=$locales LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export WINEPREFIX=${WINEPREFIX:-$E2E_TMP/wine} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES='mscoree,mshtml='
wineserver_down() { wineserver -k 2>/dev/null || true; }
trap 'wineserver_down; e2e_cleanup' EXIT

# What ek-cli.exe shows for the name is what the copy must give.
text=$E2E_TMP/work/winapi64.txt
db=$E2E_TMP/work/winapi64.mdb
cp "$SAMPLE" "$text"
windows_path() { winepath -w "$1" 2>/dev/null | tr '\\' '/'; }

e2e_start_xvfb
# A wine that started without this display (the test programs run without one) has
# no window driver for the programs it starts later: start it again here.
wineserver_down
wine wineboot -i >/dev/null 2>&1 || true
# Wine's first window on a new display can take a while on a loaded machine.
E2E_LAUNCH=(wine)
E2E_WAIT=$((E2E_WAIT * 2)) e2e_start_ek "$EK"

e2e_step "1 convert the sample through File > convert"
e2e_start_convert "$(windows_path "$text")" "$(windows_path "$db")"
listed() { [[ $(xdotool getwindowname "$EK_MAIN" 2>/dev/null) == "Ek - winapi64.mdb" ]]; }
# The progress window, then the end report of the same title, are the only windows
# that may come while converting; the sample's report lists the lines of a function
# body, so it comes. Enter goes only to the report: a second window of that title,
# or the first when it stays past what the progress of a sample takes.
progress_first="" progress_since=0 report_closed=0
converted()
{
    ((report_closed)) && return 0
    e2e_find_window window "$E2E_TITLE_PROGRESS" || return 1
    if [[ -z $progress_first ]]; then
        progress_first=$WIN progress_since=$SECONDS
        return 1
    fi
    if [[ $WIN != "$progress_first" ]] || ((SECONDS - progress_since >= 5)); then
        local report=$WIN
        e2e_focus "$report"
        e2e_key Return
        e2e_wait_gone "$report" "the end report after Enter"
        report_closed=1
    fi
    return 1
}
e2e_poll "$E2E_WAIT" "the conversion to end and its report to close" converted
[[ -s $db ]] || e2e_fail "the conversion ended but $db is missing or empty"

e2e_step "1b open it through the remembered item of the File menu"
e2e_open_menu f
# The remembered path is the third item, past the separator that arrow keys skip.
e2e_key Down Down Return
e2e_poll "$E2E_WAIT" "the main window to list winapi64.mdb" listed

e2e_step "2 choose 型 with Alt+K, type memory_b, Tab, Return, Alt+C"
e2e_focus "$EK_MAIN"
e2e_key alt+k Down
sleep 0.3
e2e_type memory_b
sleep 0.5
# The prefix moved the list to the name; Tab goes there and Return collects it.
e2e_key Tab Return
sleep 0.5
e2e_key alt+c

e2e_step "3 the clipboard inside wine holds what ek-cli.exe show gives"
(cd "$E2E_TMP/work" && wine "$EK_CLI" show winapi64.mdb type MEMORY_BASIC_INFORMATION >"$E2E_TMP/expected.txt") ||
    e2e_fail "ek-cli.exe show failed on $db"
grep -q $'\r$' "$E2E_TMP/expected.txt" || e2e_fail "ek-cli.exe show wrote no CR LF"
clipboard=$E2E_TMP/clipboard.txt
clipboard_holds() { wine "$CLIPBOARD_TEXT" >"$clipboard" 2>/dev/null && cmp -s "$clipboard" "$E2E_TMP/expected.txt"; }
if ! e2e_wait_for 15 clipboard_holds; then
    e2e_log "expected:" && od -c "$E2E_TMP/expected.txt" | head -20
    e2e_log "clipboard:" && od -c "$clipboard" | head -20
    e2e_fail "the clipboard does not hold MEMORY_BASIC_INFORMATION as ek-cli.exe show gives it"
fi

e2e_step "4 File > Exit"
e2e_exit_by_menu

e2e_log "PASS: ek.exe under wine, end to end"
