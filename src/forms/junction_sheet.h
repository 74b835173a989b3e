// The "Duct Junction Properties" sheet without its widgets: a working copy
// of one junction or terminal and of its downward duct segment, the kinds
// the neighbouring ducts allow, the terminal's balancing data and, for a
// terminal in the open, its wind pressure; the checks made when a page is
// left and when the sheet is accepted, and the storing of the accepted
// copies.
//
// The pages follow the kind: a junction shows "Junction" and "Schedule"; a
// terminal "Junction", "Terminal Data", "Wind Pressure" (only when its
// cell's zone is ambient), "Schedule" and "Filter". Changing the kind
// between a junction and a terminal changes the pages of the open sheet.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/duct_segment_sheet.h"
#include "forms/path_sheet.h"
#include "forms/zone_sheet.h"
#include "model/records.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

enum class JunctionPage { Junction, TerminalData, WindPressure, Schedule, Filter };

// The caption of a page's tab.
std::string_view junction_page_title(JunctionPage page);

// Node kinds by their cell code: 158 junction, 159 up, 160 down, 161 up and
// down; 162 terminal, 163 up, 164 down.
inline bool is_terminal_kind(std::uint8_t code) { return code >= 162 && code <= 164; }
inline bool kind_connects_down(std::uint8_t code) { return code == 160 || code == 161 || code == 164; }
inline bool kind_connects_up(std::uint8_t code) { return code == 159 || code == 161 || code == 163; }

// The four neighbours of a cell of the current level that hold a duct piece.
int duct_neighbour_count(const SketchGrid& grid, GridCell cell);
// The kinds a node with that many neighbouring ducts may take: none of them
// 161, 163, 164; one 159, 160, 161, 162; more 158 to 161.
std::vector<std::uint8_t> node_kinds_for(int neighbours);

// The direction of flow from a terminal's duct into it: for 162 by where
// its duct piece lies (looked for above, east, below, west: 4, 5, 1, 2; 0
// with none); 163 has 6, 164 has 3; 0 for a junction kind.
std::uint8_t terminal_direction(const SketchGrid& grid, GridCell cell, std::uint8_t kind);
// The side a terminal faces, the reverse of its direction (d + 3, less 6
// above 6); 0 for 0.
std::uint8_t terminal_facing(std::uint8_t direction);
// The default wall azimuth of a terminal at a cell, in [0, 360): the
// bearing of the open side away from its duct, as read from the grid
// (south 180, west 270, north 0, east 90), less the relative north; 0 for
// a terminal connected only up or down.
float default_terminal_azimuth(const SketchGrid& grid, GridCell cell, std::uint8_t kind, float relative_north);

// What a new node starts from beyond the project: the relative elevation of
// the last node created in this run of the editor (0 at first).
struct JunctionDefaults {
    float relative_elevation = 0;
};

// A new node of a kind with the defaults of a new junction or terminal.
Junction new_junction(const Project& project, std::uint8_t kind, const JunctionDefaults& defaults);

// The duct area a terminal's page shows, m2: the section of the segment
// that feeds it (its downward segment, else the one numbered in the piece
// above, below, west or east of the cell, in that order), 0.0314 m2 when
// there is none or its element's shape gives no area.
float terminal_duct_area(const Project& project, const SketchGrid& grid, GridCell cell,
                         const DuctSegment* downward);

// The answer to leaving a page or to OK. A refusal has been shown already;
// page and focus say where the sheet goes back to.
struct JunctionSheetVerdict {
    bool accepted = true;
    int severity = -1;
    std::string text;
    JunctionPage page = JunctionPage::Junction;
    std::string focus;
    explicit operator bool() const { return accepted; }
};

class JunctionSheet {
public:
    // working: the junction (a new one, number 0, or a copy of number's);
    // downward: a copy of its downward segment, if it has one.
    JunctionSheet(Project& project, SketchGrid& grid, GridCell cell, const Junction& working,
                  const std::optional<DuctSegment>& downward, std::int32_t number);
    JunctionSheet(const JunctionSheet&) = delete;
    JunctionSheet& operator=(const JunctionSheet&) = delete;

    const Junction& junction() const { return junction_; }
    // The working downward segment: an empty new one while the node has
    // none.
    const DuctSegment& downward() const { return downward_; }
    // The node refers to its working downward segment once that has an
    // element.
    bool downward_defined() const { return downward_.element != nullptr; }
    std::int32_t number() const { return number_; }
    // "Junction Number:" on every page.
    std::string number_text() const { return std::to_string(number_); }
    Project& project() const { return project_; }

    // The cell's zone is ambient: a terminal there is exposed.
    bool exposed() const;
    // The pages of the kind chosen now, in order.
    std::vector<JunctionPage> pages() const;

    // ---- "Junction" page
    int duct_neighbours() const { return neighbours_; }
    bool kind_enabled(std::uint8_t kind) const;
    std::uint8_t kind() const { return junction_.icon; }
    bool is_terminal() const { return is_terminal_kind(kind()); }
    // False (nothing changes) for a kind the neighbouring ducts rule out.
    // A terminal kind sets the terminal direction.
    bool set_kind(std::uint8_t kind);
    // "Define Downward Duct": enabled for 160, 161 and 164.
    bool downward_button_enabled() const { return kind_connects_down(kind()); }
    // Runs the duct segment sheet on a copy of the working downward
    // segment; on OK the copy becomes the working one. True when accepted.
    bool define_downward_duct(const DuctSegmentSheetDialog& dialog);

