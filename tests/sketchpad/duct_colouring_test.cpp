// Colouring a duct system from a fan: the list of fan segments, the walks
// upstream and downstream with their options, and the window's use of the
// SketchPad to show a fan and to find the end nodes a fan lacks.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/duct_colouring.h"
#include "support/duct_fixture.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

constexpr std::int16_t kOld = 30;
constexpr std::int16_t kIn = 5;
constexpr std::int16_t kOut = 6;
constexpr std::int16_t kFan = 7;

// Records only: named junctions and terminals joined by named segments.
struct DuctSystem {
    ScriptedPort port;
    Project project;
    DuctElement* plain = element("plain", kDctDwc);
    DuctElement* fan = element("fan", kDctFan);
    std::map<std::string, Junction*> nodes;
    std::map<std::string, DuctSegment*> ducts;

    DuctElement* element(const std::string& name, int type)
    {
        DuctElement e = new_duct_element(type, {});
        e.name = name;
        return project.duct_elements.insert_copy(e);
    }
    Junction* node(const std::string& name, std::uint8_t icon)
    {
        Junction j;
        j.icon = icon;
        j.t = icon >= ICN_TERMINAL ? kJunctionTerminal : kJunctionPlain;
        j.clr = kOld;
        return nodes[name] = add_junction(project, j);
    }
    Junction* junction(const std::string& name) { return node(name, ICN_JUNCTION); }
    Junction* terminal(const std::string& name) { return node(name, ICN_TERMINAL); }
    // Positive flow from n to m.
    DuctSegment* duct(const std::string& name, const std::string& n, const std::string& m, bool is_fan = false)
    {
        DuctSegment d;
        d.junction_n = nodes.at(n);
        d.junction_m = nodes.at(m);
        d.element = is_fan ? fan : plain;
        d.clr = kOld;
        return ducts[name] = project.ducts.add(d);
    }

    std::map<std::string, std::int16_t> colours() const
    {
        std::map<std::string, std::int16_t> c;
        for (const auto& [name, node] : nodes) c[name] = node->clr;
        for (const auto& [name, duct] : ducts) c[name] = duct->clr;
        return c;
    }
};

// Fan F1 draws from the return terminal TR through A and blows into B. B
// feeds C, which serves terminal T1, a dead-end junction D and a ring C-R1-R2
// back to C; B also feeds E, where a second fan F2 blows on to G and terminal
// T2. Fan F3 blows from H into C, against the walk from F1.
struct Branches : DuctSystem {
    Branches()
    {
        for (const char* n : {"A", "B", "C", "D", "E", "G", "H", "R1", "R2"}) junction(n);
        for (const char* t : {"TR", "T1", "T2", "T3"}) terminal(t);
        duct("s_return", "TR", "A");
        duct("F1", "A", "B", true);
        duct("s_bc", "B", "C");
        duct("s_t1", "C", "T1");
        duct("s_dead", "C", "D");
        duct("s_ring1", "C", "R1");
        duct("s_ring2", "R1", "R2");
        duct("s_ring3", "R2", "C");
        duct("s_be", "B", "E");
        duct("F2", "E", "G", true);
        duct("s_t2", "G", "T2");
        duct("F3", "H", "C", true);
        duct("s_t3", "T3", "H");
    }
};

TEST(DuctColouring, WalksFollowTheOptions)
{
    struct Case {
        const char* name;
        DuctColourOptions options;
        std::map<std::string, std::int16_t> changed;  // everything else keeps kOld
    };
    auto options = [](bool inlet, bool outlet, FanColouring fans, FansInSystem passing) {
        DuctColourOptions o;
        o.inlet = inlet;
        o.outlet = outlet;
        o.inlet_colour = kIn;
        o.outlet_colour = kOut;
        o.fan_colour = kFan;
        o.fans = fans;
        o.passing = passing;
        return o;
    };
    const std::map<std::string, std::int16_t> inlet = {{"F1", kFan}, {"A", kIn}, {"s_return", kIn}, {"TR", kIn}};
    auto with = [](std::map<std::string, std::int16_t> a, const std::map<std::string, std::int16_t>& b) {
        for (const auto& [k, v] : b) a[k] = v;
        return a;
    };
    // Outlet side up to the second fan: the dead end D and fan F3 (against
    // the walk) and everything behind F3 stay as they were.
    const std::map<std::string, std::int16_t> near_outlet = {
        {"B", kOut},       {"s_bc", kOut},    {"C", kOut},       {"s_t1", kOut},     {"T1", kOut},
        {"s_ring1", kOut}, {"R1", kOut},      {"s_ring2", kOut}, {"R2", kOut},       {"s_ring3", kOut}};
    const std::map<std::string, std::int16_t> beyond_f2 = {
        {"s_be", kOut}, {"E", kOut}, {"F2", kOut}, {"G", kOut}, {"s_t2", kOut}, {"T2", kOut}};
    using FC = FanColouring;
    using FS = FansInSystem;
    const Case cases[] = {
        {"both sides, through fans, starting fan only", options(true, true, FC::StartingFanOnly, FS::ContinueThrough),
         with(with(inlet, near_outlet), beyond_f2)},
        {"all fans take the fan colour", options(true, true, FC::AllFans, FS::ContinueThrough),
         with(with(with(inlet, near_outlet), beyond_f2), {{"F2", kFan}})},
        // E leads nowhere but through F2: E and its duct keep their colours.
        {"stop at any fan", options(true, true, FC::AllFans, FS::StopAtAny), with(inlet, near_outlet)},
        {"inlet only", options(true, false, FC::StartingFanOnly, FS::ContinueThrough), inlet},
        {"outlet only", options(false, true, FC::StartingFanOnly, FS::ContinueThrough),
         with(with(near_outlet, beyond_f2), {{"F1", kFan}})},
    };
    for (const Case& c : cases) {
        Branches s;
        std::map<std::string, std::int16_t> expected = s.colours();
        for (const auto& [k, v] : c.changed) expected[k] = v;
        EXPECT_TRUE(set_duct_colours(s.project, *s.ducts.at("F1"), c.options)) << c.name;
        EXPECT_EQ(s.colours(), expected) << c.name;
        EXPECT_TRUE(s.project.changed()) << c.name;
        EXPECT_TRUE(s.port.boxes.empty()) << c.name;
    }
}

