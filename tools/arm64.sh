#!/usr/bin/env bash
# The programs for 64-bit Arm (a Raspberry Pi with its 64-bit Debian), built on this amd64 Debian
# machine: installs the cross compilers, the emulator and the arm64 libraries (adding arm64 as a
# foreign architecture of the package system), cross-builds into build-arm64/, runs the test
# suites through the emulator, holds the programs' results against this machine's build, and
# makes build-arm64/package/kelvane-tessaly_1.00_arm64.deb, showing what lintian says of it.
# The tests that need a real window (labels desktop and real_window) are left to a real machine.
#
# usage: tools/arm64.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh arm64

# build PRESET: what the build says matters only when it builds something.
build() {
    cmake --build --preset "$1" -j "$(nproc)" |
        { grep --line-buffered -v '^ninja: no work to do\.$' || true; }
}

# The arm64 programs are held against this machine's own (the test same_results).
echo "== This machine's build, to compare with"
[ -f build/CMakeCache.txt ] || cmake --preset release -DBUILD_TESTING=OFF >/dev/null
build release

echo "== arm64 build"
cmake --preset arm64 >/dev/null
build arm64

echo "== arm64 tests, through the emulator"
ctest --preset arm64 -j "$(nproc)"

echo "== arm64 package"
tools/package.sh arm64
