# The clock test's DirectDraw video memory against Wine's own DirectDraw, which
# grants video-memory surfaces only with OpenGL (Mesa's software renderer on
# the virtual display): every pattern and the chip's copies pass without an
# error; without DDRAW.DLL the test is unavailable and says why.
add_executable(video_blocks_probe ${CMAKE_CURRENT_LIST_DIR}/video_blocks_probe.cpp)
target_link_libraries(video_blocks_probe PRIVATE ${VELKOR_WIN32_LIBS})

add_test(NAME wine_video_blocks
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
          ${VELKOR_WITH_WINE} bash ${CMAKE_CURRENT_LIST_DIR}/video_blocks.sh $<TARGET_FILE:video_blocks_probe>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(wine_video_blocks PROPERTIES RESOURCE_LOCK wine TIMEOUT 300)
