// Steady airflow solves of generated 10,000-zone networks: a 20-floor
// building of 500 rooms a floor joined by shafts (the sparse factor stays
// small) and a 3-D lattice where every room leaks to the room above (the
// factor fills in and the solver turns to conjugate gradients). Each run
// builds the network from the project and solves it from the linear
// start; the project itself is generated once.
#include <benchmark/benchmark.h>

#include "airflow_network.h"
#include "engine_network_generator.h"

namespace {

using avelor::engine::AirflowNetwork;
using avelor::engine::SolveReport;
using avelor::engine::Weather;

void solve_network(benchmark::State& state, const avelor::Project& project, float outdoor_T)
{
    SolveReport report;
    for (auto _ : state) {
        AirflowNetwork network(project);
        report = network.solve(Weather{outdoor_T, 101325, 0, 0, 1});
        benchmark::DoNotOptimize(network.links().data());
    }
    state.counters["zones"] = static_cast<double>(project.zones.count());
    state.counters["paths"] = static_cast<double>(project.paths.count());
    state.counters["newton_iterations"] = report.iterations;
    state.counters["converged"] = report.converged ? 1 : 0;
    state.counters["pcg"] = report.used_iterative_solver ? 1 : 0;
}

void BM_SteadyBuilding10k(benchmark::State& state)
{
    static const auto project = avelor::bench::make_building();  // 20 x 500 zones, 20 shafts
    solve_network(state, *project, avelor::bench::NetworkOptions{}.outdoor_T);
}

void BM_SteadyLattice10k(benchmark::State& state)
{
    avelor::bench::NetworkOptions options;
    options.floors = 25;
    options.rows = 20;
    options.cols = 20;
    static const auto project = avelor::bench::make_lattice(options);
    solve_network(state, *project, options.outdoor_T);
}

void BM_BuildingNetworkSetup(benchmark::State& state)
{
    // The share of the steady solve spent making the network from the
    // project (element models, node and link lists, the sparse pattern).
    static const auto project = avelor::bench::make_building();
    for (auto _ : state) {
        AirflowNetwork network(*project);
        benchmark::DoNotOptimize(network.links().data());
    }
}

void BM_BuildingWarmResolve(benchmark::State& state)
{
    // A transient step's solve: the network kept, the weather changed a
    // little, the last solution the start.
    static const auto project = avelor::bench::make_building();
    AirflowNetwork network(*project);
    network.solve(Weather{273.15, 101325, 0, 0, 1});
    double Ta = 273.15;
    SolveReport report;
    for (auto _ : state) {
        Ta = Ta > 274 ? 273.15 : Ta + 0.1;
        report = network.solve(Weather{Ta, 101325, 0, 0, 1});
    }
    state.counters["newton_iterations"] = report.iterations;
}

}  // namespace

BENCHMARK(BM_SteadyBuilding10k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SteadyLattice10k)->Unit(benchmark::kMillisecond)->Repetitions(3)->Iterations(1)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildingNetworkSetup)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildingWarmResolve)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
