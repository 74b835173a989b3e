// The element flow functions: slopes against finite differences, the sign
// rules, the laminar floor, the two-way opening against a strip-by-strip
// integration, the fan against its cubic and the splines against their
// points.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "airflow_elements.h"
#include "airflow_network.h"
#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "model/curve_fit.h"

namespace avelor::engine {
namespace {

AirflowElement make_element(int type, const std::function<void(AirflowElement&)>& edit = {})
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, NewElementContext{}, state);
    e.name = "e";
    if (edit) edit(e);
    const ElementVerdict verdict = derive_element(e);
    EXPECT_TRUE(verdict.accepted) << verdict.text;
    return e;
}

void set_spline(AirflowElement& e, std::vector<float> x, std::vector<float> y)
{
    auto& d = std::get<SplineData>(e.data);
    d.x = std::move(x);
    d.y = std::move(y);
}

// A fan whose rise 200 - 50F - 10F^2 - 20F^3 falls without a turning
// point; the free delivery flow is its root.
AirflowElement make_fan()
{
    NewElementState state;
    AirflowElement e = new_airflow_element(kFanFan, NewElementContext{}, state);
    auto& d = std::get<FanData>(e.data);
    d.c = {200, -50, -10, -20};
    const std::vector<double> c{200, -50, -10, -20};
    d.fdf = static_cast<float>(poly_root(c, 2, 1e-12, 1e-10).value());
    d.sop = 200;
    d.turb = 0.0085f;
    d.lam = 1e-4f;
    return e;
}

FlowState state_with(double rho_n, double rho_m, double T_n = 293.15, double T_m = 293.15)
{
    FlowState s;
    s.rho_n = rho_n;
    s.rho_m = rho_m;
    s.T_n = T_n;
    s.T_m = T_m;
    return s;
}

struct ElementCase {
    std::string name;
    AirflowElement element;
};

std::vector<ElementCase> element_cases()
{
    std::vector<ElementCase> cases;
    cases.push_back({"orifice", make_element(kPlrOrfc)});
    cases.push_back({"leak", make_element(kPlrLeak1, [](AirflowElement& e) {
                         std::get<LeakageData>(e.data).area1 = 0.01f;
                     })});
    cases.push_back({"qcn", make_element(kPlrQcn)});
    cases.push_back({"fcn", make_element(kPlrFcn, [](AirflowElement& e) {
                         std::get<PowerLawData>(e.data).expt = 0.65f;
                     })});
    cases.push_back({"bdq", make_element(kPlrBdq)});
    cases.push_back({"bdf", make_element(kPlrBdf)});
    cases.push_back({"vent", make_element(kSrvRgv)});
    cases.push_back({"qab", make_element(kQfrQab, [](AirflowElement& e) {
                         std::get<QuadraticData>(e.data) = {20, 5000};
                     })});
    cases.push_back({"fab", make_element(kQfrFab, [](AirflowElement& e) {
                         std::get<QuadraticData>(e.data) = {30, 3000};
                     })});
    cases.push_back({"qcrack", make_element(kQfrCrack)});
    cases.push_back({"fan", make_fan()});
    cases.push_back({"fsp", make_element(kCsfFsp, [](AirflowElement& e) {
                         set_spline(e, {0.5f, 2, 10, 30}, {0.004f, 0.01f, 0.025f, 0.045f});
                     })});
    cases.push_back({"psf", make_element(kCsfPsf, [](AirflowElement& e) {
                         set_spline(e, {-0.04f, -0.01f, 0, 0.01f, 0.03f, 0.05f}, {-25, -3, 0, 2, 12, 30});
                     })});
    cases.push_back({"psq", make_element(kCsfPsq, [](AirflowElement& e) {
                         set_spline(e, {0.001f, 0.01f, 0.02f, 0.03f}, {0.2f, 4, 14, 30});
                     })});
    cases.push_back({"door", make_element(kDorDoor)});
    cases.push_back({"two openings", make_element(kDorPl2)});
    return cases;
}

