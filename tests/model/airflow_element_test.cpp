#include "model/airflow_element.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/units.h"

namespace avelor {
namespace {

TEST(AirflowElement, KeywordTableHoldsAirflowAndDuctTypes)
{
    for (int type = 0; type < kNoElementType; ++type) {
        SCOPED_TRACE(type);
        EXPECT_FALSE(element_keyword(type).empty());
        EXPECT_EQ(element_type_of(element_keyword(type)), type);
    }
    EXPECT_EQ(element_keyword(kPlrOrfc), "plr_orfc");
    EXPECT_EQ(element_keyword(kSupAfe), "sup_afe");
    EXPECT_EQ(element_keyword(29), "dct_dwc");
    EXPECT_EQ(element_keyword(41), "dct_psq");
    EXPECT_EQ(element_keyword(kNoElementType), "");
    EXPECT_EQ(element_type_of("plr_none"), kNoElementType);
    EXPECT_EQ(element_type_of(""), kNoElementType);
}

TEST(AirflowElement, SummaryLinesAndCaptions)
{
    struct Case {
        int type;
        std::string category, model, caption;
    };
    const Case cases[] = {
        {kPlrOrfc, "One-way flow using powerlaw", "Orifice area data", "Powerlaw Model: Orifice"},
        {kPlrLeak2, "One-way flow using powerlaw", "Leakage area data (per unit length)",
         "Powerlaw Model: Leakage Area"},
        {kPlrBdf, "Backdraft damper", "F = C(dP)^n", "Backdraft Damper Model: F = C(dP)^n"},
        {kSrvRgv, "Self-regulating vent", "Self-Regulating Vent", "Self-Regulating Vent"},
        // Windows-1252: 0xB7 middle dot, 0xB2 superscript two.
        {kQfrQab, "One-way flow using quadratic", "dP = a\xB7Q + b\xB7Q\xB2",
         "Quadratic Model: dP = aQ + bQ\xB2"},
        {kQfrFab, "One-way flow using quadratic", "dP = a\xB7" "F + b\xB7" "F\xB2",
         "Quadratic Model: dP = aF + bF\xB2"},
        {kDorPl2, "Two-way flow", "Two-opening", "Two-way Model: Two-openings"},
        {kCsfPsq, "Cubic Spline Fit", "P vs Q", "Cubic Spline Data - P vs Q"},
        {kSupAfe, "Super element", "", "Super Airflow Element"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        AirflowElement e;
        e.type = static_cast<std::int16_t>(c.type);
        EXPECT_EQ(element_summary(&e).category, c.category);
        EXPECT_EQ(element_summary(&e).model, c.model);
        EXPECT_EQ(element_caption(c.type), c.caption);
    }
    EXPECT_EQ(element_summary(nullptr).category, "");
    EXPECT_EQ(element_summary(nullptr).model, "");
}

template <class D>
const D& data(const AirflowElement& e)
{
    return std::get<D>(e.data);
}

TEST(AirflowElement, DefaultsFollowTheProjectsUnits)
{
    struct Case {
        const char* what;
        int type;
        std::function<void(const AirflowElement&)> si;
        std::function<void(const AirflowElement&)> ip;  // uf 5, level below 4 m high
    };
    const Case cases[] = {
        {"orifice", kPlrOrfc,
         [](const AirflowElement& e) {
             EXPECT_EQ(e.icon, 23);
             EXPECT_EQ(data<OrificeData>(e).u_A, 0);
         },
         [](const AirflowElement& e) { EXPECT_EQ(data<OrificeData>(e).u_D, 1); }},
        {"crack: m and mm, or ft and in", kPlrCrack,
         [](const AirflowElement& e) {
             EXPECT_EQ(data<CrackData>(e).u_L, 0);
             EXPECT_EQ(data<CrackData>(e).u_W, 4);
         },
         [](const AirflowElement& e) {
             EXPECT_EQ(data<CrackData>(e).u_L, 1);
             EXPECT_EQ(data<CrackData>(e).u_W, 3);
         }},
        {"quadratic crack depth: cm or in", kQfrCrack,
         [](const AirflowElement& e) { EXPECT_EQ(data<QuadCrackData>(e).u_D, 2); },
         [](const AirflowElement& e) { EXPECT_EQ(data<QuadCrackData>(e).u_D, 3); }},
        {"test point flow follows the flow unit", kPlrTest1,
         [](const AirflowElement& e) { EXPECT_EQ(data<TestPoint1Data>(e).u_F, 0); },
         [](const AirflowElement& e) {
             EXPECT_EQ(data<TestPoint1Data>(e).u_F, 5);
             EXPECT_EQ(data<TestPoint1Data>(e).u_P, 1);
         }},
        {"stairwell: large icon, level height", kPlrStair,
         [](const AirflowElement& e) {
             EXPECT_EQ(e.icon, 25);
             EXPECT_FLOAT_EQ(data<StairData>(e).Ht, 3);
         },
         [](const AirflowElement& e) { EXPECT_FLOAT_EQ(data<StairData>(e).Ht, 4); }},
        {"shaft", kPlrShaft, [](const AirflowElement& e) { EXPECT_EQ(e.icon, 25); },
         [](const AirflowElement& e) {
             EXPECT_FLOAT_EQ(data<ShaftData>(e).Ht, 4);
             EXPECT_EQ(data<ShaftData>(e).u_R, 1);
         }},
        {"door: two-way icon", kDorDoor,
         [](const AirflowElement& e) {
             EXPECT_EQ(e.icon, 24);
             EXPECT_FLOAT_EQ(data<DoorData>(e).dTmin, 0.01f);
         },
         [](const AirflowElement& e) { EXPECT_EQ(data<DoorData>(e).u_T, 1); }},
        {"two openings", kDorPl2, [](const AirflowElement& e) { EXPECT_EQ(e.icon, 24); },
         [](const AirflowElement& e) { EXPECT_EQ(data<TwoOpeningData>(e).u_W, 1); }},
        {"mass flow spline", kCsfFsp, [](const AirflowElement& e) { EXPECT_EQ(data<SplineData>(e).u_Y, 0); },
         [](const AirflowElement& e) {
             EXPECT_EQ(data<SplineData>(e).u_X, 1);
             EXPECT_EQ(data<SplineData>(e).u_Y, 5);
         }},
        {"vent units stay SI", kSrvRgv, [](const AirflowElement& e) { EXPECT_EQ(data<VentData>(e).u_Q, 0); },
         [](const AirflowElement& e) { EXPECT_EQ(data<VentData>(e).u_P, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewElementState state;
        c.si(new_airflow_element(c.type, NewElementContext{}, state));
        c.ip(new_airflow_element(c.type, NewElementContext{true, 5, 4}, state));
    }
}

TEST(AirflowElement, FirstLeakageElementOfAnIpProjectGetsIpDefaults)
{
    NewElementState state;
    const auto leak = [&](bool ip) {
        return data<LeakageData>(new_airflow_element(kPlrLeak1, NewElementContext{ip, 0, 3}, state));
    };
    const LeakageData si = leak(false);
    EXPECT_FLOAT_EQ(si.coef, 0.6f);
    EXPECT_FALSE(state.ip_leakage_given) << "an SI project does not use up the IP defaults";

    const LeakageData first = leak(true);
    EXPECT_FLOAT_EQ(first.coef, 1.0f);
    EXPECT_FLOAT_EQ(first.pres, 4);
    EXPECT_EQ(first.u_A1, 1);
    EXPECT_EQ(first.u_A2, 1);
    EXPECT_EQ(first.u_A3, 1);
    EXPECT_EQ(first.u_dP, 1);

    const LeakageData later = leak(true);
    EXPECT_FLOAT_EQ(later.coef, 0.6f);
    EXPECT_FLOAT_EQ(later.pres, 10);
    EXPECT_EQ(later.u_A1, 2);
    EXPECT_EQ(later.u_dP, 0);
}

// The bounds table against the defaults: every new element's values lie
// within their own bounds, with unit indices their kind has, in SI and IP.
TEST(AirflowElement, DefaultsLieWithinTheirBounds)
{
    for (bool ip : {false, true}) {
        for (int type = 0; type < kAirflowTypeCount; ++type) {
            SCOPED_TRACE(type);
            NewElementState state;
            AirflowElement e = new_airflow_element(type, NewElementContext{ip, std::int16_t{ip}, 3}, state);
            EXPECT_TRUE(data_fits_type(e));
            std::visit(
                [&](const auto& d) {
                    using D = std::decay_t<decltype(d)>;
                    for (const ParamField<D>& f : param_fields<D>(type)) {
                        SCOPED_TRACE(std::string(f.name));
                        const float v = d.*(f.value);
                        const float low = f.low_of ? f.low_of(d) : f.low;
                        const float high = f.high_of ? f.high_of(d) : f.high;
                        const bool untouched_zero = f.zero_allowed && v == 0;
                        if (!untouched_zero && (f.low_of || low != NO_LIMIT)) {
                            EXPECT_GE(v, low);
                        }
                        if (!untouched_zero && (f.high_of || high != NO_LIMIT)) {
                            EXPECT_LE(v, high);
                        }
                        if (f.unit) {
                            EXPECT_TRUE(unit_index_valid(f.kind, d.*(f.unit)));
                        }
                    }
                },
                e.data);
        }
    }
}

}  // namespace
}  // namespace avelor
