#include "editing/icon_editing.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Room 1 (zone icon at 3,3) with a wall stub inside it and flow path 1 on
// its east wall to the outdoors; room 2 to the right, unclaimed.
const Picture kRooms = {
    "......................",  //
    ".#######..#######.....",  //
    ".#.....#..#.....#.....",  //
    ".#.1...#..#.....#.....",  //
    ".###...A..#.....#.....",  //
    ".#.....#..#.....#.....",  //
    ".#######..#######.....",  //
    "......................",  //
    "......................",  //
};
// The same walls with an unclaimed room 1.
const Picture kEmptyRooms = {
    "......................",  //
    ".#######..#######.....",  //
    ".#.....#..#.....#.....",  //
    ".#.....#..#.....#.....",  //
    ".###...#..#.....#.....",  //
    ".#.....#..#.....#.....",  //
    ".#######..#######.....",  //
    "......................",  //
    "......................",  //
};
// The same walls with a phantom in room 1.
const Picture kPhantomRooms = {
    "......................",  //
    ".#######..#######.....",  //
    ".#.....#..#.....#.....",  //
    ".#.p...#..#.....#.....",  //
    ".###...#..#.....#.....",  //
    ".#.....#..#.....#.....",  //
    ".#######..#######.....",  //
    "......................",  //
    "......................",  //
};

void put(EditFixture& f, int row, int col, std::uint8_t code, std::int32_t number)
{
    f.cells().Sketch(row, col) = code;
    f.cells().Paths(row, col) = number;
}

std::int32_t put_source(EditFixture& f, int row, int col)
{
    SourceSink s;
    s.mult = 2;
    const std::int32_t n = f.project().sources.add(s)->nr;
    put(f, row, col, ICN_SOURCE, n);
    return n;
}

std::int32_t put_exposure(EditFixture& f, int row, int col)
{
    const std::int32_t n = f.project().exposures.add(new_exposure(f.project()))->nr;
    put(f, row, col, ICN_EXPOSURE, n);
    return n;
}

std::int32_t put_note(EditFixture& f, int row, int col, const std::string& text)
{
    Annotation a;
    a.text = text;
    const std::int32_t n = f.project().notes.add(a)->nr;
    put(f, row, col, ICN_NOTE, n);
    return n;
}

void add_species(EditFixture& f)
{
    Species s;
    s.name = "CO2";
    f.project().species.insert_copy(s);
}

// Path 1 of the pictures takes its direction and zones from its cell.
void settle_path_one(EditFixture& f)
{
    FlowPath* path = f.project().paths.at(1);
    ASSERT_NE(path, nullptr);
    path->dir = initial_path_dir(f.grid(), 4, 7);
    relink_icons(f.project(), f.grid());
}

int beeps_since(EditFixture& f, int before) { return f.port.beeps - before; }

// Every numbered icon of every level names a record of its kind, no record
// is named twice, and every record that the drawing owns is named once.
void expect_records_consistent(EditFixture& f)
{
    Project& p = f.project();
    store_current_level(p, f.grid());
    std::map<std::string, std::map<std::int32_t, int>> named;
    for (const Level& level : p.levels) {
        for (const IconEntry& e : level.icons) {
            if (e.nr <= 0) continue;
            const char* kind = nullptr;
            if (e.code == ICN_ZONE) kind = "zone";
            else if (has_flag(e.code, CC_PATH_ICON) && e.code != ICN_AHS) kind = "path";
            else if (e.code == ICN_SOURCE) kind = "source";
            else if (e.code == ICN_EXPOSURE) kind = "exposure";
            else if (e.code == ICN_NOTE) kind = "note";
            if (kind) ++named[kind][e.nr];
        }
    }
    auto check = [&](const char* kind, auto& list, auto owned) {
        for (const auto& [nr, uses] : named[kind]) {
            EXPECT_NE(list.at(nr), nullptr) << kind << " " << nr << " is named but gone";
            EXPECT_EQ(uses, 1) << kind << " " << nr << " is shared";
        }
        for (const auto& record : list) {
            if (!owned(record)) continue;
            EXPECT_EQ(named[kind].count(record.nr), 1u) << kind << " " << record.nr << " is an orphan";
        }
    };
    check("zone", p.zones, [](const Zone& z) { return (z.flags & kZoneAhs) == 0; });
    check("path", p.paths, [](const FlowPath& path) { return (path.flags & 0x70) == 0; });
    check("source", p.sources, [](const SourceSink&) { return true; });
    check("exposure", p.exposures, [](const Exposure&) { return true; });
    check("note", p.notes, [](const Annotation&) { return true; });
}

