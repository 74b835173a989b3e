// The "Airflow Path Properties" sheet without its widgets: a working copy of
// one flow path, one setter per field, the enabled and shown state of the
// controls, the checks made when a page is left and when the sheet is
// accepted, and the storing of the accepted copy.
//
// Values are entered in the unit the field shows and stored in the base
// unit through the unit models. The sheet's pages that choose definitions
// the project does not hold yet (week schedules, values-file columns) keep
// their fields with empty choice lists and accept "none"; a reference the
// record already holds is kept. The filter is kept in a FilterSlot until the
// sheet is accepted or cancelled.
//
// A path whose element is a super element owns a chain of hidden sub-paths,
// one per sub-element. The chains are kept in SubPathChains, which the
// caller owns beside the project.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/filter_slot.h"
#include "forms/zone_sheet.h"
#include "model/airflow_rules.h"
#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

// Flow path flag bits the sheet sets (and kPathWindPressure).
inline constexpr std::uint16_t kPathPressureLimit = 0x80;
inline constexpr std::uint16_t kPathFlowLimit = 0x100;

// What each of a path's four display units is for.
inline constexpr int kPathUnitLength = 0;    // X, Y and relative elevation
inline constexpr int kPathUnitPressure = 1;  // pressure limits and constant wind pressure
inline constexpr int kPathUnitFlow = 2;      // flow limits
inline constexpr int kPathUnitMultiplier = 3;  // total length or total area

enum class PathPage { FlowElement, FlowPath, WindPressure, Schedule, Filter, Cfd };
enum class PathLimits { None, Pressure, Flow };
enum class WindOption { None, Constant, Variable };

// Adds one hidden path per sub-element of parent's super element (numbers
// after the last path, current level) and makes them parent's chain.
void build_sub_paths(Project& project, SubPathChains& chains, FlowPath& parent);

// The icon a path shows: a fan (types 21-23) follows the direction (30 for
// dir 1 and 3, 28 for 2, 31 for 4 and 6, 29 for 5); any other element its
// own icon; without an element the icon stays.
std::uint8_t path_icon_for(const FlowPath& path);

// The default wall azimuth of a path, in [0, 360): the wall faces the side
// where ambient lies (the from side when neither or both are ambient):
// south 180, west 270, north 0, east 90, less the relative north.
float default_wall_azimuth(const FlowPath& path, float relative_north);

// A number typed into one of the sheet's plain value fields, read as every
// unit-bearing field reads one: nothing, after a WARNING box that says why,
// when the text is not a number.
std::optional<double> read_typed_value(std::string_view text);

// The zone on each side of a path at a cell, read from the grid.
void read_path_zones(const Project& project, const SketchGrid& grid, GridCell cell, FlowPath& path);

// A new path at the cell, with the defaults of a new path.
FlowPath new_flow_path(const Project& project, const SketchGrid& grid, GridCell cell);

// The answer to leaving a page or to OK. A refusal has been shown already
// (a box of that severity and text); page and focus say where the sheet
// goes back to.
struct PathSheetVerdict {
    bool accepted = true;
    int severity = -1;
    std::string text;
    PathPage page = PathPage::FlowElement;
    std::string focus;
    explicit operator bool() const { return accepted; }
};

class PathSheet {
public:
    // number: 0 for a new path.
    PathSheet(Project& project, SketchGrid& grid, GridCell cell, const FlowPath& working,
              std::int32_t number);
    PathSheet(const PathSheet&) = delete;
    PathSheet& operator=(const PathSheet&) = delete;

    const FlowPath& path() const { return path_; }
    std::int32_t number() const { return number_; }
    // "Path Number:" on every page.
    std::string number_text() const { return std::to_string(number_); }

    // "Flow Element" page.
    std::vector<AirflowElement*> element_choices() const;
    // The name box's text: the element's name or " <required>".
    std::string element_text() const;
    std::string element_description() const;
    // The "Model Summary" lines of the chosen element.
    ElementSummary element_summary_lines() const { return element_summary(path_.element); }
    bool can_edit_element() const { return path_.element != nullptr; }
    void choose_element(AirflowElement* element);
    // An element just made with "New Element" becomes the choice.
    void take_new_element(AirflowElement* element);
    // What "New Element" tells the type chooser: a path on a wall piece or
    // one through the floor to the level below.
    ChooserContext chooser_context() const;

