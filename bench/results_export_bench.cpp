// Results exports over a year of hourly results of 1,000 zones and five
// contaminants: the transient concentration report (one section per zone,
// each step's records read once as one block and fanned out) and the
// all-zones export, against the 5 s a report of this size may take.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "editing/editor_session.h"
#include "model/project.h"
#include "simulation/results_export.h"
#include "simulation/results_mode.h"

#include "../tests/support/results_file_maker.h"

namespace {

constexpr int kZones = 1000;
constexpr int kSpecies = 5;

struct YearOfResults {
    std::string dir = std::filesystem::temp_directory_path().string() + "/avelor_export_bench/";
    std::string prj = dir + "year.prj";
    std::string sim = dir + "year.sim";
    std::string out = dir + "out.txt";
    avelor::EditorSession session;
    avelor::ResultsMode mode;
    avelor::ExportContext context;
    bool ready = false;

    YearOfResults()
    {
        std::filesystem::create_directories(dir);
        avelor::Project& p = session.project();
        avelor::Level* level = p.levels.add(avelor::Level{});
        level->name = "L1";
        p.current_level = p.lowest_level = p.top_level = level;
        for (int c = 0; c < kSpecies; ++c) {
            avelor::Species s;
            s.name = std::string("S").append(std::to_string(c + 1));
            p.Ctm.push_back(p.species.insert_copy(s));
            p.CC0.push_back(0);
        }
        for (int i = 0; i < kZones; ++i) {
            avelor::Zone* z = avelor::add_zone(p, avelor::new_zone(p));
            z->level = level;
            z->name = std::string("Z").append(std::to_string(i + 1));
            level->icons.push_back({static_cast<std::int16_t>(1 + i / 50), static_cast<std::int16_t>(1 + i % 50), 5, i + 1});
        }
        p.mark_saved();
        session.document.path = prj;
        avelor::ResultsHeader h = avelor::testing::results_header(kZones, 0, kSpecies);
        h.tstep = 3600, h.dtres1 = 365, h.zc = 1, h.pf = 0, h.zf = 0;
        std::fprintf(stderr, "writing %s (%.2f GB) ...\n", sim.c_str(),
                     static_cast<double>(avelor::ResultsLayout(h).file_size()) / 1e9);
        if (!avelor::testing::write_results_file(sim, h).written) return;
        update_results_availability(session);
        ready = mode.enter(session);
        context = avelor::export_context(prj, p);
    }
    ~YearOfResults()
    {
        mode.leave();
        std::filesystem::remove_all(dir);
    }
};

YearOfResults& year()
{
    static YearOfResults files;
    return files;
}

void run(benchmark::State& state, avelor::ExportKind kind)
{
    YearOfResults& y = year();
    if (!y.ready) {
        state.SkipWithError("the results could not be made");
        return;
    }
    avelor::ExportRequest request;
    request.kind = kind;
    request.from = {1, 0};
    request.to = {365, 86400};
    for (auto _ : state) {
        const avelor::ExportOutcome outcome =
            avelor::write_results_export(y.mode.reader(), y.session.project(), y.context, request, y.out);
        if (!outcome.written) state.SkipWithError("the export failed");
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(y.out)) / 1e6;
}

void BM_TransientConcentrationReport(benchmark::State& state) { run(state, avelor::ExportKind::TransientReport); }
void BM_AllZonesConcentrationExport(benchmark::State& state) { run(state, avelor::ExportKind::ConcentrationExport); }

}  // namespace

BENCHMARK(BM_TransientConcentrationReport)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_AllZonesConcentrationExport)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

BENCHMARK_MAIN();
