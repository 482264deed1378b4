#include "fake_bridge.h"

#include <algorithm>
#include <cstring>

namespace access_test {

namespace {

FakeBridge* active = nullptr;

std::intptr_t Handle(HANDLE device) {
    return reinterpret_cast<std::intptr_t>(device);
}

void Record(const char* function, std::intptr_t handle = 0, int value = 0,
            const I2cTransaction* transaction = nullptr) {
    BridgeCall call;
    call.function = function;
    call.handle = handle;
    call.value = value;
    if (transaction != nullptr)
        call.transaction = *transaction;
    active->calls.push_back(call);
}

uint8_t U2C_CALL Count() {
    Record("count");
    return active->deviceCount;
}

HANDLE U2C_CALL Open(uint8_t index) {
    Record("open", index);
    return active->openHandle;
}

int U2C_CALL Freq(HANDLE device, uint8_t code) {
    Record("freq", Handle(device), code);
    return active->freqResult;
}

int U2C_CALL Synch(HANDLE device, int enable) {
    Record("synch", Handle(device), enable);
    return active->synchResult;
}

int U2C_CALL Read(HANDLE device, I2cTransaction* transaction) {
    Record("read", Handle(device), 0, transaction);
    if (active->readResult != 0)
        return active->readResult;
    for (unsigned i = 0; i < transaction->length; ++i)
        transaction->data[i] = active->memory[(transaction->memoryAddress + i) % EepromSize];
    return 0;
}

int U2C_CALL Write(HANDLE device, I2cTransaction* transaction) {
    Record("write", Handle(device), 0, transaction);
    auto scripted = active->writeResults.find(uint32_t{transaction->memoryAddress});
    if (scripted != active->writeResults.end())
        return scripted->second;
    std::memcpy(active->memory + transaction->memoryAddress, transaction->data,
                transaction->length);
    return 0;
}

int U2C_CALL Close(HANDLE device) {
    Record("close", Handle(device));
    return 0;
}

void Pause(unsigned milliseconds) {
    Record("sleep", 0, static_cast<int>(milliseconds));
}

}  // namespace

std::vector<std::string> FakeBridge::Functions() const {
    std::vector<std::string> names;
    for (const BridgeCall& call : calls)
        names.push_back(call.function);
    return names;
}

int FakeBridge::Count(const std::string& function) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const BridgeCall& call) {
        return call.function == function;
    }));
}

std::vector<BridgeCall> FakeBridge::Writes() const {
    std::vector<BridgeCall> writes;
    for (const BridgeCall& call : calls)
        if (call.function == "write")
            writes.push_back(call);
    return writes;
}

ScopedFakeBridge::ScopedFakeBridge() : saved_(ActiveBridgeApi()) {
    active = &fake;
    ActiveBridgeApi() = BridgeApi{Count, Open, Freq, Synch, Read, Write, Close, Pause};
}

ScopedFakeBridge::~ScopedFakeBridge() {
    ActiveBridgeApi() = saved_;
    active = nullptr;
}

}  // namespace access_test
