# Fails when clang-format would change any of the project's C++ files.
#   cmake -DROOT=<project folder> [-DCLANG_FORMAT=<program>] -P FormatCheck.cmake
# The code is laid out by clang-format 14. Another major version lays out the same code
# differently, so the check runs that version only and fails, naming it, on a machine that has
# another one: a pass there would prove nothing and a failure would not be the code's.
set(WANTED_MAJOR 14)
find_program(CLANG_FORMAT NAMES clang-format-${WANTED_MAJOR} clang-format)
if(NOT CLANG_FORMAT)
  message(FATAL_ERROR "clang-format ${WANTED_MAJOR} is not installed: the Debian package clang-format-${WANTED_MAJOR} "
                      "has it (./tw installs it).")
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
set(major)
if(version MATCHES "clang-format version ([0-9]+)\\.")
  set(major ${CMAKE_MATCH_1})
endif()
if(NOT "${major}" STREQUAL "${WANTED_MAJOR}")
  message(FATAL_ERROR "${CLANG_FORMAT} is not clang-format ${WANTED_MAJOR} (it says \"${version}\"), and the code is "
                      "laid out by clang-format ${WANTED_MAJOR}: install the Debian package clang-format-${WANTED_MAJOR} "
                      "(./tw does).")
endif()
message(STATUS "Checked with ${CLANG_FORMAT}: ${version}")

set(files)
foreach(folder src tests bench tools)
  file(GLOB_RECURSE found "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror --style=file ${files}
                WORKING_DIRECTORY "${ROOT}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Files that clang-format would change (run clang-format-${WANTED_MAJOR} -i on them):\n${errors}")
endif()
list(LENGTH files count)
message(STATUS "${count} files formatted as .clang-format says")
