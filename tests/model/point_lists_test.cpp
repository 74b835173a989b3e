#include "model/point_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

TEST(PointList, SplineInsertReplacesNearlyEqualXAndSorts)
{
    SplineData d;
    SplinePointList list(d, kCsfFsp);
    list.insert(200, 2);
    list.insert(100, 1);
    list.insert(300, 3);
    EXPECT_EQ(d.x, (std::vector<float>{100, 200, 300}));
    // 5e-5 apart: within one part in a million of the sum 200.00005.
    list.insert(100.00005f, 5);
    EXPECT_EQ(d.x, (std::vector<float>{100.00005f, 200, 300}));
    EXPECT_EQ(d.y, (std::vector<float>{5, 2, 3}));
    list.insert(200, 7);
    EXPECT_EQ(d.y, (std::vector<float>{5, 7, 3}));
    list.insert(100.1f, 4);
    EXPECT_EQ(d.x, (std::vector<float>{100.00005f, 100.1f, 200, 300}));
    list.replace(0, 400, 9);
    EXPECT_EQ(d.x, (std::vector<float>{100.1f, 200, 300, 400}));
    EXPECT_EQ(d.y.back(), 9);
}

TEST(PointList, SplineButtons)
{
    SplineData d;
    SplinePointList list(d, kCsfFsp);
    EXPECT_FALSE(list.can_replace());
    for (int i = 1; i <= 4; ++i) list.insert(static_cast<float>(i), 0);
    EXPECT_TRUE(list.can_replace());
    EXPECT_FALSE(list.can_delete()) << "four points are the least a spline needs";
    list.insert(5, 0);
    EXPECT_TRUE(list.can_delete());
    for (int i = 6; i <= 256; ++i) list.insert(static_cast<float>(i), 0);
    EXPECT_FALSE(list.can_insert());
    list.insert(1000, 0);
    EXPECT_EQ(list.size(), 256u);
    list.remove(0);
    EXPECT_EQ(d.x.front(), 2);
}

// Each row: the separating blank, then the padding of the field's width.
TEST(PointList, SplineRowsShowTheChosenUnits)
{
    SplineData d;
    SplinePointList list(d, kCsfFsp);
    list.insert(24.884f, 0.5f);
    EXPECT_EQ(list.row_text(0, false), " 2.488e+01" + std::string(1 + 25, ' ') + "0.500");
    list.set_units(1, 8);  // in. H20 and kg/h
    EXPECT_EQ(list.row_text(0, true), " 1.000e-01" + std::string(1 + 21, ' ') + "1.800e+03");
}

TEST(PointList, SplineCheckMessages)
{
    {
        ScriptedPort port;
        SplineData d{{1, 2, 3}, {1, 2, 3}, 0, 0};
        const ElementVerdict v = SplinePointList(d, kCsfFsp).check("s");
        EXPECT_FALSE(v);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "WARNING");
        EXPECT_EQ(port.boxes[0].text, " Minimum of 4 points required.\n");
    }
    {
        ScriptedPort port;
        SplineData d{{0, 1, 2, 3}, {4, 3, 1, 0}, 0, 0};
        const ElementVerdict v = SplinePointList(d, kCsfQsp).check("s");
        EXPECT_FALSE(v);
        EXPECT_EQ(v.text, "Unacceptable curve fit.\n  seg   0: y' <= 0\n  seg   1: y' <= 0\n  seg   2: y' <= 0");
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text, " " + v.text + "\n");
    }
    {
        ScriptedPort port;
        SplineData d{{0, 1, 2, 3}, {0, 1, 4, 9}, 0, 0};
        EXPECT_TRUE(SplinePointList(d, kCsfPsf).check("s"));
        EXPECT_TRUE(port.boxes.empty());
    }
}

TEST(PointList, SplineFailureListStopsAtAWholeLine)
{
    ScriptedPort port;
    SplineData d;
    for (int i = 0; i < 40; ++i) {
        d.x.push_back(static_cast<float>(i));
        d.y.push_back(static_cast<float>(100 - i));
    }
    const ElementVerdict v = SplinePointList(d, kCsfFsp).check("s");
    // "Unacceptable curve fit." (23) and twelve lines of 19 fit a box.
    EXPECT_EQ(v.text.size(), 23u + 12 * 19);
    EXPECT_EQ(v.text.substr(v.text.size() - 19), "\n  seg  11: y' <= 0");
}

