# The two ways to the chip's registers, run for real under Wine in Windows 98
# mode: the DPMI fallback (kernel32's export walk, the VxDCall itself, Wine's
# unmapped answer caught by the identification check) and VELKOR.VXD through
# a stand-in driver. Both programs live in a folder of their own: the stand-in
# must not sit beside the other test programs, which expect no driver.
set(VELKOR_MAPPING_DIR ${CMAKE_CURRENT_BINARY_DIR}/register_mapping)

add_executable(mapping_probe WIN32 ${CMAKE_CURRENT_LIST_DIR}/mapping_probe.cpp)
target_link_libraries(mapping_probe PRIVATE ${VELKOR_WIN32_LIBS})
set_target_properties(mapping_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELKOR_MAPPING_DIR})

# A test fixture, never shipped: VELKOR.VXD as a PE DLL.
add_library(velkor_vxd_standin SHARED ${CMAKE_CURRENT_LIST_DIR}/velkor_vxd_standin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/velkor_vxd_standin.def)
set_target_properties(velkor_vxd_standin PROPERTIES OUTPUT_NAME VELKOR PREFIX "" SUFFIX ".VXD"
  RUNTIME_OUTPUT_DIRECTORY ${VELKOR_MAPPING_DIR})
add_dependencies(mapping_probe velkor_vxd_standin)

add_test(NAME wine_register_mapping
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
          ${VELKOR_WITH_WINE} bash ${CMAKE_CURRENT_LIST_DIR}/register_mapping.sh $<TARGET_FILE:mapping_probe>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(wine_register_mapping PROPERTIES RESOURCE_LOCK wine TIMEOUT 300)
