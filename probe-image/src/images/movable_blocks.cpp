#include "movable_blocks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "global_memory.h"

namespace {

HGLOBAL ToHandle(ProbeBlockHandle handle) {
    return reinterpret_cast<HGLOBAL>(static_cast<std::uintptr_t>(handle));
}

// Locked for the lifetime of the object.
class Locked {
  public:
    explicit Locked(ProbeBlockHandle handle)
        : handle_(ToHandle(handle)), bytes_(handle == 0 ? nullptr : GlobalLock(handle_)) {}
    ~Locked() {
        if (bytes_ != nullptr)
            GlobalUnlock(handle_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    const void* bytes() const { return bytes_; }
    void* bytes() { return bytes_; }

  private:
    HGLOBAL handle_;
    void* bytes_;
};

}  // namespace

std::optional<std::vector<float>> ReadBlockFloats(ProbeBlockHandle handle, std::size_t count) {
    Locked block(handle);
    if (block.bytes() == nullptr)
        return std::nullopt;
    std::vector<float> values(count);
    std::memcpy(values.data(), block.bytes(), count * sizeof(float));
    return values;
}

std::optional<TableRange> PositionTableRange(ProbeBlockHandle table) {
    const auto entries = ReadBlockFloats(table, kPositionTableEntries);
    if (!entries)
        return std::nullopt;
    TableRange range;
    bool first = true;
    for (float entry : *entries) {
        if (std::isnan(entry)) {
            ++range.notANumber;
        } else if (first) {
            range.min = range.max = entry;
            first = false;
        } else {
            range.min = std::min(range.min, entry);
            range.max = std::max(range.max, entry);
        }
    }
    return range;
}

HostBlock::HostBlock(const std::vector<float>& values) {
    const std::size_t bytes = std::max<std::size_t>(values.size(), 1) * sizeof(float);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (block == nullptr)
        throw std::bad_alloc();
    const auto value = reinterpret_cast<std::uintptr_t>(block);
    if (value != static_cast<ProbeBlockHandle>(value)) {
        GlobalFree(block);  // the record holds 32-bit handles: never a truncated one
        throw std::bad_alloc();
    }
    handle_ = static_cast<ProbeBlockHandle>(value);
    Locked locked(handle_);
    if (locked.bytes() == nullptr) {
        GlobalFree(block);
        handle_ = 0;
        throw std::bad_alloc();
    }
    std::memcpy(locked.bytes(), values.data(), values.size() * sizeof(float));
}

HostBlock::~HostBlock() {
    if (handle_ != 0)
        GlobalFree(ToHandle(handle_));
}

HostBlock::HostBlock(HostBlock&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}

HostBlock& HostBlock::operator=(HostBlock&& other) noexcept {
    if (this != &other) {
        if (handle_ != 0)
            GlobalFree(ToHandle(handle_));
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}
