#include "model/wind_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

namespace {

constexpr float kFullTurn = 360.0f;
constexpr double kMinSpacing = 1.0;             // degrees between points
constexpr double kTrigTolerance = 0.01;         // degrees
constexpr double kNearZeroPivot = 1.1920929e-7;  // 2^-23
constexpr double kFlushBelow = 1e-12;
constexpr double kDegreesToRadians = 0.0174532925;
constexpr double kEndTolerance = 1e-6;

float flushed(double value) { return std::fabs(value) < kFlushBelow ? 0.0f : static_cast<float>(value); }

int points_in_use(const WindProfile& p) { return std::clamp<int>(p.npts, 0, kWindProfileSlots); }

// The interval k of the table with x[k] <= θ <= x[k + 1], searched from the
// cursor's interval outwards in the direction θ lies. The table rises from
// 0 to 360 and θ lies in [0, 360), so an interval is always found.
int find_interval(const WindProfile& p, double theta, WindProfileCursor& cursor)
{
    const int last = points_in_use(p) - 2;  // the last interval
    int k = std::clamp(cursor.interval, 0, std::max(last, 0));
    while (k > 0 && theta < p.angles[static_cast<std::size_t>(k)] - kEndTolerance) --k;
    while (k < last && theta > p.angles[static_cast<std::size_t>(k + 1)] + kEndTolerance) ++k;
    cursor.interval = k;
    return k;
}

double evaluate_linear(const WindProfile& p, double theta, WindProfileCursor& cursor)
{
    if (points_in_use(p) < 2) return points_in_use(p) == 1 ? p.coefficients[0] : 0.0;
    const auto k = static_cast<std::size_t>(find_interval(p, theta, cursor));
    const double x0 = p.angles[k], x1 = p.angles[k + 1];
    const double y0 = p.coefficients[k], y1 = p.coefficients[k + 1];
    if (!(x1 > x0)) return y0;
    const double t = std::clamp((theta - x0) / (x1 - x0), 0.0, 1.0);
    return y0 + t * (y1 - y0);
}

double evaluate_spline(const WindProfile& p, double theta, WindProfileCursor& cursor)
{
    const auto k = static_cast<std::size_t>(find_interval(p, theta, cursor));
    const WindSplineInterval& s = p.spline[k];
    const double t = theta - s.x;
    return s.y + t * (s.c + t * (s.d + t * static_cast<double>(s.e)));
}

double evaluate_trigonometric(const WindProfile& p, double theta)
{
    const double r = theta * kDegreesToRadians;
    const double C = std::cos(r), S = std::sin(r);
    const double sign = C > 0 ? 1.0 : (C < 0 ? -1.0 : 0.0);
    const double S2 = S * S;
    return 0.5 * (p.trig[0] * std::sqrt(std::fabs(C)) + p.trig[1] * sign * std::pow(std::fabs(C), 0.75) +
                  p.trig[2] * S2 * S2 + p.trig[3] * S);
}

bool spline_matches(const WindProfile& p)
{
    return p.npts >= 3 && p.spline.size() == static_cast<std::size_t>(p.npts);
}

}  // namespace

WindProfile new_wind_profile()
{
    WindProfile p;
    p.angles.fill(kFullTurn);
    p.coefficients.fill(0.0f);
    p.angles[0] = 0.0f;
    p.coefficients[0] = 1.0f;
    p.coefficients[1] = 1.0f;
    p.npts = 2;
    p.type = kWindFitLinear;
    return p;
}

