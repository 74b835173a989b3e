#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "check/building_check.h"
#include "editing/level_editing.h"
#include "forms/level_data_form.h"
#include "model/airflow_element.h"
#include "model/cell_codes.h"
#include "prjfile/project_file.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Two rooms (zones 1 and 2) joined by path 1 in their shared wall.
const Picture kGround = {
    "...............",  //
    ".#############.",  //
    ".#.....#.....#.",  //
    ".#.1...A..2..#.",  //
    ".#.....#.....#.",  //
    ".#############.",  //
    "...............",  //
};
// Above: the left room goes on as a phantom, the right one is room 3.
const Picture kFirst = {
    "...............",  //
    ".#############.",  //
    ".#.....#.....#.",  //
    ".#.p...#..3..#.",  //
    ".#.....#.....#.",  //
    ".#############.",  //
    "...............",  //
};
// Above that: nothing but a phantom over room 3 and one over the phantom.
const Picture kSecond = {
    "...............",  //
    ".#############.",  //
    ".#.....#.....#.",  //
    ".#.p...#..p..#.",  //
    ".#.....#.....#.",  //
    ".#############.",  //
    "...............",  //
};

// A picture on the smallest grid a project file holds (58 x 66).
Picture on_full_grid(Picture picture)
{
    for (std::string& row : picture) row.resize(66, '.');
    picture.resize(58, std::string(66, '.'));
    return picture;
}

constexpr GridCell kLeftRoom{3, 3};
constexpr GridCell kRightRoom{3, 10};

std::vector<std::string> names_bottom_up(const Project& p)
{
    std::vector<std::string> names;
    for (const Level* l = p.lowest_level; l; l = l->above) names.push_back(l->name);
    return names;
}

const IconEntry* icon_at(const Level& level, GridCell cell, int layer_code_min = 0, int layer_code_max = 255)
{
    for (const IconEntry& e : level.icons)
        if (e.row == cell.row && e.col == cell.col && e.code >= layer_code_min && e.code <= layer_code_max) return &e;
    return nullptr;
}

struct Building : EditFixture {
    Building()
    {
        build({Plan(on_full_grid(kGround)), Plan(on_full_grid(kFirst)), Plan(on_full_grid(kSecond))});
        renumber_levels(project());
        // Path 1, an orifice, leads from room 1 east into room 2.
        NewElementState made;
        AirflowElement orifice = new_airflow_element(kPlrOrfc, NewElementContext{}, made);
        orifice.name = "orf";
        project().paths.at(1)->element = project().elements.insert_copy(orifice);
        project().paths.at(1)->dir = kDirEast;
        relink_icons(project(), grid());
        store_current_level(project(), grid());
        project().mark_saved();
    }

    Level* level(const std::string& name)
    {
        for (Level& l : project().levels)
            if (l.name == name) return &l;
        return nullptr;
    }

