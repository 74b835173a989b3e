// What a user waits for at the command line: `avelor save` and `avelor
// check` of the large generated project (20 levels, 10,000 zones, 30,900
// flow paths) drawn on a 2000 x 2000 grid, each a process of its own:
// reading the file, showing the lowest level, the check or the
// renumbering, and for the save the writing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "prjfile/project_file.h"
#include "project_generator.h"

namespace {

namespace fs = std::filesystem;

const fs::path& project_path()
{
    static const fs::path path = [] {
        const fs::path p = fs::temp_directory_path() / "avelor_cli_bench.prj";
        avelor::Project project;
        avelor::bench::generate_project(project, {});
        project.rc.rows = 2000;
        project.rc.cols = 2000;
        avelor::TextWriter out;
        avelor::write_project(out, project);
        if (avelor::error_count() != 0 || !avelor::write_file_atomically(p.string(), out.text())) return fs::path();
        return p;
    }();
    return path;
}

void run(benchmark::State& state, const std::string& arguments)
{
    if (project_path().empty()) {
        state.SkipWithError("the project could not be written");
        return;
    }
    const std::string command = std::string(AVELOR_CLI_PATH) + " " + arguments + " > /dev/null 2>&1";
    int failures = 0;
    for (auto _ : state) {
        // check exits with 1 when it lists problems; anything above is a failure.
        const int status = std::system(command.c_str());
        if (status == -1 || WEXITSTATUS(status) > 1) ++failures;
    }
    if (failures != 0) state.SkipWithError("the command failed");
}

void BM_CliCheck2000(benchmark::State& state) { run(state, "check " + project_path().string()); }

void BM_CliSave2000(benchmark::State& state)
{
    const fs::path out = fs::temp_directory_path() / "avelor_cli_bench_out.prj";
    run(state, "save " + project_path().string() + " -o " + out.string());
    fs::remove(out);
}

BENCHMARK(BM_CliCheck2000)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_CliSave2000)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
