#include "forms/path_sheet.h"

#include <cmath>
#include <optional>
#include <utility>
#include <variant>

#include "app/diagnostics.h"
#include "app/lists.h"
#include "model/cell_codes.h"
#include "model/unit_field.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

const std::string kNoElementMessage =
    "A Name must be selected. You can do one of the following:\n1) Select from the Name drop-down "
    "list,\n2) Create a new element by clicking the 'New Element' button, or\n3) CANCEL";
const std::string kNoProfileMessage =
    "Variable wind pressure requires a wind pressure profile.\nYou can do one of the following:\n1) "
    "Select from the Name drop-down list,\n2) Create a new profile,\n3) Select constant wind "
    "pressure, or\n4) CANCEL";
const std::string kCfdIdUsedMessage = "The CFD Path ID given is already used by another path.";

bool is_fan(const AirflowElement* element) { return element && is_fan_type(element->type); }

bool is_constant_flow_fan(const AirflowElement* element)
{
    return element && (element->type == kFanCmf || element->type == kFanCvf);
}

bool is_super(const AirflowElement* element) { return element && element->type == kSupAfe; }

ZoneRef zone_ref(const Project& project, std::int32_t id)
{
    if (id == ZONE_AMBIENT) return ZoneRef::ambient();
    if (id > 0) return ZoneRef(project.zones.at(id));
    return {};
}

std::string shown_number(float value) { return format_number(value, 6); }

}  // namespace

// --- sub-path chains -------------------------------------------------------

void build_sub_paths(Project& project, SubPathChains& chains, FlowPath& parent)
{
    if (!is_super(parent.element)) return;
    const auto* super = std::get_if<SuperData>(&parent.element->data);
    if (!super) return;
    for (const SubElement& sub : super->subs) {
        FlowPath p;
        p.flags = parent.flags;
        p.dir = parent.dir;
        p.zone_n = parent.zone_n;
        p.zone_m = parent.zone_m;
        p.mult = parent.mult;
        p.wind_profile = parent.wind_profile;
        p.wPset = parent.wPset;
        p.wPmod = parent.wPmod;
        p.wazm = parent.wazm;
        p.X = parent.X;
        p.Y = parent.Y;
        p.Xmax = parent.Xmax;
        p.Xmin = parent.Xmin;
        p.u = parent.u;
        p.element = sub.element;
        p.icn = sub.element ? sub.element->icon : parent.icn;
        p.filter = sub.filtered ? parent.filter : nullptr;
        p.schedule = sub.scheduled ? parent.schedule : nullptr;
        p.control = sub.scheduled ? parent.control : nullptr;
        p.relHt = parent.relHt + sub.relHt;
        FlowPath* stored = add_path(project, p);
        stored->level = parent.level;
        chains.append(&parent, stored);
    }
}

// --- helpers ---------------------------------------------------------------

std::uint8_t path_icon_for(const FlowPath& path)
{
    if (path.element && path.has_element()) {
        if (!is_fan(path.element)) return path.element->icon;
        switch (path.dir) {
        case kDirNorth:
        case kDirUp: return 30;
        case kDirEast: return 28;
        case kDirSouth:
        case kDirDown: return 31;
        case kDirWest: return 29;
        default: break;
        }
    }
    return path.icn;
}

float default_wall_azimuth(const FlowPath& path, float relative_north)
{
    // The compass bearing each side of the wall faces, for the from (n) and
    // to (m) side of every direction across a wall.
    double from = 0, to = 0;
    switch (path.dir) {
    case kDirNorth: from = 180, to = 0; break;   // south to north
    case kDirEast: from = 270, to = 90; break;   // west to east
    case kDirSouth: from = 0, to = 180; break;   // north to south
    case kDirWest: from = 90, to = 270; break;   // east to west
    default: return 0;
    }
    const bool to_side = path.zone_m.is_ambient() && !path.zone_n.is_ambient();
    double azimuth = std::fmod((to_side ? to : from) - relative_north, 360.0);
    if (azimuth < 0) azimuth += 360.0;
    if (azimuth >= 360.0) azimuth = 0;
    return static_cast<float>(azimuth);
}

std::optional<double> read_typed_value(std::string_view text)
{
    // The field's own check, on a scratch value without unit or bounds.
    float scratch = 0;
    UnitField field(scratch, UnitKind::Dimensionless, 0);
    if (!field.validate(text)) return std::nullopt;
    return parse_typed_number(text);
}

