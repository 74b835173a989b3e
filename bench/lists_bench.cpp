// Releasing records, as deleting many icons by area does: range(0) flow
// paths released in random order from a list of three times as many. The
// time per release must not grow with the list.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "app/lists.h"
#include "app/memory.h"
#include "model/records.h"

namespace {

void BM_ReleasePaths(benchmark::State& state)
{
    const auto released = static_cast<std::int32_t>(state.range(0));
    const std::int32_t total = 3 * released;
    std::vector<std::int32_t> order(static_cast<std::size_t>(total));
    for (std::int32_t i = 0; i < total; ++i) order[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    order.resize(static_cast<std::size_t>(released));
    for (auto _ : state) {
        state.PauseTiming();
        avelor::BlockPool pool(1 << 20, "bench");
        avelor::NumberedList<avelor::FlowPath> paths(pool, "path", "PtLst", "Path");
        for (std::int32_t i = 0; i < total; ++i) paths.add(avelor::FlowPath{});
        state.ResumeTiming();
        for (std::int32_t n : order) benchmark::DoNotOptimize(paths.release(n));
        state.PauseTiming();
        paths.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * released);
}
BENCHMARK(BM_ReleasePaths)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
