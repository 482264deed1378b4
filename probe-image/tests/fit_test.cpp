// "fit": measurements in, an image out, judged by what the library computes from
// it. Exact data come back as the library gave them, noise stays noise, an order
// the data or the image cannot carry is warned about or refused, bad measurement
// files write nothing, and the plot draws the measurements.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bound_library.h"
#include "calibration_fit.h"
#include "field_edits.h"
#include "library_curves.h"
#include "measurements.h"
#include "plan_conflict.h"
#include "tool_fixture.h"
#include "verdict.h"

namespace {

using nlohmann::json;

constexpr char kOrder3[] = "PositionCoefficients=0.12,0.00105,2e-9,-1e-13";

std::vector<float> Readings(double low, double high, int count) {
    std::vector<float> raws;
    for (int i = 0; i < count; ++i)
        raws.push_back(static_cast<float>(low + (high - low) * i / (count - 1)));
    return raws;
}

float NextFloat(float value) {
    return std::nextafter(value, std::numeric_limits<float>::infinity());
}

class FitTest : public ToolTest {
  protected:
    // An image made by "new" with these fields (gain 52 unless they set one).
    std::string Image(const std::string& name, const std::string& type,
                      const std::vector<std::string>& sets) {
        std::vector<std::string> arguments = {"new",      "--type", type,       "-o",
                                              Path(name), "--set",  "Serial=9", "Gain=52"};
        arguments.insert(arguments.end(), sets.begin(), sets.end());
        EXPECT_EQ(RunWith(arguments).code, 0);
        return Path(name);
    }

    // ProbeGetPosition or ProbeGetForce of the image's library at the readings.
    std::vector<float> Results(const std::string& name, const std::vector<float>& raws,
                               bool force = false) {
        const ImageBytes image = ReadBytes(name);
        const LibraryBinding binding(TypeCharacter(image));
        EXPECT_TRUE(JudgeImage(binding, image).accepted) << name;
        return force ? ForceCurve(binding.library(), raws).values
                     : PositionReadings(binding.library(), raws).values;
    }

    std::string Csv(const std::string& name, const std::vector<float>& raws,
                    const std::vector<double>& values) {
        std::ofstream file(Path(name));
        file << "raw,value\n";
        char row[64];
        for (std::size_t i = 0; i < raws.size(); ++i) {
            std::snprintf(row, sizeof row, "%.9g,%.9g\n", raws[i], values[i]);
            file << row;
        }
        return Path(name);
    }

    std::string Csv(const std::string& name, const std::vector<float>& raws,
                    const std::vector<float>& values) {
        return Csv(name, raws, std::vector<double>(values.begin(), values.end()));
    }

    ToolRun Fit(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "fit");
        return RunWith(arguments);
    }

    json FitJson(const std::vector<std::string>& arguments) {
        std::vector<std::string> all = arguments;
        all.push_back("--json");
        const ToolRun run = Fit(all);
        EXPECT_EQ(run.code, 0) << run.err;
        return run.code == 0 ? json::parse(run.out) : json{};
    }
};

TEST_F(FitTest, ExactDataComeBackFromTheLibraryWithinOneUlpMostlyBitForBit) {
    struct Case {
        std::string coefficients;
        std::string gain;
        double halfRange;  // raw readings from -halfRange to halfRange
        int count;
        std::size_t identical;  // at least this many results bit for bit
    } cases[] = {
        {"PositionCoefficients=0.25,0.0011", "52", 1.7, 100, 100},
        {kOrder3, "60", 0.7, 200, 190},
        {"PositionCoefficients=0.12,0.00105,2e-9,-1e-13,3e-18,-2e-22,1e-27,5e-32", "52", 1.7, 300,
         270},
    };
    for (const Case& c : cases) {
        const std::string truth = Image("truth.bin", "6", {c.coefficients, "Gain=" + c.gain});
        const std::vector<float> raws = Readings(-c.halfRange, c.halfRange, c.count);
        const std::vector<float> measured = Results("truth.bin", raws);
        const json fit =
            FitJson({"--type", "6", "--position", Csv("p.csv", raws, measured), "--order",
                     std::to_string(std::count(c.coefficients.begin(), c.coefficients.end(), ',')),
                     "-o", Path("fit.bin"), "--set", "Gain=" + c.gain});
        EXPECT_EQ(fit["position"]["orderChoice"], "given");
        EXPECT_EQ(fit["warnings"], json::array());

        const std::vector<float> fitted = Results("fit.bin", raws);
        const float largest =
            *std::max_element(measured.begin(), measured.end(),
                              [](float a, float b) { return std::abs(a) < std::abs(b); });
        const double ulp = NextFloat(std::abs(largest)) - std::abs(largest);
        std::size_t identical = 0;
        for (std::size_t i = 0; i < raws.size(); ++i) {
            identical += fitted[i] == measured[i];
            EXPECT_LE(std::abs(static_cast<double>(fitted[i]) - measured[i]), ulp) << raws[i];
        }
        EXPECT_GE(identical, c.identical) << c.coefficients;
        const json& residuals = fit["position"]["residuals"];
        EXPECT_LE(residuals["written"]["rms"], residuals["rounded"]["rms"]);

        // Chosen, the order is the polynomial's: gains below the float rounding of the
        // results do not count.
        const json chosen = FitJson({"--type", "6", "--position", Path("p.csv"), "-o",
                                     Path("auto.bin"), "--set", "Gain=" + c.gain});
        EXPECT_EQ(chosen["position"]["order"], fit["position"]["order"]);
    }
}

