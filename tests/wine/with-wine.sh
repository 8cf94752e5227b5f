#!/usr/bin/env bash
# Runs a command in a throwaway Wine prefix in Windows 98 mode (or the Windows
# version VELKOR_WINE_VERSION names: win95, win98, winme), on a virtual X
# display that this script starts when there is none.
#
#   tests/wine/with-wine.sh COMMAND [ARGS...]
#
# VELKOR_WINEPREFIX names the prefix (default: ./wineprefix under the current
# folder, normally the build folder). It is made on first use and reused after;
# give each Windows version a prefix of its own.
# Inside COMMAND, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY are set;
# run Wine programs as `wine PROGRAM.exe` under `timeout`.
set -euo pipefail

prefix=${VELKOR_WINEPREFIX:-$PWD/wineprefix}
version=${VELKOR_WINE_VERSION:-win98}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

xvfb_pid=""
cleanup() {
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 140); do
        [ -e "/tmp/.X${n}-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
        xvfb_pid=""
    done
    [ -n "${DISPLAY:-}" ] || { echo "with-wine: could not start Xvfb" >&2; exit 1; }
fi

# One prefix set-up at a time; the marker says it finished (and which set-up,
# for which Windows version).
(
    flock 9
    if [ ! -e "$prefix/.velkor-ready-2-$version" ]; then
        rm -rf "$prefix"
        WINEDLLOVERRIDES="mscoree,mshtml=" timeout 180 wineboot -i >/dev/null 2>&1
        timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
        timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        timeout 60 wineserver -w >/dev/null 2>&1 || true
        # Wine's own "MS Sans Serif" and friends: without them dialogs fall back to a wider font,
        # and texts that fit on Windows 98 wrap and lose their ends.
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        touch "$prefix/.velkor-ready-2-$version"
    fi
) 9>"$prefix.lock"

"$@"
