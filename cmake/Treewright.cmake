# What a target may include is what it links. Each library sees its own folder's headers and those
# of what it links, through a folder of links in the build tree made for it; no target sees all of
# src/, so an include across the layers that the link graph forbids fails to compile.
function(tw_header_view target)
  cmake_parse_arguments(ARG "" "SCOPE" "HEADERS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(view ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view}/${folder})
  foreach(header ${ARG_HEADERS})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${name} ${view}/${folder}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${ARG_SCOPE} ${view})
endfunction()

# One static library per source folder; its sources are every file in the folder, so adding a
# class never means touching a build file. PUBLIC names what the library's headers need,
# PRIVATE what only its sources use.
function(tw_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  tw_header_view(${name} SCOPE PUBLIC HEADERS ${headers})
  target_compile_options(${name} PRIVATE ${TW_WARNINGS})
  target_compile_definitions(${name} PRIVATE ${TW_STRICT_STRINGS})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# The operation set a subsystem offers the others: its abstract classes and the plain types they
# use, named in HEADERS. Other subsystems link this, never the subsystem's own library; the
# program composes the concrete ones.
function(tw_api name)
  cmake_parse_arguments(ARG "" "" "HEADERS;DEPS" ${ARGN})
  add_library(${name} INTERFACE)
  tw_header_view(${name} SCOPE INTERFACE HEADERS ${ARG_HEADERS})
  target_link_libraries(${name} INTERFACE ${ARG_DEPS})
endfunction()

# One test program per tests/ folder, each test registered with ctest on its own and labelled
# for a quick run: LABEL is unit or window; tests named ...DeviceTest need a sound server
# (label device), those of a ...LargeTest suite build a large tree (label large).
#   ctest -LE 'device|large'    leaves the slow ones out
function(tw_test folder)
  cmake_parse_arguments(ARG "" "LABEL" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  set(target tests_${folder})
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE ${TW_WARNINGS})
  target_link_libraries(${target} PRIVATE tw_test_main ${ARG_DEPS} GTest::gtest Qt6::Test)
  # Where the folder's expected files lie, whatever path the compiler was handed (a compiler cache
  # may hand it a relative one).
  target_compile_definitions(${target} PRIVATE TW_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
  foreach(kind "${ARG_LABEL}:-*DeviceTest.*:*LargeTest.*" "device:*DeviceTest.*" "large:*LargeTest.*")
    string(REPLACE ":" ";" kind "${kind}")
    list(POP_FRONT kind label)
    string(REPLACE ";" ":" filter "${kind}")
    # Each property holds one value: a list would not survive the discovery.
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_FILTER "${filter}"
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                                    ENVIRONMENT_MODIFICATION "TREEWRIGHT_HOME=set:${CMAKE_CURRENT_BINARY_DIR}/home_${folder}"
                                    LABELS ${label})
  endforeach()
endfunction()

# The program's own files that lie beside it (help page, ...): the build copies them into the
# program folder, the install puts them beside the installed program.
function(tw_program_files target)
  set(outputs)
  foreach(source ${ARGN})
    get_filename_component(name ${source} NAME)
    get_filename_component(path ${source} ABSOLUTE)
    add_custom_command(OUTPUT ${TW_PROGRAM_DIR}/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${path} ${TW_PROGRAM_DIR}/${name}
                       DEPENDS ${path} VERBATIM)
    list(APPEND outputs ${TW_PROGRAM_DIR}/${name})
    install(FILES ${path} DESTINATION ${TW_INSTALL_PROGRAM_DIR})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
