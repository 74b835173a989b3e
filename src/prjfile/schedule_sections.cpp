#include "prjfile/schedule_sections.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/units.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

// A point count is a 16-bit number in the file; every schedule has at least
// its 00:00:00 and 24:00:00 points.
constexpr std::int32_t kMinPoints = 2;
constexpr std::int32_t kMaxPoints = 32767;

std::string nr_text(std::int32_t n) { return std::to_string(n); }

// The point count of a record, or 0 after reporting a count no schedule can
// have, so that no storage is sized from it.
std::int32_t read_point_count(DataReader& in, const char* what, std::int32_t nr)
{
    const std::int32_t n = in.read_int();
    if (n >= kMinPoints && n <= kMaxPoints) return n;
    report_error(ERROR, {"Invalid number of points, ", what, " ", nr_text(nr), ": ", nr_text(n)});
    return 0;
}

// Times run from 00:00:00 to 24:00:00 and never back.
void check_point_time(std::int32_t time, std::int32_t previous, const char* what, std::int32_t nr)
{
    if (time < 0 || time > kSecondsInDay || time < previous)
        report_error(ERROR, {"Point times must rise through the day, ", what, " ", nr_text(nr), ": ",
                             time_text(std::clamp(time, 0, kSecondsInDay))});
}

void check_unit(std::int16_t& index, UnitKind kind, const char* what, std::int32_t nr)
{
    if (unit_index_valid(kind, index)) return;
    report_error(ERROR, {"Invalid units index, ", what, " ", nr_text(nr)});
    index = 0;
}

int zone_number(const ZoneRef& ref)
{
    if (ref.is_ambient()) return -1;
    return ref.zone() ? ref.zone()->nr : 0;
}

}  // namespace

// --- day schedules ---------------------------------------------------------

void write_day_schedules_section(TextWriter& out, NamedList<DaySchedule>& days)
{
    days.renumber();
    out.printf("%d ! day-schedules:\n", days.count());
    if (days.count() != 0) out.write("! # npts shap utyp ucnv name\n");
    for (const DaySchedule& d : days) {
        out.printf("%3d %4d %4d %4d %4d %s\n%s\n", d.nr, static_cast<int>(d.points.size()), d.shap,
                   d.utyp, d.ucnv, d.name.c_str(), description_to_line(d.desc).c_str());
        for (const SchedulePoint& p : d.points)
            out.printf(" %s %g\n", time_text(p.time).c_str(), static_cast<double>(p.value));
    }
    out.printf("%d\n", kSectionEnd);
}

void read_day_schedules_section(DataReader& in, NamedList<DaySchedule>& days)
{
    const std::int32_t count = in.read_int();
    if (count < 0) report_error(ERROR, {"Invalid number of day-schedules: ", nr_text(count)});
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        DaySchedule d;
        d.nr = in.read_int();
        if (d.nr != i) report_error(ERROR, {"Day-schedule number mis-match: ", nr_text(i)});
        const std::int32_t npts = read_point_count(in, "day-schedule", i);
        d.shap = in.read_short();
        d.utyp = in.read_short();
        d.ucnv = in.read_short();
        d.name = read_definition_name(in);
        d.desc = read_definition_description(in);
        if (d.utyp != kScheduleDimensionless && d.utyp != kScheduleTemperature) {
            report_error(ERROR, {"Invalid unit type, day-schedule ", nr_text(i)});
            break;
        }
        check_unit(d.ucnv, static_cast<UnitKind>(d.utyp), "day-schedule", i);
        d.points.reserve(static_cast<std::size_t>(npts));
        std::int32_t previous = 0;
        for (std::int32_t k = 0; k < npts && error_count() == 0; ++k) {
            SchedulePoint p;
            p.time = in.read_time(FieldKind::FirstOfNextLine);
            p.value = in.read_float();
            check_point_time(p.time, previous, "day-schedule", i);
            previous = p.time;
            d.points.push_back(p);
        }
        if (error_count() != 0) break;
        days.insert_copy(d);
    }
    if (error_count() == 0) read_section_end(in);
}

// --- week schedules --------------------------------------------------------

void write_week_schedules_section(TextWriter& out, NamedList<WeekSchedule>& weeks,
                                  const NamedList<DaySchedule>& days)
{
    weeks.renumber();
    out.printf("%d ! week-schedules:\n", weeks.count());
    if (weeks.count() != 0) out.write("! # utyp ucnv name\n");
    for (const WeekSchedule& w : weeks) {
        out.printf("%3d %4d %4d %s\n%s\n", w.nr, w.utyp, w.ucnv, w.name.c_str(),
                   description_to_line(w.desc).c_str());
        bool bad = false;
        for (const DaySchedule* d : w.days) {
            const int n = d ? d->nr : 0;
            if (n < 1 || n > days.count()) bad = true;
            out.printf(" %d", n);
        }
        out.write("\n");
        if (bad) report_error(ERROR, {"Bad week-schedule: ", w.name});
    }
    out.printf("%d\n", kSectionEnd);
}

