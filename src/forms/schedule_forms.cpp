#include "forms/schedule_forms.h"

#include <algorithm>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/project.h"

namespace avelor {

namespace {

constexpr UnitKind kLength = UnitKind::Length;

std::string shown(float base, UnitKind kind, int unit)
{
    return format_number(convert_units(base, true, kind, unit), 1);
}

// The name rules; a refused name leaves the required marker in the box.
template <class T>
bool name_accepted(const NamedList<T>& list, T& working, const T* stored)
{
    if (check_new_name(list, working.name, stored ? std::string_view(stored->name) : std::string_view()) == 0)
        return true;
    working.name = kRequiredName;
    return false;
}

template <class T>
T* store(NamedList<T>& list, T& working, T* stored)
{
    working.desc = clean_description(working.desc);
    return stored ? list.replace_record(stored, working) : list.insert_copy(working);
}

}  // namespace

std::optional<std::int32_t> TypedTime::seconds_of_day() const
{
    const bool fields_ok = hours >= 0 && hours <= 24 && minutes >= 0 && minutes < 60 && seconds >= 0 && seconds < 60;
    const std::int64_t total = std::int64_t{hours} * 3600 + minutes * 60 + seconds;
    if (!fields_ok || total > kSecondsInDay) {
        show_message(WARNING, {"The time must lie between 00:00:00 and 24:00:00"});
        return std::nullopt;
    }
    return static_cast<std::int32_t>(total);
}

TypedTime TypedTime::from(std::int32_t seconds)
{
    seconds = std::clamp(seconds, 0, kSecondsInDay);
    return {seconds / 3600, seconds / 60 % 60, seconds % 60};
}

// ---------------------------------------------------------- day schedule

DayScheduleForm::DayScheduleForm(const DaySchedule& schedule)
    : working_(schedule),
      unit_(static_cast<UnitKind>(schedule.utyp), edit_value_, working_.ucnv),
      value_field_(edit_value_, static_cast<UnitKind>(schedule.utyp), schedule.ucnv,
                   schedule.utyp == kScheduleDimensionless ? 0.0f : NO_LIMIT,
                   schedule.utyp == kScheduleDimensionless ? 1.0f : NO_LIMIT)
{
    if (!working_.points.empty()) select_point(0);
}

void DayScheduleForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

void DayScheduleForm::set_trapezoidal(bool on)
{
    working_.shap = static_cast<std::int16_t>(on ? (working_.shap | kShapeTrapezoidal)
                                                 : (working_.shap & ~kShapeTrapezoidal));
}

void DayScheduleForm::unit_changed() { value_field_.set_unit(working_.ucnv); }

std::vector<std::string> DayScheduleForm::point_rows() const
{
    std::vector<std::string> rows;
    rows.reserve(working_.points.size());
    for (const SchedulePoint& p : working_.points)
        rows.push_back(time_text(p.time) + "  " + shown(p.value, kind(), working_.ucnv));
    return rows;
}

bool DayScheduleForm::select_point(int index)
{
    if (index < 0 || index >= static_cast<int>(working_.points.size())) return false;
    selected_ = index;
    const SchedulePoint& p = working_.points[static_cast<std::size_t>(index)];
    edit_time = TypedTime::from(p.time);
    edit_value_ = p.value;
    value_field_.refresh();
    return true;
}

bool DayScheduleForm::delete_enabled() const
{
    return selected_ > 0 && selected_ + 1 < static_cast<int>(working_.points.size());
}

bool DayScheduleForm::delete_point()
{
    if (!delete_enabled()) return false;
    delete_schedule_point(working_.points, static_cast<std::size_t>(selected_));
    selected_ = std::min(selected_, static_cast<int>(working_.points.size()) - 1);
    return true;
}

bool DayScheduleForm::insert()
{
    const std::optional<std::int32_t> t = edit_time.seconds_of_day();
    if (!t) return false;
    insert_schedule_point(working_.points, {*t, edit_value_});
    for (std::size_t k = 0; k < working_.points.size(); ++k)
        if (working_.points[k].time == *t) selected_ = static_cast<int>(k);
    return true;
}

ScheduleCurve DayScheduleForm::curve() const
{
    ScheduleCurve c;
    const std::vector<SchedulePoint>& p = working_.points;
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double v = convert_units(p[k].value, true, kind(), working_.ucnv);
        // A rectangular value holds until the next point: a vertical step.
        if (!trapezoidal() && k > 0) c.emplace_back(p[k].time / 3600.0, c.back().second);
        c.emplace_back(p[k].time / 3600.0, v);
    }
    return c;
}

bool DayScheduleForm::accept(NamedList<DaySchedule>& list, DaySchedule* stored)
{
    if (!name_accepted(list, working_, stored)) return false;
    stored_ = store(list, working_, stored);
    return true;
}

