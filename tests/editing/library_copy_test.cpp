#include <gtest/gtest.h>

#include <string>

#include "editing/library_copy.h"
#include "forms/control_node_forms.h"
#include "model/control_node.h"
#include "model/filter_element.h"
#include "model/project.h"
#include "model/schedules.h"
#include "model/species.h"
#include "prjfile/library_file.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

DaySchedule day(const std::string& name, float noon)
{
    DaySchedule d = new_day_schedule(kScheduleDimensionless, 0);
    d.name = name;
    d.points = {{0, 0.0f}, {43200, noon}, {86400, 0.0f}};
    return d;
}

// A week schedule of one day schedule for every day type.
WeekSchedule week(const std::string& name, DaySchedule* every_day)
{
    WeekSchedule w = new_week_schedule(0, 0);
    w.name = name;
    w.days.fill(every_day);
    return w;
}

TEST(LibraryCopy, AWeekScheduleBringsItsDaysAndAsksBeforeReplacingOne)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        testing::ScriptedPort port;
        port.answers = {yes ? Answer::Yes : Answer::No};
        Library library;
        Project& lib = *library.lists;
        DaySchedule* lib_weekday = lib.day_schedules.insert_copy(day("Weekday", 1.0f));
        lib.week_schedules.insert_copy(week("Office", lib_weekday));
        Project project;
        DaySchedule* own = project.day_schedules.insert_copy(day("Weekday", 0.5f));
        project.mark_saved();

        EXPECT_EQ(copy_definitions(DefinitionKind::WeekSchedule, lib, project, {"Office"}), 1);
        ASSERT_EQ(port.questions.size(), 1u);
        EXPECT_EQ(port.questions[0], "Replace day schedule: \"Weekday\" ?");
        const WeekSchedule* office = project.week_schedules.find_by_name("Office");
        ASSERT_NE(office, nullptr);
        // Linked to the project's own record either way; Yes gave it the library's values.
        EXPECT_EQ(office->days[0], own);
        EXPECT_EQ(office->days[11], own);
        EXPECT_FLOAT_EQ(own->points[1].value, yes ? 1.0f : 0.5f);
        EXPECT_EQ(project.day_schedules.count(), 1);
        EXPECT_TRUE(project.changed());

        // Copied again, the same values ask nothing.
        port.questions.clear();
        if (yes) {
            EXPECT_EQ(copy_definitions(DefinitionKind::WeekSchedule, lib, project, {"Office"}), 1);
            EXPECT_TRUE(port.questions.empty());
            EXPECT_EQ(project.week_schedules.count(), 1);
        }
    }
}

TEST(LibraryCopy, AnOverwrittenSpeciesKeepsItsPlaceInTheContaminantList)
{
    testing::ScriptedPort port;
    Project project;
    Species* co2 = testing::add_species(project, "CO2", 0, 6e-4f);
    Species* tracer = testing::add_species(project, "SF6", 0, 0.0f);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    const std::vector<Species*> order = project.Ctm;
    ASSERT_EQ(order.size(), 2u);

    // The library's CO2 (no contaminant there) with another diffusivity.
    Library library;
    Species copy = *co2;
    copy.s = 0;
    copy.Dm = 1.6e-5f;
    library.lists->species.insert_copy(copy);
    EXPECT_EQ(copy_definitions(DefinitionKind::Species, *library.lists, project, {"CO2"}), 1);
    EXPECT_EQ(project.species.find_by_name("CO2"), co2);
    EXPECT_EQ(co2->s, 1);
    EXPECT_FLOAT_EQ(co2->Dm, 1.6e-5f);
    EXPECT_EQ(project.Ctm, order);
    EXPECT_EQ(project.CC0.size(), 2u);

    // From the project into the library: the library's record is
    // overwritten, and a library species is never a contaminant.
    co2->Dm = 1.0e-5f;
    EXPECT_EQ(copy_definitions(DefinitionKind::Species, project, *library.lists, {"CO2", "SF6"}), 2);
    EXPECT_FLOAT_EQ(library.lists->species.find_by_name("CO2")->Dm, 1.0e-5f);
    EXPECT_EQ(library.lists->species.find_by_name("SF6")->s, 0);
    EXPECT_EQ(library.lists->species.count(), 2);
    (void)tracer;
}

