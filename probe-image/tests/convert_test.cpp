// Conversions by the library of the image's type, printed in the order asked,
// with every digit a float needs.
#include "tool_fixture.h"

namespace {

TEST_F(ToolTest, ConversionsFollowTheImagesForceLawAndPolynomial) {
    const std::string linear = NewLinearType6("linear.bin");
    const ToolRun run = Run({"convert", linear, "--force", "1.5", "--force", "0.5", "--position",
                             "0", "--force", "0", "--sample", "0", "--pressure", "1"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "force 1.5 = 2\n"
              "force 0.5 = 0\n"
              "position 0 = -1.79999995\n"
              "force 0 = -1\n"
              "sample 0 = 0\n"
              "pressure 1 = 101.936798\n");

    ASSERT_EQ(
        Run({"new", "--type", "3", "-o", Path("piecewise.bin"), "--set", "ForceX1=10", "ForceX2=1",
             "ForceF1=50", "ForceF2=0", "ForceCoefficients=1,2,3", "PositionCoefficients=4"})
            .code,
        0);
    const ToolRun piecewise =
        Run({"convert", Path("piecewise.bin"), "--force", "10", "--force", "2", "--force", "1",
             "--force", "0.999", "--force", "nan", "--sample", "-32768"});
    ASSERT_EQ(piecewise.code, 0) << piecewise.err;
    // Type 3 has no ProbeGetPosition2; the sample is read from its table.
    EXPECT_EQ(piecewise.out,
              "force 10 = 50\nforce 2 = 17\nforce 1 = 6\nforce 0.999000013 = 0\nforce nan = 0\n"
              "sample -32768 = 0.119999997\n");
}

TEST_F(ToolTest, TypeTwoForceIsTheRatioLaw) {
    ASSERT_EQ(Run({"new", "--type", "2", "-o", Path("a.bin")}).code, 0);
    const ToolRun run = Run({"convert", Path("a.bin"), "--force", "1", "--force", "5.7", "--force",
                             "10", "--pressure", "9.81"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "force 1 = 0.701754391\nforce 5.69999981 = 4\nforce 10 = 7.01754427\n"
              "pressure 9.81000042 = 701.754456\n");
}

TEST_F(ToolTest, ConvertRefusesBadInputAndRefusedImages) {
    const std::string file = NewLinearType6("a.bin");
    EXPECT_EQ(Run({"convert", file, "--sample", "32768"}).code, 1);
    EXPECT_EQ(Run({"convert", file, "--force", "heavy"}).code, 1);
    ImageBytes image = ReadBytes("a.bin");
    image[252] ^= 1;
    WriteBytes("bad.bin", image);
    const ToolRun refused = Run({"convert", Path("bad.bin"), "--force", "1"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("checksum mismatch"), std::string::npos);
    EXPECT_EQ(refused.out, "");
}

}  // namespace
