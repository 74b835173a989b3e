#include "app/program_config.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>

#include "app/data_reader.h"
#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/run_log.h"
#include "app/text_writer.h"
#include "app/version.h"

namespace avelor {

namespace {

constexpr PaletteIndices kUserPalettes[3] = {
    {2, 0, 12, 7, 5, 13, 17, 22, 4, 39, 23, 27},
    {13, 39, 15, 33, 30, 36, 23, 26, 29, 2, 8, 16},
    {12, 0, 28, 2, 18, 10, 39, 24, 19, 39, 32, 7},
};

// The comment of each palette line, and the message of a bad value, in
// file order; the cursor line (always 0, read past) sits after "errors".
struct PaletteLine {
    const char* comment;
    const char* invalid;
};
constexpr PaletteLine kPaletteLines[12] = {
    {"foreground", "Invalid foreground color value: "},
    {"background", "Invalid background color value: "},
    {"controls", "Invalid control color value: "},
    {"undefined", "Invalid undefined color value: "},
    {"draw line", "Invalid draw line color value: "},
    {"sublevel", "Invalid sub level color value: "},
    {"flow results", "Invalid flow results color value: "},
    {"ducts", "Invalid duct color value: "},
    {"pressure results", "Invalid pressure results color value: "},
    {"errors", "Invalid error color value: "},
    {"highlight background", "Invalid highlight background color value: "},
    {"highlight foreground", "Invalid highlight foreground color value: "},
};
constexpr std::size_t kCursorAfter = 9;

// Temperatures between kelvin and the display units K, R, °C, °F.
double from_kelvin(double K, int unit)
{
    switch (unit) {
    case 1: return K * 1.8;
    case 2: return K - 273.15;
    case 3: return K * 1.8 - 459.67;
    default: return K;
    }
}
double to_kelvin(double v, int unit)
{
    switch (unit) {
    case 1: return v / 1.8;
    case 2: return v + 273.15;
    case 3: return (v + 459.67) / 1.8;
    default: return v;
    }
}

// The version index of a file's first three fields, or -1 when they are
// not kind, "AvelorW" and a known version from 2.0 on.
int header_version(DataReader& in, std::string_view kind)
{
    const auto w1 = in.read_field();
    const auto w2 = in.read_field();
    const auto w3 = in.read_field();
    if (!w1 || !w2 || !w3 || *w1 != kind || *w2 != "AvelorW") return -1;
    const int index = version_index(*w3);
    return index >= 1 ? index : -1;
}

std::string first_line(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool exists(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

// Reports a value that is not taken.
class Told {
public:
    void value(const char* text, double v)
    {
        TextWriter t;
        t.printf("%g", v);
        report_error(ERROR, {text, t.text()});
        any = true;
    }
    void text(std::string_view text)
    {
        report_error(ERROR, {text});
        any = true;
    }
    bool any = false;
};

}  // namespace

PaletteIndices builtin_user_palette(int number)
{
    return kUserPalettes[std::clamp(number, 1, 3) - 1];
}

std::string program_config_text(const ProgramConfig& c)
{
    TextWriter out;
    out.printf("ConfigFile AvelorW %s   ! file type identification\n", std::string(current_version_text()).c_str());
    out.write("! anything after an exclamation mark is treated as a comment.\n");
    out.write("! number of fonts, N, followed by N valid font sizes in increasing order.\n");
    out.write("! 7  1 2 3 4 5 8 16  ! all valid sizes; size 8 is required.\n");
    out.write("! 6  1 2 3 5 8 16 -or- 5  1 2 4 8 16  are good choices.\n");
    out.write("! if the size 1 font crashes the program, remove it.\n");
    out.printf("  %d ", static_cast<int>(c.cell_sizes.size()));
    for (int size : c.cell_sizes) out.printf(" %d", size);
    out.write("  ! selected fonts.\n");
    out.printf("  %d     ! default units: 0 = SI, 1 = IP.\n", c.units);
    out.printf("  %d     ! default flow units: 0 = kg/s, 1 = scfm, 2 = sL/s, 3 = sm3/s,\n", c.flow_unit);
    out.write("        !   4 = sm3/h, 5 = lb/s, 6 = sft3/h, 7 = sL/min, 8 = kg/h.\n");
    out.printf(" %g %d  ! default zone temperatures in units:\n", from_kelvin(c.zone_T, c.zone_T_unit), c.zone_T_unit);
    out.write("        !   0 = K, 1 = R, 2 = C, 3 = F.\n");
    out.printf("%s ! EWC to WPC converter\n", c.converter.empty() ? "null" : c.converter.c_str());
    out.printf("  %d     ! cell jump\n", c.cell_jump);
    out.printf("  %d     ! floating status on/off\n", c.floating_status);
    out.printf("  %d     ! zone coloring on/off\n", c.zone_colours);
    out.printf("  %d     ! duct coloring on/off\n", c.duct_colours);
    out.printf("  %d     ! selected palette\n", c.palette);
    for (const PaletteIndices& palette : c.user_palettes) {
        for (std::size_t i = 0; i < palette.size(); ++i) {
            out.printf(" %d     ! %s\n", palette[i], kPaletteLines[i].comment);
            if (i == kCursorAfter) out.write(" 0     ! cursor\n");
        }
    }
    out.printf("  %d     ! result lines \n", c.result_lines);
    out.printf("  %d     ! time jump\n", c.time_jump);
    out.printf("  %d     ! maximize at start\n", c.maximize);
    return out.text();
}

bool write_program_config(const std::string& path, const ProgramConfig& config)
{
    if (write_file_atomically(path, program_config_text(config))) return true;
    report_error(ERROR, {"Could not open AVELOR.CFG."});
    return false;
}

bool read_program_config(const std::string& path, ProgramConfig& c)
{
    if (!exists(path)) return true;
    DataReader in;
    if (in.open(path, 0) != 0) return false;
    const int errors = error_count();
    Told told;
    const int version = header_version(in, "ConfigFile");
    if (version < 0) {
        report_error(WARNING, {"Bad configuration file: ", path});
        report_error(ERROR, {"Invalid header data: ", first_line(path)});
        return false;
    }

    // The cell sizes: an unusable list ends the reading.
    const int count = in.read_int(FieldKind::FirstOfNextLine);
    if (count < 1 || count > static_cast<int>(kAvailableCellSizes.size())) {
        told.value("Invalid number of fonts: ", count);
        return false;
    }
    std::vector<int> sizes;
    std::size_t next = 0;
    for (int i = 0; i < count; ++i) {
        const int size = in.read_int();
        while (next < kAvailableCellSizes.size() && kAvailableCellSizes[next] != size) ++next;
        if (next == kAvailableCellSizes.size()) {
            told.text("Invalid font sizes");
            return false;
        }
        sizes.push_back(size);
        ++next;
    }
    if (std::find(sizes.begin(), sizes.end(), 8) == sizes.end()) {
        told.text("8x8 font required");
        return false;
    }
    c.cell_sizes = sizes;

    const int units = in.read_int(FieldKind::FirstOfNextLine);
    if (units < 0 || units > 1) told.value("Invalid units #: ", units);
    else c.units = units;
    const int flow = in.read_int(FieldKind::FirstOfNextLine);
    if (flow < 0 || flow > 8) told.value("Invalid flow units #: ", flow);
    else c.flow_unit = flow;
    const double t = in.read_number(FieldKind::FirstOfNextLine);
    const int t_unit = in.read_int();
    if (t_unit < 0 || t_unit > 3) {
        told.value("Invalid temperature units #: ", t_unit);
    } else {
        const double K = to_kelvin(t, t_unit);
        if (!(K >= 286.05 && K <= 306.25)) {
            TextWriter v;
            v.printf("%g", K);
            report_error(ERROR, {"Unusual zone temperature ", v.text(), " [K] not used"});
            told.any = true;
        } else {
            c.zone_T = static_cast<float>(K);
            c.zone_T_unit = t_unit;
        }
    }

    // A flag or count read where only 0..max is valid; a bad one is told
    // and the fallback used.
    auto ranged = [&](int& field, int low, int high, const char* invalid, int fallback,
                      FieldKind kind = FieldKind::FirstOfNextLine) {
        const int v = in.read_int(kind);
        if (v < low || v > high) {
            told.value(invalid, v);
            field = fallback;
        } else {
            field = v;
        }
    };
    constexpr int kAny = std::numeric_limits<int>::max();
    if (version > 1) {
        // The converter path: the next line that is neither empty nor
        // begins with a blank, up to its comment.
        for (;;) {
            const std::optional<std::string> line = in.read_line(1024);
            if (!line) break;
            if (line->empty() || line->front() == ' ' || line->front() == '\t') continue;
            std::string name = line->substr(0, line->find('!'));
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
            c.converter = name.empty() ? "null" : name;
            break;
        }
        // The converter's line is read whole: the jump starts the next.
        ranged(c.cell_jump, 1, kAny, "Invalid cell jump: ", 10, FieldKind::Next);
    }
    if (version > 3) ranged(c.floating_status, 0, 1, "Invalid floating status bar on/off value: ", 0);
    if (version >= 5) {
        ranged(c.zone_colours, 0, 1, "Invalid zone coloring on/off value: ", 0);
        ranged(c.duct_colours, 0, 1, "Invalid duct coloring on/off value: ", 0);
        ranged(c.palette, 0, 3, "Invalid selected palette: ", 0);
        for (PaletteIndices& palette : c.user_palettes) {
            for (std::size_t i = 0; i < palette.size(); ++i) {
                const int v = in.read_int(FieldKind::FirstOfNextLine);
                if (v < 0 || v > 255) told.value(kPaletteLines[i].invalid, v);
                else palette[i] = static_cast<std::uint8_t>(v);
                if (i == kCursorAfter) in.read_int(FieldKind::FirstOfNextLine);
            }
        }
        ranged(c.result_lines, 0, 2, "Invalid result lines on/off value: ", 1);
        ranged(c.time_jump, 2, kAny, "Invalid time jump value: ", 10);
        ranged(c.maximize, 0, 1, "Invalid maximize at startup value: ", 0);
    }
    return !told.any && error_count() == errors;
}

// ------------------------------------------------------------ recent projects

void RecentProjects::add(const std::string& path)
{
    remove(path);
    if (paths_.size() >= kMax) paths_.erase(paths_.begin(), paths_.end() - (kMax - 1));
    paths_.push_back(path);
}

void RecentProjects::remove(const std::string& path) { std::erase(paths_, path); }

std::string RecentProjects::text() const
{
    TextWriter out;
    out.printf("RecentProjectsFile AvelorW %s   ! file type identification\n",
               std::string(current_version_text()).c_str());
    out.printf("  %d     ! numberof projects\n", static_cast<int>(paths_.size()));
    for (std::size_t i = 0; i < kMax; ++i) {
        if (i < paths_.size()) out.write(paths_[i]);
        out.write("\n");
    }
    return out.text();
}

bool RecentProjects::write(const std::string& path) const
{
    if (write_file_atomically(path, text())) return true;
    report_error(ERROR, {"Could not open Projects.txt."});
    return false;
}

bool RecentProjects::read(const std::string& path)
{
    paths_.clear();
    if (!exists(path)) return true;
    DataReader in;
    if (in.open(path, 0) != 0) return false;
    const int errors = error_count();
    if (header_version(in, "RecentProjectsFile") < 0) {
        report_error(WARNING, {"Bad recent projects file: ", path});
        report_error(ERROR, {"Invalid header data: ", first_line(path)});
        return false;
    }
    const int count = std::clamp(in.read_int(FieldKind::FirstOfNextLine), 0, static_cast<int>(kMax));
    // A path longer than any path the system can name is damage: skipped.
    constexpr std::size_t kLongest = 4096;
    bool told = false;
    for (int i = 0; i < count; ++i) {
        const std::optional<std::string> line = in.read_field(FieldKind::NextDataLine, kLongest + 2);
        if (!line) break;
        if (line->size() >= kLongest) {
            report_error(WARNING, {"Recent project path too long; skipped"});
            told = true;
            continue;
        }
        // A project that is gone is not offered again.
        if (!line->empty() && exists(*line)) add(*line);
    }
    return !told && error_count() == errors;
}

std::string program_config_path(const std::string& user_data_folder) { return user_data_folder + "Avelor.cfg"; }
std::string recent_projects_path(const std::string& user_data_folder) { return user_data_folder + "Projects.txt"; }

void read_user_settings(const std::string& user_data_folder, ProgramConfig& config, RecentProjects& recent)
{
    const std::string cfg = program_config_path(user_data_folder);
    if (!exists(cfg)) run_log().write("No configuration file " + cfg + ": the default settings are used.\n");
    read_program_config(cfg, config);
    recent.read(recent_projects_path(user_data_folder));
}

std::vector<RecentMenuEntry> recent_projects_menu(const RecentProjects& recent)
{
    const std::vector<std::string>& paths = recent.paths();
    if (paths.empty()) return {{kNoRecentProjectsCommand, "none"}};
    std::vector<RecentMenuEntry> entries;
    for (std::size_t k = paths.size(); k-- > 0;) {
        const std::size_t position = paths.size() - k;  // 1 for the most recent
        entries.push_back({kRecentProjectBaseCommand + static_cast<int>(k),
                           "&" + std::to_string(position) + " " + paths[k]});
    }
    return entries;
}

}  // namespace avelor
