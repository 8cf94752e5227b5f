# Cross build for 32-bit Windows with Debian's MinGW-w64 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)
# The resources (dialogs, icons, version blocks) cannot be left out: without
# the resource compiler the build stops here and says what to install.
find_program(VELKOR_WINDRES i686-w64-mingw32-windres)
if(NOT VELKOR_WINDRES)
  message(FATAL_ERROR "i686-w64-mingw32-windres not found: install the Debian package binutils-mingw-w64-i686")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The compiler's default target is the Pentium Pro: CMOVcc and FCOMI would
# stop the programs with an illegal operation on a Pentium, K6, 6x86 or
# WinChip. Everything built here, test programs included, targets the 486,
# the oldest processor Windows 95 and 98 run on (tools/check_pe_instructions.py
# checks what ships).
set(CMAKE_C_FLAGS_INIT "-march=i486")
set(CMAKE_CXX_FLAGS_INIT "-march=i486")
