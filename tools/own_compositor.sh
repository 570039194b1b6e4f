# Sourced by the scripts that need a Wayland desktop of their own: weston's headless backend with
# XWayland, in a private runtime folder, as a session's runtime folder is private to its user.
#
# start_own_compositor: starts one and returns once it listens, with its Wayland socket name in
#   compositor_socket, its X display in compositor_x, its runtime folder in compositor_runtime
#   and its process id in compositor_pid. Exits 77 (skipped) where weston or XWayland is missing.
# stop_own_compositor [SIGNAL]: ends it by its process id (SIGTERM unless given), waits for it and
#   removes what it leaves: its runtime folder and, killed outright, its X display's lock file
#   and socket in /tmp.

compositor_pid= compositor_socket= compositor_x= compositor_runtime=

start_own_compositor() {
    local tool
    for tool in weston Xwayland; do
        command -v "$tool" >/dev/null || {
            echo "skipped: $tool is not installed (tools/setup.sh test installs it)"
            exit 77
        }
    done
    compositor_runtime=$(mktemp -d)
    chmod 700 "$compositor_runtime"
    compositor_socket=wayland-kt-$$-$RANDOM
    XDG_RUNTIME_DIR=$compositor_runtime weston --backend=headless-backend.so --xwayland \
        --socket="$compositor_socket" --width=1280 --height=1024 --idle-time=0 \
        --log="$compositor_runtime/weston.log" 2>"$compositor_runtime/xwayland.log" &
    compositor_pid=$!
    compositor_x=
    for _ in $(seq 100); do
        compositor_x=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
            "$compositor_runtime/weston.log" 2>/dev/null)
        [ -S "$compositor_runtime/$compositor_socket" ] && [ -n "$compositor_x" ] && return 0
        kill -0 "$compositor_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "the compositor did not start:" >&2
    cat "$compositor_runtime/weston.log" "$compositor_runtime/xwayland.log" >&2
    exit 1
}

stop_own_compositor() {
    [ -n "$compositor_pid" ] || return 0
    kill "-${1:-TERM}" "$compositor_pid" 2>/dev/null || true
    wait "$compositor_pid" 2>/dev/null || true
    # The compositor holds XWayland's display for it; killed, it cannot give it back. Only what
    # names this compositor is its own.
    local number=${compositor_x#:} owner
    if [ -n "$number" ] && [ -f "/tmp/.X$number-lock" ]; then
        owner=$(tr -d ' \n' <"/tmp/.X$number-lock" 2>/dev/null) || owner=
        [ "$owner" != "$compositor_pid" ] || rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    fi
    rm -rf "$compositor_runtime"
    compositor_pid= compositor_socket= compositor_x= compositor_runtime=
}
