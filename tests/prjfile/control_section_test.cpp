#include "prjfile/control_section.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/control_node.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// A super element of two nodes (a sensor that takes the cell's target and
// a proportional controller) with one sketch icon, and a main list with
// every kind of data line: sensors on a zone, on the ambient zone and on a
// path, a schedule, a sum of three inputs, a polynomial of order 2, an
// instance followed by its two node copies and a phantom of it, and the
// other data lines, among them nodes of types without data, whose lines
// are empty.
const char* const kSections = R"(1 ! control super elements:
! #   f  in out  nn  ni name
  1   2   1   2   2   1 SE_fan
fan controller
2 ! sub-nodes:
! # typ seq f n  c1  c2 name
  1 sns   0 0 0   0   0 s1
sensor in
 0 1 0 0 0 1 0   0.000   0.000   0.000 0 CO2
  2 pc1   0 0 1   1   0 p1

 0.5
 186   3   4   1
-999
21 ! control nodes:
! # typ seq f n  c1  c2 name
  1 sns   1 0 0   0   0 zone_co2
CO2 in the office
 0 1 60 0.5 1 1 0   1.000   2.000   0.000 0 CO2
  2 sns   2 0 0   0   0 outdoor_t

 0 1 0 0 -1 1 1   0.000   0.000   0.000 0 none
  3 sch   3 0 0   0   0 occ

 1
  4 sum   4 0 3   0   0 total

 3  1 2 3
  5 ply   5 0 1   4   0 poly

 2 1 0.5 0.25
  6 sup   6 0 1   1   0 inst

 0 1 7 8
  7 sns   7 0 0   0   0 s1

 0 1 0 0 1 1 0   0.000   0.000   0.000 0 CO2
  8 pc1   8 0 1   7   0 p1

 0.5
  9 sph   9 0 1   6   0 ghost


 10 log  10 0 1   1   0 report

 0 1e+06 0 CO2_level ppm
 11 dlx  11 0 1   1   0 lag

 00:10:00 00:05:00
 12 rav  12 0 1   1   0 mean

 01:00:00
 13 dls  13 0 1   1   0 sdelay

 1 1
 14 hys  14 0 1   1   0 band

 0.2 0.8 0.1
 15 pi1  15 0 1   1   0 pi

 0.5 0.01 0 0
 16 cvf  16 0 0   0   0 column

 fan_col
 17 set  17 0 0   0   0 one

 1
 18 mod  18 0 1   1   0 scale

 1 2
 19 ubs  19 0 1   1   0 upper

 0.1
 20 abs  20 0 1  18   0 magnitude


 21 sns  21 0 0   0   0 flow

 0 1 0 0 1 2 2   0.000   0.000   0.000 0 none
-999
)";

class ControlSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::add_species(project, "CO2", 0, 0);
        Level level;
        level.name = "L1";
        project.current_level = project.levels.add(level);
        Zone zone = new_zone(project);
        zone.name = "office";
        office = add_zone(project, zone);
        FlowPath path;
        path.zone_n = ZoneRef::ambient();
        path.zone_m = office;
        window = add_path(project, path);
        WeekSchedule week = new_week_schedule(1, 0);
        week.name = "weekdays";
        project.week_schedules.insert_copy(week);
        DaySchedule day = new_day_schedule(1, 0);
        day.name = "day";
        project.day_schedules.insert_copy(day);
    }

    int read(const std::string& text)
    {
        const std::string path = ::testing::TempDir() + "avelor_control_section_test.txt";
        // The sections follow the end of the section before them.
        std::ofstream(path, std::ios::binary) << "-999\n" << text;
        reset_error_count();
        project.super_elements.clear();
        project.controls.clear();
        port.boxes.clear();
        DataReader in;
        if (in.open(path, 1) != 0) return -1;
        in.read_int();
        read_super_elements_section(in, project);
        if (error_count() == 0) read_control_nodes_section(in, project);
        if (error_count() == 0) resolve_controls(project);
        in.close();
        std::remove(path.c_str());
        return error_count();
    }

    bool told(const std::string& text) const
    {
        for (const auto& box : port.boxes)
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }

    ScriptedPort port;
    Project project;
    Zone* office = nullptr;
    FlowPath* window = nullptr;
};