// ------------------------------------------------------------ placing

struct PlaceCase {
    const char* name;
    std::vector<Picture> levels;  // the last one is made current
    int row, col;
    IconCommand icon;
    bool species;
    std::uint8_t placed;     // the code written, 0 when refused
    std::int32_t number;     // the number written
    int beeps;
    const char* box;         // the refusal's box text, or null
};

TEST(IconPlacing, FollowsThePlacementTable)
{
    const std::vector<PlaceCase> cases = {
        {"zone in a claimed room", {kRooms}, 2, 4, IconCommand::Zone, false, 0, 0, 1, nullptr},
        {"zone in an unclaimed room", {kRooms}, 3, 13, IconCommand::Zone, false, ICN_ZONE, ZONE_UNDEFINED, 0,
         nullptr},
        {"zone outdoors", {kRooms}, 7, 3, IconCommand::Zone, false, 0, 0, 1, nullptr},
        {"phantom over no zone", {kRooms, kEmptyRooms}, 3, 13, IconCommand::Phantom, false, 0, 0, 1, nullptr},
        {"phantom over zone 1", {kRooms, kEmptyRooms}, 3, 4, IconCommand::Phantom, false, ICN_PHANTOM, 1, 0,
         nullptr},
        {"phantom on the lowest level", {kEmptyRooms}, 3, 4, IconCommand::Phantom, false, 0, 0, 1, nullptr},
        {"ambient outdoors", {kRooms}, 7, 3, IconCommand::Ambient, false, ICN_AMBIENT, ZONE_AMBIENT, 0, nullptr},
        {"path on a corner", {kRooms}, 1, 1, IconCommand::FlowPath, false, 0, 0, 1, nullptr},
        {"path on a straight wall", {kRooms}, 1, 13, IconCommand::FlowPath, false, ICN_PATH, 0, 0, nullptr},
        {"path on a wall inside one zone", {kRooms}, 4, 2, IconCommand::FlowPath, false, 0, 0, 0,
         " Same zone on both sides of wall\n"},
        {"path off walls without a level below", {kRooms}, 3, 5, IconCommand::FlowPath, false, 0, 0, 1, nullptr},
        {"path through the floor", {kRooms, kEmptyRooms}, 3, 4, IconCommand::FlowPath, false, ICN_PATH, 0, 0,
         nullptr},
        {"supply outdoors", {kRooms}, 7, 3, IconCommand::Supply, false, 0, 0, 1, nullptr},
        {"return in a room", {kRooms}, 2, 4, IconCommand::Return, false, ICN_RETURN, 0, 0, nullptr},
        {"AHS outdoors", {kRooms}, 7, 3, IconCommand::Ahs, false, ICN_AHS, 0, 0, nullptr},
        {"source without species", {kRooms}, 2, 4, IconCommand::SourceSink, false, 0, 0, 0,
         " You must first define at least one Species prior to creating a source/sink.\n"},
        {"source with species", {kRooms}, 2, 4, IconCommand::SourceSink, true, ICN_SOURCE, 0, 0, nullptr},
        {"exposure without species", {kRooms}, 2, 4, IconCommand::Exposure, false, 0, 0, 0,
         " You must first define at least one Species prior to creating an exposure element.\n"},
        {"exposure without zones", {kEmptyRooms}, 2, 4, IconCommand::Exposure, true, 0, 0, 0,
         " You must first define at least one Zone prior to creating an exposure element.\n"},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        std::vector<Plan> plans(c.levels.begin(), c.levels.end());
        f.build(plans);
        goto_level(f.project(), f.grid(), *f.levels.back());
        if (c.species) add_species(f);
        f.port.boxes.clear();
        f.at(c.row, c.col);
        EXPECT_EQ(can_place_icon(f.editor, c.icon, c.row, c.col), c.placed != 0);
        const bool placed = place_icon(f.editor, c.icon);
        EXPECT_EQ(placed, c.placed != 0);
        EXPECT_EQ(f.cells().Sketch(c.row, c.col), c.placed);
        if (c.placed) {
            EXPECT_EQ(f.cells().Paths(c.row, c.col), c.number);
        }
        EXPECT_EQ(f.editor.outcome().modified, placed);
        EXPECT_EQ(f.port.beeps, c.beeps);
        if (c.box) {
            ASSERT_EQ(f.port.boxes.size(), 1u);
            EXPECT_EQ(f.port.boxes[0].text, c.box);
            EXPECT_EQ(f.port.boxes[0].caption, "WARNING");
        } else {
            EXPECT_TRUE(f.port.boxes.empty());
        }
    }
}

