// The duct laws of the engine against closed forms written out here, and
// small duct networks whose answers follow from them: a dead-end vertical
// duct that holds the stack pressure, a constant-flow fan whose split
// between two branches follows their loss coefficients, and wind driving
// air through an exposed terminal.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "airflow_elements.h"
#include "airflow_network.h"
#include "bench/duct_network_generator.h"
#include "bench/engine_network_generator.h"
#include "contaminant_solver.h"
#include "model/duct_element.h"
#include "model/filter_element.h"
#include "model/project.h"
#include "model/schedules.h"
#include "model/species.h"
#include "support/species_fixtures.h"

namespace avelor::engine {
namespace {

constexpr double kR = 287.055;
constexpr double kG = 9.8055;
constexpr double kPb = 101325;
constexpr double kMu = 1.81625e-5;
constexpr double kPi = 3.14159265358979;

// Colebrook's 1/sqrt(f) = -2 log10(e/3.7 + 2.51/(Re sqrt(f))) by plain
// fixed-point iteration.
double colebrook(double e, double Re)
{
    double f = 0.02;
    for (int i = 0; i < 200; ++i) f = std::pow(-2 * std::log10(e / 3.7 + 2.51 / (Re * std::sqrt(f))), -2);
    return f;
}

DuctElement round_duct(double D, double rough = 0.00009)
{
    DuctElement e = new_duct_element(kDctDwc, NewElementContext{});
    e.name = "duct";
    e.shape.shape = kDuctCircle;
    e.shape.Dh = static_cast<float>(D);
    derive_shape(e.shape);
    std::get<DarcyData>(e.data).rough = static_cast<float>(rough);
    return e;
}

FlowState air(double rho)
{
    FlowState s;
    s.rho_n = s.rho_m = rho;
    s.mu_n = s.mu_m = kMu;
    return s;
}

// The slope the solver is given against a central difference of the flow.
void expect_slope(const ElementModel& model, double dP, const FlowState& s, const std::string& what)
{
    const double h = 1e-6 * std::abs(dP);
    const double numeric = (model.flow(dP + h, s).total() - model.flow(dP - h, s).total()) / (2 * h);
    EXPECT_NEAR(model.flow(dP, s).g, numeric, 1e-5 * numeric) << what;
}

// dP = (f L/D + sum C) F^2 / (2 rho A^2) at a chosen flow, with f by
// Colebrook (turbulent) or 64/Re (laminar); the segment law must return
// that flow from that pressure, in both directions.
TEST(DuctLaws, DarcyColebrookSegmentAgreesWithTheClosedForm)
{
    struct Case {
        std::string name;
        double D, L, C, F;
    };
    const std::vector<Case> cases{
        {"turbulent, rough", 0.2, 12, 0.8, 0.25},   // Re about 87,000
        {"turbulent, no fittings", 0.15, 30, 0, 0.08},
        {"laminar", 0.2, 5, 0, 0.004},              // Re about 1,400
        {"fittings only", 0.2, 0, 1.5, 0.3},
    };
    const double rho = 1.2;
    for (const Case& c : cases) {
        const DuctElement element = round_duct(c.D);
        const double A = element.shape.area, D = element.shape.Dh;
        const double Re = c.F * D / (kMu * A);
        const double e = std::get<DarcyData>(element.data).rough / D;
        const double f = c.L == 0 ? 0 : Re <= 2300 ? 64 / Re : colebrook(e, Re);
        const double dP = (f * c.L / D + c.C) * c.F * c.F / (2 * rho * A * A);
        const ElementModel model = ElementModel::duct(element, c.L, c.C);
        EXPECT_NEAR(model.flow(dP, air(rho)).F0, c.F, 1e-7 * c.F) << c.name << " Re " << Re;
        EXPECT_NEAR(model.flow(-dP, air(rho)).F0, -c.F, 1e-7 * c.F) << c.name;
        expect_slope(model, dP, air(rho), c.name);
        EXPECT_TRUE(model.conducts()) << c.name;
    }
    // A segment with neither length nor fittings is refused.
    EXPECT_THROW(ElementModel::duct(round_duct(0.2), 0, 0), EngineError);
}

// A terminal: dP = K F^2 / (2 rho A^2), and near zero the laminar flow
// that meets it at Reynolds number 30 on the duct's diameter.
TEST(DuctLaws, TerminalLossOnTheDuctAreaWithALaminarFloor)
{
    const double K = 2.5, A = 0.02, D = std::sqrt(4 * A / kPi), rho = 1.2;
    const ElementModel model = ElementModel::terminal(K, A, D);
    for (double dP : {5.0, 60.0}) {
        EXPECT_NEAR(model.flow(dP, air(rho)).F0, A * std::sqrt(2 * rho * dP / K), 1e-6 * A) << dP;
        expect_slope(model, dP, air(rho), "terminal");
    }
    // At Re 30 the flow is 30 mu A / D; below it the law is linear.
    const double Ft = 30 * kMu * A / D;
    const double dPt = K * Ft * Ft / (2 * 1.2041 * A * A);
    const LinkFlow low = model.flow(0.1 * dPt, air(1.2041));
    EXPECT_NEAR(low.F0, 0.1 * Ft, 1e-3 * Ft);
    EXPECT_NEAR(low.g, Ft / dPt, 1e-3 * Ft / dPt);
}

// Duct leakage: Q = C dP^0.65, carried at the upstream density.
TEST(DuctLaws, LeakageIsAVolumePowerLaw)
{
    const double C = 4e-4;
    const ElementModel model = ElementModel::leak(C);
    FlowState s = air(1.2);
    s.rho_m = 1.1;
    EXPECT_NEAR(model.flow(50, s).F0, 1.2 * C * std::pow(50, 0.65), 1e-9);
    EXPECT_NEAR(model.flow(-50, s).F0, -1.1 * C * std::pow(50, 0.65), 1e-9);
    expect_slope(model, 50, s, "leak");
}

// The other duct types take the law of their airflow counterpart.
TEST(DuctLaws, OtherDuctTypesFollowTheirAirflowCounterparts)
{
    DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
    cmf.name = "fan";
    std::get<ConstantFlowData>(cmf.data).Flow = 0.3f;
    const ElementModel fan = ElementModel::duct(cmf, 2, 0);
    EXPECT_TRUE(fan.constant_flow());
    EXPECT_FALSE(fan.conducts());
    EXPECT_FLOAT_EQ(static_cast<float>(fan.flow(-40, air(1.2)).F0), 0.3f);

    DuctElement fcn = new_duct_element(kDctFcn, NewElementContext{});
    fcn.name = "damper";
    auto& law = std::get<PowerLawData>(fcn.data);
    law.coef = 0.02f;
    law.expt = 0.6f;
    const ElementModel damper = ElementModel::duct(fcn, 1, 0);
    EXPECT_NEAR(damper.flow(30, air(1.2)).F0, 0.02 * std::pow(30, 0.6), 1e-6);

    DuctElement plr = new_duct_element(kDctPlr, NewElementContext{});
    plr.name = "orifice";
    auto& o = std::get<DuctOrificeData>(plr.data);
    o.turb = 0.0085f;
    o.expt = 0.5f;
    const ElementModel orifice = ElementModel::duct(plr, 1, 0);
    EXPECT_NEAR(orifice.flow(10, air(1.2)).F0, 0.0085 * std::sqrt(1.2 * 10), 1e-6);
}

// Networks built in memory, as the reader leaves them.
struct DuctProject {
    std::unique_ptr<Project> p = std::make_unique<Project>();
    DuctProject()
    {
        bench::add_network_level(*p, "L1", 0, 3);
        p->rc.afrcnvg = 1e-10f;
        p->rc.afacnvg = 1e-13f;
    }
    Junction* node(ZoneRef zone, float relHt, std::int16_t t, float K = 0)
    {
        Junction j;
        j.zone = zone;
        j.relHt = relHt;
        j.T0 = 293.15f;
        j.t = t;
        if (t != 0) {
            j.terminal = bench::new_terminal_data();
            j.terminal.loss_coefficient() = K;
        }
        return add_junction(*p, j);
    }
    DuctSegment* segment(Junction* n, Junction* m, DuctElement* e, float len, float sllc)
    {
        DuctSegment d;
        d.junction_n = n;
        d.junction_m = m;
        d.element = e;
        d.len = len;
        d.sllc = sllc;
        return p->ducts.add(d);
    }
    DuctElement* element(const DuctElement& e) { return p->duct_elements.insert_copy(e); }
};

const Link& link_of(const AirflowNetwork& network, LinkKind kind, int number)
{
    for (const Link& l : network.links())
        if (l.kind == kind && l.number == number) return l;
    static const Link none;
    ADD_FAILURE() << "no such link";
    return none;
}

// A vertical duct from a terminal in a room at floor height up 10 m to a
// closed end, its air at 40 C, the room at 20 C and fixed at p = 0, 0 C
// outdoors. Nothing flows; the terminal is at the room's pressure and the
// top junction holds p = g H (rho_a - mean(rho_t, rho_j)), each density at
// Pb + p and its node's temperature (the terminal's its room's).
TEST(DuctNetwork, ADeadEndVerticalDuctHoldsTheStackPressure)
{
    DuctProject d;
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
    Junction* terminal = d.node(room, 0, kJunctionTerminal, 1);
    Junction* top = d.node(room, 10, kJunctionPlain);
    top->T0 = 313.15f;
    d.segment(terminal, top, d.element(round_duct(0.2)), 10, 0);
    AirflowNetwork network(*d.p);
    const SolveReport report = network.solve(Weather{273.15, kPb, 0, 0, 1});
    ASSERT_TRUE(report.converged);
    const double rho_a = kPb / (kR * 273.15);
    double p = 0;
    for (int i = 0; i < 50; ++i) {
        const double rho_t = kPb / (kR * static_cast<double>(room->T0));
        const double rho_j = (kPb + p) / (kR * static_cast<double>(top->T0));
        p = kG * 10 * (rho_a - 0.5 * (rho_t + rho_j));
    }
    const std::vector<Node>& nodes = network.nodes();
    ASSERT_EQ(nodes.size(), 4u);  // the room, the terminal, the junction, the outdoors
    EXPECT_EQ(nodes[1].kind, NodeKind::Terminal);
    EXPECT_FLOAT_EQ(static_cast<float>(nodes[1].T), room->T0);
    EXPECT_NEAR(nodes[1].p, 0, 1e-9);
    EXPECT_NEAR(nodes[2].p, p, 1e-7 * std::abs(p));
    EXPECT_NEAR(link_of(network, LinkKind::DuctSegment, 1).F0, 0, 1e-12);
}

// A constant mass flow fan blows outdoor air through an exposed intake
// terminal into a junction with two branches of fittings only (no
// friction), each to a terminal into a room held at p = 0. Both branches
// see the same pressure drop and have the same area, so
// F1 / F2 = sqrt(K2 / K1) with K the branch's fittings plus terminal and
// balance loss coefficients, and F1 + F2 = the fan's flow. A balance
// coefficient on one terminal moves its share as predicted.
TEST(DuctNetwork, AConstantFlowFanSplitsByTheBranchLossCoefficients)
{
    for (double balance : {0.0, 3.0}) {
        DuctProject d;
        Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
        DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
        cmf.name = "fan";
        std::get<ConstantFlowData>(cmf.data).Flow = 0.2f;
        DuctElement* fan = d.element(cmf);
        DuctElement* duct = d.element(round_duct(0.16));
        Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 0.5f);
        Junction* tee = d.node(room, 2, kJunctionPlain);
        Junction* a = d.node(room, 2, kJunctionTerminal, 2.0f);
        Junction* b = d.node(room, 2, kJunctionTerminal, 2.0f);
        a->terminal.balance_coefficient() = static_cast<float>(balance);
        d.segment(intake, tee, fan, 1, 0);
        d.segment(tee, a, duct, 0, 1.0f);
        d.segment(tee, b, duct, 0, 0.6f);
        AirflowNetwork network(*d.p);
        const SolveReport report = network.solve(Weather{293.15, kPb, 0, 0, 1});
        ASSERT_TRUE(report.converged) << balance;
        const double K1 = 1.0 + 2.0 + balance, K2 = 0.6 + 2.0;
        const double share = 1 / (1 + std::sqrt(K1 / K2));
        const double F = static_cast<double>(0.2f);
        EXPECT_NEAR(link_of(network, LinkKind::Terminal, 3).F0, F * share, 2e-4 * F) << balance;
        EXPECT_NEAR(link_of(network, LinkKind::Terminal, 4).F0, F * (1 - share), 2e-4 * F) << balance;
        EXPECT_NEAR(link_of(network, LinkKind::Terminal, 1).F0, -F, 1e-9) << "into the intake";
    }
}

// Wind of constant pressure Pw on an exposed terminal drives air through a
// duct of fittings only into a room held at p = 0:
// (K_in + C + K_out) F^2 / (2 rho A^2) = Pw. The densities of the nodes
// differ from the outdoor one by p / (R T), a few 1e-4 at most here.
TEST(DuctNetwork, WindOnAnExposedTerminalDrivesTheDuct)
{
    DuctProject d;
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
    DuctElement* duct = d.element(round_duct(0.2));
    Junction* outside = d.node(ZoneRef::ambient(), 1, kJunctionExposed, 0.5f);
    outside->flags |= kJunctionWind;
    outside->terminal.wind_pressure() = 20;
    Junction* inside = d.node(room, 1, kJunctionTerminal, 1.0f);
    d.segment(outside, inside, duct, 0, 2.0f);
    AirflowNetwork network(*d.p);
    ASSERT_TRUE(network.solve(Weather{293.15, kPb, 0, 0, 1}).converged);
    const double rho = kPb / (kR * 293.15), A = duct->shape.area;
    const double F = A * std::sqrt(2 * rho * 20 / (0.5 + 2.0 + 1.0));
    EXPECT_NEAR(link_of(network, LinkKind::DuctSegment, 1).F0, F, 5e-4 * F);
    EXPECT_NEAR(link_of(network, LinkKind::Terminal, 1).F0, -F, 5e-4 * F);
    EXPECT_NEAR(link_of(network, LinkKind::Terminal, 2).F0, F, 5e-4 * F);
}

// Each junction leaks half of each touching segment's leakage into the
// zone it lies in: C = rate 0.001 P L / dP^0.65 for the segment.
TEST(DuctNetwork, DuctLeakageLeavesAtTheJunctionsIntoTheirZones)
{
    DuctProject d;
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
    DuctElement leaky = round_duct(0.2);
    leaky.shape.leak_rate = 0.5f;
    leaky.shape.leak_dP = 1;
    DuctElement* duct = d.element(leaky);
    DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
    cmf.name = "fan";
    std::get<ConstantFlowData>(cmf.data).Flow = 0.05f;
    Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 1.0f);
    Junction* j = d.node(room, 2, kJunctionPlain);
    Junction* out = d.node(room, 2, kJunctionTerminal, 1.0f);
    d.segment(intake, j, d.element(cmf), 1, 0);
    d.segment(j, out, duct, 8, 0);
    AirflowNetwork network(*d.p);
    ASSERT_TRUE(network.solve(Weather{293.15, kPb, 0, 0, 1}).converged);
    const double C = 0.5 * 0.001 * duct->shape.perim * 8;  // the segment's
    int leaks = 0;
    for (const Link& l : network.links()) {
        if (l.kind != LinkKind::Leak) continue;
        ++leaks;
        const Node& at = network.nodes()[static_cast<std::size_t>(l.n)];
        EXPECT_EQ(network.nodes()[static_cast<std::size_t>(l.m)].number, room->nr);
        EXPECT_NEAR(l.F0, at.rho * 0.5 * C * std::pow(l.dP, 0.65), 1e-9) << l.number;
    }
    EXPECT_EQ(leaks, 2);  // junction 2 and terminal 3; the fan's element has no leakage
    const double total = link_of(network, LinkKind::Terminal, 3).F0 + link_of(network, LinkKind::Leak, 2).F0 +
                         link_of(network, LinkKind::Leak, 3).F0;
    EXPECT_NEAR(total, static_cast<double>(0.05f), 1e-9);
}

