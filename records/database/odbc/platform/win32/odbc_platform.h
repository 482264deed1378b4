// Windows' ODBC headers take their types from windows.h.
#pragma once

#include <windows.h>
