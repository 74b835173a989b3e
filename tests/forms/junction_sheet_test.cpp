#include "forms/junction_sheet.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/cell_codes.h"
#include "support/duct_fixture.h"

namespace avelor {
namespace {

using testing::DuctFixture;
using testing::kLoneNode;
using testing::kRoomTerminal;
using testing::kWestJunction;
using testing::kMiddleJunction;
using testing::kWestTerminal;

struct Sheets : DuctFixture {
    std::optional<JunctionSheet> sheet;

    JunctionSheet& open_new(GridCell cell, JunctionDefaults defaults = {})
    {
        at(cell.row, cell.col);
        const std::uint8_t code = cells().Ducts(cell.row, cell.col);
        sheet.emplace(project(), grid(), cell, new_junction(project(), code, defaults), std::nullopt, 0);
        return *sheet;
    }

    // What the "Define Downward Duct" button's sheet does: the element,
    // then OK.
    DuctSegmentSheetDialog choose(DuctElement* element, float length = 3)
    {
        return [element, length](DuctSegmentSheet& s) {
            s.choose_element(element);
            s.set_length(length);
            return true;
        };
    }

    bool has_box(const std::string& text) const
    {
        for (const auto& box : port.boxes)
            if (box.text == " " + text + "\n") return true;
        return false;
    }
};

std::vector<std::uint8_t> enabled_kinds(const JunctionSheet& s)
{
    std::vector<std::uint8_t> out;
    for (std::uint8_t k = 158; k <= 164; ++k)
        if (s.kind_enabled(k)) out.push_back(k);
    return out;
}

TEST(JunctionSheet, KindsFollowTheNeighbouringDucts)
{
    struct Case {
        GridCell cell;
        int neighbours;
        std::vector<std::uint8_t> kinds;
    };
    const Case cases[] = {
        {kWestTerminal, 1, {159, 160, 161, 162}},    // the end of a single duct
        {kWestJunction, 2, {158, 159, 160, 161}},    // a corner
        {kMiddleJunction, 3, {158, 159, 160, 161}},  // three ducts meet
        {kLoneNode, 0, {161, 163, 164}},
    };
    for (const Case& c : cases) {
        Sheets f;
        JunctionSheet& s = f.open_new(c.cell);
        EXPECT_EQ(s.duct_neighbours(), c.neighbours) << c.cell.row << "," << c.cell.col;
        EXPECT_EQ(enabled_kinds(s), c.kinds) << c.cell.row << "," << c.cell.col;
        EXPECT_FALSE(s.set_kind(c.neighbours == 0 ? 158 : 163));
    }
}

TEST(JunctionSheet, NewNodeDefaults)
{
    Sheets f;
    f.project().rc.ud = 1;
    f.project().rc.uf = 4;
    f.project().rc.T = 295.15f;
    JunctionSheet& s = f.open_new(kRoomTerminal, JunctionDefaults{2.5f});
    const Junction& j = s.junction();
    EXPECT_EQ(j.icon, ICN_TERMINAL);
    EXPECT_EQ(j.T0, 295.15f);
    EXPECT_EQ(j.relHt, 2.5f);
    EXPECT_EQ(j.clr, -1);
    EXPECT_EQ(j.u, (std::array<std::int16_t, 4>{1, 3, 1, 1}));
    const TerminalData& t = j.terminal;
    EXPECT_EQ(t.wall_azimuth(), -1.0f);
    EXPECT_EQ(t.duct_area(), 0.0314f);
    EXPECT_EQ(t.free_face_area(), 0.0314f);
    EXPECT_EQ(t.loss_coefficient(), 0.125f);
    EXPECT_EQ(t.balance_coefficient(), 0.0f);
    EXPECT_EQ(t.max_balance_coefficient(), 0.8f);
    EXPECT_EQ(t.design_flow_unit(), 4);
    EXPECT_EQ(t.direction(), 4) << "its duct comes from above";
    EXPECT_EQ(s.number_text(), "0");
}

TEST(JunctionSheet, DownwardKindNeedsItsDuctBeforeThePageIsLeft)
{
    Sheets f;
    DuctElement* round = f.duct_element("round");
    JunctionSheet& s = f.open_new(kWestJunction);
    EXPECT_FALSE(s.downward_button_enabled());
    ASSERT_TRUE(s.set_kind(160));
    EXPECT_TRUE(s.downward_button_enabled());
    const JunctionSheetVerdict v = s.leave_page(JunctionPage::Junction);
    EXPECT_FALSE(v);
    EXPECT_EQ(v.page, JunctionPage::Junction);
    EXPECT_TRUE(f.has_box("The duct segment must be defined"));
    EXPECT_FALSE(s.accept());
    EXPECT_EQ(f.project().junctions.count(), 0);

    // Cancel on the segment sheet leaves the node without its duct.
    EXPECT_FALSE(s.define_downward_duct([](DuctSegmentSheet&) { return false; }));
    EXPECT_FALSE(s.downward_defined());
    EXPECT_TRUE(s.define_downward_duct(f.choose(round)));
    EXPECT_TRUE(s.downward_defined());
    EXPECT_EQ(s.downward().dir, 3) << "upward from the level below";
    EXPECT_TRUE(s.leave_page(JunctionPage::Junction));
}

TEST(JunctionSheet, TerminalToJunctionDropsTheTerminalPagesAndFreesTheTemperature)
{
    {
        // A terminal inside a room shows no wind page.
        Sheets g;
        EXPECT_EQ(g.open_new(kRoomTerminal).pages(),
                  (std::vector<JunctionPage>{JunctionPage::Junction, JunctionPage::TerminalData,
                                             JunctionPage::Schedule, JunctionPage::Filter}));
    }
    Sheets f;
    JunctionSheet& s = f.open_new(kWestTerminal);
    EXPECT_EQ(s.pages(), (std::vector<JunctionPage>{JunctionPage::Junction, JunctionPage::TerminalData,
                                                     JunctionPage::WindPressure, JunctionPage::Schedule,
                                                     JunctionPage::Filter}));
    EXPECT_FALSE(s.temperature_enabled());
    EXPECT_EQ(s.temperature_text(), " N/A");
    EXPECT_FALSE(s.set_temperature(20));

    ASSERT_TRUE(s.set_kind(159));
    EXPECT_EQ(s.pages(), (std::vector<JunctionPage>{JunctionPage::Junction, JunctionPage::Schedule}));
    EXPECT_TRUE(s.temperature_enabled());
    EXPECT_TRUE(s.set_temperature(20));  // shown in degrees C (unit 2)
    EXPECT_NEAR(s.junction().T0, 293.15f, 1e-3);
}

TEST(JunctionSheet, ExposedTerminalFacesAwayFromItsDuct)
{
    struct Case {
        float north;
        std::uint8_t stale_direction;  // what the record says, whatever it is
        float azimuth;
    };
    // The duct comes from above: the terminal opens southward, 180, less
    // the relative north and within 0..360, from the grid and not from a
    // direction stored in the record.
    for (const Case& c : {Case{0, 4, 180}, Case{270, 4, 270}, Case{0, 1, 180}, Case{-200, 2, 20}}) {
        Sheets f;
        f.project().rc.N = c.north;
        f.at(kWestTerminal.row, kWestTerminal.col);
        Junction j = new_junction(f.project(), ICN_TERMINAL, {});
        j.terminal.direction() = c.stale_direction;
        JunctionSheet s(f.project(), f.grid(), kWestTerminal, j, std::nullopt, 0);
        ASSERT_TRUE(s.exposed());
        EXPECT_EQ(s.wind_option(), WindOption::None);
        s.set_wind_option(WindOption::Variable);
        EXPECT_FLOAT_EQ(s.wall_azimuth(), c.azimuth) << "north " << c.north;
        EXPECT_EQ(s.wind_modifier(), f.project().rc.wind_modifier_squared);
    }
}

TEST(JunctionSheet, WindValuesReachOnlyAnExposedTerminal)
{
    {
        // In the room the page is not there and nothing of it is stored.
        Sheets g;
        JunctionSheet& r = g.open_new(kRoomTerminal);
        r.set_wind_option(WindOption::Constant);
        EXPECT_EQ(r.wind_option(), WindOption::None);
        ASSERT_TRUE(r.accept());
        const Junction* k = g.project().junctions.at(1);
        EXPECT_EQ(k->t, 1);
        EXPECT_EQ(k->zone.zone(), g.project().zones.at(1));
        EXPECT_EQ(k->flags & kJunctionWind, 0);
    }
    Sheets f;
    WindProfile profile;
    profile.name = "south";
    WindProfile* stored = f.project().wind_profiles.insert_copy(profile);
    JunctionSheet& s = f.open_new(kWestTerminal);
    s.set_wind_option(WindOption::Variable);
    const JunctionSheetVerdict refused = s.leave_page(JunctionPage::WindPressure);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.focus, "profile");
    EXPECT_FALSE(s.accept());
    s.choose_profile(stored);
    ASSERT_TRUE(s.accept());
    const Junction* j = f.project().junctions.at(1);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->t, 3);
    EXPECT_TRUE(j->zone.is_ambient());
    EXPECT_TRUE(j->flags & kJunctionWind);
    EXPECT_EQ(j->terminal.wind_profile, stored);
    EXPECT_FLOAT_EQ(j->terminal.wall_azimuth(), 180);
}