TEST(IconPlacing, ZoneInAnUnclaimedRoomFillsItUndefinedAndPaintsNothingRed)
{
    EditFixture f;
    f.build({kRooms});
    f.at(3, 13);
    ASSERT_TRUE(place_icon(f.editor, IconCommand::Zone));
    for (int r = 2; r <= 5; ++r)
        for (int c = 11; c <= 15; ++c) EXPECT_EQ(f.cells().Zones(r, c), ZONE_UNDEFINED) << r << "," << c;
    EXPECT_EQ(f.cells().Zones(3, 4), 1);
    EXPECT_TRUE(testing::error_cells(f.grid()).empty());
    EXPECT_TRUE(f.editor.outcome().navigator);
}

TEST(IconPlacing, AnnotationIsWrittenOnlyWhenItsDialogIsConfirmed)
{
    EditFixture f;
    f.build({kRooms});
    f.at(2, 12);
    EXPECT_FALSE(place_icon(f.editor, IconCommand::Annotation));  // cancelled
    EXPECT_EQ(f.cells().Sketch(2, 12), 0);
    EXPECT_EQ(f.project().notes.count(), 0);

    f.dialogs.note_texts.push_back(std::string(80, 'x'));
    ASSERT_TRUE(place_icon(f.editor, IconCommand::Annotation));
    EXPECT_EQ(f.cells().Sketch(2, 12), ICN_NOTE);
    const std::int32_t n = f.cells().Paths(2, 12);
    ASSERT_NE(f.project().notes.at(n), nullptr);
    EXPECT_EQ(f.project().notes.at(n)->text, std::string(70, 'x'));

    // Defining it again edits the same note.
    f.dialogs.note_texts.push_back("second");
    ASSERT_TRUE(define_icon(f.editor));
    EXPECT_EQ(f.project().notes.at(n)->text, "second");
    EXPECT_EQ(f.project().notes.count(), n);
    EXPECT_TRUE(f.dialogs.sheets.empty());
}

// ------------------------------------------------------------ defining

TEST(IconDefining, DoubleClickInAnEmptyRoomPlacesAZoneAndAsksForANewOne)
{
    EditFixture f;
    f.build({kRooms});
    f.at(4, 13);
    EXPECT_FALSE(define_icon(f.editor));  // the sheet is cancelled
    ASSERT_EQ(f.dialogs.sheets.size(), 1u);
    const SheetRequest& asked = f.dialogs.sheets[0];
    EXPECT_EQ(asked.kind, SheetKind::Zone);
    EXPECT_TRUE(asked.create);
    EXPECT_EQ(asked.cell, (GridCell{4, 13}));
    // The undefined zone icon stays.
    EXPECT_EQ(f.cells().Sketch(4, 13), ICN_ZONE);
    EXPECT_EQ(f.cells().Paths(4, 13), ZONE_UNDEFINED);
    EXPECT_EQ(f.cells().Zones(2, 11), ZONE_UNDEFINED);
    EXPECT_TRUE(f.editor.outcome().modified);
}

TEST(IconDefining, EachCellAsksForItsOwnSheet)
{
    EditFixture f;
    f.build({kRooms, kPhantomRooms});
    goto_level(f.project(), f.grid(), *f.levels[1]);
    const std::int32_t source = put_source(f, 2, 12);
    put(f, 5, 12, ICN_AHS, 0);
    put(f, 2, 14, ICN_AMBIENT, ZONE_AMBIENT);
    struct Case {
        int row, col;
        SheetKind kind;
        bool create;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {3, 3, SheetKind::Zone, false, 1},           // a phantom edits the zone below
        {2, 12, SheetKind::SourceSink, false, source},
        {5, 12, SheetKind::SimpleAhs, true, 0},
        {2, 14, SheetKind::None, false, 0},          // ambient
        {7, 3, SheetKind::None, false, 0},           // outdoors
        {1, 1, SheetKind::None, false, 0},           // a wall corner
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.row << "," << c.col);
        const SheetRequest r = sheet_for_cell(f.editor, c.row, c.col);
        EXPECT_EQ(r.kind, c.kind);
        if (c.kind == SheetKind::None) continue;
        EXPECT_EQ(r.create, c.create);
        EXPECT_EQ(r.number, c.number);
    }
    // The lower level's defined path edits its record; nothing is placed.
    goto_level(f.project(), f.grid(), *f.levels[0]);
    const SheetRequest path = sheet_for_cell(f.editor, 4, 7);
    EXPECT_EQ(path.kind, SheetKind::FlowPath);
    EXPECT_FALSE(path.create);
    EXPECT_EQ(path.number, 1);
    const int beeps = f.port.beeps;
    f.at(7, 3);
    EXPECT_FALSE(define_icon(f.editor));
    EXPECT_EQ(beeps_since(f, beeps), 1);
}