void normalize_wind_profile(WindProfile& p)
{
    for (float& a : p.angles)
        a = std::isfinite(a) ? std::clamp(a, 0.0f, kFullTurn) : kFullTurn;
    for (float& c : p.coefficients)
        if (!std::isfinite(c)) c = 0.0f;

    // A stable insertion sort of the dialog's rows.
    for (int i = 1; i < kWindProfileRows; ++i) {
        const float angle = p.angles[static_cast<std::size_t>(i)];
        const float coefficient = p.coefficients[static_cast<std::size_t>(i)];
        int j = i - 1;
        while (j >= 0 && p.angles[static_cast<std::size_t>(j)] > angle) {
            p.angles[static_cast<std::size_t>(j + 1)] = p.angles[static_cast<std::size_t>(j)];
            p.coefficients[static_cast<std::size_t>(j + 1)] = p.coefficients[static_cast<std::size_t>(j)];
            --j;
        }
        p.angles[static_cast<std::size_t>(j + 1)] = angle;
        p.coefficients[static_cast<std::size_t>(j + 1)] = coefficient;
    }

    // Every profile starts at 0° and ends at 360°: the first row is the 0°
    // point, and the sixteenth the 360° point when no earlier row is.
    p.angles[0] = 0.0f;
    int last = kWindProfileRows - 1;
    for (int i = 1; i < kWindProfileRows; ++i)
        if (p.angles[static_cast<std::size_t>(i)] >= kFullTurn) {
            last = i;
            break;
        }
    for (int i = last; i < kWindProfileSlots; ++i) {
        p.angles[static_cast<std::size_t>(i)] = kFullTurn;
        p.coefficients[static_cast<std::size_t>(i)] = 0.0f;
    }
    p.coefficients[static_cast<std::size_t>(last)] = p.coefficients[0];
    p.npts = static_cast<std::int16_t>(last + 1);
}

bool wind_spacing_ok(const WindProfile& p)
{
    for (int i = 0; i + 1 < points_in_use(p); ++i)
        if (static_cast<double>(p.angles[static_cast<std::size_t>(i + 1)]) - p.angles[static_cast<std::size_t>(i)] <
            kMinSpacing)
            return false;
    return true;
}

bool check_wind_spacing(const WindProfile& p)
{
    if (wind_spacing_ok(p)) return true;
    show_message(WARNING, {"Insufficient spacing between points"});
    return false;
}

std::optional<std::array<float, 4>> trigonometric_points(const WindProfile& p)
{
    std::array<float, 4> c{};
    int found = 0;
    for (int i = 0; i < points_in_use(p) && found < 5; ++i) {
        if (std::fabs(p.angles[static_cast<std::size_t>(i)] - 90.0 * found) > kTrigTolerance) continue;
        if (found < 4) c[static_cast<std::size_t>(found)] = p.coefficients[static_cast<std::size_t>(i)];
        ++found;
    }
    if (found != 5) return std::nullopt;
    return c;
}

bool qualifies_for_trigonometric(const WindProfile& p) { return trigonometric_points(p).has_value(); }

std::array<float, 4> trigonometric_coefficients(const std::array<float, 4>& c)
{
    return {c[0] + c[2], c[0] - c[2], c[1] + c[3], c[1] - c[3]};
}

SplineFitOutcome fit_wind_spline(const WindProfile& p, std::vector<WindSplineInterval>& spline)
{
    spline.clear();
    SplineFitOutcome outcome;
    const int npts = points_in_use(p);
    if (npts < 3) {
        outcome.result = SplineFitOutcome::TooFewPoints;
        return outcome;
    }
    const auto n = static_cast<std::size_t>(npts - 1);  // intervals, and unknowns M_0..M_{n-1}
    if (p.coefficients[0] != p.coefficients[n]) {
        outcome.result = SplineFitOutcome::NotPeriodic;
        return outcome;
    }
    std::vector<double> h(n), s(n);
    for (std::size_t k = 0; k < n; ++k) {
        h[k] = static_cast<double>(p.angles[k + 1]) - p.angles[k];
        s[k] = h[k] != 0 ? (static_cast<double>(p.coefficients[k + 1]) - p.coefficients[k]) / h[k] : 0.0;
    }

    // h_{k-1} M_{k-1} + 2 (h_{k-1} + h_k) M_k + h_k M_{k+1} = 6 (s_k - s_{k-1}),
    // indices cyclic. With two intervals both neighbours of a row are the
    // same unknown, so the terms add up in one cell.
    std::vector<double> a(n * n, 0.0), b(n, 0.0);
    const auto at = [&](std::size_t r, std::size_t c) -> double& { return a[r * n + c]; };
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t before = (k + n - 1) % n, after = (k + 1) % n;
        at(k, before) += h[before];
        at(k, k) += 2.0 * (h[before] + h[k]);
        at(k, after) += h[k];
        b[k] = 6.0 * (s[k] - s[before]);
    }

    // Gaussian elimination without pivoting, then back substitution.
    for (std::size_t r = 0; r < n; ++r) {
        const double pivot = at(r, r);
        if (pivot == 0.0) {
            outcome.result = SplineFitOutcome::ZeroPivot;
            outcome.zero_row = static_cast<int>(r + 1);
            return outcome;
        }
        if (std::fabs(pivot) < kNearZeroPivot) outcome.near_zero_rows.push_back(static_cast<int>(r + 1));
        for (std::size_t i = r + 1; i < n; ++i) {
            const double factor = at(i, r) / pivot;
            if (factor == 0.0) continue;
            for (std::size_t c = r; c < n; ++c) at(i, c) -= factor * at(r, c);
            b[i] -= factor * b[r];
        }
    }
    std::vector<double> M(n + 1, 0.0);
    for (std::size_t r = n; r-- > 0;) {
        double sum = b[r];
        for (std::size_t c = r + 1; c < n; ++c) sum -= at(r, c) * M[c];
        M[r] = sum / at(r, r);
    }
    M[n] = M[0];

    spline.resize(n + 1);
    for (std::size_t k = 0; k < n; ++k) {
        WindSplineInterval& w = spline[k];
        w.x = flushed(p.angles[k]);
        w.y = flushed(p.coefficients[k]);
        w.c = flushed(s[k] - h[k] * (2.0 * M[k] + M[k + 1]) / 6.0);
        w.d = flushed(M[k] / 2.0);
        w.e = flushed(h[k] != 0 ? (M[k + 1] - M[k]) / (6.0 * h[k]) : 0.0);
    }
    spline[n].x = flushed(p.angles[n]);
    spline[n].y = flushed(p.coefficients[n]);
    return outcome;
}

