#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/wind_profile.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;
using Points = std::vector<std::pair<float, float>>;

// A profile whose dialog rows hold the points given, in the order given,
// and 360° with coefficient 0 in the rows left over.
WindProfile rows(const Points& points, std::int16_t type = kWindFitLinear)
{
    WindProfile p = new_wind_profile();
    p.angles.fill(360.0f);
    p.coefficients.fill(0.0f);
    for (std::size_t i = 0; i < points.size(); ++i) {
        p.angles[i] = points[i].first;
        p.coefficients[i] = points[i].second;
    }
    p.type = type;
    return p;
}

WindProfile normalized(const Points& points, std::int16_t type = kWindFitLinear)
{
    WindProfile p = rows(points, type);
    normalize_wind_profile(p);
    return p;
}

// The cubic of the interval holding θ and its first two derivatives there.
struct SplineValue {
    double y, dy, d2y;
};
SplineValue on_interval(const WindSplineInterval& s, double theta)
{
    const double t = theta - s.x;
    return {s.y + t * (s.c + t * (s.d + t * s.e)), s.c + t * (2 * s.d + 3 * t * s.e), 2 * s.d + 6 * t * s.e};
}

TEST(WindProfile, NewProfileIsOneAllRound)
{
    const WindProfile p = new_wind_profile();
    EXPECT_EQ(p.npts, 2);
    EXPECT_EQ(p.type, kWindFitLinear);
    EXPECT_EQ(wind_profile_points(p), (Points{{0.0f, 1.0f}, {360.0f, 1.0f}}));
    for (double theta : {0.0, 45.0, 359.9, -10.0}) EXPECT_DOUBLE_EQ(evaluate_wind_profile(p, theta), 1.0);
}

struct NormalizeCase {
    const char* name;
    Points rows;
    Points expected;  // the points in use afterwards
};

TEST(WindProfile, NormalisingSortsAndClosesTheTurn)
{
    const NormalizeCase cases[] = {
        {"sorted already, last coefficient made the first's",
         {{0, 0.6f}, {180, -0.3f}, {360, 0.2f}},
         {{0, 0.6f}, {180, -0.3f}, {360, 0.6f}}},
        {"rows out of order; equal angles keep their order",
         {{270, -0.5f}, {0, 0.7f}, {90, 0.1f}, {90, 0.2f}, {360, 9}},
         {{0, 0.7f}, {90, 0.1f}, {90, 0.2f}, {270, -0.5f}, {360, 0.7f}}},
        {"a 360 row before the points that follow it ends the profile",
         {{0, 0.4f}, {360, 3}, {120, 0.1f}},
         {{0, 0.4f}, {120, 0.1f}, {360, 0.4f}}},
        {"no row at 0: the first row is made the 0 point",
         {{30, 0.5f}, {200, -0.2f}},
         {{0, 0.5f}, {200, -0.2f}, {360, 0.5f}}},
    };
    for (const NormalizeCase& c : cases) {
        const WindProfile p = normalized(c.rows);
        EXPECT_EQ(wind_profile_points(p), c.expected) << c.name;
        for (std::size_t i = static_cast<std::size_t>(p.npts); i < p.angles.size(); ++i) {
            EXPECT_EQ(p.angles[i], 360.0f) << c.name;
            EXPECT_EQ(p.coefficients[i], 0.0f) << c.name << ": the rows after the 360 point hold 0";
        }
    }
}

TEST(WindProfile, SixteenRowsBelowTheTurnMakeTheLastRowThe360Point)
{
    Points sixteen;
    for (int i = 0; i < kWindProfileRows; ++i) sixteen.emplace_back(20.0f * static_cast<float>(i), 0.05f * static_cast<float>(i));
    const WindProfile p = normalized(sixteen);
    ASSERT_EQ(p.npts, kWindProfileRows);
    EXPECT_EQ(p.angles[kWindProfileRows - 1], 360.0f);
    EXPECT_EQ(p.coefficients[kWindProfileRows - 1], p.coefficients[0]);
    EXPECT_EQ(p.angles[kWindProfileRows - 2], 280.0f);
}

TEST(WindProfile, PointsCloserThanOneDegreeAreRefused)
{
    ScriptedPort port;
    EXPECT_FALSE(check_wind_spacing(normalized({{0, 1}, {0.5f, 1}, {360, 1}})));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " Insufficient spacing between points\n");
    EXPECT_TRUE(check_wind_spacing(normalized({{0, 1}, {1, 1}, {359, 1}, {360, 1}})));
    EXPECT_EQ(port.boxes.size(), 1u);
}

