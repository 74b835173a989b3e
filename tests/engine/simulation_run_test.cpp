#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/text_writer.h"
#include "bench/engine_network_generator.h"
#include "model/airflow_rules.h"
#include "model/filter_element.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "restart_file.h"
#include "simulation/results_layout.h"
#include "simulation_run.h"
#include "support/species_fixtures.h"
#include "support/test_files.h"
#include "support/le_bytes.h"

namespace avelor::engine {
namespace {

constexpr double kRho = 1.2041;
constexpr double kFlow = 0.05;
constexpr double kVolume = 100;
constexpr float kC0 = 1e-3f;

std::string temp_file(const std::string& name) { return ::testing::TempDir() + name; }

bool exists(const std::string& path) { return std::ifstream(path).good(); }

using avelor::testing::f32_at;
using avelor::testing::i16_at;
using avelor::testing::i32_at;

// One zone ventilated by a fan (path 1, ambient -> zone) and an opening
// (path 2, zone -> ambient), both carrying 0.05 kg/s.
class FixedFlows final : public FlowModel {
public:
    FixedFlows()
    {
        Node zone;
        zone.kind = NodeKind::Zone;
        zone.number = 1;
        zone.unknown = zone.variable_ctm = true;
        zone.volume = kVolume;
        zone.rho = kRho;
        Node ambient;
        ambient.kind = NodeKind::Ambient;
        nodes_ = {zone, ambient};
        Link fan;
        fan.number = 1;
        fan.n = 1;
        fan.m = 0;
        Link opening;
        opening.number = 2;
        opening.n = 0;
        opening.m = 1;
        links_ = {fan, opening};
    }
    const std::vector<Node>& nodes() const override { return nodes_; }
    const std::vector<Link>& links() const override { return links_; }
    SolveReport solve(const Weather& weather) override
    {
        ++solves;
        seen_Ta = weather.Ta;
        nodes_[0].p = 1.75;
        links_[0].dP = -1.75;
        links_[1].dP = 1.75;
        links_[0].F0 = links_[1].F0 = kFlow;
        return {2, true, 0, false};
    }
    int solves = 0;
    double seen_Ta = 0;

private:
    std::vector<Node> nodes_;
    std::vector<Link> links_;
};

// A project that matches FixedFlows: one zone, two paths, one trace
// contaminant with clean outdoor air; a transient run Jan 1 06:00 to Jan 2
// 24:00, 300 s steps, hourly output.
void fill_project(Project& project)
{
    Species* s = avelor::testing::add_species(project, "tracer", 0, 0);
    project.Ctm = {s};
    project.CC0 = {0};
    Zone zone;
    zone.flags = 3;
    zone.Vol = static_cast<float>(kVolume);
    zone.T0 = 293.15f;
    zone.CC0 = {kC0};
    add_zone(project, zone);
    add_path(project, FlowPath{});
    add_path(project, FlowPath{});
    RunControl& rc = project.rc;
    rc.sim_af = 0;
    rc.sim_mf = 2;
    rc.t_step = 300;
    rc.t_list = 3600;
    rc.date_0 = 1;
    rc.time_0 = 21600;
    rc.date_1 = 2;
    rc.time_1 = 86400;
    rc.steady.Ta = 280.0f;
}

TEST(SimulationRun, RunControlFaults)
{
    struct Case {
        const char* name;
        void (*change)(RunControl&);
        const char* words;
    };
    const std::array<Case, 10> cases{{
        {"calculation step 0", [](RunControl& rc) { rc.t_step = 0; }, "calculation time step cannot be"},
        {"output step 0", [](RunControl& rc) { rc.t_list = 0; }, "must divide 24 hours"},
        {"output step not dividing a day", [](RunControl& rc) { rc.t_list = 7000, rc.t_step = 1000; },
         "must divide 24 hours"},
        {"output step off the calculation grid", [](RunControl& rc) { rc.t_step = 700; },
         "must be multiple of the Calculation"},
        {"start off the output grid", [](RunControl& rc) { rc.time_0 = 1800; }, "Start time must be a multiple"},
        {"end before start", [](RunControl& rc) { rc.date_1 = 1, rc.time_1 = 3600; }, "ends before it starts"},
        {"day 366", [](RunControl& rc) { rc.date_1 = 366; }, "out of range"},
        {"airflow method 2", [](RunControl& rc) { rc.sim_af = 2; }, "not simulated by this engine yet"},
        {"contaminant file", [](RunControl& rc) { rc.sim_mf = 2, rc.contaminant_file = "c.ctm"; },
         "Contaminant files are not simulated by this engine yet"},
        {"restart", [](RunControl& rc) { rc.restart = 1; }, "restart file is not simulated"},
    }};
    Project project;
    fill_project(project);
    EXPECT_EQ(run_control_fault(project.rc), "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunControl rc = project.rc;
        c.change(rc);
        const std::string fault = run_control_fault(rc);
        EXPECT_NE(fault.find(c.words), std::string::npos) << fault;
    }
    // A steady run does not step in time: its calculation step is not judged.
    RunControl steady = project.rc;
    steady.sim_mf = 1;
    steady.t_step = 0;
    EXPECT_EQ(run_control_fault(steady), "");
}

TEST(SimulationRun, PlansTheLastOutputInstant)
{
    struct Case {
        const char* name;
        int date_0, time_0, date_1, time_1, t_step, t_list;
        int last_day, last_time;
        long long steps;
    };
    const std::array<Case, 5> cases{{
        {"to 24:00 of the last day", 1, 21600, 2, 86400, 300, 3600, 2, 86400, (86400 + 86400 - 21600) / 300},
        {"to 00:00 of the last day", 10, 0, 11, 0, 600, 3600, 11, 0, 86400 / 600},
        {"across the year's end", 365, 0, 1, 43200, 3600, 3600, 1, 43200, 36},
        {"end off the output grid", 5, 0, 5, 5400, 300, 3600, 5, 3600, 18},
        {"end off the calculation grid", 5, 0, 5, 5500, 300, 900, 5, 5400, 18},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunControl rc;
        rc.sim_af = 1;
        rc.date_0 = c.date_0, rc.time_0 = c.time_0, rc.date_1 = c.date_1, rc.time_1 = c.time_1;
        rc.t_step = c.t_step, rc.t_list = c.t_list;
        ASSERT_EQ(run_control_fault(rc), "");
        const RunPlan plan = plan_run(rc, 0);
        EXPECT_TRUE(plan.transient);
        EXPECT_EQ(plan.first_day, c.date_0);
        EXPECT_EQ(plan.first_time, c.time_0);
        EXPECT_EQ(plan.last_day, c.last_day);
        EXPECT_EQ(plan.last_time, c.last_time);
        EXPECT_EQ(plan.steps, c.steps);
    }
}

TEST(SimulationRun, TransientRunWritesEveryDayAndDecaysTheTracer)
{
    Project project;
    fill_project(project);
    FixedFlows flows;
    const std::string sim = temp_file("decay.sim"), rst = temp_file("decay.rst");
    int progress_calls = 0;
    RunOptions options;
    options.progress = [&](const RunProgress&) { ++progress_calls; };
    ASSERT_EQ(run_simulation(project, flows, sim, rst, options), RunOutcome::Finished);
    EXPECT_EQ(flows.solves, 1);  // steady weather, no schedules: one airflow solve
    EXPECT_EQ(progress_calls, 1 + (86400 + 86400 - 21600) / 300);

    const std::string bytes = avelor::testing::read_file(sim);
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kResultsHeaderSize));
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(h.nzones, 1);
    EXPECT_EQ(h.npaths, 2);
    EXPECT_EQ(h.nctm, 1);
    EXPECT_EQ(h.tstep, 3600);
    EXPECT_EQ(h.dtres0, 1);
    EXPECT_EQ(h.tmres0, 21600);
    EXPECT_EQ(h.dtres1, 2);
    EXPECT_EQ(h.tmres1, 86400);
    EXPECT_EQ(h.zc, 1);
    EXPECT_EQ(h.naf, 2);
    EXPECT_EQ(h.npath, 2);
    ASSERT_EQ(results_header_fault(h, bytes.size()), "");
    const ResultsLayout layout(h);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());

