#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/file_io.h"
#include "model/airflow_element.h"
#include "prjfile/project_file.h"
#include "prjfile/project_pack.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPort;

// Two levels drawn so that drawing order and creation order differ:
//   lower level: zone "a", a window path from "a" to ambient, a note;
//   top level:   zone "c", system S2, zone "b", system S1, a super-element
//                path from "b" to "c" with two hidden sub-paths, a terminal
//                whose duct segment has no icon, a phantom of "a".
// Zone "orphan", path "stray" and note "lost" are shown by no icon.
struct DrawnProject {
    Project p;
    std::map<const void*, std::string> label;  // record -> name in the table
    FlowPath* super_path = nullptr;
    std::uint8_t super_icon = 0;

    template <class T>
    std::vector<std::string> order(const NumberedList<T>& list)
    {
        std::vector<std::string> names;
        std::int32_t n = 0;
        for (const T& record : list) {
            EXPECT_EQ(record.nr, ++n);
            names.push_back(label[&record]);
        }
        return names;
    }

    FlowPath* path(const std::string& name, ZoneRef n, ZoneRef m, AirflowElement* element)
    {
        FlowPath f;
        f.element = element;
        f.zone_n = n;
        f.zone_m = m;
        f.icn = 23;
        f.mult = 1;
        FlowPath* stored = add_path(p, f);
        label[stored] = name;
        return stored;
    }

    Zone* zone(const std::string& name)
    {
        Zone z = new_zone(p);
        z.name = name;
        Zone* stored = add_zone(p, z);
        label[stored] = name;
        return stored;
    }

    // Duct segments cannot be saved yet: a project for a file leaves its
    // terminal out.
    explicit DrawnProject(bool with_terminal = true)
    {
        NewElementState state;
        AirflowElement orifice = new_airflow_element(kPlrOrfc, NewElementContext{}, state);
        orifice.name = "orifice";
        AirflowElement* plain = p.elements.insert_copy(orifice);
        AirflowElement super = new_airflow_element(kSupAfe, NewElementContext{}, state);
        super.name = "stack";
        std::get<SuperData>(super.data).subs = {{plain, 0.5f, 0, 0}, {plain, 1.5f, 0, 0}};
        AirflowElement* stack = p.elements.insert_copy(super);
        super_icon = stack->icon;

        Level low;
        low.name = "low";
        low.delHt = 3;
        Level* lower = p.levels.add(low);
        Level top_level;
        top_level.name = "top";
        Level* top = p.levels.add(top_level);
        lower->above = top;
        top->below = lower;
        p.lowest_level = lower;
        p.top_level = top;

        p.current_level = lower;
        Zone* a = zone("a");
        zone("orphan");
        FlowPath* window = path("window", a, ZoneRef::ambient(), plain);
        path("stray", a, ZoneRef::ambient(), plain);
        Annotation lost;
        lost.text = "lost";
        label[p.notes.add(lost)] = "lost";
        Annotation kept;
        kept.text = "kept";
        Annotation* note = p.notes.add(kept);
        label[note] = "kept";

        p.current_level = top;
        Zone* b = zone("b");
        Zone* c = zone("c");
        for (const char* name : {"S1", "S2"}) {
            SimpleAhs* s = create_simple_ahs(p, name, "");
            label[p.zones.at(s->zr)] = std::string(name) + "r";
            label[p.zones.at(s->zs)] = std::string(name) + "s";
            label[p.paths.at(s->pr)] = std::string(name) + "pr";
            label[p.paths.at(s->ps)] = std::string(name) + "ps";
            label[p.paths.at(s->px)] = std::string(name) + "px";
        }
        super_path = path("super", b, c, stack);
        for (const char* name : {"sub1", "sub2"}) {
            FlowPath* sub = path(name, b, c, plain);
            p.sub_paths.append(super_path, sub);
        }
        lower->icons = {{5, 5, 5, a->nr}, {5, 10, 23, window->nr}, {8, 8, 42, note->nr}};
        top->icons = {{5, 5, 5, c->nr}, {6, 6, 130, 2}, {9, 9, 5, b->nr}, {7, 7, 130, 1},
                      {5, 8, super_icon, super_path->nr}};
        if (with_terminal) {
            DuctSegment* duct = p.ducts.add(DuctSegment{});
            label[duct] = "riser";
            Junction terminal;
            terminal.duct = duct;
            Junction* t = add_junction(p, terminal);
            label[t] = "terminal";
            top->icons.push_back({10, 10, 162, t->nr});
        }
        top->icons.push_back({12, 12, 6, a->nr});
    }
};

