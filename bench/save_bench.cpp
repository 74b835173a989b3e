// Saving a large project: renumbering in drawing order, writing the text and
// putting the file in place, on about 10,000 zones and 30,000 flow paths
// over 20 levels. Each benchmark repeats five times and reports the median.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "prjfile/project_file.h"
#include "prjfile/project_pack.h"
#include "project_generator.h"

namespace {

void BM_PackLargeProject(benchmark::State& state)
{
    avelor::Project project;
    avelor::bench::generate_project(project, {});
    for (auto _ : state) {
        const bool ok = avelor::pack_zones(project) && avelor::pack_network(project);
        if (!ok) state.SkipWithError("pack failed");
        benchmark::DoNotOptimize(project.paths.head());
    }
    state.counters["zones"] = project.zones.count();
    state.counters["paths"] = project.paths.count();
}
BENCHMARK(BM_PackLargeProject)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The whole save: pack, write the text, write the file atomically.
void BM_SaveLargeProject(benchmark::State& state)
{
    avelor::Project project;
    avelor::bench::generate_project(project, {});
    const std::string path =
        (std::filesystem::temp_directory_path() / "avelor_save_bench.prj").string();
    std::size_t bytes = 0;
    for (auto _ : state) {
        avelor::reset_error_count();
        if (!avelor::pack_zones(project) || !avelor::pack_network(project))
            state.SkipWithError("pack failed");
        avelor::TextWriter out;
        avelor::write_project(out, project);
        if (avelor::error_count() != 0) state.SkipWithError("write reported errors");
        if (!avelor::write_file_atomically(path, out.text())) state.SkipWithError("save failed");
        bytes = out.text().size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveLargeProject)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
