// The real Quillet.exe with the real probe libraries and the simulated bridge,
// driven from outside through window messages.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "quillet_remote_win32.h"
#include "resource.h"
#include "running_quillet_win32.h"
#include "sample_images.h"

namespace {

constexpr DWORD PollTimeout = 5000;
constexpr DWORD WriteTimeout = 15000;
constexpr uint8_t Blank = 0xFF;

using probe_test::Image;

Image SoundImage(int type) {
    probe_test::ImageContents contents;
    contents.type = type;
    return probe_test::BuildImage(contents);
}

Image BlankImage() {
    Image image;
    image.fill(Blank);
    return image;
}

Image ReadEeprom(const std::filesystem::path& file) {
    Image image = BlankImage();
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(image.data()), image.size());
    return image;
}

struct StatusCase {
    const char* name;
    std::optional<std::string> faults;
    std::optional<Image> eeprom;  // the sample probe when absent
    const wchar_t* status;
};

TEST(QuilletStatusLine, ShowsTheOutcomeOfThePoll) {
    Image badChecksum = SoundImage(6);
    badChecksum[20] ^= 0x01;
    const StatusCase cases[] = {
        {"sample probe", std::nullopt, std::nullopt, L"System Available"},
        {"type 2", std::nullopt, SoundImage(2), L"System Available"},
        {"type 3", std::nullopt, SoundImage(3), L"System Available"},
        {"type 6", std::nullopt, SoundImage(6), L"System Available"},
        {"no bridge", "no-bridge", std::nullopt, L"I2C bridge not present"},
        {"open fails", "open-fails", std::nullopt, L"I2C bridge not present"},
        {"set-up fails", "setup-fails", std::nullopt, L"I2C bus Error"},
        {"no probe", "no-probe", std::nullopt, L"Probe not connected"},
        {"bus error", "bus-error", std::nullopt, L"I2C bus Error"},
        {"blank EEPROM", std::nullopt, BlankImage(), L"DLL Probe Error"},
        {"bad checksum", std::nullopt, badChecksum, L"CRC error"},
    };
    ScratchFolder folder;
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        BridgeEnvironment environment{std::nullopt, c.faults};
        if (c.eeprom) {
            environment.eepromFile = folder.Write("eeprom.bin", c.eeprom->data(), c.eeprom->size());
        }
        RunningQuillet quillet(environment);
        ASSERT_NE(quillet.Dialog(), nullptr);
        // The first poll runs before the dialog shows.
        EXPECT_NE(quillet.Status(), L"Communication Closed");
        EXPECT_TRUE(quillet.WaitForStatus(c.status, PollTimeout))
            << quillet_remote::Utf8(quillet.Status());
        EXPECT_TRUE(quillet.Close());
    }
}

TEST(QuilletStatusLine, LibraryPlantedInTheWorkingDirectoryIsNotLoaded) {
    // Type character '4' names Palvo4.dll, which is not installed. A copy of a real
    // library under that name in the working directory would be loaded and would
    // refuse the image ("CRC error"); it must not be found at all.
    ScratchFolder folder;
    std::filesystem::copy_file(ProgramDirectory() / "Palvo6.dll", folder.path / "Palvo4.dll");
    Image image = SoundImage(6);
    image[3] = '4';
    const auto eeprom = folder.Write("eeprom.bin", image.data(), image.size());
    RunningQuillet quillet({eeprom, std::nullopt}, folder.path);
    ASSERT_NE(quillet.Dialog(), nullptr);
    EXPECT_TRUE(quillet.WaitForStatus(L"DLL Probe Error", PollTimeout))
        << quillet_remote::Utf8(quillet.Status());
    EXPECT_TRUE(quillet.Close());
}

TEST(QuilletDialog, LayoutFocusAboutBoxAndScreenshot) {
    RunningQuillet quillet;
    HWND dialog = quillet.Dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(quillet_remote::WindowText(dialog), L"Quillet");

    // Controls in tab order, with their texts.
    const std::pair<int, std::wstring> controls[] = {
        {IDCANCEL, L"Close"},
        {IDC_STATUS_LINE, L"System Available"},
        {0xFFFF, L"Communication Status"},
        {IDC_WRITE, L"Write"},
        {0xFFFF, L"Quillet Version 1.0.0"},
    };
    ASSERT_TRUE(quillet.WaitForStatus(L"System Available", PollTimeout));
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const auto& [id, text] : controls) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, id);
        EXPECT_EQ(quillet_remote::WindowText(child), text);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);

    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(quillet.ThreadId(), &thread));
    EXPECT_EQ(thread.hwndFocus, GetDlgItem(dialog, IDCANCEL));

    EXPECT_TRUE(SaveWindowImage(dialog, ProgramDirectory() / "quillet-e2e-dialog.bmp"));

    // The system-menu command reaches the About box whatever its low four bits.
    PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x0003, 0);
    HWND about = quillet_remote::WaitForOwnedDialog(
        dialog, [](const std::wstring&) { return true; }, PollTimeout);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(quillet_remote::Utf8(quillet_remote::WindowText(about)), "À propos de Quillet");
    EXPECT_EQ(quillet_remote::ControlText(about, IDOK), L"OK");
    quillet_remote::Click(about, IDOK);
    EXPECT_TRUE(quillet_remote::WaitUntil([&] { return !IsWindow(about); }, PollTimeout));

    // Polling goes on after the About box.
    EXPECT_TRUE(quillet.WaitForStatus(L"System Available", PollTimeout));
    EXPECT_TRUE(quillet.Close());
}

class QuilletWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        const Image blank = BlankImage();
        eeprom = folder.Write("eeprom.bin", blank.data(), blank.size());
    }

    std::filesystem::path ImageFile(const Image& image, size_t size) {
        std::vector<uint8_t> bytes(image.begin(), image.end());
        bytes.resize(size, 0xA5);
        return folder.Write("image.bin", bytes.data(), bytes.size());
    }

    ScratchFolder folder;
    std::filesystem::path eeprom;
};

TEST_F(QuilletWrite, SoundImageIsWrittenAndTheNextPollAcceptsIt) {
    const Image image = SoundImage(3);
    const auto file = ImageFile(image, 300);  // only the first 256 bytes count
    RunningQuillet quillet({eeprom, std::nullopt});
    ASSERT_NE(quillet.Dialog(), nullptr);
    ASSERT_TRUE(quillet.WaitForStatus(L"DLL Probe Error", PollTimeout));

    ASSERT_TRUE(quillet.ChooseImageFile(file.wstring()));
    EXPECT_TRUE(quillet.CatchStatus(L"Writing Success", WriteTimeout));
    EXPECT_EQ(quillet.AnswerMessageBox(WriteTimeout), L"Writing Success");
    EXPECT_TRUE(quillet.WaitForStatus(L"System Available", PollTimeout));
    EXPECT_EQ(ReadEeprom(eeprom), image);
}

TEST_F(QuilletWrite, ShortFileIsRefusedWithoutAMessage) {
    const auto file = ImageFile(SoundImage(6), 255);
    RunningQuillet quillet({eeprom, std::nullopt});
    ASSERT_NE(quillet.Dialog(), nullptr);

    ASSERT_TRUE(quillet.ChooseImageFile(file.wstring()));
    EXPECT_TRUE(quillet.CatchStatus(L"File No Correct", PollTimeout));
    EXPECT_FALSE(quillet.AnswerMessageBox(1500).has_value());
    EXPECT_EQ(ReadEeprom(eeprom), BlankImage());
}

TEST_F(QuilletWrite, CancelledChoiceChangesNothing) {
    RunningQuillet quillet({eeprom, std::nullopt});
    ASSERT_NE(quillet.Dialog(), nullptr);
    ASSERT_TRUE(quillet.WaitForStatus(L"DLL Probe Error", PollTimeout));

    HWND chooser = quillet.OpenFileDialog();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(quillet_remote::FileNameText(chooser), L"EEPROM");
    // Polls go on while the file dialog is open.
    const Image image = SoundImage(2);
    folder.Write("eeprom.bin", image.data(), image.size());
    EXPECT_TRUE(quillet.WaitForStatus(L"System Available", PollTimeout));

    quillet_remote::Click(chooser, IDCANCEL);
    EXPECT_TRUE(quillet_remote::WaitUntil([&] { return !IsWindow(chooser); }, PollTimeout));
    EXPECT_FALSE(quillet.AnswerMessageBox(1500).has_value());
    EXPECT_EQ(ReadEeprom(eeprom), image);
}

TEST_F(QuilletWrite, FailingPageGivesWritingErrorAndTheOtherPagesAreWritten) {
    const Image image = SoundImage(6);
    const auto file = ImageFile(image, 256);
    RunningQuillet quillet({eeprom, "page-fails=48"});
    ASSERT_NE(quillet.Dialog(), nullptr);

    ASSERT_TRUE(quillet.ChooseImageFile(file.wstring()));
    EXPECT_EQ(quillet.AnswerMessageBox(WriteTimeout), L"Writing Error");
    const Image written = ReadEeprom(eeprom);
    for (size_t i = 0; i < written.size(); ++i) {
        const bool failedPage = i >= 48 && i < 64;
        ASSERT_EQ(written[i], failedPage ? Blank : image[i]) << "byte " << i;
    }
}

TEST_F(QuilletWrite, WriteProtectedEepromReportsSuccessAndThePollShowsTheTruth) {
    const auto file = ImageFile(SoundImage(6), 256);
    RunningQuillet quillet({eeprom, "write-protect"});
    ASSERT_NE(quillet.Dialog(), nullptr);

    ASSERT_TRUE(quillet.ChooseImageFile(file.wstring()));
    EXPECT_EQ(quillet.AnswerMessageBox(WriteTimeout), L"Writing Success");
    EXPECT_TRUE(quillet.WaitForStatus(L"DLL Probe Error", PollTimeout));
    EXPECT_EQ(ReadEeprom(eeprom), BlankImage());
}

}  // namespace
