// Wall strokes and wall deletions bring the zones up to date in place; after
// every edit of random sequences the level must be exactly what a full pass
// makes of it: walls, Zones and every record's zones.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "editing/wall_drawing.h"
#include "model/project.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// What the zone detection decides for a level: its wall and zone layers
// and the zones its records were told.
struct Detected {
    std::vector<std::uint8_t> walls;
    std::vector<std::int32_t> zones;
    std::vector<std::tuple<std::int32_t, ZoneRef, ZoneRef, std::uint16_t>> paths;

    explicit Detected(EditFixture& f)
        : walls(f.cells().Walls.data(), f.cells().Walls.data() + f.grid().cells()),
          zones(f.cells().Zones.data(), f.cells().Zones.data() + f.grid().cells())
    {
        for (const FlowPath& p : f.project().paths) paths.emplace_back(p.nr, p.zone_n, p.zone_m, p.flags);
    }
    bool operator==(const Detected&) const = default;
};

// Rooms as overlapping rectangles on the wall lattice, most with a zone
// icon inside (undefined and ambient ones among them, and rooms that
// overlap meet as conflicts), and flow paths on straight walls.
Picture random_plan(std::mt19937& rng, int rows, int cols)
{
    Picture p(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), '.'));
    auto odd = [&](int lo, int hi) { return lo + 2 * static_cast<int>(rng() % static_cast<unsigned>((hi - lo) / 2 + 1)); };
    std::vector<std::pair<int, int>> inside;
    const int rooms = 3 + static_cast<int>(rng() % 6);
    for (int k = 0; k < rooms; ++k) {
        const int r0 = odd(1, rows - 6), c0 = odd(1, cols - 6);
        const int r1 = odd(r0 + 2, rows - 2), c1 = odd(c0 + 2, cols - 2);
        for (int c = c0; c <= c1; ++c) p[r0][c] = p[r1][c] = '#';
        for (int r = r0; r <= r1; ++r) p[r][c0] = p[r][c1] = '#';
        inside.emplace_back(r0 + 1, c1 - 1);
    }
    const char icons[] = {'1', '2', '3', '4', '5', '6', 'u', 'a', '.'};
    for (const auto& [r, c] : inside)
        if (p[r][c] == '.') p[r][c] = icons[rng() % sizeof icons];
    char path = 'A';
    for (int k = 0; k < 40 && path <= 'I'; ++k) {
        const int r = 1 + static_cast<int>(rng() % static_cast<unsigned>(rows - 2));
        const int c = 1 + static_cast<int>(rng() % static_cast<unsigned>(cols - 2));
        const bool straight = p[r][c] == '#' && ((r % 2 == 1) != (c % 2 == 1));
        if (straight) p[r][c] = path++;
    }
    return p;
}

class RandomWallEdits {
public:
    RandomWallEdits(EditFixture& f, std::mt19937& rng) : f_(f), rng_(rng) {}

    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    // A box between two random lattice cells, or a straight wall from a
    // wall vertex to the next wall it meets; a rejected stroke is cancelled
    // and changes nothing. True when the stroke was committed.
    bool stroke()
    {
        SketchGrid& g = f_.grid();
        auto lattice = [&] { return GridCell{1 + 2 * pick((g.rows() - 2) / 2), 1 + 2 * pick((g.cols() - 2) / 2)}; };
        auto move_to = [&](GridCell next) {
            f_.editor.stroke.previous = g.cursor;
            g.cursor = next;
            extend_stroke(f_.editor);
        };
        if (pick(2) == 0) {
            f_.editor.tool = DrawingTool::Boxes;
            g.cursor = lattice();
            begin_stroke(f_.editor);
            const GridCell corner = lattice();
            if (corner.row == g.cursor.row || corner.col == g.cursor.col) {
                cancel_stroke(f_.editor);
                return false;
            }
            move_to(corner);
        } else {
            f_.editor.tool = DrawingTool::Walls;
            GridCell at = lattice();
            for (int tries = 0; tries < 50 && f_.cells().Walls(at.row, at.col) == 0; ++tries) at = lattice();
            g.cursor = at;
            begin_stroke(f_.editor);
            const int dr[] = {-2, 0, 2, 0}, dc[] = {0, 2, 0, -2};
            const int d = pick(4);
            for (;;) {
                const GridCell next{g.cursor.row + dr[d], g.cursor.col + dc[d]};
                if (!g.in_drawing(next.row, next.col)) break;
                move_to(next);
                if (f_.cells().Walls(next.row, next.col) != 0) break;
            }
        }
        if (finish_wall_stroke(f_.editor) == 0) return true;
        cancel_stroke(f_.editor);
        return false;
    }

