// What check and fit state for a certificate, run as the lab runs them: U, k, the
// guard band and each point's statement against a computation by another route,
// the exit status of each outcome, a reference standard past due issuing nothing,
// certificate numbers from the counter and the one an amendment replaces, and the
// records with their files' hashes and the copies kept beside them.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bound_library.h"
#include "certificate_number.h"
#include "library_curves.h"
#include "sha256.h"
#include "tool_fixture.h"
#include "verdict.h"

namespace {

using nlohmann::json;

constexpr char kBudget[] = R"([[position]]
name = "reference standard"
expanded = 0.004
k = 2
[[position]]
name = "readout resolution"
half_width = 0.0005
distribution = "rectangular"
[[position]]
name = "repeatability"
u = 0.001
dof = 4
[[reference]]
id = "GB-07"
certificate = "CAL-1234"
due = 2999-01-01
)";

// Student's t by a route of its own: Simpson's rule over the density, and the
// quantile by bisection; Phi likewise over the normal density.
double Simpson(double (*f)(double, double), double parameter, double from, double to) {
    const int steps = 4000;
    const double h = (to - from) / steps;
    double sum = f(from, parameter) + f(to, parameter);
    for (int i = 1; i < steps; ++i)
        sum += f(from + i * h, parameter) * (i % 2 ? 4 : 2);
    return sum * h / 3;
}

double TDensity(double t, double nu) {
    return std::exp(std::lgamma((nu + 1) / 2) - std::lgamma(nu / 2)) /
           std::sqrt(nu * std::numbers::pi) * std::pow(1 + t * t / nu, -(nu + 1) / 2);
}

double NormalDensity(double x, double) {
    return std::exp(-x * x / 2) / std::sqrt(2 * std::numbers::pi);
}

double Phi(double z) {
    return z < 0 ? 0.5 - Simpson(NormalDensity, 0, z, 0) : 0.5 + Simpson(NormalDensity, 0, 0, z);
}

// The t for which P(|T| <= t) is that of +-2 standard deviations of a normal.
double TQuantile(double nu) {
    const double wanted = Simpson(NormalDensity, 0, -2, 2);
    double low = 1, high = 20;
    while (high - low > 1e-12) {
        const double middle = (low + high) / 2;
        (Simpson(TDensity, nu, -middle, middle) < wanted ? low : high) = middle;
    }
    return (low + high) / 2;
}

void ExpectRelative(double actual, double expected, const std::string& what) {
    EXPECT_LE(std::abs(actual - expected), 1e-6 * std::abs(expected))
        << what << ": " << actual << " against " << expected;
}

class CertificateTest : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        EXPECT_EQ(
            Run({"new", "--type", "6", "-o", Path("probe.bin"), "--set", "Serial=4711", "Gain=52",
                 "PositionCoefficients=0.12,0.00105,2e-9,-1e-13", "ForceK=2", "ForceX0=0.5"})
                .code,
            0);
        Write("budget.toml", kBudget);
    }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    std::string Text(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    // Measurements whose errors (library - measured) are the ones given, with a
    // u column where given.
    std::string Measured(const std::string& name, const std::vector<double>& errors, double u = 0) {
        std::vector<float> raws;
        for (std::size_t i = 0; i < errors.size(); ++i)
            raws.push_back(static_cast<float>(-1.5 + 3.0 * i / (errors.size() - 1)));
        const ImageBytes image = ReadBytes("probe.bin");
        const LibraryBinding binding(TypeCharacter(image));
        EXPECT_TRUE(JudgeImage(binding, image).accepted);
        const std::vector<float> library = PositionReadings(binding.library(), raws).values;
        std::ofstream file(Path(name));
        file << (u > 0 ? "raw,position,u\n" : "raw,position\n");
        char row[96];
        for (std::size_t i = 0; i < raws.size(); ++i) {
            const double value = static_cast<double>(library[i]) - errors[i];
            if (u > 0)
                std::snprintf(row, sizeof row, "%.9g,%.17g,%.17g\n", raws[i], value, u);
            else
                std::snprintf(row, sizeof row, "%.9g,%.17g\n", raws[i], value);
            file << row;
        }
        return Path(name);
    }

    ToolRun Check(const std::string& csv, std::vector<std::string> more) {
        std::vector<std::string> arguments = {"check", Path("probe.bin"), "--position", csv};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return RunWith(arguments);
    }
};

