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
# What the build says matters only when it builds something.
cmake --build --preset release --target "$program" |
    { grep --line-buffered -v '^ninja: no work to do\.$' || true; }
# Outside a desktop session no one has made the user a runtime directory; without one Qt makes
# /tmp/runtime-$USER, and says so on every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$PWD/build/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
fi
exec "build/bin/$program" "$@"
