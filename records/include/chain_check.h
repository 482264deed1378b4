// Walks a journal's hash chain line by line and finds the first line that was
// changed, removed or put out of order. Lines that hold no record (torn or
// damaged) stand outside the chain, as the appends that follow them pass them
// over; records without an id before the first chained line were written before
// the chain began.
#pragma once

#include <cstddef>
#include <string>

#include "journal_reader.h"

struct ChainReport {
    std::size_t unchained = 0;   // records without an id before the chain
    std::size_t chained = 0;     // lines whose id and link hold
    std::size_t firstLine = 0;   // where the chain starts; 0: no chained line
    std::size_t lastLine = 0;    // the last line that holds
    std::string journal;         // the chain's name
    std::size_t brokenLine = 0;  // the first line that is wrong; 0: the chain holds
    std::string problem;         // what is wrong with it
};

class ChainCheck {
  public:
    // Each line that is not blank, in file order.
    void Take(const JournalLine& line);
    const ChainReport& Report() const { return report_; }
    bool Holds() const { return report_.brokenLine == 0; }

  private:
    void Break(const JournalLine& line, std::string problem);
    void LookForMissing(const JournalLine& line);

    ChainReport report_;
    std::string lastId_;
    // Once broken: the id the broken line follows, looked for further on, which
    // tells a line moved from one removed.
    std::string missingId_;
    bool missingFound_ = false;
};
