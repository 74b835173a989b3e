#include "model/schedules.h"

#include <algorithm>

#include "model/project.h"

namespace avelor {

const std::array<std::string_view, kDayTypes>& day_type_names()
{
    static const std::array<std::string_view, kDayTypes> names{
        "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
        "Saturday", "8", "9", "10", "11", "12"};
    return names;
}

DaySchedule new_day_schedule(std::int16_t utyp, std::int16_t ucnv)
{
    DaySchedule d;
    d.utyp = utyp;
    d.ucnv = ucnv;
    d.points = {{0, 1.0f}, {kSecondsInDay, 1.0f}};
    return d;
}

WeekSchedule new_week_schedule(std::int16_t utyp, std::int16_t ucnv)
{
    WeekSchedule w;
    w.utyp = utyp;
    w.ucnv = ucnv;
    return w;
}

OccupancySchedule new_occupancy_schedule(std::int16_t u_length)
{
    OccupancySchedule o;
    o.u_length = u_length;
    o.points = {OccupancyPoint{0, {}, 0, 0, 0}, OccupancyPoint{kSecondsInDay, {}, 0, 0, 0}};
    return o;
}

double day_schedule_value(const DaySchedule& schedule, double seconds)
{
    const std::vector<SchedulePoint>& p = schedule.points;
    if (p.empty()) return 1.0;
    if (seconds <= p.front().time) return p.front().value;
    if (seconds >= p.back().time) return p.back().value;
    // The first point after the time; the one before it starts the interval.
    auto after = std::upper_bound(p.begin(), p.end(), seconds,
                                  [](double t, const SchedulePoint& q) { return t < q.time; });
    const SchedulePoint& a = *(after - 1);
    const SchedulePoint& b = *after;
    if (!schedule.trapezoidal() || b.time == a.time) return a.value;
    const double f = (seconds - a.time) / static_cast<double>(b.time - a.time);
    return a.value + f * (static_cast<double>(b.value) - a.value);
}

const DaySchedule* day_of_week(const WeekSchedule& week, int day_type)
{
    int index = (day_type - 1) % kDayTypes;
    if (index < 0) index += kDayTypes;
    return week.days[static_cast<std::size_t>(index)];
}

double week_schedule_value(const WeekSchedule& week, int day_type, double seconds)
{
    const DaySchedule* day = day_of_week(week, day_type);
    return day ? day_schedule_value(*day, seconds) : 1.0;
}

const OccupancyPoint* occupancy_at(const OccupancySchedule& schedule, double seconds)
{
    const std::vector<OccupancyPoint>& p = schedule.points;
    if (p.empty()) return nullptr;
    auto after = std::upper_bound(p.begin(), p.end(), seconds,
                                  [](double t, const OccupancyPoint& q) { return t < q.time; });
    return after == p.begin() ? &p.front() : &*(after - 1);
}

namespace {

template <class Point>
void insert_point(std::vector<Point>& points, const Point& point)
{
    auto at = std::lower_bound(points.begin(), points.end(), point.time,
                               [](const Point& q, std::int32_t t) { return q.time < t; });
    if (at != points.end() && at->time == point.time) {
        *at = point;
        return;
    }
    // The point lists grow in steps of 256 points.
    const auto index = at - points.begin();
    if (points.size() == points.capacity()) points.reserve(points.size() + 256);
    points.insert(points.begin() + index, point);
}

template <class Point>
bool delete_point(std::vector<Point>& points, std::size_t index)
{
    if (index == 0 || index + 1 >= points.size()) return false;
    points.erase(points.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::string zone_user(const Zone& z) { return "zone " + z.name; }
std::string numbered(const char* what, std::int32_t nr) { return std::string(what) + std::to_string(nr); }

}  // namespace

void insert_schedule_point(std::vector<SchedulePoint>& points, const SchedulePoint& point)
{
    insert_point(points, point);
}

bool delete_schedule_point(std::vector<SchedulePoint>& points, std::size_t index)
{
    return delete_point(points, index);
}

void insert_occupancy_point(std::vector<OccupancyPoint>& points, const OccupancyPoint& point)
{
    insert_point(points, point);
}

bool delete_occupancy_point(std::vector<OccupancyPoint>& points, std::size_t index)
{
    return delete_point(points, index);
}

void close_occupancy_day(std::vector<OccupancyPoint>& points)
{
    if (points.size() >= 2 && points.back().time == kSecondsInDay)
        points.back().zone = points[points.size() - 2].zone;
}

namespace {

// Every control node, of the building's network and of the super elements,
// with the user line it gives.
template <class Visit>
void for_each_control_node(const Project& project, Visit visit)
{
    for (const ControlNode& node : project.controls) visit(node, numbered("control node ", node.nr));
    for (const SuperElement& element : project.super_elements)
        for (const ControlNode& node : element.nodes)
            visit(node, numbered("control node ", node.nr) + " of super element " + element.name);
}

}  // namespace

std::vector<std::string> users_of(const Project& project, const DaySchedule& day)
{
    std::vector<std::string> users;
    for (const WeekSchedule& w : project.week_schedules)
        if (std::find(w.days.begin(), w.days.end(), &day) != w.days.end())
            users.push_back("week schedule " + w.name);
    for_each_control_node(project, [&](const ControlNode& node, const std::string& user) {
        if (const auto* delay = std::get_if<DelayScheduleData>(&node.data))
            if (delay->first == &day || delay->second == &day) users.push_back(user);
    });
    return users;
}

std::vector<std::string> users_of(const Project& project, const WeekSchedule& week)
{
    std::vector<std::string> users;
    for (const Zone& z : project.zones)
        if (z.schedule == &week) users.push_back(zone_user(z));
    for (const FlowPath& p : project.paths)
        if (p.schedule == &week) users.push_back(numbered("path ", p.nr));
    for (const Junction& j : project.junctions)
        if (j.schedule == &week) users.push_back(numbered(j.t != 0 ? "terminal " : "junction ", j.nr));
    for (const DuctSegment& d : project.ducts)
        if (d.schedule == &week) users.push_back(numbered("duct segment ", d.nr));
    for (const SourceSink& s : project.sources)
        if (s.schedule == &week) users.push_back(numbered("source/sink ", s.nr));
    for (const Exposure& x : project.exposures)
        for (const ExposureGeneration& g : x.generations)
            if (g.schedule == &week) {
                users.push_back(numbered("occupant ", x.nr));
                break;
            }
    for_each_control_node(project, [&](const ControlNode& node, const std::string& user) {
        if (const auto* scheduled = std::get_if<ScheduleNodeData>(&node.data))
            if (scheduled->schedule == &week) users.push_back(user);
    });
    return users;
}

std::vector<std::string> users_of(const Project& project, const OccupancySchedule& schedule)
{
    std::vector<std::string> users;
    for (const Exposure& x : project.exposures)
        if (std::find(x.occupancy.begin(), x.occupancy.end(), &schedule) != x.occupancy.end())
            users.push_back(numbered("occupant ", x.nr));
    return users;
}

}  // namespace avelor
