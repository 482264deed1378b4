# Read by CPack for each package it makes (CPACK_PROJECT_CONFIG_FILE): the
# archives are written as the build's source date gives them, wherever and
# whenever CPack runs.

# CMake's archive writer leaves the time out of gzip headers where this is set.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_PROJECT_SOURCE_DATE_EPOCH})
# ZIP entries carry their time also as a local date and time: in UTC, whatever
# the packager's time zone.
set(ENV{TZ} UTC0)
