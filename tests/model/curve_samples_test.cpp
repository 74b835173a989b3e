#include "model/curve_samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/curve_fit.h"
#include "model/point_lists.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

SplineData spline_of(std::vector<float> x, std::vector<float> y, std::int16_t u_X = 0, std::int16_t u_Y = 0)
{
    SplineData d;
    d.x = std::move(x);
    d.y = std::move(y);
    d.u_X = u_X;
    d.u_Y = u_Y;
    return d;
}

TEST(CurveSamples, SplineSamplesLieOnTheSplineInTheUnitsShown)
{
    ScriptedPort port;
    // X is a pressure shown in unit 1, Y a mass flow in base units.
    const SplineData d = spline_of({0, 10, 20, 30}, {0, 1, 4, 9}, 1, 0);
    const SplineSamples s = sample_spline(d, kCsfFsp, "rise");
    ASSERT_TRUE(s.built);
    EXPECT_TRUE(s.failed.empty());
    ASSERT_EQ(s.passed.size(), 1u);
    const CurveRun& run = s.passed.front();
    ASSERT_EQ(run.size(), 3u * kSamplesPerSegment + 1);

    SplineTable table(4);
    for (std::size_t i = 0; i < 4; ++i) {
        table[i].x = convert_units(d.x[i], true, UnitKind::PressureDifference, 1);
        table[i].y = d.y[i];
        EXPECT_DOUBLE_EQ(s.points.x[i], table[i].x);
    }
    ASSERT_EQ(spline_build(table), 0);
    EXPECT_DOUBLE_EQ(run.x.front(), table[0].x);
    EXPECT_DOUBLE_EQ(run.x.back(), table[3].x);
    std::size_t hint = 0;
    for (std::size_t k : {std::size_t{5}, std::size_t{16}, std::size_t{23}, std::size_t{40}}) {
        EXPECT_DOUBLE_EQ(run.y[k], spline_eval(run.x[k], table, hint).y) << "sample " << k;
        EXPECT_GT(run.x[k], run.x[k - 1]);
    }
    EXPECT_TRUE(port.boxes.empty());
}

TEST(CurveSamples, FailedSegmentsFormTheirOwnRunJoinedToTheirNeighbours)
{
    ScriptedPort port;
    // The middle segment runs from a slope of 1 down to 0.5 below and back up.
    const SplineData d = spline_of({0, 1, 2, 3}, {0, 1, 0.5f, 1.5f});
    const SplineSamples s = sample_spline(d, kCsfFsp, "dip");
    ASSERT_TRUE(s.built);
    EXPECT_EQ(s.segment_failed, (std::vector<bool>{false, true, false}));
    ASSERT_EQ(s.passed.size(), 2u);
    ASSERT_EQ(s.failed.size(), 1u);
    const CurveRun& failed = s.failed.front();
    EXPECT_DOUBLE_EQ(failed.x.front(), 1.0);
    EXPECT_DOUBLE_EQ(failed.x.back(), 2.0);
    EXPECT_DOUBLE_EQ(s.passed[0].x.back(), failed.x.front());
    EXPECT_DOUBLE_EQ(s.passed[1].x.front(), failed.x.back());
    EXPECT_DOUBLE_EQ(s.passed[1].y.back(), 1.5);
    // The same verdict as OK's point test.
    SplineData copy = d;
    EXPECT_FALSE(SplinePointList(copy, kCsfFsp).check("dip").accepted);
}

TEST(CurveSamples, PointsThatMakeNoSplineAreDrawnWithoutABox)
{
    ScriptedPort port;
    const SplineData d = spline_of({1, 2, 2, 3}, {1, 2, 3, 4});
    const SplineSamples s = sample_spline(d, kCsfQsp, "same");
    EXPECT_FALSE(s.built);
    EXPECT_EQ(s.points.size(), 4u);
    EXPECT_TRUE(s.passed.empty());
    EXPECT_TRUE(s.failed.empty());
    EXPECT_TRUE(port.boxes.empty());
}

// dP = 400 - 50 F - 20 F^2 - 10 F^3, falling everywhere, through five points.
FanData falling_fan()
{
    FanData fan;
    for (float f : {0.5f, 1.0f, 1.5f, 2.0f, 2.4f}) {
        const float dp = 400 - 50 * f - 20 * f * f - 10 * f * f * f;
        fan.points.push_back({f, 0, dp + 5, 0, dp, 0});
    }
    return fan;
}

TEST(CurveSamples, FanCurveRunsFromShutOffToFreeDeliveryAsOkStoresThem)
{
    ScriptedPort port;
    const FanData fan = falling_fan();
    FanData accepted = fan;
    ASSERT_TRUE(fit_fan_curve(accepted).accepted);

    const std::int16_t pa = 0, other = 1;
    const FanSamples s = sample_fan_curve(fan, 0, other);
    ASSERT_TRUE(s.monotonic);
    ASSERT_EQ(s.curve.size(), static_cast<std::size_t>(kFanCurveSamples) + 1);
    EXPECT_DOUBLE_EQ(s.curve.x.front(), 0.0);
    EXPECT_NEAR(s.curve.y.front(), convert_units(accepted.c[0], true, UnitKind::PressureDifference, other),
                1e-4 * std::fabs(s.curve.y.front()));
    EXPECT_NEAR(s.curve.x.back(), accepted.fdf, 1e-5);
    const FanSamples base = sample_fan_curve(fan, 0, pa);
    EXPECT_NEAR(base.curve.y.front(), 400, 0.01);
    EXPECT_NEAR(base.curve.y.back(), 0, 0.01);
    // The points: both rises at each flow.
    ASSERT_EQ(base.rise.size(), 5u);
    EXPECT_DOUBLE_EQ(base.rise.y[0] - base.revised.y[0], 5.0);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(CurveSamples, FanCurveThatTurnsEndsAtTheLargestFlowAndTooFewFlowsDrawNoCurve)
{
    ScriptedPort port;
    FanData fan;
    for (float f : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f}) fan.points.push_back({f, 0, 100 - (f - 2) * (f - 2), 0, 100 - (f - 2) * (f - 2), 0});
    const FanSamples turning = sample_fan_curve(fan, 0, 0);
    EXPECT_FALSE(turning.monotonic);
    ASSERT_FALSE(turning.curve.x.empty());
    EXPECT_DOUBLE_EQ(turning.curve.x.back(), 4.0);

    fan.points[1].F = fan.points[2].F;  // only four distinct flows remain
    fan.points[3].F = fan.points[4].F;  // and now three
    const FanSamples few = sample_fan_curve(fan, 0, 0);
    EXPECT_TRUE(few.curve.x.empty());
    EXPECT_EQ(few.revised.size(), 5u);
    EXPECT_TRUE(port.boxes.empty());
}

}  // namespace
}  // namespace avelor
