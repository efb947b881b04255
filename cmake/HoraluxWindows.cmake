# The Windows build: static programs that need no DLL beside them, GoogleTest built for the
# target from Debian's sources, and the tests run under Wine through scripts/wine-safely,
# never as root and never in this machine's network (Wine hands SetLocalTime to this
# machine's clock).
add_link_options(-static)
# g++ 12 at -O2 warns of overlapping copies inside libstdc++'s own string code (GCC bug
# 105329), wrongly: the warning says nothing about our code there.
add_compile_options(-Wno-restrict)
# The program's icons, version and manifest (windres).
enable_language(RC)

set(HORALUX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# GoogleTest names its targets GTest::gtest, GTest::gmock and GTest::gtest_main itself.
add_subdirectory(${HORALUX_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# CTest runs each test program, and lists its tests, through this. The prefix lives in the
# build tree, made on first use.
set(HORALUX_WINE_HOME ${PROJECT_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PROJECT_SOURCE_DIR}/scripts/wine-safely --prefix ${HORALUX_WINE_HOME} --report-exit --)
