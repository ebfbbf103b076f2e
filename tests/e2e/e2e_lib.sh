# shellcheck shell=bash disable=SC2034 # the variables set here are read by the scripts
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# Runs the real ek binary on a private X server and drives it with xdotool the way
# a person at the keyboard would. Sourced by the session scripts beside it and by the attack rig.
#
# Every wait polls for something a person would see (a window coming or going, a
# file appearing) and gives up after a bound, naming the step it was in.

# Window titles the program shows, as bash regular expressions.
readonly E2E_TITLE_MAIN='^ Ek$' # until a database is listed: then 'Ek - ' and its file name
readonly E2E_TITLE_NOTICE='^Ek$' # message boxes without a title of their own
readonly E2E_TITLE_OPEN_TEXT='^テキストファイルのオープン$'
readonly E2E_TITLE_OPEN_DB='^データベースファイルのオープン$'
readonly E2E_TITLE_SAVE_DB='^データベースファイルの保存$'
readonly E2E_TITLE_CONFIRM='^データベースファイルへの置換$'
readonly E2E_TITLE_PROGRESS='^データベース作成$'
readonly E2E_TITLE_ABOUT='^ﾊﾞｰｼﾞｮﾝ情報$'
readonly E2E_TITLE_ERROR='^エラー  : '

# Seconds for one wait; a loaded CI machine can be slow to map a window.
E2E_WAIT=${E2E_WAIT:-30}
# What starts the program under test, before its path.
E2E_LAUNCH=(env QT_QPA_PLATFORM=xcb)

E2E_STEP="start"
E2E_TMP=""
E2E_XVFB_PID=""
E2E_XEV_PID=""
EK_PID=""
EK_MAIN=""
WIN=""

e2e_log()
{
    printf '%s\n' "$*"
}

e2e_step()
{
    E2E_STEP=$1
    e2e_log "-- $E2E_STEP"
}

# Saves the whole screen into path. ImageMagick's import is preferred; xwd alone
# still leaves a picture that image viewers read.
e2e_screenshot()
{
    local path=$1
    if command -v import >/dev/null 2>&1; then
        import -display "$DISPLAY" -window root "$path" 2>/dev/null && return 0
    fi
    if command -v xwd >/dev/null 2>&1; then
        path=${path%.png}.xwd
        xwd -display "$DISPLAY" -root -silent >"$path" 2>/dev/null && {
            printf '%s\n' "$path"
            return 0
        }
    fi
    return 1
}

e2e_describe_windows()
{
    local w kind name
    [[ -n $EK_PID ]] || return 0
    while IFS=$'\t' read -r w kind name; do
        e2e_log "   visible $kind $w: '$name'"
    done < <(e2e_windows)
}

e2e_fail()
{
    local shot
    printf 'FAIL [%s]: %s\n' "$E2E_STEP" "$*" >&2
    if [[ -n ${DISPLAY:-} && -n $E2E_TMP ]]; then
        shot="$E2E_TMP/failure-$(printf '%s' "$E2E_STEP" | tr -c 'A-Za-z0-9_-' '_').png"
        if e2e_screenshot "$shot" >/dev/null; then
            [[ -f $shot ]] || shot=${shot%.png}.xwd
            printf 'screenshot of the failure: %s\n' "$shot" >&2
        else
            printf 'no screenshot: neither import (imagemagick) nor xwd is installed\n' >&2
        fi
        e2e_describe_windows >&2
    fi
    if [[ -s $E2E_TMP/ek.log ]]; then
        printf -- '--- ek output:\n' >&2
        tail -n 40 "$E2E_TMP/ek.log" >&2
    fi
    E2E_KEEP_TMP=1
    exit 1
}

