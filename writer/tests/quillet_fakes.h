// Stand-ins for the probe's EEPROM, the bridge library, the probe library binding
// and the dialog, for the tests of the status poll and the write workflow.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "i2c_bridge.h"
#include "probe_eeprom.h"
#include "refresh_status.h"
#include "writer_view.h"

// An EEPROM with chosen results. Each page write counts the pause a real part
// needs for its write cycle, without sleeping.
struct FakeEeprom final : ProbeEeprom {
    int ReadProbeType(char (&typeText)[2]) override;
    int ReadImage(uint8_t* image) override;
    int WritePage(unsigned offset, const uint8_t* page) override;
    std::string Transport() const override { return "fake"; }
    std::string Device() const override { return ""; }

    std::array<uint8_t, EepromSize> eeprom{};
    uint8_t deviceCount = 1;              // none: every operation finds no bridge
    int typeReadResult = 0;               // of the read at the probe type address
    int imageReadResult = 0;              // of the whole-image read
    std::optional<uint32_t> failingPage;  // address of a page whose write fails
    int pageWriteResult = 7;
    std::vector<uint32_t> writtenPages;
    unsigned sleeps = 0;
};

// One bridge library with an EEPROM behind it, installed under I2cBridge for the
// lifetime of the object, for tests of the bridge's cycles under the workflow.
// Sleeps are counted, not slept.
struct FakeBridgeLibrary {
    FakeBridgeLibrary();
    ~FakeBridgeLibrary();
    FakeBridgeLibrary(const FakeBridgeLibrary&) = delete;
    FakeBridgeLibrary& operator=(const FakeBridgeLibrary&) = delete;

    std::array<uint8_t, EepromSize> eeprom{};
    std::vector<uint32_t> writtenPages;
    unsigned sleeps = 0;

  private:
    BridgeApi saved_;
};

// A probe library that loads under any name, with chosen results.
struct FakeProbeLibrary {
    FakeProbeLibrary();
    ~FakeProbeLibrary();
    FakeProbeLibrary(const FakeProbeLibrary&) = delete;
    FakeProbeLibrary& operator=(const FakeProbeLibrary&) = delete;

    ProbeBinding Binding() const;

    bool loadable = true;
    uint16_t initResult = 0;
    uint16_t parametersResult = 0;

    int loads = 0;
    int unloads = 0;
    int held = 0;  // loaded and not yet released
    std::string lastFileName;
    std::vector<uint8_t> initImage;                  // what ProbeInit was given
    std::optional<ProbeParameters> givenParameters;  // the record as ProbeGetParameters found it
};

struct FakeView final : WriterView {
    void SetStatusText(const char* text) override {
        events.push_back(std::string("status:") + text);
    }
    std::optional<std::filesystem::path> ChooseImageFile() override {
        ++choices;
        return choice;
    }
    void ShowMessage(const char* text) override {
        events.push_back(std::string("message:") + text);
    }

    std::optional<std::filesystem::path> choice;
    int choices = 0;
    std::vector<std::string> events;
};

// A file of `size` bytes, byte i holding (i * 7 + 3) mod 256, removed with the object.
struct TemporaryFile {
    explicit TemporaryFile(size_t size, const char8_t* name = u8"image.bin");
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    static uint8_t ByteAt(size_t offset) { return static_cast<uint8_t>(offset * 7 + 3); }

    std::filesystem::path directory;
    std::filesystem::path path;
};
