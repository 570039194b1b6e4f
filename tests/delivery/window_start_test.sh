#!/usr/bin/env bash
# The built program started on an X display as a desktop may leave it: no session bus (a remote
# shell, a bare X server), and a Wayland desktop's variables with no compositor behind them, the
# user having chosen no platform. It comes up on the X display, every window carries the
# program's icon for the window manager (_NET_WM_ICON), it starts no bus daemon that outlives it,
# and its home folder stays as it was.
#
# usage: window_start_test.sh PROGRAM "WINDOW TITLE" [BUTTON "TITLE OF THE WINDOW IT OPENS"]
#   BUTTON: the name of a control, as tools/controls.sh knows it.
set -euo pipefail

program=$1 title=$2 button=${3:-} second_title=${4:-}
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

env -u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY=wayland-absent \
    XDG_SESSION_TYPE=wayland XDG_RUNTIME_DIR="$runtime" HOME="$home" "$program" &
program_pid=$!

# check_icon TITLE: the window has the icon, drawn at the small and the large sizes.
check_icon() {
    local window icons
    window=$(wait_for_window "$1") || { echo "window \"$1\" did not appear" >&2; exit 1; }
    icons=$(xprop -id "$window" _NET_WM_ICON | grep -Eo 'Icon \([0-9]+ x [0-9]+\)' | sort -u |
        tr '\n' ' ')
    echo "\"$1\": $icons"
    for size in 16 32 48 128; do
        [[ "$icons" == *"Icon ($size x $size)"* ]] || fail "\"$1\" has no ${size}x$size icon"
    done
    shown=$window
}
check_icon "$title"
if [ -n "$second_title" ]; then
    click_control "$shown" "$(basename "$program")" "$button"
    check_icon "$second_title"
fi
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
finish_checks "$(basename "$program") started as a desktop may start it"
