// Encoded images fed back to the decoder: calibration round trips, coefficient
// blocks owned by the host, records whose orders move the later fields, texts that
// fill their whole array, and manufacture on a library that holds no accepted image.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "block_floats.h"
#include "block_memory.h"
#include "encoder_fixture.h"

namespace encoder_test {
namespace {

using probe_test::BlockFloats;

void PutFloats(Image& image, std::size_t offset, const std::vector<float>& values) {
    std::memcpy(image.data() + offset, values.data(), values.size() * sizeof(float));
}

// A coefficient block the host allocates and fills itself.
class HostBlock {
  public:
    explicit HostBlock(const std::vector<float>& values)
        : block_(GlobalAlloc(GMEM_MOVEABLE, values.size() * sizeof(float))) {
        void* data = GlobalLock(block_);
        std::memcpy(data, values.data(), values.size() * sizeof(float));
        GlobalUnlock(block_);
    }
    ~HostBlock() { GlobalFree(block_); }
    HostBlock(const HostBlock&) = delete;
    HostBlock& operator=(const HostBlock&) = delete;
    ProbeBlockHandle handle() const { return probe::FromHglobal(block_); }

  private:
    HGLOBAL block_;
};

TEST(EncoderRoundTrip, CalibrationRecordComesBackExceptForDecimalsTheTextDrops) {
    probe_test::ImageContents contents;
    contents.position = {1.5f, 0.25f, -0.125f, 0.0625f};
    contents.force = {2.0, 0.5, 2.5, 5.7, 40.0, 9.0, -3.0, -1.0, {0.1f, 0.02f, -0.003f}};
    for (int type : {2, 3, 6}) {
        SCOPED_TRACE(type);
        contents.type = type;
        Library first(type);
        ASSERT_EQ(first.Init(probe_test::BuildImage(contents)), ProbeStatusOk);
        ProbeParameters sent = first.Record();
        sent.ForceK = 0.123f;
        Image out;
        ASSERT_EQ(first.Encode(sent, out, ProbeModeCalibration), ProbeStatusOk);

        Library second(type);
        ASSERT_EQ(second.Init(out), ProbeStatusOk);
        ProbeParameters back = second.Record();
        EXPECT_EQ(back.ForceK, type == 2 ? 0.0f : 0.12f);
        EXPECT_EQ(BlockFloats(back.PositionCoefficients, 4), contents.position);
        if (type != 2) {
            EXPECT_EQ(BlockFloats(back.ForceCoefficients, 3), contents.force.polynomial);
        }
        back.ForceK = sent.ForceK;
        back.PositionCoefficients = sent.PositionCoefficients;
        back.ForceCoefficients = sent.ForceCoefficients;
        back.PositionTable = sent.PositionTable;
        EXPECT_EQ(std::memcmp(&back, &sent, sizeof back), 0);
    }
}

TEST(EncoderRoundTrip, HostBlocksWithNewOrdersMoveTheForceLaw) {
    const std::vector<float> position{1.5f, -2.0f, 0.25f, 1e-3f};
    const std::vector<float> force{0.5f, 2.0f, -1.0f};
    HostBlock positionBlock(position);
    HostBlock forceBlock(force);
    Library library(6);
    const Image stored = SoundImage(6);
    ASSERT_EQ(library.Init(stored), ProbeStatusOk);
    ProbeParameters record = library.Record();
    record.PositionOrder = 3;
    record.PositionCoefficients = positionBlock.handle();
    record.ForceOrder = 2;
    record.ForceCoefficients = forceBlock.handle();
    Image out;
    ASSERT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusOk);

    // The last byte of each short force-law text is the 2 that C0000042 left.
    Image expected = stored;
    Put(expected, 80, "PO03");
    PutFloats(expected, 84, position);
    Put(expected, 100, "k 2.00|2");
    Put(expected, 108, "x00.50|2");
    Put(expected, 116, "F 3.50|2");
    Put(expected, 124, "R 5.70|2");
    Put(expected, 132, "x10.50|2");
    Put(expected, 140, "f10.00|2");
    Put(expected, 148, "x20.50|2");
    Put(expected, 156, "f20.00|2");
    Put(expected, 164, "PO02");
    PutFloats(expected, 168, force);
    SealAt(expected, 252);
    EXPECT_TRUE(SameImage(expected, out));

