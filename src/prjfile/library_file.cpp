#include "prjfile/library_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "app/data_reader.h"
#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "app/text_writer.h"
#include "app/version.h"
#include "prjfile/airflow_section.h"
#include "prjfile/control_section.h"
#include "prjfile/definition_io.h"
#include "prjfile/filter_section.h"
#include "prjfile/project_file.h"
#include "prjfile/schedule_sections.h"
#include "prjfile/source_section.h"
#include "prjfile/species_section.h"
#include "prjfile/wind_profile_section.h"

namespace avelor {

namespace {

struct KindInfo {
    std::string_view extension;
    std::string_view header;
};
constexpr std::array<KindInfo, kLibraryKindCount> kKinds = {{
    {".LB0", "ContaminantLibrary"},
    {".LB1", "ScheduleLibrary"},
    {".LB2", "WindPressureProfilesLibrary"},
    {".LB3", "AirflowElementsLibrary"},
    {".LB4", "DuctElementsLibrary"},
    {".LB5", "ControlsLibrary"},
}};

const KindInfo& info(LibraryKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

void write_exposure_limits(TextWriter& out, const std::vector<ExposureLimit>& limits)
{
    out.printf("%d ! exposure limits:\n", static_cast<int>(limits.size()));
    int nr = 0;
    for (const ExposureLimit& limit : limits) {
        out.printf("%d %s %d %s\n%s\n", ++nr, limit.species.c_str(), static_cast<int>(limit.points.size()),
                   limit.name.c_str(), description_to_line(limit.description).c_str());
        for (const auto& [time, value] : limit.points)
            out.printf(" %s %g\n", time_text(time).c_str(), static_cast<double>(value));
    }
    out.printf("%d\n", kSectionEnd);
}

void read_exposure_limits(DataReader& in, Library& library)
{
    const std::int32_t count = in.read_int(FieldKind::FirstOfNextLine);
    if (error_count() == 0 && count < 0)
        report_error(ERROR, {"Invalid record count ", int_text(count), " for exposure limits"});
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        ExposureLimit limit;
        limit.nr = in.read_int(FieldKind::FirstOfNextLine);
        if (error_count() != 0) break;
        if (limit.nr != i) {
            report_error(ERROR, {"Xlimit number mis-match: ", int_text(limit.nr)});
            break;
        }
        limit.species = read_definition_name(in);
        const std::int32_t points = in.read_int();
        limit.name = read_definition_name(in);
        limit.description = read_definition_description(in);
        if (error_count() != 0) break;
        if (!library.lists->species.find_by_name(limit.species)) {
            report_error(ERROR, {"Undefined species of exposure limit ", limit.name, ": ", limit.species});
            break;
        }
        if (points < 0 || points > 10000) {
            report_error(ERROR, {"Invalid point count ", int_text(points), " of exposure limit ", limit.name});
            break;
        }
        for (std::int32_t p = 0; p < points && error_count() == 0; ++p) {
            const std::string text = in.read_field(FieldKind::FirstOfNextLine).value_or(std::string());
            const std::optional<std::int32_t> time = parse_time_text(text);
            const float value = in.read_float();
            if (error_count() != 0) break;
            if (!time) {
                report_error(ERROR, {"Invalid time ", text, " of exposure limit ", limit.name});
                break;
            }
            limit.points.emplace_back(*time, value);
        }
        if (error_count() == 0) library.limits.push_back(std::move(limit));
    }
    if (error_count() == 0) read_section_end(in);
    std::sort(library.limits.begin(), library.limits.end(),
              [](const ExposureLimit& a, const ExposureLimit& b) { return a.name < b.name; });
}

// The layout a library's header allows: 0 the current one, 31 the 3.0 and
// 3.1 layout of the species, -1 refused (said why).
int library_layout(const std::string& path, LibraryKind kind)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        report_error(ERROR, {"Could not open file: ", path});
        return -1;
    }
    run_log().printf("\nTesting library file: %s\n", path.c_str());
    std::string line;
    std::getline(file, line);
    const std::vector<std::string> words = header_words(line);
    const std::string current(current_version_text());
    if (words.size() < 3 || words[0] != info(kind).header || words[1] != "AvelorW") {
        report_error(ERROR, {path, "\nNot a AvelorW ", current, " library"});
        return -1;
    }
    const std::string version = words[2].substr(0, 3);
    const int index = version_index(version);
    if (index <= 0) {
        report_error(ERROR, {path, "\nNot a AvelorW ", current, " library"});
        return -1;
    }
    if (version == current || version == "2.2") return 0;
    if (kind != LibraryKind::Contaminant && kind != LibraryKind::Controls) return 0;
    if (version == "3.0" || version == "3.1") return 31;
    report_error(ERROR, {path, " is a AvelorW ", version, " library; converting it is not supported in this version"});
    return -1;
}

