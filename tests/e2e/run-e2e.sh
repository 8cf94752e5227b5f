#!/usr/bin/env bash
# Runs velkor-e2e.exe under Wine (inside tests/wine/with-wine.sh) and passes
# on its report and exit code. Paths given as Unix paths are handed to Wine
# as Z: paths. With VELKOR_E2E_DESKTOP=1 the driver runs in a Wine virtual
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
    report=$(mktemp)
    timeout 1100 wine explorer /desktop=velkor,1024x768 "$(winpath "$driver")" "${args[@]}" \
        --log "$(winpath "$report")" >"$log" 2>&1
    # explorer passes on neither the output nor the exit code: the report's last line tells.
    cat "$report" >>"$log"
    grep -q ' 0 failed$' "$report" && rc=0 || rc=1
    rm -f "$report"
else
    timeout 1100 wine "$driver" "${args[@]}" >"$log" 2>&1
    rc=$?
fi
grep -v -e '^[0-9a-f]*:fixme:' -e '^[0-9a-f]*:err:' "$log"
rm -f "$log"
exit $rc
