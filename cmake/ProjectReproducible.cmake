# Reproducible outputs: the same source gives the same bytes, wherever and
# whenever it is built.
#
# Every time stamp the build or CPack writes is PROJECT_SOURCE_DATE_EPOCH:
# SOURCE_DATE_EPOCH from the environment at configure time, else the date of the
# checked-out commit. The value is also written to the file
# <build>/source-date-epoch, which the commands that use it depend on and the
# package tests read.

# PROJECT_COMMIT: the commit built, as the Windows ZIP's README names it.
find_package(Git QUIET)
set(PROJECT_COMMIT "(no git commit)")
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse HEAD WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0)
    set(PROJECT_COMMIT ${commit})
  endif()
  # A new commit configures again, so that the commit and the time stamps follow it.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(EXISTS "${git_dir}/logs/HEAD")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
  endif()
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(PROJECT_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
  set(epoch_origin "SOURCE_DATE_EPOCH")
elseif(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE PROJECT_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(epoch_origin "the commit's date")
endif()
if(NOT PROJECT_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(WARNING "Neither SOURCE_DATE_EPOCH nor a git commit gives the time of the "
                  "source: every time stamp is 0 (1970-01-01).")
  set(PROJECT_SOURCE_DATE_EPOCH 0)
  set(epoch_origin "no source date")
endif()
message(STATUS "Time stamps: ${PROJECT_SOURCE_DATE_EPOCH} (${epoch_origin})")
set(PROJECT_SOURCE_DATE_EPOCH_FILE ${PROJECT_BINARY_DIR}/source-date-epoch)
file(CONFIGURE OUTPUT ${PROJECT_SOURCE_DATE_EPOCH_FILE} CONTENT "${PROJECT_SOURCE_DATE_EPOCH}\n")

# Formats PROJECT_SOURCE_DATE_EPOCH in UTC: project_source_date(VAR FORMAT).
function(project_source_date var format)
  set(given "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${PROJECT_SOURCE_DATE_EPOCH})
  string(TIMESTAMP date "${format}" UTC)
  if(DEFINED given AND NOT given STREQUAL "")
    set(ENV{SOURCE_DATE_EPOCH} "${given}")
  else()
    unset(ENV{SOURCE_DATE_EPOCH})
  endif()
  set(${var} "${date}" PARENT_SCOPE)
endfunction()

# No build folder in any output: the source and build folders are written as
# relative paths into debug information, __FILE__ and assertions.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${PROJECT_BINARY_DIR} NORMALIZE binary_in_source)
if(NOT binary_in_source)
  add_compile_options(-ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()

# Windows modules carry no link time: the linker writes 0 as the time stamp of the
# PE header and of the export directory, so the PE checksum is fixed too.
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

