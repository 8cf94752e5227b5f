#!/usr/bin/env bash
# Velkor.exe on a PC without a supported board: it must end at once with exit
# code 1, show no window and not crash. Run inside with-wine.sh, on a display
# of its own.
#
#   velkor_exit.sh emulated|refused VELKOR_EXE PROBE_EXE [ARBOLT_EXE]
#
# emulated: Wine's 16-bit kernel emulates in/out (reads give all ones).
# refused:  that emulation is off, so in/out fault and Velkor's fault handler
#           must catch them.
# Where Wine itself runs on a CPU emulator (qemu's user mode) in/out fault as
# illegal instructions before Wine can emulate them, so there both modes go
# through the handler; the probe's "refused" line tells which path ran.
# PROBE_EXE (velkor_exit_probe.exe) then reports what the ports did in the same
# mode and, in the emulated mode, shows a window to prove that the window
# watcher would have seen one.
set -uo pipefail

mode=$1
velkor=$2
probe=$3
arbolt=${4:-}
here=$(cd "$(dirname "$0")" && pwd)

case $mode in
    emulated) ;;
    refused) export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;krnl386.exe16=" ;;
    *) echo "velkor_exit: unknown mode $mode" >&2; exit 2 ;;
esac

work=$(mktemp -d "$PWD/velkor_exit.$mode.XXXXXX")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

watcher=""
start_watcher() {
    rm -f "$work/$1.ready"
    python3 "$here/velkor_exit_windows.py" "$work/$1.ready" > "$work/$1.windows" 2>&1 &
    watcher=$!
    for _ in $(seq 100); do
        [ -e "$work/$1.ready" ] && return 0
        kill -0 "$watcher" 2>/dev/null || break
        sleep 0.1
    done
    echo "velkor_exit: the window watcher did not start:" >&2
    cat "$work/$1.windows" >&2
    exit 2
}
stop_watcher() {
    kill -TERM "$watcher"
    wait "$watcher" || { echo "velkor_exit: the window watcher failed" >&2; cat "$work/$1.windows" >&2; exit 2; }
    maps=$(sed -n 's/^maps=//p' "$work/$1.windows")
}

# Runs a Windows program with a watcher on the display; sets rc, seconds and maps.
run_watched() {
    local name=$1
    shift
    start_watcher "$name"
    local started=$(date +%s%N)
    timeout 60 wine "$@" > "$work/$name.out" 2> "$work/$name.err"
    rc=$?
    seconds=$(( ($(date +%s%N) - started) / 1000000 ))
    seconds="$((seconds / 1000)).$(printf '%03d' $((seconds % 1000)))"
    stop_watcher "$name"
    echo "$name: exit code $rc, $seconds s, windows shown: $maps"
}

run_watched velkor "$velkor"
[ "$rc" -eq 1 ] || fail "Velkor.exe ended with $rc, expected 1 (no board); a crash ends with the low byte of its exception code, a hang with 124"
if grep -qi 'unhandled' "$work/velkor.err"; then fail "Wine reported an unhandled exception: $(grep -i unhandled "$work/velkor.err")"; fi
[ "$maps" = 0 ] || fail "Velkor.exe showed $maps window(s): $(grep '^map' "$work/velkor.windows" | tr '\n' ' ')"

# Arbolt.exe at log-on on the same PC: the same silent end, exit code 1.
if [ -n "$arbolt" ]; then
    run_watched arbolt "$arbolt"
    [ "$rc" -eq 1 ] || fail "Arbolt.exe ended with $rc, expected 1 (no board)"
    if grep -qi 'unhandled' "$work/arbolt.err"; then fail "Wine reported an unhandled exception in Arbolt.exe"; fi
    [ "$maps" = 0 ] || fail "Arbolt.exe showed $maps window(s)"
fi

# The window control costs several seconds under emulation; the watcher and
# the display are the same in both modes, so one mode proves them.
if [ "$mode" = emulated ]; then
    run_watched probe "$probe" ports system window
else
    run_watched probe "$probe" ports system
fi
cat "$work/probe.out"
[ "$rc" -eq 0 ] || fail "the probe ended with $rc"
value() { sed -n "s/^$1=//p" "$work/probe.out" | tr -d '\r'; }
[ "$(value platform)" = 1 ] || fail "the platform id is '$(value platform)', not 1: the prefix is not in Windows 98 mode"
[ "$(value survived)" = 1 ] || fail "the probe did not survive the port accesses"
[ "$(value chain)" = intact ] || fail "the exception chain at fs:[0] changed across the port accesses"
for key in mechanism1_dword mechanism2_dword; do
    [ "$(value $key)" = FFFFFFFF ] || fail "$key is '$(value $key)', expected FFFFFFFF (no device)"
done
[ "$(value byte)" = FF ] || fail "byte is '$(value byte)', expected FF"
if [ "$mode" = refused ]; then
    [ "$(value refused)" = 1 ] || fail "with the port emulation off the ports were not refused: the fault handler was not exercised"
    [ "$(value refused_by_first_write)" = 1 ] || fail "the first write was not the refused access"
fi
# Windows 98 mode: the system directory as Wine names it for 32-bit programs.
[ "$(value system_directory)" = 'C:\windows\system32' ] || fail "system directory '$(value system_directory)'"
[ "$(value system_directory_length_ok)" = 1 ] || fail "GetSystemDirectory's length does not match the text"
# 1.2.3.400: the fourth number, 400, is 0x190 in the low word of the LS double word.
[ "$(value own_version)" = "1 00010002 00030190" ] || fail "own file version '$(value own_version)', expected 1 00010002 00030190"
[ "$(value missing_version)" = "0 DEADBEEF DEADBEEF" ] || fail "a missing file gave '$(value missing_version)', expected failure with the outputs untouched"
# No VELKOR.VXD here: the open fails with file-not-found, the map reports nothing.
[ "$(value driver_open)" = "invalid 2" ] || fail "opening VELKOR.VXD gave '$(value driver_open)', expected 'invalid 2'"
[ "$(value driver_map_bytes)" = 0 ] || fail "the map on a failed handle reported $(value driver_map_bytes) bytes"
[ "$(value window_at_zero)" = none ] || fail "a zero linear address gave a register window"
# Xvfb cannot reset its mode; the point is that the run-time look-up and call work.
case "$(value display_reset)" in 0|1) ;; *) fail "display reset gave '$(value display_reset)'" ;; esac
if [ "$mode" = emulated ]; then
    [ "$(value window)" = 1 ] || fail "the probe could not show its window"
    [ "${maps:-0}" -ge 1 ] || fail "the window watcher saw none of the probe's window: it cannot vouch that Velkor.exe showed none"
else
    [ "${maps:-0}" = 0 ] || fail "the port probe showed a window"
fi

if [ "$failures" -ne 0 ]; then
    echo "--- Velkor.exe stderr"; cat "$work/velkor.err"
    echo "--- probe stderr"; cat "$work/probe.err"
    exit 1
fi
rm -rf "$work"
echo "PASS ($mode)"
