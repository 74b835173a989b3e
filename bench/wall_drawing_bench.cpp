// Wall editing on a 2000 x 2000 drawing of 45 x 45 generated rooms:
// - committing a box stroke that crosses 46 walls (validation, commit and
//   the zone detection that follows), and that detection alone;
// - one step of a box being dragged (the live feedback of every move);
// - deleting everything, or only the flow paths, inside an area of
//   1000 x 1000 cells (1,000,000 cells claimed by the interior fill).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/diagnostics.h"
#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "editing/wall_drawing.h"
#include "project_generator.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"

namespace {

using avelor::AreaDeleteOptions;
using avelor::DrawingTool;
using avelor::GridCell;
using avelor::IconEntry;
using avelor::Project;
using avelor::SketchGrid;

constexpr int kSide = 2000;

class BenchDialogs final : public avelor::EditorDialogs {
public:
    GridCell a, b;
    AreaDeleteOptions options;
    bool area_delete_options(avelor::AreaDeleteForm& form) override
    {
        const auto levels = form.options.levels;
        form.options = options;
        form.options.levels = levels;
        return true;
    }
    bool delete_coordinates(avelor::CoordinatesForm& form) override
    {
        form.a = a;
        form.b = b;
        return true;
    }
    bool annotation(avelor::AnnotationForm&) override { return false; }
};

// The generated rooms are 5 x 5 cells on a pitch of 6; stretched by 7 their
// walls lie on rows and columns 1 + 42k, all on the wall lattice.
struct Drawing {
    avelor::EditorSession session;
    BenchDialogs dialogs;
    avelor::SketchEditor editor{session, dialogs};
    SketchGrid& grid() { return session.grid; }
};

std::unique_ptr<Drawing> make_drawing(int side = kSide, int rooms = 45)
{
    auto d = std::make_unique<Drawing>();
    Project& p = d->session.project();
    avelor::bench::GeneratorOptions options;
    options.levels = 1;
    options.room_rows = rooms;
    options.room_cols = rooms;
    avelor::bench::generate_project(p, options);
    for (IconEntry& icon : p.lowest_level->icons) {
        icon.row = static_cast<std::int16_t>(1 + (icon.row - 1) * 7);
        icon.col = static_cast<std::int16_t>(1 + (icon.col - 1) * 7);
    }
    p.rc.rows = static_cast<std::int16_t>(side);
    p.rc.cols = static_cast<std::int16_t>(side);
    p.current_level = nullptr;
    if (!avelor::allocate_sketch_arrays(d->grid(), side, side)) return nullptr;
    avelor::goto_level(p, d->grid(), *p.lowest_level);
    // The records learn their zones once, as the first edit of a shown
    // level has them do.
    avelor::relink_icons(p, d->grid());
    return d;
}

// Quiet boxes: the benchmark must not stop on a message.
class QuietPort final : public avelor::UserPort {
public:
    int boxes = 0;
    void show_box(std::string_view, avelor::BoxIcon, std::string_view) override { ++boxes; }
    avelor::Answer ask(std::string_view, bool) override { return avelor::Answer::Yes; }
};

void BM_CommitBoxStroke2000(benchmark::State& state)
{
    QuietPort port;
    avelor::set_user_port(&port);
    auto d = make_drawing();
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    SketchGrid& g = d->grid();
    const std::vector<std::uint8_t> walls(g.current().Walls.data(), g.current().Walls.data() + g.cells());
    const std::vector<std::int32_t> zones(g.current().Zones.data(), g.current().Zones.data() + g.cells());
    int rejected = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(g.current().Walls.data(), walls.data(), walls.size());
        std::memcpy(g.current().Zones.data(), zones.data(), zones.size() * sizeof(std::int32_t));
        d->editor.tool = DrawingTool::Boxes;
        g.cursor = {21, 21};
        avelor::begin_stroke(d->editor);
        d->editor.stroke.previous = g.cursor;
        g.cursor = {1001, 1001};
        avelor::extend_stroke(d->editor);
        state.ResumeTiming();
        rejected += avelor::finish_wall_stroke(d->editor);
    }
    avelor::set_user_port(nullptr);
    if (rejected) state.SkipWithError("the stroke was rejected");
    state.counters["boxes"] = port.boxes;
    state.counters["local_updates"] = static_cast<double>(g.current().detection.local_updates);
}
BENCHMARK(BM_CommitBoxStroke2000)->Iterations(40)->Unit(benchmark::kMillisecond);

// The stroke of a wall down the middle of the north-west room, from its
// north wall to its south wall, up to the click that commits it.
void draw_middle_wall(Drawing& d)
{
    SketchGrid& g = d.grid();
    d.editor.tool = DrawingTool::Walls;
    g.cursor = {1, 21};
    avelor::begin_stroke(d.editor);
    for (int row = 3; row <= 43; row += 2) {
        d.editor.stroke.previous = g.cursor;
        g.cursor = {row, 21};
        avelor::extend_stroke(d.editor);
    }
}