// --------------------------------------------------------- week schedule

WeekScheduleForm::WeekScheduleForm(const Project& project, const WeekSchedule& schedule) : working_(schedule)
{
    refresh_available(project);
}

void WeekScheduleForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

std::vector<std::pair<std::string, std::string>> WeekScheduleForm::day_rows() const
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (int k = 0; k < kDayTypes; ++k) {
        const DaySchedule* d = working_.days[static_cast<std::size_t>(k)];
        rows.emplace_back(std::string(day_type_names()[static_cast<std::size_t>(k)]), d ? d->name : std::string());
    }
    return rows;
}

void WeekScheduleForm::refresh_available(const Project& project)
{
    available_.clear();
    for (DaySchedule& d : project.day_schedules)
        if (d.utyp == working_.utyp) available_.push_back(&d);
}

bool WeekScheduleForm::replace(const std::vector<int>& day_types, DaySchedule* day)
{
    if (std::find(available_.begin(), available_.end(), day) == available_.end()) return false;
    for (int k : day_types)
        if (k >= 0 && k < kDayTypes) working_.days[static_cast<std::size_t>(k)] = day;
    return true;
}

std::optional<std::vector<std::pair<std::string, ScheduleCurve>>> WeekScheduleForm::display() const
{
    if (std::find(working_.days.begin(), working_.days.end(), nullptr) != working_.days.end()) {
        show_message(WARNING, {"All day-schedules must be set prior to display"});
        return std::nullopt;
    }
    std::vector<std::pair<std::string, ScheduleCurve>> curves;
    std::vector<const DaySchedule*> drawn;
    for (int k = 0; k < kDayTypes; ++k) {
        const DaySchedule* d = working_.days[static_cast<std::size_t>(k)];
        const std::string day(day_type_names()[static_cast<std::size_t>(k)]);
        auto at = std::find(drawn.begin(), drawn.end(), d);
        if (at != drawn.end()) {
            curves[static_cast<std::size_t>(at - drawn.begin())].first += ", " + day;
            continue;
        }
        drawn.push_back(d);
        DayScheduleForm form(*d);
        curves.emplace_back(d->name + ": " + day, form.curve());
    }
    return curves;
}

bool WeekScheduleForm::accept(NamedList<WeekSchedule>& list, WeekSchedule* stored)
{
    if (std::find(working_.days.begin(), working_.days.end(), nullptr) != working_.days.end()) {
        show_message(WARNING, {"All day-schedules must be set"});
        return false;
    }
    if (!name_accepted(list, working_, stored)) return false;
    stored_ = store(list, working_, stored);
    return true;
}

// ---------------------------------------------------- occupancy schedule

OccupancyScheduleForm::OccupancyScheduleForm(const Project& project, const OccupancySchedule& schedule)
    : working_(schedule),
      unit_(kLength, unit_value_, working_.u_length),
      x_field_(edit_X, kLength, schedule.u_length),
      y_field_(edit_Y, kLength, schedule.u_length),
      z_field_(edit_Z, kLength, schedule.u_length)
{
    zones_.push_back({"", "null", {}});
    zones_.push_back({"", "ambt", ZoneRef::ambient()});
    for (Zone& z : project.zones) zones_.push_back({z.level ? z.level->name : std::string(), z.name, &z});
    if (!working_.points.empty()) select_point(0);
}

void OccupancyScheduleForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

void OccupancyScheduleForm::unit_changed()
{
    for (UnitField* f : {&x_field_, &y_field_, &z_field_}) f->set_unit(working_.u_length);
}

std::string OccupancyScheduleForm::zone_text(const ZoneRef& ref, bool level) const
{
    for (const ZoneChoice& c : zones_)
        if (c.ref == ref) return level ? c.level : c.zone;
    return level ? std::string() : std::string("null");
}

std::vector<std::vector<std::string>> OccupancyScheduleForm::point_rows() const
{
    std::vector<std::vector<std::string>> rows;
    for (const OccupancyPoint& p : working_.points)
        rows.push_back({time_text(p.time), shown(p.X, kLength, working_.u_length),
                        shown(p.Y, kLength, working_.u_length), shown(p.Z, kLength, working_.u_length),
                        zone_text(p.zone, true), zone_text(p.zone, false)});
    return rows;
}

bool OccupancyScheduleForm::select_point(int index)
{
    if (index < 0 || index >= static_cast<int>(working_.points.size())) return false;
    selected_ = index;
    const OccupancyPoint& p = working_.points[static_cast<std::size_t>(index)];
    edit_time = TypedTime::from(p.time);
    edit_zone = 0;
    for (std::size_t k = 0; k < zones_.size(); ++k)
        if (zones_[k].ref == p.zone) edit_zone = static_cast<int>(k);
    edit_X = p.X;
    edit_Y = p.Y;
    edit_Z = p.Z;
    for (UnitField* f : {&x_field_, &y_field_, &z_field_}) f->refresh();
    return true;
}

