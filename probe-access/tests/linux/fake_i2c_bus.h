// A model of the kernel's I2C interface with one 256-byte serial EEPROM behind
// it, in place of the system calls of the i2c-dev transport. It models what the
// part's data sheet documents and what i2c-dev does with it:
// - one-byte memory addresses; a read runs on from 255 to 0;
// - a write wraps inside its 16-byte page;
// - after a write the part does not acknowledge its address for a number of polls
//   or for a time (the write cycle);
// - a write-protected part acknowledges the memory address but not the data, and
//   keeps its content;
// - no part at an address: no acknowledge (ENXIO, or the errno an adapter uses);
// - a transfer that touches a chosen address fails with a chosen errno;
// - a part that goes away after a number of page writes (then absent);
// - an adapter that stops answering after a number of page writes (then every
//   transfer times out);
// - adapters with plain I2C or with SMBus I2C block transfers only;
// - a device file that cannot be opened, and an address a kernel driver holds.
// Time is virtual: transfers take their bits at the set bit time, and sleeping
// moves the clock on.
#pragma once

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <cerrno>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "i2c_dev_system.h"
#include "probe_eeprom.h"

namespace access_test {

inline constexpr unsigned long PlainI2cFunctions =
    I2C_FUNC_I2C | I2C_FUNC_SMBUS_READ_I2C_BLOCK | I2C_FUNC_SMBUS_WRITE_I2C_BLOCK;
inline constexpr unsigned long SmbusBlockFunctions =
    I2C_FUNC_SMBUS_READ_I2C_BLOCK | I2C_FUNC_SMBUS_WRITE_I2C_BLOCK;

struct FakeI2cSettings {
    std::string device = "/dev/i2c-7";  // the one device file there is
    int openError = 0;                  // errno of every open, when not 0
    unsigned long functions = PlainI2cFunctions;
    bool present = true;         // a part at 0x51
    bool driverBound = false;    // a kernel driver holds 0x51: I2C_SLAVE is refused
    int noAck = ENXIO;           // the adapter's errno for a missing acknowledge
    unsigned busyPolls = 0;      // address phases refused after each write
    unsigned writeCycleUs = 0;   // and the time the part is busy after it
    unsigned bitUs = 0;          // bus time per bit
    bool writeProtect = false;   // data not acknowledged, nothing stored
    bool ignoresWrites = false;  // data acknowledged, nothing stored
    int failAt = -1;             // a transfer touching this memory address fails
    int failError = ETIMEDOUT;   // with this errno
    bool failReads = true;       // reads too, not only writes
    int vanishAfter = -1;        // page writes the part takes before it goes; -1: never
    int adapterStopsAfter = -1;  // page writes before the adapter stops answering; -1: never
};

struct DataWrite {
    unsigned address;
    unsigned length;
};

class FakeI2cBus final : public I2cDevSystem {
  public:
    explicit FakeI2cBus(FakeI2cSettings settings = {});

    int Open(const char* path) override;
    void Close(int file) override;
    int Ioctl(int file, unsigned long request, void* argument) override;
    void SleepMicroseconds(unsigned microseconds) override;
    uint64_t NowMicroseconds() override { return now; }

    FakeI2cSettings settings;
    uint8_t memory[EepromSize];

    // Record.
    std::vector<DataWrite> writes;  // data writes the part took, in order
    unsigned wrapped = 0;           // writes that ran past the end of their page
    unsigned refused = 0;           // address phases refused
    unsigned transfers = 0;         // I2C_RDWR and I2C_SMBUS calls
    unsigned sleeps = 0;
    unsigned opens = 0;
    std::set<int> openFiles;
    uint64_t now = 0;  // us

  private:
    int AddressPhase(unsigned address);
    int WriteBytes(const uint8_t* bytes, unsigned length);
    int ReadBytes(uint8_t* bytes, unsigned length);
    bool Touches(unsigned length) const;
    int Message(const i2c_msg& message);
    int Smbus(const i2c_smbus_ioctl_data& transfer);
    bool AdapterStopped() const;

    uint8_t pointer_ = 0;
    unsigned slave_ = 0;
    unsigned busyFor_ = 0;
    uint64_t busyUntil_ = 0;
    int nextFile_ = 100;
};

}  // namespace access_test
