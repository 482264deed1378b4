#include "i2c_bridge.h"

#include <cstddef>
#include <cstring>

// The transfer record is a wire format: 264 bytes, no padding.
static_assert(sizeof(I2cTransaction) == 264);
static_assert(offsetof(I2cTransaction, slaveAddress) == 0);
static_assert(offsetof(I2cTransaction, addressLength) == 1);
static_assert(offsetof(I2cTransaction, memoryAddress) == 2);
static_assert(offsetof(I2cTransaction, length) == 6);
static_assert(offsetof(I2cTransaction, data) == 8);

namespace {

I2cTransaction EepromTransaction(uint32_t address, uint16_t length) {
    I2cTransaction transaction{};
    transaction.slaveAddress = EepromSlaveAddress;
    transaction.addressLength = EepromAddressLength;
    transaction.memoryAddress = address;
    transaction.length = length;
    return transaction;
}

}  // namespace

int I2cBridge::Open() {
    if (device != nullptr)
        return BridgeSuccess;
    BridgeApi& api = ActiveBridgeApi();
    if (api.getDeviceCount() == 0)
        return status = BridgeNotPresent;
    HANDLE opened = api.openDevice(BridgeIndex);
    if (opened == U2C_INVALID_HANDLE)
        return status = BridgeNotPresent;
    device = opened;
    int result = api.setI2cFreq(device, I2cFrequencyCode);
    if (result == BridgeSuccess)
        result = api.setClockSynch(device, ClockSynchronisation);
    if (result != BridgeSuccess) {
        Close();
        status = result;
    }
    return result;
}

void I2cBridge::Close() {
    ActiveBridgeApi().closeDevice(device);
    device = nullptr;
}

int I2cBridge::Read(I2cTransaction& transaction) {
    status = Open();
    if (status != BridgeSuccess)
        return status;
    status = ActiveBridgeApi().read(device, &transaction);
    Close();
    return status;
}

int I2cBridge::Write(I2cTransaction& transaction) {
    status = Open();
    if (status != BridgeSuccess)
        return status;
    status = ActiveBridgeApi().write(device, &transaction);
    Close();
    return status;
}

int I2cBridge::ReadProbeType(char (&typeText)[2]) {
    I2cTransaction transaction = EepromTransaction(ProbeTypeAddress, 1);
    if (Read(transaction) == BridgeSuccess) {
        // The byte as a string of at most one character: a zero byte gives "".
        typeText[0] = static_cast<char>(transaction.data[0]);
        typeText[1] = '\0';
    }
    return status;
}

int I2cBridge::ReadImage(uint8_t* image) {
    I2cTransaction transaction = EepromTransaction(0, EepromSize);
    if (Read(transaction) == BridgeSuccess)
        std::memcpy(image, transaction.data, EepromSize);
    return status;
}

int I2cBridge::WritePage(unsigned offset, const uint8_t* page) {
    I2cTransaction transaction = EepromTransaction(offset, EepromPageSize);
    std::memcpy(transaction.data, page, EepromPageSize);
    const int result = Write(transaction);
    ActiveBridgeApi().sleep(PageWriteDelay);
    return result;
}

int I2cBridge::WriteImage(const uint8_t* image) {
    return status = WriteImagePages(*this, image);
}
