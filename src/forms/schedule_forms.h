// The day, week and occupancy schedule dialogs, without the widgets.
//
// Each form works on a copy of a schedule (a new one, or a copy of the
// stored one being edited); accept() checks it, as the dialog's OK does, and
// stores it in its list: new when stored is null, else over stored. Every
// refusal has been shown to the user by the time a call answers false or a
// refusal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/lists.h"
#include "model/schedules.h"
#include "model/unit_field.h"

namespace avelor {

class Project;

// The name box's text after a refused name.
inline constexpr std::string_view kRequiredName = " <required>";

// A time of day typed as hours, minutes and seconds.
struct TypedTime {
    int hours = 0, minutes = 0, seconds = 0;
    // Seconds of the day, or nothing (after a WARNING box) for a time
    // outside 00:00:00 .. 24:00:00 or fields out of their ranges.
    std::optional<std::int32_t> seconds_of_day() const;
    static TypedTime from(std::int32_t seconds);
};

// A curve to draw: (hours of the day, value) points joined by straight
// lines; a rectangular schedule's steps are drawn as vertical lines.
using ScheduleCurve = std::vector<std::pair<double, double>>;

// ---------------------------------------------------------- day schedule

class DayScheduleForm {
public:
    explicit DayScheduleForm(const DaySchedule& schedule);
    DayScheduleForm(const DayScheduleForm&) = delete;
    DayScheduleForm& operator=(const DayScheduleForm&) = delete;

    const DaySchedule& working() const { return working_; }
    void set_name(std::string_view name) { working_.name = name; }
    void set_description(std::string_view text);
    bool trapezoidal() const { return working_.trapezoidal(); }
    void set_trapezoidal(bool on);

    // Values are fractions 0..1 or temperatures in a chosen unit; only a
    // temperature schedule offers a unit selector.
    bool unit_selector_shown() const { return working_.utyp != kScheduleDimensionless; }
    UnitSelector& unit() { return unit_; }
    // After the selector chose another unit: the list and the editor show
    // values in it.
    void unit_changed();

    // The list: "HH:MM:SS  value" per point, values in the shown unit.
    std::vector<std::string> point_rows() const;
    // Loads a point into the editor; false for an index outside the list.
    bool select_point(int index);
    int selected() const { return selected_; }
    // Only a point that is neither the first nor the last may go.
    bool delete_enabled() const;
    bool delete_point();

    // The point editor.
    TypedTime edit_time;
    UnitField& value_field() { return value_field_; }
    // "<< Insert <<": the edited time and value (as the value field last
    // accepted it) go into the list, replacing a point at the same time.
    bool insert();

    ScheduleCurve curve() const;

    // OK: the name rules (a refused name leaves kRequiredName in the name
    // box), then the copy is stored.
    bool accept(NamedList<DaySchedule>& list, DaySchedule* stored);
    DaySchedule* stored() const { return stored_; }

private:
    UnitKind kind() const { return static_cast<UnitKind>(working_.utyp); }

    DaySchedule working_;
    int selected_ = -1;
    float edit_value_ = 1;
    UnitSelector unit_;
    UnitField value_field_;
    DaySchedule* stored_ = nullptr;
};

// --------------------------------------------------------- week schedule

class WeekScheduleForm {
public:
    WeekScheduleForm(const Project& project, const WeekSchedule& schedule);

    const WeekSchedule& working() const { return working_; }
    void set_name(std::string_view name) { working_.name = name; }
    void set_description(std::string_view text);

    // The twelve rows: day type and its day schedule's name (empty while
    // unset).
    std::vector<std::pair<std::string, std::string>> day_rows() const;
    // "Available Schedules": the day schedules of the week's unit kind.
    const std::vector<DaySchedule*>& available() const { return available_; }
    // The list changed (a day schedule was made or edited): offered anew.
    void refresh_available(const Project& project);
    // "<< Replace <<": the day schedule goes to every chosen day type
    // (indices 0..11). False for a schedule that is not offered.
    bool replace(const std::vector<int>& day_types, DaySchedule* day);

    // "Display Graphically": each day schedule once, with the day types
    // that use it; refused with "All day-schedules must be set prior to
    // display" while a day is unset.
    std::optional<std::vector<std::pair<std::string, ScheduleCurve>>> display() const;

    // OK: every day set ("All day-schedules must be set"), the name rules,
    // then the copy is stored.
    bool accept(NamedList<WeekSchedule>& list, WeekSchedule* stored);
    WeekSchedule* stored() const { return stored_; }

private:
    WeekSchedule working_;
    std::vector<DaySchedule*> available_;
    WeekSchedule* stored_ = nullptr;
};

// ---------------------------------------------------- occupancy schedule

class OccupancyScheduleForm {
public:
    OccupancyScheduleForm(const Project& project, const OccupancySchedule& schedule);

    const OccupancySchedule& working() const { return working_; }
    void set_name(std::string_view name) { working_.name = name; }
    void set_description(std::string_view text);

    // The zones offered, each with its level: "null" (none) and "ambt"
    // (the ambient) first, then every zone in number order.
    struct ZoneChoice {
        std::string level;
        std::string zone;
        ZoneRef ref;
    };
    const std::vector<ZoneChoice>& zone_choices() const { return zones_; }

    // The list: time, X, Y, relative elevation (in the length unit), level
    // and zone.
    std::vector<std::vector<std::string>> point_rows() const;
    bool select_point(int index);
    int selected() const { return selected_; }
    bool delete_enabled() const;
    bool delete_point();

    // The point editor.
    TypedTime edit_time;
    int edit_zone = 0;  // index into zone_choices()
    float edit_X = 0, edit_Y = 0, edit_Z = 0;  // m
    UnitField& X_field() { return x_field_; }
    UnitField& Y_field() { return y_field_; }
    UnitField& Z_field() { return z_field_; }
    UnitSelector& length_unit() { return unit_; }
    void unit_changed();
    // "Zone Pt 1" and "Zone Pt 2" of the chosen zone's one-dimensional
    // axis, in the length unit; empty for other zones.
    std::optional<std::pair<std::string, std::string>> axis_extent() const;
    // "^ Insert ^".
    bool insert();

    // OK: the name rules; the point at 24:00:00 takes the zone of the point
    // before it; then the copy is stored.
    bool accept(NamedList<OccupancySchedule>& list, OccupancySchedule* stored);
    OccupancySchedule* stored() const { return stored_; }

private:
    std::string zone_text(const ZoneRef& ref, bool level) const;

    OccupancySchedule working_;
    std::vector<ZoneChoice> zones_;
    int selected_ = -1;
    float unit_value_ = 0;  // what the length selector shows
    UnitSelector unit_;
    UnitField x_field_, y_field_, z_field_;
    OccupancySchedule* stored_ = nullptr;
};

// ------------------------------------------------------- data managers

// The definitions the Data menu's schedule entries manage: day or week
// schedules of one unit kind, or the occupancy schedules.
enum class ScheduleKind { Day, Week, Occupancy };

struct ScheduleManagerEntry {
    std::string name;
    std::string description;
};

// The manager's list for a kind (and a unit kind for day and week
// schedules), in name order.
std::vector<ScheduleManagerEntry> schedule_entries(const Project& project, ScheduleKind kind, std::int16_t utyp);
// Deletes the named schedule unless something uses it: then a WARNING box
// names the users and false is returned.
bool delete_schedule(Project& project, ScheduleKind kind, std::string_view name);
// The manager's caption: "AVELORW Data and Library Manager: " and the kind.
std::string schedule_manager_caption(ScheduleKind kind, std::int16_t utyp);

}  // namespace avelor