    Library reader(6);
    ASSERT_EQ(reader.Init(out), ProbeStatusOk);
    EXPECT_EQ(BlockFloats(reader.Record().PositionCoefficients, 4), position);
    EXPECT_EQ(BlockFloats(reader.Record().ForceCoefficients, 3), force);
}

TEST(EncoderRoundTrip, LargestOrdersStillFitTheImage) {
    struct Case {
        int type;
        std::uint8_t positionOrder, forceOrder;
    };
    for (const Case& c : {Case{2, 15, 0}, Case{3, 8, 15}, Case{6, 15, 8}}) {
        SCOPED_TRACE(c.type);
        std::vector<float> position(c.positionOrder + 1u), force(c.forceOrder + 1u);
        for (std::size_t i = 0; i < position.size(); ++i)
            position[i] = 0.5f * i + 1;
        for (std::size_t i = 0; i < force.size(); ++i)
            force[i] = -0.25f * i;
        HostBlock positionBlock(position);
        HostBlock forceBlock(force);
        Library library(c.type);
        ASSERT_EQ(library.Init(SoundImage(c.type)), ProbeStatusOk);
        ProbeParameters record = library.Record();
        record.PositionOrder = c.positionOrder;
        record.PositionCoefficients = positionBlock.handle();
        record.ForceOrder = c.forceOrder;
        record.ForceCoefficients = forceBlock.handle();
        Image out;
        ASSERT_EQ(library.Encode(record, out, ProbeModeCalibration), ProbeStatusOk);

        Library reader(c.type);
        ASSERT_EQ(reader.Init(out), ProbeStatusOk);
        const ProbeParameters back = reader.Record();
        EXPECT_EQ(BlockFloats(back.PositionCoefficients, position.size()), position);
        if (c.type != 2) {
            EXPECT_EQ(BlockFloats(back.ForceCoefficients, force.size()), force);
        }
        if (c.type == 2) {
            Image sealed = out;
            SealAt(sealed, 148);
            EXPECT_TRUE(SameImage(sealed, out));
        }
    }
}

TEST(EncoderRoundTrip, ManufactureOrderPlacesFAndRAndTheType2Checksum) {
    Library library6(6);
    const Image stored6 = SoundImage(6);
    ASSERT_EQ(library6.Init(stored6), ProbeStatusOk);
    ProbeParameters record = library6.Record();
    record.PositionOrder = 3;
    Image out;
    ASSERT_EQ(library6.Encode(record, out, ProbeModeManufacture), ProbeStatusOk);
    Image expected = stored6;
    Put(expected, 64, "FR3.5|06");
    Put(expected, 116, "F 3.50|6");
    Put(expected, 124, "R 5.70|6");
    SealAt(expected, 252);
    EXPECT_TRUE(SameImage(expected, out));
    // The image still says P = 1: its R slot now holds the F text.
    Library reader6(6);
    ASSERT_EQ(reader6.Init(out), ProbeStatusOk);
    EXPECT_EQ(reader6.Record().RValue, 3.5f);

    Library library2(2);
    const Image stored2 = SoundImage(2);
    ASSERT_EQ(library2.Init(stored2), ProbeStatusOk);
    record = library2.Record();
    record.PositionOrder = 3;
    ASSERT_EQ(library2.Encode(record, out, ProbeModeManufacture), ProbeStatusOk);
    expected = stored2;
    Put(expected, 64, "FR3.5|06");
    SealAt(expected, 100);
    EXPECT_TRUE(SameImage(expected, out));
    Library reader2(2);
    EXPECT_EQ(reader2.Init(out), ProbeStatusBadChecksum);
}

ProbeParameters BlankRecord() {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    return record;
}

TEST(EncoderManufacture, RewritesAnImageTheLibraryRefusedSoThatItIsAccepted) {
    Library library(6);
    Image damaged = SoundImage(6);
    damaged[50] ^= 0x10;  // reserved byte: covered by the checksum, never rewritten
    ASSERT_EQ(library.Init(damaged), ProbeStatusBadChecksum);
    ProbeParameters record = BlankRecord();
    record.Serial = 7777;
    SetText(record.OText, "XY");
    SetText(record.FabricationDate, "0934");
    record.FrValue = 3.5f;
    record.FValue = 2.5f;
    record.RValue = 6.0f;
    record.PositionOrder = 1;
    Image out;
    ASSERT_EQ(library.Encode(record, out, ProbeModeManufacture), ProbeStatusOk);

    Image expected = damaged;
    Put(expected, 4, "S0007777");
    Put(expected, 12, "OXY     ");
    Put(expected, 28, "DFAB0934");
    Put(expected, 64, "FR3.5|34");
    Put(expected, 108, "F 2.50|4");
    Put(expected, 116, "R 6.00|4");
    SealAt(expected, 252);
    EXPECT_TRUE(SameImage(expected, out));
    ASSERT_EQ(library.Init(out), ProbeStatusOk);
    EXPECT_EQ(library.Record().Serial, 7777);
    EXPECT_EQ(library.Record().PresetWordsB[1], 21);  // F below 3
}

// Texts without a NUL in their 256 bytes are read to the end of their array and
// formatted cut to the buffer, whose later bytes then show after short texts.
// In Palvo2, manufacture before any image starts from zeros.
TEST(EncoderLongText, FillsTheBufferWithoutReachingPastIt) {
    Library library3(3);
    const Image stored3 = SoundImage(3);
    ASSERT_EQ(library3.Init(stored3), ProbeStatusOk);
    ProbeParameters record = library3.Record();
    std::memset(record.CalibrationDate, 'Y', sizeof record.CalibrationDate);
    Image out;
    ASSERT_EQ(library3.Encode(record, out, ProbeModeCalibration), ProbeStatusOk);
    Image expected = stored3;
    Put(expected, 20, "DCALYYYY");
    Put(expected, 92, "k 2.00|Y");
    Put(expected, 100, "x00.50|Y");
    Put(expected, 108, "F 3.50|Y");
    Put(expected, 124, "x10.50|Y");
    Put(expected, 132, "f10.00|Y");
    Put(expected, 140, "x20.50|Y");
    Put(expected, 148, "f20.00|Y");
    SealAt(expected, 252);
    EXPECT_TRUE(SameImage(expected, out));

    Library library2(2);
    record = BlankRecord();
    record.Serial = 12345678;  // keeps its first seven digits
    std::memset(record.OText, 'Z', sizeof record.OText);
    std::memset(record.FabricationDate, 'W', sizeof record.FabricationDate);
    std::memset(record.CalibrationDate, 'Q', sizeof record.CalibrationDate);
    record.FrValue = -2.0f;
    ASSERT_EQ(library2.Encode(record, out, ProbeModeManufacture), ProbeStatusOk);
    expected = Image{};
    Put(expected, 0, "M002");
    Put(expected, 4, "S1234567");
    Put(expected, 12, "OZZZZZZZ");
    Put(expected, 28, "DFABWWWW");
    Put(expected, 64, "FR-2.0|W");
    SealAt(expected, 88);
    EXPECT_TRUE(SameImage(expected, out));
}

}  // namespace
}  // namespace encoder_test
