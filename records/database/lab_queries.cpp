#include "lab_queries.h"

#include <vector>

#include "odbc.h"
#include "schema.h"

namespace {

long long Number(const SqlValue& value) {
    return value ? std::stoll(*value) : 0;
}

}  // namespace

DatabaseSummary SummariseDatabase(Connection& connection) {
    DatabaseSummary summary;
    summary.version = SchemaVersion(connection);
    if (summary.version == 0)
        return summary;
    Statement counts = connection.Prepare(
        "SELECT COUNT(*), COUNT(DISTINCT bench), COUNT(DISTINCT journal) FROM probe_records");
    counts.Execute();
    if (counts.Fetch()) {
        summary.records = Number(counts.Text(1));
        summary.benches = Number(counts.Text(2));
        summary.journals = Number(counts.Text(3));
    }
    return summary;
}

void ForEachLabRecord(
    Connection& connection, const LabRecordFilter& filter,
    const std::function<void(const std::string& bench, const std::string& line)>& visit) {
    RequireCurrentSchema(connection);
    // Fixed conditions, each with a parameter: no record text becomes SQL.
    std::string sql = "SELECT bench, line FROM probe_records WHERE 1 = 1";
    std::vector<SqlValue> parameters;
    const auto where = [&](const char* condition, const std::string& value) {
        if (value.empty())
            return;
        sql += condition;
        parameters.push_back(value);
    };
    where(" AND serial = ?", filter.serial);
    where(" AND bench = ?", filter.bench);
    where(" AND time_utc >= ?", filter.since);
    sql += " ORDER BY time_utc, bench, arrival";
    Statement select = connection.Prepare(sql);
    select.Execute(parameters);
    while (select.Fetch()) {
        const std::string bench = select.Text(1).value_or("");
        visit(bench, select.Text(2).value_or(""));
    }
}

void ForEachProbeNewestFirst(
    Connection& connection,
    const std::function<bool(const std::string& serial, const std::string& bench,
                             const std::string& line)>& visit) {
    RequireCurrentSchema(connection);
    Statement select = connection.Prepare(
        "SELECT serial, bench, line FROM probe_records WHERE serial <> '' "
        "ORDER BY serial, time_utc DESC, arrival DESC");
    select.Execute();
    std::string done;  // the probe visit has had enough of
    while (select.Fetch()) {
        const std::string serial = select.Text(1).value_or("");
        if (serial == done)
            continue;
        const std::string bench = select.Text(2).value_or("");
        if (!visit(serial, bench, select.Text(3).value_or("")))
            done = serial;
    }
}
