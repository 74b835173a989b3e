#include "forms/super_element_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_port.h"

namespace avelor {
namespace {

constexpr int kFeet = 1;  // Length units: m, ft, ...

AirflowElement named(int type, const std::string& name)
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, NewElementContext{}, state);
    e.name = name;
    return e;
}

class SuperForm : public ::testing::Test {
protected:
    testing::ScriptedPort port;
    BlockPool pool{32000, "block"};
    NamedList<AirflowElement> list{pool};
    AirflowElement* door = list.insert_copy(named(kDorDoor, "door"));
    AirflowElement* other_super = list.insert_copy(named(kSupAfe, "combo"));
    AirflowElement* crack = list.insert_copy(named(kPlrCrack, "crack"));
    AirflowElement copy = named(kSupAfe, "mine");
};

TEST_F(SuperForm, CandidatesLeaveOutSuperElementsAndFollowTheList)
{
    SuperElementForm form(copy, list);
    EXPECT_EQ(form.candidates(), (std::vector<AirflowElement*>{crack, door}));
    EXPECT_EQ(form.chosen(), 0) << "the first candidate is offered";
    EXPECT_FALSE(form.choose(other_super));
    EXPECT_EQ(form.entry().element, crack);

    form.choose(1);
    AirflowElement* added = list.insert_copy(named(kPlrOrfc, "attic"));
    form.refresh_candidates();
    EXPECT_EQ(form.candidates(), (std::vector<AirflowElement*>{added, crack, door}));
    EXPECT_EQ(form.entry().element, door) << "the choice survives a refresh";
    EXPECT_EQ(form.chosen(), 2);
    EXPECT_EQ(form.chosen_summary().category, "Two-way flow");
}

TEST_F(SuperForm, RowsShowElevationsInTheChosenUnit)
{
    SuperElementForm form(copy, list);
    ASSERT_TRUE(form.select_unit(kFeet));
    EXPECT_EQ(std::get<SuperData>(copy.data).u_H, kFeet);
    EXPECT_EQ(form.elevation_header(), "Relative Elevation [ft]");

    ASSERT_TRUE(form.elevation_field().validate("10"));
    form.set_filtered(true);
    ASSERT_TRUE(form.add());
    EXPECT_FLOAT_EQ(form.data().subs[0].relHt, 3.048f);
    EXPECT_EQ(form.rows(), (std::vector<SubElementRow>{{"crack", "10", "Yes", "No"}}));

    ASSERT_TRUE(form.select_unit(0));
    EXPECT_EQ(form.rows()[0].elevation, "3.048");
}

TEST_F(SuperForm, ButtonsApplyOnlyWithWhatTheyNeed)
{
    SuperElementForm form(copy, list);
    form.choose(-1);
    EXPECT_FALSE(form.can_add());
    EXPECT_FALSE(form.add());
    form.choose(door);
    EXPECT_FALSE(form.can_replace()) << "no row is selected";
    EXPECT_FALSE(form.can_remove());
    ASSERT_TRUE(form.add());
    EXPECT_EQ(form.selected(), 0);
    EXPECT_TRUE(form.can_replace());
    form.choose(-1);
    EXPECT_FALSE(form.replace()) << "replacing needs an element";
    EXPECT_EQ(form.data().subs[0].element, door);
}

TEST_F(SuperForm, SelectReplaceAndDeleteWorkOnTheSelectedRow)
{
    SuperElementForm form(copy, list);
    form.set_schedulable(true);
    ASSERT_TRUE(form.add());  // crack, schedulable
    form.choose(door);
    form.set_schedulable(false);
    ASSERT_TRUE(form.elevation_field().validate("2"));
    ASSERT_TRUE(form.add());  // door at 2 m

    form.select(0);
    EXPECT_EQ(form.entry().element, crack) << "selecting shows the row in the entry fields";
    EXPECT_EQ(form.entry().scheduled, 1);
    EXPECT_EQ(form.elevation_field().shown_text(), format_number(0, 6));

    form.select(1);
    form.set_schedulable(true);
    ASSERT_TRUE(form.replace());
    EXPECT_EQ(form.rows()[0].schedulable, "No") << "the replaced row took the flag";
    EXPECT_EQ(form.rows()[1], (SubElementRow{"door", "2", "No", "Yes"}));

    form.select(0);
    ASSERT_TRUE(form.remove());
    ASSERT_EQ(form.data().subs.size(), 1u);
    EXPECT_EQ(form.selected(), 0) << "the row that moved up is selected";
    EXPECT_EQ(form.entry().element, door);
    ASSERT_TRUE(form.remove());
    EXPECT_EQ(form.selected(), -1);
    EXPECT_FALSE(form.remove());
}

TEST_F(SuperForm, ElevationUnitFromAFileIsKeptInRange)
{
    std::get<SuperData>(copy.data).u_H = 99;
    SuperElementForm form(copy, list);
    EXPECT_EQ(std::get<SuperData>(copy.data).u_H, 0);
    EXPECT_EQ(form.elevation_unit().selected(), 0);
}

}  // namespace
}  // namespace avelor
