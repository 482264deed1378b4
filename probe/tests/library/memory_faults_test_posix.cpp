// The real libraries against a failing and a counting movable-memory heap: every
// allocation and lock of ProbeInit failed in turn, and many inits in a row.
#include <gtest/gtest.h>

#include <string>

#include "dynamic_library.h"
#include "global_memory_faults.h"
#include "palvo.h"
#include "sample_images.h"

namespace {

struct Library {
    explicit Library(int type)
        : module(LoadLibraryA(("Palvo" + std::to_string(type) + ".dll").c_str())) {
        init = reinterpret_cast<ProbeInitFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "ProbeInit")));
        getParameters = reinterpret_cast<ProbeGetParametersFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "ProbeGetParameters")));
    }
    ~Library() {
        // Leave the library not ready and its blocks released for the next test.
        uint8_t blank[PROBE_IMAGE_SIZE] = {};
        if (init != nullptr)
            init(blank);
        if (module != nullptr)
            FreeLibrary(module);
    }
    HMODULE module;
    ProbeInitFn init = nullptr;
    ProbeGetParametersFn getParameters = nullptr;
};

unsigned BlocksOfAnAcceptedImage(int type) {
    return type == 2 ? 2u : 3u;
}

class MemoryFaults : public ::testing::TestWithParam<int> {
  protected:
    void TearDown() override {
        CompatFailNthGlobalAlloc(0);
        CompatFailNthGlobalLock(0);
    }
};

TEST_P(MemoryFaults, EachFailedAllocationOrLockIsACleanRefusal) {
    Library library(GetParam());
    ASSERT_NE(library.init, nullptr);
    probe_test::ImageContents contents;
    contents.type = GetParam();
    const probe_test::Image image = probe_test::BuildImage(contents);
    const unsigned before = CompatLiveGlobalBlocks();

    for (auto arm : {&CompatFailNthGlobalAlloc, &CompatFailNthGlobalLock}) {
        unsigned n = 1;
        for (;; ++n) {
            arm(n);
            uint16_t status = library.init(image.data());
            arm(0);
            if (status == ProbeStatusOk)
                break;
            EXPECT_EQ(status, ProbeStatusNoMemory) << "failure " << n;
            EXPECT_EQ(CompatLiveGlobalBlocks(), before) << "failure " << n;
            ProbeParameters record{};
            record.Size = PROBE_PARAMETERS_SIZE;
            EXPECT_EQ(library.getParameters(&record), ProbeStatusNotReady);
            ASSERT_LT(n, 10u);
        }
        EXPECT_EQ(n, BlocksOfAnAcceptedImage(GetParam()) + 1) << "one fault per block";
        EXPECT_EQ(CompatLiveGlobalBlocks(), before + BlocksOfAnAcceptedImage(GetParam()));
    }
}

TEST_P(MemoryFaults, ManyInitsHoldOneSetOfBlocks) {
    Library library(GetParam());
    ASSERT_NE(library.init, nullptr);
    probe_test::ImageContents contents;
    contents.type = GetParam();
    contents.position = {0.25f};  // order 0 keeps each table build short
    const probe_test::Image image = probe_test::BuildImage(contents);
    const unsigned before = CompatLiveGlobalBlocks();
    // A block kept by any init shows in the count; a thousand inits take seconds
    // under emulation and the sanitizers, where ten thousand took minutes.
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(library.init(image.data()), ProbeStatusOk) << i;
    EXPECT_EQ(CompatLiveGlobalBlocks(), before + BlocksOfAnAcceptedImage(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Types, MemoryFaults, ::testing::Values(2, 3, 6));

}  // namespace