TEST(ProjectPack, ListsFollowTheDrawingFromTheTopLevelDown)
{
    ScriptedPort port;
    DrawnProject d;
    ASSERT_TRUE(pack_zones(d.p));
    ASSERT_TRUE(pack_network(d.p));
    EXPECT_EQ(error_count(), 0);

    struct Row {
        const char* list;
        std::vector<std::string> got;
        std::vector<std::string> expected;
    };
    const Row table[] = {
        {"zones", d.order(d.p.zones), {"c", "b", "S2r", "S2s", "S1r", "S1s", "a"}},
        {"paths",
         d.order(d.p.paths),
         {"super", "sub1", "sub2", "window", "S1pr", "S1ps", "S1px", "S2pr", "S2ps", "S2px"}},
        {"notes", d.order(d.p.notes), {"kept"}},
        {"junctions", d.order(d.p.junctions), {"terminal"}},
        {"ducts", d.order(d.p.ducts), {"riser"}},
    };
    for (const Row& row : table) EXPECT_EQ(row.got, row.expected) << row.list;

    // Icons carry the new numbers; the phantom follows its zone.
    const std::vector<IconEntry> top = {{5, 5, 5, 1},   {6, 6, 130, 2},  {9, 9, 5, 2},  {7, 7, 130, 1},
                                        {5, 8, d.super_icon, 1},  {10, 10, 162, 1}, {12, 12, 6, 7}};
    const std::vector<IconEntry> low = {{5, 5, 5, 7}, {5, 10, 23, 4}, {8, 8, 42, 1}};
    EXPECT_EQ(d.p.top_level->icons, top);
    EXPECT_EQ(d.p.lowest_level->icons, low);

    const SimpleAhs* s1 = d.p.system_index[0];
    const SimpleAhs* s2 = d.p.system_index[1];
    EXPECT_EQ((std::vector<int>{s1->zr, s1->zs, s1->pr, s1->ps, s1->px}), (std::vector<int>{5, 6, 5, 6, 7}));
    EXPECT_EQ((std::vector<int>{s2->zr, s2->zs, s2->pr, s2->ps, s2->px}), (std::vector<int>{3, 4, 8, 9, 10}));
    EXPECT_EQ(d.p.junctions.at(1)->t, 1) << "a terminal icon makes its junction a terminal";
    EXPECT_EQ(d.p.sub_paths.of(d.super_path).size(), 2u);
}

TEST(ProjectPack, TooManySystemsOnOneLevelIsACountedErrorThatChangesNothing)
{
    ScriptedPort port;
    DrawnProject d;
    Level* top = d.p.top_level;
    for (std::size_t i = 0; i < kMaxSystemsPerLevel; ++i) {
        SimpleAhs* s = create_simple_ahs(d.p, "X" + std::to_string(1000 + i), "");
        top->icons.push_back({static_cast<std::int16_t>(20 + i), 20, 130, s->nr});
    }
    const std::vector<IconEntry> before = top->icons;
    const std::int32_t zones = d.p.zones.count();
    const Zone* first = d.p.zones.at(1);
    reset_error_count();

    EXPECT_FALSE(pack_zones(d.p));
    EXPECT_EQ(error_count(), 1);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes.back().text.find("Too many systems on one level"), std::string::npos);
    EXPECT_EQ(top->icons, before);
    EXPECT_EQ(d.p.zones.count(), zones);
    EXPECT_EQ(d.p.zones.at(1), first);
}

