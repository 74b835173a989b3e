#include "prjfile/project_file.h"

#include <filesystem>
#include <system_error>
#include <string_view>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "app/version.h"
#include "prjfile/airflow_section.h"
#include "prjfile/filter_section.h"
#include "prjfile/network_sections.h"
#include "prjfile/project_pack.h"
#include "prjfile/control_section.h"
#include "prjfile/run_control_section.h"
#include "prjfile/schedule_sections.h"
#include "prjfile/source_section.h"
#include "prjfile/species_section.h"
#include "prjfile/wind_profile_section.h"

namespace avelor {

namespace {


// The version test: the layout the readers follow for the file (0 the
// current one, 31 a 3.1 project read into the current records), or -1 when
// the file is refused. Versions older than 3.1 are refused.
int test_version(const std::string& path)
{
    std::error_code ec;
    DataReader test;
    if (!std::filesystem::is_regular_file(path, ec)) {
        report_error(ERROR, {"Could not open file: ", path});
        return -1;
    }
    if (test.open(path, 0) != 0) return -1;
    run_log().printf("\nTesting project file: %s\n", path.c_str());
    run_log().flush();
    auto first_line = test.read_line(256);
    std::string first = first_line ? *first_line : std::string();
    const std::vector<std::string> words = header_words(first);
    const std::string version(current_version_text());
    if (words.empty() || words[0] != "AvelorW") {
        auto second_line = test.read_line(256);
        const std::vector<std::string> second_words =
            header_words(second_line ? *second_line : std::string());
        if (second_words.empty() || second_words[0] != "5") {
            report_error(ERROR, {path, "Cannot convert to AvelorW ", version});
            return -1;
        }
        report_error(ERROR, {path, " is an AvelorW 1.0 project file; converting it is not "
                                   "available in this version"});
        return -1;
    }
    const std::string file_version = words.size() > 1 ? words[1].substr(0, 3) : std::string();
    const int index = version_index(file_version);
    if (index <= 0) {
        report_error(ERROR, {path, " is a AvelorW ", file_version, " file"});
        return -1;
    }
    if (file_version == "3.1") return 31;
    if (index < kCurrentVersionIndex) {
        report_error(ERROR, {path, " is a AvelorW ", file_version,
                             " file; converting older project files is not available in this "
                             "version"});
        return -1;
    }
    return 0;
}

using SectionReader = void (*)(DataReader&, Project&);

void read_sections(DataReader& in, Project& project)
{
    // Each step reads one section; reading stops at the first that left an
    // error.
    auto species = [](DataReader& r, Project& p) { read_species_section(r, p); };
    auto levels = [](DataReader& r, Project& p) { read_levels(r, p); };
    auto day_schedules = [](DataReader& r, Project& p) { read_day_schedules_section(r, p.day_schedules); };
    auto week_schedules = [](DataReader& r, Project& p) {
        read_week_schedules_section(r, p.week_schedules, p.day_schedules);
    };
    auto wind_profiles = [](DataReader& r, Project& p) { read_wind_profiles_section(r, p.wind_profiles); };
    auto reactions = [](DataReader& r, Project& p) { read_reactions_section(r, p.reactions, p.species); };
    auto filter_elements = [](DataReader& r, Project& p) {
        read_filter_elements_section(r, p.filter_elements, p.species);
    };
    auto filters = [](DataReader& r, Project& p) { read_filters_section(r, p); };
    auto source_elements = [](DataReader& r, Project& p) {
        read_source_elements_section(r, p.source_elements, p.species);
    };
    auto flow_elements = [](DataReader& r, Project& p) { read_flow_elements_section(r, p.elements); };
    auto duct_elements = [](DataReader& r, Project& p) { read_duct_elements_section(r, p.duct_elements); };
    auto controls = [](DataReader& r, Project& p) {
        // The control super elements and the control nodes go together.
        read_super_elements_section(r, p);
        if (error_count() == 0) read_control_nodes_section(r, p);
    };
    auto paths = [](DataReader& r, Project& p) {
        read_paths(r, p);
        if (error_count() != 0) return;
        // The hidden sub-paths of super-element paths follow their parent.
        rebuild_sub_paths(p);
        check_simple_ahs_numbers(p);
        // Paths and icons came with the file's system numbers; from here on
        // the systems are numbered in name order, as they are written.
        renumber_simple_ahs(p);
    };
    auto ducts = [](DataReader& r, Project& p) {
        read_ducts(r, p);
        if (error_count() == 0) resolve_junction_ducts(p);
    };
    auto occupancy = [](DataReader& r, Project& p) {
        read_occupancy_section(r, p.occupancy_schedules, p.zones);
    };

    const SectionReader steps[] = {
        species,  levels,   day_schedules, week_schedules, wind_profiles, reactions,
        filter_elements, filters, source_elements, flow_elements, duct_elements, controls,
        read_simple_ahs, read_zones, paths, read_junctions, ducts, read_sources, occupancy,
        read_exposures, read_annotations};
    for (SectionReader step : steps) {
        step(in, project);
        if (error_count() != 0) return;
    }
    // Sensors name records of sections that follow the control nodes.
    if (resolve_controls(project) != 0) return;
    update_path_icons(project);
    // The rest of the line after the last annotation.
    in.read_field(FieldKind::RestOfLine);
}

bool sketchpad_size_ok(const RunControl& rc)
{
    const std::int64_t cells = static_cast<std::int64_t>(rc.rows) * rc.cols;
    return rc.rows >= 58 && rc.cols >= 66 && cells <= 53'290'000;
}

struct IconRule {
    std::uint8_t first;
    std::uint8_t last;
    const char* message;
};

std::string icon_context(const Level& level, const IconEntry& icon)
{
    char text[96];
    std::snprintf(text, sizeof text, ": level %d icon (%d %d %d %d)", level.nr, icon.code, icon.col,
                  icon.row, icon.nr);
    return text;
}

}  // namespace

std::vector<std::string> header_words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == ',' || c == '\t' || c == '\r') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string ProjectDocument::title_name() const
{
    if (path.empty() || must_save_as_new) return {};
    PathParts parts = PathSplit(path);
    return parts.name + ".prj";
}

