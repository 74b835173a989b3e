// The point lists behind the two point-editing dialogs: the cubic spline
// data of the spline element types and the performance points of the fan
// element. Each model edits the points of a working copy's record: values
// come in and are stored in base units; the list rows show them in the
// units chosen; OK runs the acceptance test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/airflow_element.h"

namespace avelor {

class SplinePointList {
public:
    // type: one of the spline element codes, which fixes the units' kinds.
    SplinePointList(SplineData& data, int type);

    std::size_t size() const { return data_->size(); }
    float x(std::size_t i) const { return data_->x[i]; }
    float y(std::size_t i) const { return data_->y[i]; }

    bool can_insert() const { return size() < kMaxSplinePoints; }
    bool can_delete() const { return size() > 4; }
    bool can_replace() const { return size() >= 1; }

    // A point whose X matches the entered one (within a relative 1e-6) is
    // replaced, else the point is added; the list is then sorted by X.
    void insert(float x, float y);
    // Puts the entered values into point i, then sorts.
    void replace(std::size_t i, float x, float y);
    void remove(std::size_t i);

    // The units the list shows its values in.
    void set_units(std::int16_t x_unit, std::int16_t y_unit);
    // A row of the list: "%10.3e %30.3f" as filled, "%10.3e %30.3e" when
    // rebuilt after a unit change.
    std::string row_text(std::size_t i, bool rebuilt) const;

    // The point test of OK: at least 4 points, a spline through them in the
    // units shown, and a curve that rises everywhere. Shows its refusal.
    ElementVerdict check(std::string_view name) const;

private:
    void sort();

    SplineData* data_;
    SplineKinds kinds_;
};

// The values being entered for one fan point. Entering a pressure rise also
// sets the revised rise, which may then be edited alone.
struct FanPointEntry {
    float flow = 0;
    float rise = 0;
    float revised = 0;
    void set_rise(float value) { rise = revised = value; }
};

class FanPointList {
public:
    // The units the list starts in when the fan has no points yet.
    FanPointList(FanData& data, std::int16_t flow_unit, std::int16_t pressure_unit);

    std::size_t size() const { return data_->points.size(); }
    const FanPoint& point(std::size_t i) const { return data_->points[i]; }

    bool can_insert() const { return size() < kMaxFanPoints; }
    bool can_replace() const { return size() >= 1; }
    bool can_delete() const { return size() > 4; }

    // Each change leaves the points sorted by flow; an entry whose flow and
    // revised rise are both 0 is not a point and is dropped.
    void insert(const FanPointEntry& entry);
    void replace(std::size_t i, const FanPointEntry& entry);
    void remove(std::size_t i);

    // The two unit choices apply to every point.
    void set_units(std::int16_t flow_unit, std::int16_t pressure_unit);
    std::int16_t flow_unit() const { return flow_unit_; }
    std::int16_t pressure_unit() const { return pressure_unit_; }
    // "%10.3f %20.3f %20.3f": flow, rise and revised rise in the units shown.
    std::string row_text(std::size_t i) const;

    // OK: with fewer than 4 points nothing happens (refused, no box);
    // otherwise fit_fan_curve.
    ElementVerdict accept();

private:
    void tidy();

    FanData* data_;
    std::int16_t flow_unit_;
    std::int16_t pressure_unit_;
};

// Fits dP = c0 + c1 F + c2 F^2 + c3 F^3 to the revised rises (base units) and,
// when the fitted slope has no real zero, stores the coefficients, the
// shut-off pressure c0 and the free delivery flow (the curve's root, sought
// from the largest flow). A curve with a turning point is refused with the
// contraflecture message; one whose root cannot be found, with a message of
// the same kind. Nothing is stored on a refusal.
ElementVerdict fit_fan_curve(FanData& fan);

}  // namespace avelor
