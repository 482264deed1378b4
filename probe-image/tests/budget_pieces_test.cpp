// The uncertainty budget and what follows from it, without a library: the TOML
// reader and its refusals, the combined and expanded uncertainty against a hand
// computation (Welch-Satterthwaite, Student's t), coverage factors against the
// published table, two-digit statements, and each decision rule at points just
// inside and just outside each of its limits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "decision_rule.h"
#include "expanded_uncertainty.h"
#include "reference_standards.h"
#include "stated_figures.h"
#include "tool_error.h"
#include "uncertainty_budget.h"

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

constexpr char kBudget[] = R"(method = "comparison with a gauge block series"
[[position]]
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
dof = 9
[[force]]
name = "load cell"
half_width = 0.03
distribution = "triangular"
sensitivity = -2
[[force]]
name = "cosine error"
half_width = 0.01
distribution = "u-shaped"
[[reference]]
id = "GB-07"
certificate = "DKD-1234"
due = 2027-03-01
[[reference]]
id = "LC-2"
certificate = "C-88"
due = "2026-12-31"
)";

TEST(BudgetReader, ReadsEveryWayOfGivingAnUncertainty) {
    const UncertaintyBudget budget = ParseBudget(kBudget, "lab.toml");
    EXPECT_EQ(budget.method, "comparison with a gauge block series");
    ASSERT_EQ(budget.position.size(), 3u);
    EXPECT_EQ(budget.position[0].name, "reference standard");
    EXPECT_DOUBLE_EQ(budget.position[0].u, 0.002);
    EXPECT_FALSE(budget.position[0].dof);
    EXPECT_DOUBLE_EQ(budget.position[1].u, 0.0005 / std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(budget.position[2].u, 0.001);
    EXPECT_EQ(budget.position[2].dof, 9);
    ASSERT_EQ(budget.force.size(), 2u);
    EXPECT_DOUBLE_EQ(budget.force[0].u, 0.03 / std::sqrt(6.0));
    EXPECT_EQ(budget.force[0].sensitivity, -2);
    EXPECT_DOUBLE_EQ(budget.force[1].u, 0.01 / std::sqrt(2.0));
    ASSERT_EQ(budget.references.size(), 2u);
    EXPECT_EQ(budget.references[0].due, "2027-03-01");  // a TOML date
    EXPECT_EQ(budget.references[1].due, "2026-12-31");  // a text
    EXPECT_EQ(budget.references[1].certificate, "C-88");
}

TEST(BudgetReader, RefusesWhatIsNotAsDescribedNamingTheLineAndEntry) {
    const struct {
        const char* text;
        const char* says;  // part of the message
    } cases[] = {
        {"[[position]\nname = 1", "lab.toml:1: not a TOML file"},
        {"[[position]]\nname = \"a\"\nu = 1\n[\xc5\xa2]3]7]]", "lab.toml:4: not a TOML file"},
        {"[[position]]\nn\xc3\xa4me = \"a\"\nu = 1", "lab.toml:2: not a TOML file"},
        {"[[position]]\nname = \"a\\\"\" \xc3\xa4\nu = 1", "lab.toml:2: not a TOML file"},
        {"[[position]]\nname = 'Aufl\xc3\xb6sung'\nu = 1", "lab.toml:2: not a TOML file"},
        {"[[position]]\nname = \"\xc3\"\nu = 1", "lab.toml:2: not a TOML file: bytes that are"},
        {"[[position]]\nname = \"\xed\xa0\x80\"\nu = 1", "not UTF-8"},
        {"[[position]]\nname = \"\xc0\xaf\"\nu = 1", "not UTF-8"},
        {"", "no [[position]] or [[force]] entry"},
        {"[[pressure]]\nname = \"x\"\nu = 1", "unknown key \"pressure\""},
        {"position = 3", "position is not an array of tables"},
        {"position = [1]", "[[position]] 1: not a table"},
        {"[[position]]\nu = 0.1", "lab.toml:1: [[position]] 1: no name"},
        {"[[position]]\nname = \"\"\nu = 0.1", "name is not a text"},
        {"[[position]]\nname = \"a\"\nu = 0.1\n[[position]]\nname = \"b\"",
         "lab.toml:4: [[position]] 2 (\"b\"): give exactly one of"},
        {"[[position]]\nname = \"a\"\nu = 0.1\nexpanded = 0.2\nk = 2", "give exactly one of"},
        {"[[position]]\nname = \"a\"\nexpanded = 0.2", "no k"},
        {"[[position]]\nname = \"a\"\nhalf_width = 0.2", "no distribution"},
        {"[[position]]\nname = \"a\"\nhalf_width = 0.2\ndistribution = \"uniform\"",
         "distribution \"uniform\" is not rectangular, triangular or u-shaped"},
        {"[[position]]\nname = \"a\"\nu = -0.1", "u -0.1 is not finite and above 0"},
        {"[[position]]\nname = \"a\"\nu = 0", "u 0 is not finite and above 0"},
        {"[[position]]\nname = \"a\"\nu = nan", "is not finite and above 0"},
        {"[[position]]\nname = \"a\"\nu = inf", "is not finite and above 0"},
        {"[[position]]\nname = \"a\"\nu = \"0.1\"", "u is not a number"},
        {"[[position]]\nname = \"a\"\nexpanded = 0.2\nk = 0", "k 0 is not finite and above 0"},
        {"[[position]]\nname = \"a\"\nu = 0.1\nsensitivity = 0", "sensitivity 0"},
        {"[[position]]\nname = \"a\"\nu = 0.1\ndof = 0", "dof 0 is not 1 or more"},
        {"[[position]]\nname = \"a\"\nu = 0.1\ndof = 0.5", "dof 0.5 is not 1 or more"},
        {"[[position]]\nname = \"a\"\nu = 0.1\ndof = -3", "dof -3 is not 1 or more"},
        {"[[position]]\nname = \"a\"\nu = 0.1\nsensitivty = 2", "unknown key \"sensitivty\""},
        {"[[force]]\nname = \"a\"\nu = 1\n[[reference]]\nid = \"R\"\ncertificate = \"C\"",
         "[[reference]] 1 (\"R\"): no due"},
        {"[[force]]\nname = \"a\"\nu = 1\n[[reference]]\nid = \"R\"\ncertificate = \"C\"\n"
         "due = \"2026-02-30\"",
         "due is not a date YYYY-MM-DD"},
        {"[[force]]\nname = \"a\"\nu = 1\n[[reference]]\nid = \"R\"\ncertificate = \"C\"\n"
         "due = 2026-03-01T10:00:00",
         "due is not a date YYYY-MM-DD"},
        {"[[force]]\nname = \"a\"\nu = 1\n[[reference]]\nid = \"R\"\ndue = 2026-03-01",
         "no certificate"},
    };
    for (const auto& [text, says] : cases) {
        try {
            ParseBudget(text, "lab.toml");
            ADD_FAILURE() << "accepted:\n" << text;
        } catch (const ToolError& error) {
            EXPECT_EQ(error.code(), ExitFile) << text;
            EXPECT_NE(std::string(error.what()).find(says), std::string::npos)
                << text << "\n  said: " << error.what() << "\n  not: " << says;
        }
    }
}

TEST(BudgetReader, TextsAndCommentsMayHoldAnyCharacter) {
    const UncertaintyBudget budget = ParseBudget(
        "# Messunsicherheit \xe2\x80\x94 Wegaufnehmer\n"
        "[[position]]\nname = \"Aufl\xc3\xb6sung \\\" \xc2\xb5m\"  # \xc3\xa4\nu = 1\n"
        "[[position]]\nname = \"\"\"Wiederhol-\nbarkeit \xc3\xa4\"\"\"\nu = 2\n"
        "[[force]]\nname = \"\xf0\x9d\x9c\x87 \\u00e4\"\nu = 3\n",
        "lab.toml");
    ASSERT_EQ(budget.position.size(), 2u);
    EXPECT_EQ(budget.position[0].name, "Aufl\xc3\xb6sung \" \xc2\xb5m");
    EXPECT_EQ(budget.position[1].name, "Wiederhol-\nbarkeit \xc3\xa4");
    ASSERT_EQ(budget.force.size(), 1u);
    EXPECT_EQ(budget.force[0].name, "\xf0\x9d\x9c\x87 \xc3\xa4");
}

TEST(BudgetReader, AMissingFileIsAFileError) {
    try {
        ReadBudget("no/such/budget.toml");
        ADD_FAILURE() << "read";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.code(), ExitFile);
        EXPECT_NE(std::string(error.what()).find("budget.toml"), std::string::npos);
    }
}

