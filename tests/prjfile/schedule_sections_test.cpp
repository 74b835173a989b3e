#include "prjfile/schedule_sections.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Reads a section's text from a file through the data-file reader.
int read_text(const std::string& text, const std::function<void(DataReader&)>& read)
{
    const std::string path = ::testing::TempDir() + "avelor_schedule_sections_test.txt";
    std::ofstream(path, std::ios::binary) << text;
    reset_error_count();
    DataReader in;
    if (in.open(path, 1) != 0) return -1;
    read(in);
    in.close();
    std::remove(path.c_str());
    return error_count();
}

// Two zones for the occupancy schedules to name.
struct TwoZones {
    TwoZones()
    {
        for (const char* name : {"Office", "Hall"}) {
            Zone z;
            z.name = name;
            project.zones.add(z);
        }
    }
    Project project;
};

// Two day schedules out of name order in the file ("night" before
// "Day"), odd spacing, a temperature schedule, a shape with bit 1 set.
const char* const kDays = R"(3 ! day-schedules:
! # npts shap utyp ucnv name
  1    3    2    1    0 night
fan off at night
 00:00:00 0
 6:00:00   0.5
 24:00:00 1
2 2 1 5 1 Day
supply temperature
00:00:00 293.15
24:00:00 295.15
  3    2    0    1    0 zeta

 00:00:00 1
 24:00:00 1
-999
)";

const char* const kDaysWritten = R"(3 ! day-schedules:
! # npts shap utyp ucnv name
  1    2    1    5    1 Day
supply temperature
 00:00:00 293.15
 24:00:00 295.15
  2    3    2    1    0 night
fan off at night
 00:00:00 0
 06:00:00 0.5
 24:00:00 1
  3    2    0    1    0 zeta

 00:00:00 1
 24:00:00 1
-999
)";

TEST(ScheduleSections, SchedulesRoundTripByNumberAndByName)
{
    ScriptedPort port;
    TwoZones z;
    Project& p = z.project;
    ASSERT_EQ(read_text(kDays, [&](DataReader& in) { read_day_schedules_section(in, p.day_schedules); }), 0);
    // The week refers to the file's numbers: 1 is "night", 2 is "Day".
    const char* const weeks = "1 ! week-schedules:\n! # utyp ucnv name\n  1 0 0  weekly\nfans\n"
                              " 1 2 2 2 2 2 1 1 1 1 1 3\n-999\n";
    ASSERT_EQ(read_text(weeks, [&](DataReader& in) {
                  read_week_schedules_section(in, p.week_schedules, p.day_schedules);
              }),
              0);
    const WeekSchedule* w = p.week_schedules.head();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->utyp, kScheduleDimensionless) << "a unit type of 0 becomes dimensionless";
    EXPECT_EQ(w->days[0]->name, "night");
    EXPECT_EQ(w->days[1]->name, "Day");
    EXPECT_EQ(w->days[11]->name, "zeta");

    // Written back in name order, the week's numbers follow the renumbering.
    TextWriter out;
    write_day_schedules_section(out, p.day_schedules);
    write_week_schedules_section(out, p.week_schedules, p.day_schedules);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(out.text(), std::string(kDaysWritten) +
                              "1 ! week-schedules:\n! # utyp ucnv name\n  1    1    0 weekly\nfans\n"
                              " 2 1 1 1 1 1 2 2 2 2 2 3\n-999\n");
}

TEST(ScheduleSections, OccupancyZonesAndTheClosingPoint)
{
    ScriptedPort port;
    TwoZones z;
    Project& p = z.project;
    const char* const text = "1 ! occupancy schedules:\n1 4 0 worker\nat the desk\n"
                             " 00:00:00 -1 0 0 0\n 08:00:00 2 1.5 2.25 0\n 17:00:00 1   0 0 0\n"
                             " 24:00:00 0 0 0 0\n-999\n";
    ASSERT_EQ(read_text(text, [&](DataReader& in) {
                  read_occupancy_section(in, p.occupancy_schedules, p.zones);
              }),
              0);
    const OccupancySchedule* o = p.occupancy_schedules.head();
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(o->points.size(), 4u);
    EXPECT_TRUE(o->points[0].zone.is_ambient());
    EXPECT_EQ(o->points[1].zone.zone()->name, "Hall");
    EXPECT_EQ(o->points[3].zone.zone()->name, "Office") << "24:00:00 takes the zone before it";

    TextWriter out;
    write_occupancy_section(out, p.occupancy_schedules, p.zones);
    EXPECT_EQ(out.text(), "1 ! occupancy schedules:\n1 4 0 worker\nat the desk\n"
                          " 00:00:00 -1   0.000   0.000   0.000\n 08:00:00 2   1.500   2.250   0.000\n"
                          " 17:00:00 1   0.000   0.000   0.000\n 24:00:00 1   0.000   0.000   0.000\n-999\n");
}

