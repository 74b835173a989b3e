#include "model/curve_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/run_log.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::RunLogFile;
using testing::ScriptedPort;

SplineTable table_of(std::vector<double> x, std::vector<double> y)
{
    SplineTable t(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        t[i].x = x[i];
        t[i].y = y[i];
    }
    return t;
}

TEST(CurveFit, SolveLinearNeedsRowExchange)
{
    ScriptedPort port;
    // x = (1, 2, 3); the first row has no x term, so the first pivot is
    // another row's.
    std::vector<double> a = {0, 2, 1, 7,  //
                             1, 1, 1, 6,  //
                             2, 1, 0, 4};
    ASSERT_EQ(solve_linear(a, 3), 0);
    EXPECT_NEAR(a[3], 1, 1e-12);
    EXPECT_NEAR(a[7], 2, 1e-12);
    EXPECT_NEAR(a[11], 3, 1e-12);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(CurveFit, SolveLinearReportsZeroPivotInsteadOfNaN)
{
    struct Case {
        const char* what;
        std::vector<double> matrix;
        const char* message;
    };
    const Case cases[] = {
        // A row of zeros used to be scaled by 1/0, filling the solution with NaN.
        {"zero second row", {1, 2, 3, 0, 0, 0}, " Zero pivot element, row 1\n"},
        {"zero first row", {0, 0, 5, 1, 2, 3}, " Zero pivot element, row 1\n"},
        {"dependent rows", {1, 2, 3, 2, 4, 6}, " Zero pivot element, row 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        std::vector<double> a = c.matrix;
        EXPECT_EQ(solve_linear(a, 2), 1);
        EXPECT_EQ(error_count(), 1);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text.rfind(c.message, 0), 0u) << port.boxes[0].text;
        for (double v : a) EXPECT_FALSE(std::isnan(v));
    }
}

TEST(CurveFit, PolyFitRecoversCubicAndNeedsEnoughPoints)
{
    ScriptedPort port;
    // dP = 2 - x + 0.5 x^2 + 0.25 x^3 at x = 0..5, all exact in floats.
    const std::vector<float> x = {0, 1, 2, 3, 4, 5};
    const std::vector<float> y = {2, 1.75f, 4, 10.25f, 22, 40.75f};
    auto c = poly_fit(x, y, 3);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->size(), 4u);
    EXPECT_NEAR((*c)[0], 2, 1e-9);
    EXPECT_NEAR((*c)[1], -1, 1e-9);
    EXPECT_NEAR((*c)[2], 0.5, 1e-9);
    EXPECT_NEAR((*c)[3], 0.25, 1e-9);

    const std::vector<float> three(x.begin(), x.begin() + 3);
    EXPECT_FALSE(poly_fit(three, std::vector<float>(y.begin(), y.begin() + 3), 3));
    EXPECT_TRUE(port.boxes.empty()) << "too few points say nothing";
}

TEST(CurveFit, PolyRootConvergesOrGivesUp)
{
    // x^3 - 2 from 2 reaches the cube root of 2.
    const std::vector<double> cube = {-2, 0, 0, 1};
    auto root = poly_root(cube, 2, 1e-12, 1e-12);
    ASSERT_TRUE(root);
    EXPECT_NEAR(*root, std::cbrt(2.0), 1e-12);

    // x^2 + 1 has no real root: the method alone would step forever.
    const std::vector<double> no_root = {1, 0, 1};
    EXPECT_FALSE(poly_root(no_root, 0.5, 0.001, 0.001));
    // x^2 - 4 from 0: the slope is 0 where the method starts.
    const std::vector<double> flat_start = {-4, 0, 1};
    EXPECT_FALSE(poly_root(flat_start, 0, 0.001, 0.001));
}

TEST(CurveFit, SplineThroughSquares)
{
    ScriptedPort port;
    SplineTable t = table_of({0, 1, 2, 3}, {0, 1, 4, 9});
    ASSERT_EQ(spline_build(t), 0);
    // End segments: straight lines with the secant slopes 1 and 5. Middle:
    // the Hermite piece from y = 1 to 4 with end slopes 1 and 5 over h = 1:
    // c = 3*3 - 2*1 - 5 = 2, d = 1 - 2*3 + 5 = 0.
    EXPECT_DOUBLE_EQ(t[0].b, 1);
    EXPECT_DOUBLE_EQ(t[0].c, 0);
    EXPECT_DOUBLE_EQ(t[0].d, 0);
    EXPECT_DOUBLE_EQ(t[1].b, 1);
    EXPECT_DOUBLE_EQ(t[1].c, 2);
    EXPECT_DOUBLE_EQ(t[1].d, 0);
    EXPECT_DOUBLE_EQ(t[2].b, 5);
    EXPECT_DOUBLE_EQ(t[2].c, 0);
    EXPECT_DOUBLE_EQ(t[2].d, 0);

    RunLogFile log;
    std::vector<std::string> faults;
    EXPECT_EQ(spline_check("squares", t, kSplineRising, faults), 0);
    EXPECT_EQ(faults, std::vector<std::string>(3));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"CSFchk: squares"});
}