TEST(ElementFlow, SlopeMatchesFiniteDifferenceAcrossTypes)
{
    // Temperatures apart so that the openings take their two-way branch.
    const FlowState s = state_with(1.25, 1.19, 283.15, 297.15);
    for (const ElementCase& c : element_cases()) {
        const ElementModel model(c.element);
        for (double dP : {-17.0, -2.5, -0.3, 0.3, 2.5, 17.0}) {
            const double h = 1e-6 * std::max(1.0, std::abs(dP));
            const double fd = (model.flow(dP + h, s).total() - model.flow(dP - h, s).total()) / (2 * h);
            const LinkFlow f = model.flow(dP, s);
            EXPECT_GE(f.g, 0) << c.name << " at " << dP;
            EXPECT_NEAR(f.g, fd, 1e-4 * std::abs(fd) + 1e-12) << c.name << " at " << dP;
            EXPECT_TRUE(std::isfinite(f.F0) && std::isfinite(f.F1)) << c.name;
        }
    }
}

TEST(ElementFlow, FlowFollowsTheSignOfThePressureAndSymmetricLawsAreOdd)
{
    const FlowState s = state_with(1.2041, 1.2041);
    for (const ElementCase& c : element_cases()) {
        const ElementModel model(c.element);
        for (double dP : {0.05, 1.0, 12.0}) {
            const double up = model.flow(dP, s).total(), down = model.flow(-dP, s).total();
            if (c.name == "fan") {
                // A fan pushes forward against a small back pressure.
                EXPECT_GT(up, 0);
                continue;
            }
            EXPECT_GT(up, 0) << c.name << " at " << dP;
            EXPECT_LT(down, 0) << c.name << " at " << -dP;
            const bool symmetric = c.name != "bdq" && c.name != "bdf" && c.name != "vent" && c.name != "psf";
            if (symmetric) {
                EXPECT_NEAR(up, -down, 1e-9 * std::abs(up)) << c.name << " at " << dP;
            }
        }
    }
}

TEST(ElementFlow, LaminarFloorBelowTheTransitionTurbulentAbove)
{
    const AirflowElement e = make_element(kPlrOrfc);
    const auto& d = std::get<OrificeData>(e.data);
    const ElementModel model(e);
    const FlowState s = state_with(1.2041, 1.2041);
    const double lam_slope = d.lam * 1.2041 / kViscosityAir;
    // The pressure where the two laws meet.
    const double dPt = std::pow(lam_slope / (d.turb * std::sqrt(1.2041)), 1 / (d.expt - 1));
    ASSERT_GT(dPt, 0);
    for (double factor : {0.01, 0.5}) {
        const LinkFlow f = model.flow(factor * dPt, s);
        EXPECT_NEAR(f.F0, lam_slope * factor * dPt, 1e-9 * lam_slope * dPt);
        EXPECT_DOUBLE_EQ(f.g, lam_slope);
    }
    for (double factor : {2.0, 1e4}) {
        const double x = factor * dPt;
        const LinkFlow f = model.flow(-x, s);
        EXPECT_NEAR(f.F0, -d.turb * std::sqrt(1.2041) * std::pow(x, d.expt), 1e-9 * std::abs(f.F0));
    }
    // The switch is continuous: the smaller of the two flows.
    EXPECT_NEAR(model.flow(dPt * (1 - 1e-9), s).F0, model.flow(dPt * (1 + 1e-9), s).F0, 1e-6 * model.flow(dPt, s).F0);
}

// The door's flow strip by strip: C sqrt(rho_up) sgn(dP) sqrt|dP| per
// metre with dP(z) = dPb - g (rho_n - rho_m) z.
std::pair<double, double> door_by_strips(const DoorData& d, double dPb, const FlowState& s)
{
    const int strips = 20000;
    const double dz = d.ht / strips, b = s.gravity * (s.rho_n - s.rho_m);
    double positive = 0, negative = 0;
    for (int i = 0; i < strips; ++i) {
        const double dP = dPb - b * (i + 0.5) * dz;
        const double rho = dP >= 0 ? s.rho_n : s.rho_m;
        const double F = d.turb / d.ht * std::sqrt(rho) * std::sqrt(std::abs(dP)) * dz;
        (dP >= 0 ? positive : negative) += dP >= 0 ? F : -F;
    }
    return {positive, negative};
}

