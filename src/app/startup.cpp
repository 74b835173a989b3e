#include "app/startup.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"
#include "app/memory.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/version.h"

namespace avelor {

namespace fs = std::filesystem;

namespace {

std::string with_separator(std::string folder)
{
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder.push_back('/');
    return folder;
}

std::string folder_of(const std::string& path)
{
    PathParts parts = PathSplit(path);
    return parts.drive + parts.directory;
}

// The base folder under which KELM/AvelorW x.y lives: APPDATA when set (as on
// the system the program came from), else the XDG data home.
std::string user_data_base(const StartupEnvironment& env)
{
    if (auto appdata = env.getenv("APPDATA"); appdata && !appdata->empty()) return *appdata;
    if (auto xdg = env.getenv("XDG_DATA_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
        return *xdg;
    if (auto home = env.getenv("HOME"); home && !home->empty()) return *home + "/.local/share";
    // Nowhere personal to go: the program folder of an installed program is
    // not writable, so the working folder takes the data.
    return env.current_dir;
}

void change_directory(const std::string& folder)
{
    std::error_code ec;
    fs::current_path(fs::path(folder), ec);
}

std::time_t file_time(const std::string& path)
{
    std::error_code ec;
    auto when = fs::last_write_time(fs::path(path), ec);
    if (ec) return 0;
    auto system_time = std::chrono::file_clock::to_sys(when);
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system_time));
}

}  // namespace

StartupEnvironment process_environment(const char* argv0)
{
    StartupEnvironment env;
    env.program_arg = argv0 ? argv0 : "";
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    env.program_file = ec ? env.program_arg : self.string();
    env.current_dir = fs::current_path(ec).string();
    env.getenv = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value) return std::nullopt;
        return std::string(value);
    };
    return env;
}

ProgramFolders prepare_folders(const StartupEnvironment& env)
{
    ProgramFolders folders;
    folders.program_arg = env.program_arg;
    folders.program_file = env.program_file;
    folders.program_folder = with_separator(folder_of(env.program_file));
    folders.working_folder = with_separator(env.current_dir);

    const std::string version_folder = "AvelorW " + std::string(current_version_text());
    std::error_code ec;
    fs::path base(user_data_base(env));
    fs::path kelm = base / "KELM";
    if (!fs::exists(kelm, ec)) fs::create_directories(kelm, ec);
    fs::path data = kelm / version_folder;
    if (!fs::exists(data, ec)) fs::create_directory(data, ec);
    folders.user_data_folder = with_separator(data.string());
    if (env.change_directory) change_directory(folders.user_data_folder);

    const std::string& dir = folders.user_data_folder;
    folders.log_path = make_path("", dir, env.log_base_name, ".log");
    folders.project_backup_path = make_path("", dir, "PROJECT", ".BKP");
    folders.project_temp_path = make_path("", dir, "PROJECT", ".TMP");
    folders.library_backup_path = make_path("", dir, "LIBRARY", ".BKP");

    std::string help = make_path("", folders.program_folder, "AWHelp32", ".chm");
    folders.help_path = file_exists(help) ? help : "AWHelp32.chm";
    return folders;
}

std::string date_time_text(std::time_t when)
{
    static constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                             "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    if (const std::tm* local = std::localtime(&when)) parts = *local;
    int weekday = parts.tm_wday >= 0 && parts.tm_wday < 7 ? parts.tm_wday : 0;
    int month = parts.tm_mon >= 0 && parts.tm_mon < 12 ? parts.tm_mon : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kWeekdays[weekday],
                  kMonths[month], parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  parts.tm_year + 1900);
    return text;
}

void open_run_log(const ProgramFolders& folders)
{
    RunLog& log = run_log();
    if (!log.open(folders.log_path)) report_fatal({" Failed to open ", folders.log_path});
    std::string version(current_version_text());
    log.printf("Program:  %s\n", folders.program_arg.c_str());
    log.printf("  Version:  %s%c\n", version.c_str(), kRevisionChar);
    log.printf("  Created:  %s", date_time_text(file_time(folders.program_file)).c_str());
    log.printf("  Working directory: %s\n", folders.working_folder.c_str());
    log.flush();
    log.printf("Start at:  %s", date_time_text(std::time(nullptr)).c_str());
    log.flush();
}

ProgramFolders start_program(const StartupEnvironment& env)
{
    ProgramFolders folders = prepare_folders(env);
    open_run_log(folders);
    return folders;
}

std::string command_line_project(std::string_view arg, const ProgramFolders& folders)
{
    if (arg.empty()) return {};
    PathParts parts = PathSplit(arg);
    run_log().printf("Project by parameter: %.*s\n", static_cast<int>(arg.size()), arg.data());
    run_log().flush();

    std::string drive = parts.drive;
    std::string directory = parts.directory;
    if (drive.empty()) {
        bool absolute = !directory.empty() && directory.front() == '/';
        bool rooted_without_drive = !directory.empty() && directory.front() == '\\';
        if (rooted_without_drive)
            directory = folders.working_folder;
        else if (!absolute)
            directory = folders.working_folder + directory;
    }
    return make_path(drive, directory, parts.name, ".prj");
}

std::string window_title(std::string_view project_name)
{
    std::string title = "AVELORW3 - ";
    if (project_name.empty())
        title += "(untitled)";
    else
        title.append(project_name);
    return title;
}

WindowSize initial_main_window_size(int columns, int rows)
{
    return {columns * 8 + 25, rows * 8 + 100};
}

void finish_run_log()
{
    RunLog& log = run_log();
    if (!log.is_open()) return;
    memory_report("end");
    log.printf("End at:  %s", date_time_text(std::time(nullptr)).c_str());
    log.close();
}

}  // namespace avelor
