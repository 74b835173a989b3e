#include "model/airflow_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

AirflowElement named(int type, const std::string& name)
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, NewElementContext{}, state);
    e.name = name;
    return e;
}

TEST(AirflowRules, OrificeAreaAndDiameterFollowEachOther)
{
    OrificeData d = std::get<OrificeData>(named(kPlrOrfc, "o").data);
    EXPECT_FLOAT_EQ(d.area, 0.01f);
    EXPECT_NEAR(d.dia, std::sqrt(4 * 0.01 / 3.1415927), 1e-7);

    orifice_set_diameter(d, 0.2f);
    EXPECT_FLOAT_EQ(d.dia, 0.2f);
    EXPECT_NEAR(d.area, 0.0314159, 1e-7);  // 0.2 * 0.2 * 0.785398175

    orifice_set_area(d, 0.02f);
    EXPECT_NEAR(d.dia, std::sqrt(4 * 0.02 / 3.1415927), 1e-7);

    orifice_set_unit(d, 2);  // cm and cm2
    EXPECT_EQ(d.u_A, 2);
    EXPECT_EQ(d.u_D, 2);
}

TEST(AirflowRules, LeakageButtonsMoveTheShownNumber)
{
    struct Case {
        const char* what;
        std::int16_t from_unit;
        int to_type;
        std::int16_t to_unit;
        double expected;  // the new area in its base unit
    };
    const Case cases[] = {
        // 0.01 m2 shows as 100 cm2, which becomes 100 cm2/m.
        {"cm2 to cm2/m", 2, kPlrLeak2, 2, 100 / 10000.0},
        // 0.01 m2 shows as 15.5 in2, which becomes 15.5 in2/ft2.
        {"in2 to in2/ft2", 3, kPlrLeak3, 1, 0.01 * 144 / 0.09290304 / 144},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AirflowElement e = named(kPlrLeak1, "l");
        auto& d = std::get<LeakageData>(e.data);
        d.area1 = 0.01f;
        d.u_A1 = c.from_unit;
        (c.to_type == kPlrLeak2 ? d.u_A2 : d.u_A3) = c.to_unit;
        leakage_choose_area(e, c.to_type);
        EXPECT_EQ(e.type, c.to_type);
        EXPECT_FLOAT_EQ(d.area1, 0);
        EXPECT_NEAR(c.to_type == kPlrLeak2 ? d.area2 : d.area3, c.expected, c.expected * 1e-6);
        EXPECT_FLOAT_EQ(c.to_type == kPlrLeak2 ? d.area3 : d.area2, 0);
    }
}

TEST(AirflowRules, ChooserEnablesByWhereThePathLies)
{
    struct Case {
        const char* what;
        ChooserContext context;
        std::set<int> disabled;
    };
    const Case cases[] = {
        {"not for a path", {PathPlace::None, false, true}, {}},
        {"path on a wall", {PathPlace::OnWall, false, true}, {kPlrStair, kPlrShaft}},
        {"path from the level below", {PathPlace::FromLevelBelow, false, true}, {kDorDoor, kDorPl2}},
        {"no element yet", {PathPlace::None, false, false}, {kSupAfe}},
        {"inside the super element dialog", {PathPlace::OnWall, true, true},
         {kPlrStair, kPlrShaft, kSupAfe}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int type = 0; type < kAirflowTypeCount; ++type)
            EXPECT_EQ(chooser_enabled(type, c.context), !c.disabled.contains(type)) << type;
    }
}

TEST(AirflowRules, ChooserPreselection)
{
    const ChooserContext on_wall{PathPlace::OnWall, false, true};
    const AirflowElement per_area = named(kPlrLeak3, "l");
    const AirflowElement stair = named(kPlrStair, "s");
    EXPECT_EQ(chooser_preselection(on_wall, &per_area, ChooserState{}), kPlrLeak1)
        << "the leakage types share one button";
    EXPECT_EQ(chooser_preselection(on_wall, &stair, ChooserState{}), kPlrOrfc)
        << "a disabled preselection falls back to the orifice";
    EXPECT_EQ(chooser_preselection(on_wall, nullptr, ChooserState{kQfrCrack, {}}), kQfrCrack);
    EXPECT_EQ(chooser_preselection(ChooserContext{}, nullptr, ChooserState{kSupAfe, {}}), kPlrOrfc);
}

TEST(AirflowRules, SuperElementTakesNoSuperElementsAndOneSchedule)
{
    BlockPool pool(32000, "block");
    NamedList<AirflowElement> list(pool);
    AirflowElement* door = list.insert_copy(named(kDorDoor, "door"));
    list.insert_copy(named(kSupAfe, "combo"));
    AirflowElement* crack = list.insert_copy(named(kPlrCrack, "crack"));
    EXPECT_EQ(super_candidates(list), (std::vector<AirflowElement*>{crack, door}));

    SuperData super;
    add_sub_element(super, {crack, 0, 0, 1});
    add_sub_element(super, {door, 1, 0, 0});
    EXPECT_EQ(super.subs[0].scheduled, 1) << "an unscheduled addition leaves the flag";
    add_sub_element(super, {door, 2, 1, 1});
    EXPECT_EQ(super.subs[0].scheduled, 0);
    EXPECT_EQ(super.subs[2].scheduled, 1);
    replace_sub_element(super, 1, {crack, 1, 0, 1});
    EXPECT_EQ(super.subs[1].scheduled, 1);
    EXPECT_EQ(super.subs[2].scheduled, 0);
    remove_sub_element(super, 0);
    EXPECT_EQ(super.subs.size(), 2u);
}

