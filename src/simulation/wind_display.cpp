#include "simulation/wind_display.h"

#include <algorithm>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "outdoor/weather.h"

namespace avelor {

namespace {

// The direction a positive wind pressure on a path points: from the
// ambient side of its wall into the building.
int path_wind_direction(const SketchGrid& grid, int row, int col, int dir)
{
    const LevelCells& cells = grid.current();
    const auto ambient = [&](int r, int c) { return grid.in_grid(r, c) && cells.Zones(r, c) == ZONE_AMBIENT; };
    switch (dir) {
    case 1:
    case 4: return ambient(row - 1, col) ? 4 : 1;
    case 2:
    case 5: return ambient(row, col - 1) ? 2 : 5;
    case 3:
    case 6: return ambient(row, col) ? 6 : 3;
    default: return 0;
    }
}

// An item the WPC file does not place is framed, and logged.
void highlight(ResultsOverlay& overlay, const std::vector<char>& marked, std::int32_t nr, const IconEntry& icon,
               const char* what)
{
    if (nr < 1 || static_cast<std::size_t>(nr) > marked.size() || !marked[static_cast<std::size_t>(nr - 1)]) return;
    run_log().write(format_text("Highlighting %s %d at (%d,%d)\n", what, static_cast<int>(nr), static_cast<int>(icon.row),
                                static_cast<int>(icon.col)));
    overlay.highlighted.push_back(GridCell{icon.row, icon.col});
}

double pressure_of(const std::vector<double>& values, std::int32_t nr)
{
    return nr >= 1 && static_cast<std::size_t>(nr) <= values.size() ? values[static_cast<std::size_t>(nr - 1)] : 0.0;
}

}  // namespace

bool WindDisplay::load_weather(const EditorSession& session)
{
    const RunControl& rc = session.project().rc;
    const std::string path = input_file_location(rc.weather_file, session.document.path);
    if (!weather_.empty() && path == weather_path_) return true;
    WeatherFile file;
    if (!file.read(path)) {
        // Reported, and the mode left alone: never the end of the program.
        report_error(WARNING, {file.error()});
        return false;
    }
    weather_ = std::move(file);
    weather_path_ = path;
    weather_scale_ = -1;
    record_ = 0;
    return true;
}

void WindDisplay::load_wpc(const EditorSession& session)
{
    const RunControl& rc = session.project().rc;
    const std::string path = input_file_location(rc.wpc_file, session.document.path);
    if (!wpc_.records.empty() && path == wpc_path_) return;
    if (rc.wp == 0 || rc.wpc_file.empty() || rc.wpc_file == "null" || !file_exists(path)) return;
    // A copy: reading for the display changes none of the project's settings.
    RunControl settings = rc;
    read_wpc_file(settings, path, 3, wpc_);
    wpc_path_ = path;
    record_ = 0;
}

std::size_t WindDisplay::record_count() const
{
    if (type_ == WindPressureType::WeatherFile) return weather_.records().size();
    if (type_ == WindPressureType::Wpc) return wpc_.records.size();
    return 0;
}

const WpcRecord* WindDisplay::wpc_record() const
{
    return type_ == WindPressureType::Wpc && record_ < wpc_.records.size() ? &wpc_.records[record_] : nullptr;
}

void WindDisplay::compute(const Project& project)
{
    if (type_ == WindPressureType::Wpc) {
        pressures_ = wpc_wind_pressures(project, wpc_, record_);
    } else if (type_ == WindPressureType::WeatherFile && !weather_.empty()) {
        const WeatherRecord& r = weather_.records()[record_];
        // The scale stands for the whole file: found once, not at every record.
        if (weather_scale_ < 0) weather_scale_ = weather_wind_scale(project, weather_.max_dynamic_pressure());
        pressures_ = weather_record_wind_pressures(project, r.Ta, r.Pb, r.Ws, r.Wd, weather_scale_);
    } else {
        pressures_ = user_set_wind_pressures(project);
    }
}

bool WindDisplay::enter(EditorSession& session)
{
    if (type_ == WindPressureType::WeatherFile && !load_weather(session)) return false;
    if (type_ == WindPressureType::Wpc) load_wpc(session);
    active_ = true;
    compute(session.project());
    return true;
}

void WindDisplay::leave()
{
    active_ = false;
    pressures_ = {};
    weather_scale_ = -1;
    // The WPC data are read again on the next use.
    wpc_ = {};
    wpc_path_.clear();
}

bool WindDisplay::choose_type(EditorSession& session, WindPressureType type)
{
    if (type == WindPressureType::WeatherFile && active_ && !load_weather(session)) return false;
    if (type != type_) record_ = 0;
    type_ = type;
    if (type == WindPressureType::Wpc && active_) load_wpc(session);
    if (active_) compute(session.project());
    return true;
}

void WindDisplay::recompute(const Project& project)
{
    // The project's wind data changed: so may the file's scale.
    weather_scale_ = -1;
    if (active_) compute(project);
}

bool WindDisplay::move(const Project& project, ResultsMove how, int jump)
{
    if (!time_series()) return false;
    const std::size_t last = record_count() - 1;
    const std::size_t by = static_cast<std::size_t>(std::max(1, jump));
    std::size_t to = record_;
    switch (how) {
    case ResultsMove::Next: to = std::min(last, record_ + 1); break;
    case ResultsMove::Previous: to = record_ > 0 ? record_ - 1 : 0; break;
    case ResultsMove::First: to = 0; break;
    case ResultsMove::Last: to = last; break;
    case ResultsMove::JumpAhead: to = std::min(last, record_ + by); break;
    case ResultsMove::JumpBack: to = record_ > by ? record_ - by : 0; break;
    }
    if (to == record_) return false;
    record_ = to;
    compute(project);
    return true;
}

const WeatherRecord* WindDisplay::record() const
{
    return type_ == WindPressureType::WeatherFile && !weather_.empty() ? &weather_.records()[record_] : nullptr;
}

ResultsOverlay WindDisplay::overlay(const EditorSession& session) const
{
    ResultsOverlay overlay;
    overlay.lines = ResultLines::PressureOnly;
    overlay.pressure_scale = static_cast<float>(pressures_.scale);
    const Project& p = session.project();
    const Level* level = p.current_level;
    if (!active_ || !level || !session.grid.allocated() || session.grid.shown_level(kCurrentLevel) != level)
        return overlay;
    RunLog& log = run_log();
    log.write("Wind Pressure Display: " + level->name + "\n");
    for (const IconEntry& icon : level->icons) {
        ResultMark mark;
        mark.row = icon.row;
        mark.col = icon.col;
        if (icon.code == ICN_AHS) {
            const SimpleAhs* system = icon.nr >= 1 && static_cast<std::size_t>(icon.nr) <= p.system_index.size()
                                          ? p.system_index[static_cast<std::size_t>(icon.nr - 1)]
                                          : nullptr;
            const FlowPath* outdoor = system ? p.paths.at(system->ps) : nullptr;
            if (!outdoor) continue;
            mark.pressure = static_cast<float>(pressure_of(pressures_.paths, outdoor->nr));
            highlight(overlay, pressures_.path_marked, outdoor->nr, icon, "path");
            mark.dir = path_wind_direction(session.grid, icon.row, icon.col, outdoor->dir);
        } else if (has_flag(icon.code, CC_PATH_ICON)) {
            const FlowPath* path = icon.nr > 0 ? p.paths.at(icon.nr) : nullptr;
            if (!path) continue;
            mark.pressure = static_cast<float>(pressure_of(pressures_.paths, path->nr));
            highlight(overlay, pressures_.path_marked, path->nr, icon, "path");
            mark.dir = path_wind_direction(session.grid, icon.row, icon.col, path->dir);
        } else if (icon.code >= ICN_TERMINAL && icon.code <= ICN_LAST_DUCT_NODE) {
            const Junction* j = icon.nr > 0 ? p.junctions.at(icon.nr) : nullptr;
            if (!j || j->t == kJunctionPlain) continue;
            mark.pressure = static_cast<float>(pressure_of(pressures_.terminals, j->nr));
            highlight(overlay, pressures_.terminal_marked, j->nr, icon, "terminal");
            mark.dir = terminal_direction(&session.grid, icon.row, icon.col, icon.code);
        } else {
            continue;
        }
        if (mark.pressure != 0) overlay.marks.push_back(mark);
    }
    log.write("End Wind Pressure Display\n");
    return overlay;
}

std::string WindDisplay::status_text(const Project& project) const
{
    if (!active_) return {};
    if (const WpcRecord* r = wpc_record())
        return day_text(r->day) + " " + time_text(r->time) + "; Pbar = " + format_number(r->Pbar, 0) + " Pa" +
               "; Density: " + format_number(r->density, 0, 4) + " kg/m^3";
    if (type_ == WindPressureType::Wpc) return "WPC file: no records";
    if (const WeatherRecord* r = record())
        return day_text(r->day) + " " + time_text(r->time) + "; Wind: " + format_number(r->Ws, 0, 3) + " m/s, " +
               format_number(r->Wd, 0, 4) + " deg";
    const SteadyWeather& w = project.rc.wind_test;
    return "Wind: " + format_number(w.Ws, 0, 3) + " m/s, " + format_number(w.Wd, 0, 4) + " deg";
}

}  // namespace avelor
