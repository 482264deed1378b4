# Renders a man page as plain ASCII text, one continuous page of 78 columns with
# no bold or underline by overstriking; any warning of groff fails it.
#
#   cmake -DGROFF=groff -DPAGE=probe-image.1 -DOUTPUT=probe-image.txt -P render-manual.cmake
execute_process(
  COMMAND ${GROFF} -t -man -Tascii -rcR=1 -ww -P-cbou ${PAGE}
  OUTPUT_FILE ${OUTPUT}.partial
  ERROR_VARIABLE warnings
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  file(REMOVE ${OUTPUT}.partial)
  message(FATAL_ERROR "groff cannot render ${PAGE} cleanly:\n${warnings}")
endif()
file(RENAME ${OUTPUT}.partial ${OUTPUT})
