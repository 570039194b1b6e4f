#!/usr/bin/env bash
# Usage: ./run.sh kelvane|tessaly
set -euo pipefail
cd "$(dirname "$0")"

program=${1:-}
case "$program" in
    kelvane | tessaly) ;;
    *)
        echo "usage: $0 kelvane|tessaly" >&2
        exit 2
        ;;
esac

tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target "$program"
exec "build/bin/$program"
