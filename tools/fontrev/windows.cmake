add_executable(fontrev ${CMAKE_SOURCE_DIR}/tools/fontrev/fontrev.cpp ${CMAKE_SOURCE_DIR}/tools/fontrev/report.cpp
                       ${CMAKE_SOURCE_DIR}/installer/font_revision.cpp)
target_include_directories(fontrev PRIVATE ${CMAKE_SOURCE_DIR})