    // Saves the project as the editor does and reads it back.
    void saves_and_reads_back()
    {
        ASSERT_EQ(check_building(session, kRenumberOnly), 0);
        const std::string path =
            (std::filesystem::temp_directory_path() / ("levels_" + std::to_string(::getpid()) + ".prj")).string();
        const bool saved = write_session_file(session, path);
        std::string said;
        for (const auto& box : port.boxes) said += box.text;
        ASSERT_TRUE(saved) << said;
        Project again;
        port.boxes.clear();
        EXPECT_EQ(read_project(path, again, ReadOptions{}), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
        EXPECT_EQ(again.levels.count(), project().levels.count());
        std::filesystem::remove(path);
    }
};

// Each level and its numbers, elevations and heights bottom up.
void expect_stack(const Project& p, const std::vector<std::pair<float, float>>& elevation_height)
{
    int n = 1;
    std::size_t i = 0;
    for (const Level* l = p.lowest_level; l; l = l->above, ++n, ++i) {
        ASSERT_LT(i, elevation_height.size());
        EXPECT_EQ(l->nr, n) << l->name;
        EXPECT_FLOAT_EQ(l->refHt, elevation_height[i].first) << l->name;
        EXPECT_FLOAT_EQ(l->delHt, elevation_height[i].second) << l->name;
    }
    EXPECT_EQ(i, elevation_height.size());
    EXPECT_EQ(p.levels.count(), static_cast<int>(elevation_height.size()));
}

TEST(LevelEditing, BlankLevelsGoAboveAndBelowWithDerivedElevations)
{
    Building b;
    Project& p = b.project();
    b.level("L3")->delHt = 4;
    goto_level(p, b.grid(), *b.level("L3"));
    insert_level_above(b.editor);
    EXPECT_EQ(p.current_level->name, "<4>");
    EXPECT_EQ(p.top_level, p.current_level);
    expect_stack(p, {{0, 3}, {3, 3}, {6, 4}, {10, 4}});

    goto_level(p, b.grid(), *b.level("L1"));
    insert_level_below(b.editor);
    EXPECT_EQ(p.current_level, p.lowest_level);
    EXPECT_EQ(p.current_level->name, "<5>");
    expect_stack(p, {{0, 3}, {3, 3}, {6, 3}, {9, 4}, {13, 4}});

    // Between two levels, with the current level's height.
    goto_level(p, b.grid(), *b.level("L3"));
    insert_level_below(b.editor);
    EXPECT_EQ(names_bottom_up(p), (std::vector<std::string>{"<5>", "L1", "L2", "<6>", "L3", "<4>"}));
    expect_stack(p, {{0, 3}, {3, 3}, {6, 3}, {9, 4}, {13, 4}, {17, 4}});
    EXPECT_TRUE(p.changed());
    b.saves_and_reads_back();
}

TEST(LevelEditing, NewNamesSkipNamesInUse)
{
    Building b;
    Project& p = b.project();
    b.level("L2")->name = "<4>";
    insert_level_above(b.editor);  // four levels: "<4>" is taken
    EXPECT_EQ(p.current_level->name, "<5>");
    EXPECT_TRUE(delete_current_level(b.editor, Asking::Silent));
    insert_level_above(b.editor);  // four again, "<4>" still taken
    EXPECT_EQ(p.current_level->name, "<5>");
}

TEST(LevelEditing, PasteMakesNewRecordsAndFindsPhantomsBelow)
{
    Building b;
    Project& p = b.project();
    const int zones = p.zones.count();
    const int paths = p.paths.count();
    copy_level(b.editor);  // L1: zones 1 and 2, path 1
    ASSERT_TRUE(can_paste_level(b.editor));
    goto_level(p, b.grid(), *b.level("L3"));
    ASSERT_TRUE(paste_level(b.editor, true));
    Level& pasted = *p.current_level;
    EXPECT_EQ(pasted.nr, 4);
    EXPECT_FLOAT_EQ(pasted.refHt, 9);
    EXPECT_EQ(p.zones.count(), zones + 2);
    EXPECT_EQ(p.paths.count(), paths + 1);
    const IconEntry* left = icon_at(pasted, kLeftRoom, ICN_ZONE, ICN_ZONE);
    ASSERT_NE(left, nullptr);
    EXPECT_GT(left->nr, zones);
    EXPECT_EQ(p.zones.at(left->nr)->level, &pasted);
    const FlowPath* path = p.paths.at(paths + 1);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->level, &pasted);
    EXPECT_EQ(path->zone_n.zone(), p.zones.at(left->nr));
    EXPECT_EQ(p.paths.at(1)->zone_n.zone(), p.zones.at(1));
    // A copied level can be pasted again.
    EXPECT_TRUE(can_paste_level(b.editor));

    // L2 pasted between L2 and L3 has its phantom over L2's phantom of
    // room 1, and stands for zone 1; pasted under the lowest level it is
    // over no zone and stands for an undefined one.
    goto_level(p, b.grid(), *b.level("L2"));
    copy_level(b.editor);
    goto_level(p, b.grid(), *b.level("L3"));
    ASSERT_TRUE(paste_level(b.editor, false));
    const IconEntry* phantom = icon_at(*p.current_level, kLeftRoom, ICN_PHANTOM, ICN_PHANTOM);
    ASSERT_NE(phantom, nullptr);
    EXPECT_EQ(phantom->nr, 1);
    goto_level(p, b.grid(), *b.level("L1"));
    ASSERT_TRUE(paste_level(b.editor, false));
    EXPECT_EQ(p.current_level, p.lowest_level);
    phantom = icon_at(*p.current_level, kLeftRoom, ICN_PHANTOM, ICN_PHANTOM);
    ASSERT_NE(phantom, nullptr);
    EXPECT_EQ(phantom->nr, ZONE_UNDEFINED);
    EXPECT_TRUE(b.port.boxes.empty());
    b.saves_and_reads_back();
}

