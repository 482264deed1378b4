#include "i2c_dev_eeprom.h"

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "i2c_adapters.h"

namespace {

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

}  // namespace

std::string OpenFailureText(const std::string& device, int error, bool i2cDevLoaded) {
    if (error == EACCES || error == EPERM)
        return "permission denied on " + device +
               ": add yourself to the group that owns it (often i2c) or give it to one of "
               "your groups with a udev rule";
    if (error == ENOENT || error == ENODEV || error == ENXIO) {
        if (!i2cDevLoaded)
            return "no " + device + ": the i2c-dev module is not loaded (modprobe i2c-dev)";
        return "no such bus: " + device + " (probe-image buses lists the adapters)";
    }
    return "cannot open " + device + ": " + ErrnoText(error);
}

I2cDevEeprom::I2cDevEeprom(std::string device, uint8_t address, I2cDevSystem& system,
                           std::string sysfs)
    : device_(std::move(device)), address_(address), system_(system), sysfs_(std::move(sysfs)) {}

std::string I2cDevEeprom::Device() const {
    return device_ + " address " + Hex(address_);
}

int I2cDevEeprom::Fail(int error, const std::string& what) {
    detail_ = what + ": " + ErrnoText(error);
    return StatusOfErrno(error);
}

// Opens the device file, learns what the adapter can do and claims the address.
// I2C_SLAVE is refused while a kernel driver holds the address, which keeps this
// transport off a part that at24 already serves.
int I2cDevEeprom::Begin() {
    detail_.clear();
    const int file = system_.Open(device_.c_str());
    if (file < 0) {
        detail_ = OpenFailureText(device_, -file, I2cDevLoaded(sysfs_));
        return BridgeNotPresent;
    }
    file_ = file;
    int result = system_.Ioctl(file_, I2C_FUNCS, &functions_);
    if (result < 0) {
        detail_ = device_ + " is not an I2C adapter: " + ErrnoText(-result);
        return I2cBusFailure;
    }
    if (functions_ & I2C_FUNC_I2C) {
        mode_ = Mode::I2c;
    } else if (functions_ & I2C_FUNC_SMBUS_READ_I2C_BLOCK) {
        mode_ = Mode::Smbus;
    } else {
        detail_ = "the adapter of " + device_ +
                  " offers neither plain I2C (I2C_FUNC_I2C) nor SMBus I2C block reads "
                  "(I2C_FUNC_SMBUS_READ_I2C_BLOCK)";
        return I2cBusFailure;
    }
    result = system_.Ioctl(file_, I2C_SLAVE, reinterpret_cast<void*>(uintptr_t{address_}));
    if (result == -EBUSY) {
        detail_ = "a kernel driver holds address " + Hex(address_) + " on " + device_ +
                  " (at24?): use its eeprom file with --eeprom";
        return I2cBusFailure;
    }
    if (result < 0)
        return Fail(-result, "cannot address " + Hex(address_) + " on " + device_);
    return BridgeSuccess;
}

void I2cDevEeprom::End() {
    if (file_ >= 0)
        system_.Close(file_);
    file_ = -1;
}

// One combined transfer (memory address, then the read, one STOP), or SMBus I2C
// block reads of at most 32 bytes each.
int I2cDevEeprom::Read(unsigned offset, uint8_t* data, unsigned length) {
    if (mode_ == Mode::I2c) {
        uint8_t memoryAddress = static_cast<uint8_t>(offset);
        i2c_msg messages[2] = {
            {address_, 0, 1, &memoryAddress},
            {address_, I2C_M_RD, static_cast<__u16>(length), data},
        };
        i2c_rdwr_ioctl_data transfer{messages, 2};
        const int result = system_.Ioctl(file_, I2C_RDWR, &transfer);
        return result < 0 ? -result : 0;
    }
    for (unsigned done = 0; done < length;) {
        const unsigned block = std::min(length - done, SmbusBlockSize);
        i2c_smbus_data buffer{};
        buffer.block[0] = static_cast<__u8>(block);
        i2c_smbus_ioctl_data transfer{I2C_SMBUS_READ, static_cast<__u8>(offset + done),
                                      I2C_SMBUS_I2C_BLOCK_DATA, &buffer};
        const int result = system_.Ioctl(file_, I2C_SMBUS, &transfer);
        if (result < 0)
            return -result;
        if (buffer.block[0] < block)
            return EPROTO;  // a short block
        std::memcpy(data + done, buffer.block + 1, block);
        done += block;
    }
    return 0;
}

