# Writes the built-in patterns for each standard into its own folder, so each
# set is at the frame size it reaches the card at, without scaling.
#   cmake -DORVANE=<orvane> -DFOLDER=<folder> -DSTAMP=<file> -P make_patterns.cmake
file(REMOVE_RECURSE "${FOLDER}")
foreach(standard ntsc pal)
  execute_process(COMMAND "${ORVANE}" patterns --standard ${standard} "${FOLDER}/${standard}"
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orvane patterns --standard ${standard} failed: ${status}")
  endif()
endforeach()
file(TOUCH "${STAMP}")
