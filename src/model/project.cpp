#include "model/project.h"

#include <algorithm>
#include <unordered_map>

#include "app/description_line.h"
#include "app/diagnostics.h"

namespace avelor {

Project::Project()
    : pool(32000, "block"),
      levels(pool, "level", "LevLst", "Level"),
      zones(pool, "zone", "ZnLst", "Zone"),
      paths(pool, "path", "PthLst", "Path"),
      junctions(pool, "junction", "JctLst", "Junction"),
      ducts(pool, "duct", "DctLst", "Duct"),
      sources(pool, "source", "CssLst", "SourceSink"),
      exposures(pool, "exposure", "PxLst", "Exposure"),
      notes(pool, "note", "NtLst", "Note"),
      filters(pool, "filter", "FltLst", "Filter"),
      controls(pool, "control", "CtLst", "Control"),
      systems(pool),
      species(pool),
      reactions(pool),
      elements(pool),
      duct_elements(pool),
      source_elements(pool),
      filter_elements(pool),
      day_schedules(pool),
      week_schedules(pool),
      occupancy_schedules(pool),
      wind_profiles(pool),
      super_elements(pool)
{
    auto changed = [this] { mark_changed(); };
    levels.set_on_change(changed);
    zones.set_on_change(changed);
    paths.set_on_change(changed);
    junctions.set_on_change(changed);
    ducts.set_on_change(changed);
    sources.set_on_change(changed);
    exposures.set_on_change(changed);
    notes.set_on_change(changed);
    filters.set_on_change(changed);
    controls.set_on_change(changed);
    systems.set_on_change(changed);
    species.set_on_change(changed);
    reactions.set_on_change(changed);
    elements.set_on_change(changed);
    duct_elements.set_on_change(changed);
    source_elements.set_on_change(changed);
    filter_elements.set_on_change(changed);
    day_schedules.set_on_change(changed);
    week_schedules.set_on_change(changed);
    occupancy_schedules.set_on_change(changed);
    wind_profiles.set_on_change(changed);
    super_elements.set_on_change(changed);
}

Zone new_zone(const Project& project)
{
    const std::int16_t ud = project.rc.ud;
    Zone zone;
    zone.flags = kZoneVariablePressure | kZoneVariableContaminants;
    zone.T0 = project.rc.T;
    zone.clr = -1;
    zone.u = {ud, static_cast<std::int16_t>(ud + 2), ud, ud};
    zone.axis_u[1] = ud;
    zone.axis[6] = 0.1f;  // cell size
    zone.axis[7] = 0.1f;  // axial dispersion coefficient
    zone.CC0 = project.CC0;
    return zone;
}

Exposure new_exposure(const Project& project)
{
    Exposure exposure;
    exposure.mult = 1;
    exposure.exposure.assign(static_cast<std::size_t>(project.nctm()), 0.0f);
    return exposure;
}

void derive_level_elevations(Project& project)
{
    for (Level* level = project.lowest_level; level; level = level->above)
        if (level->below) level->refHt = level->below->refHt + level->below->delHt;
}

Zone* add_zone(Project& project, const Zone& zone)
{
    Zone* stored = project.zones.add(zone);
    stored->level = project.current_level;
    return stored;
}

FlowPath* add_path(Project& project, const FlowPath& path)
{
    FlowPath* stored = project.paths.add(path);
    stored->level = project.current_level;
    return stored;
}

Junction* add_junction(Project& project, const Junction& junction)
{
    Junction* stored = project.junctions.add(junction);
    stored->level = project.current_level;
    return stored;
}

SimpleAhs* create_simple_ahs(Project& project, const std::string& name, const std::string& desc)
{
    Zone zone = new_zone(project);
    zone.flags |= kZoneAhs;
    zone.name = name + "(Rec)";
    Zone* return_zone = add_zone(project, zone);
    zone.name = name + "(Sup)";
    Zone* supply_zone = add_zone(project, zone);

    auto make_path = [&](ZoneRef n, ZoneRef m, std::uint16_t flags) {
        FlowPath path;
        path.zone_n = n;
        path.zone_m = m;
        path.flags = flags;
        return add_path(project, path);
    };
    FlowPath* recirculation = make_path(return_zone, supply_zone, kPathRecirculation);
    FlowPath* outdoor_air = make_path(ZoneRef::ambient(), supply_zone, kPathOutdoorAir);
    FlowPath* exhaust = make_path(return_zone, ZoneRef::ambient(), kPathExhaust);

    SimpleAhs system;
    system.name = name;
    system.desc = desc;
    system.zr = return_zone->nr;
    system.zs = supply_zone->nr;
    system.pr = recirculation->nr;
    system.ps = outdoor_air->nr;
    system.px = exhaust->nr;
    SimpleAhs* stored = project.systems.insert_copy(system);
    renumber_simple_ahs(project);
    return stored;
}

bool release_zone(Project& project, std::int32_t n)
{
    Zone* zone = project.zones.at(n);
    if (!zone) return false;
    for (OccupancySchedule& o : project.occupancy_schedules)
        for (OccupancyPoint& point : o.points)
            if (point.zone.zone() == zone) point.zone = {};
    return project.zones.release(n);
}

void release_filter(Project& project, Filter*& filter)
{
    if (filter && project.filters.at(filter->nr) == filter) project.filters.release(filter->nr);
    filter = nullptr;
}

void remove_simple_ahs(Project& project, SimpleAhs* system)
{
    release_zone(project, system->zr);
    release_zone(project, system->zs);
    for (const std::int32_t n : {system->pr, system->ps, system->px})
        if (FlowPath* path = project.paths.at(n)) release_filter(project, path->filter);
    project.paths.release(system->pr);
    project.paths.release(system->ps);
    project.paths.release(system->px);
    project.systems.remove_record(system);
    renumber_simple_ahs(project);
}

void renumber_simple_ahs(Project& project)
{
    // Old number -> new number, for the system icons of every level.
    std::unordered_map<std::int32_t, std::int32_t> renumbered;
    std::vector<SimpleAhs*> index;
    std::int32_t n = 0;
    for (SimpleAhs& system : project.systems) {
        ++n;
        if (system.nr != 0) renumbered[system.nr] = n;
        system.nr = n;
        index.push_back(&system);
    }
    if (n != project.systems.count()) report_error(ERROR, {"AHS numbering"});
    for (Level& level : project.levels) {
        for (IconEntry& icon : level.icons) {
            if (icon.code != kIconSimpleAhs) continue;
            // An icon whose system is gone must not pass to the system that
            // takes its old number: it becomes undefined.
            auto found = renumbered.find(icon.nr);
            icon.nr = found != renumbered.end() ? found->second : 0;
        }
    }
    project.system_index = std::move(index);
}

void update_path_icons(Project& project)
{
    auto is_path_icon = [](std::uint8_t code) {
        return code >= kFirstPathIcon && code <= kLastPathIcon;
    };
    std::unordered_map<std::int32_t, std::uint8_t> icon_of_path;
    for (FlowPath& path : project.paths) {
        if (!path.element || !is_path_icon(path.icn)) continue;
        path.icn = path.element->icon;
        icon_of_path[path.nr] = path.icn;
    }
    for (Level& level : project.levels) {
        for (IconEntry& icon : level.icons) {
            if (!is_path_icon(icon.code) || icon.nr <= 0) continue;
            auto found = icon_of_path.find(icon.nr);
            if (found != icon_of_path.end()) icon.code = found->second;
        }
    }
}

void resolve_junction_ducts(Project& project)
{
    for (Junction& junction : project.junctions) {
        if (junction.duct_nr == 0) {
            junction.duct = nullptr;
            continue;
        }
        junction.duct = project.ducts.at(junction.duct_nr);
        if (!junction.duct)
            report_error(ERROR, {"Invalid duct number, junction ", std::to_string(junction.nr)});
    }
}

bool set_project_description(Project& project, std::string_view text)
{
    std::string cleaned = clean_description(text);
    if (cleaned.size() > kDescriptionLimit) cleaned.resize(kDescriptionLimit);
    if (cleaned == project.description) return false;
    project.description = std::move(cleaned);
    project.mark_changed();
    return true;
}

std::string in_use_message(std::string_view name, const std::vector<std::string>& users)
{
    std::string text = "\"" + std::string(name) + "\" is in use and cannot be deleted. It is used by:";
    const std::size_t listed = std::min<std::size_t>(users.size(), 10);
    for (std::size_t k = 0; k < listed; ++k) text += "\n" + users[k];
    if (users.size() > listed) text += "\nand " + std::to_string(users.size() - listed) + " more";
    return text;
}

}  // namespace avelor
