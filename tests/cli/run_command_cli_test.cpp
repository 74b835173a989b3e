// avelor run: the checks, the save and the engine beside the program, in
// process with a program folder of the test's own, and once through the
// real binary.
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_main.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor::cli {
namespace {

std::string temp_folder()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/";
}

std::vector<std::string> lines_of(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class RunCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folders.program_folder = temp_folder() + "bin/";
        std::filesystem::create_directories(folders.program_folder);
        project = temp_folder() + "two_rooms.prj";
        std::filesystem::copy_file(std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj", project,
                                   std::filesystem::copy_options::overwrite_existing);
        args_file = temp_folder() + "engine_args.txt";
        std::filesystem::remove(args_file);
    }

    // The stand-in engine beside the program: records its arguments, then
    // ends as told.
    void write_engine(const std::string& ending)
    {
        const std::string path = folders.program_folder + "AVELORX3";
        std::ofstream out(path, std::ios::binary);
        out << "#!/bin/sh\n"
            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << args_file << "'\n"
            << ending << "\n";
        out.close();
        ::chmod(path.c_str(), 0755);
    }

    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        std::vector<std::string> line = {"run"};
        line.insert(line.end(), args.begin(), args.end());
        return run_simulation_command(parse_cli(line), ReadOptions{}, folders, out, err);
    }

    testing::ScriptedPort port;
    testing::RunLogFile log;
    ProgramFolders folders;
    std::string project, args_file;
    std::ostringstream out, err;
};

TEST_F(RunCliTest, ExitCodeIsTheEnginesAndTheEngineWritesToTheConsole)
{
    for (int code : {0, 1, 3}) {
        SCOPED_TRACE(code);
        write_engine("exit " + std::to_string(code));
        EXPECT_EQ(run({project}), code);
        // The project asks for the engine's window; without a display the
        // engine always gets console output.
        EXPECT_EQ(lines_of(args_file), (std::vector<std::string>{project, "-w"}));
        EXPECT_NE(out.str().find("AVELORX3 finished: "), std::string::npos);
        EXPECT_NE(out.str().find("exit code " + std::to_string(code)), std::string::npos);
    }
}

TEST_F(RunCliTest, RefusedRunsEndWithTwoAndNeverStartTheEngine)
{
    write_engine("exit 0");
    // Projects whose run control the simulation parameters sheet refuses.
    const auto variant = [this](const std::string& name, const std::function<void(RunControl&)>& change) {
        const std::string path = temp_folder() + name + ".prj";
        EditorSession session;
        EXPECT_TRUE(open_in_session(session, project));
        change(session.project().rc);
        EXPECT_TRUE(write_session_file(session, path));
        return path;
    };
    const std::string broken = variant("broken", [](RunControl& rc) { rc.t_list = 0; });
    const std::string two_hours = variant("two_hours", [](RunControl& rc) { rc.t_list = 7200; });
    const std::string no_restart = variant("no_restart", [](RunControl& rc) {
        rc.sim_af = 1;
        rc.restart = 1;
    });
    struct Case {
        std::vector<std::string> args;
        std::string said;  // in the error output or a box
    };
    const std::vector<Case> cases = {
        {{broken}, "The Output time step cannot be 00:00:00."},
        {{two_hours}, "The Output time step must be less than an or equal to an hour."},
        {{no_restart}, "The restart date must be in the range shown."},
        {{temp_folder() + "missing.prj"}, ""},
        {{}, "run needs one project file"},
        {{project, "--frobnicate"}, "unexpected argument --frobnicate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        std::filesystem::remove(args_file);
        EXPECT_EQ(run(c.args), 2);
        EXPECT_FALSE(std::filesystem::exists(args_file));
        // The console port of the command writes boxes to the error stream.
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    }
    // An engine that is not there.
    std::filesystem::remove(folders.program_folder + "AVELORX3");
    EXPECT_EQ(run({project}), 2);
    EXPECT_NE(err.str().find("AVELORX3.exe was not found in the AvelorW directory."), std::string::npos);
}

TEST_F(RunCliTest, YesAnswersTheLargeResultsQuestion)
{
    write_engine("exit 0");
    const std::string large = temp_folder() + "large.prj";
    {
        // The larger example, for a year at one-second steps.
        EditorSession session;
        ASSERT_TRUE(open_in_session(session, std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj"));
        RunControl& rc = session.project().rc;
        rc.date_0 = 1;
        rc.date_1 = 365;
        rc.t_step = 1;
        rc.t_list = 1;
        ASSERT_TRUE(write_session_file(session, large));
    }
    // Without an answer the question is refused: no run.
    EXPECT_EQ(run({large}), 2);
    EXPECT_NE(err.str().find("The size of the simfile will be: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(args_file));
    EXPECT_EQ(run({large, "--yes"}), 0);
    EXPECT_TRUE(std::filesystem::exists(args_file));
}

// The real program finds the engine beside its own file.
TEST_F(RunCliTest, RealBinaryRunsTheEngineBesideIt)
{
    const std::string program = folders.program_folder + "avelor";
    std::filesystem::copy_file(AVELOR_CLI_PATH, program, std::filesystem::copy_options::overwrite_existing);
    write_engine("echo engine-progress; exit 0");
    const std::string command = "HOME='" + temp_folder() + "home' APPDATA= XDG_DATA_HOME= '" + program +
                                "' run '" + project + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) output += buffer.data();
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("engine-progress"), std::string::npos) << output;
    EXPECT_NE(output.find("AVELORX3 finished: success"), std::string::npos) << output;
    EXPECT_EQ(lines_of(args_file), (std::vector<std::string>{project, "-w"}));
}

}  // namespace
}  // namespace avelor::cli
