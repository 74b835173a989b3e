#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <memory>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

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

    // A command's own help: its synopsis and description, nothing of the
    // other commands.
    for (const std::string command : {"read", "save", "check", "render", "run", "results"}) {
        out.str("");
        EXPECT_EQ(run_command(parse_cli({command, "--help"}), out, err), 0) << command;
        const std::string help = out.str();
        EXPECT_TRUE(help.starts_with("usage: avelor [--yes|--no] " + command + " PROJECT.prj")) << help;
        EXPECT_EQ(help.find("commands:"), std::string::npos) << help;
        EXPECT_GT(std::count(help.begin(), help.end(), '\n'), 1) << help;
    }
    out.str("");
    EXPECT_NE(run_command(parse_cli({"run", "--help"}), out, err), 2);
    EXPECT_NE(out.str().find("69 without an engine"), std::string::npos);
    EXPECT_EQ(run_command(parse_cli({"frobnicate", "--help"}), out, err), 2);
}

struct CliRunResult {
    int code = -1;
    std::string output;  // standard output and standard error together
};

// Runs the real avelor with its data folder in a temporary home.
CliRunResult run_avelor(const std::string& arguments)
{
    std::string command = "HOME='" + ::testing::TempDir() + "cli_home' APPDATA= XDG_DATA_HOME= '" +
                          AVELOR_CLI_PATH + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    CliRunResult run;
    if (!pipe) return run;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) run.output += buffer.data();
    int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CliProgram, VersionFromTheRealBinary)
{
    CliRunResult run = run_avelor("--version");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.output, "AvelorW 3.2\n");
}

TEST(CliProgram, ReadAndSaveAProject)
{
    const std::string example = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
    CliRunResult read_run = run_avelor("read '" + example + "'");
    EXPECT_EQ(read_run.code, 0) << read_run.output;
    EXPECT_NE(read_run.output.find("2 zones, 4 flow paths"), std::string::npos) << read_run.output;

    const std::string copy = ::testing::TempDir() + "cli_copy.prj";
    CliRunResult save = run_avelor("save '" + example + "' -o '" + copy + "'");
    EXPECT_EQ(save.code, 0) << save.output;
    std::ifstream a(example, std::ios::binary), b(copy, std::ios::binary);
    std::string left((std::istreambuf_iterator<char>(a)), {}), right((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(left, right);

    CliRunResult missing = run_avelor("read '" + ::testing::TempDir() + "no_such.prj'");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.output.find("ERROR: Could not open file: "), std::string::npos) << missing.output;
    EXPECT_EQ(run_avelor("save").code, 2);
}

TEST(CliProgram, ConvertWritesAnOlderProjectInThisVersion)
{
    const std::string old_project = ::testing::TempDir() + "cli_v31.prj";
    std::filesystem::copy_file(std::string(AVELOR_SOURCE_DIR) + "/tests/data/office_v31.prj", old_project,
                               std::filesystem::copy_options::overwrite_existing);
    // Without a new name, or onto the file it reads, nothing is written.
    EXPECT_EQ(run_avelor("convert '" + old_project + "'").code, 2);
    EXPECT_EQ(run_avelor("convert '" + old_project + "' -o '" + old_project + "'").code, 2);

    const std::string converted = ::testing::TempDir() + "cli_v32.prj";
    CliRunResult run = run_avelor("convert '" + old_project + "' -o '" + converted + "'");
    EXPECT_EQ(run.code, 0) << run.output;
    std::ifstream in(converted, std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "AvelorW 3.2  0");
    CliRunResult read_back = run_avelor("read '" + converted + "'");
    EXPECT_EQ(read_back.code, 0) << read_back.output;
    EXPECT_NE(read_back.output.find("18 zones, 51 flow paths"), std::string::npos) << read_back.output;
}

TEST(CliProgram, ReadPrintsTheZonesOfALevel)
{
    const std::string example = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
    CliRunResult run = run_avelor("read '" + example + "' --zones ground");
    EXPECT_EQ(run.code, 0) << run.output;
    const std::string zones = run.output.substr(run.output.find('\n') + 1);
    EXPECT_EQ(zones,
              "level 1 ground\n"
              "zone 17 18 1 143\n"
              "zone 17 29 2 77\n"
              "path 11 18 1 4 ambient 1\n"
              "path 17 25 2 2 1 2\n"
              "path 17 33 3 2 2 ambient\n"
              "path 23 18 4 1 ambient 1\n");
    CliRunResult missing = run_avelor("read '" + example + "' --zones 2");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.output.find("has no level 2"), std::string::npos) << missing.output;
}