    // Every output instant where the layout puts it, the tracer at
    // C0 / (1 + lambda dt)^k after k calculation steps.
    const double lambda = kFlow / (kRho * kVolume);
    for (int day : {1, 2}) {
        SCOPED_TRACE(day);
        for (std::int64_t k = 0; k <= layout.last_step(day); ++k) {
            const std::int64_t at = layout.step_position(day, k);
            const std::int32_t time = layout.first_time(day) + static_cast<std::int32_t>(k) * 3600;
            EXPECT_EQ(i16_at(bytes, at), day);
            EXPECT_EQ(i32_at(bytes, at + 4), time);
            EXPECT_EQ(f32_at(bytes, at + 8), 280.0f);
            const long long steps = ((day - 1) * 86400LL + time - 21600) / 300;
            const double expected = kC0 * std::pow(1 + lambda * 300, -static_cast<double>(steps));
            EXPECT_EQ(i32_at(bytes, layout.conc_position(day, k, 1)), 1);
            EXPECT_NEAR(f32_at(bytes, layout.conc_position(day, k, 1) + 4), expected, 1e-6 * expected + 1e-30);
            EXPECT_EQ(f32_at(bytes, layout.path_position(day, k, 1) + 8), static_cast<float>(kFlow));
            EXPECT_EQ(f32_at(bytes, layout.node_position(day, k, 1) + 8), 1.75f);
        }
    }
    // 24:00 of day 1 and 00:00 of day 2 are one instant, stored twice.
    const std::int64_t end1 = layout.step_position(1, layout.last_step(1));
    const std::int64_t start2 = layout.step_position(2, 0);
    EXPECT_EQ(i32_at(bytes, end1 + 4), 86400);
    EXPECT_EQ(i32_at(bytes, start2 + 4), 0);
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(end1 + 8), static_cast<std::size_t>(layout.step_size() - 8)),
              bytes.substr(static_cast<std::size_t>(start2 + 8), static_cast<std::size_t>(layout.step_size() - 8)));
    // The daily maxima: largest |dP| of each path.
    EXPECT_EQ(f32_at(bytes, layout.path_position(2, layout.last_step(2) + 1, 1) + 4), 1.75f);

    const std::string restart = avelor::testing::read_file(rst);
    ASSERT_GE(restart.size(), static_cast<std::size_t>(kRestartHeaderSize));
    const RestartHeader r = decode_restart_header(reinterpret_cast<const unsigned char*>(restart.data()));
    EXPECT_EQ(r.nzones, 1);
    EXPECT_EQ(r.npaths, 2);
    EXPECT_EQ(r.nctm, 1);
    EXPECT_EQ(r.first_day, 1);
    EXPECT_EQ(r.last_day, 2);
    // Two blocks of 16 bytes and 3 doubles (p, T, C of the zone).
    EXPECT_EQ(restart.size(), static_cast<std::size_t>(kRestartHeaderSize + 2 * (16 + 3 * 8)));
}

