#include "model/curve_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/text_writer.h"

namespace avelor {

namespace {

// The smallest pivot the solver trusts: the least normal 32-bit float, as
// the stored data are floats.
constexpr double kTinyPivot = 1.1754944e-38;

std::string format_number(const char* format, double value)
{
    TextWriter text;
    text.printf(format, value);
    return text.take();
}

}  // namespace

int solve_linear(std::span<double> matrix, std::size_t n)
{
    const std::size_t width = n + 1;
    auto at = [&](std::size_t row, std::size_t col) -> double& { return matrix[row * width + col]; };

    for (std::size_t row = 0; row < n; ++row) {
        double largest = 0;
        for (std::size_t col = 0; col < n; ++col) largest = std::max(largest, std::fabs(at(row, col)));
        const double scale = 1.0 / largest;
        // A row of zeros (or of values too small to invert) stays as it is:
        // scaling it would fill it with NaN, and the pivot search rejects it.
        if (!(largest > 0) || !std::isfinite(scale)) continue;
        for (std::size_t col = 0; col < width; ++col) at(row, col) *= scale;
    }

    for (std::size_t j = 0; j < n; ++j) {
        std::size_t pivot = j;
        double best = std::fabs(at(j, j));
        for (std::size_t row = j + 1; row < n; ++row) {
            if (std::fabs(at(row, j)) > best) {
                best = std::fabs(at(row, j));
                pivot = row;
            }
        }
        // Written so that a NaN pivot fails as well.
        if (!(best >= kTinyPivot)) {
            report_error(ERROR, {"Zero pivot element, row ", std::to_string(j)});
            return 1;
        }
        if (pivot != j)
            for (std::size_t col = j; col < width; ++col) std::swap(at(pivot, col), at(j, col));
        at(j, j) = 1.0 / at(j, j);
        for (std::size_t row = j + 1; row < n; ++row) {
            if (at(row, j) == 0) continue;
            const double factor = at(row, j) * at(j, j);
            for (std::size_t col = j + 1; col < width; ++col) at(row, col) -= factor * at(j, col);
        }
    }

    for (std::size_t i = n; i-- > 0;) {
        double sum = at(i, n);
        for (std::size_t k = i + 1; k < n; ++k) sum -= at(i, k) * at(k, n);
        at(i, n) = sum * at(i, i);
    }
    return 0;
}

std::optional<std::vector<double>> poly_fit(std::span<const float> x, std::span<const float> y,
                                            int degree)
{
    if (degree < 0 || x.size() != y.size()) return std::nullopt;
    const auto terms = static_cast<std::size_t>(degree) + 1;
    if (x.size() < terms) return std::nullopt;

    // Normal equations A'A c = A'y of the power matrix A, built from the
    // sums of powers x^0 .. x^(2 degree) and x^k y.
    std::vector<double> power_sums(2 * terms - 1, 0.0);
    std::vector<double> moment(terms, 0.0);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double xi = x[i];
        double p = 1;
        for (std::size_t k = 0; k < power_sums.size(); ++k) {
            power_sums[k] += p;
            if (k < terms) moment[k] += p * static_cast<double>(y[i]);
            p *= xi;
        }
    }
    std::vector<double> system(terms * (terms + 1));
    for (std::size_t row = 0; row < terms; ++row) {
        for (std::size_t col = 0; col < terms; ++col)
            system[row * (terms + 1) + col] = power_sums[row + col];
        system[row * (terms + 1) + terms] = moment[row];
    }
    if (solve_linear(system, terms) != 0) return std::nullopt;

    std::vector<double> coefficients(terms);
    for (std::size_t k = 0; k < terms; ++k) coefficients[k] = system[k * (terms + 1) + terms];
    return coefficients;
}

