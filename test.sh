#!/usr/bin/env bash
# Builds Velkor both ways and runs every test: the native unit tests (under
# AddressSanitizer and UndefinedBehaviorSanitizer), the calculator checks, and
# the Windows programs under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2
(cd build/native && ctest --output-on-failure)

cmake -S . -B build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/cross -j2
(cd build/cross && ctest --output-on-failure)
