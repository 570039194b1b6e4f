#!/usr/bin/env bash
# Windows of the built programs destroyed by another client (xdotool windowclose), on a desktop
# of their own: the start-up window's loss ends the program as its close does, with status 0,
# mid-run too; Kelvane's display window lost comes back at the next "Simulate".
#
# usage: destroyed_window_test.sh KELVANE TESSALY
set -euo pipefail

kelvane=$1 tessaly=$2
source "$(dirname "$0")/../../tools/own_x_server.sh"
start_own_x_server --wm
start_accessibility_bus
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

"$kelvane" &
program_pid=$!
control=$(wait_for_window Control) || { echo "no window Control" >&2; exit 1; }
simulate() { click_control "$control" kelvane Command1; }
simulate
display=$(wait_for_window Display) || { echo "no window Display" >&2; exit 1; }
# The server tells the program of the loss before it passes on the click that follows.
xdotool windowclose "$display"
simulate
again=$(wait_for_window Display) && [ "$again" != "$display" ] &&
    echo "ok: Display shown anew after its window was destroyed" ||
    fail "Display did not come back after its window was destroyed"
xdotool windowclose "$control"
expect_exit "Kelvane after its control window was destroyed" 0 2

# Tessaly mid-run: index 30 a hundred thousand times.
"$tessaly" &
program_pid=$!
calculator=$(wait_for_window "Tessaly Calculator") || { echo "no Tessaly window" >&2; exit 1; }
type_into "$calculator" tessaly NText 30
type_into "$calculator" tessaly nT 100000
click_control "$calculator" tessaly StartSyncCommand
wait_until 10 screen_reader shows Tessaly "push button" Cancel || fail "the run did not start"
xdotool windowclose "$calculator"
expect_exit "Tessaly after its window was destroyed mid-run" 0 2

finish_checks "destroyed windows"
