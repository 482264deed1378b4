#include "lab_server.h"

#include <cstdlib>

namespace {

bool RunScript(const char* command) {
    const char* script = std::getenv("LAB_SERVER_SCRIPT");
    const char* folder = std::getenv("LAB_SERVER_DIR");
    if (script == nullptr || folder == nullptr)
        return false;
    const std::string line = std::string("'") + script + "' " + command + " '" + folder + "'";
    return std::system(line.c_str()) == 0;
}

}  // namespace

bool HaltServer() {
    return RunScript("halt");
}

bool ResumeServer() {
    return RunScript("resume");
}

std::string AskServer(const std::string& sql) {
    Connection connection(kAdminSource);
    Statement statement = connection.Prepare(sql);
    statement.Execute();
    if (!statement.Fetch())
        return {};
    return statement.Text(1).value_or("NULL");
}

long long CountRecords(const std::string& journal) {
    Connection connection(kAdminSource);
    Statement statement =
        connection.Prepare("SELECT COUNT(*) FROM probe_records WHERE journal = ?");
    statement.Execute({journal});
    statement.Fetch();
    return std::stoll(statement.Text(1).value_or("0"));
}
