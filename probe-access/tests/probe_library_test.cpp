// Binding of probe libraries by file name: the real ones, and test libraries that
// lack exports, with the platform's loader wrapped so every call is seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_loader.h"
#include "module_state.h"
#include "probe_library.h"

namespace {

struct LoaderRecord {
    std::vector<std::string> lookups;
    std::vector<HMODULE> releases;
    int loads = 0;
    bool refuseRelease = false;
};

LoaderRecord* record = nullptr;

HMODULE RecordedLoad(const char* fileName) {
    ++record->loads;
    return PlatformLibraryLoaderApi().load(fileName);
}

LoadedFunction RecordedLookup(HMODULE module, const char* name) {
    record->lookups.push_back(name);
    return PlatformLibraryLoaderApi().lookup(module, name);
}

bool RecordedRelease(HMODULE module) {
    record->releases.push_back(module);
    if (record->refuseRelease)
        return false;
    return PlatformLibraryLoaderApi().release(module);
}

// Some address that is not null, to see every entry cleared.
template <typename Function>
Function NotNull() {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(RecordedLoad));
}

ProbeLibrary Garbage() {
    ProbeLibrary library;
    library.ProbeInit = NotNull<ProbeInitFn>();
    library.ProbeGetParameters = NotNull<ProbeGetParametersFn>();
    library.ProbeSetParameters = NotNull<ProbeSetParametersFn>();
    library.ProbeGetPression = NotNull<ProbeGetPressionFn>();
    library.ProbeIsCalibrated = NotNull<ProbeIsCalibratedFn>();
    return library;
}

bool AllNull(const ProbeLibrary& library) {
    return library.ProbeInit == nullptr && library.ProbeGetParameters == nullptr &&
           library.ProbeSetParameters == nullptr && library.ProbeGetPression == nullptr &&
           library.ProbeIsCalibrated == nullptr;
}

bool AllSet(const ProbeLibrary& library) {
    return library.ProbeInit != nullptr && library.ProbeGetParameters != nullptr &&
           library.ProbeSetParameters != nullptr && library.ProbeGetPression != nullptr &&
           library.ProbeIsCalibrated != nullptr;
}

class ProbeLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = ActiveLibraryLoaderApi();
        record = &calls;
        ActiveLibraryLoaderApi() = LibraryLoaderApi{RecordedLoad, RecordedLookup, RecordedRelease};
    }
    void TearDown() override {
        ActiveLibraryLoaderApi() = saved_;
        record = nullptr;
    }

    LoaderRecord calls;

  private:
    LibraryLoaderApi saved_{};
};

TEST_F(ProbeLibraryTest, FileNameTakesOnlyASingleDigit) {
    char name[kLibraryNameSize] = "stale";
    for (const char* digit : {"0", "2", "3", "6", "9"}) {
        ASSERT_TRUE(ProbeLibraryFileName(digit, name));
        EXPECT_EQ(std::string(name), std::string("Palvo") + digit + ".dll");
    }
    for (const char* text : {"/", "\\", ".", "a", "", "12", " 6", "6/", ":"}) {
        std::snprintf(name, sizeof name, "stale");
        EXPECT_FALSE(ProbeLibraryFileName(text, name)) << '"' << text << '"';
        EXPECT_STREQ(name, "") << '"' << text << '"';
    }
    EXPECT_FALSE(ProbeLibraryFileName(nullptr, name));
    EXPECT_EQ(calls.loads, 0);
}

TEST_F(ProbeLibraryTest, BindsEachRealLibraryAndReleasesIt) {
    for (const char* type : {"2", "3", "6"}) {
        SCOPED_TRACE(type);
        char name[kLibraryNameSize];
        ASSERT_TRUE(ProbeLibraryFileName(type, name));
        ProbeLibrary library;
        calls.lookups.clear();
        HMODULE module = LoadProbeLibrary(name, library);
        ASSERT_NE(module, nullptr);
        EXPECT_TRUE(AllSet(library));
        EXPECT_EQ(calls.lookups,
                  (std::vector<std::string>{"ProbeGetParameters", "ProbeSetParameters", "ProbeInit",
                                            "ProbeGetPression", "ProbeIsCalibrated"}));
        EXPECT_TRUE(IsLibraryMapped(name));
        EXPECT_TRUE(UnloadProbeLibrary(module, library));
        EXPECT_EQ(module, nullptr);
        EXPECT_TRUE(AllNull(library));
        EXPECT_FALSE(IsLibraryMapped(name));
    }
}

