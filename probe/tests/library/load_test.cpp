// The real probe libraries, loaded by name the way a host binds them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dynamic_library.h"
#include "palvo.h"
#include "sample_images.h"

namespace {

const char* const kCommonExports[] = {
    "ProbeGetForce", "ProbeGetParameters", "ProbeGetPosition",  "ProbeGetPression",
    "ProbeInit",     "ProbeIsCalibrated",  "ProbeSetParameters"};

class LoadedLibrary {
  public:
    explicit LoadedLibrary(int type)
        : module_(LoadLibraryA(("Palvo" + std::to_string(type) + ".dll").c_str())) {}
    ~LoadedLibrary() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    HMODULE module() const { return module_; }
    template <typename Function>
    Function Get(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_;
};

class ProbeLibraryLoad : public ::testing::TestWithParam<int> {};

TEST_P(ProbeLibraryLoad, ExportsEveryFunctionOfItsType) {
    LoadedLibrary library(GetParam());
    ASSERT_NE(library.module(), nullptr);
    for (const char* name : kCommonExports)
        EXPECT_NE(GetProcAddress(library.module(), name), nullptr) << name;
    bool hasPosition2 = GetProcAddress(library.module(), "ProbeGetPosition2") != nullptr;
    EXPECT_EQ(hasPosition2, GetParam() == 6);
}

TEST_P(ProbeLibraryLoad, AnswersNotReadyBeforeInitAndLeavesOutputsAlone) {
    LoadedLibrary library(GetParam());
    ASSERT_NE(library.module(), nullptr);
    float result = 123.0f;
    EXPECT_EQ(library.Get<ProbeGetForceFn>("ProbeGetForce")(1.0f, &result), ProbeStatusNotReady);
    EXPECT_EQ(library.Get<ProbeGetPressionFn>("ProbeGetPression")(1.0f, &result),
              ProbeStatusNotReady);
    EXPECT_EQ(library.Get<ProbeGetPositionFn>("ProbeGetPosition")(1.0f, &result),
              ProbeStatusNotReady);
    EXPECT_EQ(result, 123.0f);
    int32_t calibrated = 77;
    EXPECT_EQ(library.Get<ProbeIsCalibratedFn>("ProbeIsCalibrated")(&calibrated),
              ProbeStatusNotReady);
    EXPECT_EQ(calibrated, 77);

    ProbeParameters record;
    std::memset(&record, 0x5A, sizeof record);
    record.Size = 1;  // wrong size: not ready is tested first
    EXPECT_EQ(library.Get<ProbeGetParametersFn>("ProbeGetParameters")(&record),
              ProbeStatusNotReady);
    EXPECT_EQ(record.Size, 1);
    EXPECT_EQ(record.Serial, 0x5A5A5A5A);

    uint8_t image[PROBE_IMAGE_SIZE];
    std::memset(image, 0xEE, sizeof image);
    auto setParameters = library.Get<ProbeSetParametersFn>("ProbeSetParameters");
    EXPECT_EQ(setParameters(record, image, ProbeModeUsage), ProbeStatusBadSize);
    record.Size = PROBE_PARAMETERS_SIZE;
    EXPECT_EQ(setParameters(record, image, ProbeModeUsage), ProbeStatusNotReady);
    EXPECT_EQ(image[0], 0xEE);
}

TEST_P(ProbeLibraryLoad, TwoLoadsShareOneState) {
    LoadedLibrary first(GetParam());
    LoadedLibrary second(GetParam());
    ASSERT_NE(first.module(), nullptr);
    ASSERT_NE(second.module(), nullptr);
    probe_test::ImageContents contents;
    contents.type = GetParam();
    probe_test::Image image = probe_test::BuildImage(contents);
    ASSERT_EQ(first.Get<ProbeInitFn>("ProbeInit")(image.data()), ProbeStatusOk);
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    ASSERT_EQ(second.Get<ProbeGetParametersFn>("ProbeGetParameters")(&record), ProbeStatusOk);
    EXPECT_EQ(record.Serial, contents.serial);
    EXPECT_EQ(record.Type, GetParam());
    // Leave the library as a later test expects it: not ready.
    uint8_t blank[PROBE_IMAGE_SIZE] = {};
    EXPECT_NE(first.Get<ProbeInitFn>("ProbeInit")(blank), ProbeStatusOk);
}

INSTANTIATE_TEST_SUITE_P(Types, ProbeLibraryLoad, ::testing::Values(2, 3, 6));

}  // namespace
