// The journal a production run appends to, shared by its workers: one record
// per probe, appended whole under the run's lock, each then handed on (to the
// lab database, where one is chosen).
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "bench_record.h"
#include "record_file.h"

class ProductionJournal {
  public:
    using Appended = std::function<void()>;  // called after each record went in

    explicit ProductionJournal(const std::filesystem::path& path, Appended appended = {});

    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Failure() const { return file_.Failure(); }
    const std::filesystem::path& Path() const { return path_; }
    // Where the as-found images go: as-found/ beside the journal.
    std::filesystem::path BackupFolder() const { return path_.parent_path() / "as-found"; }

    // Empty when the record went in; else why not.
    std::string Append(const BenchRecord& record);

  private:
    std::filesystem::path path_;
    Appended appended_;
    std::mutex lock_;
    RecordFile file_;
};
