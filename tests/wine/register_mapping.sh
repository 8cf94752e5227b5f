#!/usr/bin/env bash
# Runs mapping_probe.exe (with the stand-in VELKOR.VXD beside it) inside
# with-wine.sh and checks what it saw.
#
#   register_mapping.sh PROBE_EXE
set -uo pipefail

probe=$1
work=$(mktemp -d "$PWD/register_mapping.XXXXXX")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

timeout 60 wine "$probe" dpmi guard driver > "$work/probe.out" 2> "$work/probe.err"
rc=$?
cat "$work/probe.out"
[ "$rc" -eq 0 ] || fail "the probe ended with $rc (a crash ends with the low byte of its exception code)"
if grep -qi 'unhandled' "$work/probe.err"; then fail "Wine reported an unhandled exception"; fi
value() { sed -n "s/^$1=//p" "$work/probe.out" | tr -d '\r'; }

# DPMI: Wine's VxDCall entries are forwarders, so the fallback is not there.
case "$(value vxdcall2)" in
    "forwarder "*.*) ;;
    *) fail "kernel32's VxDCall2 is '$(value vxdcall2)', expected a forwarder under Wine" ;;
esac
[ "$(value fallback_map)" = "0 DEADBEEF" ] || fail "the fallback mapped through a forwarder: '$(value fallback_map)'"
[ "$(value without_driver)" = none ] || fail "detection without the driver got a register window"
# The call made for real: success with an address that is not the chip,
# which the identification check must refuse whether the read there faults or
# finds empty memory. A page without access must fault and be caught; where
# the CPU emulator enforces no page protection (qemu's user mode: every
# address of the process reads) the read simply succeeds, and surviving it is
# all that can be seen.
[ "$(value entry_resolved)" = 1 ] || fail "the forwarder '$(value vxdcall2)' could not be resolved"
case "$(value dpmi_call)" in
    "1 "*) ;;
    *) fail "Wine's DPMI 0800h answered '$(value dpmi_call)', expected success" ;;
esac
[ "$(value wine_address_chip)" = 0 ] || fail "a chip answered at Wine's address: $(value wine_address_read)"
if [ "$(value no_access_read)" = 0 ]; then
    [ "$(value no_access_chip)" = 0 ] || fail "a chip answered on a page without access"
    echo "the read on a page without access faulted and was caught"
else
    echo "NOTE: a page without access was read without a fault: this CPU emulator enforces no page protection"
fi
[ "$(value chain)" = intact ] || fail "the exception chain at fs:[0] changed across the guarded read"
[ "$(value survived)" = 1 ] || fail "the probe did not survive the guarded read"

# The handler, whatever the host calls the fault: stepped over at the guarded
# read (all ones read, two bytes on), passed on untouched anywhere else; a
# breakpoint is no fault of a read.
for code in C0000005 C0000006 C000001D C0000096; do
    [ "$(value "guard_${code}_guarded")" = "continue 1 2 FFFFFFFF" ] ||
        fail "the handler did not step over $code at the guarded read: '$(value "guard_${code}_guarded")'"
    [ "$(value "guard_${code}_elsewhere")" = "search 0 0 12345678" ] ||
        fail "the handler took $code raised elsewhere: '$(value "guard_${code}_elsewhere")'"
done
[ "$(value guard_80000003_guarded)" = "search 0 0 12345678" ] ||
    fail "the handler took a breakpoint at the guarded read: '$(value guard_80000003_guarded)'"

# VELKOR.VXD, the stand-in: the record it received, the address it answered.
[ "$(value driver_open)" = opened ] || fail "Wine did not open the stand-in VELKOR.VXD"
[ "$(value standin_loaded)" = 1 ] || fail "the stand-in was not loaded beside the probe"
[ "$(value map_bytes)" = 4 ] || fail "the map reported $(value map_bytes) bytes"
[ "$(value received)" = "E6000008 01000000" ] || fail "the stand-in received '$(value received)'"
[ "$(value linear_is_standin_block)" = 1 ] || fail "the linear address is not the stand-in's block"
[ "$(value read_id)" = 20114000 ] || fail "the identification read '$(value read_id)' through the window"
[ "$(value read_pll)" = 0001E30D ] || fail "the PLL word read '$(value read_pll)' through the window"
[ "$(value driver_chip)" = 1 ] || fail "the stand-in's chip did not answer"
[ "$(value zero_map)" = "4 00000000" ] || fail "the zero-address map gave '$(value zero_map)'"
[ "$(value zero_window)" = none ] || fail "a zero address gave a register window"

if [ "$failures" -ne 0 ]; then
    echo "--- probe stderr"; cat "$work/probe.err"
    exit 1
fi
rm -rf "$work"
echo PASS
