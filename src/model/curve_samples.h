// What the point-editing dialogs draw: the points and the fitted curves,
// computed here in the units the dialog shows, so that the chart only has
// to display them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/airflow_element.h"

namespace avelor {

// A polyline or a set of points, x and y of the same length.
struct CurveRun {
    std::vector<double> x;
    std::vector<double> y;
    std::size_t size() const { return x.size(); }
};

// Samples taken along each spline segment (the segment's start point
// included, its end point being the next segment's start).
inline constexpr int kSamplesPerSegment = 16;

struct SplineSamples {
    CurveRun points;                // the data points
    std::vector<CurveRun> passed;   // runs of consecutive segments that passed
    std::vector<CurveRun> failed;   // runs of consecutive failed segments
    // One flag per segment: true when the acceptance test failed it.
    std::vector<bool> segment_failed;
    // False when the points make no spline (fewer than two, or X not
    // strictly rising): then only the points are drawn.
    bool built = false;
};

// The spline through a spline element's points in the units its data name
// (type fixes the kinds), with each segment put into the passed or the
// failed runs by the rising-curve test that OK applies. Shows no box, so it
// may run after every edit; the test does log its findings.
SplineSamples sample_spline(const SplineData& data, int type, std::string_view name,
                            int per_segment = kSamplesPerSegment);

// The cubic fitted to a fan's revised pressure rises, in base units, as
// OK would fit it, but without storing or showing anything.
struct FanFit {
    std::array<double, 4> c{};  // dP = c0 + c1 F + c2 F^2 + c3 F^3
    bool monotonic = false;     // the slope has no real zero: OK would accept
    std::optional<double> free_delivery;  // the root sought from the largest flow
};
// Nothing when there are fewer than 4 distinct flows to fit.
std::optional<FanFit> preview_fan_fit(const FanData& fan);

// Samples taken along a fitted fan curve.
inline constexpr int kFanCurveSamples = 64;

struct FanSamples {
    CurveRun rise;     // the points' pressure rises
    CurveRun revised;  // the points' revised pressure rises
    CurveRun curve;    // the fit from F = 0 to the end flow; empty when none
    bool monotonic = false;
    double end_flow = 0;  // base units: the free delivery flow, else the largest flow
};

// The fan's points and its fitted curve, flows in flow_unit [mass flow] and
// pressures in pressure_unit [pressure difference]. The curve runs from no
// flow to the free delivery flow when the fit has one beyond 0, else to the
// largest point flow.
FanSamples sample_fan_curve(const FanData& fan, std::int16_t flow_unit, std::int16_t pressure_unit,
                            int samples = kFanCurveSamples);

}  // namespace avelor
