#include "database_session.h"

#include "database_commands.h"
#include "tool_error.h"

std::unique_ptr<Connection> OpenDatabase(const std::string& given, int loginTimeoutSeconds) {
    const std::string dsn = ChosenDatabase(given);
    if (dsn.empty())
        throw ToolError(
            ExitUsage, std::string("no database: give --database DSN or set ") + kDatabaseVariable);
    try {
        return std::make_unique<Connection>(dsn, loginTimeoutSeconds);
    } catch (const DatabaseError& error) {
        throw ToolError(ExitFile, error.what());
    }
}
