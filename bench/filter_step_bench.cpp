// One contaminant time step on the generated 10,000-zone building with two
// species, once without filters and once with a filter on every flow path:
// constant efficiency, a gaseous filter whose efficiency is read from its
// loading curve every step, and a two-stage super filter. The airflow is
// solved once; each iteration is one backward Euler step (assembly with
// the filters' pass fractions, LU solve with the factors kept, and the
// filters' collection).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "airflow_network.h"
#include "contaminant_solver.h"
#include "engine_network_generator.h"
#include "model/filter_element.h"
#include "model/species.h"

namespace {

using namespace avelor;

enum class Kind { None, Constant, Gaseous, Super };

void filter_step(benchmark::State& state, Kind kind)
{
    const std::unique_ptr<Project> p = bench::make_building();
    for (const char* name : {"gas", "dust"}) {
        Species s = new_species();
        s.name = name;
        s.CCdef = 1e-5f;
        p->species.insert_copy(s);
    }
    rebuild_contaminants(*p);
    Species* gas = p->Ctm[0];
    FilterElement cef = new_filter_element(kFltCef);
    cef.name = "cef";
    cef.data = ConstantEfficiencyData{{gas}, {0.5f}};
    FilterElement gf = new_filter_element(kFltGf0);
    gf.name = "gf";
    gf.data = GaseousFilterData{{GaseousCurve{gas, 0.1f, {0, 0.1f, 0.2f, 0.3f}, {0.9f, 0.8f, 0.5f, 0.2f}}}};
    FilterElement* stored_cef = p->filter_elements.insert_copy(cef);
    FilterElement* stored_gf = p->filter_elements.insert_copy(gf);
    FilterElement spf = new_filter_element(kFltSpf);
    spf.name = "spf";
    spf.data = SuperFilterData{{stored_cef, stored_gf}};
    FilterElement* stored_spf = p->filter_elements.insert_copy(spf);
    FilterElement* element = kind == Kind::Constant ? stored_cef : kind == Kind::Gaseous ? stored_gf : stored_spf;
    if (kind != Kind::None)
        for (FlowPath& path : p->paths) {
            Filter f;
            f.element = element;
            f.loads = loads_for(element);
            path.filter = p->filters.add(f);
        }
    engine::AirflowNetwork network(*p);
    network.solve(engine::Weather{});
    engine::ContaminantSolver solver(engine::contaminant_model(*p, network.nodes(), network.links()), network.nodes(),
                                     network.links());
    for (auto _ : state) {
        solver.step(network.nodes(), network.links(), 300);
        benchmark::DoNotOptimize(solver.concentration(0, 0));
    }
    state.counters["links"] = static_cast<double>(network.links().size());
}

BENCHMARK_CAPTURE(filter_step, none, Kind::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter_step, constant, Kind::Constant)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter_step, gaseous, Kind::Gaseous)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter_step, super, Kind::Super)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
