#include "forms/duct_segment_sheet.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/duct_fixture.h"

namespace avelor {
namespace {

using testing::DuctFixture;
using testing::kNorthRun;
using testing::kWestDrop;

const std::string kNoElement =
    "A Name must be selected. You can do one of the following:\n1) Select from the Name drop-down list,\n2) "
    "Create a new element by clicking the 'New Element' button, or\n3) CANCEL";
const std::string kDarcyNeedsLength =
    "Darcy-Colebrook duct elements require that you set either the Length or\nthe Sum of Loss Coefficients "
    "ofthe duct segment to be greater than 0.0.";

struct Sheets : DuctFixture {
    DuctSegmentSheet open_new(GridCell cell)
    {
        at(cell.row, cell.col);
        return DuctSegmentSheet(project(), grid(), cell, new_duct_segment(project(), segment_run_at(grid(), cell)), 0);
    }
    // The last box's message without its margins.
    std::string last_box() const
    {
        if (port.boxes.empty()) return {};
        const std::string& text = port.boxes.back().text;
        const std::size_t first = text.find_first_not_of(' ');
        const std::size_t last = text.find_last_not_of("\n ");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }
};

TEST(DuctSegmentSheet, ElementAndLengthRules)
{
    Sheets f;
    DuctElement* darcy = f.duct_element("darcy");
    DuctElement* fan = f.duct_element("fan", kDctCvf);
    DuctSegmentSheet s = f.open_new(kNorthRun);
    EXPECT_EQ(s.element_text(), " <required>");
    const SegmentSheetVerdict none = s.leave_page(SegmentPage::Element);
    EXPECT_FALSE(none);
    EXPECT_EQ(none.focus, "element");
    EXPECT_EQ(f.last_box(), kNoElement);
    EXPECT_FALSE(s.accept());

    s.choose_element(darcy);
    EXPECT_TRUE(s.leave_page(SegmentPage::Element)) << "the length rule is the segment page's";
    EXPECT_TRUE(s.loss_coefficients_enabled());
    const SegmentSheetVerdict short_duct = s.leave_page(SegmentPage::Segment);
    EXPECT_FALSE(short_duct);
    EXPECT_EQ(short_duct.page, SegmentPage::Segment);
    EXPECT_EQ(f.last_box(), kDarcyNeedsLength);
    EXPECT_FALSE(s.accept());
    EXPECT_EQ(f.project().ducts.count(), 0);
    EXPECT_TRUE(s.set_loss_coefficients(1.5));
    EXPECT_TRUE(s.leave_page(SegmentPage::Segment)) << "length 0 with losses";

    // Only a Darcy-Colebrook element takes the losses; any length will do.
    s.choose_element(fan);
    EXPECT_FALSE(s.loss_coefficients_enabled());
    EXPECT_EQ(s.loss_coefficients_text(), " N/A");
    EXPECT_FALSE(s.set_loss_coefficients(2));
    EXPECT_TRUE(s.leave_page(SegmentPage::Segment));
    EXPECT_FALSE(s.set_length(-1));
}

TEST(DuctSegmentSheet, DerivedValuesFollowLengthAndElement)
{
    Sheets f;
    DuctElement* darcy = f.duct_element("darcy");
    darcy->shape.leak_rate = 2;
    DuctSegmentSheet s = f.open_new(kNorthRun);
    EXPECT_TRUE(s.derived_lines().empty());
    s.choose_element(darcy);
    ASSERT_TRUE(s.set_length(10));
    const std::vector<std::string> lines = s.derived_lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Volume: 0.314159 m\xB3");
    EXPECT_EQ(lines[1], "Surface area: 6.28319 m\xB2");
    EXPECT_EQ(lines[2], "Flow area: 0.0314159 m\xB2");
    EXPECT_EQ(lines[3], "Leakage coefficient: 0.0125664") << "2 x 0.001 x 6.283 / 1^0.65";
    EXPECT_EQ(lines[5].rfind("Laminar coefficient: ", 0), 0u);
    EXPECT_FALSE(s.element_summary().empty());
    s.set_area_unit(1);
    EXPECT_EQ(s.derived_lines()[0], "Volume: 11.0944 ft\xB3");
}

TEST(DuctSegmentSheet, DirectionsFollowTheRun)
{
    Sheets f;
    struct Case {
        GridCell cell;
        SegmentRun run;
        std::array<std::uint8_t, 2> dirs;
    };
    for (const Case& c : {Case{kNorthRun, SegmentRun::Horizontal, {2, 5}}, Case{kWestDrop, SegmentRun::Vertical, {1, 4}}}) {
        DuctSegmentSheet s = f.open_new(c.cell);
        EXPECT_EQ(s.run(), c.run);
        EXPECT_EQ(s.directions(), c.dirs);
        EXPECT_EQ(s.segment().dir, c.dirs[0]);
        s.set_direction_choice(1);
        EXPECT_EQ(s.segment().dir, c.dirs[1]);
        EXPECT_EQ(s.direction_choice(), 1);
    }
    DuctSegmentSheet down(f.project(), new_duct_segment(f.project(), SegmentRun::Downward), 0);
    EXPECT_EQ(down.directions(), (std::array<std::uint8_t, 2>{3, 6}));
}

TEST(DuctSegmentSheet, LengthDefaultsToTheRunWithPseudoGeometry)
{
    for (const bool geometry : {false, true}) {
        Sheets f;
        DuctElement* darcy = f.duct_element("darcy");
        f.project().rc.showGeom = geometry ? 1 : 0;
        f.project().rc.scale = 0.5f;
        f.at(kWestDrop.row, kWestDrop.col);
        float length = -1;
        EXPECT_EQ(create_duct_segment(f.project(), f.grid(),
                                      [&](DuctSegmentSheet& s) {
                                          length = s.segment().len;
                                          s.choose_element(darcy);
                                          s.set_loss_coefficients(1);
                                          return true;
                                      }),
                  1);
        // Three pieces between the west junction and its terminal.
        EXPECT_FLOAT_EQ(length, geometry ? 1.5f : 0.0f);
    }
}

TEST(DuctSegmentSheet, CancelChangesNothing)
{
    Sheets f;
    f.duct_element("darcy");
    f.project().mark_saved();
    f.at(kNorthRun.row, kNorthRun.col);
    const std::uint8_t piece = f.cells().Ducts(kNorthRun.row, kNorthRun.col);
    EXPECT_EQ(create_duct_segment(f.project(), f.grid(), [](DuctSegmentSheet&) { return false; }), 0);
    EXPECT_EQ(f.project().ducts.count(), 0);
    EXPECT_EQ(f.cells().Ducts(kNorthRun.row, kNorthRun.col), piece);
    EXPECT_EQ(f.cells().Paths(kNorthRun.row, kNorthRun.col), 0);
    EXPECT_FALSE(f.project().changed());
}

}  // namespace
}  // namespace avelor
