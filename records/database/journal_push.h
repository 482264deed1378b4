// Sending a bench journal to the lab database: every chained line the database
// does not hold yet, read line by line, in transactions of a bounded size. The
// database keeps the record id as its key and checks each chain as it arrives,
// so a push can be repeated at any time: what went once is never sent twice.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

class Connection;

struct PushResult {
    std::size_t sent = 0;              // stored by this push
    std::size_t held = 0;              // the database held them already
    std::size_t unchained = 0;         // written before the chain: no id to key them by
    std::vector<std::string> skipped;  // damaged lines left out, "line N: why"
    // Empty when every line went; otherwise why the push stopped, naming the
    // line. Lines before it are stored, none after it.
    std::string stopped;
    bool refused = false;        // the database refused a line (not a lost connection)
    bool lastUnchained = false;  // the journal's last record has no id
};

// Throws DatabaseError when the database cannot be asked at all (no connection,
// an older schema), and std::runtime_error when the journal cannot be read.
PushResult PushJournal(Connection& connection, const std::filesystem::path& journal,
                       std::size_t linesPerTransaction = 500);