    // "Flow Path" page.
    bool set_relative_elevation(double shown);
    void set_length_unit(int unit);
    // "Multiplier:", "Total length:" or "Total area:".
    std::string multiplier_label() const;
    UnitKind multiplier_kind() const;
    bool multiplier_unit_shown() const;
    bool set_multiplier(double shown);
    void set_multiplier_unit(int unit);
    // "From z1 to z2" and "From z2 to z1", z1 -> z2 the base direction.
    std::array<std::string, 2> direction_choices() const;
    int direction_choice() const { return path_.dir >= 4 ? 1 : 0; }
    void set_direction_choice(int choice);
    PathLimits limits() const;
    void set_limits(PathLimits limits);
    bool limit_fields_enabled() const { return limits() != PathLimits::None; }
    UnitKind limit_kind() const;
    int limit_unit() const;
    void set_limit_unit(int unit);
    // The limit fields' text: " N/A" without limits.
    std::string maximum_text() const;
    std::string minimum_text() const;
    bool set_maximum(double shown);
    bool set_minimum(double shown);
    bool set_x(double shown);
    bool set_y(double shown);
    // Shown values, in the field's unit.
    double relative_elevation_shown() const;
    double multiplier_shown() const;
    double x_shown() const;
    double y_shown() const;

    // "Wind Pressure" page.
    WindOption wind_option() const { return wind_; }
    void set_wind_option(WindOption option);
    bool wind_page_enabled() const;
    bool constant_fields_enabled() const;
    bool variable_fields_enabled() const;
    bool set_wind_pressure(double shown);
    // The constant wind pressure in the pressure unit it shares with the
    // pressure limits, and that unit's box.
    double wind_pressure_shown() const;
    void set_pressure_unit(int unit);
    bool set_wind_modifier(double value);
    bool set_wall_azimuth(double degrees);
    // The project's profiles in name order.
    std::vector<WindProfile*> profile_choices() const;
    void choose_profile(WindProfile* profile);
    // A profile just made with "New Profile" becomes the choice.
    void take_new_profile(WindProfile* profile) { choose_profile(profile); }
    // The profile's name or " <req'd>", and its description.
    std::string profile_text() const;
    std::string profile_description() const;
    bool can_edit_profile() const { return variable_fields_enabled() && path_.wind_profile != nullptr; }

    // "Schedule" page: dimensionless week schedules. Its schedule and
    // values-file choices reach the copy when the sheet is accepted.
    SchedulePage& schedule_page() { return schedule_; }
    Project& project() const { return project_; }
    const SchedulePage& schedule_page() const { return schedule_; }

    // "Filter" page.
    std::string filter_name() const { return filter_.element_name(); }
    std::string filter_description() const { return filter_.element_description(); }
    std::string filter_button() const { return filter_.button_text(); }
    bool can_delete_filter() const { return filter_.can_delete(); }
    // Asks "Delete this filter?"; on yes the path shows no filter, and loses
    // its own when the sheet is accepted.
    bool delete_filter();
    // "New Filter"/"Edit Filter": what "Filter Properties" opens on, and its
    // accepted copy.
    const FilterSlot& filter_slot() const { return filter_; }
    Filter working_filter() const { return filter_.working(); }
    void store_filter(const Filter& filter);

    // "CFD" page.
    void set_cfd_id(std::string id) { cfd_id_ = std::move(id); }
    const std::string& cfd_id() const { return cfd_id_; }
    bool boundary_enabled() const;
    bool pressure_type_enabled() const;
    void set_boundary(int value);
    void set_pressure_type(int value);
    // Called each time the page is shown.
    void show_cfd_page();

    // The checks made when a page is left; a refusal keeps the page.
    PathSheetVerdict leave_page(PathPage page);
    // OK: every page's check, then the copy is stored (a new path added and
    // written into the cell, or the edited one put back). A refusal stores
    // nothing.
    // Once accepted, a further accept() stores nothing and succeeds.
    PathSheetVerdict accept(SubPathChains& chains);
    bool accepted() const { return accepted_; }

private:
    PathSheetVerdict refuse(int severity, std::string text, PathPage page, std::string focus);
    bool set_value(float& value, double shown, UnitKind kind, int unit, float lower = NO_LIMIT,
                   float upper = NO_LIMIT);
    void reread_zones();
    std::string side_name(const ZoneRef& zone) const;
    float level_half_height() const;

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    FlowPath path_;
    FilterSlot filter_;
    std::int32_t number_;
    WindOption wind_ = WindOption::None;
    SchedulePage schedule_;
    std::string cfd_id_;
    bool accepted_ = false;
};

// The dialog: true when the user pressed OK.
using PathSheetDialog = std::function<bool(PathSheet&)>;

// The cursor cell holds an undefined path icon: 1 when a path was added,
// 0 on Cancel.
int create_path(Project& project, SketchGrid& grid, SubPathChains& chains, const PathSheetDialog& dialog);
// Path number at the cursor cell: 1 when the record was replaced, 0 on
// Cancel.
int edit_path(Project& project, SketchGrid& grid, SubPathChains& chains, std::int32_t number,
              const PathSheetDialog& dialog);

}  // namespace avelor
