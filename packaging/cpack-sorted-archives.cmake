# Run by CPack once it has made the packages (CPACK_POST_BUILD_SCRIPTS): a ZIP
# archive or tarball holds its entries in the order the file system listed the
# staging folder, so it is written again with them sorted by name. The DEB
# packages are sorted by CPack itself.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.(zip|tar\\.gz)$")
    execute_process(COMMAND ${CPACK_PROJECT_PYTHON} ${CPACK_PROJECT_SOURCE_DIR}/packaging/sort-archive
                            ${package}
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "Cannot sort the entries of ${package}")
    endif()
  endif()
endforeach()
