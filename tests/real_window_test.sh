#!/usr/bin/env bash
# Starts a built program in a real window under an X server of its own, checks the window's
# client size, clicks a button and expects the program to exit with status 0.
#
# usage: real_window_test.sh PROGRAM "WINDOW TITLE" WIDTHxHEIGHT CLICK_X CLICK_Y
#   CLICK_X, CLICK_Y: where to click, in pixels of the window's client area.
set -euo pipefail

program=$1 title=$2 size=$3 click_x=$4 click_y=$5

source "$(dirname "$0")/../tools/own_x_server.sh"
start_own_x_server

"$program" &
program_pid=$!

window=$(wait_for_window "$title") || {
    echo "window \"$title\" did not appear" >&2
    exit 1
}
echo "window \"$title\" is $window"

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "client size $geometry"
if [ "$geometry" != "$size" ]; then
    echo "expected client size $size, got $geometry" >&2
    exit 1
fi

xdotool mousemove --window "$window" "$click_x" "$click_y" click 1

status=
for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && status=0 || status=$?
        program_pid=
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || { echo "the program did not end after the click" >&2; exit 1; }
echo "exit status $status"
[ "$status" -eq 0 ]