TEST_F(FitTest, TheReportNamesOrderConditionAndEveryMeasurement) {
    const std::vector<float> raws = Readings(-1, 1, 3);
    const ToolRun run =
        Fit({"--type", "3", "--position", Csv("p.csv", raws, std::vector<double>{0, 0.5, 2}),
             "--order", "2", "-o", Path("a.bin"), "--set", "Serial=5"});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> texts = {
        "position from " + Path("p.csv") + ": 3 measurements, gain 52",
        "order 2, as given (3 different readings)",
        "condition number ",
        "written         ",
        "raw             measured        library         residual\n  -1 ",
        "warning  order-above-data: order 2 has as many coefficients as there are different "
        "readings (3)",
        "wrote " + Path("a.bin")};
    for (const std::string& text : texts)
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    const json shown = ShowJson(Path("a.bin"));
    EXPECT_EQ(shown["record"]["Gain"], 52);  // unity gain unless set
    EXPECT_EQ(shown["record"]["Serial"], 5);
    EXPECT_EQ(shown["record"]["PositionOrder"], 2);
}

TEST_F(FitTest, NoisyDataLeaveTheNoiseAndRefinementRescuesHighOrders) {
    const double noise = 1e-3;  // mm
    Image("truth.bin", "6", {kOrder3});
    const std::vector<float> once = Readings(-1.7, 1.7, 300);
    std::vector<float> raws = once;
    raws.insert(raws.end(), once.begin(), once.end());  // every reading measured twice
    const std::vector<float> exact = Results("truth.bin", raws);
    std::mt19937 random(15);
    std::normal_distribution<double> error(0, noise);
    std::vector<double> measured;
    for (float value : exact)
        measured.push_back(value + error(random));
    const std::string csv = Csv("p.csv", raws, measured);

    const json chosen = FitJson({"--type", "6", "--position", csv, "-o", Path("a.bin")});
    EXPECT_EQ(chosen["position"]["order"], 3);
    EXPECT_EQ(chosen["position"]["orderChoice"], "bic");
    EXPECT_EQ(chosen["warnings"], json::array());
    const double rms = chosen["position"]["residuals"]["written"]["rms"];
    EXPECT_NEAR(rms, noise, 0.1 * noise);

    // Order 15 over |x| up to 32000: each coefficient rounded on its own misses by far
    // more than the noise; refined through the library it does not.
    const json high =
        FitJson({"--type", "6", "--position", csv, "--order", "15", "-o", Path("b.bin")});
    const json& residuals = high["position"]["residuals"];
    EXPECT_GT(residuals["rounded"]["rms"], 10 * noise);
    EXPECT_LT(residuals["written"]["rms"], 1.02 * rms);
    ASSERT_EQ(high["warnings"].size(), 1u) << high["warnings"];
    EXPECT_EQ(high["warnings"][0]["check"], "order-above-data");
    EXPECT_EQ(high["warnings"][0]["values"]["preferredOrder"], 3);
}

TEST_F(FitTest, OrderFifteenOverANarrowRangeIsWarnedAboutOrRefused) {
    Image("truth.bin", "6", {kOrder3});
    const std::vector<float> wide = Readings(0.4, 0.6, 300);
    const json warned =
        FitJson({"--type", "6", "--position", Csv("w.csv", wide, Results("truth.bin", wide)),
                 "--order", "15", "-o", Path("w.bin")});
    std::vector<std::string> checks;
    for (const json& warning : warned["warnings"])
        checks.push_back(warning["check"]);
    EXPECT_EQ(checks, (std::vector<std::string>{"order-above-data", "float-storage-loss"}));
    EXPECT_GT(warned["position"]["conditionNumber"], 1e15);
    EXPECT_TRUE(Exists("w.bin"));

    // Narrower still, the image would be worse than no calibration.
    const std::vector<float> narrow = Readings(0.5, 0.6, 300);
    const ToolRun refused =
        Fit({"--type", "6", "--position", Csv("n.csv", narrow, Results("truth.bin", narrow)),
             "--order", "15", "-o", Path("n.bin")});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("float-storage-loss"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("worse than no calibration"), std::string::npos);
    EXPECT_FALSE(Exists("n.bin"));
}

