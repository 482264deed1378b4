# Run by CPack once the files are installed into its staging folder and before it
# archives them (CPACK_PRE_BUILD_SCRIPTS): every file, link and folder gets the
# build's source date as its time, which the archive entries then carry.
execute_process(
  COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @${CPACK_PROJECT_SOURCE_DATE_EPOCH} {} +
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Cannot set the times of the files in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