TEST(ProjectPack, WpcFlagsFollowAmbientPathsAndTerminals)
{
    ScriptedPort port;
    Project p;
    Level level;
    p.current_level = p.levels.add(level);
    NewElementState state;
    AirflowElement* element =
        p.elements.insert_copy(new_airflow_element(kPlrOrfc, NewElementContext{}, state));
    Zone* room = add_zone(p, new_zone(p));

    struct Case {
        const char* what;
        std::uint16_t flags;  // before; 0x02|0x04 set on all to see them cleared
        bool element;
        bool ambient;
        bool wpc;
        bool flagged;
        bool error;
    };
    const Case cases[] = {
        {"element to ambient", 0x06, true, true, true, true, false},
        {"outdoor air", 0x26, false, true, true, true, false},
        {"exhaust", 0x46, false, true, true, false, false},
        {"supply point", 0x0E, false, true, true, false, true},
        {"interior", 0x06, true, false, true, false, false},
        {"no WPC file", 0x06, true, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reset_error_count();
        port.boxes.clear();
        FlowPath f;
        f.flags = c.flags;
        f.element = c.element ? element : nullptr;
        f.zone_n = room;
        f.zone_m = c.ambient ? ZoneRef::ambient() : ZoneRef(room);
        FlowPath* path = add_path(p, f);
        set_wpc_flags(p, c.wpc);
        EXPECT_EQ((path->flags & 0x06) != 0, c.flagged);
        EXPECT_EQ(path->flags & ~0x06, c.flags & ~0x06);
        EXPECT_EQ(error_count(), c.error ? 1 : 0);
        if (c.error) {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_NE(port.boxes[0].text.find("WPC definition error for path " + std::to_string(path->nr)),
                      std::string::npos);
        }
        p.paths.release(path->nr);
    }

    Junction outdoor;
    outdoor.t = 3;
    outdoor.zone = ZoneRef::ambient();
    Junction* j = add_junction(p, outdoor);
    Junction inside = outdoor;
    inside.zone = room;
    inside.flags = 0x06;
    Junction* k = add_junction(p, inside);
    set_wpc_flags(p, true);
    EXPECT_EQ(j->flags, 0x06);
    EXPECT_EQ(k->flags, 0);
}

TEST(ProjectPack, SubPathChainsSurviveASaveAndARead)
{
    ScriptedPort port;
    const fs::path dir = fs::path(::testing::TempDir()) / "project_pack_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "chains.prj").string();

    DrawnProject d(false);
    d.p.rc.rows = 58;
    d.p.rc.cols = 66;
    ASSERT_TRUE(pack_zones(d.p));
    ASSERT_TRUE(pack_network(d.p));
    TextWriter first;
    write_project(first, d.p);
    ASSERT_EQ(error_count(), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
    ASSERT_TRUE(write_file_atomically(file, first.text()));

    Project back;
    ASSERT_EQ(read_project(file, back, {}), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
    const FlowPath* parent = back.paths.at(1);
    ASSERT_NE(parent, nullptr);
    const std::vector<FlowPath*>& subs = back.sub_paths.of(parent);
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0]->nr, 2);
    EXPECT_EQ(subs[1]->nr, 3);
    EXPECT_TRUE(back.sub_paths.of(back.paths.at(4)).empty()) << "the window owns no chain";

    // A second save renumbers again and keeps the hidden paths.
    ASSERT_TRUE(pack_zones(back));
    ASSERT_TRUE(pack_network(back));
    TextWriter second;
    write_project(second, back);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(second.text(), first.text());
}

ControlNode control_node(std::int16_t type, const std::string& name)
{
    ControlNode n;
    n.type = type;
    n.name = name;
    n.data = new_control_data(type);
    return n;
}

// Control nodes take the order of their icons, a super node's copies right
// after it; links and phantoms follow the nodes they name; a node no icon
// shows goes, and nothing keeps pointing at it.
TEST(PackControls, NodesFollowTheirIconsAndCopiesFollowTheirInstance)
{
    Project p;
    Level level;
    level.name = "L1";
    Level* l1 = p.levels.add(level);
    p.lowest_level = p.top_level = p.current_level = l1;
    auto node = [&](std::int16_t type, const std::string& name) { return p.controls.add(control_node(type, name)); };
    ControlNode* instance = node(kCtSup, "instance");  // 1
    ControlNode* copy = node(kCtPas, "copy");          // 2
    ControlNode* constant = node(kCtSet, "constant");  // 3
    node(kCtSns, "sensor");                            // 4
    ControlNode* orphan = node(kCtSet, "orphan");      // 5, no icon
    std::get<SuperInstanceData>(instance->data).copies = {copy};
    constant->c1 = orphan;
    Zone z = new_zone(p);
    Zone* zone = add_zone(p, z);
    zone->control = orphan;
    FlowPath fp;
    FlowPath* path = add_path(p, fp);
    path->control = constant;

    l1->icons = {{1, 1, 185, 3}, {1, 3, 187, 1}, {2, 1, 181, 4}, {1, 2, 168, 3}, {3, 3, 186, 3}, {3, 4, 168, 5}};
    ASSERT_TRUE(pack_controls(p));

    std::vector<std::string> names;
    for (const ControlNode& n : p.controls) names.push_back(std::to_string(n.nr) + " " + n.name);
    EXPECT_EQ(names, (std::vector<std::string>{"1 constant", "2 instance", "3 copy", "4 sensor"}));
    std::vector<std::int32_t> numbers;
    for (const IconEntry& icon : l1->icons) numbers.push_back(icon.nr);
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 4, 1, 1, 0}));
    EXPECT_EQ(constant->c1, nullptr);
    EXPECT_EQ(zone->control, nullptr);
    EXPECT_EQ(path->control, constant);
    EXPECT_EQ(std::get<SuperInstanceData>(instance->data).copies, std::vector<ControlNode*>{copy});
}

