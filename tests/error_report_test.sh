#!/usr/bin/env bash
# A run-time error as a person meets it in the real program: text typed into a box, a button
# pressed, then one message box titled with the program's name while the windows stay open; OK
# closes the program with status 1, and the log has one line for the error.
#
# usage: error_report_test.sh PROGRAM "WINDOW TITLE" BOX_X BOX_Y TEXT BUTTON_X BUTTON_Y BOX_TITLE
#   BOX_X, BOX_Y, BUTTON_X, BUTTON_Y: where to click, in pixels of the window's client area.
set -euo pipefail

program=$1 title=$2 box_x=$3 box_y=$4 text=$5 button_x=$6 button_y=$7 report=$8

source "$(dirname "$0")/../tools/own_x_server.sh"
start_own_x_server --wm 1024x768

"$program" 2>"$xvfb_dir/stderr" &
program_pid=$!
window=$(wait_for_window "$title") || { echo "window \"$title\" did not appear" >&2; exit 1; }

xdotool mousemove --window "$window" "$box_x" "$box_y" click 1 key ctrl+a
xdotool type "$text"
xdotool mousemove --window "$window" "$button_x" "$button_y" click 1

box=$(wait_for_window "$report") || { echo "no box titled \"$report\"" >&2; exit 1; }
sleep 0.5 # a second box would come now
boxes=$(xdotool search --onlyvisible --name "^$report\$" | wc -l)
[ "$boxes" -eq 1 ] || { echo "$boxes boxes titled \"$report\"" >&2; exit 1; }
xdotool search --onlyvisible --name "^$title\$" >/dev/null ||
    { echo "\"$title\" closed before OK" >&2; exit 1; }

xdotool windowactivate --sync "$box" key Return
status=
for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && status=0 || status=$?
        program_pid=
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || { echo "the program did not end after OK" >&2; exit 1; }
echo "exit status $status"
cat "$xvfb_dir/stderr"
[ "$status" -eq 1 ] || exit 1
[ "$(grep -c 'run-time error' "$xvfb_dir/stderr")" -eq 1 ] || { echo "not one log line" >&2; exit 1; }
