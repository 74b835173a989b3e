// Sources, sinks and occupants in the contaminant equations, judged by the
// closed forms of one well-mixed zone of air mass M = rho V ventilated by a
// flow F of outdoor air at Cout:
//   M dC/dt = F (Cout - C) + G - D C
// whose steady state is C = (F Cout + G) / (F + D) and whose backward
// Euler step of dt is C1 = (M/dt C0 + F Cout + G) / (M/dt + F + D).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "app/text_writer.h"
#include "contaminant_solver.h"
#include "control_network.h"
#include "exposure_summary.h"
#include "model/control_node.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "simulation/results_layout.h"
#include "simulation_run.h"
#include "support/le_bytes.h"
#include "support/species_fixtures.h"
#include "support/test_files.h"

namespace avelor::engine {
namespace {

constexpr double kRho = 1.2041;
constexpr double kVolume = 100;
constexpr double kMass = kRho * kVolume;

// The element and instance values are floats: the closed forms take the
// values as stored.
double fl(double x) { return static_cast<float>(x); }

Node zone_node()
{
    Node n;
    n.kind = NodeKind::Zone;
    n.number = 1;
    n.unknown = n.variable_ctm = true;
    n.volume = kVolume;
    n.rho = kRho;
    return n;
}

Node ambient_node()
{
    Node n;
    n.kind = NodeKind::Ambient;
    return n;
}

Link link(int number, int n, int m, double F)
{
    Link l;
    l.number = number;
    l.n = n;
    l.m = m;
    l.F0 = F;
    return l;
}

// One zone, one trace contaminant with the outdoor value Cout, and the
// flow F in from the outdoors and out again (none when F is 0).
struct OneZone {
    Project project;
    Species* species = nullptr;
    std::vector<Node> nodes{zone_node(), ambient_node()};
    std::vector<Link> links;

    explicit OneZone(double F, float Cout = 0)
    {
        species = avelor::testing::add_species(project, "VOC", 0, Cout);
        project.Ctm = {species};
        project.CC0 = {Cout};
        Zone zone;
        zone.flags = 3;
        zone.CC0 = {0};
        add_zone(project, zone);
        if (F > 0)
            links = {link(1, 1, 0, F), link(2, 0, 1, F)};
    }

    SourceElement* element(int model, std::array<float, 5> v, const std::string& name = "e")
    {
        SourceElement e = new_source_element(model, model == kSrcSup ? nullptr : species);
        e.name = name;
        e.v = v;
        return project.source_elements.insert_copy(e);
    }
    SourceSink* place(SourceElement* element, float mult = 1, WeekSchedule* schedule = nullptr, float CC0 = 0)
    {
        SourceSink s;
        s.zone = project.zones.at(1);
        s.element = element;
        s.mult = mult;
        s.schedule = schedule;
        s.CC0 = CC0;
        return project.sources.add(s);
    }
    // A dimensionless week schedule that follows one day schedule of
    // (time, value) points on every day type.
    WeekSchedule* schedule(const std::vector<SchedulePoint>& points, const std::string& name = "w")
    {
        DaySchedule day = new_day_schedule(kScheduleDimensionless, 0);
        day.name = name + "d";
        day.points = points;
        DaySchedule* d = project.day_schedules.insert_copy(day);
        WeekSchedule week = new_week_schedule(kScheduleDimensionless, 0);
        week.name = name;
        week.days.fill(d);
        return project.week_schedules.insert_copy(week);
    }

