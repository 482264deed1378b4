// Runs probe-image's command line inside the test process, in a scratch folder of
// its own, against the real probe libraries and the simulated bridge (whose EEPROM
// is a file of the scratch folder; the user's data folder, which holds the record
// file, is one too). Page pauses are counted and shortened to just
// over the EEPROM's write cycle.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

using ImageBytes = std::array<std::uint8_t, 256>;

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    ToolRun Run(std::initializer_list<std::string> arguments);
    // The same with the arguments given as one vector.
    ToolRun RunWith(const std::vector<std::string>& arguments);
    // A probe command on the simulated bridge: the arguments and those that name it.
    ToolRun RunSimulated(std::initializer_list<std::string> arguments);
    // "show --json" of the file, parsed.
    nlohmann::json ShowJson(const std::string& file);

    std::string Path(const std::string& name) const;
    ImageBytes ReadBytes(const std::string& name) const;
    void WriteBytes(const std::string& name, const ImageBytes& image) const;
    bool Exists(const std::string& name) const;

    // The EEPROM of the simulated bridge, and the faults it shows.
    void SetEeprom(const ImageBytes& image) const;
    ImageBytes Eeprom() const { return ReadBytes("eeprom.bin"); }
    void SetFaults(const char* faults) const;

    // The default record file, in the scratch folder's data folder, and its lines.
    std::string RecordPath() const;
    std::vector<nlohmann::json> Records() const;

    // A sound type-6 image with a linear force law: k 2, x0 0.5, gain 52, c = 0, 1.
    std::string NewLinearType6(const std::string& name);

    std::filesystem::path folder_;
    std::vector<unsigned> pauses_;
};

// Overwrites bytes of an image with the characters of a text.
void Poke(ImageBytes& image, std::size_t offset, const std::string& text);
