# tvdinfo.exe: the same decoder and reports as the Linux build, for support engineers on Windows.
add_executable(tvdinfo ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvdinfo.cpp ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_decoder.cpp
                       ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_report.cpp)
target_include_directories(tvdinfo PRIVATE ${CMAKE_SOURCE_DIR})
