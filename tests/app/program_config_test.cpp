#include "app/program_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/diagnostics.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

class ProgramConfigTest : public ::testing::Test {
protected:
    std::string write(const std::string& text)
    {
        std::ofstream(path_, std::ios::binary) << text;
        return path_;
    }
    void TearDown() override { std::remove(path_.c_str()); }
    bool told(const std::string& text) const
    {
        for (const auto& box : port.boxes)
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }
    ScriptedPort port;
    std::string path_ = ::testing::TempDir() + "avelor_program_config_test.cfg";
};

// A file of the current version: what is written reads back as it was.
TEST_F(ProgramConfigTest, WrittenSettingsReadBack)
{
    ProgramConfig c;
    c.cell_sizes = {2, 5, 8, 16};
    c.units = 1;
    c.flow_unit = 7;
    c.zone_T = 295.15f;
    c.zone_T_unit = 3;
    c.converter = "/opt/tools/ewc to wpc";
    c.cell_jump = 4;
    c.floating_status = 0;
    c.zone_colours = 1;
    c.palette = 2;
    c.user_palettes[1][4] = 200;
    c.result_lines = 2;
    c.time_jump = 25;
    c.maximize = 1;
    ASSERT_TRUE(write_program_config(path_, c));
    const std::string text = testing::read_file(path_);
    EXPECT_EQ(text.substr(0, text.find('\n')), "ConfigFile AvelorW 3.2   ! file type identification");
    EXPECT_NE(text.find("  4  2 5 8 16  ! selected fonts.\n"), std::string::npos);
    EXPECT_NE(text.find(" 71.6 3  ! default zone temperatures in units:\n"), std::string::npos);
    ProgramConfig back;
    EXPECT_TRUE(read_program_config(path_, back));
    EXPECT_FLOAT_EQ(back.zone_T, c.zone_T);
    back.zone_T = c.zone_T;
    EXPECT_EQ(back, c);
    EXPECT_TRUE(port.boxes.empty());

    ProgramConfig untouched;
    EXPECT_TRUE(read_program_config(path_ + ".missing", untouched));
    EXPECT_EQ(untouched, ProgramConfig{});
}