// One write message (memory address, then the data), or an SMBus I2C block write.
// Returns 0 or an errno.
int I2cDevEeprom::Write(unsigned offset, const uint8_t* data, unsigned length) {
    if (mode_ == Mode::I2c) {
        uint8_t bytes[1 + EepromPageSize];
        bytes[0] = static_cast<uint8_t>(offset);
        std::memcpy(bytes + 1, data, length);
        i2c_msg message{address_, 0, static_cast<__u16>(1 + length), bytes};
        i2c_rdwr_ioctl_data transfer{&message, 1};
        const int result = system_.Ioctl(file_, I2C_RDWR, &transfer);
        return result < 0 ? -result : 0;
    }
    i2c_smbus_data buffer{};
    buffer.block[0] = static_cast<__u8>(length);
    std::memcpy(buffer.block + 1, data, length);
    i2c_smbus_ioctl_data transfer{I2C_SMBUS_WRITE, static_cast<__u8>(offset),
                                  I2C_SMBUS_I2C_BLOCK_DATA, &buffer};
    const int result = system_.Ioctl(file_, I2C_SMBUS, &transfer);
    return result < 0 ? -result : 0;
}

// Acknowledge polling: a part in its write cycle does not answer its address.
// Polls with a one-byte read about every millisecond, for at most AckPollLimit.
int I2cDevEeprom::AwaitAck(unsigned offset, std::string& detail, unsigned& polls) {
    const uint64_t start = system_.NowMicroseconds();
    for (polls = 1;; ++polls) {
        uint8_t byte = 0;
        const int error = Read(0, &byte, 1);
        if (error == 0)
            return BridgeSuccess;
        if (StatusOfErrno(error) != ProbeNotConnected) {
            detail =
                "polling after the page at " + std::to_string(offset) + ": " + ErrnoText(error);
            return I2cBusFailure;
        }
        if (system_.NowMicroseconds() - start >= AckPollLimit) {
            detail = "the EEPROM at " + Hex(address_) + " did not acknowledge within " +
                     std::to_string(AckPollLimit / 1000) + " ms after the page at " +
                     std::to_string(offset) + " (last: " + ErrnoText(error) + ")";
            return ProbeNotConnected;
        }
        system_.SleepMicroseconds(AckPollInterval);
    }
}

int I2cDevEeprom::ReadProbeType(char (&typeText)[2]) {
    int status = Begin();
    if (status == BridgeSuccess) {
        uint8_t byte = 0;
        if (const int error = Read(ProbeTypeAddress, &byte, 1); error != 0) {
            status = Fail(error, "reading address 3 of " + Hex(address_) + " on " + device_);
        } else {
            typeText[0] = static_cast<char>(byte);
            typeText[1] = '\0';
        }
    }
    End();
    return status;
}

int I2cDevEeprom::ReadImage(uint8_t* image) {
    int status = Begin();
    if (status == BridgeSuccess) {
        uint8_t bytes[EepromSize];
        if (const int error = Read(0, bytes, EepromSize); error != 0)
            status = Fail(error, "reading the EEPROM at " + Hex(address_) + " on " + device_);
        else
            std::memcpy(image, bytes, EepromSize);
    }
    End();
    return status;
}

int I2cDevEeprom::WritePage(unsigned offset, const uint8_t* page) {
    int status = Begin();
    if (status == BridgeSuccess && mode_ == Mode::Smbus &&
        !(functions_ & I2C_FUNC_SMBUS_WRITE_I2C_BLOCK)) {
        detail_ = "the adapter of " + device_ +
                  " offers neither plain I2C (I2C_FUNC_I2C) nor SMBus I2C block writes "
                  "(I2C_FUNC_SMBUS_WRITE_I2C_BLOCK)";
        status = I2cBusFailure;
    }
    if (status == BridgeSuccess) {
        std::string pollDetail;
        unsigned polls = 0;
        if (const int error = Write(offset, page, EepromPageSize); error == 0) {
            status = AwaitAck(offset, pollDetail, polls);
            detail_ = pollDetail;
        } else {
            status = Fail(error, "writing the page at " + std::to_string(offset) + " to " +
                                     Hex(address_) + " on " + device_);
            // A transfer that failed late may still have started a write cycle: let it
            // end before the next page. A part that answers at once refused the data.
            if (AwaitAck(offset, pollDetail, polls) == BridgeSuccess && polls == 1 &&
                status == ProbeNotConnected)
                detail_ +=
                    "; the EEPROM answers its address but refused the data: is it "
                    "write-protected?";
        }
    }
    End();
    return status;
}
