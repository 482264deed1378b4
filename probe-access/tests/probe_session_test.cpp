// One status poll end to end: the probe type and the image from the simulated
// bridge's factory EEPROM, the matching real library bound by name, and the image
// accepted by it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "i2c_bridge.h"
#include "probe_library.h"

namespace {

TEST(ProbeSession, SampleProbeIsReadBoundAndAccepted) {
    ActiveBridgeApi() = LinkedBridgeApi();
    I2cBridge bridge;
    char type[2] = "";
    ASSERT_EQ(bridge.ReadProbeType(type), 0);
    EXPECT_STREQ(type, "6");

    char name[kLibraryNameSize];
    ASSERT_TRUE(ProbeLibraryFileName(type, name));
    ProbeLibrary library;
    HMODULE module = LoadProbeLibrary(name, library);
    ASSERT_NE(module, nullptr);

    std::array<uint8_t, EepromSize> image{};
    ASSERT_EQ(bridge.ReadImage(image.data()), 0);
    EXPECT_EQ(std::memcmp(image.data(), "M006", 4), 0);
    EXPECT_EQ(library.ProbeInit(image.data()), ProbeStatusOk);
    ProbeParameters parameters{};
    parameters.Size = PROBE_PARAMETERS_SIZE;
    EXPECT_EQ(library.ProbeGetParameters(&parameters), ProbeStatusOk);
    EXPECT_EQ(parameters.Type, 6);
    EXPECT_EQ(parameters.Serial, 1000001);
    EXPECT_EQ(parameters.PositionOrder, 1);
    EXPECT_FLOAT_EQ(parameters.ForceK, 2.0f);
    EXPECT_TRUE(UnloadProbeLibrary(module, library));
    EXPECT_EQ(bridge.device, nullptr);
}

}  // namespace
