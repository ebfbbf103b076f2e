#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Takes the README's screenshots by using the real program on a private X server:
# the progress window partway through converting a large generated file, the main
# window browsing the bundled sample with names collected, and the About window.
# Each picture is cropped to its window. There is no window manager, so windows
# have no title bars.
#
# usage: screenshots.sh EK EK_CLI [OUTPUT_DIR]   (OUTPUT_DIR: docs/screenshots)
set -euo pipefail

if (($# < 2 || $# > 3)); then
    printf 'usage: %s EK EK_CLI [OUTPUT_DIR]\n' "$0" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
EK=$(realpath "$1")
EK_CLI=$(realpath "$2")
OUT=$(realpath -m "${3:-$here/../../docs/screenshots}")
SAMPLE="$here/../../samples/winapi.txt"
SAMPLE64="$here/../../samples/winapi64.txt"

# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

e2e_require_tools
command -v import >/dev/null 2>&1 || {
    printf 'screenshots need ImageMagick (import)\n' >&2
    exit 1
}
export LANG=C.UTF-8
e2e_make_tmp screenshots
mkdir -p "$OUT"

# Grabs one window, as the X server shows it, into a PNG without metadata.
shoot()
{
    import -display "$DISPLAY" -window "$1" -strip "$OUT/$2" || e2e_fail "could not capture window $1"
    e2e_log "   wrote $OUT/$2 ($(identify -format '%wx%h' "$OUT/$2"))"
}

e2e_step "make the inputs"
# Large enough that the progress window stays up for seconds.
big="$E2E_TMP/work/large.txt"
python3 - "$big" <<'EOF'
import sys

with open(sys.argv[1], "wb") as out:
    lines = 0
    i = 0
    while lines < 6_000_000:
        kind = i % 10
        if kind < 6:
            out.write(b"Public Const EK_GEN_%07d = &H%X\r\n" % (i, i * 7919 & 0xFFFFFF))
            lines += 1
        elif kind < 9:
            out.write(b'Declare Function EkGen%07d Lib "user32" (ByVal hWnd As Long) As Long\r\n' % i)
            lines += 1
        else:
            out.write(b"Type EK_GEN_T%07d\r\n    Left As Long\r\n    Top As Long\r\nEnd Type\r\n" % i)
            lines += 4
        i += 1
EOF
sample_db="$E2E_TMP/work/winapi.mdb"
"$EK_CLI" convert "$SAMPLE" "$sample_db" >/dev/null || e2e_fail "ek-cli could not convert the sample"
sample64_db="$E2E_TMP/work/winapi64.mdb"
# Status 1: the 64-bit sample's helper function body is reported, as it should be.
status=0
"$EK_CLI" convert "$SAMPLE64" "$sample64_db" >/dev/null 2>&1 || status=$?
((status <= 1)) || e2e_fail "ek-cli could not convert the 64-bit sample"

e2e_start_xvfb
e2e_start_ek "$EK"

e2e_step "progress window partway through a conversion"
e2e_start_convert "$big" "$E2E_TMP/work/large.mdb"
e2e_poll "$E2E_WAIT" "the progress window" e2e_find_window window "$E2E_TITLE_PROGRESS"
progress=$WIN
# Some way in, with part of the bar filled; the picture is for the eye, nothing is checked.
sleep 2
shoot "$progress" progress-window.png
e2e_finish_convert "$E2E_TMP/work/large.mdb"

e2e_step "main window browsing the sample"
e2e_open_menu f
e2e_key m
e2e_file_dialog "$E2E_TITLE_OPEN_DB" "the open dialog for the database" "$sample_db"
"$EK_CLI" list "$sample_db" func >"$E2E_TMP/functions.txt"
# 関数 is the kind at start.
for name in FindWindow SendMessage; do
    prefix=${name:0:5}
    e2e_type_in_input "${prefix,,}"
    e2e_click_listed "$E2E_TMP/functions.txt" "$prefix" "$name"
    e2e_key alt+a
    sleep 0.2
done
# Leaves a prefix typed, as in the middle of a search.
e2e_type_in_input getw
xdotool mousemove 0 1023
sleep 0.3
shoot "$EK_MAIN" main-window.png

e2e_step "main window with the 64-bit sample narrowed by the filter box"
e2e_open_menu f
e2e_key m
e2e_file_dialog "$E2E_TITLE_OPEN_DB" "the open dialog for the database" "$sample64_db"
e2e_focus "$EK_MAIN"
e2e_key alt+s
e2e_type WindowLong
xdotool mousemove 0 1023
sleep 0.5
shoot "$EK_MAIN" main-window-filter.png

e2e_step "About window"
e2e_open_menu h
e2e_key a
e2e_wait_window "$E2E_TITLE_ABOUT" "the About window"
about=$WIN
sleep 0.3
shoot "$about" about-window.png
e2e_focus "$about"
e2e_key Escape
e2e_wait_gone "$about" "the About window"

e2e_step "exit"
e2e_open_menu f
e2e_key x
e2e_wait_ek_exit || e2e_fail "ek ended with status $?"
e2e_log "screenshots in $OUT"