# e2e_wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; returns 1 after SECONDS.
e2e_wait_for()
{
    local tries=$(($1 * 10))
    shift
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# e2e_poll SECONDS WHAT COMMAND...: the same, but fails the step, naming WHAT.
e2e_poll()
{
    local seconds=$1 what=$2
    shift 2
    e2e_wait_for "$seconds" "$@" || e2e_fail "timed out after ${seconds}s waiting for $what"
}

# e2e_session NAME EK SAMPLE_TEXT EK_CLI: what every session script does first: its
# three arguments, the tools it needs and its own temporary folder.
e2e_session()
{
    local name=$1
    shift
    if (($# != 3)); then
        printf 'usage: %s EK SAMPLE_TEXT EK_CLI\n' "$0" >&2
        exit 2
    fi
    EK=$(realpath "$1")
    SAMPLE=$(realpath "$2")
    EK_CLI=$(realpath "$3")
    e2e_require_tools
    e2e_make_tmp "$name"
    e2e_log "working in $E2E_TMP"
}

e2e_require_tools()
{
    local tool missing=()
    for tool in Xvfb xdotool xclip xdpyinfo timeout; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    if ((${#missing[@]})); then
        printf 'missing tools: %s (scripts/install-deps.sh installs them)\n' "${missing[*]}" >&2
        exit 1
    fi
}

# Makes the run's own directory, settings and runtime directory, so that nothing
# is read from or written to the user's.
e2e_make_tmp()
{
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    mkdir -p "$E2E_TMP/config" "$E2E_TMP/runtime" "$E2E_TMP/cache" "$E2E_TMP/data" "$E2E_TMP/work"
    chmod 0700 "$E2E_TMP/runtime"
    export XDG_CONFIG_HOME="$E2E_TMP/config"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export XDG_CACHE_HOME="$E2E_TMP/cache"
    export XDG_DATA_HOME="$E2E_TMP/data"
    E2E_KEEP_TMP=0
    # Interrupted runs still take their X server and program down with them.
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM HUP
}

e2e_cleanup()
{
    local status=$?
    # Everything below is best effort; a failing kill must not hide the status.
    set +e
    if [[ -n $EK_PID ]] && kill -0 "$EK_PID" 2>/dev/null; then
        kill "$EK_PID" 2>/dev/null
        sleep 0.2
        kill -0 "$EK_PID" 2>/dev/null && kill -KILL "$EK_PID" 2>/dev/null
    fi
    if [[ -n $E2E_XEV_PID ]] && kill -0 "$E2E_XEV_PID" 2>/dev/null; then
        kill "$E2E_XEV_PID" 2>/dev/null
        wait "$E2E_XEV_PID" 2>/dev/null
    fi
    if [[ -n $E2E_XVFB_PID ]] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    if [[ -n $E2E_TMP && -d $E2E_TMP ]]; then
        if ((status == 0 && E2E_KEEP_TMP == 0)); then
            rm -rf "$E2E_TMP"
        else
            printf 'kept for inspection: %s\n' "$E2E_TMP" >&2
        fi
    fi
    exit "$status"
}

e2e_xvfb_ready()
{
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb ended: $(cat "$E2E_TMP/xvfb.log")"
    [[ -s $E2E_TMP/display ]]
}

# Starts Xvfb on the first free display number; the server picks it itself, so two
# runs at once never race for the same number.
e2e_start_xvfb()
{
    e2e_step "start Xvfb"
    unset DISPLAY WAYLAND_DISPLAY
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_poll "$E2E_WAIT" "Xvfb to report its display number" e2e_xvfb_ready
    DISPLAY=":$(tr -dc '0-9' <"$E2E_TMP/display")"
    export DISPLAY
    e2e_poll "$E2E_WAIT" "the X server on $DISPLAY to accept clients" \
        eval 'xdpyinfo >/dev/null 2>&1'
    e2e_log "   X server on $DISPLAY"
}

e2e_ek_started()
{
    [[ -s $E2E_TMP/ek.pid ]]
}

e2e_main_window_shown()
{
    [[ -s $E2E_TMP/ek.rc ]] && e2e_fail "ek ended at start with status $(<"$E2E_TMP/ek.rc")"
    e2e_find_window window "$E2E_TITLE_MAIN"
}

# Starts the program in the background; its exit status lands in ek.rc.
e2e_start_ek()
{
    local ek=$1
    e2e_step "start ek"
    rm -f "$E2E_TMP/ek.pid" "$E2E_TMP/ek.rc"
    (
        cd "$E2E_TMP/work" || exit 1
        "${E2E_LAUNCH[@]}" "$ek" >"$E2E_TMP/ek.log" 2>&1 &
        printf '%s\n' $! >"$E2E_TMP/ek.pid"
        # set -e reaches into this subshell: a failing ek must not end it unrecorded.
        rc=0
        wait $! || rc=$?
        printf '%s\n' "$rc" >"$E2E_TMP/ek.rc"
    ) &
    e2e_poll "$E2E_WAIT" "ek to start" e2e_ek_started
    EK_PID=$(<"$E2E_TMP/ek.pid")
    e2e_poll "$E2E_WAIT" "the main window" e2e_main_window_shown
    EK_MAIN=$WIN
}

e2e_ek_ended()
{
    [[ -s $E2E_TMP/ek.rc ]]
}

# Waits for the program to end by itself and returns its exit status.
e2e_wait_ek_exit()
{
    e2e_poll "$E2E_WAIT" "ek to end" e2e_ek_ended
    EK_PID=""
    return "$(<"$E2E_TMP/ek.rc")"
}

# File > Exit from the keyboard: the program must end, and end well.
e2e_exit_by_menu()
{
    local status=0
    e2e_open_menu f
    e2e_key x
    e2e_wait_ek_exit || status=$?
    ((status == 0)) || e2e_fail "ek ended with status $status"
}

# Lists the program's visible windows, one a line: id, "menu" or "window", title.
# Titles are read from _NET_WM_NAME as the toolkit sets it; menus are the
# override-redirect windows, which carry no WM_NAME.
e2e_windows()
{
    local w info kind
    for w in $(xdotool search --onlyvisible --pid "$EK_PID" 2>/dev/null); do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        [[ $info == *'Map State: IsViewable'* ]] || continue
        kind=window
        [[ $info == *'Override Redirect State: yes'* ]] && kind=menu
        printf '%s\t%s\t%s\n' "$w" "$kind" "$(xdotool getwindowname "$w" 2>/dev/null)"
    done
}

# e2e_find_window KIND TITLE: a visible window of that kind, other than the main
# window, whose title matches the regular expression TITLE; sets WIN.
e2e_find_window()
{
    local want=$1 title=$2 w kind name
    while IFS=$'\t' read -r w kind name; do
        if [[ $kind == "$want" && $w != "$EK_MAIN" && $name =~ $title ]]; then
            WIN=$w
            return 0
        fi
    done < <(e2e_windows)
    return 1
}

e2e_window_gone()
{
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 0
    [[ $info != *'Map State: IsViewable'* ]]
}

# e2e_wait_window TITLE WHAT: waits until a window titled TITLE is shown; sets WIN.
e2e_wait_window()
{
    e2e_poll "$E2E_WAIT" "$2 ($1) to appear" e2e_find_window window "$1"
    # The window maps before the toolkit has settled its focus inside it.
    sleep 0.2
}

e2e_wait_gone()
{
    e2e_poll "$E2E_WAIT" "$2 to close" e2e_window_gone "$1"
}

# There is no window manager: input focus is given to the window directly.
e2e_focus()
{
    timeout 10 xdotool windowfocus --sync "$1" 2>/dev/null ||
        e2e_fail "could not give the keyboard focus to window $1"
}

e2e_key()
{
    xdotool key --delay 60 "$@" || e2e_fail "xdotool key $*"
}

e2e_type()
{
    xdotool type --delay 25 -- "$1" || e2e_fail "xdotool type $1"
}

# Opens a menu of the main window's menu bar with its access key and waits for it.
e2e_open_menu()
{
    e2e_focus "$EK_MAIN"
    e2e_key "alt+$1"
    e2e_poll "$E2E_WAIT" "the menu opened with Alt+$1" e2e_find_window menu '.*'
    E2E_MENU=$WIN
    sleep 0.2
}

# Types a path into the file name field of Qt's file dialog and presses Enter.
e2e_file_dialog()
{
    local title=$1 what=$2 path=$3
    e2e_wait_window "$title" "$what"
    local dialog=$WIN
    e2e_focus "$dialog"
    # The save dialog offers a name, selected; replace whatever is there.
    e2e_key ctrl+a
    e2e_type "$path"
    sleep 0.2
    e2e_key Return
    e2e_wait_gone "$dialog" "$what after Enter on $path"
}

# File > convert: the open dialog, the save dialog and the confirmation, answered
# OK. Returns once the conversion has started; e2e_finish_convert waits for it.
e2e_start_convert()
{
    local text=$1 db=$2
    e2e_open_menu f
    e2e_key n
    e2e_file_dialog "$E2E_TITLE_OPEN_TEXT" "the open dialog for the text file" "$text"
    e2e_file_dialog "$E2E_TITLE_SAVE_DB" "the save dialog for the database" "$db"
    e2e_wait_window "$E2E_TITLE_CONFIRM" "the confirmation of the conversion"
    local confirm=$WIN
    e2e_focus "$confirm"
    e2e_key Return
    e2e_wait_gone "$confirm" "the confirmation after Enter (OK)"
    E2E_CONFIRM=$confirm
}

# Records every window the server creates, maps and destroys from now on. A short
# conversion shows its progress window for a few milliseconds, too briefly to be
# caught by polling, but never too briefly for the server's own events.
e2e_watch_windows()
{
    xev -root -event substructure >"$E2E_TMP/windows.log" 2>&1 &
    E2E_XEV_PID=$!
}

# The server's events as lines "Type window override", e.g. "MapNotify 0x20024b NO".
e2e_window_events()
{
    awk '/^[A-Za-z]+ event,/ { type = $1; next }
         type != "" && match($0, /window 0x[0-9a-f]+/) {
             window = substr($0, RSTART + 7, RLENGTH - 7)
             override = ""
             if (match($0, /override (YES|NO)/)) override = substr($0, RSTART + 9, RLENGTH - 9)
             print type, window, override
             type = ""
         }' "$E2E_TMP/windows.log"
}

# Succeeds when, after window AFTER (decimal id) was taken down, a window that is
# not a menu was mapped and then taken down again.
e2e_window_came_and_went_after()
{
    local after
    after=$(printf '0x%x' "$1")
    e2e_window_events | awk -v after="$after" '
        ($1 == "UnmapNotify" || $1 == "DestroyNotify") && $2 == after { started = 1; next }
        started && $1 == "MapNotify" && $3 == "NO" { mapped[$2] = 1; next }
        started && ($1 == "UnmapNotify" || $1 == "DestroyNotify") && ($2 in mapped) { found = 1 }
        END { exit found ? 0 : 1 }'
}

# Where the main window's controls lie, in pixels of the area left of the preview, which starts
# below the menu bar (19 high) and ends above the status line (20 high): the input box at
# (8, 40), 18 high; the upper list at (8, 64), 123 high with a one pixel frame when the area is
# at its smallest, 310 high, and five ninths of any height beyond that more, showing whole rows of
# 12 pixels (the program's 9 point gothic at 96 dpi, VL Gothic standing in).
readonly E2E_MENU_HEIGHT=19
readonly E2E_STATUS_HEIGHT=20
readonly E2E_CLIENT_HEIGHT=310
readonly E2E_ROW_HEIGHT=12
E2E_LIST_PAGE=$(((123 - 2) / E2E_ROW_HEIGHT))

e2e_client_origin()
{
    local X Y WIDTH HEIGHT SCREEN WINDOW extra
    eval "$(xdotool getwindowgeometry --shell "$EK_MAIN")"
    E2E_CLIENT_X=$X
    E2E_CLIENT_Y=$((Y + E2E_MENU_HEIGHT))
    extra=$((HEIGHT - E2E_MENU_HEIGHT - E2E_STATUS_HEIGHT - E2E_CLIENT_HEIGHT))
    ((extra >= 0)) || extra=0
    E2E_LIST_PAGE=$(((123 + extra * 5 / 9 - 2) / E2E_ROW_HEIGHT))
}

e2e_click()
{
    xdotool mousemove --sync "$1" "$2" click 1 || e2e_fail "could not click at $1,$2"
    sleep 0.2
}

# Clicks into the input box, selects what it holds and types text over it.
e2e_type_in_input()
{
    e2e_focus "$EK_MAIN"
    e2e_client_origin
    e2e_click $((E2E_CLIENT_X + 8 + 100)) $((E2E_CLIENT_Y + 40 + 9))
    e2e_key ctrl+a
    e2e_type "$1"
    sleep 0.3
}

# Clicks the ROWth row shown in the upper list, counting from 0 at its top.
e2e_click_row()
{
    local row=$1
    e2e_client_origin
    e2e_click $((E2E_CLIENT_X + 8 + 40)) $((E2E_CLIENT_Y + 64 + 1 + row * E2E_ROW_HEIGHT + E2E_ROW_HEIGHT / 2))
}

# e2e_click_listed NAMES PREFIX NAME: clicks NAME in the upper list after PREFIX
# was typed. NAMES holds the kind's names in the list's order (ek-cli list). The
# typed prefix scrolls its first match to the top row, or as far as the last page
# allows, which is what decides the row NAME is shown in.
e2e_click_listed()
{
    local names=$1 prefix=$2 name=$3 count found index top row
    e2e_client_origin
    count=$(wc -l <"$names")
    found=$(awk -v p="${prefix,,}" 'index(tolower($0), p) == 1 { print NR - 1; exit }' "$names")
    index=$(awk -v n="$name" '$0 == n { print NR - 1; exit }' "$names")
    [[ -n $found && -n $index ]] || e2e_fail "$name or a name starting with $prefix is not in $names"
    top=$((count - E2E_LIST_PAGE < found ? count - E2E_LIST_PAGE : found))
    ((top >= 0)) || top=0
    row=$((index - top))
    ((row >= 0 && row < E2E_LIST_PAGE)) || e2e_fail "$name is not shown after typing $prefix"
    e2e_click_row "$row"
}

# e2e_expect_centred WINDOW OWNER: fails unless WINDOW stands centred over OWNER, to a
# pixel or two of rounding. Qt centres a dialog's frame; with no window manager it still
# allows for the title bar and border it guesses one would add, 40 and 10 pixels, so the
# window itself stands that much higher and further left. OWNER must stand clear of the
# screen's edges, where Qt would push the window back onto the screen.
e2e_expect_centred()
{
    local X Y WIDTH HEIGHT SCREEN WINDOW cx cy ox oy
    eval "$(xdotool getwindowgeometry --shell "$1")"
    cx=$((X + WIDTH / 2 + 10)) cy=$((Y + HEIGHT / 2 + 40))
    eval "$(xdotool getwindowgeometry --shell "$2")"
    ox=$((X + WIDTH / 2)) oy=$((Y + HEIGHT / 2))
    if ((cx - ox > 2 || ox - cx > 2 || cy - oy > 2 || oy - cy > 2)); then
        e2e_fail "window $1 stands centred at $cx,$cy (frame allowed for), not over window $2 at $ox,$oy"
    fi
}

# e2e_read_clipboard: copies what the X clipboard holds, as UTF-8, into $E2E_CLIPBOARD.
e2e_read_clipboard()
{
    E2E_CLIPBOARD="$E2E_TMP/clipboard.txt"
    timeout 5 xclip -selection clipboard -t UTF8_STRING -o >"$E2E_CLIPBOARD" 2>/dev/null
}

e2e_clipboard_holds()
{
    e2e_read_clipboard && cmp -s "$E2E_CLIPBOARD" "$1"
}

# e2e_expect_clipboard FILE WHAT: waits until the X clipboard holds the bytes of FILE.
e2e_expect_clipboard()
{
    if ! e2e_wait_for 10 e2e_clipboard_holds "$1"; then
        e2e_log "expected:" && od -c "$1"
        e2e_log "clipboard:" && od -c "$E2E_CLIPBOARD"
        e2e_fail "the clipboard does not hold $2"
    fi
}

e2e_settings_file()
{
    printf '%s\n' "$XDG_CONFIG_HOME/Ek/Ek.conf"
}

e2e_remembers()
{
    grep -qxF "Name=$1" "$(e2e_settings_file)" 2>/dev/null
}

e2e_convert_done()
{
    local db=$1
    if e2e_find_window window '.*'; then
        local name
        name=$(xdotool getwindowname "$WIN" 2>/dev/null)
        # A window gone since it was listed, its name with it, was the progress window
        # closing: on a loaded machine that can fall between the listing and the read.
        e2e_window_gone "$WIN" && return 1
        # The progress window, then the end report of the same title, are the only ones
        # that may come while converting.
        [[ $name =~ $E2E_TITLE_PROGRESS ]] ||
            e2e_fail "an unexpected window '$name' came up during the conversion"
        if e2e_is_dialog "$WIN"; then
            e2e_focus "$WIN"
            e2e_key Return
        fi
        return 1
    fi
    e2e_remembers "$db"
}

# The end report is a dialog; the progress window is a tool window.
e2e_is_dialog()
{
    xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG
}

# Waits until the progress window has gone and the program remembers the new
# database, which it does once the conversion has ended without an error.
e2e_finish_convert()
{
    e2e_poll "$E2E_WAIT" "the conversion to end and $1 to be remembered" e2e_convert_done "$1"
}
