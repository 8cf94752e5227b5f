# Windows 95 (and so the rest of its line) must be able to load the programs:
# PE32 for i386, GUI subsystem, OS and subsystem version 4.0, and only imports
# that Windows 95 has (tools/win95-imports.txt): no C runtime DLL. And a 486
# must be able to run them: no instruction of a later processor
# (tools/check_pe_instructions.py). No Wine needed.
find_program(VELKOR_PYTHON3 python3 REQUIRED)
set(VELKOR_PE_CHECK ${CMAKE_SOURCE_DIR}/tools/check_pe_imports.py)
set(VELKOR_INSTRUCTION_CHECK ${CMAKE_SOURCE_DIR}/tools/check_pe_instructions.py)
set(VELKOR_WIN95_IMPORTS ${CMAKE_SOURCE_DIR}/tools/win95-imports.txt)

foreach(program Velkor velkor-sim Arbolt arbolt-sim)
  string(TOLOWER ${program} name)
  add_test(NAME pe_imports_${name}
    COMMAND ${VELKOR_PYTHON3} ${VELKOR_PE_CHECK} --allow ${VELKOR_WIN95_IMPORTS} --gui $<TARGET_FILE:${program}>)
  add_test(NAME pe_instructions_${name}
    COMMAND ${VELKOR_PYTHON3} ${VELKOR_INSTRUCTION_CHECK} $<TARGET_FILE:${program}>)
endforeach()

# The checkers themselves, on a program that breaks every rule they know.
add_executable(pe_imports_bad ${CMAKE_CURRENT_LIST_DIR}/pe_imports_bad.cpp)
target_link_libraries(pe_imports_bad PRIVATE winmm)
target_compile_options(pe_imports_bad PRIVATE -march=pentiumpro)
target_link_options(pe_imports_bad PRIVATE
  -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,1
  -Wl,--major-os-version,5 -Wl,--minor-os-version,1)
add_test(NAME pe_imports_checker
  COMMAND ${VELKOR_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/pe_imports_test.py
          ${VELKOR_PE_CHECK} ${VELKOR_WIN95_IMPORTS} $<TARGET_FILE:pe_imports_bad> ${VELKOR_INSTRUCTION_CHECK})
