// The local ledger: each call locks the lot's file, reads what other programs
// appended since the last call, and appends its one change as a whole line
// flushed to disk before it returns. A mutex keeps the threads of one program,
// which share the file's handle, to one call at a time.
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <system_error>

#include "lot_file.h"
#include "record_file.h"

namespace {

namespace fs = std::filesystem;

std::string LotFileName(const std::string& name) {
    return name + ".jsonl";
}

// A file opened for appending, closed at the end.
class AppendHandle {
  public:
    explicit AppendHandle(const fs::path& path) {
        std::string failure;
        handle_ = OpenAppendFile(path, failure);
        if (handle_ == -1)
            throw LedgerFailure("cannot open " + path.string() + ": " + failure);
    }
    ~AppendHandle() { CloseAppendFile(handle_); }
    AppendHandle(const AppendHandle&) = delete;
    AppendHandle& operator=(const AppendHandle&) = delete;
    std::intptr_t get() const { return handle_; }

  private:
    std::intptr_t handle_ = -1;
};

// The exclusive lock of a file, held while in scope.
class FileLock {
  public:
    FileLock(std::intptr_t handle, const fs::path& path) : handle_(handle) {
        std::string failure;
        if (!LockAppendFile(handle, failure))
            throw LedgerFailure("cannot lock " + path.string() + ": " + failure);
    }
    ~FileLock() { UnlockAppendFile(handle_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    std::intptr_t handle_;
};

class LocalLot : public LotLedger {
  public:
    explicit LocalLot(const fs::path& file) : path_(file), where_(file.string()), file_(file) {}

    const LotDefinition& Lot() const override { return *state_.lot; }

    std::optional<long> Take(const std::string& bench, const std::string& target) override {
        return Locked([&]() -> std::optional<long> {
            if (LotUsedUp(state_))
                return std::nullopt;
            SerialUse use;
            use.serial = state_.lowestFree;
            use.bench = bench;
            use.target = target;
            use.time = LotTimeNow();
            AppendLine([&](bool afterTorn) { return SerialChangeLine(use, afterTorn); });
            return use.serial;
        });
    }

    void MarkProgrammed(long serial) override { Result(serial, SerialState::Programmed, {}); }

    void MarkSpoiled(long serial, const std::string& reason) override {
        Result(serial, SerialState::Spoiled, reason);
    }

    SerialState StateOf(long serial) override {
        return Locked([&] {
            RequireOfLot(serial);
            const auto held = state_.used.find(serial);
            return held == state_.used.end() ? SerialState::Free : held->second.state;
        });
    }

    LotStanding Standing() override {
        return Locked([&] {
            std::vector<SerialUse> used;
            used.reserve(state_.used.size());
            for (const auto& entry : state_.used)
                used.push_back(entry.second);
            return StandingOf(*state_.lot, std::move(used));
        });
    }

    std::string Where() const override { return where_; }

    // Reads the file under its lock; the lot it defines, if any.
    const std::optional<LotDefinition>& Read() {
        return Locked([&]() -> const std::optional<LotDefinition>& { return state_.lot; });
    }

    // Appends the definition unless the file holds one already; the lot kept.
    const LotDefinition& Define(const LotDefinition& lot) {
        return Locked([&]() -> const LotDefinition& {
            if (!state_.lot)
                AppendLine([&](bool afterTorn) { return LotDefinitionLine(lot, afterTorn); });
            return *state_.lot;
        });
    }

  private:
    template <typename Step>
    auto Locked(Step step) -> decltype(step()) {
        const std::lock_guard<std::mutex> threads(mutex_);
        if (!broken_.empty())
            throw LedgerFailure(broken_);
        const FileLock lock(file_.get(), path_);
        Refresh();
        return step();
    }

    // Reads the lines appended since the last call; under the lock.
    void Refresh() {
        std::string failure;
        std::uint64_t size = 0;
        if (!AppendFileSize(file_.get(), size, failure))
            throw LedgerFailure("cannot read " + where_ + ": " + failure);
        if (size < read_)
            throw LedgerFailure(where_ + " shrank while in use: a ledger is only ever appended to");
        std::string text(static_cast<std::size_t>(size - read_), '\0');
        if (!text.empty() && !ReadAppendFile(file_.get(), read_, text.data(), text.size(), failure))
            throw LedgerFailure("cannot read " + where_ + ": " + failure);
        try {
            read_ += ReadLotLines(text, state_, where_);
        } catch (const LotError& error) {
            // The lines before the damage are taken in already: read no further.
            broken_ = error.what();
            throw;
        }
        torn_ = read_ < size;
    }

    // Appends one line, after the line break a torn last line lacks, and reads
    // it back; under the lock.
    void AppendLine(const std::function<std::string(bool afterTorn)>& line) {
        std::string whole = torn_ ? "\n" : "";
        whole += line(torn_);
        whole += '\n';
        std::string failure;
        if (!AppendAndFlush(file_.get(), whole, failure))
            throw LedgerFailure("cannot write to " + where_ + ": " + failure);
        Refresh();
    }

    void RequireOfLot(long serial) const {
        if (!state_.lot->serials.Holds(serial))
            throw LotError("the serial " + std::to_string(serial) + " is not one of the lot " +
                           state_.lot->name + "'s " + SerialRangeText(state_.lot->serials));
    }

    void Result(long serial, SerialState state, const std::string& reason) {
        Locked([&] {
            RequireOfLot(serial);
            const auto held = state_.used.find(serial);
            if (held == state_.used.end())
                throw LotError("the serial " + std::to_string(serial) + " of the lot " +
                               state_.lot->name + " was never taken, so it has no result");
            if (held->second.state != SerialState::Taken)
                throw LotError("the serial " + std::to_string(serial) + " of the lot " +
                               state_.lot->name +
                               " has its result already: " + StateName(held->second.state));
            SerialUse use = held->second;
            use.state = state;
            use.reason = reason;
            use.time = LotTimeNow();
            AppendLine([&](bool afterTorn) { return SerialChangeLine(use, afterTorn); });
        });
    }

    fs::path path_;
    std::string where_;
    AppendHandle file_;
    std::mutex mutex_;
    LotFileState state_;
    std::uint64_t read_ = 0;  // the bytes of whole lines read
    bool torn_ = false;       // the file ends in a line cut short
    std::string broken_;      // why the file cannot be read, once it could not
};

void RequireKeptAs(const LotDefinition& kept, const std::string& name, const fs::path& file) {
    if (kept.name != name)
        throw LotError(file.string() + " holds the lot " + kept.name + ", not " + name);
}

// The lot another file of the folder defines, if any.
std::optional<LotDefinition> DefinedIn(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        throw LedgerFailure("cannot read " + file.string() + " to check its range");
    const std::string text{std::istreambuf_iterator<char>(stream), {}};
    LotFileState state;
    ReadLotLines(text, state, file.string());
    return state.lot;
}

// An overlap found in any lot of the folder is told first, whatever order the
// folder lists them in; a lot that cannot be read, after that: it may overlap.
void RefuseOverlap(const fs::path& folder, const LotDefinition& lot) {
    std::error_code error;
    std::optional<LedgerFailure> unreadable;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& file = entry->path();
        if (file.extension() != ".jsonl" || file.filename() == LotFileName(lot.name))
            continue;
        std::optional<LotDefinition> other;
        try {
            other = DefinedIn(file);
        } catch (const LedgerFailure& failure) {
            if (!unreadable)
                unreadable = failure;
            continue;
        }
        if (other && other->serials.Overlaps(lot.serials))
            throw LotError("the serials " + SerialRangeText(lot.serials) + " of the lot " +
                           lot.name + " overlap those of the lot " + other->name + " (" +
                           SerialRangeText(other->serials) + ") kept in " + file.string());
    }
    if (error)
        throw LedgerFailure("cannot list " + folder.string() + ": " + error.message());
    if (unreadable)
        throw *unreadable;
}

}  // namespace

std::unique_ptr<LotLedger> OpenLocalLot(const fs::path& folder, const LotDefinition& lot) {
    RequireLotDefinition(lot);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw LedgerFailure("cannot create " + folder.string() + ": " + error.message());
    // One creator at a time in the folder, so that two overlapping lots made at
    // once cannot both be.
    const fs::path lockPath = folder / "lots.lock";
    const AppendHandle folderHandle(lockPath);
    const FileLock folderLock(folderHandle.get(), lockPath);

    const fs::path file = folder / LotFileName(lot.name);
    const bool existed = fs::exists(file, error);
    if (!existed)
        RefuseOverlap(folder, lot);  // before its file is made
    auto ledger = std::make_unique<LocalLot>(file);
    if (const std::optional<LotDefinition>& kept = ledger->Read()) {
        RequireKeptAs(*kept, lot.name, file);
        const std::string difference = DefinitionDifference(*kept, lot);
        if (!difference.empty())
            throw LotError("the lot " + lot.name + " kept in " + file.string() +
                           " differs: " + difference);
        return ledger;
    }
    if (existed)
        RefuseOverlap(folder, lot);  // a file left without its definition
    LotDefinition made = lot;
    made.created = LotTimeNow();
    ledger->Define(made);
    return ledger;
}

std::unique_ptr<LotLedger> OpenLocalLot(const fs::path& folder, const std::string& name) {
    RequireLotName(name);
    const fs::path file = folder / LotFileName(name);
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        throw LotError("no lot " + name + " is kept in " + folder.string());
    auto ledger = std::make_unique<LocalLot>(file);
    const std::optional<LotDefinition>& kept = ledger->Read();
    if (!kept)
        throw LotError("no lot " + name + " is kept in " + folder.string() + " (" + file.string() +
                       " holds no definition)");
    RequireKeptAs(*kept, name, file);
    return ledger;
}
