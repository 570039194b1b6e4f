#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build (with the package),
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of
# the fuzzers. The builds are the presets of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh test

jobs=$(nproc)

# skip_reasons RESULTS.xml: ctest names the tests it skipped but not why; each says why last in
# its output, GoogleTest's own lines aside.
skip_reasons() {
    python3 - "$1" <<'EOF'
import sys, xml.etree.ElementTree as tree
for case in tree.parse(sys.argv[1]).iter("testcase"):
    said = [line.strip() for line in (case.findtext("system-out") or "").splitlines()
            if line.strip() and not line.lstrip().startswith("[")]
    if case.get("status") == "notrun":
        print(f"  skipped {case.get('name')}: {said[-1] if said else '(it gave no reason)'}")
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
