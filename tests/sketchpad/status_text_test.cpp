#include "sketchpad/status_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "model/project.h"
#include "sketch_drawing.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::draw_plan;
using testing::Picture;
using testing::Plan;

// ---------------------------------------------------------------------------
// Position text

struct PositionCase {
    const char* name;
    std::int16_t showGeom;
    std::int16_t invYaxis;
    float scale;
    std::int16_t us;
    GridCell cell;
    const char* text;
};

TEST(PositionText, CellOrPseudoGeometry)
{
    // Origin at row 56, column 1 (the defaults).
    const PositionCase cases[] = {
        {"cells", 0, 0, 1.0f, 0, {7, 5}, "Col 5, Row 7"},
        {"cells ignore the inverted axis", 0, 1, 0.5f, 0, {7, 5}, "Col 5, Row 7"},
        {"metres, north of the origin", 1, 0, 0.5f, 0, {46, 11}, "X:       5 m, Y:       5 m"},
        {"metres, inverted Y", 1, 1, 0.5f, 0, {46, 11}, "X:       5 m, Y:      -5 m"},
        {"feet", 1, 0, 0.5f, 1, {46, 11}, "X:  16.404 ft, Y:  16.404 ft"},
        {"quarter cells", 1, 0, 0.25f, 0, {57, 4}, "X:    0.75 m, Y:   -0.25 m"},
    };
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        p.rc.showGeom = c.showGeom;
        p.rc.invYaxis = c.invYaxis;
        p.rc.scale = c.scale;
        p.rc.us = c.us;
        EXPECT_EQ(position_text(p, c.cell), c.text);
    }
}

// ---------------------------------------------------------------------------
// Item text on a drawn level

// Room 1 with a door (path 1) on its east wall, a second room with an
// undefined zone icon, an ambient icon outdoors, and a duct run from a
// junction to a terminal with its segment icon.
const Picture kWalls = {
    "................",
    ".#####.#####....",
    ".#...#.#...#....",
    ".#.1.A.#.u.#....",
    ".#...#.#...#....",
    ".#####.#####....",
    "..a.............",
    "................",
    "................",
    "................",
};
const Picture kDucts = {
    "................", "................", "................", "................", "................",
    "................", "................", "..Jo>ooT........", "................", "................",
};

// Any address stands for a definition the model does not spell out yet:
// the text only asks whether there is one.
alignas(16) std::byte stand_in[16];
template <class T>
T* some()
{
    return reinterpret_cast<T*>(stand_in);
}

class ItemText : public ::testing::Test {
protected:
    void SetUp() override
    {
        Level level;
        level.name = "Ground";
        level.delHt = 3;
        ground = p.levels.add(level);
        p.lowest_level = p.top_level = p.current_level = ground;

        AirflowElement door;
        door.name = "Door";
        p.elements.insert_copy(door);

        Zone office = new_zone(p);  // T0 293.15 K shown in degrees C
        office.name = "Office";
        office.Vol = 60;
        office.level = ground;
        p.zones.add(office);

        FlowPath path;
        path.element = p.elements.find_by_name("Door");
        path.level = ground;
        path.mult = 1;
        path.X = 1.5f;
        path.Y = 2;
        path.relHt = 1.5f;
        p.paths.add(path);

        Junction junction;
        p.junctions.add(junction);
        junction.t = 1;
        p.junctions.add(junction);
        DuctElement element = new_duct_element(kDctDwc, {});
        element.name = "main";
        DuctSegment duct;
        duct.len = 2.5f;
        duct.element = p.duct_elements.insert_copy(element);
        p.ducts.add(duct);

        draw_plan(grid, Plan{kWalls, kDucts});
    }

    std::string at(int row, int col) const { return item_text(p, grid, {row, col}); }
    void put(int row, int col, std::uint8_t code, std::int32_t nr)
    {
        grid.current().Sketch(row, col) = code;
        grid.current().Paths(row, col) = nr;
    }
    void show_geometry(float scale)
    {
        p.rc.showGeom = 1;
        p.rc.scale = scale;
    }

    testing::ScriptedPort port;
    Project p;
    Level* ground = nullptr;
    SketchGrid grid;
};

struct HeadCase {
    GridCell cell;
    const char* text;
};