TEST(LibraryCopy, ElementsAndTheirReferencesCopyByNameAndTheLibraryStillReads)
{
    testing::ScriptedPort port;
    Project project;
    AirflowElement crack;
    crack.name = "crack";
    crack.type = kPlrOrfc;
    crack.data = element_data_for(kPlrOrfc);
    AirflowElement* stored_crack = project.elements.insert_copy(crack);
    AirflowElement super;
    super.name = "wall";
    super.type = kSupAfe;
    SuperData subs;
    subs.subs = {{stored_crack, 0.5f, 0, 0}, {stored_crack, 2.0f, 0, 0}};
    super.data = subs;
    project.elements.insert_copy(super);

    Library library;
    library.kind = LibraryKind::AirflowElement;
    EXPECT_EQ(copy_definitions(DefinitionKind::AirflowElement, project, *library.lists, {"wall"}), 1);
    // The sub-element came along, once, and the copy points at the library's record.
    AirflowElement* lib_crack = library.lists->elements.find_by_name("crack");
    ASSERT_NE(lib_crack, nullptr);
    const AirflowElement* lib_wall = library.lists->elements.find_by_name("wall");
    ASSERT_NE(lib_wall, nullptr);
    const auto& lib_subs = std::get<SuperData>(lib_wall->data).subs;
    ASSERT_EQ(lib_subs.size(), 2u);
    EXPECT_EQ(lib_subs[0].element, lib_crack);
    EXPECT_EQ(lib_subs[1].element, lib_crack);
    EXPECT_EQ(library.lists->elements.count(), 2);
    EXPECT_TRUE(port.questions.empty());

    const std::string path = ::testing::TempDir() + "copied.LB3";
    ASSERT_TRUE(write_library(path, library));
    Library again;
    ASSERT_TRUE(read_library(path, LibraryKind::AirflowElement, again));
    EXPECT_EQ(library_text(again), library_text(library));
    std::remove(path.c_str());
}

TEST(LibraryCopy, FilterElementsAndReactionsBringTheirSpecies)
{
    testing::ScriptedPort port;
    Library library;
    Project& lib = *library.lists;
    Species* o3 = testing::add_species(lib, "O3", 0, 0.0f);
    Species* no2 = testing::add_species(lib, "NO2", 0, 0.0f);
    FilterElement carbon;
    carbon.name = "carbon";
    carbon.type = kFltCef;
    carbon.data = ConstantEfficiencyData{{o3, no2}, {0.9f, 0.5f}};
    lib.filter_elements.insert_copy(carbon);
    KineticReaction decay;
    decay.name = "decay";
    decay.pairs = {{no2, o3, 1e-4f}};
    lib.reactions.insert_copy(decay);

    Project project;
    Species* own_o3 = testing::add_species(project, "O3", 0, 0.0f);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(copy_definitions(DefinitionKind::FilterElement, lib, project, {"carbon"}), 1);
    EXPECT_EQ(copy_definitions(DefinitionKind::KineticReaction, lib, project, {"decay"}), 1);
    EXPECT_TRUE(port.questions.empty());  // the project's O3 has the library's values
    const FilterElement* copied = project.filter_elements.find_by_name("carbon");
    ASSERT_NE(copied, nullptr);
    const auto& cef = std::get<ConstantEfficiencyData>(copied->data);
    ASSERT_EQ(cef.species.size(), 2u);
    EXPECT_EQ(cef.species[0], own_o3);
    EXPECT_EQ(cef.species[1], project.species.find_by_name("NO2"));
    EXPECT_NE(cef.species[1], no2);
    const KineticReaction* r = project.reactions.find_by_name("decay");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->pairs[0].reactant, own_o3);
    EXPECT_EQ(r->pairs[0].product, project.species.find_by_name("NO2"));
    // The species that came along is no contaminant of the project.
    EXPECT_EQ(project.species.find_by_name("NO2")->s, 0);
    EXPECT_EQ(project.Ctm, std::vector<Species*>{own_o3});
}

