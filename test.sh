#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build (with the package),
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of
# the fuzzers. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh test

jobs=$(nproc)

echo "== Release build"
cmake --preset release -DBUILD_TESTING=ON >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== Sanitizer build"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$jobs"
    ctest --preset asan -j "$jobs"

    echo "== Fuzzers"
    tools/fuzz.sh "${FUZZ_SECONDS:-15}"
fi