// FixedFlows with its answer changed after each solve: a transient
// airflow whose zone pressure or report a test spoils.
class SpoiledFlows final : public FlowModel {
public:
    explicit SpoiledFlows(std::function<void(std::vector<Node>&, SolveReport&, int solve)> spoil)
        : spoil_(std::move(spoil))
    {
    }
    const std::vector<Node>& nodes() const override { return nodes_; }
    const std::vector<Link>& links() const override { return base_.links(); }
    SolveReport solve(const Weather& weather) override
    {
        SolveReport report = base_.solve(weather);
        nodes_ = base_.nodes();
        spoil_(nodes_, report, base_.solves);
        return report;
    }

private:
    FixedFlows base_;
    std::vector<Node> nodes_;
    std::function<void(std::vector<Node>&, SolveReport&, int)> spoil_;
};

// A step whose airflow did not converge is a warning naming the step, the
// iterations and the worst node, and the run goes on; one whose airflow is
// physically impossible ends the run with no results file.
TEST(SimulationRun, UnconvergedStepsWarnAndImpossibleAirflowFails)
{
    Project project;
    fill_project(project);
    project.zones.at(1)->name = "hall";
    project.rc.sim_af = 1;  // the airflow solved every step
    project.rc.date_1 = 1;
    project.rc.time_1 = 21600 + 900;
    const std::string sim = temp_file("spoiled.sim"), rst = temp_file("spoiled.rst");
    {
        SpoiledFlows flows([](std::vector<Node>&, SolveReport& report, int solve) {
            if (solve != 3) return;
            report = SolveReport{};
            report.iterations = 30;
            report.worst_node = 0;
            report.worst_imbalance = 2.5e-4;
            report.worst_through = 0.1;
        });
        std::vector<std::string> warnings;
        RunOptions options;
        options.warning = [&](const std::string& text) { warnings.push_back(text); };
        ASSERT_EQ(run_simulation(project, flows, sim, rst, options), RunOutcome::Finished);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0], "Jan01 06:10:00: the airflow did not converge in 30 iterations; the worst node, zone "
                               "hall, is out of balance by 0.00025 kg/s of 0.1 kg/s through it.");
        EXPECT_TRUE(exists(sim));
    }
    struct Impossible {
        const char* name;
        double p, rho;
        std::string fault;
    };
    const std::vector<Impossible> cases{
        {"pressure", 3e10, 1.2, "zone hall has a pressure of 3e+10 Pa and a density of 1.2 kg/m3"},
        {"density", 1e5, 356507, "zone hall has a pressure of 1e+05 Pa and a density of 3.565e+05 kg/m3"},
        {"not a number", std::nan(""), 1.2, "zone hall has a pressure of nan Pa"},
    };
    for (const Impossible& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(sim.c_str());
        SpoiledFlows flows([&](std::vector<Node>& nodes, SolveReport&, int solve) {
            if (solve < 2) return;
            nodes[0].p = c.p;
            nodes[0].rho = c.rho;
        });
        try {
            run_simulation(project, flows, sim, rst, RunOptions{});
            ADD_FAILURE() << "the run finished";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("The airflow at Jan01 06:05:00 is physically impossible: " + c.fault),
                      std::string::npos)
                << e.what();
        }
        EXPECT_FALSE(exists(sim));
        EXPECT_FALSE(exists(sim + ".part"));
    }
}

