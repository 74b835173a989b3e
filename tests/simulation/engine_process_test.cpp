#include "simulation/engine_process.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace avelor {
namespace {

std::string temp_folder()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/";
}

// A stand-in engine: writes each argument on a line of args_file, then ends
// with the given shell statement ("exit 3", "kill -9 $$", ...).
std::string write_fake_engine(const std::string& name, const std::string& args_file, const std::string& ending,
                              double sleep_seconds = 0)
{
    const std::string path = temp_folder() + name;
    std::ofstream out(path, std::ios::binary);
    out << "#!/bin/sh\n"
        << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << args_file << "'\n";
    if (sleep_seconds > 0) out << "sleep " << sleep_seconds << "\n";
    out << ending << "\n";
    out.close();
    ::chmod(path.c_str(), 0755);
    return path;
}

std::vector<std::string> lines_of(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(EngineProcess, ExitCodeMeaning)
{
    struct Case {
        long long code;
        EngineEnd end;
    };
    // Codes are read as unsigned: only 0 and 1 are not abnormal.
    for (const Case& c : {Case{0, EngineEnd::Success}, Case{1, EngineEnd::StoppedByUser},
                          Case{2, EngineEnd::Abnormal}, Case{255, EngineEnd::Abnormal},
                          Case{-1, EngineEnd::Abnormal}})
        EXPECT_EQ(engine_end_for_code(c.code), c.end) << c.code;
}

TEST(EngineProcess, EndingsOfARealChild)
{
    struct Case {
        std::string ending;
        EngineEnd end;
        int code;
        int signal;
    };
    const std::vector<Case> cases = {
        {"exit 0", EngineEnd::Success, 0, 0},
        {"exit 1", EngineEnd::StoppedByUser, 1, 0},
        {"exit 3", EngineEnd::Abnormal, 3, 0},
        {"kill -9 $$", EngineEnd::Abnormal, -1, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ending);
        const std::string args = temp_folder() + "args.txt";
        const std::string engine = write_fake_engine("engine.sh", args, c.ending);
        EngineProcess process;
        ASSERT_TRUE(process.start({engine, "a"}));
        EXPECT_EQ(process.state(), EngineProcess::State::Running);
        const EngineExit exit = process.wait(5);
        EXPECT_EQ(exit.end, c.end);
        EXPECT_EQ(exit.code, c.code);
        EXPECT_EQ(exit.signal, c.signal);
        EXPECT_EQ(process.state(), EngineProcess::State::Idle);
        EXPECT_EQ(process.poll(), std::nullopt);  // reported once only
    }
}

TEST(EngineProcess, ArgumentsArriveUnsplitAndUnexpanded)
{
    const std::string args = temp_folder() + "args.txt";
    const std::string engine = write_fake_engine("engine.sh", args, "exit 0");
    // Blanks, quotes and shell characters reach the program as they are.
    const std::vector<std::string> argv = {engine, temp_folder() + "my project; $(echo x) 'q'.prj", "-w"};
    EngineProcess process;
    ASSERT_TRUE(process.start(argv));
    EXPECT_EQ(process.wait(5).end, EngineEnd::Success);
    EXPECT_EQ(lines_of(args), std::vector<std::string>(argv.begin() + 1, argv.end()));
}

TEST(EngineProcess, PollDoesNotWaitAndOneRunAtATime)
{
    const std::string args = temp_folder() + "args.txt";
    const std::string engine = write_fake_engine("engine.sh", args, "exit 0", 0.3);
    EngineProcess process;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(process.start({engine}));
    EXPECT_EQ(process.poll(), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(250));
    EXPECT_FALSE(process.start({engine}));  // refused while running
    EXPECT_EQ(process.error(), EBUSY);
    EXPECT_TRUE(process.running());
    EXPECT_EQ(process.wait(10).end, EngineEnd::Success);
    EXPECT_FALSE(process.running());
}

TEST(EngineProcess, MissingProgramStartsNothing)
{
    EngineProcess process;
    EXPECT_FALSE(process.start({temp_folder() + "no_such_engine", "x.prj", "-w"}));
    EXPECT_EQ(process.error(), ENOENT);
    EXPECT_EQ(process.state(), EngineProcess::State::Idle);
    EXPECT_FALSE(process.start({}));
    // A file that is there but cannot be executed is refused too.
    const std::string plain = temp_folder() + "plain.txt";
    std::ofstream(plain) << "text\n";
    EXPECT_FALSE(process.start({plain}));
    EXPECT_EQ(process.state(), EngineProcess::State::Idle);
}

TEST(EngineProcess, ExitThatCannotBeReadIsAnAbnormalEnd)
{
    const std::string args = temp_folder() + "args.txt";
    const std::string engine = write_fake_engine("engine.sh", args, "exit 0");
    EngineProcess process;
    ASSERT_TRUE(process.start({engine}));
    // Someone else reaps the child: the watcher's query then fails.
    int status = 0;
    ASSERT_EQ(::waitpid(process.pid(), &status, 0), process.pid());
    const std::optional<EngineExit> exit = process.poll();
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->end, EngineEnd::Abnormal);
    EXPECT_EQ(exit->code, -1);
    EXPECT_EQ(process.state(), EngineProcess::State::Idle);
}

}  // namespace
}  // namespace avelor
