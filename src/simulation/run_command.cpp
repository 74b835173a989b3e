#include "simulation/run_command.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/text_convert.h"
#include "app/run_log.h"
#include "check/building_check.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "model/run_control.h"
#include "model/run_control_rules.h"
#include "simulation/results_layout.h"
#include "simulation/results_reader.h"

namespace avelor {

namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr int kAirflowTransient = 1;
constexpr int kAirflowDuctBalance = 2;

}  // namespace

std::string engine_path_in(std::string_view program_folder)
{
    std::string path(program_folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    path += kEngineName;
    path += kExecutableSuffix;
    return path;
}

std::vector<std::string> engine_arguments(const std::string& engine_path, const std::string& project_path,
                                          bool dialog)
{
    return {engine_path, project_path, dialog ? "-d" : "-w"};
}

std::string engine_log_path(const std::string& project_path)
{
    std::filesystem::path path(project_path);
    path.replace_extension(".xlog");
    return path.string();
}

int engine_log_warnings(const std::string& log_path)
{
    std::ifstream in(log_path, std::ios::binary);
    int count = 0;
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("WARNING: ", 0) == 0) ++count;
    return count;
}

std::int64_t results_path_count(const Project& project)
{
    std::int64_t count = std::int64_t{project.paths.count()} + project.ducts.count();
    for (const Junction& j : project.junctions)
        if (j.t == 1) ++count;
    // A segment's leakage coefficient is never negative, so every junction
    // at a segment end may leak.
    std::set<const Junction*> ends;
    for (const DuctSegment& d : project.ducts) {
        if (d.junction_n) ends.insert(d.junction_n);
        if (d.junction_m) ends.insert(d.junction_m);
    }
    return count + static_cast<std::int64_t>(ends.size());
}

double results_size_megabytes(const RunControl& rc, std::int64_t n, std::int64_t N, std::int64_t P)
{
    const std::int64_t t = rc.t_list;
    if (t <= 0) return 0;
    const std::int64_t step_size = (24 + 4 * n) + (rc.pfsave ? 16 * P + 16 * N : 0) +
                                   (rc.zcsave ? (4 + 4 * n) * N : 0);
    std::int64_t days = std::int64_t{rc.date_1} - rc.date_0;
    if (days < 0) days += 365;
    const std::int64_t t0 = rc.time_0;
    const std::int64_t t1 = rc.time_1;
    std::int64_t steps = 0;
    if (days > 0 && t0 > 0) steps += (kDaySeconds - t0) / t + 2;
    if (days > 0 && t1 < kDaySeconds) steps += t1 / t + 2;
    if (days == 0 && (t0 > 0 || t1 < kDaySeconds)) steps += (t1 - t0) / t + 2;
    std::int64_t whole = days;
    if (t0 == 0 && t1 == kDaySeconds)
        whole = days + 1;
    else if (t0 > 0 && t1 < kDaySeconds && days > 0)
        whole = days - 1;
    steps += whole * (kDaySeconds / t + 2);
    const double bytes = 68.0 + 8.0 * static_cast<double>(P + 2 * (N + 1)) +
                         static_cast<double>(steps) * static_cast<double>(step_size);
    return bytes / 1048576.0;
}

double results_size_megabytes(const Project& project)
{
    const std::int64_t nodes = std::int64_t{project.zones.count()} + project.junctions.count();
    return results_size_megabytes(project.rc, project.nctm(), nodes, results_path_count(project));
}

SimulationRun::SimulationRun(EditorSession& session, RunHooks hooks) : session_(session), hooks_(std::move(hooks)) {}

RunOutcome SimulationRun::refuse()
{
    if (hooks_.close_results_display) hooks_.close_results_display();
    return RunOutcome::Refused;
}

