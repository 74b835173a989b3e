#include <gtest/gtest.h>

#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

class ProjectTest : public ::testing::Test {
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

TEST_F(ProjectTest, NewZoneDefaultsFollowProjectSettings)
{
    project.rc.ud = 1;
    project.rc.T = 295.0f;
    Species n2, o2;
    project.Ctm = {&n2, &o2};
    project.CC0 = {0.7f, 0.3f};
    Zone zone = new_zone(project);
    EXPECT_EQ(zone.flags, 0x03);
    EXPECT_FLOAT_EQ(zone.T0, 295.0f);
    EXPECT_EQ(zone.clr, -1);
    EXPECT_EQ(zone.u, (std::array<std::int16_t, 4>{1, 3, 1, 1}));
    EXPECT_EQ(zone.axis_u[1], 1);
    EXPECT_FLOAT_EQ(zone.axis[6], 0.1f);
    EXPECT_FLOAT_EQ(zone.axis[7], 0.1f);
    EXPECT_EQ(zone.CC0, project.CC0);
    EXPECT_FLOAT_EQ(new_exposure(project).mult, 1.0f);
    EXPECT_EQ(new_exposure(project).exposure.size(), 2u);
}

TEST_F(ProjectTest, AddedZoneGetsNextNumberCurrentLevelAndMarksChanged)
{
    Zone* z = add_zone(project, new_zone(project));
    EXPECT_EQ(z->nr, 1);
    EXPECT_EQ(z->level, project.current_level);
    EXPECT_TRUE(project.changed());
}

TEST_F(ProjectTest, WorkingCopyIsDeepAndReleasedStorageIsReused)
{
    project.CC0 = {0.5f};
    Zone* first = add_zone(project, new_zone(project));
    add_zone(project, new_zone(project));

    Zone copy = *project.zones.get(1);
    copy.CC0[0] = 0.9f;
    EXPECT_FLOAT_EQ(first->CC0[0], 0.5f) << "editing a copy must not touch the record";
    project.zones.put(1, copy);
    EXPECT_FLOAT_EQ(first->CC0[0], 0.9f);

    project.zones.release(1);
    Zone* third = add_zone(project, new_zone(project));
    EXPECT_EQ(third, first) << "released storage is reused";
    EXPECT_EQ(third->nr, 3) << "the new number is still count + 1";
}

TEST_F(ProjectTest, SimpleAhsMakesTwoZonesThreePathsAndRenumbersByName)
{
    SimpleAhs* b = create_simple_ahs(project, "B", "second");
    ASSERT_EQ(project.zones.count(), 2);
    EXPECT_EQ(project.zones.at(1)->name, "B(Rec)");
    EXPECT_EQ(project.zones.at(2)->name, "B(Sup)");
    EXPECT_EQ(project.zones.at(1)->flags & kZoneAhs, kZoneAhs);

    const FlowPath* pr = project.paths.at(b->pr);
    const FlowPath* ps = project.paths.at(b->ps);
    const FlowPath* px = project.paths.at(b->px);
    EXPECT_EQ(pr->flags, kPathRecirculation);
    EXPECT_EQ(pr->zone_n.zone(), project.zones.at(1));
    EXPECT_EQ(pr->zone_m.zone(), project.zones.at(2));
    EXPECT_EQ(ps->flags, kPathOutdoorAir);
    EXPECT_TRUE(ps->zone_n.is_ambient());
    EXPECT_EQ(px->flags, kPathExhaust);
    EXPECT_TRUE(px->zone_m.is_ambient());
    EXPECT_FALSE(px->has_element());

    project.current_level->icons.push_back({3, 4, kIconSimpleAhs, 1});
    SimpleAhs* a = create_simple_ahs(project, "A", "first");
    EXPECT_EQ(a->nr, 1);
    EXPECT_EQ(b->nr, 2);
    EXPECT_EQ(project.system_index, (std::vector<SimpleAhs*>{a, b}));
    EXPECT_EQ(project.current_level->icons[0].nr, 2) << "B's icon follows B to number 2";

    remove_simple_ahs(project, a);
    EXPECT_EQ(b->nr, 1);
    EXPECT_EQ(project.current_level->icons[0].nr, 1);
    EXPECT_EQ(project.zones.at(a->zr), nullptr);
    EXPECT_EQ(project.paths.at(a->px), nullptr);
}

TEST_F(ProjectTest, IconsOfARemovedSystemBecomeUndefined)
{
    SimpleAhs* a = create_simple_ahs(project, "A", "");
    create_simple_ahs(project, "B", "");
    project.current_level->icons.push_back({1, 1, kIconSimpleAhs, 1});  // A's icon
    remove_simple_ahs(project, a);
    EXPECT_EQ(project.current_level->icons[0].nr, 0)
        << "A's icon must not pass to B, which now has number 1";
}

TEST_F(ProjectTest, PathIconsFollowTheirElement)
{
    AirflowElement door;
    door.name = "door";
    door.icon = 27;
    AirflowElement* element = project.elements.insert_copy(door);
    FlowPath path;
    path.element = element;
    path.icn = 23;
    FlowPath* p = add_path(project, path);
    FlowPath ahs_path;
    ahs_path.flags = kPathAhs;
    ahs_path.icn = 23;
    FlowPath* q = add_path(project, ahs_path);
    project.current_level->icons = {{1, 2, 23, p->nr}, {1, 3, 23, q->nr}, {1, 4, 23, 0}};

    update_path_icons(project);
    EXPECT_EQ(p->icn, 27);
    EXPECT_EQ(project.current_level->icons[0].code, 27);
    EXPECT_EQ(q->icn, 23);
    EXPECT_EQ(project.current_level->icons[1].code, 23);
    EXPECT_EQ(project.current_level->icons[2].code, 23);
}

TEST_F(ProjectTest, JunctionDuctNumbersBecomeReferencesOrErrors)
{
    DuctSegment* duct = project.ducts.add(DuctSegment{});
    Junction j;
    j.duct_nr = 1;
    Junction* good = add_junction(project, j);
    j.duct_nr = 7;
    add_junction(project, j);
    resolve_junction_ducts(project);
    EXPECT_EQ(good->duct, duct);
    EXPECT_EQ(error_count(), 1);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.substr(0, 33), " Invalid duct number, junction 2\n");
}

TEST(ZoneRefTest, NoneAmbientOrZone)
{
    Zone z;
    EXPECT_TRUE(ZoneRef().is_none());
    EXPECT_TRUE(ZoneRef::ambient().is_ambient());
    EXPECT_FALSE(ZoneRef::ambient().is_none());
    EXPECT_EQ(ZoneRef(&z).zone(), &z);
    EXPECT_NE(ZoneRef::ambient(), ZoneRef());
}

}  // namespace
}  // namespace avelor
