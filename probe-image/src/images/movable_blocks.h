// Reading the library's movable memory blocks through their handles, and blocks
// the tool owns itself for coefficients it hands to the encoder.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "palvo.h"

// count float values from the block; nothing when the handle cannot be locked.
std::optional<std::vector<float>> ReadBlockFloats(ProbeBlockHandle handle, std::size_t count);

struct TableRange {
    float min = 0;
    float max = 0;
    std::size_t notANumber = 0;  // entries left out of min and max
};

inline constexpr std::size_t kPositionTableEntries = 65536;

// Smallest and largest entry of the position table; nothing when it cannot be locked.
std::optional<TableRange> PositionTableRange(ProbeBlockHandle table);

// A movable block allocated and freed by the tool, holding float values.
class HostBlock {
  public:
    HostBlock() = default;
    explicit HostBlock(const std::vector<float>& values);  // throws std::bad_alloc
    ~HostBlock();
    HostBlock(HostBlock&& other) noexcept;
    HostBlock& operator=(HostBlock&& other) noexcept;
    HostBlock(const HostBlock&) = delete;
    HostBlock& operator=(const HostBlock&) = delete;

    ProbeBlockHandle handle() const { return handle_; }

  private:
    ProbeBlockHandle handle_ = 0;
};
