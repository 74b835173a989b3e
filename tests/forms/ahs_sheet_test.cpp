#include "forms/ahs_sheet.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forms/filter_form.h"
#include "model/cell_codes.h"
#include "model/species.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;

// A message as the port receives it, within its margins.
std::string boxed(std::string_view text) { return " " + std::string(text) + "\n"; }

const testing::Picture kRoom = {
    "..........",  //
    ".#######..",  //
    ".#.....#..",  //
    ".#..1..#..",  //
    ".#.....#..",  //
    ".#######..",  //
    "..........",  //
};
constexpr GridCell kSystemCell{2, 2};
constexpr GridCell kOtherCell{2, 6};
constexpr GridCell kPointCell{4, 3};

struct AhsSheets : EditFixture {
    AhsSheets() { build({testing::Plan(kRoom)}); }

    // An icon of that code at the cell with the record number, the cursor on it.
    void icon(GridCell cell, std::uint8_t code, std::int32_t number = 0)
    {
        cells().Sketch(cell.row, cell.col) = code;
        cells().Paths(cell.row, cell.col) = number;
        at(cell.row, cell.col);
    }
    bool define(GridCell cell)
    {
        at(cell.row, cell.col);
        return run(EditAction::Define).modified;
    }
    Species* contaminant(const std::string& name, bool non_trace)
    {
        Species s = new_species();
        s.name = name;
        s.t = non_trace ? 1 : 0;
        Species* stored = project().species.insert_copy(s);
        project().Ctm.push_back(stored);
        return stored;
    }
    SimpleAhs* system(int n) { return project().system_index.at(static_cast<std::size_t>(n - 1)); }
    FilterElement* filter_element(const std::string& name)
    {
        FilterElement e = new_filter_element(kFltPf0);
        e.name = name;
        e.data = ParticleFilterData{};
        return project().filter_elements.insert_copy(e);
    }
};

// "Filter Properties" accepted on the element: the filter the sheet keeps.
Filter chosen_filter(const Filter& working, const Project& project, FilterElement* element)
{
    FilterForm form(working, project.filter_elements);
    form.choose_element(element);
    EXPECT_TRUE(form.accept().accepted);
    return form.working();
}

TEST(AhsSheet, AcceptingANewSystemMakesItsZonesAndPathsWithTheSheetsValues)
{
    AhsSheets f;
    WeekSchedule week;
    week.name = "week";
    week.utyp = 1;
    WeekSchedule* w = f.project().week_schedules.insert_copy(week);
    f.icon(kSystemCell, ICN_AHS);
    f.dialogs.fill_ahs = [&](AhsSheet& sheet) {
        EXPECT_EQ(sheet.number_text(), "0");
        sheet.set_name("AHU1");
        sheet.set_description("main\nsystem");
        EXPECT_TRUE(sheet.set(AhsField::MinimumOutdoorAir, 0.25));
        EXPECT_FALSE(sheet.set(AhsField::MinimumOutdoorAir, -1)) << "at least 0";
        EXPECT_TRUE(sheet.set(AhsField::IntakeX, 4));
        EXPECT_TRUE(sheet.set(AhsField::SupplyVolume, 12));
        EXPECT_TRUE(sheet.set(AhsField::ReturnVolume, 8));
        EXPECT_TRUE(sheet.schedule_page().choose_schedule(1));
        return true;
    };
    ASSERT_TRUE(f.define(kSystemCell));

    ASSERT_EQ(f.project().systems.count(), 1);
    SimpleAhs* s = f.system(1);
    EXPECT_EQ(s->name, "AHU1");
    EXPECT_EQ(s->desc, "main system") << "line breaks become blanks";
    EXPECT_EQ(f.cells().Paths(kSystemCell.row, kSystemCell.col), 1);
    EXPECT_EQ(f.project().zones.count(), 3) << "the room and the two system zones";
    EXPECT_EQ(f.project().zones.at(s->zs)->name, "AHU1(Sup)");
    EXPECT_FLOAT_EQ(f.project().zones.at(s->zs)->Vol, 12);
    EXPECT_FLOAT_EQ(f.project().zones.at(s->zr)->Vol, 8);
    const FlowPath* pr = f.project().paths.at(s->pr);
    const FlowPath* ps = f.project().paths.at(s->ps);
    EXPECT_FLOAT_EQ(pr->Fahs, 0.25f);
    EXPECT_EQ(pr->schedule, w);
    EXPECT_EQ(pr->flags, kPathRecirculation);
    EXPECT_FLOAT_EQ(ps->X, 4);
    EXPECT_TRUE(ps->zone_n.is_ambient()) << "the sides stay those the system made";
    EXPECT_TRUE(f.project().changed());
}

