// The path location list: the distinct places of the project's envelope
// openings (exterior flow paths and duct terminals that take their wind or
// outdoor air from a WPC file), and the path location data file (".pld")
// that tells the WPC file creation program what the project needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avelor {

class Project;
struct FlowPath;
struct Junction;

struct PathLocation {
    float X = 0, Y = 0, Z = 0;  // m, absolute
    int error = 0;              // at 0,0, or not found in the WPC file
    std::int16_t kind = 0;      // 0 path, 1 terminal
    std::int32_t nr = 0;        // of the path or junction
};

struct PathLocationList {
    std::vector<PathLocation> entries;  // in creation order
    int duplicates = 0;
    int at_origin = 0;  // entries whose X and Y are both 0
};

// Two locations are one when X, Y and Z each differ by less than 1.5 mm.
bool same_location(float X1, float Y1, float Z1, float X2, float Y2, float Z2);

// The height of a path's opening: its level's elevation plus its relative
// height, plus half the opening of a two-way element; a path without an
// element its relative height alone. A terminal: its level's elevation plus
// its relative height.
float path_location_height(const FlowPath& path);
float terminal_location_height(const Junction& junction);

// Every path (in number order) with a WPC flag that is no air-handling
// system's exhaust, then every junction with one, each at its location;
// one entry per distinct location. A terminal outside the ambient is the
// ERROR "Bad WPC terminal" and gives none. Logged as the run log shows it.
PathLocationList build_path_locations(const Project& project);

// The ".pld" file beside the project (its folder and name), written
// beside-and-rename: 0 written; 1 not written (an empty list: the WARNING
// "No list of envelope openings."; a failed write: an ERROR naming the
// file).
int write_path_location_file(const Project& project, const std::string& project_path, const PathLocationList& list,
                             bool pressures, bool species);
// Its text.
std::string path_location_text(const Project& project, const PathLocationList& list, bool pressures, bool species);
// The project's ".pld" path.
std::string path_location_file_path(const std::string& project_path);

}  // namespace avelor