    ContaminantSolver solver()
    {
        ContaminantModel model = contaminant_model(project, nodes, links);
        model.settings.rel_tolerance = 1e-14;
        ContaminantSolver s(std::move(model), nodes, links);
        s.start_sources({0, 1, 0}, nodes);
        return s;
    }
};

// Backward Euler steps of dt from the start of the run (day type 1).
void run_steps(ContaminantSolver& solver, const OneZone& z, double dt, int steps, int& done)
{
    for (int k = 0; k < steps; ++k) {
        ++done;
        const double t = done * dt;
        solver.follow_sources({t, 1, std::fmod(t, 86400.0)});
        solver.step(z.nodes, z.links, dt);
    }
}

// Steady states of single elements, each derived by hand in its row. The
// rows with surfaces reach theirs only by stepping (a steady solve keeps
// the surfaces at their start), the others both ways.
TEST(ContaminantSources, SteadyStatesOfTheElementModels)
{
    const double F = 0.05;
    const float Cout = 1e-5f;
    struct Case {
        const char* name;
        int model;
        std::array<float, 5> v;
        float mult;
        float Cout;
        double p;            // zone pressure, Pa
        double expected;     // kg/kg
        double surface;      // expected surface state, -1 for none
        bool steady_solve;   // the steady solve has the same answer
    };
    const double Vd = fl(1e-3), As = 20, Kd = fl(2e-4), G = fl(1e-6), D = fl(0.01), Cs = fl(Cout);
    const std::vector<Case> cases{
        {"constant coefficient: G / (F + D)", kSrcCcf, {1e-6f, 0.01f}, 1, 0, 0, G / (F + D), -1, true},
        {"multiplier scales G and D", kSrcCcf, {1e-6f, 0.01f}, 3, 0, 0, 3 * G / (F + 3 * D), -1, true},
        {"pressure driven: G |p|^n / F", kSrcPrs, {1e-7f, 0.65f}, 1, 0, -4, fl(1e-7) * std::pow(4.0, fl(0.65)) / F, -1,
         true},
        {"cutoff: G / (F + G / Ccut)", kSrcCut, {1e-6f, 1e-5f}, 1, 0, 0, G / (F + G / fl(1e-5)), -1, true},
        {"deposition velocity: F Cout / (F + Vd As rho)", kSrcDvs, {1e-3f, 20}, 1, Cout, 0,
         F * Cs / (F + Vd * As * kRho), -1, true},
        {"deposition rate: F Cout / (F + Kd M)", kSrcDrs, {2e-4f}, 1, Cout, 0, F * Cs / (F + Kd * kMass), -1, true},
        // At its steady state the surface gives back what it takes: C =
        // Cout and L = Vd Ad rho C / (r Ar).
        {"deposition and resuspension", kSrcDvr, {1e-3f, 1e-3f, 10, 10}, 2, Cout, 0, Cs,
         Vd * 10 * kRho * Cs / (Vd * 10), false},
        // The surface in equilibrium with the air: Cs = k C, C = Cout.
        {"boundary layer diffusion", kSrcBls, {1e-3f, 1.2f, 2, 50}, 10, Cout, 0, Cs, 2 * Cs, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OneZone z(F, c.Cout);
        z.nodes[0].p = c.p;
        z.place(z.element(c.model, c.v), c.mult);
        if (c.steady_solve) {
            ContaminantSolver steady = z.solver();
            steady.solve_steady(z.nodes, z.links);
            EXPECT_NEAR(steady.concentration(0, 0), c.expected, 1e-10 * c.expected);
        }
        ContaminantSolver solver = z.solver();
        int done = 0;
        run_steps(solver, z, 300, 48 * 12, done);
        EXPECT_NEAR(solver.concentration(0, 0), c.expected, 1e-6 * c.expected);
        if (c.surface >= 0) {
            ASSERT_EQ(solver.sources().surface_count(), 1);
            EXPECT_NEAR(solver.sources().surface_state(0), c.surface, 1e-6 * c.surface);
        }
    }
}

// A source/sink with a control node follows the node's output rather
// than its schedule; an occupant generation with a CVF control follows the
// column; a signal below 0 counts as 0. One closed zone, an hour's step:
// C1 = C0 + G dt / M.
TEST(ContaminantSources, ControlSignalsTakeTheSchedulesPlace)
{
    OneZone z(0);
    WeekSchedule* quarter = z.schedule({{0, 0.25f}, {86400, 0.25f}});
    SourceSink* source = z.place(z.element(kSrcCcf, {1e-6f}), 2, quarter);
    ControlNode node;
    node.type = kCtSet;
    node.data = ConstantData{0.5f};
    ControlNode* half = z.project.controls.add(node);
    source->control = half;
    const std::string cvf = ::testing::TempDir() + "generation.cvf";
    std::ofstream(cvf) << "ContinuousValuesFile AvelorW 2.1\nrates\n1/1 12/31\n1\nfactor\n"
                          "01/01 00:00:00 3\n01/01 02:00:00 1\n";
    z.project.rc.continuous_values_file = cvf;
    Exposure occupant = new_exposure(z.project);
    ExposureGeneration generation;
    generation.species = z.species;
    generation.rate = 1e-6f;
    generation.schedule = quarter;
    generation.cdvf = {1, "factor"};
    occupant.generations.push_back(generation);
    OccupancySchedule here;
    here.name = "here";
    here.points = {{0, ZoneRef(z.project.zones.at(1))}};
    OccupancySchedule* stored = z.project.occupancy_schedules.insert_copy(here);
    occupant.occupancy.fill(stored);
    z.project.exposures.add(occupant);

    for (const double signal : {0.5, -1.0}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        std::get<ConstantData>(half->data).value = static_cast<float>(signal);
        ControlNetwork controls(z.project, z.nodes, z.links, 3600);
        ContaminantSolver solver(contaminant_model(z.project, z.nodes, z.links), z.nodes, z.links);
        solver.bind_controls(controls);
        // The hour to 01:00, when the column reads 2.
        controls.evaluate(ControlInstant{1, 1, 3600, 3600}, BuildingState{&z.nodes, &z.links, nullptr});
        solver.start_sources({0, 1, 0}, z.nodes);
        solver.follow_sources({3600, 1, 3600});
        solver.step(z.nodes, z.links, 3600);
        const double G = 2 * fl(1e-6) * std::max(0.0, fl(signal)) + fl(1e-6) * 2;
        EXPECT_NEAR(solver.concentration(0, 0), G * 3600 / kMass, 1e-9 * G * 3600 / kMass);
    }
}

// What contaminant_sources_reference.py prints: per hour, C and the
// surface state of its fourth-order Runge-Kutta solution.
std::vector<std::array<double, 3>> reference_solution(const std::string& model)
{
    const std::string command = "python3 '" + std::string(AVELOR_SOURCE_DIR) +
                                "/tests/engine/contaminant_sources_reference.py' " + model + " 2>&1";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe))
            text += buffer.data();
        if (pclose(pipe) != 0)
            ADD_FAILURE() << "the reference failed: " << text;
    }
    std::vector<std::array<double, 3>> rows;
    std::istringstream lines(text);
    std::array<double, 3> row{};
    while (lines >> row[0] >> row[1] >> row[2])
        rows.push_back(row);
    return rows;
}

