#include "cli_main.h"

#include <iostream>

#include "app/diagnostics.h"
#include "app/startup.h"
#include "app/version.h"

namespace avelor::cli {

std::string usage_text()
{
    return "usage: avelor [--yes|--no] COMMAND [ARGUMENTS]\n"
           "       avelor --version\n"
           "\n"
           "options:\n"
           "  --yes        answer Yes to every question the work asks\n"
           "  --no         answer No to every question the work asks\n"
           "               (without either, questions are refused)\n"
           "  --version    print the version and stop\n"
           "  --help       print this text and stop\n";
}

CliOptions parse_cli(const std::vector<std::string>& args)
{
    CliOptions options;
    bool yes = false;
    bool no = false;
    for (const std::string& arg : args) {
        if (options.command.empty() && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--yes")
                yes = true;
            else if (arg == "--no")
                no = true;
            else if (arg == "--version")
                options.show_version = true;
            else if (arg == "--help" || arg == "-h")
                options.show_help = true;
            else
                options.error = "unknown option " + arg;
            continue;
        }
        if (options.command.empty())
            options.command = arg;
        else
            options.arguments.push_back(arg);
    }
    if (yes && no) options.error = "--yes and --no cannot be given together";
    options.questions = yes ? QuestionPolicy::AnswerYes
                            : (no ? QuestionPolicy::AnswerNo : QuestionPolicy::Refuse);
    if (options.error.empty() && !options.show_version && !options.show_help &&
        options.command.empty())
        options.error = "no command given";
    return options;
}

int run_command(const CliOptions& options, std::ostream& out, std::ostream& err)
{
    if (!options.error.empty()) {
        err << "avelor: " << options.error << "\n" << usage_text();
        return 2;
    }
    if (options.show_help) {
        out << usage_text();
        return 0;
    }
    if (options.show_version) {
        out << "AvelorW " << current_version_text() << "\n";
        return 0;
    }
    err << "avelor: unknown command " << options.command << "\n" << usage_text();
    return 2;
}

int run_cli(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options = parse_cli(args);
    if (!options.error.empty() || options.show_help || options.show_version)
        return run_command(options, std::cout, std::cerr);

    ConsolePort port(std::cerr, options.questions);
    set_user_port(&port);
    set_fatal_handler(exit_program_fatal);
    StartupEnvironment env = process_environment(argc > 0 ? argv[0] : "avelor");
    env.change_directory = false;
    env.log_base_name = "avelor";
    start_program(env);
    int code = run_command(options, std::cout, std::cerr);
    finish_run_log();
    set_user_port(nullptr);
    return code;
}

}  // namespace avelor::cli
