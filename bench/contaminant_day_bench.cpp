// A transient contaminant day on the generated 12,500-zone building (25
// floors of 500 rooms joined by shafts): three trace species, one constant
// source in every room (the species taking turns), and on every floor a
// filtered outdoor-air supply (a constant-flow fan through a
// constant-efficiency filter into each room of the floor's north row).
// 288 steps of 5 minutes through the engine's run loop with hourly
// results, the airflow solved at every step (warm-started). The
// airflow-only variant runs the same building without species, so the
// difference of the two medians is the contaminants' share of a step.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "engine_network_generator.h"
#include "model/filter_element.h"
#include "model/source_element.h"
#include "model/species.h"
#include "simulation_run.h"

namespace {

using namespace avelor;

constexpr int kFloors = 25;

std::unique_ptr<Project> contaminant_building(bool contaminants)
{
    bench::NetworkOptions options;
    options.floors = kFloors;
    std::unique_ptr<Project> p = bench::make_building(options);
    RunControl& rc = p->rc;
    rc.sim_af = 1;  // the steady weather solved again at every step
    rc.sim_mf = 2;  // transient; without species only the airflow is solved
    rc.date_0 = 1;
    rc.time_0 = 0;
    rc.date_1 = 1;
    rc.time_1 = 86400;
    rc.t_step = 300;
    rc.t_list = 3600;

    AirflowElement* fan = bench::add_network_element(*p, "supply", kFanCmf, [](AirflowElement& e) {
        std::get<ConstantFlowData>(e.data).Flow = 0.01f;
    });
    // The supply paths go in per floor, after the generated ones.
    std::vector<Zone*> north_rooms;
    for (Zone& zone : p->zones)
        if (zone.name.find("_1_") != std::string::npos) north_rooms.push_back(&zone);

    std::vector<SourceElement*> elements;
    Filter* floor_filter = nullptr;
    if (contaminants) {
        const char* names[] = {"CO2", "HCHO", "PM"};
        const float weights[] = {44.01f, 30.03f, 0};
        for (int k = 0; k < 3; ++k) {
            Species s = new_species();
            s.name = names[k];
            s.molwt = weights[k] > 0 ? weights[k] : 100;
            if (weights[k] == 0) s.mdiam = 2.5e-6f;
            p->species.insert_copy(s);
        }
        rebuild_contaminants(*p);
        for (int k = 0; k < 3; ++k) {
            SourceElement e = new_source_element(kSrcCcf, p->Ctm[static_cast<std::size_t>(k)]);
            e.name = std::string("src_").append(names[k]);
            e.v[0] = 1e-8f;  // G, kg/s
            e.v[1] = 0;
            elements.push_back(p->source_elements.insert_copy(e));
        }
        FilterElement cef = new_filter_element(kFltCef);
        cef.name = "supply_filter";
        cef.data = ConstantEfficiencyData{{p->Ctm[0], p->Ctm[1], p->Ctm[2]}, {0.1f, 0.5f, 0.9f}};
        FilterElement* element = p->filter_elements.insert_copy(cef);
        Filter filter;
        filter.element = element;
        filter.loads = loads_for(element);
        floor_filter = p->filters.add(filter);
        int k = 0;
        for (Zone& zone : p->zones) {
            SourceSink source;
            source.zone = &zone;
            source.element = elements[static_cast<std::size_t>(k++ % 3)];
            source.mult = 1;
            p->sources.add(source);
        }
    }
    for (Zone* room : north_rooms) {
        p->current_level = room->level;
        FlowPath* supply = bench::add_network_path(*p, ZoneRef::ambient(), room, fan, 1.5f);
        // Each supply has a filter of its own, as the editor makes them.
        if (floor_filter) {
            Filter own;
            own.element = floor_filter->element;
            own.loads = loads_for(own.element);
            supply->filter = p->filters.add(own);
        }
    }
    return p;
}

void contaminant_day(benchmark::State& state, bool contaminants)
{
    const std::unique_ptr<Project> project = contaminant_building(contaminants);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string sim = (folder / "avelor_contaminant_day_bench.sim").string();
    const std::string rst = (folder / "avelor_contaminant_day_bench.rst").string();
    long long steps = 0;
    engine::RunOptions options;
    options.progress = [&](const engine::RunProgress&) { ++steps; };
    for (auto _ : state) {
        try {
            engine::NetworkFlowModel flows(*project);
            const engine::RunOutcome outcome = engine::run_simulation(*project, flows, sim, rst, options);
            if (outcome != engine::RunOutcome::Finished) state.SkipWithError("the run did not finish");
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    std::error_code ec;
    state.counters["zones"] = static_cast<double>(project->zones.count());
    state.counters["sources"] = static_cast<double>(project->sources.count());
    state.counters["filters"] = static_cast<double>(project->filters.count());
    state.counters["steps/run"] =
        static_cast<double>(steps) / static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    std::filesystem::remove(sim, ec);
    std::filesystem::remove(rst, ec);
}

void BM_ContaminantDayAirflowOnly(benchmark::State& state) { contaminant_day(state, false); }
void BM_ContaminantDayThreeSpecies(benchmark::State& state) { contaminant_day(state, true); }

}  // namespace

BENCHMARK(BM_ContaminantDayAirflowOnly)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ContaminantDayThreeSpecies)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

BENCHMARK_MAIN();
