#include "outdoor/path_locations.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "model/airflow_element.h"
#include "model/project.h"
#include "model/species.h"

namespace avelor {

namespace {

constexpr float kSameLocation = 0.0015f;
constexpr std::uint16_t kWpcFlags = kPathWpcPressure | kPathWpcConcentration;

float level_elevation(const Level* level) { return level ? level->refHt : 0.0f; }

}  // namespace

bool same_location(float X1, float Y1, float Z1, float X2, float Y2, float Z2)
{
    return std::fabs(X1 - X2) < kSameLocation && std::fabs(Y1 - Y2) < kSameLocation &&
           std::fabs(Z1 - Z2) < kSameLocation;
}

float path_location_height(const FlowPath& path)
{
    if (!path.has_element() || !path.element) return path.relHt;
    float Z = level_elevation(path.level) + path.relHt;
    if (const auto* door = std::get_if<DoorData>(&path.element->data)) Z += 0.5f * door->ht;
    if (const auto* two = std::get_if<TwoOpeningData>(&path.element->data)) Z += 0.5f * two->ht;
    return Z;
}

float terminal_location_height(const Junction& junction) { return level_elevation(junction.level) + junction.relHt; }

PathLocationList build_path_locations(const Project& project)
{
    PathLocationList list;
    RunLog& log = run_log();
    log.write("Creating PLDlist:\n");
    const auto add = [&](PathLocation entry) {
        for (const PathLocation& e : list.entries)
            if (same_location(entry.X, entry.Y, entry.Z, e.X, e.Y, e.Z)) {
                ++list.duplicates;
                return;
            }
        list.entries.push_back(entry);
    };
    for (const FlowPath& p : project.paths) {
        if (!(p.flags & kWpcFlags) || (p.flags & kPathExhaust)) continue;
        if (p.X == 0 && p.Y == 0)
            log.write(format_text("PLDpath: undefined location for path %d (%d)\n", static_cast<int>(p.nr),
                                  static_cast<int>(p.flags)));
        add({p.X, p.Y, path_location_height(p), 0, 0, p.nr});
    }
    for (const Junction& j : project.junctions) {
        if (!(j.flags & kWpcFlags)) continue;
        if (!j.zone.is_ambient()) {
            report_error(ERROR, {"Bad WPC terminal"});
            continue;
        }
        if (j.X == 0 && j.Y == 0)
            log.write(format_text("PLDterm: undefined location for terminal %d (%d)\n", static_cast<int>(j.nr),
                                  static_cast<int>(j.flags)));
        add({j.X, j.Y, terminal_location_height(j), 0, 1, j.nr});
    }
    for (PathLocation& e : list.entries)
        if (e.X == 0 && e.Y == 0) {
            e.error = 1;
            ++list.at_origin;
        }
    log.write(format_text("  %d unique locations\n", static_cast<int>(list.entries.size())));
    log.write(format_text("  %d duplicate locations\n", list.duplicates));
    log.write("  end PLDlist\n\n");
    return list;
}

std::string path_location_file_path(const std::string& project_path)
{
    std::filesystem::path path(project_path);
    path.replace_extension(".pld");
    return path.string();
}

std::string path_location_text(const Project& project, const PathLocationList& list, bool pressures, bool species)
{
    const RunControl& rc = project.rc;
    float lo[3] = {list.entries.front().X, list.entries.front().Y, list.entries.front().Z};
    float hi[3] = {lo[0], lo[1], lo[2]};
    for (const PathLocation& e : list.entries) {
        const float v[3] = {e.X, e.Y, e.Z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], v[k]);
            hi[k] = std::max(hi[k], v[k]);
        }
    }
    std::string t;
    t += rc.ewc_file + " ! EWC file\n";
    t += rc.wpc_file + " ! WPC file\n";
    t += rc.wpc_description + "\n";
    t += "!  Xref    Xref    Yref   angle\n";
    t += format_text("%7.3f %7.3f %7.3f %6.2f\n", double(rc.Xref), double(rc.Yref), double(rc.Zref), double(rc.angle));
    if (rc.latd == 40.0f && rc.longtd == -90.0f)
        t += format_text("%9.4f %9.4f ! no latitude/longitude\n", 0.0, 0.0);
    else
        t += format_text("%9.4f %9.4f ! latitude, longitude\n", double(rc.latd), double(rc.longtd));
    t += "!  Xmin    Xmax    Ymin    Ymax    Zmin    Zmax\n";
    t += format_text("%7.3f %7.3f %7.3f %7.3f %7.3f %7.3f\n", double(lo[0]), double(hi[0]), double(lo[1]),
                     double(hi[1]), double(lo[2]), double(hi[2]));
    t += "!step  shift   start  end\n";
    t += format_text("%5d %s %5s %5s\n", 0, time_text(rc.tShift).c_str(), month_day_text(rc.dStart).c_str(),
                     month_day_text(rc.dEnd).c_str());
    if (species) {
        t += format_text(" %d %d %.2f ! pressures flag, # species, mapping tolerence\n", pressures ? 1 : 0,
                         project.nctm(), double(rc.epsS));
        t += "! species name m.wt\n";
        for (const Species* s : project.Ctm) t += format_text("%s %.2f\n", s->name.c_str(), double(s->molwt));
    } else {
        t += format_text(" %d %d %.2f ! pressures flag, species flag\n", pressures ? 1 : 0, 0, double(rc.epsS));
        t += "! species name m.wt\n";
    }
    t += format_text(" %d %.2f ! number of flow paths and mapping tolerance\n", static_cast<int>(list.entries.size()),
                     double(rc.epsP));
    t += "! id#    X       Y       Z\n";
    int id = 0;
    for (const PathLocation& e : list.entries)
        t += format_text("%4d %7.3f %7.3f %7.3f\n", ++id, double(e.X), double(e.Y), double(e.Z));
    t += "-999\n";
    return t;
}

int write_path_location_file(const Project& project, const std::string& project_path, const PathLocationList& list,
                             bool pressures, bool species)
{
    if (list.entries.empty()) {
        show_message(WARNING, {"No list of envelope openings."});
        return 1;
    }
    const std::string path = path_location_file_path(project_path);
    WriteFailure failure;
    if (!write_file_atomically(path, path_location_text(project, list, pressures, species), &failure)) {
        // Never the end of the program: the project and its work stay.
        report_error(ERROR, {"Failed to open ", path, " (", std::string(write_stage_name(failure.stage)), ")"});
        return 1;
    }
    return 0;
}

}  // namespace avelor
