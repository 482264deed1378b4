// A recorded command's line sent on to the lab database right after it went into
// the journal. Nothing here changes the command's result: a failure is told and
// the line waits in the journal for the next push.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

// Sends what the journal holds and the database does not (the new line, and any
// left over from before). Returns false, having told err why, when the new line
// did not reach the database.
bool SendJournal(const std::string& dsn, const std::filesystem::path& journal, std::ostream& err);
