// Defining duct segments, junctions and terminals on the SketchPad through
// the editor's Define command.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editing/editor_session.h"
#include "editing/icon_editing.h"
#include "model/cell_codes.h"
#include "support/duct_fixture.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using namespace testing;  // the fixtures and their cells

struct Define : DuctFixture {
    using DuctFixture::DuctFixture;
    DuctElement* darcy = duct_element("darcy");

    // Define at a cell with the segment sheet choosing the element, a
    // length and the direction.
    bool define_segment(GridCell cell, int direction_choice, float length = 2)
    {
        dialogs.fill_segment = [=, this](DuctSegmentSheet& s) {
            s.choose_element(darcy);
            s.set_length(length);
            s.set_direction_choice(direction_choice);
            return true;
        };
        at(cell.row, cell.col);
        return run(EditAction::Define).modified;
    }
    std::int32_t number_at(GridCell cell) { return cells().Paths(cell.row, cell.col); }
};

TEST(DefineDuctSegment, IconNumberAndEndsFollowTheDirection)
{
    struct Case {
        GridCell cell;
        int choice;
        std::uint8_t icon;
        std::uint8_t dir;
        GridCell n, m;  // the nodes upstream and downstream
        std::vector<GridCell> run;
    };
    const std::vector<GridCell> north_run{{2, 3}, {2, 4}, {2, 5}};
    const std::vector<GridCell> west_drop{{3, 2}, {4, 2}, {5, 2}};
    const Case cases[] = {
        {kNorthRun, 0, ICN_SEGMENT_E, 2, kWestJunction, kMiddleJunction, north_run},
        {kNorthRun, 1, ICN_SEGMENT_W, 5, kMiddleJunction, kWestJunction, north_run},
        {kWestDrop, 0, ICN_SEGMENT_N, 1, kWestTerminal, kWestJunction, west_drop},
        {kWestDrop, 1, ICN_SEGMENT_S, 4, kWestJunction, kWestTerminal, west_drop},
    };
    for (const Case& c : cases) {
        Define f;
        Junction* west = f.define_node(kWestJunction);
        Junction* middle = f.define_node(kMiddleJunction);
        Junction* terminal = f.define_node(kWestTerminal);
        auto node_at = [&](GridCell cell) {
            return cell == kWestJunction ? west : cell == kMiddleJunction ? middle : terminal;
        };
        ASSERT_TRUE(f.define_segment(c.cell, c.choice)) << c.cell.row << "," << c.cell.col << " " << c.choice;
        ASSERT_EQ(f.project().ducts.count(), 1);
        const DuctSegment* d = f.project().ducts.at(1);
        EXPECT_EQ(d->dir, c.dir);
        EXPECT_EQ(d->element, f.darcy);
        EXPECT_EQ(f.cells().Ducts(c.cell.row, c.cell.col), c.icon);
        for (GridCell cell : c.run) EXPECT_EQ(f.number_at(cell), 1) << cell.row << "," << cell.col;
        EXPECT_EQ(d->junction_n, node_at(c.n));
        EXPECT_EQ(d->junction_m, node_at(c.m));
        // The nodes keep their own numbers; the next run is untouched.
        EXPECT_EQ(f.number_at(kWestJunction), west->nr);
        EXPECT_EQ(f.number_at(kMiddleJunction), middle->nr);
        EXPECT_EQ(f.number_at({2, 7}), 0);
        EXPECT_TRUE(f.project().changed());
    }
}

