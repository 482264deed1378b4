// The I2C adapters that the i2c-dev module gives a device file, as sysfs lists
// them. Nothing is sent on any bus.
#pragma once

#include <string>
#include <vector>

#include "i2c_dev_system.h"

struct I2cAdapter {
    int number = 0;      // N of /dev/i2c-N
    std::string name;    // the adapter's name in sysfs
    std::string device;  // /dev/i2c-N
    bool opens = false;  // whether this user can open the device file
    std::string why;     // why it cannot be opened
};

// Whether <sysfs>/class/i2c-dev exists, that is whether i2c-dev is loaded.
bool I2cDevLoaded(const std::string& sysfs);

// From <sysfs>/class/i2c-dev/i2c-N/name, in the order of N. Each device file is
// opened and closed again, nothing more.
std::vector<I2cAdapter> ListI2cAdapters(const std::string& sysfs, I2cDevSystem& system);