TEST(WindProfile, TrigonometricFitNeedsTheFourQuarterPoints)
{
    const Points quarters = {{0, 0.6f}, {90, -0.3f}, {180, -0.2f}, {270, -0.3f}, {360, 0.6f}};
    EXPECT_TRUE(qualifies_for_trigonometric(normalized(quarters)));
    Points between = quarters;
    between.emplace_back(45.0f, 0.1f);
    EXPECT_TRUE(qualifies_for_trigonometric(normalized(between)));
    Points moved = quarters;
    moved[1].first = 91;
    EXPECT_FALSE(qualifies_for_trigonometric(normalized(moved)));
    EXPECT_FALSE(qualifies_for_trigonometric(new_wind_profile()));
}

// C0 = 0.6, C90 = -0.3, C180 = -0.2, C270 = -0.3 give a1 = 0.4, a2 = 0.8,
// a3 = -0.6, a4 = 0. At 45°, |cos| = sin = 0.70711: |C|^(1/2) = 0.84090,
// |C|^(3/4) = 0.77111, S^4 = 0.25, so Cp = 0.5 (0.4 x 0.84090 + 0.8 x
// 0.77111 - 0.6 x 0.25) = 0.40162. At the quarter points the fit returns
// the four coefficients: 0.5 (a1 + a2) = C0, 0.5 (a3 + a4) = C90, and so on.
TEST(WindProfile, TrigonometricEvaluation)
{
    ScriptedPort port;
    WindProfile p = normalized({{0, 0.6f}, {90, -0.3f}, {180, -0.2f}, {270, -0.3f}, {360, 0}}, kWindFitTrigonometric);
    ASSERT_TRUE(fit_wind_profile(p, ERROR));
    EXPECT_NEAR(evaluate_wind_profile(p, 45), 0.40162, 5e-5);
    const std::pair<double, double> quarters[] = {{0, 0.6}, {90, -0.3}, {180, -0.2}, {270, -0.3}, {360, 0.6}};
    for (const auto& [theta, cp] : quarters) EXPECT_NEAR(evaluate_wind_profile(p, theta), cp, 1e-4) << theta;
    EXPECT_TRUE(port.boxes.empty());
}

TEST(WindProfile, TrigonometricTypeWithoutQuarterPointsTurnsLinear)
{
    ScriptedPort port;
    WindProfile p = normalized({{0, 0.6f}, {100, -0.4f}, {360, 0}}, kWindFitTrigonometric);
    EXPECT_FALSE(fit_wind_profile(p, ERROR));
    EXPECT_EQ(p.type, kWindFitLinear);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(error_count(), 0);
    // Halfway along the first interval.
    EXPECT_NEAR(evaluate_wind_profile(p, 50), 0.1, 1e-7);
}

// The periodic spline is the one cubic per interval that passes through the
// points with first and second derivatives continuous at every point, the
// 0/360 point included: checking those conditions checks the fit.
TEST(WindProfile, PeriodicSplineIsSmoothAllRound)
{
    const Points cases[] = {
        // Two intervals: both neighbours of each row are the same unknown.
        {{0, 0.5f}, {150, -0.4f}, {360, 0.5f}},
        {{0, 0.6f}, {45, 0.4f}, {90, -0.3f}, {135, -0.5f}, {180, -0.2f}, {270, -0.3f}, {330, 0.2f}, {360, 0.6f}},
        {{0, 0.1f}, {1, 0.3f}, {2, -0.2f}, {200, 0.0f}, {359, 0.5f}, {360, 0.1f}},
    };
    for (const Points& points : cases) {
        ScriptedPort port;
        WindProfile p = normalized(points, kWindFitSpline);
        ASSERT_TRUE(fit_wind_profile(p, ERROR));
        ASSERT_EQ(p.spline.size(), static_cast<std::size_t>(p.npts));
        const std::size_t n = static_cast<std::size_t>(p.npts - 1);
        for (std::size_t k = 0; k < n; ++k) {
            const WindSplineInterval& here = p.spline[k];
            const WindSplineInterval& next = p.spline[(k + 1) % n];
            const double end = p.angles[k + 1];
            const SplineValue left = on_interval(here, end);
            // The next interval starts at its own x; after the last interval
            // that is 0, the same direction as 360.
            const SplineValue right = on_interval(next, next.x);
            const double scale = std::fabs(left.y) + 1;
            EXPECT_NEAR(left.y, p.coefficients[k + 1], 1e-5 * scale) << "interval " << k;
            EXPECT_NEAR(left.dy, right.dy, 1e-6) << "slope at point " << k + 1;
            EXPECT_NEAR(left.d2y, right.d2y, 1e-6) << "curvature at point " << k + 1;
            EXPECT_NEAR(evaluate_wind_profile(p, p.angles[k]), p.coefficients[k], 1e-5 * scale);
        }
        EXPECT_TRUE(port.boxes.empty());
    }
}

