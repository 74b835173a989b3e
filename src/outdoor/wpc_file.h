// WPC files (wind pressures and outdoor concentrations at the building's
// envelope openings, over time), as this program reads them: their header
// into the project's settings, their locations against the project's path
// location list, and their records for the wind pressure display.
//
//   WPCfile AvelorW 2.4              (or 2.1: pressures stored absolute)
//   a description line
//   nloc                             each count on a line of its own, a
//   nspecies                         comment may follow it
//   pressures-flag
//   time-step
//   m/d m/d                          the first and last day
//   nspecies lines, each beginning with a species name
//   nloc lines: id X Y Z flag        (id 1..nloc; a flag not 0: not mapped)
//   records until the last day at 24:00:00:
//     m/d time Pbar density
//     nloc pressures                 (when the pressures flag is set)
//     nloc concentrations per species (when there are species)
#pragma once

#include <string>
#include <vector>

#include "outdoor/path_locations.h"

namespace avelor {

struct RunControl;

struct WpcLocation {
    float X = 0, Y = 0, Z = 0;
    int flag = 0;  // not 0: the converter could not map it
};

struct WpcRecord {
    int day = 1;
    int time = 0;
    float Pbar = 0;
    float density = 0;
    std::vector<float> pressures;  // one per location, Pa
};

struct WpcData {
    std::string version;
    int locations = 0;
    int species = 0;
    int pressures = 0;  // the pressures flag
    int time_step = 0;
    std::vector<WpcLocation> location_list;
    std::vector<WpcRecord> records;
    double max_pressure = 0.001;  // the display scale
    int mapping_errors = 0;
};

// Reads the WPC file the settings name, to a level: 1 the header (into the
// settings: description, days, and wp and mf from the pressures flag and
// the species count), 2 also the species and the locations with their
// mapping check, 3 also every record. 0 read, -1 missing or ill-formed (its
// message reported), 1 mapping errors (each logged; outside a building
// check the ERROR "Mapping errors in WPC file, see details in LOG file").
// The data read stay in data whatever the result.
int read_wpc_file(RunControl& settings, const std::string& path, int level, WpcData& data, bool building_check = false);

// Marks every entry of the list that the file's locations do not hold (or
// hold unmapped), logging each; the number marked.
int count_unmatched_locations(PathLocationList& list, const WpcData& data);

}  // namespace avelor
