# Sourced by the scripts that need a real X server of their own (tests, benchmarks, pictures).
#
# start_own_x_server [--wm] WIDTHxHEIGHT: starts Xvfb at 96 dpi on a display that it picks itself,
# so that parallel runs never collide, and points DISPLAY and Qt at it. With --wm it also starts
# openbox there, a reparenting window manager that frames every window as a desktop does, and
# returns once openbox manages windows. On exit, the program whose process id is in program_pid,
# the window manager and the server are ended by their process ids.
#
# The controls' positions and the wait for a process come with it, from controls.sh, and below,
# what a person does with them and waits for.

source "$(dirname "${BASH_SOURCE[0]}")/controls.sh"

xvfb_pid= program_pid= xvfb_dir= wm_pid= bus_pid=

stop_own_x_server() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
    return 0
}

start_own_x_server() {
    local tool with_wm=
    if [ "${1:-}" = --wm ]; then
        with_wm=1
        shift
    fi
    for tool in Xvfb xdotool xdpyinfo ${with_wm:+openbox xprop}; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh" >&2; exit 1; }
    done
    trap stop_own_x_server EXIT

    xvfb_dir=$(mktemp -d)
    mkfifo "$xvfb_dir/display"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -dpi 96 -nolisten tcp \
        3>"$xvfb_dir/display" >"$xvfb_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    # Xvfb writes its display number once it listens; a server that dies first writes nothing.
    local number
    number=$(timeout 20 head -n 1 "$xvfb_dir/display") || true
    [[ "$number" =~ ^[0-9]+$ ]] || x_server_failed "Xvfb did not start"
    export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
    local answered=
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && { answered=1; break; }
        kill -0 "$xvfb_pid" 2>/dev/null || x_server_failed "Xvfb on $DISPLAY ended"
        sleep 0.1
    done
    [ -n "$answered" ] || x_server_failed "Xvfb did not answer on $DISPLAY"
    [ -z "$with_wm" ] || start_window_manager
}

# x_server_failed MESSAGE: says so, with what Xvfb said: its errors ("(EE)"), which may follow
# a long usage, or else the end of its output. Ends the caller.
x_server_failed() {
    echo "$1; it said:" >&2
    { grep -A1 '^(EE) ' "$xvfb_dir/xvfb.log" || tail -n 12 "$xvfb_dir/xvfb.log"; } |
        grep -v '^(EE) *$' | sed 's/^/  /' >&2
    exit 1
}

# Openbox with its system-wide settings, whatever the user's own configuration says. A server
# started at the same moment as another one may not take its first connection at once: openbox
# gets three tries.
start_window_manager() {
    mkdir -p "$xvfb_dir/config" "$xvfb_dir/cache"
    local attempt
    for attempt in 1 2 3; do
        XDG_CONFIG_HOME="$xvfb_dir/config" XDG_CACHE_HOME="$xvfb_dir/cache" \
            openbox --sm-disable >"$xvfb_dir/openbox.log" 2>&1 &
        wm_pid=$!
        # An EWMH window manager names its check window on the root window once it manages
        # windows.
        for _ in $(seq 100); do
            [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *'window id'* ]] && return 0
            kill -0 "$wm_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$wm_pid" 2>/dev/null || true
        wait "$wm_pid" 2>/dev/null || true
        wm_pid=
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.5
    done
    echo "openbox did not start on $DISPLAY (try $attempt):" >&2
    cat "$xvfb_dir/openbox.log" >&2
    kill -0 "$xvfb_pid" 2>/dev/null || x_server_failed "the X server has ended"
    exit 1
}

# start_accessibility_bus: a session bus of the script's own, on which the programs it starts
# from now on offer their controls to a screen reader, and screen_reader, which reads them there
# (tests/support/screen_reader.py). The system's own python has the distribution's bindings;
# another one on the path may not.
start_accessibility_bus() {
    command -v dbus-daemon >/dev/null ||
        { echo "missing dbus-daemon: run tools/setup.sh" >&2; exit 1; }
    screen_reader_python=python3
    "$screen_reader_python" -c 'import pyatspi' 2>/dev/null || screen_reader_python=/usr/bin/python3
    "$screen_reader_python" -c 'import pyatspi' 2>/dev/null ||
        { echo "missing python3-pyatspi: run tools/setup.sh" >&2; exit 1; }
    local address
    { read -r address && read -r bus_pid; } < <(
        dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$address QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
# A program that does not answer the reader makes the read fail rather than hang.
screen_reader() {
    timeout 10 "$screen_reader_python" \
        "$(dirname "${BASH_SOURCE[0]}")/../tests/support/screen_reader.py" "$@"
}

# outer_frame WINDOW: prints "X Y WIDTH HEIGHT" of the frame around a client window: its position
# and size on the screen, borders and title bar included, from the manager's _NET_FRAME_EXTENTS.
outer_frame() {
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$1" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
             /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}')
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
        sed -n 's/.*= *//p' | tr -d ',')
    echo "$((x - ${left:-0})) $((y - ${top:-0})) $((w + ${left:-0} + ${right:-0})) $((h + ${top:-0} + ${bottom:-0}))"
}

# settled_frame WINDOW: the window's outer frame once it stands still, the window manager having
# placed it.
settled_frame() {
    local last= now
    for _ in $(seq 40); do
        now=$(outer_frame "$1")
        [ "$now" = "$last" ] && { echo "$now"; return; }
        last=$now
        sleep 0.05
    done
    echo "$now"
}

# wait_until SECONDS COMMAND...: runs the command until it succeeds, for up to SECONDS; fails if
# it never does.
wait_until() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# type_into WINDOW PROGRAM BOX TEXT: a box's text replaced as a person does it: a click into the
# box, all of its text selected, the new text typed.
type_into() {
    click_control "$1" "$2" "$3" 1 key ctrl+a type "$4"
}

# control_picture WINDOW PROGRAM CONTROL FILE: the control as the screen shows it, in a PNG.
control_picture() {
    local x y w h
    read -r x y w h < <(control_rect "$2" "$3")
    import -window "$1" -crop "${w}x$h+$x+$y" +repage "$4"
}

# wait_for_window "TITLE": prints the id of the visible window with exactly that title.
wait_for_window() {
    local found
    # Lists are read whole and cut here: a reader that stops early (head, grep -q) leaves the
    # writer a closed pipe, whose SIGPIPE pipefail takes for a failure.
    found=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null) || true
    found=${found%%$'\n'*}
    if [ -z "$found" ]; then
        # Now and then, on a loaded machine, a window's first map request goes unanswered by the
        # window manager that has just started: the window exists but is never shown. Asking again
        # is what a person would do by starting over; say what was seen either way.
        local hidden
        hidden=$(xdotool search --name "^$1\$" 2>/dev/null) || true
        hidden=${hidden%%$'\n'*}
        echo "window \"$1\" not shown within 10 s: $([ -n "$hidden" ] && echo "it exists" ||
            echo "it does not exist"), the window manager $( [ -z "$wm_pid" ] && echo "is not used" ||
            { kill -0 "$wm_pid" 2>/dev/null && echo runs || echo "has ended"; }), the program $(
            [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null && echo runs ||
            echo "does not run")" >&2
        [ -n "$hidden" ] && xdotool windowmap "$hidden" 2>/dev/null || true
        found=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null) ||
            true
        found=${found%%$'\n'*}
    fi
    [ -n "$found" ] && echo "$found"
}