TEST(AhsSheet, CancelChangesNothing)
{
    AhsSheets f;
    SimpleAhs* s = create_simple_ahs(f.project(), "AHU1", "");
    f.icon(kSystemCell, ICN_AHS, 1);
    f.project().mark_saved();
    f.dialogs.fill_ahs = [](AhsSheet& sheet) {
        sheet.set_name("other");
        sheet.set(AhsField::SupplyVolume, 50);
        EXPECT_FALSE(sheet.select_page(AhsPage::Supply));
        return false;
    };
    EXPECT_FALSE(f.define(kSystemCell));
    EXPECT_EQ(s->name, "AHU1");
    EXPECT_FLOAT_EQ(f.project().zones.at(s->zs)->Vol, 0);
    EXPECT_FALSE(f.project().changed());

    // A new system cancelled leaves its icon undefined.
    f.icon(kOtherCell, ICN_AHS);
    f.dialogs.fill_ahs = [](AhsSheet& sheet) {
        sheet.set_name("B");
        return false;
    };
    EXPECT_FALSE(f.define(kOtherCell));
    EXPECT_EQ(f.project().systems.count(), 1);
    EXPECT_EQ(f.cells().Paths(kOtherCell.row, kOtherCell.col), 0);
}

TEST(AhsSheet, BadOrTakenNamesAreRefusedAndTheStoredNameComesBack)
{
    struct Case {
        std::string name;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"", "Empty name not permitted"},
        {"two words", "Blanks not permitted in name"},
        {"a,b", "Commas not permitted in name"},
        {"sixteen_letters_", "Name is longer than 15 characters"},
        {"OTHER", "May not use existing name"},
    };
    for (const Case& c : cases) {
        AhsSheets f;
        create_simple_ahs(f.project(), "AHU1", "");
        create_simple_ahs(f.project(), "OTHER", "");
        AhsSheet sheet(f.project(), f.grid(), kSystemCell, 1);
        sheet.set_name(c.name);
        const std::optional<SheetRefusal> refusal = sheet.select_page(AhsPage::Supply);
        ASSERT_TRUE(refusal) << c.name;
        EXPECT_EQ(sheet.page(), AhsPage::Ahs) << "the page stays";
        EXPECT_EQ(sheet.name_text(), "AHU1") << c.name;
        ASSERT_FALSE(f.port.boxes.empty());
        EXPECT_EQ(f.port.boxes.back().text, boxed(c.message));
        sheet.set_name(c.name);
        f.port.boxes.clear();
        EXPECT_TRUE(sheet.accept()) << "OK is refused the same way";
        ASSERT_EQ(f.port.boxes.size(), 1u);
        EXPECT_EQ(f.project().systems.find_by_name("AHU1"), f.system(1)) << "nothing stored";
    }
}

TEST(AhsSheet, RenamingKeepsTheSystemsInNameOrderAndTheIconsOnTheirSystems)
{
    AhsSheets f;
    SimpleAhs* a = create_simple_ahs(f.project(), "A", "");
    SimpleAhs* c = create_simple_ahs(f.project(), "C", "");
    f.icon(kOtherCell, ICN_AHS, c->nr);  // C's icon shows 2
    f.icon(kSystemCell, ICN_AHS, a->nr);
    ASSERT_EQ(a->nr, 1);
    f.dialogs.fill_ahs = [](AhsSheet& sheet) {
        sheet.set_name("D");
        return true;
    };
    ASSERT_TRUE(f.define(kSystemCell));

    EXPECT_EQ(f.project().system_index, (std::vector<SimpleAhs*>{c, a})) << "C before D";
    EXPECT_EQ(a->name, "D");
    EXPECT_EQ(c->nr, 1);
    EXPECT_EQ(a->nr, 2);
    EXPECT_EQ(f.cells().Paths(kOtherCell.row, kOtherCell.col), 1) << "C's icon follows C";
    EXPECT_EQ(f.cells().Paths(kSystemCell.row, kSystemCell.col), 2) << "the renamed system's icon follows it";
}

