#!/usr/bin/env bash
# Runs velkor-e2e.exe under Wine (inside tests/wine/with-wine.sh) and passes
# on its report and exit code. Paths given as Unix paths are handed to Wine
# as Z: paths. With VELKOR_E2E_DESKTOP=1 the programs run in a Wine virtual
# desktop, which draws captions, frames and a taskbar with the tray.
set -uo pipefail

winpath() {
    case "$1" in
        /*) printf 'Z:%s' "${1//\//\\}" ;;
        *) printf '%s' "$1" ;;
    esac
}

driver=$1
shift
args=()
for a in "$@"; do args+=("$(winpath "$a")"); done

log=$(mktemp)
# With no window manager on the virtual display, Wine waits a second for one
# at every hide of a window it leaves to the window manager. Windows that
# Wine places itself hide at once. Set before any program with windows runs,
# so that Wine's tray takes it too.
timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The output goes to a file: a wineserver started here would keep a pipe open.
if [ "${VELKOR_E2E_DESKTOP:-0}" = 1 ]; then
    # Every program of this run in one virtual desktop; the prefix goes back
    # to plain windows afterwards.
    timeout 120 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v velkor /d 1024x768 /f >/dev/null 2>&1
    timeout 120 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d velkor /f >/dev/null 2>&1
fi
timeout 1100 wine "$driver" "${args[@]}" >"$log" 2>&1
rc=$?
if [ "${VELKOR_E2E_DESKTOP:-0}" = 1 ]; then
    timeout 120 wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
fi
grep -v -e '^[0-9a-f]*:fixme:' -e '^[0-9a-f]*:err:' "$log"
rm -f "$log"
exit $rc
