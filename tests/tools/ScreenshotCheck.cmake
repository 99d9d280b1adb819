# Runs treewright-screenshot into an emptied folder and checks that it wrote a picture of the
# main window: the tool makes the README's picture and must keep working.
#   cmake -DTOOL=<treewright-screenshot> -DFOLDER=<folder> -P ScreenshotCheck.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
set(picture "${FOLDER}/treewright-demo.png")

execute_process(COMMAND "${TOOL}" "${picture}" RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "treewright-screenshot ended with ${result}:\n${output}${errors}")
endif()
if(NOT EXISTS "${picture}")
  message(FATAL_ERROR "treewright-screenshot wrote no picture:\n${output}${errors}")
endif()

# A PNG's signature is followed by its IHDR chunk, which holds the width and the height.
file(READ "${picture}" head LIMIT 24 HEX)
string(SUBSTRING "${head}" 0 32 signature)
if(NOT signature STREQUAL "89504e470d0a1a0a0000000d49484452")
  message(FATAL_ERROR "${picture} is no PNG picture (it begins ${signature})")
endif()
string(SUBSTRING "${head}" 32 8 width)
string(SUBSTRING "${head}" 40 8 height)
math(EXPR width "0x${width}")
math(EXPR height "0x${height}")
# The window is about 800 by 570 pixels at 96 dpi; it scales with the screen's dpi.
if(width LESS 600 OR height LESS 400 OR width GREATER 4000 OR height GREATER 3000)
  message(FATAL_ERROR "${picture} is ${width}x${height}, not the size of the main window")
endif()
# A window drawn with its tree, pane and references compresses to tens of kilobytes; an empty
# or single-coloured one to a few.
file(SIZE "${picture}" bytes)
if(bytes LESS 20000)
  message(FATAL_ERROR "${picture} holds only ${bytes} bytes: the window was not drawn")
endif()
message(STATUS "${picture}: ${width}x${height}, ${bytes} bytes")
file(REMOVE_RECURSE "${FOLDER}")
