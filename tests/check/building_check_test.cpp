#include "check/building_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_log.h"
#include "model/duct_element.h"
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

AirflowElement* add_orifice(Project& p)
{
    AirflowElement orifice;
    orifice.name = "orifice";
    orifice.type = kPlrOrfc;
    orifice.data = element_data_for(kPlrOrfc);
    return p.elements.insert_copy(orifice);
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
        orifice_element = add_orifice(p);
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

// A duct from a terminal in room 2 to a terminal outdoors. A friction duct
// links room 2 to the outdoors; a forced-flow duct does not, like a fan.
// The check also turns each terminal to face the flow from its duct.
TEST_F(UnlinkedFixture, DuctSegmentsLinkUnlessAFanDrivesThem)
{
    Project& p = f.project();
    DuctElement* friction = p.duct_elements.insert_copy([] {
        DuctElement e = new_duct_element(kDctDwc, {});
        e.name = "friction";
        return e;
    }());
    DuctElement* forced = p.duct_elements.insert_copy([] {
        DuctElement e = new_duct_element(kDctCmf, {});
        e.name = "forced";
        return e;
    }());
    std::int32_t ends[2];
    for (int i = 0; i < 2; ++i) {
        Junction j;
        j.t = kJunctionTerminal;
        j.level = p.current_level;
        ends[i] = add_junction(p, j)->nr;
    }
    DuctSegment d;
    d.dir = 2;
    d.len = 3;
    d.element = friction;
    DuctSegment* duct = p.ducts.add(d);
    f.cells().Ducts(2, 8) = ICN_TERMINAL;
    f.cells().Paths(2, 8) = ends[0];
    f.cells().Ducts(2, 9) = ICN_SEGMENT_E;
    f.cells().Paths(2, 9) = duct->nr;
    f.cells().Ducts(2, 10) = ICN_TERMINAL;
    f.cells().Paths(2, 10) = ends[1];
    p.paths.at(1)->element = fan_element;  // room 1 reaches out only through room 2

    ProblemList list;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 0) << dump(list);
    EXPECT_EQ(p.junctions.at(1)->terminal.direction(), 5);  // its duct leaves eastward
    EXPECT_EQ(p.junctions.at(2)->terminal.direction(), 2);

    p.ducts.at(1)->element = forced;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    EXPECT_TRUE(has_entry(list, f.levels[0], 2, 3, "Error: Zone not connected to ambient by variable flow link."))
        << dump(list);
    EXPECT_TRUE(has_entry(list, f.levels[0], 2, 7, "Error: Zone not connected to ambient by variable flow link."))
        << dump(list);
}

// Rooms 1 and 2 linked to the outdoors through orifices, room 1 a 1D zone
// whose 4 m axis runs east along y = 0 at elevation 0, for the checks of
// one-dimensional zones (short time step, 1D zone model on).
struct OneDCase {
    const char* name;
    std::function<void(EditFixture&)> change;
    int result;
    std::vector<std::string> entries;
};

