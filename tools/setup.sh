#!/usr/bin/env bash
# Installs what building and testing need, and nothing that is already there.
# A second run finds everything installed and never touches the network.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xdotool x11-utils imagemagick fonts-dejavu-core
          fonts-liberation libxcb1-dev pkg-config openbox wmctrl)

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
