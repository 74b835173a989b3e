#include "simulation/results_mode.h"

#include <algorithm>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/units.h"
#include "sketchpad/status_text.h"
#include "check/building_check.h"
#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"

namespace avelor {

namespace {

inline constexpr std::uint16_t kPathPressureLimits = 0x80;
inline constexpr std::uint16_t kPathFlowLimits = 0x100;

bool outside(float value, const FlowPath& path) { return value > path.Xmax || value < path.Xmin; }

// A value outside the path's pressure or flow limits, when it has them.
bool beyond_limits(const FlowPath& path, const PathResult& r)
{
    if ((path.flags & kPathPressureLimits) && outside(r.dP, path)) return true;
    if (path.flags & kPathFlowLimits) return outside(r.F0, path) || (r.F1 != 0 && outside(r.F1, path));
    return false;
}

// A unit index from a file that its kind lacks shows the base unit.
int shown_unit(UnitKind kind, int index) { return unit_index_valid(kind, index) ? index : 0; }

std::string value_part(const char* name, float value, UnitKind kind, int index, const char* format = "%.4g")
{
    const int unit = shown_unit(kind, index);
    const std::string number = format_text(format, double(convert_units(value, true, kind, unit)));
    return format_text("; %s: %s %s", name, number.c_str(), unit_display_name(kind, unit).c_str());
}

}  // namespace

// The direction of flow from a terminal's duct into it: its duct piece
// above gives south (4), east west (5), below north (1), west east (2); the
// nodes that connect up and down flow down (6) and up (3).
int terminal_direction(const SketchGrid* grid, int row, int col, std::uint8_t code)
{
    if (code == ICN_TERMINAL + 1) return 6;
    if (code == ICN_TERMINAL + 2) return 3;
    if (!grid) return 0;
    const LevelCells& cells = grid->current();
    struct Probe {
        int dr, dc;
        std::uint16_t towards;  // the neighbour's bit that points at the terminal
        int dir;
    };
    static constexpr Probe probes[] = {{-1, 0, CC_DIR_S, 4}, {0, 1, CC_DIR_W, 5}, {1, 0, CC_DIR_N, 1}, {0, -1, CC_DIR_E, 2}};
    for (const Probe& p : probes) {
        const int r = row + p.dr, c = col + p.dc;
        if (grid->in_grid(r, c) && (direction_bits(cells.Ducts(r, c)) & p.towards)) return p.dir;
    }
    return 0;
}

void update_results_availability(EditorSession& session)
{
    ProjectDocument& doc = session.document;
    doc.results_available = !doc.path.empty() && check_results(results_path_for(doc.path), session.project());
}

bool ResultsMode::enter(EditorSession& session)
{
    if (active()) return true;
    ProjectDocument& doc = session.document;
    if (session.project().changed() || doc.must_save) {
        ProblemList silent;
        check_building(session, silent, kCheckBuilding);
        doc.results_available = !doc.path.empty() && check_results(results_path_for(doc.path), session.project());
    }
    if (!doc.results_available) {
        show_message(WARNING, {"SketchPad results not available."});
        return false;
    }
    const std::string sim = results_path_for(doc.path);
    if (!check_results(sim, session.project())) return false;
    if (!reader_.open(sim, session.project(), doc.path)) {
        doc.results_available = false;
        return false;
    }
    mode_ = SketchMode::Results;
    step_ = 0;
    settle();
    return true;
}

void ResultsMode::leave()
{
    reader_.close();
    entries_.clear();
    mode_ = SketchMode::Normal;
    step_ = 0;
}

int ResultsMode::next_day(int d) const
{
    if (d == reader_.header().dtres1) return 0;
    return d >= 365 ? 1 : d + 1;
}

int ResultsMode::previous_day(int d) const
{
    if (d == reader_.header().dtres0) return 0;
    return d <= 1 ? 365 : d - 1;
}

bool ResultsMode::move(ResultsMove how)
{
    if (!active()) return false;
    const int start_day = reader_.day();
    const std::int64_t N = reader_.last_step();
    std::int64_t i = step_;
    // Loads the day after (before) the current one; a day the results do
    // not hold fails the whole move and the start day is made current again.
    bool failed = false;
    const auto load = [&](bool forward) {
        const int d = forward ? next_day(reader_.day()) : previous_day(reader_.day());
        if (d != 0 && reader_.load_day(d)) return true;
        if (reader_.day() != start_day && reader_.load_day(start_day)) reader_.load_step(step_);
        failed = true;
        return false;
    };
    switch (how) {
    case ResultsMove::Next:
        if (i < N)
            ++i;
        else if (load(true))
            // 24:00:00 of one day is 00:00:00 of the next: go on to step 1,
            // unless the day holds step 0 only.
            i = std::min<std::int64_t>(1, reader_.last_step());
        break;
    case ResultsMove::Previous:
        if (i > 0)
            --i;
        else if (load(false))
            i = std::max<std::int64_t>(0, reader_.last_step() - 1);
        break;
    case ResultsMove::First:
        if (i > 0)
            i = 0;
        else
            load(false);
        break;
    case ResultsMove::Last:
        if (i < N)
            i = N;
        else if (load(true))
            i = std::min(i, reader_.last_step());
        break;
    case ResultsMove::JumpAhead: {
        std::int64_t target = i + std::max(1, time_jump);
        while (!failed && target > reader_.last_step()) {
            const std::int64_t here = reader_.last_step();
            if (load(true)) target -= here;
        }
        i = target;
        break;
    }
    case ResultsMove::JumpBack: {
        std::int64_t target = i - std::max(1, time_jump);
        while (!failed && target < 0)
            if (load(false)) target += reader_.last_step();
        i = target;
        break;
    }
    }
    if (failed) return false;
    step_ = std::clamp<std::int64_t>(i, 0, reader_.last_step());
    settle();
    return true;
}

void ResultsMode::settle()
{
    reader_.load_step(step_);
    user_port().show_status(status_text());
}

ResultsPeriod ResultsMode::period() const
{
    const ResultsHeader& h = reader_.header();
    return {h.dtres0, h.tmres0, h.dtres1, h.tmres1};
}

std::string ResultsMode::go_to_fault(int day, std::int32_t time) const
{
    if (!active()) return "SketchPad results not available.";
    const ResultsPeriod p = period();
    if (!reader_.layout().has_day(day))
        return "Results are available from " + day_text(p.day0) + " to " + day_text(p.day1) + ".";
    if (day == p.day0 && time < p.time0) return "Time too early; < " + time_text(p.time0);
    if (day == p.day1 && time > p.time1) return "Time too late; > " + time_text(p.time1);
    if (time < 0 || time > kSecondsPerDay) return "Time too late; > " + time_text(kSecondsPerDay);
    return {};
}

bool ResultsMode::go_to(int day, std::int32_t time)
{
    if (!active() || !reader_.layout().has_day(day)) return false;
    const ResultsPeriod p = period();
    time = std::clamp<std::int32_t>(time, 0, kSecondsPerDay);
    if (day == p.day0) time = std::max(time, p.time0);
    if (day == p.day1) time = std::min(time, p.time1);
    if (day != reader_.day() && !reader_.load_day(day)) return false;
    const std::int64_t T = reader_.header().tstep;
    const std::int64_t i = (std::int64_t{time} - reader_.layout().first_time(day)) / T;
    step_ = std::clamp<std::int64_t>(i, 0, reader_.last_step());
    settle();
    return true;
}

std::string ResultsMode::status_text() const
{
    if (!active()) return {};
    std::string day = day_text(reader_.day());
    if (day.size() < 5) day.insert(0, 5 - day.size(), ' ');
    return day + "/" + time_text(time()) + " ";
}

const std::vector<ResultsDisplayEntry>& ResultsMode::build_display_list(EditorSession& session)
{
    entries_.clear();
    if (!active()) return entries_;
    reader_.read_time_record(step_, time_record_);
    const ResultsHeader& h = reader_.header();
    Project& p = session.project();
    const Level* level = p.current_level;
    if (!h.pf || !level) return entries_;
    const ResultsIndices& ix = reader_.indices();
    std::vector<PathResult>& loaded = reader_.paths();
    const auto record = [&](std::int32_t index) -> PathResult* {
        return index >= 1 && static_cast<std::size_t>(index) <= loaded.size()
                   ? &loaded[static_cast<std::size_t>(index - 1)]
                   : nullptr;
    };
    // The internal paths of a simple air-handling system show no pressure.
    for (const IconEntry& icon : level->icons) {
        if (icon.code != ICN_AHS || icon.nr < 1 || static_cast<std::size_t>(icon.nr) > p.system_index.size()) continue;
        const SimpleAhs* system = p.system_index[static_cast<std::size_t>(icon.nr - 1)];
        if (!system) continue;
        for (std::int32_t nr : {system->pr, system->ps, system->px})
            if (PathResult* r = record(ResultsIndices::of(ix.path_index, nr))) r->dP = 0;
    }
    const std::size_t limit = static_cast<std::size_t>(h.npath) + 20;
    for (const IconEntry& icon : level->icons) {
        ResultsDisplayEntry entry;
        entry.row = icon.row;
        entry.col = icon.col;
        if (has_flag(icon.code, CC_PATH_ICON) && icon.code != ICN_AHS) {
            const FlowPath* path = icon.nr > 0 ? p.paths.at(icon.nr) : nullptr;
            const PathResult* r = path ? record(ResultsIndices::of(ix.path_index, icon.nr)) : nullptr;
            if (!r) continue;
            entry.dir = path->dir;
            entry.dP = r->dP;
            entry.F0 = r->F0;
            entry.F1 = r->F1;
            entry.limit = beyond_limits(*path, *r);
        } else if (icon.code >= ICN_TERMINAL && icon.code <= ICN_LAST_DUCT_NODE) {
            const Junction* j = icon.nr > 0 ? p.junctions.at(icon.nr) : nullptr;
            const PathResult* r = j && j->t != 0 ? record(ResultsIndices::of(ix.terminal_index, icon.nr)) : nullptr;
            if (!r) continue;
            const bool shown = session.grid.allocated() && session.grid.shown_level(kCurrentLevel) == level;
            entry.dir = terminal_direction(shown ? &session.grid : nullptr, icon.row, icon.col, icon.code);
            entry.F0 = r->F0;
            entry.F1 = r->F1;
        } else {
            continue;
        }
        if (entries_.size() >= limit) {
            report_error(ERROR, {"NPATH too large"});
            break;
        }
        entries_.push_back(entry);
    }
    return entries_;
}

std::string ResultsMode::item_results(const Project& project, const SketchGrid& grid, GridCell cell)
{
    if (!active() || !grid.allocated() || !grid.in_grid(cell.row, cell.col)) return {};
    const ResultsHeader& h = reader_.header();
    const ResultsIndices& ix = reader_.indices();
    const RunControl& rc = project.rc;
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Sketch(cell.row, cell.col);
    const std::int32_t nr = l.Paths(cell.row, cell.col);
    std::string text;
    const auto add_flows = [&](const PathResult& r) {
        text += value_part("Flow", r.F0, UnitKind::MassFlow, rc.uf);
        if (r.F1 != 0) text += value_part("Flow 2", r.F1, UnitKind::MassFlow, rc.uf);
    };

    if (has_flag(code, CC_PATH_ICON) && code != ICN_AHS) {
        const PathResult* r = h.pf && nr > 0 && project.paths.at(nr) ? reader_.path(ResultsIndices::of(ix.path_index, nr))
                                                                     : nullptr;
        if (!r) return {};
        text += value_part("dP", r->dP, UnitKind::PressureDifference, rc.ud);
        add_flows(*r);
        return text;
    }
    // An empty icon layer lets the duct layer speak, as in the item text.
    const std::uint8_t duct_code = code == 0 ? l.Ducts(cell.row, cell.col) : 0;
    if (duct_code >= ICN_TERMINAL && duct_code <= ICN_LAST_DUCT_NODE) {
        const Junction* j = nr > 0 ? project.junctions.at(nr) : nullptr;
        const PathResult* r = h.pf && j && j->t != 0 ? reader_.path(ResultsIndices::of(ix.terminal_index, nr)) : nullptr;
        if (r) add_flows(*r);
        return text;
    }
    if (!has_flag(code, CC_ZONE_ICON) || nr <= 0 || !project.zones.at(nr)) return {};
    if (h.zf) {
        if (const NodeAirflowResult* node = reader_.node(ResultsIndices::of(ix.zone_node, nr))) {
            text += value_part("P", node->P, UnitKind::Pressure, rc.ud);
            text += value_part("T", node->T, UnitKind::Temperature, rc.uT, "%.2f");
        }
    }
    const std::int32_t ctm_node = ResultsIndices::of(ix.zone_ctm_node, nr);
    NodeConcentrationResult cc;
    if (h.zc && ctm_node > 0 && reader_.read_node_concentrations(ctm_node, step_, cc)) {
        const std::size_t n = std::min(cc.cc.size(), project.Ctm.size());
        for (std::size_t c = 0; c < n; ++c) {
            const Species* species = project.Ctm[c];
            if (!species) continue;
            const UnitKind kind = concentration_kind(*species);
            const int unit = shown_unit(kind, species->u[0]);
            const std::string number =
                format_text("%.4g", double(convert_units(cc.cc[c], true, kind, unit, species)));
            text += format_text("; %s: %s %s", species->name.c_str(), number.c_str(),
                                unit_display_name(kind, unit).c_str());
        }
    }
    return text;
}

std::string cursor_item_text(ResultsMode& results, const Project& project, const SketchGrid& grid)
{
    return item_text(project, grid, grid.cursor) + results.item_results(project, grid, grid.cursor);
}

std::string cursor_status_text(ResultsMode& results, const Project& project, const SketchGrid& grid)
{
    return results.status_text() + cursor_item_text(results, project, grid);
}

ResultsConcentrations current_results_concentrations(ResultsMode& results)
{
    if (!results.active()) return {};
    return {[&results](bool junction, int number, std::vector<float>& out) {
        ResultsReader& reader = results.reader();
        const ResultsIndices& at = reader.indices();
        const std::int32_t node = ResultsIndices::of(junction ? at.junction_ctm_node : at.zone_ctm_node, number);
        if (node <= 0) return ResultsConcentrations::Read::NoResults;
        NodeConcentrationResult record;
        if (!reader.read_node_concentrations(node, results.step(), record))
            return ResultsConcentrations::Read::Failed;
        out = record.cc;
        return ResultsConcentrations::Read::Values;
    }};
}

}  // namespace avelor