// The surfaces' transients against the independent solution, stepped by
// backward Euler (first order: an error of the order of lambda dt) and
// by Crank-Nicolson (second order).
TEST(ContaminantSources, SurfaceTransientsAgreeWithTheReference)
{
    struct Case {
        const char* name;
        int model;
        std::array<float, 5> v;
        float mult;
    };
    const std::array<Case, 2> cases{{
        {"dvr", kSrcDvr, {1e-3f, 1e-4f, 10, 10}, 2},
        {"bls", kSrcBls, {1e-3f, 1.2f, 2, 50}, 10},
    }};
    struct Stepping {
        double theta, dt, tolerance;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reference = reference_solution(c.name);
        ASSERT_EQ(reference.size(), 6u);
        for (const Stepping& st : {Stepping{1, 5, 5e-3}, Stepping{0.5, 60, 1e-4}}) {
            SCOPED_TRACE(st.theta);
            OneZone z(0.05, 1e-5f);
            z.place(z.element(c.model, c.v), c.mult);
            ContaminantModel model = contaminant_model(z.project, z.nodes, z.links);
            model.initial[0] = {0};
            model.settings.theta = st.theta;
            ContaminantSolver solver(std::move(model), z.nodes, z.links);
            solver.start_sources({0, 1, 0}, z.nodes);
            int done = 0;
            for (const auto& row : reference) {
                run_steps(solver, z, st.dt, static_cast<int>(3600 / st.dt), done);
                EXPECT_NEAR(solver.concentration(0, 0), row[1], st.tolerance * row[1]) << row[0];
                EXPECT_NEAR(solver.sources().surface_state(0), row[2], st.tolerance * row[2]) << row[0];
            }
        }
    }
}

