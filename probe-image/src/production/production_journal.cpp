#include "production_journal.h"

ProductionJournal::ProductionJournal(const std::filesystem::path& path, Appended appended)
    : path_(path), appended_(std::move(appended)), file_(path) {}

std::string ProductionJournal::Append(const BenchRecord& record) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (!file_.Append(RecordLine(record)))
        return "the record could not be written to " + path_.string() + ": " + file_.Failure();
    if (appended_)
        appended_();
    return {};
}