TEST_F(ProbeLibraryTest, ReleaseThenLoadAgainStartsTheLibraryAfresh) {
    char name[kLibraryNameSize];
    ASSERT_TRUE(ProbeLibraryFileName("6", name));
    for (int poll = 0; poll < 3; ++poll) {
        ProbeLibrary library;
        HMODULE module = LoadProbeLibrary(name, library);
        ASSERT_NE(module, nullptr) << poll;
        // Nothing accepted since the load: the library is fresh every time.
        ProbeParameters parameters{};
        parameters.Size = PROBE_PARAMETERS_SIZE;
        EXPECT_EQ(library.ProbeGetParameters(&parameters), ProbeStatusNotReady);
        ASSERT_TRUE(UnloadProbeLibrary(module, library));
    }
    EXPECT_EQ(calls.loads, 3);
    EXPECT_EQ(calls.releases.size(), 3u);
}

TEST_F(ProbeLibraryTest, MissingFileGivesNullAndAClearedRecord) {
    ProbeLibrary library = Garbage();
    EXPECT_EQ(LoadProbeLibrary("Palvo9.dll", library), nullptr);
    EXPECT_TRUE(AllNull(library));
    EXPECT_TRUE(calls.lookups.empty());
    EXPECT_TRUE(calls.releases.empty());
}

TEST_F(ProbeLibraryTest, LibraryWithOnlyInitAndGetParametersIsRejectedAndReleased) {
    ProbeLibrary library = Garbage();
    EXPECT_EQ(LoadProbeLibrary("PalvoT1.dll", library), nullptr);
    EXPECT_TRUE(AllNull(library));
    // ProbeGetParameters is found, ProbeSetParameters is not, and the lookup stops.
    EXPECT_EQ(calls.lookups,
              (std::vector<std::string>{"ProbeGetParameters", "ProbeSetParameters"}));
    ASSERT_EQ(calls.releases.size(), 1u);
    EXPECT_NE(calls.releases[0], nullptr);
    EXPECT_FALSE(IsLibraryMapped("PalvoT1.dll"));
}

TEST_F(ProbeLibraryTest, LibraryWithoutGetParametersFailsAtTheFirstLookup) {
    ProbeLibrary library = Garbage();
    EXPECT_EQ(LoadProbeLibrary("PalvoT2.dll", library), nullptr);
    EXPECT_TRUE(AllNull(library));
    EXPECT_EQ(calls.lookups, (std::vector<std::string>{"ProbeGetParameters"}));
    EXPECT_EQ(calls.releases.size(), 1u);
    EXPECT_FALSE(IsLibraryMapped("PalvoT2.dll"));
}

TEST_F(ProbeLibraryTest, RefusedReleaseLeavesHandleAndRecordAsTheyWere) {
    ProbeLibrary library;
    HMODULE module = LoadProbeLibrary("Palvo3.dll", library);
    ASSERT_NE(module, nullptr);
    HMODULE held = module;
    ProbeInitFn init = library.ProbeInit;
    calls.refuseRelease = true;
    EXPECT_FALSE(UnloadProbeLibrary(module, library));
    EXPECT_EQ(module, held);
    EXPECT_EQ(library.ProbeInit, init);
    EXPECT_TRUE(AllSet(library));
    calls.refuseRelease = false;
    EXPECT_TRUE(UnloadProbeLibrary(module, library));
    EXPECT_FALSE(IsLibraryMapped("Palvo3.dll"));
}

}  // namespace
