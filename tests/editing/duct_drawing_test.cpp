#include "editing/duct_drawing.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editing/icon_editing.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Duct layers in text, one character a cell:
//   .  empty         - |  straight pieces     r 7 L j  corners E+S, S+W, N+E, N+W
//   +  crossing      ^ > v <  segment icons
//   J U D X  junctions: plain, up, down, up and down
//   T A V    terminals: plain, up, down
struct DuctChar {
    char ch;
    std::uint8_t code;
};
constexpr DuctChar kDuctChars[] = {
    {'-', 143}, {'|', 144}, {'r', 147}, {'7', 148}, {'j', 149}, {'L', 150}, {'+', 151}, {'^', 154},
    {'>', 155}, {'v', 156}, {'<', 157}, {'J', 158}, {'U', 159}, {'D', 160}, {'X', 161}, {'T', 162},
    {'A', 163}, {'V', 164}, {'-', 145}, {'|', 146},
};

std::uint8_t code_of(char ch)
{
    for (const DuctChar& d : kDuctChars)
        if (d.ch == ch) return d.code;
    return 0;
}

char char_of(std::uint8_t code)
{
    for (const DuctChar& d : kDuctChars)
        if (d.code == code) return d.ch;
    return code == 0 ? '.' : '?';
}

Picture blank(const Picture& like)
{
    return Picture(like.size(), std::string(like.at(0).size(), '.'));
}

// Writes the picture into the current level's duct layer, unnumbered.
void draw_ducts(EditFixture& f, const Picture& p)
{
    LevelCells& l = f.cells();
    for (int r = 0; r < static_cast<int>(p.size()); ++r)
        for (int c = 0; c < static_cast<int>(p[r].size()); ++c) {
            l.Ducts(r, c) = code_of(p[r][c]);
            l.Paths(r, c) = 0;
        }
}

Picture duct_picture(EditFixture& f)
{
    Picture out = blank(Picture(static_cast<std::size_t>(f.grid().rows()),
                                std::string(static_cast<std::size_t>(f.grid().cols()), '.')));
    for (int r = 0; r < f.grid().rows(); ++r)
        for (int c = 0; c < f.grid().cols(); ++c) out[r][c] = char_of(f.cells().Ducts(r, c));
    return out;
}

bool is_terminal_code(std::uint8_t code) { return code >= ICN_TERMINAL && code <= ICN_LAST_DUCT_NODE; }

// Defines the nodes and segment icons at the cells: a record each, its
// number in the cell; then the numbers spread and the segments learn their
// ends, as showing and checking the level does.
std::vector<std::int32_t> define(EditFixture& f, const std::vector<GridCell>& cells)
{
    Project& p = f.project();
    LevelCells& l = f.cells();
    std::vector<std::int32_t> numbers;
    for (const GridCell& at : cells) {
        const std::uint8_t code = l.Ducts(at.row, at.col);
        std::int32_t n = 0;
        if (is_duct_node(code)) {
            Junction j;
            j.t = is_terminal_code(code) ? 1 : 0;
            n = add_junction(p, j)->nr;
        } else {
            EXPECT_TRUE(has_flag(code, CC_DUCT_SEGMENT)) << at.row << "," << at.col;
            DuctSegment s;
            s.dir = code == ICN_SEGMENT_N ? 1 : code == ICN_SEGMENT_E ? 2 : code == ICN_SEGMENT_S ? 4 : 5;
            n = p.ducts.add(s)->nr;
        }
        l.Paths(at.row, at.col) = n;
        numbers.push_back(n);
    }
    return numbers;
}

// The level as the editor leaves it after loading: stored, runs rebuilt,
// numbers spread, segments relinked; the project counts as saved.
void settle(EditFixture& f)
{
    reload_duct_layer(f.editor);
    relink_icons(f.project(), f.grid());
    store_current_level(f.project(), f.grid());
    f.project().mark_saved();
    f.editor.reset_outcome();
    f.port.boxes.clear();
    f.port.questions.clear();
}

std::vector<std::int32_t> row_numbers(EditFixture& f, int row)
{
    std::vector<std::int32_t> out;
    for (int c = 0; c < f.grid().cols(); ++c) out.push_back(f.cells().Paths(row, c));
    return out;
}

EditOutcome command(EditFixture& f, EditAction action, int direction = 0, DrawingTool tool = DrawingTool::None)
{
    EditCommand c;
    c.action = action;
    c.direction = direction;
    c.tool = tool;
    return f.editor.apply(c);
}

int direction_of(char m)
{
    switch (m) {
    case 'N': return 1;
    case 'E': return 2;
    case 'S': return 4;
    default: return 8;
    }
}

// A stroke drawn as the window draws it: click, arrow keys, click.
int stroke(EditFixture& f, GridCell start, const std::string& moves)
{
    if (f.editor.tool != DrawingTool::Ducts) command(f, EditAction::ToggleTool, 0, DrawingTool::Ducts);
    f.at(start.row, start.col);
    command(f, EditAction::LeftClick);
    for (char m : moves) command(f, EditAction::StepCursor, direction_of(m));
    return command(f, EditAction::LeftClick).result;
}

const Picture kBlank = {
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
    ".............",  //
};

// ------------------------------------------------------------- strokes

