# The graphics core test's Direct3D render against Wine's own Direct3D (OpenGL
# through Mesa's software renderer on the virtual display): the scene three
# times, bit for bit the same; without DDRAW.DLL it is unavailable and says why.
add_executable(render_probe ${CMAKE_CURRENT_LIST_DIR}/render_probe.cpp)
target_link_libraries(render_probe PRIVATE ${VELKOR_WIN32_LIBS})

add_test(NAME wine_render
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
          ${VELKOR_WITH_WINE} bash ${CMAKE_CURRENT_LIST_DIR}/render.sh $<TARGET_FILE:render_probe>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(wine_render PROPERTIES RESOURCE_LOCK wine TIMEOUT 300)
