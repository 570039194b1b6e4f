#!/usr/bin/env bash
# Installs what is missing, and nothing that is already there. A second run finds everything in
# place and never touches the network.
#
# usage: tools/setup.sh [run|test]
#   run  (the default): what building and running the programs needs
#   test: that, and the tools of the tests, the sanitizer and fuzz builds and the package
set -euo pipefail

run_packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-qpa-plugins
              libxcb1-dev pkg-config fonts-dejavu-core fonts-dejavu-extra fonts-liberation)
test_packages=(clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
               xvfb xdotool x11-utils imagemagick openbox wmctrl
               desktop-file-utils appstream lintian dpkg-dev file fakeroot xclip)

case "${1:-run}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: $0 [run|test]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" </dev/null
fi
