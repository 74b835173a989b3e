#include "sketchpad/status_text.h"

#include <cstdint>
#include <cstdio>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/airflow_element.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "model/units.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

// Which of a record's display units belongs to which of its values.
constexpr int kZoneUnitVolume = 0;  // the floor area shows in the matching area unit
constexpr int kZoneUnitTemperature = 1;
constexpr int kZoneUnitPressure = 2;
constexpr int kPathUnitLocation = 0;  // X, Y and relative elevation
constexpr int kPathUnitMultiplier = 1;  // total length or area of leakage paths
constexpr int kDuctUnitLength = 0;
constexpr int kLevelUnitHeight = 1;

// Below this the level is too low to divide a volume by.
constexpr float kLeastLevelHeight = 0.01f;

// A stored unit index may come from a file; one the kind lacks shows the
// base unit rather than ending the program.
int unit_or_base(UnitKind kind, int index) { return unit_index_valid(kind, index) ? index : 0; }

double shown(float value, UnitKind kind, int index)
{
    return convert_units(value, true, kind, unit_or_base(kind, index));
}

const char* unit_name(UnitKind kind, int index)
{
    return unit_display_name(kind, unit_or_base(kind, index)).c_str();
}

const Level* level_shown(const Project& project, const SketchGrid& grid)
{
    const Level* level = grid.shown_level(kCurrentLevel);
    return level ? level : project.current_level;
}

// The parts every network record with a schedule and a control may have.
// Schedule and filter definitions are not named here: only their absence
// is said.
void add_schedule(StatusParts& parts, const WeekSchedule* schedule)
{
    if (!schedule) parts.add("; Sched: <none>");
}

void add_values_link(StatusParts& parts, const ControlValuesLink& cdvf)
{
    if (cdvf.kind == 1) parts.add(format_text("; CVF: %s", cdvf.name.c_str()));
    else if (cdvf.kind == 2) parts.add(format_text("; DVF: %s", cdvf.name.c_str()));
}

void add_control(StatusParts& parts, const ControlNode* control)
{
    if (control) parts.add("; Controlled");
}

void add_controls(StatusParts& parts, const WeekSchedule* schedule, const ControlValuesLink& cdvf,
                  const ControlNode* control)
{
    add_schedule(parts, schedule);
    add_values_link(parts, cdvf);
    add_control(parts, control);
}

void add_position(StatusParts& parts, const Project& project, const FlowPath& path)
{
    if (!project.rc.showGeom) return;
    const int u = path.u[kPathUnitLocation];
    parts.add(format_text("; (%g, %g, %g) %s", shown(path.X, UnitKind::Length, u),
                          shown(path.Y, UnitKind::Length, u), shown(path.relHt, UnitKind::Length, u),
                          unit_name(UnitKind::Length, u)));
}

void add_multiplier(StatusParts& parts, float mult, UnitKind kind, int unit)
{
    const std::string name = unit_name(kind, unit);
    const double value = shown(mult, kind, unit);
    parts.add(name.empty() ? format_text("; Mult: %g", value)
                           : format_text("; Mult: %g %s", value, name.c_str()));
}

void zone_text(StatusParts& parts, const Project& project, const SketchGrid& grid, GridCell cell,
               const Zone& zone)
{
    const Level* level = zone.level ? zone.level : project.current_level;
    parts.add(format_text(" Zone(%d): %s / %s", zone.nr, zone.name.c_str(), level ? level->name.c_str() : ""));

    const int uv = zone.u[kZoneUnitVolume];
    const float height = level ? level->delHt : 0.0f;
    const float area = height > kLeastLevelHeight ? zone.Vol / height : 0.0f;
    const int uh = level ? level->u[kLevelUnitHeight] : 0;
    parts.add(format_text("; Vol: %.0f %s  Area: %.0f %s  Ht: %.1f %s", shown(zone.Vol, UnitKind::Volume, uv),
                          unit_name(UnitKind::Volume, uv), shown(area, UnitKind::Area, uv),
                          unit_name(UnitKind::Area, uv), shown(height, UnitKind::Length, uh),
                          unit_name(UnitKind::Length, uh)));
    if (project.rc.showGeom) {
        const auto floor = static_cast<float>(region_floor_area(grid, cell.row, cell.col, project.rc.scale));
        parts.add(format_text("; {Area: %.0f %s}", shown(floor, UnitKind::Area, uv), unit_name(UnitKind::Area, uv)));
    }

    if (!(zone.flags & kZoneVariablePressure)) {
        const int up = zone.u[kZoneUnitPressure];
        parts.add(format_text("; CONSTANT PRESSURE ZONE: %g %s", shown(zone.P0, UnitKind::Pressure, up),
                              unit_name(UnitKind::Pressure, up)));
    }
    // The temperature stays at T0 unless a schedule, a values file or the
    // control network moves it.
    if (!zone.schedule && zone.cdvf.kind == 0 && !zone.control) {
        const int ut = zone.u[kZoneUnitTemperature];
        parts.add(format_text("; Tconst: %.2f %s", shown(zone.T0, UnitKind::Temperature, ut),
                              unit_name(UnitKind::Temperature, ut)));
    }
    add_values_link(parts, zone.cdvf);
    add_control(parts, zone.control);
}

