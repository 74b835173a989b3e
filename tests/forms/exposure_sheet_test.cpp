#include "forms/exposure_sheet.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/cell_codes.h"
#include "model/schedules.h"
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

struct ExposureSheets : EditFixture {
    Species* co2 = nullptr;
    Species* voc = nullptr;
    OccupancySchedule* day = nullptr;

    ExposureSheets()
    {
        build({testing::Plan(kRoom)});
        for (const char* name : {"CO2", "VOC"}) {
            Species s = new_species();
            s.name = name;
            project().Ctm.push_back(project().species.insert_copy(s));
        }
        co2 = project().Ctm[0];
        voc = project().Ctm[1];
        OccupancySchedule o = new_occupancy_schedule(0);
        o.name = "office";
        day = project().occupancy_schedules.insert_copy(o);
        cells().Sketch(kCell.row, kCell.col) = ICN_EXPOSURE;
        cells().Paths(kCell.row, kCell.col) = 0;
        at(kCell.row, kCell.col);
    }
};

TEST(ExposureSheet, EveryDayTypeNeedsAnOccupancySchedule)
{
    ExposureSheets f;
    ExposureSheet sheet(f.project(), f.grid(), kCell, 0);
    for (int d = 0; d < 11; ++d) ASSERT_TRUE(sheet.replace(d, f.day));
    EXPECT_FALSE(sheet.replace(12, f.day));
    const std::optional<SheetRefusal> refusal = sheet.accept();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(f.port.boxes.back().text,
              boxed("You must define the occupancy schedule.\nYou can either:\n  Click the Edit Occupancy Schedule "
                    "button to define the occupancy schedule,\n  or CANCEL"));
    EXPECT_EQ(f.project().exposures.count(), 0);

    EXPECT_EQ(sheet.day_schedule_text(11), "");
    ASSERT_TRUE(sheet.replace(11, f.day));
    EXPECT_EQ(sheet.day_schedule_text(11), "office");
    sheet.set_description("two\nlines");
    EXPECT_FALSE(sheet.accept());
    ASSERT_EQ(f.project().exposures.count(), 1);
    EXPECT_EQ(f.project().exposures.at(1)->desc, "two lines");
    EXPECT_EQ(f.cells().Paths(kCell.row, kCell.col), 1);
}

TEST(ExposureSheet, ARateMakesAGenerationInFrontAndZeroRemovesIt)
{
    ExposureSheets f;
    ExposureSheet sheet(f.project(), f.grid(), kCell, 0);
    EXPECT_EQ(sheet.generation_note(), "Generation Rate is 0");
    ASSERT_TRUE(sheet.set_rate(1e-6));
    ASSERT_TRUE(sheet.select_species(1));
    EXPECT_EQ(sheet.generation_note(), "Generation Rate is 0");
    ASSERT_TRUE(sheet.set_rate(2e-6));
    ASSERT_EQ(sheet.exposure().generations.size(), 2u);
    EXPECT_EQ(sheet.exposure().generations[0].species, f.voc) << "the newest in front";
    EXPECT_FALSE(sheet.set_rate(-1)) << "at least 0";

    ASSERT_TRUE(sheet.select_species(0));
    EXPECT_NEAR(sheet.rate_shown(), 1e-6, 1e-12);
    ASSERT_TRUE(sheet.set_rate(0));
    ASSERT_EQ(sheet.exposure().generations.size(), 1u);
    EXPECT_EQ(sheet.exposure().generations[0].species, f.voc);
    EXPECT_EQ(sheet.generation_note(), "Generation Rate is 0");
    EXPECT_FALSE(sheet.generation_schedule_enabled());
}

TEST(ExposureSheet, AValuesFileControlWithoutColumnIsRefused)
{
    ExposureSheets f;
    f.project().rc.continuous_values_file = "values.cvf";
    ExposureSheet sheet(f.project(), f.grid(), kCell, 0);
    for (int d = 0; d < 12; ++d) sheet.replace(d, f.day);
    ASSERT_TRUE(sheet.set_rate(1e-6));
    ASSERT_TRUE(sheet.generation_schedule().set_control_kind(1));
    const std::optional<SheetRefusal> refusal = sheet.accept();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->severity, 2);
    EXPECT_EQ(f.port.boxes.back().text, boxed("A column must be selected from the cvf/dvf file."));
    EXPECT_EQ(f.project().exposures.count(), 0);
}

TEST(ExposureSheet, CancelLeavesTheOccupantAsItWas)
{
    ExposureSheets f;
    Exposure stored = new_exposure(f.project());
    stored.occupancy.fill(f.day);
    f.project().exposures.add(stored);
    f.cells().Paths(kCell.row, kCell.col) = 1;
    f.dialogs.fill_exposure = [](ExposureSheet& sheet) {
        sheet.set_rate(5e-6);
        sheet.set_multiplier(3);
        return false;
    };
    EXPECT_FALSE(f.run(EditAction::Define).modified);
    EXPECT_TRUE(f.project().exposures.at(1)->generations.empty());
    EXPECT_FLOAT_EQ(f.project().exposures.at(1)->mult, 1);

    f.dialogs.fill_exposure = [](ExposureSheet& sheet) {
        sheet.set_rate(5e-6);
        return true;
    };
    EXPECT_TRUE(f.run(EditAction::Define).modified);
    ASSERT_EQ(f.project().exposures.at(1)->generations.size(), 1u);
}

}  // namespace
}  // namespace avelor
