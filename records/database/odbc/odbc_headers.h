// The ODBC headers of the platform: mingw-w64's for odbc32, unixODBC's on Linux.
#pragma once

#include "odbc_platform.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
