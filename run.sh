#!/usr/bin/env bash
# Builds Velkor and runs it: velkor-sim.exe under Wine on a simulated PC with a
# TNT2 board at its default clocks. Extra arguments go to the program; set
# VELKOR_SIM to choose another machine (see README.md).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2 >/dev/null
cmake -S . -B build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/cross -j2 >/dev/null

exec scripts/run-sim.sh "$@"