void read_week_schedules_section(DataReader& in, NamedList<WeekSchedule>& weeks,
                                 const NamedList<DaySchedule>& days)
{
    const std::vector<DaySchedule*> by_number = days.by_number();
    const std::int32_t count = in.read_int();
    if (count < 0) report_error(ERROR, {"Invalid number of week-schedules: ", nr_text(count)});
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        WeekSchedule w;
        w.nr = in.read_int();
        if (w.nr != i) report_error(ERROR, {"Week-schedule number mis-match: ", nr_text(i)});
        w.utyp = in.read_short();
        w.ucnv = in.read_short();
        w.name = read_definition_name(in);
        w.desc = read_definition_description(in);
        if (w.utyp == 0) w.utyp = kScheduleDimensionless;
        if (w.utyp != kScheduleDimensionless && w.utyp != kScheduleTemperature) {
            report_error(ERROR, {"Invalid unit type, week-schedule ", nr_text(i)});
            break;
        }
        check_unit(w.ucnv, static_cast<UnitKind>(w.utyp), "week-schedule", i);
        for (std::size_t k = 0; k < w.days.size(); ++k) {
            const std::int32_t n = in.read_int(k == 0 ? FieldKind::FirstOfNextLine : FieldKind::Next);
            if (n >= 1 && n <= static_cast<std::int32_t>(by_number.size()) &&
                by_number[static_cast<std::size_t>(n - 1)])
                w.days[k] = by_number[static_cast<std::size_t>(n - 1)];
            else
                report_error(ERROR, {"Bad day-schedule: ", nr_text(n)});
        }
        if (error_count() != 0) break;
        weeks.insert_copy(w);
    }
    if (error_count() == 0) read_section_end(in);
}

// --- occupancy schedules ---------------------------------------------------

void write_occupancy_section(TextWriter& out, NamedList<OccupancySchedule>& schedules,
                             const NumberedList<Zone>& zones)
{
    schedules.renumber();
    out.printf("%d ! occupancy schedules:\n", schedules.count());
    for (const OccupancySchedule& o : schedules) {
        out.printf("%d %d %d %s\n%s\n", o.nr, static_cast<int>(o.points.size()), o.u_length,
                   o.name.c_str(), description_to_line(o.desc).c_str());
        for (const OccupancyPoint& p : o.points) {
            const int z = zone_number(p.zone);
            if (z != -1 && (z < 0 || z > zones.count()))
                report_error(ERROR, {"Invalid zone number, schedule ", nr_text(o.nr)});
            out.printf(" %s %d %7.3f %7.3f %7.3f\n", time_text(p.time).c_str(), z,
                       static_cast<double>(p.X), static_cast<double>(p.Y), static_cast<double>(p.Z));
        }
    }
    out.printf("%d\n", kSectionEnd);
}

void read_occupancy_section(DataReader& in, NamedList<OccupancySchedule>& schedules,
                            const NumberedList<Zone>& zones)
{
    const std::int32_t count = in.read_int();
    if (count < 0) report_error(ERROR, {"Invalid number of occupancy schedules: ", nr_text(count)});
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        OccupancySchedule o;
        o.nr = in.read_int();
        if (o.nr != i) report_error(ERROR, {"Occpancy-schedule number mis-match: ", nr_text(i)});
        const std::int32_t npts = read_point_count(in, "occupancy schedule", i);
        o.u_length = in.read_short();
        o.name = read_definition_name(in);
        o.desc = read_definition_description(in);
        check_unit(o.u_length, UnitKind::Length, "occupancy schedule", i);
        o.points.reserve(static_cast<std::size_t>(npts));
        std::int32_t previous = 0;
        for (std::int32_t k = 0; k < npts && error_count() == 0; ++k) {
            OccupancyPoint p;
            p.time = in.read_time(FieldKind::FirstOfNextLine);
            const std::int32_t z = in.read_int();
            p.X = in.read_float();
            p.Y = in.read_float();
            p.Z = in.read_float();
            check_point_time(p.time, previous, "occupancy schedule", i);
            previous = p.time;
            if (z == -1) {
                p.zone = ZoneRef::ambient();
            } else if (z < 0 || z > zones.count() || (z > 0 && !zones.at(z))) {
                report_error(ERROR, {"Invalid zone number, Occ ", nr_text(i)});
            } else if (z == 0 && p.time == kSecondsInDay) {
                // The day closes where the occupant last was.
                if (o.points.empty())
                    report_error(ERROR, {"Occupancy schedule ", nr_text(i),
                                         ": the point at 24:00:00 has no point before it to take its zone from"});
                else
                    p.zone = o.points.back().zone;
            } else if (z > 0) {
                p.zone = zones.at(z);
            }
            o.points.push_back(p);
        }
        if (error_count() != 0) break;
        schedules.insert_copy(o);
    }
    if (error_count() == 0) read_section_end(in);
}

}  // namespace avelor
