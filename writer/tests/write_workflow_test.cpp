#include "write_workflow.h"

#include <gtest/gtest.h>

#include "image_files.h"
#include "quillet_fakes.h"

namespace {

class WriteWorkflowTest : public ::testing::Test {
  protected:
    void SetUp() override { bridge.eeprom.fill(0xFF); }

    void Write() { RunWriteWorkflow(bridge, view); }

    bool EepromHoldsFileStart() const {
        for (size_t i = 0; i < EepromSize; ++i) {
            if (bridge.eeprom[i] != TemporaryFile::ByteAt(i)) {
                return false;
            }
        }
        return true;
    }

    FakeEeprom bridge;
    FakeView view;
};

const std::vector<std::string> Success{"status:Writing Success", "message:Writing Success"};
const std::vector<std::string> Failure{"status:Writing Error", "message:Writing Error"};

TEST_F(WriteWorkflowTest, CancelChangesNothing) {
    Write();
    EXPECT_EQ(view.choices, 1);
    EXPECT_TRUE(view.events.empty());
    EXPECT_TRUE(bridge.writtenPages.empty());
    EXPECT_EQ(bridge.sleeps, 0u);
}

TEST_F(WriteWorkflowTest, FullImageIsWrittenInSixteenPages) {
    TemporaryFile file(256);
    view.choice = file.path;
    Write();
    EXPECT_EQ(view.events, Success);
    EXPECT_TRUE(EepromHoldsFileStart());
    EXPECT_EQ(bridge.writtenPages.size(), 16u);
    EXPECT_EQ(bridge.sleeps, 16u);
}

TEST_F(WriteWorkflowTest, LongerFileHasOnlyItsFirst256BytesWritten) {
    TemporaryFile file(300);
    view.choice = file.path;
    Write();
    EXPECT_EQ(view.events, Success);
    EXPECT_TRUE(EepromHoldsFileStart());
}

TEST_F(WriteWorkflowTest, ShortFilesAreRefusedAndNothingIsWritten) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{255}}) {
        TemporaryFile file(size);
        view.choice = file.path;
        view.events.clear();
        Write();
        EXPECT_EQ(view.events, std::vector<std::string>{"status:File No Correct"}) << size;
    }
    EXPECT_TRUE(bridge.writtenPages.empty());
    EXPECT_EQ(bridge.sleeps, 0u);
}

TEST_F(WriteWorkflowTest, MissingFileIsReported) {
    TemporaryFile file(256);
    view.choice = file.directory / "absent.bin";
    Write();
    EXPECT_EQ(view.events, std::vector<std::string>{"status:File Missing"});
    EXPECT_TRUE(bridge.writtenPages.empty());
}

TEST_F(WriteWorkflowTest, FailedPageGivesWritingErrorAndTheOtherPagesAreStillWritten) {
    TemporaryFile file(256);
    view.choice = file.path;
    bridge.failingPage = 48;
    Write();
    EXPECT_EQ(view.events, Failure);
    EXPECT_EQ(bridge.writtenPages.size(), 15u);
    EXPECT_EQ(bridge.eeprom[48], 0xFF);
    EXPECT_EQ(bridge.eeprom[64], TemporaryFile::ByteAt(64));
}

TEST_F(WriteWorkflowTest, NoBridgeGivesWritingError) {
    TemporaryFile file(256);
    view.choice = file.path;
    bridge.deviceCount = 0;
    Write();
    EXPECT_EQ(view.events, Failure);
    EXPECT_EQ(bridge.sleeps, 16u);
}

TEST_F(WriteWorkflowTest, FileNameWithAccentsIsRead) {
    TemporaryFile file(256, u8"sonde é à.bin");
    view.choice = file.path;
    Write();
    EXPECT_EQ(view.events, Success);
}

TEST(ReadImageFileTest, LeavesTheImageAloneWhenTheFileIsShort) {
    TemporaryFile file(100);
    std::array<uint8_t, EepromSize> image;
    image.fill(0xEE);
    EXPECT_EQ(ReadImageFile(file.path, image), ImageFileResult::TooShort);
    EXPECT_EQ(image[0], 0xEE);
}

}  // namespace