TEST(SimulationRun, SteadyRunWritesOneInstantAndItsMaxima)
{
    Project project;
    fill_project(project);
    project.rc.sim_mf = 1;  // steady contaminants: outdoor air throughout
    project.Ctm.front()->CCdef = 2e-5f;
    project.rc.date_st = 200;
    project.rc.time_st = 43200;
    FixedFlows flows;
    const std::string sim = temp_file("steady.sim"), rst = temp_file("steady.rst");
    ASSERT_EQ(run_simulation(project, flows, sim, rst, RunOptions{}), RunOutcome::Finished);
    const std::string bytes = avelor::testing::read_file(sim);
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(h.dtres0, 200);
    EXPECT_EQ(h.dtres1, 200);
    EXPECT_EQ(h.tmres0, 43200);
    EXPECT_EQ(h.tmres1, 43200);
    const ResultsLayout layout(h);
    EXPECT_EQ(layout.records_in_day(200), 2);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());
    EXPECT_EQ(i32_at(bytes, layout.step_position(200, 0) + 4), 43200);
    EXPECT_EQ(i32_at(bytes, layout.step_position(200, 1) + 4), 43200);
    EXPECT_FLOAT_EQ(f32_at(bytes, layout.conc_position(200, 0, 1) + 4), 2e-5f);
    EXPECT_FLOAT_EQ(f32_at(bytes, layout.step_position(200, 0) + 24), 2e-5f);  // outdoor
}

TEST(SimulationRun, CyclicRunWritesTheDayItConvergedTo)
{
    Project project;
    fill_project(project);
    project.rc.sim_mf = 3;
    project.rc.date_st = 10;
    project.Ctm.front()->CCdef = 2e-5f;
    FixedFlows flows;
    int cycles = 0;
    RunOptions options;
    options.progress = [&](const RunProgress& p) {
        if (p.time == 86400 && p.fraction == 0.0)
            cycles = p.iterations;
    };
    const std::string sim = temp_file("cyclic.sim"), rst = temp_file("cyclic.rst");
    ASSERT_EQ(run_simulation(project, flows, sim, rst, options), RunOutcome::Finished);
    EXPECT_GT(cycles, 1);
    EXPECT_LE(cycles, project.rc.cyclic.maxi);
    const std::string bytes = avelor::testing::read_file(sim);
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(h.dtres0, 10);
    EXPECT_EQ(h.dtres1, 10);
    EXPECT_EQ(h.tmres0, 0);
    EXPECT_EQ(h.tmres1, 86400);
    const ResultsLayout layout(h);
    ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());
    // Constant flows of outdoor air: the repeating day holds the outdoor
    // concentration at its start and at its end.
    for (std::int64_t k : {std::int64_t{0}, layout.last_step(10)})
        EXPECT_NEAR(f32_at(bytes, layout.conc_position(10, k, 1) + 4), 2e-5, 2e-5 * 1e-3) << k;
}

