# tvdinfo for Linux, and its tests: the decoder and the reports against files the module's own writer produced
# (the writer runs here against the fake platform).
add_library(tvdinfo_decoder OBJECT ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_decoder.cpp
                                   ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_report.cpp)
target_include_directories(tvdinfo_decoder PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(tvdinfo ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvdinfo.cpp)
target_link_libraries(tvdinfo PRIVATE tvdinfo_decoder)

file(GLOB TVDINFO_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/tvdinfo/*_test.cpp)
add_executable(tvdinfo_tests ${TVDINFO_TEST_SOURCES})
target_link_libraries(tvdinfo_tests PRIVATE tvdinfo_decoder setupaid_logic setupaid_fakes GTest::gtest_main)
gtest_discover_tests(tvdinfo_tests DISCOVERY_TIMEOUT 60)

# The program itself, with the exit codes scripts rely on.
add_test(NAME tvdinfo.exit_codes
         COMMAND ${CMAKE_SOURCE_DIR}/tools/tvdinfo/check_exit_codes.sh $<TARGET_FILE:tvdinfo>
                 ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvdinfo.cpp)
