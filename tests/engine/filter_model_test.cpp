// Filters on the links against mass balances written out by hand: what a
// filter keeps of the upstream mass, stages in series, the particle curve
// read at a species' diameter, a gaseous filter that breaks through when
// its collected mass reaches the end of its loading curve, and germicidal
// light whose dose falls with the flow.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "contaminant_solver.h"
#include "filter_model.h"
#include "model/filter_element.h"
#include "model/species.h"

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

Link link(int n, int m, double F0, double F1 = 0)
{
    Link l;
    l.n = n;
    l.m = m;
    l.F0 = F0;
    l.F1 = F1;
    return l;
}

Species species(const std::string& name, float mdiam = 0, float Kuv = 0)
{
    Species s = new_species();
    s.name = name;
    s.mdiam = mdiam;
    s.edens = mdiam > 0 ? 1000.0f : 0.0f;
    s.Kuv = Kuv;
    return s;
}

// An element of mass density x area x depth = 64 x 0.5 x 0.03125 = 1 kg
// unless the test says otherwise (values a float holds exactly, as the
// efficiencies below).
FilterElement element(const std::string& name, std::int16_t type, FilterData data)
{
    FilterElement e = new_filter_element(type);
    e.name = name;
    e.density = 64;
    e.area = 0.5f;
    e.depth = 0.03125f;
    e.data = std::move(data);
    return e;
}

Filter filter_of(FilterElement* e)
{
    Filter f;
    f.nr = 1;
    f.element = e;
    f.loads = loads_for(e);
    return f;
}

ContaminantModel model_for(const std::vector<Node>& nodes, const std::vector<double>& outdoor)
{
    ContaminantModel m;
    m.nctm = static_cast<int>(outdoor.size());
    m.decay.assign(outdoor.size(), 0.0);
    m.outdoor = outdoor;
    for (const Node& n : nodes) {
        m.initial.push_back(n.kind == NodeKind::Ambient ? outdoor : std::vector<double>(outdoor.size(), 0.0));
        m.reactions.emplace_back();
    }
    return m;
}

// Outdoor air Fo enters zone 1 and leaves zone 2; zone 1 sends Fa to zone
// 2 through a filter of efficiency eta for species A (species B is not
// listed) and zone 2 returns Fb = Fa - Fo. Steady balances:
//   zone 2: (1 - eta) Fa C1 = Fa C2, so C2 = (1 - eta) C1;
//   zone 1: Fo Cout + Fb C2 = Fa C1, so C1 = Fo Cout / (Fa - (1 - eta) Fb).
// With the return through the same filtered opening (its second flow part)
// the return is filtered too: C1 = Fo Cout / (Fa - (1 - eta)^2 Fb).
// At steady state what the filter keeps per second, eta times the
// upstream mass of each part, is what the building loses: Fo (Cout - C2).
TEST(Filters, ConstantEfficiencyFilterKeepsItsShareOfTheUpstreamMass)
{
    const double Fo = 0.02, Fa = 0.05, Fb = Fa - Fo, Cout = 1e-4, eta = 0.75, dt = 600;
    Species a = species("A"), b = species("B");
    FilterElement e = element("cef", kFltCef, ConstantEfficiencyData{{&a}, {static_cast<float>(eta)}});
    const Filter f = filter_of(&e);
    for (bool return_through_filter : {false, true}) {
        SCOPED_TRACE(return_through_filter ? "two-way filtered opening" : "separate return");
        const std::vector<Node> nodes{zone_node(1, 30), zone_node(2, 20), ambient_node()};
        std::vector<Link> links{link(2, 0, Fo), link(0, 1, Fa), link(1, 2, Fo)};
        if (return_through_filter)
            links[1].F1 = -Fb;
        else
            links.push_back(link(1, 0, Fb));
        std::vector<const Filter*> filters(links.size(), nullptr);
        filters[1] = &f;
        ContaminantModel model = model_for(nodes, {Cout, Cout});
        model.filters = FilterModel(filters, {&a, &b});
        ContaminantSolver solver(std::move(model), nodes, links);

        const double back = return_through_filter ? (1 - eta) * (1 - eta) : 1 - eta;
        const double C1 = Fo * Cout / (Fa - back * Fb), C2 = (1 - eta) * C1;
        solver.solve_steady(nodes, links);
        EXPECT_NEAR(solver.concentration(0, 0), C1, 1e-12 * Cout);
        EXPECT_NEAR(solver.concentration(1, 0), C2, 1e-12 * Cout);
        EXPECT_NEAR(solver.concentration(0, 1), Cout, 1e-12 * Cout);  // not filtered
        EXPECT_NEAR(solver.concentration(1, 1), Cout, 1e-12 * Cout);
        // The steady solve collects nothing.
        EXPECT_EQ(solver.filters().loading(1, 0, 0), 0.0);

        // Steps from the steady state stay there, and each one's gain of
        // the filter (1 kg) is the building's loss over the step.
        for (int k = 1; k <= 3; ++k) {
            const double before = solver.filters().loading(1, 0, 0);
            solver.step(nodes, links, dt);
            EXPECT_NEAR(solver.filters().loading(1, 0, 0) - before, Fo * (Cout - C2) * dt, 1e-9 * Fo * Cout * dt);
            EXPECT_EQ(solver.filters().loading(1, 0, 1), 0.0);
        }
    }
}

