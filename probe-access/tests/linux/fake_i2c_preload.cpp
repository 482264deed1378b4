// A library preloaded into a program to serve the model of the kernel's I2C
// interface at device paths, each with its own EEPROM and faults, so that the
// real program runs against them:
//   FAKE_I2C_DEVICE  the device file served (/dev/i2c-N); every other file passes
//   FAKE_I2C_EEPROM  a file with the EEPROM's 256 bytes (0xFF when missing), read
//                    at each open of the device and saved at each close that
//                    follows a write
//   FAKE_I2C_FAULTS  comma-separated: denied, absent, eio, smbus-only, no-functions,
//                    write-protect, ignores-writes, busy=N (polls), page-fails=ADDRESS
//                    (a write there times out), vanish-after=K (the part is gone
//                    after K page writes), adapter-stops-after=K (every transfer
//                    then times out), present-while=FILE (the part answers only
//                    while FILE exists), count-writes (a line per page write, its
//                    address, appended to the EEPROM file's name with .writes)
// and the same three with _2 to _9 appended for more devices at once. Programs
// with several threads reach the devices at once: one lock keeps the models.
// This file declares the replaced functions itself and includes no header that
// declares them.
#include <sys/stat.h>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "fake_i2c_bus.h"
#include "real_calls.h"

namespace {

using access_test::FakeI2cBus;
using access_test::FakeI2cSettings;

struct Device {
    std::unique_ptr<FakeI2cBus> bus;
    std::string eeprom;
    std::string presentWhile;  // empty: the part's presence is as set
    bool countWrites = false;
    std::size_t writesCounted = 0;
    std::size_t writesAtOpen = 0;  // the part's writes when the device was opened
};

void ApplyFault(const std::string& word, FakeI2cSettings& settings, Device& device) {
    if (word == "denied")
        settings.openError = EACCES;
    else if (word == "absent")
        settings.present = false;
    else if (word == "eio")
        settings.noAck = EIO;
    else if (word == "smbus-only")
        settings.functions = access_test::SmbusBlockFunctions;
    else if (word == "no-functions")
        settings.functions = 0;
    else if (word == "write-protect")
        settings.writeProtect = true;
    else if (word == "ignores-writes")
        settings.ignoresWrites = true;
    else if (word.rfind("busy=", 0) == 0)
        settings.busyPolls = static_cast<unsigned>(std::atoi(word.c_str() + 5));
    else if (word.rfind("page-fails=", 0) == 0) {
        settings.failAt = std::atoi(word.c_str() + 11);
        settings.failReads = false;
    } else if (word.rfind("vanish-after=", 0) == 0)
        settings.vanishAfter = std::atoi(word.c_str() + 13);
    else if (word.rfind("adapter-stops-after=", 0) == 0)
        settings.adapterStopsAfter = std::atoi(word.c_str() + 20);
    else if (word.rfind("present-while=", 0) == 0)
        device.presentWhile = word.substr(14);
    else if (word == "count-writes")
        device.countWrites = true;
}

struct Served {
    std::vector<Device> devices;
    std::map<int, Device*> files;   // real descriptor to its device
    std::map<int, int> modelFiles;  // real descriptor to the model's
    std::recursive_mutex lock;
};

const char* Variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value && *value ? value : nullptr;
}

Served& State() {
    static Served served;
    static const bool made = [] {
        for (const std::string suffix : {"", "_2", "_3", "_4", "_5", "_6", "_7", "_8", "_9"}) {
            const char* device = Variable("FAKE_I2C_DEVICE" + suffix);
            if (!device)
                continue;
            Device added;
            FakeI2cSettings settings;
            settings.device = device;
            const char* faultText = Variable("FAKE_I2C_FAULTS" + suffix);
            std::istringstream faults(faultText ? faultText : "");
            for (std::string word; std::getline(faults, word, ',');)
                ApplyFault(word, settings, added);
            added.bus = std::make_unique<FakeI2cBus>(settings);
            if (const char* eeprom = Variable("FAKE_I2C_EEPROM" + suffix))
                added.eeprom = eeprom;
            served.devices.push_back(std::move(added));
        }
        return true;
    }();
    (void)made;
    return served;
}

