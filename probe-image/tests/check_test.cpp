// "check" and what fit adds for a calibration lab: an image's errors against
// measurements equal to fit's residuals, the tolerance's exit status and findings,
// as-found errors beside as-left ones, weighted fits whose stated uncertainties
// match the scatter, and the calibration report as a well-formed page.
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bound_library.h"
#include "library_curves.h"
#include "sha256.h"
#include "tool_fixture.h"
#include "verdict.h"

namespace {

using nlohmann::json;

constexpr char kOrder3[] = "PositionCoefficients=0.12,0.00105,2e-9,-1e-13";

// Normal deviates from a generator whose sequence the standard fixes (Box-Muller),
// so that every build draws the same noise.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : engine_(seed) {}
    double operator()() {
        const double u1 = (engine_() + 1.0) / 4294967297.0;
        const double u2 = engine_() / 4294967296.0;
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }

  private:
    std::mt19937 engine_;
};

class CheckTest : public ToolTest {
  protected:
    std::string Image(const std::string& name, const std::vector<std::string>& sets) {
        std::vector<std::string> arguments = {"new",      "--type", "6",        "-o",
                                              Path(name), "--set",  "Serial=9", "Gain=52"};
        arguments.insert(arguments.end(), sets.begin(), sets.end());
        EXPECT_EQ(RunWith(arguments).code, 0);
        return Path(name);
    }

    std::vector<float> Positions(const std::string& name, const std::vector<float>& raws,
                                 bool force = false) {
        const ImageBytes image = ReadBytes(name);
        const LibraryBinding binding(TypeCharacter(image));
        EXPECT_TRUE(JudgeImage(binding, image).accepted) << name;
        return force ? ForceCurve(binding.library(), raws).values
                     : PositionReadings(binding.library(), raws).values;
    }

    // Rows raw,value or, with uncertainties, raw,value,u.
    std::string Csv(const std::string& name, const std::vector<float>& raws,
                    const std::vector<double>& values, const std::vector<double>& u = {}) {
        std::ofstream file(Path(name));
        file << (u.empty() ? "raw,value\n" : "raw,value,u\n");
        char row[96];
        for (std::size_t i = 0; i < raws.size(); ++i) {
            if (u.empty())
                std::snprintf(row, sizeof row, "%.9g,%.17g\n", raws[i], values[i]);
            else
                std::snprintf(row, sizeof row, "%.9g,%.17g,%.17g\n", raws[i], values[i], u[i]);
            file << row;
        }
        return Path(name);
    }

    json JsonOf(const std::vector<std::string>& arguments, int code = 0) {
        std::vector<std::string> all = arguments;
        all.push_back("--json");
        const ToolRun run = RunWith(all);
        EXPECT_EQ(run.code, code) << run.err;
        return run.out.empty() ? json{} : json::parse(run.out);
    }

