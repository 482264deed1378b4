// Shared pieces of the decoder tests: a fresh state per test, the record a
// library should produce written out by hand, and small image edits.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_floats.h"
#include "decoder.h"
#include "probe_state.h"
#include "probe_traits.h"
#include "sample_images.h"

namespace probe_test::decoding {

inline constexpr int kProbeTypes[] = {2, 3, 6};
inline constexpr int kForceLawTypes[] = {3, 6};

inline std::string TypeName(const testing::TestParamInfo<int>& info) {
    return "Type" + std::to_string(info.param);
}

// A zeroed state on the heap, its blocks freed at the end of the test.
class FreshState {
  public:
    FreshState() : state_(std::make_unique<probe::ProbeState>()) {}
    ~FreshState() { probe::ResetProbeState(*state_); }
    FreshState(const FreshState&) = delete;
    FreshState& operator=(const FreshState&) = delete;

    probe::ProbeState& operator*() { return *state_; }
    probe::ProbeState* operator->() { return state_.get(); }

  private:
    std::unique_ptr<probe::ProbeState> state_;
};

inline std::uint16_t Decode(int type, probe::ProbeState& state, const Image& image) {
    return probe::DecodeImage(probe::TraitsFor(type), state, image.data());
}

// Writes text over the image bytes from offset on, without its NUL.
inline void PutText(Image& image, std::size_t offset, const char* text) {
    std::memcpy(image.data() + offset, text, std::strlen(text));
}

inline void SetWords(std::uint16_t (&words)[5], std::uint16_t a, std::uint16_t b, std::uint16_t c,
                     std::uint16_t d, std::uint16_t e) {
    words[0] = a;
    words[1] = b;
    words[2] = c;
    words[3] = d;
    words[4] = e;
}

// Size and host presets of each library before any image field is read.
inline ProbeParameters ExpectedPresets(int type) {
    ProbeParameters r;
    std::memset(&r, 0, sizeof r);
    r.Size = 1188;
    r.PresetReal0 = 50.0f;
    r.PresetReal6 = 1.2f;
    r.PresetReal7 = 20.0f;
    r.UsageLimit = 20000;
    r.CalibrationMonths = 6;
    r.PresetInt2 = 1;
    if (type == 2) {
        r.FValue = 4.0f;
        r.RValue = 5.7f;
        r.PresetReal1 = 35.0f;
        r.PresetReal2 = 9.0f;
        r.PresetReal3 = 7.0f;
        r.PresetReal4 = -9.0f;
        r.PresetReal5 = 9.0f;
        r.PresetReal8 = 15.0f;
        SetWords(r.PresetWordsA, 225, 320, 0, 1, 75);
        SetWords(r.PresetWordsB, 6, 10, 0, 1, 128);
        return r;
    }
    r.PresetReal1 = type == 3 ? 35.0f : 50.0f;
    r.PresetReal2 = type == 3 ? 9.0f : 13.0f;
    r.PresetReal3 = type == 3 ? 7.0f : 10.0f;
    r.PresetReal5 = 12.0f;
    r.PresetInt1 = 1;
    SetWords(r.PresetWordsA, 1, 0, 0, 0, 0);
    SetWords(r.PresetWordsB, 1, 0, 0, 0, 0);
    return r;
}

inline std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Field by field for a readable failure, then every byte including the reserved ones.
inline void ExpectSameRecord(const ProbeParameters& a, const ProbeParameters& e) {
#define EXPECT_SAME_FIELD(name) EXPECT_EQ(a.name, e.name) << #name
#define EXPECT_SAME_REAL(name) EXPECT_EQ(Bits(a.name), Bits(e.name)) << #name << " " << a.name
#define EXPECT_SAME_TEXT(name) EXPECT_EQ(0, std::memcmp(a.name, e.name, sizeof a.name)) << #name
    EXPECT_SAME_FIELD(Size);
    EXPECT_SAME_FIELD(Type);
    EXPECT_SAME_FIELD(Serial);
    EXPECT_SAME_FIELD(NNumber);
    EXPECT_SAME_FIELD(UsageCount);
    EXPECT_SAME_FIELD(Gain);
    EXPECT_SAME_FIELD(PositionOrder);
    EXPECT_SAME_FIELD(PositionCoefficients);
    EXPECT_SAME_REAL(FrValue);
    EXPECT_SAME_TEXT(OText);
    EXPECT_SAME_TEXT(CalibrationDate);
    EXPECT_SAME_TEXT(FabricationDate);
    EXPECT_SAME_REAL(ForceK);
    EXPECT_SAME_REAL(ForceX0);
    EXPECT_SAME_REAL(FValue);
    EXPECT_SAME_REAL(RValue);
    EXPECT_SAME_REAL(PresetReal0);
    EXPECT_SAME_FIELD(PresetFlag0);
    EXPECT_SAME_REAL(PresetReal1);
    EXPECT_SAME_REAL(PresetReal2);
    EXPECT_SAME_REAL(PresetReal3);
    EXPECT_SAME_REAL(PresetReal4);
    EXPECT_SAME_REAL(PresetReal5);
    EXPECT_SAME_REAL(PresetReal6);
    EXPECT_SAME_REAL(PresetReal7);
    EXPECT_SAME_REAL(PresetReal8);
    EXPECT_SAME_FIELD(UsageLimit);
    EXPECT_SAME_FIELD(CalibrationMonths);
    EXPECT_SAME_FIELD(PresetFlag1);
    EXPECT_SAME_FIELD(PresetInt1);
    EXPECT_SAME_FIELD(PresetInt2);
    EXPECT_SAME_TEXT(PresetWordsA);
    EXPECT_SAME_TEXT(PresetWordsB);
    EXPECT_SAME_FIELD(PositionTable);
    EXPECT_SAME_REAL(ForceX1);
    EXPECT_SAME_REAL(ForceX2);
    EXPECT_SAME_REAL(ForceF2);
    EXPECT_SAME_REAL(ForceF1);
    EXPECT_SAME_FIELD(ForceOrder);
    EXPECT_SAME_FIELD(ForceCoefficients);
#undef EXPECT_SAME_FIELD
#undef EXPECT_SAME_REAL
#undef EXPECT_SAME_TEXT
    EXPECT_EQ(0, std::memcmp(&a, &e, sizeof a)) << "records differ, reserved bytes included";
}

// The value a reading gives for a number written with the given format.
inline float Printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return static_cast<float>(std::strtod(text, nullptr));
}