// A super element's own nodes follow its sketch; references to a node the
// sketch no longer shows are cleared with it.
TEST(PackControls, SuperElementNodesFollowItsSketch)
{
    SuperElement e;
    auto add = [&](std::int16_t type, const std::string& name) { return e.nodes.add(control_node(type, name)); };
    ControlNode* in = add(kCtPas, "in");        // 1
    ControlNode* gone = add(kCtSet, "gone");    // 2
    ControlNode* out = add(kCtMod, "out");      // 3
    out->c1 = in;
    in->c1 = gone;
    e.input = in;
    e.output = out;
    e.sketch = {{188, 4, 1, 3}, {170, 3, 1, 1}, {189, 2, 1, 1}};
    pack_super_element(e);
    ASSERT_EQ(e.nodes.count(), 2);
    EXPECT_EQ(e.nodes.at(1)->name, "out");
    EXPECT_EQ(e.nodes.at(2)->name, "in");
    EXPECT_EQ(e.output, e.nodes.at(1));
    EXPECT_EQ(e.input, e.nodes.at(2));
    EXPECT_EQ(e.nodes.at(1)->c1, e.nodes.at(2));
    EXPECT_EQ(e.nodes.at(2)->c1, nullptr);
    EXPECT_EQ(e.sketch, (std::vector<SketchIcon>{{188, 4, 1, 1}, {170, 3, 1, 2}, {189, 2, 1, 2}}));

    SuperElement empty;
    empty.nodes.add(ControlNode{});
    pack_super_element(empty);
    EXPECT_EQ(empty.nodes.count(), 1) << "an element without a sketch keeps its nodes";
}

}  // namespace
}  // namespace avelor
