#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/data_reader.h"
#include "prjfile/network_sections.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Definitions every test project shares, set up the same way in the project
// that is written and in the one it is read into.
void add_definitions(Project& p)
{
    for (const char* name : {"CO2", "N2", "O2"}) {
        Species s;
        s.name = name;
        p.species.insert_copy(s);
    }
    p.Ctm = {p.species.find_by_name("N2"), p.species.find_by_name("O2")};
    p.CC0 = {0.77f, 0.23f};
    AirflowElement crack;
    crack.name = "crack";
    p.elements.insert_copy(crack);
    p.elements.renumber();
    KineticReaction r;
    r.name = "decay";
    p.reactions.insert_copy(r);
    p.reactions.renumber();
    DuctElement duct = new_duct_element(kDctDwc, NewElementContext{});
    duct.name = "main";
    p.duct_elements.insert_copy(duct);
    p.duct_elements.renumber();
    for (const char* name : {"printer", "burst"}) {
        SourceElement e = new_source_element(kSrcCcf, p.species.find_by_name("CO2"));
        e.name = name;
        p.source_elements.insert_copy(e);
    }
    p.source_elements.renumber();
}

void write_network(TextWriter& out, Project& p)
{
    write_levels(out, p);
    write_simple_ahs(out, p);
    write_zones(out, p);
    write_paths(out, p);
    write_junctions(out, p);
    write_ducts(out, p);
    write_sources(out, p);
    write_exposures(out, p);
    write_annotations(out, p);
}

void read_network(DataReader& in, Project& p)
{
    using Reader = void (*)(DataReader&, Project&);
    for (Reader read : {read_levels, read_simple_ahs, read_zones, read_paths, read_junctions,
                        read_ducts, read_sources, read_exposures, read_annotations}) {
        read(in, p);
        if (error_count() != 0) return;
    }
    check_simple_ahs_numbers(p);
}

class NetworkSectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        add_definitions(project);
        Level ground;
        ground.name = "ground";
        ground.delHt = 3;
        ground.icons = {{5, 7, 5, 1}, {10, 12, 23, 1}, {20, 20, 130, 1}};
        Level* g = project.levels.add(ground);
        Level first;
        first.name = "first";
        first.refHt = 3;
        first.delHt = 3.5f;
        first.u = {1, 1};
        Level* f = project.levels.add(first);
        g->above = f;
        f->below = g;
        project.current_level = g;

        Zone office = new_zone(project);
        office.name = "office";
        office.Vol = 75;
        office.reaction = project.reactions.head();
        office.cdvf = {2, "ctrlvals"};
        office.cfd_name = "cfdzone";
        office.CC0 = {0.76f, 0.24f};
        add_zone(project, office);
        Zone corridor = new_zone(project);
        corridor.name = "corridor_with_a_long_name_31ch";
        corridor.axs = 1;
        corridor.axis = {0, 0, 0, 10, 0, 0, 0.5f, 0.1f};
        corridor.level = f;
        project.zones.add(corridor)->level = f;
        create_simple_ahs(project, "ahs1", "!main system");

        FlowPath door;
        door.element = project.elements.head();
        door.zone_n = project.zones.at(1);
        door.zone_m = ZoneRef::ambient();
        door.icn = 23;
        door.dir = 3;
        door.mult = 1;
        door.cfd_name = "cfdpath";
        door.cfd_values = {1, 2, 3};
        add_path(project, door);
        FlowPath supply;
        supply.flags = kPathAhs;
        supply.ahs = project.systems.head();
        supply.zone_n = project.zones.at(1);
        supply.zone_m = project.zones.at(2);
        add_path(project, supply);

        Junction terminal;
        terminal.t = 1;
        terminal.zone = ZoneRef::ambient();
        terminal.terminal.f1 = {0.1f, 0.2f, 0.3f};
        terminal.terminal.b = {1, 0};
        terminal.CC0 = {0.5f, 0.5f};
        add_junction(project, terminal);
        Junction tee;
        tee.CC0 = {0.77f, 0.23f};
        add_junction(project, tee);
        DuctSegment duct;
        duct.junction_n = project.junctions.at(1);
        duct.junction_m = project.junctions.at(2);
        duct.element = project.duct_elements.head();
        duct.dir = 2;
        duct.len = 5;
        duct.sllc = 0.5f;
        duct.clr = 3;
        duct.u = {1, 0};
        duct.cdvf = {1, "dvfname"};
        project.ducts.add(duct);

        SourceSink printer;
        printer.zone = project.zones.at(1);
        printer.element = project.source_elements.find_by_name("printer");
        printer.mult = 2;
        printer.box_max = {1, 2, 3};
        printer.cfd_name = "cfdsource";
        printer.cdvf = {1, "srcvals"};
        project.sources.add(printer);

        Exposure occupant = new_exposure(project);
        occupant.desc = "visitor";
        occupant.generations.push_back({project.species.find_by_name("CO2"), nullptr, 5e-6f, 2, {}});
        project.exposures.add(occupant);
        Annotation note;
        note.text = " note with a leading blank and a ! mark";
        project.notes.add(note);
    }

    // Writes the network, reads it into a fresh project and returns what
    // that project writes.
    std::string round_trip(const std::string& text, Project& back)
    {
        path = ::testing::TempDir() + "network_sections.txt";
        // Each section begins on the line after the one before it ended on.
        std::ofstream(path, std::ios::binary) << "-999\n" << text << "* end\n";
        DataReader in;
        EXPECT_EQ(in.open(path, 0), 0);
        read_network(in, back);
        in.close();
        TextWriter again;
        write_network(again, back);
        return again.text();
    }

    ScriptedPort port;
    Project project;
    std::string path;
};

