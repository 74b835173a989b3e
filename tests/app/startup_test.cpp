#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/paths.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "app/version.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPort;
using testing::read_file;

struct SplitCase {
    const char* path;
    const char* drive;
    const char* directory;
    const char* name;
    const char* extension;
};

TEST(PathSplitTest, SplitsDriveDirectoryNameExtension)
{
    const SplitCase cases[] = {
        {"C:\\a/b\\c.d.txt", "C:", "\\a/b\\", "c.d", ".txt"},
        {"a/b\\c", "", "a/", "b\\c", ""},
        {"/home/user/plan.prj", "", "/home/user/", "plan", ".prj"},
        {"plan.txt", "", "", "plan", ".txt"},
        {"noext", "", "", "noext", ""},
        {"dir/", "", "dir/", "", ""},
        {"", "", "", "", ""},
    };
    ScriptedPort port;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        PathParts p = PathSplit(c.path);
        EXPECT_EQ(p.drive, c.drive);
        EXPECT_EQ(p.directory, c.directory);
        EXPECT_EQ(p.name, c.name);
        EXPECT_EQ(p.extension, c.extension);
    }
}

TEST(PathSplitTest, OverrunsAreCutAndLoggedOnly)
{
    std::string log_path = ::testing::TempDir() + "pathsplit.log";
    ASSERT_TRUE(run_log().open(log_path));
    ScriptedPort port;
    PathSplitSizes sizes;
    sizes.drive = 2;
    sizes.directory = 4;
    sizes.name = 3;
    sizes.extension = 3;
    PathParts p = PathSplit("C:/abcd/name.ext", sizes);
    run_log().close();
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.directory, "/ab");
    EXPECT_EQ(p.name, "na");
    EXPECT_EQ(p.extension, ".e");
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(read_file(log_path),
              "ERROR PathSplit: file drive overrun\nERROR PathSplit: file path overrun\n"
              "ERROR PathSplit: file name overrun\nERROR PathSplit: file extension overrun\n");
}

TEST(MakePathTest, JoinsPieces)
{
    EXPECT_EQ(make_path("C:", "\\dir\\", "plan", ".prj"), "C:\\dir\\plan.prj");
    EXPECT_EQ(make_path("", "/home/u", "plan", "prj"), "/home/u/plan.prj");
    EXPECT_EQ(make_path("", "", "plan", ""), "plan");
}

TEST(VersionTest, TableAndCurrent)
{
    EXPECT_EQ(current_version_text(), "3.2");
    EXPECT_EQ(version_index("2.4"), 5);
    EXPECT_EQ(version_index("3.3"), -1);
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(::testing::TempDir()) / "startup_test";
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "work");
        std::ofstream(root / "bin" / "avelorw") << "program";
        env.program_arg = "avelorw";
        env.program_file = (root / "bin" / "avelorw").string();
        env.current_dir = (root / "work").string();
        env.change_directory = false;
        env.getenv = [this](const char* name) -> std::optional<std::string> {
            auto it = vars.find(name);
            if (it == vars.end()) return std::nullopt;
            return it->second;
        };
    }
    void TearDown() override { run_log().close(); }

    fs::path root;
    std::map<std::string, std::string> vars;
    StartupEnvironment env;
    ScriptedPort port;
};

TEST_F(StartupTest, AppDataGivesKelmVersionFolderAndFileNames)
{
    vars["APPDATA"] = (root / "appdata").string();
    fs::create_directories(root / "appdata");
    ProgramFolders f = prepare_folders(env);
    const std::string data = (root / "appdata" / "KELM" / "AvelorW 3.2").string() + "/";
    EXPECT_EQ(f.user_data_folder, data);
    EXPECT_TRUE(fs::is_directory(data));
    EXPECT_EQ(f.log_path, data + "AVELORW3.log");
    EXPECT_EQ(f.project_backup_path, data + "PROJECT.BKP");
    EXPECT_EQ(f.project_temp_path, data + "PROJECT.TMP");
    EXPECT_EQ(f.library_backup_path, data + "LIBRARY.BKP");
    EXPECT_EQ(f.program_folder, (root / "bin").string() + "/");
    EXPECT_EQ(f.working_folder, (root / "work").string() + "/");
    EXPECT_EQ(f.help_path, "AWHelp32.chm");
}

