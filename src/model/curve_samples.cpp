#include "model/curve_samples.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/curve_fit.h"
#include "model/units.h"

namespace avelor {

namespace {

double shown(double value, UnitKind kind, int unit)
{
    if (!unit_index_valid(kind, unit)) unit = 0;
    return convert_units(static_cast<float>(value), true, kind, unit);
}

void add(CurveRun& run, double x, double y)
{
    run.x.push_back(x);
    run.y.push_back(y);
}

}  // namespace

SplineSamples sample_spline(const SplineData& data, int type, std::string_view name, int per_segment)
{
    SplineSamples out;
    const SplineKinds kinds = spline_kinds(type);
    const std::size_t count = std::min(data.x.size(), data.y.size());
    SplineTable table(count);
    for (std::size_t i = 0; i < count; ++i) {
        table[i].x = shown(data.x[i], kinds.x, data.u_X);
        table[i].y = shown(data.y[i], kinds.y, data.u_Y);
        add(out.points, table[i].x, table[i].y);
    }
    if (count < 2) return out;
    // The builder would complain in a box about X that do not rise; a chart
    // drawn while the user edits must not.
    for (std::size_t i = 0; i + 1 < count; ++i)
        if (!(table[i + 1].x > table[i].x)) return out;
    if (spline_build(table) != 0) return out;
    out.built = true;

    std::vector<std::string> faults;
    spline_check(name, table, kSplineRising, faults);
    const std::size_t segments = count - 1;
    faults.resize(segments);
    per_segment = std::max(per_segment, 1);

    std::size_t hint = 0;
    for (std::size_t s = 0; s < segments; ++s) {
        const bool failed = !faults[s].empty();
        out.segment_failed.push_back(failed);
        std::vector<CurveRun>& runs = failed ? out.failed : out.passed;
        // A new run unless the previous segment went the same way.
        if (s == 0 || out.segment_failed[s - 1] != failed) {
            runs.emplace_back();
            // Runs join their neighbours, so the curve has no gaps.
            if (s > 0) add(runs.back(), table[s].x, table[s].y);
        }
        CurveRun& run = runs.back();
        const double x0 = table[s].x;
        const double h = table[s + 1].x - x0;
        for (int k = s == 0 || run.size() == 0 ? 0 : 1; k <= per_segment; ++k) {
            const double x = k == per_segment ? table[s + 1].x : x0 + h * k / per_segment;
            add(run, x, spline_eval(x, table, hint).y);
        }
    }
    return out;
}

std::optional<FanFit> preview_fan_fit(const FanData& fan)
{
    std::vector<float> flows;
    std::vector<float> rises;
    for (const FanPoint& p : fan.points) {
        flows.push_back(p.F);
        rises.push_back(p.rP);
    }
    std::vector<float> distinct = flows;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    // Fewer distinct flows than coefficients make the equations singular,
    // which the solver would report in a box.
    if (distinct.size() < 4) return std::nullopt;
    const auto c = poly_fit(flows, rises, 3);
    if (!c || c->size() != 4) return std::nullopt;
    FanFit fit;
    std::copy(c->begin(), c->end(), fit.c.begin());
    if (!std::all_of(fit.c.begin(), fit.c.end(), [](double v) { return std::isfinite(v); }))
        return std::nullopt;
    fit.monotonic = fit.c[2] * fit.c[2] - 3 * fit.c[1] * fit.c[3] < 0;
    if (fit.monotonic) fit.free_delivery = poly_root(fit.c, distinct.back(), 0.001, 0.001);
    return fit;
}

FanSamples sample_fan_curve(const FanData& fan, std::int16_t flow_unit, std::int16_t pressure_unit,
                            int samples)
{
    FanSamples out;
    const UnitKind flow = UnitKind::MassFlow;
    const UnitKind pressure = UnitKind::PressureDifference;
    for (const FanPoint& p : fan.points) {
        const double f = shown(p.F, flow, flow_unit);
        add(out.rise, f, shown(p.dP, pressure, pressure_unit));
        add(out.revised, f, shown(p.rP, pressure, pressure_unit));
    }
    const auto fit = preview_fan_fit(fan);
    if (!fit) return out;
    out.monotonic = fit->monotonic;
    double largest = 0;
    for (const FanPoint& p : fan.points) largest = std::max(largest, static_cast<double>(p.F));
    out.end_flow = fit->free_delivery && *fit->free_delivery > 0 ? *fit->free_delivery : largest;
    if (!(out.end_flow > 0)) return out;
    samples = std::max(samples, 1);
    for (int k = 0; k <= samples; ++k) {
        const double f = out.end_flow * k / samples;
        const double dp = fit->c[0] + f * (fit->c[1] + f * (fit->c[2] + f * fit->c[3]));
        add(out.curve, shown(f, flow, flow_unit), shown(dp, pressure, pressure_unit));
    }
    return out;
}

}  // namespace avelor