TEST_F(NetworkSectionsTest, RoundTripIsByteExact)
{
    TextWriter out;
    write_network(out, project);
    ASSERT_EQ(error_count(), 0);

    Project back;
    add_definitions(back);
    EXPECT_EQ(round_trip(out.text(), back), out.text());
    EXPECT_EQ(error_count(), 0);

    // References came back as records.
    ASSERT_EQ(back.zones.count(), 4);
    EXPECT_EQ(back.zones.at(1)->reaction, back.reactions.head());
    EXPECT_EQ(back.zones.at(2)->level, back.levels.at(2));
    EXPECT_EQ(back.zones.at(2)->name, "corridor_with_a_long_name_31ch");
    EXPECT_TRUE(back.paths.at(4)->zone_m.is_ambient());
    EXPECT_EQ(back.paths.at(4)->element, back.elements.head());
    EXPECT_EQ(back.paths.at(5)->ahs, back.systems.head());
    EXPECT_TRUE(back.junctions.at(1)->zone.is_ambient());
    ASSERT_EQ(back.ducts.count(), 1);
    EXPECT_EQ(back.ducts.at(1)->element, back.duct_elements.head());
    EXPECT_EQ(back.ducts.at(1)->junction_m, back.junctions.at(2));
    EXPECT_EQ(back.ducts.at(1)->cdvf.name, "dvfname");
    ASSERT_EQ(back.sources.count(), 1);
    EXPECT_EQ(back.sources.at(1)->element, back.source_elements.find_by_name("printer"));
    EXPECT_EQ(back.sources.at(1)->zone, back.zones.at(1));
    EXPECT_EQ(back.sources.at(1)->cfd_name, "cfdsource");
    EXPECT_EQ(back.exposures.at(1)->generations.at(0).species, back.species.find_by_name("CO2"));
    EXPECT_EQ(back.systems.head()->desc, "!main system");
    EXPECT_EQ(back.notes.at(1)->text, " note with a leading blank and a ! mark");
    EXPECT_EQ(back.levels.at(2)->below, back.levels.at(1));
    EXPECT_EQ(back.top_level, back.levels.at(2));
    EXPECT_EQ(back.zones.at(1)->CC0, (std::vector<float>{0.76f, 0.24f}));
}