// Older versions carry fewer settings; bad values are told and either left
// alone or replaced by their fallback; a bad cell-size list ends the read.
TEST_F(ProgramConfigTest, OldVersionsAndBadValues)
{
    struct Case {
        const char* name;
        std::string text;
        const char* message;  // nullptr: nothing told
        void (*expect)(const ProgramConfig&);
    };
    const std::string head = "ConfigFile AvelorW ";
    const std::string rest_24 =
        "/bin/conv ! EWC\n  -3 ! cell jump\n  1\n  1\n  0\n  5\n"
        " 2\n 0\n 12\n 7\n 5\n 13\n 17\n 22\n 4\n 39\n 0\n 23\n 27\n"
        " 13\n 39\n 15\n 33\n 30\n 36\n 23\n 26\n 29\n 2\n 0\n 8\n 16\n"
        " 12\n 0\n 28\n 2\n 18\n 999\n 39\n 24\n 19\n 39\n 0\n 32\n 7\n"
        "  2\n  1\n  0\n";
    const Case cases[] = {
        {"2.0 stops after the temperature",
         head + "2.0\n 3 2 8 16\n 1\n 2\n 20 2\n/bin/conv\n 3\n", nullptr,
         [](const ProgramConfig& c) {
             EXPECT_EQ(c.cell_sizes, (std::vector<int>{2, 8, 16}));
             EXPECT_EQ(c.units, 1);
             EXPECT_EQ(c.flow_unit, 2);
             EXPECT_NEAR(c.zone_T, 293.15, 1e-4);
             EXPECT_EQ(c.converter, "null");
             EXPECT_EQ(c.cell_jump, 10);
         }},
        {"no size 8", head + "3.2\n 5 1 2 3 5 16\n 1\n", "8x8 font required",
         [](const ProgramConfig& c) {
             EXPECT_EQ(c.cell_sizes.size(), 7u);
             EXPECT_EQ(c.units, 0);
         }},
        {"sizes out of order", head + "3.2\n 3 8 2 16\n 1\n", "Invalid font sizes",
         [](const ProgramConfig& c) { EXPECT_EQ(c.units, 0); }},
        {"unusual temperature", head + "3.2\n 1 8\n 0\n 0\n 40 2\n", "Unusual zone temperature 313.15 [K] not used",
         [](const ProgramConfig& c) {
             EXPECT_FLOAT_EQ(c.zone_T, 293.15f);
             EXPECT_EQ(c.zone_T_unit, 2);
         }},
        {"2.4 with bad values", head + "2.4\n 1 8\n 0\n 9\n 68 3\n" + rest_24, "Invalid flow units #: 9",
         [](const ProgramConfig& c) {
             EXPECT_EQ(c.converter, "/bin/conv");
             EXPECT_EQ(c.cell_jump, 10);  // negative
             EXPECT_EQ(c.palette, 0);     // 5 is no palette
             EXPECT_EQ(c.zone_colours, 1);
             EXPECT_EQ(c.user_palettes[2][5], builtin_user_palette(3)[5]);  // 999 kept out
             EXPECT_EQ(c.result_lines, 2);
             EXPECT_EQ(c.time_jump, 10);  // 1 is too small
             EXPECT_NEAR(c.zone_T, 293.15, 1e-3);
         }},
        {"bad header", "ConfigFile AvelorW 1.0\n 1 8\n 1\n", "Bad configuration file: ",
         [](const ProgramConfig& c) { EXPECT_EQ(c.cell_sizes.size(), 7u); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.boxes.clear();
        ProgramConfig config;
        const bool clean = read_program_config(write(c.text), config);
        if (c.message) {
            EXPECT_FALSE(clean);
            EXPECT_TRUE(told(c.message)) << (port.boxes.empty() ? "" : port.boxes.front().text);
        } else {
            EXPECT_TRUE(clean) << (port.boxes.empty() ? "" : port.boxes.front().text);
        }
        c.expect(config);
    }
}

TEST_F(ProgramConfigTest, RecentProjectsKeepTenMostRecentLast)
{
    RecentProjects recent;
    for (int i = 1; i <= 11; ++i) recent.add("/p/" + std::to_string(i) + ".prj");
    recent.add("/p/5.prj");
    ASSERT_EQ(recent.paths().size(), 10u);
    EXPECT_EQ(recent.paths().front(), "/p/2.prj");  // 1 dropped by the eleventh
    EXPECT_EQ(recent.paths().back(), "/p/5.prj");
    EXPECT_EQ(std::count(recent.paths().begin(), recent.paths().end(), "/p/5.prj"), 1);

    const std::vector<RecentMenuEntry> menu = recent_projects_menu(recent);
    ASSERT_EQ(menu.size(), 10u);
    EXPECT_EQ(menu[0].label, "&1 /p/5.prj");
    EXPECT_EQ(menu[0].command, 79);
    EXPECT_EQ(menu[9].label, "&10 /p/2.prj");
    EXPECT_EQ(menu[9].command, 70);
    EXPECT_EQ(recent_projects_menu(RecentProjects{})[0].label, "none");

    // The list survives a restart, without the projects that are gone.
    const std::string a = ::testing::TempDir() + "avelor_recent_a.prj";
    const std::string b = ::testing::TempDir() + "avelor_recent_b.prj";
    std::ofstream(a) << "a";
    std::ofstream(b) << "b";
    RecentProjects kept;
    kept.add(a);
    kept.add("/no/such/project.prj");
    kept.add(b);
    ASSERT_TRUE(kept.write(path_));
    RecentProjects back;
    EXPECT_TRUE(back.read(path_));
    EXPECT_EQ(back.paths(), (std::vector<std::string>{a, b}));

    // An over-long path is skipped with a warning; a bad header is told.
    write("RecentProjectsFile AvelorW 3.2\n 2\n/" + std::string(5000, 'x') + "\n" + a + "\n");
    EXPECT_FALSE(back.read(path_));
    EXPECT_EQ(back.paths(), std::vector<std::string>{a});
    std::remove(a.c_str());
    std::remove(b.c_str());
    write("Projects AvelorW 3.2\n 1\n/p/a.prj\n");
    EXPECT_FALSE(back.read(path_));
    EXPECT_TRUE(back.paths().empty());
    EXPECT_TRUE(told("Bad recent projects file: "));
}

}  // namespace
}  // namespace avelor
