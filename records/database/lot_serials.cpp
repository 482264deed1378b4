#include "lot_serials.h"

#include <mutex>
#include <optional>
#include <type_traits>

#include "odbc.h"
#include "schema.h"

namespace {

const char kLotsCounter[] = "lots";  // its row lock makes lots one at a time

[[noreturn]] void Fail(const DatabaseError& error) {
    throw LedgerFailure(std::string("the lab database: ") + error.what());
}

long long Number(Statement& statement, int column) {
    return std::stoll(statement.Text(column).value_or("0"));
}

std::optional<LotDefinition> KeptLot(Connection& connection, const std::string& name) {
    Statement read = connection.Prepare(
        "SELECT first_serial, last_serial, template_sha256, created FROM probe_lots "
        "WHERE name = ?");
    read.Execute({name});
    if (!read.Fetch())
        return std::nullopt;
    LotDefinition lot;
    lot.name = name;
    lot.serials = {static_cast<long>(Number(read, 1)), static_cast<long>(Number(read, 2))};
    lot.templateSha256 = read.Text(3).value_or("");
    lot.created = read.Text(4).value_or("");
    read.Close();
    return lot;
}

// Locks the counter of lots until the commit, making it where it is new; false
// when another made it at the same moment (take it again).
bool LockLots(Connection& connection) {
    Statement step = connection.Prepare(
        "UPDATE probe_counters SET last_number = last_number + 1 WHERE name = ?");
    step.Execute({kLotsCounter});
    if (step.RowCount() > 0)
        return true;
    try {
        connection.Prepare("INSERT INTO probe_counters (name, last_number) VALUES (?, 1)")
            .Execute({kLotsCounter});
    } catch (const DatabaseError& error) {
        if (error.state().substr(0, 2) == "23")
            return false;
        throw;
    }
    return true;
}

// One attempt, in the transaction begun; nullopt when the counter was made by
// another at once.
std::optional<bool> TryCreate(Connection& connection, const LotDefinition& lot) {
    if (!LockLots(connection))
        return std::nullopt;
    if (const std::optional<LotDefinition> kept = KeptLot(connection, lot.name)) {
        const std::string difference = DefinitionDifference(*kept, lot);
        if (!difference.empty())
            throw LotError("the lot " + lot.name + " of the lab database differs: " + difference);
        return false;
    }
    Statement others = connection.Prepare(
        "SELECT name, first_serial, last_serial FROM probe_lots "
        "WHERE first_serial <= ? AND ? <= last_serial ORDER BY first_serial");
    others.Execute({std::to_string(lot.serials.last), std::to_string(lot.serials.first)});
    if (others.Fetch()) {
        const std::string other = others.Text(1).value_or("");
        const SerialRange range{static_cast<long>(Number(others, 2)),
                                static_cast<long>(Number(others, 3))};
        throw LotError("the serials " + SerialRangeText(lot.serials) + " of the lot " + lot.name +
                       " overlap those of the lot " + other + " (" + SerialRangeText(range) +
                       ") in the lab database");
    }
    others.Close();
    connection
        .Prepare(
            "INSERT INTO probe_lots (name, first_serial, last_serial, template_sha256, created, "
            "next_serial) VALUES (?, ?, ?, ?, ?, ?)")
        .Execute({lot.name, std::to_string(lot.serials.first), std::to_string(lot.serials.last),
                  lot.templateSha256, LotTimeNow(), std::to_string(lot.serials.first)});
    return true;
}

std::optional<SerialState> StateNamed(const std::string& name) {
    for (const SerialState state :
         {SerialState::Taken, SerialState::Programmed, SerialState::Spoiled})
        if (name == StateName(state))
            return state;
    return std::nullopt;
}

class DatabaseLot : public LotLedger {
  public:
    DatabaseLot(std::unique_ptr<Connection> connection, LotDefinition lot)
        : connection_(std::move(connection)), lot_(std::move(lot)) {}

    const LotDefinition& Lot() const override { return lot_; }

    std::optional<long> Take(const std::string& bench, const std::string& target) override {
        return InTransaction([&]() -> std::optional<long> {
            // The update holds the lot's row until the commit: another taker waits.
            Statement step = connection_->Prepare(
                "UPDATE probe_lots SET next_serial = next_serial + 1 "
                "WHERE name = ? AND next_serial <= last_serial");
            step.Execute({lot_.name});
            if (step.RowCount() == 0)
                return std::nullopt;
            Statement read =
                connection_->Prepare("SELECT next_serial - 1 FROM probe_lots WHERE name = ?");
            read.Execute({lot_.name});
            if (!read.Fetch())
                throw LedgerFailure("the lot " + lot_.name + " vanished while a serial was taken");
            const long serial = static_cast<long>(Number(read, 1));
            read.Close();
            connection_
                ->Prepare(
                    "INSERT INTO probe_lot_serials (lot, serial, state, bench, target, reason, "
                    "time_utc) VALUES (?, ?, 'taken', ?, ?, NULL, ?)")
                .Execute({lot_.name, std::to_string(serial), bench, target, LotTimeNow()});
            return serial;
        });
    }

    void MarkProgrammed(long serial) override { Result(serial, SerialState::Programmed, {}); }

    void MarkSpoiled(long serial, const std::string& reason) override {
        Result(serial, SerialState::Spoiled, reason);
    }