// A two-stage super filter passes (1 - a)(1 - b); the first stage keeps a
// of what arrives, the second b of what the first let through, each on its
// own mass and on top of the loading it started with.
TEST(Filters, SuperFilterStagesActInSeries)
{
    Species s = species("S");
    const double a = 0.25, b = 0.625, q = 0.04, C = 2e-5, dt = 900;
    FilterElement first = element("first", kFltCef, ConstantEfficiencyData{{&s}, {static_cast<float>(a)}});
    FilterElement second = element("second", kFltCef, ConstantEfficiencyData{{&s}, {static_cast<float>(b)}});
    second.density = 32;  // 0.5 kg
    FilterElement super = element("super", kFltSpf, SuperFilterData{{&first, &second}});
    Filter f = filter_of(&super);
    ASSERT_EQ(f.loads.size(), 2u);
    f.loads[1].species = {{&s, 0.125f}};

    const std::vector<Node> nodes{zone_node(1, 10), ambient_node()};
    const std::vector<Link> links{link(1, 0, q), link(0, 1, q)};  // in through the filter, out unfiltered
    FilterModel model({&f, nullptr}, {&s});
    ASSERT_EQ(model.sub_filters(0), 2);
    EXPECT_EQ(model.sub_filters(1), 0);
    model.prepare(links);
    EXPECT_NEAR(model.pass(0, 0, 0), (1 - a) * (1 - b), 1e-15);
    EXPECT_EQ(model.pass(1, 0, 0), 1.0);

    std::vector<double> conc{0, C};  // the zone, the outdoors
    model.collect(links, conc, conc, 1, dt);
    EXPECT_NEAR(model.loading(0, 0, 0), q * C * dt * a / 1.0, 1e-7 * q * C * dt);
    EXPECT_NEAR(model.loading(0, 1, 0), 0.125 + q * C * dt * (1 - a) * b / 0.5, 1e-7 * q * C * dt);
}