// What cannot be solved is refused at once, naming the record: a junction
// that only a fan joins to the rest (its pressure would be free), a
// Darcy-Colebrook segment with neither length nor fittings, a terminal
// with no loss coefficient or in no zone, and a segment with one junction
// at both ends.
TEST(DuctNetwork, RefusesDuctsItCannotSolve)
{
    struct Case {
        std::string name;
        std::function<void(DuctProject&, Junction* intake, Junction* tee, Junction* out, DuctSegment* duct)> spoil;
        std::string message;
    };
    const std::vector<Case> cases{
        {"a junction behind a fan alone",
         [](DuctProject& d, Junction*, Junction* tee, Junction*, DuctSegment* duct) {
             // The branch from the tee goes to a dead end instead.
             duct->junction_m = d.node(tee->zone, 2, kJunctionPlain);
         },
         "The pressure of junction 2, junction 4 is not tied"},
        {"no length, no fittings",
         [](DuctProject&, Junction*, Junction*, Junction*, DuctSegment* duct) { duct->len = duct->sllc = 0; },
         "Duct segment 2: The duct element duct needs a segment length or a sum of loss coefficients"},
        {"no terminal loss",
         [](DuctProject&, Junction*, Junction*, Junction* out, DuctSegment*) { out->terminal.loss_coefficient() = 0; },
         "The terminal 3 needs a terminal loss coefficient above 0"},
        {"terminal in no zone",
         [](DuctProject&, Junction*, Junction*, Junction* out, DuctSegment*) { out->zone = ZoneRef{}; },
         "The terminal 3 lies in no zone."},
        {"a segment from a junction to itself",
         [](DuctProject&, Junction*, Junction* tee, Junction*, DuctSegment* duct) { duct->junction_m = tee; },
         "The duct segment 2 begins and ends at the same junction."},
    };
    for (const Case& c : cases) {
        DuctProject d;
        Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
        DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
        cmf.name = "fan";
        std::get<ConstantFlowData>(cmf.data).Flow = 0.05f;
        Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 0.5f);
        Junction* tee = d.node(room, 2, kJunctionPlain);
        Junction* out = d.node(room, 2, kJunctionTerminal, 2.0f);
        d.segment(intake, tee, d.element(cmf), 1, 0);
        DuctSegment* duct = d.segment(tee, out, d.element(round_duct(0.2)), 4, 0.5f);
        c.spoil(d, intake, tee, out, duct);
        try {
            AirflowNetwork network(*d.p);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

WeekSchedule* constant_week(Project& p, const std::string& name, std::int16_t utyp, float value)
{
    DaySchedule day = new_day_schedule(utyp, 0);
    day.name = name;
    day.points = {{0, value}, {86400, value}};
    DaySchedule* stored = p.day_schedules.insert_copy(day);
    WeekSchedule week = new_week_schedule(utyp, 0);
    week.name = name;
    for (DaySchedule*& d : week.days) d = stored;
    return p.week_schedules.insert_copy(week);
}

// A segment's schedule scales its flow as a path's does; a junction
// follows its temperature schedule; a terminal takes its room's
// temperature, scheduled or not.
TEST(DuctNetwork, SegmentsAndJunctionsFollowTheirSchedules)
{
    DuctProject d;
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50, 0, false, 0);
    room->schedule = constant_week(*d.p, "room_T", kScheduleTemperature, 298.15f);
    DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
    cmf.name = "fan";
    std::get<ConstantFlowData>(cmf.data).Flow = 0.2f;
    Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 0.5f);
    Junction* tee = d.node(room, 2, kJunctionPlain);
    tee->schedule = constant_week(*d.p, "duct_T", kScheduleTemperature, 310.15f);
    Junction* out = d.node(room, 2, kJunctionTerminal, 2.0f);
    d.segment(intake, tee, d.element(cmf), 1, 0)->schedule =
        constant_week(*d.p, "half", kScheduleDimensionless, 0.5f);
    d.segment(tee, out, d.element(round_duct(0.2)), 4, 0.5f);
    AirflowNetwork network(*d.p);
    EXPECT_TRUE(network.follow_schedules(2, 12 * 3600.0));
    ASSERT_TRUE(network.solve(Weather{273.15, kPb, 0, 0, 1}).converged);
    EXPECT_NEAR(link_of(network, LinkKind::Terminal, 3).F0, 0.5 * static_cast<double>(0.2f), 1e-9);
    EXPECT_FLOAT_EQ(static_cast<float>(network.nodes()[2].T), 310.15f);  // the junction
    EXPECT_FLOAT_EQ(static_cast<float>(network.nodes()[3].T), 298.15f);  // the terminal, as its room
    EXPECT_FLOAT_EQ(static_cast<float>(network.nodes()[1].T), 273.15f);  // the intake, as the outdoors
}