// ------------------------------------------------------------ deleting

TEST(IconDeleting, ItemsThatALinkPointsIntoAreNeitherDeletedNorCut)
{
    // Arrowheads into path 1 (4,7), zone 1 (3,3), a source (2,12) and an AHS (5,12).
    const Picture links = {
        "......................",  //
        "......................",  //
        ".............<........",  //
        "......................",  //
        "...^..>.....v.........",  //
        "......................",  //
        "......................",  //
        "......................",  //
        "......................",  //
    };
    EditFixture f;
    f.build({Plan(kRooms, {}, links)});
    put_source(f, 2, 12);
    put(f, 5, 12, ICN_AHS, 0);
    f.project().mark_saved();
    struct Case {
        int row, col;
        std::string deleted, cut;
    };
    const std::string tail = " is referenced by the control network.\n You must remove all references to this ";
    const std::vector<Case> cases = {
        {4, 7, " This path" + tail + "path before it can be deleted.\n",
         " This path" + tail + "path before it can be cut.\n"},
        {3, 3, " This zone" + tail + "zone before it can be deleted.\n",
         " This zone" + tail + "zone before it can be cut.\n"},
        {2, 12, " This Source/Sink" + tail + "Source/Sink before it can be deleted.\n",
         " This Source/Sink" + tail + "Source/Sink before it can be cut.\n"},
        {5, 12, " This AHS" + tail + "AHS before it can be deleted.\n",
         " This AHS" + tail + "AHs before it can be cut.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.row << "," << c.col);
        f.port.boxes.clear();
        const std::uint8_t code = f.cells().Sketch(c.row, c.col);
        const std::int32_t number = f.cells().Paths(c.row, c.col);
        f.at(c.row, c.col);
        EXPECT_FALSE(delete_at_cursor(f.editor));
        EXPECT_FALSE(cut_icon(f.editor));
        ASSERT_EQ(f.port.boxes.size(), 2u);
        EXPECT_EQ(f.port.boxes[0].text, c.deleted);
        EXPECT_EQ(f.port.boxes[1].text, c.cut);
        EXPECT_EQ(f.cells().Sketch(c.row, c.col), code);
        EXPECT_EQ(f.cells().Paths(c.row, c.col), number);
        EXPECT_TRUE(f.editor.clipboard.empty());
        EXPECT_TRUE(f.port.questions.empty());
    }
    EXPECT_NE(f.project().paths.at(1), nullptr);
    EXPECT_NE(f.project().zones.at(1), nullptr);
    EXPECT_FALSE(f.project().changed());
}

TEST(IconDeleting, ZoneIconCountsThePhantomsOfConsecutiveLevelsAbove)
{
    struct Case {
        const char* name;
        bool phantom_on_level_2;
        std::string question;
    };
    const std::vector<Case> cases = {
        {"two levels", true, "Delete this zone icon and clear\nthe 2 phantom zone(s) above it?"},
        {"a gap", false, "Delete this zone icon?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({kRooms, c.phantom_on_level_2 ? kPhantomRooms : kEmptyRooms, kPhantomRooms});
        // Showing the upper levels numbers their phantoms after the zone below.
        goto_level(f.project(), f.grid(), *f.levels[1]);
        goto_level(f.project(), f.grid(), *f.levels[2]);
        goto_level(f.project(), f.grid(), *f.levels[0]);
        settle_path_one(f);
        // With a gap the upper phantom still names zone 1 in its list.
        for (IconEntry& e : f.levels[2]->icons)
            if (e.code == ICN_PHANTOM) e.nr = 1;

        f.at(3, 3);
        f.port.answers.push_back(Answer::Yes);
        ASSERT_TRUE(delete_at_cursor(f.editor));
        ASSERT_EQ(f.port.questions.size(), 1u);
        EXPECT_EQ(f.port.questions[0], c.question);
        EXPECT_EQ(f.project().zones.at(1), nullptr);
        EXPECT_EQ(f.cells().Sketch(3, 3), 0);
        EXPECT_EQ(f.cells().Zones(3, 4), ZONE_NONE);  // the room is unclaimed
        // The path on the room's wall now leads from the outdoors to no zone.
        EXPECT_TRUE(f.project().paths.at(1)->zone_n.is_ambient());
        EXPECT_TRUE(f.project().paths.at(1)->zone_m.is_none());
        for (std::size_t i = 1; i < f.levels.size(); ++i) {
            for (const IconEntry& e : f.levels[i]->icons) {
                if (e.code != ICN_PHANTOM) continue;
                const bool counted = c.phantom_on_level_2;
                EXPECT_EQ(e.nr, counted ? 0 : (i == 2 ? 1 : e.nr)) << "level " << i + 1;
            }
        }
    }
}

TEST(IconDeleting, NoAnswerKeepsTheItemAndUndefinedItemsGoWithoutAQuestion)
{
    EditFixture f;
    f.build({kRooms});
    f.at(4, 7);
    f.port.answers.push_back(Answer::No);
    EXPECT_FALSE(delete_at_cursor(f.editor));
    EXPECT_EQ(f.port.questions.back(), "Delete this flow path?");
    EXPECT_NE(f.project().paths.at(1), nullptr);
    EXPECT_FALSE(f.project().changed());

    put(f, 1, 13, ICN_PATH, 0);
    f.at(1, 13);
    EXPECT_TRUE(delete_at_cursor(f.editor));
    EXPECT_EQ(f.port.questions.size(), 1u);
    EXPECT_EQ(f.cells().Sketch(1, 13), 0);

    // An empty cell beeps.
    const int beeps = f.port.beeps;
    f.at(3, 13);
    EXPECT_FALSE(delete_at_cursor(f.editor));
    EXPECT_EQ(beeps_since(f, beeps), 1);
}

TEST(IconDeleting, SimpleAhsTakesItsPointsOnEveryLevel)
{
    EditFixture f;
    f.build({kRooms, kEmptyRooms});
    Project& p = f.project();
    SimpleAhs* system = create_simple_ahs(p, "AHS1", "");
    ASSERT_NE(system, nullptr);
    auto point = [&](std::uint8_t code) {
        FlowPath path;
        path.flags = kPathAhs;
        path.ahs = system;
        path.icn = code;
        return add_path(p, path)->nr;
    };
    const std::int32_t supply = point(ICN_SUPPLY);
    put(f, 2, 12, ICN_SUPPLY, supply);
    put(f, 2, 4, ICN_AHS, system->nr);
    goto_level(p, f.grid(), *f.levels[1]);
    const std::int32_t ret = point(ICN_RETURN);
    put(f, 3, 12, ICN_RETURN, ret);
    goto_level(p, f.grid(), *f.levels[0]);

    f.at(2, 4);
    f.port.answers.push_back(Answer::Yes);
    ASSERT_TRUE(delete_at_cursor(f.editor));
    EXPECT_EQ(f.port.questions.back(), "Delete entire AHS related to this icon?");
    EXPECT_EQ(p.systems.count(), 0);
    EXPECT_EQ(p.paths.at(supply), nullptr);
    EXPECT_EQ(p.paths.at(ret), nullptr);
    EXPECT_EQ(f.cells().Sketch(2, 12), 0);
    EXPECT_EQ(f.cells().Sketch(2, 4), 0);
    for (const Level& level : p.levels)
        for (const IconEntry& e : level.icons) EXPECT_TRUE(e.code != ICN_SUPPLY && e.code != ICN_RETURN);
    expect_records_consistent(f);
}

// ------------------------------------------------------------ cut, copy, paste

TEST(IconClipboard, CutZoneIconMovesTheZoneToAnotherRoom)
{
    EditFixture f;
    f.build({kRooms});
    settle_path_one(f);
    f.at(3, 3);
    ASSERT_TRUE(can_cut(f.editor));
    EXPECT_FALSE(can_copy(f.editor));
    ASSERT_TRUE(cut_icon(f.editor));
    EXPECT_EQ(f.cells().Sketch(3, 3), ICN_ZONE);  // moves only when pasted
    f.at(3, 13);
    ASSERT_TRUE(can_paste(f.editor));
    ASSERT_TRUE(paste_icon(f.editor));
    EXPECT_EQ(f.cells().Sketch(3, 13), ICN_ZONE);
    EXPECT_EQ(f.cells().Paths(3, 13), 1);
    EXPECT_EQ(f.cells().Sketch(3, 3), 0);
    EXPECT_EQ(f.cells().Zones(2, 11), 1);
    EXPECT_EQ(f.cells().Zones(3, 3), ZONE_NONE);  // the old room is unclaimed
    EXPECT_EQ(f.cells().Zones(5, 6), ZONE_NONE);
    EXPECT_TRUE(f.project().paths.at(1)->zone_m.is_none());  // the path's room side is gone
    EXPECT_TRUE(f.editor.clipboard.empty());
    EXPECT_TRUE(testing::error_cells(f.grid()).empty());
    expect_records_consistent(f);
}

TEST(IconClipboard, CopiesGetRecordsOfTheirOwnAndCutsKeepTheirs)
{
    EditFixture f;
    f.build({kRooms});
    Project& p = f.project();
    settle_path_one(f);
    p.paths.at(1)->wazm = 90;
    p.paths.at(1)->wPset = 5;
    const std::int32_t source = put_source(f, 2, 3);
    const std::int32_t exposure = put_exposure(f, 5, 3);
    const std::int32_t note = put_note(f, 2, 5, "hello");
    const std::int32_t other_source = put_source(f, 4, 13);
    p.mark_saved();

    // A wall path copied onto the bottom wall of the unclaimed room.
    f.at(4, 7);
    ASSERT_TRUE(copy_icon(f.editor));
    EXPECT_EQ(f.editor.clipboard.path->wazm, -1);
    f.at(6, 13);
    ASSERT_TRUE(paste_icon(f.editor));
    const std::int32_t copy = f.cells().Paths(6, 13);
    ASSERT_NE(copy, 1);
    const FlowPath* pasted = p.paths.at(copy);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->dir, kDirNorth);  // from the outdoors below it into the room
    EXPECT_TRUE(pasted->zone_n.is_ambient());
    EXPECT_TRUE(pasted->zone_m.is_none());
    EXPECT_EQ(pasted->wazm, -1);
    EXPECT_EQ(p.paths.at(1)->wazm, 90);
    EXPECT_FALSE(f.editor.clipboard.empty());  // a copy can be pasted again
    expect_records_consistent(f);

    // The same path into the wall stub between two cells of one zone.
    f.port.boxes.clear();
    f.at(4, 2);
    EXPECT_FALSE(paste_icon(f.editor));
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text, " Same zone on both sides of wall\n");
    // Nor off the walls of the lowest level.
    f.at(3, 13);
    EXPECT_FALSE(can_paste(f.editor));

    // A note copied, an exposure and a source cut.
    f.at(2, 5);
    ASSERT_TRUE(copy_icon(f.editor));
    f.at(2, 12);
    ASSERT_TRUE(paste_icon(f.editor));
    EXPECT_NE(f.cells().Paths(2, 12), note);
    EXPECT_EQ(p.notes.at(f.cells().Paths(2, 12))->text, "hello");

    f.at(5, 3);
    ASSERT_TRUE(cut_icon(f.editor));
    f.at(5, 12);
    ASSERT_TRUE(paste_icon(f.editor));
    EXPECT_EQ(f.cells().Paths(5, 12), exposure);
    EXPECT_EQ(f.cells().Sketch(5, 3), 0);
    EXPECT_TRUE(f.editor.clipboard.empty());

    // A source cut over a defined source: asked, and the old one goes.
    f.at(2, 3);
    ASSERT_TRUE(cut_icon(f.editor));
    f.at(4, 13);
    f.port.answers.push_back(Answer::Yes);
    ASSERT_TRUE(paste_icon(f.editor));
    EXPECT_EQ(f.port.questions.back(), "Overwrite this source/sink?");
    EXPECT_EQ(f.cells().Paths(4, 13), source);
    EXPECT_EQ(p.sources.at(other_source), nullptr);
    EXPECT_EQ(p.sources.at(source)->zone, nullptr);  // room 2 has no zone
    expect_records_consistent(f);

    // A path cut and pasted becomes a new record; the old one goes.
    f.at(4, 7);
    ASSERT_TRUE(cut_icon(f.editor));
    f.at(1, 13);
    ASSERT_TRUE(paste_icon(f.editor));
    EXPECT_EQ(p.paths.at(1), nullptr);
    EXPECT_EQ(f.cells().Sketch(4, 7), 0);
    EXPECT_EQ(f.cells().Walls(4, 7), ICN_WALL_V);
    EXPECT_GT(f.cells().Paths(1, 13), copy);
    EXPECT_TRUE(p.changed());
    expect_records_consistent(f);
}