// The particle curve is drawn on log10 of the size in its own unit; with
// three points both segments are the straight lines between them, so the
// efficiency is linear in log10(d) between the points; beyond them the end
// lines continue and the efficiency is clamped to 0..1.
TEST(Filters, ParticleFilterReadsItsCurveAtTheSpeciesDiameter)
{
    const std::vector<float> sizes{1e-7f, 1e-6f, 1e-5f};  // m: 0.1, 1, 10 um
    const std::vector<float> effs{0.2f, 0.5f, 0.9f};
    struct Case {
        const char* name;
        double diameter;  // m
        double eta;
    };
    const std::array<Case, 6> cases{{
        {"at a point", 1e-6, 0.5},
        {"half a decade into the first segment", std::pow(10.0, -6.5), 0.35},
        {"half a decade into the last", std::pow(10.0, -5.5), 0.7},
        {"far below, clamped at 0", 1e-9, 0.0},
        {"far above, clamped at 1", 1e-4, 1.0},
        {"a gas", 0, 0.0},
    }};
    for (std::int16_t unit : {std::int16_t{6}, std::int16_t{0}}) {  // um, m: the same curve
        SCOPED_TRACE(unit);
        FilterElement e = element("pf", kFltPf0, ParticleFilterData{sizes, effs, unit});
        const Filter f = filter_of(&e);
        std::vector<Species> list;
        for (const Case& c : cases) list.push_back(species(c.name, static_cast<float>(c.diameter)));
        std::vector<const Species*> contaminants;
        for (const Species& s : list) contaminants.push_back(&s);
        FilterModel model({&f}, contaminants);
        model.prepare({link(1, 0, 0.1)});
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_NEAR(1 - model.pass(0, 0, static_cast<int>(i)), cases[i].eta, 2e-6) << cases[i].name;
    }
}

// A gaseous filter of constant efficiency 0.875 up to a relative loading of
// 0.04 breaks through to 0.25 beyond it. Outdoor air with a constant
// Cout enters a zone through it at q, so the filter (1 kg)
// loads at the rate 0.875 q Cout and reaches 0.04 at t_b = 0.04 /
// (0.875 q Cout). The efficiency of a step is the one of its starting loading.
// Long after, the zone holds (1 - 0.25) Cout.
TEST(Filters, GaseousFilterBreaksThroughWhenItsLoadingIsReached)
{
    Species s = species("VOC");
    const double q = 0.01, Cout = 1e-4, dt = 300, last = 0.04, eta = 0.875, breakthrough = 0.25;
    GaseousFilterData data;
    data.curves.push_back(GaseousCurve{&s, static_cast<float>(breakthrough), {0, 0.01f, 0.02f, 0.04f},
                                       {0.875f, 0.875f, 0.875f, 0.875f}});
    FilterElement e = element("gf", kFltGf0, data);
    const Filter f = filter_of(&e);
    const std::vector<Node> nodes{zone_node(1, 10), ambient_node()};
    const std::vector<Link> links{link(1, 0, q), link(0, 1, q)};
    ContaminantModel model = model_for(nodes, {Cout});
    model.filters = FilterModel({&f, nullptr}, {&s});
    ContaminantSolver solver(std::move(model), nodes, links);

    const double rate = eta * q * Cout;           // kg/s into 1 kg of filter
    const double t_b = static_cast<double>(0.04f) / rate;  // about 12.3 h
    const double rate_after = breakthrough * q * Cout;
    double t = 0, expected_loading = 0, switched_at = -1;
    for (int k = 1; k <= 400; ++k) {
        // The step starting at t works with the loading reached at t.
        const double eta_step = t > t_b ? breakthrough : eta;
        solver.step(nodes, links, dt);
        EXPECT_NEAR(1 - solver.filters().pass(0, 0, 0), eta_step, 1e-7) << "step " << k;
        if (eta_step == breakthrough && switched_at < 0) switched_at = t;
        expected_loading += (eta_step == eta ? rate : rate_after) * dt;
        t += dt;
        EXPECT_NEAR(solver.filters().loading(0, 0, 0), expected_loading, 1e-9 * last) << "step " << k;
    }
    // The first step that starts beyond t_b is the first to break through.
    EXPECT_GE(switched_at, t_b);
    EXPECT_LT(switched_at, t_b + dt);
    EXPECT_NEAR(solver.concentration(0, 0), (1 - breakthrough) * Cout, 1e-6 * Cout);
}

