// Opening the lab database for a command: the DSN given or from the environment,
// and a failure to reach it as a ToolError that names no password.
#pragma once

#include <memory>
#include <string>

#include "odbc.h"

// Throws ToolError(ExitUsage) when no DSN is given nor set, ToolError(ExitFile)
// when the database cannot be reached.
std::unique_ptr<Connection> OpenDatabase(const std::string& given, int loginTimeoutSeconds = 10);
