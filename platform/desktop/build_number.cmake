# Writes OUTPUT with the build number: the number of commits of the checkout in
# SOURCE_DIR, or 0 when it is not a git checkout. The file is touched only when the
# number changes, so a build without a new commit compiles nothing again.
# Run as: cmake -DSOURCE_DIR=<top folder> -DOUTPUT=<header> -P build_number.cmake
set(count 0)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-list --count HEAD
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(rc EQUAL 0 AND out MATCHES "^[0-9]+$")
    set(count ${out})
  endif()
endif()
set(text "#define VARENDO_BUILD_NUMBER \"${count}\"\n")
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