TEST(DefineDuctSegment, EditingTheDirectionTurnsTheIconAndSwapsTheEnds)
{
    Define f;
    Junction* west = f.define_node(kWestJunction);
    Junction* middle = f.define_node(kMiddleJunction);
    ASSERT_TRUE(f.define_segment(kNorthRun, 0));
    ASSERT_EQ(f.dialogs.sheets.size(), 1u);
    EXPECT_TRUE(f.dialogs.sheets[0].create);
    ASSERT_TRUE(f.define_segment(kNorthRun, 1, 5));
    EXPECT_FALSE(f.dialogs.sheets[1].create);
    EXPECT_EQ(f.project().ducts.count(), 1);
    const DuctSegment* d = f.project().ducts.at(1);
    EXPECT_EQ(f.cells().Ducts(kNorthRun.row, kNorthRun.col), ICN_SEGMENT_W);
    EXPECT_EQ(d->junction_n, middle);
    EXPECT_EQ(d->junction_m, west);
    EXPECT_EQ(d->len, 5.0f);
    // A numbered piece of the run asks for nothing.
    f.at(2, 3);
    f.run(EditAction::Define);
    EXPECT_EQ(f.dialogs.sheets.size(), 2u);
    EXPECT_EQ(f.port.beeps, 1);
}

// A closed ring of ducts has no ends: the number goes round it once.
TEST(DefineDuctSegment, ARingTakesTheNumberAllRound)
{
    EditFixture f;
    f.build({Plan({"........", "........", "........", "........", "........", "........"},
                  {"........", "........", "..ooo...", "..o.o...", "..ooo...", "........"})});
    DuctElement e = new_duct_element(kDctDwc, {});
    e.name = "ring";
    DuctElement* ring = f.project().duct_elements.insert_copy(e);
    f.project().rc.showGeom = 1;
    float length = 0;
    f.dialogs.fill_segment = [&](DuctSegmentSheet& s) {
        length = s.segment().len;
        s.choose_element(ring);
        return true;
    };
    f.at(2, 3);
    EXPECT_TRUE(f.run(EditAction::Define).modified);
    EXPECT_EQ(length, 8.0f) << "every cell of the ring, once";
    for (GridCell cell : {GridCell{2, 2}, GridCell{2, 4}, GridCell{3, 2}, GridCell{3, 4}, GridCell{4, 2},
                          GridCell{4, 3}, GridCell{4, 4}})
        EXPECT_EQ(f.cells().Paths(cell.row, cell.col), 1) << cell.row << "," << cell.col;
    const DuctSegment* d = f.project().ducts.at(1);
    EXPECT_EQ(d->junction_n, nullptr);
    EXPECT_EQ(d->junction_m, nullptr);
}

TEST(DefineJunction, ANewNodeStartsAtTheLastNodesElevation)
{
    Define f;
    std::vector<double> opened_with;
    f.dialogs.fill_junction = [&](JunctionSheet& s) {
        opened_with.push_back(s.relative_elevation_shown());
        s.set_relative_elevation(2.5);
        return true;
    };
    f.at(kWestJunction.row, kWestJunction.col);
    EXPECT_TRUE(f.run(EditAction::Define).modified);
    f.at(kMiddleJunction.row, kMiddleJunction.col);
    EXPECT_TRUE(f.run(EditAction::Define).modified);
    EXPECT_EQ(opened_with, (std::vector<double>{0, 2.5}));
    EXPECT_EQ(f.project().junctions.count(), 2);
    EXPECT_EQ(f.number_at(kMiddleJunction), 2);
    // Editing the first opens it as it is.
    f.at(kWestJunction.row, kWestJunction.col);
    f.dialogs.fill_junction = [&](JunctionSheet& s) {
        opened_with.push_back(s.relative_elevation_shown());
        return false;
    };
    EXPECT_FALSE(f.run(EditAction::Define).modified);
    EXPECT_EQ(opened_with.back(), 2.5);
}