TEST_F(CertificateTest, GuardedCheckAgreesWithAComputationByAnotherRoute) {
    const std::vector<double> errors = {0.0, 0.003, -0.0045, 0.0049, 0.0056, -0.0071, 0.012};
    const double tolerance = 0.01, pointU = 0.0015;
    const std::string csv = Measured("p.csv", errors, pointU);
    const ToolRun run = Check(csv, {"--budget", Path("budget.toml"), "--decision-rule", "guarded",
                                    "--tolerance", "0.01", "--json"});
    ASSERT_EQ(run.code, 3) << run.err;  // some points fail
    const json conformity = json::parse(run.out)["conformity"];
    EXPECT_EQ(conformity["decisionRule"]["rule"], "guarded:1");
    EXPECT_EQ(conformity["decision"], "fail");
    const json& points = conformity["position"]["points"];
    ASSERT_EQ(points.size(), errors.size());

    const double u1 = 0.002, u2 = 0.0005 / std::sqrt(3.0), u3 = 0.001;
    const double uc2 = u1 * u1 + u2 * u2 + u3 * u3 + pointU * pointU;
    const double nu = uc2 * uc2 / (std::pow(u3, 4) / 4);
    const double k = TQuantile(nu), U = k * std::sqrt(uc2);
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const json& point = points[i];
        const double y = point["error"];
        EXPECT_NEAR(y, errors[i], 1e-7) << i;
        ExpectRelative(point["uc"], std::sqrt(uc2), "u_c");
        ExpectRelative(point["dof"], nu, "dof");
        ExpectRelative(point["k"], k, "k");
        ExpectRelative(point["U"], U, "U");
        ExpectRelative(point["guardBand"], U, "w");
        const double u = U / k;
        ExpectRelative(point["conformance"], Phi((tolerance - y) / u) - Phi((-tolerance - y) / u),
                       "p_c at " + std::to_string(y));
        EXPECT_EQ(point["decision"], std::abs(y) <= tolerance - U ? "pass" : "fail") << y;
    }
    ExpectRelative(conformity["position"]["largest"]["U"], U, "largest U");
}

TEST_F(CertificateTest, EachOutcomeHasItsExitStatus) {
    // U = 2.0108 x 0.0022546 = 0.0045336 for the budget with dof 9 ... here dof 4:
    // the first run tells U, the others place errors about the limits by it.
    const std::string probe = Measured("zero.csv", {0, 0, 0});
    const ToolRun first = Check(probe, {"--budget", Path("budget.toml"), "--json"});
    ASSERT_EQ(first.code, 0) << first.err;
    const double U = json::parse(first.out)["conformity"]["position"]["largest"]["U"];
    const double T = 0.01, e = 1e-5;
    const struct {
        const char* rule;
        double error;
        int code;
        const char* decision;
    } cases[] = {
        {"non-binary", T - U - e, 0, "pass"},
        {"non-binary", T - U + e, 0, "conditional pass"},
        {"non-binary", -(T + e), 7, "conditional fail"},
        {"non-binary", T + U + e, 3, "fail"},
        {"guarded", T - U - e, 0, "pass"},
        {"guarded", T - U + e, 3, "fail"},
        {"guarded:0.5", T - U / 2 - e, 0, "pass"},
        {"guarded:0.5", T - U / 2 + e, 3, "fail"},
        {"simple", T - e, 0, "pass"},
        {"simple", T + e, 3, "fail"},
    };
    for (const auto& [rule, error, code, decision] : cases) {
        const std::string csv = Measured("p.csv", {0, error, 0});
        const ToolRun run = Check(csv, {"--budget", Path("budget.toml"), "--decision-rule", rule,
                                        "--tolerance", "0.01", "--json"});
        EXPECT_EQ(run.code, code) << rule << " at " << error << "\n" << run.err;
        if (!run.out.empty()) {
            EXPECT_EQ(json::parse(run.out)["conformity"]["decision"], decision)
                << rule << " at " << error;
        }
    }
    // Today's invocation keeps today's status, and a rule that needs U refuses without one.
    EXPECT_EQ(Check(Measured("p.csv", {0, T + e, 0}), {"--tolerance", "0.01"}).code, 3);
    EXPECT_EQ(Check(Measured("p.csv", {0, T - e, 0}), {"--tolerance", "0.01"}).code, 0);
    const ToolRun unguarded =
        Check(Measured("p.csv", {0, 0, 0}), {"--tolerance", "0.01", "--decision-rule", "guarded"});
    EXPECT_EQ(unguarded.code, 1);
    EXPECT_NE(unguarded.err.find("--budget"), std::string::npos) << unguarded.err;
    EXPECT_EQ(Check(probe, {"--decision-rule", "lenient"}).code, 1);
}