// The fan's supply of outdoor air passes a gaseous filter (1 kg) that
// keeps half until it holds 0.1 kg/kg and nothing after. One day loads it
// by 0.5 F Cout 86400 s = 0.0432 kg/kg: every repeat of the cyclic day
// starts from the project's loading, so the written day never breaks
// through and the room holds half the outdoor concentration throughout
// (the repeats together would have loaded it beyond its curve).
TEST(SimulationRun, CyclicDayRepeatsStartFromTheFiltersLoading)
{
    Project project;
    fill_project(project);
    project.rc.sim_mf = 3;
    project.rc.date_st = 10;
    Species* tracer = project.Ctm.front();
    tracer->CCdef = 2e-5f;
    FilterElement e = new_filter_element(kFltGf0);
    e.name = "carbon";
    e.density = 64;
    e.area = 0.5f;
    e.depth = 0.03125f;
    e.data = GaseousFilterData{{GaseousCurve{tracer, 0, {0, 0.03f, 0.06f, 0.1f}, {0.5f, 0.5f, 0.5f, 0.5f}}}};
    Filter filter;
    filter.element = project.filter_elements.insert_copy(e);
    filter.loads = loads_for(filter.element);
    project.paths.at(1)->filter = project.filters.add(filter);
    FixedFlows flows;
    int cycles = 0;
    RunOptions options;
    options.progress = [&](const RunProgress& p) {
        if (p.time == 86400 && p.fraction == 0.0)
            cycles = p.iterations;
    };
    const std::string sim = temp_file("cyclic_filter.sim"), rst = temp_file("cyclic_filter.rst");
    ASSERT_EQ(run_simulation(project, flows, sim, rst, options), RunOutcome::Finished);
    EXPECT_GT(cycles, 3);
    const double day_load = 0.5 * kFlow * static_cast<double>(2e-5f) * 86400;
    EXPECT_LT(day_load, 0.1);
    EXPECT_GT(3 * day_load, 0.1);  // three days would break through
    const std::string bytes = avelor::testing::read_file(sim);
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    const ResultsLayout layout(h);
    ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());
    for (std::int64_t k : {std::int64_t{0}, layout.last_step(10)})
        EXPECT_NEAR(f32_at(bytes, layout.conc_position(10, k, 1) + 4), 1e-5, 1e-5 * 1e-3) << k;
}

TEST(SimulationRun, StopAbandonsTheResultsAndClosesTheRestartFile)
{
    Project project;
    fill_project(project);
    FixedFlows flows;
    const std::string sim = temp_file("stopped.sim"), rst = temp_file("stopped.rst");
    {
        std::ofstream earlier(sim, std::ios::binary);
        earlier << "earlier results";
    }
    std::atomic<bool> stop{false};
    int calls = 0;
    RunOptions options;
    options.stop = &stop;
    // Stop half-way through day 2, after day 1 has ended.
    options.progress = [&](const RunProgress& p) {
        ++calls;
        if (p.day == 2 && p.time == 43200)
            stop.store(true);
    };
    EXPECT_EQ(run_simulation(project, flows, sim, rst, options), RunOutcome::Stopped);
    EXPECT_EQ(calls, 1 + (86400 - 21600 + 43200) / 300);
    EXPECT_EQ(avelor::testing::read_file(sim), "earlier results");
    EXPECT_FALSE(exists(sim + ".part"));
    // The restart file holds the finished day 1 and is complete.
    const std::string restart = avelor::testing::read_file(rst);
    ASSERT_EQ(restart.size(), static_cast<std::size_t>(kRestartHeaderSize + 16 + 3 * 8));
    const RestartHeader r = decode_restart_header(reinterpret_cast<const unsigned char*>(restart.data()));
    EXPECT_EQ(r.first_day, 1);
    EXPECT_EQ(r.last_day, 1);
}

TEST(SimulationRun, InstantTextAndFileNames)
{
    EXPECT_EQ(run_instant_text(1, 21600), "Jan01 06:00:00");
    EXPECT_EQ(run_instant_text(59, 86400), "Feb28 24:00:00");
    EXPECT_EQ(run_instant_text(60, 3661), "Mar01 01:01:01");
    EXPECT_EQ(run_instant_text(365, 0), "Dec31 00:00:00");
    EXPECT_EQ(beside_project("/a/b/house.prj", ".sim"), "/a/b/house.sim");
    EXPECT_EQ(beside_project("house.prj", ".rst"), "house.rst");
}

