# gzip -9n, as Debian wants manual pages and changelogs: no name or time
# stamp in the header, so the same input always gives the same bytes.
#   cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P gzip_file.cmake
execute_process(COMMAND gzip -9n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${INPUT} failed: ${status}")
endif()
