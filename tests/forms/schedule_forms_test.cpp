#include "forms/schedule_forms.h"

#include <gtest/gtest.h>

#include "forms/zone_sheet.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

bool said(const ScriptedPort& port, const std::string& text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

TEST(DayScheduleForm, PointsValuesAndName)
{
    ScriptedPort port;
    Project p;
    DayScheduleForm f(new_day_schedule(kScheduleDimensionless, 0));
    EXPECT_FALSE(f.unit_selector_shown());
    EXPECT_FALSE(f.delete_enabled()) << "the first point stays";
    f.edit_time = {12, 0, 0};
    EXPECT_FALSE(f.value_field().validate("1.5")) << "a fraction lies within 0..1";
    EXPECT_FALSE(port.boxes.empty());
    ASSERT_TRUE(f.value_field().validate("0.25"));
    ASSERT_TRUE(f.insert());
    EXPECT_EQ(f.point_rows(), (std::vector<std::string>{"00:00:00  1", "12:00:00  0.25", "24:00:00  1"}));
    EXPECT_TRUE(f.delete_enabled());
    ASSERT_TRUE(f.select_point(2));
    EXPECT_FALSE(f.delete_point()) << "the last point stays";
    f.edit_time = {25, 0, 0};
    EXPECT_FALSE(f.insert());
    EXPECT_TRUE(said(port, "The time must lie between 00:00:00 and 24:00:00"));

    f.set_trapezoidal(true);
    EXPECT_EQ(f.curve(), (ScheduleCurve{{0, 1}, {12, 0.25}, {24, 1}}));
    f.set_trapezoidal(false);
    EXPECT_EQ(f.curve(), (ScheduleCurve{{0, 1}, {12, 1}, {12, 0.25}, {24, 0.25}, {24, 1}}));

    f.set_name("two words");
    EXPECT_FALSE(f.accept(p.day_schedules, nullptr));
    EXPECT_EQ(f.working().name, kRequiredName);
    f.set_name("noon");
    ASSERT_TRUE(f.accept(p.day_schedules, nullptr));
    EXPECT_EQ(p.day_schedules.head()->points.size(), 3u);
    EXPECT_TRUE(p.changed());
}

TEST(DayScheduleForm, TemperaturesShowInTheChosenUnit)
{
    ScriptedPort port;
    DaySchedule d = new_day_schedule(kScheduleTemperature, 0);
    d.points = {{0, 293.15f}, {86400, 293.15f}};
    DayScheduleForm f(d);
    ASSERT_TRUE(f.unit_selector_shown());
    const auto names = f.unit().names();
    int celsius = -1;
    for (std::size_t k = 0; k < names.size(); ++k)
        if (names[k].find("C") != std::string::npos) celsius = static_cast<int>(k);
    ASSERT_GE(celsius, 0);
    ASSERT_TRUE(f.unit().select(celsius));
    f.unit_changed();
    EXPECT_EQ(f.point_rows()[0], "00:00:00  20");
    ASSERT_TRUE(f.value_field().validate("-40")) << "temperatures are unbounded";
}

TEST(WeekScheduleForm, EveryDayMustBeSetWithADayOfItsKind)
{
    ScriptedPort port;
    Project p;
    DaySchedule warm = new_day_schedule(kScheduleTemperature, 0);
    warm.name = "warm";
    DaySchedule open = new_day_schedule(kScheduleDimensionless, 0);
    open.name = "open";
    DaySchedule* warm_day = p.day_schedules.insert_copy(warm);
    DaySchedule* open_day = p.day_schedules.insert_copy(open);
    WeekScheduleForm f(p, new_week_schedule(kScheduleDimensionless, 0));
    EXPECT_EQ(f.available(), std::vector<DaySchedule*>{open_day});
    EXPECT_FALSE(f.replace({0}, warm_day));
    f.set_name("windows");
    EXPECT_FALSE(f.display());
    EXPECT_TRUE(said(port, "All day-schedules must be set prior to display"));
    ASSERT_TRUE(f.replace({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, open_day));
    EXPECT_FALSE(f.accept(p.week_schedules, nullptr));
    EXPECT_TRUE(said(port, "All day-schedules must be set"));
    ASSERT_TRUE(f.replace({11}, open_day));
    const auto shown = f.display();
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->size(), 1u) << "a day schedule is drawn once";
    EXPECT_EQ(shown->front().first, "open: Sunday, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, 8, 9, 10, 11, 12");
    ASSERT_TRUE(f.accept(p.week_schedules, nullptr));
    EXPECT_EQ(f.day_rows()[6], (std::pair<std::string, std::string>{"Saturday", "open"}));
}

TEST(OccupancyScheduleForm, TheDayClosesWhereTheOccupantWas)
{
    ScriptedPort port;
    Project p;
    Level l;
    l.name = "ground";
    Zone z;
    z.name = "Office";
    z.level = p.levels.add(l);
    Zone* office = p.zones.add(z);
    OccupancyScheduleForm f(p, new_occupancy_schedule(0));
    ASSERT_EQ(f.zone_choices().size(), 3u);
    f.edit_time = {9, 0, 0};
    f.edit_zone = 2;
    ASSERT_TRUE(f.insert());
    EXPECT_EQ(f.point_rows()[1], (std::vector<std::string>{"09:00:00", "0", "0", "0", "ground", "Office"}));
    f.set_name("clerk");
    ASSERT_TRUE(f.accept(p.occupancy_schedules, nullptr));
    EXPECT_EQ(f.stored()->points.back().zone.zone(), office);
}

TEST(ScheduleManager, SchedulesInUseAreNotDeleted)
{
    ScriptedPort port;
    Project p;
    DaySchedule d = new_day_schedule(kScheduleDimensionless, 0);
    d.name = "open";
    DaySchedule* day = p.day_schedules.insert_copy(d);
    WeekSchedule w = new_week_schedule(kScheduleDimensionless, 0);
    w.name = "windows";
    w.days.fill(day);
    WeekSchedule* week = p.week_schedules.insert_copy(w);
    FlowPath path;
    path.schedule = week;
    p.paths.add(path);
    EXPECT_EQ(schedule_entries(p, ScheduleKind::Week, kScheduleDimensionless).size(), 1u);
    EXPECT_TRUE(schedule_entries(p, ScheduleKind::Week, kScheduleTemperature).empty());

    EXPECT_FALSE(delete_schedule(p, ScheduleKind::Day, "open"));
    EXPECT_TRUE(said(port, "It is used by:\nweek schedule windows"));
    EXPECT_FALSE(delete_schedule(p, ScheduleKind::Week, "windows"));
    EXPECT_TRUE(said(port, "\npath 1"));
    p.paths.at(1)->schedule = nullptr;
    EXPECT_TRUE(delete_schedule(p, ScheduleKind::Week, "windows"));
    EXPECT_TRUE(delete_schedule(p, ScheduleKind::Day, "open"));
    EXPECT_EQ(p.day_schedules.count(), 0);
}

TEST(SchedulePage, OffersTheWeekSchedulesOfItsKind)
{
    Project p;
    WeekSchedule heat = new_week_schedule(kScheduleTemperature, 0);
    heat.name = "heat";
    WeekSchedule fans = new_week_schedule(kScheduleDimensionless, 0);
    fans.name = "fans";
    WeekSchedule* h = p.week_schedules.insert_copy(heat);
    WeekSchedule* fan = p.week_schedules.insert_copy(fans);
    SchedulePage page = SchedulePage::make(p, UnitKind::Dimensionless, {}, nullptr, false);
    EXPECT_EQ(page.schedule_choices(), (std::vector<std::string>{" <none>", "fans"}));
    ASSERT_TRUE(page.choose_schedule(1));
    EXPECT_EQ(page.chosen(), fan);
    EXPECT_EQ(page.control_status(), "Controlled by a schedule");
    // A file may have given a path a temperature schedule: it is still shown.
    SchedulePage odd = SchedulePage::make(p, UnitKind::Dimensionless, {}, h, false);
    EXPECT_EQ(odd.chosen(), h);
    odd.reload(p, nullptr);
    EXPECT_EQ(odd.schedule_choices().size(), 2u);
    EXPECT_EQ(odd.chosen(), nullptr);
}

}  // namespace
}  // namespace avelor
