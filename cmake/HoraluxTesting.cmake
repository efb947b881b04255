# horalux_add_test(<name> LABEL <unit|net|gui|e2e> SOURCES ... [LIBS ...])
# One GoogleTest executable whose tests CTest discovers one by one under a label. Sources
# of the other platform are left out (cmake/HoraluxPlatform.cmake). A cross-built program
# is listed when the tests run, through the emulator, never while building.
function(horalux_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  horalux_platform_sources(sources ${T_SOURCES})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT "GTest::gtest_main" IN_LIST T_LIBS AND NOT T_LABEL STREQUAL "gui")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(discovery POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(discovery PRE_TEST)
  endif()
  set(properties LABELS ${T_LABEL})
  if(CMAKE_CROSSCOMPILING)
    # One Wine server for the whole run, with a display driver for windows (set up in
    # tests/CMakeLists.txt and desktop/win32/CMakeLists.txt).
    list(APPEND properties FIXTURES_REQUIRED wine_server)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ${properties}
    DISCOVERY_MODE ${discovery}
    DISCOVERY_TIMEOUT 60)
endfunction()
