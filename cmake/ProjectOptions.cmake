# Compiler settings shared by every target of the project.

# Installed libraries go to the multiarch folder (lib/x86_64-linux-gnu) for any
# prefix, as in Debian's own packages; the dynamic loader, pkg-config and CMake
# search there under /usr and /usr/local alike. Set before anything includes
# GNUInstallDirs.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT WIN32)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH
      "Object code libraries (LIBDIR)")
endif()

set(CMAKE_C_STANDARD 11)
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# No fused multiply-add: every product and sum is rounded on its own, on both targets.
add_compile_options(-ffp-contract=off)

if(WIN32)
  # C99 stdio of mingw-w64 (correctly rounded printf), never msvcrt's.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX)
else()
  set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
  set(CMAKE_BUILD_RPATH "$ORIGIN")
endif()

foreach(kind RUNTIME LIBRARY ARCHIVE)
  set(CMAKE_${kind}_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()

add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Werror -Wshadow -Wundef -Wnon-virtual-dtor -Wcast-align)

option(PROJECT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PROJECT_FUZZERS "Build the fuzz harnesses as libFuzzer programs (clang)" OFF)
if(PROJECT_FUZZERS)
  # Coverage feedback from all of our code, not just the harnesses.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
# Shared libraries must resolve every symbol at link time, except under the
# sanitizers, whose runtime only the executable carries.
function(project_shared_library_no_undefined target)
  if(NOT WIN32 AND NOT PROJECT_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

if(PROJECT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# GoogleTest from the distribution's source package, built for the current target.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# A test program that this kernel cannot run exits 77 (cmake/run-wine): CTest
# then reports the test as skipped, never as passed.
function(project_skippable_tests)
  set_tests_properties(${ARGN} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

# A test's scratch files (GoogleTest's TempDir()) in a folder of its own in the
# build tree, so that tests run at once, and the presets and clones of one machine,
# never share one. Under Wine, TempDir() is the preset's own prefix's.
function(project_test_scratch_folder test)
  if(NOT WIN32)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${test}-scratch)
    file(MAKE_DIRECTORY ${folder})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT TEST_TMPDIR=${folder})
  endif()
endfunction()

# One CTest test per executable: under Wine a process start costs far more than a test case.
function(project_add_test target)
  target_link_libraries(${target} PRIVATE project_warnings GTest::gtest GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target} ${ARGN})
  project_skippable_tests(${target})
  project_test_scratch_folder(${target})
endfunction()

# A fuzz harness, <name>_fuzzer.cpp beside its corpus in corpus/<name>. With
# PROJECT_FUZZERS (clang) it is a libFuzzer program run for a bounded time;
# otherwise it replays its corpus as an ordinary test, so every build builds and
# checks it. Usage: project_add_fuzzer(name LIBRARIES ... [OPTIONS libFuzzer flags])
set(PROJECT_FUZZ_SECONDS 60 CACHE STRING "Seconds of each bounded fuzz run")
function(project_add_fuzzer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBRARIES;OPTIONS")
  set(target ${name}_fuzzer)
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  add_executable(${target} ${name}_fuzzer.cpp)
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} project_warnings)
  if(PROJECT_FUZZERS)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${target}_replay COMMAND ${target} -runs=0 ${corpus})
    add_test(NAME ${target}_run
      COMMAND ${target} -max_total_time=${PROJECT_FUZZ_SECONDS} -rss_limit_mb=2048
              ${arg_OPTIONS} -print_final_stats=1 ${work} ${corpus})
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/probe/fuzz/replay_main.cpp)
    if(WIN32)
      set(corpus Z:${corpus})
    endif()
    add_test(NAME ${target}_replay COMMAND ${target} ${corpus})
    project_skippable_tests(${target}_replay)
  endif()
endfunction()

# The Windows system DLLs a module of ours may import.
set(PROJECT_SYSTEM_DLLS kernel32.dll msvcrt.dll user32.dll gdi32.dll comdlg32.dll comctl32.dll
    advapi32.dll shell32.dll ole32.dll)

if(WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  # Import libraries in the format both MSVC and mingw-w64 link against.
  find_program(LLVM_DLLTOOL llvm-dlltool REQUIRED)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(PROJECT_PE_MACHINE i386)
    set(PROJECT_DLLTOOL_MACHINE i386)
  else()
    set(PROJECT_PE_MACHINE x86-64)
    set(PROJECT_DLLTOOL_MACHINE i386:x86-64)
  endif()
endif()

# Registers a test that reads the module's file, without running it: its machine
# type, its imports (the Windows system DLLs and the DLLs given after IMPORTS), its
# version record (the project's version), its time stamps (0 or the source date)
# and, where given, its module name and its exports ("Name" or "Name=ordinal").
# Usage: project_add_module_check(target [MODULE_NAME name] [EXPORTS ...] [IMPORTS ...])
function(project_add_module_check target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MODULE_NAME" "EXPORTS;IMPORTS")
  set(allowed ${PROJECT_SYSTEM_DLLS} ${arg_IMPORTS})
  string(REPLACE ";" "," allowed "${allowed}")
  set(options --machine ${PROJECT_PE_MACHINE} --imports ${allowed} --version ${PROJECT_VERSION}
              --time-stamp ${PROJECT_SOURCE_DATE_EPOCH})
  if(arg_MODULE_NAME)
    list(APPEND options --module-name ${arg_MODULE_NAME})
  endif()
  if(arg_EXPORTS)
    string(REPLACE ";" "," exports "${arg_EXPORTS}")
    list(APPEND options --exports ${exports})
  endif()
  add_test(NAME ${target}_module
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/check_module.py
            $<TARGET_FILE:${target}> ${options})
endfunction()

# Header-only libraries from the distribution (Boost), reached through links so that
# a cross build sees them without the rest of the host's headers. A name links
# /usr/include/<name>; "name=path" links /usr/include/<path> under that name (Eigen
# lives in /usr/include/eigen3/Eigen and is included as <Eigen/...>).
function(project_host_headers target)
  set(dir ${CMAKE_BINARY_DIR}/host-headers)
  foreach(entry IN LISTS ARGN)
    if(entry MATCHES "^([^=]+)=(.+)$")
      set(name ${CMAKE_MATCH_1})
      set(source /usr/include/${CMAKE_MATCH_2})
    else()
      set(name ${entry})
      set(source /usr/include/${entry})
    endif()
    if(NOT EXISTS ${dir}/${name})
      file(MAKE_DIRECTORY ${dir})
      file(CREATE_LINK ${source} ${dir}/${name} SYMBOLIC)
    endif()
  endforeach()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${dir})
endfunction()
project_host_headers(boost_headers boost)
