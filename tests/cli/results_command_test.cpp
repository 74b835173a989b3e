#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli_main.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "support/results_file_maker.h"
#include "support/scripted_port.h"

namespace avelor::cli {
namespace {

using avelor::testing::made_cc;
using avelor::testing::made_dP;
using avelor::testing::made_F0;
using avelor::testing::made_T;

std::string g_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

// The example project copied to its own folder, with results beside it
// whose counts are the project's.
struct ExampleWithResults {
    std::string dir = ::testing::TempDir() + "results_cli/";
    std::string prj = dir + "two_rooms.prj";
    std::string sim = dir + "two_rooms.sim";
    Project counts;

    ExampleWithResults()
    {
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj", prj,
                                   std::filesystem::copy_options::overwrite_existing);
        avelor::testing::ScriptedPort port;
        EXPECT_EQ(read_project(prj, counts, {}), 0);
    }
    ~ExampleWithResults() { std::filesystem::remove_all(dir); }

    ResultsHeader header() const
    {
        ResultsHeader h = avelor::testing::results_header(counts.zones.count(), counts.paths.count(), counts.nctm(),
                                                          counts.junctions.count(), counts.ducts.count());
        h.tmres0 = 6 * 3600, h.dtres1 = 2, h.tmres1 = 12 * 3600;
        return h;
    }
    bool write(const ResultsHeader& h) const
    {
        if (!avelor::testing::write_results_file(sim, h).written) return false;
        // The results are newer than the project, as after a run.
        std::filesystem::last_write_time(sim, std::filesystem::last_write_time(prj) + std::chrono::seconds(5));
        return true;
    }
};

struct CommandRun {
    int code = -1;
    std::string out, err;
    std::vector<std::string> boxes;
};

CommandRun results(const std::vector<std::string>& args)
{
    avelor::testing::ScriptedPort port;
    std::vector<std::string> line{"results"};
    line.insert(line.end(), args.begin(), args.end());
    std::ostringstream out, err;
    CommandRun run;
    run.code = results_command(parse_cli(line), ReadOptions{}, out, err);
    run.out = out.str();
    run.err = err.str();
    for (const auto& box : port.boxes) run.boxes.push_back(box.text);
    return run;
}

TEST(ResultsCommand, PrintsTheChosenStepAsTabSeparatedValues)
{
    ExampleWithResults ex;
    ASSERT_GT(ex.counts.paths.count(), 0);
    ASSERT_GT(ex.counts.zones.count(), 0);
    ASSERT_TRUE(ex.write(ex.header()));
    struct Case {
        std::vector<std::string> args;
        int day;
        std::int64_t step;
        const char* first_line;
    };
    const Case cases[] = {
        {{}, 1, 0, "# Jan01 06:00:00"},
        {{"--time", "07:30:00"}, 1, 1, "# Jan01 07:00:00"},
        {{"--day", "jan02"}, 2, 0, "# Jan02 00:00:00"},
        {{"--day", "Jan02", "--time", "12:00:00"}, 2, 12, "# Jan02 12:00:00"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{ex.prj, "--tsv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandRun run = results(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const std::vector<std::string> lines = split(run.out, '\n');
        ASSERT_GT(lines.size(), 3u);
        EXPECT_EQ(lines[0], c.first_line);
        EXPECT_EQ(lines[1], "path\tdP\tFlow0\tFlow1");
        const int npaths = ex.counts.paths.count();
        for (int p = 1; p <= npaths; ++p) {
            const std::vector<std::string> cells = split(lines[static_cast<std::size_t>(1 + p)], '\t');
            ASSERT_EQ(cells.size(), 4u);
            EXPECT_EQ(cells[0], std::to_string(p));
            EXPECT_EQ(cells[1], g_text(made_dP(c.day, c.step, p)));
            EXPECT_EQ(cells[2], g_text(made_F0(c.day, c.step, p)));
        }
        // A blank line, then the zones with a column per contaminant.
        const std::size_t zone_head = static_cast<std::size_t>(npaths) + 3;
        ASSERT_GT(lines.size(), zone_head + static_cast<std::size_t>(ex.counts.zones.count()));
        EXPECT_EQ(lines[zone_head - 1], "");
        std::string head = "zone\tT\tP\tdensity";
        for (const Species* s : ex.counts.Ctm) head += "\t" + s->name;
        EXPECT_EQ(lines[zone_head], head);
        const std::vector<std::string> zone1 = split(lines[zone_head + 1], '\t');
        ASSERT_EQ(zone1.size(), 4u + static_cast<std::size_t>(ex.counts.nctm()));
        EXPECT_EQ(zone1[1], g_text(made_T(c.day, c.step, 1)));
        if (ex.counts.nctm() > 0) {
            EXPECT_EQ(zone1[4], g_text(made_cc(c.day, c.step, 1, 0)));
        }
    }
}

TEST(ResultsCommand, PlainOutputAlignsColumns)
{
    ExampleWithResults ex;
    ASSERT_TRUE(ex.write(ex.header()));
    const CommandRun run = results({ex.prj});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> lines = split(run.out, '\n');
    const std::size_t rows = static_cast<std::size_t>(ex.counts.paths.count()) + 1;
    ASSERT_GT(lines.size(), rows);
    for (std::size_t i = 2; i <= rows; ++i) EXPECT_EQ(lines[i].size(), lines[1].size()) << lines[i];
    EXPECT_EQ(run.out.find('\t'), std::string::npos);
}

TEST(ResultsCommand, RefusalsAndTheirMessages)
{
    ExampleWithResults ex;
    // No results file.
    CommandRun run = results({ex.prj});
    EXPECT_EQ(run.code, 1);
    ASSERT_FALSE(run.boxes.empty());
    EXPECT_NE(run.boxes.back().find("SketchPad results not available."), std::string::npos);
    // A file of an older version.
    ResultsHeader old = ex.header();
    old.version = 23;
    ASSERT_TRUE(ex.write(old));
    run = results({ex.prj});
    EXPECT_EQ(run.code, 1);
    bool told = false;
    for (const std::string& box : run.boxes) told |= box.find("(sim file from previous version)") != std::string::npos;
    EXPECT_TRUE(told);

    ASSERT_TRUE(ex.write(ex.header()));
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {{"--time", "05:00:00"}, 1, "Time too early; < 06:00:00"},
        {{"--day", "Jan02", "--time", "13:00:00"}, 1, "Time too late; > 12:00:00"},
        {{"--day", "Feb01"}, 1, "Results are available from Jan01 to Jan02"},
        {{"--day", "Feb30"}, 2, "--day must be"},
        {{"--time", "7:75:00"}, 2, "--time must be"},
        {{"--time", "123:00:00"}, 2, "--time must be"},
        {{"--day"}, 2, "--day needs a value"},
        {{"--bogus"}, 2, "unexpected argument --bogus"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{ex.prj};
        args.insert(args.end(), c.args.begin(), c.args.end());
        run = results(args);
        EXPECT_EQ(run.code, c.code) << c.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(results({}).code, 2);
}

CommandRun export_run(const std::vector<std::string>& args)
{
    avelor::testing::ScriptedPort port;
    std::vector<std::string> line{"export"};
    line.insert(line.end(), args.begin(), args.end());
    std::ostringstream out, err;
    CommandRun run;
    run.code = export_command(parse_cli(line), ReadOptions{}, out, err);
    run.out = out.str();
    run.err = err.str();
    for (const auto& box : port.boxes) run.boxes.push_back(box.text);
    return run;
}

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ExportCommand, WritesTheChosenOutputOverTheChosenPeriod)
{
    ExampleWithResults ex;
    ASSERT_TRUE(ex.write(ex.header()));
    const std::string out = ex.dir + "path.csv";
    CommandRun run = export_run({ex.prj, "path-flow", "--path", "1", "--from", "Jan02", "--to-time", "02:00:00",
                                 "--csv", "-o", out});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Wrote " + out + "\n");
    const std::vector<std::string> lines = split(read_text(out), '\n');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "date,time,seconds,dP [Pa],Flow0 [kg/s],Flow1 [kg/s]");
    // Jan02 from 00:00:00 (the start of a day the results run through).
    EXPECT_EQ(lines[1].substr(0, 22), "Jan02,00:00:00,0," + g_text(made_dP(2, 0, 1)).substr(0, 5));
    EXPECT_EQ(lines[3].rfind("Jan02,02:00:00,7200,", 0), 0u) << lines[3];

    // The tab-separated form of a whole-results export, and a report.
    run = export_run({ex.prj, "average-flows", "-o", out});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(read_text(out).rfind("Project File: two_rooms.prj\nAverage flow From Jan01 06:00:00 to Jan02 12:00:00\n", 0), 0u);
    run = export_run({ex.prj, "path-report", "--day", "Jan02", "--time", "03:30:00", "-o", out});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(read_text(out).find("    simulation time: 03:00:00\n"), std::string::npos) << read_text(out);
}

TEST(ExportCommand, RefusalsAndTheirMessages)
{
    ExampleWithResults ex;
    ASSERT_TRUE(ex.write(ex.header()));
    const std::string out = ex.dir + "refused.txt";
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {{ex.prj, "-o", out}, 2, "no output given"},
        {{ex.prj, "path-flow"}, 2, "export needs -o FILE"},
        {{ex.prj, "flows", "-o", out}, 2, "unknown output flows"},
        {{ex.prj, "path-report", "--csv", "-o", out}, 2, "path-report is a report and has no CSV form"},
        {{ex.prj, "zone-concentrations", "-o", out}, 2, "zone-concentrations needs --zone N"},
        {{ex.prj, "path-flow", "--path", "0", "-o", out}, 2, "--path must be a number from 1 on"},
        {{ex.prj, "path-flow", "--path", "99", "-o", out}, 1, "the project has no flow path 99"},
        {{ex.prj, "path-flow", "--from", "Feb01", "-o", out}, 1, ""},
        {{ex.prj, "concentrations", "-o", out}, 1, "the results hold no concentrations to export"},
    };
    for (const Case& c : cases) {
        const CommandRun run = export_run(c.args);
        EXPECT_EQ(run.code, c.code) << c.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.err;
    }
    const CommandRun late = export_run({ex.prj, "path-flow", "--from", "Feb01", "-o", out});
    ASSERT_FALSE(late.boxes.empty());
    EXPECT_NE(late.boxes.back().find("The from date is out of range."), std::string::npos);
}

TEST(ResultsCommand, TheProgramSaysWhyOnStandardError)
{
    ExampleWithResults ex;
    const std::string command = "HOME='" + ::testing::TempDir() + "results_cli_home' APPDATA= XDG_DATA_HOME= '" +
                                AVELOR_CLI_PATH + "' results '" + ex.prj + "' 2>&1 1>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string text;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) text += buffer.data();
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(text.find("WARNING: SketchPad results not available."), std::string::npos) << text;
}

}  // namespace
}  // namespace avelor::cli