Device* DeviceAt(Served& served, const char* path) {
    if (path == nullptr)
        return nullptr;
    for (Device& device : served.devices)
        if (device.bus->settings.device == path)
            return &device;
    return nullptr;
}

void Load(Device& device) {
    std::ifstream file(device.eeprom, std::ios::binary);
    if (file)
        file.read(reinterpret_cast<char*>(device.bus->memory), EepromSize);
}

// Only after a write: a program that only reads never puts back what it loaded
// over a file changed meanwhile.
void Save(Device& device) {
    if (device.eeprom.empty() || device.bus->writes.size() == device.writesAtOpen)
        return;
    std::ofstream file(device.eeprom, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(device.bus->memory), EepromSize);
}

// The part answers while the file named exists.
void UpdatePresence(Device& device) {
    if (device.presentWhile.empty())
        return;
    struct stat status;
    device.bus->settings.present = ::stat(device.presentWhile.c_str(), &status) == 0;
}

void CountWrites(Device& device) {
    if (!device.countWrites || device.writesCounted == device.bus->writes.size())
        return;
    std::ofstream log(device.eeprom + ".writes", std::ios::app);
    for (; device.writesCounted < device.bus->writes.size(); ++device.writesCounted)
        log << device.bus->writes[device.writesCounted].address << "\n";
}

int OpenFile(const char* path, int flags, unsigned mode) {
    Served& served = State();
    Device* device = DeviceAt(served, path);
    if (device == nullptr)
        return RealOpen(path, flags, mode);
    const std::lock_guard<std::recursive_mutex> hold(served.lock);
    const int fake = device->bus->Open(path);
    if (fake < 0) {
        errno = -fake;
        return -1;
    }
    const int file = RealOpenNull();
    if (file < 0) {
        device->bus->Close(fake);
        return -1;
    }
    if (!device->eeprom.empty())
        Load(*device);
    device->writesAtOpen = device->bus->writes.size();
    served.files[file] = device;
    served.modelFiles[file] = fake;
    return file;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const unsigned mode = va_arg(rest, unsigned);
    va_end(rest);
    return OpenFile(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const unsigned mode = va_arg(rest, unsigned);
    va_end(rest);
    return OpenFile(path, flags, mode);
}

int __open_2(const char* path, int flags) {
    return OpenFile(path, flags, 0);
}

int __open64_2(const char* path, int flags) {
    return OpenFile(path, flags, 0);
}

int close(int file) {
    Served& served = State();
    {
        const std::lock_guard<std::recursive_mutex> hold(served.lock);
        if (auto found = served.files.find(file); found != served.files.end()) {
            Device& device = *found->second;
            device.bus->Close(served.modelFiles[file]);
            served.files.erase(found);
            served.modelFiles.erase(file);
            Save(device);
        }
    }
    return RealClose(file);
}

int ioctl(int file, unsigned long request, ...) noexcept {
    va_list rest;
    va_start(rest, request);
    void* argument = va_arg(rest, void*);
    va_end(rest);
    Served& served = State();
    std::unique_lock<std::recursive_mutex> hold(served.lock);
    auto found = served.files.find(file);
    if (found == served.files.end()) {
        hold.unlock();
        return RealIoctl(file, request, argument);
    }
    Device& device = *found->second;
    UpdatePresence(device);
    const int result = device.bus->Ioctl(served.modelFiles[file], request, argument);
    CountWrites(device);
    if (result < 0) {
        errno = -result;
        return -1;
    }
    return result;
}

// 32-bit programs built with 64-bit time call this name.
int __ioctl_time64(int file, unsigned long request, ...) noexcept {
    va_list rest;
    va_start(rest, request);
    void* argument = va_arg(rest, void*);
    va_end(rest);
    return ioctl(file, request, argument);
}
}