// --- The program -----------------------------------------------------------

int run_program(const std::string& arguments, const std::string& output = "/dev/null")
{
    const std::string command = std::string("\"") + AVELOR_ENGINE_PATH + "\" " + arguments + " >\"" + output +
                                "\" 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The shipped two-room example, read and written again by the core with
// the run control a test wants.
std::string write_example(const std::string& name, void (*change)(RunControl&))
{
    Project project;
    const std::string source = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
    EXPECT_EQ(read_project(source, project, ReadOptions{}), 0);
    change(project.rc);
    TextWriter out;
    write_project(out, project);
    const std::string path = temp_file(name + ".prj");
    std::ofstream(path, std::ios::binary) << out.text();
    return path;
}

TEST(EngineProgram, VersionAndArguments)
{
    const std::string out = temp_file("version.txt");
    EXPECT_EQ(run_program("--version", out), 0);
    std::string expected = std::string("AVELORX3 ") + AVELOR_VERSION_TEXT;
    for (std::size_t dots = std::count(expected.begin(), expected.end(), '.'); dots < 3; ++dots)
        expected += ".0";
    EXPECT_EQ(avelor::testing::read_file(out), expected + "\n");
    EXPECT_GT(run_program(""), 1);
    EXPECT_GT(run_program("\"" + temp_file("missing.prj") + "\" -w"), 1);
    EXPECT_GT(run_program("\"" + temp_file("missing.prj") + "\" -x"), 1);
}

TEST(EngineProgram, RefusesWhatItCannotSimulate)
{
    const std::string prj = write_example("refused", [](RunControl& rc) { rc.sim_af = 3; });
    const std::string out = temp_file("refused.txt");
    EXPECT_GT(run_program("\"" + prj + "\" -w", out), 1);
    EXPECT_NE(avelor::testing::read_file(out).find("not simulated by this engine yet"), std::string::npos)
        << avelor::testing::read_file(out);
    EXPECT_FALSE(exists(beside_project(prj, ".sim")));
}

TEST(EngineProgram, SimulatesAProjectWrittenByTheCore)
{
    struct Case {
        const char* name;
        void (*change)(RunControl&);
        const char* mode;
    };
    const std::array<Case, 3> cases{{
        {"steady", [](RunControl& rc) { rc.sim_af = 0, rc.sim_mf = 0; }, "-w"},
        {"transient", [](RunControl& rc) {
             rc.sim_af = 1, rc.date_0 = 365, rc.time_0 = 72000, rc.date_1 = 1, rc.time_1 = 7200;
             rc.steady.Ta = 273.15f;
         }, "-w"},
        {"window", [](RunControl& rc) { rc.sim_af = 1, rc.date_1 = 1, rc.time_1 = 10800; }, "-d"},
    }};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prj = write_example(std::string("engine_") + c.name, c.change);
        const std::string out = temp_file(std::string(c.name) + ".txt");
        ASSERT_EQ(run_program("\"" + prj + "\" " + c.mode, out), 0) << avelor::testing::read_file(out);
        const std::string bytes = avelor::testing::read_file(beside_project(prj, ".sim"));
        ASSERT_GE(bytes.size(), static_cast<std::size_t>(kResultsHeaderSize));
        const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
        ASSERT_EQ(results_header_fault(h, bytes.size()), "");
        EXPECT_EQ(h.nzones, 2);
        EXPECT_EQ(h.npaths, 4);
        EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), ResultsLayout(h).file_size());
        EXPECT_TRUE(exists(beside_project(prj, ".rst")));
    }
}