struct StrokeCase {
    const char* name;
    Picture before;
    GridCell start;
    std::string moves;
    Picture after;  // empty: the stroke is refused and nothing changes
};

TEST(DuctStroke, CellsBecomePiecesByWhatTheyMeet)
{
    const std::vector<StrokeCase> cases = {
        {"a straight stroke between empty cells ends in two terminals",
         kBlank,
         {2, 2},
         "EEE",
         {".............", ".............", "..T-----T....", ".............", ".............", ".............",
          ".............", ".............", "............."}},
        {"the cursor snaps to even cells, 0 becoming 2",
         kBlank,
         {1, 3},
         "S",
         {".............", ".............", "..T..........", "..|..........", "..T..........", ".............",
          ".............", ".............", "............."}},
        {"a corner",
         kBlank,
         {2, 2},
         "ES",
         {".............", ".............", "..T-7........", "....|........", "....T........", ".............",
          ".............", ".............", "............."}},
        {"ending on the middle of an undefined duct makes a junction",
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."},
         {2, 6},
         "S",
         {".............", ".............", "......T......", "......|......", "..T---J---T..", ".............",
          ".............", ".............", "............."}},
        {"crossing an undefined duct at right angles makes a crossing",
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."},
         {2, 6},
         "SS",
         {".............", ".............", "......T......", "......|......", "..T---+---T..", "......|......",
          "......T......", ".............", "............."}},
        {"a terminal that receives a second duct becomes a junction",
         {".............", ".............", ".............", ".............", "..T---T......", ".............",
          ".............", ".............", "............."},
         {2, 6},
         "S",
         {".............", ".............", "......T......", "......|......", "..T---J......", ".............",
          ".............", ".............", "............."}},
        {"a terminal that connects up keeps connecting up as a junction",
         {".............", ".............", ".............", ".............", "..T---A......", ".............",
          ".............", ".............", "............."},
         {4, 10},
         "WW",
         {".............", ".............", ".............", ".............", "..T---U---T..", ".............",
          ".............", ".............", "............."}},
        {"ending on a corner makes a junction",
         {".............", ".............", "....r---T....", "....|........", "....T........", ".............",
          ".............", ".............", "............."},
         {2, 2},
         "E",
         {".............", ".............", "..T-J---T....", "....|........", "....T........", ".............",
          ".............", ".............", "............."}},
        {"running along an existing duct for one step is refused",
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."},
         {4, 4},
         "E",
         {}},
        {"crossing a corner is refused",
         {".............", ".............", ".............", ".............", "..T---7......", "......|......",
          "......T......", ".............", "............."},
         {2, 6},
         "SE",
         {}},
        {"ending on an undefined junction adds a duct to it",
         {".............", ".............", ".............", ".............", "..T---J---T..", "......|......",
          "......T......", ".............", "............."},
         {2, 6},
         "S",
         {".............", ".............", "......T......", "......|......", "..T---J---T..", "......|......",
          "......T......", ".............", "............."}},
    };
    for (const StrokeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(blank(c.before))});
        draw_ducts(f, c.before);
        settle(f);
        const Picture before = duct_picture(f);
        const int beeps = f.port.beeps;
        const int result = stroke(f, c.start, c.moves);
        if (!c.after.empty()) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(duct_picture(f), c.after);
            EXPECT_TRUE(f.project().changed());
            EXPECT_FALSE(f.editor.stroke.in_progress);
            EXPECT_TRUE(testing::error_cells(f.grid()).empty());
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(duct_picture(f), before);
            EXPECT_FALSE(f.project().changed());
            EXPECT_TRUE(f.editor.stroke.in_progress);
            EXPECT_FALSE(testing::error_cells(f.grid()).empty());
            EXPECT_EQ(f.port.beeps - beeps, 1);
        }
    }
}

TEST(DuctStroke, MayNotBeginOrEndAtADefinedItem)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T-------T..",
                   ".............", ".............", ".............", "............."});
    define(f, {{4, 2}});
    settle(f);
    command(f, EditAction::ToggleTool, 0, DrawingTool::Ducts);
    f.at(4, 2);
    command(f, EditAction::LeftClick);
    EXPECT_FALSE(f.editor.stroke.in_progress);
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text, " New duct may not begin at a defined duct.\n");
    EXPECT_EQ(f.port.boxes[0].caption, "WARNING");

    f.port.boxes.clear();
    EXPECT_EQ(stroke(f, {2, 2}, "S"), 1);
    EXPECT_TRUE(f.editor.stroke.in_progress);
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text, " New duct may not end at a defined duct.\n");
    EXPECT_FALSE(f.project().changed());
    // Walked back off the defined terminal, the stroke ends elsewhere.
    command(f, EditAction::StepCursor, 1);
    command(f, EditAction::StepCursor, 2);
    EXPECT_EQ(command(f, EditAction::LeftClick).result, 0);
    EXPECT_EQ(duct_picture(f)[2], "..T-T........");
    EXPECT_EQ(f.cells().Ducts(3, 2), 0);
}