TEST_F(ItemText, HeadsOfTheDrawnItems)
{
    put(1, 3, ICN_PATH, 0);               // a path icon not yet defined
    put(8, 3, ICN_PHANTOM, ZONE_UNDEFINED);
    grid.current().Paths(7, 2) = 0;       // the junction undefined
    const HeadCase cases[] = {
        {{3, 5}, " Path(1): Door; Sched: <none>"},
        {{1, 3}, "Undefined flow icon"},
        {{6, 2}, " Zone: Ambt"},
        {{3, 9}, "Undefined zone icon"},
        {{8, 3}, "Undefined zone icon"},
        {{1, 2}, "Wall"},
        {{1, 1}, "Wall"},
        {{3, 2}, ""},                      // open floor
        {{7, 2}, " Undefined duct junction"},
        {{7, 7}, " Terminal point(2); Sched: <none>"},
        {{7, 4}, " Duct (1): main; L: 2.50 m; Sched: <none>"},
        {{7, 5}, " Undefined duct segment"},  // a piece not carrying the number
        {{-1, 0}, ""},
        {{10, 0}, ""},
    };
    for (const HeadCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.cell));
        EXPECT_EQ(at(c.cell.row, c.cell.col), c.text);
    }
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(ItemText, HeadsOfTheOtherIcons)
{
    SimpleAhs* system = create_simple_ahs(p, "AHU1", "");
    FlowPath supply;
    supply.flags = kPathAhs;
    supply.ahs = system;
    supply.level = ground;
    supply.schedule = some<WeekSchedule>();
    const std::int32_t supply_nr = p.paths.add(supply)->nr;
    supply.cdvf = {1, "Qsup"};
    const std::int32_t return_nr = p.paths.add(supply)->nr;
    SourceSink source;
    source.mult = 2;
    p.sources.add(source);
    p.exposures.add(new_exposure(p));
    p.notes.add(Annotation{{}, "Check fan"});

    const struct {
        std::uint8_t code;
        std::int32_t nr;
        const char* text;
    } cases[] = {
        {ICN_SUPPLY, supply_nr, " Supply(5) from AHU1:"},
        {ICN_RETURN, return_nr, "Return(6) to AHU1:; CVF: Qsup"},
        {ICN_SUPPLY, 0, "Undefined supply icon"},
        {ICN_RETURN, 0, "Undefined return icon"},
        {ICN_AHS, system->nr, " System(1): AHU1; Sched: <none>"},
        {ICN_AHS, 2, "Undefined AHS icon"},
        {ICN_SOURCE, 1, " Source/Sink(1); Sched: <none>; Mult: 2"},
        {ICN_SOURCE, 0, "Undefined source/sink icon"},
        {ICN_EXPOSURE, 1, " Exposure(1)"},
        {ICN_EXPOSURE, 0, "Undefined exposure icon"},
        {ICN_NOTE, 1, "NOTE(1): Check fan"},
        {ICN_NOTE, 0, " Undefined annotation"},
    };
    ASSERT_EQ(supply_nr, 5);  // after the system's three paths
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        put(8, 8, c.code, c.nr);
        EXPECT_EQ(at(8, 8), c.text);
    }

    const struct {
        std::uint8_t code;
        std::int32_t nr;
        const char* text;
    } controls[] = {
        {ICN_CTRL_NODE, 4, " Control(4)"},
        {181, 2, " Control(2)"},
        {ICN_CTRL_NODE, 0, "Undefined control node icon"},
        {ICN_CTRL_SUPER, 0, "Undefined control node icon"},
        {183, 0, "Undefined control sensor icon"},
        {ICN_LINK_H, 0, ""},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.text);
        grid.current().Links(9, 9) = c.code;
        grid.current().Ctrls(9, 9) = c.nr;
        EXPECT_EQ(at(9, 9), c.text);
    }
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(ItemText, ZoneVolumeAreaAndHeightInTheRecordsUnits)
{
    const struct {
        const char* name;
        std::int16_t volume_unit;
        std::int16_t height_unit;
        const char* part;
    } cases[] = {
        {"SI", 0, 0, "; Vol: 60 m\xB3  Area: 20 m\xB2  Ht: 3.0 m"},
        // 60 m3 = 2118.9 ft3; 20 m2 = 215.3 ft2; 3 m = 9.84 ft.
        {"IP", 1, 1, "; Vol: 2119 ft\xB3  Area: 215 ft\xB2  Ht: 9.8 ft"},
        {"litres keep the matching area unit", 5, 0, "; Vol: 60000 L  Area: 2000 dm\xB2  Ht: 3.0 m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        p.zones.at(1)->u[0] = c.volume_unit;
        ground->u[1] = c.height_unit;
        const std::vector<std::string> lines = floating_status_lines(at(3, 3));
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "Zone(1): Office / Ground");
        EXPECT_EQ("; " + lines[1], c.part);
    }
}

