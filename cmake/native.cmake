# The native build: logic + fakes + GoogleTest, with ASan and UBSan.
if(SETUPAID_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_library(setupaid_logic OBJECT ${SETUPAID_LOGIC_SOURCES})
target_include_directories(setupaid_logic PUBLIC ${CMAKE_SOURCE_DIR})

find_package(GTest REQUIRED)
include(GoogleTest)

add_subdirectory(tests/fakes)
add_subdirectory(tests/unit)

# Native tools and benchmarks register themselves here as they are added.
file(GLOB SETUPAID_NATIVE_EXTRAS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/native.cmake
                                                   ${CMAKE_SOURCE_DIR}/bench/*.cmake)
foreach(extra IN LISTS SETUPAID_NATIVE_EXTRAS)
  include(${extra})
endforeach()
