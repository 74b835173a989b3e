// Coefficients derived on OK, each checked against the derivation's formulas
// worked by hand here with its own constants.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// The laminar coefficient by hand: Ft held as a float, dPt floored at 1e-10.
double hand_lam(double turb, double n, double A, double D, double Re, double k)
{
    const double Ft = static_cast<float>(Re * 1.81625e-5 * A / D);
    double dPt = std::pow(Ft / (turb * k), 1 / n);
    if (dPt < 1e-10) dPt = 1e-10;
    return Ft * 1.81625e-5 / (dPt * 1.2041);
}

// Colebrook by plain fixed-point iteration (not the code's Newton steps).
double hand_colebrook(double e, double Re)
{
    double h = 8;
    for (int i = 0; i < 500; ++i) h = -0.868589 * std::log(e / 3.7 + 2.51 / Re * h);
    return 1 / (h * h);
}

void expect_rel(double actual, double expected, double rel = 2e-6)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * rel) << "expected " << expected;
}

AirflowElement fresh(int type)
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, NewElementContext{}, state);
    e.name = "e";
    return e;
}

template <class D>
D& data(AirflowElement& e)
{
    return std::get<D>(e.data);
}

TEST(Laminar, ModesChooseTheCoefficientsDensity)
{
    const double turb = 0.6 * 1.4142135 * 0.01;
    struct Case {
        int mode;
        double k;
    };
    for (const Case c : {Case{0, 1.2041}, Case{1, 1.097315}, Case{2, 1.0}}) {
        SCOPED_TRACE(c.mode);
        expect_rel(laminar_coefficient(static_cast<float>(turb), 0.5f, 0.01f, 0.112838f, 30, c.mode),
                   hand_lam(static_cast<float>(turb), 0.5, 0.01f, 0.112838f, 30, c.k));
    }
    // Any other mode takes the floor of the transition pressure.
    const double Ft = static_cast<float>(30 * 1.81625e-5 * 0.01f / 0.112838f);
    expect_rel(laminar_coefficient(0.0085f, 0.5f, 0.01f, 0.112838f, 30, 7),
               Ft * 1.81625e-5 / (1e-10 * 1.2041));
}

TEST(Laminar, UndefinedTransitionStaysFinite)
{
    // A negative or zero coefficient, or a zero exponent, as a hand-made
    // file may hold: the power is undefined and used to give NaN.
    struct Case {
        float turb, n;
    };
    for (const Case c : {Case{-0.01f, 0.65f}, Case{0, 0.5f}, Case{0.01f, 0}, Case{-1, -0.5f}}) {
        SCOPED_TRACE(c.turb);
        const float lam = laminar_coefficient(c.turb, c.n, 0.01f, 0.1f, 30, 1);
        EXPECT_TRUE(std::isfinite(lam));
    }
}

TEST(Friction, LaminarSmoothBlendedAndRough)
{
    struct Case {
        double e, Re, expected;
    };
    const double smooth3000 = 0.3164 / std::pow(3000.0, 0.25);
    const Case cases[] = {
        {0.01, 1000, 64.0 / 1000},
        {0, 4000, 0.3164 / std::pow(4000.0, 0.25)},
        {0, 200000, 0.221 / std::pow(200000.0, 0.237) + 0.0032},
        {0, 3000, (500 * (64.0 / 3000) + smooth3000 * 700) / 1200},
        {0.01, 100000, hand_colebrook(0.01, 100000)},
        {0.0417, 4000, hand_colebrook(0.0417, 4000)},
        {0.001, 3000, (500 * (64.0 / 3000) + hand_colebrook(0.001, 3000) * 700) / 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Re);
        expect_rel(friction_factor(c.e, c.Re, 0), c.expected, 1e-5);
    }
    // A good first guess changes nothing but the work.
    expect_rel(friction_factor(0.01, 100000, 0.04), hand_colebrook(0.01, 100000), 1e-5);
}

TEST(Friction, IterationEndsWhereColebrookHasNoRoot)
{
    // At relative roughness 3.7 the start is h = 0 and every step is 0/0:
    // without a cap the loop would never end.
    const double f = friction_factor(3.7, 4000, 0);
    EXPECT_FALSE(std::isfinite(f) && f > 0);
}

struct DeriveCase {
    const char* what;
    int type;
    std::function<void(AirflowElement&)> setup;
    std::function<void(AirflowElement&)> check;
};

