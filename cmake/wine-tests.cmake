# End-to-end suites of the real DLL and programs under Wine (win64 build only).
#
# Every Windows test program runs through cmake/wine-run.sh in this build tree's own prefix
# (build/win64/wineprefix), created on first use with the crash debugger disabled. A CTest fixture keeps one
# wineserver alive for the whole run and stops it afterwards. The Wine suites run serially.

set(SETUPAID_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(SETUPAID_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env SETUPAID_WINEPREFIX=${SETUPAID_WINEPREFIX} ${SETUPAID_WINE_RUN})

add_test(NAME wine.server.start COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start-server)
add_test(NAME wine.server.stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop-server)
set_tests_properties(wine.server.start PROPERTIES FIXTURES_SETUP wine RUN_SERIAL TRUE)
set_tests_properties(wine.server.stop PROPERTIES FIXTURES_CLEANUP wine RUN_SERIAL TRUE)

# GoogleTest for Windows, from the sources Debian ships (needs the posix-thread-model compilers).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Registers a GoogleTest program of the Wine suites: its tests are listed through Wine when ctest runs.
function(setupaid_add_wine_gtest target)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "wine."
    PROPERTIES RUN_SERIAL TRUE FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()

add_subdirectory(tests/wine)
