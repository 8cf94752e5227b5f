#!/usr/bin/env bash
# Installs what building and testing Velkor needs on a Debian 12 machine, once.
# Sourced or run by run.sh and test.sh; quiet when everything is already there.
set -euo pipefail

# scons and zlib1g-dev build NSIS from source for the setup (cmake/nsis.cmake), p7zip-full looks inside
# the setup for the checks of what it packs, Mesa's 32-bit OpenGL lets Wine grant DirectDraw video memory.
PACKAGES=(cmake g++ libgtest-dev g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xdotool imagemagick fonts-wine
          python3 scons zlib1g-dev p7zip-full libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)

need_packages() {
    local missing=()
    for p in "${PACKAGES[@]}" qemu-user-static; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
    done
    # Wine's 32-bit loader needs a qemu that honours MAP_FIXED_NOREPLACE (bookworm's 7.2 does not: each
    # start then takes a minute); the backported one does.
    if dpkg-query -W -f='${Version}\n' qemu-user-static 2>/dev/null | grep -q '^1:7\.'; then
        missing+=("qemu-user-static")
    fi
    printf '%s\n' "${missing[@]}"
}

missing=$(need_packages)
if [ -n "$missing" ]; then
    echo "setup: installing: $(echo $missing | tr '\n' ' ')" >&2
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # Backports from the archive this machine's apt already uses: no file here names a host.
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo "deb $(bash "$(dirname "${BASH_SOURCE[0]}")/apt-archive-uri.sh") bookworm-backports main" \
            > /etc/apt/sources.list.d/velkor-backports.list
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
    apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
fi

# Some virtual machines run no 32-bit x86 code natively ("Exec format error"). Wine's 32-bit side then
# runs under qemu's user-mode emulator, registered for i386 programs through binfmt_misc.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    [ -e "$binfmt/qemu-i386" ] && echo -1 > "$binfmt/qemu-i386"
    qemu=$(readlink -f /usr/bin/qemu-i386-static)
    printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:F" \
        > "$binfmt/register"
    /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "setup: cannot run 32-bit Wine on this machine" >&2; exit 1; }
fi
