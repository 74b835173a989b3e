// avelor run: the editor's Run Simulation command without a display. The
// run control is checked as the simulation parameters sheet checks it before
// its Run, the project is checked and saved exactly as the editor does it,
// then the engine beside this program runs on it with console output and
// is waited for.
#include <chrono>
#include <thread>

#include "app/console_port.h"
#include "app/diagnostics.h"
#include "check/building_check.h"
#include "cli_main.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "model/run_control_rules.h"
#include "simulation/run_command.h"

namespace avelor::cli {

namespace {

// Installs a port for one scope and puts the one before it back.
class PortScope {
public:
    explicit PortScope(UserPort& port) : before_(user_port()) { set_user_port(&port); }
    ~PortScope() { set_user_port(&before_); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

private:
    UserPort& before_;
};

std::string end_text(const EngineExit& exit)
{
    switch (exit.end) {
    case EngineEnd::Success: return "success";
    case EngineEnd::StoppedByUser: return "stopped by the user";
    case EngineEnd::Abnormal: break;
    }
    if (exit.signal != 0) return "ended by signal " + std::to_string(exit.signal);
    if (exit.code < 0) return "abnormal end (its exit could not be read)";
    return "abnormal end";
}

}  // namespace

int run_simulation_command(const CliOptions& options, const ReadOptions& read_options,
                           const ProgramFolders& folders, std::ostream& out, std::ostream& err)
{
    std::string project;
    QuestionPolicy questions = options.questions;
    for (const std::string& arg : options.arguments) {
        if (arg == "--yes") {
            questions = QuestionPolicy::AnswerYes;
        } else if (project.empty() && !arg.empty() && arg[0] != '-') {
            project = arg;
        } else {
            err << "avelor: unexpected argument " << arg << "\n" << usage_text();
            return 2;
        }
    }
    if (project.empty()) {
        err << "avelor: run needs one project file\n" << usage_text();
        return 2;
    }
    ConsolePort port(err, questions);
    PortScope scope(port);

    EditorSession session;
    session.read_options = read_options;
    if (!open_in_session(session, project)) return 2;
    if (!session.grid.allocated()) {
        err << "avelor: the drawing of " << project << " cannot be held in memory\n";
        return 2;
    }

    // What the simulation parameters sheet checks before its Run: the run
    // control and the weather against the files the project names.
    RunControl& rc = session.project().rc;
    const RunFileSpans spans = read_run_file_spans(rc, session.project(), session.document.path);
    if (!check_run_control(rc, spans) || !check_weather(rc, spans)) {
        err << "avelor: " << project << " was not simulated\n";
        return 2;
    }

    RunHooks hooks;
    hooks.building_checked = [&session, &err] { print_problems(session.problems, err); };
    SimulationRun run(session, std::move(hooks));
    run.set_engine_path(engine_path_in(folders.program_folder));
    // No display here: the engine always writes its progress to the console.
    run.force_console_output(true);

    const RunOutcome outcome = run.run(RunKind::Simulation);
    if (outcome != RunOutcome::Running) {
        err << "avelor: " << project << " was not simulated\n";
        return 2;
    }
    out << "Running " << run.engine_path() << " on " << session.document.path << "\n" << std::flush;
    while (!run.poll()) std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const EngineExit& exit = *run.last_exit();
    out << "AVELORX3 finished: " << end_text(exit);
    if (exit.code >= 0) out << ", exit code " << exit.code;
    out << "\n";
    if (exit.code >= 0) return exit.code;
    return exit.signal != 0 ? 128 + exit.signal : 255;
}

}  // namespace avelor::cli
