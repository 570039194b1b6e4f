#!/usr/bin/env bash
# Installs what is missing, and nothing that is already there. A second run finds everything in
# place and never touches the network. Before it installs, it says in one line how many packages
# come, how much they take, and why; then it shows apt's progress, and apt's full output only if
# apt fails. Nothing asks a question: the continuous integration has no standard input.
#
# usage: tools/setup.sh [run|test|arm64]
#   run  (the default): what building and running the programs needs
#   test: that, and the tools of the tests, the sanitizer and fuzz builds and the package
#   arm64: that, and the cross build for 64-bit Arm with its emulator (tools/arm64.sh); this adds
#          arm64 as a foreign architecture to the machine's package system
set -euo pipefail

# To build and run. qt6-wayland lets the programs open their windows on a Wayland session;
# libboost-dev gives Tessaly's significance test Student's t distribution, in headers alone;
# libgif-dev writes Kelvane's animation.
run_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-wayland libxcb1-dev libboost-dev libgif-dev
    fonts-dejavu-core fonts-dejavu-extra fonts-liberation
)
# To test, one line per purpose; a new test tool joins the line it belongs to.
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev                # the unit tests and benchmarks
    clang libclang-rt-14-dev llvm-14                          # fuzzers, and their symbolizer
    xvfb xdotool x11-utils imagemagick openbox wmctrl xclip   # real windows on an X server
    faketime                                                  # a real run, sped up
    tmux                                                      # a real terminal of a set width
    weston xwayland                                           # real windows on Wayland
    at-spi2-core python3-pyatspi dbus dbus-x11                # accessibility, session buses
    desktop-file-utils appstream lintian dpkg-dev file fakeroot   # the package
)
# To cross-build for arm64 and run what was built through the emulator: the cross compilers and
# binutils, and the arm64 builds of the libraries the programs and tests link.
arm64_packages=(
    g++-aarch64-linux-gnu binutils-aarch64-linux-gnu qemu-user-static
    qt6-base-dev:arm64 qt6-svg-dev:arm64 libxcb1-dev:arm64 libgif-dev:arm64 libboost-dev:arm64
    libgtest-dev:arm64 libgmock-dev:arm64
)

case "${1:-run}" in
    run) groups=(run) ;;
    test) groups=(run test) ;;
    arm64) groups=(run test arm64) ;;
    *)
        echo "usage: $0 [run|test|arm64]" >&2
        exit 2
        ;;
esac

missing=() reasons=()
native=$(dpkg --print-architecture)
for group in "${groups[@]}"; do
    declare -n wanted="${group}_packages"
    before=${#missing[@]}
    for p in "${wanted[@]}"; do
        # A package removed but for its configuration files counts as missing. A name without
        # an architecture means this machine's own (or none, for data), even where the package
        # of another architecture is installed as well.
        arch=${p#*:}
        [ "$arch" != "$p" ] || arch=$native
        instances=$(dpkg-query -W -f '|${Architecture} ${db:Status-Abbrev}|' "$p" 2>/dev/null || true)
        [[ $instances == *"|$arch ii |"* || $instances == *"|all ii |"* ]] || missing+=("$p")
    done
    if [ ${#missing[@]} -gt "$before" ]; then
        case $group in
            run) reasons+=("to build and run the programs") ;;
            test) reasons+=("to test them") ;;
            arm64) reasons+=("to build them for arm64") ;;
        esac
    fi
    unset -n wanted
done
[ ${#missing[@]} -gt 0 ] || exit 0

# sudo clears the environment: the setting goes on its command line.
as_root=(env)
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt_get() {
    "${as_root[@]}" DEBIAN_FRONTEND=noninteractive LC_ALL=C apt-get "$@" </dev/null
}

# The arm64 libraries come from the same archive once dpkg takes arm64 as a second architecture.
if [[ " ${groups[*]} " == *" arm64 "* ]] &&
    [[ $'\n'"$(dpkg --print-foreign-architectures)"$'\n' != *$'\n'arm64$'\n'* ]]; then
    echo "Adding arm64 as a foreign architecture of this machine's package system."
    "${as_root[@]}" dpkg --add-architecture arm64
fi
apt_get update -qq

# apt's own figures for what it would do, before it does it. (--assume-no is no dry run: apt
# asks nothing when it installs only what it was given, and goes ahead.)
plan=$(apt_get install --print-uris --no-install-recommends "${missing[@]}" 2>&1 || true)
count=$(sed -nE 's/^([0-9]+) upgraded, ([0-9]+) newly installed.*/\1 \2/p' <<<"$plan" |
    awk '{print $1 + $2}')
download=$(sed -nE 's|^Need to get ([0-9.,]+ [kMG]?B)[ /].*|\1|p' <<<"$plan")
disk=$(sed -nE 's/^After this operation, ([0-9.,]+ [kMG]?B) .*/\1/p' <<<"$plan")
if [ -z "$count" ]; then
    # apt cannot resolve them: its own words say why.
    echo "$plan" >&2
    exit 1
fi
reason=${reasons[0]}
for ((i = 1; i < ${#reasons[@]}; i++)); do
    if [ $((i + 1)) -eq ${#reasons[@]} ]; then reason+=" and ${reasons[i]}"; else reason+=", ${reasons[i]}"; fi
done
noun=packages
[ "$count" -ne 1 ] || noun=package
echo "Installing $count $noun $reason: ${download:-0 B} to download, ${disk:-0 B} on disk."
echo "  asked for: ${missing[*]}"

# apt reports its progress on descriptor 3; everything else goes to a log shown only on failure.
log=$(mktemp)
show_progress() {
    local kind percent phase shown=
    while IFS=: read -r kind _ percent _; do
        case $kind in
            dlstatus) phase=downloading ;;
            pmstatus) phase=installing ;;
            *) continue ;;
        esac
        percent=${percent%%.*}
        if [ -t 1 ]; then
            printf '\r  %s %3d%%' "$phase" "$percent"
        elif [ "$phase" != "$shown" ]; then
            echo "  $phase"
        fi
        shown=$phase
    done
    [ ! -t 1 ] || [ -z "$shown" ] || printf '\r\033[K'
}
start=$SECONDS
if apt_get install -y -q --no-install-recommends -o APT::Status-Fd=3 -o Dpkg::Use-Pty=0 \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
    "${missing[@]}" 3>&1 >"$log" 2>&1 | show_progress; then
    rm -f "$log"
    echo "  installed in $((SECONDS - start)) s"
else
    echo "apt-get failed; the last of what it said (all of it in $log):" >&2
    tail -n 30 "$log" >&2
    exit 1
fi
