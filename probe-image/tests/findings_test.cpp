// Calibration findings of "show": images built to have each one, and sound
// images of every type that have none.
#include <cstdio>
#include <map>
#include <set>

#include "calibration/injected_month.h"
#include "tool_fixture.h"

namespace {

using nlohmann::json;

constexpr int kMonthsPerYear = 12;
// This month for the tool and the libraries: a December, so that a month ahead is
// in the next year.
constexpr probe::YearMonth kThisMonth = {2030, 12};

// The month months from this one, as "YYMM" for an image or "YYYY-MM".
std::string Month(int months, bool forImage) {
    const int index = kThisMonth.year * kMonthsPerYear + (kThisMonth.month - 1) + months;
    char text[16];
    if (forImage)
        std::snprintf(text, sizeof text, "%02d%02d", index / kMonthsPerYear % 100,
                      index % kMonthsPerYear + 1);
    else
        std::snprintf(text, sizeof text, "%04d-%02d", index / kMonthsPerYear,
                      index % kMonthsPerYear + 1);
    return text;
}

class FindingsTest : public ToolTest {
  protected:
    // A sound image calibrated this month, with the fields given changed.
    std::string Image(const std::string& type, std::map<std::string, std::string> changes = {}) {
        std::map<std::string, std::string> fields = {
            {"Serial", "77"},  {"Gain", "52"},       {"CalibrationDate", Month(0, true)},
            {"ForceK", "2"},   {"ForceX0", "0.5"},   {"FValue", "3.5"},
            {"RValue", "5.7"}, {"UsageCount", "10"}, {"PositionCoefficients", "0,1"},
        };
        for (const auto& [field, value] : changes)
            fields[field] = value;
        const std::string file = Path("t" + type + std::to_string(++made_) + ".bin");
        std::vector<std::string> arguments = {"new", "--type", type, "-o", file, "--set"};
        for (const auto& [field, value] : fields)
            arguments.push_back(field + "=" + value);
        const ToolRun run = RunWith(arguments);
        EXPECT_EQ(run.code, 0) << run.err;
        return file;
    }

    json Findings(const std::string& file) { return ShowJson(file)["findings"]; }

    // The one finding of this check; fails when there is not exactly one.
    json Only(const json& findings, const std::string& check) {
        json found = json::array();
        for (const json& finding : findings)
            if (finding["check"] == check)
                found.push_back(finding);
        EXPECT_EQ(found.size(), 1u) << findings.dump(1);
        return found.empty() ? json::object() : found[0];
    }

