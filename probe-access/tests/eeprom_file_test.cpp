// The EEPROM file transport on files of the scratch folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "eeprom_file.h"

namespace {

std::string MakeFile(const char* name, size_t size, char fill) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary) << std::string(size, fill);
    return path.string();
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(EepromFile, WritesPagesInPlaceAndReadsTheWholeFile) {
    const std::string path = MakeFile("eeprom-256.bin", 256, '\xFF');
    EepromFile eeprom(path);
    uint8_t image[EepromSize];
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(255 - i);
    image[3] = '3';
    ASSERT_EQ(WriteImagePages(eeprom, image), 0);
    EXPECT_EQ(Contents(path), std::string(reinterpret_cast<char*>(image), EepromSize));

    uint8_t read[EepromSize] = {};
    EXPECT_EQ(eeprom.ReadImage(read), 0);
    EXPECT_EQ(std::memcmp(read, image, EepromSize), 0);
    char type[2] = "x";
    EXPECT_EQ(eeprom.ReadProbeType(type), 0);
    EXPECT_STREQ(type, "3");
    EXPECT_EQ(eeprom.Transport(), "file");
    EXPECT_EQ(eeprom.Device(), path);
}

TEST(EepromFile, RefusesAFileThatIsNotExactly256BytesAndChangesNothing) {
    const std::pair<const char*, size_t> files[] = {{"short.bin", 255}, {"long.bin", 257}};
    for (const auto& [name, size] : files) {
        const std::string path = MakeFile(name, size, 'a');
        EepromFile eeprom(path);
        uint8_t image[EepromSize] = {};
        EXPECT_EQ(eeprom.ReadImage(image), BridgeNotPresent) << name;
        EXPECT_EQ(eeprom.WritePage(0, image), BridgeNotPresent) << name;
        EXPECT_NE(eeprom.FailureDetail().find("exactly 256"), std::string::npos)
            << eeprom.FailureDetail();
        EXPECT_EQ(Contents(path), std::string(size, 'a'));
    }
    EepromFile missing((std::filesystem::path(::testing::TempDir()) / "missing.bin").string());
    char type[2] = "x";
    EXPECT_EQ(missing.ReadProbeType(type), BridgeNotPresent);
    EXPECT_STREQ(type, "x");
    EXPECT_NE(missing.FailureDetail().find("ENOENT"), std::string::npos);
}

}  // namespace
