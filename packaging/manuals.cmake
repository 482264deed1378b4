# The manuals, probe-image(1) and palvo(3): man page sources with the version and
# the source date filled in, gzipped for the Linux packages and rendered as plain
# text for the Windows ZIP.

project_source_date(MANUAL_DATE "%Y-%m-%d")
set(manual_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
set(manual_pages probe-image.1 palvo.3)
foreach(page IN LISTS manual_pages)
  configure_file(man/${page}.in ${manual_dir}/${page} @ONLY)
endforeach()

# The pages gzipped as Debian installs them (no name, no time in the header),
# in ${out}.
function(project_compressed_manuals out)
  set(files "")
  foreach(page IN LISTS manual_pages)
    add_custom_command(OUTPUT ${manual_dir}/${page}.gz
      COMMAND gzip -9nkf ${manual_dir}/${page}
      DEPENDS ${manual_dir}/${page}
      VERBATIM)
    list(APPEND files ${manual_dir}/${page}.gz)
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${files})
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The pages as plain text, probe-image.txt and palvo.txt, in ${out}; rendering
# fails on any warning of groff.
function(project_manual_texts out)
  find_program(GROFF groff REQUIRED)
  set(files "")
  foreach(page IN LISTS manual_pages)
    string(REGEX REPLACE "\\.[0-9]$" ".txt" text ${page})
    add_custom_command(OUTPUT ${manual_dir}/${text}
      COMMAND ${CMAKE_COMMAND} -DGROFF=${GROFF} -DPAGE=${manual_dir}/${page}
              -DOUTPUT=${manual_dir}/${text} -P ${CMAKE_CURRENT_SOURCE_DIR}/render-manual.cmake
      DEPENDS ${manual_dir}/${page} ${CMAKE_CURRENT_SOURCE_DIR}/render-manual.cmake
      COMMENT "Rendering the manual ${page} as text"
      VERBATIM)
    list(APPEND files ${manual_dir}/${text})
  endforeach()
  add_custom_target(manual_texts ALL DEPENDS ${files})
  set(${out} ${files} PARENT_SCOPE)
endfunction()
