#include "forms/wind_profile_form.h"

#include <algorithm>
#include <optional>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

namespace {

constexpr const char* kRequired = " <required>";

CurveRun sample_fit(const WindProfile& profile, int samples)
{
    CurveRun run;
    WindProfileCursor cursor;
    const int n = std::max(samples, 2);
    for (int i = 0; i < n; ++i) {
        const double theta = 360.0 * i / (n - 1);
        run.x.push_back(theta);
        // 360° itself is the 0° direction; its value closes the curve.
        run.y.push_back(evaluate_wind_profile(profile, i == n - 1 ? 0.0 : theta, cursor));
    }
    return run;
}

// The profile as fit type would leave it, made without a word: nothing
// when the points cannot make that fit.
std::optional<WindProfile> fitted_quietly(const WindProfile& profile, int type)
{
    WindProfile p = profile;
    p.type = static_cast<std::int16_t>(type);
    if (type == kWindFitSpline) {
        if (!fit_wind_spline(p, p.spline).fitted()) return std::nullopt;
    } else if (type == kWindFitTrigonometric) {
        const auto c = trigonometric_points(p);
        if (!c) return std::nullopt;
        p.trig = trigonometric_coefficients(*c);
    }
    return p;
}

}  // namespace

WindProfileCurves wind_profile_curves(const WindProfile& profile, int fit, int samples)
{
    WindProfileCurves curves;
    for (const auto& [angle, coefficient] : wind_profile_points(profile)) {
        curves.points.x.push_back(angle);
        curves.points.y.push_back(coefficient);
    }
    const std::vector<int> types = fit == kWindFitShowAll
                                       ? std::vector<int>{kWindFitLinear, kWindFitSpline, kWindFitTrigonometric}
                                       : std::vector<int>{fit};
    for (int type : types)
        if (const auto p = fitted_quietly(profile, type)) curves.fits.push_back({type, sample_fit(*p, samples)});
    return curves;
}

std::string_view wind_fit_caption(int fit)
{
    switch (fit) {
    case kWindFitLinear: return "Curve Fit 1";
    case kWindFitSpline: return "Curve Fit 2";
    case kWindFitTrigonometric: return "Curve Fit 3";
    default: return "Show All";
    }
}

WindProfileForm::WindProfileForm(NamedList<WindProfile>& profiles, WindProfile* original)
    : profiles_(&profiles), original_(original), working_(original ? *original : new_wind_profile())
{
    working_.next = nullptr;
    for (std::size_t i = 0; i < angles_.size(); ++i) {
        angles_[i] = std::make_unique<UnitField>(working_.angles[i], UnitKind::Dimensionless, 0, 0.0f, 360.0f);
        coefficients_[i] = std::make_unique<UnitField>(working_.coefficients[i], UnitKind::Dimensionless, 0);
    }
    normalize();
}

void WindProfileForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

bool WindProfileForm::leave_angle(int row, std::string_view text)
{
    if (row < 0 || row >= kRows) return false;
    return angles_[static_cast<std::size_t>(row)]->validate(text);
}

bool WindProfileForm::leave_coefficient(int row, std::string_view text)
{
    if (row < 0 || row >= kRows) return false;
    return coefficients_[static_cast<std::size_t>(row)]->validate(text);
}

void WindProfileForm::refresh_fields()
{
    for (std::size_t i = 0; i < angles_.size(); ++i) {
        angles_[i]->refresh();
        coefficients_[i]->refresh();
    }
}

void WindProfileForm::normalize()
{
    normalize_wind_profile(working_);
    // Points moved off a quarter leave "Curve Fit 3" disabled, and so not
    // chosen either.
    if (working_.type == kWindFitTrigonometric && !qualifies_for_trigonometric(working_))
        working_.type = kWindFitLinear;
    refresh_fields();
}

bool WindProfileForm::fit_enabled(int fit) const
{
    if (fit == kWindFitTrigonometric) return qualifies_for_trigonometric(working_);
    return fit >= kWindFitShowAll && fit <= kWindFitSpline;
}

bool WindProfileForm::redraw()
{
    normalize();
    drawable_ = check_wind_spacing(working_);
    return drawable_;
}

bool WindProfileForm::choose_fit(int fit)
{
    normalize();
    if (!fit_enabled(fit)) return false;
    working_.type = static_cast<std::int16_t>(fit);
    drawable_ = check_wind_spacing(working_);
    return drawable_;
}

WindProfileCurves WindProfileForm::curves() const
{
    if (!drawable_) return {};
    return wind_profile_curves(working_, working_.type);
}

FormAnswer<WindProfileField> WindProfileForm::accept()
{
    using Answer = FormAnswer<WindProfileField>;
    LastBox shown;
    const std::string old_name = original_ ? original_->name : std::string();
    if (check_new_name(*profiles_, working_.name, old_name) != 0) {
        working_.name = kRequired;
        return Answer::refused(WARNING, shown.message(), WindProfileField::Name);
    }
    if (!redraw()) return Answer::refused(WARNING, shown.message(), WindProfileField::Rows);
    working_.desc = clean_description(working_.desc);
    stored_ = original_ ? profiles_->replace_record(original_, working_) : profiles_->insert_copy(working_);
    fit_wind_profile(*stored_, ERROR);
    return Answer::ok();
}

bool delete_wind_profile(Project& project, WindProfile& profile)
{
    const std::vector<std::string> users = users_of(project, profile);
    if (!users.empty()) {
        std::string list;
        for (const std::string& user : users) list += (list.empty() ? "" : ", ") + user;
        show_message(WARNING, {"Wind pressure profile ", profile.name, " is in use by ", list,
                               " and cannot be deleted."});
        return false;
    }
    if (ask_question("Delete wind pressure profile " + profile.name + "?") != 1) return false;
    project.wind_profiles.remove_record(&profile);
    project.mark_changed();
    return true;
}

}  // namespace avelor
