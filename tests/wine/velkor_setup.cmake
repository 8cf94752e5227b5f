# Velkor-setup.exe under Wine in Windows 98 mode: silent installs, reinstall
# over settings and elsewhere, a boot store by the installed layout,
# uninstalls (also without the installed Arbolt.exe), both refusing while
# Velkor runs, refused folders, the companion's board check on arbolt-sim.exe,
# and one run as a user without a board who cancels. The scenarios run in the end-to-end
# driver, built a second time with them alone, so that they have a test name
# of their own. Then the Windows 95 import check and the 486 instruction check
# of the installer and what it packs, and the import check of the uninstaller
# that the install wrote.
set(VELKOR_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
file(GLOB VELKOR_INSTALLER_SCENARIOS CONFIGURE_DEPENDS ${VELKOR_E2E_DIR}/installer/*.cpp)
add_executable(velkor-e2e-installer ${VELKOR_E2E_DIR}/e2e_driver.cpp ${VELKOR_E2E_DIR}/e2e_apply_steps.cpp
  ${VELKOR_INSTALLER_SCENARIOS})
target_compile_options(velkor-e2e-installer PRIVATE -fexceptions -frtti)
target_link_libraries(velkor-e2e-installer PRIVATE velkor_core comctl32 gdi32 user32 advapi32 shell32 ole32
  uuid version kernel32)
add_dependencies(velkor-e2e-installer velkor-sim arbolt-sim installer)

add_test(NAME e2e_installer
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
          ${VELKOR_WITH_WINE} bash ${VELKOR_E2E_DIR}/run-e2e.sh $<TARGET_FILE:velkor-e2e-installer>
          --sim $<TARGET_FILE:velkor-sim>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_installer PROPERTIES RESOURCE_LOCK wine TIMEOUT 600
  FIXTURES_SETUP installed_uninstaller)

# The same list as Velkor's: its last section holds what NSIS's own code
# adds. The setup's stub and everything it packs: the uninstaller, the
# plug-ins and the programs.
add_test(NAME pe_imports_velkor-setup
  COMMAND ${VELKOR_PYTHON3} ${VELKOR_PE_CHECK} --allow ${VELKOR_WIN95_IMPORTS} --gui --packed ${VELKOR_SETUP})
add_test(NAME pe_instructions_velkor-setup
  COMMAND ${VELKOR_PYTHON3} ${VELKOR_INSTRUCTION_CHECK} --packed ${VELKOR_SETUP})
add_test(NAME pe_imports_uninstaller
  COMMAND ${VELKOR_PYTHON3} ${VELKOR_PE_CHECK} --allow ${VELKOR_WIN95_IMPORTS}
          --gui ${CMAKE_BINARY_DIR}/Uninstall-installed.exe)
set_tests_properties(pe_imports_uninstaller PROPERTIES FIXTURES_REQUIRED installed_uninstaller)