TEST(IconClipboard, PastedFanPathShowsItsNewDirection)
{
    EditFixture f;
    f.build({kRooms});
    settle_path_one(f);
    AirflowElement fan;
    fan.name = "fan";
    fan.type = kFanFan;
    f.project().paths.at(1)->element = f.project().elements.insert_copy(fan);
    f.at(4, 7);
    ASSERT_TRUE(copy_icon(f.editor));
    struct Case {
        int row, col;
        std::uint8_t icon;
    };
    // Into the room from the outdoors below it, and from the outdoors above.
    for (const Case& c : {Case{6, 13, 30}, Case{1, 13, 31}}) {
        f.at(c.row, c.col);
        ASSERT_TRUE(paste_icon(f.editor));
        EXPECT_EQ(f.cells().Sketch(c.row, c.col), c.icon);
        EXPECT_EQ(f.project().paths.at(f.cells().Paths(c.row, c.col))->icn, c.icon);
    }
}

// Each path owns its filter: a pasted copy gets one of its own, so that
// deleting the copy's filter on its sheet leaves the original's.
TEST(IconClipboard, PastedPathCopyHasAFilterOfItsOwn)
{
    EditFixture f;
    f.build({kRooms});
    settle_path_one(f);
    Filter filter;
    FlowPath* original = f.project().paths.at(1);
    original->filter = f.project().filters.add(filter);
    f.at(4, 7);
    ASSERT_TRUE(copy_icon(f.editor));
    f.at(6, 13);
    ASSERT_TRUE(paste_icon(f.editor));
    const FlowPath* copy = f.project().paths.at(f.cells().Paths(6, 13));
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->filter, nullptr);
    EXPECT_NE(copy->filter, original->filter);
    EXPECT_EQ(f.project().filters.at(copy->filter->nr), copy->filter);

    // A deleted path takes its filter with it; a cut one moves it along.
    const std::int32_t copy_filter = copy->filter->nr;
    ASSERT_TRUE(delete_flow_path(f.editor, 6, 13, Asking::Silent));
    EXPECT_EQ(f.project().filters.at(copy_filter), nullptr);
    Filter* kept = original->filter;
    f.at(4, 7);
    ASSERT_TRUE(cut_icon(f.editor));
    f.at(1, 13);
    ASSERT_TRUE(paste_icon(f.editor));
    const FlowPath* moved = f.project().paths.at(f.cells().Paths(1, 13));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->filter, kept);
    EXPECT_EQ(f.project().filters.at(kept->nr), kept);
}