TEST(CurveFit, SplineEvalWalksSegmentsAndExtendsEnds)
{
    SplineTable t = table_of({0, 1, 2, 3}, {0, 1, 4, 9});
    ASSERT_EQ(spline_build(t), 0);
    std::size_t hint = 0;
    struct Case {
        double x, y, dy, d2y;
        std::size_t segment;
    };
    // Middle segment y = 1 + t + 2t^2: at t = 0.5, y = 2, y' = 3, y'' = 4.
    const Case cases[] = {{-1, -1, 1, 0, 0}, {0.5, 0.5, 1, 0, 0}, {1.5, 2, 3, 4, 1},
                          {2.5, 6.5, 5, 0, 2}, {4, 14, 5, 0, 2}, {0.25, 0.25, 1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        const SplineValue v = spline_eval(c.x, t, hint);
        EXPECT_DOUBLE_EQ(v.y, c.y);
        EXPECT_DOUBLE_EQ(v.dy, c.dy);
        EXPECT_DOUBLE_EQ(v.d2y, c.d2y);
        EXPECT_EQ(hint, c.segment);
    }
}

TEST(CurveFit, ThreePointSplineKeepsItsMiddlePoint)
{
    // Both segments are straight lines through their own points. Taking the
    // second segment's slope for the first (slope 3 here) would put y(0.5)
    // at 1.5 and make the curve jump at x = 1.
    SplineTable t = table_of({0, 1, 2}, {0, 1, 4});
    ASSERT_EQ(spline_build(t), 0);
    std::size_t hint = 0;
    EXPECT_DOUBLE_EQ(spline_eval(0.5, t, hint).y, 0.5);
    EXPECT_DOUBLE_EQ(spline_eval(1.0 - 1e-12, t, hint).y, 1.0 - 1e-12);
    EXPECT_DOUBLE_EQ(spline_eval(1.5, t, hint).y, 2.5);
}

TEST(CurveFit, SplineBuildRefusesBadSpacing)
{
    struct Case {
        std::vector<double> x;
        const char* text;
    };
    const Case cases[] = {
        {{1, 2, 2, 3}, " Multiple data points  at x =    2\n"},
        {{1, 3, 2, 4}, " Data points out of order at x =    2\n"},
        {{1, 2, 3, 2.5}, " Data points out of order at x =  2.5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPort port;
        SplineTable t = table_of(c.x, {0, 1, 2, 3});
        EXPECT_EQ(spline_build(t), 1);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text, c.text);
    }
}

TEST(CurveFit, SplineCheckRisingMode)
{
    struct Case {
        const char* what;
        std::vector<double> y;
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        {"falling", {4, 3, 1, 0}, {"y' <= 0", "y' <= 0", "y' <= 0"}},
        // The flat first segment leaves the next one starting with slope 0.
        {"flat start", {0, 0, 1, 2}, {"y' = 0", "y' = 0", ""}},
        // The middle piece turns twice between its points.
        {"overshoot", {0, 1, 1.2, 5}, {"", "y' = 0", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        SplineTable t = table_of({0, 1, 2, 3}, c.y);
        ASSERT_EQ(spline_build(t), 0);
        std::vector<std::string> faults;
        EXPECT_EQ(spline_check("c", t, kSplineRising, faults), 1);
        EXPECT_EQ(faults, c.faults);
    }
}

TEST(CurveFit, SplineCheckLogsEachFailure)
{
    RunLogFile log;
    SplineTable t = table_of({0, 1, 2, 3}, {4, 3, 1, 0});
    ASSERT_EQ(spline_build(t), 0);
    std::vector<std::string> faults;
    spline_check("fan1", t, kSplineRising, faults);
    const std::vector<std::string> expected = {"CSFchk: fan1", "     y' <= 0 at x = 0, segment 0",
                                               "     y' <= 0 at x = 1, segment 1",
                                               "     y' <= 0 at x = 2, segment 2"};
    EXPECT_EQ(log.lines(), expected);
}

TEST(CurveFit, SplineCheckEfficiencyModes)
{
    struct Case {
        const char* what;
        int mode;
        std::vector<double> y;
        int result;
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        {"flat ends, falling", kSplineFalling, {1.0, 1.0, 0.5, 0.5}, 0, {"", "", ""}},
        // Segment 0 rises: "y' > 0" first, then the end condition wins.
        {"rising start", kSplineFalling, {0.9, 1.0, 0.5, 0.5}, 1, {"y' != 0", "y > 1", ""}},
        {"above one", kSplineEfficiency, {1.2, 1.2, 0.5, 0.5}, 1, {"y > 1", "y > 1", ""}},
        {"sloped end", kSplineEfficiency, {1.0, 1.0, 0.5, 0.4}, 1, {"", "", "y' != 0"}},
        {"below zero at the end", kSplineEfficiency, {0.5, 0.5, 0.2, -0.1}, 1, {"", "", "y' != 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplineTable t = table_of({1, 2, 3, 4}, c.y);
        ASSERT_EQ(spline_build(t), 0);
        std::vector<std::string> faults;
        EXPECT_EQ(spline_check("eff", t, c.mode, faults), c.result);
        EXPECT_EQ(faults, c.faults);
    }
}

}  // namespace
}  // namespace avelor
