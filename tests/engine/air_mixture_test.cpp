// Non-trace contaminants make up the air: its gas constant from the
// mixture's mean molar mass, the zone density of the ideal gas law with it,
// and the stack flow a heavier room air drives through two openings of an
// isothermal building, each derived here by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "air_mixture.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "simulation_run.h"
#include "support/species_fixtures.h"

namespace avelor::engine {
namespace {

constexpr double kRu = 8314.41;
constexpr double kPb = 101325;
constexpr double kG = 9.8055;
constexpr double kT = static_cast<double>(293.15f);  // as the project holds it

// 1 / M = sum w_k / M_k with w normalised to 1; R = Ru / M.
double mixture_R(const std::vector<double>& C, const std::vector<double>& M)
{
    double total = 0, moles = 0;
    for (std::size_t k = 0; k < C.size(); ++k) {
        total += C[k];
        moles += C[k] / M[k];
    }
    return kRu * moles / total;
}

TEST(AirMixture, GasConstantOfTheNonTraceMixture)
{
    Project project;
    Species* n2 = testing::add_species(project, "N2", 1, 0.7f);
    Species* co2 = testing::add_species(project, "CO2", 1, 0.3f);
    Species* tracer = testing::add_species(project, "tracer", 0, 0);
    n2->molwt = 28.0134f;
    co2->molwt = 44.01f;
    tracer->molwt = 200;
    project.Ctm = {n2, co2, tracer};
    const AirMixture mixture(project);
    ASSERT_TRUE(mixture.active());
    const double M1 = n2->molwt, M2 = co2->molwt;
    struct Case {
        std::vector<double> C;  // N2, CO2, tracer
        double R;
    };
    for (const Case& c : {Case{{0.7, 0.3, 0}, mixture_R({0.7, 0.3}, {M1, M2})},
                          // Any sum is normalised; the tracer never counts.
                          Case{{0.35, 0.15, 0.5}, mixture_R({0.7, 0.3}, {M1, M2})},
                          Case{{1, 0, 0}, kRu / M1},
                          // Nothing non-trace at all: air.
                          Case{{0, 0, 1e-3}, 287.055}}) {
        EXPECT_NEAR(mixture.gas_constant(c.C.data()), c.R, 1e-9 * c.R);
    }
    // Air's molar mass gives the engine's air.
    n2->molwt = 28.9645f;
    EXPECT_NEAR(AirMixture(project).gas_constant(std::vector<double>{1, 0, 0}.data()), 287.055, 1e-3);

    // Only trace contaminants: nothing to do; a non-trace one must weigh.
    project.Ctm = {tracer};
    EXPECT_FALSE(AirMixture(project).active());
    co2->molwt = 0;
    project.Ctm = {n2, co2};
    EXPECT_THROW(AirMixture{project}, EngineError);
}

struct StackResult {
    std::vector<Node> nodes;
    std::vector<Link> links;
};

struct StackCase {
    bool non_trace = true;
    bool variable_zone = false;  // its concentrations solved (else held at its initial ones)
    bool tsdens = false;
};

// The stack example (one room, orifices of 0.01 m2 and Cd 0.6 at 0.5 m and
// 2.5 m) made isothermal at 293.15 K, with outdoor air of 0.999 N2 and
// 0.001 CO2 and a room holding 0.8 N2 and 0.2 CO2, solved steadily.
StackResult run_stack(const StackCase& c, const std::string& name)
{
    Project project;
    EXPECT_EQ(read_project(std::string(AVELOR_SOURCE_DIR) + "/examples/stack_two_orifices.prj", project, ReadOptions{}),
              0);
    const std::int16_t t = c.non_trace ? 1 : 0;
    Species* n2 = testing::add_species(project, "N2", t, 0.999f);
    Species* co2 = testing::add_species(project, "CO2", t, 0.001f);
    n2->molwt = 28.0134f;
    co2->molwt = 44.01f;
    EXPECT_EQ(rebuild_contaminants(project), 0);
    Zone* zone = project.zones.at(1);
    for (std::size_t a = 0; a < project.Ctm.size(); ++a) zone->CC0[a] = project.Ctm[a] == n2 ? 0.8f : 0.2f;
    if (!c.variable_zone) zone->flags &= static_cast<std::uint16_t>(~kZoneVariableContaminants);
    project.rc.steady.Ta = static_cast<float>(kT);
    project.rc.sim_mf = 1;
    project.rc.tsdens = c.tsdens ? 1 : 0;
    project.rc.tsrelax = 0.75f;
    project.rc.tsmaxi = 40;
    NetworkFlowModel flows(project);
    const std::string base = ::testing::TempDir() + name;
    EXPECT_EQ(run_simulation(project, flows, base + ".sim", base + ".rst", RunOptions{}), RunOutcome::Finished);
    return {flows.nodes(), flows.links()};
}

// The room air is heavier: with D = g (rho_a - rho_i) < 0 the driving
// pressure from outdoors in at height z is -p - D z, the air enters at the
// top and leaves at the bottom, and rho_a dP2 = rho_i (-dP1) with dP2 -
// dP1 = -D (z2 - z1) gives dP1 = D (z2 - z1) rho_a / (rho_a + rho_i) and
// p = -dP1 - D z1, rho_i = (Pb + p) / (R_i T) taken in turn to a fixed
// point; F = Cd sqrt(2) A sqrt(rho_a dP2).
TEST(AirMixture, HeavierRoomAirDrivesAStackFlowOfItsDensity)
{
    const double z1 = 0.5, z2 = 2.5, turb = 0.6 * std::sqrt(2.0) * 0.01;
    const std::vector<double> M{static_cast<double>(28.0134f), static_cast<double>(44.01f)};
    const double R_a = mixture_R({static_cast<double>(0.999f), static_cast<double>(0.001f)}, M);
    const double R_i = mixture_R({static_cast<double>(0.8f), static_cast<double>(0.2f)}, M);
    const double rho_a = kPb / (R_a * kT);
    double p = 0, rho_i = 0, D = 0, dP1 = 0;
    for (int pass = 0; pass < 30; ++pass) {
        rho_i = (kPb + p) / (R_i * kT);
        D = kG * (rho_a - rho_i);
        dP1 = D * (z2 - z1) * rho_a / (rho_a + rho_i);
        p = -dP1 - D * z1;
    }
    const double dP2 = -p - D * z2;
    const double F = turb * std::sqrt(rho_a * dP2);
    ASSERT_LT(D, 0);
    ASSERT_LT(dP1, 0);
    ASSERT_GT(dP2, 0);

    const StackResult held = run_stack({true, false, false}, "mixture_held");
    ASSERT_EQ(held.links.size(), 2u);
    EXPECT_NEAR(held.nodes[0].rho, rho_i, 1e-6 * rho_i);
    EXPECT_NEAR(held.nodes.back().rho, rho_a, 1e-9 * rho_a);
    EXPECT_NEAR(held.nodes[0].p, p, 1e-4 * std::fabs(p));
    EXPECT_NEAR(held.links[0].F0, -F, 1e-4 * F);  // out at the bottom
    EXPECT_NEAR(held.links[1].F0, F, 1e-4 * F);   // in at the top

    // The same concentrations as trace contaminants leave the air alone:
    // an isothermal building without wind has no flow.
    const StackResult trace = run_stack({false, false, false}, "mixture_trace");
    EXPECT_NEAR(trace.nodes[0].rho, kPb / (287.055 * kT), 1e-9);
    EXPECT_LT(std::fabs(trace.links[0].F0), 1e-6 * F);

    // A room whose air is solved: the outdoor air the stack brings in
    // replaces it at steady state. Solved once, the airflow keeps the
    // initial densities; with the vary-density flag the airflow and the
    // concentrations are solved in turn until the room holds outdoor air,
    // and the stack dies away.
    const StackResult once = run_stack({true, true, false}, "mixture_once");
    EXPECT_NEAR(once.nodes[0].rho, rho_i, 1e-6 * rho_i);
    EXPECT_NEAR(once.links[1].F0, F, 1e-4 * F);
    const StackResult coupled = run_stack({true, true, true}, "mixture_coupled");
    EXPECT_NEAR(coupled.nodes[0].rho, rho_a, 1e-5 * rho_a);
    EXPECT_LT(std::fabs(coupled.links[1].F0), 0.05 * F);
}

}  // namespace
}  // namespace avelor::engine