bool SimulationRun::pre_save_checks()
{
    const RunControl& rc = session_.project().rc;
    // Weather and contaminant files are read by the engine; here they must
    // exist and open with a valid header.
    const std::string& project_path = session_.document.path;
    if (names_a_file(rc.weather_file) && rc.sim_af == kAirflowTransient) {
        const std::string weather = input_file_location(rc.weather_file, project_path);
        if (!file_exists(weather)) {
            show_message(ERROR, {"The weather file path given is not valid."});
            return false;
        }
        if (!check_data_file_header(weather, DataFileKind::Weather).ok) {
            show_message(ERROR, {"The weather file header is not valid."});
            return false;
        }
    }
    if (names_a_file(rc.contaminant_file) && (rc.sim_mf == 2 || rc.sim_mf == 3)) {
        const std::string contaminants = input_file_location(rc.contaminant_file, project_path);
        if (!file_exists(contaminants)) {
            show_message(ERROR, {"The contaminant file path given is not valid."});
            return false;
        }
        if (!check_data_file_header(contaminants, DataFileKind::Contaminant).ok) {
            show_message(ERROR, {"The contaminant file header is not valid."});
            return false;
        }
    }
    // Values files: their days are not read here yet; a file that is not
    // there covers no day of the run.
    if (transient_simulation(rc)) {
        if (names_a_file(rc.continuous_values_file) && !file_exists(rc.continuous_values_file)) {
            show_message(ERROR, {"CVF does not include entire simulation period"});
            return false;
        }
        if (names_a_file(rc.discrete_values_file) && !file_exists(rc.discrete_values_file)) {
            show_message(ERROR, {"DVF does not include entire simulation period"});
            return false;
        }
    }
    return check_run_time_steps(rc);
}

RunOutcome SimulationRun::run(RunKind kind)
{
    if (running()) {
        beep();
        return RunOutcome::Refused;
    }
    started_ = std::chrono::steady_clock::now();
    session_.document.results_available = false;
    if (hooks_.leave_results_mode) hooks_.leave_results_mode();

    const RunControl& rc = session_.project().rc;
    if (names_a_file(rc.wpc_file) && !file_exists(rc.wpc_file)) {
        show_message(WARNING, {"WPC file not found."});
        return refuse();
    }

    if (hooks_.busy) hooks_.busy(true);
    const int check = kind == RunKind::BuildingCheck ? run_building_check(session_)
                                                     : check_building(session_, kCheckBuilding);
    if (hooks_.busy) hooks_.busy(false);
    if (hooks_.building_checked) hooks_.building_checked();
    if (check != 0 || !session_.problems.empty()) return refuse();

    if (!pre_save_checks()) return refuse();

    // The engine reads the file: a project that was not saved is never run.
    if (!save_session(session_, false)) return refuse();
    if (kind == RunKind::BuildingCheck) return RunOutcome::Checked;

    const Project& project = session_.project();
    const double megabytes = results_size_megabytes(project);
    if (megabytes >= kLargeResultsMegabytes) {
        const std::string question = format_text(
            "The size of the simfile will be: %.4g Megabytes. Windows 98 is unable to handle sim files which "
            "are that large. Do you want to run the simulation?",
            megabytes);
        if (ask_question(question) != 1) {
            if (hooks_.refresh_status) hooks_.refresh_status();
            return refuse();
        }
    }

    if (session_.document.path.empty()) return refuse();

    if (!launch()) return RunOutcome::EngineMissing;
    return RunOutcome::Running;
}

bool SimulationRun::launch()
{
    const bool dialog = !force_console_ && session_.project().rc.doDlg != 0;
    arguments_ = engine_arguments(engine_path_, session_.document.path, dialog);
    if (!engine_.start(arguments_, dialog)) {
        show_message(ERROR, {kEngineName, ".exe was not found in the AvelorW directory."});
        return false;
    }
    if (hooks_.set_interface_enabled) hooks_.set_interface_enabled(false);
    return true;
}

bool SimulationRun::poll()
{
    const std::optional<EngineExit> exit = engine_.poll();
    if (!exit) return false;
    last_exit_ = exit;
    finished_text_.clear();
    if (exit->end == EngineEnd::Abnormal)
        show_message(ERROR, {"AVELORX.EXE: simulation terminated abnormally."});
    else if (exit->end == EngineEnd::StoppedByUser)
        show_message(NOTE, {"AVELORX.EXE: simulation terminated by user."});
    if (exit->end == EngineEnd::Success && arguments_.size() > 1) {
        // A run that finished may still have steps whose airflow did not
        // converge: the engine's log holds them.
        const std::string log = engine_log_path(arguments_[1]);
        const int warnings = engine_log_warnings(log);
        if (warnings > 0)
            show_message(WARNING, {kEngineName, " finished with ", std::to_string(warnings),
                                   warnings == 1 ? " warning" : " warnings", " - see ",
                                   std::filesystem::path(log).filename().string()});
        finished_text_ = run_finished_text(results_step_count(results_path_for(arguments_[1])), warnings);
    }
    if (hooks_.set_interface_enabled) hooks_.set_interface_enabled(true);
    after_run(*exit);
    return true;
}

