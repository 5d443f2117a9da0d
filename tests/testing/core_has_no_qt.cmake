# Fails when a file of a core folder (not its ui/ folder) includes a Qt
# header or a header of the desktop layer: orvane_core is standard C++ and
# POSIX only, and a header that only Qt files include would not show it by
# failing to compile.
#   cmake -DSOURCE_DIR=<repository> -P core_has_no_qt.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(found "")
set(checked 0)
foreach(folder support wipe device avi render)
  file(GLOB files LIST_DIRECTORIES false
       "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.inc")
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${file}" lines
         REGEX "^[ \t]*#[ \t]*include[ \t]*(<Q|\"(app|controls)/|\"[a-z_]+/ui/)")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
      string(APPEND found "  ${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no core files found under ${SOURCE_DIR}")
endif()
if(found)
  message(FATAL_ERROR "core files include the desktop layer; move them into a ui/ folder:\n${found}")
endif()
message(STATUS "${checked} core files, none includes Qt")
