# GoogleTest for the cross-built test programs, for every topic here (the
# name sorts first, so the targets exist before any topic links them).
# MinGW's win32 thread model has no std::mutex: gtest_single_thread.h stands
# in for the one class that needs it.
if(NOT TARGET gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest_single_thread.h)
  # Third-party code: its warnings are not ours to fix.
  target_compile_options(gtest PRIVATE -Wno-error)
  target_compile_options(gtest_main PRIVATE -Wno-error)
endif()
