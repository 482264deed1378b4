// The adapter list from a sysfs tree of the scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fake_i2c_bus.h"
#include "i2c_adapters.h"

namespace {

namespace fs = std::filesystem;

TEST(I2cAdapters, ListsEachAdapterByNumberAndWhetherItOpensSendingNothing) {
    const fs::path sysfs = fs::path(::testing::TempDir()) / "sysfs-adapters";
    fs::remove_all(sysfs);
    for (const auto& [folder, name] :
         {std::pair{"i2c-12", "USB adapter"}, std::pair{"i2c-7", "fake adapter"},
          std::pair{"i2c-x", "not an adapter"}}) {
        fs::create_directories(sysfs / "class/i2c-dev" / folder);
        std::ofstream(sysfs / "class/i2c-dev" / folder / "name") << name << "\n";
    }
    access_test::FakeI2cBus bus;  // serves /dev/i2c-7 alone
    const std::vector<I2cAdapter> adapters = ListI2cAdapters(sysfs.string(), bus);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].number, 7);
    EXPECT_EQ(adapters[0].name, "fake adapter");
    EXPECT_EQ(adapters[0].device, "/dev/i2c-7");
    EXPECT_TRUE(adapters[0].opens);
    EXPECT_EQ(adapters[1].number, 12);
    EXPECT_FALSE(adapters[1].opens);
    EXPECT_EQ(adapters[1].why, "no device file /dev/i2c-12 although sysfs lists it");
    EXPECT_EQ(bus.transfers, 0u);
    EXPECT_TRUE(bus.openFiles.empty());

    EXPECT_TRUE(I2cDevLoaded(sysfs.string()));
    EXPECT_FALSE(I2cDevLoaded((sysfs / "nothing").string()));
    EXPECT_TRUE(ListI2cAdapters((sysfs / "nothing").string(), bus).empty());
}

}  // namespace