// A falling gaseous curve never drops below the breakthrough efficiency,
// and the loadings the filter starts with (the project's) set where on the
// curve it starts.
TEST(Filters, GaseousEfficiencyFollowsTheStartingLoading)
{
    Species s = species("VOC"), other = species("other");
    GaseousFilterData data;
    data.curves.push_back(GaseousCurve{&s, 0.5f, {0, 0.01f, 0.02f, 0.03f}, {0.9f, 0.9f, 0.3f, 0.3f}});
    FilterElement e = element("gf", kFltGf0, data);
    struct Case {
        float loading;
        double eta;
    };
    for (const Case& c : {Case{0, 0.9}, Case{0.01f, 0.9}, Case{0.03f, 0.5}, Case{0.05f, 0.5}}) {
        SCOPED_TRACE(c.loading);
        Filter f = filter_of(&e);
        f.loads[0].species = {{&s, c.loading}};
        FilterModel model({&f}, {&s, &other});
        model.prepare({link(1, 0, 0.1)});
        EXPECT_NEAR(1 - model.pass(0, 0, 0), c.eta, 1e-6);
        EXPECT_EQ(model.pass(0, 0, 1), 1.0);  // no curve, no filtering
    }
}

// Germicidal light: the dose falls as the flow rises, D = D_design F_design
// / F, so the survival is S^(F_design / F) with the element's rate constant
// and exp(-Kuv D) with the species' own; gases pass, and nothing is
// collected.
TEST(Filters, UvgiDoseFallsWithTheFlow)
{
    Species bug = species("bug", 1e-6f), tough = species("tough", 1e-6f, 0.005f), gas = species("gas");
    UvgiFilterData uv = std::get<UvgiFilterData>(new_filter_data(kFltUv1));
    FilterElement e = element("uv", kFltUv1, uv);
    const Filter f = filter_of(&e);
    const double S = uv.S, Fd = uv.F, D = -std::log(S) / static_cast<double>(uv.k);
    for (double F : {Fd, 2 * Fd, 0.5 * Fd}) {
        SCOPED_TRACE(F);
        FilterModel model({&f}, {&bug, &tough, &gas});
        const std::vector<Link> links{link(1, 0, F, -0.25 * F)};
        model.prepare(links);
        EXPECT_NEAR(model.pass(0, 0, 0), std::pow(S, Fd / F), 1e-6);
        EXPECT_NEAR(model.pass(0, 1, 0), std::pow(S, Fd / (0.25 * F)), 1e-6);  // the slower part
        EXPECT_NEAR(model.pass(0, 0, 1), std::exp(-0.005 * D * Fd / F), 1e-6);
        EXPECT_EQ(model.pass(0, 0, 2), 1.0);
        const std::vector<double> conc{0, 0, 0, 1e-6, 1e-6, 1e-6};  // the zone, the outdoors
        model.collect(links, conc, conc, 1, 600);
        EXPECT_EQ(model.loading(0, 0, 0), 0.0);
    }
}

TEST(Filters, FiltersTheEngineCannotUseAreRefused)
{
    Species s = species("S");
    FilterElement empty = new_filter_element(kFltCef);
    empty.name = "empty";
    FilterElement light = element("light", kFltCef, ConstantEfficiencyData{{&s}, {0.5f}});
    light.density = 0;
    FilterElement unordered =
        element("unordered", kFltPf0, ParticleFilterData{{1e-6f, 1e-7f, 1e-5f}, {0.2f, 0.5f, 0.9f}, 6});
    FilterElement inner = element("inner", kFltCef, ConstantEfficiencyData{{&s}, {0.5f}});
    FilterElement middle = element("middle", kFltSpf, SuperFilterData{{&inner, &inner}});
    FilterElement outer = element("outer", kFltSpf, SuperFilterData{{&inner, &middle}});
    struct Case {
        FilterElement* e;
        const char* words;
    };
    for (const Case& c : {Case{&empty, "has no data"}, Case{&light, "has no mass"},
                          Case{&unordered, "do not rise strictly"}, Case{&outer, "holds a super element"}}) {
        SCOPED_TRACE(c.e->name);
        const Filter f = filter_of(c.e);
        try {
            FilterModel model({&f}, {&s});
            ADD_FAILURE() << "not refused";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace avelor::engine