void write_project(TextWriter& out, Project& project)
{
    // Every definition list is numbered before any section is written, so
    // a reference written ahead of its list's own section names the record
    // that list will write under that number.
    project.species.renumber();
    project.reactions.renumber();
    project.elements.renumber();
    project.duct_elements.renumber();
    project.source_elements.renumber();
    project.filter_elements.renumber();
    project.day_schedules.renumber();
    project.week_schedules.renumber();
    project.occupancy_schedules.renumber();
    project.wind_profiles.renumber();
    write_project_header(out, description_to_line(project.description), 0);
    write_run_control(out, project.rc);
    write_species_section(out, project);
    write_levels(out, project);
    write_day_schedules_section(out, project.day_schedules);
    write_week_schedules_section(out, project.week_schedules, project.day_schedules);
    write_wind_profiles_section(out, project.wind_profiles);
    write_reactions_section(out, project.reactions);
    write_filter_elements_section(out, project.filter_elements);
    write_filters_section(out, project);
    write_source_elements_section(out, project.source_elements);
    write_flow_elements_section(out, project.elements);
    write_duct_elements_section(out, project.duct_elements);
    write_super_elements_section(out, project);
    write_control_nodes_section(out, project);
    write_simple_ahs(out, project);
    write_zones(out, project);
    write_paths(out, project);
    write_junctions(out, project);
    write_ducts(out, project);
    write_sources(out, project);
    write_occupancy_section(out, project.occupancy_schedules, project.zones);
    write_exposures(out, project);
    write_annotations(out, project);
    out.write("* end project file.\n");
}

int read_project(const std::string& path, Project& project, const ReadOptions& options, bool* converted)
{
    const int layout = test_version(path);
    if (layout < 0) return 1;
    if (converted) *converted = layout != 0;

    DataReader in;
    if (in.open(path, 1) != 0) return 1;
    in.older_layout = layout;
    run_log().printf("\nReading project file: %s\n", path.c_str());
    run_log().flush();
    const std::string version(current_version_text());
    auto word = in.read_field();
    if (!word || *word != "AvelorW") {
        report_error(ERROR, {path, "Not a AvelorW ", version, " file"});
        return 1;
    }
    auto file_version = in.read_field();
    const std::string field = file_version ? *file_version : std::string();
    if (field.substr(0, 3) != (layout == 31 ? std::string("3.1") : version)) {
        report_error(ERROR, {path, "\n is a AvelorW ", field, " file"});
        return 1;
    }
    if (field.size() > 3 && kRevisionChar < field[3]) {
        char text[80];
        std::snprintf(text, sizeof text, "PRJ file may require revision (%c) of AvelorW %s", field[3],
                      version.c_str());
        report_error(WARNING, {text});
    }

    reset_error_count();
    const std::int16_t echo = in.read_short();
    in.set_echo(echo == 1);
    auto description = in.read_field(FieldKind::NextDataLine, 72);
    project.description = description ? description_from_line(*description) : std::string();
    read_run_control(in, project.rc);
    if (error_count() == 0 && !sketchpad_size_ok(project.rc)) {
        report_error(ERROR, {"Invalid SketchPad size: ", int_text(project.rc.rows), " rows, ",
                             int_text(project.rc.cols), " columns"});
    }
    if (error_count() == 0) read_sections(in, project);
    in.close();

    if (error_count() != 0) {
        report_error(ERROR, {"Failed to read project file: \n", path});
        return 1;
    }
    project.mark_saved();
    if (!options.backup_path.empty() && !file_copy(path, options.backup_path)) {
        // The project itself was read; only its safety copy is missing.
        report_error(WARNING, {"Could not keep a backup copy of the project in ", options.backup_path});
    }
    return 0;
}