TEST(DuctStroke, TouchesItselfOnlyByWalkingBack)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    command(f, EditAction::ToggleTool, 0, DrawingTool::Ducts);
    f.at(2, 2);
    command(f, EditAction::LeftClick);
    for (char m : std::string("ESW")) command(f, EditAction::StepCursor, direction_of(m));
    ASSERT_EQ(f.grid().cursor, (GridCell{4, 2}));
    const int beeps = f.port.beeps;
    // North would close onto the start without the cell between.
    command(f, EditAction::StepCursor, 1);
    EXPECT_EQ(f.port.beeps - beeps, 1);
    EXPECT_EQ(f.grid().cursor, (GridCell{4, 2}));
    EXPECT_EQ(f.grid().Scolors(3, 2), f.grid().colours.background);
    // Walking back east removes the last step only.
    command(f, EditAction::StepCursor, 2);
    EXPECT_EQ(f.grid().Scolors(4, 2), f.grid().colours.background);
    EXPECT_EQ(f.grid().Scolors(4, 3), f.grid().colours.background);
    EXPECT_NE(f.grid().Scolors(4, 4), f.grid().colours.background);
    EXPECT_EQ(command(f, EditAction::LeftClick).result, 0);
    EXPECT_EQ(duct_picture(f), (Picture{".............", ".............", "..T-7........", "....|........",
                                        "....T........", ".............", ".............", ".............",
                                        "............."}));
}

TEST(DuctStroke, AnIconOnTheWayRefusesTheStroke)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    f.cells().Sketch(2, 5) = ICN_NOTE;
    EXPECT_EQ(stroke(f, {2, 2}, "EEE"), 1);
    EXPECT_EQ(testing::error_cells(f.grid()), (std::vector<GridCell>{{2, 5}}));
    EXPECT_EQ(f.cells().Ducts(2, 2), 0);
}

// ------------------------------------------------------------- run deletion

struct DeleteCase {
    const char* name;
    Picture before;
    GridCell cursor;
    Picture after;
};

TEST(DuctRunDeletion, RunsGoToTheirEndNodes)
{
    const std::vector<DeleteCase> cases = {
        {"a run between two undefined terminals goes whole",
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."},
         {4, 5},
         kBlank},
        {"a branch goes and the junction keeps its other two ducts",
         {".............", ".............", "......T......", "......|......", "..T---J---T..", ".............",
          ".............", ".............", "............."},
         {3, 6},
         {".............", ".............", ".............", ".............", "..T---J---T..", ".............",
          ".............", ".............", "............."}},
        {"a junction left with one duct becomes a terminal",
         {".............", ".............", "......T......", "......|......", "..T---J......", ".............",
          ".............", ".............", "............."},
         {2, 6},
         {".............", ".............", ".............", ".............", "..T---T......", ".............",
          ".............", ".............", "............."}},
        {"a two-way junction taken out joins its runs",
         {".............", ".............", ".............", ".............", "..T---J---T..", ".............",
          ".............", ".............", "............."},
         {4, 6},
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."}},
        {"a run passes a crossing straight on and leaves the other duct",
         {".............", ".............", "......T......", "......|......", "..T---+---T..", "......|......",
          "......T......", ".............", "............."},
         {3, 6},
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."}},
        {"a closed ring without nodes goes whole",
         {".............", ".............", "..r---7......", "..|...|......", "..L---j......", ".............",
          ".............", ".............", "............."},
         {2, 4},
         kBlank},
        {"a ring through a junction goes and the junction keeps its last duct as a terminal",
         {".............", ".............", "..r---7......", "..|...|......", "..L---J---T..", ".............",
          ".............", ".............", "............."},
         {2, 4},
         {".............", ".............", ".............", ".............", "......T---T..", ".............",
          ".............", ".............", "............."}},
        {"a branch or a crossing is no single run",
         {".............", ".............", "......T......", "......|......", "..T---J---T..", ".............",
          ".............", ".............", "............."},
         {4, 6},
         {}},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(blank(c.before))});
        draw_ducts(f, c.before);
        settle(f);
        const Picture before = duct_picture(f);
        f.at(c.cursor.row, c.cursor.col);
        f.port.answers.push_back(Answer::Yes);
        const EditOutcome out = command(f, EditAction::Delete);
        if (c.after.empty()) {
            EXPECT_EQ(out.result, 0);
            EXPECT_EQ(duct_picture(f), before);
            EXPECT_TRUE(f.port.questions.empty());
            continue;
        }
        EXPECT_EQ(out.result, 1);
        EXPECT_EQ(f.port.questions, std::vector<std::string>{"Delete the duct indicated?"});
        EXPECT_EQ(duct_picture(f), c.after);
        EXPECT_TRUE(f.project().changed());
        EXPECT_TRUE(testing::error_cells(f.grid()).empty());
        for (std::size_t i = 0; i < f.grid().cells(); ++i)
            ASSERT_EQ(f.grid().Scolors[i], f.grid().colours.background);
        // What the level keeps is what it shows.
        const Picture shown = duct_picture(f);
        reload_duct_layer(f.editor);
        EXPECT_EQ(duct_picture(f), shown);
    }
}

TEST(DuctRunDeletion, NoOnTheQuestionKeepsTheRun)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T-------T..",
                   ".............", ".............", ".............", "............."});
    settle(f);
    f.at(4, 5);
    f.port.answers.push_back(Answer::No);
    EXPECT_EQ(command(f, EditAction::Delete).result, 0);
    EXPECT_EQ(f.cells().Ducts(4, 5), ICN_DUCT_H);
    EXPECT_EQ(f.grid().Scolors(4, 5), f.grid().colours.background);
    EXPECT_FALSE(f.project().changed());
}

