// A probe library of one type held by a test, a sound image to give it, and the
// byte helpers with which the encoder tests write their expected images by hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "decoder.h"
#include "encoder.h"
#include "image_crc.h"
#include "probe_state.h"
#include "probe_traits.h"
#include "sample_images.h"

namespace encoder_test {

using probe_test::Image;

inline constexpr std::int32_t kUnlistedMode = 0;

// One library's state, freed at the end of the test.
class Library {
  public:
    explicit Library(int type) : traits_(probe::TraitsFor(type)) {}
    ~Library() { probe::ResetProbeState(state_); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    std::uint16_t Init(const Image& image) {
        return probe::DecodeImage(traits_, state_, image.data());
    }
    // The library's record as a host receives it.
    ProbeParameters Record() const {
        ProbeParameters record{};
        record.Size = PROBE_PARAMETERS_SIZE;
        EXPECT_EQ(probe::GetParameters(state_, &record), ProbeStatusOk);
        return record;
    }
    std::uint16_t Encode(const ProbeParameters& record, Image& out, std::int32_t mode) const {
        return probe::SetParameters(traits_, state_, record, out.data(), mode);
    }
    const probe::ProbeState& state() const { return state_; }

  private:
    const probe::ProbeTraits& traits_;
    probe::ProbeState state_{};
};

// A sound image of the given type, its fields those of the default sample.
inline Image SoundImage(int type) {
    probe_test::ImageContents contents;
    contents.type = type;
    return probe_test::BuildImage(contents);
}

// Writes the bytes of one field as given, each | standing for a NUL: "F 3.50|6"
// is a short text, its NUL and one byte an earlier text left in the buffer.
inline void Put(Image& image, std::size_t offset, std::string_view bytes) {
    for (char c : bytes)
        image[offset++] = static_cast<std::uint8_t>(c == '|' ? '\0' : c);
}

// Stores the checksum of bytes 0 .. at-1 at the given offset.
inline void SealAt(Image& image, std::size_t at) {
    probe::StoreLittleEndian32(image.data() + at, probe::ProbeImageCrc(image.data(), at));
}

inline void SetText(char (&field)[PROBE_TEXT_SIZE], const char* text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text, std::min(std::strlen(text), sizeof field - 1));
}

// Equal images, or the offsets where they differ.
inline ::testing::AssertionResult SameImage(const Image& expected, const Image& actual) {
    std::string differences;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == actual[i])
            continue;
        differences += " @" + std::to_string(i) + ": expected " + std::to_string(expected[i]) +
                       ", got " + std::to_string(actual[i]) + ";";
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "images differ:" << differences;
}

inline bool SameState(const probe::ProbeState& a, const probe::ProbeState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace encoder_test
