# The argument parser knows no Windows: its tests run natively.
add_library(modcall_arguments OBJECT ${CMAKE_SOURCE_DIR}/tools/modcall/arguments.cpp)
target_include_directories(modcall_arguments PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(modcall_arguments_tests ${CMAKE_SOURCE_DIR}/tools/modcall/arguments_test.cpp)
target_link_libraries(modcall_arguments_tests PRIVATE modcall_arguments GTest::gtest_main)
gtest_discover_tests(modcall_arguments_tests)
