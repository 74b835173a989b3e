// Schedules in the engine.
//
// BM_FollowSchedules: one step's schedules on a generated building of
// about 10,000 flow paths, every path following one of four week
// schedules: each schedule evaluated once, then every path's multiplier
// set. The two instants taken in turn lie on the schedules' morning ramp,
// so that every value changes at every call.
//
// BM_ScheduledExhaust*: the generated 10,000-zone building (20 floors of
// 500 rooms) with an exhaust fan on every floor that follows a working
// day (off at night, ramped up from 06:00 to 08:00, on to 18:00, ramped
// down by 19:00), a trace contaminant in every room, the steady weather
// and a steady airflow method: the airflow is solved again, warm-started,
// only at the steps whose scheduled values changed; the tracer is stepped
// every hour. A week (168 steps) and a year (8,760 steps) at 1-hour steps,
// with the daily concentrations written; each iteration is a whole run,
// the network's build included.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "airflow_network.h"
#include "engine_network_generator.h"
#include "model/schedules.h"
#include "model/species.h"
#include "simulation_run.h"

namespace {

using namespace avelor;

constexpr std::int32_t kHour = 3600;

// The working day of the exhaust fans, with its peak value.
WeekSchedule* add_working_week(Project& p, const std::string& name, float peak)
{
    DaySchedule day = new_day_schedule(kScheduleDimensionless, 0);
    day.name = name + "_day";
    day.shap = kShapeTrapezoidal;
    day.points = {{0, 0}, {6 * kHour, 0}, {8 * kHour, peak}, {18 * kHour, peak}, {19 * kHour, 0}, {24 * kHour, 0}};
    DaySchedule* stored = p.day_schedules.insert_copy(day);
    WeekSchedule week = new_week_schedule(kScheduleDimensionless, 0);
    week.name = name;
    week.days.fill(stored);
    return p.week_schedules.insert_copy(week);
}

void BM_FollowSchedules(benchmark::State& state)
{
    bench::NetworkOptions options;
    options.floors = 10;  // about 10,600 flow paths
    std::unique_ptr<Project> p = bench::make_building(options);
    WeekSchedule* weeks[] = {add_working_week(*p, "w1", 1.0f), add_working_week(*p, "w2", 0.8f),
                             add_working_week(*p, "w3", 0.6f), add_working_week(*p, "w4", 0.4f)};
    int k = 0;
    for (FlowPath& path : p->paths) path.schedule = weeks[k++ % 4];
    engine::AirflowNetwork network(*p);
    const double instants[] = {6.5 * kHour, 7.0 * kHour};
    std::size_t turn = 0;
    for (auto _ : state) {
        const bool changed = network.follow_schedules(2, instants[turn++ % 2]);
        benchmark::DoNotOptimize(changed);
    }
    state.counters["paths"] = static_cast<double>(p->paths.count());
    state.counters["schedules"] = 4;
}

// The network, counting the airflow solves and their Newton iterations.
class CountingFlows final : public engine::FlowModel {
public:
    explicit CountingFlows(const Project& project) : network_(project) {}
    const std::vector<engine::Node>& nodes() const override { return network_.nodes(); }
    const std::vector<engine::Link>& links() const override { return network_.links(); }
    engine::SolveReport solve(const engine::Weather& weather) override
    {
        const engine::SolveReport report = network_.solve(weather);
        ++solves;
        iterations += report.iterations;
        if (!report.converged) ++unconverged;
        return report;
    }
    bool follow_schedules(int day_type, double seconds) override
    {
        return network_.follow_schedules(day_type, seconds);
    }
    long long solves = 0, iterations = 0, unconverged = 0;

private:
    engine::AirflowNetwork network_;
};

std::unique_ptr<Project> scheduled_building(int days)
{
    std::unique_ptr<Project> p = bench::make_building();
    WeekSchedule* week = add_working_week(*p, "working", 1.0f);
    AirflowElement* fan = bench::add_network_element(*p, "exhaust", kFanCmf, [](AirflowElement& e) {
        std::get<ConstantFlowData>(e.data).Flow = 0.05f;
    });
    // One exhaust per floor, from a room in the middle of its plan.
    const bench::NetworkOptions o;
    const int per_floor = o.rows * o.cols;
    for (Level* level = p->lowest_level; level; level = level->above) {
        p->current_level = level;
        const int floor = static_cast<int>(level->refHt / o.floor_height + 0.5f);
        Zone* room = p->zones.at(floor * per_floor + (o.rows / 2) * o.cols + o.cols / 2 + 1);
        bench::add_network_path(*p, room, ZoneRef::ambient(), fan, 2.5f)->schedule = week;
    }
    Species species = new_species();
    species.name = "tracer";
    species.molwt = 146.06f;
    p->species.insert_copy(species);
    rebuild_contaminants(*p);
    for (Zone& zone : p->zones) zone.CC0 = {1e-3f};
    RunControl& rc = p->rc;
    rc.steady.day = 2;
    rc.sim_af = 0;
    rc.sim_mf = 2;
    rc.date_0 = 1;
    rc.time_0 = 0;
    rc.date_1 = days;  // 1..365
    rc.time_1 = 86400;
    rc.t_step = kHour;
    rc.t_list = 86400;  // daily results: a year of hourly ones would fill gigabytes
    rc.pfsave = rc.zfsave = 0;
    rc.zcsave = 1;
    return p;
}

void scheduled_exhaust(benchmark::State& state, int days)
{
    const std::unique_ptr<Project> project = scheduled_building(days);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string sim = (folder / "avelor_schedule_bench.sim").string();
    const std::string rst = (folder / "avelor_schedule_bench.rst").string();
    long long steps = 0, solves = 0, iterations = 0, unconverged = 0;
    engine::RunOptions options;
    options.progress = [&](const engine::RunProgress&) { ++steps; };
    for (auto _ : state) {
        CountingFlows flows(*project);
        const engine::RunOutcome outcome = engine::run_simulation(*project, flows, sim, rst, options);
        if (outcome != engine::RunOutcome::Finished) state.SkipWithError("the run did not finish");
        solves += flows.solves;
        iterations += flows.iterations;
        unconverged += flows.unconverged;
    }
    const double runs = static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    std::error_code ec;
    state.counters["zones"] = static_cast<double>(project->zones.count());
    state.counters["paths"] = static_cast<double>(project->paths.count());
    state.counters["steps/run"] = static_cast<double>(steps) / runs;
    state.counters["solves/run"] = static_cast<double>(solves) / runs;
    state.counters["unconverged"] = static_cast<double>(unconverged) / runs;
    state.counters["Newton/step"] = static_cast<double>(iterations) / static_cast<double>(std::max(1LL, steps));
    state.counters["Newton/solve"] = static_cast<double>(iterations) / static_cast<double>(std::max(1LL, solves));
    state.counters["MB written"] = static_cast<double>(std::filesystem::file_size(sim, ec)) / 1e6;
    std::filesystem::remove(sim, ec);
    std::filesystem::remove(rst, ec);
}

void BM_ScheduledExhaustWeek(benchmark::State& state) { scheduled_exhaust(state, 7); }
void BM_ScheduledExhaustYear(benchmark::State& state) { scheduled_exhaust(state, 365); }

}  // namespace

BENCHMARK(BM_FollowSchedules)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduledExhaustWeek)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ScheduledExhaustYear)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(1);

BENCHMARK_MAIN();
