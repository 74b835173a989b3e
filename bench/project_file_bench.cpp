// Writing and opening a large project: about 10,000 zones and 30,000 flow
// paths over 20 levels.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "prjfile/project_file.h"
#include "project_generator.h"

namespace {

const std::string& large_project_path()
{
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / "avelor_bench_large.prj").string();
        avelor::Project project;
        avelor::bench::generate_project(project, {});
        avelor::TextWriter out;
        avelor::write_project(out, project);
        avelor::write_file_atomically(p, out.text());
        return p;
    }();
    return path;
}

void BM_WriteLargeProject(benchmark::State& state)
{
    avelor::Project project;
    avelor::bench::generate_project(project, {});
    std::size_t bytes = 0;
    for (auto _ : state) {
        avelor::TextWriter out;
        avelor::write_project(out, project);
        bytes = out.text().size();
        benchmark::DoNotOptimize(out.text().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteLargeProject)->Unit(benchmark::kMillisecond);

void BM_OpenLargeProject(benchmark::State& state)
{
    const std::string& path = large_project_path();
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        avelor::ProjectDocument document;
        if (!avelor::open_project(document, path, {})) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(document.project.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_OpenLargeProject)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
