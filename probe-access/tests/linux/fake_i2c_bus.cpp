#include "fake_i2c_bus.h"

#include <linux/i2c-dev.h>

#include <cstring>

namespace access_test {

FakeI2cBus::FakeI2cBus(FakeI2cSettings fakeSettings) : settings(std::move(fakeSettings)) {
    std::memset(memory, 0xFF, sizeof memory);
}

int FakeI2cBus::Open(const char* path) {
    if (settings.openError != 0)
        return -settings.openError;
    if (settings.device != path)
        return -ENOENT;
    ++opens;
    openFiles.insert(nextFile_);
    return nextFile_++;
}

void FakeI2cBus::Close(int file) {
    openFiles.erase(file);
}

void FakeI2cBus::SleepMicroseconds(unsigned microseconds) {
    ++sleeps;
    now += microseconds;
}

// Start, the address byte and its acknowledge.
int FakeI2cBus::AddressPhase(unsigned address) {
    now += 10ull * settings.bitUs;
    const bool gone =
        settings.vanishAfter >= 0 && writes.size() >= static_cast<unsigned>(settings.vanishAfter);
    if (address != EepromSlaveAddress || !settings.present || gone)
        return -settings.noAck;
    if (busyFor_ > 0 || now < busyUntil_) {
        if (busyFor_ > 0)
            --busyFor_;
        ++refused;
        return -settings.noAck;
    }
    return 0;
}

bool FakeI2cBus::Touches(unsigned length) const {
    const unsigned failAt = static_cast<unsigned>(settings.failAt);
    return settings.failAt >= 0 && (failAt - pointer_) % EepromSize < length;
}

// The memory address byte, then data that wraps inside its page and starts a
// write cycle.
int FakeI2cBus::WriteBytes(const uint8_t* bytes, unsigned length) {
    now += 9ull * length * settings.bitUs;
    if (length == 0)
        return 0;
    pointer_ = bytes[0];
    const unsigned data = length - 1;
    if (data == 0)
        return 0;
    if (Touches(data))
        return -settings.failError;
    if (settings.writeProtect)
        return -settings.noAck;
    if (!settings.ignoresWrites) {
        const unsigned start = pointer_;
        for (unsigned i = 0; i < data; ++i) {
            const unsigned page = start & ~(EepromPageSize - 1);
            memory[page | ((start + i) % EepromPageSize)] = bytes[1 + i];
        }
        if (start % EepromPageSize + data > EepromPageSize)
            ++wrapped;
        writes.push_back({start, data});
        pointer_ = static_cast<uint8_t>((start & ~(EepromPageSize - 1)) |
                                        ((start + data) % EepromPageSize));
    }
    busyFor_ = settings.busyPolls;
    busyUntil_ = now + 10ull * settings.bitUs + settings.writeCycleUs;  // from the STOP
    return 0;
}

int FakeI2cBus::ReadBytes(uint8_t* bytes, unsigned length) {
    now += 9ull * length * settings.bitUs;
    if (settings.failReads && Touches(length))
        return -settings.failError;
    for (unsigned i = 0; i < length; ++i)
        bytes[i] = memory[pointer_++];
    return 0;
}

int FakeI2cBus::Message(const i2c_msg& message) {
    if (const int result = AddressPhase(message.addr); result < 0)
        return result;
    if (message.flags & I2C_M_RD)
        return ReadBytes(message.buf, message.len);
    return WriteBytes(message.buf, message.len);
}

int FakeI2cBus::Smbus(const i2c_smbus_ioctl_data& transfer) {
    const bool reading = transfer.read_write == I2C_SMBUS_READ;
    const unsigned long needed =
        reading ? I2C_FUNC_SMBUS_READ_I2C_BLOCK : I2C_FUNC_SMBUS_WRITE_I2C_BLOCK;
    if (transfer.size != I2C_SMBUS_I2C_BLOCK_DATA || !(settings.functions & needed))
        return -EOPNOTSUPP;
    uint8_t* block = transfer.data->block;
    const unsigned length = block[0];
    if (length == 0 || length > I2C_SMBUS_BLOCK_MAX)
        return -EINVAL;
    if (const int result = AddressPhase(slave_); result < 0)
        return result;
    uint8_t bytes[1 + I2C_SMBUS_BLOCK_MAX];
    bytes[0] = transfer.command;
    if (reading) {
        if (const int result = WriteBytes(bytes, 1); result < 0)
            return result;
        if (const int result = AddressPhase(slave_); result < 0)
            return result;
        return ReadBytes(block + 1, length);
    }
    std::memcpy(bytes + 1, block + 1, length);
    return WriteBytes(bytes, 1 + length);
}

bool FakeI2cBus::AdapterStopped() const {
    return settings.adapterStopsAfter >= 0 &&
           writes.size() >= static_cast<unsigned>(settings.adapterStopsAfter);
}

int FakeI2cBus::Ioctl(int file, unsigned long request, void* argument) {
    if (!openFiles.count(file))
        return -EBADF;
    switch (request) {
        case I2C_FUNCS:
            *static_cast<unsigned long*>(argument) = settings.functions;
            return 0;
        case I2C_SLAVE:
            slave_ = static_cast<unsigned>(reinterpret_cast<uintptr_t>(argument));
            if (settings.driverBound && slave_ == EepromSlaveAddress)
                return -EBUSY;
            return slave_ > 0x7F ? -EINVAL : 0;
        case I2C_RDWR: {
            ++transfers;
            if (AdapterStopped())
                return -ETIMEDOUT;
            if (!(settings.functions & I2C_FUNC_I2C))
                return -EOPNOTSUPP;
            const auto* transfer = static_cast<const i2c_rdwr_ioctl_data*>(argument);
            for (unsigned i = 0; i < transfer->nmsgs; ++i)
                if (const int result = Message(transfer->msgs[i]); result < 0)
                    return result;
            now += settings.bitUs;  // the one STOP
            return static_cast<int>(transfer->nmsgs);
        }
        case I2C_SMBUS:
            ++transfers;
            if (AdapterStopped())
                return -ETIMEDOUT;
            return Smbus(*static_cast<const i2c_smbus_ioctl_data*>(argument));
        default:
            return -ENOTTY;
    }
}

}  // namespace access_test
