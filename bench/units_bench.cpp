// Unit conversions: every value shown, typed, reported or exported passes
// through convert_units, often in loops over thousands of records.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "model/species.h"
#include "model/units.h"

namespace {

using avelor::UnitKind;

struct Call {
    float value;
    bool to_display;
    UnitKind kind;
    int index;
};

// Random calls over every kind and unit, in both directions, with values a
// project holds; index 0 (the stored unit) as often as a record meets it.
std::vector<Call> make_calls(std::size_t n, bool species_units)
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> values(0.001f, 1000.0f);
    std::uniform_int_distribution<int> kinds(1, avelor::kUnitKindCount);
    std::vector<Call> calls;
    calls.reserve(n);
    while (calls.size() < n) {
        const auto kind = static_cast<UnitKind>(kinds(random));
        const bool species_kind = kind == UnitKind::Mass || kind == UnitKind::SourceStrength ||
                                  kind == UnitKind::DepositionRate ||
                                  avelor::is_concentration_kind(kind) ||
                                  kind == UnitKind::SurfaceMass;
        if (species_kind != species_units) continue;
        std::uniform_int_distribution<int> indices(0, avelor::unit_count(kind) - 1);
        calls.push_back({values(random), (random() & 1) != 0, kind, indices(random)});
    }
    return calls;
}

// A species that supports every unit: any concentration kind's list may be
// converted for it.
avelor::Species full_species()
{
    avelor::Species s;
    s.molwt = 222;
    s.mdiam = 1e-6f;
    s.edens = 1000;
    s.decay = 2.1e-6f;
    return s;
}

void run(benchmark::State& state, bool species_units)
{
    const std::vector<Call> calls = make_calls(4096, species_units);
    const avelor::Species species = full_species();
    for (auto _ : state) {
        for (const Call& c : calls)
            benchmark::DoNotOptimize(
                avelor::convert_units(c.value, c.to_display, c.kind, c.index, &species));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(calls.size()));
}

void BM_ConvertUnitsSimpleKinds(benchmark::State& state) { run(state, false); }
void BM_ConvertUnitsSpeciesKinds(benchmark::State& state) { run(state, true); }

BENCHMARK(BM_ConvertUnitsSimpleKinds);
BENCHMARK(BM_ConvertUnitsSpeciesKinds);

}  // namespace

BENCHMARK_MAIN();
