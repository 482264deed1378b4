#include "simulated_bridge.h"

#include "eeprom_file.h"

namespace i2cbrdg {

namespace {

// The one bridge's handle: any value but null and the invalid handle.
const HANDLE kBridgeHandle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1C0));

}  // namespace

std::uint8_t SimulatedBridge::DeviceCount(const BridgeSettings& settings) const {
    return settings.faults.noBridge ? 0 : 1;
}

HANDLE SimulatedBridge::Open(std::uint8_t index, const BridgeSettings& settings) {
    // The device is opened for exclusive use, as a USB device is.
    if (settings.faults.noBridge || settings.faults.openFails || index != 0 || open_)
        return U2C_INVALID_HANDLE;
    open_ = true;
    return kBridgeHandle;
}

int SimulatedBridge::SetFrequency(HANDLE device, std::uint8_t frequencyCode,
                                  const BridgeSettings& settings) {
    if (!IsOpen(device))
        return kResultBadHandle;
    if (frequencyCode > kHighestFrequencyCode)
        return kResultBadParameter;
    return settings.faults.setupFails ? kResultBusError : kResultSuccess;
}

int SimulatedBridge::SetClockSynch(HANDLE device, int) {
    return IsOpen(device) ? kResultSuccess : kResultBadHandle;
}

int SimulatedBridge::Read(HANDLE device, I2cTransaction& transaction,
                          const BridgeSettings& settings) {
    int result = Admit(device, transaction, settings);
    if (result != kResultSuccess)
        return result;
    Eeprom eeprom;
    if (!Load(settings, eeprom))
        return kResultBusError;
    ReadEeprom(eeprom, transaction.memoryAddress, transaction.length, transaction.data);
    CountRead(settings, transaction);
    return kResultSuccess;
}

void SimulatedBridge::CountRead(const BridgeSettings& settings, I2cTransaction& transaction) {
    if (!(settings.faults == countedFaults_)) {
        countedFaults_ = settings.faults;
        reads_ = 0;
    }
    ++reads_;
    const auto every = settings.faults.unstableReads;
    if (!every || reads_ % *every != 0 || transaction.length == 0)
        return;
    // A marginal bit: one byte comes out inverted, a different one each time.
    transaction.data[reads_ % transaction.length] ^= 0xFF;
}

int SimulatedBridge::Write(HANDLE device, I2cTransaction& transaction,
                           const BridgeSettings& settings) {
    int result = Admit(device, transaction, settings);
    if (result != kResultSuccess)
        return result;
    if (settings.faults.failingPage == uint32_t{transaction.memoryAddress})
        return kResultBusError;
    // A write-protected part acknowledges the data but starts no write cycle.
    if (settings.faults.writeProtect || transaction.length == 0)
        return kResultSuccess;
    Eeprom eeprom;
    if (!Load(settings, eeprom))
        return kResultBusError;
    WriteEeprom(eeprom, transaction.memoryAddress, transaction.length, transaction.data);
    if (!Store(settings, eeprom))
        return kResultBusError;
    busyUntil_ = Clock::now() + kWriteCycleTime;
    return kResultSuccess;
}

int SimulatedBridge::Close(HANDLE device) {
    if (!IsOpen(device))
        return kResultBadHandle;
    open_ = false;
    return kResultSuccess;
}

bool SimulatedBridge::IsOpen(HANDLE device) const {
    return open_ && device == kBridgeHandle;
}

int SimulatedBridge::Admit(HANDLE device, const I2cTransaction& transaction,
                           const BridgeSettings& settings) const {
    if (!IsOpen(device))
        return kResultBadHandle;
    if (transaction.addressLength != kEepromAddressLength ||
        transaction.length > sizeof transaction.data)
        return kResultBadParameter;
    if (settings.faults.busError)
        return kResultBusError;
    if (settings.faults.noProbe || transaction.slaveAddress != kEepromSlaveAddress)
        return kResultNoAnswer;
    if (Clock::now() < busyUntil_)
        return kResultNoAnswer;  // still in its write cycle
    return kResultSuccess;
}

bool SimulatedBridge::Load(const BridgeSettings& settings, Eeprom& eeprom) const {
    if (!settings.eepromFile) {
        eeprom = memory_;
        return true;
    }
    return LoadEepromFile(*settings.eepromFile, eeprom);
}

bool SimulatedBridge::Store(const BridgeSettings& settings, const Eeprom& eeprom) {
    if (!settings.eepromFile) {
        memory_ = eeprom;
        return true;
    }
    return SaveEepromFile(*settings.eepromFile, eeprom);
}

}  // namespace i2cbrdg