TEST(CheckBuilding, OneDimensionalZones)
{
    const std::string past = " location not within extent of 1D zone axis.";
    auto move_path = [](int nr, float x) { return [nr, x](EditFixture& f) { f.project().paths.at(nr)->X = x; }; };
    auto axis = [](std::size_t i, float v) {
        return [i, v](EditFixture& f) { f.project().zones.at(1)->axis[i] = v; };
    };
    // A source/sink in room 1 whose box runs from x0 to x1.
    auto source = [](float x0, float x1) {
        return [x0, x1](EditFixture& f) {
            SourceSink s;
            s.box_min = {x0, 0, 0};
            s.box_max = {x1, 0, 0};
            put_icon(f, 3, 3, ICN_SOURCE, f.project().sources.add(s)->nr);
        };
    };
    const OneDCase cases[] = {
        {"sound axis, paths at both ends", [](EditFixture&) {}, 0, {}},
        {"a path within the tolerance past the end", move_path(2, 4.004f), 0, {}},
        {"axis of 5 mm", axis(3, 0.005f), 1,
         {"Error: Zone  1 1D axis length ( 0.005  m) must be greater than 0.01 m."}},
        {"axis of half a metre",
         [](EditFixture& f) {
             f.project().zones.at(1)->axis[3] = 0.5f;
             f.project().paths.at(2)->X = 0.5f;
         },
         0, {"Warning; Zone  1 1D axis length ( 0.5  m) is less than 1.0 m."}},
        {"cells of 5 mm", axis(6, 0.005f), 0, {"Warning: Zone  1 1D cell length (0.005  m) is less than 0.01 m."}},
        {"negative dispersion", axis(7, -0.1f), 1, {"Error: Zone 1 axial diffusion coef. must be greater than 0.0."}},
        {"path past the end", move_path(2, 4.01f), 1, {"Error: Path 2" + past}},
        {"path before the start", move_path(1, -0.01f), 1, {"Error: Path 1" + past}},
        {"source with its box reaching past the end", source(1, 5), 1,
         {"Error: Source 1 Max point not located within extent of 1D zone axis."}},
        {"source starting before the axis", source(-1, 2), 1,
         {"Error: Source 1 Min point not located within extent of 1D zone axis."}},
        // A terminal with no duct, which the level check tells of too.
        {"terminal beside the axis end",
         [](EditFixture& f) {
             Junction j;
             j.t = 1;
             j.X = 9;
             j.level = f.project().current_level;
             f.cells().Ducts(3, 3) = ICN_TERMINAL;
             f.cells().Paths(3, 3) = add_junction(f.project(), j)->nr;
         },
         1, {"Error: Terminal 1" + past, "Error: Terminal must connect to one horizontal duct."}},
        {"an occupant placed past the axis end",
         [](EditFixture& f) {
             OccupancySchedule o = new_occupancy_schedule(0);
             o.name = "visitor";
             insert_occupancy_point(o.points, {10 * 3600, f.project().zones.at(1), 2, 0, 0});
             insert_occupancy_point(o.points, {11 * 3600, f.project().zones.at(1), 4.5f, 0, 0});
             f.project().occupancy_schedules.insert_copy(o);
         },
         1,
         {"Error: Occupancy Schedule: visitor at time 11:00:00 Level: L1 Zone: Z1 \n Location not within extent "
          "of 1D zone axis."}},
        {"only the first error is told", [&](EditFixture& f) { move_path(1, 9)(f), move_path(2, 9)(f); }, 1,
         {"Error: Path 1" + past}},
        {"a zone no longer 1D keeps its axis unchecked",
         [](EditFixture& f) {
             f.project().zones.at(1)->axs = -1;
             f.project().zones.at(1)->axis[3] = 0;
         },
         0, {}},
        {"1D zone model off", [&](EditFixture& f) { f.project().rc.sim_1dz = 0, axis(3, 0)(f); }, 0, {}},
        {"not the short time step", [&](EditFixture& f) { f.project().rc.mf_solver = 0, axis(3, 0)(f); }, 0, {}},
    };
    for (const OneDCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(kLinked)});
        Project& p = f.project();
        AirflowElement orifice;
        orifice.name = "orifice";
        orifice.type = kPlrOrfc;
        orifice.data = element_data_for(kPlrOrfc);
        AirflowElement* element = p.elements.insert_copy(orifice);
        for (int nr : {1, 2}) p.paths.at(nr)->element = element;
        p.paths.at(1)->dir = initial_path_dir(f.grid(), 3, 1);
        p.paths.at(2)->dir = initial_path_dir(f.grid(), 3, 5);
        p.paths.at(2)->X = 4;
        p.rc.mf_solver = 1;
        p.rc.sim_1dz = 1;
        Zone& zone = *p.zones.at(1);
        zone.axs = 1;
        zone.axis = {0, 0, 0, 4, 0, 0, 0.1f, 0.1f};
        c.change(f);
        ProblemList list;
        EXPECT_EQ(check_building(f.session, list, kCheckBuilding), c.result) << dump(list);
        std::vector<std::string> texts;
        for (const Problem& problem : list.in_order()) texts.push_back(problem.text);
        std::vector<std::string> expected = c.entries;
        std::sort(texts.begin(), texts.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(texts, expected) << dump(list);
    }
}

