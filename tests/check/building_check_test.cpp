#include "check/building_check.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_log.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Room 1 with flow path 1 on its east wall to the outdoors.
const Picture kOneRoom = {
    "............",  //
    ".#####......",  //
    ".#.1.#......",  //
    ".#...A......",  //
    ".#...#......",  //
    ".#####......",  //
    "............",  //
};
// The same room with an undefined zone icon.
const Picture kUndefinedRoom = {
    "............",  //
    ".#####......",  //
    ".#.u.#......",  //
    ".#...A......",  //
    ".#...#......",  //
    ".#####......",  //
    "............",  //
};
// Two zone icons in one room, and a phantom with no zone below it.
const Picture kTwoIcons = {
    "............",  //
    ".#####......",  //
    ".#.1.#......",  //
    ".#.2.A......",  //
    ".#...#......",  //
    ".#####......",  //
    "............",  //
};
const Picture kPhantomRoom = {
    "............",  //
    ".#####......",  //
    ".#.p.#......",  //
    ".#...A......",  //
    ".#...#......",  //
    ".#####......",  //
    "............",  //
};
// Room 1 and, to its east, a room without a zone icon.
const Picture kTwoRooms = {
    "............",  //
    ".#####.###..",  //
    ".#.1.#.#.#..",  //
    ".#...A.#.#..",  //
    ".#####.###..",  //
    "............",  //
    "............",  //
};
// A wall stub inside room 1 with flow path 2 on it.
const Picture kStub = {
    "..........",  //
    ".######...",  //
    ".#1...#...",  //
    ".##B#.#...",  //
    ".#....#...",  //
    ".######...",  //
    "..........",  //
};
// Room 1 beside a box the ambient icon makes part of the outdoors: path 2
// on the box's wall has the outdoors on both sides.
const Picture kOutdoorBox = {
    ".............",  //
    ".#####.#####.",  //
    ".#.1.#.#.a.#.",  //
    ".#...A.B...#.",  //
    ".#...#.#...#.",  //
    ".#####.#####.",  //
    ".............",  //
};
// Rooms 1 and 2 side by side: path 1 from the outdoors into room 1,
// path 2 between the rooms.
const Picture kLinked = {
    "............",  //
    ".#########..",  //
    ".#.1.#.2.#..",  //
    ".A...B...#..",  //
    ".#########..",  //
    "............",  //
};

void put_icon(EditFixture& f, int row, int col, std::uint8_t code, std::int32_t number)
{
    f.cells().Sketch(row, col) = code;
    f.cells().Paths(row, col) = number;
}

// Stores the current level and shows it again from its icon list.
void reload(EditFixture& f) { goto_level(f.project(), f.grid(), *f.project().current_level); }

int count_text(const ProblemList& list, const std::string& text)
{
    int n = 0;
    for (const Problem& p : list.in_order()) n += p.text == text;
    return n;
}

bool has_entry(const ProblemList& list, const Level* level, int row, int col, const std::string& text)
{
    const std::vector<Problem> all = list.in_order();
    return std::any_of(all.begin(), all.end(), [&](const Problem& p) {
        return p.level == level && p.row == row && p.col == col && p.text == text;
    });
}

// The texts of the boxes shown, without the leading blank and what follows
// the first line.
std::vector<std::string> box_texts(const testing::ScriptedPort& port)
{
    std::vector<std::string> texts;
    for (const auto& box : port.boxes) {
        std::string t = box.text.substr(box.text.empty() || box.text[0] != ' ' ? 0 : 1);
        texts.push_back(t.substr(0, t.find('\n')));
    }
    return texts;
}

