#include "model/run_control_rules.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "app/data_reader.h"
#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/text_convert.h"
#include "model/project.h"
#include "model/run_control.h"

namespace avelor {

namespace {

constexpr std::int32_t kHourSeconds = 3600;

// The first line of a file that is not a comment, for the log.
std::string first_data_line(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t text = line.find_first_not_of(" \t");
        if (text == std::string::npos || line[text] == '!') continue;
        return line;
    }
    return {};
}

bool refuse(const char* text)
{
    show_message(ERROR, {text});
    return false;
}

bool valid_day(int day) { return day >= 1 && day <= kDaysInYear; }

int next_day(int day) { return day >= kDaysInYear ? 1 : day + 1; }
int previous_day(int day) { return day <= 1 ? kDaysInYear : day - 1; }

// The question of a file that does not cover the simulated days; Yes moves
// both days to the file's first day.
bool offer_first_day(RunControl& rc, const DataFileSpan& span, const char* question)
{
    if (span_covered(rc.date_0, rc.date_1, span.first_day, span.last_day)) return true;
    if (ask_question(question) != 1) return false;
    rc.date_0 = span.first_day;
    rc.date_1 = span.first_day;
    return true;
}

}  // namespace

bool transient_simulation(const RunControl& rc)
{
    return rc.sim_af != airflow_method::Steady || rc.sim_mf == contaminant_method::Transient ||
           rc.sim_mf == contaminant_method::Cyclic;
}

bool names_a_file(const std::string& name) { return !name.empty() && name != "null"; }

DataFileSpan check_data_file_header(const std::string& path, DataFileKind kind)
{
    DataFileSpan span;
    if (!file_exists(path)) return span;
    DataReader reader;
    // A file that cannot be opened fails the check; the reader has said why.
    if (reader.open(path, 0) != 0) return span;
    const std::string_view word = kind == DataFileKind::Weather ? "WeatherFile" : "SpeciesFile";
    const std::optional<std::string> w1 = reader.read_field();
    const std::optional<std::string> w2 = reader.read_field();
    const std::optional<std::string> w3 = reader.read_field();
    if (!w1 || !w2 || !w3 || *w1 != word || *w2 != "AvelorW" || *w3 != "2.0") {
        report_error(WARNING, {"Invalid header data: ", first_data_line(path)});
        return span;
    }
    if (!reader.read_field(FieldKind::NextDataLine)) return span;  // the description
    const int errors_before = error_count();
    const int first_day = reader.read_month_day();
    const int last_day = reader.read_month_day();
    if (error_count() != errors_before || !valid_day(first_day) || !valid_day(last_day)) return span;
    span.ok = true;
    span.first_day = first_day;
    span.last_day = last_day;
    return span;
}

std::string restart_path_for(const std::string& project_path)
{
    if (project_path.empty()) return {};
    std::filesystem::path path(project_path);
    path.replace_extension(".rst");
    return path.string();
}

RestartSpan read_restart_header(const std::string& rst_path, const Project& project)
{
    RestartSpan span;
    if (rst_path.empty()) return span;
    std::ifstream in(rst_path, std::ios::binary);
    std::array<unsigned char, 40> bytes{};
    if (!in.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) return span;
    std::array<std::int32_t, 10> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const std::uint32_t u = std::uint32_t{bytes[4 * i]} | std::uint32_t{bytes[4 * i + 1]} << 8 |
                                std::uint32_t{bytes[4 * i + 2]} << 16 | std::uint32_t{bytes[4 * i + 3]} << 24;
        std::int32_t s = 0;
        std::memcpy(&s, &u, sizeof s);
        v[i] = s;
    }
    // Control nodes are not yet part of a project's records: none.
    const std::array<std::int64_t, 7> counts = {project.zones.count(),     project.paths.count(),
                                                project.nctm(),            project.junctions.count(),
                                                project.ducts.count(),     project.sources.count(),
                                                0};
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (v[i] != counts[i]) return span;
    // Days that are not days of the year cannot be offered to restart from.
    if (!valid_day(v[7]) || !valid_day(v[8])) return span;
    span.ok = true;
    span.first_day = v[7];
    span.last_day = v[8];
    return span;
}