void read_path_zones(const Project& project, const SketchGrid& grid, GridCell cell, FlowPath& path)
{
    const PathSides sides = path_sides(grid, cell.row, cell.col, path.dir);
    path.zone_n = zone_ref(project, sides.n);
    path.zone_m = zone_ref(project, sides.m);
}

FlowPath new_flow_path(const Project& project, const SketchGrid& grid, GridCell cell)
{
    FlowPath path;
    path.mult = 1;
    path.wazm = -1;
    path.icn = ICN_PATH;
    path.u[kPathUnitFlow] = project.rc.uf;
    if (project.rc.ud != 0) {
        path.u[kPathUnitLength] = 1;
        path.u[kPathUnitPressure] = 1;
    }
    path.dir = initial_path_dir(grid, cell.row, cell.col);
    read_path_zones(project, grid, cell, path);
    path.level = project.current_level;
    if (path.dir != kDirUp && project.current_level) path.relHt = project.current_level->delHt / 2;
    path.cfd_values = {kCfdBoundaryPressure, kCfdPressureLinear, 1};
    return path;
}

// --- the sheet -------------------------------------------------------------

PathSheet::PathSheet(Project& project, SketchGrid& grid, GridCell cell, const FlowPath& working,
                     std::int32_t number)
    : project_(project),
      grid_(grid),
      cell_(cell),
      path_(working),
      filter_(project, working.filter),
      number_(number),
      schedule_(SchedulePage::make(project, UnitKind::Dimensionless, working.cdvf, working.schedule,
                                   working.control != nullptr)),
      cfd_id_(working.cfd_name)
{
    if (path_.zone_n.is_ambient() || path_.zone_m.is_ambient()) {
        if (path_.flags & kPathWindPressure)
            wind_ = path_.wind_profile ? WindOption::Variable : WindOption::Constant;
    }
}

PathSheetVerdict PathSheet::refuse(int severity, std::string text, PathPage page, std::string focus)
{
    show_message(severity, {text});
    PathSheetVerdict v;
    v.accepted = false;
    v.severity = severity;
    v.text = std::move(text);
    v.page = page;
    v.focus = std::move(focus);
    return v;
}

bool PathSheet::set_value(float& value, double shown, UnitKind kind, int unit, float lower, float upper)
{
    // Nine significant digits carry any float through the text unchanged.
    UnitField field(value, kind, unit, lower, upper);
    return field.validate(format_number(shown, 1, 9));
}

float PathSheet::level_half_height() const
{
    return project_.current_level ? project_.current_level->delHt / 2 : 0;
}

void PathSheet::reread_zones()
{
    read_path_zones(project_, grid_, cell_, path_);
    path_.icn = path_icon_for(path_);
}

std::string PathSheet::side_name(const ZoneRef& zone) const
{
    if (zone.is_ambient()) return "Ambt";
    if (zone.zone()) return zone.zone()->name;
    return "?";
}

// Flow Element page.

std::vector<AirflowElement*> PathSheet::element_choices() const
{
    std::vector<AirflowElement*> out;
    for (AirflowElement& e : project_.elements) out.push_back(&e);
    return out;
}

std::string PathSheet::element_text() const
{
    return path_.element ? path_.element->name : std::string(" <required>");
}

std::string PathSheet::element_description() const { return path_.element ? path_.element->desc : std::string(); }

void PathSheet::choose_element(AirflowElement* element)
{
    path_.element = element;
    if (!element || number_ != 0) return;
    if (is_two_way_type(element->type))
        path_.relHt = 0;
    else if (path_.dir != kDirUp && path_.dir != kDirDown)
        path_.relHt = level_half_height();
}

void PathSheet::take_new_element(AirflowElement* element)
{
    choose_element(element);
    if (element && is_two_way_type(element->type)) path_.relHt = 0;
}

ChooserContext PathSheet::chooser_context() const
{
    ChooserContext context;
    const bool on_wall = grid_.in_drawing(cell_.row, cell_.col) && grid_.current().Walls(cell_.row, cell_.col) != 0;
    context.place = on_wall ? PathPlace::OnWall : PathPlace::FromLevelBelow;
    context.project_has_elements = project_.elements.count() > 0;
    return context;
}

// Flow Path page.

bool PathSheet::set_relative_elevation(double shown)
{
    return set_value(path_.relHt, shown, UnitKind::Length, path_.u[kPathUnitLength]);
}

