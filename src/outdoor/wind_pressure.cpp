#include "outdoor/wind_pressure.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/run_log.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "model/wind_profile.h"
#include "outdoor/path_locations.h"
#include "outdoor/weather.h"
#include "outdoor/wpc_file.h"

namespace avelor {

namespace {

constexpr std::uint16_t kAnyWind = kPathWindPressure | kPathWpcPressure | kPathWpcConcentration;

bool terminal_in_wind(const Junction& j) { return j.t != kJunctionPlain && (j.flags & kJunctionWind); }

// The largest |Cp| of a profile over the compass, a degree apart.
double largest_coefficient(const WindProfile& profile)
{
    WindProfileCursor cursor;
    double largest = 0;
    for (int degrees = 0; degrees < 360; ++degrees)
        largest = std::max(largest, std::fabs(evaluate_wind_profile(profile, degrees, cursor)));
    return largest;
}

// printf's "%g".
std::string number(double v) { return format_number(v, 0); }

WindPressures compute(const Project& project, double q, double Wd)
{
    WindPressures out;
    out.paths.assign(static_cast<std::size_t>(std::max(0, project.paths.count())), 0.0);
    out.terminals.assign(static_cast<std::size_t>(std::max(0, project.junctions.count())), 0.0);
    RunLog& log = run_log();
    for (const FlowPath& p : project.paths) {
        if (p.nr < 1 || static_cast<std::size_t>(p.nr) > out.paths.size() || !(p.flags & kAnyWind)) continue;
        const double wP = path_wind_pressure(p, q, Wd);
        out.paths[static_cast<std::size_t>(p.nr - 1)] = wP;
        log.write("  path " + std::to_string(p.nr) + ", wP " + number(wP) + "\n");
    }
    for (const Junction& j : project.junctions) {
        if (j.nr < 1 || static_cast<std::size_t>(j.nr) > out.terminals.size() || !terminal_in_wind(j)) continue;
        const double wP = terminal_wind_pressure(j, q, Wd);
        out.terminals[static_cast<std::size_t>(j.nr - 1)] = wP;
        log.write("  term " + std::to_string(j.nr) + ", wP " + number(wP) + "\n");
    }
    return out;
}

}  // namespace

double path_wind_pressure(const FlowPath& path, double q, double Wd)
{
    if (!(path.flags & kPathWindPressure)) return 0;
    if (!path.wind_profile) return path.wPset;
    return path.wPmod * q * evaluate_wind_profile(*path.wind_profile, Wd - path.wazm);
}

double terminal_wind_pressure(const Junction& junction, double q, double Wd)
{
    if (!terminal_in_wind(junction)) return 0;
    const TerminalData& t = junction.terminal;
    if (!t.wind_profile) return t.wind_pressure();
    return t.wind_modifier() * q * evaluate_wind_profile(*t.wind_profile, Wd - t.wall_azimuth());
}

WindPressures user_set_wind_pressures(const Project& project)
{
    const SteadyWeather& w = project.rc.wind_test;
    run_log().write("Computing wind pressures for " + number(w.Ws) + " [m/s], " + number(w.Wd) + " deg:\n");
    const double q = dynamic_pressure(w.Pb, w.Ta, w.Ws);
    WindPressures out = compute(project, q, w.Wd);
    double scale = 0.01 * q;
    for (double p : out.paths) scale = std::max(scale, std::fabs(p));
    for (double p : out.terminals) scale = std::max(scale, std::fabs(p));
    out.scale = std::max(scale, 0.001);
    return out;
}

double weather_wind_scale(const Project& project, double max_q)
{
    double scale = 0.001;
    for (const FlowPath& p : project.paths) {
        if (!(p.flags & kPathWindPressure)) continue;
        scale = std::max(scale, p.wind_profile ? std::fabs(p.wPmod) * max_q * largest_coefficient(*p.wind_profile)
                                               : std::fabs(p.wPset));
    }
    for (const Junction& j : project.junctions) {
        if (!terminal_in_wind(j)) continue;
        const TerminalData& t = j.terminal;
        scale = std::max(scale, t.wind_profile ? std::fabs(t.wind_modifier()) * max_q * largest_coefficient(*t.wind_profile)
                                               : std::fabs(t.wind_pressure()));
    }
    return scale;
}

WindPressures weather_record_wind_pressures(const Project& project, double Ta, double Pb, double Ws, double Wd,
                                            double scale)
{
    WindPressures out = compute(project, dynamic_pressure(Pb, Ta, Ws), Wd);
    out.scale = scale;
    return out;
}

WindPressures weather_wind_pressures(const Project& project, double Ta, double Pb, double Ws, double Wd,
                                     double max_q)
{
    return weather_record_wind_pressures(project, Ta, Pb, Ws, Wd, weather_wind_scale(project, max_q));
}

WindPressures wpc_wind_pressures(const Project& project, const WpcData& data, std::size_t record)
{
    WindPressures out;
    out.paths.assign(static_cast<std::size_t>(std::max(0, project.paths.count())), 0.0);
    out.terminals.assign(static_cast<std::size_t>(std::max(0, project.junctions.count())), 0.0);
    out.path_marked.assign(out.paths.size(), 0);
    out.terminal_marked.assign(out.terminals.size(), 0);
    out.scale = std::max(0.001, data.max_pressure);
    const WpcRecord* r = record < data.records.size() ? &data.records[record] : nullptr;
    const bool located = !data.location_list.empty();
    // The pressure at a location, or false when the file does not hold it.
    const auto at = [&](float X, float Y, float Z, double& p) {
        for (std::size_t k = 0; k < data.location_list.size(); ++k) {
            const WpcLocation& w = data.location_list[k];
            if (!same_location(X, Y, Z, w.X, w.Y, w.Z)) continue;
            p = r && k < r->pressures.size() ? r->pressures[k] : 0.0;
            return true;
        }
        return false;
    };
    for (const FlowPath& path : project.paths) {
        const auto i = static_cast<std::size_t>(path.nr - 1);
        if (path.nr < 1 || i >= out.paths.size() || !(path.flags & kAnyWind)) continue;
        if (!located) {
            out.path_marked[i] = path.X == 0 && path.Y == 0;
            continue;
        }
        if (!at(path.X, path.Y, path_location_height(path), out.paths[i])) out.path_marked[i] = 1;
    }
    for (const Junction& j : project.junctions) {
        const auto i = static_cast<std::size_t>(j.nr - 1);
        if (j.nr < 1 || i >= out.terminals.size() || j.t == kJunctionPlain || !j.zone.is_ambient()) continue;
        if (!located) {
            out.terminal_marked[i] = j.X == 0 && j.Y == 0;
            continue;
        }
        if (!at(j.X, j.Y, terminal_location_height(j), out.terminals[i])) out.terminal_marked[i] = 1;
    }
    return out;
}

}  // namespace avelor
