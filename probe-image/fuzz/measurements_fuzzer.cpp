// Fuzz harness for the measurement-file reader: any bytes either read as
// measurements that keep its promises or are refused with a ToolError naming the
// file; nothing else may escape, crash or read out of bounds.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "../../probe/fuzz/fuzz_checks.h"
#include "measurements.h"
#include "tool_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Measurements read = ParseMeasurements(text, "m.csv");
        FUZZ_CHECK(!read.raw.empty());
        FUZZ_CHECK(read.value.size() == read.raw.size());
        FUZZ_CHECK(read.uncertainty.empty() || read.uncertainty.size() == read.raw.size());
        for (std::size_t i = 0; i < read.raw.size(); ++i) {
            FUZZ_CHECK(std::isfinite(read.raw[i]));
            FUZZ_CHECK(std::isfinite(read.value[i]));
        }
        for (double u : read.uncertainty)
            FUZZ_CHECK(std::isfinite(u) && u > 0);
    } catch (const ToolError& error) {
        FUZZ_CHECK(error.code() == ExitFile);
        FUZZ_CHECK(std::string(error.what()).rfind("m.csv", 0) == 0);
    }
    return 0;
}
