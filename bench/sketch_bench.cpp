// The SketchPad's heavy passes on the largest drawings:
// - zone preparation plus fill on a 7300 x 7300 grid holding 40,000 rooms,
//   once spread over the whole grid and once packed in a corner (the rest
//   one outdoor region);
// - showing and storing a level of about 10,000 icons on a 2000 x 2000 grid.
// Every benchmark reports the bytes the grid holds per cell.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "app/diagnostics.h"
#include "project_generator.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_grid.h"
#include "sketchpad/zone_detection.h"

namespace {

using avelor::IconEntry;
using avelor::kCurrentLevel;
using avelor::Level;
using avelor::Project;
using avelor::SketchGrid;

// A generated one-level building, its drawing stretched by a whole factor
// so that walls stay on wall lines and icons inside their rooms.
struct Building {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    SketchGrid grid;
    Level* level = nullptr;
};

std::unique_ptr<Building> make_building(int rooms_per_side, int stretch, int grid_side)
{
    auto b = std::make_unique<Building>();
    avelor::bench::GeneratorOptions options;
    options.levels = 1;
    options.room_rows = rooms_per_side;
    options.room_cols = rooms_per_side;
    avelor::bench::generate_project(*b->project, options);
    Project& p = *b->project;
    b->level = p.lowest_level;
    for (IconEntry& icon : b->level->icons) {
        icon.row = static_cast<std::int16_t>(1 + (icon.row - 1) * stretch);
        icon.col = static_cast<std::int16_t>(1 + (icon.col - 1) * stretch);
    }
    p.rc.rows = static_cast<std::int16_t>(grid_side);
    p.rc.cols = static_cast<std::int16_t>(grid_side);
    p.current_level = nullptr;
    if (!avelor::allocate_sketch_arrays(b->grid, grid_side, grid_side)) return nullptr;
    avelor::goto_level(p, b->grid, *b->level);
    return b;
}

void report_memory(benchmark::State& state, const SketchGrid& grid)
{
    state.counters["bytes_per_cell"] =
        static_cast<double>(grid.bytes_held()) / static_cast<double>(grid.cells());
    state.counters["grid_MB"] = static_cast<double>(grid.bytes_held()) / (1024.0 * 1024.0);
}

void zone_detection(benchmark::State& state, int stretch)
{
    auto b = make_building(200, stretch, 7300);
    if (!b) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    int conflicts = 0;
    for (auto _ : state) {
        avelor::prepare_zone_cells(b->grid, kCurrentLevel);
        conflicts += avelor::fill_zones(b->grid, kCurrentLevel, false);
        benchmark::DoNotOptimize(b->grid.current().Zones.data());
    }
    if (conflicts != 0) state.SkipWithError("the building has zone conflicts");
    state.counters["rooms"] = static_cast<double>(b->project->zones.count());
    report_memory(state, b->grid);
}

// 40,000 rooms of 35 x 35 cells covering the grid.
void BM_ZoneDetection7300Spread(benchmark::State& state) { zone_detection(state, 6); }
BENCHMARK(BM_ZoneDetection7300Spread)->Unit(benchmark::kMillisecond);

// 40,000 rooms of 5 x 5 cells in a corner; 51.8 million outdoor cells.
void BM_ZoneDetection7300Compact(benchmark::State& state) { zone_detection(state, 1); }
BENCHMARK(BM_ZoneDetection7300Compact)->Unit(benchmark::kMillisecond);

// 45 x 45 rooms: 2,116 wall vertices, 2,025 zones and 6,165 paths.
void BM_ShowLevel2000(benchmark::State& state)
{
    auto b = make_building(45, 7, 2000);
    if (!b) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    for (auto _ : state) {
        avelor::show_level(b->grid, b->level, kCurrentLevel);
        benchmark::DoNotOptimize(b->grid.current().Zones.data());
    }
    state.counters["icons"] = static_cast<double>(b->level->icons.size());
    report_memory(state, b->grid);
}
BENCHMARK(BM_ShowLevel2000)->Unit(benchmark::kMillisecond);

void BM_StoreLevelIcons2000(benchmark::State& state)
{
    auto b = make_building(45, 7, 2000);
    if (!b) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    for (auto _ : state) {
        avelor::store_level_icons(b->grid, *b->level);
        benchmark::DoNotOptimize(b->level->icons.data());
    }
    state.counters["icons"] = static_cast<double>(b->level->icons.size());
    report_memory(state, b->grid);
}
BENCHMARK(BM_StoreLevelIcons2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