TEST(JunctionSheet, BalanceCoefficientAsksFirst)
{
    Sheets f;
    JunctionSheet& s = f.open_new(kWestTerminal);
    f.port.answers = {Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(s.set_balance_loss(0.5));
    EXPECT_EQ(s.junction().terminal.balance_coefficient(), 0.0f);
    ASSERT_EQ(f.port.questions.size(), 1u);
    EXPECT_EQ(f.port.questions[0], "Are you sure you want to change this value?");
    EXPECT_TRUE(s.set_balance_loss(0.5));
    EXPECT_EQ(s.junction().terminal.balance_coefficient(), 0.5f);
    EXPECT_FALSE(s.set_balance_loss(-1)) << "at least 0";
    EXPECT_EQ(s.junction().terminal.balance_coefficient(), 0.5f);

    // The other bounds of the page.
    EXPECT_FALSE(s.set_free_face_area(0.00005));
    EXPECT_TRUE(s.set_free_face_area(0.0001));
    EXPECT_FALSE(s.set_terminal_loss(0.0005));
    EXPECT_TRUE(s.set_max_balance(-3));
}

TEST(JunctionSheet, DuctAreaComesFromTheFeedingSegment)
{
    Sheets f;
    DuctElement* wide = f.duct_element("wide");
    wide->shape.shape = kDuctRectangle;
    wide->shape.width = 0.4f;
    wide->shape.height = 0.2f;
    derive_shape(wide->shape);
    DuctElement* round = f.duct_element("round");

    // No segment yet: the default area.
    JunctionSheet& s = f.open_new(kWestTerminal);
    s.show_terminal_page();
    EXPECT_FLOAT_EQ(s.junction().terminal.duct_area(), 0.0314f);

    // The segment numbered in the piece above.
    DuctSegment above;
    above.element = wide;
    f.project().ducts.add(above);
    f.cells().Paths(5, 2) = 1;
    s.show_terminal_page();
    EXPECT_FLOAT_EQ(s.junction().terminal.duct_area(), 0.08f);

    // A terminal connected down takes its own downward segment's.
    JunctionSheet& lone = f.open_new(kLoneNode);
    ASSERT_TRUE(lone.set_kind(164));
    ASSERT_TRUE(lone.define_downward_duct(f.choose(round)));
    lone.show_terminal_page();
    EXPECT_FLOAT_EQ(lone.junction().terminal.duct_area(), round->shape.area);
}

TEST(JunctionSheet, AcceptStoresNodeAndDownwardSegment)
{
    Sheets f;
    DuctElement* round = f.duct_element("round");
    f.at(kWestJunction.row, kWestJunction.col);
    JunctionDefaults defaults;
    // A new node connecting down adds its segment and refers to it.
    ASSERT_EQ(create_junction(f.project(), f.grid(), defaults,
                              [&](JunctionSheet& s) {
                                  s.set_kind(161);
                                  s.set_relative_elevation(1.25);
                                  return s.define_downward_duct(f.choose(round));
                              }),
              1);
    ASSERT_EQ(f.project().junctions.count(), 1);
    const Junction* j = f.project().junctions.at(1);
    EXPECT_EQ(j->icon, 161);
    EXPECT_EQ(j->t, 0);
    EXPECT_EQ(f.cells().Ducts(2, 2), 161);
    EXPECT_EQ(f.cells().Paths(2, 2), 1);
    ASSERT_NE(j->duct, nullptr);
    EXPECT_EQ(j->duct, f.project().ducts.at(1));
    EXPECT_EQ(j->duct->element, round);
    EXPECT_EQ(j->duct->junction_m, j) << "upward flow ends at this node";
    EXPECT_EQ(j->duct->junction_n, nullptr) << "no level below";
    EXPECT_EQ(defaults.relative_elevation, 1.25f);
    EXPECT_TRUE(f.project().changed());

    // Editing it to a kind that does not connect down frees the segment.
    ASSERT_EQ(edit_junction(f.project(), f.grid(), 1,
                            [](JunctionSheet& s) {
                                EXPECT_TRUE(s.downward_defined());
                                return s.set_kind(159);
                            }),
              1);
    j = f.project().junctions.at(1);
    EXPECT_EQ(j->icon, 159);
    EXPECT_EQ(j->duct, nullptr);
    EXPECT_EQ(f.project().ducts.at(1), nullptr);
    EXPECT_EQ(f.cells().Ducts(2, 2), 159);

    // Cancel changes nothing.
    f.project().mark_saved();
    EXPECT_EQ(edit_junction(f.project(), f.grid(), 1,
                            [](JunctionSheet& s) {
                                s.set_kind(158);
                                return false;
                            }),
              0);
    EXPECT_EQ(f.project().junctions.at(1)->icon, 159);
    EXPECT_EQ(f.cells().Ducts(2, 2), 159);
    EXPECT_FALSE(f.project().changed());
}

TEST(JunctionSheet, EditKeepsTheDownwardSegmentItHad)
{
    Sheets f;
    DuctElement* round = f.duct_element("round");
    DuctElement* other = f.duct_element("other");
    f.at(kLoneNode.row, kLoneNode.col);
    JunctionDefaults defaults;
    ASSERT_EQ(create_junction(f.project(), f.grid(), defaults,
                              [&](JunctionSheet& s) {
                                  s.set_kind(164);
                                  return s.define_downward_duct(f.choose(round));
                              }),
              1);
    EXPECT_EQ(f.project().junctions.at(1)->t, 3) << "a terminal in the open";
    ASSERT_EQ(edit_junction(f.project(), f.grid(), 1,
                            [&](JunctionSheet& s) { return s.define_downward_duct(f.choose(other, 4)); }),
              1);
    EXPECT_EQ(f.project().ducts.count(), 1) << "put back, not added";
    const Junction* j = f.project().junctions.at(1);
    ASSERT_EQ(j->duct, f.project().ducts.at(1));
    EXPECT_EQ(j->duct->element, other);
    EXPECT_EQ(j->duct->len, 4.0f);
}

}  // namespace
}  // namespace avelor
