// Wind pressure coefficients for one time step: every path with variable
// wind pressure looks up its profile at the wind's angle to its wall. A
// building of 10,000 such paths shares a handful of profiles, one per kind
// of wall, each path keeping the interval its last look-up found.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "model/wind_profile.h"

namespace {

using avelor::WindProfile;
using avelor::WindProfileCursor;

constexpr int kPaths = 10000;

// Sixteen points round the turn, the coefficient of a wall swept by the wind.
WindProfile wall_profile(std::int16_t type)
{
    WindProfile p = avelor::new_wind_profile();
    for (int i = 0; i < 16; ++i) {
        p.angles[static_cast<std::size_t>(i)] = 24.0f * static_cast<float>(i);
        p.coefficients[static_cast<std::size_t>(i)] = 0.6f - 0.05f * static_cast<float>((i * 7) % 16);
    }
    p.type = type;
    avelor::normalize_wind_profile(p);
    if (type == avelor::kWindFitTrigonometric) {
        // Quarter points for the four-point fit.
        p.angles = {0, 90, 180, 270, 360, 360, 360, 360, 360, 360, 360, 360, 360, 360, 360, 360, 360};
        p.coefficients = {0.6f, -0.3f, -0.2f, -0.3f, 0.6f};
        avelor::normalize_wind_profile(p);
    }
    avelor::fit_wind_profile(p, avelor::WARNING);
    return p;
}

struct Path {
    const WindProfile* profile;
    double azimuth;
    WindProfileCursor cursor;
};

void run(benchmark::State& state, std::int16_t type, bool resume)
{
    std::vector<WindProfile> profiles;
    for (int k = 0; k < 4; ++k) profiles.push_back(wall_profile(type));
    std::mt19937 random(11);
    std::uniform_real_distribution<double> azimuths(0.0, 360.0);
    std::vector<Path> paths;
    for (int i = 0; i < kPaths; ++i) paths.push_back({&profiles[static_cast<std::size_t>(i % 4)], azimuths(random), {}});
    double wind_direction = 0;
    for (auto _ : state) {
        // The wind turns a little from one step to the next.
        wind_direction += 7.5;
        double sum = 0;
        for (Path& p : paths) {
            if (resume)
                sum += avelor::evaluate_wind_profile(*p.profile, wind_direction - p.azimuth, p.cursor);
            else
                sum += avelor::evaluate_wind_profile(*p.profile, wind_direction - p.azimuth);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPaths);
}

void BM_WindStepLinear(benchmark::State& state) { run(state, avelor::kWindFitLinear, true); }
void BM_WindStepLinearFreshSearch(benchmark::State& state) { run(state, avelor::kWindFitLinear, false); }
void BM_WindStepSpline(benchmark::State& state) { run(state, avelor::kWindFitSpline, true); }
void BM_WindStepTrigonometric(benchmark::State& state) { run(state, avelor::kWindFitTrigonometric, true); }

}  // namespace

BENCHMARK(BM_WindStepLinear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindStepLinearFreshSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindStepSpline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindStepTrigonometric)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
