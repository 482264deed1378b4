// The lab database's tables, versioned: the version is kept in probe_schema, and
// db init brings an older database up step by step.
//
//   probe_schema   (version)                         one row
//   probe_records  (id PK, arrival, journal, prev, bench, time_utc, serial, command,
//                   line, lot (v3)): arrival orders the records of one journal as chained
//   probe_journals (journal PK, last_id)             the last record of each chain
//   probe_counters (name PK, last_number)            numbers handed out once (v2)
//   probe_lots     (name PK, first_serial, last_serial, template_sha256, created,
//                   next_serial)                     production lots (v3)
//   probe_lot_serials (lot, serial PK, state, bench, target, reason, time_utc)
//                                                    each serial a lot handed out (v3)
#pragma once

#include <string>
#include <vector>

class Connection;

inline constexpr int kSchemaVersion = 3;

// 0 when the database holds no schema yet.
int SchemaVersion(Connection& connection);

struct SchemaChange {
    int from = 0;  // 0: made anew
    int to = 0;
};

// Creates the schema or migrates it to kSchemaVersion, each step in a
// transaction of its own, then (on PostgreSQL) applies its own rules: the
// triggers and the bench role.
SchemaChange InitSchema(Connection& connection);

// Brings the schema to the version given and no further, without the server's
// own rules: an older database as a bench may meet one.
void MigrateSchemaTo(Connection& connection, int version);

// Throws DatabaseError unless the database holds kSchemaVersion, saying what to do.
void RequireCurrentSchema(Connection& connection);

// The statements of a script, split at the ';' that ends a line outside $$ quotes.
std::vector<std::string> ScriptStatements(const std::string& script);

// The PostgreSQL script of the triggers and the role.
extern const char kPostgresqlRules[];