// By hand: u1 = 0.004 / 2 = 0.002 (infinite dof), u2 = 0.0005 / sqrt 3 (infinite),
// u3 = 0.001 with 9 dof. u_c^2 = 4e-6 + 8.33333e-8 + 1e-6 = 5.083333e-6;
// nu_eff = u_c^4 / (u3^4 / 9) = 232.5625; t at 95.45 % for it 2.0108066499.
TEST(ExpandedUncertainty, MatchesAHandComputation) {
    const UncertaintyBudget budget = ParseBudget(kBudget, "lab.toml");
    const ExpandedUncertainty all = Expand(BudgetContributions(budget.position));
    EXPECT_NEAR(all.uc, 0.00225462487641145, 1e-15);
    EXPECT_NEAR(all.dof, 232.5625, 1e-9);
    EXPECT_NEAR(all.k, 2.01080664990211, 1e-9);
    EXPECT_NEAR(all.U, 0.00453361469452285, 1e-12);

    // A rectangular and a normal contribution of finite dof alone:
    // u_c^2 = 8.33333e-8 + 1e-6, nu_eff = 10.5625, k = 2.2667181470.
    const ExpandedUncertainty two = Expand({{0.0005 / std::sqrt(3.0), std::nullopt}, {0.001, 9}});
    EXPECT_NEAR(two.uc, 0.00104083299973307, 1e-15);
    EXPECT_NEAR(two.dof, 10.5625, 1e-9);
    EXPECT_NEAR(two.k, 2.26671814697161, 1e-9);
    EXPECT_NEAR(two.U, 0.00235927504846184, 1e-12);

    // The sensitivity enters by its size.
    const ExpandedUncertainty force = Expand(BudgetContributions(budget.force));
    EXPECT_NEAR(force.uc, std::hypot(2 * 0.03 / std::sqrt(6.0), 0.01 / std::sqrt(2.0)), 1e-15);
    EXPECT_EQ(force.dof, kInfinite);
    EXPECT_NEAR(force.k, 2, 1e-12);
}

