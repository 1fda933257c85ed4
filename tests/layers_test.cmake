# The subsystem folders and platform/ never include a window header (ui/) or the
# program's start-up (app/): windows use the subsystems, not the other way round.
# Run as: cmake -DVARENDO_SOURCE_DIR=<top folder> -P layers_test.cmake
# Fails listing file:line of every such include.
set(folders src/common src/database src/audio src/recorder src/playback src/library src/study platform)
set(offenders "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY "${VARENDO_SOURCE_DIR}/${folder}")
    continue() # a subsystem without code yet
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false
    "${VARENDO_SOURCE_DIR}/${folder}/*.h" "${VARENDO_SOURCE_DIR}/${folder}/*.hpp"
    "${VARENDO_SOURCE_DIR}/${folder}/*.c" "${VARENDO_SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(READ "${file}" text)
    # One list item per line: characters that are special in CMake lists go first.
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "[" "(" text "${text}")
    string(REPLACE "]" ")" text "${text}")
    string(REPLACE "\\" "/" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*(src/)?(ui|app)/")
        file(RELATIVE_PATH name "${VARENDO_SOURCE_DIR}" "${file}")
        string(STRIP "${line}" line)
        list(APPEND offenders "${name}:${number}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n" report)
  message(FATAL_ERROR "Subsystem or platform code includes a window or start-up header:\n${report}")
endif()
message(STATUS "No subsystem or platform file includes ui/ or app/.")
