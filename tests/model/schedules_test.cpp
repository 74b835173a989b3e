#include "model/schedules.h"

#include <gtest/gtest.h>

#include "model/project.h"

namespace avelor {
namespace {

// A fan schedule: off at night, ramped up from 06:00 to 08:00, off again
// from 20:00.
DaySchedule fan_day(bool trapezoidal)
{
    DaySchedule d = new_day_schedule(kScheduleDimensionless, 0);
    d.shap = trapezoidal ? kShapeTrapezoidal : 0;
    d.points = {{0, 0}, {6 * 3600, 0}, {8 * 3600, 1}, {20 * 3600, 0}, {86400, 0}};
    return d;
}

TEST(Schedules, RectangularHoldsAndTrapezoidalInterpolates)
{
    struct Case {
        double t;
        double rectangular;
        double trapezoidal;
    };
    const Case cases[] = {
        {0, 0, 0},           {3 * 3600, 0, 0},    {6 * 3600, 0, 0},  {7 * 3600, 0, 0.5},
        {7.5 * 3600, 0, 0.75}, {8 * 3600, 1, 1},  {19 * 3600, 1, 1.0 / 12},
        {20 * 3600, 0, 0},   {86400, 0, 0},       {-5, 0, 0},        {90000, 0, 0},
    };
    const DaySchedule r = fan_day(false);
    const DaySchedule t = fan_day(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_DOUBLE_EQ(day_schedule_value(r, c.t), c.rectangular);
        EXPECT_NEAR(day_schedule_value(t, c.t), c.trapezoidal, 1e-12);
    }
}

TEST(Schedules, WeekPicksTheDayOfTheDayType)
{
    DaySchedule weekday = fan_day(false);
    DaySchedule weekend = new_day_schedule(kScheduleDimensionless, 0);
    weekend.points = {{0, 0.25f}, {86400, 0.25f}};
    WeekSchedule w = new_week_schedule(kScheduleDimensionless, 0);
    for (int k = 0; k < kDayTypes; ++k) w.days[static_cast<std::size_t>(k)] = &weekday;
    w.days[0] = &weekend;  // Sunday
    w.days[6] = &weekend;  // Saturday
    EXPECT_DOUBLE_EQ(week_schedule_value(w, 1, 12 * 3600), 0.25);
    EXPECT_DOUBLE_EQ(week_schedule_value(w, 2, 12 * 3600), 1.0);
    EXPECT_DOUBLE_EQ(week_schedule_value(w, 7, 12 * 3600), 0.25);
    EXPECT_DOUBLE_EQ(week_schedule_value(w, 13, 12 * 3600), 0.25) << "day types wrap round twelve";
    w.days[1] = nullptr;
    EXPECT_DOUBLE_EQ(week_schedule_value(w, 2, 3 * 3600), 1.0) << "an unset day holds the value 1";
    EXPECT_EQ(day_type_names()[0], "Sunday");
    EXPECT_EQ(day_type_names()[7], "8");
}

TEST(Schedules, PointEditsKeepTheEndsAndTheTimeOrder)
{
    std::vector<SchedulePoint> p = new_day_schedule(kScheduleDimensionless, 0).points;
    insert_schedule_point(p, {12 * 3600, 0.5f});
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].time, 12 * 3600);
    insert_schedule_point(p, {12 * 3600, 0.75f});
    ASSERT_EQ(p.size(), 3u) << "a point at an existing time replaces it";
    EXPECT_FLOAT_EQ(p[1].value, 0.75f);
    insert_schedule_point(p, {6 * 3600, 0.1f});
    EXPECT_EQ(p[1].time, 6 * 3600);
    EXPECT_FALSE(delete_schedule_point(p, 0));
    EXPECT_FALSE(delete_schedule_point(p, 3));
    EXPECT_FALSE(delete_schedule_point(p, 9));
    EXPECT_TRUE(delete_schedule_point(p, 1));
    EXPECT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].time, 12 * 3600);
}

TEST(Schedules, OccupantIsWhereTheLastPointPutThem)
{
    Zone office;
    OccupancySchedule o = new_occupancy_schedule(0);
    insert_occupancy_point(o.points, {8 * 3600, &office, 0, 0, 0});
    insert_occupancy_point(o.points, {17 * 3600, ZoneRef::ambient(), 0, 0, 0});
    EXPECT_TRUE(occupancy_at(o, 7 * 3600)->zone.is_none());
    EXPECT_EQ(occupancy_at(o, 8 * 3600)->zone.zone(), &office);
    EXPECT_TRUE(occupancy_at(o, 18 * 3600)->zone.is_ambient());
}

TEST(Schedules, UsersAreNamedForTheDeletionRefusal)
{
    Project p;
    DaySchedule* day = p.day_schedules.insert_copy(new_day_schedule(kScheduleDimensionless, 0));
    WeekSchedule week = new_week_schedule(kScheduleDimensionless, 0);
    week.name = "fans";
    week.days.fill(day);
    WeekSchedule* w = p.week_schedules.insert_copy(week);
    Zone z;
    z.name = "Office";
    z.schedule = w;
    p.zones.add(z);
    FlowPath path;
    path.schedule = w;
    p.paths.add(FlowPath{});
    p.paths.add(path);
    EXPECT_EQ(users_of(p, *day), std::vector<std::string>{"week schedule fans"});
    EXPECT_EQ(users_of(p, *w), (std::vector<std::string>{"zone Office", "path 2"}));

    // Control nodes use schedules too: a schedule node its week schedule, a
    // scheduled delay its day schedules, in a super element's list as well.
    ControlNode scheduled;
    scheduled.type = kCtSch;
    scheduled.data = ScheduleNodeData{w};
    p.controls.add(scheduled);
    SuperElement element;
    element.name = "SE_1";
    ControlNode delay;
    delay.type = kCtDls;
    delay.data = DelayScheduleData{nullptr, day};
    element.nodes.add(ControlNode{});
    element.nodes.add(delay);
    p.super_elements.insert_copy(element);
    EXPECT_EQ(users_of(p, *day),
              (std::vector<std::string>{"week schedule fans", "control node 2 of super element SE_1"}));
    EXPECT_EQ(users_of(p, *w), (std::vector<std::string>{"zone Office", "path 2", "control node 1"}));
    OccupancySchedule o = new_occupancy_schedule(0);
    EXPECT_TRUE(users_of(p, *p.occupancy_schedules.insert_copy(o)).empty());
}

}  // namespace
}  // namespace avelor

namespace avelor {
namespace {

TEST(Schedules, ReleasedZoneLeavesNoOccupantBehind)
{
    Project p;
    Zone z;
    z.name = "Office";
    Zone* office = p.zones.add(z);
    OccupancySchedule o = new_occupancy_schedule(0);
    insert_occupancy_point(o.points, {8 * 3600, office, 0, 0, 0});
    OccupancySchedule* stored = p.occupancy_schedules.insert_copy(o);
    EXPECT_TRUE(release_zone(p, office->nr));
    EXPECT_TRUE(stored->points[1].zone.is_none());
    EXPECT_FALSE(release_zone(p, 1));
}

}  // namespace
}  // namespace avelor
