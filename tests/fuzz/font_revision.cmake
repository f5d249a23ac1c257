setupaid_add_fuzzer(font_revision_fuzzer ${CMAKE_SOURCE_DIR}/tests/fuzz/font_revision_fuzzer.cpp
                    ${CMAKE_SOURCE_DIR}/installer/font_revision.cpp)