TEST_F(CertificateTest, AReferencePastItsDueDateIssuesNothing) {
    std::string budget = kBudget;
    budget += "[[reference]]\nid = \"LC-2\"\ncertificate = \"C-88\"\ndue = 2026-03-01\n";
    Write("late.toml", budget);
    const ToolRun run =
        Check(Measured("p.csv", {0, 0, 0}), {"--budget", Path("late.toml"), "--calibration-date",
                                             "2026-03-02", "--report", Path("late.html")});
    EXPECT_EQ(run.code, 3);
    EXPECT_NE(run.err.find("LC-2"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2026-03-01"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists("late.html"));
    EXPECT_FALSE(Exists("data/probe-image/certificate-number"));
    // Due on the day of calibration it may still be used.
    EXPECT_EQ(Check(Measured("p.csv", {0, 0, 0}),
                    {"--budget", Path("late.toml"), "--calibration-date", "2026-03-01"})
                  .code,
              0);
}

TEST_F(CertificateTest, NumbersComeFromTheCounterAndAnAmendmentNamesTheOneItReplaces) {
    const std::string csv = Measured("p.csv", {0, 0.001, 0});
    const std::vector<std::string> common = {"--budget", Path("budget.toml"),
                                             "--certificate-prefix", "LAB-2026-"};
    std::vector<std::string> first = common;
    first.insert(first.end(), {"--report", Path("one.html")});
    ASSERT_EQ(Check(csv, first).code, 0);
    std::vector<std::string> second = common;
    second.insert(second.end(), {"--report", Path("two.html"), "--amends", "LAB-2026-00001",
                                 "--reason", "the asset number corrected", "--asset", "A-17"});
    ASSERT_EQ(Check(csv, second).code, 0);
    EXPECT_NE(Text("one.html").find("LAB-2026-00001"), std::string::npos);
    const std::string amended = Text("two.html");
    EXPECT_NE(amended.find("LAB-2026-00002"), std::string::npos);
    EXPECT_NE(amended.find("certificate LAB-2026-00001, which is withdrawn: the asset number "
                           "corrected"),
              std::string::npos);
    EXPECT_EQ(Text("data/probe-image/certificate-number"), "2\n");

    std::vector<std::string> alone = common;
    alone.insert(alone.end(), {"--report", Path("three.html"), "--amends", "LAB-2026-00002"});
    EXPECT_EQ(Check(csv, alone).code, 1);                                 // --amends needs --reason
    EXPECT_EQ(Check(csv, {"--amends", "X", "--reason", "why"}).code, 1);  // and a certificate
    Write("data/probe-image/certificate-number", "garbage\n");
    const ToolRun damaged = Check(csv, first);
    EXPECT_EQ(damaged.code, 2);
    EXPECT_NE(damaged.err.find("certificate-number"), std::string::npos) << damaged.err;
}

TEST_F(CertificateTest, FitAndCheckLeaveRecordsWithTheirFilesAndCopies) {
    const std::string csv =
        Measured("p.csv", {0.001, -0.002, 0.0005, 0.001, 0, -0.001, 0.002, 0.0015}, 0.001);
    ASSERT_EQ(Check(csv, {"--budget", Path("budget.toml"), "--tolerance", "0.01", "--report",
                          Path("check.html")})
                  .code,
              0);
    ASSERT_EQ(Run({"fit", "--type", "6", "--position", csv, "-o", Path("new.bin"), "--as-found",
                   Path("probe.bin"), "--budget", Path("budget.toml"), "--set", "Serial=4711"})
                  .code,
              0);
    const ToolRun listed = Run({"records", "--json"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    const json records = json::parse(listed.out);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["command"], "check");
    EXPECT_EQ(records[1]["command"], "fit");
    EXPECT_EQ(records[0]["serial"], "4711");
    const json& checked = records[0]["calibration"];
    EXPECT_EQ(checked["certificate"], "00001");
    EXPECT_EQ(checked["decisionRule"], "simple");
    EXPECT_EQ(checked["decision"], "pass");
    EXPECT_NE(checked["summary"].get<std::string>().find("largest U"), std::string::npos);
    EXPECT_EQ(records[1]["calibration"]["certificate"], "");  // no report, no number
    EXPECT_EQ(records[1]["asLeft"]["sha256"], Sha256Hex(Text("new.bin")));

    for (const json& record : records) {
        std::set<std::string> roles;
        for (const json& file : record["calibration"]["files"]) {
            roles.insert(file["role"]);
            std::ifstream used(file["file"].get<std::string>(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(used), {}};
            EXPECT_EQ(file["sha256"], Sha256Hex(bytes)) << file;
            std::ifstream kept(file["kept"].get<std::string>(), std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), bytes) << file;
            EXPECT_NE(file["kept"].get<std::string>().find(file["sha256"].get<std::string>()),
                      std::string::npos);
        }
        EXPECT_TRUE(roles.contains("position") && roles.contains("budget")) << record;
    }
    EXPECT_EQ(Check(csv, {"--no-record"}).code, 0);
    EXPECT_EQ(json::parse(Run({"records", "--json"}).out).size(), 2u);
}

}  // namespace

namespace {

TEST(CertificateNumbers, TheCounterGivesEachNumberOnceUnderItsLock) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("certificate-counter-" + std::to_string(std::random_device()()));
    std::filesystem::remove_all(folder);
    CounterFileNumbers numbers(folder / "records" / "certificate-number");
    EXPECT_EQ(numbers.TakeNextNumber(), 1u);  // a missing file and folder start at 1
    std::vector<std::uint64_t> taken[4];
    std::vector<std::thread> threads;
    for (auto& mine : taken)
        threads.emplace_back([&folder, &mine] {
            CounterFileNumbers own(folder / "records" / "certificate-number");
            for (int i = 0; i < 25; ++i)
                mine.push_back(own.TakeNextNumber());
        });
    for (std::thread& thread : threads)
        thread.join();
    std::set<std::uint64_t> all;
    for (const auto& mine : taken)
        all.insert(mine.begin(), mine.end());
    EXPECT_EQ(all.size(), 100u);
    EXPECT_EQ(*all.begin(), 2u);
    EXPECT_EQ(*all.rbegin(), 101u);
    std::filesystem::remove_all(folder);
}

TEST(CertificateNumbers, TextAndCounterContents) {
    EXPECT_EQ(CertificateNumberText("LAB-2026-", 42), "LAB-2026-00042");
    EXPECT_EQ(CertificateNumberText("", 1234567), "1234567");
    const struct {
        const char* text;
        std::uint64_t next;
    } cases[] = {{"", 1},
                 {"41\n", 42},
                 {"41\r\n", 42},
                 {"41", 42},
                 {"\n", 0},
                 {"4x1\n", 0},
                 {"-3\n", 0},
                 {"18446744073709551615", 0},
                 {"18446744073709551614", 18446744073709551615u}};
    for (const auto& [text, next] : cases)
        EXPECT_EQ(NextAfter(text), next) << text;
}

}  // namespace