TEST(LevelEditing, PasteLeavesOutLinksSystemsAndOccupants)
{
    EditFixture f;
    const Picture links = {
        "...............",  //
        "...............",  //
        "...............",  //
        "...............",  //
        "...Nos.........",  //
        "...............",  //
        "...............",  //
    };
    f.build({Plan(kGround, {}, links)});
    Project& p = f.project();
    SimpleAhs* system = create_simple_ahs(p, "ahs", "");
    ASSERT_NE(system, nullptr);
    f.cells().Sketch(2, 10) = ICN_AHS;
    f.cells().Paths(2, 10) = 1;
    const std::int32_t occupant = p.exposures.add(new_exposure(p))->nr;
    f.cells().Sketch(4, 10) = ICN_EXPOSURE;
    f.cells().Paths(4, 10) = occupant;
    store_current_level(p, f.grid());
    copy_level(f.editor);
    ASSERT_TRUE(paste_level(f.editor, true));
    for (const IconEntry& e : p.current_level->icons) {
        EXPECT_NE(layer_of_code(e.code), CellLayer::Link) << int{e.code};
        EXPECT_NE(e.code, ICN_AHS);
        EXPECT_FALSE(has_flag(e.code, CC_EXPOSURE_ICON));
    }
    EXPECT_EQ(p.exposures.count(), 1);
}

TEST(LevelEditing, DeletingALevelAsksAboutThePhantomsAboveAndUndefinesThem)
{
    Building b;
    Project& p = b.project();
    // L1's left room reaches L2 as a phantom (and L3 over it).
    const std::int32_t left_zone = b.cells().Zones(kLeftRoom.row, kLeftRoom.col);
    ASSERT_GT(left_zone, 0);
    b.port.answers.push_back(Answer::No);  // nothing changes
    EXPECT_FALSE(delete_current_level(b.editor, Asking::Interactive));
    ASSERT_EQ(b.port.questions.size(), std::size_t{1});
    EXPECT_EQ(b.port.questions[0], "Delete this level and convert \nthe 1 phantom zone(s) above \nit to undefined zone(s)?");
    EXPECT_EQ(p.levels.count(), 3);
    EXPECT_NE(p.zones.at(left_zone), nullptr);

    b.port.answers.push_back(Answer::Yes);
    EXPECT_TRUE(delete_current_level(b.editor, Asking::Interactive));
    EXPECT_EQ(names_bottom_up(p), (std::vector<std::string>{"L2", "L3"}));
    expect_stack(p, {{3, 3}, {6, 3}});  // the lowest keeps its elevation
    EXPECT_EQ(p.current_level, b.level("L2"));
    EXPECT_EQ(p.zones.at(left_zone), nullptr);
    EXPECT_EQ(p.paths.at(1), nullptr);
    const IconEntry* was_phantom = icon_at(*b.level("L2"), kLeftRoom, ICN_ZONE, ICN_PHANTOM);
    ASSERT_NE(was_phantom, nullptr);
    EXPECT_EQ(was_phantom->code, ICN_ZONE);
    EXPECT_EQ(was_phantom->nr, ZONE_UNDEFINED);
    EXPECT_EQ(b.cells().Sketch(kLeftRoom.row, kLeftRoom.col), ICN_ZONE);

    // A level no phantom depends on is asked about by name.
    goto_level(p, b.grid(), *b.level("L3"));
    b.port.answers.push_back(Answer::Yes);
    EXPECT_TRUE(delete_current_level(b.editor, Asking::Interactive));
    EXPECT_EQ(b.port.questions.back(), "Delete current level 'L3'?");
    EXPECT_EQ(p.current_level, b.level("L2"));
    b.saves_and_reads_back();

    // The last level gives way to a blank one.
    EXPECT_TRUE(delete_current_level(b.editor, Asking::Silent));
    EXPECT_EQ(names_bottom_up(p), (std::vector<std::string>{"<1>"}));
    expect_stack(p, {{0, 3}});
    EXPECT_EQ(p.zones.count() == 0 || p.zones.head() == nullptr, true);
}

