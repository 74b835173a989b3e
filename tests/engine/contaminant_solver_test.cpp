#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "contaminant_solver.h"
#include "model/project.h"
#include "support/species_fixtures.h"

namespace avelor::engine {
namespace {

constexpr double kRho = 1.2041;

Node zone_node(int number, double volume)
{
    Node n;
    n.kind = NodeKind::Zone;
    n.number = number;
    n.unknown = true;
    n.variable_ctm = true;
    n.volume = volume;
    n.rho = kRho;
    return n;
}

Node ambient_node()
{
    Node n;
    n.kind = NodeKind::Ambient;
    return n;
}

Link link(int number, int n, int m, double F0, double F1 = 0)
{
    Link l;
    l.number = number;
    l.n = n;
    l.m = m;
    l.F0 = F0;
    l.F1 = F1;
    return l;
}

ContaminantModel model_for(const std::vector<Node>& nodes, std::vector<double> decay, std::vector<double> outdoor,
                           const std::vector<double>& initial)
{
    ContaminantModel m;
    m.nctm = static_cast<int>(decay.size());
    m.decay = std::move(decay);
    m.outdoor = std::move(outdoor);
    for (const Node& n : nodes) {
        m.initial.push_back(n.kind == NodeKind::Ambient ? m.outdoor : initial);
        m.reactions.emplace_back();
    }
    return m;
}

// One zone of 100 m3 ventilated by 0.05 kg/s of clean air, starting at
// C0 = 1e-3 kg/kg: M dC/dt = -(F + decay M) C, so one backward Euler step
// multiplies C by 1 / (1 + lambda dt) with lambda = F / M + decay, and a
// theta step by (1 - (1 - theta) lambda dt) / (1 + theta lambda dt).
TEST(ContaminantSolver, VentilatedZoneDecaysAsTheTimeSteppingPredicts)
{
    struct Case {
        const char* name;
        LinearMethod method;
        double dt, theta, decay;
        int steps;
        bool two_way;  // the air leaves and enters by one opening's two flow parts
    };
    const std::array<Case, 6> cases{{
        {"backward Euler, 300 s, LU", LinearMethod::DirectLU, 300, 1, 0, 12, false},
        {"backward Euler, 60 s, LU", LinearMethod::DirectLU, 60, 1, 0, 60, false},
        {"with species decay, BiCGSTAB", LinearMethod::BiCGStab, 300, 1, 2e-4, 12, false},
        {"Crank-Nicolson, SOR", LinearMethod::Sor, 300, 0.5, 0, 12, false},
        {"two-way opening", LinearMethod::DirectLU, 300, 1, 0, 12, true},
        {"with species decay, SOR", LinearMethod::Sor, 600, 1, 1e-4, 6, false},
    }};
    const double F = 0.05, V = 100, C0 = 1e-3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Node> nodes{zone_node(1, V), ambient_node()};
        std::vector<Link> links;
        if (c.two_way)
            links = {link(1, 0, 1, F, -F)};
        else
            links = {link(1, 1, 0, F), link(2, 0, 1, F)};
        ContaminantModel model = model_for(nodes, {c.decay}, {0.0}, {C0});
        model.settings.method = c.method;
        model.settings.theta = c.theta;
        model.settings.rel_tolerance = 1e-12;
        model.settings.abs_tolerance = 1e-20;
        ContaminantSolver solver(std::move(model), nodes, links);
        EXPECT_DOUBLE_EQ(solver.concentration(0, 0), C0);
        const double lambda = F / (kRho * V) + c.decay;
        const double factor = (1 - (1 - c.theta) * lambda * c.dt) / (1 + c.theta * lambda * c.dt);
        for (int k = 1; k <= c.steps; ++k) {
            const ContaminantReport report = solver.step(nodes, links, c.dt);
            EXPECT_TRUE(report.converged);
            EXPECT_NEAR(solver.concentration(0, 0), C0 * std::pow(factor, k), 1e-9 * C0) << "step " << k;
        }
        // The ambient node is a boundary and keeps the outdoor value.
        EXPECT_EQ(solver.concentration(1, 0), 0.0);
    }
    // The worked figure of one hour at 300 s: 0.2444 C0.
    const double lambda = F / (kRho * V);
    EXPECT_NEAR(std::pow(1 + lambda * 300, -12), 0.2444, 5e-5);
}

TEST(ContaminantSolver, EachStepTakesTheFlowsOfItsEnd)
{
    // Backward Euler with the flow doubled for the second step:
    // C2 = C0 / ((1 + lambda dt) (1 + 2 lambda dt)).
    const double F = 0.02, V = 40, C0 = 1e-3, dt = 600;
    const std::vector<Node> nodes{zone_node(1, V), ambient_node()};
    std::vector<Link> links{link(1, 1, 0, F), link(2, 0, 1, F)};
    ContaminantSolver solver(model_for(nodes, {0}, {0}, {C0}), nodes, links);
    const double lambda = F / (kRho * V);
    for (double scale : {1.0, 2.0, 2.0}) {
        links[0].F0 = links[1].F0 = scale * F;
        const double before = solver.concentration(0, 0);
        solver.step(nodes, links, dt);
        EXPECT_NEAR(solver.concentration(0, 0), before / (1 + scale * lambda * dt), 1e-12 * C0) << scale;
    }
}

// Steady states of the flows, each derived by hand in its row.
TEST(ContaminantSolver, SteadyBalances)
{
    const double F = 0.05, V = 100, M = kRho * V;
    const double Cout = 2e-5, k = 3e-4;
    struct Case {
        const char* name;
        std::vector<Node> nodes;
        std::vector<Link> links;
        std::vector<double> decay;
        std::vector<double> outdoor;
        std::vector<ReactionTerm> reactions;  // of node 0
        std::vector<double> expected;         // node by node, species by species, but ambient
    };
    const std::vector<Case> cases{
        // Outdoor air through one zone: C = Cout.
        {"outdoor air", {zone_node(1, V), ambient_node()}, {link(1, 1, 0, F), link(2, 0, 1, F)}, {0}, {Cout}, {},
         {Cout}},
        // Two zones in series with decay: F Cout = (F + k M) C1, F C1 = (F + k M) C2.
        {"zones in series with decay",
         {zone_node(1, V), zone_node(2, V), ambient_node()},
         {link(1, 2, 0, F), link(2, 0, 1, F), link(3, 1, 2, F)},
         {k},
         {Cout},
         {},
         {F * Cout / (F + k * M), F * F * Cout / ((F + k * M) * (F + k * M))}},
        // A turns into B in zone 1: F CoutA = (F + k M) CA and
        // F CB = F CoutB + k M CA.
        {"reaction A -> B",
         {zone_node(1, V), ambient_node()},
         {link(1, 1, 0, F), link(2, 0, 1, F)},
         {0, 0},
         {Cout, 0.5 * Cout},
         {{0, 0, -k}, {1, 0, k}},
         {F * Cout / (F + k * M), 0.5 * Cout + k * M / F * (F * Cout / (F + k * M))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ContaminantModel model = model_for(c.nodes, c.decay, c.outdoor, std::vector<double>(c.decay.size(), 0.0));
        model.reactions[0] = c.reactions;
        ContaminantSolver solver(std::move(model), c.nodes, c.links);
        solver.solve_steady(c.nodes, c.links);
        const int nctm = static_cast<int>(c.decay.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR(solver.concentration(static_cast<int>(i) / nctm, static_cast<int>(i) % nctm), c.expected[i],
                        1e-12 * Cout)
                << i;
        // A backward Euler step from the steady state stays there.
        solver.step(c.nodes, c.links, 3600);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR(solver.concentration(static_cast<int>(i) / nctm, static_cast<int>(i) % nctm), c.expected[i],
                        1e-12 * Cout);
    }
}

TEST(ContaminantSolver, ConstantZonesAreBoundaries)
{
    // Zone 2 holds a constant 5e-4 and feeds zone 1; zone 1 tends to it.
    std::vector<Node> nodes{zone_node(1, 50), zone_node(2, 50), ambient_node()};
    nodes[1].variable_ctm = false;
    const std::vector<Link> links{link(1, 1, 0, 0.02), link(2, 0, 2, 0.02)};
    ContaminantModel model = model_for(nodes, {0}, {0}, {0});
    model.initial[1] = {5e-4};
    ContaminantSolver solver(std::move(model), nodes, links);
    solver.solve_steady(nodes, links);
    EXPECT_NEAR(solver.concentration(0, 0), 5e-4, 1e-15);
    EXPECT_DOUBLE_EQ(solver.concentration(1, 0), 5e-4);
}

TEST(ContaminantSolver, ProjectsItCannotSimulateAreRefused)
{
    struct Case {
        const char* name;
        void (*prepare)(Project&);
        const char* words;
    };
    const std::array<Case, 2> cases{{
        {"source without an element",
         [](Project& p) {
             p.Ctm = {avelor::testing::add_species(p, "VOC", 0, 0)};
             p.sources.add(SourceSink{});
         },
         "source/sink 1 has no source/sink element"},
        {"unknown solver",
         [](Project& p) {
             p.Ctm = {avelor::testing::add_species(p, "VOC", 0, 0)};
             p.rc.trace.slae = 7;
         },
         "solver setting 7"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project project;
        c.prepare(project);
        const std::vector<Node> nodes{ambient_node()};
        try {
            contaminant_model(project, nodes, {});
            ADD_FAILURE() << "not refused";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        }
    }
}

TEST(ContaminantSolver, ModelTakesZoneValuesAndReactionsOfTheProject)
{
    Project project;
    Species* a = avelor::testing::add_species(project, "A", 0, 1e-6f);
    Species* b = avelor::testing::add_species(project, "B", 0, 2e-6f);
    Species* other = avelor::testing::add_species(project, "C", 0, 0, 0);  // not simulated
    a->decay = 1e-4f;
    project.Ctm = {a, b};
    KineticReaction reaction;
    reaction.name = "r";
    reaction.pairs = {{b, a, 0.5f}, {other, a, 0.25f}};
    KineticReaction* stored = project.reactions.insert_copy(reaction);
    Zone zone;
    zone.CC0 = {3e-6f, 4e-6f};
    zone.reaction = stored;
    add_zone(project, zone);

    Node z = zone_node(1, 10);
    const std::vector<Node> nodes{z, ambient_node()};
    const ContaminantModel m = contaminant_model(project, nodes, {});
    ASSERT_EQ(m.nctm, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(m.decay[0]), a->decay);
    EXPECT_FLOAT_EQ(static_cast<float>(m.outdoor[1]), b->CCdef);
    EXPECT_FLOAT_EQ(static_cast<float>(m.initial[0][1]), zone.CC0[1]);
    EXPECT_EQ(m.initial[1], m.outdoor);
    // The pair naming a species that is not simulated is left out.
    ASSERT_EQ(m.reactions[0].size(), 1u);
    EXPECT_EQ(m.reactions[0][0].product, 1);
    EXPECT_EQ(m.reactions[0][0].reactant, 0);
    EXPECT_TRUE(m.reactions[1].empty());
}

}  // namespace
}  // namespace avelor::engine
