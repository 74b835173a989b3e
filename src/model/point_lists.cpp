#include "model/point_lists.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "model/curve_fit.h"
#include "model/units.h"

namespace avelor {

namespace {

// A message box shows at most this many characters after its leading blank,
// so the list of failed segments stops before a line would be cut.
constexpr std::size_t kBoxTextLimit = 254;

ElementVerdict refuse(int severity, std::string text)
{
    show_message(severity, {text});
    return {false, severity, std::move(text), "points"};
}

int shown_unit(UnitKind kind, std::int16_t unit) { return unit_index_valid(kind, unit) ? unit : 0; }

float shown(float value, UnitKind kind, std::int16_t unit)
{
    return convert_units(value, true, kind, shown_unit(kind, unit));
}

// Relative difference within one part in a million, or equal.
bool same_x(float a, float b)
{
    return a == b || std::fabs(static_cast<double>(a) - b) <= 1e-6 * std::fabs(static_cast<double>(a) + b);
}

}  // namespace

SplinePointList::SplinePointList(SplineData& data, int type) : data_(&data), kinds_(spline_kinds(type)) {}

void SplinePointList::sort()
{
    // Insertion sort that moves a point only past strictly greater X, so
    // equal X keep their order.
    for (std::size_t i = 1; i < size(); ++i) {
        const float x = data_->x[i];
        const float y = data_->y[i];
        std::size_t j = i;
        for (; j > 0 && data_->x[j - 1] > x; --j) {
            data_->x[j] = data_->x[j - 1];
            data_->y[j] = data_->y[j - 1];
        }
        data_->x[j] = x;
        data_->y[j] = y;
    }
}

void SplinePointList::insert(float x, float y)
{
    auto match = std::find_if(data_->x.begin(), data_->x.end(), [x](float xi) { return same_x(xi, x); });
    if (match != data_->x.end()) {
        const auto i = static_cast<std::size_t>(match - data_->x.begin());
        data_->x[i] = x;
        data_->y[i] = y;
    } else {
        if (!can_insert()) return;
        data_->x.push_back(x);
        data_->y.push_back(y);
    }
    sort();
}

void SplinePointList::replace(std::size_t i, float x, float y)
{
    if (i >= size()) return;
    data_->x[i] = x;
    data_->y[i] = y;
    sort();
}

void SplinePointList::remove(std::size_t i)
{
    if (i >= size()) return;
    data_->x.erase(data_->x.begin() + static_cast<std::ptrdiff_t>(i));
    data_->y.erase(data_->y.begin() + static_cast<std::ptrdiff_t>(i));
}

void SplinePointList::set_units(std::int16_t x_unit, std::int16_t y_unit)
{
    data_->u_X = x_unit;
    data_->u_Y = y_unit;
}

std::string SplinePointList::row_text(std::size_t i, bool rebuilt) const
{
    TextWriter text;
    text.printf(rebuilt ? "%10.3e %30.3e" : "%10.3e %30.3f", shown(data_->x[i], kinds_.x, data_->u_X),
                shown(data_->y[i], kinds_.y, data_->u_Y));
    return text.take();
}

ElementVerdict SplinePointList::check(std::string_view name) const
{
    if (size() < 4) return refuse(WARNING, "Minimum of 4 points required.");
    // The test runs on the curve as the user sees it, in the units shown.
    SplineTable table(size());
    for (std::size_t i = 0; i < size(); ++i) {
        table[i].x = shown(data_->x[i], kinds_.x, data_->u_X);
        table[i].y = shown(data_->y[i], kinds_.y, data_->u_Y);
    }
    if (spline_build(table) != 0) return {false, ERROR, {}, "points"};
    std::vector<std::string> faults;
    if (spline_check(name, table, kSplineRising, faults) == 0) return {};

    std::string text = "Unacceptable curve fit.";
    for (std::size_t i = 0; i < faults.size(); ++i) {
        if (faults[i].empty()) continue;
        TextWriter line;
        line.printf("\n  seg %3d: %s", static_cast<int>(i), faults[i].c_str());
        if (text.size() + line.text().size() > kBoxTextLimit) break;
        text += line.text();
    }
    return refuse(ERROR, std::move(text));
}

FanPointList::FanPointList(FanData& data, std::int16_t flow_unit, std::int16_t pressure_unit)
    : data_(&data),
      flow_unit_(data.points.empty() ? flow_unit : data.points.front().u_F),
      pressure_unit_(data.points.empty() ? pressure_unit : data.points.front().u_P)
{
}

void FanPointList::tidy()
{
    auto& points = data_->points;
    std::erase_if(points, [](const FanPoint& p) { return p.F == 0 && p.rP == 0; });
    std::stable_sort(points.begin(), points.end(),
                     [](const FanPoint& a, const FanPoint& b) { return a.F < b.F; });
}

void FanPointList::insert(const FanPointEntry& entry)
{
    if (!can_insert()) return;
    data_->points.push_back(
        {entry.flow, flow_unit_, entry.rise, pressure_unit_, entry.revised, pressure_unit_});
    tidy();
}

void FanPointList::replace(std::size_t i, const FanPointEntry& entry)
{
    if (i >= size()) return;
    FanPoint& p = data_->points[i];
    p.F = entry.flow;
    p.dP = entry.rise;
    p.rP = entry.revised;
    tidy();
}

void FanPointList::remove(std::size_t i)
{
    if (i >= size()) return;
    data_->points.erase(data_->points.begin() + static_cast<std::ptrdiff_t>(i));
}

void FanPointList::set_units(std::int16_t flow_unit, std::int16_t pressure_unit)
{
    flow_unit_ = flow_unit;
    pressure_unit_ = pressure_unit;
    for (FanPoint& p : data_->points) {
        p.u_F = flow_unit;
        p.u_P = p.u_R = pressure_unit;
    }
}

std::string FanPointList::row_text(std::size_t i) const
{
    const FanPoint& p = data_->points[i];
    TextWriter text;
    text.printf("%10.3f %20.3f %20.3f", shown(p.F, UnitKind::MassFlow, p.u_F),
                shown(p.dP, UnitKind::PressureDifference, p.u_P),
                shown(p.rP, UnitKind::PressureDifference, p.u_R));
    return text.take();
}

ElementVerdict FanPointList::accept()
{
    if (size() < 4) return {false, -1, {}, "points"};
    return fit_fan_curve(*data_);
}

ElementVerdict fit_fan_curve(FanData& fan)
{
    std::vector<float> flows;
    std::vector<float> rises;
    for (const FanPoint& p : fan.points) {
        flows.push_back(p.F);
        rises.push_back(p.rP);
    }
    const auto c = poly_fit(flows, rises, 3);
    // Too few points say nothing; a singular fit has had its message.
    if (!c) return {false, fan.points.size() < 4 ? -1 : ERROR, {}, "points"};
    const std::vector<double>& k = *c;
    // dP/dF = c1 + 2 c2 F + 3 c3 F^2 has a real zero: the curve turns.
    if (k[2] * k[2] - 3 * k[1] * k[3] >= 0)
        return refuse(ERROR, "The fitted curve includes points of contraflecture. Either modify the fan curve or CANCEL.");
    const double start = *std::max_element(flows.begin(), flows.end());
    const auto root = poly_root(k, start, 0.001, 0.001);
    if (!root || !std::isfinite(static_cast<float>(*root)))
        return refuse(ERROR, "The fitted curve has no free delivery flow. Either modify the fan curve or CANCEL.");
    std::array<float, 4> stored{};
    for (std::size_t i = 0; i < 4; ++i) stored[i] = static_cast<float>(k[i]);
    if (!std::all_of(stored.begin(), stored.end(), [](float v) { return std::isfinite(v); }))
        return refuse(WARNING, "The derived coefficients are out of range.");
    fan.c = stored;
    fan.sop = fan.c[0];
    fan.fdf = static_cast<float>(*root);
    return {};
}

}  // namespace avelor