// One wall drawn down the middle of the north-west room (43 x 43 cells
// inside walls on rows and columns 1 and 43): what the user waits for after
// the second click, on a drawing of range(0) cells a side holding range(1)
// x range(1) rooms. The wall is deleted again, untimed, before the next
// stroke.
void BM_CommitWallStroke(benchmark::State& state)
{
    QuietPort port;
    avelor::set_user_port(&port);
    auto d = make_drawing(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    SketchGrid& g = d->grid();
    int failed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        draw_middle_wall(*d);
        state.ResumeTiming();
        failed += avelor::finish_wall_stroke(d->editor);
        state.PauseTiming();
        failed += avelor::delete_wall_run(d->editor, 21, 21, avelor::Asking::Interactive) == 1 ? 0 : 1;
        state.ResumeTiming();
    }
    avelor::set_user_port(nullptr);
    if (failed) state.SkipWithError("a stroke or its deletion failed");
    state.counters["local_updates"] = static_cast<double>(g.current().detection.local_updates);
}
// Few iterations: the untimed drawing and deletion around each commit
// cost more than the commit.
BENCHMARK(BM_CommitWallStroke)->Args({2000, 45})->Args({4000, 90})->Iterations(40)->Unit(benchmark::kMillisecond);

// The same wall deleted (one run, two rooms merge), the stroke redrawn
// untimed.
void BM_DeleteWallRun(benchmark::State& state)
{
    QuietPort port;
    avelor::set_user_port(&port);
    auto d = make_drawing(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    int failed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        draw_middle_wall(*d);
        failed += avelor::finish_wall_stroke(d->editor);
        state.ResumeTiming();
        failed += avelor::delete_wall_run(d->editor, 21, 21, avelor::Asking::Interactive) == 1 ? 0 : 1;
    }
    avelor::set_user_port(nullptr);
    if (failed) state.SkipWithError("a stroke or its deletion failed");
}
BENCHMARK(BM_DeleteWallRun)->Args({2000, 45})->Args({4000, 90})->Iterations(40)->Unit(benchmark::kMillisecond);

// The share of the commit that is zone detection over the whole level.
void BM_ZoneDetectionAfterCommit2000(benchmark::State& state)
{
    auto d = make_drawing();
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    SketchGrid& g = d->grid();
    for (auto _ : state) {
        avelor::prepare_zone_cells(g, avelor::kCurrentLevel);
        avelor::fill_zones(g, avelor::kCurrentLevel, true);
        avelor::relink_icons(d->session.project(), g);
        benchmark::DoNotOptimize(g.current().Zones.data());
    }
}
BENCHMARK(BM_ZoneDetectionAfterCommit2000)->Unit(benchmark::kMillisecond);

void BM_DragBox2000(benchmark::State& state)
{
    auto d = make_drawing();
    if (!d) {
        state.SkipWithError("no memory for the grid");
        return;
    }
    SketchGrid& g = d->grid();
    d->editor.tool = DrawingTool::Boxes;
    g.cursor = {3, 3};
    avelor::begin_stroke(d->editor);
    d->editor.stroke.previous = g.cursor;
    g.cursor = {1995, 1995};
    avelor::extend_stroke(d->editor);
    bool down = true;
    for (auto _ : state) {
        d->editor.reset_outcome();
        d->editor.stroke.previous = g.cursor;
        g.cursor.row += down ? 2 : -2;
        down = !down;
        avelor::extend_stroke(d->editor);
        benchmark::DoNotOptimize(g.Scolors.data());
    }
}
BENCHMARK(BM_DragBox2000)->Unit(benchmark::kMicrosecond);

void area_deletion(benchmark::State& state, const AreaDeleteOptions& options)
{
    QuietPort port;
    avelor::set_user_port(&port);
    for (auto _ : state) {
        state.PauseTiming();
        auto d = make_drawing();
        if (!d) {
            state.SkipWithError("no memory for the grid");
            break;
        }
        d->dialogs.a = {500, 500};
        d->dialogs.b = {1501, 1501};
        d->dialogs.options = options;
        avelor::select_by_coordinates(d->editor);
        state.ResumeTiming();
        benchmark::DoNotOptimize(avelor::delete_in_area(d->editor));
        state.PauseTiming();
        // What is left inside the area shows that the deletion happened.
        const avelor::LevelCells& l = d->grid().current();
        int walls = 0, icons = 0;
        for (int r = 501; r <= 1500; ++r)
            for (int c = 501; c <= 1500; ++c) walls += l.Walls(r, c) != 0, icons += l.Sketch(r, c) != 0;
        state.counters["walls_left"] = walls;
        state.counters["icons_left"] = icons;
        d.reset();
        state.ResumeTiming();
    }
    avelor::set_user_port(nullptr);
    state.counters["cells"] = 1000.0 * 1000.0;
}

// Walls (and so the zones with them), flow paths and notes: 576 rooms go.
void BM_AreaDeleteEverything1M(benchmark::State& state)
{
    AreaDeleteOptions o;
    o.walls = o.zones = o.paths = o.notes = true;
    area_deletion(state, o);
}
BENCHMARK(BM_AreaDeleteEverything1M)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_AreaDeletePathsOnly1M(benchmark::State& state)
{
    AreaDeleteOptions o;
    o.paths = true;
    area_deletion(state, o);
}
BENCHMARK(BM_AreaDeletePathsOnly1M)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