// The published table of t for 95.45 %: 13.97, 4.53, 2.87, 2.32, 2.28, 2.09, 2.03, 2.00.
TEST(ExpandedUncertainty, CoverageFactorsFollowTheTable) {
    const struct {
        double dof, k;
    } table[] = {{1, 13.97}, {2, 4.53},  {4, 2.87},   {9, 2.32},
                 {10, 2.28}, {30, 2.09}, {100, 2.03}, {kInfinite, 2.00}};
    for (const auto& [dof, k] : table)
        EXPECT_NEAR(CoverageFactor(dof), k, 0.005) << dof;
    EXPECT_DOUBLE_EQ(CoverageFactor(kInfinite), 2);
    EXPECT_TRUE(std::isnan(CoverageFactor(0)));
    EXPECT_TRUE(std::isnan(CoverageFactor(std::nan(""))));
    EXPECT_NEAR(kCoverageProbability, 0.9545, 1e-4);
}

TEST(ExpandedUncertainty, EachPointAddsItsOwnAndTheFittedCurvesUncertainty) {
    const std::vector<BudgetEntry> budget = {{"ref", 0.002, "", 1, std::nullopt}};
    const std::vector<double> measured = {0.001, 0.004, 0.001};
    const std::vector<double> fitted = {0.0005, 0.0005, 0.003};
    const QuantityUncertainty quantity = QuantityUncertaintyOf(budget, 3, {&measured, &fitted, 7});
    ASSERT_EQ(quantity.points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const double uc2 = 0.002 * 0.002 + measured[i] * measured[i] + fitted[i] * fitted[i];
        EXPECT_NEAR(quantity.points[i].uc, std::sqrt(uc2), 1e-15) << i;
        EXPECT_NEAR(quantity.points[i].dof, uc2 * uc2 / (std::pow(fitted[i], 4) / 7), 1e-6) << i;
        EXPECT_NEAR(quantity.points[i].U, quantity.points[i].k * quantity.points[i].uc, 1e-15);
    }
    EXPECT_EQ(quantity.largest, 1u);
    // Without a fit or a u column, the budget alone at every point.
    const QuantityUncertainty alone = QuantityUncertaintyOf(budget, 2, {});
    EXPECT_EQ(alone.points[1].uc, 0.002);
    EXPECT_EQ(alone.points[1].k, 2);
}