void PathSheet::set_length_unit(int unit)
{
    if (unit_index_valid(UnitKind::Length, unit)) path_.u[kPathUnitLength] = static_cast<std::int16_t>(unit);
}

std::string PathSheet::multiplier_label() const
{
    if (path_.element && path_.element->type == kPlrLeak2) return "Total length:";
    if (path_.element && path_.element->type == kPlrLeak3) return "Total area:";
    return "Multiplier:";
}

UnitKind PathSheet::multiplier_kind() const
{
    if (path_.element && path_.element->type == kPlrLeak2) return UnitKind::Length;
    if (path_.element && path_.element->type == kPlrLeak3) return UnitKind::Area;
    return UnitKind::Dimensionless;
}

bool PathSheet::multiplier_unit_shown() const { return multiplier_kind() != UnitKind::Dimensionless; }

bool PathSheet::set_multiplier(double shown)
{
    const UnitKind kind = multiplier_kind();
    const int unit = kind == UnitKind::Dimensionless ? 0 : path_.u[kPathUnitMultiplier];
    return set_value(path_.mult, shown, kind, unit, 0.0f);
}

void PathSheet::set_multiplier_unit(int unit)
{
    if (multiplier_unit_shown() && unit_index_valid(multiplier_kind(), unit))
        path_.u[kPathUnitMultiplier] = static_cast<std::int16_t>(unit);
}

std::array<std::string, 2> PathSheet::direction_choices() const
{
    // The base direction runs from the south, west or lower side.
    const bool reversed = path_.dir >= kDirSouth;
    const std::string z1 = side_name(reversed ? path_.zone_m : path_.zone_n);
    const std::string z2 = side_name(reversed ? path_.zone_n : path_.zone_m);
    return {"From " + z1 + " to " + z2, "From " + z2 + " to " + z1};
}

void PathSheet::set_direction_choice(int choice)
{
    if (path_.dir < kDirNorth || path_.dir > kDirDown) return;
    if (choice == 0 && path_.dir >= kDirSouth) path_.dir = static_cast<std::uint8_t>(path_.dir - 3);
    if (choice == 1 && path_.dir <= kDirUp) path_.dir = static_cast<std::uint8_t>(path_.dir + 3);
    reread_zones();
}

PathLimits PathSheet::limits() const
{
    if (path_.flags & kPathPressureLimit) return PathLimits::Pressure;
    if (path_.flags & kPathFlowLimit) return PathLimits::Flow;
    return PathLimits::None;
}

void PathSheet::set_limits(PathLimits limits)
{
    path_.flags &= static_cast<std::uint16_t>(~(kPathPressureLimit | kPathFlowLimit));
    if (limits == PathLimits::Pressure) path_.flags |= kPathPressureLimit;
    if (limits == PathLimits::Flow) path_.flags |= kPathFlowLimit;
}

UnitKind PathSheet::limit_kind() const
{
    return limits() == PathLimits::Flow ? UnitKind::MassFlow : UnitKind::PressureDifference;
}

int PathSheet::limit_unit() const
{
    return path_.u[limits() == PathLimits::Flow ? kPathUnitFlow : kPathUnitPressure];
}

void PathSheet::set_limit_unit(int unit)
{
    if (limits() == PathLimits::None || !unit_index_valid(limit_kind(), unit)) return;
    path_.u[limits() == PathLimits::Flow ? kPathUnitFlow : kPathUnitPressure] = static_cast<std::int16_t>(unit);
}

std::string PathSheet::maximum_text() const
{
    if (limits() == PathLimits::None) return " N/A";
    return shown_number(convert_units(path_.Xmax, true, limit_kind(), limit_unit()));
}

std::string PathSheet::minimum_text() const
{
    if (limits() == PathLimits::None) return " N/A";
    return shown_number(convert_units(path_.Xmin, true, limit_kind(), limit_unit()));
}

bool PathSheet::set_maximum(double shown)
{
    if (limits() == PathLimits::None) return false;
    return set_value(path_.Xmax, shown, limit_kind(), limit_unit());
}

bool PathSheet::set_minimum(double shown)
{
    if (limits() == PathLimits::None) return false;
    return set_value(path_.Xmin, shown, limit_kind(), limit_unit());
}

bool PathSheet::set_x(double shown) { return set_value(path_.X, shown, UnitKind::Length, path_.u[kPathUnitLength]); }
bool PathSheet::set_y(double shown) { return set_value(path_.Y, shown, UnitKind::Length, path_.u[kPathUnitLength]); }