class AirflowAccept : public ::testing::Test {
protected:
    void SetUp() override
    {
        Level level;
        level.name = "ground";
        project.current_level = project.levels.add(level);
        project.mark_saved();
    }
    ScriptedPort port;
    Project project;
};

TEST_F(AirflowAccept, NewElementsGoInNameOrderAndMarkTheProjectChanged)
{
    AirflowElement b = named(kPlrOrfc, "b");
    AirflowElement a = named(kPlrCrack, "a");
    b.desc = "two\nlines";
    const AcceptOutcome first = accept_element(project, b, nullptr);
    ASSERT_TRUE(first.verdict);
    EXPECT_TRUE(project.changed());
    ASSERT_TRUE(accept_element(project, a, nullptr).verdict);
    ASSERT_EQ(project.elements.count(), 2);
    EXPECT_EQ(project.elements.head()->name, "a");
    EXPECT_EQ(first.record, project.elements.find_by_name("b"));
    EXPECT_EQ(first.record->desc, "two lines") << "a description holds no line break";
    EXPECT_GT(std::get<OrificeData>(first.record->data).lam, 0) << "derived on OK";
}

TEST_F(AirflowAccept, NameRulesRefuseFirst)
{
    project.elements.insert_copy(named(kPlrOrfc, "taken"));
    struct Case {
        std::string name;
        const char* text;
    };
    const Case cases[] = {
        {"Door 1", " Blanks not permitted in name\n"},
        {"ABCDEFGHIJKLMNOP", " Name is longer than 15 characters\n"},
        {"taken", " May not use existing name\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.boxes.clear();
        // An element that would also fail its own check: the name comes first.
        AirflowElement e = named(kPlrLeak1, c.name);
        const AcceptOutcome out = accept_element(project, e, nullptr);
        EXPECT_FALSE(out.verdict);
        EXPECT_EQ(out.verdict.field, "name");
        EXPECT_EQ(out.record, nullptr);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "WARNING");
        EXPECT_EQ(port.boxes[0].text, c.text);
    }
    EXPECT_EQ(project.elements.count(), 1);
}

TEST_F(AirflowAccept, SplinePointsAreTestedBeforeTheName)
{
    AirflowElement e = named(kCsfFsp, "bad name");
    auto& d = std::get<SplineData>(e.data);
    d.x = {1, 2, 3};
    d.y = {0.1f, 0.2f, 0.3f};
    EXPECT_FALSE(accept_element(project, e, nullptr).verdict);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " Minimum of 4 points required.\n");

    port.boxes.clear();
    d.x.push_back(4);
    d.y.push_back(0.4f);
    EXPECT_FALSE(accept_element(project, e, nullptr).verdict);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " Blanks not permitted in name\n");

    e.name = "good";
    EXPECT_TRUE(accept_element(project, e, nullptr).verdict);
}

TEST_F(AirflowAccept, EditedIconReachesEveryPathThatShowsTheElement)
{
    AirflowElement door = named(kDorDoor, "door");
    AirflowElement* stored = accept_element(project, door, nullptr).record;
    ASSERT_NE(stored, nullptr);
    FlowPath path;
    path.element = stored;
    path.icn = 24;
    add_path(project, path);
    project.current_level->icons = {{3, 4, 24, 1}};

    AirflowElement copy = *stored;
    copy.icon = 27;
    copy.name = "big_door";
    const AcceptOutcome out = accept_element(project, copy, stored);
    ASSERT_TRUE(out.verdict);
    EXPECT_EQ(out.record, project.elements.find_by_name("big_door"));
    EXPECT_EQ(project.elements.count(), 1);
    EXPECT_EQ(project.paths.at(1)->icn, 27);
    EXPECT_EQ(project.current_level->icons[0].code, 27);
}

TEST_F(AirflowAccept, RecordOfAnotherTypeIsABrokenInvariant)
{
    AirflowElement e = named(kPlrOrfc, "o");
    e.type = kPlrCrack;  // still holding an orifice record
    EXPECT_THROW(accept_element(project, e, nullptr), FatalStop);
}

TEST(AirflowRules, NewElementContextFromTheProject)
{
    Project project;
    project.rc.ud = 1;
    project.rc.uf = 3;
    EXPECT_FLOAT_EQ(new_element_context(project).level_height, 3) << "no level";
    Level lower;
    lower.delHt = 2.5f;
    Level* below = project.levels.add(lower);
    Level upper;
    Level* current = project.levels.add(upper);
    current->below = below;
    project.current_level = current;
    const NewElementContext context = new_element_context(project);
    EXPECT_TRUE(context.ip_units);
    EXPECT_EQ(context.uf, 3);
    EXPECT_FLOAT_EQ(context.level_height, 2.5f);
}

}  // namespace
}  // namespace avelor
