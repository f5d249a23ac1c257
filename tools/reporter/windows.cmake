# Report.exe: the crash reporter the module starts as "Report -d" (see docs/reporter.md). It shares the block's
# layout and the dump callback with the module, and loads the dump library through the platform helper.
add_executable(reporter ${CMAKE_SOURCE_DIR}/tools/reporter/report.cpp
                        ${CMAKE_SOURCE_DIR}/crash/exclude_thread_callback.cpp)
set_target_properties(reporter PROPERTIES OUTPUT_NAME Report)
target_include_directories(reporter PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(reporter PRIVATE setupaid_platform)
