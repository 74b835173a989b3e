#include "cli_main.h"

#include <filesystem>
#include <iostream>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/startup.h"
#include "app/version.h"
#include "check/building_check.h"
#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "prjfile/project_file.h"
#include "sketchpad/glyphs.h"
#include "sketchpad/image_export.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/renderer.h"
#include "sketchpad/zone_detection.h"

namespace avelor::cli {

void print_problems(const ProblemList& problems, std::ostream& out)
{
    for (std::size_t i = 0; i < problems.size(); ++i) {
        const Problem& p = problems.at(i);
        out << "level " << (p.level ? p.level->name : std::string("-")) << " row " << p.row << " col " << p.col
            << ": " << p.text << "\n";
    }
}

std::string usage_text()
{
    return "usage: avelor [--yes|--no] COMMAND [ARGUMENTS]\n"
           "       avelor --version\n"
           "\n"
           "commands:\n"
           "  read PROJECT.prj [--zones LEVEL]\n"
           "                                 open the project and report what it holds;\n"
           "                                 with --zones, detect the zones of LEVEL (its\n"
           "                                 number or name) and print, in row order, one\n"
           "                                 line per zone icon, then one per flow path icon:\n"
           "                                   zone ROW COL ZONE CELLS\n"
           "                                   path ROW COL PATH DIR FROM TO\n"
           "                                 ZONE, FROM and TO are zone numbers, \"ambient\",\n"
           "                                 \"undefined\" or \"none\"; CELLS counts the cells\n"
           "                                 of the icon's region; DIR is the path's direction\n"
           "                                 code 1..6 (0 for an undefined path); the exit\n"
           "                                 code is 1 when the detection reports an error\n"
           "  save PROJECT.prj [-o OUT.prj]  open the project and write it again, in place\n"
           "                                 or to OUT.prj\n"
           "  convert OLD.prj -o NEW.prj     open a project of an older version (3.1) and\n"
           "                                 write it in this version to NEW.prj; OLD.prj\n"
           "                                 is left as it was\n"
           "  check PROJECT.prj              run the full building check and print one line\n"
           "                                 per problem: level NAME row R col C: TEXT;\n"
           "                                 the exit code is 1 when any problem is found\n"
           "  render PROJECT.prj [--level LEVEL] [--cell N] [--below] -o FILE.png|FILE.bmp\n"
           "                                 draw the whole SketchPad of LEVEL (its number\n"
           "                                 or name; the lowest level without --level) at\n"
           "                                 N pixels a cell (1, 2, 3, 4, 5, 8 or 16; 8\n"
           "                                 without --cell), with --below showing the\n"
           "                                 level below, and write it as a PNG or, for\n"
           "                                 any other name, as a 16-bit bitmap\n"
           "  run PROJECT.prj [--yes]        check and save the project, run the engine\n"
           "                                 AVELORX3 on it and wait for it; --yes answers\n"
           "                                 the large-results question; the engine always\n"
           "                                 gets -w and prints its progress here; the exit\n"
           "                                 code is the engine's (0 done, 1 stopped, 2\n"
           "                                 refused or failed), 128 + the signal that ended\n"
           "                                 it, 64 for arguments not understood, 65 when\n"
           "                                 the project's checks refused the run, 66 when\n"
           "                                 it cannot be opened, 69 without an engine\n"
           "  results PROJECT.prj [--day MmmDD] [--time HH:MM:SS] [--tsv]\n"
           "                                 print one output time step of the project's\n"
           "                                 results (the first without --day/--time): the\n"
           "                                 flow paths, then the zones\n"
           "  export PROJECT.prj OUTPUT -o FILE [--csv] [--day MmmDD] [--time HH:MM:SS]\n"
           "                                 [--from MmmDD] [--from-time HH:MM:SS] [--to MmmDD]\n"
           "                                 [--to-time HH:MM:SS] [--path N] [--zone N]\n"
           "                                 write one output of the project's results as\n"
           "                                 Export Data writes it; OUTPUT is path-report,\n"
           "                                 zone-flows, concentration-report (at --day and\n"
           "                                 --time), path-flow (--path), average-flows,\n"
           "                                 transient-report, concentrations or\n"
           "                                 zone-concentrations (--zone) over the period\n"
           "                                 from --from to --to (the whole results when\n"
           "                                 not given); --csv writes the tables as\n"
           "                                 comma-separated values with a header row\n"
           "\n"
           "options:\n"
           "  --yes        answer Yes to every question the work asks\n"
           "  --no         answer No to every question the work asks\n"
           "               (without either, questions are refused)\n"
           "  --version    print the version and stop\n"
           "  --help       print this text and stop\n";
}

std::string command_help(std::string_view command)
{
    // A command's lines in the whole text: its synopsis with the start of
    // its description, and the indented lines after it, up to the next
    // command or the options.
    const std::string text = usage_text();
    const std::string head = "\n  " + std::string(command) + " ";
    const std::size_t start = command.empty() ? std::string::npos : text.find(head);
    if (start == std::string::npos) return {};
    auto trimmed = [](std::string line) {
        line.erase(0, line.find_first_not_of(' '));
        return line;
    };
    std::size_t end = text.find('\n', start + 1);
    const std::string first = text.substr(start + 3, end - start - 3);
    const std::size_t gap = first.find("  ");
    std::string help = "usage: avelor [--yes|--no] " + first.substr(0, gap) + "\n";
    if (gap != std::string::npos) help += "  " + trimmed(first.substr(gap)) + "\n";
    while (end != std::string::npos && end + 1 < text.size()) {
        const std::size_t next_end = text.find('\n', end + 1);
        const std::string next = text.substr(end + 1, next_end == std::string::npos ? std::string::npos : next_end - end - 1);
        if (next.size() < 4 || next.compare(0, 4, "    ") != 0) break;
        help += "  " + trimmed(next) + "\n";
        end = next_end;
    }
    return help;
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
        else if (arg == "--help" || arg == "-h")
            options.show_help = true;  // the command's own part of the help
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

namespace {

// Options of a command after its project path.
struct CommandArguments {
    std::string project;
    std::string output;
    std::string zones_level;  // empty unless --zones was given
    std::string error;
};

CommandArguments command_arguments(const std::vector<std::string>& args, bool is_save)
{
    CommandArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!is_save && arg == "--zones") {
            if (i + 1 >= args.size()) {
                parsed.error = "--zones needs a level";
                return parsed;
            }
            parsed.zones_level = args[++i];
        } else if (is_save && arg == "-o") {
            if (i + 1 >= args.size()) {
                parsed.error = "-o needs a file name";
                return parsed;
            }
            parsed.output = args[++i];
        } else if (parsed.project.empty() && (arg.empty() || arg[0] != '-')) {
            parsed.project = arg;
        } else {
            parsed.error = "unexpected argument " + arg;
            return parsed;
        }
    }
    if (parsed.project.empty() && parsed.error.empty()) parsed.error = "no project file given";
    return parsed;
}

// The arguments of render.
struct RenderArguments {
    std::string project;
    std::string output;
    std::string level;  // empty: the lowest level
    int cell_size = 8;
    bool below = false;
    std::string error;
};

RenderArguments render_arguments(const std::vector<std::string>& args)
{
    RenderArguments parsed;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        const bool takes_value = arg == "--level" || arg == "--cell" || arg == "-o";
        if (takes_value && i + 1 >= args.size()) {
            parsed.error = arg + " needs a value";
        } else if (arg == "--level") {
            parsed.level = args[++i];
        } else if (arg == "--cell") {
            const std::string& value = args[++i];
            int size = 0;
            for (int s : kCellSizes)
                if (value == std::to_string(s)) size = s;
            if (size == 0)
                parsed.error = "--cell must be one of 1, 2, 3, 4, 5, 8, 16, not " + value;
            else
                parsed.cell_size = size;
        } else if (arg == "-o") {
            parsed.output = args[++i];
        } else if (arg == "--below") {
            parsed.below = true;
        } else if (parsed.project.empty() && (arg.empty() || arg[0] != '-')) {
            parsed.project = arg;
        } else {
            parsed.error = "unexpected argument " + arg;
        }
    }
    if (!parsed.error.empty()) return parsed;
    if (parsed.project.empty())
        parsed.error = "no project file given";
    else if (parsed.output.empty())
        parsed.error = "render needs -o FILE.png or -o FILE.bmp";
    return parsed;
}

