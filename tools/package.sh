#!/usr/bin/env bash
# Builds the Debian package build/package/kelvane-tessaly_1.00_<arch>.deb from the release preset
# and shows what lintian says of it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh test
[ -f build/CMakeCache.txt ] || cmake --preset release -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset release | { grep --line-buffered -v '^ninja: no work to do\.$' || true; }
cpack --preset deb
deb=build/package/kelvane-tessaly_1.00_$(dpkg --print-architecture).deb
# Lintian leaves its scratch files behind in the temporary directory: it gets one of its own.
lintian_tmp=$(mktemp -d)
trap 'rm -rf "$lintian_tmp"' EXIT
TMPDIR=$lintian_tmp lintian --display-info "$deb"
echo "$deb"
