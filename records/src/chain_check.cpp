#include "chain_check.h"

namespace {

// Enough of an id to find it in the file.
std::string Short(const std::string& id) {
    return id.substr(0, 12) + "...";
}

}  // namespace

void ChainCheck::Break(const JournalLine& line, std::string problem) {
    report_.brokenLine = line.number;
    report_.problem = std::move(problem);
}

void ChainCheck::LookForMissing(const JournalLine& line) {
    if (missingFound_ || missingId_.empty() || !line.chain || line.chain->id != missingId_)
        return;
    missingFound_ = true;
    report_.problem = "put out of order: the line it follows in the chain is line " +
                      std::to_string(line.number) + ", further on";
}

void ChainCheck::Take(const JournalLine& line) {
    if (!Holds()) {
        LookForMissing(line);
        return;
    }
    if (!line.chain) {
        if (!line.damage.empty())
            return;  // outside the chain, as its appends passed it over
        if (report_.firstLine == 0) {
            ++report_.unchained;
            return;
        }
        Break(line,
              "a record without an id inside the chain: not written by an append (added "
              "by hand, or by a program that does not chain its records)");
        return;
    }
    if (!IdHolds(line.text)) {
        // A line cut short stands outside the chain; a whole one was changed.
        if (line.damage.empty())
            Break(line, "changed: its id is not the SHA-256 of its text");
        return;
    }
    const ChainFields& fields = *line.chain;
    if (report_.firstLine == 0) {
        report_.firstLine = line.number;
        report_.journal = fields.journal;
    } else if (fields.journal != report_.journal) {
        Break(line, "belongs to journal " + fields.journal + ", not to this file's " +
                        report_.journal + " (copied in from another journal?)");
        return;
    }
    if (!lastId_.empty() && fields.id == lastId_) {
        Break(line, "line " + std::to_string(report_.lastLine) + " once more (copied?)");
        return;
    }
    if (fields.prev != lastId_) {
        if (fields.prev.empty()) {
            Break(line, "starts a chain of its own where line " + std::to_string(report_.lastLine) +
                            "'s goes on (the lines before it replaced?)");
            return;
        }
        missingId_ = fields.prev;
        Break(line,
              "the line it follows in the chain (id " + Short(fields.prev) +
                  ") is not in the file: " +
                  (report_.lastLine == 0 ? std::string("the start of the chain was removed")
                                         : "a line after line " + std::to_string(report_.lastLine) +
                                               " was removed, or line " +
                                               std::to_string(report_.lastLine) + " was changed"));
        return;
    }
    lastId_ = fields.id;
    report_.lastLine = line.number;
    ++report_.chained;
}