TEST(DuctColouring, StartingFanKeepsItsColourWhenABypassLeadsRoundToIt)
{
    // A bypass from A to B beside the fan: the inlet walk reaches B over it
    // and comes back to A through the fan itself.
    DuctSystem s;
    for (const char* n : {"A", "B"}) s.junction(n);
    for (const char* t : {"TR", "TS"}) s.terminal(t);
    s.duct("s_return", "TR", "A");
    s.duct("fan", "A", "B", true);
    s.duct("bypass", "A", "B");
    s.duct("s_supply", "B", "TS");
    DuctColourOptions o;
    o.inlet_colour = kIn;
    o.outlet_colour = kOut;
    o.fan_colour = kFan;
    ASSERT_TRUE(set_duct_colours(s.project, *s.ducts.at("fan"), o));
    EXPECT_EQ(s.ducts.at("fan")->clr, kFan);
    EXPECT_EQ(s.ducts.at("bypass")->clr, kIn);
    // The inlet walk got there first: B and the supply side are inlet-coloured.
    EXPECT_EQ(s.nodes.at("B")->clr, kIn);
    EXPECT_EQ(s.ducts.at("s_supply")->clr, kIn);
}

TEST(DuctColouring, MissingEndIsLookedUpAndElseReported)
{
    for (bool found : {false, true}) {
        Branches s;
        DuctSegment& f1 = *s.ducts.at("F1");
        f1.junction_m = nullptr;
        int asked = 0;
        auto finder = [&](DuctSegment& d) {
            ++asked;
            if (found) d.junction_m = s.nodes.at("B");
        };
        DuctColourOptions o;
        o.fan_colour = kFan;
        o.outlet_colour = kOut;
        EXPECT_EQ(set_duct_colours(s.project, f1, o, finder), found);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(f1.clr, kFan);
        EXPECT_TRUE(s.project.changed());
        EXPECT_EQ(s.nodes.at("T1")->clr, found ? kOut : kOld);
        if (found) {
            EXPECT_TRUE(s.port.boxes.empty());
        } else {
            ASSERT_EQ(s.port.boxes.size(), 1u);
            EXPECT_TRUE(s.port.boxes[0].text.starts_with(" Encountered Duct with undefined terminal/junction pointer\n"))
                << s.port.boxes[0].text;
            EXPECT_EQ(s.port.boxes[0].caption, "WARNING");
            EXPECT_EQ(s.nodes.at("A")->clr, kOld);
        }
    }
}

TEST(DuctColouring, LongSystemsAndRingsAreWalkedWithoutRecursion)
{
    // 100,000 segments in a row behind the fan, closed into a ring near its
    // far end, which leads on to a terminal.
    constexpr int kRun = 100000;
    DuctSystem s;
    Project& p = s.project;
    Junction plain;
    plain.icon = ICN_JUNCTION;
    Junction terminal = plain;
    terminal.icon = ICN_TERMINAL;
    std::vector<Junction*> nodes;
    for (int i = 0; i <= kRun; ++i) nodes.push_back(add_junction(p, plain));
    Junction* outlet = add_junction(p, terminal);
    std::vector<DuctSegment*> ducts;
    auto join = [&](Junction* n, Junction* m, DuctElement* element) {
        DuctSegment d;
        d.junction_n = n;
        d.junction_m = m;
        d.element = element;
        return p.ducts.add(d);
    };
    DuctSegment* fan = join(nodes[0], nodes[1], s.fan);
    for (int i = 1; i < kRun; ++i) ducts.push_back(join(nodes[i], nodes[i + 1], s.plain));
    DuctSegment* ring = join(nodes[kRun], nodes[1], s.plain);
    DuctSegment* supply = join(nodes[kRun - 1], outlet, s.plain);
    DuctColourOptions o;
    o.inlet = false;
    o.outlet_colour = kOut;
    ASSERT_TRUE(set_duct_colours(p, *fan, o));
    EXPECT_EQ(nodes[kRun / 2]->clr, kOut);
    EXPECT_EQ(ducts.back()->clr, kOut);
    EXPECT_EQ(ring->clr, kOut);
    EXPECT_EQ(supply->clr, kOut);
    EXPECT_EQ(outlet->clr, kOut);
}