    int made_ = 0;
    InjectedMonth thisMonth_{kThisMonth};
};

TEST_F(FindingsTest, SoundImagesOfEveryTypeHaveNoFinding) {
    for (const char* type : {"2", "3", "6"}) {
        const std::string file = Image(type);
        EXPECT_EQ(Findings(file), json::array()) << type;
        const ToolRun strict = Run({"show", file, "--strict"});
        EXPECT_EQ(strict.code, 0) << strict.out;
        EXPECT_NE(strict.out.find("findings\n  none\n"), std::string::npos) << strict.out;
    }
    // A continuous piecewise law: f2 = P(x2), f1 = P(x1).
    EXPECT_EQ(Findings(Image("6", {{"ForceX1", "10"},
                                   {"ForceX2", "1"},
                                   {"ForceF1", "321"},
                                   {"ForceF2", "6"},
                                   {"ForceCoefficients", "1,2,3"}})),
              json::array());
}

TEST_F(FindingsTest, PositionThatTurnsBackIsAnErrorWithItsRawRange) {
    // 0.5 + x + 0.001 x^2 falls up to its minimum at x = -500.
    const std::string six = Image("6", {{"PositionCoefficients", "0.5,1,0.001"}});
    const json turn = Only(Findings(six), "position-turns-back");
    EXPECT_EQ(turn["severity"], "error");
    EXPECT_EQ(turn["in"], "ProbeGetPosition2");
    EXPECT_EQ(turn["where"]["rangeCount"], 1);
    EXPECT_EQ(turn["where"]["raw"][0]["from"], -32768);
    EXPECT_EQ(turn["where"]["raw"][0]["to"], -500);
    EXPECT_EQ(Run({"show", six}).code, 0);
    EXPECT_EQ(Run({"show", six, "--strict"}).code, 3);

    // ProbeGetPosition takes the polynomial at 18900 raw + 60 (gain 52) and falls
    // through its factor -0.03: x - 1e-9 x^2 turns at x = 5e8, near raw 26455
    // (where floats keep it flat for a few readings).
    const json three =
        Only(Findings(Image("3", {{"PositionCoefficients", "0,1,-1e-9"}})), "position-turns-back");
    EXPECT_EQ(three["in"], "ProbeGetPosition");
    EXPECT_NEAR(three["where"]["raw"][0]["from"].get<double>(), 26455, 10);
    EXPECT_EQ(three["where"]["raw"][0]["to"], 32767);
    EXPECT_GT(three["where"]["raw"][0]["change"].get<double>(), 0);
}

TEST_F(FindingsTest, NotFiniteValuesAreNamedWhereTheyAre) {
    // 1e38 x^15 overflows a float at every reading but -1, 0 and 1.
    const std::string steep = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1e38";
    const json six = Findings(Image(
        "6", {{"PositionCoefficients", steep}, {"ForceCoefficients", "1,nan"}, {"ForceK", "inf"}}));
    std::set<std::pair<std::string, std::string>> places;
    for (const json& finding : six)
        places.emplace(finding["check"].get<std::string>(), finding["in"].get<std::string>());
    const std::set<std::pair<std::string, std::string>> expected = {
        {"not-finite", "ProbeGetPosition2"},
        {"not-finite", "ForceCoefficients"},
        {"not-finite", "ForceK"},
        {"force-step", "ForceX1"},  // an infinite slope: -inf just below x0, NaN at it
    };
    EXPECT_EQ(places, expected) << six.dump(1);
    for (const json& finding : six) {
        if (finding["in"] == "ProbeGetPosition2") {
            EXPECT_EQ(finding["where"]["raw"], json::parse(R"([{"from": -32768, "to": -2},
                                                                {"from": 2, "to": 32767}])"));
            EXPECT_EQ(finding["values"]["count"], 65533);
        }
        if (finding["in"] == "ForceCoefficients") {
            EXPECT_EQ(finding["where"]["index"], 1);
        }
    }

    // Types 2 and 3 report ProbeGetPosition and read the table through its handle.
    const json three = Findings(Image("3", {{"PositionCoefficients", steep}}));
    ASSERT_EQ(three.size(), 2u) << three.dump(1);
    EXPECT_EQ(three[0]["in"], "ProbeGetPosition");
    EXPECT_EQ(three[0]["values"]["count"], 65536);  // x = 18900 raw + 60 is never below 2
    EXPECT_EQ(three[1]["in"], "PositionTable");
    EXPECT_EQ(three[1]["where"]["rangeCount"], 2);
}

TEST_F(FindingsTest, ForceStepsAtTheThresholdsBeyondTheTolerance) {
    // 1 + 2x + 3x^2 between x2 = 1 and x1 = 10: 321 below x1 against f1 50, f2 -2
    // below x2 against 6 at it.
    const std::string file = Image("6", {{"ForceX1", "10"},
                                         {"ForceX2", "1"},
                                         {"ForceF1", "50"},
                                         {"ForceF2", "-2"},
                                         {"ForceCoefficients", "1,2,3"}});
    const json findings = Findings(file);
    ASSERT_EQ(findings.size(), 2u) << findings.dump(1);
    EXPECT_EQ(findings[0]["in"], "ForceX1");
    EXPECT_EQ(findings[0]["where"]["raw"], 10);
    EXPECT_NEAR(findings[0]["values"]["before"].get<double>(), 321, 0.001);
    EXPECT_EQ(findings[0]["values"]["after"], 50);
    EXPECT_EQ(findings[1]["in"], "ForceX2");
    EXPECT_EQ(findings[1]["values"]["before"], -2);
    EXPECT_EQ(findings[1]["values"]["after"], 6);

    const ToolRun tolerant = Run({"show", file, "--json", "--force-step-tolerance", "10"});
    const json left = json::parse(tolerant.out)["findings"];
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]["in"], "ForceX1");
    EXPECT_EQ(Run({"show", file, "--force-step-tolerance", "-1"}).code, 1);
}

TEST_F(FindingsTest, CalibrationRunsOutByDateAndByUsage) {
    // Six months after its month is a calibration's last month.
    const json last = ShowJson(Image("6", {{"CalibrationDate", Month(-6, true)}}));
    EXPECT_TRUE(last["calibration"]["calibrated"].get<bool>());
    EXPECT_EQ(last["calibration"]["runsOut"], Month(1, false));
    EXPECT_EQ(last["calibration"]["usageLeft"], 19990);
    const json ending = Only(last["findings"], "calibration-runs-out");
    EXPECT_EQ(ending["severity"], "warning");
    EXPECT_EQ(ending["where"]["month"], Month(1, false));

    const json expired = Findings(Image("6", {{"CalibrationDate", Month(-7, true)}}));
    EXPECT_EQ(Only(expired, "calibration-expired")["where"]["month"], Month(0, false));
    const json ahead = Findings(Image("6", {{"CalibrationDate", Month(1, true)}}));
    EXPECT_EQ(Only(ahead, "calibration-date-ahead")["where"]["month"], Month(1, false));

    const std::string worn = Image("6", {{"UsageCount", "20001"}});
    const json exhausted = Only(Findings(worn), "usage-exhausted");
    EXPECT_EQ(exhausted["severity"], "error");
    EXPECT_EQ(exhausted["where"]["usage"], 20001);
    EXPECT_EQ(Run({"show", worn, "--strict"}).code, 3);

    const std::string low = Image("6", {{"UsageCount", "19500"}});
    EXPECT_EQ(Only(Findings(low), "usage-runs-low")["values"]["usageLeft"], 500);
    EXPECT_EQ(Run({"show", low, "--strict"}).code, 0);  // warnings only
}

}  // namespace
