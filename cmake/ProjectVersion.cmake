# The project's version, from project(VERSION), for every module: a header for the
# programs (target project_version), the file names and SONAME of the Linux
# libraries and the version records of the Windows modules.

configure_file(${CMAKE_CURRENT_LIST_DIR}/project_version.h.in
               ${PROJECT_BINARY_DIR}/generated/project_version.h @ONLY)
add_library(project_version INTERFACE)
target_include_directories(project_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# The major version is the ABI version of the libraries a host uses: a library
# file libName.so.1.0.0 has the SONAME libName.so.1.
set(PROJECT_SOVERSION ${PROJECT_VERSION_MAJOR})

function(project_versioned_library target)
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION}
                                               SOVERSION ${PROJECT_SOVERSION})
  endif()
endfunction()

# One resource script per Windows module, made from cmake/version.rc.in and
# compiled by windres by hand, so that it sees neither the compilers' options nor
# the warning flags.

set(PROJECT_PRODUCT_NAME "Probe calibration" CACHE STRING "ProductName of the version records")

# Usage: project_version_resource(target DESCRIPTION text [PRODUCT name] [FRENCH])
# FileDescription is the text, OriginalFilename the module's file name; the record
# is in English (United States) or, with FRENCH, in French, with code page 1252.
function(project_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "FRENCH" "DESCRIPTION;PRODUCT" "")
  set(VERSION_DESCRIPTION "${arg_DESCRIPTION}")
  set(VERSION_PRODUCT "${PROJECT_PRODUCT_NAME}")
  if(arg_PRODUCT)
    set(VERSION_PRODUCT "${arg_PRODUCT}")
  endif()
  if(arg_FRENCH)
    set(VERSION_LANGUAGE "LANG_FRENCH, SUBLANG_FRENCH")
    set(VERSION_LANGUAGE_ID 040c)
  else()
    set(VERSION_LANGUAGE "LANG_ENGLISH, SUBLANG_ENGLISH_US")
    set(VERSION_LANGUAGE_ID 0409)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(VERSION_FILE_TYPE VFT_APP)
  else()
    set(VERSION_FILE_TYPE VFT_DLL)
  endif()
  set(tweak 0)
  if(PROJECT_VERSION_TWEAK)
    set(tweak ${PROJECT_VERSION_TWEAK})
  endif()
  set(VERSION_NUMBERS
      "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${tweak}")
  # The file name is known at generation time only.
  set(VERSION_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
  set(VERSION_INTERNAL_NAME "$<TARGET_FILE_BASE_NAME:${target}>")

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/version)
  set(script ${dir}/${target}.rc)
  set(object ${dir}/${target}.res.o)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${script}.in @ONLY)
  file(GENERATE OUTPUT ${script} INPUT ${script}.in)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -i ${script} -o ${object}
    DEPENDS ${script} ${PROJECT_SOURCE_DIR}/cmake/version.rc.in
    COMMENT "Compiling the version record of ${target}")
  target_sources(${target} PRIVATE ${object})
endfunction()