    bool set_relative_elevation(double shown);
    double relative_elevation_shown() const;
    int length_unit() const { return junction_.u[kJunctionUnitLength]; }
    void set_length_unit(int unit);
    // Shown as " N/A" and disabled for the terminal kinds.
    bool temperature_enabled() const { return !is_terminal(); }
    std::string temperature_text() const;
    bool set_temperature(double shown);
    int temperature_unit() const { return junction_.u[kJunctionUnitTemperature]; }
    void set_temperature_unit(int unit);
    bool set_x(double shown);
    bool set_y(double shown);
    double x_shown() const;
    double y_shown() const;
    // The colour index: -1 is "Use Default"; others index the colour table.
    bool set_colour(int index);

    // ---- "Terminal Data" page (terminals only)
    // Called each time the page is shown: the duct area is looked up.
    void show_terminal_page();
    double duct_area_shown() const;
    int area_unit() const { return junction_.terminal.area_unit(); }
    void set_area_unit(int unit);
    bool set_free_face_area(double shown);
    double free_face_area_shown() const;
    bool set_design_flow(double shown);
    double design_flow_shown() const;
    int design_flow_unit() const { return junction_.terminal.design_flow_unit(); }
    void set_design_flow_unit(int unit);
    bool set_terminal_loss(double value);
    // Every entry first asks "Are you sure you want to change this
    // value?"; No keeps the shown value (false).
    bool set_balance_loss(double value);
    bool set_max_balance(double value);
    void set_balance_terminal(bool on);
    bool balance_terminal() const { return junction_.terminal.balance_terminal() != 0; }

    // ---- "Wind Pressure" page (exposed terminals only). Its values reach
    // the record only when the sheet is accepted on an exposed terminal.
    WindOption wind_option() const { return wind_.option; }
    void set_wind_option(WindOption option);
    bool wind_page_enabled() const;
    bool constant_fields_enabled() const { return wind_page_enabled() && wind_.option == WindOption::Constant; }
    bool variable_fields_enabled() const { return wind_page_enabled() && wind_.option == WindOption::Variable; }
    bool set_wind_pressure(double shown);
    double wind_pressure_shown() const;
    int wind_pressure_unit() const { return wind_.unit; }
    void set_wind_pressure_unit(int unit);
    bool set_wind_modifier(double value);
    float wind_modifier() const { return wind_.modifier; }
    bool set_wall_azimuth(double degrees);
    float wall_azimuth() const { return wind_.azimuth; }
    std::vector<WindProfile*> profile_choices() const;
    void choose_profile(WindProfile* profile);
    void take_new_profile(WindProfile* profile) { choose_profile(profile); }
    WindProfile* profile() const { return wind_.profile; }
    // The profile's name or " <req'd>", and its description.
    std::string profile_text() const;
    std::string profile_description() const;
    bool can_edit_profile() const { return variable_fields_enabled() && wind_.profile != nullptr; }

    // ---- "Schedule" page: temperature week schedules.
    SchedulePage& schedule_page() { return schedule_; }
    const SchedulePage& schedule_page() const { return schedule_; }

    // ---- "Filter" page (terminals only)
    // Changes are made when the sheet is accepted; a node that is no
    // terminal then keeps no filter.
    std::string filter_name() const { return filter_.element_name(); }
    std::string filter_description() const { return filter_.element_description(); }
    std::string filter_button() const { return filter_.button_text(); }
    bool can_delete_filter() const { return filter_.can_delete(); }
    // Asks "Delete this filter?"; on yes the terminal shows no filter.
    bool delete_filter();
    const FilterSlot& filter_slot() const { return filter_; }
    Filter working_filter() const { return filter_.working(); }
    void store_filter(const Filter& filter);

    // The checks made when a page is left; a refusal keeps the page.
    JunctionSheetVerdict leave_page(JunctionPage page);
    // OK: the checks of the pages the kind shows, then the copies are
    // stored: the downward segment added, put back or freed as the kind
    // and its element say; the junction added (its number and kind written
    // into the cell) or put back. A refusal stores nothing; once accepted, a
    // further accept() stores nothing and succeeds.
    JunctionSheetVerdict accept();
    bool accepted() const { return accepted_; }

private:
    struct Wind {
        WindOption option = WindOption::None;
        WindProfile* profile = nullptr;
        float pressure = 0;
        float modifier = 0;
        float azimuth = -1;
        std::int16_t unit = 0;
    };

    JunctionSheetVerdict refuse(int severity, std::string text, JunctionPage page, std::string focus);
    void store();
    void link_downward(DuctSegment& segment, Junction& node) const;

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    Junction junction_;
    FilterSlot filter_;
    DuctSegment downward_;
    // The downward segment's filter, which its own sheet passes on here.
    FilterSlot downward_filter_;
    std::int32_t downward_number_ = 0;  // the stored downward segment, 0 for none
    std::int32_t number_;
    int neighbours_ = 0;
    Wind wind_;
    SchedulePage schedule_;
    bool accepted_ = false;
};

// The dialog: true when the user pressed OK.
using JunctionSheetDialog = std::function<bool(JunctionSheet&)>;

// The cursor cell of the current level holds an unnumbered node: the sheet
// on a new node of the cell's kind. 1 when the records were added (the
// node's relative elevation becomes the default of the next new node), 0
// on Cancel (nothing changes).
int create_junction(Project& project, SketchGrid& grid, JunctionDefaults& defaults, const JunctionSheetDialog& dialog);
// The node at the cursor cell is junction number: 1 when the records were
// replaced, 0 on Cancel or for a number that names none.
int edit_junction(Project& project, SketchGrid& grid, std::int32_t number, const JunctionSheetDialog& dialog);

}  // namespace avelor