struct SplineCase {
    const char* name;
    Points points;
    bool fitted;
    const char* message;  // the one box shown
    int errors;           // counted at the dialog's severity
};

// A fit that fails is told and leaves the profile linear; a pivot near zero
// is told and the solve goes on. The dialog's spacing check keeps such
// points out; records built by hand may hold them.
TEST(WindProfile, SplineFitsTellWhatWentWrong)
{
    const SplineCase cases[] = {
        {"two points", {{0, 0.5f}, {360, 0.5f}}, false, " too few data points for spline\n", 1},
        {"three points on one angle",
         {{0, 0.5f}, {100, 0.2f}, {100, 0.1f}, {100, 0.3f}, {360, 0.5f}},
         false, " Zero on the diagonal, row 3\n", 1},
        {"points 1e-8 degrees apart",
         {{0, 0.5f}, {1e-8f, 0.5f}, {2e-8f, 0.5f}, {360, 0.5f}},
         true, " Near zero on the diagonal, row 2\n", 0},
    };
    for (const SplineCase& c : cases) {
        ScriptedPort port;
        WindProfile p = normalized(c.points, kWindFitSpline);
        EXPECT_EQ(fit_wind_profile(p, ERROR), c.fitted) << c.name;
        EXPECT_EQ(p.type, c.fitted ? kWindFitSpline : kWindFitLinear) << c.name;
        EXPECT_EQ(p.spline.empty(), !c.fitted) << c.name;
        ASSERT_EQ(port.boxes.size(), 1u) << c.name;
        EXPECT_EQ(port.boxes[0].text.rfind(c.message, 0), 0u) << c.name << ": " << port.boxes[0].text;
        EXPECT_EQ(error_count(), c.errors) << c.name;
    }
    // Points that do not close the turn are not periodic.
    ScriptedPort port;
    WindProfile open = normalized({{0, 0.5f}, {180, 0.1f}, {360, 0.5f}}, kWindFitSpline);
    open.coefficients[2] = 0.4f;
    EXPECT_FALSE(fit_wind_profile(open, ERROR));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "  Wind pressure profile data is not periodic\n");
    EXPECT_EQ(error_count(), 0);
}

TEST(WindProfile, AnglesAreWrappedIntoOneTurn)
{
    const WindProfile p = normalized({{0, 0.8f}, {90, 0.0f}, {180, -0.4f}, {270, 0.2f}, {360, 0}});
    const std::pair<double, double> same[] = {{-90, 270}, {-360, 0}, {405, 45}, {720 + 135, 135},
                                              {-1e-18, 0}, {360, 0}, {1e9 + 10, std::fmod(1e9 + 10, 360.0)}};
    for (const auto& [theta, within] : same)
        EXPECT_DOUBLE_EQ(evaluate_wind_profile(p, theta), evaluate_wind_profile(p, within)) << theta;
    EXPECT_FLOAT_EQ(static_cast<float>(evaluate_wind_profile(p, std::nan(""))), 0.8f);
    EXPECT_FLOAT_EQ(static_cast<float>(evaluate_wind_profile(p, 45)), 0.4f);
    EXPECT_FLOAT_EQ(static_cast<float>(evaluate_wind_profile(p, 315)), 0.5f);
}

// A search that resumes from the last interval finds the same values as a
// fresh one, whatever order the angles come in.
TEST(WindProfile, ResumedSearchesAgreeWithFreshOnes)
{
    ScriptedPort port;
    for (std::int16_t type : {kWindFitLinear, kWindFitSpline}) {
        WindProfile p = normalized({{0, 0.6f}, {30, 0.5f}, {75, 0.1f}, {130, -0.4f}, {190, -0.3f}, {250, -0.5f},
                                    {300, 0.0f}, {360, 0}},
                                   type);
        ASSERT_TRUE(fit_wind_profile(p, ERROR));
        WindProfileCursor shared;
        std::mt19937 random(7);
        std::uniform_real_distribution<double> angle(-400.0, 800.0);
        for (int i = 0; i < 2000; ++i) {
            const double theta = angle(random);
            ASSERT_EQ(evaluate_wind_profile(p, theta, shared), evaluate_wind_profile(p, theta)) << theta;
        }
    }
}

}  // namespace
}  // namespace avelor
