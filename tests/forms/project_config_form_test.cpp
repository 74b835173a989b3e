#include "forms/project_config_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

// A project of one level holding a room, shown on a grid of its size.
struct OpenProject {
    testing::ScriptedPort port;
    Project project;
    SketchGrid grid;
    Level* level = nullptr;

    explicit OpenProject(std::vector<IconEntry> icons = {})
    {
        Level l;
        l.name = "L1";
        level = project.levels.add(l);
        project.lowest_level = project.top_level = level;
        level->icons = std::move(icons);
        allocate_sketch_arrays(grid, project.rc.rows, project.rc.cols);
        goto_level(project, grid, *level);
    }
};

// A closed room with zone 1 in it, corners at (3,3) and (9,13).
std::vector<IconEntry> room()
{
    return {{3, 3, 14, 0}, {3, 13, 15, 0}, {9, 13, 16, 0}, {9, 3, 17, 0}, {6, 8, 5, 1}};
}

struct FieldCase {
    const char* width;
    const char* height;
    const char* refusal;  // empty when both are taken
};

TEST(ProjectConfigForm, SizeFieldsKeepTheGridPossible)
{
    const FieldCase cases[] = {
        {"65", "58", " Value must not be less than 66.\n"},
        {"66", "57", " Value must not be less than 58.\n"},
        {" 80 ", "+60", ""},
        {"8O", "58", " Not a valid integer: \"8O\"\n"},
        {"", "58", " Not a valid integer: \"\"\n"},
        {"12345678901234567890", "58", " There are too many digits in this number.\n"},
        {"32768", "58", " Value must not be greater than 32767.\n"},
        // 10000 rows leave room for 5329 columns only.
        {"66", "10000", ""},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " x " + c.height);
        OpenProject open;
        ProjectConfigForm form(open.project, open.grid);
        const bool taken = form.leave_width(c.width) && form.leave_height(c.height);
        EXPECT_EQ(taken, c.refusal[0] == '\0');
        if (!taken) {
            ASSERT_EQ(open.port.boxes.size(), 1u);
            EXPECT_EQ(open.port.boxes[0].caption, "WARNING");
            EXPECT_EQ(open.port.boxes[0].text, c.refusal);
        }
    }
    OpenProject open;
    ProjectConfigForm form(open.project, open.grid);
    ASSERT_TRUE(form.leave_height("10000"));
    EXPECT_FALSE(form.leave_width("10000"));
    EXPECT_EQ(open.port.boxes.back().text, " Value must not be greater than 5329.\n");
    EXPECT_EQ(form.width().value(), 66);
    EXPECT_EQ(form.width().shown_text(), "66");
    // A new project keeps its own height: its origin row is 56.
    EXPECT_EQ(form.min_height(), 58);
}

TEST(ProjectConfigForm, TheDrawingSetsTheLeastSize)
{
    // Icons on any level, the current one as it stands now, count.
    OpenProject open(room());
    open.grid.current().Sketch(40, 62) = ICN_NOTE;
    open.grid.current().Paths(40, 62) = 1;
    ProjectConfigForm form(open.project, open.grid);
    EXPECT_EQ(form.min_width(), 67);
    EXPECT_EQ(form.min_height(), 58);
    EXPECT_FALSE(form.leave_width("66"));
    EXPECT_EQ(open.port.boxes.back().text, " Value must not be less than 67.\n");
    EXPECT_EQ(form.max_width(), 32767);
    EXPECT_EQ(form.max_height(), 32767);
}

TEST(ProjectConfigForm, TheOriginMustStayOnTheSketchPad)
{
    OpenProject open;
    ProjectConfigForm form(open.project, open.grid);
    ASSERT_TRUE(form.leave_width("100"));
    EXPECT_FALSE(form.leave_origin_column("99"));
    EXPECT_EQ(open.port.boxes.back().text, " Value must not be greater than 98.\n");
    ASSERT_TRUE(form.leave_origin_column("90"));
    ASSERT_TRUE(form.leave_width("80"));
    FormAnswer<ConfigField> answer = form.leave_dimensions_page();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.focus, ConfigField::OriginColumn);
    EXPECT_EQ(open.port.boxes.back().caption, "ERROR");
    EXPECT_EQ(open.port.boxes.back().text, " Origin Column is not on the SketchPad.\n");
    EXPECT_FALSE(form.accept().accepted);
    EXPECT_EQ(open.project.rc.cols, 66);

    ASSERT_TRUE(form.leave_origin_column("10"));
    ASSERT_TRUE(form.leave_height("200"));
    ASSERT_TRUE(form.leave_origin_row("150"));
    ASSERT_TRUE(form.leave_height("100"));
    answer = form.leave_dimensions_page();
    EXPECT_EQ(answer.focus, ConfigField::OriginRow);
    EXPECT_EQ(open.port.boxes.back().text, " Origin Row is not on the SketchPad.\n");
}