// A level by its number or, failing that, its name.
Level* find_level(Project& p, const std::string& wanted)
{
    for (Level& level : p.levels)
        if (std::to_string(level.nr) == wanted) return &level;
    for (Level& level : p.levels)
        if (level.name == wanted) return &level;
    return nullptr;
}

std::string zone_id_text(std::int32_t id)
{
    if (id == ZONE_AMBIENT) return "ambient";
    if (id == ZONE_UNDEFINED) return "undefined";
    return id > 0 ? std::to_string(id) : "none";
}

std::string zone_ref_text(const ZoneRef& ref)
{
    if (ref.is_ambient()) return "ambient";
    return ref.zone() ? std::to_string(ref.zone()->nr) : "none";
}

// The zone detection of one level, as lines of text.
void print_zones(Project& p, Level& level, std::ostream& out)
{
    SketchGrid grid;
    if (!allocate_sketch_arrays(grid, p.rc.rows, p.rc.cols)) return;
    goto_level(p, grid, level);
    relink_icons(p, grid);
    out << "level " << level.nr << " " << level.name << "\n";
    const LevelCells& cells = grid.current();
    for (int r = 1; r <= grid.rows() - 2; ++r)
        for (int c = 1; c <= grid.cols() - 2; ++c)
            if (cells.Sketch(r, c) == ICN_ZONE || cells.Sketch(r, c) == ICN_PHANTOM ||
                cells.Sketch(r, c) == ICN_AMBIENT)
                out << "zone " << r << " " << c << " " << zone_id_text(cells.Paths(r, c)) << " "
                    << count_region_cells(grid, kCurrentLevel, r, c) << "\n";
    for (int r = 1; r <= grid.rows() - 2; ++r) {
        for (int c = 1; c <= grid.cols() - 2; ++c) {
            const std::uint8_t code = cells.Sketch(r, c);
            if (!has_flag(code, CC_PATH_ICON) || code == ICN_AHS) continue;
            const std::int32_t number = cells.Paths(r, c);
            const FlowPath* path = number > 0 ? p.paths.at(number) : nullptr;
            out << "path " << r << " " << c << " " << (path ? number : 0) << " "
                << (path ? int{path->dir} : 0) << " " << (path ? zone_ref_text(path->zone_n) : "none")
                << " " << (path ? zone_ref_text(path->zone_m) : "none") << "\n";
        }
    }
}

