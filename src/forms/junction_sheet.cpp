#include "forms/junction_sheet.h"

#include <algorithm>
#include <utility>

#include "app/diagnostics.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "sketchpad/palette.h"

namespace avelor {

namespace {

const std::string kNoDownwardDuct = "The duct segment must be defined";
const std::string kNoProfileMessage =
    "Variable wind pressure requires a wind pressure profile.\nYou can do one of the following:\n1) "
    "Select from the Name drop-down list,\n2) Create a new profile,\n3) Select constant wind "
    "pressure, or\n4) CANCEL";
const std::string kBalanceQuestion = "Are you sure you want to change this value?";

constexpr float kDefaultTerminalArea = 0.0314f;  // m2
constexpr float kLeastFreeFaceArea = 0.0001f;    // m2
constexpr float kLeastTerminalLoss = 0.001f;

constexpr std::uint8_t kUpward = 3, kDownward = 6;

// Nine significant digits carry any float through the text unchanged.
bool set_value(float& value, double shown, UnitKind kind, int unit, float lower = NO_LIMIT, float upper = NO_LIMIT)
{
    UnitField field(value, kind, unit_index_valid(kind, unit) ? unit : 0, lower, upper);
    return field.validate(format_number(shown, 1, 9));
}

double shown_value(float value, UnitKind kind, int unit)
{
    return convert_units(value, true, kind, unit_index_valid(kind, unit) ? unit : 0);
}

// The four neighbours in the order the terminal rules test them: above,
// east, below, west, each with the direction of flow from there.
struct Neighbour {
    int drow, dcol;
    std::uint8_t flow;
};
constexpr Neighbour kAboveEastBelowWest[] = {{-1, 0, 4}, {0, 1, 5}, {1, 0, 1}, {0, -1, 2}};

std::uint8_t duct_at(const SketchGrid& grid, int row, int col)
{
    return grid.in_drawing(row, col) ? grid.current().Ducts(row, col) : std::uint8_t{0};
}

ZoneRef zone_of(const Project& project, std::int32_t id)
{
    if (id == ZONE_AMBIENT) return ZoneRef::ambient();
    if (id > 0) return ZoneRef(project.zones.at(id));
    return {};
}

}  // namespace

std::string_view junction_page_title(JunctionPage page)
{
    switch (page) {
    case JunctionPage::Junction: return "Junction";
    case JunctionPage::TerminalData: return "Terminal Data";
    case JunctionPage::WindPressure: return "Wind Pressure";
    case JunctionPage::Schedule: return "Schedule";
    case JunctionPage::Filter: return "Filter";
    }
    return {};
}

int duct_neighbour_count(const SketchGrid& grid, GridCell cell)
{
    int count = 0;
    for (const Neighbour& n : kAboveEastBelowWest)
        if (duct_at(grid, cell.row + n.drow, cell.col + n.dcol) != 0) ++count;
    return count;
}

std::vector<std::uint8_t> node_kinds_for(int neighbours)
{
    if (neighbours <= 0) return {161, 163, 164};
    if (neighbours == 1) return {159, 160, 161, 162};
    return {158, 159, 160, 161};
}

std::uint8_t terminal_direction(const SketchGrid& grid, GridCell cell, std::uint8_t kind)
{
    if (kind == 163) return kDownward;
    if (kind == 164) return kUpward;
    if (kind != ICN_TERMINAL) return 0;
    for (const Neighbour& n : kAboveEastBelowWest)
        if (duct_at(grid, cell.row + n.drow, cell.col + n.dcol) != 0) return n.flow;
    return 0;
}

std::uint8_t terminal_facing(std::uint8_t direction)
{
    if (direction == 0) return 0;
    const int side = direction + 3;
    return static_cast<std::uint8_t>(side > 6 ? side - 6 : side);
}

float default_terminal_azimuth(const SketchGrid& grid, GridCell cell, std::uint8_t kind, float relative_north)
{
    // The wall rule of the flow paths: a path whose from side is ambient
    // faces that side. The terminal's open side is the one facing away from
    // its duct, so it stands as a path running from there.
    FlowPath probe;
    probe.dir = terminal_facing(terminal_direction(grid, cell, kind));
    probe.zone_n = ZoneRef::ambient();
    return default_wall_azimuth(probe, relative_north);
}

Junction new_junction(const Project& project, std::uint8_t kind, const JunctionDefaults& defaults)
{
    Junction j;
    j.icon = kind;
    j.t = is_terminal_kind(kind) ? kJunctionTerminal : kJunctionPlain;
    j.T0 = project.rc.T;
    j.relHt = defaults.relative_elevation;
    j.clr = -1;
    const std::int16_t system = project.rc.ud != 0 ? 1 : 0;
    j.u = {system, static_cast<std::int16_t>(system + 2), system, system};
    j.CC0 = project.CC0;
    TerminalData& t = j.terminal;
    t.wall_azimuth() = -1;
    t.duct_area() = kDefaultTerminalArea;
    t.free_face_area() = kDefaultTerminalArea;
    t.loss_coefficient() = 0.125f;
    t.balance_coefficient() = 0;
    t.max_balance_coefficient() = 0.8f;
    t.design_flow_unit() = project.rc.uf;
    t.area_unit() = system;
    t.wind_pressure_unit() = system;
    return j;
}

float terminal_duct_area(const Project& project, const SketchGrid& grid, GridCell cell, const DuctSegment* downward)
{
    const DuctSegment* feed = downward;
    if (!feed) {
        // Above, below, west, east.
        static constexpr int kOrder[][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& d : kOrder) {
            const int r = cell.row + d[0];
            const int c = cell.col + d[1];
            if (duct_at(grid, r, c) == 0) continue;
            const std::int32_t n = grid.current().Paths(r, c);
            if (n > 0 && (feed = project.ducts.at(n))) break;
        }
    }
    if (feed && feed->element && feed->element->shape.area > 0) return feed->element->shape.area;
    return kDefaultTerminalArea;
}

// --- the sheet -------------------------------------------------------------

JunctionSheet::JunctionSheet(Project& project, SketchGrid& grid, GridCell cell, const Junction& working,
                             const std::optional<DuctSegment>& downward, std::int32_t number)
    : project_(project),
      grid_(grid),
      cell_(cell),
      junction_(working),
      filter_(project, working.terminal.filter),
      downward_(downward ? *downward : new_duct_segment(project, SegmentRun::Downward)),
      downward_filter_(project, downward_.filter),
      downward_number_(downward ? downward->nr : 0),
      number_(number),
      neighbours_(duct_neighbour_count(grid, cell)),
      schedule_(SchedulePage::make(project, UnitKind::Temperature, working.cdvf, working.schedule,
                                   working.control != nullptr))
{
    junction_.CC0.resize(static_cast<std::size_t>(project.nctm()), 0.0f);
    const TerminalData& t = junction_.terminal;
    if (junction_.flags & kJunctionWind)
        wind_.option = t.wind_profile ? WindOption::Variable : WindOption::Constant;
    wind_.profile = t.wind_profile;
    wind_.pressure = t.wind_pressure();
    wind_.modifier = t.wind_modifier();
    wind_.azimuth = t.wall_azimuth();
    wind_.unit = t.wind_pressure_unit();
    if (is_terminal() && junction_.terminal.direction() == 0)
        junction_.terminal.direction() = terminal_direction(grid_, cell_, kind());
}

JunctionSheetVerdict JunctionSheet::refuse(int severity, std::string text, JunctionPage page, std::string focus)
{
    show_message(severity, {text});
    JunctionSheetVerdict v;
    v.accepted = false;
    v.severity = severity;
    v.text = std::move(text);
    v.page = page;
    v.focus = std::move(focus);
    return v;
}

bool JunctionSheet::exposed() const
{
    return grid_.in_drawing(cell_.row, cell_.col) && grid_.current().Zones(cell_.row, cell_.col) == ZONE_AMBIENT;
}

std::vector<JunctionPage> JunctionSheet::pages() const
{
    if (!is_terminal()) return {JunctionPage::Junction, JunctionPage::Schedule};
    std::vector<JunctionPage> pages{JunctionPage::Junction, JunctionPage::TerminalData};
    if (exposed()) pages.push_back(JunctionPage::WindPressure);
    pages.push_back(JunctionPage::Schedule);
    pages.push_back(JunctionPage::Filter);
    return pages;
}

// Junction page.

bool JunctionSheet::kind_enabled(std::uint8_t kind) const
{
    const std::vector<std::uint8_t> kinds = node_kinds_for(neighbours_);
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

bool JunctionSheet::set_kind(std::uint8_t kind)
{
    if (!kind_enabled(kind)) return false;
    junction_.icon = kind;
    if (is_terminal_kind(kind)) junction_.terminal.direction() = terminal_direction(grid_, cell_, kind);
    return true;
}

bool JunctionSheet::define_downward_duct(const DuctSegmentSheetDialog& dialog)
{
    if (!downward_button_enabled()) return false;
    DuctSegmentSheet sheet(project_, downward_, downward_number_);
    sheet.filter_slot().start_from(downward_filter_);
    while (dialog(sheet)) {
        if (sheet.accept()) {
            downward_ = sheet.segment();
            downward_filter_.adopt(sheet.filter_slot());
            return true;
        }
    }
    return false;
}

bool JunctionSheet::set_relative_elevation(double shown)
{
    return set_value(junction_.relHt, shown, UnitKind::Length, length_unit());
}

double JunctionSheet::relative_elevation_shown() const
{
    return shown_value(junction_.relHt, UnitKind::Length, length_unit());
}

void JunctionSheet::set_length_unit(int unit)
{
    if (unit_index_valid(UnitKind::Length, unit)) junction_.u[kJunctionUnitLength] = static_cast<std::int16_t>(unit);
}

std::string JunctionSheet::temperature_text() const
{
    if (!temperature_enabled()) return " N/A";
    return format_number(shown_value(junction_.T0, UnitKind::Temperature, temperature_unit()), 1, 6);
}

bool JunctionSheet::set_temperature(double shown)
{
    if (!temperature_enabled()) return false;
    return set_value(junction_.T0, shown, UnitKind::Temperature, temperature_unit());
}

void JunctionSheet::set_temperature_unit(int unit)
{
    if (unit_index_valid(UnitKind::Temperature, unit))
        junction_.u[kJunctionUnitTemperature] = static_cast<std::int16_t>(unit);
}

bool JunctionSheet::set_x(double shown) { return set_value(junction_.X, shown, UnitKind::Length, length_unit()); }
bool JunctionSheet::set_y(double shown) { return set_value(junction_.Y, shown, UnitKind::Length, length_unit()); }
double JunctionSheet::x_shown() const { return shown_value(junction_.X, UnitKind::Length, length_unit()); }
double JunctionSheet::y_shown() const { return shown_value(junction_.Y, UnitKind::Length, length_unit()); }

bool JunctionSheet::set_colour(int index)
{
    if (index < -1 || index >= kSketchColourCount) return false;
    junction_.clr = static_cast<std::int16_t>(index);
    return true;
}

// Terminal Data page.

void JunctionSheet::show_terminal_page()
{
    const DuctSegment* down = kind_connects_down(kind()) && downward_defined() ? &downward_ : nullptr;
    junction_.terminal.duct_area() = terminal_duct_area(project_, grid_, cell_, down);
}

double JunctionSheet::duct_area_shown() const
{
    return shown_value(junction_.terminal.duct_area(), UnitKind::Area, area_unit());
}

void JunctionSheet::set_area_unit(int unit)
{
    if (unit_index_valid(UnitKind::Area, unit)) junction_.terminal.area_unit() = static_cast<std::int16_t>(unit);
}

bool JunctionSheet::set_free_face_area(double shown)
{
    return set_value(junction_.terminal.free_face_area(), shown, UnitKind::Area, area_unit(), kLeastFreeFaceArea);
}

double JunctionSheet::free_face_area_shown() const
{
    return shown_value(junction_.terminal.free_face_area(), UnitKind::Area, area_unit());
}

bool JunctionSheet::set_design_flow(double shown)
{
    return set_value(junction_.terminal.design_flow(), shown, UnitKind::MassFlow, design_flow_unit());
}

double JunctionSheet::design_flow_shown() const
{
    return shown_value(junction_.terminal.design_flow(), UnitKind::MassFlow, design_flow_unit());
}

void JunctionSheet::set_design_flow_unit(int unit)
{
    if (unit_index_valid(UnitKind::MassFlow, unit))
        junction_.terminal.design_flow_unit() = static_cast<std::int16_t>(unit);
}

bool JunctionSheet::set_terminal_loss(double value)
{
    return set_value(junction_.terminal.loss_coefficient(), value, UnitKind::Dimensionless, 0, kLeastTerminalLoss);
}

bool JunctionSheet::set_balance_loss(double value)
{
    if (ask_question(kBalanceQuestion) != 1) return false;
    return set_value(junction_.terminal.balance_coefficient(), value, UnitKind::Dimensionless, 0, 0.0f);
}

bool JunctionSheet::set_max_balance(double value)
{
    return set_value(junction_.terminal.max_balance_coefficient(), value, UnitKind::Dimensionless, 0);
}

void JunctionSheet::set_balance_terminal(bool on) { junction_.terminal.balance_terminal() = on ? 1 : 0; }

// Wind Pressure page.

bool JunctionSheet::wind_page_enabled() const { return is_terminal() && exposed() && !project_.rc.wpc_in_use(); }

void JunctionSheet::set_wind_option(WindOption option)
{
    if (!wind_page_enabled()) return;
    wind_.option = option;
    switch (option) {
    case WindOption::None:
        wind_.modifier = 0;
        wind_.profile = nullptr;
        break;
    case WindOption::Constant: wind_.profile = nullptr; break;
    case WindOption::Variable:
        wind_.modifier = project_.rc.wind_modifier_squared;
        if (wind_.azimuth < 0) wind_.azimuth = default_terminal_azimuth(grid_, cell_, kind(), project_.rc.N);
        break;
    }
}

bool JunctionSheet::set_wind_pressure(double shown)
{
    if (!constant_fields_enabled()) return false;
    return set_value(wind_.pressure, shown, UnitKind::PressureDifference, wind_.unit);
}

double JunctionSheet::wind_pressure_shown() const
{
    return shown_value(wind_.pressure, UnitKind::PressureDifference, wind_.unit);
}

void JunctionSheet::set_wind_pressure_unit(int unit)
{
    if (unit_index_valid(UnitKind::PressureDifference, unit)) wind_.unit = static_cast<std::int16_t>(unit);
}

bool JunctionSheet::set_wind_modifier(double value)
{
    if (!variable_fields_enabled()) return false;
    return set_value(wind_.modifier, value, UnitKind::Dimensionless, 0);
}

bool JunctionSheet::set_wall_azimuth(double degrees)
{
    if (!variable_fields_enabled()) return false;
    return set_value(wind_.azimuth, degrees, UnitKind::Dimensionless, 0, 0.0f, 360.0f);
}

std::vector<WindProfile*> JunctionSheet::profile_choices() const
{
    std::vector<WindProfile*> choices;
    for (WindProfile& p : project_.wind_profiles) choices.push_back(&p);
    return choices;
}

void JunctionSheet::choose_profile(WindProfile* profile)
{
    if (variable_fields_enabled()) wind_.profile = profile;
}

std::string JunctionSheet::profile_text() const
{
    return wind_.profile ? wind_.profile->name : std::string(" <req'd>");
}

std::string JunctionSheet::profile_description() const { return wind_.profile ? wind_.profile->desc : std::string(); }

// Filter page.

bool JunctionSheet::delete_filter()
{
    if (!filter_.remove()) return false;
    junction_.terminal.filter = nullptr;
    return true;
}

void JunctionSheet::store_filter(const Filter& filter)
{
    filter_.store(filter);
}

// Page checks and OK.

JunctionSheetVerdict JunctionSheet::leave_page(JunctionPage page)
{
    switch (page) {
    case JunctionPage::Junction:
        if (kind_connects_down(kind()) && !downward_defined())
            return refuse(WARNING, kNoDownwardDuct, page, "downward");
        break;
    case JunctionPage::WindPressure:
        if (wind_page_enabled() && wind_.option == WindOption::Variable && !wind_.profile)
            return refuse(WARNING, kNoProfileMessage, page, "profile");
        break;
    case JunctionPage::Schedule:
        if (std::optional<std::string> refusal = schedule_.leave()) {
            JunctionSheetVerdict v;
            v.accepted = false;
            v.severity = ERROR;
            v.text = *refusal;
            v.page = page;
            v.focus = "column";
            return v;
        }
        break;
    case JunctionPage::TerminalData:
    case JunctionPage::Filter: break;
    }
    return {};
}

JunctionSheetVerdict JunctionSheet::accept()
{
    if (accepted_) return {};
    for (JunctionPage page : pages()) {
        JunctionSheetVerdict v = leave_page(page);
        if (!v) return v;
    }
    store();
    accepted_ = true;
    return {};
}

void JunctionSheet::link_downward(DuctSegment& segment, Junction& node) const
{
    // A vertical segment runs between this node and the node at the same
    // cell of the level below: n is the lower one for upward flow (3), the
    // upper one for downward flow (6).
    Junction* lower = nullptr;
    const Level* level = project_.current_level;
    if (level && level->below) {
        const LevelCells& below = grid_.below();
        if (is_duct_node(below.Ducts(cell_.row, cell_.col)))
            lower = project_.junctions.at(below.Paths(cell_.row, cell_.col));
    }
    const bool upward = segment.dir != kDownward;
    segment.junction_n = upward ? lower : &node;
    segment.junction_m = upward ? &node : lower;
}

void JunctionSheet::store()
{
    Junction& j = junction_;
    const bool terminal = is_terminal();
    j.t = !terminal ? kJunctionPlain : exposed() ? kJunctionExposed : kJunctionTerminal;
    if (terminal) {
        j.terminal.direction() = terminal_direction(grid_, cell_, kind());
        show_terminal_page();
    }
    if (j.t == kJunctionExposed) {
        TerminalData& t = j.terminal;
        if (wind_.option == WindOption::None)
            j.flags &= static_cast<std::uint16_t>(~kJunctionWind);
        else
            j.flags |= kJunctionWind;
        t.wind_profile = wind_.option == WindOption::Variable ? wind_.profile : nullptr;
        t.wind_pressure() = wind_.pressure;
        t.wind_modifier() = wind_.modifier;
        t.wall_azimuth() = wind_.azimuth;
        t.wind_pressure_unit() = wind_.unit;
    }
    j.zone = zone_of(project_, grid_.current().Zones(cell_.row, cell_.col));
    j.cdvf = schedule_.cdvf;
    j.schedule = schedule_.chosen();

    if (!terminal) filter_.clear();
    j.terminal.filter = filter_.commit();
    const bool keeps_downward = kind_connects_down(kind()) && downward_defined();
    if (!keeps_downward) downward_filter_.clear();
    downward_.filter = downward_filter_.commit();

    DuctSegment* down = nullptr;
    if (keeps_downward) {
        if (downward_number_ > 0 && project_.ducts.at(downward_number_))
            down = project_.ducts.put(downward_number_, downward_);
        else
            down = project_.ducts.add(downward_);
    } else if (downward_number_ > 0) {
        project_.ducts.release(downward_number_);
    }
    downward_number_ = down ? down->nr : 0;
    j.duct = down;
    j.duct_nr = downward_number_;

    LevelCells& cells = grid_.current();
    Junction* stored = nullptr;
    if (number_ == 0) {
        stored = add_junction(project_, j);
        number_ = stored->nr;
        cells.Paths(cell_.row, cell_.col) = number_;
    } else {
        stored = project_.junctions.put(number_, j);
    }
    if (down) {
        link_downward(*down, *stored);
        downward_ = *down;
    }
    cells.Ducts(cell_.row, cell_.col) = kind();
    grid_.Scolors(cell_.row, cell_.col) = grid_.colours.background;
    junction_ = *stored;
    project_.mark_changed();
}

// --- entry points -----------------------------------------------------------

namespace {

int run_sheet(JunctionSheet& sheet, const JunctionSheetDialog& dialog)
{
    while (dialog(sheet)) {
        if (sheet.accept()) return 1;
    }
    return 0;
}

}  // namespace

int create_junction(Project& project, SketchGrid& grid, JunctionDefaults& defaults, const JunctionSheetDialog& dialog)
{
    const GridCell cell = grid.cursor;
    if (!grid.in_drawing(cell.row, cell.col)) return 0;
    const std::uint8_t code = grid.current().Ducts(cell.row, cell.col);
    if (!is_duct_node(code) || grid.current().Paths(cell.row, cell.col) != 0) return 0;
    JunctionSheet sheet(project, grid, cell, new_junction(project, code, defaults), std::nullopt, 0);
    if (run_sheet(sheet, dialog) != 1) return 0;
    defaults.relative_elevation = sheet.junction().relHt;
    return 1;
}

int edit_junction(Project& project, SketchGrid& grid, std::int32_t number, const JunctionSheetDialog& dialog)
{
    std::optional<Junction> copy = project.junctions.get(number);
    if (!copy) return 0;
    std::optional<DuctSegment> downward;
    if (copy->duct) downward = *copy->duct;
    // The cell's code is the kind the sheet starts from.
    const GridCell cell = grid.cursor;
    if (grid.in_drawing(cell.row, cell.col) && is_duct_node(grid.current().Ducts(cell.row, cell.col)))
        copy->icon = grid.current().Ducts(cell.row, cell.col);
    JunctionSheet sheet(project, grid, cell, *copy, downward, number);
    return run_sheet(sheet, dialog);
}

}  // namespace avelor
