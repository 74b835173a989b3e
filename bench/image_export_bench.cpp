// Writing SketchPad pictures:
// - a 4000 x 4000 picture already in memory, as a 16-bit bitmap and as a
//   PNG (the writers alone);
// - a generated level of 40 x 40 rooms (243 x 243 cells) at 16 pixels a
//   cell, drawn and written (3888 x 3888 pixels): strip by strip, the way
//   the export and `avelor render` do it, and for comparison drawn in one
//   piece by render_level first.
// Each reports the file size and the pixels written per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "project_generator.h"
#include "sketchpad/image_export.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/renderer.h"
#include "sketchpad/sketch_grid.h"

namespace {

namespace fs = std::filesystem;
using namespace avelor;

std::string bench_file(const char* name) { return (fs::temp_directory_path() / name).string(); }

// Cells of 8 pixels with a wall line every sixth cell and a few icons: a
// picture like a drawn level.
const PixelImage& sketch_like_picture()
{
    static const PixelImage image = [] {
        PixelImage p;
        p.resize(4000, 4000);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const int cx = x / 8, cy = y / 8;
                std::uint32_t c = 0xFFFFFFFFu;
                if (cx % 6 == 0 || cy % 6 == 0) c = (x % 8 >= 3 && x % 8 < 5) || (y % 8 >= 3 && y % 8 < 5) ? 0xFF000000u : c;
                else if (cx % 6 == 3 && cy % 6 == 3 && (x + y) % 3 == 0) c = 0xFF800000u;
                p.at(x, y) = c;
            }
        return p;
    }();
    return image;
}

void finish(benchmark::State& state, const std::string& path, std::uint64_t pixels)
{
    state.counters["file_MB"] = double(fs::file_size(path)) / (1024.0 * 1024.0);
    state.counters["pixels_per_s"] =
        benchmark::Counter(double(pixels) * double(state.iterations()), benchmark::Counter::kIsRate);
    fs::remove(path);
}

void BM_WriteBitmap4000(benchmark::State& state)
{
    const PixelImage& image = sketch_like_picture();
    const std::string path = bench_file("avelor_bench.bmp");
    for (auto _ : state) {
        PixelImageRows rows(image);
        if (!write_bmp(path, rows)) state.SkipWithError("write failed");
    }
    finish(state, path, std::uint64_t(image.width) * std::uint64_t(image.height));
}
BENCHMARK(BM_WriteBitmap4000)->Unit(benchmark::kMillisecond);

void BM_WritePng4000(benchmark::State& state)
{
    const PixelImage& image = sketch_like_picture();
    const std::string path = bench_file("avelor_bench.png");
    for (auto _ : state) {
        PixelImageRows rows(image);
        if (!write_png(path, rows)) state.SkipWithError("write failed");
    }
    finish(state, path, std::uint64_t(image.width) * std::uint64_t(image.height));
}
BENCHMARK(BM_WritePng4000)->Unit(benchmark::kMillisecond);

struct Building {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    SketchGrid grid;
};

const Building& building()
{
    static const std::unique_ptr<Building> b = [] {
        auto made = std::make_unique<Building>();
        bench::GeneratorOptions options;
        options.levels = 1;
        options.room_rows = 40;
        options.room_cols = 40;
        bench::generate_project(*made->project, options);
        Project& p = *made->project;
        p.current_level = nullptr;
        if (allocate_sketch_arrays(made->grid, p.rc.rows, p.rc.cols)) goto_level(p, made->grid, *p.lowest_level);
        return made;
    }();
    return *b;
}

// arg 0: picture of the level, PNG (0) or bitmap (1); arg 1: drawn in one
// piece first (0) or strip by strip while written (1).
void BM_WriteLevel(benchmark::State& state)
{
    const Building& b = building();
    RenderSettings settings;
    settings.cell_size = 16;
    const bool bitmap = state.range(0) == 1;
    const bool strips = state.range(1) == 1;
    const std::string path = bench_file(bitmap ? "avelor_level.bmp" : "avelor_level.png");
    for (auto _ : state) {
        bool ok = false;
        if (strips) {
            ok = write_level_image(b.grid, b.project.get(), settings, path);
        } else {
            PixelImage image;
            ok = render_level(b.grid, b.project.get(), settings, image);
            PixelImageRows rows(image);
            ok = ok && write_image(path, rows);
        }
        if (!ok) state.SkipWithError("write failed");
    }
    finish(state, path,
           level_image_width(b.grid, settings.cell_size) * level_image_height(b.grid, settings.cell_size));
}
BENCHMARK(BM_WriteLevel)
    ->ArgNames({"bmp", "strips"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
