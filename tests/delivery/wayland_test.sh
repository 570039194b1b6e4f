#!/usr/bin/env bash
# Both programs on a Wayland desktop of the test's own: a headless compositor with XWayland, and
# no platform chosen. Tessaly runs natively on Wayland and shows its window there; Kelvane, which
# places its windows, runs on XWayland, shows its display window at "Simulate" and ends when its
# control window goes. The headless compositor has no seat: nothing can type into Tessaly, and
# its XWayland crashes on synthetic pointer motion, so the programs are driven through the X
# server's focus and sent keys alone.
#
# usage: wayland_test.sh KELVANE TESSALY   (exits 77, skipped, where no compositor is installed)
set -uo pipefail

kelvane=$1 tessaly=$2
source "$(dirname "$0")/../../tools/controls.sh"
source "$(dirname "$0")/../../tools/own_compositor.sh"
for tool in xdotool xwininfo; do
    command -v "$tool" >/dev/null || {
        echo "skipped: $tool is not installed (tools/setup.sh test installs it)"
        exit 77
    }
done

program_pid=
stop() {
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2>/dev/null
        wait "$program_pid" 2>/dev/null
    fi
    stop_own_compositor
}
trap stop EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
start_own_compositor
runtime=$compositor_runtime socket=$compositor_socket x=$compositor_x weston_pid=$compositor_pid
echo "compositor $socket with XWayland on $x"
on_desktop() { exec env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" DISPLAY="$x" "$@"; }

# plugins PID: the window system plug-ins the process has loaded.
plugins() {
    grep -o 'libq\(wayland\|xcb\)[^/]*\.so' "/proc/$1/maps" | sed 's/\.so.*//' | sort -u | tr '\n' ' '
}

# ---- Tessaly, natively: its protocol log shows the window's title and a drawn buffer ----------
(WAYLAND_DEBUG=client on_desktop "$tessaly" 2>"$runtime/tessaly.log") &
program_pid=$!
shown=
for _ in $(seq 100); do
    grep -q 'set_title("Tessaly Calculator")' "$runtime/tessaly.log" &&
        grep -q 'wl_surface@[0-9]*\.attach' "$runtime/tessaly.log" && { shown=1; break; }
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$shown" ] && echo "ok: Tessaly's window is on the compositor" ||
    fail "Tessaly showed no window on the compositor"
expect_equal "Tessaly's window system" "libqwayland-generic " "$(plugins "$program_pid")"
kill -TERM "$program_pid"
wait "$program_pid"
expect_equal "Tessaly's status after SIGTERM" 143 "$?"
program_pid=

# ---- Kelvane, on XWayland ---------------------------------------------------------------------
export DISPLAY=$x
(on_desktop "$kelvane") &
program_pid=$!
# The list is read whole and cut here: head would leave xdotool a closed pipe.
control=$(timeout 20 xdotool search --sync --onlyvisible --name '^Control$')
control=${control%%$'\n'*}
[ -n "$control" ] || { echo "no window Control" >&2; exit 1; }
expect_equal "Kelvane's window system" "libqxcb " "$(plugins "$program_pid")"
client() { # WINDOW: "X Y WIDTHxHEIGHT" of the client area on the screen
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w "x" h}'
}
# "Simulate" has the focus when the window opens: a space presses it.
xdotool windowfocus --sync "$control"
xdotool key --window "$control" space
display=$(timeout 20 xdotool search --sync --onlyvisible --name '^Display$')
display=${display%%$'\n'*}
[ -n "$display" ] || { echo "no window Display after Simulate" >&2; exit 1; }
read -r cx cy csize < <(client "$control")
read -r dx dy dsize < <(client "$display")
expect_equal "Control client size" 312x206 "$csize"
expect_equal "Display client size" 410x364 "$dsize"
# The compositor's shell places X windows as it does its own, where the program asked or not.
echo "measured: Control's client area at $cx,$cy, Display's at $dx,$dy" \
    "(beside would be $((cx + 5000 / 15)),$cy, the frames being alike)"
xdotool windowclose "$control"
expect_exit "Kelvane after its control window went" 0 2

kill -0 "$weston_pid" 2>/dev/null || fail "the compositor ended before the test"
finish_checks "wayland desktop"
