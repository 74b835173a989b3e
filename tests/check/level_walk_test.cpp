// The building check shows the levels of a small building on a large
// drawing in a window of their own; everything it finds, renumbers and
// stores must be what the walk over the whole drawing gives.
#include "check/level_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "model/project.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Two rooms and a room without a zone icon, a path between the rooms and
// one to the outdoors; above them a phantom of zone 1 and zone 3.
const Picture kLower = {
    "....................",  //
    ".#########.#####....",  //
    ".#...#...#.#...#....",  //
    ".#.1.B.2.#.#...#....",  //
    ".#...#...#.#...#....",  //
    ".###A#####.#####....",  //
    "....................",  //
    "....................",  //
};
const Picture kUpper = {
    "....................",  //
    ".#########..........",  //
    ".#...#...#..........",  //
    ".#.p.C.3.#..........",  //
    ".#...#...#..........",  //
    ".####D####..........",  //
    "....................",  //
    "....................",  //
};

Picture padded(const Picture& p, int rows, int cols)
{
    Picture out(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), '.'));
    for (std::size_t r = 0; r < p.size(); ++r) out[r].replace(0, p[r].size(), p[r]);
    return out;
}

int zone_number(const ZoneRef& z) { return z.is_ambient() ? -1 : z.zone() ? z.zone()->nr : 0; }

// Everything the check leaves that a save or the problems window shows.
struct Outcome {
    int result = 0;
    std::vector<std::tuple<std::string, int, int, std::string>> problems;
    std::vector<std::vector<std::tuple<int, int, int, int>>> icons;
    std::vector<std::tuple<int, int, int, int>> paths;
    std::vector<std::string> boxes;
    std::vector<std::int32_t> shown_zones;  // the drawn part of the level shown afterwards
    std::string shown_level;
    bool operator==(const Outcome&) const = default;
};

Outcome run_check(const std::vector<Picture>& plans, int rows, int cols, bool expect_window,
                  int mode = kCheckBuilding)
{
    EditFixture f;
    std::vector<Plan> drawn;
    for (const Picture& p : plans) drawn.emplace_back(padded(p, rows, cols));
    f.build(drawn);
    for (Level* level : f.levels) {
        goto_level(f.project(), f.grid(), *level);
        for (int r = 1; r < rows - 1; ++r)
            for (int c = 1; c < cols - 1; ++c)
                if (f.cells().Sketch(r, c) == ICN_PATH)
                    f.project().paths.at(f.cells().Paths(r, c))->dir = initial_path_dir(f.grid(), r, c);
        store_level_icons(f.grid(), *level);
    }
    goto_level(f.project(), f.grid(), *f.levels.back());
    EXPECT_EQ(LevelWalk(f.session).windowed(), expect_window);

    Outcome o;
    o.result = check_building(f.session, mode);
    for (const Problem& e : f.session.problems.in_order())
        o.problems.emplace_back(e.level ? e.level->name : "", e.row, e.col, e.text);
    for (Level* level : f.levels) {
        o.icons.emplace_back();
        for (const IconEntry& icon : level->icons) o.icons.back().emplace_back(icon.row, icon.col, icon.code, icon.nr);
    }
    for (const FlowPath& p : f.project().paths)
        o.paths.emplace_back(p.nr, zone_number(p.zone_n), zone_number(p.zone_m), p.flags);
    for (const testing::ShownBox& b : f.port.boxes) o.boxes.push_back(b.text);
    o.shown_level = f.project().current_level->name;
    for (std::size_t r = 0; r < plans[0].size(); ++r)
        for (std::size_t c = 0; c < plans[0][0].size(); ++c)
            o.shown_zones.push_back(f.cells().Zones(static_cast<int>(r), static_cast<int>(c)));
    return o;
}

TEST(LevelWalk, AWindowOnALargeDrawingFindsWhatTheWholeDrawingDoes)
{
    const Outcome whole = run_check({kLower, kUpper}, 8, 20, false);
    EXPECT_EQ(whole.result, 1);
    EXPECT_FALSE(whole.problems.empty());
    EXPECT_EQ(run_check({kLower, kUpper}, 40, 90, true), whole);
    // The renumbering before a save.
    EXPECT_EQ(run_check({kLower, kUpper}, 40, 90, true, kRenumberOnly),
              run_check({kLower, kUpper}, 8, 20, false, kRenumberOnly));
}

// Zone 3 and zone 4 in one room: the window gives way to the whole drawing,
// which reports the conflict as always.
TEST(LevelWalk, AConflictTakesTheWalkBackToTheWholeDrawing)
{
    Picture upper = kUpper;
    upper[2][7] = '4';
    const Outcome whole = run_check({kLower, upper}, 8, 20, false);
    const Outcome windowed = run_check({kLower, upper}, 40, 90, true);
    EXPECT_EQ(windowed, whole);
    EXPECT_TRUE(std::any_of(whole.problems.begin(), whole.problems.end(),
                            [](const auto& e) { return std::get<3>(e) == "Error: Zone definition error."; }));
}

}  // namespace
}  // namespace avelor
