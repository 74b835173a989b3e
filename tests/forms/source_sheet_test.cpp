#include "forms/source_sheet.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

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
constexpr GridCell kCell{2, 2};

struct SourceSheets : EditFixture {
    Species* co2 = nullptr;

    SourceSheets()
    {
        build({testing::Plan(kRoom)});
        Species s = new_species();
        s.name = "CO2";
        s.CCdef = 0.002f;
        co2 = project().species.insert_copy(s);
        project().Ctm.push_back(co2);
    }
    SourceElement* element(const std::string& name, int model)
    {
        SourceElement e = new_source_element(model, co2);
        e.name = name;
        return project().source_elements.insert_copy(e);
    }
    WeekSchedule* week()
    {
        WeekSchedule w;
        w.name = "week";
        w.utyp = 1;
        return project().week_schedules.insert_copy(w);
    }
    void icon(std::int32_t number = 0)
    {
        cells().Sketch(kCell.row, kCell.col) = ICN_SOURCE;
        cells().Paths(kCell.row, kCell.col) = number;
        at(kCell.row, kCell.col);
    }
};

TEST(SourceSheet, AcceptingMakesTheInstanceInTheRoomAndCancelMakesNothing)
{
    SourceSheets f;
    SourceElement* ccf = f.element("gen", kSrcCcf);
    f.icon();
    f.dialogs.fill_source = [](SourceSheet&) { return false; };
    EXPECT_FALSE(f.run(EditAction::Define).modified);
    EXPECT_EQ(f.project().sources.count(), 0);

    f.dialogs.fill_source = [&](SourceSheet& sheet) {
        EXPECT_EQ(sheet.element_text(), " <required>");
        sheet.choose_element(ccf);
        EXPECT_EQ(sheet.contaminant_text(), "CO2");
        EXPECT_EQ(sheet.summary().title, "Constant Coefficient");
        EXPECT_TRUE(sheet.set(SourceSheetField::Multiplier, 2));
        EXPECT_FALSE(sheet.set(SourceSheetField::Multiplier, -1)) << "at least 0";
        sheet.set_cfd_id("src1");
        return true;
    };
    ASSERT_TRUE(f.run(EditAction::Define).modified);
    ASSERT_EQ(f.project().sources.count(), 1);
    const SourceSink* s = f.project().sources.at(1);
    EXPECT_EQ(f.cells().Paths(kCell.row, kCell.col), 1);
    EXPECT_EQ(s->element, ccf);
    EXPECT_EQ(s->zone, f.project().zones.at(1));
    EXPECT_FLOAT_EQ(s->mult, 2);
    EXPECT_EQ(s->cfd_name, "src1");
}

TEST(SourceSheet, ChoosingAnElementSetsTheInitialConcentrationByItsModel)
{
    SourceSheets f;
    SourceElement* bls = f.element("bls", kSrcBls);
    bls->v[2] = 3;  // partition coefficient
    SourceElement* dvr = f.element("dvr", kSrcDvr);
    SourceElement* ccf = f.element("ccf", kSrcCcf);
    SourceSheet sheet(f.project(), f.grid(), kCell, 0);
    sheet.choose_element(bls);
    EXPECT_FLOAT_EQ(sheet.source().CC0, 0.006f) << "default concentration times k";
    sheet.choose_element(dvr);
    EXPECT_FLOAT_EQ(sheet.source().CC0, 0.006f) << "unchanged";
    sheet.choose_element(ccf);
    EXPECT_FLOAT_EQ(sheet.source().CC0, 0);
}

TEST(SourceSheet, RefusalsKeepTheSheetOpenWithTheirTexts)
{
    struct Case {
        const char* what;
        std::function<void(SourceSheets&, SourceSheet&)> edit;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no element", [](SourceSheets&, SourceSheet&) {},
         "A Name must be selected. You can do one of the following:\n1) Select from the Name drop-down list,\n2) "
         "Create a new element by clicking the 'New Element' button, or\n3) CANCEL"},
        {"burst without schedule",
         [](SourceSheets& f, SourceSheet& s) { s.choose_element(f.element("burst", kSrcBrs)); },
         "Burst source requires a schedule. You can either associate a schedule, or CANCEL"},
        {"x", [](SourceSheets& f, SourceSheet& s) {
             s.choose_element(f.element("e", kSrcCcf));
             s.set(SourceSheetField::MinX, 2);
             s.set(SourceSheetField::MaxX, 1);
         },
         "Xmax must be greater than Xmin"},
        {"y", [](SourceSheets& f, SourceSheet& s) {
             s.choose_element(f.element("e", kSrcCcf));
             s.set(SourceSheetField::MinY, 2);
         },
         "Ymax must be greater than Ymin"},
        {"h", [](SourceSheets& f, SourceSheet& s) {
             s.choose_element(f.element("e", kSrcCcf));
             s.set(SourceSheetField::MinH, 2);
             s.set(SourceSheetField::MaxH, 1);
         },
         "H Rel max must be greater than HRel min"},
        {"cfd id of another", [](SourceSheets& f, SourceSheet& s) {
             SourceSink other;
             other.cfd_name = "taken";
             f.project().sources.add(other);
             s.choose_element(f.element("e", kSrcCcf));
             s.set_cfd_id("taken");
         },
         "The CFD ID given is already used by another Source/sink."},
        {"bad cfd id", [](SourceSheets& f, SourceSheet& s) {
             s.choose_element(f.element("e", kSrcCcf));
             s.set_cfd_id("a b");
         },
         "Blanks not permitted in name"},
    };
    for (const Case& c : cases) {
        SourceSheets f;
        f.icon();
        SourceSheet sheet(f.project(), f.grid(), kCell, 0);
        c.edit(f, sheet);
        const std::int32_t before = f.project().sources.count();
        f.port.boxes.clear();
        EXPECT_TRUE(sheet.accept()) << c.what;
        ASSERT_EQ(f.port.boxes.size(), 1u) << c.what;
        EXPECT_EQ(f.port.boxes.back().text, boxed(c.message)) << c.what;
        EXPECT_EQ(f.project().sources.count(), before) << c.what << ": nothing stored";
        EXPECT_FALSE(sheet.accepted());
    }
}

TEST(SourceSheet, ABurstSourceIsAcceptedOnceScheduled)
{
    SourceSheets f;
    f.week();
    f.icon();
    SourceSheet sheet(f.project(), f.grid(), kCell, 0);
    sheet.choose_element(f.element("burst", kSrcBrs));
    ASSERT_TRUE(sheet.accept());
    ASSERT_TRUE(sheet.schedule_page().choose_schedule(1));
    EXPECT_FALSE(sheet.accept());
    EXPECT_EQ(f.project().sources.at(1)->schedule, f.project().week_schedules.head());
}

TEST(SourceSheet, TheElementPageCannotBeLeftWithoutAnElement)
{
    SourceSheets f;
    SourceSheet sheet(f.project(), f.grid(), kCell, 0);
    EXPECT_TRUE(sheet.select_page(SourcePage::MultiplierLocation));
    EXPECT_EQ(sheet.page(), SourcePage::Element);
    sheet.choose_element(f.element("e", kSrcCcf));
    EXPECT_FALSE(sheet.select_page(SourcePage::MultiplierLocation));
    EXPECT_EQ(sheet.page(), SourcePage::MultiplierLocation);
}

}  // namespace
}  // namespace avelor
