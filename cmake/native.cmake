# Native build: core library, unit tests, velkor-pll.
option(VELKOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(VELKOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(velkor_core STATIC ${VELKOR_CORE_SOURCES})
target_include_directories(velkor_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

file(GLOB VELKOR_PLL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/velkor-pll/*.cpp)
add_executable(velkor-pll ${VELKOR_PLL_SOURCES})
target_link_libraries(velkor-pll PRIVATE velkor_core)

# The video memory test engine beside memcpy (scripts/bench-memtest.sh).
add_executable(memtest-bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/bench/memtest_bench.cpp)
target_link_libraries(memtest-bench PRIVATE velkor_core)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB VELKOR_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(velkor_unit_tests ${VELKOR_UNIT_TEST_SOURCES})
target_include_directories(velkor_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(velkor_unit_tests PRIVATE velkor_core GTest::gtest GTest::gtest_main)
# The resource test compiles res/velkor.rc with the MinGW resource compiler,
# as the cross build does: without it the configure stops rather than the
# test being left out.
find_program(VELKOR_WINDRES i686-w64-mingw32-windres)
if(NOT VELKOR_WINDRES)
  message(FATAL_ERROR "i686-w64-mingw32-windres not found: install the Debian package binutils-mingw-w64-i686")
endif()
add_test(NAME unit COMMAND velkor_unit_tests)
set_tests_properties(unit PROPERTIES ENVIRONMENT VELKOR_WINDRES=${VELKOR_WINDRES})

add_subdirectory(tests/native)