TEST(AirflowDerive, PowerlawTypesMatchHandCalculations)
{
    const DeriveCase cases[] = {
        {"orifice", kPlrOrfc, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<OrificeData>(e);
             const double turb = 0.6 * 1.4142135 * 0.01;
             expect_rel(d.turb, turb);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, 0.01f, 0.112838f, 30, 1.097315));
         }},
        {"leakage per item", kPlrLeak1,
         [](AirflowElement& e) {
             auto& d = data<LeakageData>(e);
             d.area1 = 0.01f;
             d.pres = 4;
         },
         [](AirflowElement& e) {
             auto& d = data<LeakageData>(e);
             const double turb = std::pow(4.0, -0.15) * 0.6 * 1.414213562 * 0.01;
             EXPECT_NEAR(turb, 0.0068922, 1e-7);
             expect_rel(d.turb, turb);
             expect_rel(d.lam, hand_lam(d.turb, 0.65, 0.01f, 0.1, 30, 1.097315));
         }},
        {"leakage per length", kPlrLeak2,
         [](AirflowElement& e) { data<LeakageData>(e).area2 = 0.0004f; },
         [](AirflowElement& e) {
             auto& d = data<LeakageData>(e);
             const double turb = std::pow(10.0, -0.15) * 0.6 * 1.414213562 * 0.0004;
             expect_rel(d.turb, turb);
             expect_rel(d.lam, hand_lam(d.turb, 0.65, 0.0004f, 0.02, 30, 1.097315));
         }},
        {"connection", kPlrConn, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<ConnectionData>(e);
             expect_rel(d.turb, 0.6 * 1.414213562 * 0.01);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, 0.01f, 0.1, 30, 1.097315));
         }},
        {"Q = C dP^n", kPlrQcn, [](AirflowElement&) {},
         [](AirflowElement& e) {
             const double A = 0.01 / 0.6 * 0.7759188778024178;
             expect_rel(data<PowerLawData>(e).lam,
                        hand_lam(0.01f, 0.5, static_cast<float>(A), static_cast<float>(std::sqrt(A)), 30, 1.2041));
         }},
        {"F = C dP^n", kPlrFcn, [](AirflowElement&) {},
         [](AirflowElement& e) {
             const double A = 0.01 / 0.6 * 0.7759188778024178;
             expect_rel(data<PowerLawData>(e).lam,
                        hand_lam(0.01f, 0.5, static_cast<float>(A), static_cast<float>(std::sqrt(A)), 30, 1.0));
         }},
        {"test data, one point", kPlrTest1, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<TestPoint1Data>(e);
             const double turb = 0.019 / (std::sqrt(4.0) * 1.097315);
             const double A = turb / 0.8485281372;
             expect_rel(d.turb, turb);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, A, std::sqrt(A), 30, 1.097315));
         }},
        {"test data, two points", kPlrTest2, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<TestPoints2Data>(e);
             // Outside the one-point dialog's 0.5..1, and kept.
             const double n = std::log(0.029 / 0.019) / std::log(2.5);
             EXPECT_NEAR(n, 0.46149, 1e-5);
             const double turb = 0.019 / (std::pow(4.0, n) * 1.097315);
             const double A = turb / 0.8485281372;
             expect_rel(d.expt, n, 1e-6);
             expect_rel(d.turb, turb, 1e-5);
             expect_rel(d.lam, hand_lam(d.turb, d.expt, A, std::sqrt(A), 30, 1.097315), 1e-5);
         }},
        {"crack", kPlrCrack, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<CrackData>(e);
             const double n = 0.5 + 0.5 * std::exp(-1.0);
             EXPECT_NEAR(n, 0.68394, 1e-5);
             const double turb = std::pow(0.0092, n) * 2 * 1.097315 * 0.0097;
             const double area = 2 * 0.002;
             expect_rel(d.expt, n);
             expect_rel(d.turb, turb, 1e-5);
             expect_rel(d.lam, hand_lam(d.turb, d.expt, area, 2 * area / 2.002, 30, 1.097315), 1e-5);
         }},
        {"stairwell, closed treads", kPlrStair, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<StairData>(e);
             const double X = 0.083 * 3 * 12.5;
             expect_rel(d.turb, X * 0.8485281372);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, X, std::sqrt(X), 30, 1.097315));
         }},
        {"stairwell, open treads, one person per m2", kPlrStair,
         [](AirflowElement& e) {
             data<StairData>(e).tread = 1;
             data<StairData>(e).peo = 1;
         },
         [](AirflowElement& e) {
             auto& d = data<StairData>(e);
             const double X = (1 - 0.14) * 0.089 * 3 * 12.5;
             expect_rel(d.turb, X * 0.8485281372);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, X, std::sqrt(X), 30, 1.097315));
         }},
        {"backdraft damper, Q", kPlrBdq, [](AirflowElement&) {},
         [](AirflowElement& e) {
             const double A = 0.01 / 0.6 * 0.7759188778024178;
             expect_rel(data<BackdraftData>(e).lam,
                        hand_lam(0.01f, 0.5, static_cast<float>(A), static_cast<float>(std::sqrt(A)), 30, 1.2041));
         }},
        {"backdraft damper, F", kPlrBdf, [](AirflowElement&) {},
         [](AirflowElement& e) {
             const double A = 0.01 / 0.6 * 0.7759188778024178;
             expect_rel(data<BackdraftData>(e).lam,
                        hand_lam(0.01f, 0.5, static_cast<float>(A), static_cast<float>(std::sqrt(A)), 30, 1.0));
         }},
        {"door", kDorDoor, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<DoorData>(e);
             const double area = 0.8 * 2;
             expect_rel(d.turb, 0.78 * 1.4142135 * area);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, area, 2 * area / 2.8, 30, 1.097315));
             EXPECT_FLOAT_EQ(d.dTmin, 0.01f) << "the unseen value is kept";
         }},
        {"two openings", kDorPl2, [](AirflowElement&) {},
         [](AirflowElement& e) {
             auto& d = data<TwoOpeningData>(e);
             const double area = 0.5 * 2 * 0.8;
             expect_rel(d.turb, 0.78 * 1.4142135 * area);
             expect_rel(d.lam, hand_lam(d.turb, 0.5, area, 2 * area / 2.8, 30, 1.097315));
             expect_rel(d.hmid, 2 * 2 / 9.0);
         }},
    };
    for (const DeriveCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        AirflowElement e = fresh(c.type);
        c.setup(e);
        ASSERT_TRUE(derive_element(e));
        c.check(e);
        EXPECT_TRUE(port.boxes.empty());
    }
}

