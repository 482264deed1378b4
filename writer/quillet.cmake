# Quillet: the status poll and the write workflow, portable and unit-tested on both
# builds, and on Windows the dialog program with its resources.

add_library(quillet_workflow STATIC src/refresh_status.cpp src/write_workflow.cpp)
target_include_directories(quillet_workflow PUBLIC src)
target_link_libraries(quillet_workflow PUBLIC writer_core PRIVATE project_warnings)

add_executable(quillet_workflow_tests
  tests/quillet_fakes.cpp
  tests/refresh_status_test.cpp
  tests/write_workflow_test.cpp
  tests/workflow_fault_test.cpp)
target_link_libraries(quillet_workflow_tests PRIVATE quillet_workflow)
add_dependencies(quillet_workflow_tests Palvo6)  # the fault tests' polls bind the real library
project_add_test(quillet_workflow_tests)

if(NOT WIN32)
  return()
endif()

# Resources: the icon is drawn by a script at build time; windres runs by hand so
# that it sees neither the compilers' options nor the warning flags.
set(quillet_res_dir ${CMAKE_CURRENT_BINARY_DIR}/res)
set(quillet_icon ${quillet_res_dir}/Quillet.ico)
set(quillet_res_object ${quillet_res_dir}/Quillet.res.o)
# The manifest names the processor whose common controls the program binds.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QUILLET_ARCHITECTURE x86)
else()
  set(QUILLET_ARCHITECTURE amd64)
endif()
configure_file(res/Quillet.manifest.in ${quillet_res_dir}/Quillet.manifest @ONLY)
add_custom_command(OUTPUT ${quillet_icon}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${quillet_res_dir}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make-icon ${quillet_icon}
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-icon
  COMMENT "Drawing the Quillet icon")
add_custom_command(OUTPUT ${quillet_res_object}
  COMMAND ${CMAKE_RC_COMPILER} --codepage=65001
          -I ${CMAKE_CURRENT_SOURCE_DIR}/res -I ${quillet_res_dir}
          -O coff -i ${CMAKE_CURRENT_SOURCE_DIR}/res/Quillet.rc -o ${quillet_res_object}
  DEPENDS res/Quillet.rc res/resource.h ${quillet_res_dir}/Quillet.manifest ${quillet_icon}
  COMMENT "Compiling the Quillet resources")

add_executable(Quillet WIN32
  src/about_dialog_win32.cpp
  src/dialog_view_win32.cpp
  src/main_win32.cpp
  src/writer_dialog_win32.cpp
  ${quillet_res_object})
target_include_directories(Quillet PRIVATE res)
target_link_libraries(Quillet PRIVATE quillet_workflow comctl32 comdlg32 project_warnings)
add_dependencies(Quillet Palvo2 Palvo3 Palvo6)
project_add_module_check(Quillet IMPORTS i2cbrdg.dll)
project_version_resource(Quillet DESCRIPTION Quillet PRODUCT Quillet FRENCH)

add_executable(quillet_resource_tests tests/quillet_resources_test_win32.cpp)
target_include_directories(quillet_resource_tests PRIVATE res)
target_link_libraries(quillet_resource_tests PRIVATE version)
add_dependencies(quillet_resource_tests Quillet)
project_add_test(quillet_resource_tests)
# The same resources read from the file alone, which needs no Wine.
add_test(NAME quillet_resources_static
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tests/quillet_resources_static.py
          $<TARGET_FILE:Quillet> ${CMAKE_CURRENT_SOURCE_DIR}/res/resource.h)

# Remote control of a running Quillet through window messages: the run script's
# quillet-probe and the end-to-end tests.
add_library(quillet_remote STATIC tests/e2e/quillet_remote_win32.cpp)
target_include_directories(quillet_remote PUBLIC tests/e2e res)
target_link_libraries(quillet_remote PRIVATE project_warnings)

add_executable(quillet-probe tests/e2e/quillet_probe_main_win32.cpp)
target_link_libraries(quillet-probe PRIVATE quillet_remote project_warnings)

# End-to-end: the real program under Wine on a virtual display when none is set.
add_executable(quillet_e2e_tests
  tests/e2e/quillet_e2e_test_win32.cpp
  tests/e2e/running_quillet_win32.cpp)
target_link_libraries(quillet_e2e_tests PRIVATE quillet_remote probe_test_support
  GTest::gtest GTest::gtest_main project_warnings)
add_dependencies(quillet_e2e_tests Quillet Palvo2 Palvo3 Palvo6 i2cbrdg)
add_test(NAME quillet_e2e_tests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/with-display ${CMAKE_CROSSCOMPILING_EMULATOR}
          $<TARGET_FILE:quillet_e2e_tests>)
set_tests_properties(quillet_e2e_tests PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
project_skippable_tests(quillet_e2e_tests)
