// The "Zone Properties" sheet without its widgets: a working copy of one
// zone, one setter per field, the rules that enable fields, the checks that
// run when a page is left, and accept(), which stores the copy. The view
// binds its controls to this model; tests drive it directly.
//
// The "Schedule" page is its own small model (SchedulePage) because the
// sheets of the other network records show the same page with their own
// schedule kind.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/units.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// ------------------------------------------------------------ schedule page

// A record's week schedule and its control by a values file.
//
// The columns offered are the value names of the project's loaded values
// files.
struct SchedulePage {
    // The kind of week schedule offered (temperature schedules for zones).
    UnitKind schedule_kind = UnitKind::Temperature;
    // The week schedules of that kind, in list order (and the record's own
    // schedule should a file have given it one of another kind).
    std::vector<WeekSchedule*> schedules;
    // 0 = " <none>", k = schedules[k - 1].
    int schedule = 0;

    // A control node refers to the record.
    bool network_control = false;
    // The project names a continuous / discrete values file.
    bool cvf_file = false;
    bool dvf_file = false;
    // The column names of the loaded files.
    std::vector<std::string> cvf_columns;
    std::vector<std::string> dvf_columns;

    ControlValuesLink cdvf;

    // A page over a record's link. The file flags come from the project's
    // run control (a file name other than "null"), the columns from its
    // loaded values files. A stored column the loaded file lacks is cleared,
    // so that leaving the page asks for one.
    static SchedulePage make(const Project& project, UnitKind kind, const ControlValuesLink& link,
                             WeekSchedule* current, bool network_control);
    // The week schedules were edited or added to: offers them anew with
    // choose as the choice.
    void reload(const Project& project, WeekSchedule* choose);

    // " <none>" first, then the schedule names.
    std::vector<std::string> schedule_choices() const;
    // false for an index outside the choices.
    bool choose_schedule(int index);
    bool has_schedule() const { return schedule > 0; }
    WeekSchedule* chosen() const;
    std::string description() const;
    bool edit_schedule_enabled() const { return has_schedule(); }

    bool cvf_enabled() const { return cvf_file; }
    bool dvf_enabled() const { return dvf_file; }
    // "Use Neither", "Use CVF", "Use DVF": kind 0, 1 or 2. A disabled choice
    // is refused. A column the file lacks is cleared; an empty column
    // becomes the file's first one.
    bool set_control_kind(int kind);
    // The columns offered for the chosen kind (empty for kind 0).
    const std::vector<std::string>& column_choices() const;
    // false when the name is not one of the columns offered.
    bool choose_column(std::string_view name);

    // "Controlled via the control network", "Controlled directly by CVF",
    // "Controlled directly by DVF", "Controlled by a schedule" or
    // "Not controlled", in that order of precedence.
    std::string control_status() const;

    // The check when the page is left: empty when it may be left, else the
    // message, already shown as an ERROR box ("A column must be selected
    // from the cvf/dvf file.").
    std::optional<std::string> leave() const;

private:
    void fit_column();
};

// --------------------------------------------------------------- zone sheet

enum class ZonePage { ZoneData, ContaminantData, DetailedZone, Schedule };

// The fields a refusal may put the focus on.
enum class ZoneField {
    Name,
    Volume,
    FloorArea,
    Temperature,
    Pressure,
    Concentration,
    ZoneType,
    Point1X,
    Point1Y,
    Point1Elevation,
    Point2X,
    Point2Y,
    Point2Elevation,
    CellSize,
    Dispersion,
    CfdId,
    ControlColumn,
};

enum class ZoneType { Normal, OneDimensional, Cfd };

// Why the sheet or a page stays open. The message has been shown.
struct ZoneSheetRefusal {
    ZonePage page = ZonePage::ZoneData;
    ZoneField focus = ZoneField::Name;
    std::string message;
    int severity = 1;
};

// Which display unit of a zone holds which value.
inline constexpr int kZoneUnitVolume = 0;  // also the floor area's unit
inline constexpr int kZoneUnitTemperature = 1;
inline constexpr int kZoneUnitPressure = 2;
// Which display unit of the one-dimensional data holds which value.
inline constexpr int kAxisUnitLength = 0;  // the six coordinates and the cell size
inline constexpr int kAxisUnitDispersion = 1;

// The longest zone name and CFD zone ID.
inline constexpr std::size_t kZoneNameLength = 31;
inline constexpr std::size_t kCfdIdLength = 15;
// The least cell size of a one-dimensional zone, m.
inline constexpr float kLeastCellSize = 0.0001f;

// Zones whose CFD flag is set, counted from the list.
int count_cfd_zones(const Project& project);

class ZoneSheet {
public:
    // A sheet for a new zone at a cell of the current level (the cell's
    // icon is an undefined zone icon): the defaults of a new zone, with the
    // volume of the region when pseudo-geometry is shown.
    static ZoneSheet for_new_zone(Project& project, SketchGrid& grid, GridCell cell);
    // A sheet on a working copy of zone number.
    static ZoneSheet for_zone(Project& project, std::int32_t number);

    const Zone& copy() const { return copy_; }
    bool creating() const { return number_ == 0; }
    std::int32_t number() const { return number_; }

    // The "Zone Name" frame of every page.
    const std::string& frame_name() const { return copy_.name; }
    std::string level_name() const;

    // ---- pages. The sheet opens on "Zone Data". Another page is shown only
    // after the current one was left; a failed check keeps it in front.
    ZonePage page() const { return page_; }
    bool shown(ZonePage page) const { return shown_[static_cast<std::size_t>(page)]; }
    std::optional<ZoneSheetRefusal> select_page(ZonePage page);

