// The command-line tool: the editor's work without a display.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/console_port.h"

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

// Runs one parsed command line; results go to out, messages to err.
int run_command(const CliOptions& options, std::ostream& out, std::ostream& err);

// The whole program; returns the exit code.
int run_cli(int argc, char** argv);

std::string usage_text();

}  // namespace avelor::cli
