# The settings store and boot-record tests of the native unit tests, built
# for Windows and run under Wine against the real registry, plus a check of
# what they leave there, read with reg.exe from outside the program.
set(VELKOR_UNIT_DIR ${CMAKE_SOURCE_DIR}/tests/unit)
add_executable(velkor_settings_tests
  ${VELKOR_UNIT_DIR}/registry_seam_test.cpp
  ${VELKOR_UNIT_DIR}/settings_store_test.cpp
  ${VELKOR_UNIT_DIR}/boot_store_test.cpp
  ${VELKOR_UNIT_DIR}/boot_word_test.cpp
  ${VELKOR_UNIT_DIR}/boot_restore_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/registry_under_test_win32.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/leave_records_test.cpp)
target_include_directories(velkor_settings_tests PRIVATE ${VELKOR_UNIT_DIR})
# Only the Win32 seams under test, not the whole Win32 library.
target_sources(velkor_settings_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/src/platform/win32/win32_registry.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/win32_display.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/win32_display_escape.cpp)
target_link_libraries(velkor_settings_tests PRIVATE gtest gtest_main velkor_core advapi32 gdi32 user32 kernel32)

# From the build folder, so the tests share its one Wine prefix.
add_test(NAME wine_settings
  COMMAND ${VELKOR_WITH_WINE} sh -c
    "timeout 900 wine \"$1\" >settings_tests.log 2>&1; rc=$?; cat settings_tests.log; exit $rc"
    sh $<TARGET_FILE:velkor_settings_tests>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME wine_settings_records
  COMMAND ${VELKOR_WITH_WINE} ${CMAKE_CURRENT_SOURCE_DIR}/settings_records.sh
    $<TARGET_FILE:velkor_settings_tests>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
# Both use the registry of the one shared prefix, like every Wine test.
set_tests_properties(wine_settings wine_settings_records PROPERTIES RESOURCE_LOCK wine TIMEOUT 1200)
