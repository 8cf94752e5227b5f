# Velkor.exe and Arbolt.exe on a PC without a supported board, under Wine in
# Windows 98 mode: each must end with exit code 1, show no window and not crash, both when Wine
# emulates in/out (reads give all ones) and when it refuses them (Velkor's own
# fault handler must then step over the refused instructions).
add_executable(velkor_exit_probe WIN32 ${CMAKE_CURRENT_LIST_DIR}/velkor_exit_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/velkor_exit_probe.rc)
target_link_libraries(velkor_exit_probe PRIVATE ${VELKOR_WIN32_LIBS})

foreach(mode emulated refused)
  # A display of its own, so that no other program's windows count.
  add_test(NAME velkor_exit_${mode}
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
            ${VELKOR_WITH_WINE} bash ${CMAKE_CURRENT_LIST_DIR}/velkor_exit.sh ${mode}
            $<TARGET_FILE:Velkor> $<TARGET_FILE:velkor_exit_probe> $<TARGET_FILE:Arbolt>
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(velkor_exit_${mode} PROPERTIES RESOURCE_LOCK wine TIMEOUT 300)
endforeach()
