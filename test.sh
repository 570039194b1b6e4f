#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build (with the package),
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of
# the fuzzers. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh test

jobs=$(nproc)

# skip_reasons RESULTS.xml: ctest names the tests it skipped but not why; each says why in its
# output. A GoogleTest case gives the reason after "Skipped", a script its last line.
skip_reasons() {
    python3 - "$1" <<'EOF'
import sys, xml.etree.ElementTree as tree
for case in tree.parse(sys.argv[1]).iter("testcase"):
    if case.get("status") != "notrun":
        continue
    lines = [line.strip() for line in (case.findtext("system-out") or "").splitlines()]
    reason, taking = [], False
    for line in lines:
        if line.endswith(": Skipped"):
            taking = True
        elif line.startswith("["):
            taking = False
        elif taking and line:
            reason.append(line)
    last = next((line for line in reversed(lines) if line), "")
    print(f"  skipped {case.get('name')}: {' '.join(reason) or last or '(it gave no reason)'}")
EOF
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
