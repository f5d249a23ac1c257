# The Windows builds (win64 and win32): setupaid.dll, the tools, and the checks and Wine suites.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
enable_language(RC)

# Nothing but system DLLs next to our binaries: the mingw runtime is linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SETUPAID_ARCH i686)
else()
  set(SETUPAID_ARCH x86_64)
endif()

file(GLOB SETUPAID_PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(setupaid_platform STATIC ${SETUPAID_PLATFORM_WIN32_SOURCES})
target_include_directories(setupaid_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(setupaid_platform PUBLIC ole32 oleaut32 uuid shell32 version gdi32 user32 advapi32)

add_library(setupaid_logic OBJECT ${SETUPAID_LOGIC_SOURCES})
target_include_directories(setupaid_logic PUBLIC ${CMAKE_SOURCE_DIR})

# The export table. setupaid.def carries the i686 names with their argument byte counts (UpdateFont@16): on i686
# the DLL is linked with --kill-at so the exports are undecorated, and the import library keeps the decorated
# names so callers and the build checks see each export's argument size. x86_64 has no decoration, so it links
# against a copy of the .def without it.
set(SETUPAID_DEF ${CMAKE_SOURCE_DIR}/installer/setupaid.def)
if(SETUPAID_ARCH STREQUAL i686)
  set(SETUPAID_LINK_DEF ${SETUPAID_DEF})
else()
  file(READ ${SETUPAID_DEF} def_text)
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" def_text "${def_text}")
  set(SETUPAID_LINK_DEF ${CMAKE_BINARY_DIR}/setupaid.def)
  file(WRITE ${SETUPAID_LINK_DEF} "${def_text}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SETUPAID_DEF})

add_library(setupaid SHARED
  ${CMAKE_SOURCE_DIR}/installer/module_entry.cpp
  ${CMAKE_SOURCE_DIR}/installer/setupaid.rc
  ${SETUPAID_LINK_DEF})
set_target_properties(setupaid PROPERTIES PREFIX "" OUTPUT_NAME setupaid)
target_link_libraries(setupaid PRIVATE setupaid_logic setupaid_platform)
target_compile_definitions(setupaid PRIVATE
  SETUPAID_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  SETUPAID_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  SETUPAID_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  SETUPAID_VERSION_TEXT=${PROJECT_VERSION})
if(SETUPAID_ARCH STREQUAL i686)
  target_link_options(setupaid PRIVATE -Wl,--kill-at)
  add_custom_command(TARGET setupaid POST_BUILD
    COMMAND ${SETUPAID_MINGW_TRIPLE}-dlltool -k -d ${SETUPAID_DEF} -D setupaid.dll
            -l ${CMAKE_BINARY_DIR}/lib/libsetupaid.dll.a
    COMMENT "Import library with the decorated export names")
else()
  target_link_options(setupaid PRIVATE -Wl,--out-implib,${CMAKE_BINARY_DIR}/lib/libsetupaid.dll.a)
endif()

# Tools, Wine suites and build checks register themselves here as they are added.
file(GLOB SETUPAID_WINDOWS_EXTRAS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/windows.cmake)
foreach(extra IN LISTS SETUPAID_WINDOWS_EXTRAS)
  include(${extra})
endforeach()

add_subdirectory(tests/build)
if(SETUPAID_ARCH STREQUAL x86_64)
  include(cmake/wine-tests.cmake)
endif()
