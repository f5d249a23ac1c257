# tvdinfo's decoder and reports on arbitrary bytes (seeds: small files of both layouts).
setupaid_add_fuzzer(tvdinfo_fuzz
  ${CMAKE_SOURCE_DIR}/tests/fuzz/tvdinfo_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_decoder.cpp
  ${CMAKE_SOURCE_DIR}/tools/tvdinfo/tvd_report.cpp)
