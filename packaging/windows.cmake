# The Windows distribution, a ZIP archive (cpack -G ZIP): Quillet and probe-image,
# the probe libraries with their header, module definitions and import libraries,
# sample images, the host example, the manuals as text and the simulated bridge.

install(TARGETS Quillet probe-image RUNTIME DESTINATION .)
foreach(type IN LISTS PROBE_TYPES)
  install(TARGETS Palvo${type} RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/probe/Palvo${type}.def
                ${PROJECT_BINARY_DIR}/probe/Palvo${type}.lib DESTINATION lib)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/probe/include/palvo.h DESTINATION include)
install(TARGETS i2cbrdg RUNTIME DESTINATION simulation)
get_target_property(bridge_definition i2cbrdg_interface BRIDGE_DEFINITION)
install(FILES ${bridge_definition} DESTINATION simulation)
project_source_date(SOURCE_DATE "%Y-%m-%d %H:%M:%S UTC")
configure_file(windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
# The manuals as text: probe-image.txt and palvo.txt.
include(manuals.cmake)
project_manual_texts(manual_files)
install(FILES ${manual_files} DESTINATION doc)
project_install_samples(samples)
set(example ${PROJECT_SOURCE_DIR}/examples/host)
install(FILES ${example}/host.c ${example}/probe_library.h ${example}/probe_library_win32.c
              ${example}/README.md DESTINATION examples/host)

# What the ZIP holds, built without the tests: cmake --build --target deliverables.
add_custom_target(deliverables)
add_dependencies(deliverables Quillet probe-image i2cbrdg sample_images manual_texts)
foreach(type IN LISTS PROBE_TYPES)
  add_dependencies(deliverables Palvo${type} Palvo${type}_import_library)
endforeach()

set(CPACK_PACKAGE_NAME Quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "EEPROM writer for measuring probes, with the probe libraries")
include(CPack)

# The test: what it needs of this build.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(import_prefix __imp__)  # i386 C names carry a leading underscore
else()
  set(import_prefix __imp_)
endif()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/windows-zip-test.env CONTENT "\
c_compiler=${CMAKE_C_COMPILER}
wine_loader=${WINE_LOADER}
import_prefix=${import_prefix}
")
add_test(NAME windows_zip
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/windows-zip-test ${CMAKE_BINARY_DIR})
set_tests_properties(windows_zip PROPERTIES TIMEOUT 300)
project_skippable_tests(windows_zip)