// Presets and every field an image built from these contents carries, up to but without the
// position order, handles, PresetWordsB choice and force law.
inline ProbeParameters ExpectedIdentity(const ImageContents& contents) {
    ProbeParameters r = ExpectedPresets(contents.type);
    r.Type = static_cast<std::uint8_t>(contents.type);
    r.Serial = contents.serial;
    std::snprintf(r.OText, 8, "%-7s", contents.oText.c_str());
    std::snprintf(r.CalibrationDate, 5, "%-4s", contents.calibrationDate.c_str());
    std::snprintf(r.FabricationDate, 5, "%-4s", contents.fabricationDate.c_str());
    r.NNumber = contents.nNumber;
    r.Gain = static_cast<std::uint8_t>(contents.gain);
    r.FrValue = Printed("%2.1f", contents.fr);
    r.UsageCount = contents.usageCount;
    return r;
}

// The force law fields of a type-3 or type-6 image, the order included.
inline void AddForceLaw(const ImageContents& contents, ProbeParameters& r) {
    const ForceLawContents& f = contents.force;
    r.ForceK = Printed("%2.2f", f.k);
    r.ForceX0 = Printed("%2.2f", f.x0);
    r.FValue = Printed("%2.2f", f.f);
    r.RValue = Printed("%2.2f", f.r);
    r.ForceX1 = f.x1 ? Printed("%2.2f", *f.x1) : r.ForceX0;
    r.ForceF1 = f.f1 ? Printed("%2.2f", *f.f1) : 0.0f;
    r.ForceX2 = f.x2 ? Printed("%2.2f", *f.x2) : r.ForceX0;
    r.ForceF2 = f.f2 ? Printed("%2.2f", *f.f2) : 0.0f;
    r.ForceOrder = static_cast<std::uint8_t>(f.polynomial.size() - 1);
}

// Everything a sound image decodes to, handles aside.
inline ProbeParameters ExpectedRecord(const ImageContents& contents) {
    ProbeParameters r = ExpectedIdentity(contents);
    r.PositionOrder = static_cast<std::uint8_t>(contents.position.size() - 1);
    if (contents.type == 2)
        return r;
    AddForceLaw(contents, r);
    if (r.FValue < 3.0f) {
        if (contents.type == 3)
            SetWords(r.PresetWordsB, 256, 2, 0, 400, 25600);
        else
            SetWords(r.PresetWordsB, 1, 21, 0, 1, 22);
    } else {
        SetWords(r.PresetWordsB, 256, 3, 0, 400, 25600);
    }
    return r;
}

inline void CopyHandles(const ProbeParameters& from, ProbeParameters& to) {
    to.PositionCoefficients = from.PositionCoefficients;
    to.ForceCoefficients = from.ForceCoefficients;
    to.PositionTable = from.PositionTable;
}

}  // namespace probe_test::decoding