int read_command(const CommandArguments& args, const ReadOptions& read_options, std::ostream& out,
                 std::ostream& err)
{
    ProjectDocument document;
    if (!open_project(document, args.project, read_options)) return 1;
    Project& p = *document.project;
    out << "Opened " << args.project << ": " << p.levels.count() << " levels, " << p.zones.count()
        << " zones, " << p.paths.count() << " flow paths, " << p.junctions.count()
        << " junctions, " << p.species.count() << " species (" << p.nctm() << " contaminants), "
        << p.elements.count() << " flow elements\n";
    if (args.zones_level.empty()) return 0;
    Level* level = find_level(p, args.zones_level);
    if (!level) {
        err << "avelor: " << args.project << " has no level " << args.zones_level << "\n";
        return 1;
    }
    reset_error_count();
    print_zones(p, *level, out);
    return error_count() == 0 ? 0 : 1;
}

int save_command(const CommandArguments& args, const ReadOptions& read_options, std::ostream& out,
                 std::ostream& err)
{
    EditorSession session;
    session.read_options = read_options;
    if (!open_in_session(session, args.project)) return 1;
    if (!session.grid.allocated()) {
        err << "avelor: the drawing of " << args.project << " cannot be held in memory\n";
        return 1;
    }
    const std::string target = args.output.empty() ? args.project : args.output;
    if (check_building(session, kRenumberOnly) != 0) {
        err << "avelor: the project could not be renumbered; " << target << " was not written\n";
        return 1;
    }
    if (!write_session_file(session, target)) {
        err << "avelor: " << target << " was not written\n";
        return 1;
    }
    out << "Saved " << target << "\n";
    return 0;
}

int check_command(const CommandArguments& args, const ReadOptions& read_options, std::ostream& out)
{
    EditorSession session;
    session.read_options = read_options;
    if (!open_in_session(session, args.project)) return 1;
    const int result = check_building(session, kCheckBuilding);
    print_problems(session.problems, out);
    return result != 0 || !session.problems.empty() ? 1 : 0;
}

