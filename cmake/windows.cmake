# Cross build for 32-bit Windows of the 9x line. Small, self-contained programs:
# no exceptions, no RTTI, static runtime, and nothing from the C++ library that
# pulls in imports Windows 98 lacks.
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-Os")
add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
# The headers of Windows 95 with no Internet Explorer: MinGW's default is
# Windows 10, whose larger structures (a cbSize that 95 refuses) and newer
# functions would otherwise compile without a word.
add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300)
# One thread only: guarded function-local statics would pull in libstdc++'s
# thread support, which imports CreateSemaphoreW and GetModuleHandleW (stubs
# that fail on the 9x line).
add_compile_options(-fno-threadsafe-statics)
add_link_options(-static-libgcc -static-libstdc++ -s)
# Each program keeps only the functions it calls: Arbolt.exe shares the core
# with Velkor.exe but none of its dialogs.
add_compile_options(-ffunction-sections)
add_link_options(-Wl,--gc-sections)

add_library(velkor_core STATIC ${VELKOR_CORE_SOURCES})
target_include_directories(velkor_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

# Win32 implementations of the platform seams, the simulated PC's Win32
# set-up and the dialog code; the program entries (*_main.cpp) choose which
# platform a program runs on.
file(GLOB VELKOR_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/sim/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/ui/win32/*.cpp)
list(FILTER VELKOR_WIN32_SOURCES EXCLUDE REGEX "_main\\.cpp$")
add_library(velkor_win32 STATIC ${VELKOR_WIN32_SOURCES})
target_link_libraries(velkor_win32 PUBLIC velkor_core)
set(VELKOR_WIN32_LIBS velkor_win32 velkor_core comctl32 shell32 advapi32 version gdi32 user32 kernel32)

set(VELKOR_RESOURCES ${CMAKE_SOURCE_DIR}/res/velkor.rc)

# The programs that ship start in src/runtime/ instead of MinGW's start-up
# code, which needs msvcrt.dll: Windows 95 does not have it. libmingwex and
# libgcc add the helpers the compiler calls (64-bit division, stack probes,
# floor, fmod) without any import. The test programs keep the C runtime.
add_library(velkor_no_crt OBJECT
  ${CMAKE_SOURCE_DIR}/src/runtime/no_crt_entry.cpp
  ${CMAKE_SOURCE_DIR}/src/runtime/no_crt_memory.cpp)
target_include_directories(velkor_no_crt PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/runtime/no_crt_memory.cpp PROPERTIES
  COMPILE_OPTIONS "-ffreestanding;-fno-builtin;-fno-tree-loop-distribute-patterns")
function(velkor_link_without_crt target)
  target_link_libraries(${target} PRIVATE velkor_no_crt velkor_core mingwex gcc)
  target_link_options(${target} PRIVATE -nostdlib -nostartfiles -Wl,--entry=_NoCrtEntry)
endfunction()

add_executable(Velkor WIN32 ${CMAKE_SOURCE_DIR}/src/ui/win32/velkor_main.cpp ${VELKOR_RESOURCES})
target_link_libraries(Velkor PRIVATE ${VELKOR_WIN32_LIBS})
velkor_link_without_crt(Velkor)

add_executable(velkor-sim WIN32 ${CMAKE_SOURCE_DIR}/src/ui/win32/velkor_sim_main.cpp ${VELKOR_RESOURCES})
target_link_libraries(velkor-sim PRIVATE ${VELKOR_WIN32_LIBS})
velkor_link_without_crt(velkor-sim)

# Arbolt.exe, the log-on companion that sets kept clocks again, and
# arbolt-sim.exe on the simulated PC. No window: only the icon and the
# version block.
set(ARBOLT_RESOURCES ${CMAKE_SOURCE_DIR}/res/arbolt.rc)
add_executable(Arbolt WIN32 ${CMAKE_SOURCE_DIR}/src/ui/win32/arbolt_main.cpp ${ARBOLT_RESOURCES})
target_link_libraries(Arbolt PRIVATE ${VELKOR_WIN32_LIBS})
velkor_link_without_crt(Arbolt)
add_executable(arbolt-sim WIN32 ${CMAKE_SOURCE_DIR}/src/ui/win32/arbolt_sim_main.cpp ${ARBOLT_RESOURCES})
target_link_libraries(arbolt-sim PRIVATE ${VELKOR_WIN32_LIBS})
velkor_link_without_crt(arbolt-sim)
# The yardstick of Arbolt's start-to-exit benchmark (scripts/bench-arbolt.sh).
add_executable(do-nothing WIN32 ${CMAKE_SOURCE_DIR}/tools/bench/do_nothing_main.cpp)
velkor_link_without_crt(do-nothing)
# The clock test engine as the programs above build it, beside `rep movsd`,
# under Wine (scripts/bench-memtest.sh --wine).
add_executable(memtest-bench-486 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/bench/memtest_bench_486.cpp)
target_link_libraries(memtest-bench-486 PRIVATE velkor_core)

include(${CMAKE_SOURCE_DIR}/cmake/installer.cmake)

enable_testing()
add_subdirectory(tests/wine)
add_subdirectory(tests/e2e)