TEST(ElementFlow, DoorMatchesStripIntegrationWithTheNeutralPlaneInsideAndOutside)
{
    const AirflowElement e = make_element(kDorDoor);
    const auto& d = std::get<DoorData>(e.data);
    const ElementModel model(e);
    // Cold outdoor air (n) against a warm room (m): b = 0.86 Pa/m, so over
    // 2 m the driving pressure falls by 1.73 Pa.
    const FlowState s = state_with(1.29226, 1.2041, 273.15, 293.15);
    struct Case {
        double dPb;
        bool neutral_plane_inside;
    };
    for (const Case c : {Case{0.9, true}, Case{0.2, true}, Case{3.0, false}, Case{-0.5, false}}) {
        const LinkFlow f = model.flow(c.dPb, s);
        const auto [positive, negative] = door_by_strips(d, c.dPb, s);
        if (c.neutral_plane_inside) {
            EXPECT_NEAR(f.F0, positive, 1e-5 * std::abs(positive)) << c.dPb;
            EXPECT_NEAR(f.F1, negative, 1e-5 * std::abs(negative)) << c.dPb;
            EXPECT_GT(f.F0, 0);
            EXPECT_LT(f.F1, 0);
        } else {
            EXPECT_NEAR(f.total(), positive + negative, 1e-5 * std::abs(positive + negative)) << c.dPb;
            EXPECT_EQ(f.F1, 0);
        }
    }
    // Equal temperatures: one orifice at mid-height.
    const FlowState same = state_with(1.2041, 1.2041);
    EXPECT_NEAR(model.flow(4, same).F0, d.turb * std::sqrt(1.2041) * 2, 1e-12);
}

TEST(ElementFlow, FanFollowsItsCubicAtAndAwayFromTheReferenceDensity)
{
    const AirflowElement e = make_fan();
    const auto& d = std::get<FanData>(e.data);
    const ElementModel model(e);
    const auto rise = [&](double F) { return d.c[0] + F * (d.c[1] + F * (d.c[2] + F * d.c[3])); };
    for (double rho : {1.2041, 1.1}) {
        const FlowState s = state_with(rho, rho);
        for (double Fref : {0.05, 0.7, 1.4}) {
            // At density rho the fan gives rho/rho_ref times the flow of
            // the rise rho/rho_ref times the reference rise.
            const double dP = -rise(Fref) * rho / d.rdens;
            const LinkFlow f = model.flow(dP, s);
            EXPECT_NEAR(f.F0, Fref * rho / d.rdens, 1e-9) << rho << " " << Fref;
        }
    }
    // Past free delivery and beyond shut-off the end slopes continue.
    const FlowState s = state_with(d.rdens, d.rdens);
    EXPECT_GT(model.flow(10, s).F0, d.fdf);
    EXPECT_LT(model.flow(-250, s).F0, 0);
}

TEST(ElementFlow, SplinesReturnTheirPointsAndInvertThem)
{
    const FlowState s = state_with(1.2041, 1.1);
    const std::vector<float> P{-25, -3, 0, 2, 12, 30}, F{-0.04f, -0.01f, 0, 0.01f, 0.03f, 0.05f};
    const ElementModel fsp(make_element(kCsfFsp, [&](AirflowElement& e) { set_spline(e, P, F); }));
    const ElementModel psf(make_element(kCsfPsf, [&](AirflowElement& e) { set_spline(e, F, P); }));
    const ElementModel qsp(make_element(kCsfQsp, [&](AirflowElement& e) { set_spline(e, P, F); }));
    for (std::size_t i = 0; i < P.size(); ++i) {
        EXPECT_NEAR(fsp.flow(P[i], s).F0, F[i], 1e-7);
        EXPECT_NEAR(psf.flow(P[i], s).F0, F[i], 1e-7);
        EXPECT_NEAR(qsp.flow(P[i], s).F0, F[i] * (P[i] >= 0 ? s.rho_n : s.rho_m), 1e-7);
    }
    // Between the points the inverse curve gives back the pressure.
    const ElementModel pf_curve(make_element(kCsfFsp, [&](AirflowElement& e) { set_spline(e, F, P); }));
    for (double dP : {-10.0, 0.0, 5.5, 40.0}) {
        const double flow = psf.flow(dP, s).F0;
        EXPECT_NEAR(pf_curve.flow(flow, s).F0, dP, 1e-8 * std::max(1.0, std::abs(dP))) << dP;
    }
    // Points on the positive side only: a line from the origin, mirrored.
    const ElementModel one_sided(make_element(kCsfFsp, [](AirflowElement& e) {
        set_spline(e, {1, 4, 9, 16}, {0.01f, 0.02f, 0.03f, 0.04f});
    }));
    EXPECT_NEAR(one_sided.flow(0.5, s).F0, 0.005, 1e-9);
    EXPECT_NEAR(one_sided.flow(-4, s).F0, -0.02, 1e-9);
}

