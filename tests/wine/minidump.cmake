# Minidumps under Wine: a crashing host that links the crash code, binaries planted in the current directory,
# and checks that read each dump with winedump (Debian wine64-tools), an independent reader.
add_executable(dump_host ${CMAKE_CURRENT_SOURCE_DIR}/dump/dump_host.cpp $<TARGET_OBJECTS:setupaid_logic>)
target_include_directories(dump_host PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dump_host PRIVATE setupaid_platform)

add_library(planted_dbghelp SHARED ${CMAKE_CURRENT_SOURCE_DIR}/dump/planted_dbghelp.cpp)
set_target_properties(planted_dbghelp PROPERTIES PREFIX "")
add_dependencies(wine_tests dump_host planted_dbghelp reporter)

foreach(scenario module_writes reporter_writes reporter_refuses)
  add_test(NAME wine.minidump.${scenario}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/minidump_check.py ${scenario}
                   ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/minidump-checks/${scenario})
  set_tests_properties(wine.minidump.${scenario} PROPERTIES
    ENVIRONMENT "SETUPAID_WINEPREFIX=${SETUPAID_WINEPREFIX};SETUPAID_WINE_RUN=${SETUPAID_WINE_RUN}"
    FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT 300)
endforeach()

# The timing and size benchmark (bench/minidump_wine.sh runs it).
add_executable(minidump_bench ${CMAKE_SOURCE_DIR}/bench/minidump_wine.cpp $<TARGET_OBJECTS:setupaid_logic>)
target_include_directories(minidump_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(minidump_bench PRIVATE setupaid_platform)
