# Benchmark of the font revision reader (run by hand: build/native/font_revision_bench).
find_package(benchmark REQUIRED)
add_executable(font_revision_bench ${CMAKE_SOURCE_DIR}/bench/font_revision_bench.cpp
                                   ${CMAKE_SOURCE_DIR}/installer/font_revision.cpp)
target_include_directories(font_revision_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(font_revision_bench PRIVATE benchmark::benchmark)
