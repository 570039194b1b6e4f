# Sourced by the scripts that need a real X server of their own (tests, benchmarks, pictures).
#
# start_own_x_server WIDTHxHEIGHT: starts Xvfb at 96 dpi on a display that it picks itself, so
# that parallel runs never collide, and points DISPLAY and Qt at it. On exit, the program whose
# process id is in program_pid and the server are ended by their process ids.

xvfb_pid= program_pid= xvfb_dir=

stop_own_x_server() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
    return 0
}

start_own_x_server() {
    local tool
    for tool in Xvfb xdotool xdpyinfo; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh" >&2; exit 1; }
    done
    trap stop_own_x_server EXIT

    xvfb_dir=$(mktemp -d)
    mkfifo "$xvfb_dir/display"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -dpi 96 -nolisten tcp \
        3>"$xvfb_dir/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    local number
    number=$(timeout 20 head -n 1 "$xvfb_dir/display") || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not answer on $DISPLAY" >&2
    exit 1
}

# wait_for_window "TITLE": prints the id of the visible window with exactly that title.
wait_for_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}