// A super element of a sensor of CO2 feeding a scheduled delay, drawn on
// its own sketch.
SuperElement sensing_element(Project& lists, const std::string& name)
{
    Species* co2 = testing::add_species(lists, "CO2", 0, 0.0f);
    DaySchedule rise = day("rise", 1.0f);
    DaySchedule* up = lists.day_schedules.insert_copy(rise);
    SuperElement e;
    e.name = name;
    e.f = kSuperDefined;
    ControlNode sensor = new_control_node(kCtSns, ControlEditMode::SuperElement);
    std::get<SensorData>(sensor.data).species = co2;
    ControlNode* in = e.nodes.add(sensor);
    ControlNode delay = new_control_node(kCtDls, ControlEditMode::SuperElement);
    std::get<DelayScheduleData>(delay.data) = {up, up};
    delay.c1 = in;
    delay.n = 1;
    ControlNode* out = e.nodes.add(delay);
    e.input = in;
    e.output = out;
    e.sketch = {{189, 3, 2, 1}, {188, 6, 2, 2}};  // input and output node icons
    return e;
}

TEST(LibraryCopy, ASuperElementBringsItsSpeciesAndDaySchedulesAndIsNeverReplacedWhileInUse)
{
    testing::ScriptedPort port;
    Project project;
    project.super_elements.insert_copy(sensing_element(project, "SE_1"));

    Library library;
    library.kind = LibraryKind::Controls;
    Project& lib = *library.lists;
    ASSERT_EQ(copy_definitions(DefinitionKind::SuperElement, project, lib, {"SE_1"}), 1);
    const SuperElement* copied = lib.super_elements.find_by_name("SE_1");
    ASSERT_NE(copied, nullptr);
    ASSERT_EQ(copied->nodes.count(), 2);
    const ControlNode* sensor = copied->nodes.at(1);
    const ControlNode* delay = copied->nodes.at(2);
    // The copy's nodes read one another and the library's own definitions.
    EXPECT_EQ(delay->c1, sensor);
    EXPECT_EQ(copied->input, sensor);
    EXPECT_EQ(copied->output, delay);
    EXPECT_EQ(std::get<SensorData>(sensor->data).species, lib.species.find_by_name("CO2"));
    const auto& days = std::get<DelayScheduleData>(delay->data);
    EXPECT_EQ(days.first, lib.day_schedules.find_by_name("rise"));
    EXPECT_EQ(days.second, days.first);
    EXPECT_EQ(lib.day_schedules.count(), 1);
    EXPECT_EQ(copied->sketch, project.super_elements.find_by_name("SE_1")->sketch);

    // The library file keeps it whole.
    const std::string path = ::testing::TempDir() + "copied.LB5";
    ASSERT_TRUE(write_library(path, library));
    Library again;
    ASSERT_TRUE(read_library(path, LibraryKind::Controls, again));
    EXPECT_EQ(library_text(again), library_text(library));
    std::remove(path.c_str());

    // Into a project whose element of that name super nodes use: refused,
    // its nodes untouched.
    Project busy;
    SuperElement mine;
    mine.name = "SE_1";
    mine.nodes.add(new_control_node(kCtSph, ControlEditMode::SuperElement));
    SuperElement* used = busy.super_elements.insert_copy(mine);
    used->use_count = 1;
    busy.mark_saved();
    EXPECT_EQ(copy_definitions(DefinitionKind::SuperElement, *again.lists, busy, {"SE_1"}), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_NE(port.boxes[0].text.find("Super element \"SE_1\" is used by super nodes and is not replaced."),
              std::string::npos);
    EXPECT_EQ(used->nodes.count(), 1);
    EXPECT_FALSE(busy.changed());

    // Not in use, it is overwritten in its place.
    used->use_count = 0;
    EXPECT_EQ(copy_definitions(DefinitionKind::SuperElement, *again.lists, busy, {"SE_1"}), 1);
    EXPECT_EQ(busy.super_elements.find_by_name("SE_1"), used);
    EXPECT_EQ(used->nodes.count(), 2);
    EXPECT_EQ(std::get<SensorData>(used->nodes.at(1)->data).species, busy.species.find_by_name("CO2"));
    EXPECT_TRUE(busy.changed());
}

}  // namespace
}  // namespace avelor
