#include "quillet_fakes.h"

#include <atomic>
#include <cstring>
#include <fstream>

namespace {

FakeBridgeLibrary* bridge = nullptr;
FakeProbeLibrary* probe = nullptr;

HANDLE const FakeDevice = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x51));

uint8_t U2C_CALL GetDeviceCount() {
    return 1;
}
HANDLE U2C_CALL OpenDevice(uint8_t) {
    return FakeDevice;
}
int U2C_CALL SetI2cFreq(HANDLE, uint8_t) {
    return 0;
}
int U2C_CALL SetClockSynch(HANDLE, int) {
    return 0;
}
int U2C_CALL Read(HANDLE, I2cTransaction* transaction) {
    std::memcpy(transaction->data, bridge->eeprom.data() + transaction->memoryAddress,
                transaction->length);
    return 0;
}
int U2C_CALL Write(HANDLE, I2cTransaction* transaction) {
    std::memcpy(bridge->eeprom.data() + transaction->memoryAddress, transaction->data,
                transaction->length);
    bridge->writtenPages.push_back(uint32_t{transaction->memoryAddress});
    return 0;
}
int U2C_CALL CloseDevice(HANDLE) {
    return 0;
}
void Sleep(unsigned) {
    ++bridge->sleeps;
}

uint16_t PALVO_CALL Init(const uint8_t* image) {
    probe->initImage.assign(image, image + PROBE_IMAGE_SIZE);
    return probe->initResult;
}
uint16_t PALVO_CALL GetParameters(ProbeParameters* record) {
    probe->givenParameters = *record;
    if (probe->parametersResult == 0) {
        record->Type = 6;
    }
    return probe->parametersResult;
}

HMODULE FakeModule() {
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}

HMODULE Load(const char* fileName, ProbeLibrary& library) {
    library = ProbeLibrary{};
    ++probe->loads;
    probe->lastFileName = fileName;
    if (!probe->loadable) {
        return nullptr;
    }
    ++probe->held;
    library.ProbeInit = Init;
    library.ProbeGetParameters = GetParameters;
    return FakeModule();
}

bool Unload(HMODULE& module, ProbeLibrary& library) {
    ++probe->unloads;
    --probe->held;
    module = nullptr;
    library = ProbeLibrary{};
    return true;
}

}  // namespace

int FakeEeprom::ReadProbeType(char (&typeText)[2]) {
    if (deviceCount == 0)
        return BridgeNotPresent;
    if (typeReadResult == BridgeSuccess) {
        typeText[0] = static_cast<char>(eeprom[ProbeTypeAddress]);
        typeText[1] = '\0';
    }
    return typeReadResult;
}

int FakeEeprom::ReadImage(uint8_t* image) {
    if (deviceCount == 0)
        return BridgeNotPresent;
    if (imageReadResult == BridgeSuccess)
        std::memcpy(image, eeprom.data(), EepromSize);
    return imageReadResult;
}

int FakeEeprom::WritePage(unsigned offset, const uint8_t* page) {
    ++sleeps;
    if (deviceCount == 0)
        return BridgeNotPresent;
    if (failingPage == offset)
        return pageWriteResult;
    std::memcpy(eeprom.data() + offset, page, EepromPageSize);
    writtenPages.push_back(offset);
    return BridgeSuccess;
}

FakeBridgeLibrary::FakeBridgeLibrary() : saved_(ActiveBridgeApi()) {
    bridge = this;
    ActiveBridgeApi() = BridgeApi{GetDeviceCount, OpenDevice, SetI2cFreq,  SetClockSynch,
                                  Read,           Write,      CloseDevice, Sleep};
}

FakeBridgeLibrary::~FakeBridgeLibrary() {
    ActiveBridgeApi() = saved_;
    bridge = nullptr;
}

FakeProbeLibrary::FakeProbeLibrary() {
    probe = this;
}

FakeProbeLibrary::~FakeProbeLibrary() {
    probe = nullptr;
}

ProbeBinding FakeProbeLibrary::Binding() const {
    return ProbeBinding{Load, Unload};
}

TemporaryFile::TemporaryFile(size_t size, const char8_t* name) {
    static std::atomic<int> counter{0};
    directory = std::filesystem::temp_directory_path() /
                ("quillet-test-" + std::to_string(counter++) + "-" +
                 std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(directory);
    path = directory / std::filesystem::path(name);
    std::ofstream file(path, std::ios::binary);
    for (size_t i = 0; i < size; ++i) {
        file.put(static_cast<char>(ByteAt(i)));
    }
}

TemporaryFile::~TemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}
