// The building check on the large generated project (20 levels, about
// 10,000 zones and 30,000 flow paths): the full check and the renumbering
// that runs before every save.
#include <benchmark/benchmark.h>

#include "app/diagnostics.h"
#include "check/building_check.h"
#include "editing/editor_session.h"
#include "prjfile/project_pack.h"
#include "project_generator.h"

namespace {

// Boxes and beeps go nowhere while timing.
class QuietPort final : public avelor::UserPort {
public:
    void show_box(std::string_view, avelor::BoxIcon, std::string_view) override {}
    avelor::Answer ask(std::string_view, bool) override { return avelor::Answer::No; }
};

void run_check(benchmark::State& state, int mode, int side = 0)
{
    QuietPort port;
    avelor::set_user_port(&port);
    avelor::EditorSession session;
    avelor::bench::generate_project(session.project(), {});
    if (side > 0) {
        // The same building on a drawing of side x side cells.
        session.project().rc.rows = static_cast<std::int16_t>(side);
        session.project().rc.cols = static_cast<std::int16_t>(side);
    }
    avelor::prepare_sketchpad(session);
    avelor::ProblemList problems;
    int result = 0;
    for (auto _ : state) {
        result = avelor::check_building(session, problems, mode);
        benchmark::DoNotOptimize(result);
    }
    state.counters["problems"] = static_cast<double>(problems.size());
    state.counters["result"] = result;
    state.counters["cells"] = static_cast<double>(session.grid.cells());
    avelor::set_user_port(nullptr);
}

void BM_CheckBuilding(benchmark::State& state) { run_check(state, avelor::kCheckBuilding); }
void BM_RenumberBuilding(benchmark::State& state) { run_check(state, avelor::kRenumberOnly); }

void BM_CheckBuilding2000(benchmark::State& state) { run_check(state, avelor::kCheckBuilding, 2000); }
void BM_RenumberBuilding2000(benchmark::State& state) { run_check(state, avelor::kRenumberOnly, 2000); }

BENCHMARK(BM_CheckBuilding)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenumberBuilding)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CheckBuilding2000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenumberBuilding2000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