// Coupled CFD from level 2 on: every interface path takes its boundary
// condition from its element, or an entry says why it cannot be one.
TEST(CheckBuilding, CfdInterfacePathsTakeTheirBoundaryConditionFromTheElement)
{
    struct Case {
        int type;
        std::int16_t before;
        std::int16_t after;
        const char* entry;  // "" for none
    };
    const Case cases[] = {
        {kPlrOrfc, kCfdBoundaryMassFlow, kCfdBoundaryPressure, ""},
        {kPlrBdf, kCfdBoundaryMassFlow, kCfdBoundaryPressure, ""},
        {kFanCmf, kCfdBoundaryPressure, kCfdBoundaryMassFlow, ""},
        {kFanCvf, kCfdBoundaryPressure, kCfdBoundaryMassFlow, ""},
        {kSrvRgv, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow, ""},
        {kSrvRgv, kCfdBoundaryPressure, kCfdBoundaryPressure, ""},
        {kQfrTest2, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow,
         "Error: Quadratic Model airflow elements cannot be used for CFD interface paths."},
        {kDorPl2, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow,
         "Error: Two way airflow elements cannot be used for CFD interface paths."},
        {kFanFan, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow,
         "Error: Performance Curve fans cannot be used for CFD interface paths."},
        {kCsfPsq, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow,
         "Error: Cubic Spline airflow elements cannot be used for CFD interface paths."},
        {kSupAfe, kCfdBoundaryMassFlow, kCfdBoundaryMassFlow,
         "Error: Super airflow elements cannot be used for CFD interface paths."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(element_keyword(c.type)) + " from " + std::to_string(c.before));
        EditFixture f;
        f.build({Plan(kLinked)});
        Project& p = f.project();
        p.rc.cfd = 2;
        AirflowElement element;
        element.name = "e";
        element.type = static_cast<std::int16_t>(c.type);
        element.data = element_data_for(c.type);
        AirflowElement* e = p.elements.insert_copy(element);
        p.zones.at(1)->flags |= kZoneCfd;
        p.zones.at(1)->cfd_name = "room";
        // Path 2 joins the CFD room to room 2 through the element; path 1
        // is an interface path too, through a plain orifice.
        p.paths.at(1)->element = add_orifice(p);
        p.paths.at(1)->cfd_name = "inlet";
        p.paths.at(1)->cfd_values[0] = kCfdBoundaryPressure;
        p.paths.at(2)->element = e;
        p.paths.at(2)->cfd_name = "door";
        p.paths.at(2)->cfd_values[0] = c.before;
        p.mark_saved();
        ProblemList list;
        check_building(f.session, list, kCheckBuilding);
        EXPECT_EQ(p.paths.at(2)->cfd_values[0], c.after);
        EXPECT_EQ(p.paths.at(1)->cfd_values[0], kCfdBoundaryPressure);
        EXPECT_EQ(p.changed(), c.before != c.after) << "a boundary condition set is a change";
        const std::string entry = c.entry;
        EXPECT_EQ(count_text(list, entry), entry.empty() ? 0 : 1) << dump(list);
    }
}

// With a WPC file in use the check writes the path location file beside the
// project and finds the envelope openings in the WPC file: at 0,0, missing
// from it, or with the file ill-formed, each with its entry or message.
TEST(CheckBuilding, WpcFileMustHoldEveryEnvelopeOpening)
{
    const std::string dir = ::testing::TempDir();
    const std::string wpc = dir + "check.wpc";
    const auto wpc_text = [](const std::string& location) {
        return "WPCfile AvelorW 2.4\nsite\n1\n0\n1\n3600\n1/1 1/1\n" + location +
               "1/1 0 101325 1.2\n1\n1/1 86400 101325 1.2\n1\n";
    };
    struct Case {
        float X, Y;
        std::string file;  // "" for none at all
        int result;
        const char* entry;  // "" for none
        const char* box;    // "" for none
    };
    const std::vector<Case> cases = {
        {0, 0, wpc_text("1 2 3 1 0\n"), 1,
         "Error: X, Y coordinates of exterior path must be non-zero when using a WPC file.", ""},
        {2, 3, wpc_text("1 2 3 1 0\n"), 0, "", ""},
        {2, 3, wpc_text("1 2 3 5 0\n"), 1, "Error: Path location (absolute coordinates) not found in the WPC file.", ""},
        {2, 3, wpc_text("1 2 3 1 1\n"), 1, "Error: Path location (absolute coordinates) not found in the WPC file.", ""},
        {2, 3, "", 1, "", "Unable to run simulation due to ill-formed WPC file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + c.box);
        EditFixture f;
        f.build({Plan(kLinked)});
        Project& p = f.project();
        f.session.document.path = dir + "check_wpc.prj";
        p.rc.wp = 1;
        p.rc.wpc_file = wpc;
        std::remove(wpc.c_str());
        if (!c.file.empty()) std::ofstream(wpc, std::ios::binary) << c.file;
        FlowPath* outdoor = p.paths.at(1);
        outdoor->dir = initial_path_dir(f.grid(), 3, 1);
        p.paths.at(2)->dir = initial_path_dir(f.grid(), 3, 5);
        outdoor->element = add_orifice(p);
        p.paths.at(2)->element = outdoor->element;
        outdoor->X = c.X;
        outdoor->Y = c.Y;
        outdoor->relHt = 1;
        f.port.boxes.clear();
        ProblemList list;
        EXPECT_EQ(check_building(f.session, list, kCheckBuilding), c.result) << dump(list);
        const std::string entry = c.entry;
        EXPECT_EQ(count_text(list, entry), entry.empty() ? 0 : 1) << dump(list);
        bool boxed = std::string(c.box).empty();
        for (const auto& b : f.port.boxes) boxed = boxed || b.text.find(c.box) != std::string::npos;
        EXPECT_TRUE(boxed);
        if (c.X != 0) {
            const std::string pld = avelor::testing::read_file(dir + "check_wpc.pld");
            EXPECT_NE(pld.find("   1   2.000   3.000   1.000\n-999\n"), std::string::npos) << pld;
        }
    }
    std::remove(wpc.c_str());
    std::remove((dir + "check_wpc.pld").c_str());
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

// One big room with path 1 to the outdoors. Node 1 (a constant) drives the
// path; nodes 2 and 3 read each other.
const Picture kControlledRoom = {
    "..................",  //
    ".################.",  //
    ".#............1.#.",  //
    ".#..............A.",  //
    ".#..............#.",  //
    ".#..............#.",  //
    ".################.",  //
    "..................",  //
};

class ControlCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.build({Plan(kControlledRoom)});
        Project& p = f.project();
        p.paths.at(1)->element = add_orifice(p);
        p.paths.at(1)->dir = initial_path_dir(f.grid(), 3, 16);
        constant = node(kCtSet);
        first = node(kCtMod);
        second = node(kCtMod);
        // node 1 east to the path
        link({3, 12}, ICN_CTRL_NODE, 1);
        link({3, 13}, 170, 1);
        link({3, 14}, 168, 1);
        link({3, 15}, 178, 1);
        // node 2 east into node 3
        link({5, 3}, ICN_CTRL_NODE, 2);
        for (int c : {4, 5, 6}) link({5, c}, c == 4 ? 170 : 168, 2);
        link({5, 7}, 178, 2);
        link({5, 8}, ICN_CTRL_NODE, 3);
        // node 3 north, west and south into node 2
        link({4, 8}, 169, 3);
        link({3, 8}, 173, 3);
        for (int c : {4, 5, 6, 7}) link({3, c}, 168, 3);
        link({3, 3}, 172, 3);
        link({4, 3}, 179, 3);
        reload(f);
    }
    ControlNode* node(std::int16_t type)
    {
        ControlNode n;
        n.type = type;
        n.data = new_control_data(type);
        return f.project().controls.add(n);
    }
    void link(GridCell at, std::uint8_t code, std::int32_t nr)
    {
        f.cells().Links(at.row, at.col) = code;
        f.cells().Ctrls(at.row, at.col) = nr;
    }

    EditFixture f;
    ControlNode* constant = nullptr;
    ControlNode* first = nullptr;
    ControlNode* second = nullptr;
};

