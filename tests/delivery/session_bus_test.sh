#!/usr/bin/env bash
# Started on an X display without a session bus (a remote shell, a bare X server), the built
# program shows its window and starts no bus daemon: nothing remains running after it, and its
# home folder stays as it was.
#
# usage: session_bus_test.sh PROGRAM "WINDOW TITLE"
set -euo pipefail

program=$1 title=$2
source "$(dirname "$0")/../../tools/own_x_server.sh"
start_own_x_server
home=$(mktemp -d)
# A runtime folder of the run's own, with no bus in it: without one Qt would make
# /tmp/runtime-$USER, which outlives the test.
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'stop_own_x_server; rm -rf "$home" "$runtime"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
command -v dbus-launch >/dev/null ||
    echo "note: dbus-launch is not installed, so no bus could be launched here either"
fallback=/tmp/runtime-$(id -un)
[ -e "$fallback" ] && fallback_before=1 || fallback_before=

env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$runtime" HOME="$home" "$program" &
program_pid=$!
wait_for_window "$title" >/dev/null || { echo "window \"$title\" did not appear" >&2; exit 1; }
kill "$program_pid"
wait "$program_pid" || true
program_pid=

# A launched bus carries the program's environment, this home folder among it.
for pid in $(pgrep -x dbus-launch; pgrep -x dbus-daemon); do
    if grep -qzx "HOME=$home" "/proc/$pid/environ" 2>/dev/null; then
        fail "$(cat "/proc/$pid/comm") (process $pid) outlived the program"
        kill "$pid" 2>/dev/null || true
    fi
done
[ -z "$(ls -A "$home")" ] ||
    fail "the program left files in its home folder:"$'\n'"$(find "$home" -mindepth 1 | sed 's/^/  /')"
[ -n "$fallback_before" ] || [ ! -e "$fallback" ] || fail "$fallback was made"
finish_checks "$(basename "$program") without a session bus"
