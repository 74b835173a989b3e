#include "forms/filter_slot.h"

#include <gtest/gtest.h>

#include "forms/filter_form.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// The filters the project holds, by number.
std::vector<std::int32_t> filter_numbers(const Project& project)
{
    std::vector<std::int32_t> out;
    for (const Filter& f : project.filters) out.push_back(f.nr);
    return out;
}

struct SlotFixture : ::testing::Test {
    SlotFixture()
    {
        FilterElement e = new_filter_element(kFltCef);
        e.name = "hepa";
        e.desc = "a fine one";
        e.data = ConstantEfficiencyData{};
        hepa = project.filter_elements.insert_copy(e);
        e.name = "coarse";
        e.desc = "";
        coarse = project.filter_elements.insert_copy(e);
        project.mark_saved();
    }
    Filter on(FilterElement* element) const
    {
        Filter f;
        f.element = element;
        f.loads = loads_for(element);
        return f;
    }
    ScriptedPort port;
    Project project;
    FilterElement* hepa = nullptr;
    FilterElement* coarse = nullptr;
};

TEST_F(SlotFixture, PageTextsFollowTheFilter)
{
    FilterSlot slot(project, nullptr);
    EXPECT_EQ(slot.element_name(), "<none>");
    EXPECT_EQ(slot.element_description(), "");
    EXPECT_EQ(slot.button_text(), "New Filter");
    EXPECT_FALSE(slot.can_delete());
    EXPECT_EQ(slot.number(), 1);
    slot.store(on(hepa));
    EXPECT_EQ(slot.element_name(), "hepa");
    EXPECT_EQ(slot.element_description(), "a fine one");
    EXPECT_EQ(slot.button_text(), "Edit Filter");
    EXPECT_TRUE(slot.can_delete());
    EXPECT_EQ(slot.working().nr, 1);
}

TEST_F(SlotFixture, ANewFilterIsMadeOnlyOnAccept)
{
    {
        FilterSlot slot(project, nullptr);
        slot.store(on(hepa));
        EXPECT_EQ(slot.element_name(), "hepa");
        slot.rollback();  // the sheet is cancelled
        EXPECT_EQ(slot.element_name(), "<none>");
    }
    EXPECT_TRUE(filter_numbers(project).empty());
    EXPECT_FALSE(project.changed());

    FilterSlot kept(project, nullptr);
    EXPECT_EQ(kept.number(), 1);
    kept.store(on(hepa));
    Filter* stored = kept.commit();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->nr, 1);
    EXPECT_EQ(stored->element, hepa);
    EXPECT_EQ(project.filters.at(1), stored);
}

TEST_F(SlotFixture, ADeletedFilterIsFreedOnlyOnAccept)
{
    Filter* own = project.filters.add(on(hepa));
    port.answers = {Answer::No, Answer::Yes};
    {
        FilterSlot slot(project, own);
        EXPECT_FALSE(slot.remove());  // "No"
        EXPECT_TRUE(slot.remove());
        EXPECT_EQ(slot.element_name(), "<none>");
        EXPECT_EQ(slot.button_text(), "New Filter");
    }  // cancelled
    EXPECT_EQ(project.filters.at(1), own);
    EXPECT_EQ(port.questions, (std::vector<std::string>{"Delete this filter?", "Delete this filter?"}));

    port.answers = {Answer::Yes};
    FilterSlot slot(project, own);
    ASSERT_TRUE(slot.remove());
    EXPECT_EQ(project.filters.at(1), own);
    EXPECT_EQ(slot.commit(), nullptr);
    EXPECT_EQ(project.filters.at(1), nullptr);
}

TEST_F(SlotFixture, AnEditReachesTheFilterOnlyOnAccept)
{
    Filter* own = project.filters.add(on(hepa));
    {
        FilterSlot slot(project, own);
        slot.store(on(coarse));
        EXPECT_EQ(slot.element_name(), "coarse");
        EXPECT_EQ(slot.working().nr, 1);
        EXPECT_EQ(own->element, hepa);
    }
    EXPECT_EQ(own->element, hepa);
    FilterSlot slot(project, own);
    slot.store(on(coarse));
    EXPECT_EQ(slot.commit(), own);
    EXPECT_EQ(own->element, coarse);
    EXPECT_EQ(own->loads.front().element, coarse);
}

TEST_F(SlotFixture, ReplacingTheOwnFilterFreesItOnAccept)
{
    Filter* own = project.filters.add(on(hepa));
    port.answers = {Answer::Yes};
    FilterSlot slot(project, own);
    ASSERT_TRUE(slot.remove());
    slot.store(on(coarse));  // "New Filter" after the deletion
    EXPECT_EQ(slot.number(), 2);
    Filter* made = slot.commit();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->nr, 2);  // the released record may be reused
    EXPECT_EQ(project.filters.at(1), nullptr);
    EXPECT_EQ(made->element, coarse);
    EXPECT_EQ(filter_numbers(project), std::vector<std::int32_t>{2});
}

TEST_F(SlotFixture, AnInnerSheetHandsItsChangesOn)
{
    // A node's sheet (outer) opens its downward segment's sheet (inner):
    // what the inner one did waits for the outer one's OK.
    Filter* own = project.filters.add(on(hepa));
    port.answers = {Answer::Yes};
    {
        FilterSlot outer(project, own);
        FilterSlot inner(project, own);
        inner.start_from(outer);
        ASSERT_TRUE(inner.remove());
        inner.store(on(coarse));
        outer.adopt(inner);
        EXPECT_EQ(outer.element_name(), "coarse");
    }  // the node's sheet is cancelled
    EXPECT_EQ(filter_numbers(project), std::vector<std::int32_t>{1});
    EXPECT_EQ(own->element, hepa);

    FilterSlot outer(project, own);
    outer.store(on(coarse));
    FilterSlot inner(project, own);
    inner.start_from(outer);
    EXPECT_EQ(inner.element_name(), "coarse");  // the node's pending edit
    outer.adopt(inner);
    EXPECT_EQ(outer.commit(), own);
    EXPECT_EQ(own->element, coarse);
}

// A filter on a super element gets its loads anew when the element changed
// while the sheet was open.
TEST_F(SlotFixture, CommitBringsTheLoadsUpToDate)
{
    FilterElement s = new_filter_element(kFltSpf);
    s.name = "sup";
    s.data = SuperFilterData{{hepa, coarse}};
    FilterElement* sup = project.filter_elements.insert_copy(s);
    FilterSlot slot(project, nullptr);
    slot.store(on(sup));
    std::get<SuperFilterData>(sup->data).subs.push_back(hepa);
    Filter* made = slot.commit();
    ASSERT_EQ(made->loads.size(), 3u);
    EXPECT_EQ(made->loads[2].element, hepa);
}

}  // namespace
}  // namespace avelor