// A project with junctions, terminals, a downward segment and segments on
// the level, all defined through the sheets, is saved, read and saved again
// to the same bytes.
TEST(DefineDucts, ProjectWithDefinedDuctsRoundTripsByteExactly)
{
    const std::string first = ::testing::TempDir() + "defined_ducts.prj";
    const std::string second = ::testing::TempDir() + "defined_ducts_again.prj";
    {
        Define f(58, 66);  // the least SketchPad a project file takes
        WindProfile profile = new_wind_profile();
        profile.name = "facade";
        WindProfile* facade = f.project().wind_profiles.insert_copy(profile);
        f.dialogs.fill_junction = [&](JunctionSheet& s) {
            s.set_relative_elevation(1.5);
            if (s.kind() == ICN_JUNCTION && s.duct_neighbours() == 3) {
                s.set_kind(160);
                s.define_downward_duct([&](DuctSegmentSheet& d) {
                    d.choose_element(f.darcy);
                    d.set_length(3);
                    d.set_direction_choice(1);
                    return true;
                });
            }
            if (s.is_terminal()) {
                s.show_terminal_page();
                s.set_design_flow(0.05);
                s.set_balance_terminal(true);
                s.set_wind_option(WindOption::Variable);
                s.choose_profile(facade);
            }
            return true;
        };
        for (GridCell cell : {kWestJunction, kMiddleJunction, kEastJunction, kWestTerminal, kMiddleTerminal,
                              kRoomTerminal}) {
            f.at(cell.row, cell.col);
            ASSERT_TRUE(f.run(EditAction::Define).modified) << cell.row << "," << cell.col;
        }
        ASSERT_TRUE(f.define_segment(kNorthRun, 0));
        ASSERT_TRUE(f.define_segment(kWestDrop, 1));
        ASSERT_TRUE(f.define_segment({2, 8}, 1, 1.25f));
        ASSERT_TRUE(f.define_segment({8, 10}, 1, 4));
        EXPECT_EQ(f.project().ducts.count(), 5);
        ASSERT_TRUE(write_session_file(f.session, first));
        EXPECT_EQ(f.port.boxes.size(), 0u) << f.port.boxes.front().text;
    }
    ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, first)) << (port.boxes.empty() ? "" : port.boxes.front().text);
    EXPECT_EQ(session.project().junctions.count(), 6);
    EXPECT_EQ(session.project().ducts.count(), 5);
    const Junction* middle = session.project().junctions.at(2);
    ASSERT_NE(middle, nullptr);
    ASSERT_NE(middle->duct, nullptr);
    EXPECT_EQ(middle->duct->dir, 6);
    // The numbers spread again along the runs when the level is shown.
    EXPECT_EQ(session.grid.current().Paths(2, 3), session.grid.current().Paths(2, 4));
    ASSERT_TRUE(write_session_file(session, second));
    EXPECT_EQ(read_file(second), read_file(first));
}

}  // namespace
}  // namespace avelor