std::optional<double> poly_root(std::span<const double> coefficients, double start,
                                double step_tolerance, double value_tolerance)
{
    if (coefficients.empty()) return std::nullopt;
    double x = start;
    for (int iteration = 0; iteration < kPolyRootIterations; ++iteration) {
        double p = 0;
        double slope = 0;
        for (std::size_t k = coefficients.size(); k-- > 0;) {
            slope = slope * x + p;
            p = p * x + coefficients[k];
        }
        if (slope == 0 || !std::isfinite(p) || !std::isfinite(slope)) return std::nullopt;
        const double step = p / slope;
        x -= step;
        if (!std::isfinite(x)) return std::nullopt;
        if (std::fabs(step) <= step_tolerance && std::fabs(p) <= value_tolerance) return x;
    }
    return std::nullopt;
}

int spline_build(SplineTable& table)
{
    const std::size_t points = table.size();
    if (points < 2) return 1;
    const std::size_t segments = points - 1;

    std::vector<double> h(segments);
    std::vector<double> m(segments);
    for (std::size_t i = 0; i < segments; ++i) {
        h[i] = table[i + 1].x - table[i].x;
        if (h[i] <= 0) {
            const char* what = h[i] == 0 ? "Multiple data points  at x = " : "Data points out of order at x = ";
            show_message(ERROR, {what, format_number("%4g", table[i + 1].x)});
            return 1;
        }
        m[i] = (table[i + 1].y - table[i].y) / h[i];
    }
    for (SplineRow& row : table) row.b = row.c = row.d = 0;

    // Slopes s[1..M] at the inner points, M = points - 2; s[0] unused. The
    // first and last rows pin the slopes next to the straight end segments.
    const std::size_t inner = points - 2;
    std::vector<double> s(inner + 1, 0.0);
    if (inner >= 1) {
        std::vector<double> lower(inner + 1, 0.0), diag(inner + 1, 1.0), upper(inner + 1, 0.0);
        std::vector<double> rhs(inner + 1, 0.0);
        rhs[1] = m[0];
        for (std::size_t k = 2; k < inner; ++k) {
            lower[k] = h[k];
            diag[k] = 2 * (h[k - 1] + h[k]);
            upper[k] = h[k - 1];
            rhs[k] = 3 * (m[k - 1] * h[k] + m[k] * h[k - 1]);
        }
        // With three points the two pinning rows are one: the later wins.
        lower[inner] = 0;
        diag[inner] = 1;
        upper[inner] = 0;
        rhs[inner] = m[inner];
        for (std::size_t k = 2; k <= inner; ++k) {
            const double factor = lower[k] / diag[k - 1];
            diag[k] -= factor * upper[k - 1];
            rhs[k] -= factor * rhs[k - 1];
        }
        s[inner] = rhs[inner] / diag[inner];
        for (std::size_t k = inner - 1; k >= 1; --k) s[k] = (rhs[k] - upper[k] * s[k + 1]) / diag[k];
    }

    // The first segment is the straight line through its own two points.
    // (Taking the first inner slope instead is the same line whenever there
    // are four points or more, but with three it would miss the middle one.)
    table[0].b = m[0];
    for (std::size_t j = 1; j < inner; ++j) {
        table[j].b = s[j];
        table[j].c = (3 * m[j] - 2 * s[j] - s[j + 1]) / h[j];
        table[j].d = (s[j] - 2 * m[j] + s[j + 1]) / (h[j] * h[j]);
    }
    if (inner >= 1) table[inner].b = s[inner];
    return 0;
}

SplineValue spline_eval(double x, const SplineTable& table, std::size_t& hint)
{
    if (table.empty()) return {};
    if (table.size() == 1) return {table[0].y, 0, 0};
    const std::size_t last_segment = table.size() - 2;
    std::size_t a = std::min(hint, last_segment);
    while (a > 0 && x < table[a].x) --a;
    while (a < last_segment && x >= table[a + 1].x) ++a;
    hint = a;
    const SplineRow& r = table[a];
    const double t = x - r.x;
    return {r.y + t * (r.b + t * (r.c + t * r.d)), r.b + t * (3 * r.d * t + 2 * r.c), 6 * t * r.d + 2 * r.c};
}

namespace {

class SegmentFaults {
public:
    SegmentFaults(std::vector<std::string>& faults, std::size_t segments) : faults_(faults)
    {
        faults_.assign(segments, std::string());
    }