TEST(ElementFlow, ConstantFlowsAndUnusableRecords)
{
    const FlowState s = state_with(1.3, 1.1);
    const ElementModel cmf(make_element(kFanCmf, [](AirflowElement& e) {
        std::get<ConstantFlowData>(e.data).Flow = 0.03f;
    }));
    const ElementModel cvf(make_element(kFanCvf, [](AirflowElement& e) {
        std::get<ConstantFlowData>(e.data).Flow = 0.03f;
    }));
    for (double dP : {-50.0, 0.0, 50.0}) {
        EXPECT_FLOAT_EQ(static_cast<float>(cmf.flow(dP, s).F0), 0.03f);
        EXPECT_EQ(cmf.flow(dP, s).g, 0);
        EXPECT_NEAR(cvf.flow(dP, s).F0, 1.3 * 0.03, 1e-9);  // at the inlet density
    }
    NewElementState state;
    AirflowElement super = new_airflow_element(kSupAfe, NewElementContext{}, state);
    EXPECT_THROW(ElementModel{super}, EngineError);
    AirflowElement falling = new_airflow_element(kCsfFsp, NewElementContext{}, state);
    set_spline(falling, {1, 2, 3, 4}, {0.04f, 0.03f, 0.02f, 0.01f});
    EXPECT_THROW(ElementModel{falling}, EngineError);
    AirflowElement broken = new_airflow_element(kPlrOrfc, NewElementContext{}, state);
    std::get<OrificeData>(broken.data).turb = std::nanf("");
    EXPECT_THROW(ElementModel{broken}, EngineError);
}

// Which elements tie the pressures of their two sides together: every
// type with a slope under pressure, but not fans of any kind (whatever
// they move, the building check's connection rule does not count them)
// and not closed ones.
TEST(ElementFlow, ConductsUnlessAFanOrClosed)
{
    for (const ElementCase& c : element_cases())
        EXPECT_EQ(ElementModel(c.element).conducts(), c.name != "fan") << c.name;
    const ElementModel cmf(make_element(kFanCmf));
    EXPECT_FALSE(cmf.conducts());
    NewElementState state;
    struct Closed {
        const char* name;
        int type;
        std::function<void(AirflowElement&)> close;
    };
    const std::vector<Closed> closed{
        {"orifice", kPlrOrfc, [](AirflowElement& e) { std::get<OrificeData>(e.data).turb = std::get<OrificeData>(e.data).lam = 0; }},
        {"vent", kSrvRgv, [](AirflowElement& e) { std::get<VentData>(e.data).Qo = 0; }},
        {"quadratic", kQfrQab, [](AirflowElement& e) { std::get<QuadraticData>(e.data) = {0, 0}; }},
        {"backdraft", kPlrBdq, [](AirflowElement& e) {
             auto& d = std::get<BackdraftData>(e.data);
             d.lam = d.Cp = d.Cn = 0;
         }},
    };
    for (const Closed& c : closed) {
        AirflowElement e = new_airflow_element(c.type, NewElementContext{}, state);
        c.close(e);
        EXPECT_FALSE(ElementModel(e).conducts()) << c.name;
    }
}

}  // namespace
}  // namespace avelor::engine