TEST(AhsSheet, ConcentrationsThatDoNotSumToOneAreWarnedOfAndKept)
{
    AhsSheets f;
    f.contaminant("N2", true);
    f.contaminant("O2", true);
    create_simple_ahs(f.project(), "AHU1", "");
    AhsSheet sheet(f.project(), f.grid(), kSystemCell, 1);
    ConcentrationList& cc = sheet.concentrations(AhsSide::Supply);
    ASSERT_TRUE(cc.enter(0.7));
    EXPECT_EQ(f.port.boxes.back().text, boxed("Concentrations of non-trace contaminants should sum to 1"));
    EXPECT_NEAR(cc.shown(), 0.7, 1e-6) << "the value stays";
    f.port.boxes.clear();
    ASSERT_TRUE(cc.select(1));
    ASSERT_TRUE(cc.enter(0.295));
    EXPECT_TRUE(f.port.boxes.empty()) << "within 0.01 of 1";
    EXPECT_NEAR(cc.nontrace_sum(), 0.995, 1e-6);
    EXPECT_FALSE(sheet.select_page(AhsPage::Return)) << "only a warning; the page may be left";
    EXPECT_FALSE(sheet.accept());
    const Zone* supply = f.project().zones.at(f.system(1)->zs);
    EXPECT_FLOAT_EQ(supply->CC0[0], 0.7f);
    EXPECT_FLOAT_EQ(f.project().zones.at(f.system(1)->zr)->CC0[0], 0) << "the return zone is its own";
}

TEST(AhsSheet, ADeletedFilterIsReleasedOnlyWhenTheSheetIsAccepted)
{
    AhsSheets f;
    SimpleAhs* s = create_simple_ahs(f.project(), "AHU1", "");
    Filter* filter = f.project().filters.add(Filter{});
    f.project().paths.at(s->ps)->filter = filter;
    {
        AhsSheet sheet(f.project(), f.grid(), kSystemCell, 1);
        f.port.answers.push_back(Answer::Yes);
        ASSERT_TRUE(sheet.delete_filter(AhsFilter::OutdoorAir));
        EXPECT_EQ(f.port.questions.back(), "Delete this filter?");
        EXPECT_EQ(sheet.filter(AhsFilter::OutdoorAir), nullptr);
        EXPECT_FALSE(sheet.delete_filter(AhsFilter::Recirculation)) << "pr has none";
    }  // cancelled
    EXPECT_EQ(f.project().paths.at(s->ps)->filter, filter);
    EXPECT_EQ(f.project().filters.at(filter->nr), filter);

    AhsSheet sheet(f.project(), f.grid(), kSystemCell, 1);
    f.port.answers.push_back(Answer::Yes);
    ASSERT_TRUE(sheet.delete_filter(AhsFilter::OutdoorAir));
    ASSERT_FALSE(sheet.accept());
    EXPECT_EQ(f.project().paths.at(s->ps)->filter, nullptr);
    EXPECT_EQ(f.project().filters.at(1), nullptr) << "the filter record is released";
}

TEST(AhsSheet, TheTwoFiltersMadeOnTheSheetGoToPsAndPrOnlyOnAccept)
{
    AhsSheets f;
    FilterElement* coarse = f.filter_element("coarse");
    FilterElement* fine = f.filter_element("fine");
    const auto sheet = [&](bool ok) {
        return [&, ok](AhsSheet& s) {
            s.set_name("AHU1");
            s.store_filter(AhsFilter::OutdoorAir,
                           chosen_filter(s.working_filter(AhsFilter::OutdoorAir), f.project(), coarse));
            EXPECT_EQ(s.working_filter(AhsFilter::Recirculation).nr, 2) << "the number it will get";
            s.store_filter(AhsFilter::Recirculation,
                           chosen_filter(s.working_filter(AhsFilter::Recirculation), f.project(), fine));
            EXPECT_EQ(s.filter_name(AhsFilter::OutdoorAir), "coarse");
            EXPECT_EQ(s.filter_button(AhsFilter::Recirculation), "Edit Filter");
            EXPECT_TRUE(s.can_delete_filter(AhsFilter::Recirculation));
            return ok;
        };
    };
    f.icon(kSystemCell, ICN_AHS);
    f.dialogs.fill_ahs = sheet(false);
    EXPECT_FALSE(f.define(kSystemCell));
    EXPECT_EQ(f.project().filters.count(), 0) << "a cancelled sheet leaves no filter";

    f.dialogs.fill_ahs = sheet(true);
    ASSERT_TRUE(f.define(kSystemCell));
    const SimpleAhs* s = f.system(1);
    const Filter* outdoor = f.project().paths.at(s->ps)->filter;
    const Filter* recirculation = f.project().paths.at(s->pr)->filter;
    ASSERT_NE(outdoor, nullptr);
    ASSERT_NE(recirculation, nullptr);
    EXPECT_EQ(outdoor->element, coarse);
    EXPECT_EQ(recirculation->element, fine);
    EXPECT_EQ(recirculation->nr, 2);
    EXPECT_EQ(f.project().filters.count(), 2);
    EXPECT_EQ(f.project().filters.at(outdoor->nr), outdoor);
    EXPECT_EQ(f.project().filters.at(recirculation->nr), recirculation);
}