void SimulationRun::after_run(const EngineExit& exit)
{
    const bool success = exit.end == EngineEnd::Success;
    if (success) session_.document.results_available = true;
    elapsed_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    run_log().printf("\nTime to check/save/simulate: %6.2f s\n\n", elapsed_);
    if (success && session_.project().rc.sim_af == kAirflowDuctBalance && hooks_.show_duct_balance)
        hooks_.show_duct_balance();
    if (hooks_.leave_results_mode) hooks_.leave_results_mode();
    if (hooks_.enter_results_mode) hooks_.enter_results_mode();
}

std::int64_t results_step_count(const std::string& sim_path)
{
    const std::optional<ResultsHeader> header = read_results_header(sim_path);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(sim_path, ec);
    if (!header || ec || !results_header_fault(*header, size).empty()) return 0;
    const ResultsLayout layout(*header);
    std::int64_t steps = 0;
    for (int n = 0; n < layout.day_count(); ++n) steps += layout.last_step(layout.nth_day(n)) + 1;
    return steps;
}

std::string run_finished_text(std::int64_t steps, int warnings)
{
    return "Simulation finished: " + std::to_string(steps) + (steps == 1 ? " time step, " : " time steps, ") +
           std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

// About box facts.

std::string about_version_line(std::string_view name, const std::optional<std::vector<int>>& version)
{
    std::string line(name);
    if (!version || version->size() != 4) return line + " --.--.--.--";
    return line + format_text(" %d.%d.%d.%d", (*version)[0], (*version)[1], (*version)[2], (*version)[3]);
}

namespace {

std::vector<int> parse_version(std::string_view text)
{
    std::vector<int> parts;
    int value = 0;
    bool any = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (value > 100000) return {};
            value = value * 10 + (c - '0');
            any = true;
        } else if (c == '.') {
            if (!any) return {};
            parts.push_back(value);
            value = 0;
            any = false;
        } else {
            break;
        }
    }
    if (any) parts.push_back(value);
    while (!parts.empty() && parts.size() < 4) parts.push_back(0);
    if (parts.size() > 4) parts.resize(4);
    return parts;
}

constexpr std::string_view kMarkerWord = "AVELOR-FILE-VERSION ";

}  // namespace

std::vector<int> program_version()
{
#ifdef AVELOR_VERSION_TEXT
    return parse_version(AVELOR_VERSION_TEXT);
#else
    return {0, 0, 0, 0};
#endif
}

std::string file_version_marker()
{
    const std::vector<int> v = program_version();
    return std::string(kMarkerWord) + format_text("%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
}

std::optional<std::vector<int>> file_version(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Blocks are searched with the tail of the one before, so a marker
    // split between two blocks is still found.
    constexpr std::size_t kBlock = 1 << 16;
    constexpr std::size_t kTail = 64;
    std::string block(kBlock, '\0');
    std::string window;
    for (;;) {
        in.read(block.data(), static_cast<std::streamsize>(kBlock));
        const std::streamsize got = in.gcount();
        if (got <= 0) break;
        window.append(block.data(), static_cast<std::size_t>(got));
        const std::size_t at = window.find(kMarkerWord);
        if (at != std::string::npos) {
            if (window.size() - at < kTail && in) {
                window.erase(0, at);  // the version may continue in the next block
                continue;
            }
            std::vector<int> v = parse_version(std::string_view(window).substr(at + kMarkerWord.size()));
            if (v.size() == 4) return v;
        }
        if (window.size() > kTail) window.erase(0, window.size() - kTail);
    }
    return std::nullopt;
}

std::string file_time_text(std::time_t when)
{
    static constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",
                                                            "May",     "June",     "July",      "August",
                                                            "September", "October", "November", "December"};
    std::tm local{};
    if (!localtime_r(&when, &local) || local.tm_mon < 0 || local.tm_mon > 11) return "xx/xx/xx xx:xx";
    return format_text("%s %02d, %4d  %02d:%02d", kMonths[static_cast<std::size_t>(local.tm_mon)], local.tm_mday,
                       local.tm_year + 1900, local.tm_hour, local.tm_min);
}

std::string file_time_text(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return "xx/xx/xx xx:xx";
    return file_time_text(info.st_mtime);
}

}  // namespace avelor
