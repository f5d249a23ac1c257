add_executable(modcall ${CMAKE_SOURCE_DIR}/tools/modcall/modcall.cpp ${CMAKE_SOURCE_DIR}/tools/modcall/arguments.cpp)
target_include_directories(modcall PRIVATE ${CMAKE_SOURCE_DIR})
