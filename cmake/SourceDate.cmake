# The one time stamp every built file carries: the last commit's time, or
# SOURCE_DATE_EPOCH when the environment sets it, so that two builds of the
# same commit, anywhere and at any time, give the same bytes. Without either
# (an unpacked source tree with no history) files keep the time of the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TARVELO_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE TARVELO_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _git_failed ERROR_QUIET)
  if(_git_failed)
    set(TARVELO_SOURCE_DATE_EPOCH "")
  endif()
endif()
if(NOT TARVELO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(STATUS "No commit time nor SOURCE_DATE_EPOCH: the build's files carry the time they were made")
  set(TARVELO_SOURCE_DATE_EPOCH "")
endif()

if(MINGW AND TARVELO_SOURCE_DATE_EPOCH)
  # GNU ld writes SOURCE_DATE_EPOCH into the PE header instead of the time
  # of the link.
  foreach(_lang C CXX)
    set(CMAKE_${_lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TARVELO_SOURCE_DATE_EPOCH})
  endforeach()
endif()
if(MINGW)
  # Where the tree was cloned must not show in any file (__FILE__, debug
  # information of the test programs).
  foreach(_lang C CXX)
    string(APPEND CMAKE_${_lang}_FLAGS " -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
  endforeach()
endif()
