#include "journal_send.h"

#include "database_commands.h"
#include "journal_push.h"
#include "odbc.h"

namespace {

// A bench must not wait long for a server that is away.
constexpr int kLoginTimeoutSeconds = 5;

void TellKept(std::ostream& err, const std::string& why) {
    err << "probe-image: the record is kept in the journal, not sent to the database: " << why
        << "; probe-image records push sends it later\n";
}

}  // namespace

bool SendJournal(const std::string& dsn, const std::filesystem::path& journal, std::ostream& err) {
    try {
        Connection connection(dsn, kLoginTimeoutSeconds);
        const PushResult result = PushJournal(connection, journal);
        if (!result.stopped.empty()) {
            TellKept(err, result.stopped);
            return false;
        }
        if (result.lastUnchained) {
            TellKept(err, "its journal line has no id to key it by");
            return false;
        }
        return true;
    } catch (const std::exception& error) {
        TellKept(err, error.what());
        return false;
    }
}