TEST(EngineProgram, TerminationSignalStopsWithCodeOne)
{
    // A year at one-second steps: far longer than the test waits. In the
    // window ("-d", offscreen) the signal acts as the Stop button.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const char* mode : {"-w", "-d"}) {
        SCOPED_TRACE(mode);
        const std::string prj = write_example(std::string("engine_signal") + (mode[1] == 'w' ? "_w" : "_d"),
                                               [](RunControl& rc) {
                                                   rc.sim_af = 1, rc.date_0 = 1, rc.time_0 = 0, rc.date_1 = 365;
                                                   rc.time_1 = 86400, rc.t_step = 1;
                                               });
        const std::string rst = beside_project(prj, ".rst");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(AVELOR_ENGINE_PATH, AVELOR_ENGINE_PATH, prj.c_str(), mode, static_cast<char*>(nullptr));
            _exit(127);
        }
        // The restart file appears once the run is under way.
        for (int i = 0; i < 600 && !exists(rst); ++i)
            usleep(50000);
        EXPECT_TRUE(exists(rst));
        kill(pid, SIGTERM);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_FALSE(exists(beside_project(prj, ".sim")));
        EXPECT_FALSE(exists(beside_project(prj, ".sim") + ".part"));
        const std::string restart = avelor::testing::read_file(rst);
        ASSERT_GE(restart.size(), static_cast<std::size_t>(kRestartHeaderSize));
        EXPECT_EQ(decode_restart_header(reinterpret_cast<const unsigned char*>(restart.data())).nzones, 2);
    }
}

// --- Hostile projects --------------------------------------------------------

// A shipped example with text of its own put in place of the given text
// (each must occur exactly once).
std::string edited_example(const std::string& example, const std::string& name,
                           const std::vector<std::pair<std::string, std::string>>& edits)
{
    std::string text = avelor::testing::read_file(std::string(AVELOR_SOURCE_DIR) + "/examples/" + example);
    for (const auto& [from, to] : edits) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    const std::string path = temp_file(name + ".prj");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A project the core writes from an in-memory network.
std::string written_network(const std::string& name, Project& project)
{
    TextWriter out;
    write_project(out, project);
    const std::string path = temp_file(name + ".prj");
    std::ofstream(path, std::ios::binary) << out.text();
    return path;
}

// 200 zones (4 floors of 5 x 10 rooms joined by shafts) with stack and
// wind, allowed two Newton iterations.
std::string starved_network()
{
    bench::NetworkOptions options;
    options.floors = 4;
    options.rows = 5;
    options.cols = 10;
    options.shafts = 3;
    const auto project = bench::make_building(options);
    project->rc.afmaxi = 2;
    return written_network("hostile_starved", *project);
}

// Openings of 1e4 m2 in series with one of 1e-8 m2 (written by hand: the
// dialog stops at 1e-6 m2), driven by 10 Pa of wind.
std::string ill_conditioned_network()
{
    Project project;
    bench::add_network_level(project, "L1", 0, 3);
    Zone* a = bench::add_network_zone(project, "A", 293.15f, 50);
    Zone* b = bench::add_network_zone(project, "B", 293.15f, 50);
    const auto opening = [&](const std::string& name, float area) {
        return bench::add_network_element(project, name, kPlrOrfc, [&](AirflowElement& e) {
            orifice_set_area(std::get<OrificeData>(e.data), area);
        });
    };
    AirflowElement* big = opening("big", 1e4f);
    AirflowElement* small = opening("small", 1e-6f);
    auto& d = std::get<OrificeData>(small->data);
    d.turb *= 1e-2f;
    d.lam *= 1e-2f;
    bench::add_network_path(project, ZoneRef::ambient(), a, big, 0, 1, 10);
    bench::add_network_path(project, a, b, small);
    bench::add_network_path(project, b, ZoneRef::ambient(), big);
    return written_network("hostile_ill", project);
}

// The decay example made steady with outdoor air of 1e-3 kg/kg, its fan
// (path 1, the room's only supply) given a filter that keeps 3/4 of the
// tracer: the room holds a quarter of the outdoor concentration, read from
// the results file the engine program writes.
TEST(EngineProgram, SimulatesAFilterReadFromTheProjectFile)
{
    const std::string prj = edited_example(
        "decay_ventilated_zone.prj", "engine_filtered",
        {{"    2             30  1.00e-04", "    1             30  1.00e-04"},
         {"2.0000e-05  0.0000e+00  1.0000e+03", "2.0000e-05  1.0000e-03  1.0000e+03"},
         {"0 ! filter elements:\n-999\n0 ! filters:\n-999",
          "1 ! filter elements:\n1 cef 0.5 0.03125 64 0 0 carbon\ncharcoal\n  1\n  tracer 0.75\n-999\n"
          "1 ! filters:\n  1   1   1\n   0 0\n-999"},
         {"   1    0  -1   1   2   0   0", "   1    0  -1   1   2   1   0"}});
    const std::string out = temp_file("filtered.txt");
    ASSERT_EQ(run_program("\"" + prj + "\" -w", out), 0) << avelor::testing::read_file(out);
    const std::string bytes = avelor::testing::read_file(beside_project(prj, ".sim"));
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kResultsHeaderSize));
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    ASSERT_EQ(results_header_fault(h, bytes.size()), "");
    const ResultsLayout layout(h);
    EXPECT_FLOAT_EQ(f32_at(bytes, layout.conc_position(h.dtres0, 0, 1) + 4), 0.25e-3f);
    EXPECT_FLOAT_EQ(f32_at(bytes, layout.step_position(h.dtres0, 0) + 24), 1e-3f);  // outdoor
}