// Outdoor air with a tracer blown through the ducts into a room that
// leaks out: at steady state every junction, terminal and the room hold
// the outdoor concentration. A junction holds half the volume of each of
// its segments.
TEST(DuctNetwork, ContaminantsAreCarriedThroughTheDucts)
{
    DuctProject d;
    testing::add_species(*d.p, "tracer", 0, 1e-3f);
    ASSERT_EQ(rebuild_contaminants(*d.p), 0);
    d.p->rc.sim_mf = 1;
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50);
    AirflowElement* leak = bench::add_network_element(*d.p, "leak", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.01f;
    });
    bench::add_network_path(*d.p, room, ZoneRef::ambient(), leak, 1);
    DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
    cmf.name = "fan";
    std::get<ConstantFlowData>(cmf.data).Flow = 0.05f;
    DuctElement* duct = d.element(round_duct(0.2));
    Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 0.5f);
    Junction* tee = d.node(room, 2, kJunctionPlain);
    Junction* out = d.node(room, 2, kJunctionTerminal, 2.0f);
    DuctElement* fan = d.element(cmf);
    d.segment(intake, tee, fan, 1, 0);
    d.segment(tee, out, duct, 6, 0.5f);
    for (Junction& j : d.p->junctions) j.CC0 = {0};
    room->CC0 = {0};
    AirflowNetwork network(*d.p);
    ASSERT_TRUE(network.solve(Weather{293.15, kPb, 0, 0, 1}).converged);
    EXPECT_NEAR(network.nodes()[2].volume, 0.5 * (1 * fan->shape.area + 6 * duct->shape.area), 1e-8)
        << "half of the fan's and half of the duct's";
    ContaminantSolver solver(contaminant_model(*d.p, network.nodes(), network.links()), network.nodes(), network.links());
    solver.solve_steady(network.nodes(), network.links());
    for (int i = 0; i < static_cast<int>(network.nodes().size()); ++i)
        EXPECT_NEAR(solver.concentration(i, 0), static_cast<double>(1e-3f), 1e-15) << "node " << i;
}

