#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build (with the package),
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of
# the fuzzers. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh test

jobs=$(nproc)

# skip_reasons RESULTS.xml: ctest names the tests it skipped but not why; each says why in its
# output. A GoogleTest case gives the message after "Skipped", a script its last line.
skip_reasons() {
    awk '
        function decode(s) {
            gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s)
            gsub(/&apos;/, "'\''", s); gsub(/&amp;/, "\\&", s)
            return s
        }
        function report() {
            if (name == "") return
            if (reason == "" && !gtest) reason = last
            if (reason == "") reason = "(it gave no reason)"
            printf "  skipped %s: %s\n", name, reason
            name = ""
        }
        /<testcase / {
            report()
            if ($0 ~ /status="notrun"/) {
                name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
                name = decode(name)
            }
            output = after_skipped = gtest = 0; reason = last = ""
            next
        }
        name == "" { next }
        /<system-out>/ { output = 1; sub(/.*<system-out>/, "") }
        output {
            closing = sub(/<\/system-out>.*/, "")
            line = decode($0)
            if (line ~ /: Skipped$/) after_skipped = gtest = 1
            else if (line ~ /^\[/) after_skipped = 0
            else if (after_skipped && line != "") reason = reason (reason == "" ? "" : " ") line
            else if (line != "") last = line
            if (closing) output = 0
        }
        END { report() }
    ' "$1"
}

# build PRESET: what the build says matters only when it builds something.
build() {
    cmake --build --preset "$1" -j "$jobs" | { grep --line-buffered -v '^ninja: no work to do\.$' || true; }
}

# run_tests PRESET BUILD_DIR
run_tests() {
    local status=0
    ctest --preset "$1" -j "$jobs" --output-junit test-results.xml || status=$?
    [ ! -f "$2/test-results.xml" ] || skip_reasons "$2/test-results.xml"
    return "$status"
}

echo "== Release build"
cmake --preset release -DBUILD_TESTING=ON >/dev/null
build release
run_tests release build

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== Sanitizer build"
    cmake --preset asan >/dev/null
    build asan
    run_tests asan build-asan

    echo "== Fuzzers"
    tools/fuzz.sh "${FUZZ_SECONDS:-15}"
fi