// Projects that once ran to a "success" with wrong or absurd answers, or
// silently: each now ends with its own message and exit code. A refused
// or failed run (exit 2) leaves no results file; a run with warnings
// (exit 0) writes them on standard error and to PROJECT.log beside the
// project, whose last line counts them.
TEST(EngineProgram, HostileProjectsEndWithTheirMessageAndExitCode)
{
    const std::string leak = "   2    0   1  -1   2   0   0   0   0   0   1   0.000   0.000   1.500 1 0";
    struct Case {
        const char* name;
        std::function<std::string()> make;
        int code;
        std::string message;  // on standard error, and in the log: an ERROR at exit 2, a WARNING at 0
    };
    const std::vector<Case> cases{
        {"leak multiplier 0",
         [&] { return edited_example("fan_and_leak.prj", "hostile_closed", {{leak, leak.substr(0, leak.size() - 3) + "0 0"}}); },
         2, "Zone room: no flow path that conducts under pressure"},
        {"negative coefficient",
         [] { return edited_example("fan_and_leak.prj", "hostile_negative", {{" 1.62479e-06 0.00689219", " 1.62479e-06 -0.00689219"}}); },
         2, "Flow path 2: The airflow element wall_leak has a negative flow coefficient (-0.00689219)."},
        {"exponent out of range",
         [] { return edited_example("fan_and_leak.prj", "hostile_exponent", {{"0.00689219 0.65", "0.00689219 1.65"}}); },
         2, "Flow path 2: The airflow element wall_leak has a flow exponent outside 0.5 to 1 (1.65)."},
        {"outdoors on both sides",
         [] { return edited_example("fan_and_leak.prj", "hostile_outdoors", {{"   2    0   1  -1   2", "   2    0  -1  -1   2"}}); },
         2, "The flow path 2 has the outdoors on both sides."},
        {"fan far beyond its leak",
         [] { return edited_example("fan_and_leak.prj", "hostile_fan", {{"\n 0.03 0\n", "\n 300 0\n"}}); },
         2, "The airflow at Jan15 12:00:00 is physically impossible: zone room has a pressure of"},
        {"two iterations for 200 zones", starved_network, 0,
         "Jan01 00:00:00: the airflow did not converge in 2 iterations; the worst node, zone F"},
        {"ill-conditioned series", ill_conditioned_network, 0,
         "Jan01 00:00:00: the flows of zone A are uncertain: round-off in the pressures around it moves them by"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prj = c.make();
        const std::string out = temp_file(std::string("hostile.txt"));
        std::remove(beside_project(prj, ".sim").c_str());
        EXPECT_EQ(run_program("\"" + prj + "\" -w", out), c.code);
        const std::string output = avelor::testing::read_file(out);
        EXPECT_NE(output.find((c.code == 2 ? "ERROR: AVELORX3: " : "WARNING: ") + c.message), std::string::npos)
            << output;
        EXPECT_EQ(exists(beside_project(prj, ".sim")), c.code == 0);
        EXPECT_FALSE(exists(beside_project(prj, ".sim") + ".part"));
        const std::string log = avelor::testing::read_file(beside_project(prj, ".xlog"));
        EXPECT_NE(log.find((c.code == 2 ? "\nERROR: " : "\nWARNING: ") + c.message), std::string::npos) << log;
        if (c.code == 0) {
            EXPECT_NE(log.find("AVELORX3 finished with 1 warning.\n"), std::string::npos) << log;
        }
    }
}

}  // namespace
}  // namespace avelor::engine
