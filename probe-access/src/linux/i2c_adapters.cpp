#include "i2c_adapters.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "i2c_dev_eeprom.h"

namespace fs = std::filesystem;

bool I2cDevLoaded(const std::string& sysfs) {
    std::error_code ignored;
    return fs::is_directory(sysfs + "/class/i2c-dev", ignored);
}

std::vector<I2cAdapter> ListI2cAdapters(const std::string& sysfs, I2cDevSystem& system) {
    std::vector<I2cAdapter> adapters;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(sysfs + "/class/i2c-dev", error)) {
        const std::string folder = entry.path().filename().string();
        const std::string digits = folder.substr(std::min<size_t>(folder.size(), 4));
        if (folder.rfind("i2c-", 0) != 0 || digits.empty() || digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        I2cAdapter adapter;
        adapter.number = std::stoi(digits);
        std::ifstream nameFile(entry.path() / "name");
        std::getline(nameFile, adapter.name);
        adapter.device = "/dev/" + folder;
        const int file = system.Open(adapter.device.c_str());
        adapter.opens = file >= 0;
        if (adapter.opens)
            system.Close(file);
        else if (file == -ENOENT)
            adapter.why = "no device file " + adapter.device + " although sysfs lists it";
        else
            adapter.why = OpenFailureText(adapter.device, -file, true);
        adapters.push_back(std::move(adapter));
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const I2cAdapter& a, const I2cAdapter& b) { return a.number < b.number; });
    return adapters;
}