TEST_F(ControlSectionTest, NodesAndSuperElementsRoundTripByteExactly)
{
    ASSERT_EQ(read(kSections), 0);
    ASSERT_EQ(project.controls.count(), 21);
    ASSERT_EQ(project.super_elements.count(), 1);

    const SuperElement& se = *project.super_elements.head();
    EXPECT_EQ(se.input, se.nodes.at(1));
    EXPECT_EQ(se.output, se.nodes.at(2));
    EXPECT_EQ(se.nodes.at(2)->c1, se.nodes.at(1)) << "sub-node inputs name nodes of the element's own list";
    EXPECT_EQ(se.sketch, (std::vector<SketchIcon>{{186, 3, 4, 1}}));
    EXPECT_EQ(se.use_count, 1);

    const auto& co2 = std::get<SensorData>(project.controls.at(1)->data);
    EXPECT_EQ(co2.species, project.species.find_by_name("CO2"));
    EXPECT_EQ(std::get<ZoneRef>(co2.target.record), ZoneRef(office));
    EXPECT_FLOAT_EQ(co2.fourth, 0.5f) << "the fourth sensor value is kept";
    EXPECT_TRUE(std::get<ZoneRef>(std::get<SensorData>(project.controls.at(2)->data).target.record).is_ambient());
    EXPECT_EQ(std::get<FlowPath*>(std::get<SensorData>(project.controls.at(21)->data).target.record), window);
    EXPECT_EQ(std::get<ScheduleNodeData>(project.controls.at(3)->data).schedule, project.week_schedules.head());

    const auto& sum = std::get<InputListData>(project.controls.at(4)->data);
    EXPECT_EQ(sum.inputs, (std::vector<ControlNode*>{project.controls.at(1), project.controls.at(2),
                                                     project.controls.at(3)}));
    const auto& instance = std::get<SuperInstanceData>(project.controls.at(6)->data);
    EXPECT_EQ(instance.element, project.super_elements.head());
    EXPECT_EQ(instance.copies, (std::vector<ControlNode*>{project.controls.at(7), project.controls.at(8)}));
    EXPECT_EQ(instance.output, project.controls.at(8));
    EXPECT_EQ(project.controls.at(9)->c1, project.controls.at(6));
    EXPECT_EQ(project.controls.at(6)->ref_count, 1) << "the phantom counts on its instance";
    EXPECT_EQ(std::get<PolynomialData>(project.controls.at(5)->data).coefficients,
              (std::vector<float>{1, 0.5f, 0.25f}));
    EXPECT_EQ(std::get<DelayTimesData>(project.controls.at(11)->data).first, 600);

    // Saving numbers every definition list before any section is written.
    project.week_schedules.renumber();
    project.day_schedules.renumber();
    TextWriter out;
    EXPECT_EQ(write_super_elements_section(out, project), 0);
    EXPECT_EQ(write_control_nodes_section(out, project), 0);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(out.text(), kSections);

    // A copy of the super element is a list of its own.
    SuperElement copy = se;
    EXPECT_NE(copy.nodes.at(2), se.nodes.at(2));
    EXPECT_EQ(copy.nodes.at(2)->c1, copy.nodes.at(1));
    EXPECT_EQ(copy.output, copy.nodes.at(2));
}

TEST_F(ControlSectionTest, DamagedSectionsAreCountedErrors)
{
    struct Case {
        const char* name;
        std::string from, to;
        const char* message;
    };
    const Case cases[] = {
        {"element number", "  1   2   1   2   2   1 SE_fan", "  4   2   1   2   2   1 SE_fan",
         "Element number mis-match: 1"},
        {"element input", "  1   2   1   2   2   1 SE_fan", "  1   2   5   2   2   1 SE_fan",
         "Invalid control node number, super element 1"},
        {"node number", "  2 sns   2", "  5 sns   2", "Control number mis-match: 2"},
        {"type name", "  4 sum   4", "  4 xyz   4", "Undefined Element Type: xyz"},
        {"input number", "  8 pc1   8 0 1   7", "  8 pc1   8 0 1  99", "Invalid control node number, node 8"},
        {"list input", " 3  1 2 3\n", " 3  1 2 30\n", "Invalid control node number, node 4"},
        {"list count", " 3  1 2 3\n", " -3  1 2 3\n", "Invalid input count, node 4"},
        {"species", "0.000 0 CO2\n  2 sns", "0.000 0 NO2\n  2 sns", "Name not found: NO2"},
        {"schedule", "occ\n\n 1\n", "occ\n\n 4\n", "Invalid schedule number, node 3"},
        {"day schedule", "sdelay\n\n 1 1\n", "sdelay\n\n 1 7\n", "Invalid day schedule number, node 13"},
        {"polynomial order", " 2 1 0.5 0.25\n", " 12 1 0.5 0.25\n", "Invalid polynomial order, node 5"},
        {"super element number", " 0 1 7 8\n", " 0 5 7 8\n", "Invalid super element number, node 6"},
        {"sensor target", " 0 1 60 0.5 1 1 0", " 0 1 60 0.5 7 1 0", "Invalid sensor target, node 1"},
        {"sensor kind", " 0 1 60 0.5 1 1 0", " 0 1 60 0.5 1 9 0", " Unidentified sensor type"},
        {"phantom of no instance", "  9 sph   9 0 1   6", "  9 sph   9 0 1   5", "Invalid phantom control, node 9"},
        {"missing end", "none\n-999\n", "none\n", "PRJ read error; see LOG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = kSections;
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        EXPECT_GE(read(text), 1);
        EXPECT_TRUE(told(c.message)) << (port.boxes.empty() ? std::string("no message") : port.boxes.front().text);
    }

    // An instance whose node copies would run past the end of the list.
    std::string text = kSections;
    text.erase(text.find("21 ! control nodes:"));
    text += "1 ! control nodes:\n! # typ seq f n  c1  c2 name\n  1 sup   1 0 0   0   0 inst\n\n 0 1 0 0\n-999\n";
    EXPECT_GE(read(text), 1);
    EXPECT_TRUE(told("Invalid super element instance, node 1"));
}

TEST_F(ControlSectionTest, AGapInTheListStopsTheSaveWithoutEndingTheProgram)
{
    ASSERT_EQ(read(kSections), 0);
    project.controls.release(4);
    reset_error_count();
    TextWriter out;
    EXPECT_EQ(write_control_nodes_section(out, project), 1);
    EXPECT_EQ(error_count(), 1);
    EXPECT_TRUE(told("Null pointer - control: 4"));
}

TEST(ControlTypes, NamesAndLabels)
{
    EXPECT_EQ(control_type_of("sns"), kCtSns) << "the unused entry repeats the sensor's name";
    EXPECT_EQ(control_type_of("sph"), kCtSph);
    EXPECT_EQ(control_type_of("SNS"), -1);
    EXPECT_FALSE(control_type_info(kCtUnused));
    EXPECT_FALSE(control_type_info(50));
    EXPECT_EQ(control_type_info(kCtPi1)->label, "P/I controller");
}

}  // namespace
}  // namespace avelor