bool day_in_span(int day, int first, int last)
{
    // A day that is no day of the year lies in no span, wrapping or not.
    if (!valid_day(day)) return false;
    if (first <= last) return first <= day && day <= last;
    return day >= first || day <= last;
}

bool span_covered(int a, int b, int first, int last)
{
    if (!day_in_span(a, first, last) || !day_in_span(b, first, last)) return false;
    // Both ends lie in the file's span; the days between them do too unless
    // the simulated span leaves the file's span and enters it again, which
    // it does when it is longer than the part of the file's span from a on.
    const auto length = [](int from, int to) { return to >= from ? to - from : to - from + kDaysInYear; };
    if (length(first, last) == kDaysInYear - 1) return true;  // the whole year
    return length(a, b) <= length(a, last);
}

RunFileSpans read_run_file_spans(const RunControl& rc, const Project& project, const std::string& project_path)
{
    RunFileSpans spans;
    spans.project_path = project_path;
    if (names_a_file(rc.weather_file) && rc.sim_af == airflow_method::Transient) {
        const DataFileSpan span =
            check_data_file_header(input_file_location(rc.weather_file, project_path), DataFileKind::Weather);
        if (span.ok) spans.weather = span;
    }
    if (names_a_file(rc.contaminant_file) &&
        (rc.sim_mf == contaminant_method::Transient || rc.sim_mf == contaminant_method::Cyclic)) {
        const DataFileSpan span =
            check_data_file_header(input_file_location(rc.contaminant_file, project_path), DataFileKind::Contaminant);
        if (span.ok) spans.contaminant = span;
    }
    spans.restart = read_restart_header(restart_path_for(project_path), project);
    return spans;
}

bool check_run_time_steps(const RunControl& rc)
{
    if (rc.t_step <= 0) return refuse("The calculation time step cannot be 00:00:00.");
    if (rc.t_list <= 0) return refuse("The Output time step cannot be 00:00:00.");
    if (rc.t_list % rc.t_step != 0)
        return refuse("The Output time step must be multiple of the Calculation time step");
    if (kSecondsInDay % rc.t_list != 0) return refuse("24 hours must be a multiple of the Output time step.");
    return true;
}