bool shown(const testing::ScriptedPort& port, const std::string& text)
{
    const std::vector<std::string> texts = box_texts(port);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string dump(const ProblemList& list)
{
    std::string out;
    for (const Problem& p : list.in_order())
        out += (p.level ? p.level->name : "-") + " " + std::to_string(p.row) + "," + std::to_string(p.col) +
               ": " + p.text + "\n";
    return out;
}

TEST(ProblemList, NewestFirstNoDuplicatesTextCut)
{
    Level a, b;
    ProblemList list;
    EXPECT_TRUE(list.add(&a, 1, 2, "first"));
    EXPECT_TRUE(list.add(&a, 1, 2, "second"));
    EXPECT_FALSE(list.add(&a, 1, 2, "first"));
    EXPECT_TRUE(list.add(&b, 1, 2, "first"));
    EXPECT_TRUE(list.add(&a, 1, 3, "first"));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.at(0).col, 3);
    EXPECT_EQ(list.at(1).level, &b);
    EXPECT_EQ(list.at(3).text, "first");
    EXPECT_EQ(ProblemsWindowModel::rows(list), (std::vector<std::string>{"first", "first", "second", "first"}));

    list.add(&a, 5, 5, std::string(300, 'x'));
    EXPECT_EQ(list.at(0).text.size(), kProblemTextLimit);
    EXPECT_FALSE(list.add(&a, 5, 5, std::string(256, 'x')));  // the same once cut
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list.add(&a, 1, 2, "first"));
}

struct LevelCase {
    const char* name;
    const Picture* picture;
    std::function<void(EditFixture&)> tweak;
    std::string text;
    int row, col;
    int times = 1;  // entries with this text
};

TEST(CheckLevel, BrokenDrawingsGiveTheirEntries)
{
    const std::vector<LevelCase> cases = {
        {"unclaimed room", &kTwoRooms, {}, "Error: At least one zone is not defined on level: L1", 2, 8},
        {"undefined zone", &kUndefinedRoom, {}, "Error: Undefined zone.", 2, 3},
        {"undefined path", &kOneRoom, [](EditFixture& f) { f.cells().Paths(3, 5) = 0; },
         "Error: Undefined airflow path.", 3, 5},
        {"annotation", &kOneRoom, [](EditFixture& f) { put_icon(f, 2, 4, ICN_NOTE, 0); },
         "Error: Undefined annotation.", 2, 4},
        {"supply", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_SUPPLY, 0); },
         "Error: Undefined AHS supply.", 4, 3},
        {"return", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_RETURN, 0); },
         "Error: Undefined AHS return.", 4, 3},
        {"simple AHS", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_AHS, 0); },
         "Error: Undefined simple AHS.", 4, 3},
        {"occupant", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_EXPOSURE, 0); },
         "Error: Undefined occupant.", 4, 3},
        {"source", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_SOURCE, 0); },
         "Error: Undefined source/sink.", 4, 3},
        {"same zone both sides", &kStub, {},
         "Error: The same zone is on both sides of the wall that the path is on.", 3, 3},
        // The engine refuses such a path too: a wind pressure alone would
        // drive it.
        {"outdoors on both sides", &kOutdoorBox, {},
         "Error: The same zone is on both sides of the wall that a path is on.", 3, 7},
        {"vertical path on the lowest level", &kOneRoom, [](EditFixture& f) { put_icon(f, 4, 3, ICN_PATH, 1); },
         "Error: Vertical path is not above a sublevel.", 4, 3},
        {"ambient supply", &kOneRoom, [](EditFixture& f) { put_icon(f, 3, 8, ICN_SUPPLY, 1); },
         "Error: Supplies and Returns of simple AHS are not permitted in the ambient zone.", 3, 8},
        {"ambient source", &kOneRoom, [](EditFixture& f) { put_icon(f, 3, 8, ICN_SOURCE, 1); },
         "Error: Contaminant source not permitted in the ambient zone.", 3, 8},
        {"upward junction on the top level", &kOneRoom,
         [](EditFixture& f) {
             f.cells().Ducts(3, 3) = 159;
             f.cells().Paths(3, 3) = 1;
         },
         "Error: Junction cannot connect upward from highest level", 3, 3},
        {"undefined junction", &kOneRoom, [](EditFixture& f) { f.cells().Ducts(3, 3) = ICN_JUNCTION; },
         "Error: Undefined duct junction.", 3, 3},
        // Each seed that met the other zone is marked.
        {"two zones in one room", &kTwoIcons, {}, "Error: Zone definition error.", 3, 3, 2},
        {"phantom without a zone below", &kPhantomRoom, {}, "Error: Undefined phantom zone.", 2, 3},
        {"duct run without a segment", &kOneRoom,
         [](EditFixture& f) {
             f.cells().Ducts(4, 2) = ICN_JUNCTION;
             f.cells().Paths(4, 2) = 1;
             f.cells().Ducts(4, 3) = ICN_DUCT_HEAD_H;
         },
         "Error: Duct run has no duct segment.", 4, 3},
        {"undefined sensor", &kOneRoom, [](EditFixture& f) { f.cells().Links(3, 3) = 181; },
         "Error: Undefined control sensor.", 3, 3},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(*c.picture)});
        if (c.tweak) c.tweak(f);
        reload(f);
        ProblemList list;
        EXPECT_EQ(check_level(f.session, list, true), 1);
        EXPECT_TRUE(has_entry(list, f.levels[0], c.row, c.col, c.text)) << dump(list);
        EXPECT_EQ(count_text(list, c.text), c.times) << dump(list);
        // The same drawing checked again adds nothing.
        const std::size_t before = list.size();
        check_level(f.session, list, true);
        EXPECT_EQ(list.size(), before);
    }
}

