#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build, the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of the fuzzers.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Release build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== Sanitizer build"
    export ASAN_OPTIONS=detect_leaks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/leak_suppressions.txt:print_suppressions=0
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKT_SANITIZE=ON \
        -DKT_BENCHMARKS=OFF >/dev/null
    cmake --build build-asan -j "$jobs"
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900

    echo "== Fuzzers"
    tools/fuzz.sh "${FUZZ_SECONDS:-15}"
fi
