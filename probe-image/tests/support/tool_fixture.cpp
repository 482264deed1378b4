#include "tool_fixture.h"

#include <fstream>
#include <sstream>

#include "command_line.h"
#include "environment.h"
#include "i2c_bridge.h"
#include "platform_sleep.h"
#include "simulated_probe.h"

namespace {

constexpr unsigned kWriteCycleMargin = 7;  // ms, longer than the EEPROM's write cycle

std::vector<unsigned>* recordedPauses = nullptr;

void RecordedPause(unsigned milliseconds) {
    if (recordedPauses != nullptr)
        recordedPauses->push_back(milliseconds);
    PlatformSleep(kWriteCycleMargin);
}

}  // namespace

void ToolTest::SetUp() {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = std::filesystem::path(::testing::TempDir()) / ("probe-image-" + name);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    SetEnvironmentValue("I2CBRDG_EEPROM", Path("eeprom.bin").c_str());
    SetEnvironmentValue("I2CBRDG_FAULT", "");
    SetEnvironmentValue("XDG_DATA_HOME", Path("data").c_str());
    SetEnvironmentValue("LOCALAPPDATA", Path("data").c_str());
    ActiveBridgeApi() = LinkedBridgeApi();
    ActiveBridgeApi().sleep = RecordedPause;
    recordedPauses = &pauses_;
}

void ToolTest::TearDown() {
    recordedPauses = nullptr;
    ActiveBridgeApi() = LinkedBridgeApi();
    SetEnvironmentValue("I2CBRDG_EEPROM", "");
    SetEnvironmentValue("I2CBRDG_FAULT", "");
    SetEnvironmentValue("XDG_DATA_HOME", "");
    SetEnvironmentValue("LOCALAPPDATA", "");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

ToolRun ToolTest::Run(std::initializer_list<std::string> arguments) {
    return RunWith(std::vector<std::string>(arguments));
}

ToolRun ToolTest::RunWith(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    ToolRun run;
    run.code = RunProbeImage(arguments, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

ToolRun ToolTest::RunSimulated(std::initializer_list<std::string> arguments) {
    return RunWith(WithSimulatedProbe(arguments));
}

nlohmann::json ToolTest::ShowJson(const std::string& file) {
    const ToolRun run = Run({"show", file, "--json"});
    return nlohmann::json::parse(run.out);
}

std::string ToolTest::Path(const std::string& name) const {
    return (folder_ / name).string();
}

ImageBytes ToolTest::ReadBytes(const std::string& name) const {
    ImageBytes image{};
    std::ifstream file(folder_ / name, std::ios::binary);
    file.read(reinterpret_cast<char*>(image.data()), image.size());
    EXPECT_EQ(file.gcount(), 256) << name;
    return image;
}

void ToolTest::WriteBytes(const std::string& name, const ImageBytes& image) const {
    std::ofstream file(folder_ / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()), image.size());
}

bool ToolTest::Exists(const std::string& name) const {
    return std::filesystem::exists(folder_ / name);
}

void ToolTest::SetEeprom(const ImageBytes& image) const {
    WriteBytes("eeprom.bin", image);
}

void ToolTest::SetFaults(const char* faults) const {
    SetEnvironmentValue("I2CBRDG_FAULT", faults);
}

std::string ToolTest::RecordPath() const {
    return Path("data/probe-image/records.jsonl");
}

std::vector<nlohmann::json> ToolTest::Records() const {
    std::vector<nlohmann::json> records;
    std::ifstream file(RecordPath(), std::ios::binary);
    for (std::string line; std::getline(file, line);)
        records.push_back(nlohmann::json::parse(line));
    return records;
}

std::string ToolTest::NewLinearType6(const std::string& name) {
    const ToolRun run = Run({"new", "--type", "6", "-o", Path(name), "--set", "Serial=1234567",
                             "Gain=52", "ForceK=2", "ForceX0=0.5", "FValue=3.5", "RValue=5.7",
                             "CalibrationDate=2512", "PositionCoefficients=0,1"});
    EXPECT_EQ(run.code, 0) << run.err;
    return Path(name);
}

void Poke(ImageBytes& image, std::size_t offset, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        image[offset + i] = static_cast<std::uint8_t>(text[i]);
}