TEST(CheckLevel, CleanLevelAndBoxesOutsideCheckMode)
{
    EditFixture f;
    f.build({Plan(kOneRoom)});
    ProblemList list;
    EXPECT_EQ(check_level(f.session, list, true), 0) << dump(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(check_current_level(f.session, list), 0);
    EXPECT_EQ(box_texts(f.port), std::vector<std::string>{"Level data is complete"});

    // Outside check mode the path and duct node tests speak in boxes.
    put_icon(f, 4, 3, ICN_PATH, 1);
    f.cells().Ducts(2, 3) = 159;
    f.cells().Paths(2, 3) = 1;
    f.cells().Ducts(2, 4) = ICN_DUCT_HEAD_H;
    reload(f);
    f.port.boxes.clear();
    EXPECT_EQ(check_current_level(f.session, list), 1);
    EXPECT_TRUE(shown(f.port, "Path is not above a sublevel"));
    EXPECT_TRUE(shown(f.port, "Junction cannot connect upward from highest level"));
    EXPECT_FALSE(shown(f.port, "Level data is complete"));
    EXPECT_EQ(count_text(list, "Error: Vertical path is not above a sublevel."), 0);
}

TEST(CheckJunctions, DownwardJunctionNeedsAnUpwardOneBelow)
{
    EditFixture f;
    f.build({Plan(kOneRoom), Plan(kOneRoom)});
    f.cells().Ducts(3, 3) = ICN_JUNCTION;  // a plain junction on the level below
    f.cells().Paths(3, 3) = 1;
    goto_level(f.project(), f.grid(), *f.levels[1]);
    f.cells().Ducts(3, 3) = 160;
    f.cells().Paths(3, 3) = 2;
    f.cells().Ducts(3, 4) = ICN_DUCT_HEAD_H;
    reload(f);
    ProblemList list;
    EXPECT_EQ(check_junction_connections(f.grid(), f.project(), 3, 3, &list), 1);
    EXPECT_TRUE(has_entry(list, f.levels[1], 3, 3, "Error: Junction requires an upward junction from the level below."))
        << dump(list);
    EXPECT_EQ(check_junction_connections(f.grid(), f.project(), 3, 3, nullptr), 1);
    EXPECT_TRUE(shown(f.port, "Icon requires an upward junction on the sublevel"));

    // With the upward junction below, the pair is accepted.
    goto_level(f.project(), f.grid(), *f.levels[0]);
    f.cells().Ducts(3, 3) = 159;
    f.cells().Ducts(3, 4) = ICN_DUCT_HEAD_H;
    goto_level(f.project(), f.grid(), *f.levels[1]);
    list.clear();
    EXPECT_EQ(check_junction_connections(f.grid(), f.project(), 3, 3, &list), 0) << dump(list);
}

class UnlinkedFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.build({Plan(kLinked)});
        Project& p = f.project();
        AirflowElement fan;
        fan.name = "fan";
        fan.type = kFanCmf;
        fan.data = element_data_for(kFanCmf);
        fan_element = p.elements.insert_copy(fan);
        AirflowElement orifice;
        orifice.name = "orifice";
        orifice.type = kPlrOrfc;
        orifice.data = element_data_for(kPlrOrfc);
        orifice_element = p.elements.insert_copy(orifice);
        p.paths.at(1)->dir = initial_path_dir(f.grid(), 3, 1);
        p.paths.at(2)->dir = initial_path_dir(f.grid(), 3, 5);
        p.paths.at(1)->element = fan_element;
        p.paths.at(2)->element = orifice_element;
        const char* tmp = std::getenv("TEST_TMPDIR");
        log_path = std::string(tmp ? tmp : ".") + "/building_check_log.txt";
        ASSERT_TRUE(run_log().open(log_path));
    }
    void TearDown() override { run_log().close(); }

    EditFixture f;
    AirflowElement* fan_element = nullptr;
    AirflowElement* orifice_element = nullptr;
    std::string log_path;
};