    // ---- numeric fields: entered in the unit the field shows, as typed
    // text (checked as every unit-bearing field is) or as a number. False
    // when refused (a WARNING box has said why; the stored value stays).
    bool enter(ZoneField field, std::string_view text);
    bool set(ZoneField field, double value);
    // What the field shows in its unit.
    std::string shown_text(ZoneField field) const;
    int unit(ZoneField field) const;
    // A unit box chose unit index. Volume and floor area move together.
    // False for an index the field's kind lacks.
    bool set_unit(ZoneField field, int index);

    // ---- "Zone Data"
    // The name field's text: stored in the copy when the page is left.
    const std::string& name_text() const { return name_text_; }
    void set_name(std::string_view text) { name_text_ = std::string(text); }
    bool variable_pressure() const { return (copy_.flags & kZoneVariablePressure) != 0; }
    void set_variable_pressure(bool on);
    bool pressure_enabled() const { return !variable_pressure(); }
    bool in_building_volume() const { return (copy_.flags & kZoneNotInBuildingVolume) == 0; }
    void toggle_building_volume() { copy_.flags ^= kZoneNotInBuildingVolume; }
    // The colour index: -1 is "Use Default"; others index the colour table.
    bool set_colour(int index);
    // The height of the current level, by which volume and floor area
    // convert; the area shows 0 while it is 0.01 m or less.
    float level_height() const { return height_; }

    // ---- "Contaminant Data"
    bool variable_contaminants() const { return (copy_.flags & kZoneVariableContaminants) != 0; }
    void set_variable_contaminants(bool on);
    // The contaminant names in contaminant order.
    std::vector<std::string> contaminant_names() const;
    bool concentrations_enabled() const;
    int selected_contaminant() const { return contaminant_; }
    bool select_contaminant(int index);
    // The kind of the selected contaminant's concentration units.
    UnitKind concentration_kind_shown() const;
    // kg/kg, non-trace contaminants except "H2O".
    double nontrace_sum() const;
    // " <none>" first, then the kinetic reactions in list order.
    std::vector<std::string> reaction_choices() const;
    int reaction_choice() const;
    bool choose_reaction(int index);

    // ---- "Detailed Zone"
    ZoneType zone_type() const;
    bool cfd_enabled() const { return other_cfd_zones_ == 0; }
    // False (nothing changes) for "CFD Zone" while it is disabled.
    bool set_zone_type(ZoneType type);
    bool one_d_enabled() const { return copy_.axs > 0; }
    // 1..4; false while the 1D fields are disabled or for another value.
    bool set_axis_orientation(int axs);
    const std::string& cfd_id_text() const { return cfd_id_text_; }
    void set_cfd_id(std::string_view text) { cfd_id_text_ = std::string(text); }

    // ---- "Schedule"
    SchedulePage& schedule() { return schedule_; }
    Project& project() const { return *project_; }
    const SchedulePage& schedule() const { return schedule_; }

    // OK: the check of the page in front, then the copy is stored (a new
    // zone is added, its number written into the cell and its region
    // filled with it; an edited zone is put back) and the project marked
    // changed. A refusal leaves the sheet open and stores nothing.
    std::optional<ZoneSheetRefusal> accept();
    bool accepted() const { return accepted_; }

private:
    ZoneSheet(Project& project, Zone copy, std::int32_t number, SketchGrid* grid, GridCell cell);

    void show(ZonePage page);
    std::optional<ZoneSheetRefusal> leave();
    std::optional<ZoneSheetRefusal> leave_zone_data();
    std::optional<ZoneSheetRefusal> leave_contaminants();
    std::optional<ZoneSheetRefusal> leave_detailed();
    void store();

    struct FieldInfo {
        const float* value = nullptr;
        UnitKind kind = UnitKind::Dimensionless;
        int unit = 0;
        float lower = NO_LIMIT;
        const Species* species = nullptr;
    };
    std::optional<FieldInfo> field_info(ZoneField field) const;
    const Species* selected_species() const;

    Project* project_;
    Zone copy_;
    std::int32_t number_;  // 0 for a new zone
    SketchGrid* grid_;
    GridCell cell_;
    float height_ = 0;
    mutable float floor_area_ = 0;  // the floor area as last shown or entered
    int other_cfd_zones_ = 0;
    ZonePage page_ = ZonePage::ZoneData;
    std::array<bool, 4> shown_{};
    std::string name_text_;
    std::string cfd_id_text_;
    int contaminant_ = -1;
    int concentration_unit_ = 0;
    SchedulePage schedule_;
    bool accepted_ = false;
};

// Where a property sheet opens beside a cell of the SketchPad, in screen
// pixels: right of the cell when it fits on the monitor that holds the
// cell, else left of it; its top level with the cell, raised so that its
// bottom stays kSheetBottomMargin pixels above the bottom of the monitor's
// work area (never above the work area's top).
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};
inline constexpr int kSheetBottomMargin = 68;
ScreenPoint sheet_position(const ScreenRect& cell, int width, int height, const ScreenRect& monitor,
                           const ScreenRect& work_area);

// The dialog: shows the sheet and returns true when it was accepted (its
// OK calls accept() until that succeeds); false on Cancel.
using ZoneSheetDialog = std::function<bool(ZoneSheet&)>;

// The cursor cell of the current level holds an undefined zone icon: runs
// the sheet for a new zone. 1 when a zone was added, 0 on Cancel (the icon
// stays undefined).
int create_zone(Project& project, SketchGrid& grid, const ZoneSheetDialog& dialog);
// Runs the sheet on zone number: 1 when the record was replaced, 0 on
// Cancel or for a number that names no zone.
int edit_zone(Project& project, std::int32_t number, const ZoneSheetDialog& dialog);

}  // namespace avelor
