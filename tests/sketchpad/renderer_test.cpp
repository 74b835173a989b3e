#include "sketchpad/renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <string>

#include "editing/editor_session.h"
#include "model/project.h"
#include "sketch_drawing.h"
#include "sketchpad/glyphs.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "support/png_io.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::draw_plan;
using testing::Plan;

std::uint32_t role_pixel(std::uint8_t index) { return pixel_of(sketch_colour_table()[index]); }

// The colours found inside one cell of an image.
std::set<std::uint32_t> cell_colours(const PixelImage& image, int row, int col, int s)
{
    std::set<std::uint32_t> found;
    for (int y = row * s; y < row * s + s; ++y)
        for (int x = col * s; x < col * s + s; ++x) found.insert(image.at(x, y));
    return found;
}

class RenderFixture : public ::testing::Test {
protected:
    // A walled room with a defined zone 1, a path on its wall, an undefined
    // zone in a second room and an empty corner.
    void SetUp() override
    {
        draw_plan(grid, Plan({"............",
                              ".#####.###..",
                              ".#...#.#.#..",
                              ".#.1.A.#u#..",
                              ".#...#.###..",
                              ".#####......",
                              "............"}));
        Zone z = new_zone(project);
        z.name = "Room";
        project.zones.add(z);
        FlowPath p;
        project.paths.add(p);
        prepare_zone_cells(grid, kCurrentLevel);
        fill_zones(grid, kCurrentLevel, false);
    }
    PixelImage render(int size)
    {
        settings.cell_size = size;
        PixelImage image;
        EXPECT_TRUE(image.resize(grid.cols() * size, grid.rows() * size));
        render_cells(grid, &project, settings, 0, 0, image);
        return image;
    }

    testing::ScriptedPort port;
    SketchGrid grid;
    Project project;
    RenderSettings settings;
    const SketchPalette pal;
};

TEST_F(RenderFixture, ItemsTakeTheColourOfTheirState)
{
    const int s = 8;
    PixelImage image = render(s);
    const std::uint32_t bg = role_pixel(pal.background), fg = role_pixel(pal.foreground);
    EXPECT_EQ(cell_colours(image, 0, 11, s), (std::set<std::uint32_t>{bg}));
    // A wall corner carries no number and is as defined as a straight wall.
    EXPECT_EQ(cell_colours(image, 1, 1, s), (std::set<std::uint32_t>{bg, fg}));
    EXPECT_EQ(cell_colours(image, 1, 2, s), (std::set<std::uint32_t>{bg, fg}));
    EXPECT_EQ(cell_colours(image, 3, 3, s), (std::set<std::uint32_t>{bg, fg}));
    EXPECT_EQ(cell_colours(image, 3, 5, s), (std::set<std::uint32_t>{bg, fg}));
    EXPECT_EQ(cell_colours(image, 3, 8, s), (std::set<std::uint32_t>{bg, role_pixel(pal.undefined)}));
    // The ambient marker and its label in the border row.
    EXPECT_EQ(cell_colours(image, 0, 0, s), (std::set<std::uint32_t>{bg, fg}));
    EXPECT_EQ(cell_colours(image, 0, 1, s), (std::set<std::uint32_t>{bg, fg}));

    // A zone with a values file shows the highlight while CVF/DVF is on.
    project.zones.at(1)->cdvf.kind = 1;
    settings.flags.highlight_values_file = true;
    image = render(s);
    EXPECT_EQ(cell_colours(image, 3, 3, s), (std::set<std::uint32_t>{bg, role_pixel(pal.highlight)}));
    EXPECT_EQ(cell_colours(image, 3, 5, s), (std::set<std::uint32_t>{bg, fg}));
}

TEST_F(RenderFixture, ZoneColouringAndOverlays)
{
    const int s = 4;
    project.zones.at(1)->clr = 17;
    settings.flags.colour_zones = true;
    grid.Scolors(2, 8) = grid.colours.errors;
    grid.Sselect(4, 10) = 1;
    PixelImage image = render(s);
    EXPECT_EQ(cell_colours(image, 2, 2, s), (std::set<std::uint32_t>{role_pixel(17)}));
    EXPECT_EQ(cell_colours(image, 2, 8, s), (std::set<std::uint32_t>{role_pixel(pal.errors)}));
    EXPECT_EQ(cell_colours(image, 4, 10, s), (std::set<std::uint32_t>{role_pixel(pal.selection)}));
    // Cells of the undefined zone keep the background.
    EXPECT_EQ(cell_colours(image, 2, 11, s), (std::set<std::uint32_t>{role_pixel(pal.background)}));
}

