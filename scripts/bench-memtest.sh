#!/usr/bin/env bash
# The video memory test engine's speed beside a plain copy of the same buffer
# in the same run (not part of the tests).
#
#   scripts/bench-memtest.sh [MIB] [ROUNDS]         natively, beside memcpy (default 64 MiB, best of 5).
#       Goal: at least half of memcpy's MB/s over 64 MiB; ends with 4 when the engine is slower.
#       Built without the sanitizers the unit tests use, in a folder of its own.
#   scripts/bench-memtest.sh --wine [MIB] [ROUNDS]  the 486 build that ships, beside `rep movsd`,
#       under Wine (default 64 MiB, best of 3; uses build/cross).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --wine ]; then
    shift
    build=${VELKOR_BUILD:-$root/build/cross}
    cmake --build "$build" -j2 --target memtest-bench-486 >/dev/null
    cd "$build"
    export VELKOR_BENCH_ARGS="${1:-64} ${2:-3}"
    "$root/tests/wine/with-wine.sh" bash -c '
        out=$(mktemp "$PWD/memtest-bench.XXXXXX")
        timeout 1200 wine memtest-bench-486.exe $VELKOR_BENCH_ARGS >"$out" 2>&1
        rc=$?
        tr -d "\r" <"$out"
        rm -f "$out"
        exit $rc'
    exit
fi
build=${VELKOR_BENCH_BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELKOR_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target memtest-bench >/dev/null
"$build/memtest-bench" "${1:-64}" "${2:-5}"