// ------------------------------------------------------ supply and return

TEST(AhsPointSheet, APointNeedsASystemAndThenJoinsItToTheRoom)
{
    AhsSheets f;
    SimpleAhs* s = create_simple_ahs(f.project(), "AHU1", "");
    f.icon(kPointCell, ICN_SUPPLY);
    f.dialogs.fill_point = [&](AhsPointSheet& sheet) {
        EXPECT_EQ(sheet.title(), "Supply Point Properties");
        EXPECT_EQ(sheet.system_text(), " <required>");
        EXPECT_FALSE(sheet.can_edit_system());
        const std::optional<SheetRefusal> refusal = sheet.select_page(PointPage::Schedule);
        EXPECT_TRUE(refusal);
        EXPECT_EQ(f.port.boxes.back().text, boxed("An AHS must be selected. You can do one of the following:\n"
                                                  "1) Select from the Name drop-down list, or\n2) CANCEL"));
        EXPECT_TRUE(sheet.accept()) << "nor can the sheet be accepted";
        sheet.choose_system(sheet.system_choices().at(0));
        EXPECT_EQ(sheet.system_text(), "AHU1");
        EXPECT_TRUE(sheet.set(PointField::DesignFlow, 0.1));
        EXPECT_FALSE(sheet.set(PointField::DesignFlow, -0.1));
        EXPECT_TRUE(sheet.set(PointField::RelativeHeight, 2));
        return true;
    };
    ASSERT_TRUE(f.define(kPointCell));
    const std::int32_t n = f.cells().Paths(kPointCell.row, kPointCell.col);
    const FlowPath* point = f.project().paths.at(n);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->flags & kPathAhs, kPathAhs);
    EXPECT_FALSE(point->has_element());
    EXPECT_EQ(point->ahs, s);
    EXPECT_FLOAT_EQ(point->Fahs, 0.1f);
    EXPECT_FLOAT_EQ(point->relHt, 2);
    EXPECT_EQ(point->zone_n.zone(), f.project().zones.at(s->zs)) << "from the system's supply zone";
    EXPECT_EQ(point->zone_m.zone(), f.project().zones.at(1)) << "into the room";
}

TEST(AhsPointSheet, AReturnPointCancelledChangesNothing)
{
    AhsSheets f;
    create_simple_ahs(f.project(), "AHU1", "");
    const std::int32_t paths = f.project().paths.count();
    f.icon(kPointCell, ICN_RETURN);
    f.dialogs.fill_point = [](AhsPointSheet& sheet) {
        EXPECT_EQ(sheet.title(), "Return Point Properties");
        sheet.choose_system(sheet.system_choices().at(0));
        return false;
    };
    EXPECT_FALSE(f.define(kPointCell));
    EXPECT_EQ(f.project().paths.count(), paths);
    EXPECT_EQ(f.cells().Paths(kPointCell.row, kPointCell.col), 0);
}

TEST(AhsPointSheet, ASupplyPointCancelledRightAfterNewFilterLeavesNoFilter)
{
    AhsSheets f;
    create_simple_ahs(f.project(), "AHU1", "");
    FilterElement* coarse = f.filter_element("coarse");
    const auto sheet = [&](bool ok) {
        return [&, ok](AhsPointSheet& s) {
            s.choose_system(s.system_choices().at(0));
            EXPECT_EQ(s.filter_button(), "New Filter");
            EXPECT_FALSE(s.can_delete_filter());
            s.store_filter(chosen_filter(s.working_filter(), f.project(), coarse));
            EXPECT_EQ(s.filter_name(), "coarse");
            return ok;
        };
    };
    f.icon(kPointCell, ICN_SUPPLY);
    f.dialogs.fill_point = sheet(false);
    EXPECT_FALSE(f.define(kPointCell));
    EXPECT_EQ(f.project().filters.count(), 0);

    f.dialogs.fill_point = sheet(true);
    ASSERT_TRUE(f.define(kPointCell));
    const FlowPath* point = f.project().paths.at(f.cells().Paths(kPointCell.row, kPointCell.col));
    ASSERT_NE(point, nullptr);
    ASSERT_NE(point->filter, nullptr);
    EXPECT_EQ(point->filter, f.project().filters.head());
    EXPECT_EQ(point->filter->element, coarse);
}

}  // namespace
}  // namespace avelor