    std::string Text(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

std::vector<float> Readings(double low, double high, int count) {
    std::vector<float> raws;
    for (int i = 0; i < count; ++i)
        raws.push_back(static_cast<float>(low + (high - low) * i / (count - 1)));
    return raws;
}

// Positions of a probe off its image by a drift and a noise.
std::vector<double> Drifted(const std::vector<float>& truth, Noise& noise, double sigma) {
    std::vector<double> values;
    for (float value : truth)
        values.push_back(value * 1.003 + 0.002 + sigma * noise());
    return values;
}

TEST_F(CheckTest, ErrorsAreFitsResidualsAndTheToleranceDecidesTheStatus) {
    Image("old.bin", {kOrder3, "ForceK=2", "ForceX0=0.5"});
    const std::vector<float> raws = Readings(-1.7, 1.7, 40);
    Noise noise(7);
    const std::string positions =
        Csv("p.csv", raws, Drifted(Positions("old.bin", raws), noise, 1e-3));
    std::vector<double> forces;
    for (float raw : raws)
        forces.push_back((raw + 2) * 2.1 + 0.05 * noise());
    const std::vector<float> forceRaws = Readings(-2, 8, 40);
    std::vector<double> forceValues;
    for (float raw : forceRaws)
        forceValues.push_back((raw - 0.4) * 2.02 + 0.02 * noise());
    const std::string forceCsv = Csv("f.csv", forceRaws, forceValues);

    const json fit = JsonOf({"fit", "--type", "6", "--position", positions, "--force", forceCsv,
                             "-o", Path("new.bin"), "--as-found", Path("old.bin")});
    const json left =
        JsonOf({"check", Path("new.bin"), "--position", positions, "--force", forceCsv});
    const json found =
        JsonOf({"check", Path("old.bin"), "--position", positions, "--force", forceCsv});
    for (const char* quantity : {"position", "force"}) {
        const json& points = fit[quantity]["points"];
        ASSERT_EQ(points.size(), left[quantity]["points"].size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(left[quantity]["points"][i]["library"], points[i]["library"]);
            EXPECT_EQ(left[quantity]["points"][i]["residual"], points[i]["residual"]);
            EXPECT_EQ(found[quantity]["points"][i]["residual"], points[i]["asFound"]);
        }
        EXPECT_EQ(left[quantity]["residuals"]["rms"], fit[quantity]["residuals"]["written"]["rms"]);
        EXPECT_EQ(found[quantity]["residuals"], fit[quantity]["asFound"]["residuals"]);
    }
    // The drift shows as found and is gone as left.
    EXPECT_GT(found["position"]["residuals"]["max"], 3e-3);
    EXPECT_LT(left["position"]["residuals"]["rms"], 2e-3);
    const double largest = found["position"]["residuals"]["max"];
    EXPECT_NEAR(
        found["position"]["shareOfSpan"].get<double>() * found["position"]["span"].get<double>(),
        largest, 1e-15);

    // Within tolerance: 0; beyond it: 3, and the findings name each point beyond.
    const std::string tolerance = std::to_string(largest * 1.01);
    EXPECT_EQ(
        Run({"check", Path("old.bin"), "--position", positions, "--tolerance", tolerance}).code, 0);
    const double tight = 4e-3;
    const json failed = JsonOf(
        {"check", Path("old.bin"), "--position", positions, "--tolerance", std::to_string(tight)},
        3);
    std::vector<std::size_t> beyond;
    for (std::size_t i = 0; i < raws.size(); ++i)
        if (std::abs(found["position"]["points"][i]["residual"].get<double>()) > tight)
            beyond.push_back(i);
    ASSERT_FALSE(beyond.empty());
    EXPECT_EQ(failed["position"]["beyond"], beyond);
    ASSERT_EQ(failed["findings"].size(), 1u);
    EXPECT_EQ(failed["findings"][0]["check"], "out-of-tolerance");
    EXPECT_EQ(failed["findings"][0]["where"]["rangeCount"], beyond.size());
    const ToolRun text = Run({"check", Path("old.bin"), "--position", positions, "--force",
                              forceCsv, "--force-tolerance", "1000"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("raw             measured        library         residual\n"),
              std::string::npos);
    EXPECT_EQ(Run({"check", Path("old.bin"), "--position", Path("none.csv")}).code, 2);
    EXPECT_EQ(Run({"check", Path("old.bin"), "--position", positions, "--tolerance", "-1"}).code,
              1);
}

TEST_F(CheckTest, StatedUncertaintiesWeighTheFitAndMatchTheScatter) {
    Image("truth.bin", {kOrder3});
    const std::vector<float> raws = Readings(-1.7, 1.7, 200);
    const std::vector<float> truth = Positions("truth.bin", raws);
    Noise noise(2026);
    std::vector<double> u, measured;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        u.push_back(i % 3 == 0 ? 4e-3 : 1e-3);
        measured.push_back(truth[i] + u.back() * noise());
    }
    const json fit = JsonOf({"fit", "--type", "6", "--position", Csv("p.csv", raws, measured, u),
                             "--order", "3", "-o", Path("fit.bin"), "--plot", Path("fit.svg")});
    const json& uncertainty = fit["position"]["uncertainty"];
    EXPECT_EQ(uncertainty["basis"], "stated");
    const double chi = uncertainty["reducedChiSquare"];
    EXPECT_EQ(uncertainty["degreesOfFreedom"], 196);
    EXPECT_NEAR(chi, 1, 3 * std::sqrt(2.0 / 196));
    EXPECT_EQ(fit["warnings"], json::array());
    // Stated too small by a factor of three, the scatter gives them away.
    std::vector<double> small;
    for (double value : u)
        small.push_back(value / 3);
    const json tight =
        JsonOf({"fit", "--type", "6", "--position", Csv("q.csv", raws, measured, small), "--order",
                "3", "-o", Path("tight.bin")});
    EXPECT_NEAR(tight["position"]["uncertainty"]["reducedChiSquare"].get<double>(), 9 * chi,
                0.05 * chi);
    ASSERT_EQ(tight["warnings"].size(), 1u);
    EXPECT_EQ(tight["warnings"][0]["check"], "uncertainty-mismatch");
    // The coefficients' uncertainties cover the truth, and the fit's uncertainty at
    // each measurement lies below the measurement's own.
    const std::vector<double> stored = fit["position"]["coefficients"];
    const std::vector<double> given = {0.12, 0.00105, 2e-9, -1e-13};
    for (std::size_t k = 0; k < given.size(); ++k)
        EXPECT_LT(std::abs(stored[k] - given[k]), 4 * uncertainty["coefficients"][k].get<double>())
            << "c" << k;
    for (std::size_t i = 0; i < raws.size(); ++i)
        EXPECT_LT(fit["position"]["points"][i]["uFit"].get<double>(), u[i]);
    EXPECT_NE(Text("fit.svg").find("class=\"band\""), std::string::npos);

    // Unweighted, the covariance is scaled by the residuals and no chi-square is told.
    const json plain = JsonOf({"fit", "--type", "6", "--position", Csv("r.csv", raws, measured),
                               "--order", "3", "-o", Path("plain.bin")});
    EXPECT_EQ(plain["position"]["uncertainty"]["basis"], "residuals");
    EXPECT_FALSE(plain["position"]["uncertainty"].contains("reducedChiSquare"));
    EXPECT_NE(plain["position"]["coefficients"], fit["position"]["coefficients"]);
}

TEST_F(CheckTest, TheReportIsOneWellFormedPageWithEverySection) {
    Image("old.bin", {kOrder3, "ForceK=2", "ForceX0=0.5", "OText=P<&>"});
    const std::vector<float> raws = Readings(-1.7, 1.7, 30);
    Noise noise(3);
    const std::string positions =
        Csv("p.csv", raws, Drifted(Positions("old.bin", raws), noise, 1e-3),
            std::vector<double>(raws.size(), 1e-3));
    const ToolRun fit = Run({"fit", "--type", "6", "--position", positions, "-o", Path("new.bin"),
                             "--as-found", Path("old.bin"), "--report", Path("fit.html"),
                             "--operator", "A. Tester", "--set", "OText=P<&>"});
    ASSERT_EQ(fit.code, 0) << fit.err;
    const ToolRun check = Run({"check", Path("old.bin"), "--position", positions, "--report",
                               Path("check.html"), "--tolerance", "0.001"});
    EXPECT_EQ(check.code, 3);
    const struct {
        const char* file;
        std::set<std::string> sections;
    } reports[] = {
        {"fit.html",
         {"probe", "certificate", "conformity", "provenance", "measurements", "as-found", "as-left",
          "plots"}},
        {"check.html",
         {"probe", "certificate", "conformity", "provenance", "measurements", "as-found", "plots"}},
    };
    for (const auto& report : reports) {
        const std::string html = Text(report.file);
        boost::property_tree::ptree page;
        std::istringstream in(html);
        ASSERT_NO_THROW(boost::property_tree::read_xml(in, page)) << report.file;
        std::set<std::string> sections;
        for (const auto& [name, node] : page.get_child("html.body"))
            if (name == "section")
                sections.insert(node.get<std::string>("<xmlattr>.id"));
        EXPECT_EQ(sections, report.sections) << report.file;
        EXPECT_EQ(html.find("<script"), std::string::npos);
        EXPECT_EQ(html.find(" src="), std::string::npos);
        EXPECT_EQ(html.find(" href="), std::string::npos);
        EXPECT_NE(html.find(Sha256Hex(Text("p.csv"))), std::string::npos) << report.file;
        EXPECT_NE(html.find("P&lt;&amp;&gt;"), std::string::npos);
        EXPECT_NE(html.find("<svg"), std::string::npos);
    }
    EXPECT_NE(Text("fit.html").find("A. Tester"), std::string::npos);
    EXPECT_NE(Text("fit.html").find(Sha256Hex(Text("old.bin"))), std::string::npos);
}

}  // namespace