TEST(DuctColouring, ListHoldsEveryFanSegmentOnEveryLevelOnce)
{
    DuctSystem s;
    Project& p = s.project;
    Level first;
    first.name = "Ground";
    Level second;
    second.name = "Roof";
    Level* ground = p.levels.add(first);
    Level* roof = p.levels.add(second);
    s.junction("A");
    s.junction("B");
    DuctSegment* horizontal = s.duct("h", "A", "B", true);
    s.duct("plain", "A", "B");
    DuctSegment* vertical = s.duct("v", "A", "B", true);
    Junction* upper = s.node("up", 161);
    upper->duct = vertical;
    Junction* plain_node = s.node("plain_node", 160);
    plain_node->duct = s.ducts.at("plain");
    ground->icons = {{4, 6, ICN_SEGMENT_E, horizontal->nr},
                     {4, 8, ICN_SEGMENT_E, s.ducts.at("plain")->nr},
                     {6, 6, 160, plain_node->nr},
                     // A second icon of the same segment is not listed again.
                     {8, 6, ICN_SEGMENT_N, horizontal->nr}};
    roof->icons = {{12, 20, 161, upper->nr}, {14, 20, ICN_SEGMENT_S, 999}};
    const std::vector<FanDuctEntry> expected = {{horizontal->nr, ground, 4, 6}, {vertical->nr, roof, 12, 20}};
    const std::vector<FanDuctEntry> list = fan_duct_list(p);
    EXPECT_EQ(list, expected);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(fan_duct_line(list[0]), "         1           Ground     4     6");
    EXPECT_EQ(fan_duct_line(list[1]), "         3             Roof    12    20");
    // An entry whose segment stopped being a fan no longer colours anything.
    EXPECT_EQ(fan_duct_of(p, list[1]), vertical);
    vertical->element = s.plain;
    EXPECT_EQ(fan_duct_of(p, list[1]), nullptr);
}

struct SketchedFan : testing::DuctFixture {
    Junction* west = define_node(testing::kWestJunction);
    Junction* middle = define_node(testing::kMiddleJunction);
    Junction* terminal = define_node(testing::kMiddleTerminal);
    DuctElement* fan = duct_element("fan", kDctFan);
    DuctElement* darcy = duct_element("darcy");

    // A segment sheet's Define at a cell, with the element and direction.
    void define_segment(GridCell cell, DuctElement* element, int direction_choice)
    {
        dialogs.fill_segment = [=](DuctSegmentSheet& s) {
            s.choose_element(element);
            s.set_length(2);
            s.set_direction_choice(direction_choice);
            return true;
        };
        at(cell.row, cell.col);
        run(EditAction::Define);
    }
};

TEST(DuctColouring, LinesShowTheirCellAndFindMissingEndsOnTheSketch)
{
    SketchedFan f;
    // West to middle junction, eastward; then down to the middle terminal.
    f.define_segment(testing::kNorthRun, f.fan, 0);
    f.define_segment({4, 6}, f.darcy, 1);
    ASSERT_EQ(f.project().ducts.count(), 2);
    DuctSegment* fan = f.project().ducts.at(1);
    ASSERT_EQ(fan->junction_m, f.middle);
    const std::vector<FanDuctEntry> list = fan_duct_list(f.project(), f.grid());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].duct, 1);
    EXPECT_EQ(list[0].level, f.levels.front());

    f.at(10, 14);
    ASSERT_TRUE(show_fan_duct(f.project(), f.grid(), f.session.view, list[0]));
    EXPECT_EQ(f.grid().cursor, testing::kNorthRun);

    fan->junction_m = nullptr;
    DuctColourOptions o;
    o.outlet_colour = kOut;
    o.fan_colour = kFan;
    ASSERT_TRUE(set_fan_duct_colours(f.project(), f.grid(), list[0], o));
    EXPECT_EQ(fan->junction_m, f.middle);
    EXPECT_EQ(fan->clr, kFan);
    EXPECT_EQ(f.middle->clr, kOut);
    EXPECT_EQ(f.terminal->clr, kOut);
    EXPECT_EQ(f.project().ducts.at(2)->clr, kOut);
    // Upstream the west junction leads nowhere: it keeps its colour.
    EXPECT_EQ(f.west->clr, 0);
    EXPECT_TRUE(f.port.boxes.empty());
}

}  // namespace
}  // namespace avelor
