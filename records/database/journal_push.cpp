#include "journal_push.h"

#include <fstream>
#include <map>
#include <optional>

#include "chained_line.h"
#include "odbc.h"
#include "schema.h"

namespace {

struct PendingLine {
    std::size_t number = 0;
    ChainedLine fields;
    std::string text;
};

// Where a journal's chain stands against the database.
struct ChainState {
    std::optional<std::string> held;  // the last id the database holds from it
    bool caughtUp = false;            // every line from here on is new to it
};

class Sender {
  public:
    Sender(Connection& connection, const std::filesystem::path& journal, std::size_t batch)
        : connection_(connection),
          journal_(journal),
          batch_(batch),
          insert_(connection.Prepare(
              "INSERT INTO probe_records (id, journal, prev, bench, time_utc, serial, command, "
              "lot, line) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")),
          head_(connection.Prepare("SELECT last_id FROM probe_journals WHERE journal = ?")) {}

    // False once the push has stopped.
    bool Take(std::size_t number, const ChainedLine& fields, std::string text) {
        ChainState& chain = Chain(fields.journal);
        if (!chain.caughtUp) {
            ++result_.held;
            chain.caughtUp = fields.id == *chain.held;
            return true;
        }
        pending_.push_back({number, fields, std::move(text)});
        return pending_.size() < batch_ || Flush();
    }

    // Sends what is pending; false when the push stopped.
    bool Flush() {
        if (pending_.empty())
            return true;
        std::size_t failedAt = pending_.size();
        std::string failure;
        bool refusal = false;
        connection_.Begin();
        try {
            std::size_t stored = 0;
            for (failedAt = 0; failedAt < pending_.size(); ++failedAt)
                stored += Insert(pending_[failedAt]);
            connection_.Commit();
            result_.sent += stored;
            result_.held += pending_.size() - stored;
            pending_.clear();
            return true;
        } catch (const DatabaseError& error) {
            failure = error.what();
            refusal = error.IsRefusal();
            connection_.Rollback();
        }
        const bool refused = refusal && failedAt < pending_.size();
        if (refused) {
            // The lines before the refused one are sound: they go on their own.
            try {
                connection_.Begin();
                std::size_t stored = 0;
                for (std::size_t i = 0; i < failedAt; ++i)
                    stored += Insert(pending_[i]);
                connection_.Commit();
                result_.sent += stored;
                result_.held += failedAt - stored;
            } catch (const DatabaseError& error) {
                connection_.Rollback();
                failure = error.what();
                refusal = false;
                failedAt = 0;
            }
        }
        const PendingLine& line = pending_[refused ? failedAt : 0];
        result_.stopped = "line " + std::to_string(line.number) + " of " + journal_.string() +
                          " (record " + line.fields.id + ") was not taken: " + failure;
        result_.refused = refusal;
        pending_.clear();
        return false;
    }

    PushResult Finish() {
        if (result_.stopped.empty())
            for (const auto& [journal, chain] : chains_)
                if (!chain.caughtUp) {
                    result_.stopped = "the database's last record from journal " + journal + " (" +
                                      *chain.held + ") is not in " + journal_.string() +
                                      ": the journal was cut or replaced; nothing of it was sent";
                    result_.refused = true;
                }
        return result_;
    }

    PushResult& result() { return result_; }

  private:
    ChainState& Chain(const std::string& journal) {
        const auto known = chains_.find(journal);
        if (known != chains_.end())
            return known->second;
        ChainState state;
        head_.Execute({journal});
        if (head_.Fetch())
            state.held = head_.Text(1);
        head_.Close();
        state.caughtUp = !state.held;
        return chains_.emplace(journal, state).first->second;
    }

    // 1 when stored, 0 when the database held it already (another push sent it
    // meanwhile).
    std::size_t Insert(const PendingLine& line) {
        const ChainedLine& f = line.fields;
        insert_.Execute(
            {f.id, f.journal, f.prev, f.bench, f.time, f.serial, f.command, f.lot, line.text});
        return insert_.RowCount() > 0 ? 1 : 0;
    }

    Connection& connection_;
    const std::filesystem::path& journal_;
    std::size_t batch_;
    Statement insert_;
    Statement head_;
    std::map<std::string, ChainState> chains_;
    std::vector<PendingLine> pending_;
    PushResult result_;
};

}  // namespace

PushResult PushJournal(Connection& connection, const std::filesystem::path& journal,
                       std::size_t linesPerTransaction) {
    RequireCurrentSchema(connection);
    std::ifstream file(journal, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read the journal " + journal.string());
    Sender sender(connection, journal, std::max<std::size_t>(linesPerTransaction, 1));
    std::string text;
    for (std::size_t number = 1; std::getline(file, text); ++number) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (file.eof()) {
            sender.result().skipped.push_back("line " + std::to_string(number) +
                                              ": torn (no line break at its end)");
            break;
        }
        const LineReading reading = ReadChainedLine(text);
        sender.result().lastUnchained = reading.kind == LineKind::Unchained;
        if (reading.kind == LineKind::Unchained) {
            ++sender.result().unchained;
            continue;
        }
        if (reading.kind == LineKind::Damaged) {
            sender.result().skipped.push_back("line " + std::to_string(number) + ": " +
                                              reading.reason);
            continue;
        }
        if (!sender.Take(number, reading.fields, std::move(text)))
            return sender.Finish();
    }
    if (file.bad())
        throw std::runtime_error("cannot read the journal " + journal.string());
    sender.Flush();
    return sender.Finish();
}
