// Wind pressure profiles: a wind pressure coefficient as a function of the
// wind's angle relative to a wall, given as points and a fit through them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/lists.h"

namespace avelor {

inline constexpr int kWindProfileSlots = 17;  // 16 points and a spare 360° slot

// The fits: 1 linear, 2 periodic cubic spline, 3 four-point trigonometric.
// A profile stored while "Show All" was chosen has type 0 and is evaluated
// as linear.
inline constexpr std::int16_t kWindFitLinear = 1;
inline constexpr std::int16_t kWindFitSpline = 2;
inline constexpr std::int16_t kWindFitTrigonometric = 3;

// One interval of the periodic spline: y = y + t(c + t(d + t e)), t = θ − x.
struct WindSplineInterval {
    float x = 0, y = 0, c = 0, d = 0, e = 0;
};

struct WindProfile : NamedLink<WindProfile> {
    std::array<float, kWindProfileSlots> angles{};        // degrees, rising, 0..360
    std::array<float, kWindProfileSlots> coefficients{};  // Cp
    std::int16_t npts = 2;  // points in use, the last at 360°
    std::int16_t type = kWindFitLinear;
    std::vector<WindSplineInterval> spline;  // npts − 1 intervals, then the last point
    std::array<float, 4> trig{};             // a1..a4
};

}  // namespace avelor
