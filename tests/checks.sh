# Sourced by the test scripts: checks that count their failures and go on, so that one run
# reports every check that fails. A script ends with: [ "$failures" -eq 0 ].

failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_equal() { # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok: $1: $3"; else fail "$1: expected $2, got $3"; fi
}