    // The wall run through a random wall cell, answered Yes. True when a
    // run went.
    bool deletion()
    {
        SketchGrid& g = f_.grid();
        std::vector<GridCell> walls;
        for (int r = 1; r <= g.rows() - 2; ++r)
            for (int c = 1; c <= g.cols() - 2; ++c)
                if (f_.cells().Walls(r, c) != 0) walls.push_back({r, c});
        if (walls.empty()) return false;
        const GridCell at = walls[static_cast<std::size_t>(pick(static_cast<int>(walls.size())))];
        f_.port.answers.assign(4, Answer::Yes);
        const bool deleted = delete_wall_run(f_.editor, at.row, at.col, Asking::Interactive) == 1;
        f_.port.answers.clear();
        return deleted;
    }

private:
    EditFixture& f_;
    std::mt19937& rng_;
};

// The full pass on the level as it stands, as every edit once ran it.
void full_pass(EditFixture& f)
{
    f.grid().walls_changed = true;
    prepare_zone_cells(f.grid(), kCurrentLevel);
    fill_zones(f.grid(), kCurrentLevel, false);
    relink_icons(f.project(), f.grid());
}

TEST(ZoneUpdate, EveryEditOfRandomSequencesMatchesTheFullPass)
{
    std::uint64_t local = 0;
    int edits = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        std::mt19937 rng(seed);
        const int rows = 15 + 2 * static_cast<int>(rng() % 12);
        const int cols = 15 + 2 * static_cast<int>(rng() % 16);
        EditFixture f;
        f.build({Plan(random_plan(rng, rows, cols))});
        // Paths cross their walls; the records learn their zones once.
        for (int r = 1; r <= rows - 2; ++r)
            for (int c = 1; c <= cols - 2; ++c)
                if (f.cells().Sketch(r, c) == ICN_PATH)
                    f.project().paths.at(f.cells().Paths(r, c))->dir = initial_path_dir(f.grid(), r, c);
        relink_icons(f.project(), f.grid());
        RandomWallEdits edit(f, rng);
        for (int k = 0; k < 40; ++k) {
            if (edit.pick(3) == 0 ? edit.deletion() : edit.stroke()) ++edits;
            const Detected updated(f);
            full_pass(f);
            ASSERT_EQ(updated, Detected(f)) << "seed " << seed << ", edit " << k;
        }
        local += f.cells().detection.local_updates;
    }
    // Many edits were brought up to date in place; conflicts and merges of
    // two zones take the full pass.
    EXPECT_GT(local, static_cast<std::uint64_t>(edits) / 3) << edits << " edits";
}

// A room with its zone icon in the west half, and a path in its south wall
// under the east half.
const Picture kRoom = {
    "...............",  //
    ".#############.",  //
    ".#...........#.",  //
    ".#.1.........#.",  //
    ".#...........#.",  //
    ".#########A###.",  //
    "...............",  //
};

TEST(ZoneUpdate, AWallAcrossARoomCutsTheHalfWithoutItsIconLoose)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    f.project().paths.at(1)->dir = initial_path_dir(f.grid(), 5, 10);
    relink_icons(f.project(), f.grid());
    ASSERT_EQ(f.project().paths.at(1)->zone_m.zone(), f.project().zones.at(1));

    f.editor.tool = DrawingTool::Walls;
    f.at(1, 7);
    begin_stroke(f.editor);
    for (int row : {3, 5}) {
        f.editor.stroke.previous = f.grid().cursor;
        f.at(row, 7);
        extend_stroke(f.editor);
    }
    ASSERT_EQ(finish_wall_stroke(f.editor), 0);
    EXPECT_EQ(f.cells().detection.local_updates, 1u);
    EXPECT_EQ(f.cells().Zones(3, 3), 1);
    EXPECT_EQ(f.cells().Zones(3, 10), ZONE_NONE);
    EXPECT_EQ(f.cells().Zones(6, 10), ZONE_AMBIENT);
    EXPECT_TRUE(f.project().paths.at(1)->zone_m.is_none());

    // Taking the wall away again gives the east half back to zone 1.
    f.port.answers.assign(2, Answer::Yes);
    ASSERT_EQ(delete_wall_run(f.editor, 3, 7, Asking::Interactive), 1);
    EXPECT_EQ(f.cells().detection.local_updates, 2u);
    EXPECT_EQ(f.cells().Zones(3, 10), 1);
    EXPECT_EQ(f.project().paths.at(1)->zone_m.zone(), f.project().zones.at(1));
}

}  // namespace
}  // namespace avelor
