// Start-up and shut-down shared by the editor and the command-line tools:
// the per-user data folder, the fixed file names derived from it, the run
// log and its header, and the project named on the command line.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace avelor {

struct StartupEnvironment {
    // The program path as given on the command line (first word).
    std::string program_arg;
    // The program file itself, resolved; its folder is the program folder.
    std::string program_file;
    // The current directory at start.
    std::string current_dir;
    // Environment look-up; empty optional when a variable is not set.
    std::function<std::optional<std::string>(const char*)> getenv;
    // The editor moves into the user data folder as it goes; the command-line
    // tools stay where they were started so their relative paths work.
    bool change_directory = true;
    // Base name of the run log: the editor's own, or a tool's, so that a tool
    // run beside an open editor does not truncate the editor's log.
    std::string log_base_name = "AVELORW3";
};

// The process's own environment, program file and current directory.
StartupEnvironment process_environment(const char* argv0);

struct ProgramFolders {
    std::string program_arg;
    std::string program_file;
    std::string program_folder;   // with a closing separator
    std::string working_folder;   // with a closing separator
    std::string user_data_folder; // with a closing separator
    std::string log_path;             // AVELORW3.log
    std::string project_backup_path;  // PROJECT.BKP
    std::string project_temp_path;    // PROJECT.TMP
    std::string library_backup_path;  // LIBRARY.BKP
    std::string help_path;            // AWHelp32.chm
};

// Works out the folders and file names, creating the user data folder and
// its parents when missing (failures are ignored: opening the log reports
// them).
ProgramFolders prepare_folders(const StartupEnvironment& env);

// "Www Mmm ddd hh:mm:ss yyyy\n" in local time, always in English.
std::string date_time_text(std::time_t when);

// Opens the run log and writes its header. A log that cannot be opened is
// fatal.
void open_run_log(const ProgramFolders& folders);

// The whole shared start-up: folders, then the run log.
ProgramFolders start_program(const StartupEnvironment& env);

// The project path for a command-line argument, or empty for none: the
// extension is always ".prj"; a relative path or one without a drive is
// taken in the working folder; an absolute Linux path keeps its folder.
// Notes the argument in the run log.
std::string command_line_project(std::string_view arg, const ProgramFolders& folders);

// "AVELORW3 - (untitled)" or "AVELORW3 - NAME.prj".
std::string window_title(std::string_view project_name);

struct WindowSize {
    int width = 0;
    int height = 0;
};
// The main window's first size, from the SketchPad's columns and rows.
WindowSize initial_main_window_size(int columns = 66, int rows = 58);

// The closing lines of the run log, then the log is closed.
void finish_run_log();

}  // namespace avelor
