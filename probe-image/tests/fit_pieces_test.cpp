// Measurement files read row by row.
#include <gtest/gtest.h>

#include <string>

#include "measurements.h"
#include "tool_error.h"

namespace {

struct CsvCase {
    const char* text;
    std::size_t rows;     // when it reads
    const char* failure;  // part of the message when it does not
};

TEST(Measurements, RowsReadOrTheFileAndLineAreNamed) {
    const CsvCase cases[] = {
        {"raw,position\n1,2\n3,4\n", 2, nullptr},
        {"1,2\r\n\r\n 3 , -4e-3 \r\n", 2, nullptr},  // no header, CRLF, blanks
        {"1,2\n1,2.5\n", 2, nullptr},                // a repeated reading is a measurement
        {"raw,position\n", 0, "m.csv: no measurements"},
        {"1,2\n3;4\n", 0, "m.csv line 2: expected two numbers"},
        {"1,2,3\n", 0, "m.csv line 1: expected two numbers"},
        {"1,2\nx,4\n", 0, "line 2: raw reading \"x\" is not a number"},
        {"1,\n", 0, "line 1: value \"\" is not a number"},
        {"1,nan\n", 0, "line 1: value \"nan\" is not finite"},
        {"inf,1\n", 0, "line 1: raw reading \"inf\" is not finite"},
        {"1,1e400\n", 0, "value \"1e400\" is not finite"},
        {"1e39,1\n", 0, "raw reading \"1e39\" does not fit a float"},
        {"raw,position\nraw,position\n", 0, "line 2: raw reading \"raw\" is not a number"},
    };
    for (const CsvCase& c : cases) {
        try {
            const Measurements m = ParseMeasurements(c.text, "m.csv");
            EXPECT_EQ(c.failure, nullptr) << c.text;
            EXPECT_EQ(m.raw.size(), c.rows) << c.text;
            EXPECT_EQ(m.value.size(), c.rows) << c.text;
        } catch (const ToolError& error) {
            ASSERT_NE(c.failure, nullptr) << c.text << ": " << error.what();
            EXPECT_EQ(error.code(), ExitFile);
            EXPECT_NE(std::string(error.what()).find(c.failure), std::string::npos)
                << c.text << ": " << error.what();
        }
    }
    EXPECT_EQ(ParseMeasurements(" 3 , -4e-3 ", "m").value[0], -4e-3);
}

}  // namespace