TEST(StatedFigures, TwoSignificantDigitsUpAndTheResultToTheSamePlace) {
    const struct {
        double result, U;
        const char *statedResult, *statedU;
    } cases[] = {
        {0.123456, 0.00453361, "0.1235", "0.0046"},  // up, never down
        {1.23456, 0.0042, "1.2346", "0.0042"},       // exact on paper stays
        {3.14159, 0.0995, "3.14", "0.10"},           // up into the next decade
        {2.345, 1.0, "2.3", "1.0"},
        {987654, 12345, "988000", "13000"},
        {-0.00001, 0.0042, "0.0000", "0.0042"},  // no negative zero
        {-0.01234, 0.0042, "-0.0123", "0.0042"},
        {0.5, 0.0012345, "0.5000", "0.0013"},
    };
    for (const auto& [result, U, statedResult, statedU] : cases) {
        const StatedFigures stated = StateFigures(result, U);
        EXPECT_EQ(stated.result, statedResult) << result << " +- " << U;
        EXPECT_EQ(stated.U, statedU) << result << " +- " << U;
    }
    EXPECT_EQ(StateFigures(1, std::nan("")).U, "nan");
}

TEST(DecisionRules, ReadAsTyped) {
    const struct {
        const char* text;
        bool reads;
        RuleKind kind;
        double r;
    } cases[] = {{"simple", true, RuleKind::Simple, 0},
                 {"guarded", true, RuleKind::Guarded, 1},
                 {"guarded:0.5", true, RuleKind::Guarded, 0.5},
                 {"guarded:0", true, RuleKind::Guarded, 0},
                 {"non-binary", true, RuleKind::NonBinary, 1},
                 {"guarded:", false, RuleKind::Simple, 0},
                 {"guarded:-1", false, RuleKind::Simple, 0},
                 {"guarded:inf", false, RuleKind::Simple, 0},
                 {"guarded:nan", false, RuleKind::Simple, 0},
                 {"Simple", false, RuleKind::Simple, 0},
                 {"", false, RuleKind::Simple, 0}};
    for (const auto& [text, reads, kind, r] : cases) {
        const std::optional<DecisionRule> rule = ParseDecisionRule(text);
        ASSERT_EQ(rule.has_value(), reads) << text;
        if (rule) {
            EXPECT_EQ(rule->kind, kind) << text;
            EXPECT_EQ(rule->r, r) << text;
            EXPECT_EQ(ParseDecisionRule(RuleText(*rule))->r, r) << text;
        }
    }
}

// T = 0.010, U = 0.002 (k = 2, u = 0.001): guard band w = 0.002 (0.001 for r = 0.5);
// the limits T - w, T and T + w on either side, each approached within 1e-6.
TEST(DecisionRules, PointsJustInsideAndJustOutsideEachLimit) {
    constexpr double T = 0.010, U = 0.002, k = 2, e = 1e-6;
    const DecisionRule simple{RuleKind::Simple, 0}, guarded{RuleKind::Guarded, 1},
        half{RuleKind::Guarded, 0.5}, nonBinary{RuleKind::NonBinary, 1};
    using O = Outcome;
    const struct {
        DecisionRule rule;
        double error;
        Outcome outcome;
    } cases[] = {
        {simple, T - e, O::Pass},
        {simple, T + e, O::Fail},
        {simple, -T + e, O::Pass},
        {simple, -T - e, O::Fail},
        {guarded, T - U - e, O::Pass},
        {guarded, T - U + e, O::Fail},
        {guarded, -(T - U) + e, O::Pass},
        {guarded, -(T - U) - e, O::Fail},
        {guarded, T - e, O::Fail},
        {half, T - U / 2 - e, O::Pass},
        {half, T - U / 2 + e, O::Fail},
        {nonBinary, T - U - e, O::Pass},
        {nonBinary, T - U + e, O::ConditionalPass},
        {nonBinary, T - e, O::ConditionalPass},
        {nonBinary, T + e, O::ConditionalFail},
        {nonBinary, T + U - e, O::ConditionalFail},
        {nonBinary, T + U + e, O::Fail},
        {nonBinary, -(T - U) + e, O::Pass},
        {nonBinary, -(T - U) - e, O::ConditionalPass},
        {nonBinary, -T - e, O::ConditionalFail},
        {nonBinary, -T - U - e, O::Fail},
        {nonBinary, std::nan(""), O::Fail},
        {simple, std::nan(""), O::Fail},
    };
    for (const auto& [rule, error, outcome] : cases) {
        const PointDecision decision = Decide(rule, error, T, U, k);
        EXPECT_EQ(decision.outcome, outcome) << RuleText(rule) << " at " << error;
        EXPECT_DOUBLE_EQ(decision.guardBand, rule.kind == RuleKind::Simple ? 0 : rule.r * U);
    }
}