// The shaft's powerlaw through two pipe-flow points, by hand.
struct ShaftHand {
    double n, turb, lam;
};
ShaftHand shaft_by_hand(double H, double A, double P, double eps, bool smooth)
{
    const double D = 4 * A / P;
    const double e = eps / D;
    const double V1 = 0.07265 / (D * 1.2041);
    const double F1 = V1 * 1.2041 * A;
    const double f1 = smooth ? 0.3164 / std::pow(4000.0, 0.25) : hand_colebrook(e, 4000);
    const double dP1 = V1 * (H / D * (f1 * 0.5) * 1.2041 * V1);
    const double V2 = 10 * V1;
    const double F2 = A * V2 * 1.2041;
    const double f2 = smooth ? 0.3164 / std::pow(40000.0, 0.25) : hand_colebrook(e, 40000);
    const double dP2 = V2 * (H / D * (f2 * 0.5) * 1.2041 * V2);
    const double n = std::log(F2 / F1) / std::log(dP2 / dP1);
    const double turb = F1 / (std::pow(dP1, n) * 1.097315);
    return {n, turb, hand_lam(turb, n, A, D, 1000, 1.097315)};
}

TEST(AirflowDerive, ShaftRoughAndSmooth)
{
    struct Case {
        const char* what;
        float rough;
    };
    for (const Case c : {Case{"rough", 0.1f}, Case{"smooth", 0}}) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        AirflowElement e = fresh(kPlrShaft);
        data<ShaftData>(e).rough = c.rough;
        ASSERT_TRUE(derive_element(e));
        const ShaftHand hand = shaft_by_hand(3, 6, 10, c.rough, c.rough == 0);
        const auto& d = data<ShaftData>(e);
        expect_rel(d.expt, hand.n, 1e-5);
        expect_rel(d.turb, hand.turb, 1e-4);
        expect_rel(d.lam, hand.lam, 1e-4);
    }
}

