#!/usr/bin/env bash
# Runs video_blocks_probe.exe inside with-wine.sh: once on Wine's DirectDraw,
# once with DDRAW.DLL taken away.
#
#   video_blocks.sh PROBE_EXE
set -uo pipefail

probe=$1
work=$(mktemp -d "$PWD/video_blocks.XXXXXX")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

timeout 120 wine "$probe" > "$work/probe.out" 2> "$work/probe.err"
rc=$?
tr -d '\r' < "$work/probe.out"
blocks=$(sed -n 's/^blocks=//p' "$work/probe.out" | tr -d '\r')
if [ "${blocks:-0}" -lt 2 ]; then
    fail "Wine's DirectDraw granted ${blocks:-no} video-memory surfaces (are Mesa's i386 GL libraries installed?)"
elif [ "$rc" -ne 0 ]; then
    fail "a pattern failed or found errors on Wine's DirectDraw (exit code $rc)"
fi
[ "$(grep -c '^pattern=.*|done|' "$work/probe.out")" = 9 ] || fail "not every pattern ran to the end"

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=" timeout 60 wine "$probe" > "$work/none.out" 2> "$work/none.err"
rc=$?
[ "$rc" -eq 2 ] || fail "without DDRAW.DLL the probe ended with $rc, expected 2 (unavailable)"
grep -q '^why=needs DirectX 3 or later' "$work/none.out" || fail "without DDRAW.DLL: '$(grep why= "$work/none.out")'"

if [ "$failures" -ne 0 ]; then
    echo "--- probe stderr"; cat "$work/probe.err"
    exit 1
fi
rm -rf "$work"
echo PASS
