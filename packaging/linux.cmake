# Linux: install rules (GNUInstallDirs) and the packages made from them. cpack -G
# DEB gives one package per component: the libraries (runtime), what a host
# builds against (development) and probe-image (tools); cpack -G TGZ gives all of
# them in one relocatable tarball.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(package_runtime libpalvo${PROJECT_SOVERSION})
set(package_development libpalvo-dev)
set(package_tools probe-image)
set(palvo_include_dir ${CMAKE_INSTALL_INCLUDEDIR}/palvo)
set(palvo_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Palvo)
# probe-image's own folder for the simulated bridge library it links, reached
# with --simulated alone.
set(tools_library_dir ${CMAKE_INSTALL_LIBDIR}/probe-image)

# What a host that binds a probe library at run time links: palvo.h and the
# movable-memory library that locks the blocks whose handles a record carries.
add_library(palvo_host INTERFACE)
target_link_libraries(palvo_host INTERFACE compat_global_memory)
set_target_properties(palvo_host PROPERTIES EXPORT_NAME Palvo)
set_target_properties(compat_global_memory PROPERTIES EXPORT_NAME GlobalMemory)
foreach(type IN LISTS PROBE_TYPES)
  target_link_libraries(Palvo${type} INTERFACE compat_global_memory)
endforeach()

list(TRANSFORM PROBE_TYPES PREPEND Palvo OUTPUT_VARIABLE probe_libraries)
install(TARGETS ${probe_libraries} compat_global_memory palvo_host EXPORT PalvoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${palvo_include_dir})
install(FILES ${PROJECT_SOURCE_DIR}/probe/include/palvo.h
              ${PROJECT_SOURCE_DIR}/compat/posix/global_memory.h
  DESTINATION ${palvo_include_dir} COMPONENT development)

# CMake package: find_package(Palvo CONFIG), targets Palvo::Palvo, Palvo::Palvo2 ...
install(EXPORT PalvoTargets NAMESPACE Palvo:: DESTINATION ${palvo_cmake_dir}
  COMPONENT development)
configure_package_config_file(linux/PalvoConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/PalvoConfig.cmake INSTALL_DESTINATION ${palvo_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/PalvoConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PalvoConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/PalvoConfigVersion.cmake
  DESTINATION ${palvo_cmake_dir} COMPONENT development)

# pkg-config: one file, palvo.pc, relocatable like the tarball (its prefix is
# reckoned from its own folder).
file(RELATIVE_PATH PC_PREFIX_FROM_PC_DIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
configure_file(linux/palvo.pc.in ${CMAKE_CURRENT_BINARY_DIR}/palvo.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/palvo.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# probe-image finds the probe libraries, and the bridge library in its own
# folder, relative to its own place wherever the tree is installed.
file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH bin_to_tools ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${tools_library_dir})
set_target_properties(probe-image PROPERTIES
  INSTALL_RPATH "$ORIGIN/${bin_to_lib};$ORIGIN/${bin_to_tools}")
install(TARGETS probe-image RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(TARGETS i2cbrdg LIBRARY DESTINATION ${tools_library_dir} COMPONENT tools)

# The manuals: probe-image(1) with the tool, palvo(3) with the header.
include(manuals.cmake)
project_compressed_manuals(manual_files)
install(FILES ${manual_dir}/probe-image.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT tools)
install(FILES ${manual_dir}/palvo.3.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man3
  COMPONENT development)

# The host example and the samples, for the developers.
set(examples_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package_development}/examples)
set(example ${PROJECT_SOURCE_DIR}/examples/host)
install(FILES ${example}/host.c ${example}/probe_library.h ${example}/probe_library_posix.c
              ${example}/CMakeLists.txt ${example}/README.md
  DESTINATION ${examples_dir}/host COMPONENT development)
project_install_samples(${examples_dir}/samples COMPONENT development)

# Each package's copyright and changelog (a native package's, compressed), and
# the lintian overrides of the libraries.
set(PROJECT_PACKAGE_MAINTAINER "Probe calibration developers <probe-calibration@example.org>"
    CACHE STRING "Maintainer of the Linux packages")
project_source_date(PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000")
configure_file(linux/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
foreach(component runtime development tools)
  set(package ${package_${component}})
  install(FILES linux/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/linux/${package}.lintian-overrides)
    install(FILES linux/${package}.lintian-overrides
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${package}
      COMPONENT ${component})
  endif()
endforeach()

# What the packages hold, built without the tests: cmake --build --target deliverables.
add_custom_target(deliverables)
add_dependencies(deliverables ${probe_libraries} compat_global_memory probe-image i2cbrdg
                 manual_pages package_changelog sample_images)

set(CPACK_PACKAGE_NAME palvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PROJECT_PACKAGE_MAINTAINER})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_COMPONENTS_ALL runtime development tools)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE palvo)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg-shlibdeps finds our own libraries that probe-image links in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/bin)
set(same_version "${package_runtime} (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${package_runtime})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The libraries are in a folder the dynamic loader caches: dpkg runs ldconfig.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/linux/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "probe calibration libraries
The probe calibration libraries decode the 256-byte EEPROM image of a
measuring probe, convert raw force, pressure and position readings, tell
whether the probe is still calibrated, and encode an edited record back into
an image. There is one library per probe type: libPalvo2, libPalvo3 and
libPalvo6; a host loads the one of the probe's type at run time.
This package also holds the movable-memory library whose blocks the probe
libraries hand to a host.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${package_development})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS ${same_version})
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "probe calibration libraries - development files
The header palvo.h of the probe calibration libraries and the header of the
movable-memory library, a pkg-config file (palvo) and a CMake package
(find_package(Palvo CONFIG)) for hosts, with a host example in C and one
sample image per probe type.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${package_tools})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS ${same_version})
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "inspect, check, plot, edit and create probe EEPROM images
probe-image works on the 256-byte EEPROM images of measuring probes through
the probe calibration libraries themselves: it shows what a library decodes
and whether it accepts an image, checks the calibration, plots the position
and force curves as SVG, edits and creates images with the library's encoder
and converts raw readings. Its read, write and status commands reach the
EEPROM on an I2C bus (--bus), in an EEPROM file (--eeprom) or, for tests and
demonstrations, on the simulated bridge this package holds (--simulated);
without one of them they touch nothing.")
include(CPack)

add_test(NAME linux_packages
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/linux-packages-test ${CMAKE_BINARY_DIR})
set_tests_properties(linux_packages PROPERTIES TIMEOUT 600)
