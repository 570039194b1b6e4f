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
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

"$program" 2>"$xvfb_dir/stderr" &
program_pid=$!
window=$(wait_for_window "$title") || { echo "window \"$title\" did not appear" >&2; exit 1; }
type_into "$window" "$name" "$box" "$text"
click_control "$window" "$name" "$button"

# Every report is logged before its box shows: a second box, now or after OK, would leave a
# second line in the log.
message=$(wait_for_window "$report") || { echo "no box titled \"$report\"" >&2; exit 1; }
expect_equal "boxes titled \"$report\"" 1 "$(xdotool search --onlyvisible --name "^$report\$" |
    wc -l)"
xdotool search --onlyvisible --name "^$title\$" >/dev/null || fail "\"$title\" closed before OK"
xdotool windowactivate --sync "$message" key Return
expect_exit "after OK" 1 10
cat "$xvfb_dir/stderr"
expect_equal "log lines of the error" 1 "$(grep -c 'run-time error' "$xvfb_dir/stderr")"
finish_checks "$name reporting an error"