TEST(AirflowDerive, QuadraticTypes)
{
    ScriptedPort port;
    AirflowElement crack = fresh(kQfrCrack);
    ASSERT_TRUE(derive_element(crack));
    const double K = 1.2041 * 0.002 * 0.002 * 2;
    expect_rel(data<QuadCrackData>(crack).a, 0.05 * 0.00021795 / (K * 0.002));
    expect_rel(data<QuadCrackData>(crack).b, (2 + 1.5) * 0.5 / (K * 2));

    // Two points of dP = aF + bF^2, solved by Cramer's rule.
    AirflowElement test = fresh(kQfrTest2);
    ASSERT_TRUE(derive_element(test));
    const double F1 = 0.019f, F2 = 0.029f, P1 = 4, P2 = 10;
    const double det = F1 * F2 * F2 - F2 * F1 * F1;
    expect_rel(data<QuadTestData>(test).a, (P1 * F2 * F2 - P2 * F1 * F1) / det, 1e-5);
    expect_rel(data<QuadTestData>(test).b, (F1 * P2 - F2 * P1) / det, 1e-5);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(AirflowDerive, FanOffCoefficientsAndCurve)
{
    ScriptedPort port;
    AirflowElement e = fresh(kFanFan);
    auto& fan = data<FanData>(e);
    // dP = 500 - 100F + 20F^2 - 10F^3: its slope never vanishes
    // (20^2 - 3(-100)(-10) < 0).
    for (float F : {0.0f, 1.0f, 2.0f, 3.0f}) {
        const float dP = 500 - 100 * F + 20 * F * F - 10 * F * F * F;
        fan.points.push_back({F, 0, dP, 0, dP, 0});
    }
    ASSERT_TRUE(derive_element(e));
    const auto& d = data<FanData>(e);
    EXPECT_NEAR(d.c[0], 500, 1e-3);
    EXPECT_NEAR(d.c[1], -100, 1e-3);
    EXPECT_NEAR(d.c[2], 20, 1e-3);
    EXPECT_NEAR(d.c[3], -10, 1e-3);
    EXPECT_FLOAT_EQ(d.sop, d.c[0]);
    // The curve's root by bisection.
    double lo = 0, hi = 10;
    for (int i = 0; i < 100; ++i) {
        const double mid = (lo + hi) / 2;
        (500 - 100 * mid + 20 * mid * mid - 10 * mid * mid * mid > 0 ? lo : hi) = mid;
    }
    EXPECT_NEAR(d.fdf, lo, 2e-3);
    const double A = 0.01;
    const double turb = A * 0.8485281372;
    const double Qt = A * 0.00181625 / (std::sqrt(A) * 1.2041);
    const double dPt = std::pow(Qt * 1.097315 / turb, 2);
    expect_rel(d.turb, turb);
    expect_rel(d.lam, Qt * 1.81625e-5 / dPt, 1e-5);
    EXPECT_FLOAT_EQ(d.rdens, 1.2041f);
}

TEST(AirflowDerive, FanRefusals)
{
    {
        ScriptedPort port;
        AirflowElement e = fresh(kFanFan);
        for (float F : {1.0f, 2.0f, 3.0f}) data<FanData>(e).points.push_back({F, 0, 100, 0, 100, 0});
        const ElementVerdict v = derive_element(e);
        EXPECT_FALSE(v);
        EXPECT_TRUE(port.boxes.empty()) << "OK does nothing with three points";
    }
    {
        ScriptedPort port;
        AirflowElement e = fresh(kFanFan);
        // dP = 100 + 50F - 10F^2 turns at F = 2.5.
        for (float F : {0.0f, 1.0f, 2.0f, 3.0f}) {
            const float dP = 100 + 50 * F - 10 * F * F;
            data<FanData>(e).points.push_back({F, 0, dP, 0, dP, 0});
        }
        const FanData before = data<FanData>(e);
        EXPECT_FALSE(derive_element(e));
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text,
                  " The fitted curve includes points of contraflecture. Either modify the fan "
                  "curve or CANCEL.\n");
        EXPECT_EQ(data<FanData>(e).c, before.c) << "nothing stored on a refusal";
    }
}

struct RefusalCase {
    const char* what;
    int type;
    std::function<void(AirflowElement&)> setup;
    int severity;
    const char* text;  // the box text after its leading blank, up to the line end
    const char* field;
};