TEST(IconClipboard, MenuEnablingFollowsTheCell)
{
    EditFixture f;
    f.build({kRooms});
    settle_path_one(f);
    struct Case {
        int row, col;
        bool del, cut, copy;
    };
    const std::vector<Case> cases = {
        {3, 3, true, true, false},    // zone icon: cut only
        {4, 7, true, true, true},     // defined path
        {1, 1, true, false, false},   // wall corner
        {3, 13, false, false, false}, // nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.row << "," << c.col);
        f.at(c.row, c.col);
        EXPECT_EQ(can_delete(f.editor), c.del);
        EXPECT_EQ(can_cut(f.editor), c.cut);
        EXPECT_EQ(can_copy(f.editor), c.copy);
    }
    f.at(4, 7);
    ASSERT_TRUE(copy_icon(f.editor));
    f.at(1, 13);
    EXPECT_TRUE(can_paste(f.editor));
    f.at(1, 1);
    EXPECT_FALSE(can_paste(f.editor));
    f.editor.mode = DisplayMode::Results;
    f.at(1, 13);
    EXPECT_FALSE(can_paste(f.editor));
    EXPECT_FALSE(can_delete(f.editor));
}

TEST(IconClipboard, DuctItemsCopyAndPasteOnlyOntoDucts)
{
    const Picture ducts = {
        "......................",  //
        "......................",  //
        "......................",  //
        "............J>oT......",  //
        "......................",  //
        "......................",  //
        "......................",  //
        "......................",  //
        "......................",  //
    };
    EditFixture f;
    f.build({Plan(kRooms, ducts)});
    Junction j;
    f.project().junctions.add(j);
    DuctSegment s;
    f.project().ducts.add(s);
    f.project().mark_saved();
    f.at(3, 12);
    EXPECT_TRUE(copy_icon(f.editor));
    EXPECT_EQ(f.editor.clipboard.kind, ClipKind::DuctNode);
    const int beeps = f.port.beeps;
    EXPECT_FALSE(cut_icon(f.editor));  // junctions are only copied
    EXPECT_EQ(beeps_since(f, beeps), 1);
    f.at(3, 13);
    EXPECT_TRUE(copy_icon(f.editor));
    EXPECT_EQ(f.editor.clipboard.kind, ClipKind::DuctSegment);
    f.at(5, 13);
    f.port.boxes.clear();
    const int before = f.port.beeps;
    EXPECT_FALSE(paste_icon(f.editor));  // a segment needs a duct run to land on
    EXPECT_EQ(beeps_since(f, before), 1);
    EXPECT_TRUE(f.port.boxes.empty());
    EXPECT_EQ(f.cells().Ducts(5, 13), 0);
    EXPECT_FALSE(f.project().changed());
}

