# Velkor-setup.exe, the installer for the 9x line, made with NSIS:
#   cmake --build build/cross --target installer
# Part of the default build, so the test run always has the current one. The
# maker's web address comes from res/resource.h, where Velkor's link has it.
find_program(VELKOR_MAKENSIS makensis)
set(VELKOR_SETUP ${CMAKE_BINARY_DIR}/Velkor-setup.exe)
set(VELKOR_INSTALLER_DIR ${CMAKE_SOURCE_DIR}/installer)
if(VELKOR_MAKENSIS)
  # -WX: a warning of makensis fails the build, as a compiler warning does.
  add_custom_command(OUTPUT ${VELKOR_SETUP}
    COMMAND ${VELKOR_MAKENSIS} -V2 -WX
            -DVELKOR_EXE=$<TARGET_FILE:Velkor> -DARBOLT_EXE=$<TARGET_FILE:Arbolt>
            -DREADME=${VELKOR_INSTALLER_DIR}/ReadMe.txt -DICON=${CMAKE_SOURCE_DIR}/res/velkor.ico
            -DRESOURCE_H=${CMAKE_SOURCE_DIR}/res/resource.h -DOUTFILE=${VELKOR_SETUP}
            ${VELKOR_INSTALLER_DIR}/velkor.nsi
    DEPENDS Velkor Arbolt ${VELKOR_INSTALLER_DIR}/velkor.nsi ${VELKOR_INSTALLER_DIR}/ReadMe.txt
            ${VELKOR_INSTALLER_DIR}/ReadMeFirst.txt ${CMAKE_SOURCE_DIR}/res/velkor.ico
            ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/velkor.rc
    VERBATIM)
  add_custom_target(installer ALL DEPENDS ${VELKOR_SETUP})
else()
  message(WARNING "makensis not found (Debian package nsis): no Velkor-setup.exe")
endif()