struct RefusalCase {
    const char* name;
    Picture ducts;
    std::vector<GridCell> defined;
    GridCell cursor;
    std::string message;
};

TEST(DuctRunDeletion, RefusalsChangeNothing)
{
    const Picture kTwoRuns = {".............", ".............", ".............", ".............", "..T->-J-<-T..",
                              ".............", ".............", ".............", "............."};
    const std::vector<RefusalCase> cases = {
        {"between two defined junctions",
         {".............", ".............", ".............", ".............", "..T-------T..", ".............",
          ".............", ".............", "............."},
         {{4, 2}, {4, 10}},
         {4, 5},
         " Junctions at both ends must be undefined before deletion\n"},
        // The junction's neighbours are plain pieces of the two segments,
        // not their icons: joining the runs would give one run two numbers.
        {"a two-way junction between two defined runs",
         kTwoRuns,
         {{4, 4}, {4, 8}},
         {4, 6},
         " A junction cannot be deleted with more than one connected segment defined.\n"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(blank(c.ducts))});
        draw_ducts(f, c.ducts);
        define(f, c.defined);
        settle(f);
        const Picture before = duct_picture(f);
        const std::vector<std::int32_t> numbers = row_numbers(f, 4);
        f.at(c.cursor.row, c.cursor.col);
        EXPECT_EQ(command(f, EditAction::Delete).result, 0);
        ASSERT_EQ(f.port.boxes.size(), 1u);
        EXPECT_EQ(f.port.boxes[0].text, c.message);
        EXPECT_TRUE(f.port.questions.empty());
        EXPECT_EQ(duct_picture(f), before);
        EXPECT_EQ(row_numbers(f, 4), numbers);
        EXPECT_FALSE(f.project().changed());
        EXPECT_TRUE(testing::error_cells(f.grid()).empty());
    }
}

TEST(DuctRunDeletion, AControlLinkIntoTheCellRefusesIt)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T-------T..",
                   ".............", ".............", ".............", "............."});
    settle(f);
    f.cells().Links(3, 5) = ICN_ARROW_S;
    f.at(4, 5);
    EXPECT_EQ(command(f, EditAction::Delete).result, 0);
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text,
              " This duct is referenced by the control network.\n You must remove all references to this duct "
              "before it can be deleted.\n");
    EXPECT_EQ(f.cells().Ducts(4, 5), ICN_DUCT_H);
}

TEST(DuctRunDeletion, OneDefinedRunJoinsTheOtherUnderItsOwnNumber)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T->-J---T..",
                   ".............", ".............", ".............", "............."});
    const std::int32_t segment = define(f, {{4, 4}}).at(0);
    settle(f);
    f.at(4, 6);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    const std::vector<std::int32_t> numbers = row_numbers(f, 4);
    for (int c = 3; c <= 9; ++c) EXPECT_EQ(numbers[static_cast<std::size_t>(c)], segment) << c;
    EXPECT_EQ(numbers[2], 0);
    EXPECT_EQ(numbers[10], 0);
}

// A defined run begun from an undefined terminal goes with its segment.
TEST(DuctRunDeletion, ADefinedRunGoesWithItsSegmentRecord)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T->-----T..",
                   ".............", ".............", ".............", "............."});
    const std::int32_t segment = define(f, {{4, 4}}).at(0);
    settle(f);
    f.editor.clipboard.kind = ClipKind::DuctSegment;
    f.editor.clipboard.number = segment;
    f.at(4, 2);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    EXPECT_EQ(duct_picture(f), kBlank);
    EXPECT_EQ(f.project().ducts.at(segment), nullptr);
    EXPECT_TRUE(f.editor.clipboard.empty());
}

// The node at the end of a deleted run is cleared only when nothing
// connects to it any more; a vertical partner does.
TEST(DuctRunDeletion, AVerticalNodeStaysWhileItsPartnerIsThere)
{
    const Picture kLower = {".............", ".............", ".............", ".............", "..T-----U....",
                            ".............", ".............", ".............", "............."};
    const Picture kUpper = {".............", ".............", ".............", ".............", "....T---D....",
                            ".............", ".............", ".............", "............."};
    for (bool partner : {true, false}) {
        SCOPED_TRACE(partner ? "partner above" : "no partner");
        EditFixture f;
        f.build({Plan(kBlank), Plan(kBlank)});
        if (partner) {
            goto_level(f.project(), f.grid(), *f.levels[1]);
            draw_ducts(f, kUpper);
            settle(f);
            goto_level(f.project(), f.grid(), *f.levels[0]);
        }
        draw_ducts(f, kLower);
        settle(f);
        f.at(4, 4);
        f.port.answers.push_back(Answer::Yes);
        EXPECT_EQ(command(f, EditAction::Delete).result, 1);
        EXPECT_EQ(f.cells().Ducts(4, 8), partner ? 163 : 0);
        EXPECT_EQ(f.cells().Ducts(4, 4), 0);
    }
}

// ------------------------------------------------------------- undefining

