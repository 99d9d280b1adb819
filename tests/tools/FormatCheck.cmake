# Fails when clang-format would change any of the project's C++ files.
#   cmake -DROOT=<project folder> -P FormatCheck.cmake
find_program(CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
set(files)
foreach(folder src tests bench tools)
  file(GLOB_RECURSE found "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror --style=file ${files}
                WORKING_DIRECTORY "${ROOT}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Files that clang-format would change (run clang-format -i on them):\n${errors}")
endif()
list(LENGTH files count)
message(STATUS "${count} files formatted as .clang-format says")
