# shellcheck shell=bash disable=SC2034
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The Ek developers
#
# The window rows: one private X server for the whole rig, one ek per session with
# its own settings and runtime folders. "Responds" means the program reacts to the
# keyboard: Alt+F opens the File menu (a new override-redirect window), or a window
# of its own (a message box) is up. A program that computes, sleeps or blocks in a
# system call does neither, whatever its CPU use.

XVFB_PID=""
EK_PID=""
WIN_MAIN=""

win_start_x()
{
    [[ -n $XVFB_PID ]] && return 0
    local fd_file=$RIG/x/display
    mkdir -p "$RIG/x"
    unset DISPLAY WAYLAND_DISPLAY
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fd_file" >"$RIG/x/xvfb.log" 2>&1 &
    XVFB_PID=$!
    bg_track "$XVFB_PID"
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -s $fd_file ]] && break
        sleep 0.1
    done
    [[ -s $fd_file ]] || die "Xvfb did not start: $(cat "$RIG/x/xvfb.log")"
    DISPLAY=":$(tr -dc '0-9' <"$fd_file")"
    export DISPLAY
    for ((i = 0; i < 100; i++)); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    die "the X server on $DISPLAY does not accept clients"
}

win_has()
{
    local want=$1 w kind name
    while IFS=$'\t' read -r w kind name; do
        if [[ $kind == "$want" && $w != "$WIN_MAIN" ]]; then
            WIN_FOUND=$name
            return 0
        fi
    done < <(e2e_windows)
    return 1
}

# win_session CONFIG_KIND DB: starts ek; CONFIG_KIND is "remember" (the settings
# name DB as the last database) or "fifo" (the settings file is a FIFO). Sets
# WIN_MAIN when the main window shows within the bound, and WIN_APPEARED (seconds).
win_session()
{
    local kind=$1 db=${2:-} home=$RIG/x/session
    rm -rf "$home"
    mkdir -p "$home/config/Ek" "$home/runtime" "$home/cache" "$home/data"
    chmod 0700 "$home/runtime"
    if [[ $kind == fifo ]]; then
        mkfifo "$home/config/Ek/Ek.conf"
    else
        printf '[DataBase]\nName=%s\n' "$db" >"$home/config/Ek/Ek.conf"
    fi
    XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime XDG_CACHE_HOME=$home/cache \
        XDG_DATA_HOME=$home/data QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$EK" >"$home/ek.log" 2>&1 </dev/null &
    EK_PID=$!
    bg_track "$EK_PID"
    local t0=$SECONDS
    WIN_MAIN=$(timeout "$BOUND" xdotool search --sync --pid "$EK_PID" --name '^ Ek$' 2>/dev/null | head -n1)
    WIN_APPEARED=$((SECONDS - t0))
    # The window maps before the toolkit has settled its focus inside it.
    [[ -n $WIN_MAIN ]] && sleep 0.3
}

win_key()
{
    timeout 5 xdotool windowfocus --sync "$WIN_MAIN" 2>/dev/null
    xdotool key --delay 60 "$@" 2>/dev/null
}

win_wait_menu()
{
    local until=$((SECONDS + $1))
    while ((SECONDS <= until)); do
        win_has menu && return 0
        sleep 0.1
    done
    return 1
}

win_no_menu()
{
    local i
    for ((i = 0; i < 20; i++)); do
        win_has menu || return 0
        sleep 0.1
    done
    return 1
}

# win_responds: whether the program reacts within the bound; sets WIN_HOW.
win_responds()
{
    local until=$((SECONDS + BOUND))
    while ((SECONDS < until)); do
        if win_has window; then
            WIN_HOW="a window «$WIN_FOUND» came up"
            return 0
        fi
        win_key alt+f
        if win_wait_menu 1; then
            xdotool key Escape 2>/dev/null
            win_no_menu
            WIN_HOW="the File menu opened"
            return 0
        fi
        kill -0 "$EK_PID" 2>/dev/null || {
            WIN_HOW="ek ended"
            return 1
        }
    done
    WIN_HOW="no reaction to the keyboard within $BOUND s"
    return 1
}

# File > the remembered database: the menu opens on its first item; the remembered
# path is the third, past the separator that arrow keys skip.
win_open_remembered()
{
    win_key alt+f
    win_wait_menu 5 || return 1
    xdotool key --delay 60 Down Down Return 2>/dev/null
    return 0
}

# The kind box: 関数 is chosen at start; one up is 定数.
win_show_constants()
{
    win_key alt+k
    xdotool key --delay 60 Up 2>/dev/null
}

win_peak_kb()
{
    awk '/^VmHWM:/ { print $2 }' "/proc/$EK_PID/status" 2>/dev/null || printf '0'
}

win_stop()
{
    [[ -n $EK_PID ]] && bg_stop "$EK_PID"
    EK_PID="" WIN_MAIN=""
}