TEST(DuctUndefine, ASegmentLeavesAPlainRunAndFreesItsEnds)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T->-----T..",
                   ".............", ".............", ".............", "............."});
    const std::vector<std::int32_t> n = define(f, {{4, 2}, {4, 4}, {4, 10}});
    settle(f);
    ASSERT_EQ(f.cells().Paths(4, 8), n[1]);
    f.editor.clipboard.kind = ClipKind::DuctNode;
    f.editor.clipboard.number = n[0];
    f.at(4, 4);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    EXPECT_EQ(f.port.questions, std::vector<std::string>{"Undefine this duct segment?"});
    EXPECT_EQ(duct_picture(f)[4], "..T-------T..");
    EXPECT_EQ(row_numbers(f, 4), std::vector<std::int32_t>(13, 0));
    EXPECT_EQ(f.project().ducts.at(n[1]), nullptr);
    EXPECT_EQ(f.project().junctions.at(n[0]), nullptr);
    EXPECT_EQ(f.project().junctions.at(n[2]), nullptr);
    EXPECT_TRUE(f.editor.clipboard.empty());
    EXPECT_TRUE(testing::error_cells(f.grid()).empty());
    EXPECT_EQ(f.grid().Scolors(4, 6), f.grid().colours.background);
}

TEST(DuctUndefine, NoOnTheQuestionRemovesTheMarksOnly)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T->-----T..",
                   ".............", ".............", ".............", "............."});
    const std::int32_t segment = define(f, {{4, 4}}).at(0);
    settle(f);
    f.at(4, 4);
    f.port.answers.push_back(Answer::No);
    EXPECT_EQ(command(f, EditAction::Delete).result, 0);
    EXPECT_NE(f.project().ducts.at(segment), nullptr);
    EXPECT_EQ(f.cells().Paths(4, 7), segment);
    for (int c = 0; c < 13; ++c) EXPECT_EQ(f.grid().Scolors(4, c), f.grid().colours.background);
    EXPECT_FALSE(f.project().changed());
}

// A node that another defined segment still ends at keeps its record: the
// other segment would otherwise name a freed junction.
TEST(DuctUndefine, ASharedEndNodeKeepsItsRecord)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", "......T......", "......^......", "..T->-J---T..",
                   ".............", ".............", ".............", "............."});
    const std::vector<std::int32_t> n = define(f, {{2, 6}, {3, 6}, {4, 2}, {4, 4}, {4, 6}});
    settle(f);
    Project& p = f.project();
    Junction* shared = p.junctions.at(n[4]);
    DuctSegment* other = p.ducts.at(n[1]);
    ASSERT_TRUE(other->junction_n == shared || other->junction_m == shared);
    f.at(4, 4);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    EXPECT_EQ(p.ducts.at(n[3]), nullptr);
    EXPECT_EQ(p.junctions.at(n[2]), nullptr);
    EXPECT_EQ(p.junctions.at(n[4]), shared);
    EXPECT_EQ(f.cells().Paths(4, 6), n[4]);
    EXPECT_TRUE(other->junction_n == shared || other->junction_m == shared);
    EXPECT_EQ(f.cells().Paths(3, 6), n[1]);
}

TEST(DuctUndefine, ASegmentOnARingEnds)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", "..r->-7......", "..|...|......", "..L---j......",
                   ".............", ".............", ".............", "............."});
    const std::int32_t segment = define(f, {{2, 4}}).at(0);
    settle(f);
    ASSERT_EQ(f.cells().Paths(4, 4), segment);
    f.at(2, 4);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    for (int r = 2; r <= 4; ++r)
        for (int c = 2; c <= 6; ++c) EXPECT_EQ(f.cells().Paths(r, c), 0) << r << "," << c;
    EXPECT_EQ(f.cells().Ducts(2, 4), ICN_DUCT_H);
}

struct ControlCase {
    const char* name;
    GridCell arrow;  // where an arrowhead pointing south sits
    std::string message;
};

TEST(DuctUndefine, TheControlNetworkHoldsSegmentsAndTheNodesTheyWouldFree)
{
    const std::vector<ControlCase> cases = {
        {"a link into the segment icon",
         {3, 4},
         " This duct is referenced by the control network.\n You must remove all references to this duct before "
         "it can be deleted.\n"},
        {"a link into an end terminal",
         {3, 2},
         " This terminal is referenced by the control network.\n You must remove all references to this terminal "
         "before it can be deleted.\n"},
        {"a link into an end junction",
         {3, 8},
         " This duct junction is referenced by the control network.\n You must remove all references to this duct "
         "junction before it can be deleted.\n"},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(kBlank)});
        draw_ducts(f, {".............", ".............", ".............", ".............", "..T->---J-T..",
                       ".............", ".............", ".............", "............."});
        const std::vector<std::int32_t> n = define(f, {{4, 2}, {4, 4}, {4, 8}});
        settle(f);
        f.cells().Links(c.arrow.row, c.arrow.col) = ICN_ARROW_S;
        f.at(4, 4);
        EXPECT_EQ(command(f, EditAction::Delete).result, 0);
        ASSERT_EQ(f.port.boxes.size(), 1u);
        EXPECT_EQ(f.port.boxes[0].text, c.message);
        for (std::int32_t nr : {n[0], n[2]}) EXPECT_NE(f.project().junctions.at(nr), nullptr);
        EXPECT_NE(f.project().ducts.at(n[1]), nullptr);
        EXPECT_EQ(f.cells().Paths(4, 6), n[1]);
        EXPECT_TRUE(testing::error_cells(f.grid()).empty());
        for (int col = 0; col < 13; ++col) EXPECT_EQ(f.grid().Scolors(4, col), f.grid().colours.background);
    }
}

