// Steady airflow solves of generated 10,000-zone networks: a 20-floor
// building of 500 rooms a floor joined by shafts (the sparse factor stays
// small) and a 3-D lattice where every room leaks to the room above (the
// factor fills in and the solver turns to conjugate gradients). Each run
// builds the network from the project and solves it from the linear
// start; the project itself is generated once. The same at 100,000 zones
// (the lattice has 301,500 paths), with the time of the last solve split
// into element evaluation, assembly, factorization and linear solves.
//
// BM_DefaultsAgainstTightAnswer solves 50,000-zone buildings at the
// default settings and again tightly converged, and counts the paths
// whose flows differ by more than 0.1 % (flows below a thousandth of the
// absolute tolerance counting as nil); a run with any fails.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "airflow_network.h"
#include "engine_network_generator.h"
#include "model/run_control.h"

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
    state.counters["element_s"] = report.element_seconds;
    state.counters["assembly_s"] = report.assembly_seconds;
    state.counters["factor_s"] = report.factor_seconds;
    state.counters["linear_solve_s"] = report.linear_solve_seconds;
    state.counters["pcg_iterations"] = report.linear_iterations;
}

avelor::bench::NetworkOptions options_100k()
{
    avelor::bench::NetworkOptions options;  // 40 floors of 50 x 50 rooms
    options.floors = 40;
    options.rows = 50;
    options.cols = 50;
    options.shafts = 40;
    return options;
}

void BM_SteadyLattice100k(benchmark::State& state)
{
    static const auto project = avelor::bench::make_lattice(options_100k());
    solve_network(state, *project, options_100k().outdoor_T);
}

void BM_SteadyBuilding100k(benchmark::State& state)
{
    static const auto project = avelor::bench::make_building(options_100k());
    solve_network(state, *project, options_100k().outdoor_T);
}

void defaults_against_tight(benchmark::State& state, bool lattice)
{
    avelor::bench::NetworkOptions options;  // 20 floors of 50 x 50 rooms
    options.rows = options.cols = 50;
    const auto make = [&] { return lattice ? avelor::bench::make_lattice(options) : avelor::bench::make_building(options); };
    const auto loose = make();
    const auto tight = make();
    tight->rc.afrcnvg = 1e-10f;
    tight->rc.afacnvg = 1e-14f;
    tight->rc.afmaxi = 100;
    tight->rc.aflcnvg = 1e-12f;
    tight->rc.aflmaxi = 1000;
    const Weather weather{options.outdoor_T, 101325, 0, 0, 1};
    AirflowNetwork reference(*tight);
    const SolveReport tight_report = reference.solve(weather);
    SolveReport report;
    long off = 0;
    double worst = 0;
    for (auto _ : state) {
        AirflowNetwork network(*loose);
        report = network.solve(weather);
        off = 0;
        worst = 0;
        const double nil = 1e-3 * static_cast<double>(avelor::RunControl{}.afacnvg);
        for (std::size_t k = 0; k < network.links().size(); ++k) {
            const double F = network.links()[k].F0 + network.links()[k].F1;
            const double G = reference.links()[k].F0 + reference.links()[k].F1;
            const double error = std::abs(F - G);
            if (error > 1e-3 * std::abs(G) + nil) ++off;
            if (std::abs(G) > nil) worst = std::max(worst, error / std::abs(G));
        }
    }
    state.counters["zones"] = static_cast<double>(loose->zones.count());
    state.counters["paths"] = static_cast<double>(loose->paths.count());
    state.counters["newton_iterations"] = report.iterations;
    state.counters["paths_off"] = static_cast<double>(off);
    state.counters["worst_relative_error"] = worst;
    if (!report.converged || !tight_report.converged || off > 0)
        state.SkipWithError("a path is more than 0.1 % off the tightly converged answer");
}

void BM_DefaultsAgainstTightAnswer(benchmark::State& state) { defaults_against_tight(state, state.range(0) != 0); }

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
BENCHMARK(BM_SteadyLattice100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SteadyBuilding100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_DefaultsAgainstTightAnswer)->ArgName("lattice")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BuildingNetworkSetup)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildingWarmResolve)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
