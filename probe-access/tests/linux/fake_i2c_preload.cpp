// A library preloaded into a program to serve the model of the kernel's I2C
// interface at one device path, so that the real program runs against it:
//   FAKE_I2C_DEVICE  the device file served (/dev/i2c-N); every other file passes
//   FAKE_I2C_EEPROM  a file with the EEPROM's 256 bytes (0xFF when missing), read
//                    at each open of the device and saved at each close
//   FAKE_I2C_FAULTS  comma-separated: denied, absent, eio, smbus-only, no-functions,
//                    write-protect, ignores-writes, busy=N (polls), page-fails=ADDRESS
//                    (a write there times out)
// This file declares the replaced functions itself and includes no header that
// declares them.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "fake_i2c_bus.h"
#include "real_calls.h"

namespace {

using access_test::FakeI2cBus;
using access_test::FakeI2cSettings;

void ApplyFault(const std::string& word, FakeI2cSettings& settings) {
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
    }
}

struct Served {
    std::unique_ptr<FakeI2cBus> bus;  // null: nothing served
    std::string eeprom;
    std::map<int, int> files;  // real descriptor to the model's
};

Served& State() {
    static Served served = [] {
        Served made;
        const char* device = std::getenv("FAKE_I2C_DEVICE");
        if (!device || !*device)
            return made;
        FakeI2cSettings settings;
        settings.device = device;
        std::istringstream faults(std::getenv("FAKE_I2C_FAULTS") ? std::getenv("FAKE_I2C_FAULTS")
                                                                 : "");
        for (std::string word; std::getline(faults, word, ',');)
            ApplyFault(word, settings);
        made.bus = std::make_unique<FakeI2cBus>(settings);
        if (const char* eeprom = std::getenv("FAKE_I2C_EEPROM"))
            made.eeprom = eeprom;
        return made;
    }();
    return served;
}

void Load(Served& served) {
    std::ifstream file(served.eeprom, std::ios::binary);
    if (file)
        file.read(reinterpret_cast<char*>(served.bus->memory), EepromSize);
}

void Save(Served& served) {
    if (served.eeprom.empty())
        return;
    std::ofstream file(served.eeprom, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(served.bus->memory), EepromSize);
}

int OpenFile(const char* path, int flags, unsigned mode) {
    Served& served = State();
    if (!served.bus || path == nullptr || served.bus->settings.device != path)
        return RealOpen(path, flags, mode);
    const int fake = served.bus->Open(path);
    if (fake < 0) {
        errno = -fake;
        return -1;
    }
    const int file = RealOpenNull();
    if (file < 0) {
        served.bus->Close(fake);
        return -1;
    }
    if (!served.eeprom.empty())
        Load(served);
    served.files[file] = fake;
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
    if (auto found = served.files.find(file); found != served.files.end()) {
        served.bus->Close(found->second);
        served.files.erase(found);
        Save(served);
    }
    return RealClose(file);
}

int ioctl(int file, unsigned long request, ...) noexcept {
    va_list rest;
    va_start(rest, request);
    void* argument = va_arg(rest, void*);
    va_end(rest);
    Served& served = State();
    auto found = served.files.find(file);
    if (found == served.files.end())
        return RealIoctl(file, request, argument);
    const int result = served.bus->Ioctl(found->second, request, argument);
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