void read_sections(DataReader& in, Library& library)
{
    Project& p = *library.lists;
    const auto ok = [] { return error_count() == 0; };
    switch (library.kind) {
    case LibraryKind::Contaminant:
        read_species_library_section(in, p.species);
        if (ok()) read_exposure_limits(in, library);
        if (ok()) read_filter_elements_section(in, p.filter_elements, p.species);
        if (ok()) read_reactions_section(in, p.reactions, p.species);
        if (ok()) read_source_elements_section(in, p.source_elements, p.species);
        break;
    case LibraryKind::Schedule:
        read_day_schedules_section(in, p.day_schedules);
        if (ok()) read_week_schedules_section(in, p.week_schedules, p.day_schedules);
        break;
    case LibraryKind::WindProfile: read_wind_profiles_section(in, p.wind_profiles); break;
    case LibraryKind::AirflowElement: read_flow_elements_section(in, p.elements); break;
    case LibraryKind::DuctElement: read_duct_elements_section(in, p.duct_elements); break;
    case LibraryKind::Controls:
        read_species_library_section(in, p.species);
        if (ok()) read_day_schedules_section(in, p.day_schedules);
        if (ok()) read_super_elements_section(in, p);
        break;
    }
}

}  // namespace

std::string_view library_extension(LibraryKind kind) { return info(kind).extension; }
std::string_view library_header_word(LibraryKind kind) { return info(kind).header; }

std::optional<LibraryKind> library_kind_of_path(std::string_view path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string extension(path.substr(dot));
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int k = 0; k < kLibraryKindCount; ++k)
        if (kKinds[static_cast<std::size_t>(k)].extension == extension) return static_cast<LibraryKind>(k);
    return std::nullopt;
}

void Library::clear()
{
    lists = std::make_unique<Project>();
    limits.clear();
    path.clear();
    description.clear();
    changed = false;
    converted = false;
}

std::string library_text(Library& library)
{
    Project& p = *library.lists;
    p.species.renumber();
    p.reactions.renumber();
    p.elements.renumber();
    p.duct_elements.renumber();
    p.source_elements.renumber();
    p.filter_elements.renumber();
    p.day_schedules.renumber();
    p.week_schedules.renumber();
    p.wind_profiles.renumber();
    TextWriter out;
    out.printf("%s AvelorW %s%c\n", std::string(info(library.kind).header).c_str(),
               std::string(current_version_text()).c_str(), kRevisionChar);
    out.printf("%s\n", description_to_line(library.description).c_str());
    switch (library.kind) {
    case LibraryKind::Contaminant:
        write_species_library_section(out, p.species);
        write_exposure_limits(out, library.limits);
        write_filter_elements_section(out, p.filter_elements);
        write_reactions_section(out, p.reactions);
        write_source_elements_section(out, p.source_elements);
        break;
    case LibraryKind::Schedule:
        write_day_schedules_section(out, p.day_schedules);
        write_week_schedules_section(out, p.week_schedules, p.day_schedules);
        break;
    case LibraryKind::WindProfile: write_wind_profiles_section(out, p.wind_profiles); break;
    case LibraryKind::AirflowElement: write_flow_elements_section(out, p.elements); break;
    case LibraryKind::DuctElement: write_duct_elements_section(out, p.duct_elements); break;
    case LibraryKind::Controls:
        write_species_library_section(out, p.species);
        write_day_schedules_section(out, p.day_schedules);
        write_super_elements_section(out, p);
        break;
    }
    out.write("* end library.\n");
    return out.take();
}

bool write_library(const std::string& path, Library& library)
{
    reset_error_count();
    const std::string text = library_text(library);
    if (error_count() != 0) {
        report_error(ERROR, {"Failed to write library file: ", path});
        return false;
    }
    WriteFailure failure;
    if (!write_file_atomically(path, text, &failure)) {
        report_error(ERROR, {failure.stage == WriteStage::open ? "Failed to open: " : "Failed to write library file: ",
                             path});
        return false;
    }
    library.path = path;
    library.changed = false;
    return true;
}

bool read_library(const std::string& path, LibraryKind kind, Library& library)
{
    library.clear();
    library.kind = kind;
    const int layout = library_layout(path, kind);
    if (layout < 0) return false;
    DataReader in;
    if (in.open(path, 1) != 0) {
        report_error(ERROR, {"Failed to open: ", path});
        return false;
    }
    in.older_layout = layout;
    reset_error_count();
    in.read_field(FieldKind::RestOfLine);
    const std::optional<std::string> description = in.read_field(FieldKind::NextDataLine, 71);
    library.description = description ? description_from_line(*description) : std::string();
    if (error_count() == 0) read_sections(in, library);
    in.close();
    if (error_count() != 0) {
        report_error(ERROR, {"Failed to read library file: ", path});
        library.clear();
        return false;
    }
    library.path = path;
    library.converted = layout != 0;
    return true;
}

}  // namespace avelor
