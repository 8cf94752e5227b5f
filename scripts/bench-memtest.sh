#!/usr/bin/env bash
# The video memory test engine's speed, natively, beside memcpy's over the same
# buffer in the same run (not part of the tests). Goal: at least half of
# memcpy's MB/s over 64 MiB; the tool ends with 4 when the engine is slower.
# Built without the sanitizers the unit tests use, in a folder of its own.
#
#   scripts/bench-memtest.sh [MIB] [ROUNDS]      (default 64 MiB, best of 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELKOR_BENCH_BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELKOR_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target memtest-bench >/dev/null
"$build/memtest-bench" "${1:-64}" "${2:-5}"
