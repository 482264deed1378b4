#include "next_number.h"

#include <optional>

#include "odbc.h"
#include "schema.h"

namespace {

// One attempt; nullopt when another bench made the counter at the same moment.
std::optional<long long> TryTake(Connection& connection, const std::string& counter) {
    connection.Begin();
    try {
        // The update locks the counter's row until the commit: a second taker waits.
        Statement step = connection.Prepare(
            "UPDATE probe_counters SET last_number = last_number + 1 WHERE name = ?");
        step.Execute({counter});
        if (step.RowCount() == 0)
            connection.Prepare("INSERT INTO probe_counters (name, last_number) VALUES (?, 1)")
                .Execute({counter});
        Statement read =
            connection.Prepare("SELECT last_number FROM probe_counters WHERE name = ?");
        read.Execute({counter});
        if (!read.Fetch())
            throw DatabaseError("the counter " + counter + " vanished while taken");
        const long long number = std::stoll(read.Text(1).value_or("0"));
        read.Close();
        connection.Commit();
        return number;
    } catch (const DatabaseError& error) {
        connection.Rollback();
        if (error.state().substr(0, 2) == "23")  // made by another at once: take again
            return std::nullopt;
        throw;
    }
}

}  // namespace

long long TakeNextNumber(Connection& connection, const std::string& counter) {
    RequireCurrentSchema(connection);
    for (int attempt = 0; attempt < 3; ++attempt)
        if (const std::optional<long long> number = TryTake(connection, counter))
            return *number;
    throw DatabaseError("no number could be taken from the counter " + counter);
}