bool fit_wind_profile(WindProfile& p, int failure_severity)
{
    if (p.type == kWindFitSpline) {
        const SplineFitOutcome outcome = fit_wind_spline(p, p.spline);
        for (int row : outcome.near_zero_rows)
            report_error(WARNING, {"Near zero on the diagonal, row ", std::to_string(row)});
        switch (outcome.result) {
        case SplineFitOutcome::Fitted: return true;
        case SplineFitOutcome::TooFewPoints:
            report_error(failure_severity, {"too few data points for spline"});
            break;
        case SplineFitOutcome::NotPeriodic:
            show_message(ERROR, {" Wind pressure profile data is not periodic"});
            break;
        case SplineFitOutcome::ZeroPivot:
            report_error(failure_severity, {"Zero on the diagonal, row ", std::to_string(outcome.zero_row)});
            break;
        }
        p.type = kWindFitLinear;
        return false;
    }
    if (p.type == kWindFitTrigonometric) {
        if (const auto c = trigonometric_points(p)) {
            p.trig = trigonometric_coefficients(*c);
            return true;
        }
        report_error(WARNING, {"Wind pressure profile ", p.name,
                               " lacks the points at 0, 90, 180, 270 and 360 degrees its "
                               "trigonometric fit needs; it is used as a linear profile"});
        p.type = kWindFitLinear;
        return false;
    }
    return true;
}

double wrap_wind_angle(double degrees)
{
    if (!std::isfinite(degrees)) return 0.0;
    double theta = std::fmod(degrees, 360.0);
    if (theta < 0) theta += 360.0;
    // A tiny negative angle plus a full turn rounds to the turn itself.
    if (theta >= 360.0) theta = 0.0;
    return theta;
}

double evaluate_wind_profile(const WindProfile& p, double degrees, WindProfileCursor& cursor)
{
    const double theta = wrap_wind_angle(degrees);
    if (p.type == kWindFitSpline && spline_matches(p)) return evaluate_spline(p, theta, cursor);
    if (p.type == kWindFitTrigonometric) return evaluate_trigonometric(p, theta);
    return evaluate_linear(p, theta, cursor);
}

double evaluate_wind_profile(const WindProfile& p, double degrees)
{
    WindProfileCursor cursor;
    return evaluate_wind_profile(p, degrees, cursor);
}

std::vector<std::pair<float, float>> wind_profile_points(const WindProfile& p)
{
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < points_in_use(p); ++i)
        points.emplace_back(p.angles[static_cast<std::size_t>(i)], p.coefficients[static_cast<std::size_t>(i)]);
    return points;
}

std::vector<std::string> users_of(const Project& project, const WindProfile& profile)
{
    std::vector<std::string> users;
    for (const FlowPath& p : project.paths)
        if (p.wind_profile == &profile) users.push_back("path " + std::to_string(p.nr));
    for (const Junction& j : project.junctions)
        if (j.t != 0 && j.terminal.wind_profile == &profile) users.push_back("terminal " + std::to_string(j.nr));
    return users;
}

}  // namespace avelor
