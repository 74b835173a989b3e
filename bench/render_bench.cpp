// Painting the SketchPad: what a window costs must follow the window, not
// the drawing. A 1920 x 1080 window at cell size 8 over a 5000 x 5000
// level of rooms: one full repaint, and one scroll step (three quarters of
// the window further on, the whole visible area drawn again). Also the
// navigator picture of the whole level, which the view caches.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "model/project.h"
#include "project_generator.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/renderer.h"
#include "sketchpad/sketch_grid.h"
#include "sketchpad/sketch_view.h"

namespace {

using namespace avelor;

struct Scene {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    SketchGrid grid;
    SketchView view;
};

// Generated rooms stretched over the whole level.
Scene& scene()
{
    static std::unique_ptr<Scene> s = [] {
        auto sc = std::make_unique<Scene>();
        constexpr int kSide = 5000, kRooms = 160, kStretch = 5;
        bench::GeneratorOptions options;
        options.levels = 2;
        options.room_rows = kRooms;
        options.room_cols = kRooms;
        bench::generate_project(*sc->project, options);
        Project& p = *sc->project;
        for (Level& level : p.levels)
            for (IconEntry& icon : level.icons) {
                icon.row = static_cast<std::int16_t>(1 + (icon.row - 1) * kStretch);
                icon.col = static_cast<std::int16_t>(1 + (icon.col - 1) * kStretch);
            }
        p.rc.rows = kSide;
        p.rc.cols = kSide;
        p.current_level = nullptr;
        if (!allocate_sketch_arrays(sc->grid, kSide, kSide)) std::abort();
        goto_level(p, sc->grid, *p.top_level);
        sc->view.set_window_pixels(1920, 1080, sc->grid);
        sc->view.flags.reveal_below = true;
        return sc;
    }();
    return *s;
}

void BM_FullRepaint(benchmark::State& state)
{
    Scene& s = scene();
    s.view.place_cursor(s.grid, {2500, 2500});
    PixelImage image;
    image.resize(1920, 1080);
    RenderSettings settings = render_settings(s.view, *s.project, s.grid);
    settings.show_cursor = true;
    for (auto _ : state) {
        render_cells(s.grid, s.project.get(), settings, s.view.first_row(), s.view.first_col(), image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["cells"] = double(s.view.visible_rows()) * s.view.visible_cols();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_ScrollStep(benchmark::State& state)
{
    Scene& s = scene();
    PixelImage image;
    image.resize(1920, 1080);
    RenderSettings settings = render_settings(s.view, *s.project, s.grid);
    int row = 2000;
    for (auto _ : state) {
        // The cursor leaves the window at the bottom: the view moves on by
        // three quarters and everything visible is drawn again.
        s.view.place_cursor(s.grid, {row, 2500});
        s.view.place_cursor(s.grid, {s.view.first_row() + s.view.visible_rows(), 2500});
        render_cells(s.grid, s.project.get(), settings, s.view.first_row(), s.view.first_col(), image);
        benchmark::DoNotOptimize(image.pixels.data());
        row = row > 4000 ? 2000 : row + 7;
    }
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMillisecond);

void BM_NavigatorPicture(benchmark::State& state)
{
    Scene& s = scene();
    RenderSettings settings = render_settings(s.view, *s.project, s.grid);
    PixelImage image;
    for (auto _ : state) {
        render_navigator(s.grid, s.project.get(), settings, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_NavigatorPicture)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
