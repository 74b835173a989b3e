// A transient day on the generated 10,000-zone building (20 floors of 500
// rooms joined by shafts): 288 steps of 5 minutes through the engine's run
// loop, with hourly results written to a temporary file. The airflow is
// solved at every step (warm-started from the step before); the second
// variant also carries a trace contaminant through every room. Each
// iteration is a whole run: the network is built (its symbolic analysis
// included), the day simulated and the results file written. The third
// variant adds a constant source to every room, a deposition surface with
// resuspension to every tenth and 100 occupants generating the tracer as
// they move between two rooms, with their exposure file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "engine_network_generator.h"
#include "model/species.h"
#include "simulation_run.h"

namespace {

using namespace avelor;

std::unique_ptr<Project> transient_building(bool tracer, bool sources = false)
{
    std::unique_ptr<Project> p = bench::make_building();
    RunControl& rc = p->rc;
    rc.sim_af = 1;  // the steady weather solved again at every step
    rc.sim_mf = tracer ? 2 : 0;
    rc.date_0 = 1;
    rc.time_0 = 0;
    rc.date_1 = 1;
    rc.time_1 = 86400;
    rc.t_step = 300;
    rc.t_list = 3600;
    if (tracer) {
        Species species = new_species();
        species.name = "tracer";
        species.molwt = 146.06f;
        p->species.insert_copy(species);
        rebuild_contaminants(*p);
        for (Zone& zone : p->zones) zone.CC0 = {1e-3f};
    }
    if (sources) {
        Species* tracer_species = p->Ctm.front();
        SourceElement ccf = new_source_element(kSrcCcf, tracer_species);
        ccf.name = "emission";
        ccf.v = {1e-8f, 1e-4f};
        SourceElement* emission = p->source_elements.insert_copy(ccf);
        SourceElement dvr = new_source_element(kSrcDvr, tracer_species);
        dvr.name = "surface";
        dvr.v = {1e-4f, 1e-5f, 10, 10};
        SourceElement* surface = p->source_elements.insert_copy(dvr);
        std::vector<Zone*> rooms;
        for (Zone& zone : p->zones) rooms.push_back(&zone);
        for (std::size_t i = 0; i < rooms.size(); ++i) {
            SourceSink s;
            s.zone = rooms[i];
            s.element = emission;
            s.mult = 1;
            p->sources.add(s);
            if (i % 10 == 0) {
                s.element = surface;
                p->sources.add(s);
            }
        }
        for (int k = 0; k < 100; ++k) {
            OccupancySchedule day = new_occupancy_schedule(0);
            day.name = "occ" + std::to_string(k);
            Zone* home = rooms[static_cast<std::size_t>(k * 97) % rooms.size()];
            Zone* work = rooms[static_cast<std::size_t>(k * 89 + 13) % rooms.size()];
            day.points = {{0, home}, {8 * 3600, work}, {17 * 3600, home}, {86400, home}};
            Exposure person = new_exposure(*p);
            person.occupancy.fill(p->occupancy_schedules.insert_copy(day));
            ExposureGeneration g;
            g.species = tracer_species;
            g.rate = 1e-7f;
            person.generations.push_back(g);
            p->exposures.add(person);
        }
    }
    return p;
}

void transient_day(benchmark::State& state, bool tracer, bool sources = false)
{
    const std::unique_ptr<Project> project = transient_building(tracer, sources);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string sim = (folder / "avelor_transient_day_bench.sim").string();
    const std::string rst = (folder / "avelor_transient_day_bench.rst").string();
    long long steps = 0, iterations = 0;
    engine::RunOptions options;
    options.progress = [&](const engine::RunProgress& progress) {
        ++steps;
        iterations += progress.iterations;
    };
    for (auto _ : state) {
        engine::NetworkFlowModel flows(*project);
        const engine::RunOutcome outcome = engine::run_simulation(*project, flows, sim, rst, options);
        if (outcome != engine::RunOutcome::Finished) state.SkipWithError("the run did not finish");
    }
    std::error_code ec;
    state.counters["zones"] = static_cast<double>(project->zones.count());
    state.counters["paths"] = static_cast<double>(project->paths.count());
    state.counters["steps/run"] =
        static_cast<double>(steps) / static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    state.counters["iterations/step"] =
        static_cast<double>(iterations) / static_cast<double>(std::max(1LL, steps));
    state.counters["MB written"] = static_cast<double>(std::filesystem::file_size(sim, ec)) / 1e6;
    std::filesystem::remove(sim, ec);
    std::filesystem::remove(rst, ec);
    std::filesystem::remove(folder / "avelor_transient_day_bench.ebw", ec);
}

void BM_TransientDayAirflow(benchmark::State& state) { transient_day(state, false); }
void BM_TransientDayAirflowAndTracer(benchmark::State& state) { transient_day(state, true); }
void BM_TransientDayTracerSourcesOccupants(benchmark::State& state) { transient_day(state, true, true); }

}  // namespace

BENCHMARK(BM_TransientDayAirflow)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_TransientDayAirflowAndTracer)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

BENCHMARK(BM_TransientDayTracerSourcesOccupants)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

BENCHMARK_MAIN();
