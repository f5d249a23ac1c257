# Build pieces of the shell-chore suites: version fixtures, libraries, and the lnkinfo check.
# Small DLLs with version resources of their own, compiled with windres at build time into fixtures/ (outside
# bin/, so the build checks of the shipped binaries never see them). Each holds nothing but its resources.
file(GLOB VERSION_FIXTURE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/version_fixtures/*.rc)
set(VERSION_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fixtures)
set(VERSION_FIXTURE_DLLS)
foreach(source IN LISTS VERSION_FIXTURE_SOURCES)
  get_filename_component(name ${source} NAME_WE)
  set(object ${VERSION_FIXTURE_DIR}/${name}.res.o)
  set(dll ${VERSION_FIXTURE_DIR}/${name}.dll)
  add_custom_command(OUTPUT ${dll}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VERSION_FIXTURE_DIR}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -i ${source} -o ${object}
    COMMAND ${CMAKE_C_COMPILER} -shared -nostdlib -Wl,-e,0 -o ${dll} ${object}
    DEPENDS ${source}
    COMMENT "Version fixture ${name}.dll")
  list(APPEND VERSION_FIXTURE_DLLS ${dll})
endforeach()
add_custom_target(version_fixtures DEPENDS ${VERSION_FIXTURE_DLLS})
add_dependencies(wine_tests version_fixtures)

# The shortcut and icon suites create links and windows of their own.
target_link_libraries(wine_tests PRIVATE ole32 uuid user32 advapi32)
target_link_libraries(retarget_link_host PRIVATE ole32 uuid)

# A link retargeted through the export, read back on the Linux side by an independent parser (lnkinfo).
add_test(NAME wine.lnkinfo.RetargetedLinkNamesTheNewTarget
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/lnkinfo_check.sh $<TARGET_FILE:retarget_link_host>
                 ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(wine.lnkinfo.RetargetedLinkNamesTheNewTarget PROPERTIES
                     FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT 120)
