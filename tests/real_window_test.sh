#!/usr/bin/env bash
# Starts a built program in a real window under an X server of its own, checks the window's
# client size, clicks a button and expects the program to exit with status 0.
#
# usage: real_window_test.sh PROGRAM "WINDOW TITLE" WIDTHxHEIGHT BUTTON
#   BUTTON: the name of the control to click, as tools/controls.sh knows it.
set -euo pipefail

program=$1 title=$2 size=$3 button=$4
source "$(dirname "$0")/../tools/own_x_server.sh"
start_own_x_server
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

"$program" &
program_pid=$!
window=$(wait_for_window "$title") || { echo "window \"$title\" did not appear" >&2; exit 1; }
expect_equal "client size" "$size" "$(xdotool getwindowgeometry "$window" |
    sed -n 's/^ *Geometry: //p')"
click_control "$window" "$(basename "$program")" "$button"
expect_exit "after a click on $button" 0 10
finish_checks "$(basename "$program") in a real window"
