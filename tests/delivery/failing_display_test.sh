#!/usr/bin/env bash
# The built program against X displays that fail while it starts: a server that dies midway
# through Qt's set-up, and one that takes the connection and never answers. Each run ends within
# a bounded time with status 1 and one line of the program's own, never with a core.
#
# usage: failing_display_test.sh PROGRAM
set -uo pipefail

program=$1
base=$(basename "$program")
here=$(dirname "$0")
source "$here/../../tools/own_x_server.sh"
start_own_x_server
real_socket=/tmp/.X11-unix/X${DISPLAY#:}
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

# A display number for a server of this test's own, taken from the number of the real server,
# which Xvfb holds for this run alone: two runs at once never pick the same one.
fake=$((700 + ${DISPLAY#:} % 100))
[ ! -e "/tmp/.X11-unix/X$fake" ] || { echo "FAIL: display :$fake is taken" >&2; exit 1; }
fake_socket=/tmp/.X11-unix/X$fake
relay_pid=
trap 'kill $relay_pid 2>/dev/null; rm -f "$fake_socket"; stop_own_x_server' EXIT

# serve PERL: a listener on the fake display's socket, its body run for every connection ($c).
serve() {
    perl -MIO::Socket::UNIX -MIO::Select -e '
        my $path = shift; unlink $path;
        my $server = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $path, Listen => 5)
            or die "listen: $!";
        my @open;
        while (my $c = $server->accept) { push @open, $c; '"$1"' }' "$fake_socket" "${@:2}" &
    relay_pid=$!
    # Perl starting on a loaded machine may take seconds.
    for _ in $(seq 400); do [ -S "$fake_socket" ] && return; sleep 0.05; done
    fail "the fake display did not start"
}
stop_serving() {
    kill "$relay_pid" 2>/dev/null
    wait "$relay_pid" 2>/dev/null
    relay_pid=
    # Gone with its listener, so that the next one is not taken for started.
    rm -f "$fake_socket"
}

# expect_refused WHAT LIMIT: runs the program on the fake display and expects status 1 within
# LIMIT seconds with one line of its own.
expect_refused() {
    local err status
    err=$(env -u WAYLAND_DISPLAY DISPLAY=":$fake" timeout "$2" "$program" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 1 ]; then
        fail "$1: exit status $status, expected 1: $err"
    elif [[ "$err" == "$base: "* ]] && [ "$(wc -l <<<"$err")" -ne 1 ]; then
        fail "$1: more than one line: $err"
    fi
}

# The server's answers cut off after so many bytes: Qt reads missing answers as empty ones. The
# cuts span the connection set-up, the screens, the keyboard and the first window.
for bytes in $(seq 1000 500 30000); do
    serve 'my $x = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Peer => $ARGV[0]) or die;
           my $sel = IO::Select->new($c, $x); my $passed = 0;
           RELAY: while (1) { for my $h ($sel->can_read) {
               last RELAY unless sysread($h, my $buf, 65536);
               if ($h == $c) { syswrite($x, $buf); next }
               if ($passed + length $buf >= $ARGV[1]) {
                   syswrite($c, substr($buf, 0, $ARGV[1] - $passed)); last RELAY }
               $passed += length $buf; syswrite($c, $buf) } }
           close $c; close $x; @open = ();' "$real_socket" "$bytes"
    expect_refused "server cut after $bytes bytes" 15
    stop_serving
done

# A server that takes the connection and never answers.
serve ''
started=$SECONDS
expect_refused "a server that never answers" 15
[ $((SECONDS - started)) -le 12 ] || fail "the silent server held the program $((SECONDS - started)) s"
stop_serving

finish_checks "$base against failing displays"