TEST(ContaminantSources, SuperElementSumsItsSubElements)
{
    // A constant source and a deposition-rate sink: G / (F + Kd M).
    const double F = 0.05, G = fl(1e-6), Kd = fl(2e-4);
    OneZone z(F);
    SourceElement* source = z.element(kSrcCcf, {1e-6f, 0}, "gen");
    SourceElement* sink = z.element(kSrcDrs, {2e-4f}, "dep");
    SourceElement* super = z.element(kSrcSup, {}, "both");
    super->subs = {source, sink};
    z.place(super);
    ContaminantSolver solver = z.solver();
    solver.solve_steady(z.nodes, z.links);
    EXPECT_NEAR(solver.concentration(0, 0), G / (F + Kd * kMass), 1e-12 * G / F);
}

// Transients against the backward Euler recurrence in closed form, and the
// decaying source against the exact solution of its equation.
TEST(ContaminantSources, TransientsFollowTheirClosedForms)
{
    const double F = 0.05;
    {
        SCOPED_TRACE("constant source: C_k = Css (1 - (1 + lambda dt)^-k)");
        const double G = fl(1e-6), D = fl(0.01), dt = 300;
        OneZone z(F);
        z.place(z.element(kSrcCcf, {1e-6f, 0.01f}));
        ContaminantSolver solver = z.solver();
        const double css = G / (F + D), factor = 1 + (F + D) / kMass * dt;
        int done = 0;
        for (int k = 1; k <= 24; ++k) {
            run_steps(solver, z, dt, 1, done);
            EXPECT_NEAR(solver.concentration(0, 0), css * (1 - std::pow(factor, -k)), 1e-12 * css) << k;
        }
    }
    {
        // M dC/dt = -F C + Go e^(-kt), C(0) = 0:
        // C = Go / (F - k M) (e^(-kt) - e^(-F t / M)).
        SCOPED_TRACE("decaying source, 5 s steps against the exact solution");
        const double Go = fl(1e-6), k = fl(2e-4), dt = 5;
        OneZone z(F);
        z.place(z.element(kSrcEds, {1e-6f, 2e-4f}));
        ContaminantSolver solver = z.solver();
        int done = 0;
        double peak = 0, worst = 0;
        for (int hour = 1; hour <= 6; ++hour) {
            run_steps(solver, z, dt, 720, done);
            const double t = hour * 3600.0;
            const double exact = Go / (F - k * kMass) * (std::exp(-k * t) - std::exp(-F * t / kMass));
            peak = std::max(peak, exact);
            worst = std::max(worst, std::fabs(solver.concentration(0, 0) - exact));
        }
        // First order in dt: the error is of order lambda dt of the peak.
        EXPECT_LT(worst, 2e-3 * peak);
    }
    {
        SCOPED_TRACE("cutoff source in a closed zone rises to Ccut and no further");
        OneZone z(0);
        z.place(z.element(kSrcCut, {1e-6f, 1e-5f}));
        ContaminantSolver solver = z.solver();
        int done = 0;
        // Time constant M Ccut / G = 1204 s: ten hours reach it.
        run_steps(solver, z, 300, 120, done);
        EXPECT_NEAR(solver.concentration(0, 0), 1e-5, 1e-12);
        EXPECT_LE(solver.concentration(0, 0), 1e-5 * (1 + 1e-7));
    }
}