double PathSheet::relative_elevation_shown() const
{
    return convert_units(path_.relHt, true, UnitKind::Length, path_.u[kPathUnitLength]);
}

double PathSheet::multiplier_shown() const
{
    const UnitKind kind = multiplier_kind();
    return convert_units(path_.mult, true, kind, kind == UnitKind::Dimensionless ? 0 : path_.u[kPathUnitMultiplier]);
}

double PathSheet::x_shown() const { return convert_units(path_.X, true, UnitKind::Length, path_.u[kPathUnitLength]); }
double PathSheet::y_shown() const { return convert_units(path_.Y, true, UnitKind::Length, path_.u[kPathUnitLength]); }

// Wind Pressure page.

void PathSheet::set_wind_option(WindOption option)
{
    if (!wind_page_enabled()) return;
    wind_ = option;
    switch (option) {
    case WindOption::None:
        path_.wPmod = 0;
        path_.flags &= static_cast<std::uint16_t>(~kPathWindPressure);
        path_.wind_profile = nullptr;
        break;
    case WindOption::Constant:
        path_.flags |= kPathWindPressure;
        path_.wind_profile = nullptr;
        break;
    case WindOption::Variable:
        path_.flags |= kPathWindPressure;
        path_.wPmod = project_.rc.wind_modifier_squared;
        if (path_.wazm < 0) path_.wazm = default_wall_azimuth(path_, project_.rc.N);
        break;
    }
}

bool PathSheet::wind_page_enabled() const { return !project_.rc.wpc_in_use(); }
bool PathSheet::constant_fields_enabled() const { return wind_page_enabled() && wind_ == WindOption::Constant; }
bool PathSheet::variable_fields_enabled() const { return wind_page_enabled() && wind_ == WindOption::Variable; }

bool PathSheet::set_wind_pressure(double shown)
{
    if (!constant_fields_enabled()) return false;
    return set_value(path_.wPset, shown, UnitKind::PressureDifference, path_.u[kPathUnitPressure]);
}

double PathSheet::wind_pressure_shown() const
{
    return convert_units(path_.wPset, true, UnitKind::PressureDifference, path_.u[kPathUnitPressure]);
}

void PathSheet::set_pressure_unit(int unit)
{
    if (unit_index_valid(UnitKind::PressureDifference, unit))
        path_.u[kPathUnitPressure] = static_cast<std::int16_t>(unit);
}

bool PathSheet::set_wind_modifier(double value)
{
    if (!variable_fields_enabled()) return false;
    return set_value(path_.wPmod, value, UnitKind::Dimensionless, 0);
}

bool PathSheet::set_wall_azimuth(double degrees)
{
    if (!variable_fields_enabled()) return false;
    return set_value(path_.wazm, degrees, UnitKind::Dimensionless, 0, 0.0f, 360.0f);
}

void PathSheet::choose_profile(WindProfile* profile)
{
    if (variable_fields_enabled()) path_.wind_profile = profile;
}

std::vector<WindProfile*> PathSheet::profile_choices() const
{
    std::vector<WindProfile*> choices;
    for (WindProfile& p : project_.wind_profiles) choices.push_back(&p);
    return choices;
}

std::string PathSheet::profile_text() const
{
    return path_.wind_profile ? path_.wind_profile->name : std::string(" <req'd>");
}

std::string PathSheet::profile_description() const
{
    return path_.wind_profile ? path_.wind_profile->desc : std::string();
}

// Filter page.

bool PathSheet::delete_filter()
{
    if (!filter_.remove()) return false;
    path_.filter = nullptr;
    return true;
}

void PathSheet::store_filter(const Filter& filter)
{
    filter_.store(filter);
}

// CFD page.

bool PathSheet::boundary_enabled() const { return project_.rc.cfd == 1 && !is_constant_flow_fan(path_.element); }

bool PathSheet::pressure_type_enabled() const
{
    return path_.cfd_values[0] == kCfdBoundaryPressure && !is_constant_flow_fan(path_.element) &&
           project_.rc.cfd != 0;
}

void PathSheet::set_boundary(int value)
{
    if (boundary_enabled() && (value == kCfdBoundaryMassFlow || value == kCfdBoundaryPressure))
        path_.cfd_values[0] = static_cast<std::int16_t>(value);
}