    void fail(std::size_t segment, const char* text, double x)
    {
        faults_[segment] = text;
        any_ = true;
        run_log().printf("     %s at x = %g, segment %d\n", text, x, static_cast<int>(segment));
    }

    bool any() const { return any_; }

private:
    std::vector<std::string>& faults_;
    bool any_ = false;
};

// Where y' = 0 on a cubic segment: t = (+-sqrt(c^2 - 3db) - c) / (3d).
int slope_roots(const SplineRow& r, std::array<double, 2>& roots)
{
    const double disc = r.c * r.c - 3 * r.d * r.b;
    if (r.d == 0 || disc < 0) return 0;
    const double root = std::sqrt(disc);
    roots[0] = (root - r.c) / (3 * r.d);
    roots[1] = (-root - r.c) / (3 * r.d);
    return 2;
}

void check_rising(const SplineTable& table, std::size_t i, double h, SegmentFaults& faults)
{
    const SplineRow& r = table[i];
    if (r.b == 0 && r.c == 0 && r.d == 0)
        faults.fail(i, "y' = 0", r.x);
    else if (r.b <= 0)
        faults.fail(i, "y' <= 0", r.x);
    std::array<double, 2> roots{};
    const int count = slope_roots(r, roots);
    for (int k = 0; k < count; ++k) {
        const double t = roots[static_cast<std::size_t>(k)];
        if (t >= 0 && t <= h) faults.fail(i, "y' = 0", r.x + t);
    }
}

void check_range(double y, double x, std::size_t i, SegmentFaults& faults)
{
    if (y > 1)
        faults.fail(i, "y > 1", x);
    else if (y < 0)
        faults.fail(i, "y < 0", x);
}

void check_efficiency(const SplineTable& table, std::size_t i, double h, int mode,
                      SegmentFaults& faults)
{
    const SplineRow& r = table[i];
    check_range(r.y, r.x, i, faults);
    const bool curved_or_sloped = r.b != 0 || r.c != 0 || r.d != 0;
    if (mode == kSplineFalling && curved_or_sloped && r.b > 0) faults.fail(i, "y' > 0", r.x);

    std::array<double, 2> extremes{};
    int count = 0;
    if (r.d == 0 && r.c != 0) {
        extremes[0] = -r.b / (2 * r.c);
        count = 1;
    } else {
        count = slope_roots(r, extremes);
    }
    for (int k = 0; k < count; ++k) {
        const double t = extremes[static_cast<std::size_t>(k)];
        if (!(t > 1e-5 * h && t < 0.99999 * h)) continue;
        const double y = r.y + t * (r.b + t * (r.c + t * r.d));
        run_log().printf("    y' = 0 at x = %12.4e, y = %12.4e\n", r.x + t, y);
        check_range(y, r.x + t, i, faults);
    }

    if (i == 0 && r.b != 0) faults.fail(i, "y' != 0", r.x);
    if (i + 2 == table.size()) {
        const double y = r.y + h * (r.b + h * (r.c + h * r.d));
        const double slope = r.b + h * (3 * r.d * h + 2 * r.c);
        const double x_end = table[i + 1].x;
        check_range(y, x_end, i, faults);
        if (slope != 0) faults.fail(i, "y' != 0", x_end);
    }
}

}  // namespace

int spline_check(std::string_view name, const SplineTable& table, int mode,
                 std::vector<std::string>& faults)
{
    run_log().printf("CSFchk: %.*s\n", static_cast<int>(name.size()), name.data());
    const std::size_t segments = table.size() < 2 ? 0 : table.size() - 1;
    SegmentFaults found(faults, segments);
    for (std::size_t i = 0; i < segments; ++i) {
        const double h = table[i + 1].x - table[i].x;
        if (mode == kSplineRising)
            check_rising(table, i, h, found);
        else
            check_efficiency(table, i, h, mode, found);
    }
    return found.any() ? 1 : 0;
}

}  // namespace avelor
