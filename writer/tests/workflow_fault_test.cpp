// Fault injection under the status poll and the write workflow. Between I2cBridge
// and a bridge fake holding a sound type-6 image sits an injector that numbers the
// bridge library's calls and fails one of them, in each way the library can fail
// that call. The operation is run again with the next call failed, until it runs
// through without reaching the call to fail. The poll binds the real probe library.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "library_loader.h"
#include "quillet_fakes.h"
#include "refresh_status.h"
#include "write_workflow.h"

namespace {

enum class Call { Count, Open, Freq, Synch, Read, Write, Close };

const char* Name(Call call) {
    static const char* const names[] = {"count", "open", "freq", "synch", "read", "write", "close"};
    return names[static_cast<int>(call)];
}

// The results a call can give in place of doing its work. A nonzero close result is
// one the writer has to ignore.
std::vector<int> FailuresOf(Call call) {
    switch (call) {
        case Call::Count:
            return {0};
        case Call::Open:
            return {-1};  // the invalid handle
        case Call::Close:
            return {1};
        default:
            return {ProbeNotConnected, 1};
    }
}

struct Injector {
    int failAt = 0;  // number of the call to fail, from 1; 0 fails none
    size_t way = 0;  // index into FailuresOf

    int calls = 0;
    int cycles = 0;  // device counts asked: one per open-transfer-close cycle
    bool typeRead = false;
    std::optional<Call> failed;
    int failure = 0;
    int failedCycle = 0;
    bool typeReadBeforeFault = false;

    int opens = 0;        // successful opens
    int closes = 0;       // closes of the open device
    int strayCloses = 0;  // closes with no device open, or of another handle
    HANDLE held = nullptr;