namespace avelor {
namespace {

using namespace testing;

// Copy and cut of a defined segment, pasted onto a run that has none: the
// copy takes the direction of its new run and a filter of its own; a cut
// segment leaves its old run plain and unnumbered.
TEST(PasteDucts, SegmentsLandOnUndefinedRuns)
{
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut" : "copy");
        Define f;
        Project& p = f.project();
        Junction* west = f.define_node(kWestJunction);
        f.define_node(kMiddleJunction);
        Junction* terminal = f.define_node(kWestTerminal);
        ASSERT_TRUE(f.define_segment(kNorthRun, 0));  // eastward
        FilterElement fe = new_filter_element(kFltCef);
        fe.name = "f";
        fe.data = new_filter_data(kFltCef);
        Filter filter;
        filter.element = p.filter_elements.insert_copy(fe);
        filter.loads = loads_for(filter.element);
        p.ducts.at(1)->filter = p.filters.add(filter);

        f.at(kNorthRun.row, kNorthRun.col);
        f.run(cut ? EditAction::Cut : EditAction::Copy);
        f.at(kWestDrop.row, kWestDrop.col);
        ASSERT_TRUE(f.run(EditAction::Paste).modified);

        const std::int32_t n = f.number_at(kWestDrop);
        const DuctSegment* pasted = p.ducts.at(n);
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(pasted->dir, 1);  // east became north on the vertical run
        EXPECT_EQ(f.cells().Ducts(kWestDrop.row, kWestDrop.col), ICN_SEGMENT_N);
        for (GridCell c : {GridCell{3, 2}, GridCell{5, 2}}) EXPECT_EQ(f.number_at(c), n);
        EXPECT_EQ(pasted->junction_n, terminal);
        EXPECT_EQ(pasted->junction_m, west);
        EXPECT_EQ(pasted->element, f.darcy);
        ASSERT_NE(pasted->filter, nullptr);
        if (cut) {
            EXPECT_EQ(p.filters.at(1), pasted->filter);  // the filter moved with it
            EXPECT_EQ(p.ducts.at(1), nullptr);
            EXPECT_EQ(f.cells().Ducts(kNorthRun.row, kNorthRun.col), ICN_DUCT_H);
            for (int c = 3; c <= 5; ++c) EXPECT_EQ(f.number_at({2, c}), 0) << c;
            EXPECT_TRUE(f.editor.clipboard.empty());
        } else {
            EXPECT_NE(pasted->filter, p.ducts.at(1)->filter);  // a filter of its own
            EXPECT_EQ(f.number_at(kNorthRun), 1);
        }
        // A run that has a segment takes no other.
        f.at(kWestDrop.row, kWestDrop.col);
        const int beeps = f.port.beeps;
        const std::int32_t count = p.ducts.count();
        if (!cut) {
            EXPECT_FALSE(f.run(EditAction::Paste).modified);
            EXPECT_EQ(f.port.beeps, beeps + 1);
            EXPECT_EQ(p.ducts.count(), count);
        }
    }
}

TEST(PasteDucts, ACopiedTerminalAsksBeforeItOverwrites)
{
    Define f;
    Project& p = f.project();
    Junction* source = f.define_node(kWestTerminal);
    source->terminal.loss_coefficient() = 0.7f;
    source->terminal.wall_azimuth() = 90;
    f.at(kWestTerminal.row, kWestTerminal.col);
    f.run(EditAction::Copy);
    // Onto an undefined terminal in the open: a new exposed terminal.
    f.at(kMiddleTerminal.row, kMiddleTerminal.col);
    ASSERT_TRUE(f.run(EditAction::Paste).modified);
    const Junction* pasted = p.junctions.at(f.number_at(kMiddleTerminal));
    ASSERT_NE(pasted, nullptr);
    EXPECT_NE(pasted, source);
    EXPECT_EQ(pasted->t, kJunctionExposed);
    EXPECT_TRUE(pasted->zone.is_ambient());
    EXPECT_FLOAT_EQ(pasted->terminal.loss_coefficient(), 0.7f);
    EXPECT_FLOAT_EQ(pasted->terminal.wall_azimuth(), -1);
    EXPECT_EQ(pasted->terminal.direction(), 4);  // its duct is above

    // Over a defined terminal the user is asked; No changes nothing.
    const std::int32_t count = p.junctions.count();
    f.port.answers.push_back(Answer::No);
    EXPECT_FALSE(f.run(EditAction::Paste).modified);
    ASSERT_FALSE(f.port.questions.empty());
    EXPECT_EQ(f.port.questions.back(), "Overwrite this terminal?");
    f.port.answers.push_back(Answer::Yes);
    EXPECT_TRUE(f.run(EditAction::Paste).modified);
    EXPECT_EQ(p.junctions.count(), count);  // the same number, a new copy
    // A junction cannot be cut.
    f.at(kWestJunction.row, kWestJunction.col);
    f.define_node(kWestJunction);
    const int beeps = f.port.beeps;
    f.run(EditAction::Cut);
    EXPECT_EQ(f.port.beeps, beeps + 1);
}

}  // namespace
}  // namespace avelor