struct JunctionCase {
    const char* name;
    std::string row4;
    std::vector<GridCell> defined;  // the node under the cursor first
    std::string message;            // empty: undefined
    std::uint8_t after = 0;
};

TEST(DuctUndefine, JunctionsAndTerminals)
{
    const std::vector<JunctionCase> cases = {
        {"a terminal of an undefined run", "..T-------T..", {{4, 2}}, "", ICN_TERMINAL},
        {"a junction between undefined runs", "..T---J---T..", {{4, 6}}, "", ICN_JUNCTION},
        {"a junction that connects up becomes a plain junction", "..T---U---T..", {{4, 6}}, "", ICN_JUNCTION},
        {"a terminal with a defined duct", "..T->-----T..", {{4, 2}, {4, 4}},
         "  Clear adjacent duct before clearing junction\n"},
        {"a junction between two defined ducts", "..T->-J-<-T..", {{4, 6}, {4, 4}, {4, 8}},
         "  Clear adjacent ducts before clearing junction\n"},
        // The segment that ended at the junction no longer names it.
        {"a junction beside one defined duct", "..T->-J---T..", {{4, 6}, {4, 4}}, "", ICN_JUNCTION},
    };
    for (const JunctionCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(kBlank)});
        Picture ducts = kBlank;
        ducts[4] = c.row4;
        draw_ducts(f, ducts);
        const std::vector<std::int32_t> n = define(f, c.defined);
        settle(f);
        Project& p = f.project();
        Junction* node = p.junctions.at(n[0]);
        f.at(4, c.defined[0].col);
        f.port.answers.push_back(Answer::Yes);
        const int result = command(f, EditAction::Delete).result;
        if (!c.message.empty()) {
            EXPECT_EQ(result, 0);
            ASSERT_EQ(f.port.boxes.size(), 1u);
            EXPECT_EQ(f.port.boxes[0].text, c.message);
            EXPECT_EQ(p.junctions.at(n[0]), node);
            EXPECT_FALSE(p.changed());
            continue;
        }
        EXPECT_EQ(result, 1);
        const bool terminal = c.row4[static_cast<std::size_t>(c.defined[0].col)] == 'T';
        EXPECT_EQ(f.port.questions,
                  std::vector<std::string>{terminal ? "Undefine this duct terminal?" : "Undefine this duct junction?"});
        EXPECT_EQ(p.junctions.at(n[0]), nullptr);
        EXPECT_EQ(f.cells().Ducts(4, c.defined[0].col), c.after);
        EXPECT_EQ(f.cells().Paths(4, c.defined[0].col), 0);
        for (const DuctSegment& s : p.ducts) {
            EXPECT_NE(s.junction_n, node);
            EXPECT_NE(s.junction_m, node);
        }
    }
}

TEST(DuctUndefine, AJunctionTakesItsDownwardSegmentAlong)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T---D---T..",
                   ".............", ".............", ".............", "............."});
    const std::int32_t node = define(f, {{4, 6}}).at(0);
    DuctSegment down;
    down.dir = 6;
    DuctSegment* vertical = f.project().ducts.add(down);
    f.project().junctions.at(node)->duct = vertical;
    const std::int32_t vertical_nr = vertical->nr;
    settle(f);
    f.at(4, 6);
    f.port.answers.push_back(Answer::Yes);
    EXPECT_EQ(command(f, EditAction::Delete).result, 1);
    EXPECT_EQ(f.project().ducts.at(vertical_nr), nullptr);
    EXPECT_EQ(f.project().junctions.at(node), nullptr);
}

TEST(DuctUndefine, AControlLinkIntoANodeRefusesIt)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    draw_ducts(f, {".............", ".............", ".............", ".............", "..T---J---T..",
                   ".............", ".............", ".............", "............."});
    const std::vector<std::int32_t> n = define(f, {{4, 2}, {4, 6}});
    settle(f);
    f.cells().Links(3, 2) = ICN_ARROW_S;
    f.cells().Links(3, 6) = ICN_ARROW_S;
    f.at(4, 2);
    command(f, EditAction::Delete);
    f.at(4, 6);
    command(f, EditAction::Delete);
    ASSERT_EQ(f.port.boxes.size(), 2u);
    EXPECT_EQ(f.port.boxes[0].text,
              " This terminal is referenced by the control network.\n You must remove all references to this "
              "terminal before it can be deleted.\n");
    EXPECT_EQ(f.port.boxes[1].text,
              " This duct junction is referenced by the control network.\n You must remove all references to this "
              "duct junction before it can be deleted.\n");
    for (std::int32_t nr : n) EXPECT_NE(f.project().junctions.at(nr), nullptr);
}

// ------------------------------------------------------------- releasing