TEST_F(StartupTest, ExistingKelmGetsOnlyTheVersionFolder)
{
    vars["APPDATA"] = (root / "appdata").string();
    fs::create_directories(root / "appdata" / "KELM");
    std::ofstream(root / "appdata" / "KELM" / "keep.txt") << "x";
    ProgramFolders f = prepare_folders(env);
    EXPECT_TRUE(fs::exists(root / "appdata" / "KELM" / "keep.txt"));
    EXPECT_TRUE(fs::is_directory(root / "appdata" / "KELM" / "AvelorW 3.2"));
    EXPECT_EQ(f.user_data_folder, (root / "appdata" / "KELM" / "AvelorW 3.2").string() + "/");
}

TEST_F(StartupTest, WithoutAppDataUsesXdgDataHomeThenHome)
{
    vars["XDG_DATA_HOME"] = (root / "xdg").string();
    vars["HOME"] = (root / "home").string();
    EXPECT_EQ(prepare_folders(env).user_data_folder,
              (root / "xdg" / "KELM" / "AvelorW 3.2").string() + "/");
    vars.erase("XDG_DATA_HOME");
    EXPECT_EQ(prepare_folders(env).user_data_folder,
              (root / "home" / ".local" / "share" / "KELM" / "AvelorW 3.2").string() + "/");
    EXPECT_TRUE(fs::is_directory(root / "home" / ".local" / "share" / "KELM" / "AvelorW 3.2"));
}

TEST_F(StartupTest, HelpFileFoundBesideTheProgram)
{
    std::ofstream(root / "bin" / "AWHelp32.chm") << "help";
    vars["HOME"] = (root / "home").string();
    EXPECT_EQ(prepare_folders(env).help_path, (root / "bin" / "AWHelp32.chm").string());
}

TEST_F(StartupTest, RunLogHeader)
{
    vars["HOME"] = (root / "home").string();
    ProgramFolders f = start_program(env);
    finish_run_log();
    std::string log = read_file(f.log_path);
    const std::string dt = R"([A-Z][a-z]{2} [A-Z][a-z]{2}[ 0-9]{3} \d\d:\d\d:\d\d \d{4}\n)";
    std::regex header("Program:  avelorw\n"
                      "  Version:  3\\.2 \n"
                      "  Created:  " + dt +
                      "  Working directory: " + std::regex_replace(f.working_folder, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") + "\n"
                      "Start at:  " + dt +
                      "end: -?\\d+ bytes allocated, -?\\d+ freed, -?\\d+ net\n"
                      "End at:  " + dt);
    EXPECT_TRUE(std::regex_match(log, header)) << log;
}

TEST_F(StartupTest, UnwritableLogIsFatal)
{
    vars["APPDATA"] = (root / "missing" / "deeper").string();
    // A file where the KELM folder should be makes every folder creation fail.
    fs::create_directories(root / "missing");
    std::ofstream(root / "missing" / "deeper") << "not a folder";
    EXPECT_THROW(start_program(env), FatalStop);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_NE(port.boxes[0].text.find(" Failed to open "), std::string::npos);
}

TEST_F(StartupTest, CommandLineProject)
{
    ProgramFolders f;
    f.working_folder = "/work/dir/";
    EXPECT_EQ(command_line_project("plan.txt", f), "/work/dir/plan.prj");
    EXPECT_EQ(command_line_project("\\projects\\a.prj", f), "/work/dir/a.prj");
    EXPECT_EQ(command_line_project("/home/user/b.prj", f), "/home/user/b.prj");
    EXPECT_EQ(command_line_project("sub/c", f), "/work/dir/sub/c.prj");
    EXPECT_EQ(command_line_project("D:\\x\\d.prj", f), "D:\\x\\d.prj");
    EXPECT_EQ(command_line_project("", f), "");
}

TEST(StartupWindow, TitleAndSize)
{
    EXPECT_EQ(window_title(""), "AVELORW3 - (untitled)");
    EXPECT_EQ(window_title("plan.prj"), "AVELORW3 - plan.prj");
    WindowSize s = initial_main_window_size();
    EXPECT_EQ(s.width, 66 * 8 + 25);
    EXPECT_EQ(s.height, 58 * 8 + 100);
}

TEST(StartupDateTime, FixedEnglishForm)
{
    std::string text = date_time_text(0);
    EXPECT_EQ(text.size(), 25u);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"((Thu|Wed) (Jan|Dec)[ 0-9]{3} \d\d:\d\d:\d\d (1970|1969)\n)")))
        << text;
}

}  // namespace
}  // namespace avelor
