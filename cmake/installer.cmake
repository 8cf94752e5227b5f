# Velkor-setup.exe, the installer for the 9x line, made with NSIS:
#   cmake --build build/cross --target installer
# Part of the default build, so the test run always has the current one. The
# maker's web address comes from res/resource.h, where Velkor's link has it.
include(${CMAKE_CURRENT_LIST_DIR}/nsis.cmake)
set(VELKOR_SETUP ${CMAKE_BINARY_DIR}/Velkor-setup.exe)
set(VELKOR_INSTALLER_DIR ${CMAKE_SOURCE_DIR}/installer)
# The checks of what the setup packs unpack it with 7-Zip (tools/nsis_packed.py).
find_program(VELKOR_7Z 7z)
if(NOT VELKOR_7Z)
  message(FATAL_ERROR "7z not found: install the Debian package p7zip-full (the setup's checks unpack it)")
endif()
# The setup's own plug-in (installer/setup_plugin.cpp), checked with what it packs.
add_library(VelkorSetup SHARED ${VELKOR_INSTALLER_DIR}/setup_plugin.cpp)
set_target_properties(VelkorSetup PROPERTIES PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/setup-plugin)  # makensis reads every DLL there
target_link_libraries(VelkorSetup PRIVATE mingwex gcc version user32 kernel32)
target_link_options(VelkorSetup PRIVATE -mwindows -nostdlib -nostartfiles -Wl,--entry=_SetupPluginEntry@12)
# -WX: a warning of makensis fails the build, as a compiler warning does.
add_custom_command(OUTPUT ${VELKOR_SETUP}
  COMMAND ${VELKOR_MAKENSIS} -V2 -WX
          -DVELKOR_EXE=$<TARGET_FILE:Velkor> -DARBOLT_EXE=$<TARGET_FILE:Arbolt>
          -DREADME=${VELKOR_INSTALLER_DIR}/ReadMe.txt -DICON=${CMAKE_SOURCE_DIR}/res/velkor.ico
          -DRESOURCE_H=${CMAKE_SOURCE_DIR}/res/resource.h -DOUTFILE=${VELKOR_SETUP}
          -DPLUGIN_DIR=$<TARGET_FILE_DIR:VelkorSetup>
          ${VELKOR_INSTALLER_DIR}/velkor.nsi
  DEPENDS Velkor Arbolt VelkorSetup ${VELKOR_MAKENSIS} ${VELKOR_INSTALLER_DIR}/velkor.nsi ${VELKOR_INSTALLER_DIR}/ReadMe.txt
          ${VELKOR_INSTALLER_DIR}/ReadMeFirst.txt ${CMAKE_SOURCE_DIR}/res/velkor.ico
          ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/velkor.rc
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${VELKOR_SETUP})