TEST(ProjectConfigForm, AcceptTakesTheSizeAndKeepsTheDrawing)
{
    OpenProject open(room());
    open.project.mark_saved();
    ProjectConfigForm form(open.project, open.grid);
    ASSERT_TRUE(form.leave_width("120"));
    ASSERT_TRUE(form.leave_height("90"));
    ASSERT_TRUE(form.select_length_unit(1));  // ft
    ASSERT_TRUE(form.leave_scale("2"));
    form.set_show_geometry(true);
    EXPECT_EQ(form.width_extent(), "240");
    EXPECT_EQ(form.height_extent(), "180");
    ASSERT_TRUE(form.leave_origin_row("80"));
    EXPECT_TRUE(form.accept().accepted);

    const RunControl& rc = open.project.rc;
    EXPECT_EQ(rc.cols, 120);
    EXPECT_EQ(rc.rows, 90);
    EXPECT_EQ(open.grid.cols(), 120);
    EXPECT_EQ(open.grid.rows(), 90);
    EXPECT_NEAR(rc.scale, 2 * 0.3048, 1e-6);
    EXPECT_EQ(rc.us, 1);
    EXPECT_EQ(rc.orgRow, 80);
    EXPECT_EQ(rc.showGeom, 1);
    EXPECT_TRUE(open.project.changed());
    EXPECT_EQ(count_region_cells(open.grid, kCurrentLevel, 6, 8), 5 * 9);
    EXPECT_EQ(open.grid.current().Zones(6, 8), 1);
    EXPECT_TRUE(open.port.boxes.empty());
}

TEST(ProjectConfigForm, ANewDefaultTemperatureMayResetEachGroup)
{
    OpenProject open;
    Project& p = open.project;
    Zone zone;
    zone.T0 = 290;
    p.zones.add(zone);
    Junction junction;
    junction.T0 = 290;
    p.junctions.add(junction);
    junction.t = 1;
    p.junctions.add(junction);
    open.port.answers = {Answer::Yes, Answer::No, Answer::Yes};

    ProjectConfigForm form(p, open.grid);
    ASSERT_TRUE(form.select_temperature_unit(2));  // °C
    ASSERT_TRUE(form.leave_temperature("25"));
    form.set_unit_system(1);
    form.set_flow_unit(8);
    EXPECT_TRUE(form.accept().accepted);
    const std::vector<std::string> asked = {"Reset temperatures for existing zones?",
                                            "Reset temperatures for existing junctions?",
                                            "Reset temperatures for existing terminals?"};
    EXPECT_EQ(open.port.questions, asked);
    EXPECT_FLOAT_EQ(p.rc.T, 298.15f);
    EXPECT_FLOAT_EQ(p.zones.at(1)->T0, 298.15f);
    EXPECT_FLOAT_EQ(p.junctions.at(1)->T0, 290.0f);
    EXPECT_FLOAT_EQ(p.junctions.at(2)->T0, 298.15f);
    EXPECT_EQ(p.rc.ud, 1);
    EXPECT_EQ(p.rc.uf, 8);
    EXPECT_EQ(p.rc.uT, 2);

    // The same values again change nothing and ask nothing.
    EXPECT_TRUE(form.accept().accepted);
    EXPECT_EQ(open.port.questions.size(), 3u);

    ProjectConfigForm cold(p, open.grid);
    EXPECT_FALSE(cold.leave_temperature("0"));
    EXPECT_EQ(open.port.boxes.back().text.substr(0, 29), " Value must not be less than ");
}

TEST(ProjectConfigForm, ASizeTheMemoryCannotHoldIsRefused)
{
    testing::ScriptedPort port;
    Project project;
    Level l;
    Level* level = project.levels.add(l);
    project.lowest_level = project.top_level = level;
    level->icons = room();
    SketchGrid grid([](std::size_t bytes, std::string_view tag) {
        return tag == "Zones" && bytes > 58 * 66 * 4 ? TaggedBlock{} : tagged_alloc_or_null(bytes, tag);
    });
    ASSERT_TRUE(allocate_sketch_arrays(grid, 58, 66));
    goto_level(project, grid, *level);

    ProjectConfigForm form(project, grid);
    ASSERT_TRUE(form.leave_width("5000"));
    form.set_invert_y(true);
    const FormAnswer<ConfigField> answer = form.accept();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.focus, ConfigField::Width);
    EXPECT_EQ(answer.text,
              "Not enough memory for a SketchPad of 58 rows by 5000 columns; "
              "the size stays 58 rows by 66 columns.");
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.substr(0, answer.text.size() + 2), " " + answer.text + "\n");
    EXPECT_EQ(project.rc.cols, 66);
    EXPECT_EQ(project.rc.invYaxis, 0);
    EXPECT_EQ(grid.cols(), 66);
    EXPECT_EQ(grid.current().Zones(6, 8), 1);
}

}  // namespace
}  // namespace avelor