// Phi by a route of its own: Simpson's rule over the normal density.
double PhiBySimpson(double z) {
    const double from = -12, steps = 20000, h = (z - from) / steps;
    double sum = 0;
    for (int i = 0; i <= steps; ++i) {
        const double x = from + i * h;
        const double f = std::exp(-x * x / 2) / std::sqrt(2 * std::numbers::pi);
        sum += f * (i == 0 || i == steps ? 1 : i % 2 ? 4 : 2);
    }
    return sum * h / 3;
}

TEST(DecisionRules, ConformanceProbabilityOfEachPoint) {
    constexpr double T = 0.010, u = 0.001;
    for (const double y : {0.0, 0.005, 0.009, 0.0099, 0.010, 0.0101, 0.011, -0.0095, -0.012}) {
        const double expected = PhiBySimpson((T - y) / u) - PhiBySimpson((-T - y) / u);
        EXPECT_NEAR(ConformanceProbability(y, T, u), expected, 1e-9) << y;
    }
    EXPECT_NEAR(ConformanceProbability(T, T, u), 0.5, 1e-9);  // on the limit: even odds
    EXPECT_EQ(ConformanceProbability(T, T, 0), 1);
    EXPECT_EQ(ConformanceProbability(T * 1.01, T, 0), 0);
    EXPECT_TRUE(
        std::isnan(Decide({RuleKind::Simple, 0}, 0, T, std::nan(""), std::nan("")).conformance));
}

TEST(DecisionRules, TheQuantityTakesItsWorstPoint) {
    const QuantityUncertainty uncertainty{
        {{0.001, kInfinite, 2, 0.002}, {0.001, kInfinite, 2, 0.002}, {0.001, kInfinite, 2, 0.002}},
        0};
    const DecisionRule nonBinary{RuleKind::NonBinary, 1};
    EXPECT_EQ(DecideQuantity(nonBinary, {0, 0.0085, -0.001}, 0.01, &uncertainty).overall,
              Outcome::ConditionalPass);
    EXPECT_EQ(DecideQuantity(nonBinary, {0, 0.0105, -0.0085}, 0.01, &uncertainty).overall,
              Outcome::ConditionalFail);
    EXPECT_EQ(DecideQuantity(nonBinary, {0, 0.0105, -0.0125}, 0.01, &uncertainty).overall,
              Outcome::Fail);
    EXPECT_EQ(DecideQuantity(nonBinary, {0, 0.001}, 0.01, &uncertainty).overall, Outcome::Pass);
}

TEST(ReferenceStandards, OnePastItsDueDateIsRefusedByNameAndDate) {
    const UncertaintyBudget budget = ParseBudget(kBudget, "lab.toml");
    EXPECT_NO_THROW(RefuseOverdueReferences(budget, "2026-12-31"));  // due that day: still in
    try {
        RefuseOverdueReferences(budget, "2027-01-01");
        ADD_FAILURE() << "accepted";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.code(), ExitRefused);
        const std::string message = error.what();
        EXPECT_NE(message.find("LC-2"), std::string::npos) << message;
        EXPECT_NE(message.find("2026-12-31"), std::string::npos) << message;
        EXPECT_EQ(message.find("GB-07"), std::string::npos) << message;
    }
    for (const char* day : {"2026-12-09", "2028-02-29", "2024-02-29"})
        EXPECT_TRUE(IsDateText(day)) << day;
    for (const char* day : {"2026-13-01", "2027-02-29", "2026-1-01", "20261201", "2026-12-0x"})
        EXPECT_FALSE(IsDateText(day)) << day;
}

}  // namespace