bool check_run_control(RunControl& rc, const RunFileSpans& spans)
{
    if (rc.sim_af == airflow_method::Transient && rc.sim_mf == contaminant_method::Steady)
        return refuse("Invalid combination of flow/contaminant simulation methods.\n"
                      "    Airflow simulation method-     transient\n"
                      "    Contaminant simulation method- steady");
    // A negative step comes only from a damaged file; it is as unusable as 0.
    if (rc.t_step <= 0) return refuse("The calculation time step cannot be 00:00:00.");
    const char* status_multiple = "The Status time step must be a multiple of\n the Calculation time step.";
    if (transient_simulation(rc) && (rc.t_scrn < rc.t_step || rc.t_scrn % rc.t_step != 0))
        return refuse(status_multiple);
    if (rc.t_scrn > kHourSeconds && kSecondsInDay % rc.t_scrn != 0)
        return refuse("24 hours must be a multiple of the Status time step.");
    if (rc.t_scrn < kHourSeconds && rc.t_scrn % rc.t_step != 0) return refuse(status_multiple);
    if (rc.t_list % rc.t_step != 0)
        return refuse("The Output time step must be multiple of the Calculation time step");
    if (rc.t_list > kHourSeconds) return refuse("The Output time step must be less than an or equal to an hour.");
    // The start time is divided by the output step.
    if (rc.t_list <= 0) return refuse("The Output time step cannot be 00:00:00.");
    if (rc.time_0 % rc.t_list != 0) return refuse("The Start time must be a multiple of the Output time step");
    if (kHourSeconds % rc.t_step != 0)
        return refuse("There must be an integral number of time steps in one hour");
    // The results file lays out whole days of output steps.
    if (kSecondsInDay % rc.t_list != 0) return refuse("24 hours must be a multiple of the Output time step.");
    if (rc.sim_af == airflow_method::Transient) {
        // A weather file may run over the year's end (Dec01 to Jan31).
        const int first = spans.weather.first_day;
        const int last = spans.weather.last_day;
        if (rc.sim_mf == contaminant_method::Cyclic) {
            if (!day_in_span(rc.date_st, first, last))
                return refuse("The cyclic date of the simulation must be within the date range in the weather file.");
        } else {
            if (!day_in_span(rc.date_0, first, last))
                return refuse("The start date of the simulation must be within the date range in the weather file.");
            if (!span_covered(rc.date_0, rc.date_1, first, last))
                return refuse("The end date of the simulation must be within the date range in the weather file.");
        }
    }
    // Only a run through time starts from the restart file; a steady run's
    // restart switch is out of the sheet's reach and must not block it.
    if (rc.restart && transient_simulation(rc) && (!spans.restart.ok ||
                       !day_in_span(rc.rstdate, spans.restart.first_day, spans.restart.last_day)))
        return refuse("The restart date must be in the range shown.");
    if (rc.time_0 >= kSecondsInDay) {
        rc.time_0 = 0;
        rc.date_0 = next_day(rc.date_0);
    }
    if (rc.time_1 <= 0) {
        rc.time_1 = kSecondsInDay;
        rc.date_1 = previous_day(rc.date_1);
    }
    return true;
}

bool check_weather(RunControl& rc, const RunFileSpans& spans)
{
    const bool weather_named = names_a_file(rc.weather_file);
    const bool contaminant_named = names_a_file(rc.contaminant_file);
    if (rc.sim_af == airflow_method::Transient && weather_named &&
        !offer_first_day(rc, spans.weather,
                         "The selected weather file does not include all of the simulation days.\n"
                         "Would you like the simulation days to be set to the first day in the weather file?\n"
                         "Select 'No' if you intend to change the weather file instead."))
        return false;
    if (rc.sim_mf == contaminant_method::Transient && contaminant_named &&
        !offer_first_day(rc, spans.contaminant,
                         "The selected contaminant file does not include all of the simulation days.\n"
                         "Would you like the simulation days to be set to the first day in the contaminant "
                         "file?\nSelect 'No' if you intend to change the contaminant file instead."))
        return false;
    if (rc.sim_af != airflow_method::Steady && rc.sim_mf == contaminant_method::Cyclic &&
        !day_in_span(rc.date_st, spans.weather.first_day, spans.weather.last_day))
        return refuse("The cyclic simulation date is not included in the selected weather file.");
    if (rc.restart && transient_simulation(rc) &&
        (!spans.restart.ok || !day_in_span(rc.rstdate, spans.restart.first_day, spans.restart.last_day)))
        return refuse("The restart date is not included in restart file.");
    // The multiple divides by the calculation step: both steps are checked
    // for the run here.
    if (!check_run_time_steps(rc)) return false;
    if (weather_named && rc.sim_af == airflow_method::Transient) {
        const std::string weather = input_file_location(rc.weather_file, spans.project_path);
        if (!file_exists(weather)) return refuse("The weather file path given is not valid.");
        if (!check_data_file_header(weather, DataFileKind::Weather).ok)
            return refuse("The weather file header is not valid.");
    }
    if (contaminant_named &&
        (rc.sim_mf == contaminant_method::Transient || rc.sim_mf == contaminant_method::Cyclic)) {
        const std::string contaminants = input_file_location(rc.contaminant_file, spans.project_path);
        if (!file_exists(contaminants)) return refuse("The contaminant file path given is not valid.");
        if (!check_data_file_header(contaminants, DataFileKind::Contaminant).ok)
            return refuse("The contaminant file header is not valid.");
    }
    return true;
}

}  // namespace avelor
