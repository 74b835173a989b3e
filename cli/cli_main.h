// The command-line tool: the editor's work without a display.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/console_port.h"
#include "app/startup.h"
#include "editing/editor_session.h"
#include "simulation/results_mode.h"
#include "check/problem_list.h"
#include "prjfile/project_file.h"

namespace avelor::cli {

struct CliOptions {
    QuestionPolicy questions = QuestionPolicy::Refuse;
    std::string command;
    std::vector<std::string> arguments;
    bool show_version = false;
    bool show_help = false;
    std::string error;  // a usage error, empty when the line was understood
};

CliOptions parse_cli(const std::vector<std::string>& args);

// Handles usage errors, --help and --version; results go to out, messages
// to err.
int run_command(const CliOptions& options, std::ostream& out, std::ostream& err);

// Runs a project command (read, save, render) after the shared start-up.
int run_project_command(const CliOptions& options, const ProgramFolders& folders, std::ostream& out,
                        std::ostream& err);

// The whole program; returns the exit code.
int run_cli(int argc, char** argv);

std::string usage_text();
// The part of the usage text about one command; empty for an unknown one.
std::string command_help(std::string_view command);

// The problems of a building check, one line each:
// "level NAME row R col C: TEXT".
void print_problems(const ProblemList& problems, std::ostream& out);

// avelor run (cli/run_command.cpp): the Run Simulation command without a
// display. Exit code: the engine's, or 2 when a check refused the run.
int run_simulation_command(const CliOptions& options, const ReadOptions& read_options,
                           const ProgramFolders& folders, std::ostream& out, std::ostream& err);
// avelor results (cli/results_command.cpp): prints one output time step.
int results_command(const CliOptions& options, const ReadOptions& read_options, std::ostream& out,
                    std::ostream& err);
// Opens a project and its results as results mode opens them (every
// refusal reported on the way); false when they cannot be shown.
bool open_project_results(EditorSession& session, ResultsMode& mode, const ReadOptions& read_options,
                          const std::string& project);
// avelor export (cli/export_command.cpp): writes one of the results outputs.
int export_command(const CliOptions& options, const ReadOptions& read_options, std::ostream& out, std::ostream& err);

}  // namespace avelor::cli
