# makensis and the setup's stubs and plug-ins, built from NSIS's source for
# the 486 into build/cross/nsis (cmake/build-nsis.cmake): the NSIS that
# distributions ship is built for the Pentium Pro, and its System.dll needs
# msvcrt.dll, which Windows 95 lacks. The stubs and makensis are of one
# version, as they must be. Built once; later builds reuse it (delete
# build/cross/nsis to build it again).
set(VELKOR_NSIS_VERSION 3.11)
set(VELKOR_NSIS_SHA256 9643566e50357918f23c0c4afdac0be8b5305b031b3aeb69f86c17a0a7eb469d)
set(VELKOR_NSIS_DIR ${CMAKE_BINARY_DIR}/nsis)
set(VELKOR_MAKENSIS ${VELKOR_NSIS_DIR}/install/bin/makensis)

# The setup and its checks are part of every cross build: without NSIS's
# build tool the build stops here rather than leave them out.
find_program(VELKOR_SCONS scons)
if(NOT VELKOR_SCONS)
  message(FATAL_ERROR "scons not found: install the Debian packages scons and zlib1g-dev (NSIS is built from source)")
endif()

add_custom_command(OUTPUT ${VELKOR_MAKENSIS}
  COMMAND ${CMAKE_COMMAND} -DNSIS_DIR=${VELKOR_NSIS_DIR} -DNSIS_VERSION=${VELKOR_NSIS_VERSION}
          -DNSIS_SHA256=${VELKOR_NSIS_SHA256} -DAPT_ARCHIVE_URI=${CMAKE_SOURCE_DIR}/scripts/apt-archive-uri.sh
          -P ${CMAKE_SOURCE_DIR}/cmake/build-nsis.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/build-nsis.cmake ${CMAKE_SOURCE_DIR}/cmake/nsis.cmake
  COMMENT "Building NSIS ${VELKOR_NSIS_VERSION} for the 486"
  VERBATIM)
add_custom_target(nsis DEPENDS ${VELKOR_MAKENSIS})