bool check_icons(Project& project)
{
    static const IconRule kRules[] = {
        {5, 6, "Invalid zone #"},        {7, 7, "Invalid AMBT #"},
        {11, 12, "Invalid wall #"},      {14, 22, "Invalid wall #"},
        {23, 25, "Invalid path #"},      {27, 31, "Invalid path #"},
        {128, 129, "Invalid path #"},    {42, 42, "Invalid note #"},
        {130, 130, "Invalid AHS #"},     {131, 131, "Invalid exposure #"},
        {133, 133, "Invalid source #"},  {145, 151, "Invalid duct #"},
        {154, 157, "Invalid duct #"},    {158, 164, "Invalid junction #"},
        {168, 180, "Invalid link #"},    {181, 187, "Invalid control #"},
    };
    const char* undefined = "\nThe icon has been set to undefined.";
    const char* corrected = "\nThe icon has been corrected.";
    const std::int32_t control_nodes = project.controls.count();

    bool fatal = false;
    const RunControl& rc = project.rc;
    for (Level& level : project.levels) {
        std::vector<IconEntry> kept;
        kept.reserve(level.icons.size());
        for (IconEntry icon : level.icons) {
            const std::string context = icon_context(level, icon);
            if (icon.row < 1 || icon.row > rc.rows - 2 || icon.col < 1 || icon.col > rc.cols - 2) {
                // Outside the drawing: no cell can hold it.
                report_error(ERROR, {"Invalid icon position", context, "\nThe icon has been removed."});
                continue;
            }
            const IconRule* rule = nullptr;
            for (const IconRule& r : kRules)
                if (icon.code >= r.first && icon.code <= r.last) rule = &r;
            if (!rule) {
                report_error(ERROR, {"Invalid icon", context});
                fatal = true;
                kept.push_back(icon);
                continue;
            }
            const std::int32_t n = icon.nr;
            auto in_range = [n](std::int32_t low, std::int32_t high) { return n >= low && n <= high; };
            const std::uint8_t c = icon.code;
            if (c == 5 || c == 6) {
                if (!(n == -2 || n == -1 || in_range(1, project.zones.count()))) {
                    report_error(ERROR, {rule->message, context, undefined});
                    icon.nr = -2;
                }
            } else if (c == 7) {
                if (n != -1) {
                    report_error(ERROR, {rule->message, context, corrected});
                    icon.nr = -1;
                }
            } else if ((c >= 11 && c <= 12) || (c >= 14 && c <= 22)) {
                if (n != 0) {
                    report_error(ERROR, {rule->message, context, corrected});
                    icon.nr = 0;
                }
            } else if (c >= 154 && c <= 157) {
                if (!in_range(1, project.ducts.count())) {
                    report_error(ERROR, {rule->message, context, "\nThis icon cannot be undefined."});
                    fatal = true;
                }
            } else {
                std::int32_t count = 0;
                if (c == 42)
                    count = project.notes.count();
                else if (c == 130)
                    count = project.systems.count();
                else if (c == 131)
                    count = project.exposures.count();
                else if (c == 133)
                    count = project.sources.count();
                else if (c >= 145 && c <= 151)
                    count = project.ducts.count();
                else if (c >= 158 && c <= 164)
                    count = project.junctions.count();
                else if (c >= 168)
                    count = control_nodes;
                else
                    count = project.paths.count();
                if (!in_range(0, count)) {
                    report_error(ERROR, {rule->message, context, undefined});
                    icon.nr = 0;
                }
            }
            kept.push_back(icon);
        }
        level.icons = std::move(kept);
    }
    return fatal;
}

void load_project_values_files(Project& project, const std::string& project_path)
{
    const auto location = [&](const std::string& name) {
        return name == "null" ? name : input_file_location(name, project_path);
    };
    load_values_file(location(project.rc.continuous_values_file), ValuesFileKind::Continuous, project.cvf_values, 2);
    load_values_file(location(project.rc.discrete_values_file), ValuesFileKind::Discrete, project.dvf_values, 2);
}

bool open_project(ProjectDocument& document, const std::string& path, const ReadOptions& options)
{
    auto fresh = std::make_unique<Project>();
    bool converted = false;
    bool ok = read_project(path, *fresh, options, &converted) == 0;
    if (ok && check_icons(*fresh)) {
        report_error(ERROR, {"There are errors in the icon list in the project file: \n", path});
        ok = false;
    }
    if (!ok) {
        document.project = std::make_unique<Project>();
        document.path.clear();
        document.must_save_as_new = false;
        document.results_available = false;
        return false;
    }
    fresh->current_level = fresh->lowest_level;
    load_project_values_files(*fresh, path);
    fresh->mark_saved();
    document.project = std::move(fresh);
    document.path = path;
    // A file the user may not write (whoever owns it) opens as untitled:
    // Save asks for a name.
    document.must_save_as_new = !file_is_writable(path);
    document.results_available = false;
    if (converted) {
        // The file keeps its older layout: the project is saved under a
        // name the user chooses, and it differs from every file so far.
        document.must_save_as_new = true;
        document.project->mark_changed();
        run_log().printf("Converted project file to AvelorW %s: %s\n", std::string(current_version_text()).c_str(), path.c_str());
        show_message(NOTE, {"The project was converted from an older version of AvelorW.\n"
                            "Save it under a new name; the file it came from is left as it was."});
    }
    return true;
}

}  // namespace avelor
