# fontrev for Linux: the module's reader and the tool's report, with its tests.
add_executable(fontrev ${CMAKE_SOURCE_DIR}/tools/fontrev/fontrev.cpp ${CMAKE_SOURCE_DIR}/tools/fontrev/report.cpp
                       ${CMAKE_SOURCE_DIR}/installer/font_revision.cpp)
target_include_directories(fontrev PRIVATE ${CMAKE_SOURCE_DIR})

add_executable(fontrev_tests ${CMAKE_SOURCE_DIR}/tools/fontrev/report_test.cpp
                             ${CMAKE_SOURCE_DIR}/tools/fontrev/report.cpp)
target_include_directories(fontrev_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(fontrev_tests PRIVATE GTest::gtest_main)
gtest_discover_tests(fontrev_tests)

# fontrev against an independent reader: fontTools' head.fontRevision on every font of this machine.
add_test(NAME fontrev.agrees_with_fonttools
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tools/fontrev/agrees_with_fonttools.py $<TARGET_FILE:fontrev>
                 /usr/share/fonts)