// A path side with no zone (a path drawn where no room shows) is read as
// none; writing it again must not refuse the whole save.
TEST_F(NetworkSectionsTest, PathWithoutZoneIsSavedAsItWasRead)
{
    project.paths.at(4)->zone_n = ZoneRef{};
    TextWriter out;
    write_network(out, project);
    EXPECT_EQ(error_count(), 0);
    EXPECT_NE(out.text().find("   4    0   0  -1"), std::string::npos);

    Project back;
    add_definitions(back);
    EXPECT_EQ(round_trip(out.text(), back), out.text());
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(back.paths.at(4)->zone_n.is_none());
}

TEST_F(NetworkSectionsTest, LinesFollowTheirFormats)
{
    TextWriter out;
    write_network(out, project);
    const std::string& t = out.text();
    EXPECT_NE(t.find("2 ! levels plus icon data:\n! #  refHt   delHt  ni  u  name\n"
                     "  1   0.000   3.000 3 0 0 ground\n!icn col row  #\n   5   7   5   1\n"),
              std::string::npos);
    EXPECT_NE(t.find("   1  3   0   0   1   1   0.000    75 293.15 0 office -1 0 2 0 0 0 2 "
                     "ctrlvals 1 cfdzone\n"),
              std::string::npos);
    EXPECT_NE(t.find(" 1D:   0.000   0.000   0.000  10.000   0.000   0.000 0.5 0.1 0 0\n"),
              std::string::npos);
    EXPECT_NE(t.find("8 ! initial zone concentrations:\n! Z#         N2         O2\n"
                     "   1  7.600e-01  2.400e-01\n"),
              std::string::npos);
    EXPECT_NE(t.find("   4    0   1  -1   1   0   0   0   0   0   1 "), std::string::npos);
    EXPECT_NE(t.find(" 23  3 0 0 0 0 0 1 cfdpath 1 2 3\n"), std::string::npos);
    EXPECT_NE(t.find(" T: 0 0 0.1 0.2 0.3 0 0 0 0 0 0 0 0 0 1 0\n"), std::string::npos);
    EXPECT_NE(t.find("1 ! duct segments:\n! D#  f  n#  m#  e#  f#  s#  c# dir len Ain Aout sllc clr u[2] cdvf "
                     "<cdvf name>\n   1  0   1   2   1   0   0   0   2 5 0 0 0.5 3 1 0 1 dvfname\n-999\n"),
              std::string::npos);
    EXPECT_NE(t.find("1 0 1 1\nvisitor\n 0 0 0 0 0 0 0 0 0 0 0 0 ! occ. schd\n CO2 0 5e-06 2 0 "
                     "! occ. gen\n"),
              std::string::npos);
    EXPECT_NE(t.find("1 ! simple AHS:\n! # zr# zs# pr# ps# px# name\n  1   3   4   1   2   3 ahs1\n "
                     "!main system\n"),
              std::string::npos);
}

TEST_F(NetworkSectionsTest, NoContaminantsWritesZeroCountThenTerminator)
{
    Project empty;
    Level level;
    level.name = "only";
    empty.current_level = empty.levels.add(level);
    add_zone(empty, new_zone(empty));
    TextWriter out;
    write_zones(out, empty);
    EXPECT_NE(out.text().find("-999\n0 ! initial zone concentrations:\n-999\n"), std::string::npos);
}

struct Damage {
    const char* name;
    std::function<void(std::string&)> apply;
    const char* message;
};

