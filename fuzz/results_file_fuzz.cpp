// The results file: the header and its check against the project, the
// maps, every day and step and the single-record reads. The project is made
// with the counts the file's own header names (when they are small), so
// that the maps and the steps are reached and not refused at the counts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/project.h"
#include "model/species.h"
#include "simulation/results_layout.h"
#include "simulation/results_reader.h"

using namespace avelor;

namespace {

constexpr int kMaxCount = 40;
constexpr std::int64_t kMaxSteps = 64;

int small(std::int32_t count) { return count >= 0 && count <= kMaxCount ? count : 0; }

void make_project(Project& p, const ResultsHeader& h)
{
    for (int i = 0; i < small(h.nzones); ++i) add_zone(p, new_zone(p));
    for (int i = 0; i < small(h.npaths); ++i) add_path(p, FlowPath{});
    for (int i = 0; i < small(h.njct); ++i) add_junction(p, Junction{});
    for (int c = 0; c < std::min(small(h.nctm), 4); ++c) {
        Species s;
        s.name = "C" + std::to_string(c);
        p.Ctm.push_back(p.species.insert_copy(s));
        p.CC0.push_back(0);
    }
}

void walk_day(ResultsReader& reader, const ResultsHeader& h)
{
    const std::int64_t n = std::min<std::int64_t>(reader.last_step(), kMaxSteps);
    for (std::int64_t k = 0; k <= n; ++k) {
        reader.shown_time(k);
        if (!reader.load_step(k)) continue;
        ResultsTimeRecord time;
        reader.read_time_record(k, time);
        for (std::int32_t i = 0; i <= std::min(h.npath, 3) + 1; ++i) {
            PathResult path;
            reader.read_path(i, k, path);
            reader.path(i);
        }
        for (std::int32_t i = 0; i <= std::min(h.naf, 3) + 1; ++i) {
            NodeAirflowResult node;
            reader.read_node_airflow(i, k, node);
            reader.node(i);
        }
        for (std::int32_t i = 0; i <= std::min(h.ncn, 3) + 1; ++i) {
            NodeConcentrationResult conc;
            reader.read_node_concentrations(i, k, conc);
        }
        std::vector<float> all;
        reader.read_step_concentrations(k, all);
    }
    reader.shown_time(-1);
    reader.shown_time(n + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::install_quiet_port();
    const std::string path = fuzz::write_input("input.sim", data, size);
    fuzz::without_fatal([&] {
        reset_error_count();
        ResultsHeader h;
        if (size >= kResultsHeaderSize) h = decode_results_header(data);
        results_header_fault(h, size);
        read_results_header(path);
        Project project;
        make_project(project, h);
        check_results(path, project);
        ResultsReader reader;
        if (!reader.open(path, project, "")) return;
        const int first = reader.day();
        walk_day(reader, h);
        // The navigation: every day held (a few), and the days around them.
        for (int n = 0; n < std::min(reader.layout().day_count(), 4); ++n) {
            const int d = reader.layout().nth_day(n);
            if (reader.load_day(d)) walk_day(reader, h);
        }
        for (int d : {first - 1, first + 1, 0, 366, 400, -5})
            if (reader.load_day(d)) walk_day(reader, h);
        reader.close();
    });
    return 0;
}
