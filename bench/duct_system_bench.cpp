// Steady solve of a duct system of 1,000 supply terminals in a 2,000-zone
// building (4 floors of 20 x 25 rooms joined by shafts, leaking through
// their walls and facades): on each floor a fan with a performance curve
// feeds ten leaking sub-mains of 25 branches each. Each run builds the
// network from the project and solves it from the linear start.
#include <benchmark/benchmark.h>

#include "airflow_network.h"
#include "duct_network_generator.h"
#include "engine_network_generator.h"

namespace {

using avelor::engine::AirflowNetwork;
using avelor::engine::SolveReport;
using avelor::engine::Weather;

std::unique_ptr<avelor::Project> duct_building()
{
    avelor::bench::NetworkOptions building;
    building.floors = 4;
    building.shafts = 10;
    auto project = avelor::bench::make_building(building);
    avelor::bench::add_duct_system(*project);
    return project;
}

void BM_SteadyDuctSystem1000Terminals(benchmark::State& state)
{
    static const auto project = duct_building();
    SolveReport report;
    std::size_t links = 0;
    for (auto _ : state) {
        AirflowNetwork network(*project);
        report = network.solve(Weather{273.15, 101325, 0, 0, 1});
        links = network.links().size();
        benchmark::DoNotOptimize(network.links().data());
    }
    state.counters["zones"] = static_cast<double>(project->zones.count());
    state.counters["junctions"] = static_cast<double>(project->junctions.count());
    state.counters["segments"] = static_cast<double>(project->ducts.count());
    state.counters["links"] = static_cast<double>(links);
    state.counters["newton_iterations"] = report.iterations;
    state.counters["converged"] = report.converged ? 1 : 0;
    state.counters["element_s"] = report.element_seconds;
    state.counters["factor_s"] = report.factor_seconds;
    if (!report.converged) state.SkipWithError("the duct system did not converge");
}

}  // namespace

BENCHMARK(BM_SteadyDuctSystem1000Terminals)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