    SerialState StateOf(long serial) override {
        RequireOfLot(serial);
        const std::lock_guard<std::mutex> lock(mutex_);
        try {
            return Held(serial).value_or(SerialState::Free);
        } catch (const DatabaseError& error) {
            Fail(error);
        }
    }

    LotStanding Standing() override {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::vector<SerialUse> used;
        try {
            Statement read = connection_->Prepare(
                "SELECT serial, state, bench, target, reason, time_utc FROM probe_lot_serials "
                "WHERE lot = ? ORDER BY serial");
            read.Execute({lot_.name});
            while (read.Fetch()) {
                SerialUse use;
                use.serial = static_cast<long>(Number(read, 1));
                use.state = StateNamed(read.Text(2).value_or("")).value_or(SerialState::Taken);
                use.bench = read.Text(3).value_or("");
                use.target = read.Text(4).value_or("");
                use.reason = read.Text(5).value_or("");
                use.time = read.Text(6).value_or("");
                used.push_back(std::move(use));
            }
        } catch (const DatabaseError& error) {
            Fail(error);
        }
        return StandingOf(lot_, std::move(used));
    }

    std::string Where() const override { return "the lab database"; }

  private:
    template <typename Step>
    auto InTransaction(Step step) -> decltype(step()) {
        const std::lock_guard<std::mutex> lock(mutex_);
        try {
            connection_->Begin();
        } catch (const DatabaseError& error) {
            Fail(error);
        }
        try {
            if constexpr (std::is_void_v<decltype(step())>) {
                step();
                connection_->Commit();
            } else {
                auto result = step();
                connection_->Commit();
                return result;
            }
        } catch (const DatabaseError& error) {
            connection_->Rollback();
            Fail(error);
        } catch (...) {
            connection_->Rollback();
            throw;
        }
    }

    void RequireOfLot(long serial) const {
        if (!lot_.serials.Holds(serial))
            throw LotError("the serial " + std::to_string(serial) + " is not one of the lot " +
                           lot_.name + "'s " + SerialRangeText(lot_.serials));
    }

    std::optional<SerialState> Held(long serial) {
        Statement read = connection_->Prepare(
            "SELECT state FROM probe_lot_serials WHERE lot = ? AND serial = ?");
        read.Execute({lot_.name, std::to_string(serial)});
        if (!read.Fetch())
            return std::nullopt;
        return StateNamed(read.Text(1).value_or("")).value_or(SerialState::Taken);
    }

    void Result(long serial, SerialState state, const std::string& reason) {
        RequireOfLot(serial);
        InTransaction([&] {
            Statement step = connection_->Prepare(
                "UPDATE probe_lot_serials SET state = ?, reason = ?, time_utc = ? "
                "WHERE lot = ? AND serial = ? AND state = 'taken'");
            step.Execute({StateName(state),
                          state == SerialState::Spoiled ? SqlValue(reason) : std::nullopt,
                          LotTimeNow(), lot_.name, std::to_string(serial)});
            if (step.RowCount() > 0)
                return;
            const std::optional<SerialState> held = Held(serial);
            if (!held)
                throw LotError("the serial " + std::to_string(serial) + " of the lot " + lot_.name +
                               " was never taken, so it has no result");
            throw LotError("the serial " + std::to_string(serial) + " of the lot " + lot_.name +
                           " has its result already: " + StateName(*held));
        });
    }

    std::unique_ptr<Connection> connection_;
    LotDefinition lot_;
    std::mutex mutex_;
};

}  // namespace

bool CreateDatabaseLot(Connection& connection, const LotDefinition& lot) {
    RequireLotDefinition(lot);
    try {
        RequireCurrentSchema(connection);
        for (int attempt = 0; attempt < 3; ++attempt) {
            connection.Begin();
            try {
                const std::optional<bool> made = TryCreate(connection, lot);
                if (!made) {
                    connection.Rollback();
                    continue;
                }
                connection.Commit();
                return *made;
            } catch (...) {
                connection.Rollback();
                throw;
            }
        }
    } catch (const DatabaseError& error) {
        Fail(error);
    }
    throw LedgerFailure("the lab database: the lot " + lot.name + " could not be made");
}

std::unique_ptr<LotLedger> OpenDatabaseLot(std::unique_ptr<Connection> connection,
                                           const std::string& name) {
    RequireLotName(name);
    std::optional<LotDefinition> lot;
    try {
        RequireCurrentSchema(*connection);
        lot = KeptLot(*connection, name);
    } catch (const DatabaseError& error) {
        Fail(error);
    }
    if (!lot)
        throw LotError("the lab database holds no lot " + name +
                       "; make it with probe-image lot create");
    return std::make_unique<DatabaseLot>(std::move(connection), std::move(*lot));
}

std::vector<std::string> LotRecordLines(Connection& connection, const std::string& lot) {
    std::vector<std::string> lines;
    try {
        RequireCurrentSchema(connection);
        Statement read =
            connection.Prepare("SELECT line FROM probe_records WHERE lot = ? ORDER BY arrival");
        read.Execute({lot});
        while (read.Fetch())
            lines.push_back(read.Text(1).value_or(""));
    } catch (const DatabaseError& error) {
        Fail(error);
    }
    return lines;
}