TEST(DuctRecords, ReleasingTwiceIsHarmlessAndLeavesNoReference)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    Project& p = f.project();
    Junction* j = add_junction(p, Junction{});
    DuctSegment s;
    s.junction_n = j;
    DuctSegment* seg = p.ducts.add(s);
    j->duct = seg;
    DuctSegment* other = p.ducts.add(s);
    f.editor.clipboard.kind = ClipKind::DuctSegment;
    f.editor.clipboard.number = other->nr;
    f.editor.clipboard.duct = *other;
    p.mark_saved();
    release_junction_record(f.editor, j->nr);
    EXPECT_EQ(p.junctions.at(1), nullptr);
    EXPECT_EQ(p.ducts.at(seg->nr), nullptr);  // the downward segment went along
    EXPECT_EQ(other->junction_n, nullptr);
    ASSERT_FALSE(f.editor.clipboard.empty());
    EXPECT_EQ(f.editor.clipboard.duct->junction_n, nullptr);
    EXPECT_TRUE(f.editor.outcome().modified);
    f.editor.reset_outcome();
    release_junction_record(f.editor, 1);
    release_duct_record(f.editor, 1);
    EXPECT_FALSE(f.editor.outcome().modified);
    EXPECT_NE(p.ducts.at(other->nr), nullptr);
}

// ------------------------------------------------------------- networks

// Three levels: on the lowest, a network that rises through a junction
// (159) and, apart from it, a terminal that connects up (163); in the
// middle, a junction that connects both ways (161) and a terminal that
// connects down (164) above that terminal; on the top level a junction
// that connects down (160) and one that connects up from the top (159).
const Picture kLevel1 = {".............", ".............", "..U->-T......", ".............", ".............",
                         ".............", "..T---A......", ".............", "............."};
const Picture kLevel2 = {".............", ".............", "..X---J---T..", "......|......", "......|......",
                         "......|......", "......V......", ".............", "............."};
const Picture kLevel3 = {".............", ".............", "..D---U......", ".............", ".............",
                         ".............", ".............", ".............", "............."};

struct NetworkFixture : EditFixture {
    std::vector<std::int32_t> kept_nodes;  // of the network apart on level 1
    std::vector<std::int32_t> junctions;   // of the network deleted
    std::vector<std::int32_t> segments;

    void make()
    {
        build({Plan(kBlank), Plan(kBlank), Plan(kBlank)});
        for (int i = 2; i >= 0; --i) {
            goto_level(project(), grid(), *levels[static_cast<std::size_t>(i)]);
            draw_ducts(*this, i == 0 ? kLevel1 : i == 1 ? kLevel2 : kLevel3);
            if (i == 0) {
                const std::vector<std::int32_t> n = define(*this, {{2, 2}, {2, 4}, {2, 6}, {6, 2}, {6, 6}});
                junctions.insert(junctions.end(), {n[0], n[2]});
                segments.push_back(n[1]);
                kept_nodes = {n[3], n[4]};
            } else if (i == 1) {
                const std::vector<std::int32_t> n = define(*this, {{2, 2}, {2, 6}, {6, 6}});
                junctions.insert(junctions.end(), n.begin(), n.end());
                // The riser's segment down to level 1 belongs to the upper node.
                DuctSegment down;
                down.dir = 6;
                DuctSegment* vertical = project().ducts.add(down);
                project().junctions.at(n[0])->duct = vertical;
                segments.push_back(vertical->nr);
            } else {
                const std::vector<std::int32_t> n = define(*this, {{2, 2}});
                junctions.push_back(n[0]);
            }
            settle(*this);
        }
    }
};

TEST(DuctNetwork, DeletionFollowsJunctionsUpAndDownButNotTerminals)
{
    for (int from_level : {0, 2}) {
        SCOPED_TRACE(from_level + 1);
        NetworkFixture f;
        f.make();
        Project& p = f.project();
        goto_level(p, f.grid(), *f.levels[static_cast<std::size_t>(from_level)]);
        f.at(2, 3);
        f.port.answers.push_back(Answer::Yes);
        const EditOutcome out = command(f, EditAction::DeleteNetwork);
        EXPECT_EQ(out.result, 1);
        EXPECT_TRUE(out.modified);
        EXPECT_EQ(f.port.questions, std::vector<std::string>{"Delete this duct network?"});
        EXPECT_EQ(p.current_level, f.levels[static_cast<std::size_t>(from_level)]);
        for (std::int32_t n : f.junctions) EXPECT_EQ(p.junctions.at(n), nullptr) << n;
        for (std::int32_t n : f.segments) EXPECT_EQ(p.ducts.at(n), nullptr) << n;
        for (std::int32_t n : f.kept_nodes) EXPECT_NE(p.junctions.at(n), nullptr) << n;
        // Level 1 keeps the network the terminal above did not carry the
        // deletion into; nothing else is left anywhere.
        store_current_level(p, f.grid());
        for (std::size_t i = 0; i < 3; ++i) {
            int ducts = 0;
            for (const IconEntry& e : f.levels[i]->icons)
                if (layer_of_code(e.code) == CellLayer::Duct) ++ducts;
            EXPECT_EQ(ducts, i == 0 ? 3 : 0) << "level " << i + 1;
        }
        goto_level(p, f.grid(), *f.levels[0]);
        EXPECT_EQ(duct_picture(f)[6], "..T---A......");
        EXPECT_EQ(duct_picture(f)[2], ".............");
    }
}