TEST_F(ControlCheck, TheDrawingGivesTheReferencesAndACircleIsListed)
{
    Project& p = f.project();
    // A reference no link shows (as a hand-edited file may hold).
    first->c2 = constant;
    ProblemList list;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    // Collected from the links, not from what the records said before.
    EXPECT_EQ(p.paths.at(1)->control, constant);
    EXPECT_EQ(second->c1, first);
    EXPECT_EQ(first->c1, second);
    EXPECT_EQ(first->c2, nullptr);
    const std::string circular =
        "Error: This control cannot be sequenced because it is part of a circular control network.";
    EXPECT_EQ(count_text(list, circular), 2) << dump(list);
    Level* l1 = f.levels[0];
    EXPECT_TRUE(has_entry(list, l1, 5, 3, circular)) << dump(list);
    EXPECT_TRUE(has_entry(list, l1, 5, 8, circular)) << dump(list);
    EXPECT_EQ(constant->seq, 1);
}

TEST_F(ControlCheck, InputCountsAndValuesFileNames)
{
    Project& p = f.project();
    // Node 2 loses its input: the link from node 3 is gone.
    for (GridCell c : {GridCell{4, 8}, {3, 8}, {3, 7}, {3, 6}, {3, 5}, {3, 4}, {3, 3}, {4, 3}}) link(c, 0, 0);
    // Node 1 reads a value its file lacks; the path names one too.
    constant->type = kCtCvf;
    constant->data = ValuesNameData{"fan"};
    p.rc.continuous_values_file = "plant.cvf";
    p.cvf_values.names = {"door"};
    p.paths.at(1)->cdvf = {1, "window"};
    reload(f);
    ProblemList list;
    EXPECT_EQ(check_building(f.session, list, kCheckBuilding), 1);
    Level* l1 = f.levels[0];
    EXPECT_TRUE(has_entry(list, l1, 5, 3, "Error: Control has incorrect number of inputs.")) << dump(list);
    EXPECT_TRUE(has_entry(list, l1, 3, 12, "Error: Undefined CVF control node.")) << dump(list);
    EXPECT_TRUE(has_entry(list, l1, 3, 16, "Error: Path uses cvf name but it is not found in the cvf file."))
        << dump(list);

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
