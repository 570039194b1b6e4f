#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for the given number of seconds (default 300).
# What they find is written to build-fuzz/findings/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz | { grep --line-buffered -v '^ninja: no work to do\.$' || true; }

# A finding names its source lines through the symbolizer of the compiler's own version.
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ]; then
    compiler=$(readlink -f "$(command -v clang++)")
    for symbolizer in "$(dirname "$compiler")/llvm-symbolizer" "$(command -v llvm-symbolizer)"; do
        [ -x "$symbolizer" ] && { export ASAN_SYMBOLIZER_PATH=$symbolizer; break; }
    done
    [ -n "${ASAN_SYMBOLIZER_PATH:-}" ] ||
        echo "no llvm-symbolizer: findings show addresses only (tools/setup.sh test installs it)" >&2
fi

mkdir -p build-fuzz/findings
for fuzzer in leading_number number_text; do
    corpus=build-fuzz/corpus/$fuzzer
    mkdir -p "$corpus"
    echo "== ${fuzzer}_fuzz for ${seconds}s"
    build-fuzz/bin/${fuzzer}_fuzz -max_total_time="$seconds" -timeout=5 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
        "$corpus" "tests/fuzz/corpus/$fuzzer" 2>&1 |
        grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)|ERROR|==[0-9]+==' || true
    if ls build-fuzz/findings/* >/dev/null 2>&1; then
        echo "the fuzzer found inputs that fail: build-fuzz/findings/" >&2
        exit 1
    fi
done
