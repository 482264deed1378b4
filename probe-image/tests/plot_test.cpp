// "plot": the SVG parsed as XML, its position curve held against the library's
// table column by column, the panels --what asks for, and standard output.
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "bound_library.h"
#include "library_curves.h"
#include "tool_fixture.h"
#include "verdict.h"

namespace {

namespace pt = boost::property_tree;

constexpr double kPixelTolerance = 0.15;  // coordinates are written to 0.1 pixel

std::string Attribute(const pt::ptree& node, const std::string& name) {
    return node.get<std::string>("<xmlattr>." + name, "");
}

// Throws when the text is not well-formed XML.
pt::ptree ParseSvg(const std::string& text) {
    std::istringstream in(text);
    pt::ptree tree;
    pt::read_xml(in, tree);
    return tree.get_child("svg");
}

std::vector<std::string> PanelIds(const pt::ptree& svg) {
    std::vector<std::string> ids;
    for (const auto& [name, child] : svg)
        if (name == "g" && Attribute(child, "class") == "panel")
            ids.push_back(Attribute(child, "id"));
    return ids;
}

const pt::ptree& Panel(const pt::ptree& svg, const std::string& id) {
    for (const auto& [name, child] : svg)
        if (name == "g" && Attribute(child, "id") == id)
            return child;
    throw std::runtime_error("no panel " + id);
}

std::pair<double, double> Translation(const std::string& transform) {
    double x = 0;
    double y = 0;
    std::sscanf(transform.c_str(), "translate(%lf,%lf)", &x, &y);
    return {x, y};
}

// The pixel of a value along one axis, from its first and last tick.
struct AxisMap {
    double slope = 0;
    double offset = 0;
    double operator()(double value) const { return slope * value + offset; }
};

AxisMap ReadAxis(const pt::ptree& panel, const std::string& axis) {
    std::vector<std::pair<double, double>> ticks;  // value, pixel
    for (const auto& [name, group] : panel) {
        if (name != "g" || Attribute(group, "class") != axis)
            continue;
        for (const auto& [tag, tick] : group) {
            if (tag != "g")
                continue;
            const auto [x, y] = Translation(Attribute(tick, "transform"));
            ticks.push_back({std::stod(tick.get<std::string>("text")), axis == "x-axis" ? x : y});
        }
    }
    EXPECT_GE(ticks.size(), 2u) << axis;
    if (ticks.size() < 2)
        return {};
    const auto [v0, p0] = ticks.front();
    const auto [v1, p1] = ticks.back();
    const double slope = (p1 - p0) / (v1 - v0);
    return {slope, p0 - slope * v0};
}

std::vector<std::pair<double, double>> CurvePoints(const pt::ptree& panel) {
    std::vector<std::pair<double, double>> points;
    for (const auto& [name, line] : panel) {
        if (name != "polyline")
            continue;
        std::istringstream text(Attribute(line, "points"));
        double x = 0;
        double y = 0;
        char comma = 0;
        while (text >> x >> comma >> y)
            points.push_back({x, y});
    }
    return points;
}

class PlotTest : public ToolTest {
  protected:
    std::string Contents(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(PlotTest, PositionCurveKeepsTheTablesExtremesOfEveryColumn) {
    // 1e-30 x^15: flat in the middle, steep at both ends, where a column's
    // readings span several pixels.
    ASSERT_EQ(Run({"new", "--type", "6", "-o", Path("a.bin"), "--set", "Serial=5",
                   "PositionCoefficients=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1e-30"})
                  .code,
              0);
    ASSERT_EQ(Run({"plot", Path("a.bin"), "-o", Path("a.svg"), "--what", "position"}).code, 0);
    const pt::ptree svg = ParseSvg(Contents("a.svg"));
    const pt::ptree& panel = Panel(svg, "position");
    const AxisMap x = ReadAxis(panel, "x-axis");
    const AxisMap y = ReadAxis(panel, "y-axis");
    const double left = std::stod(Attribute(panel.get_child("rect"), "x"));
    const auto points = CurvePoints(panel);

    const LibraryBinding binding(TypeCharacter(ReadBytes("a.bin")));
    ASSERT_TRUE(JudgeImage(binding, ReadBytes("a.bin")).accepted);
    const Curve table = PositionCurve(binding.library());

    for (std::size_t column : {0, 1, 2, 100, 339, 340, 500, 677, 678, 679}) {
        std::vector<double> drawn;
        for (const auto& [px, py] : points)
            if (std::abs(px - (left + column + 0.5)) < 0.01)
                drawn.push_back(py);
        // Readings well inside the column, and those that may round into it.
        std::vector<double> inside;
        std::vector<double> nearby;
        for (std::size_t i = 0; i < table.raw.size(); ++i) {
            const double offset = x(table.raw[i]) - left - column;
            if (offset >= 0.1 && offset <= 0.9)
                inside.push_back(y(table.values[i]));
            if (offset >= -0.1 && offset <= 1.1)
                nearby.push_back(y(table.values[i]));
        }
        ASSERT_FALSE(drawn.empty()) << column;
        ASSERT_FALSE(inside.empty()) << column;
        const auto [drawnTop, drawnBottom] = std::minmax_element(drawn.begin(), drawn.end());
        const auto [insideTop, insideBottom] = std::minmax_element(inside.begin(), inside.end());
        const auto [nearTop, nearBottom] = std::minmax_element(nearby.begin(), nearby.end());
        EXPECT_LE(*drawnTop, *insideTop + kPixelTolerance) << column;
        EXPECT_GE(*drawnBottom, *insideBottom - kPixelTolerance) << column;
        EXPECT_GE(*drawnTop, *nearTop - kPixelTolerance) << column;
        EXPECT_LE(*drawnBottom, *nearBottom + kPixelTolerance) << column;
        if (column == 679) {
            EXPECT_GT(*drawnBottom - *drawnTop, 1.0);  // a column that needs both points
        }
    }
}

TEST_F(PlotTest, WhatChoosesThePanelsAndDashWritesTheSameBytes) {
    ASSERT_EQ(Run({"new", "--type", "3", "-o", Path("a.bin"), "--set", "Serial=4321",
                   "CalibrationDate=2512", "ForceX1=10", "ForceX2=1", "ForceX0=1", "ForceF1=50",
                   "ForceCoefficients=1,2,3", "PositionCoefficients=0,1"})
                  .code,
              0);
    ASSERT_EQ(Run({"plot", Path("a.bin"), "-o", Path("both.svg")}).code, 0);
    const std::string both = Contents("both.svg");
    const pt::ptree svg = ParseSvg(both);
    EXPECT_EQ(PanelIds(svg), (std::vector<std::string>{"position", "force", "pressure"}));
    EXPECT_NE(svg.get<std::string>("title").find("type 3 probe, serial 4321"), std::string::npos);
    EXPECT_NE(both.find("calibration date 2512, not calibrated today"), std::string::npos);
    std::set<std::string> markers;
    for (const auto& [name, node] : Panel(svg, "force"))
        if (Attribute(node, "class") == "marker")
            markers.insert(node.get<std::string>("text"));
    EXPECT_EQ(markers, (std::set<std::string>{"x0 = x2 = 1", "x1 = 10"}));

    const ToolRun dash = Run({"plot", Path("a.bin"), "-o", "-"});
    EXPECT_EQ(dash.code, 0);
    EXPECT_EQ(dash.out, both);
    EXPECT_EQ(PanelIds(ParseSvg(Run({"plot", Path("a.bin"), "-o", "-", "--what", "force"}).out)),
              (std::vector<std::string>{"force", "pressure"}));
    EXPECT_EQ(PanelIds(ParseSvg(Run({"plot", Path("a.bin"), "-o", "-", "--what", "position"}).out)),
              (std::vector<std::string>{"position"}));

    ImageBytes damaged = ReadBytes("a.bin");
    damaged[252] ^= 1;
    WriteBytes("bad.bin", damaged);
    const ToolRun refused = Run({"plot", Path("bad.bin"), "-o", Path("bad.svg")});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("checksum mismatch"), std::string::npos);
    EXPECT_FALSE(Exists("bad.svg"));
    EXPECT_EQ(Run({"plot", Path("missing.bin"), "-o", Path("m.svg")}).code, 2);
}

}  // namespace
