# The layers, lowest first: src/common, the subsystems (src/database, audio,
# recorder, playback, library, study), platform/, src/ui, src/app. A file includes
# only from its own layer and the layers below it, and the windows see neither
# SQLite's nor GStreamer's headers: they reach them through the subsystems and the
# platform services (the desktop too: launchers, the default program, the version).
# In tests/, bench/ and fuzz/ no file includes by a "../" path: what the tests
# share lives in tests/support.
# Run as: cmake -DVARENDO_SOURCE_DIR=<top folder> -P layers_test.cmake
# Fails listing file:line of every include against the order.
set(subsystems database audio recorder playback library study)
set(platform gstreamer desktop gsm)
list(JOIN subsystems "|" subsystem_names)
list(JOIN platform "|" platform_names)

set(offenders "")
# check(<what the folders may not include> <folder>...): an include line matching
# the pattern (after #include) is an offence.
function(check forbidden)
  foreach(folder IN LISTS ARGN)
    if(NOT IS_DIRECTORY "${VARENDO_SOURCE_DIR}/${folder}")
      continue() # a layer without code yet
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
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*${forbidden}")
          file(RELATIVE_PATH name "${VARENDO_SOURCE_DIR}" "${file}")
          string(STRIP "${line}" line)
          list(APPEND offenders "${name}:${number}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(offenders "${offenders}" PARENT_SCOPE)
endfunction()

set(ours "[<\"](\\.\\./)*(src/|platform/)?")
check("${ours}(${subsystem_names}|${platform_names}|ui|app)/" src/common)
foreach(subsystem IN LISTS subsystems)
  list(APPEND subsystem_folders src/${subsystem})
endforeach()
check("${ours}(${platform_names}|ui|app)/" ${subsystem_folders})
check("${ours}(ui|app)/" platform)
check("${ours}(${platform_names}|app)/" src/ui)
check("<(sqlite3\\.h|gst/)" src/ui)
# What tests share lives in tests/support; a test folder never reaches into another.
check("\"\\.\\./" tests bench fuzz)

if(offenders)
  list(JOIN offenders "\n" report)
  message(FATAL_ERROR "Includes against the layers (common, subsystems, platform, ui, app):\n${report}")
endif()
message(STATUS "Every include keeps to the layers (common, subsystems, platform, ui, app).")
