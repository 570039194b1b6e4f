#!/usr/bin/env bash
# Every window of the built program carries the program's icon for the window manager
# (_NET_WM_ICON), under an X server of its own.
#
# usage: window_icon_test.sh PROGRAM "WINDOW TITLE" [BUTTON "TITLE OF THE WINDOW IT OPENS"]
#   BUTTON: the name of a control, as tools/controls.sh knows it.
set -euo pipefail

program=$1 title=$2 button=${3:-} second_title=${4:-}

source "$(dirname "$0")/../../tools/own_x_server.sh"
start_own_x_server

# Started as on a Wayland desktop with XWayland, the user having chosen no platform: the program
# must come up on the X display all the same.
env -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-absent XDG_SESSION_TYPE=wayland "$program" &
program_pid=$!

# check_icon WINDOW TITLE: the window has the icon, drawn at the small and the large sizes.
check_icon() {
    local icons
    icons=$(xprop -id "$1" _NET_WM_ICON | grep -Eo 'Icon \([0-9]+ x [0-9]+\)' | sort -u | tr '\n' ' ')
    echo "\"$2\": $icons"
    for size in 16 32 48 128; do
        [[ "$icons" == *"Icon ($size x $size)"* ]] || {
            echo "\"$2\" has no ${size}x$size icon" >&2
            exit 1
        }
    done
}

window=$(wait_for_window "$title") || { echo "window \"$title\" did not appear" >&2; exit 1; }
check_icon "$window" "$title"

if [ -n "$second_title" ]; then
    click_control "$window" "$(basename "$program")" "$button"
    second=$(wait_for_window "$second_title") || {
        echo "window \"$second_title\" did not appear" >&2
        exit 1
    }
    check_icon "$second" "$second_title"
fi
