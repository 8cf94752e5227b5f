# Native build: core library, unit tests, velkor-pll.
option(VELKOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(VELKOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(velkor_core STATIC ${VELKOR_CORE_SOURCES})
target_include_directories(velkor_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

file(GLOB VELKOR_PLL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/velkor-pll/*.cpp)
if(VELKOR_PLL_SOURCES)
  add_executable(velkor-pll ${VELKOR_PLL_SOURCES})
  target_link_libraries(velkor-pll PRIVATE velkor_core)
endif()

# The video memory test engine beside memcpy (scripts/bench-memtest.sh).
add_executable(memtest-bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/bench/memtest_bench.cpp)
target_link_libraries(memtest-bench PRIVATE velkor_core)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB VELKOR_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(velkor_unit_tests ${VELKOR_UNIT_TEST_SOURCES})
target_include_directories(velkor_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(velkor_unit_tests PRIVATE velkor_core GTest::gtest GTest::gtest_main)
add_test(NAME unit COMMAND velkor_unit_tests)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/native/CMakeLists.txt)
  add_subdirectory(tests/native)
endif()
