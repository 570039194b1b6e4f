#!/usr/bin/env bash
# A run-time error as a person meets it in the real program: text typed into a box, a button
# pressed, then one message box titled with the program's name while the windows stay open; OK
# closes the program with status 1, and the log has one line for the error.
#
# usage: error_report_test.sh PROGRAM "WINDOW TITLE" BOX TEXT BUTTON BOX_TITLE
#   BOX, BUTTON: the names of the controls to type into and to click, as tools/controls.sh knows
#   them.
set -euo pipefail

program=$1 title=$2 box=$3 text=$4 button=$5 report=$6
name=$(basename "$program")

source "$(dirname "$0")/../tools/own_x_server.sh"
start_own_x_server --wm 1024x768

"$program" 2>"$xvfb_dir/stderr" &
program_pid=$!
window=$(wait_for_window "$title") || { echo "window \"$title\" did not appear" >&2; exit 1; }

type_into "$window" "$name" "$box" "$text"
click_control "$window" "$name" "$button"

# Every report is logged before its box shows: a second box, now or after OK, would leave a
# second line in the log.
message=$(wait_for_window "$report") || { echo "no box titled \"$report\"" >&2; exit 1; }
boxes=$(xdotool search --onlyvisible --name "^$report\$" | wc -l)
[ "$boxes" -eq 1 ] || { echo "$boxes boxes titled \"$report\"" >&2; exit 1; }
xdotool search --onlyvisible --name "^$title\$" >/dev/null ||
    { echo "\"$title\" closed before OK" >&2; exit 1; }

xdotool windowactivate --sync "$message" key Return
wait_for_exit 10 || { echo "the program did not end after OK" >&2; exit 1; }
echo "exit status $exit_status"
cat "$xvfb_dir/stderr"
[ "$exit_status" -eq 1 ] || exit 1
[ "$(grep -c 'run-time error' "$xvfb_dir/stderr")" -eq 1 ] || { echo "not one log line" >&2; exit 1; }