TEST(PointList, FanEntryRevisedRiseFollowsTheRise)
{
    FanPointEntry entry;
    entry.set_rise(300);
    EXPECT_FLOAT_EQ(entry.revised, 300);
    entry.revised = 280;
    EXPECT_FLOAT_EQ(entry.rise, 300);
}

TEST(PointList, FanPointsStaySortedAndCountOnlyRealPoints)
{
    FanData fan;
    FanPointList list(fan, 8, 1);
    list.insert({2, 300, 300});
    list.insert({0, 500, 500});
    list.insert({1, 410, 400});
    list.insert({0, 0, 0});  // not a point
    ASSERT_EQ(list.size(), 3u);
    EXPECT_FLOAT_EQ(list.point(0).F, 0);
    EXPECT_FLOAT_EQ(list.point(1).rP, 400);
    EXPECT_EQ(list.point(2).u_F, 8);
    EXPECT_EQ(list.point(2).u_R, 1);

    list.replace(0, {3, 0, 0});  // no longer a point: flow 3 stays one
    EXPECT_FLOAT_EQ(list.point(2).F, 3);
    list.replace(2, {0, 0, 0});
    EXPECT_EQ(list.size(), 2u);

    for (float F : {4.0f, 5.0f, 6.0f}) list.insert({F, 100, 100});
    EXPECT_TRUE(list.can_delete());
    for (float F : {7.0f, 8.0f, 9.0f, 10.0f, 11.0f}) list.insert({F, 10, 10});
    EXPECT_EQ(list.size(), 10u);
    EXPECT_FALSE(list.can_insert());
}

TEST(PointList, FanUnitsApplyToEveryPointAndRows)
{
    FanData fan;
    FanPointList list(fan, 0, 0);
    list.insert({1, 248.84f, 124.42f});
    list.insert({2, 100, 100});
    list.set_units(8, 1);  // kg/h, in. H20
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.point(i).u_F, 8);
        EXPECT_EQ(list.point(i).u_P, 1);
        EXPECT_EQ(list.point(i).u_R, 1);
    }
    EXPECT_EQ(list.row_text(0), "  3600.000" + std::string(1 + 15, ' ') + "1.000" + std::string(1 + 15, ' ') + "0.500");
}

TEST(PointList, FanOkFitsOrRefuses)
{
    {
        ScriptedPort port;
        FanData fan;
        FanPointList list(fan, 0, 0);
        for (float F : {1.0f, 2.0f, 3.0f}) list.insert({F, 100, 100});
        EXPECT_FALSE(list.accept());
        EXPECT_TRUE(port.boxes.empty()) << "fewer than four points: OK does nothing";
    }
    {
        ScriptedPort port;
        FanData fan;
        FanPointList list(fan, 0, 0);
        for (float F : {0.0f, 1.0f, 2.0f, 3.0f}) list.insert({F, 100 + 50 * F - 10 * F * F, 100 + 50 * F - 10 * F * F});
        EXPECT_FALSE(list.accept());
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].text,
                  " The fitted curve includes points of contraflecture. Either modify the fan "
                  "curve or CANCEL.\n");
        EXPECT_FLOAT_EQ(fan.sop, 0) << "nothing stored";
    }
    {
        ScriptedPort port;
        FanData fan;
        FanPointList list(fan, 0, 0);
        // dP = 500 - 100F + 20F^2 - 10F^3 falls everywhere: 20^2 < 3(-100)(-10).
        for (float F : {0.0f, 1.0f, 2.0f, 3.0f}) {
            const float dP = 500 - 100 * F + 20 * F * F - 10 * F * F * F;
            list.insert({F, dP, dP});
        }
        EXPECT_TRUE(list.accept());
        EXPECT_TRUE(port.boxes.empty());
        EXPECT_NEAR(fan.c[2], 20, 1e-3);
        EXPECT_FLOAT_EQ(fan.sop, fan.c[0]);
        const double F = fan.fdf;
        EXPECT_NEAR(500 - 100 * F + 20 * F * F - 10 * F * F * F, 0, 0.01) << "the free delivery flow is the root";
    }
}

}  // namespace
}  // namespace avelor
