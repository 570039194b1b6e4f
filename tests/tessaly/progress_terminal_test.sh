#!/usr/bin/env bash
# Tessaly's progress line in a real terminal (tmux) narrower than the line, and in one made
# narrower while the line shows: the line never wraps into rows of its own, and once the run has
# ended the screen holds what the run printed and nothing else.
#
# usage: progress_terminal_test.sh TESSALY   (exits 77, skipped, where tmux is not installed)
set -uo pipefail

tessaly=$1
if ! command -v tmux >/dev/null; then
    echo "skipped: tmux is not installed (tools/setup.sh test installs it)"
    exit 77
fi
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
# Servers of this test's own, one to a run, each on its own socket and ended by that socket alone.
server=
tmx() { tmux -S "$work/$server" -f /dev/null "$@"; }
end_servers() {
    for server in $(ls "$work"); do
        [ -S "$work/$server" ] && tmx kill-server 2>/dev/null
    done
}
trap 'end_servers; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

# The pane as text, its wrapped rows joined into the lines written, without the blanks the
# terminal pads rows and the screen's end with.
screen() {
    tmx capture-pane -p -J -t run | sed 's/ *$//' | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'
}
shows() { # EXTENDED-REGEX: a line of the pane matches it
    screen >"$work/screen"
    grep -Eq -- "$1" "$work/screen"
}
wait_for() { # WHAT EXTENDED-REGEX: until the pane shows it, for a minute at most
    local tries
    for ((tries = 0; tries < 600; tries++)); do
        shows "$2" && return 0
        sleep 0.1
    done
    fail "$1: the terminal never showed /$2/:"
    cat "$work/screen" >&2
    return 1
}

# What the terminal holds once the run has ended: the run's lines and the status, each whole.
check_end() { # WHAT
    wait_for "$1: the end" '^status [0-9]+$' || return
    if python3 - "$work/screen" <<'PY'; then ok "$1: only what the run printed"; else
import re, sys
lines = open(sys.argv[1]).read().splitlines()
patterns = [r"cycle 1 of 3: \S+ s", r"cycle 2 of 3: \S+ s", r"cycle 3 of 3: \S+ s",
            re.escape("Fibonacci number of index 43: 433494437 (701408732 counted calls a cycle)"),
            r"seconds per cycle, mean ± standard deviation of 3 cycles: \S+ ± \S+",
            r"seconds per cycle, min and max: \S+ and \S+", r"seconds per cycle, median: \S+",
            r"cost per counted call: \S+ ns, \S+ million calls a second", "status 0"]
# A machine busy with other work scatters the cycles: the warning that says so is the run's own.
if len(lines) == len(patterns) + 1 and lines[-2].startswith("warning: the mean may mislead, "):
    del lines[-2]
assert len(lines) == len(patterns) and all(
    re.fullmatch(p, l) for p, l in zip(patterns, lines)), lines
PY
        fail "$1: the terminal holds more or other than the run printed:"
        sed 's/^/  | /' "$work/screen" >&2
    fi
}

start() { # COLUMNS
    server=tmux-$1
    # The pane stays after the run, reading input that never comes, until the server ends.
    tmx new-session -d -s run -x "$1" -y 40 \
        "'$tessaly' --index 43 --cycles 3; echo \"status \$?\"; exec cat"
}

# Narrower than the line from the start: each redraw is cut to the width, and so one row.
start 20
if wait_for "20 columns: the progress line" '^cycle 1 of 3, '; then
    progress=$(grep -Ec '^cycle [0-9] of 3, ' "$work/screen")
    longest=$(awk '{ if (length > n) n = length } END { print n + 0 }' "$work/screen")
    expect_equal "20 columns: progress rows" 1 "$progress"
    [ "$longest" -lt 20 ] && ok "20 columns: no line wraps" ||
        fail "20 columns: a line of $longest characters"
fi
check_end "20 columns"

# Made narrower while a line wider than the new width shows.
start 60
if wait_for "60 columns: the progress line with the time left" '^cycle 1 of 3, .* left$'; then
    tmx resize-window -t run -x 20
    check_end "60 columns, then 20"
fi

finish_checks "the progress line in a terminal"