// A cut remembers its level: pasting elsewhere clears the source on that
// level, never the same cell of the level being shown.
TEST(IconClipboard, PastingACutOnAnotherLevelClearsItsOwnLevel)
{
    for (int target_level : {1, 2}) {
        SCOPED_TRACE(target_level + 1);
        EditFixture f;
        f.build({kRooms, kEmptyRooms, kEmptyRooms});
        Project& p = f.project();
        const std::int32_t source = put_source(f, 2, 3);
        f.at(2, 3);
        ASSERT_TRUE(cut_icon(f.editor));
        EXPECT_EQ(f.editor.clipboard.source_level, f.levels[0]->nr);
        goto_level(p, f.grid(), *f.levels[static_cast<std::size_t>(target_level)]);
        const std::int32_t note = put_note(f, 2, 3, "unrelated");

        f.at(2, 13);
        ASSERT_TRUE(paste_icon(f.editor));
        EXPECT_EQ(f.cells().Sketch(2, 13), ICN_SOURCE);
        EXPECT_EQ(f.cells().Paths(2, 13), source);
        EXPECT_EQ(f.cells().Sketch(2, 3), ICN_NOTE);  // untouched
        EXPECT_EQ(f.cells().Paths(2, 3), note);
        for (const IconEntry& e : f.levels[0]->icons) EXPECT_NE(e.code, ICN_SOURCE);
        if (target_level == 1) {
            EXPECT_EQ(f.grid().below().Sketch(2, 3), 0);
        }
        expect_records_consistent(f);
    }
}