TEST(ContaminantSources, BurstsAddTheirMassWhenTheScheduleRises)
{
    // A burst of m kg: C jumps by m / M, then decays by 1 / (1 + lambda dt)
    // per step. Without a schedule it falls at the start; with one that
    // rises at 02:00 on the step ending then.
    const double F = 0.05, m = fl(2e-4), dt = 300;
    const double factor = 1 + F / kMass * dt;
    struct Case {
        const char* name;
        bool scheduled;
        int burst_step;  // 0: at the start
    };
    for (const Case& c : std::array<Case, 2>{{{"at the start", false, 0}, {"at 02:00", true, 24}}}) {
        SCOPED_TRACE(c.name);
        OneZone z(F);
        WeekSchedule* w = c.scheduled ? z.schedule({{0, 0}, {7200, 1}, {86400, 1}}) : nullptr;
        z.place(z.element(kSrcBrs, {2e-4f}), 1, w);
        ContaminantSolver solver = z.solver();
        EXPECT_NEAR(solver.concentration(0, 0), c.burst_step == 0 ? m / kMass : 0, 1e-15);
        int done = 0;
        for (int k = 1; k <= 48; ++k) {
            run_steps(solver, z, dt, 1, done);
            // Steps after the one that took the burst (the start counts
            // as step 0, before any).
            const int after = c.burst_step == 0 ? k : k - c.burst_step + 1;
            const double expected = k < c.burst_step ? 0 : m / kMass * std::pow(factor, -after);
            EXPECT_NEAR(solver.concentration(0, 0), expected, 1e-9 * m / kMass) << k;
        }
    }
}

// Simpson's rule over [t0, t1] with n (even) panels.
double simpson(const std::function<double(double)>& f, double t0, double t1, int n)
{
    const double h = (t1 - t0) / n;
    double sum = f(t0) + f(t1);
    for (int i = 1; i < n; ++i)
        sum += (i % 2 ? 4 : 2) * f(t0 + i * h);
    return sum * h / 3;
}

TEST(ContaminantSources, EmissionLawsPutTheirIntegralIntoAClosedZone)
{
    // No air leaves: after T the zone holds M C = the integral of E over
    // [0, T], whatever the step.
    struct Case {
        const char* name;
        int model;
        std::array<float, 5> v;
        double T;
        std::function<double(double)> law;  // kg/s at t s
        double kink;                         // where the law is not smooth
    };
    // Power law, Ep = 1e-6 kg/s, b = 0.5, tp = 1 h: a = Ep, E = a th^-0.5
    // from 1 h, held at a before.
    const auto power = [](double t) { return fl(1e-6) * std::pow(std::max(t / 3600, 1.0), -0.5); };
    // Peak law, a = 1e-6 kg/s, b = 0.8, tp = 2 h.
    const auto peak = [](double t) {
        if (t <= 0) return 0.0;
        const double u = std::log(t / 7200) / fl(0.8);
        return fl(1e-6) * std::exp(-0.5 * u * u);
    };
    const std::vector<Case> cases{
        {"power law", kSrcPlm, {1e-6f, 0.5f, 3600}, 10 * 3600, power, 3600},
        {"peak", kSrcPkm, {1e-6f, 0.8f, 7200}, 12 * 3600, peak, 7200},
        {"decaying source", kSrcEds, {1e-6f, 1e-4f}, 8 * 3600, [](double t) { return fl(1e-6) * std::exp(-fl(1e-4) * t); },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double mass = simpson(c.law, 0, c.kink, 20000) + simpson(c.law, c.kink, c.T, 20000);
        for (double dt : {600.0, 3600.0}) {
            OneZone z(0);
            z.place(z.element(c.model, c.v));
            ContaminantSolver solver = z.solver();
            int done = 0;
            run_steps(solver, z, dt, static_cast<int>(c.T / dt), done);
            EXPECT_NEAR(solver.concentration(0, 0) * kMass, mass, 1e-7 * mass) << dt;
        }
    }
}

TEST(ContaminantSources, OccupantGeneratesInTheZoneItOccupies)
{
    // In zone 1 from 08:00 to 17:00, outdoors otherwise: a generation of
    // rate x mult there gives rate mult / F at steady state, nothing
    // outdoors.
    const double F = 0.05;
    OneZone z(F);
    OccupancySchedule day = new_occupancy_schedule(0);
    day.name = "office";
    day.points = {{0, ZoneRef::ambient()}, {8 * 3600, z.project.zones.at(1)}, {17 * 3600, ZoneRef::ambient()},
                  {86400, ZoneRef::ambient()}};
    OccupancySchedule* occupancy = z.project.occupancy_schedules.insert_copy(day);
    Exposure person = new_exposure(z.project);
    person.mult = 3;
    person.occupancy.fill(occupancy);
    ExposureGeneration generation;
    generation.species = z.species;
    generation.rate = 1e-7f;
    person.generations.push_back(generation);
    z.project.exposures.add(person);

    ContaminantSolver solver = z.solver();
    struct Instant {
        double seconds;
        double expected;
    };
    const double generated = 3 * fl(1e-7);
    for (const Instant& at : {Instant{12 * 3600, generated / F}, Instant{20 * 3600, 0}, Instant{8 * 3600, generated / F},
                              Instant{7 * 3600, 0}}) {
        SCOPED_TRACE(at.seconds);
        solver.follow_sources({at.seconds, 1, at.seconds});
        solver.solve_steady(z.nodes, z.links);
        EXPECT_NEAR(solver.concentration(0, 0), at.expected, 1e-12 * generated / F);
    }
    EXPECT_EQ(occupant_node(*z.project.exposures.at(1), 1, 9 * 3600, {-1, 0}, 1), 0);
    EXPECT_EQ(occupant_node(*z.project.exposures.at(1), 1, 18 * 3600, {-1, 0}, 1), 1);
}

TEST(ContaminantSources, ASteadySourceNothingRemovesIsRefused)
{
    OneZone z(0);
    z.place(z.element(kSrcCcf, {1e-6f, 0}));
    ContaminantSolver solver = z.solver();
    try {
        solver.solve_steady(z.nodes, z.links);
        ADD_FAILURE() << "not refused";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Zone 1 has a source of contaminant 1 but no airflow out"),
                  std::string::npos)
            << e.what();
    }
}

