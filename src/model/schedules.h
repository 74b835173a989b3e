// Day, week and occupancy schedules: how values and occupants' places vary
// through a day and over the day types of a week.
//
// Times are seconds of the day, 0 to 86400. A day schedule's values are in
// the base unit of its unit kind (a fraction for dimensionless schedules,
// kelvin for temperatures). Zones, flow paths, junctions, duct segments,
// sources and exposures refer to week schedules; a week schedule names the
// day schedule of each of its twelve day types.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "app/text_convert.h"
#include "model/records.h"

namespace avelor {

inline constexpr int kDayTypes = 12;

// The unit kinds a schedule's values may have.
inline constexpr std::int16_t kScheduleDimensionless = 1;
inline constexpr std::int16_t kScheduleTemperature = 5;

// Bit 0 of a day schedule's shape: 0 rectangular, 1 trapezoidal. The other
// bits are kept as read.
inline constexpr std::int16_t kShapeTrapezoidal = 0x01;

struct SchedulePoint {
    std::int32_t time = 0;  // s of the day
    float value = 0;        // base unit
    bool operator==(const SchedulePoint&) const = default;
};

struct DaySchedule : NamedLink<DaySchedule> {
    std::int16_t shap = 0;
    std::int16_t utyp = kScheduleDimensionless;
    std::int16_t ucnv = 0;
    std::vector<SchedulePoint> points;  // times rising, first 0, last 86400

    bool trapezoidal() const { return (shap & kShapeTrapezoidal) != 0; }
};

struct WeekSchedule : NamedLink<WeekSchedule> {
    std::int16_t utyp = kScheduleDimensionless;
    std::int16_t ucnv = 0;
    // Day types 1..12: "Sunday" .. "Saturday", then "8" .. "12".
    std::array<DaySchedule*, kDayTypes> days{};
};

struct OccupancyPoint {
    std::int32_t time = 0;
    ZoneRef zone;  // none, the ambient or a zone
    float X = 0, Y = 0, Z = 0;  // m, within a one-dimensional zone
};

struct OccupancySchedule : NamedLink<OccupancySchedule> {
    std::int16_t u_length = 0;  // display unit of X, Y and Z
    std::vector<OccupancyPoint> points;
};

// The captions of the twelve day types, index 0 for day type 1.
const std::array<std::string_view, kDayTypes>& day_type_names();

// A new day schedule: 00:00:00 and 24:00:00 at 1, rectangular, in the
// given unit kind and unit.
DaySchedule new_day_schedule(std::int16_t utyp, std::int16_t ucnv);
WeekSchedule new_week_schedule(std::int16_t utyp, std::int16_t ucnv);
// A new occupancy schedule: nobody at 00:00:00 and 24:00:00.
OccupancySchedule new_occupancy_schedule(std::int16_t u_length);

// The value at a time of day (0..86400; times outside are clamped). A
// rectangular schedule holds each value until the next point's time; a
// trapezoidal one changes linearly between points. A schedule without
// points has the value 1 (that of a new schedule).
double day_schedule_value(const DaySchedule& schedule, double seconds);

// The day schedule a week schedule uses on a day type (1..12; others are
// taken modulo 12 into that range), or null where the week leaves it unset.
const DaySchedule* day_of_week(const WeekSchedule& week, int day_type);

// The week schedule's value on a day type at a time of day; 1 when the
// day type has no day schedule.
double week_schedule_value(const WeekSchedule& week, int day_type, double seconds);

// The occupant's point in effect at a time of day: the last point whose
// time is not after it. Null for a schedule without points.
const OccupancyPoint* occupancy_at(const OccupancySchedule& schedule, double seconds);

// Point lists edited in the schedule dialogs. Inserting a point at the time
// of an existing one replaces it; otherwise it goes between the points whose
// times enclose it. Only points that are neither the first nor the last can
// be deleted; false when index names no such point.
void insert_schedule_point(std::vector<SchedulePoint>& points, const SchedulePoint& point);
bool delete_schedule_point(std::vector<SchedulePoint>& points, std::size_t index);
void insert_occupancy_point(std::vector<OccupancyPoint>& points, const OccupancyPoint& point);
bool delete_occupancy_point(std::vector<OccupancyPoint>& points, std::size_t index);
// The day closes where the occupant last was: the point at 24:00:00 takes
// the zone of the point before it.
void close_occupancy_day(std::vector<OccupancyPoint>& points);

// What refers to a definition, for the refusal to delete one in use: one
// line per user ("zone Office", "path 12", "week schedule Weekly").
class Project;
std::vector<std::string> users_of(const Project& project, const DaySchedule& day);
std::vector<std::string> users_of(const Project& project, const WeekSchedule& week);
std::vector<std::string> users_of(const Project& project, const OccupancySchedule& schedule);

}  // namespace avelor
