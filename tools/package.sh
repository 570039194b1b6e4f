#!/usr/bin/env bash
# Builds the Debian package BUILD_DIR/package/kelvane-tessaly_1.00_<arch>.deb and shows what
# lintian says of it: from the release preset (build/, for this machine), or from the arm64 cross
# build (build-arm64/).
#
# usage: tools/package.sh [release|arm64]
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-release} in
    release) preset=release setup=test package=deb ;;
    arm64) preset=arm64 setup=arm64 package=deb-arm64 ;;
    *)
        echo "usage: $0 [release|arm64]" >&2
        exit 2
        ;;
esac
build_dir=build
[ "$preset" = release ] || build_dir=build-$preset

tools/setup.sh "$setup"
[ -f "$build_dir/CMakeCache.txt" ] || cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset "$preset" | { grep --line-buffered -v '^ninja: no work to do\.$' || true; }
cpack --preset "$package"
architecture=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")$/\1/p' \
    "$build_dir/CPackConfig.cmake")
deb=$build_dir/package/kelvane-tessaly_1.00_${architecture:-$(dpkg --print-architecture)}.deb
# Lintian leaves its scratch files behind in the temporary directory: it gets one of its own.
lintian_tmp=$(mktemp -d)
trap 'rm -rf "$lintian_tmp"' EXIT
TMPDIR=$lintian_tmp lintian --display-info "$deb"
echo "$deb"