// The same system with a filter of efficiency a on the duct to the supply
// terminal and one of efficiency b in the terminal: the terminal's node
// holds (1 - a) Cout and the room, which only the terminal feeds,
// (1 - a)(1 - b) Cout.
TEST(DuctNetwork, FiltersInASegmentAndATerminalKeepTheirShares)
{
    DuctProject d;
    Species* tracer = testing::add_species(*d.p, "tracer", 0, 1e-3f);
    ASSERT_EQ(rebuild_contaminants(*d.p), 0);
    Zone* room = bench::add_network_zone(*d.p, "room", 293.15f, 50);
    AirflowElement* leak = bench::add_network_element(*d.p, "leak", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.01f;
    });
    bench::add_network_path(*d.p, room, ZoneRef::ambient(), leak, 1);
    DuctElement cmf = new_duct_element(kDctCmf, NewElementContext{});
    cmf.name = "fan";
    std::get<ConstantFlowData>(cmf.data).Flow = 0.05f;
    DuctElement* duct = d.element(round_duct(0.2));
    Junction* intake = d.node(ZoneRef::ambient(), 2, kJunctionExposed, 0.5f);
    Junction* tee = d.node(room, 2, kJunctionPlain);
    Junction* out = d.node(room, 2, kJunctionTerminal, 2.0f);
    d.segment(intake, tee, d.element(cmf), 1, 0);
    DuctSegment* filtered = d.segment(tee, out, duct, 6, 0.5f);
    const float a = 0.375f, b = 0.75f;  // exact in a float
    const auto add_filter = [&](const char* name, float eta) {
        FilterElement e = new_filter_element(kFltCef);
        e.name = name;
        e.data = ConstantEfficiencyData{{tracer}, {eta}};
        FilterElement* stored = d.p->filter_elements.insert_copy(e);
        Filter f;
        f.element = stored;
        f.loads = loads_for(stored);
        return d.p->filters.add(f);
    };
    filtered->filter = add_filter("duct", a);
    out->terminal.filter = add_filter("terminal", b);
    AirflowNetwork network(*d.p);
    ASSERT_TRUE(network.solve(Weather{293.15, kPb, 0, 0, 1}).converged);
    ContaminantSolver solver(contaminant_model(*d.p, network.nodes(), network.links()), network.nodes(), network.links());
    solver.solve_steady(network.nodes(), network.links());
    const double Cout = static_cast<double>(1e-3f);
    const int room_node = 0, tee_node = 1 + tee->nr - 1, out_node = 1 + out->nr - 1;
    EXPECT_NEAR(solver.concentration(tee_node, 0), Cout, 1e-15);
    EXPECT_NEAR(solver.concentration(out_node, 0), (1 - a) * Cout, 1e-15);
    EXPECT_NEAR(solver.concentration(room_node, 0), (1 - a) * (1 - b) * Cout, 1e-15);
}

}  // namespace
}  // namespace avelor::engine
