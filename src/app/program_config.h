// The user's settings that outlive a run: the program configuration file
// ("Avelor.cfg": defaults for new projects, SketchPad cell sizes, display
// switches, colour palettes, results display options, the external wind
// pressure converter) and the recent-projects file ("Projects.txt"), both in
// the user data folder.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace avelor {

// The cell sizes (pixels) the SketchPad can draw; 8 is always needed.
inline constexpr std::array<int, 7> kAvailableCellSizes = {1, 2, 3, 4, 5, 8, 16};

// Colour-table indices of the twelve palette roles, in file order:
// foreground, background, controls, undefined, draw line, sublevel, flow
// results, ducts, pressure results, errors, highlight background,
// highlight foreground.
using PaletteIndices = std::array<std::uint8_t, 12>;
// The built-in user palettes 1..3.
PaletteIndices builtin_user_palette(int number);

struct ProgramConfig {
    std::vector<int> cell_sizes{kAvailableCellSizes.begin(), kAvailableCellSizes.end()};
    int units = 0;         // 0 SI, 1 IP
    int flow_unit = 0;     // 0..8, kg/s first
    float zone_T = 293.15f;  // K
    int zone_T_unit = 2;   // 0 K, 1 R, 2 °C, 3 °F
    std::string converter = "null";  // the EWC to WPC program, "null" for none
    int cell_jump = 10;
    int floating_status = 1;
    int zone_colours = 0;
    int duct_colours = 0;
    int palette = 0;  // 0 the default palette, 1..3 the user palettes
    std::array<PaletteIndices, 3> user_palettes{builtin_user_palette(1), builtin_user_palette(2),
                                                builtin_user_palette(3)};
    int result_lines = 1;  // 0 flow only, 1 both, 2 pressure only
    int time_jump = 10;
    int maximize = 0;

    bool operator==(const ProgramConfig&) const = default;
};

// The configuration file's text in this program's version.
std::string program_config_text(const ProgramConfig& config);
// Writes the file atomically; a failure is the ERROR "Could not open
// AVELOR.CFG." and false.
bool write_program_config(const std::string& path, const ProgramConfig& config);
// Reads the file into config, which holds the defaults (or the settings
// so far). A missing file changes nothing and answers true. A bad header
// is told and nothing is taken; a bad value is told and either left as it
// was or replaced by its fallback; a bad cell-size list ends the reading
// there. False when anything was told.
bool read_program_config(const std::string& path, ProgramConfig& config);

// The projects opened or saved last, oldest first, at most ten.
class RecentProjects {
public:
    static constexpr std::size_t kMax = 10;
    const std::vector<std::string>& paths() const { return paths_; }
    // The path becomes the most recent, once; the oldest goes when the
    // list would grow past ten.
    void add(const std::string& path);
    void remove(const std::string& path);
    void clear() { paths_.clear(); }

    std::string text() const;
    // Writes the file atomically; a failure is the ERROR "Could not open
    // Projects.txt." and false.
    bool write(const std::string& path) const;
    // Reads the file; a missing one leaves the list empty, a bad header is
    // told and leaves it empty, an over-long path is skipped with a
    // warning, a project that no longer exists is dropped. False when
    // anything was told.
    bool read(const std::string& path);

private:
    std::vector<std::string> paths_;
};

// The two files in the user data folder (given with its closing
// separator), and reading both at start-up: a missing configuration file
// leaves the defaults and says so in the run log, once.
std::string program_config_path(const std::string& user_data_folder);
std::string recent_projects_path(const std::string& user_data_folder);
void read_user_settings(const std::string& user_data_folder, ProgramConfig& config, RecentProjects& recent);

// The Recent Projects menu, most recent first: "&1 path", ...; the entry
// of list position i (0 the oldest) has command id 70 + i. An empty list
// gives the single entry "none" with id 4106.
struct RecentMenuEntry {
    int command = 0;
    std::string label;
};
inline constexpr int kRecentProjectBaseCommand = 70;
inline constexpr int kNoRecentProjectsCommand = 4106;
std::vector<RecentMenuEntry> recent_projects_menu(const RecentProjects& recent);

}  // namespace avelor
