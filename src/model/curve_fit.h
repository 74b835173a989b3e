// Numerical routines behind the curve-based definitions: a linear equation
// solver, a least-squares polynomial fit, a polynomial root finder, and a
// cubic spline with its evaluator and its acceptance test.
//
// Everything runs in double precision; callers store their results as
// 32-bit floats. Only points are ever stored: spline coefficients are
// rebuilt whenever they are needed.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace avelor {

// Solves n equations held row by row in an n x (n + 1) matrix whose last
// column is the right-hand side (matrix.size() == n * (n + 1)). Returns 0
// with the solution left in the last column, or 1 after reporting an ERROR
// "Zero pivot element, row " j. A row of zeros is such a failure: it is
// never scaled by an infinite factor, so no NaN reaches the solution.
int solve_linear(std::span<double> matrix, std::size_t n);

// Least-squares polynomial c0 + c1 x + ... through the points, solved from
// the normal equations. Fails without a message of its own when there are
// fewer than degree + 1 points, and after solve_linear's message when the
// equations are singular.
std::optional<std::vector<double>> poly_fit(std::span<const float> x, std::span<const float> y,
                                            int degree);

// Newton steps from start until both |p/p'| <= step_tolerance and
// |p| <= value_tolerance. coefficients are c0..c_degree. nullopt when the
// slope vanishes, a value stops being finite or the iteration cap is hit.
inline constexpr int kPolyRootIterations = 100;
std::optional<double> poly_root(std::span<const double> coefficients, double start,
                                double step_tolerance, double value_tolerance);

// One point of a spline and the cubic that starts there: on the segment from
// this point to the next, with t = x - x_i, y = y_i + b t + c t^2 + d t^3.
struct SplineRow {
    double x = 0;
    double y = 0;
    double b = 0;
    double c = 0;
    double d = 0;
};
using SplineTable = std::vector<SplineRow>;

// Fills b, c and d from x and y, which must rise strictly. The first and the
// last segment are the straight lines through their two points; the inner
// ones are cubic Hermite pieces with slopes from a tridiagonal system.
// Returns 0, or 1 after an ERROR box naming the first bad spacing:
// "Multiple data points  at x = " or "Data points out of order at x = " and
// the later x ("%4g"). Fewer than two points give 1 without a message.
int spline_build(SplineTable& table);

struct SplineValue {
    double y = 0;
    double dy = 0;   // y'
    double d2y = 0;  // y''
};

// The spline at x. Outside the points the end segments extend. hint is the
// segment to start looking from and is left at the segment found, so calls
// with rising x walk cheaply.
SplineValue spline_eval(double x, const SplineTable& table, std::size_t& hint);

// Acceptance modes of spline_check.
inline constexpr int kSplineRising = 1;      // a flow curve: y' > 0 throughout
inline constexpr int kSplineEfficiency = 2;  // 0 <= y <= 1, flat at both ends
inline constexpr int kSplineFalling = 3;     // as 2, and never rising

// Checks every segment in the given mode, logging "CSFchk: <name>" and each
// failure to the run log. faults gets one entry per segment: empty when the
// segment passed, else the text of its last failure ("y > 1", "y < 0",
// "y' <= 0", "y' = 0", "y' > 0", "y' != 0"). Returns 1 when any segment
// failed, else 0.
int spline_check(std::string_view name, const SplineTable& table, int mode,
                 std::vector<std::string>& faults);

}  // namespace avelor
