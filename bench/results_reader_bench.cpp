// Results files of several gigabytes: opening one (header, maps, the first
// day and the scan of every day's maxima) and stepping one output time step
// on a building of 10,000 flow paths (the step's records and the display
// list of the level).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "../tests/support/results_file_maker.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "simulation/results_mode.h"
#include "simulation/results_reader.h"

namespace {

constexpr int kZones = 2000;
constexpr int kPaths = 10000;
constexpr int kDays = 141;  // 10-minute steps: about 4.3 GB

std::string bench_folder()
{
    const char* dir = std::getenv("TEST_TMPDIR");
    return dir && *dir ? std::string(dir) : std::filesystem::temp_directory_path().string();
}

// The session of the benchmarks: a project of kZones zones and kPaths
// paths, each path with an icon on the one level, and its results file,
// written once and deleted when the program ends.
struct LargeResults {
    avelor::EditorSession session;
    std::string prj = bench_folder() + "/avelor_results_bench.prj";
    std::string sim = bench_folder() + "/avelor_results_bench.sim";
    avelor::ResultsHeader header;
    bool ready = false;

    LargeResults()
    {
        avelor::Project& p = session.project();
        avelor::Level* level = p.levels.add(avelor::Level{});
        p.current_level = p.lowest_level = p.top_level = level;
        avelor::Species co2;
        co2.name = "CO2";
        p.Ctm.push_back(p.species.insert_copy(co2));
        p.CC0.push_back(0);
        for (int i = 0; i < kZones; ++i) avelor::add_zone(p, avelor::new_zone(p));
        for (int i = 0; i < kPaths; ++i) {
            avelor::FlowPath path;
            path.dir = static_cast<std::uint8_t>(1 + i % 6);
            path.flags = i % 2 ? 0x80 : 0x100;
            path.Xmax = 1.0f;
            path.Xmin = -1.0f;
            avelor::add_path(p, path);
            level->icons.push_back({static_cast<std::int16_t>(1 + i / 100), static_cast<std::int16_t>(1 + i % 100),
                                    23, i + 1});
        }
        p.mark_saved();
        session.document.path = prj;

        header = avelor::testing::results_header(kZones, kPaths, 1);
        header.tstep = 600;
        header.dtres0 = 1;
        header.tmres0 = 0;
        header.dtres1 = kDays;
        header.tmres1 = 86400;
        header.zc = 1;
        const std::int64_t size = avelor::ResultsLayout(header).file_size();
        std::error_code ec;
        if (std::filesystem::file_size(sim, ec) != static_cast<std::uintmax_t>(size) || ec) {
            std::fprintf(stderr, "writing %s (%.2f GB) ...\n", sim.c_str(), static_cast<double>(size) / 1e9);
            if (!avelor::testing::write_results_file(sim, header).written) return;
        }
        update_results_availability(session);
        ready = session.document.results_available;
    }
    ~LargeResults()
    {
        std::remove(sim.c_str());
    }
};

LargeResults& large()
{
    static LargeResults files;
    return files;
}

void BM_OpenLargeResults(benchmark::State& state)
{
    LargeResults& f = large();
    if (!f.ready) {
        state.SkipWithError("the results file could not be made");
        return;
    }
    for (auto _ : state) {
        avelor::ResultsReader reader;
        const bool opened = reader.open(f.sim, f.session.project(), "");
        benchmark::DoNotOptimize(opened);
        if (!opened) state.SkipWithError("open failed");
    }
    state.counters["GB"] = static_cast<double>(avelor::ResultsLayout(f.header).file_size()) / 1e9;
}
BENCHMARK(BM_OpenLargeResults)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Next Time Step with the display list rebuilt, as the SketchPad does it;
// at the end of the results it starts again from the first day.
void BM_StepOneTimeStep(benchmark::State& state)
{
    LargeResults& f = large();
    if (!f.ready) {
        state.SkipWithError("the results file could not be made");
        return;
    }
    avelor::ResultsMode mode;
    if (!mode.enter(f.session)) {
        state.SkipWithError("results mode could not be entered");
        return;
    }
    std::size_t shown = 0;
    for (auto _ : state) {
        if (!mode.move(avelor::ResultsMove::Next)) mode.go_to(f.header.dtres0, 0);
        shown += mode.build_display_list(f.session).size();
    }
    benchmark::DoNotOptimize(shown);
    state.counters["paths"] = kPaths;
    mode.leave();
}
BENCHMARK(BM_StepOneTimeStep)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