    int loads = 0;
    int releases = 0;
};

Injector* injector = nullptr;
BridgeApi inner;
LibraryLoaderApi platformLoader;

bool Strike(Call call) {
    if (++injector->calls != injector->failAt)
        return false;
    injector->failed = call;
    injector->failure = FailuresOf(call).at(injector->way);
    injector->failedCycle = injector->cycles;
    injector->typeReadBeforeFault = injector->typeRead;
    return true;
}

uint8_t U2C_CALL Count() {
    ++injector->cycles;
    return Strike(Call::Count) ? 0 : inner.getDeviceCount();
}

HANDLE U2C_CALL Open(uint8_t index) {
    if (Strike(Call::Open))
        return U2C_INVALID_HANDLE;
    HANDLE device = inner.openDevice(index);
    if (device != U2C_INVALID_HANDLE) {
        EXPECT_EQ(injector->held, nullptr) << "opened while a device is open";
        injector->held = device;
        ++injector->opens;
    }
    return device;
}

int U2C_CALL Freq(HANDLE device, uint8_t code) {
    return Strike(Call::Freq) ? injector->failure : inner.setI2cFreq(device, code);
}

int U2C_CALL Synch(HANDLE device, int enable) {
    return Strike(Call::Synch) ? injector->failure : inner.setClockSynch(device, enable);
}

int U2C_CALL Read(HANDLE device, I2cTransaction* transaction) {
    if (Strike(Call::Read))
        return injector->failure;
    const int result = inner.read(device, transaction);
    const uint16_t length = transaction->length;
    if (result == 0 && length == 1)
        injector->typeRead = true;
    return result;
}

int U2C_CALL Write(HANDLE device, I2cTransaction* transaction) {
    return Strike(Call::Write) ? injector->failure : inner.write(device, transaction);
}

int U2C_CALL Close(HANDLE device) {
    if (injector->held == nullptr || device != injector->held) {
        ++injector->strayCloses;
    } else {
        ++injector->closes;
        injector->held = nullptr;
    }
    const int result = inner.closeDevice(device);
    return Strike(Call::Close) ? injector->failure : result;
}

HMODULE CountedLoad(const char* fileName) {
    HMODULE module = platformLoader.load(fileName);
    if (module != nullptr)
        ++injector->loads;
    return module;
}

bool CountedRelease(HMODULE module) {
    const bool released = platformLoader.release(module);
    if (released)
        ++injector->releases;
    return released;
}

// The simulated bridge's factory EEPROM: a type-6 image that the type-6 library accepts.
const std::array<uint8_t, EepromSize>& SoundImage() {
    static const std::array<uint8_t, EepromSize> image = [] {
        std::array<uint8_t, EepromSize> bytes{};
        const BridgeApi saved = ActiveBridgeApi();
        ActiveBridgeApi() = LinkedBridgeApi();
        I2cBridge bridge;
        EXPECT_EQ(bridge.ReadImage(bytes.data()), BridgeSuccess);
        ActiveBridgeApi() = saved;
        return bytes;
    }();
    return image;
}

// One run: a fresh fake bridge holding the sound image, the injector over it, and
// the platform's loader counted.
struct Rig {
    Rig(int failAt, size_t way) {
        bridge.eeprom = SoundImage();
        state.failAt = failAt;
        state.way = way;
        injector = &state;
        inner = ActiveBridgeApi();
        ActiveBridgeApi() = BridgeApi{Count, Open, Freq, Synch, Read, Write, Close, inner.sleep};
        platformLoader = ActiveLibraryLoaderApi();
        ActiveLibraryLoaderApi() = {CountedLoad, platformLoader.lookup, CountedRelease};
    }
    ~Rig() {
        ActiveLibraryLoaderApi() = platformLoader;
        ActiveBridgeApi() = inner;
        injector = nullptr;
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void ExpectNothingOpen() const {
        EXPECT_EQ(i2c.device, nullptr);
        EXPECT_EQ(state.held, nullptr);
        EXPECT_EQ(state.opens, state.closes);
        EXPECT_EQ(state.strayCloses, 0);
    }

    FakeBridgeLibrary bridge;
    Injector state;
    FakeView view;
    I2cBridge i2c;
};

// Fails call 1, 2, ... of `operation` in each way that call can fail, every time on a
// fresh rig, until the operation runs through without reaching the call to fail.
// `faulted` judges each faulted run, `clean` the last run. Returns the faults injected.
template <typename Operation, typename Faulted, typename Clean>
int InjectInTurn(Operation operation, Faulted faulted, Clean clean) {
    int injected = 0;
    for (int call = 1;; ++call) {
        for (size_t way = 0;; ++way) {
            Rig rig(call, way);
            operation(rig);
            if (!rig.state.failed) {
                SCOPED_TRACE("run through with " + std::to_string(call - 1) + " calls");
                clean(rig);
                return injected;
            }
            ++injected;
            SCOPED_TRACE("call " + std::to_string(call) + " (" + Name(*rig.state.failed) +
                         ") gave " + std::to_string(rig.state.failure));
            faulted(rig);
            if (way + 1 == FailuresOf(*rig.state.failed).size())
                break;
        }
    }
}

std::vector<std::string> Status(const std::string& text) {
    return {"status:" + text};
}

std::string ExpectedPollText(const Injector& state) {
    if (state.failed == Call::Close)
        return "System Available";
    if (state.typeReadBeforeFault)
        return "CRC error";  // the image read failed and the library was handed zeros
    if (state.failed == Call::Count || state.failed == Call::Open)
        return "I2C bridge not present";
    return state.failure == ProbeNotConnected ? "Probe not connected" : "I2C bus Error";
}

void Poll(Rig& rig) {
    RefreshStatus(rig.i2c, LinkedProbeBinding(), rig.view);
}

TEST(WorkflowFaultTest, PollShowsEachFailedBridgeCallAndReleasesWhatItTook) {
    const int injected = InjectInTurn(
        Poll,
        [](Rig& rig) {
            const Injector& state = rig.state;
            EXPECT_EQ(rig.view.events, Status(ExpectedPollText(state)));
            rig.ExpectNothingOpen();
            const bool bound = state.typeReadBeforeFault || state.failed == Call::Close;
            EXPECT_EQ(state.loads, bound ? 1 : 0);
            EXPECT_EQ(state.releases, state.loads);

            // Nothing of the failure is left over for the next poll.
            rig.state.failAt = 0;
            rig.view.events.clear();
            Poll(rig);
            EXPECT_EQ(rig.view.events, Status("System Available"));
            rig.ExpectNothingOpen();
            EXPECT_EQ(state.releases, state.loads);
        },
        [](Rig& rig) {
            EXPECT_EQ(rig.view.events, Status("System Available"));
            EXPECT_EQ(rig.state.cycles, 2);
            rig.ExpectNothingOpen();
            EXPECT_EQ(rig.state.loads, 1);
            EXPECT_EQ(rig.state.releases, 1);
        });
    // Two cycles (type, image) of count, open, freq x2, synch x2, read x2, close.
    EXPECT_EQ(injected, 18);
}

TEST(WorkflowFaultTest, WriteReportsEachFailedBridgeCallAndStillTriesEveryPage) {
    TemporaryFile file(EepromSize);
    const auto write = [&](Rig& rig) {
        rig.view.choice = file.path;
        RunWriteWorkflow(rig.i2c, rig.view);
    };
    // Every page but `lost` holds the file's bytes, and `lost` still the old image.
    const auto expectPages = [](const Rig& rig, std::optional<unsigned> lost) {
        for (unsigned page = 0; page < EepromSize / EepromPageSize; ++page) {
            for (unsigned i = page * EepromPageSize; i < (page + 1) * EepromPageSize; ++i) {
                const uint8_t expected = page == lost ? SoundImage()[i] : TemporaryFile::ByteAt(i);
                ASSERT_EQ(rig.bridge.eeprom[i], expected) << "page " << page;
            }
        }
    };
    const std::vector<std::string> success{"status:Writing Success", "message:Writing Success"};
    const std::vector<std::string> failure{"status:Writing Error", "message:Writing Error"};

    const int injected = InjectInTurn(
        write,
        [&](Rig& rig) {
            const Injector& state = rig.state;
            const bool ignored = state.failed == Call::Close;
            EXPECT_EQ(rig.view.events, ignored ? success : failure);
            rig.ExpectNothingOpen();
            EXPECT_EQ(state.cycles, 16);
            EXPECT_EQ(rig.bridge.sleeps, 16u);
            EXPECT_EQ(rig.bridge.writtenPages.size(), ignored ? 16u : 15u);
            std::optional<unsigned> lost;
            if (!ignored)
                lost = static_cast<unsigned>(state.failedCycle - 1);
            expectPages(rig, lost);
        },
        [&](Rig& rig) {
            EXPECT_EQ(rig.view.events, success);
            EXPECT_EQ(rig.state.cycles, 16);
            rig.ExpectNothingOpen();
            expectPages(rig, std::nullopt);
        });
    // Sixteen pages, each a cycle of count, open, freq x2, synch x2, write x2, close.
    EXPECT_EQ(injected, 144);
}

}  // namespace
