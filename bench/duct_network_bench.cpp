// Deleting a duct network that spreads over the 20 levels of a 2000 x 2000
// drawing of 45 x 45 generated rooms: on every level a main duct across
// the drawing with 47 branches to terminals, one segment on every run, and
// a riser through a junction that connects up and down in the middle. The
// deletion goes level by level (each level shown once on the way up) and
// comes back to the level it began on. The network is rebuilt, untimed,
// before each deletion.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "editing/duct_drawing.h"
#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "project_generator.h"
#include "sketchpad/level_navigation.h"

namespace {

using avelor::DuctSegment;
using avelor::IconEntry;
using avelor::Junction;
using avelor::Level;
using avelor::Project;
using avelor::SketchGrid;

constexpr int kSide = 2000;
constexpr int kLevels = 20;
constexpr int kMainRow = 1000;
constexpr int kRiserCol = 1002;
constexpr int kBranchTop = 200;

class QuietPort final : public avelor::UserPort {
public:
    void show_box(std::string_view, avelor::BoxIcon, std::string_view) override {}
    avelor::Answer ask(std::string_view, bool) override { return avelor::Answer::Yes; }
};

struct Drawing {
    avelor::EditorSession session;
    avelor::NoDialogs dialogs;
    avelor::SketchEditor editor{session, dialogs};
    std::vector<std::vector<IconEntry>> walls;  // each level's generated icons
    SketchGrid& grid() { return session.grid; }
    Project& project() { return session.project(); }
};

IconEntry entry(int row, int col, std::uint8_t code, std::int32_t nr)
{
    return {static_cast<std::int16_t>(row), static_cast<std::int16_t>(col), code, nr};
}

// One level's duct icons as the store would write them, in scan order
// (rows, then columns), numbering nodes and segments from the lists.
struct NetworkBuilder {
    Project& p;
    int junctions = 0;
    int segments = 0;

    std::int32_t node() { return p.junctions.add(Junction{})->nr; }
    std::int32_t segment() { return p.ducts.add(DuctSegment{})->nr; }

    std::vector<IconEntry> level(int index, Level* level)
    {
        std::vector<IconEntry> icons;
        std::vector<int> branches;
        // Every 42nd column from 24: the generated icons on the walls and in
        // the rooms stand on columns 22 + 42k and 1 + 42k.
        for (int c = 24; c <= kSide - 20; c += 42) branches.push_back(c);
        auto add_node = [&](std::vector<IconEntry>& into, int r, int c, std::uint8_t code) {
            const std::int32_t nr = node();
            p.junctions.at(nr)->level = level;
            into.push_back(entry(r, c, code, nr));
            ++junctions;
        };
        // The branches' terminals and the heads below them.
        for (int c : branches) {
            add_node(icons, kBranchTop, c, 162);
            icons.push_back(entry(kBranchTop + 1, c, 146, 0));
        }
        // Their segment icons half way down.
        for (int c : branches) {
            icons.push_back(entry((kBranchTop + kMainRow) / 2, c, 154, segment()));
            ++segments;
        }
        // The main: a terminal at either end, the branch junctions and the
        // riser, each run with its head east of its node and its icon.
        std::vector<std::pair<int, std::uint8_t>> nodes;
        nodes.emplace_back(10, 162);
        for (int c : branches) nodes.emplace_back(c, 158);
        const std::uint8_t riser = index == 0 ? 159 : index == kLevels - 1 ? 160 : 161;
        nodes.emplace_back(kRiserCol, riser);
        nodes.emplace_back(kSide - 10, 162);
        std::sort(nodes.begin(), nodes.end());
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const auto [c, code] = nodes[i];
            add_node(icons, kMainRow, c, code);
            if (code == 160 || code == 161) {
                // The riser's segment down belongs to its upper node.
                Junction* j = p.junctions.at(icons.back().nr);
                j->duct = p.ducts.at(segment());
                ++segments;
            }
            if (i + 1 == nodes.size()) break;
            icons.push_back(entry(kMainRow, c + 1, 145, 0));
            const int next = nodes[i + 1].first;
            if (next - c >= 4) {
                icons.push_back(entry(kMainRow, (c + next) / 2, 155, segment()));
                ++segments;
            }
        }
        return icons;
    }
};

std::unique_ptr<Drawing> make_drawing()
{
    auto d = std::make_unique<Drawing>();
    Project& p = d->project();
    avelor::bench::GeneratorOptions options;
    options.levels = kLevels;
    options.room_rows = 45;
    options.room_cols = 45;
    avelor::bench::generate_project(p, options);
    for (Level& level : p.levels) {
        for (IconEntry& icon : level.icons) {
            icon.row = static_cast<std::int16_t>(1 + (icon.row - 1) * 7);
            icon.col = static_cast<std::int16_t>(1 + (icon.col - 1) * 7);
        }
        d->walls.push_back(level.icons);
    }
    p.rc.rows = static_cast<std::int16_t>(kSide);
    p.rc.cols = static_cast<std::int16_t>(kSide);
    p.current_level = nullptr;
    if (!avelor::allocate_sketch_arrays(d->grid(), kSide, kSide)) return nullptr;
    return d;
}

// Every level gets its network again, with fresh records, and the lowest
// level is shown.
void lay_network(Drawing& d)
{
    Project& p = d.project();
    p.junctions.clear();
    p.ducts.clear();
    NetworkBuilder build{p};
    std::size_t i = 0;
    for (Level* level = p.lowest_level; level; level = level->above, ++i) {
        std::vector<IconEntry> icons = build.level(static_cast<int>(i), level);
        level->icons = d.walls[i];
        level->icons.insert(level->icons.end(), icons.begin(), icons.end());
    }
    p.current_level = p.lowest_level;
    avelor::show_level(d.grid(), nullptr, avelor::kLevelBelow);
    avelor::show_level(d.grid(), p.lowest_level, avelor::kCurrentLevel);
}

void BM_DeleteDuctNetwork20Levels(benchmark::State& state)
{
    QuietPort port;
    avelor::set_user_port(&port);
    auto d = make_drawing();
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    Project& p = d->project();
    int failed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        lay_network(*d);
        if (d->grid().current().Ducts(kMainRow, 15) != avelor::ICN_DUCT_H) ++failed;
        state.ResumeTiming();
        if (!avelor::delete_duct_network(d->editor, kMainRow, 15)) ++failed;
        state.PauseTiming();
        // Nothing of the network is left, and the lowest level is shown.
        if (p.junctions.head() || p.ducts.head() || p.current_level != p.lowest_level) ++failed;
        for (const Level& level : p.levels)
            for (const IconEntry& e : level.icons)
                if (avelor::layer_of_code(e.code) == avelor::CellLayer::Duct) ++failed;
        state.ResumeTiming();
    }
    avelor::set_user_port(nullptr);
    if (failed) state.SkipWithError("the network was not deleted whole");
}
BENCHMARK(BM_DeleteDuctNetwork20Levels)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
