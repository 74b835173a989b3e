// Wind pressure profiles: a wind pressure coefficient as a function of the
// wind's angle relative to a wall, given as points and a fit through them.
//
// A profile's points run from 0° to 360°, angles rising, and the 360° point
// carries the 0° point's coefficient, so that every fit is periodic and
// every angle of a turn has a value. Normalising and reading make every
// profile so; evaluation brings any angle into [0, 360) first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/lists.h"

namespace avelor {

class Project;

inline constexpr int kWindProfileSlots = 17;  // 16 points and a spare 360° slot
inline constexpr int kWindProfileRows = 16;   // the rows the dialog edits
inline constexpr int kWindProfileMinPoints = 2;
inline constexpr int kWindProfileMaxPoints = 16;

// The fits: 1 linear, 2 periodic cubic spline, 3 four-point trigonometric.
// A profile stored while "Show All" was chosen has type 0 and is evaluated
// as linear.
inline constexpr std::int16_t kWindFitShowAll = 0;
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

// 0° with coefficient 1 and 360° with the same, linear; every other slot at
// 360° with coefficient 0.
WindProfile new_wind_profile();

// The sixteen rows sorted by angle (a stable sort, coefficients moving with
// their angles); the first row made the 0° point; the first later row at
// 360° or more made the last point (the sixteenth row when no earlier one
// is), at exactly 360° with the first row's coefficient; the rows after it
// 360° with coefficient 0. npts follows. Angles are clamped into 0..360.
void normalize_wind_profile(WindProfile& profile);

// Whether every two consecutive points in use lie at least 1° apart; when
// not, a WARNING box "Insufficient spacing between points".
bool check_wind_spacing(const WindProfile& profile);
// The same without a box.
bool wind_spacing_ok(const WindProfile& profile);

// The four coefficients C0, C90, C180 and C270 when, scanning the points in
// order, five of them lie within 0.01° of 0, 90, 180, 270 and 360 in turn.
std::optional<std::array<float, 4>> trigonometric_points(const WindProfile& profile);
bool qualifies_for_trigonometric(const WindProfile& profile);

// How a periodic spline fit through a profile's points came out.
struct SplineFitOutcome {
    enum Result { Fitted, TooFewPoints, NotPeriodic, ZeroPivot };
    Result result = Fitted;
    int zero_row = 0;                // 1-based row of a zero pivot
    std::vector<int> near_zero_rows;  // 1-based rows whose pivot is below 2^-23
    bool fitted() const { return result == Fitted; }
};

// The periodic cubic spline through the points in use, in double precision,
// stored as floats into spline (npts − 1 intervals and the last point);
// values below 1e-12 in magnitude are stored as 0. Shows nothing; spline is
// left empty unless fitted.
SplineFitOutcome fit_wind_spline(const WindProfile& profile, std::vector<WindSplineInterval>& spline);

// a1 = C0 + C180, a2 = C0 − C180, a3 = C90 + C270, a4 = C90 − C270.
std::array<float, 4> trigonometric_coefficients(const std::array<float, 4>& c);

// Computes the fit the profile's type names. A spline fit's failures are
// told with their messages ("too few data points for spline" and "Zero on
// the diagonal, row " at failure_severity, " Wind pressure profile data is
// not periodic" as a box, "Near zero on the diagonal, row " as a WARNING);
// a trigonometric fit of points that do not qualify is told as a WARNING.
// Either failure leaves the profile linear (type 1), as every fit failure
// does, and answers false. Types 0 and 1 need no fit.
bool fit_wind_profile(WindProfile& profile, int failure_severity);

// Where the last evaluation of one table found its interval: the next
// search on the same table starts there. One per caller (an evaluation
// loop, a thread), never shared.
struct WindProfileCursor {
    int interval = 0;
};

// An angle in degrees brought into [0, 360); NaN and infinities give 0.
double wrap_wind_angle(double degrees);

// The coefficient at an angle (any value; it is wrapped first). Types 0 and
// 1 and a spline type without its coefficients interpolate linearly between
// the points; type 2 follows its spline, type 3 its four coefficients.
double evaluate_wind_profile(const WindProfile& profile, double degrees, WindProfileCursor& cursor);
double evaluate_wind_profile(const WindProfile& profile, double degrees);

// The points in use as (angle, coefficient) pairs.
std::vector<std::pair<float, float>> wind_profile_points(const WindProfile& profile);

// What refers to a profile, for the refusal to delete one in use: "path 12",
// "terminal 3".
std::vector<std::string> users_of(const Project& project, const WindProfile& profile);

}  // namespace avelor