// A copy of the example with text replaced, once each.
std::string edited_example(const std::string& name, const std::vector<std::pair<std::string, std::string>>& edits)
{
    std::ifstream in(std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    for (const auto& [from, to] : edits) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(CliProgram, CheckListsTheProblems)
{
    const std::string good = edited_example("check_good.prj", {});
    CliRunResult clean = run_avelor("check '" + good + "'");
    EXPECT_EQ(clean.code, 0) << clean.output;
    EXPECT_EQ(clean.output, "");

    // A transient run with the corridor's volume at zero.
    const std::string bad = edited_example(
        "check_bad.prj", {{"    0             30", "    2             30"},
                          {"     0        1       0     1.00e-01", "     1        1       0     1.00e-01"},
                          {"0.000    45 293.15", "0.000     0 293.15"}});
    CliRunResult broken = run_avelor("check '" + bad + "'");
    EXPECT_EQ(broken.code, 1) << broken.output;
    EXPECT_NE(broken.output.find("level ground row 17 col 29: Error: Zone has zero volume.\n"), std::string::npos)
        << broken.output;
    EXPECT_EQ(broken.output.find("col 18: Error: Zone has zero volume."), std::string::npos) << broken.output;
    EXPECT_EQ(run_avelor("check").code, 2);
}

// Width and height from a PNG's header chunk, or -1, -1.
std::pair<long, long> png_size(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 24 || b.compare(1, 3, "PNG") != 0 || b.compare(12, 4, "IHDR") != 0) return {-1, -1};
    auto be32 = [&](std::size_t at) {
        long v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v * 256 + static_cast<unsigned char>(b[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

TEST(CliProgram, RenderDrawsALevel)
{
    const std::string example = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
    // two_rooms.prj is 58 rows by 66 columns of cells.
    const std::string png = ::testing::TempDir() + "cli_render.png";
    std::remove(png.c_str());
    CliRunResult run = run_avelor("render '" + example + "' --level ground --cell 4 --below -o '" + png + "'");
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(png_size(png), (std::pair<long, long>{66 * 4, 58 * 4}));

    const std::string bmp = ::testing::TempDir() + "cli_render.bmp";
    std::remove(bmp.c_str());
    run = run_avelor("render '" + example + "' -o '" + bmp + "'");
    EXPECT_EQ(run.code, 0) << run.output;
    std::ifstream in(bmp, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b.substr(0, 2), "BM");
    // Rows of 66 * 8 pixels, 2 bytes each, already a multiple of 4.
    EXPECT_EQ(b.size(), 14u + 40u + 4u * 40u + 66u * 8u * 2u * 58u * 8u);
}

TEST(CliProgram, RenderRefusals)
{
    const std::string example = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
    const std::string out = ::testing::TempDir() + "cli_refused.png";
    std::remove(out.c_str());
    struct Case {
        std::string arguments;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {"--cell 7 -o '" + out + "'", 2, "--cell must be one of 1, 2, 3, 4, 5, 8, 16"},
        {"--cell x -o '" + out + "'", 2, "--cell must be one of"},
        {"--level attic -o '" + out + "'", 1, "has no level attic"},
        {"--cell 8", 2, "render needs -o"},
    };
    for (const Case& c : cases) {
        CliRunResult run = run_avelor("render '" + example + "' " + c.arguments);
        EXPECT_EQ(run.code, c.code) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    std::ifstream written(out);
    EXPECT_FALSE(written.good());
}

}  // namespace
}  // namespace avelor::cli