TEST(IconClipboard, DeletingACutItemEmptiesTheClipboard)
{
    struct Case {
        const char* name;
        int row, col;
    };
    const std::vector<Case> cases = {{"supply", 2, 12}, {"zone icon", 3, 3}, {"AHS", 5, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({kRooms});
        FlowPath supply;
        supply.flags = kPathAhs;
        put(f, 2, 12, ICN_SUPPLY, add_path(f.project(), supply)->nr);
        put(f, 5, 12, ICN_AHS, 0);
        f.at(c.row, c.col);
        ASSERT_TRUE(cut_icon(f.editor));
        f.port.answers.push_back(Answer::Yes);
        ASSERT_TRUE(delete_at_cursor(f.editor));
        EXPECT_TRUE(f.editor.clipboard.empty());
        f.at(3, 13);
        EXPECT_FALSE(paste_icon(f.editor));
        EXPECT_EQ(f.cells().Sketch(3, 13), 0);
        expect_records_consistent(f);
    }
}

}  // namespace
}  // namespace avelor

namespace avelor {
namespace {

TEST(IconDefining, ZoneAndPathSheetsStoreTheirRecordsAndSubPathsGoWithTheirPath)
{
    EditFixture f;
    f.build({kRooms});
    f.dialogs.fill_zone = [](ZoneSheet& sheet) {
        sheet.set_name("Lab");
        return true;
    };
    f.at(4, 13);
    ASSERT_TRUE(define_icon(f.editor));
    const std::int32_t zone = f.cells().Paths(4, 13);
    ASSERT_NE(f.project().zones.at(zone), nullptr);
    EXPECT_EQ(f.project().zones.at(zone)->name, "Lab");
    EXPECT_EQ(f.cells().Zones(2, 11), zone);

    NewElementState state;
    AirflowElement orifice = new_airflow_element(kPlrOrfc, {}, state);
    orifice.name = "orf";
    AirflowElement* sub = f.project().elements.insert_copy(orifice);
    AirflowElement super = new_airflow_element(kSupAfe, {}, state);
    super.name = "sup";
    std::get<SuperData>(super.data).subs = {{sub, 0.5f, 0, 0}, {sub, 1.0f, 0, 0}};
    AirflowElement* stored_super = f.project().elements.insert_copy(super);
    f.dialogs.fill_path = [&](PathSheet& sheet) {
        sheet.choose_element(stored_super);
        return true;
    };
    f.at(4, 7);
    const std::int32_t path = f.cells().Paths(4, 7);
    const std::int32_t before = f.project().paths.count();
    ASSERT_TRUE(define_icon(f.editor));
    EXPECT_EQ(f.project().paths.at(path)->element, stored_super);
    const std::vector<FlowPath*> subs = f.project().sub_paths.of(f.project().paths.at(path));
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(f.project().paths.count(), before + 2);

    f.port.answers.push_back(Answer::Yes);
    ASSERT_TRUE(delete_at_cursor(f.editor));
    EXPECT_EQ(f.project().paths.at(path), nullptr);
    for (std::int32_t n = before + 1; n <= before + 2; ++n) EXPECT_EQ(f.project().paths.at(n), nullptr);
}

}  // namespace
}  // namespace avelor
