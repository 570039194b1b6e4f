#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a sandbox and checks what a user
# gets: both programs start, the desktop data validates and lies where desktops look for it, and
# lintian finds nothing to complain about.
#
# usage: package_test.sh BUILD_DIR
# The package may be for another processor (a cross build): its architecture is read from the
# programs, and KT_LAUNCHER (an emulator) then runs them.
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian readelf \
    objdump; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh test" >&2; exit 1; }
done

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no one package; cpack made: $(ls "$work")" >&2; exit 1; }
deb=${debs[0]}
architecture=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "kelvane-tessaly_1.00_$architecture.deb" ] ||
    fail "$(basename "$deb") is not named after its architecture $architecture"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes," \
    "Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $library"[\ ,]* ]] || fail "Depends lacks $library"
done

recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Recommends: $recommends"
[[ ", $recommends," == *", qt6-wayland"[\ ,]* ]] || fail "Recommends lacks qt6-wayland"

root=$work/root
dpkg -x "$deb" "$root"

# The architecture is the one the programs were built for, whatever machine built them.
for program in "$root"/usr/bin/*; do
    machine=$(readelf --file-header "$program" | sed -n 's/^ *Machine: *//p')
    case $machine in
        "Advanced Micro Devices X86-64") built_for=amd64 ;;
        AArch64) built_for=arm64 ;;
        "Intel 80386") built_for=i386 ;;
        *) built_for="unknown ($machine)" ;;
    esac
    [ "$built_for" = "$architecture" ] ||
        fail "$(basename "$program") is built for $built_for, the package says $architecture"
done
echo "Architecture: $architecture"
launcher=()
if [ "$architecture" != "$(dpkg --print-architecture)" ]; then
    read -ra launcher <<<"${KT_LAUNCHER-}"
    [ ${#launcher[@]} -gt 0 ] || fail "a package for $architecture and no KT_LAUNCHER to run it"
fi
for file in usr/bin/{kelvane,tessaly} usr/share/man/man1/{kelvane,tessaly}.1.gz \
    usr/share/applications/org.kelvanetessaly.{Kelvane,Tessaly}.desktop \
    usr/share/icons/hicolor/scalable/apps/org.kelvanetessaly.{Kelvane,Tessaly}.svg \
    usr/share/metainfo/org.kelvanetessaly.{Kelvane,Tessaly}.metainfo.xml \
    usr/share/doc/kelvane-tessaly/{copyright,changelog.gz} \
    usr/share/lintian/overrides/kelvane-tessaly; do
    [ -s "$root/$file" ] || fail "$file is not in the package"
done
unexpected=$(cd "$root" && find . -type f | grep -Ev '^\./usr/(bin|share/(applications|icons|metainfo|man|doc|lintian/overrides))/' || true)
[ -z "$unexpected" ] || fail "unexpected files: $unexpected"

# Each desktop entry names a program and an icon that the package brings.
for entry in "$root"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "$(basename "$entry") does not validate"
    exec_name=$(sed -n 's/^Exec=//p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -x "$root/usr/bin/$exec_name" ] || fail "$(basename "$entry"): no program $exec_name"
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        fail "$(basename "$entry"): no icon $icon"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the metainfo does not validate"
# The project owns no web address: the package links to none, which whoever registered it could
# fill with anything, under our names.
[ -z "$(dpkg-deb -f "$deb" Homepage)" ] || fail "the package names a homepage"
addresses=$(grep -HEo '[a-z]+://[^<" ]+' "$root"/usr/share/metainfo/* "$root"/usr/share/applications/* || true)
[ -z "$addresses" ] || fail "web addresses: $addresses"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1 || true)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# The programs start from the sandbox, without a display, and say who they are.
for pair in kelvane:Kelvane tessaly:Tessaly; do
    program=${pair%%:*} name=${pair#*:}
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "${launcher[@]}" "$root/usr/bin/$program" --version) ||
        fail "$program --version failed"
    [ "$version" = "$name 1.00" ] || fail "$program --version printed '$version'"
done

# The programs are hardened as a distribution's are: a stack canary, relocations read-only after
# loading, and the marks of control-flow protection: on x86 the landing marks (CET) before every
# function that may be called indirectly, without which only the C runtime's own two or so
# remain; on arm64 the landing marks (BTI) and return address signing (PAC) at function entries,
# without which there are none. The linker writes a program's note of these only when every
# object it links carries one, and Debian 12's C start files carry none, so the marks are what
# shows. Stack-clash probes leave nothing to read.
for program in "$root"/usr/bin/*; do
    name=$(basename "$program")
    [[ "$(readelf --dyn-syms --wide "$program")" == *" __stack_chk_fail@"* ]] ||
        fail "$name has no stack protector"
    [[ "$(readelf --program-headers --wide "$program")" == *GNU_RELRO* ]] ||
        fail "$name has no RELRO"
    [[ "$(readelf --dynamic --wide "$program")" == *BIND_NOW* ]] || fail "$name binds lazily"
    case $architecture in
        amd64 | i386)
            marks=$(objdump --disassemble --no-show-raw-insn "$program" | grep -c endbr || true)
            [ "$marks" -ge 20 ] || fail "$name has $marks control-flow marks: built without CET" ;;
        arm64)
            command -v aarch64-linux-gnu-objdump >/dev/null ||
                { fail "missing aarch64-linux-gnu-objdump: run tools/arm64.sh"; continue; }
            marks=$(aarch64-linux-gnu-objdump --disassemble --no-show-raw-insn "$program" |
                grep -cE $'\t(bti|paciasp)' || true)
            [ "$marks" -ge 20 ] ||
                fail "$name has $marks control-flow marks: built without branch protection" ;;
    esac
done

# Lintian, down to the informational tags; data/lintian-overrides says why the remaining ones stay.
# Its scratch files stay behind, so they go to the sandbox.
mkdir "$work/tmp"
if ! TMPDIR=$work/tmp lintian --fail-on error,warning,info --display-info "$deb" >"$work/lintian.log" 2>&1; then
    fail "lintian:"
    cat "$work/lintian.log" >&2
fi

finish_checks "package"
