// A project: every record list, the definitions, the contaminant order and
// the project-wide settings. A project is made and dropped as a whole; its
// records live in its pool and keep their addresses while it lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "app/memory.h"
#include "model/airflow_element.h"
#include "model/control_node.h"
#include "model/duct_element.h"
#include "model/filter_element.h"
#include "model/records.h"
#include "model/run_control.h"
#include "model/schedules.h"
#include "model/source_element.h"
#include "model/species.h"
#include "model/sub_paths.h"
#include "model/values_file.h"
#include "model/wind_profile.h"

namespace avelor {

class Project {
public:
    Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    bool changed() const { return changed_; }
    void mark_changed() { changed_ = true; }
    void mark_saved() { changed_ = false; }

    std::string description;
    RunControl rc;

    // Declared first so that it outlives every list carved from it.
    BlockPool pool;

    NumberedList<Level> levels;       // LevLst, lowest level first
    NumberedList<Zone> zones;         // ZnLst
    NumberedList<FlowPath> paths;     // PthLst
    NumberedList<Junction> junctions; // JctLst
    NumberedList<DuctSegment> ducts;  // DctLst
    NumberedList<SourceSink> sources; // CssLst
    NumberedList<Exposure> exposures; // PxLst
    NumberedList<Annotation> notes;   // NtLst
    NumberedList<Filter> filters;     // FltLst
    NumberedList<ControlNode> controls;  // CtLst
    // The hidden sub-paths of the paths with a super element.
    SubPathChains sub_paths;

    NamedList<SimpleAhs> systems;        // kept in name order
    std::vector<SimpleAhs*> system_index; // AhsLst: entry n-1 is system n

    NamedList<Species> species;              // SpcsLst
    NamedList<KineticReaction> reactions;    // KnrLst
    NamedList<AirflowElement> elements;      // AfeLst
    NamedList<DuctElement> duct_elements;    // DfeLst
    NamedList<SourceElement> source_elements;  // CseLst
    NamedList<FilterElement> filter_elements;  // FlteLst
    NamedList<DaySchedule> day_schedules;    // DshLst
    NamedList<WeekSchedule> week_schedules;  // WshLst
    NamedList<OccupancySchedule> occupancy_schedules;  // OshLst
    NamedList<WindProfile> wind_profiles;    // WpfLst
    NamedList<SuperElement> super_elements;  // SELst

    // The headers of the continuous and discrete values files the run
    // control names, as last loaded: their value names are what control
    // nodes and the records' CVF/DVF links choose from.
    ValuesFileHeader cvf_values;
    ValuesFileHeader dvf_values;

    // The contaminants in contaminant order and their default
    // concentrations; every per-contaminant array follows this order.
    std::vector<Species*> Ctm;
    std::vector<float> CC0;
    int h2o_index = -1;
    int nctm() const { return static_cast<int>(Ctm.size()); }

    Level* lowest_level = nullptr;
    Level* top_level = nullptr;
    Level* current_level = nullptr;

private:
    bool changed_ = false;
};

// The project description as the description dialog stores it: line
// breaks become blanks and at most 70 characters are kept. True (and the
// project marked changed) when the description changed.
bool set_project_description(Project& project, std::string_view text);

// Every level's elevation above the lowest follows from the level below:
// refHt(k) = refHt(k-1) + delHt(k-1).
void derive_level_elevations(Project& project);

// Defaults of new records.
Zone new_zone(const Project& project);
Exposure new_exposure(const Project& project);

// Adds a record as number count + 1 on the current level and marks the
// project changed.
Zone* add_zone(Project& project, const Zone& zone);

// Releases zone n and takes it out of the occupancy schedules, whose
// points then place the occupant nowhere. False when there is no zone n.
bool release_zone(Project& project, std::int32_t n);
FlowPath* add_path(Project& project, const FlowPath& path);
Junction* add_junction(Project& project, const Junction& junction);

// Creates a simple air-handling system with its return and supply zones and
// its recirculation, outdoor-air and exhaust paths, then renumbers the
// systems. The zones and paths go on the current level.
SimpleAhs* create_simple_ahs(Project& project, const std::string& name, const std::string& desc);
// Removes a system with its two zones and three paths.
void remove_simple_ahs(Project& project, SimpleAhs* system);

// A record that goes takes its filter with it: the filter is released
// (when the list still holds it) and the reference cleared.
void release_filter(Project& project, Filter*& filter);
// Numbers the systems 1..count in name order, gives every system icon its
// system's new number and rebuilds the index.
void renumber_simple_ahs(Project& project);

// After the flow paths are read: every path icon shows its element's icon.
void update_path_icons(Project& project);
// After the duct segments are read: junctions' segment numbers become
// references. A number outside the list is an error.
void resolve_junction_ducts(Project& project);

// The refusal to delete a definition that is still used: its name and up
// to ten of its users, "and N more" for the rest.
std::string in_use_message(std::string_view name, const std::vector<std::string>& users);

}  // namespace avelor
