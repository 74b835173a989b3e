// Friction factors are asked for once per duct segment and shaft whenever
// their coefficients are derived, so large duct systems call it thousands of
// times in a row.
#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "model/airflow_rules.h"

namespace {

// Laminar, blended, smooth and rough conditions, as ducts and shafts meet
// them; most take the Colebrook iteration.
std::vector<std::pair<double, double>> conditions()
{
    std::vector<std::pair<double, double>> all;
    for (double e : {0.0, 1e-5, 1e-4, 1e-3, 0.01, 0.05})
        for (double Re : {1000.0, 3000.0, 4000.0, 2e4, 1e5, 1e6}) all.emplace_back(e, Re);
    return all;
}

void BM_FrictionFactor(benchmark::State& state)
{
    const auto cases = conditions();
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [e, Re] = cases[i];
        benchmark::DoNotOptimize(avelor::friction_factor(e, Re, 0));
        if (++i == cases.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FrictionFactorWithGuess(benchmark::State& state)
{
    // The shaft's second point starts from the first point's factor.
    const double guess = avelor::friction_factor(0.01, 4000, 0);
    for (auto _ : state) benchmark::DoNotOptimize(avelor::friction_factor(0.01, 40000, guess));
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_FrictionFactor);
BENCHMARK(BM_FrictionFactorWithGuess);

BENCHMARK_MAIN();