int render_command(const RenderArguments& args, const ReadOptions& read_options, std::ostream& out,
                   std::ostream& err)
{
    EditorSession session;
    session.read_options = read_options;
    if (!open_in_session(session, args.project)) return 1;
    Project& p = session.project();
    if (!session.grid.allocated()) {
        err << "avelor: the drawing of " << args.project << " cannot be held in memory\n";
        return 1;
    }
    if (!args.level.empty()) {
        Level* level = find_level(p, args.level);
        if (!level) {
            err << "avelor: " << args.project << " has no level " << args.level << "\n";
            return 1;
        }
        goto_level(p, session.grid, *level);
    }
    if (!session.view.set_cell_size(args.cell_size, session.grid)) {
        err << "avelor: cell size " << args.cell_size << " is not available\n";
        return 1;
    }
    session.view.flags.reveal_below = args.below;
    RenderSettings settings = render_settings(session.view, p, session.grid);
    settings.show_cursor = false;
    const std::uint64_t width = level_image_width(session.grid, settings.cell_size);
    const std::uint64_t height = level_image_height(session.grid, settings.cell_size);
    if (image_format_for(args.output) == ImageFormat::Bmp && !bmp_layout_fits(bmp_layout(width, height))) {
        report_error(ERROR, {"Failed to create bitmap."});
        return 1;
    }
    if (!write_level_image(session.grid, &p, settings, args.output)) {
        report_error(ERROR, {"File Not Saved.", " ", args.output});
        return 1;
    }
    out << "Wrote " << args.output << " (" << width << " x " << height << " pixels)\n";
    return 0;
}

}  // namespace

int run_project_command(const CliOptions& options, const ProgramFolders& folders, std::ostream& out,
                        std::ostream& err)
{
    const bool is_convert = options.command == "convert";
    const bool is_save = options.command == "save" || is_convert;
    ReadOptions read_options;
    read_options.backup_path = folders.project_backup_path;
    if (options.command == "render") {
        const RenderArguments render = render_arguments(options.arguments);
        if (!render.error.empty()) {
            err << "avelor: " << render.error << "\n" << usage_text();
            return 2;
        }
        return render_command(render, read_options, out, err);
    }
    if (options.command == "run")
        return run_simulation_command(options, read_options, folders, out, err);
    if (options.command == "results")
        return results_command(options, read_options, out, err);
    if (options.command == "export")
        return export_command(options, read_options, out, err);
    if (options.command == "check") {
        if (options.arguments.size() != 1) {
            err << "avelor: check needs one project file\n" << usage_text();
            return 2;
        }
        CommandArguments check;
        check.project = options.arguments[0];
        return check_command(check, read_options, out);
    }
    if (options.command != "read" && !is_save) {
        err << "avelor: unknown command " << options.command << "\n" << usage_text();
        return 2;
    }
    CommandArguments args = command_arguments(options.arguments, is_save);
    if (!args.error.empty()) {
        err << "avelor: " << args.error << "\n" << usage_text();
        return 2;
    }
    if (is_convert) {
        // A conversion never writes the file it reads.
        std::error_code ec;
        if (args.output.empty() ||
            std::filesystem::weakly_canonical(args.output, ec) == std::filesystem::weakly_canonical(args.project, ec)) {
            err << "avelor: convert needs -o NEW.prj, another file than the project it reads\n" << usage_text();
            return 2;
        }
    }
    return is_save ? save_command(args, read_options, out, err) : read_command(args, read_options, out, err);
}

int run_command(const CliOptions& options, std::ostream& out, std::ostream& err)
{
    if (!options.error.empty()) {
        err << "avelor: " << options.error << "\n" << usage_text();
        return 2;
    }
    if (options.show_help) {
        if (options.command.empty()) {
            out << usage_text();
            return 0;
        }
        const std::string help = command_help(options.command);
        if (help.empty()) {
            err << "avelor: unknown command " << options.command << "\n" << usage_text();
            return 2;
        }
        out << help;
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
    const bool project_command =
        options.command == "read" || options.command == "save" || options.command == "convert" ||
        options.command == "render" ||
        options.command == "check" || options.command == "run" || options.command == "results" ||
        options.command == "export";
    if (!options.error.empty() || options.show_help || options.show_version || !project_command)
        return run_command(options, std::cout, std::cerr);

    ConsolePort port(std::cerr, options.questions);
    set_user_port(&port);
    set_fatal_handler(exit_program_fatal);
    StartupEnvironment env = process_environment(argc > 0 ? argv[0] : "avelor");
    env.change_directory = false;
    env.log_base_name = "avelor";
    ProgramFolders folders = start_program(env);
    int code = run_project_command(options, folders, std::cout, std::cerr);
    finish_run_log();
    set_user_port(nullptr);
    return code;
}

}  // namespace avelor::cli