TEST_F(RenderFixture, SizeOneIsOnePixelPerCell)
{
    PixelImage image = render(1);
    EXPECT_EQ(image.at(0, 6), role_pixel(pal.background));
    EXPECT_EQ(image.at(1, 1), role_pixel(pal.foreground));
    EXPECT_EQ(image.at(8, 3), role_pixel(pal.undefined));
    PixelImage nav;
    render_navigator(grid, &project, settings, nav);
    EXPECT_EQ(nav.width, grid.cols());
    EXPECT_EQ(nav.height, grid.rows());
    EXPECT_EQ(nav.pixels, image.pixels);
}

TEST_F(RenderFixture, AnyRectangleMatchesTheWholePicture)
{
    const int s = 5;
    settings.show_cursor = true;
    settings.cursor = {3, 3};
    PixelImage whole = render(s);
    PixelImage part;
    ASSERT_TRUE(part.resize(4 * s + 2, 3 * s + 3));  // partly shown cells at the edges
    render_cells(grid, &project, settings, 2, 3, part);
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            ASSERT_EQ(part.at(x, y), whole.at(x + 3 * s, y + 2 * s)) << x << "," << y;
}

TEST_F(RenderFixture, CursorInvertsItsCell)
{
    const int s = 8;
    PixelImage plain = render(s);
    settings.show_cursor = true;
    settings.cursor = {3, 3};
    PixelImage with_cursor = render(s);
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x) {
            const bool inside = x / s == 3 && y / s == 3;
            ASSERT_EQ(with_cursor.at(x, y), inside ? plain.at(x, y) ^ 0x00FFFFFFu : plain.at(x, y));
        }
}

TEST(Render, LevelBelowShowsInTheSubLevelColour)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, Plan({"......", ".###..", ".#.#..", ".###..", "......"}), kLevelBelow);
    RenderSettings settings;
    settings.cell_size = 4;
    PixelImage image;
    ASSERT_TRUE(image.resize(grid.cols() * 4, grid.rows() * 4));
    render_cells(grid, nullptr, settings, 0, 0, image);
    EXPECT_EQ(cell_colours(image, 1, 1, 4), (std::set<std::uint32_t>{role_pixel(39)}));
    settings.flags.reveal_below = true;
    render_cells(grid, nullptr, settings, 0, 0, image);
    EXPECT_EQ(cell_colours(image, 1, 1, 4), (std::set<std::uint32_t>{role_pixel(39), role_pixel(37)}));
}

TEST(Render, CrossingDuctsShowBothColours)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, Plan({".......", ".......", ".......", ".......", ".......", ".......", "......."},
                         {".......", "...v...", "...o...", ".<ooo>.", "...o...", "...^...", "......."}));
    Project project;
    for (int i = 0; i < 4; ++i) project.ducts.add(DuctSegment{});
    project.ducts.at(2)->clr = 2;   // the east-west duct
    project.ducts.at(1)->clr = 26;  // the north-south duct
    LevelCells& l = grid.current();
    // Every piece carries the number of its run, as the run expansion leaves it.
    for (int c = 1; c <= 5; ++c) l.Paths(3, c) = 2;
    for (int r = 1; r <= 5; ++r)
        if (r != 3) l.Paths(r, 3) = 1;
    ASSERT_EQ(l.Ducts(3, 3), ICN_DUCT_CROSS);
    RenderSettings settings;
    settings.cell_size = 8;
    settings.flags.colour_ducts = true;
    PixelImage image;
    ASSERT_TRUE(image.resize(grid.cols() * 8, grid.rows() * 8));
    render_cells(grid, &project, settings, 0, 0, image);
    EXPECT_EQ(cell_colours(image, 3, 3, 8), (std::set<std::uint32_t>{role_pixel(39), role_pixel(2), role_pixel(26)}));
    // An unnumbered piece is undefined.
    l.Paths(3, 4) = 0;
    render_cells(grid, &project, settings, 0, 0, image);
    EXPECT_EQ(cell_colours(image, 3, 4, 8), (std::set<std::uint32_t>{role_pixel(39), role_pixel(1)}));
}