// Each damaged section is a counted error with its message, never an exit.
TEST(ScheduleSections, DamagedRecordsAreCountedErrors)
{
    struct Case {
        const char* what;
        const char* text;
        int section;  // 0 day, 1 week, 2 occupancy
        const char* message;
    };
    const Case cases[] = {
        {"number out of place", "1 ! day-schedules:\n2 2 0 1 0 a\n\n00:00:00 1\n24:00:00 1\n-999\n", 0,
         "Day-schedule number mis-match: 1"},
        {"no points", "1 ! day-schedules:\n1 0 0 1 0 a\n\n-999\n", 0, "Invalid number of points, day-schedule 1: 0"},
        {"huge point count", "1 ! day-schedules:\n1 2000000000 0 1 0 a\n\n-999\n", 0,
         "Invalid number of points, day-schedule 1: 2000000000"},
        {"time going back", "1 ! day-schedules:\n1 3 0 1 0 a\n\n00:00:00 1\n12:00:00 1\n06:00:00 1\n-999\n", 0,
         "Point times must rise through the day, day-schedule 1: 06:00:00"},
        {"unknown unit type", "1 ! day-schedules:\n1 2 0 7 0 a\n\n00:00:00 1\n24:00:00 1\n-999\n", 0,
         "Invalid unit type, day-schedule 1"},
        {"day 0", "1 ! week-schedules:\n1 1 0 w\n\n 0 1 1 1 1 1 1 1 1 1 1 1\n-999\n", 1, "Bad day-schedule: 0"},
        {"missing end", "1 ! week-schedules:\n1 1 0 w\n\n 1 1 1 1 1 1 1 1 1 1 1 1\n7\n", 1,
         "PRJ read error; see LOG file"},
        {"zone 3 of 2", "1 ! occupancy schedules:\n1 2 0 o\n\n 00:00:00 3 0 0 0\n 24:00:00 0 0 0 0\n-999\n", 2,
         "Invalid zone number, Occ 1"},
        {"24:00:00 first", "1 ! occupancy schedules:\n1 2 0 o\n\n 24:00:00 0 0 0 0\n 24:00:00 0 0 0 0\n-999\n", 2,
         "Occupancy schedule 1: the point at 24:00:00 has no point before it to take its zone from"},
        {"misspelt number", "1 ! occupancy schedules:\n2 2 0 o\n\n 00:00:00 0 0 0 0\n 24:00:00 0 0 0 0\n-999\n", 2,
         "Occpancy-schedule number mis-match: 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        TwoZones z;
        Project& p = z.project;
        // One day schedule for the weeks to refer to.
        p.day_schedules.insert_copy(new_day_schedule(kScheduleDimensionless, 0))->nr = 1;
        const int errors = read_text(c.text, [&](DataReader& in) {
            if (c.section == 0) read_day_schedules_section(in, p.day_schedules);
            if (c.section == 1) read_week_schedules_section(in, p.week_schedules, p.day_schedules);
            if (c.section == 2) read_occupancy_section(in, p.occupancy_schedules, p.zones);
        });
        EXPECT_GT(errors, 0);
        bool found = false;
        for (const auto& box : port.boxes) found = found || box.text.find(c.message) != std::string::npos;
        EXPECT_TRUE(found) << "expected: " << c.message << (port.boxes.empty() ? "" : "\nfirst: " + port.boxes[0].text);
    }
}

TEST(ScheduleSections, WriterNamesAWeekWithAnUnsetDay)
{
    ScriptedPort port;
    Project p;
    WeekSchedule w = new_week_schedule(kScheduleDimensionless, 0);
    w.name = "holey";
    p.week_schedules.insert_copy(w);
    reset_error_count();
    TextWriter out;
    write_week_schedules_section(out, p.week_schedules, p.day_schedules);
    EXPECT_EQ(error_count(), 1);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes[0].text.find("Bad week-schedule: holey"), std::string::npos);
}

}  // namespace
}  // namespace avelor
