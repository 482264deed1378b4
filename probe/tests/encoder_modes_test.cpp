// Which fields each library rewrites in each mode, from which record, and what the
// shared formatting buffer leaves after a short text. Every expected image starts
// from the input image and has its field bytes written out by hand.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "encoder_fixture.h"

namespace encoder_test {
namespace {

// Default sample layout: P = 1, so the force law starts at 92 and F, R lie at 108, 116.
constexpr std::size_t kF = 108;
constexpr std::size_t kR = 116;
constexpr std::size_t kType2Checksum = 92;
constexpr std::size_t kChecksum = 252;

// A sound image whose texts are not as the encoder writes them: the type and the
// serial with a blank, an O text cut by a NUL, F and R with two decimals short
// and junk after the NUL. Values read back: serial 123456, O text AB, F 3.5, R 5.7.
Image WornImage(int type) {
    Image image = SoundImage(type);
    Put(image, 0, type == 2 ? "M 02" : type == 3 ? "M 03" : "M 06");
    Put(image, 4, "S 123456");
    Put(image, 12, "OAB|wxyz");
    if (type != 2) {
        Put(image, kF, "F 3.5|ZZ");
        Put(image, kR, "R 5.7|ZZ");
    }
    probe_test::Reseal(image, type);
    return image;
}

// Encodes the library's own record, edited, in the given mode; checks that the
// library is left as it was and accepts the result.
Image Encode(
    int type, std::int32_t mode,
    const std::function<void(ProbeParameters&)>& edit = [](ProbeParameters&) {}) {
    Library library(type);
    EXPECT_EQ(library.Init(WornImage(type)), ProbeStatusOk);
    ProbeParameters record = library.Record();
    edit(record);
    const probe::ProbeState before = library.state();
    Image out;
    out.fill(0xA5);
    EXPECT_EQ(library.Encode(record, out, mode), ProbeStatusOk);
    EXPECT_TRUE(SameState(before, library.state()));
    Library reader(type);
    EXPECT_EQ(reader.Init(out), ProbeStatusOk);
    return out;
}

constexpr std::initializer_list<std::int32_t> kUnlistedModes = {0,       -1,      3,     0x10001,
                                                                0x10002, 0x1FFFF, -65535};

TEST(EncoderUnlistedMode, Palvo6RewritesTypeSerialFAndRFromItsOwnRecord) {
    for (std::int32_t mode : kUnlistedModes) {
        SCOPED_TRACE(mode);
        Image expected = WornImage(6);
        Put(expected, 0, "M006");
        Put(expected, 4, "S0123456");
        Put(expected, kF, "F 3.50|6");
        Put(expected, kR, "R 5.70|6");
        SealAt(expected, kChecksum);
        EXPECT_TRUE(SameImage(expected, Encode(6, mode)));
    }
}

TEST(EncoderUnlistedMode, Palvo3RewritesOnlyFWithAZeroedBufferBehindIt) {
    for (std::int32_t mode : kUnlistedModes) {
        SCOPED_TRACE(mode);
        Image expected = WornImage(3);
        Put(expected, kF, "F 3.50||");
        SealAt(expected, kChecksum);
        EXPECT_TRUE(SameImage(expected, Encode(3, mode)));
    }
}

TEST(EncoderUnlistedMode, Palvo2RewritesTypeSerialOTextDfabAndFr) {
    for (std::int32_t mode : kUnlistedModes) {
        SCOPED_TRACE(mode);
        Image expected = WornImage(2);
        Put(expected, 0, "M002");
        Put(expected, 4, "S0123456");
        Put(expected, 12, "OAB     ");
        Put(expected, 28, "DFAB2406");
        Put(expected, 64, "FR3.5|06");
        SealAt(expected, kType2Checksum);
        EXPECT_TRUE(SameImage(expected, Encode(2, mode)));
    }
}

void SetUsage(ProbeParameters& record) {
    record.NNumber = 89;
    record.UsageCount = 43;
    record.Gain = 99;  // not a usage field
}

TEST(EncoderUsageMode, EachLibraryWritesNAndCFromTheRecord) {
    Image expected6 = WornImage(6);
    Put(expected6, 0, "M006");
    Put(expected6, 4, "S0123456");
    Put(expected6, 36, "N0000089");
    Put(expected6, 72, "C0000043");
    Put(expected6, kF, "F 3.50|3");
    Put(expected6, kR, "R 5.70|3");
    SealAt(expected6, kChecksum);
    EXPECT_TRUE(SameImage(expected6, Encode(6, ProbeModeUsage, SetUsage)));

    Image expected3 = WornImage(3);
    Put(expected3, 36, "N0000089");
    Put(expected3, 72, "C0000043");
    Put(expected3, kF, "F 3.50|3");
    SealAt(expected3, kChecksum);
    EXPECT_TRUE(SameImage(expected3, Encode(3, ProbeModeUsage, SetUsage)));

    Image expected2 = WornImage(2);
    Put(expected2, 0, "M002");
    Put(expected2, 4, "S0123456");
    Put(expected2, 12, "OAB     ");
    Put(expected2, 28, "DFAB2406");
    Put(expected2, 36, "N0000089");
    Put(expected2, 64, "FR3.5|89");
    Put(expected2, 72, "C0000043");
    SealAt(expected2, kType2Checksum);
    EXPECT_TRUE(SameImage(expected2, Encode(2, ProbeModeUsage, SetUsage)));
}

// Identity fields changed in the record are ignored outside manufacture.
void SetCalibration(ProbeParameters& record) {
    SetText(record.CalibrationDate, "2601");
    SetText(record.OText, "IGNORED");
    SetText(record.FabricationDate, "9999");
    record.FrValue = 9.5f;
    record.FValue = 7.25f;
    record.RValue = 8.0f;
    record.NNumber = 1;
    record.Gain = 60;
    record.UsageCount = 43;
    record.ForceK = 0.123f;
    record.ForceX0 = -1.5f;
    record.ForceX1 = 12.345f;
    record.ForceF1 = 100.0f;
    record.ForceX2 = -0.25f;
    record.ForceF2 = 0.0f;
}

TEST(EncoderCalibrationMode, Palvo6WritesTheCalibrationGroupAndC) {
    Image expected = WornImage(6);
    Put(expected, 0, "M006");
    Put(expected, 4, "S0123456");
    Put(expected, 20, "DCAL2601");
    Put(expected, 44, "G060");
    Put(expected, 72, "C0000043");
    Put(expected, 80, "PO01");  // coefficients: the library's own block, unchanged
    Put(expected, 92, "k 0.12|3");
    Put(expected, 100, "x0-1.50|");
    Put(expected, kF, "F 3.50||");
    Put(expected, kR, "R 5.70||");
    Put(expected, 124, "x112.35|");
    Put(expected, 132, "f1100.00");
    Put(expected, 140, "x2-0.25|");
    Put(expected, 148, "f20.00||");
    Put(expected, 156, "PO00");
    SealAt(expected, kChecksum);
    EXPECT_TRUE(SameImage(expected, Encode(6, ProbeModeCalibration, SetCalibration)));
}

TEST(EncoderCalibrationMode, Palvo3LeavesTypeSerialCAndRAlone) {
    Image expected = WornImage(3);
    Put(expected, 20, "DCAL2601");
    Put(expected, 44, "G060");
    Put(expected, 80, "PO01");
    Put(expected, 92, "k 0.12|1");
    Put(expected, 100, "x0-1.50|");
    Put(expected, kF, "F 3.50||");
    Put(expected, 124, "x112.35|");
    Put(expected, 132, "f1100.00");
    Put(expected, 140, "x2-0.25|");
    Put(expected, 148, "f20.00||");
    Put(expected, 156, "PO00");
    SealAt(expected, kChecksum);
    EXPECT_TRUE(SameImage(expected, Encode(3, ProbeModeCalibration, SetCalibration)));
}

TEST(EncoderCalibrationMode, Palvo2RewritesItsAlwaysFieldsAroundTheCalibrationGroup) {
    Image expected = WornImage(2);
    Put(expected, 0, "M002");
    Put(expected, 4, "S0123456");
    Put(expected, 12, "OAB     ");
    Put(expected, 20, "DCAL2601");
    Put(expected, 28, "DFAB2406");
    Put(expected, 44, "G060");
    Put(expected, 64, "FR3.5|06");
    Put(expected, 80, "PO01");
    SealAt(expected, kType2Checksum);
    EXPECT_TRUE(SameImage(expected, Encode(2, ProbeModeCalibration, SetCalibration)));
}

// A host record as the writer prepares it: zero-filled, Size set, identity filled in.
ProbeParameters ManufactureRecord() {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    record.Type = 9;       // never written: M carries the library's type
    record.Serial = 7777;  // need not match the library's
    SetText(record.OText, "XY");
    SetText(record.FabricationDate, "0934");
    record.FrValue = 3.5f;
    record.FValue = 2.5f;
    record.RValue = 6.0f;
    record.PositionOrder = 1;
    record.NNumber = 5;  // not a manufacture field
    return record;
}

TEST(EncoderManufactureMode, EachLibraryWritesTheIdentityFromTheRecord) {
    const ProbeParameters record = ManufactureRecord();
    Image expected6 = WornImage(6);
    Put(expected6, 0, "M006");
    Put(expected6, 4, "S0007777");
    Put(expected6, 12, "OXY     ");
    Put(expected6, 28, "DFAB0934");
    Put(expected6, 64, "FR3.5|34");
    Put(expected6, kF, "F 2.50|4");
    Put(expected6, kR, "R 6.00|4");
    SealAt(expected6, kChecksum);
    EXPECT_TRUE(SameImage(
        expected6, Encode(6, ProbeModeManufacture, [&](ProbeParameters& r) { r = record; })));

    Image expected3 = expected6;
    Put(expected3, 0, "M003");
    SealAt(expected3, kChecksum);
    EXPECT_TRUE(SameImage(
        expected3, Encode(3, ProbeModeManufacture, [&](ProbeParameters& r) { r = record; })));

    Image expected2 = WornImage(2);
    Put(expected2, 0, "M002");
    Put(expected2, 4, "S0007777");
    Put(expected2, 12, "OXY     ");
    Put(expected2, 28, "DFAB0934");
    Put(expected2, 64, "FR3.5|34");
    SealAt(expected2, kType2Checksum);
    EXPECT_TRUE(SameImage(
        expected2, Encode(2, ProbeModeManufacture, [&](ProbeParameters& r) { r = record; })));
}

}  // namespace
}  // namespace encoder_test