TEST(Render, ResultsLines)
{
    EXPECT_EQ(result_pen_width(1), 1);
    EXPECT_EQ(result_pen_width(8), 2);
    EXPECT_EQ(result_pen_width(16), 4);
    EXPECT_DOUBLE_EQ(result_line_length(8, -2.0f, 81.0f), 2.0);
    // A scale that is not positive draws nothing instead of dividing by it.
    EXPECT_LT(result_line_length(8, 1.0f, 0.0f), 0);
    EXPECT_LT(result_line_length(8, 1.0f, -3.0f), 0);

    testing::ScriptedPort port;
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 21, 21));
    ResultsOverlay results;
    // Flow 2 at scale 40.5 and cell size 4: a line of 2 pixels... times 4.
    results.marks.push_back({10, 10, 2, 8.0f, -8.0f});
    results.flow_scale = 40.5f;
    results.pressure_scale = 40.5f;
    results.lines = ResultLines::Both;
    RenderSettings settings;
    settings.cell_size = 4;
    settings.results = &results;
    PixelImage image;
    ASSERT_TRUE(image.resize(grid.cols() * 4, grid.rows() * 4));
    render_cells(grid, nullptr, settings, 0, 0, image);
    const SketchPalette pal;
    const int cx = 10 * 4 + 2, cy = 10 * 4 + 2;
    // Flow east, 8 pixels long; the negative pressure goes the other way.
    EXPECT_EQ(image.at(cx + 8, cy), role_pixel(pal.flow_results));
    EXPECT_EQ(image.at(cx + 10, cy), role_pixel(pal.background));
    EXPECT_EQ(image.at(cx - 8, cy), role_pixel(pal.pressure_results));
    EXPECT_EQ(image.at(cx - 10, cy), role_pixel(pal.background));

    results.lines = ResultLines::FlowOnly;
    results.flow_scale = 0;
    render_cells(grid, nullptr, settings, 0, 0, image);
    EXPECT_EQ(image.at(cx + 8, cy), role_pixel(pal.background));
    EXPECT_EQ(image.at(cx - 8, cy), role_pixel(pal.background));
}

TEST(Render, OnlyCellSizesAreDrawn)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 58, 66));
    RenderSettings settings;
    settings.cell_size = 6;
    PixelImage image;
    ASSERT_TRUE(image.resize(10, 10));
    EXPECT_THROW(render_cells(grid, nullptr, settings, 0, 0, image), FatalStop);
}

// Every example, as a person sees it, at three cell sizes. Set
// AVELOR_UPDATE_REFERENCES=1 to write the pictures anew after a deliberate
// change of the drawing, and look at them before committing.
class ReferenceImages : public ::testing::TestWithParam<std::tuple<const char*, int>> {};

TEST_P(ReferenceImages, MatchTheRenderer)
{
    const auto [name, size] = GetParam();
    testing::ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, std::string(AVELOR_SOURCE_DIR) + "/examples/" + name + ".prj"));
    ASSERT_TRUE(session.view.set_cell_size(size, session.grid));
    PixelImage image;
    ASSERT_TRUE(render_level(session.grid, &session.project(),
                             render_settings(session.view, session.project(), session.grid), image));
    const std::string reference =
        std::string(AVELOR_TEST_DATA) + "/render/" + name + "_" + std::to_string(size) + ".png";
    const char* update = std::getenv("AVELOR_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(testing::write_png_reference(reference, image));
    }
    PixelImage expected;
    ASSERT_TRUE(testing::read_png(reference, expected)) << reference;
    ASSERT_EQ(expected.width, image.width);
    ASSERT_EQ(expected.height, image.height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) differing += image.pixels[i] != expected.pixels[i];
    EXPECT_EQ(differing, 0u) << reference;
    EXPECT_TRUE(port.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Examples, ReferenceImages,
                         ::testing::Combine(::testing::Values("two_rooms", "office"), ::testing::Values(4, 8, 16)));

}  // namespace
}  // namespace avelor