void path_text(StatusParts& parts, const Project& project, const FlowPath& path)
{
    const AirflowElement* element = path.element;
    parts.add(format_text(" Path(%d): %s", path.nr, element ? element->name.c_str() : "<none>"));
    add_controls(parts, path.schedule, path.cdvf, path.control);
    add_position(parts, project, path);
    const int type = element ? element->type : -1;
    if (type == kPlrLeak2) add_multiplier(parts, path.mult, UnitKind::Length, path.u[kPathUnitMultiplier]);
    else if (type == kPlrLeak3) add_multiplier(parts, path.mult, UnitKind::Area, path.u[kPathUnitMultiplier]);
    else if (path.mult != 1.0f) add_multiplier(parts, path.mult, UnitKind::Dimensionless, 0);
}

void ahs_point_text(StatusParts& parts, const Project& project, const FlowPath& path, bool supply)
{
    const char* system = path.ahs ? path.ahs->name.c_str() : "?";
    parts.add(supply ? format_text(" Supply(%d) from %s:", path.nr, system)
                     : format_text("Return(%d) to %s:", path.nr, system));
    add_controls(parts, path.schedule, path.cdvf, path.control);
    add_position(parts, project, path);
}

const SimpleAhs* system_of(const Project& project, std::int32_t nr)
{
    if (nr < 1 || static_cast<std::size_t>(nr) > project.system_index.size()) return nullptr;
    return project.system_index[static_cast<std::size_t>(nr) - 1];
}

// The icon layer; false when the cell's code there is no item.
bool icon_text(StatusParts& parts, const Project& project, const SketchGrid& grid, GridCell cell)
{
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Sketch(cell.row, cell.col);
    const std::int32_t nr = l.Paths(cell.row, cell.col);
    const std::uint16_t flags = code_flags(code);

    if (code == ICN_AMBIENT || ((flags & CC_ZONE_ICON) && nr == ZONE_AMBIENT)) {
        parts.add(" Zone: Ambt");
        return true;
    }
    if (flags & CC_ZONE_ICON) {
        // A phantom carrying a number stands for the zone it extends.
        if (const Zone* zone = nr > 0 ? project.zones.at(nr) : nullptr) zone_text(parts, project, grid, cell, *zone);
        else parts.add("Undefined zone icon");
        return true;
    }
    if (code == ICN_NOTE) {
        if (const Annotation* note = nr > 0 ? project.notes.at(nr) : nullptr)
            parts.add(format_text("NOTE(%d): %s", note->nr, note->text.c_str()));
        else parts.add(" Undefined annotation");
        return true;
    }
    if (code == ICN_SUPPLY || code == ICN_RETURN) {
        const bool supply = code == ICN_SUPPLY;
        if (const FlowPath* path = nr > 0 ? project.paths.at(nr) : nullptr) ahs_point_text(parts, project, *path, supply);
        else parts.add(supply ? "Undefined supply icon" : "Undefined return icon");
        return true;
    }
    if (code == ICN_AHS) {
        if (const SimpleAhs* system = system_of(project, nr)) {
            parts.add(format_text(" System(%d): %s", system->nr, system->name.c_str()));
            // The system's schedule and values-file control live on its
            // recirculation path.
            if (const FlowPath* pr = system->pr > 0 ? project.paths.at(system->pr) : nullptr)
                add_controls(parts, pr->schedule, pr->cdvf, pr->control);
        } else {
            parts.add("Undefined AHS icon");
        }
        return true;
    }
    if (flags & CC_PATH_ICON) {
        if (const FlowPath* path = nr > 0 ? project.paths.at(nr) : nullptr) path_text(parts, project, *path);
        else parts.add("Undefined flow icon");
        return true;
    }
    if (flags & CC_SOURCE_ICON) {
        if (const SourceSink* source = nr > 0 ? project.sources.at(nr) : nullptr) {
            // The element's name joins the head once source/sink elements
            // are part of the model.
            parts.add(format_text(" Source/Sink(%d)", source->nr));
            add_controls(parts, source->schedule, source->cdvf, source->control);
            if (source->mult != 1.0f) add_multiplier(parts, source->mult, UnitKind::Dimensionless, 0);
        } else {
            parts.add("Undefined source/sink icon");
        }
        return true;
    }
    if (flags & CC_EXPOSURE_ICON) {
        if (const Exposure* exposure = nr > 0 ? project.exposures.at(nr) : nullptr)
            parts.add(format_text(" Exposure(%d)", exposure->nr));
        else parts.add("Undefined exposure icon");
        return true;
    }
    return false;
}