TEST_F(ItemText, ZoneConditions)
{
    Zone& zone = *p.zones.at(1);
    const char* const head = " Zone(1): Office / Ground; Vol: 60 m\xB3  Area: 20 m\xB2  Ht: 3.0 m";
    EXPECT_EQ(at(3, 3), std::string(head) + "; Tconst: 20.00 \xB0" "C");

    zone.flags = kZoneVariableContaminants;  // constant pressure
    zone.P0 = 12.5f;
    zone.u[1] = 0;  // K
    EXPECT_EQ(at(3, 3), std::string(head) + "; CONSTANT PRESSURE ZONE: 12.5 Pa; Tconst: 293.15 K");

    zone.u[2] = 1;  // in. H20
    zone.P0 = 248.84f;
    zone.schedule = some<WeekSchedule>();
    EXPECT_EQ(at(3, 3), std::string(head) + "; CONSTANT PRESSURE ZONE: 1 in. H20");

    zone.schedule = nullptr;
    zone.flags = kZoneVariablePressure;
    zone.cdvf = {2, "Troom"};
    zone.control = some<ControlNode>();
    EXPECT_EQ(at(3, 3), std::string(head) + "; DVF: Troom; Controlled");

    // A phantom over the zone's region on the level above shows the zone.
    put(8, 5, ICN_PHANTOM, 1);
    EXPECT_EQ(at(8, 5).substr(0, 25), " Zone(1): Office / Ground");
}

TEST_F(ItemText, PseudoGeometryParts)
{
    show_geometry(0.5f);
    // A 3 x 3 room measures 16 cells up to the wall middles; the door's wall
    // runs 4 cells between its corners; the duct 4 cells between its nodes.
    const HeadCase cases[] = {
        {{3, 3}, " Zone(1): Office / Ground; Vol: 60 m\xB3  Area: 20 m\xB2  Ht: 3.0 m; {Area: 4 m\xB2}; "
                 "Tconst: 20.00 \xB0" "C"},
        {{3, 5}, " Path(1): Door; Sched: <none>; (1.5, 2, 1.5) m"},
        {{1, 2}, "{Wall Length: 2 m, Area: 6 m\xB2}"},
        {{1, 1}, "Wall"},  // a corner is on no straight run
        {{7, 5}, " Undefined duct segment; {Length: 2 m}"},
    };
    for (const HeadCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.cell));
        EXPECT_EQ(at(c.cell.row, c.cell.col), c.text);
    }

    p.rc.us = 1;  // feet: 2 m = 6.5617 ft, 6 m2 = 64.583 ft2
    EXPECT_EQ(at(1, 2), "{Wall Length: 6.56168 ft, Area: 64.5835 ft\xB2}");
}

TEST_F(ItemText, PathMultiplierFollowsTheElementType)
{
    FlowPath& path = *p.paths.at(1);
    AirflowElement& door = *p.elements.find_by_name("Door");
    path.mult = 3;
    EXPECT_EQ(at(3, 5), " Path(1): Door; Sched: <none>; Mult: 3");
    door.type = kPlrLeak2;  // mult is the total length
    path.u[1] = 1;
    path.mult = 0.3048f;
    EXPECT_EQ(at(3, 5), " Path(1): Door; Sched: <none>; Mult: 1 ft");
    door.type = kPlrLeak3;  // mult is the total area
    path.u[1] = 0;
    path.mult = 1;
    EXPECT_EQ(at(3, 5), " Path(1): Door; Sched: <none>; Mult: 1 m\xB2");
}

// ---------------------------------------------------------------------------
// Limits and the floating box

TEST(StatusParts, TooManyPartsAreRefusedOnce)
{
    testing::ScriptedPort port;
    StatusParts parts;
    std::string expected;
    for (int i = 0; i < kMaxStatusParts; ++i) {
        const std::string part = "; p" + std::to_string(i);
        EXPECT_TRUE(parts.add(part));
        expected += part;
    }
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_FALSE(parts.add("; one too many"));
    EXPECT_FALSE(parts.add("; and another"));
    EXPECT_TRUE(parts.overflowed());
    EXPECT_EQ(parts.count(), kMaxStatusParts);
    EXPECT_EQ(parts.text(), expected);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].text.rfind(" Too many status strings.\n", 0), 0u);
}

TEST(FloatingStatus, LongestTextIsTaken)
{
    testing::ScriptedPort port;
    EXPECT_TRUE(floating_status_accepts(std::string(kMaxFloatingStatusLength, 'x')));
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_FALSE(floating_status_accepts(std::string(kMaxFloatingStatusLength + 1, 'x')));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].text.rfind(" tooltip too long\n", 0), 0u);
}

TEST(FloatingStatus, OneLinePerPart)
{
    const struct {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {" Zone(1): A / L1; Vol: 60 m\xB3  Area: 20 m\xB2; Tconst: 20.00 K",
         {"Zone(1): A / L1", "Vol: 60 m\xB3  Area: 20 m\xB2", "Tconst: 20.00 K"}},
        {"Return(7) to AHU1:;  ;; CVF: Q;", {"Return(7) to AHU1:", "CVF: Q"}},
        {"Wall", {"Wall"}},
        {"", {}},
        {";", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(floating_status_lines(c.text), c.lines);
    }
}

}  // namespace
}  // namespace avelor