TEST(LevelEditing, DeletingALevelDropsTheDuctSegmentsThatReachItFromAbove)
{
    Building b;
    Project& p = b.project();
    // A node on L1 and one on L2 above it joined by L2's downward segment.
    Junction lower;
    lower.icon = 159;
    Junction* low = add_junction(p, lower);
    b.cells().Ducts(4, 4) = 159;
    b.cells().Paths(4, 4) = low->nr;
    store_current_level(p, b.grid());
    Junction upper;
    upper.icon = 160;
    Junction* up = add_junction(p, upper);
    up->level = b.level("L2");
    DuctSegment down;
    down.junction_n = low;
    down.junction_m = up;
    up->duct = p.ducts.add(down);
    b.level("L2")->icons.push_back({4, 4, 160, up->nr});

    ASSERT_TRUE(delete_current_level(b.editor, Asking::Silent));
    EXPECT_EQ(p.junctions.at(low->nr), nullptr);
    EXPECT_EQ(up->duct, nullptr);
    EXPECT_EQ(p.ducts.head(), nullptr);
}

TEST(LevelDataForm, ListsLevelsTopFirstAndRefusesADuplicateName)
{
    Building b;
    Project& p = b.project();
    LevelDataForm form(p);
    EXPECT_EQ(form.rows(), (std::vector<std::string>{"  3              L3       6.0      3.00",
                                                     "  2              L2       3.0      3.00",
                                                     "  1              L1       0.0      3.00"}));
    EXPECT_EQ(form.selected(), 2);  // the current level, L1
    EXPECT_TRUE(form.elevation_editable());
    form.select(0);
    EXPECT_FALSE(form.elevation_editable());
    EXPECT_FALSE(form.set_name("L1"));
    EXPECT_EQ(form.name(), "L3");
    ASSERT_EQ(b.port.boxes.size(), std::size_t{1});
    EXPECT_NE(b.port.boxes[0].text.find("Level name may not match another level name"), std::string::npos);
    EXPECT_TRUE(form.set_name("Roof"));
    EXPECT_FALSE(form.set_height(0.05f));
    EXPECT_TRUE(form.replace());
    EXPECT_EQ(b.level("Roof"), p.top_level);
}

TEST(LevelDataForm, ANewHeightScalesTheLevelsZonesWhenAskedAndDerivesElevations)
{
    Building b;
    Project& p = b.project();
    goto_level(p, b.grid(), *b.level("L2"));
    const std::int32_t zone = b.cells().Zones(kRightRoom.row, kRightRoom.col);
    ASSERT_GT(zone, 0);
    p.zones.at(zone)->Vol = 50;
    p.zones.at(1)->Vol = 40;  // a zone of L1, whose phantom is on L2
    LevelDataForm form(p);
    form.select(1);
    ASSERT_EQ(form.selected_level(), b.level("L2"));
    EXPECT_TRUE(form.set_height(6));
    b.port.answers.push_back(Answer::Yes);
    EXPECT_TRUE(form.replace());
    ASSERT_FALSE(b.port.questions.empty());
    EXPECT_EQ(b.port.questions[0], "Adjust zone volumes on level L2 based on new level height of 6 m?");
    EXPECT_FLOAT_EQ(p.zones.at(zone)->Vol, 100);
    EXPECT_FLOAT_EQ(p.zones.at(1)->Vol, 40);
    ASSERT_FALSE(b.port.boxes.empty());
    EXPECT_NE(b.port.boxes.back().text.find("Volumes not adjusted of 1 phantom zones found on this level."),
              std::string::npos);
    EXPECT_FLOAT_EQ(b.level("L3")->refHt, 9);

    // The lowest level's elevation moves the whole stack.
    form.select(2);
    EXPECT_TRUE(form.set_elevation(-1.5f));
    EXPECT_TRUE(form.replace());
    EXPECT_FLOAT_EQ(b.level("L2")->refHt, 1.5f);
    EXPECT_FLOAT_EQ(b.level("L3")->refHt, 7.5f);
    EXPECT_TRUE(p.changed());
}

}  // namespace
}  // namespace avelor
