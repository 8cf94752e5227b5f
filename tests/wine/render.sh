#!/usr/bin/env bash
# Runs render_probe.exe inside with-wine.sh: once on Wine's Direct3D, once
# with DDRAW.DLL taken away.
#
#   render.sh PROBE_EXE
set -uo pipefail

probe=$1
work=$(mktemp -d "$PWD/render.XXXXXX")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# RENDER_STEP_SECONDS=N also times one graphics core step of N seconds.
timeout 300 wine "$probe" "${RENDER_PICTURE:-}" ${RENDER_STEP_SECONDS:+"$RENDER_STEP_SECONDS"} > "$work/probe.out" 2> "$work/probe.err"
rc=$?
tr -d '\r' < "$work/probe.out"
value() { sed -n "s/^$1=//p" "$work/probe.out" | tr -d '\r'; }
if [ "$(value open)" != 1 ]; then
    fail "Wine's Direct3D did not open: '$(value why)' (are Mesa's i386 GL libraries installed?)"
elif [ "$rc" -ne 0 ]; then
    fail "the frames differ, show too few colours or the FPU setting changed (exit code $rc)"
fi
[ "$(value differing1)" = 0 ] && [ "$(value differing2)" = 0 ] || fail "three renders of the scene are not equal"
[ "$(value fpu)" = kept ] || fail "Direct3D left the floating-point control word changed"

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=" timeout 60 wine "$probe" > "$work/none.out" 2> "$work/none.err"
rc=$?
[ "$rc" -eq 2 ] || fail "without DDRAW.DLL the probe ended with $rc, expected 2 (unavailable)"
grep -q '^why=needs DirectX 6 or later' "$work/none.out" || fail "without DDRAW.DLL: '$(grep why= "$work/none.out")'"

if [ "$failures" -ne 0 ]; then
    echo "--- probe stderr"; tail -n 40 "$work/probe.err"
    exit 1
fi
rm -rf "$work"
echo PASS
