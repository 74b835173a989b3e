#include "outdoor/wpc_file.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/airflow_element.h"
#include "model/project.h"
#include "model/species.h"
#include "outdoor/path_locations.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"
#include "support/test_files.h"

namespace avelor {
namespace {

FlowPath exterior(float X, float Y, float relHt)
{
    FlowPath p;
    p.flags = kPathWpcPressure;
    p.zone_n = ZoneRef::ambient();
    p.X = X, p.Y = Y, p.relHt = relHt;
    return p;
}

struct Envelope : ::testing::Test {
    testing::ScriptedPort port;
    Project project;
    Level* upper = nullptr;
    Envelope()
    {
        Level l;
        l.refHt = 3;
        upper = project.levels.add(l);
        // Two openings 1 mm apart are one location, 2 mm apart two.
        add_path(project, exterior(1, 2, 1));
        add_path(project, exterior(1.001f, 2, 1));
        add_path(project, exterior(1.002f, 2, 1));
        // A door on the upper level: its location is at mid-height.
        AirflowElement door;
        door.name = "door";
        door.type = kDorDoor;
        door.data = element_data_for(kDorDoor);
        std::get<DoorData>(door.data).ht = 2;
        FlowPath d = exterior(5, 6, 0.5f);
        d.element = project.elements.insert_copy(door);
        add_path(project, d)->level = upper;
        // An air-handling system's exhaust and a path without WPC flags take no part.
        FlowPath exhaust = exterior(9, 9, 1);
        exhaust.flags |= kPathExhaust;
        add_path(project, exhaust);
        FlowPath plain = exterior(8, 8, 1);
        plain.flags = 0;
        add_path(project, plain);
        Junction t;
        t.t = kJunctionExposed;
        t.flags = kPathWpcPressure;
        t.zone = ZoneRef::ambient();
        t.X = 4, t.Y = 4, t.relHt = 2;
        add_junction(project, t)->level = upper;
    }
};

TEST_F(Envelope, LocationsAreDistinctWithinOneAndAHalfMillimetres)
{
    testing::RunLogFile log;
    PathLocationList list = build_path_locations(project);
    ASSERT_EQ(list.entries.size(), 4u);
    EXPECT_EQ(list.duplicates, 1);
    EXPECT_EQ(list.at_origin, 0);
    EXPECT_EQ(list.entries[0].nr, 1);
    EXPECT_EQ(list.entries[1].nr, 3);
    EXPECT_FLOAT_EQ(list.entries[2].Z, 3 + 0.5f + 1);  // level, relative height, half the door
    EXPECT_EQ(list.entries[3].kind, 1);
    EXPECT_FLOAT_EQ(list.entries[3].Z, 5);
    const std::string text = log.text();
    EXPECT_NE(text.find("Creating PLDlist:\n  4 unique locations\n  1 duplicate locations\n  end PLDlist\n\n"),
              std::string::npos)
        << text;

    // A terminal indoors is refused; one at 0,0 is counted and logged.
    Junction indoors;
    indoors.flags = kPathWpcConcentration;
    indoors.t = kJunctionExposed;
    add_junction(project, indoors);
    add_path(project, exterior(0, 0, 1));
    port.boxes.clear();
    list = build_path_locations(project);
    EXPECT_EQ(list.entries.size(), 5u);
    EXPECT_EQ(list.at_origin, 1);
    // Paths come before terminals: the 0,0 path is the fourth entry.
    EXPECT_EQ(list.entries[3].nr, 7);
    EXPECT_EQ(list.entries[3].error, 1);
    EXPECT_EQ(list.entries[4].error, 0);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes[0].text.find("Bad WPC terminal"), std::string::npos);
    EXPECT_NE(log.text().find("PLDpath: undefined location for path 7 (2)\n"), std::string::npos);
}

TEST_F(Envelope, ThePathLocationFileHasItsExactLines)
{
    project.rc.ewc_file = "site.ewc";
    project.rc.wpc_file = "site.wpc";
    project.rc.tShift = 3600;
    project.rc.dStart = 1;
    project.rc.dEnd = 365;
    const PathLocationList list = build_path_locations(project);
    EXPECT_EQ(path_location_text(project, list, true, false),
              "site.ewc ! EWC file\n"
              "site.wpc ! WPC file\n"
              "WPC description\n"
              "!  Xref    Xref    Yref   angle\n"
              "  0.000   0.000   0.000   0.00\n"
              "   0.0000    0.0000 ! no latitude/longitude\n"
              "!  Xmin    Xmax    Ymin    Ymax    Zmin    Zmax\n"
              "  1.000   5.000   2.000   6.000   1.000   5.000\n"
              "!step  shift   start  end\n"
              "    0 01:00:00   1/1 12/31\n"
              " 1 0 0.01 ! pressures flag, species flag\n"
              "! species name m.wt\n"
              " 4 0.01 ! number of flow paths and mapping tolerance\n"
              "! id#    X       Y       Z\n"
              "   1   1.000   2.000   1.000\n"
              "   2   1.002   2.000   1.000\n"
              "   3   5.000   6.000   4.500\n"
              "   4   4.000   4.000   5.000\n"
              "-999\n");
    // With species and a real site.
    Species* co2 = testing::add_species(project, "CO2", 0, 0);
    co2->molwt = 44.01f;
    ASSERT_EQ(rebuild_contaminants(project), 0);
    project.rc.latd = 40.5f;
    const std::string text = path_location_text(project, list, false, true);
    EXPECT_NE(text.find("  40.5000  -90.0000 ! latitude, longitude\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" 0 1 0.01 ! pressures flag, # species, mapping tolerence\n! species name m.wt\nCO2 44.01\n"),
              std::string::npos);

    const std::string prj = ::testing::TempDir() + "envelope.prj";
    ASSERT_EQ(write_path_location_file(project, prj, list, true, true), 0);
    EXPECT_EQ(testing::read_file(::testing::TempDir() + "envelope.pld"), path_location_text(project, list, true, true));
    std::remove((::testing::TempDir() + "envelope.pld").c_str());
    EXPECT_EQ(write_path_location_file(project, prj, PathLocationList{}, true, true), 1);
    EXPECT_NE(port.boxes.back().text.find("No list of envelope openings."), std::string::npos);
}

struct WpcFileTest : ::testing::Test {
    testing::ScriptedPort port;
    RunControl rc;
    std::string path = ::testing::TempDir() + "test.wpc";
    ~WpcFileTest() override { std::remove(path.c_str()); }
    void write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string file(const std::string& version, const std::string& locations, const std::string& records)
    {
        return "WPCfile AvelorW " + version + "\nA site\n2 ! locations\n0 ! species\n1 ! pressures\n3600\n1/1 1/1\n" +
               locations + records;
    }
};

const std::string kLocations = "1 0 0 10 0\n2 5 0 0 0\n";
const std::string kRecords = "1/1 0:00:00 101325 1.2\n101330 101325\n1/1 24:00:00 101325 1.2\n101325 101320\n";

TEST_F(WpcFileTest, HeaderLocationsAndRecordsAsEachVersionStoresThem)
{
    write(file("2.1", kLocations, kRecords));
    WpcData data;
    EXPECT_EQ(read_wpc_file(rc, path, 1, data), 0);
    EXPECT_EQ(rc.wpc_description, "A site");
    EXPECT_EQ(rc.wp, 1);
    EXPECT_EQ(rc.mf, 0);
    EXPECT_EQ(data.time_step, 3600);
    EXPECT_TRUE(data.location_list.empty());
    ASSERT_EQ(read_wpc_file(rc, path, 3, data), 0);
    ASSERT_EQ(data.location_list.size(), 2u);
    ASSERT_EQ(data.records.size(), 2u);
    // 2.1: p = Z rho g + (p - Pbar) at Z = 10 m, 5 Pa above Pbar.
    EXPECT_NEAR(data.records[0].pressures[0], 10 * 1.2 * 9.8055 + 5, 1e-3);
    EXPECT_NEAR(data.records[1].pressures[1], -5, 1e-3);
    EXPECT_NEAR(data.max_pressure, 122.666, 1e-3);
    // 2.4 keeps what it stores.
    write(file("2.4", kLocations, "1/1 0 101325 1.2\n5 -3\n1/1 86400 101325 1.2\n1 1\n"));
    ASSERT_EQ(read_wpc_file(rc, path, 3, data), 0);
    EXPECT_FLOAT_EQ(data.records[0].pressures[0], 5);
    EXPECT_DOUBLE_EQ(data.max_pressure, 5);
}

TEST_F(WpcFileTest, DamagedFilesAndMappingErrors)
{
    struct Case {
        std::string text;
        int level, result;
        const char* says;
    };
    const std::vector<Case> cases = {
        {file("2.3", kLocations, kRecords), 1, -1, "Bad WPC file: "},
        {file("2.4", kLocations, "1/1 0:00:00 101325 0.05\n1 1\n"), 3, -1, "Check WPC air density value"},
        {file("2.4", kLocations, "1/1 0:00:00 101325 12\n1 1\n"), 3, -1, "Check WPC air density value"},
        {file("2.4", kLocations, "13/1 0:00:00 101325 1.2\n1 1\n"), 3, -1, "Error in WPC file date value"},
        {file("2.4", kLocations, "1/1 25:00:00 101325 1.2\n1 1\n"), 3, -1, "Error in WPC file time value"},
        // Fewer records than the period needs: the date error at the end.
        {file("2.4", kLocations, "1/1 0:00:00 101325 1.2\n1 1\n"), 3, -1, "Error in WPC file date value"},
        // An id out of sequence is a mapping error even with flag 0.
        {file("2.4", "1 0 0 10 0\n3 5 0 0 0\n", kRecords), 2, 1, "Mapping errors in WPC file, see details in LOG file"},
        {file("2.4", "1 0 0 10 0\n2 5 0 0 2\n", kRecords), 2, 1, "Mapping errors in WPC file, see details in LOG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        write(c.text);
        port.boxes.clear();
        WpcData data;
        EXPECT_EQ(read_wpc_file(rc, path, c.level, data), c.result);
        bool told = false;
        for (const auto& b : port.boxes) told = told || b.text.find(c.says) != std::string::npos;
        EXPECT_TRUE(told);
    }
    // The version-2.3 header's own line is shown first.
    write(file("2.3", kLocations, kRecords));
    port.boxes.clear();
    WpcData data;
    read_wpc_file(rc, path, 1, data);
    ASSERT_GE(port.boxes.size(), 2u);
    EXPECT_NE(port.boxes[0].text.find("File header line: WPCfile AvelorW 2.3"), std::string::npos);
    // During a building check the mapping errors go to the problem list, no box.
    write(file("2.4", "1 0 0 10 0\n3 5 0 0 0\n", kRecords));
    port.boxes.clear();
    EXPECT_EQ(read_wpc_file(rc, path, 2, data, true), 1);
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(data.mapping_errors, 1);
}

TEST_F(WpcFileTest, UnmatchedLocationsAreMarked)
{
    write(file("2.4", "1 1 2 1 0\n2 4 4 5 0\n", "1/1 0 101325 1.2\n1 1\n1/1 86400 101325 1.2\n1 1\n"));
    WpcData data;
    ASSERT_EQ(read_wpc_file(rc, path, 2, data), 0);
    PathLocationList list;
    list.entries = {{1, 2, 1.001f, 0, 0, 1}, {4, 4, 5, 0, 1, 2}, {7, 7, 7, 0, 0, 3}};
    testing::RunLogFile log;
    EXPECT_EQ(count_unmatched_locations(list, data), 1);
    EXPECT_EQ(list.entries[0].error, 0);
    EXPECT_EQ(list.entries[2].error, 1);
    EXPECT_NE(log.text().find("Paths/Terminals/Junctions not found in WPC file.\n  1 : path 3 at (7.000000 7.000000 "
                              "7.000000) not in WPC file.\n"),
              std::string::npos)
        << log.text();
}

}  // namespace
}  // namespace avelor
