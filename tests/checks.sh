# Sourced by the test scripts: checks that count their failures and go on, so that one run
# reports every check that fails. A script ends with: finish_checks "WHAT WAS CHECKED".

failures=0

ok() { echo "ok: $*"; }

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_equal() { # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then ok "$1: $3"; else fail "$1: expected '$2', got '$3'"; fi
}

# expect_exit WHAT STATUS SECONDS: the program in program_pid ends within SECONDS with STATUS
# (wait_for_exit, from tools/controls.sh, which tools/own_x_server.sh sources).
expect_exit() {
    wait_for_exit "$3" || true
    expect_equal "$1: exit status" "$2" "$exit_status"
}

# finish_checks WHAT: the count of failures, and the script's status.
finish_checks() {
    echo "$1: $failures failure(s)"
    [ "$failures" -eq 0 ]
}
