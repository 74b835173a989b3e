#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>

#include "cli_main.h"

namespace avelor::cli {
namespace {

TEST(CliParse, OptionsAndCommand)
{
    CliOptions o = parse_cli({"--yes", "read", "plan.prj", "--zones", "1"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(o.questions, QuestionPolicy::AnswerYes);
    EXPECT_EQ(o.command, "read");
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"plan.prj", "--zones", "1"}));

    EXPECT_EQ(parse_cli({"--no", "save", "a.prj"}).questions, QuestionPolicy::AnswerNo);
    EXPECT_EQ(parse_cli({"save", "a.prj"}).questions, QuestionPolicy::Refuse);
    EXPECT_FALSE(parse_cli({"--yes", "--no", "save"}).error.empty());
    EXPECT_FALSE(parse_cli({"--bogus", "save"}).error.empty());
    EXPECT_FALSE(parse_cli({}).error.empty());
    EXPECT_TRUE(parse_cli({"--version"}).show_version);
}

TEST(CliRun, VersionHelpAndUsageErrors)
{
    std::ostringstream out, err;
    EXPECT_EQ(run_command(parse_cli({"--version"}), out, err), 0);
    EXPECT_EQ(out.str(), "AvelorW 3.2\n");
    out.str("");
    EXPECT_EQ(run_command(parse_cli({"--help"}), out, err), 0);
    EXPECT_NE(out.str().find("usage: avelor"), std::string::npos);
    EXPECT_EQ(run_command(parse_cli({"frobnicate"}), out, err), 2);
    EXPECT_NE(err.str().find("unknown command frobnicate"), std::string::npos);
}

TEST(CliProgram, VersionFromTheRealBinary)
{
    std::string command = std::string("'") + AVELOR_CLI_PATH + "' --version";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::array<char, 128> buffer{};
    std::string output;
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get())) output += buffer.data();
    EXPECT_EQ(output, "AvelorW 3.2\n");
}

}  // namespace
}  // namespace avelor::cli