TEST(ContaminantSources, BoxWhiskerQuartilesInterpolate)
{
    const BoxWhisker b = box_whisker({4, 1, 3, 2});
    EXPECT_DOUBLE_EQ(b.minimum, 1);
    EXPECT_DOUBLE_EQ(b.lower, 1.75);
    EXPECT_DOUBLE_EQ(b.median, 2.5);
    EXPECT_DOUBLE_EQ(b.upper, 3.25);
    EXPECT_DOUBLE_EQ(b.maximum, 4);
    EXPECT_DOUBLE_EQ(box_whisker({}).maximum, 0);
}

TEST(ContaminantSources, WhatTheEngineCannotTakeIsRefused)
{
    struct Case {
        const char* name;
        std::function<void(OneZone&)> prepare;
        const char* words;
    };
    const std::vector<Case> cases{
        {"sxd element", [](OneZone& z) { z.place(z.element(kSrcSxd, {1, 1})); }, "\"sxd\", which this engine"},
        {"dxd in a super element",
         [](OneZone& z) {
             SourceElement* super = z.element(kSrcSup, {}, "s");
             super->subs = {z.element(kSrcCcf, {1e-6f}, "a"), z.element(kSrcDxd, {1, 1, 1, 1}, "b")};
             z.place(super);
         },
         "\"dxd\", which this engine"},
        {"negative removal", [](OneZone& z) { z.place(z.element(kSrcCcf, {1e-6f, -1})); },
         "every value of its model must be a number not below 0"},
        {"partition coefficient 0", [](OneZone& z) { z.place(z.element(kSrcBls, {1, 1, 0, 1})); },
         "partition coefficient of 0"},
        {"temperature schedule",
         [](OneZone& z) {
             WeekSchedule* w = z.schedule({{0, 1}, {86400, 1}});
             w->utyp = kScheduleTemperature;
             z.place(z.element(kSrcCcf, {1e-6f}), 1, w);
         },
         "is not dimensionless"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OneZone z(0.05);
        c.prepare(z);
        try {
            contaminant_model(z.project, z.nodes, z.links);
            ADD_FAILURE() << "not refused";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        }
    }
}

std::string temp_file(const std::string& name) { return ::testing::TempDir() + name; }

// The one zone's flows as a run's flow model.
class OneZoneFlows final : public FlowModel {
public:
    explicit OneZoneFlows(const OneZone& z) : nodes_(z.nodes), links_(z.links) {}
    const std::vector<Node>& nodes() const override { return nodes_; }
    const std::vector<Link>& links() const override { return links_; }
    SolveReport solve(const Weather&) override { return {1, true, 0, false}; }

private:
    std::vector<Node> nodes_;
    std::vector<Link> links_;
};

// A tracer released at C0 decays by 1 / (1 + lambda dt) per step; an
// occupant in the zone from 06:00 on Jan01 to 24:00 on Jan02 is sampled
// at each of the 43 hourly instants (24:00 and 00:00 being one), and the
// exposure file summarizes those samples: the maximum C0 at the start, the
// minimum at the end, the median 21 hours in, the quartiles halfway
// between the samples 10 and 11 and 31 and 32 hours in.
TEST(ContaminantSources, ARunSummarizesTheOccupantsExposures)
{
    const double F = 0.05, dt = 300;
    const float C0 = 1e-3f;
    OneZone z(F);
    z.project.zones.at(1)->CC0 = {C0};
    z.project.zones.at(1)->Vol = static_cast<float>(kVolume);
    add_path(z.project, FlowPath{});
    add_path(z.project, FlowPath{});
    OccupancySchedule day = new_occupancy_schedule(0);
    day.name = "here";
    day.points = {{0, z.project.zones.at(1)}, {86400, z.project.zones.at(1)}};
    Exposure person = new_exposure(z.project);
    person.occupancy.fill(z.project.occupancy_schedules.insert_copy(day));
    z.project.exposures.add(person);
    Exposure nobody = new_exposure(z.project);  // no occupancy schedules: never anywhere
    z.project.exposures.add(nobody);
    RunControl& rc = z.project.rc;
    rc.sim_af = 0;
    rc.sim_mf = 2;
    rc.t_step = static_cast<std::int32_t>(dt);
    rc.t_list = 3600;
    rc.date_0 = 1;
    rc.time_0 = 21600;
    rc.date_1 = 2;
    rc.time_1 = 86400;
    OneZoneFlows flows(z);
    const std::string sim = temp_file("exposures.sim");
    ASSERT_EQ(run_simulation(z.project, flows, sim, temp_file("exposures.rst"), RunOptions{}), RunOutcome::Finished);

    const double factor = 1 + F / kMass * dt;
    const auto at_hour = [&](int hours) { return fl(C0) * std::pow(factor, -12.0 * hours); };
    std::istringstream ebw(avelor::testing::read_file(beside_project(sim, ".ebw")));
    int occupants = 0, contaminants = 0;
    ebw >> occupants >> contaminants;
    EXPECT_EQ(occupants, 2);
    EXPECT_EQ(contaminants, 1);
    std::string comment;
    std::getline(ebw >> std::ws, comment);
    struct Line {
        int number = 0;
        std::string name;
        std::size_t samples = 0;
        std::array<double, 5> five{};
    };
    std::array<Line, 2> lines;
    for (Line& l : lines)
        ebw >> l.number >> l.name >> l.samples >> l.five[0] >> l.five[1] >> l.five[2] >> l.five[3] >> l.five[4];
    ASSERT_TRUE(ebw) << avelor::testing::read_file(beside_project(sim, ".ebw"));
    EXPECT_EQ(lines[0].number, 1);
    EXPECT_EQ(lines[0].samples, 43u);
    const std::array<double, 5> expected{at_hour(42), 0.5 * (at_hour(32) + at_hour(31)), at_hour(21),
                                         0.5 * (at_hour(11) + at_hour(10)), at_hour(0)};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(lines[0].five[i], expected[i], 1e-5 * expected[i]) << i;
    EXPECT_EQ(lines[1].number, 2);
    EXPECT_EQ(lines[1].samples, 0u);
    EXPECT_EQ(lines[1].five[4], 0.0);
}

// --- Through the program ---------------------------------------------------

int run_engine(const std::string& project, const std::string& output)
{
    const std::string command = std::string("\"") + AVELOR_ENGINE_PATH + "\" \"" + project + "\" -w >\"" + output +
                                "\" 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The shipped example of two rooms in series (a fan blows F into the west
// room, which passes it on to the east room and out) with a source in the
// west room and an occupant in the east room all day, written by the core
// and simulated by the engine at the steady state of its airflow:
// C_west = G / F and C_east = (G + g) / F.
TEST(EngineProgram, AProjectWithSourcesAndOccupantsRoundTrips)
{
    Project project;
    ASSERT_EQ(read_project(std::string(AVELOR_SOURCE_DIR) + "/examples/zones_in_series.prj", project, ReadOptions{}),
              0);
    Species species = new_species();
    species.name = "VOC";
    project.species.insert_copy(species);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    ASSERT_EQ(project.nctm(), 1);
    SourceElement element = new_source_element(kSrcCcf, project.Ctm[0]);
    element.name = "paint";
    element.v[0] = 2e-7f;
    SourceSink source;
    source.zone = project.zones.at(1);
    source.element = project.source_elements.insert_copy(element);
    source.mult = 2;
    project.sources.add(source);
    OccupancySchedule day = new_occupancy_schedule(0);
    day.name = "desk";
    day.points = {{0, project.zones.at(2)}, {86400, project.zones.at(2)}};
    Exposure person = new_exposure(project);
    person.occupancy.fill(project.occupancy_schedules.insert_copy(day));
    ExposureGeneration generation;
    generation.species = project.Ctm[0];
    generation.rate = 1e-7f;
    person.generations.push_back(generation);
    project.exposures.add(person);
    project.rc.sim_af = 0;
    project.rc.sim_mf = 1;  // steady airflow and concentrations: one instant
    const double G = 2 * fl(2e-7), g = fl(1e-7);

    TextWriter out;
    write_project(out, project);
    const std::string prj = temp_file("sources_round_trip.prj");
    std::ofstream(prj, std::ios::binary) << out.text();
    // An exposure file of an earlier run is not taken for this one's.
    std::ofstream(beside_project(prj, ".ebw")) << "7 7\n";
    const std::string log = temp_file("sources_round_trip.txt");
    ASSERT_EQ(run_engine(prj, log), 0) << avelor::testing::read_file(log);

    const std::string bytes = avelor::testing::read_file(beside_project(prj, ".sim"));
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kResultsHeaderSize));
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    ASSERT_EQ(results_header_fault(h, bytes.size()), "");
    ASSERT_EQ(h.nctm, 1);
    ASSERT_EQ(h.zc, 1);
    ASSERT_EQ(h.pf, 1);
    const ResultsLayout layout(h);
    const int first_day = h.dtres0;
    const auto conc = [&](int zone) { return avelor::testing::f32_at(bytes, layout.conc_position(first_day, 0, zone) + 4); };
    // The flow out through path 3 (east room -> outdoors).
    const double F = avelor::testing::f32_at(bytes, layout.path_position(first_day, 0, 3) + 8);
    ASSERT_GT(F, 0.01);
    EXPECT_NEAR(conc(1), G / F, 1e-5 * G / F);
    EXPECT_NEAR(conc(2), (G + g) / F, 1e-5 * (G + g) / F);
    const double C2 = conc(2);

    std::istringstream ebw(avelor::testing::read_file(beside_project(prj, ".ebw")));
    int occupants = 0, contaminants = 0;
    ebw >> occupants >> contaminants;
    EXPECT_EQ(occupants, 1);
    EXPECT_EQ(contaminants, 1);
    std::string comment, name;
    std::getline(ebw >> std::ws, comment);
    EXPECT_EQ(comment.rfind("!", 0), 0u);
    int number = 0;
    std::size_t samples = 0;
    std::array<double, 5> five{};
    ebw >> number >> name >> samples >> five[0] >> five[1] >> five[2] >> five[3] >> five[4];
    EXPECT_EQ(number, 1);
    EXPECT_EQ(name, "VOC");
    EXPECT_EQ(samples, 1u);
    for (double v : five)
        EXPECT_NEAR(v, C2, 1e-6 * C2);
}

}  // namespace
}  // namespace avelor::engine