TEST_F(UnlinkedFixture, ConstantFlowFanLeavesTheBuildingUnlinked)
{
    ProblemList list;
    f.project().mark_changed();
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    const std::string zone_text = "Error: Zone not connected to ambient by variable flow link.";
    EXPECT_TRUE(has_entry(list, f.levels[0], 2, 3, zone_text)) << dump(list);
    EXPECT_TRUE(has_entry(list, f.levels[0], 2, 7, zone_text)) << dump(list);
    EXPECT_EQ(list.size(), 2u) << dump(list);
    run_log().flush();
    EXPECT_NE(testing::read_file(log_path).find("Error: Unlinked nodes:\n     zone:   1\n     zone:   2\n"),
              std::string::npos)
        << testing::read_file(log_path);
    // The renumbering moved the edits into the must-save flag.
    EXPECT_TRUE(f.session.document.must_save);
    EXPECT_FALSE(f.project().changed());

    // A second run lists the same entries once.
    const std::vector<Problem> first = list.in_order();
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    ASSERT_EQ(list.size(), first.size());

    // Renumbering alone checks nothing.
    EXPECT_EQ(check_building(f.session, list, kRenumberOnly), 0);
    EXPECT_TRUE(list.empty());

    // A pressure-dependent element links the building to the outdoors.
    f.project().paths.at(1)->element = orifice_element;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 0) << dump(list);
    EXPECT_TRUE(list.empty()) << dump(list);
}

TEST(CheckBuilding, EveryLevelCheckedAndCurrentLevelKept)
{
    EditFixture f;
    f.build({Plan(kTwoRooms), Plan(kUndefinedRoom)});
    goto_level(f.project(), f.grid(), *f.levels[1]);
    ProblemList list;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    EXPECT_EQ(count_text(list, "Error: At least one zone is not defined on level: L1"), 1) << dump(list);
    EXPECT_EQ(count_text(list, "Error: At least one zone is not defined on level: L2"), 1) << dump(list);
    EXPECT_TRUE(has_entry(list, f.levels[1], 2, 3, "Error: Undefined zone.")) << dump(list);
    EXPECT_EQ(f.project().current_level, f.levels[1]);
    EXPECT_EQ(f.grid().shown_level(kCurrentLevel), f.levels[1]);
    EXPECT_EQ(f.grid().shown_level(kLevelBelow), f.levels[0]);

    // Renumbering alone adds no entries however broken the drawing is.
    EXPECT_EQ(check_building(f.session, list, kRenumberOnly), 0);
    EXPECT_TRUE(list.empty()) << dump(list);
    EXPECT_EQ(f.project().current_level, f.levels[1]);
}

TEST(ProblemsWindow, ChoosingARowShowsItsCell)
{
    EditFixture f;
    f.build({Plan(kOneRoom), Plan(kTwoRooms)});
    ProblemList list;
    EXPECT_TRUE(ProblemsWindowModel::run_simulation_enabled(list));
    list.add(f.levels[1], 2, 8, "Error: At least one zone is not defined on level: L2");
    list.add(f.levels[0], 0, 3, "outside");
    EXPECT_FALSE(ProblemsWindowModel::run_simulation_enabled(list));

    EXPECT_TRUE(ProblemsWindowModel::show_row(f.session, list, 1));
    EXPECT_EQ(f.project().current_level, f.levels[1]);
    EXPECT_EQ(f.grid().cursor, (GridCell{2, 8}));
    EXPECT_EQ(f.grid().Scolors(2, 8), f.grid().colours.highlight);

    EXPECT_FALSE(ProblemsWindowModel::show_row(f.session, list, 0));
    EXPECT_TRUE(shown(f.port, "Bad Highlight Cell"));
    EXPECT_EQ(f.project().current_level, f.levels[1]);

    ProblemsWindowModel::clear_highlight(f.session);
    EXPECT_EQ(f.grid().Scolors(2, 8), f.grid().colours.background);
}

}  // namespace
}  // namespace avelor
