# One sound image per probe type, made at build time by this build's probe-image
# (through its emulator in a cross build) so that the samples always match the
# libraries. Where this kernel cannot run the build's programs, they are not made
# and installing them fails with the reason.

set(sample_dir ${CMAKE_CURRENT_BINARY_DIR}/samples)
set(sample_fields OText=SAMPLE CalibrationDate=2612 FabricationDate=2611 UsageCount=1200
    Gain=52 PositionCoefficients=0.12,0.00105,2e-9,-1e-13)
set(sample_force_law FValue=3.5 RValue=5.7 ForceK=1 ForceX0=1 ForceX1=10 ForceX2=1 ForceF1=9
    ForceF2=0 ForceCoefficients=-0.5,0.45,0.05)
set(sample_fields_2 Serial=1234562 ${sample_fields})
set(sample_fields_3 Serial=1234563 ${sample_fields} ${sample_force_law})
set(sample_fields_6 Serial=1234567 ${sample_fields} ${sample_force_law})

# A Windows build runs its programs in the Wine prefix its tests use.
set(sample_runner ${PROJECT_SOURCE_DIR}/cmake/run-build-program)
if(WIN32)
  list(PREPEND sample_runner ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
       WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
endif()

set(sample_images "")
set(sample_commands "")
foreach(type IN LISTS PROBE_TYPES)
  set(image ${sample_dir}/probe-type${type}.bin)
  list(APPEND sample_images ${image})
  list(APPEND sample_commands COMMAND ${sample_runner} ${CMAKE_CROSSCOMPILING_EMULATOR}
       $<TARGET_FILE:probe-image> new --type ${type} -o ${image} --strict
       --set ${sample_fields_${type}})
endforeach()
# One command for all, so that a new Wine prefix is made by one process at a time.
add_custom_command(OUTPUT ${sample_images}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${sample_dir}
  ${sample_commands}
  DEPENDS probe-image Palvo2 Palvo3 Palvo6 ${PROJECT_SOURCE_DIR}/cmake/run-build-program
  COMMENT "Making the sample images with probe-image new"
  VERBATIM)
add_custom_target(sample_images ALL DEPENDS ${sample_images})

# Installs the samples into a folder, with the reason where they could not be made.
function(project_install_samples destination)
  install(CODE "
    foreach(image IN ITEMS ${sample_images})
      if(NOT EXISTS \${image})
        message(FATAL_ERROR \"\${image} is missing: this kernel cannot run the build's \"
                            \"programs that make it\")
      endif()
    endforeach()" ${ARGN})
  install(FILES ${sample_images} DESTINATION ${destination} ${ARGN})
endfunction()