TEST_F(FitTest, BadInputWritesNoImage) {
    const std::string good = Csv("good.csv", Readings(-1, 1, 20), Readings(0, 1, 20));
    struct Case {
        std::string csv;  // position measurements; empty: the good ones
        std::vector<std::string> options;
        int code;
        const char* message;
    } cases[] = {
        {"1,2\n3;4\n", {}, 2, "line 2: expected two numbers"},
        {"1,2\n2,nan\n", {}, 2, "value \"nan\" is not finite"},
        {"1,2\n-inf,3\n", {}, 2, "raw reading \"-inf\" is not finite"},
        {"1,2\n1,3\n2,4\n", {"--order", "2"}, 2, "2 different readings, but order 2 needs"},
        {"1,2\n1,3\n", {}, 2, "1 different reading, but a fit needs at least 2"},
        {"", {"--order", "16"}, 1, "position order 16 is beyond the image"},
        {"",
         {"--force", good, "--thresholds", "0,1,0,1", "--order", "15", "--force-order", "9"},
         1,
         "beyond the image together"},
        {"", {"--force", good, "--force-order", "2"}, 1, "needs --thresholds"},
        {"", {"--force", good, "--thresholds", "1,0,0,1"}, 1, "must lie below x1"},
        {"", {"--set", "PositionCoefficients=1,2"}, 1, "the fit sets them"},
        {"", {"--force", Path("missing.csv")}, 2, "cannot read"},
    };
    for (const Case& c : cases) {
        if (!c.csv.empty())
            std::ofstream(Path("bad.csv")) << c.csv;
        std::vector<std::string> arguments = {"--type",     "6",
                                              "--position", c.csv.empty() ? good : Path("bad.csv"),
                                              "-o",         Path("out.bin")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun run = Fit(arguments);
        EXPECT_EQ(run.code, c.code) << c.message << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(Exists("out.bin")) << c.message;
    }
    const ToolRun ratio = Fit({"--type", "2", "--position", good, "--force", good, "-o", "x"});
    EXPECT_EQ(ratio.code, 1);
    EXPECT_NE(ratio.err.find("type 2 has no force law"), std::string::npos);
}

// The fit's own objections to a plan name fields, orders and thresholds, never
// the options that the command words them as.
TEST_F(FitTest, PlanConflictsSpeakOfTheFit) {
    std::string rows;
    for (int i = 0; i < 20; ++i)
        rows += std::to_string(i) + "," + std::to_string(0.1 * i) + "\n";
    const Measurements measured = ParseMeasurements(rows, "m.csv");
    const std::vector<std::string> thresholds = {"ForceX2=1", "ForceX1=0", "ForceF2=0",
                                                 "ForceF1=1"};
    const std::vector<std::string> sound = {"ForceX2=2", "ForceX1=15", "ForceF2=0", "ForceF1=1"};
    struct Case {
        std::vector<std::string> edits;
        bool force;
        std::optional<unsigned> forceOrder;
        std::vector<std::string> thresholds;
        PlanConflictKind kind;
        const char* message;
    } cases[] = {
        {{"PositionCoefficients=1,2"},
         false,
         {},
         {},
         PlanConflictKind::FieldSetByFit,
         "PositionCoefficients: the fit sets them"},
        {{"ForceX0=1"},
         true,
         {},
         {},
         PlanConflictKind::FieldSetByFit,
         "ForceX0: the force fit sets it"},
        {{},
         true,
         2u,
         {},
         PlanConflictKind::ForceOrderWithoutThresholds,
         "force order 2 needs the thresholds"},
        {{},
         true,
         0u,
         sound,
         PlanConflictKind::ThresholdsWithLinearLaw,
         "force order 0 is the linear law"},
        {{},
         true,
         {},
         thresholds,
         PlanConflictKind::ThresholdsOutOfOrder,
         "ForceX2 (1) must lie below ForceX1 (0)"},
    };
    const LibraryBinding binding(TypeCharacterOf(6));
    ASSERT_TRUE(binding.Bound()) << binding.failure();
    for (const Case& c : cases) {
        FitPlan plan;
        plan.type = 6;
        plan.position = measured;
        plan.edits = ParseFieldEdits(c.edits);
        if (c.force)
            plan.force = ForcePlan{measured, c.forceOrder, ParseFieldEdits(c.thresholds)};
        try {
            FitCalibration(binding.library(), plan);
            ADD_FAILURE() << c.message << ": fitted";
        } catch (const FitPlanError& error) {
            const std::string message = error.what();
            EXPECT_EQ(error.code(), ExitUsage) << message;
            EXPECT_EQ(error.conflict().kind, c.kind) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
            EXPECT_EQ(message.find("--"), std::string::npos) << message;
        }
    }
}

TEST_F(FitTest, ForceLawsLinearAndBetweenThresholds) {
    const std::vector<float> raws = Readings(0, 10, 120);
    const std::string positions =
        Csv("p.csv", Readings(-1, 1, 20), Readings(0, 1, 20));  // any position fit

    Image("linear.bin", "3", {"ForceK=2.35", "ForceX0=0.75"});
    const json linear =
        FitJson({"--type", "3", "--position", positions, "--force",
                 Csv("l.csv", raws, Results("linear.bin", raws, true)), "-o", Path("l.bin")});
    EXPECT_EQ(linear["force"]["law"], "linear");
    EXPECT_EQ(linear["force"]["ForceK"], 2.35);
    EXPECT_EQ(linear["force"]["ForceX0"], 0.75);
    EXPECT_EQ(Results("l.bin", raws, true), Results("linear.bin", raws, true));

    // With noise, the neighbouring two-decimal values the library does best with.
    std::mt19937 random(3);
    std::normal_distribution<double> error(0, 0.01);
    std::vector<double> noisy;
    for (float force : Results("linear.bin", raws, true))
        noisy.push_back(force + error(random));
    const json rounded = FitJson({"--type", "3", "--position", positions, "--force",
                                  Csv("n.csv", raws, noisy), "-o", Path("n.bin")});
    EXPECT_NEAR(rounded["force"]["ForceK"].get<double>(), 2.35, 0.011);
    EXPECT_NEAR(rounded["force"]["ForceX0"].get<double>(), 0.75, 0.011);
    EXPECT_LE(rounded["force"]["residuals"]["written"]["rms"],
              rounded["force"]["residuals"]["rounded"]["rms"]);

    Image("piecewise.bin", "6",
          {"ForceX2=1", "ForceX1=8", "ForceF2=-1", "ForceF1=40",
           "ForceCoefficients=0.5,1.5,0.25,0.01"});
    const std::vector<float> truth = Results("piecewise.bin", raws, true);
    const json piecewise =
        FitJson({"--type", "6", "--position", positions, "--force", Csv("f.csv", raws, truth),
                 "--thresholds", "1,8,-1,40", "-o", Path("f.bin")});
    const json& force = piecewise["force"];
    EXPECT_EQ(force["law"], "piecewise");
    EXPECT_EQ(force["order"], 3);
    EXPECT_EQ(force["fittedMeasurements"], 84);  // 1 <= raw < 8
    EXPECT_LT(force["residuals"]["written"]["max"], 2e-6);
    const std::vector<float> fitted = Results("f.bin", raws, true);
    for (std::size_t i = 0; i < raws.size(); ++i)
        if (raws[i] < 1 || raws[i] >= 8) {
            EXPECT_EQ(fitted[i], truth[i]) << raws[i];  // the plateaus
        }
}

TEST_F(FitTest, PlotsDrawTheMeasurements) {
    const std::vector<float> raws = Readings(-1, 1, 25);
    Image("truth.bin", "6", {kOrder3, "ForceK=2", "ForceX0=1"});
    const std::string positions = Csv("p.csv", raws, Results("truth.bin", raws));
    const std::string forces = Csv("f.csv", raws, Results("truth.bin", raws, true));
    ASSERT_EQ(Fit({"--type", "6", "--position", positions, "--force", forces, "-o", Path("fit.bin"),
                   "--plot", Path("fit.svg")})
                  .code,
              0);
    const ToolRun plot =
        Run({"plot", Path("fit.bin"), "-o", "-", "--points", positions, "--force-points", forces});
    ASSERT_EQ(plot.code, 0) << plot.err;
    std::ifstream file(Path("fit.svg"));
    const std::string fitPlot{std::istreambuf_iterator<char>(file), {}};
    for (const std::string& svg : {plot.out, fitPlot}) {
        std::size_t points = 0;
        for (std::size_t at = svg.find("class=\"point\""); at != std::string::npos;
             at = svg.find("class=\"point\"", at + 1))
            ++points;
        EXPECT_EQ(points, 2 * raws.size());
        EXPECT_NE(svg.find("Position: ProbeGetPosition, with 25 measurements"), std::string::npos);
    }
    EXPECT_EQ(Run({"plot", Path("fit.bin"), "-o", "-", "--points", Path("missing.csv")}).code, 2);
}

}  // namespace
