#!/usr/bin/env bash
# Usage: ./run.sh kelvane|tessaly [options]
set -euo pipefail
cd "$(dirname "$0")"

program=${1:-}
case "$program" in
    kelvane | tessaly) shift ;;
    *)
        echo "usage: $0 kelvane|tessaly [options]" >&2
        exit 2
        ;;
esac

tools/setup.sh run
# A first configuration leaves the tests out, whose tools only ./test.sh installs; a build folder
# that ./test.sh configured keeps them.
if [ ! -f build/CMakeCache.txt ]; then
    cmake --preset release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build --preset release --target "$program"
exec "build/bin/$program" "$@"