// The duct layer; false when the cell holds no duct.
bool duct_text(StatusParts& parts, const Project& project, const SketchGrid& grid, GridCell cell)
{
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Ducts(cell.row, cell.col);
    if (code == 0) return false;
    const std::int32_t nr = l.Paths(cell.row, cell.col);

    if (is_duct_node(code)) {
        const bool terminal = code >= ICN_TERMINAL;
        if (const Junction* node = nr > 0 ? project.junctions.at(nr) : nullptr) {
            parts.add(terminal ? format_text(" Terminal point(%d)", node->nr) : format_text(" Junction(%d)", node->nr));
            add_controls(parts, node->schedule, node->cdvf, node->control);
        } else {
            parts.add(terminal ? " Undefined duct terminal point" : " Undefined duct junction");
        }
        return true;
    }
    // Every piece of a run carries the number of the run's segment.
    if (const DuctSegment* duct = nr > 0 ? project.ducts.at(nr) : nullptr) {
        parts.add(format_text(" Duct (%d): %s", duct->nr, duct->element ? duct->element->name.c_str() : ""));
        const int u = duct->u[kDuctUnitLength];
        parts.add(format_text("; L: %.2f %s", shown(duct->len, UnitKind::Length, u), unit_name(UnitKind::Length, u)));
        add_controls(parts, duct->schedule, duct->cdvf, duct->control);
    } else {
        parts.add(" Undefined duct segment");
        if (project.rc.showGeom) {
            const auto length = static_cast<float>(duct_run_length(grid, cell.row, cell.col, project.rc.scale));
            const int u = project.rc.us;
            parts.add(format_text("; {Length: %.3g %s}", shown(length, UnitKind::Length, u),
                                  unit_name(UnitKind::Length, u)));
        }
    }
    return true;
}

// Control nodes and sensors of the link layer; plain link pieces are no
// item of their own.
bool control_text(StatusParts& parts, const SketchGrid& grid, GridCell cell)
{
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Links(cell.row, cell.col);
    const bool sensor = code >= 181 && code <= 184;
    const bool node = code >= ICN_CTRL_NODE && code <= ICN_CTRL_SUPER;
    if (!sensor && !node) return false;
    const std::int32_t nr = l.Ctrls(cell.row, cell.col);
    if (nr > 0) parts.add(format_text(" Control(%d)", nr));
    else parts.add(sensor ? "Undefined control sensor icon" : "Undefined control node icon");
    return true;
}

bool wall_text(StatusParts& parts, const Project& project, const SketchGrid& grid, GridCell cell)
{
    const std::uint8_t code = grid.current().Walls(cell.row, cell.col);
    if (code == 0) return false;
    // Only a straight piece lies on a run with a length.
    if (!project.rc.showGeom || (code != ICN_WALL_H && code != ICN_WALL_V)) {
        parts.add("Wall");
        return true;
    }
    const auto length = static_cast<float>(wall_run_length(grid, cell.row, cell.col, project.rc.scale));
    const Level* level = level_shown(project, grid);
    const float area = length * (level ? level->delHt : 0.0f);
    const int u = project.rc.us;
    parts.add(format_text("{Wall Length: %g %s, Area: %g %s}", shown(length, UnitKind::Length, u),
                          unit_name(UnitKind::Length, u), shown(area, UnitKind::Area, u),
                          unit_name(UnitKind::Area, u)));
    return true;
}

}  // namespace

bool StatusParts::add(std::string_view part)
{
    if (overflowed_) return false;
    if (count_ >= kMaxStatusParts) {
        overflowed_ = true;
        report_error(WARNING, {"Too many status strings."});
        return false;
    }
    text_ += part;
    ++count_;
    return true;
}

std::string position_text(const Project& project, GridCell cell)
{
    const RunControl& rc = project.rc;
    if (!rc.showGeom) return format_text("Col %d, Row %d", cell.col, cell.row);
    const float x = static_cast<float>(cell.col - rc.orgCol) * rc.scale;
    const int rows_north = rc.invYaxis ? cell.row - rc.orgRow : rc.orgRow - cell.row;
    const float y = static_cast<float>(rows_north) * rc.scale;
    const char* unit = unit_name(UnitKind::Length, rc.us);
    return format_text("X: %7.5g %s, Y: %7.5g %s", shown(x, UnitKind::Length, rc.us), unit,
                       shown(y, UnitKind::Length, rc.us), unit);
}

std::string item_text(const Project& project, const SketchGrid& grid, GridCell cell)
{
    if (!grid.allocated() || !grid.in_grid(cell.row, cell.col)) return {};
    StatusParts parts;
    if (!icon_text(parts, project, grid, cell) && !duct_text(parts, project, grid, cell) &&
        !control_text(parts, grid, cell))
        wall_text(parts, project, grid, cell);
    return parts.text();
}

std::vector<std::string> floating_status_lines(std::string_view item_text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= item_text.size()) {
        std::size_t end = item_text.find(';', start);
        if (end == std::string_view::npos) end = item_text.size();
        std::string_view part = item_text.substr(start, end - start);
        const std::size_t first = part.find_first_not_of(" \t");
        if (first != std::string_view::npos) lines.emplace_back(part.substr(first));
        start = end + 1;
    }
    return lines;
}

bool floating_status_accepts(std::string_view item_text)
{
    if (item_text.size() <= kMaxFloatingStatusLength) return true;
    report_error(WARNING, {"tooltip too long"});
    return false;
}

}  // namespace avelor
