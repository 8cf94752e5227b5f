# Builds makensis, the x86 stubs, the plug-ins the setup packs (nsDialogs,
# System), the UI resources and the Modern UI 2 files from NSIS's own source,
# every Windows part of it for the 486. Run by the cross build as
#   cmake -DNSIS_DIR=... -DNSIS_VERSION=... -DNSIS_SHA256=... -DAPT_ARCHIVE_URI=scripts/apt-archive-uri.sh
#         -P cmake/build-nsis.cmake
# (see cmake/nsis.cmake). The tarball is fetched once, from the Debian
# archive that this machine's apt uses, and checked against its sha256; the
# build starts from a clean unpacked tree and installs into NSIS_DIR/install.
cmake_minimum_required(VERSION 3.20)

set(tarball ${NSIS_DIR}/nsis_${NSIS_VERSION}.orig.tar.gz)
set(source ${NSIS_DIR}/nsis-${NSIS_VERSION})
set(prefix ${NSIS_DIR}/install)
set(tools ${NSIS_DIR}/mingw-i486)
set(log ${NSIS_DIR}/build.log)

set(have "")
if(EXISTS ${tarball})
  file(SHA256 ${tarball} have)
endif()
if(NOT have STREQUAL NSIS_SHA256)
  execute_process(COMMAND bash ${APT_ARCHIVE_URI} OUTPUT_VARIABLE archive
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "NSIS: no Debian archive in this machine's apt sources to fetch the source from")
  endif()
  # Debian's upstream tarball, the same bytes as NSIS's own release.
  set(url ${archive}/pool/main/n/nsis/nsis_${NSIS_VERSION}.orig.tar.gz)
  message(STATUS "NSIS: fetching ${url}")
  file(DOWNLOAD ${url} ${tarball}.part EXPECTED_HASH SHA256=${NSIS_SHA256} STATUS status)
  list(GET status 0 code)
  if(NOT code EQUAL 0)
    file(REMOVE ${tarball}.part)
    message(FATAL_ERROR "NSIS: cannot fetch ${url}: ${status}")
  endif()
  file(RENAME ${tarball}.part ${tarball})
endif()

file(REMOVE_RECURSE ${source} ${prefix} ${tools})
file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${NSIS_DIR})

# System.dll is linked with MinGW's C runtime start-up, which imports
# msvcrt.dll (not on Windows 95) and brings CMOVcc of its own; its entry is
# DllMain and nothing of the runtime runs. Link it like the other plug-ins,
# without default libraries, plus libgcc for its 64-bit arithmetic.
set(system_script ${source}/Contrib/System/SConscript)
file(READ ${system_script} original)
string(REPLACE "nodeflib = False" "nodeflib = True" patched "${original}")
string(REPLACE "\tkernel32\n" "\tkernel32\n\tgcc\n" patched "${patched}")
string(REGEX MATCHALL "nodeflib = True|\tgcc\n" changes "${patched}")
list(LENGTH changes count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "NSIS: ${system_script} is not as expected; System.dll would need msvcrt.dll")
endif()
file(WRITE ${system_script} "${patched}")

# SCons finds the cross compiler by its prefix: these wrappers compile for
# the 486. (APPEND_CCFLAGS would reach the native makensis too, and fail.)
foreach(tool gcc g++ as ar ranlib windres)
  find_program(real_${tool} i686-w64-mingw32-${tool} REQUIRED NO_CACHE)
  set(flags "")
  if(tool MATCHES "^g")
    set(flags " -march=i486")
  endif()
  file(WRITE ${tools}/i686-w64-mingw32-${tool} "#!/bin/sh\nexec ${real_${tool}}${flags} \"$@\"\n")
  file(CHMOD ${tools}/i686-w64-mingw32-${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

find_program(scons scons REQUIRED NO_CACHE)
cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
string(REPLACE "." ";" version_parts ${NSIS_VERSION})
list(GET version_parts 0 major)
list(GET version_parts 1 minor)
message(STATUS "NSIS: building ${NSIS_VERSION} for the 486 (a few minutes, once; log: ${log})")
set(scons_command ${scons} -j${jobs} PREFIX=${prefix} XGCC_W32_PREFIX=${tools}/i686-w64-mingw32-
  VERSION=${NSIS_VERSION} VER_MAJOR=${major} VER_MINOR=${minor} VER_REVISION=0 VER_BUILD=0
  "SKIPPLUGINS=AdvSplash,Banner,BgImage,Dialer,InstallOptions,LangDLL,Library/TypeLib,Math,nsExec,NSISdl,Splash,StartMenu,UserInfo,VPatch/Source/Plugin"
  "SKIPUTILS=Library/RegTool,MakeLangId,Makensisw,NSIS Menu,SubStart,VPatch/Source/GenPat,zip2exe"
  SKIPDOC=all DOCTYPES=none install)
execute_process(COMMAND ${scons_command} WORKING_DIRECTORY ${source} OUTPUT_FILE ${log} ERROR_FILE ${log}
  RESULT_VARIABLE failed)
if(failed)
  # Once here an install stopped on a source file that was there ("No such
  # file"); a second run, which builds only what is missing, finished it. A
  # real fault fails twice.
  execute_process(COMMAND ${scons_command} WORKING_DIRECTORY ${source} OUTPUT_FILE ${log}.again
    ERROR_FILE ${log}.again RESULT_VARIABLE failed)
  file(READ ${log}.again again)
  file(APPEND ${log} "${again}")
endif()
if(failed OR NOT EXISTS ${prefix}/bin/makensis)
  file(REMOVE ${prefix}/bin/makensis)  # so that the next build tries again
  file(STRINGS ${log} lines)
  list(LENGTH lines count)
  math(EXPR first "${count} - 20")
  if(first LESS 0)
    set(first 0)
  endif()
  list(SUBLIST lines ${first} 20 tail)
  list(JOIN tail "\n" tail)
  message(FATAL_ERROR "NSIS: the build failed (${log}):\n${tail}")
endif()