void PathSheet::set_pressure_type(int value)
{
    if (pressure_type_enabled() && (value == kCfdPressureLinear || value == kCfdPressureStagnation))
        path_.cfd_values[1] = static_cast<std::int16_t>(value);
}

void PathSheet::show_cfd_page()
{
    if (project_.rc.cfd < 2 || !path_.element) return;
    const int type = path_.element->type;
    if (type >= 0 && type <= 13) path_.cfd_values[0] = kCfdBoundaryPressure;
    if (type == kFanCmf || type == kFanCvf) path_.cfd_values[0] = kCfdBoundaryMassFlow;
}

// Page checks and OK.

PathSheetVerdict PathSheet::leave_page(PathPage page)
{
    switch (page) {
    case PathPage::FlowElement:
        if (!path_.element) return refuse(WARNING, kNoElementMessage, page, "element");
        break;
    case PathPage::WindPressure:
        if (wind_page_enabled() && wind_ == WindOption::Variable && !path_.wind_profile)
            return refuse(WARNING, kNoProfileMessage, page, "profile");
        break;
    case PathPage::Schedule:
        if (std::optional<std::string> refusal = schedule_.leave()) {
            PathSheetVerdict v;
            v.accepted = false;
            v.severity = ERROR;
            v.text = *refusal;
            v.page = page;
            v.focus = "column";
            return v;
        }
        break;
    case PathPage::Cfd:
        if (!cfd_id_.empty()) {
            if (check_name(cfd_id_, kNameSize) != 0) {
                PathSheetVerdict v;
                v.accepted = false;
                v.severity = WARNING;
                v.page = page;
                v.focus = "cfd_id";
                return v;
            }
            for (const FlowPath& other : project_.paths)
                if (other.nr != number_ && other.cfd_name == cfd_id_)
                    return refuse(WARNING, kCfdIdUsedMessage, page, "cfd_id");
        }
        break;
    case PathPage::FlowPath:
    case PathPage::Filter: break;
    }
    return {};
}

PathSheetVerdict PathSheet::accept(SubPathChains& chains)
{
    if (accepted_) return {};
    for (PathPage page : {PathPage::FlowElement, PathPage::FlowPath, PathPage::WindPressure,
                          PathPage::Schedule, PathPage::Filter, PathPage::Cfd}) {
        PathSheetVerdict v = leave_page(page);
        if (!v) return v;
    }
    path_.cfd_name = cfd_id_;
    path_.filter = filter_.commit();
    path_.cdvf = schedule_.cdvf;
    path_.schedule = schedule_.chosen();
    reread_zones();
    if (is_fan(path_.element)) path_.element->icon = path_.icn;
    LevelCells& cells = grid_.current();
    FlowPath* stored = nullptr;
    if (number_ == 0) {
        path_.level = project_.current_level;
        stored = add_path(project_, path_);
        number_ = stored->nr;
        cells.Paths(cell_.row, cell_.col) = number_;
    } else {
        FlowPath* old = project_.paths.at(number_);
        if (old) chains.release(project_.paths, old);
        stored = project_.paths.put(number_, path_);
    }
    cells.Sketch(cell_.row, cell_.col) = stored->icn;
    build_sub_paths(project_, chains, *stored);
    project_.mark_changed();
    accepted_ = true;
    return {};
}

// --- entry points -----------------------------------------------------------

namespace {

int run_sheet(PathSheet& sheet, SubPathChains& chains, const PathSheetDialog& dialog)
{
    while (dialog(sheet)) {
        if (sheet.accept(chains)) return 1;
    }
    return 0;
}

}  // namespace

int create_path(Project& project, SketchGrid& grid, SubPathChains& chains, const PathSheetDialog& dialog)
{
    const GridCell cell = grid.cursor;
    PathSheet sheet(project, grid, cell, new_flow_path(project, grid, cell), 0);
    return run_sheet(sheet, chains, dialog);
}

int edit_path(Project& project, SketchGrid& grid, SubPathChains& chains, std::int32_t number,
              const PathSheetDialog& dialog)
{
    std::optional<FlowPath> copy = project.paths.get(number);
    if (!copy) return 0;
    const GridCell cell = grid.cursor;
    read_path_zones(project, grid, cell, *copy);
    copy->icn = path_icon_for(*copy);
    PathSheet sheet(project, grid, cell, *copy, number);
    return run_sheet(sheet, chains, dialog);
}

}  // namespace avelor