bool OccupancyScheduleForm::delete_enabled() const
{
    return selected_ > 0 && selected_ + 1 < static_cast<int>(working_.points.size());
}

bool OccupancyScheduleForm::delete_point()
{
    if (!delete_enabled()) return false;
    delete_occupancy_point(working_.points, static_cast<std::size_t>(selected_));
    selected_ = std::min(selected_, static_cast<int>(working_.points.size()) - 1);
    return true;
}

std::optional<std::pair<std::string, std::string>> OccupancyScheduleForm::axis_extent() const
{
    if (edit_zone < 0 || edit_zone >= static_cast<int>(zones_.size())) return std::nullopt;
    const Zone* z = zones_[static_cast<std::size_t>(edit_zone)].ref.zone();
    if (!z || z->axs <= 0) return std::nullopt;
    auto point = [&](int first) {
        const auto& a = z->axis;
        return shown(a[static_cast<std::size_t>(first)], kLength, working_.u_length) + ", " +
               shown(a[static_cast<std::size_t>(first + 1)], kLength, working_.u_length) + ", " +
               shown(a[static_cast<std::size_t>(first + 2)], kLength, working_.u_length);
    };
    return std::make_pair(point(0), point(3));
}

bool OccupancyScheduleForm::insert()
{
    const std::optional<std::int32_t> t = edit_time.seconds_of_day();
    if (!t) return false;
    const ZoneRef zone = edit_zone >= 0 && edit_zone < static_cast<int>(zones_.size())
                             ? zones_[static_cast<std::size_t>(edit_zone)].ref
                             : ZoneRef{};
    insert_occupancy_point(working_.points, {*t, zone, edit_X, edit_Y, edit_Z});
    for (std::size_t k = 0; k < working_.points.size(); ++k)
        if (working_.points[k].time == *t) selected_ = static_cast<int>(k);
    return true;
}

bool OccupancyScheduleForm::accept(NamedList<OccupancySchedule>& list, OccupancySchedule* stored)
{
    if (!name_accepted(list, working_, stored)) return false;
    close_occupancy_day(working_.points);
    stored_ = store(list, working_, stored);
    return true;
}

// ------------------------------------------------------- data managers

namespace {

template <class T>
std::vector<ScheduleManagerEntry> entries_of(const NamedList<T>& list, std::int16_t utyp, bool by_unit)
{
    std::vector<ScheduleManagerEntry> entries;
    for (const T& r : list) {
        if constexpr (requires { r.utyp; })
            if (by_unit && r.utyp != utyp) continue;
        entries.push_back({r.name, r.desc});
    }
    return entries;
}

template <class T>
bool delete_named(Project& project, NamedList<T>& list, std::string_view name)
{
    T* record = list.find_by_name(name);
    if (!record) return false;
    const std::vector<std::string> users = users_of(project, *record);
    if (!users.empty()) {
        show_message(WARNING, {in_use_message(record->name, users)});
        return false;
    }
    list.remove_record(record);
    project.mark_changed();
    return true;
}

}  // namespace

std::vector<ScheduleManagerEntry> schedule_entries(const Project& project, ScheduleKind kind, std::int16_t utyp)
{
    switch (kind) {
    case ScheduleKind::Day: return entries_of(project.day_schedules, utyp, true);
    case ScheduleKind::Week: return entries_of(project.week_schedules, utyp, true);
    case ScheduleKind::Occupancy: return entries_of(project.occupancy_schedules, utyp, false);
    }
    return {};
}

bool delete_schedule(Project& project, ScheduleKind kind, std::string_view name)
{
    switch (kind) {
    case ScheduleKind::Day: return delete_named(project, project.day_schedules, name);
    case ScheduleKind::Week: return delete_named(project, project.week_schedules, name);
    case ScheduleKind::Occupancy: return delete_named(project, project.occupancy_schedules, name);
    }
    return false;
}

std::string schedule_manager_caption(ScheduleKind kind, std::int16_t utyp)
{
    const char* unit = utyp == kScheduleTemperature ? " (Temperature)" : " (Dimensionless)";
    switch (kind) {
    case ScheduleKind::Day: return std::string("AVELORW Data and Library Manager: Day Schedules") + unit;
    case ScheduleKind::Week: return std::string("AVELORW Data and Library Manager: Week Schedules") + unit;
    case ScheduleKind::Occupancy: return "AVELORW Data and Library Manager: Occupancy Schedules";
    }
    return {};
}

}  // namespace avelor
