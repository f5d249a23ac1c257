# The fuzz build: libFuzzer targets with ASan and UBSan. Each tests/fuzz/NAME.cmake calls setupaid_add_fuzzer.
set(SETUPAID_FUZZ_SECONDS 30 CACHE STRING "How long ctest runs each fuzz target")
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# setupaid_add_fuzzer(NAME SOURCES...): builds NAME from its harness and the sources it exercises, and registers
# a bounded run that starts from tests/fuzz/corpus/NAME (when present) and fails on any crash or sanitizer report.
function(setupaid_add_fuzzer name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  set(work ${CMAKE_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${work})
  set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(NOT EXISTS ${seeds})
    set(seeds "")
  endif()
  add_test(NAME fuzz.${name}
           COMMAND ${name} -max_total_time=${SETUPAID_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=1 ${work} ${seeds})
endfunction()

file(GLOB SETUPAID_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cmake)
foreach(target IN LISTS SETUPAID_FUZZ_TARGETS)
  include(${target})
endforeach()
if(NOT SETUPAID_FUZZ_TARGETS)
  message(STATUS "No fuzz targets yet")
endif()
