# HORALUX_SOURCE_DATE_EPOCH: when the sources were written, in seconds since 1970-01-01 UTC.
# The program refuses a time host's answer from before that day. It comes from the sources,
# never from the clock of the machine that builds them, so that two builds of one commit
# agree: the time of the last commit; where the sources come without their history (a
# release archive), SOURCE_DATE_EPOCH as distributions set it; else the release date below.
# Give -DHORALUX_SOURCE_DATE_EPOCH=<seconds> to choose it yourself.
set(HORALUX_RELEASE_DATE_EPOCH 1796688000)  # 2026-12-08, the date of version 1.0.0

if(NOT DEFINED HORALUX_SOURCE_DATE_EPOCH)
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(
      COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE commitEpoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
      RESULT_VARIABLE gitResult)
    execute_process(
      COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --absolute-git-dir
      OUTPUT_VARIABLE gitDir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(Git_FOUND AND gitResult EQUAL 0 AND commitEpoch MATCHES "^[0-9]+$")
    set(HORALUX_SOURCE_DATE_EPOCH ${commitEpoch})
    # A new commit (or a checkout of another) moves HEAD's log: read the date again then.
    if(EXISTS "${gitDir}/logs/HEAD")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${gitDir}/logs/HEAD")
    endif()
  elseif("$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(HORALUX_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  else()
    set(HORALUX_SOURCE_DATE_EPOCH ${HORALUX_RELEASE_DATE_EPOCH})
  endif()
endif()
if(NOT HORALUX_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "HORALUX_SOURCE_DATE_EPOCH must be whole seconds since 1970, not "
                      "'${HORALUX_SOURCE_DATE_EPOCH}'")
endif()
