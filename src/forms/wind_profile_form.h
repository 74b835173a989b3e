// "Wind Pressure Profile" without the widgets: a working copy of one
// profile in sixteen (angle, coefficient) rows, the fit chosen with "Curve
// Fit 1", "Curve Fit 2", "Curve Fit 3" or "Show All", and what the chart
// draws. Only an accepted OK stores the copy (a new record in name order,
// or over the record edited) and computes its fit.
//
// The rows are normalised on opening, on Redraw, on a fit button and on OK
// (see normalize_wind_profile); points closer than one degree then draw
// nothing and keep the dialog open.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "forms/form_answer.h"
#include "model/curve_samples.h"
#include "model/unit_field.h"
#include "model/wind_profile.h"

namespace avelor {

class Project;

enum class WindProfileField { Name, Description, Rows };

// One drawn fit: its type (1..3) and the curve over 0..360 degrees.
struct WindFitCurve {
    int type = kWindFitLinear;
    CurveRun curve;
};

// What the chart shows: the points in use and the chosen fit, or every fit
// that can be drawn for "Show All" (type 0). A spline the points cannot make
// and a trigonometric fit they do not qualify for are left out.
struct WindProfileCurves {
    CurveRun points;
    std::vector<WindFitCurve> fits;
};

// Samples per curve, one a degree and the 360° end.
inline constexpr int kWindCurveSamples = 361;

WindProfileCurves wind_profile_curves(const WindProfile& profile, int fit, int samples = kWindCurveSamples);

// The captions of the fit buttons, for fits 1..3 and 0 ("Show All").
std::string_view wind_fit_caption(int fit);

class WindProfileForm {
public:
    // New when original is null, else Edit of that record of the list.
    explicit WindProfileForm(NamedList<WindProfile>& profiles, WindProfile* original = nullptr);
    WindProfileForm(const WindProfileForm&) = delete;
    WindProfileForm& operator=(const WindProfileForm&) = delete;

    const WindProfile& working() const { return working_; }
    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    // At most the first 70 characters, line breaks made blanks.
    void set_description(std::string_view text);

    // Rows 0..15: the angle (0 to 360 degrees) and the coefficient
    // (unbounded) as their fields show them and take them when left.
    static constexpr int kRows = kWindProfileRows;
    const UnitField& angle_field(int row) const { return *angles_.at(static_cast<std::size_t>(row)); }
    const UnitField& coefficient_field(int row) const { return *coefficients_.at(static_cast<std::size_t>(row)); }
    bool leave_angle(int row, std::string_view text);
    bool leave_coefficient(int row, std::string_view text);
    // Rows 0..npts-1 hold the points in use.
    int points_in_use() const { return working_.npts; }

    // The fit: 1..3, or 0 while "Show All" is chosen.
    int fit() const { return working_.type; }
    // A fit button: normalises and chooses the fit; "Curve Fit 3" only when
    // the points qualify. False when refused (nothing changes) or when the
    // points are too close to draw.
    bool choose_fit(int fit);
    bool fit_enabled(int fit) const;
    // Redraw: normalises and checks the spacing; true when the chart draws.
    bool redraw();
    // Whether the last normalising left points the chart can draw.
    bool drawable() const { return drawable_; }
    // The chart's contents; empty when not drawable.
    WindProfileCurves curves() const;

    // OK: the name rules (a refused name is replaced by " <required>"), the
    // spacing, then the copy is stored and its fit computed.
    FormAnswer<WindProfileField> accept();
    WindProfile* stored() const { return stored_; }

private:
    void normalize();
    void refresh_fields();

    NamedList<WindProfile>* profiles_;
    WindProfile* original_;
    WindProfile* stored_ = nullptr;
    WindProfile working_;
    std::array<std::unique_ptr<UnitField>, kRows> angles_;
    std::array<std::unique_ptr<UnitField>, kRows> coefficients_;
    bool drawable_ = true;
};

// The data manager's Delete: refused with a WARNING naming every path and
// terminal that uses the profile; otherwise, after the user agreed to
// "Delete wind pressure profile NAME?", the profile leaves the list. True
// when it was deleted.
bool delete_wind_profile(Project& project, WindProfile& profile);

}  // namespace avelor
