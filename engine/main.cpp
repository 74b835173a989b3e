// AVELORX3: the simulation engine.
//
//   AVELORX3 PROJECT.prj -d|-w
//   AVELORX3 --version
//
// Reads the project with the editor's own reader, simulates it and writes
// PROJECT.sim and PROJECT.rst beside it. Exit codes: 0 success, 1 stopped
// by the user (Stop in the window of "-d", an interrupt or termination
// signal with "-w"), 2 anything that went wrong, with a message on
// standard error.
//
// Every run also writes its log, PROJECT.xlog, beside the project: what
// the reader reported, every warning of the run ("WARNING: " lines: steps
// whose airflow did not converge; with "-w" they go to standard error as
// well), the error that ended it, and its last line, "AVELORX3 finished
// with N warnings." on success.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "app/console_port.h"
#include "app/diagnostics.h"
#include "app/run_log.h"
#include "prjfile/project_file.h"
#include "simulation_run.h"
#if AVELOR_ENGINE_WINDOW
#include "progress_window.h"
#endif

namespace {

using namespace avelor;
using namespace avelor::engine;

constexpr int kExitStopped = 1;
constexpr int kExitFailed = 2;

std::atomic<bool> g_stop{false};

// The file version the editor's About box finds in this executable (Linux
// executables carry no version resource).
[[gnu::used]] const char kFileVersion[] = "AVELOR-FILE-VERSION " AVELOR_VERSION_TEXT ".0.0";

extern "C" void on_stop_signal(int) { g_stop.store(true); }

// "3.2" -> "3.2.0.0": four parts, missing ones zero.
std::string version_text()
{
    std::string text = AVELOR_VERSION_TEXT;
    int parts = 1;
    for (char c : text)
        parts += c == '.' ? 1 : 0;
    for (; parts < 4; ++parts)
        text += ".0";
    return "AVELORX3 " + text;
}

void fail_message(const std::string& text)
{
    show_message(ERROR, {"AVELORX3: ", text});
    run_log().printf("ERROR: %s\n", text.c_str());
    run_log().flush();
}

// The warnings of a run: counted, logged, and with "-w" shown on
// standard error.
class WarningSink {
public:
    explicit WarningSink(bool console) : console_(console) {}
    void operator()(const std::string& text)
    {
        ++count_;
        run_log().printf("WARNING: %s\n", text.c_str());
        run_log().flush();
        if (console_) show_message(WARNING, {text});
    }
    int count() const { return count_; }

private:
    bool console_;
    int count_ = 0;
};

// Reads the project; false (with a message) when it cannot be read.
bool read(const std::string& path, Project& project)
{
    try {
        if (read_project(path, project, ReadOptions{}) != 0) {
            fail_message("cannot read the project " + path);
            return false;
        }
    } catch (const FatalStop&) {
        fail_message("cannot read the project " + path);
        return false;
    }
    return true;
}

int simulate(const Project& project, const std::string& path, const std::function<void(const RunProgress&)>& sink,
             const std::atomic<bool>& stop, bool console)
{
    try {
        NetworkFlowModel flows(project);
        WarningSink warnings(console);
        RunOptions options;
        options.progress = sink;
        options.stop = &stop;
        options.warning = [&warnings](const std::string& text) { warnings(text); };
        const RunOutcome outcome =
            run_simulation(project, flows, beside_project(path, ".sim"), beside_project(path, ".rst"), options);
        if (outcome == RunOutcome::Stopped) {
            run_log().write("AVELORX3 stopped by the user.\n");
            return kExitStopped;
        }
        run_log().printf("AVELORX3 finished with %d warning%s.\n", warnings.count(), warnings.count() == 1 ? "" : "s");
        run_log().flush();
        return 0;
    } catch (const EngineError& e) {
        fail_message(e.what());
    } catch (const FatalStop& e) {
        fail_message(e.what());
    } catch (const std::exception& e) {
        fail_message(std::string("the simulation failed: ") + e.what());
    }
    return kExitFailed;
}

// "-w": one line per status step on standard output: the simulated date
// and time and the airflow iterations of that step ("Jan15 12:00:00  4").
std::function<void(const RunProgress&)> console_progress(const RunControl& rc)
{
    const int every = rc.t_scrn > 0 ? rc.t_scrn : 3600;
    return [every](const RunProgress& p) {
        if (p.time % every != 0 && p.fraction < 1.0)
            return;
        std::cout << run_instant_text(p.day, p.time) << "  " << p.iterations << '\n';
        std::cout.flush();
    };
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << version_text() << '\n';
        return 0;
    }
    if (args.size() != 2 || (args[1] != "-d" && args[1] != "-w")) {
        std::cerr << "usage: AVELORX3 PROJECT.prj -d|-w\n       AVELORX3 --version\n";
        return kExitFailed;
    }
    ConsolePort port(std::cerr);
    set_user_port(&port);
    // A fatal report ends the engine as a failure, never as "stopped by
    // the user": it unwinds to here instead of exiting with code 1.
    set_fatal_handler(throw_fatal_stop);

    const std::string& path = args[0];
    // The log of this run, beside the project; a run goes on without it
    // when the folder cannot take it.
    if (run_log().open(beside_project(path, ".xlog")))
        run_log().printf("%s: %s\n", version_text().c_str(), path.c_str());
    Project project;
    if (!read(path, project))
        return kExitFailed;

    // A console that goes away must not kill the run half-way; an
    // interrupt or termination signal stops it as the Stop button does.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
#if AVELOR_ENGINE_WINDOW
    // Without any display the window cannot open: report on the console.
    const bool display = std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (args[1] == "-d" && display) {
        const std::string name = std::filesystem::path(path).filename().string();
        return run_in_progress_window(
            argc, argv, name,
            [&](const std::function<void(const RunProgress&)>& sink, const std::atomic<bool>& stop) {
                return simulate(project, path, sink, stop, false);
            },
            &g_stop);
    }
#endif
    return simulate(project, path, console_progress(project.rc), g_stop, true);
}