// Only a node that connects back takes the deletion to the next level: a
// duct of another network that passes the cell above stays.
TEST(DuctNetwork, AnotherNetworkAboveTheRiserStays)
{
    EditFixture f;
    f.build({Plan(kBlank), Plan(kBlank)});
    goto_level(f.project(), f.grid(), *f.levels[1]);
    draw_ducts(f, {".............", "..T..........", "..|..........", "..T..........", ".............",
                   ".............", ".............", ".............", "............."});
    settle(f);
    goto_level(f.project(), f.grid(), *f.levels[0]);
    draw_ducts(f, {".............", ".............", "..U---T......", ".............", ".............",
                   ".............", ".............", ".............", "............."});
    settle(f);
    EXPECT_TRUE(delete_duct_network(f.editor, 2, 4));
    EXPECT_EQ(duct_picture(f), kBlank);
    EXPECT_EQ(f.project().current_level, f.levels[0]);
    goto_level(f.project(), f.grid(), *f.levels[1]);
    EXPECT_EQ(f.cells().Ducts(2, 2), ICN_DUCT_V);
    EXPECT_EQ(f.cells().Ducts(1, 2), ICN_TERMINAL);
}

TEST(DuctNetwork, ARingAndALoneLevelEnd)
{
    EditFixture f;
    f.build({Plan(kBlank)});
    // A junction that connects both ways on the only level: neither way
    // leads to a level.
    draw_ducts(f, {".............", ".............", "..r->-7......", "..|...|......", "..L---X---T..",
                   ".............", ".............", ".............", "............."});
    const std::vector<std::int32_t> n = define(f, {{2, 4}, {4, 6}, {4, 10}});
    settle(f);
    f.editor.clipboard.kind = ClipKind::DuctNode;
    f.editor.clipboard.number = n[2];
    EXPECT_TRUE(delete_duct_network(f.editor, 3, 2));
    EXPECT_EQ(duct_picture(f), kBlank);
    EXPECT_EQ(f.project().ducts.at(n[0]), nullptr);
    EXPECT_EQ(f.project().junctions.at(n[1]), nullptr);
    EXPECT_TRUE(f.editor.clipboard.empty());
    EXPECT_FALSE(delete_duct_network(f.editor, 3, 2));
}

TEST(DuctNetwork, NoOnTheQuestionAndNoDuctChangeNothing)
{
    NetworkFixture f;
    f.make();
    goto_level(f.project(), f.grid(), *f.levels[0]);
    f.project().mark_saved();
    f.at(2, 3);
    f.port.answers.push_back(Answer::No);
    EXPECT_EQ(command(f, EditAction::DeleteNetwork).result, 0);
    f.at(4, 4);
    const int beeps = f.port.beeps;
    EXPECT_FALSE(edit_menu_state(f.editor).delete_network);
    EXPECT_EQ(command(f, EditAction::DeleteNetwork).result, 0);
    EXPECT_EQ(f.port.beeps - beeps, 1);
    f.at(2, 3);
    EXPECT_TRUE(edit_menu_state(f.editor).delete_network);
    for (std::int32_t n : f.junctions) EXPECT_NE(f.project().junctions.at(n), nullptr);
    EXPECT_FALSE(f.project().changed());
}

// ------------------------------------------------------------- area deletion

TEST(DuctAreaDeletion, DefinedRunsInsideGoWithTheirRecords)
{
    EditFixture f;
    const Picture big(14, std::string(16, '.'));
    f.build({Plan(big)});
    Picture ducts = big;
    ducts[4] = "..T->-J---T.....";
    ducts[5] = "......|.........";
    ducts[6] = "......L-------T.";
    ducts[12] = "..T->-----T.....";
    draw_ducts(f, ducts);
    const std::vector<std::int32_t> n = define(f, {{4, 2}, {4, 4}, {4, 6}, {12, 2}, {12, 4}, {12, 10}});
    settle(f);
    // Rows 4 to 6 lie inside the box but for the end of a run that leaves
    // it: the run goes whole. Row 12 lies outside.
    f.dialogs.corners.push_back({{2, 1}, {9, 12}});
    ASSERT_TRUE(select_by_coordinates(f.editor));
    AreaDeleteOptions o;
    o.ducts = true;
    f.dialogs.area_answers.push_back(o);
    ASSERT_TRUE(delete_in_area(f.editor));
    EXPECT_TRUE(f.port.boxes.empty());
    EXPECT_TRUE(f.port.questions.empty());
    Project& p = f.project();
    EXPECT_EQ(p.junctions.at(n[0]), nullptr);
    EXPECT_EQ(p.ducts.at(n[1]), nullptr);
    EXPECT_EQ(p.junctions.at(n[2]), nullptr);
    EXPECT_NE(p.junctions.at(n[3]), nullptr);
    EXPECT_NE(p.ducts.at(n[4]), nullptr);
    EXPECT_NE(p.junctions.at(n[5]), nullptr);
    const Picture after = duct_picture(f);
    for (int r = 3; r <= 8; ++r) EXPECT_EQ(after[static_cast<std::size_t>(r)], big[0]) << r;
    EXPECT_EQ(after[12], "..T->-----T.....");
    EXPECT_EQ(f.cells().Paths(12, 7), n[4]);
}

}  // namespace
}  // namespace avelor
