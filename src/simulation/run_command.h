// Run Simulation and Run Building Check: the checks before a run, the save,
// the size question, the engine's start and the watch over it, and what
// follows its end. The window around the command is reached only through
// RunHooks, so the editor, the command-line tool and tests share every rule
// and message here.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_control_rules.h"
#include "simulation/engine_process.h"

namespace avelor {

struct EditorSession;
class Project;
struct RunControl;

// The engine's file name beside the program's own executable.
inline constexpr std::string_view kEngineName = "AVELORX3";
#ifdef _WIN32
inline constexpr std::string_view kExecutableSuffix = ".exe";
#else
inline constexpr std::string_view kExecutableSuffix = "";
#endif

// The engine's path in a program folder (with or without its closing
// separator).
std::string engine_path_in(std::string_view program_folder);

// The engine's command line: the engine, the project, then "-d" for the
// engine's own window (display mode 1) or "-w" for console output.
std::vector<std::string> engine_arguments(const std::string& engine_path, const std::string& project_path,
                                          bool dialog);

// The log the engine writes beside the project on every run: PROJECT.xlog.
std::string engine_log_path(const std::string& project_path);
// The warnings the engine wrote to such a log (its "WARNING: " lines); 0
// when there is no log.
int engine_log_warnings(const std::string& log_path);

// The output time steps a results file holds over all its days; 0 when it
// is missing or its header is damaged.
std::int64_t results_step_count(const std::string& sim_path);
// "Simulation finished: N time steps, W warnings" (singular for one).
std::string run_finished_text(std::int64_t steps, int warnings);

// The paths the results file records: flow paths, duct segments, terminal
// junctions, and the junctions at either end of a duct segment (each
// once), which may leak.
std::int64_t results_path_count(const Project& project);

// The size of the results file in megabytes for the run control, n
// contaminants, N nodes (zones and junctions) and P paths. The output step
// must be positive.
double results_size_megabytes(const RunControl& rc, std::int64_t contaminants, std::int64_t nodes,
                              std::int64_t paths);
// The same for a project.
double results_size_megabytes(const Project& project);

// At and above this estimate the user is asked before the run.
inline constexpr double kLargeResultsMegabytes = 4096.0;

// What the window around the command does at its turns. Every hook may be
// left empty.
struct RunHooks {
    std::function<void()> leave_results_mode;
    // The Results Mode command, issued after every engine run.
    std::function<void()> enter_results_mode;
    // The building check ran: redraw and list what it found.
    std::function<void()> building_checked;
    // The wait cursor around the building check.
    std::function<void(bool on)> busy;
    // The size question was answered No: refresh the status display.
    std::function<void()> refresh_status;
    // The command ended before the launch: close the results display window.
    std::function<void()> close_results_display;
    // Off when the engine starts, on again when it has ended.
    std::function<void(bool enabled)> set_interface_enabled;
    // A successful duct balance run: show its results.
    std::function<void()> show_duct_balance;
};

enum class RunKind { Simulation, BuildingCheck };

enum class RunOutcome {
    Refused,       // a check, the save or the user ended the command
    Checked,       // Run Building Check: checked and saved
    EngineMissing, // the engine could not be started
    Running,       // the engine runs; poll() watches it
};

class SimulationRun {
public:
    explicit SimulationRun(EditorSession& session, RunHooks hooks = {});

    // The engine to start; callers give the one beside their own
    // executable (engine_path_in).
    void set_engine_path(std::string path) { engine_path_ = std::move(path); }
    const std::string& engine_path() const { return engine_path_; }
    // Replaces the project's display mode for the engine's command line
    // (the command-line tool has no display: always console output).
    void force_console_output(bool on) { force_console_ = on; }

    // The whole command. Refused while an engine runs.
    RunOutcome run(RunKind kind);

    // One look at the engine: nothing while it runs; when it has ended, the
    // message of its end, the interface enabled again and the after-run
    // step. True when it ended during this call.
    bool poll();
    bool running() const { return engine_.running(); }

    // The end of the last run, once there was one.
    const std::optional<EngineExit>& last_exit() const { return last_exit_; }
    // After a run that succeeded: "Simulation finished: N time steps, W
    // warnings", N the output steps of its results file and W the warnings
    // of its log; empty otherwise.
    const std::string& finished_text() const { return finished_text_; }
    // Seconds from the start of the command to the end of the run.
    double last_elapsed_seconds() const { return elapsed_; }
    // The command line of the last launch.
    const std::vector<std::string>& last_arguments() const { return arguments_; }

private:
    RunOutcome refuse();
    bool pre_save_checks();
    bool launch();
    void after_run(const EngineExit& exit);

    EditorSession& session_;
    RunHooks hooks_;
    std::string engine_path_;
    bool force_console_ = false;
    EngineProcess engine_;
    std::chrono::steady_clock::time_point started_{};
    std::optional<EngineExit> last_exit_;
    double elapsed_ = 0;
    std::vector<std::string> arguments_;
    std::string finished_text_;
};

// The About box's facts about a program file.
// "NAME a.b.c.d", or "NAME --.--.--.--" without a version.
std::string about_version_line(std::string_view name, const std::optional<std::vector<int>>& version);
// The version the program carries: this build's own.
std::vector<int> program_version();
// The version marker a program file carries, found by scanning it for
// file_version_marker(); nullopt when it has none or cannot be read.
std::optional<std::vector<int>> file_version(const std::string& path);
// "AVELOR-FILE-VERSION a.b.c.d" for this build: a program that embeds it
// shows its version in the About box.
std::string file_version_marker();
// "%s %02d, %4d  %02d:%02d" with the full English month name in local
// time, or "xx/xx/xx xx:xx" when the file is not found.
std::string file_time_text(const std::string& path);
std::string file_time_text(std::time_t when);

}  // namespace avelor