TEST(AirflowDerive, RefusalsKeepTheDialogOpen)
{
    const RefusalCase cases[] = {
        {"leakage without area", kPlrLeak1, [](AirflowElement&) {}, WARNING,
         "Leakage area must be greater than 0.", "area1"},
        // The exponent would be 0/0 or a division by ln 1 = 0.
        {"two-point powerlaw, equal pressures", kPlrTest2,
         [](AirflowElement& e) { data<TestPoints2Data>(e).dP2 = 4; }, ERROR,
         "The pressures must be different", "dP2"},
        {"two-point powerlaw, equal flows", kPlrTest2,
         [](AirflowElement& e) { data<TestPoints2Data>(e).F2 = 0.019f; }, ERROR,
         "The flows must be different", "F2"},
        {"two-point quadratic, all equal", kQfrTest2,
         [](AirflowElement& e) {
             data<QuadTestData>(e).dP2 = 4;
             data<QuadTestData>(e).F2 = 0.019f;
         },
         ERROR, "The pressures must be different", "dP2"},
        {"two-point quadratic, equal flows", kQfrTest2,
         [](AirflowElement& e) { data<QuadTestData>(e).F2 = 0.019f; }, ERROR,
         "The flows must be different", "F2"},
        // A zero row in the solver: scaled by 1/0 it used to give NaN.
        {"two-point quadratic through the origin", kQfrTest2,
         [](AirflowElement& e) {
             data<QuadTestData>(e).F1 = 0;
             data<QuadTestData>(e).dP1 = 0;
         },
         ERROR, "Zero pivot element, row 1", "F1"},
        // Values from a file never passed the field bounds: an area of 0
        // would leave the diameter's laminar coefficient at 0/0.
        {"orifice area 0 from a file", kPlrOrfc, [](AirflowElement& e) { data<OrificeData>(e).area = 0; },
         WARNING, "Value must not be less than 1e-06 m^2", "area"},
        {"crack width 0", kPlrCrack, [](AirflowElement& e) { data<CrackData>(e).width = 0; }, WARNING,
         "Value must not be less than 0.01 mm", "width"},
        {"shaft perimeter below its area's", kPlrShaft,
         [](AirflowElement& e) { data<ShaftData>(e).perim = 1; }, WARNING,
         "Value must not be less than 3.11879 m", "perim"},
        {"door height in feet", kDorDoor,
         [](AirflowElement& e) {
             data<DoorData>(e).ht = 0;
             data<DoorData>(e).u_H = 1;
         },
         WARNING, "Value must not be less than 0.00328084 ft", "ht"},
        // Large enough for every bound, too large for a float coefficient.
        {"orifice beyond a float", kPlrOrfc,
         [](AirflowElement& e) {
             data<OrificeData>(e).area = 3e38f;
             data<OrificeData>(e).coef = 1;
         },
         WARNING, "The derived coefficients are out of range.", ""},
        // Only code builds such a record (the reader refuses it), but the
        // engine would follow it into itself.
        {"super element holding a super element", kSupAfe,
         [](AirflowElement& e) {
             static AirflowElement plain = fresh(kPlrOrfc);
             static AirflowElement inner = fresh(kSupAfe);
             data<SuperData>(e).subs = {{&plain, 0, 0, 0}, {&inner, 0, 0, 0}};
         },
         ERROR, "A super element's sub elements must be airflow elements of other types.", "subs"},
        {"super element with one sub-element", kSupAfe,
         [](AirflowElement& e) { data<SuperData>(e).subs.push_back({}); }, ERROR,
         "A super air flow element requires at least 2 sub elements.", "subs"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        AirflowElement e = fresh(c.type);
        c.setup(e);
        const ElementData before = e.data;
        const ElementVerdict v = derive_element(e);
        EXPECT_FALSE(v);
        EXPECT_EQ(v.severity, c.severity);
        EXPECT_EQ(v.field, c.field);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, c.severity == ERROR ? "ERROR" : "WARNING");
        EXPECT_EQ(port.boxes[0].text.rfind(std::string(" ") + c.text + "\n", 0), 0u) << port.boxes[0].text;
        EXPECT_TRUE(e.data == before) << "a refusal leaves the working copy as it was";
    }
}

TEST(AirflowDerive, UntouchedQuadraticCoefficientsAreAccepted)
{
    ScriptedPort port;
    AirflowElement e = fresh(kQfrQab);
    EXPECT_TRUE(derive_element(e)) << "a and b stay 0 until entered";
    data<QuadraticData>(e).a = 1e-6f;
    EXPECT_FALSE(derive_element(e));
}

}  // namespace
}  // namespace avelor