void replace_once(std::string& text, const std::string& from, const std::string& to)
{
    auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST_F(NetworkSectionsTest, DamagedFilesGiveTheirMessages)
{
    TextWriter out;
    write_network(out, project);
    const std::string good = out.text();
    const Damage cases[] = {
        {"level number", [](std::string& t) { replace_once(t, "  2   3.000", "  7   3.000"); },
         " Level number mis-match: 2\n"},
        {"negative count", [](std::string& t) { replace_once(t, "4 ! zones:", "-4 ! zones:"); },
         " Invalid record count -4 for zones\n"},
        {"icon count beyond the grid",
         [](std::string& t) { replace_once(t, "3.000 3 0 0 ground", "3.000 999999 0 0 ground"); },
         " Invalid number of icons 999999, level 1\n"},
        {"zone level", [](std::string& t) { replace_once(t, "   1   1   0.000    75", "   1   9   0.000    75"); },
         " Invalid level number, zone 1\n"},
        {"zone schedule", [](std::string& t) { replace_once(t, "   1  3   0   0   1", "   1  3   4   0   1"); },
         " Invalid schedule number, zone 1\n"},
        {"concentration count",
         [](std::string& t) { replace_once(t, "8 ! initial zone", "5 ! initial zone"); },
         " Zones*contaminant count mis-match: 5\n"},
        {"path zone", [](std::string& t) { replace_once(t, "   4    0   1  -1", "   4    0   1  -7"); },
         " Invalid zone number, path 4\n"},
        {"AHS number without the flag",
         [](std::string& t) { replace_once(t, "   4    0   1  -1   1   0   0   0", "   4    0   1  -1   1   0   0   2"); },
         " Invalid AHS number, path 4\n"},
        {"AHS path numbers",
         [](std::string& t) { replace_once(t, "  1   3   4   1   2   3 ahs1", "  1   3   4   1   2  55 ahs1"); },
         " Invalid path number, AHS 1\n"},
        {"unknown species",
         [](std::string& t) { replace_once(t, " CO2 0 5e-06", " XYZ 0 5e-06"); },
         " Species not found: XYZ\n"},
        {"duct element number",
         [](std::string& t) { replace_once(t, "   1  0   1   2   1   0", "   1  0   1   2   4   0"); },
         " Invalid duct element number, duct 1\n"},
        {"duct without element",
         [](std::string& t) { replace_once(t, "   1  0   1   2   1   0", "   1  0   1   2   0   0"); },
         " Invalid duct element number, duct 1\n"},
        {"duct filter", [](std::string& t) { replace_once(t, "   1  0   1   2   1   0", "   1  0   1   2   1   2"); },
         " Invalid filter number, duct 1\n"},
        {"source element", [](std::string& t) { replace_once(t, "  1   1   2   0   0     2", "  1   1   7   0   0     2"); },
         " Invalid element number, source 1\n"},
        {"missing terminator",
         [](std::string& t) { replace_once(t, "-999\n1 ! annotations:", "1 ! annotations:"); },
         " PRJ read error; see LOG file\n"},
        {"truncated file", [](std::string& t) { t.resize(t.find("2 ! flow paths:") + 40); },
         nullptr},
    };
    for (const Damage& d : cases) {
        SCOPED_TRACE(d.name);
        std::string text = good;
        d.apply(text);
        reset_error_count();
        port.boxes.clear();
        Project back;
        add_definitions(back);
        round_trip(text, back);
        EXPECT_GE(error_count(), 1);
        ASSERT_FALSE(port.boxes.empty());
        if (d.message) {
            bool found = false;
            for (const auto& box : port.boxes) found = found || box.text.rfind(d.message, 0) == 0;
            EXPECT_TRUE(found) << "first message: " << port.boxes.front().text;
        }
    }
}

// A Darcy-Colebrook segment with neither length nor loss coefficients is
// read with a warning: the file stays readable and the check will say more.
TEST_F(NetworkSectionsTest, DarcySegmentWithoutLengthIsReadWithAWarning)
{
    project.ducts.at(1)->len = 0;
    project.ducts.at(1)->sllc = 0;
    TextWriter out;
    write_network(out, project);
    Project back;
    add_definitions(back);
    EXPECT_EQ(round_trip(out.text(), back), out.text());
    EXPECT_EQ(error_count(), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].text.rfind(" Duct 1 with DWC element has neither length nor loss coefficient\n", 0), 0u);
}

}  // namespace
}  // namespace avelor
