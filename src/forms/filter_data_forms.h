// The type data dialogs of the filter elements, without their widgets:
// "Constant Efficiency Filter Data", "Simple Particle Filter Data", "Simple
// Gaseous Filter Data" and "Penn State UVGI Filter Data". Each works on a
// working copy of the element's data; its OK answers whether the copy may
// replace the element's data. Refusals have been shown (through the port)
// by the time a call answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "forms/form_answer.h"
#include "model/curve_samples.h"
#include "model/filter_element.h"
#include "model/species.h"
#include "model/unit_field.h"

namespace avelor {

inline constexpr std::string_view kNoFilteredSpeciesMessage =
    "No filtered species.\nEither Cancel or define a filtered species.";
inline constexpr std::string_view kTooFewParticlePointsMessage =
    "Particle filter element requires at least 3 data points.";
inline constexpr std::string_view kTooFewGaseousPointsMessage = "Minimum of 4 data points required.";

enum class FilterDataField { List, Points };
using FilterDataAnswer = FormAnswer<FilterDataField>;

// ---- constant efficiency ----------------------------------------------------

class ConstantEfficiencyForm {
public:
    ConstantEfficiencyForm(const ConstantEfficiencyData& data, const NamedList<Species>& species);
    ConstantEfficiencyForm(const ConstantEfficiencyForm&) = delete;
    ConstantEfficiencyForm& operator=(const ConstantEfficiencyForm&) = delete;

    const ConstantEfficiencyData& data() const { return data_; }

    // "Filtered Species": "%16s  %10g" per species.
    std::vector<std::string> lines() const;
    // The "Species" box: every species, in name order, and the chosen one.
    const std::vector<std::string>& species_names() const { return names_; }
    int species_index() const { return chosen_; }
    void choose_species(int index);
    // "Efficiency" (0 to 1).
    const UnitField& efficiency() const { return *efficiency_; }
    bool leave_efficiency(std::string_view text) { return efficiency_->validate(text); }

    // Selecting an entry loads its species and efficiency into the editor.
    void select(int row);
    int selected() const { return selected_; }

    // "<< Add": while the chosen species is not listed.
    bool can_add() const;
    // "<< Replace": while the chosen species is the selected entry's.
    bool can_replace() const;
    bool can_delete() const { return selected_ >= 0 && static_cast<std::size_t>(selected_) < data_.species.size(); }
    // Each answers the row selected afterwards (-1 for none). Add inserts
    // before the first listed species whose name comes earlier in byte order.
    int add();
    int replace();
    int remove();

    // OK: at least one filtered species.
    FilterDataAnswer accept();

private:
    int listed(const Species* s) const;

    ConstantEfficiencyData data_;
    std::vector<Species*> species_;
    std::vector<std::string> names_;
    int chosen_ = -1;
    int selected_ = -1;
    float entry_ = 0;
    std::unique_ptr<UnitField> efficiency_;
};

// ---- curve points, shared by the particle and gaseous dialogs ------------------

// A point whose X equals x (or lies within a relative 1e-6 of it) takes the
// new values, else the point is appended while there is room; then the
// points are sorted by rising X (a point moves only past greater X). The
// index of the entered point afterwards, or nothing when it found no room.
std::optional<std::size_t> add_curve_point(std::vector<float>& x, std::vector<float>& y, float new_x, float new_y);
// "%10.3e %30.3f".
std::string curve_point_line(double x, double y);
// "Unacceptable curve fit." with one "\n  seg %3d: %s" line per failed
// segment, as many as fit in a message box.
std::string curve_fit_refusal(const std::vector<std::string>& faults);

// ---- simple particle ----------------------------------------------------------

class ParticleFilterForm {
public:
    // name: the element's, which the acceptance test logs.
    ParticleFilterForm(const ParticleFilterData& data, std::string name);
    ParticleFilterForm(const ParticleFilterForm&) = delete;
    ParticleFilterForm& operator=(const ParticleFilterForm&) = delete;

    const ParticleFilterData& data() const { return data_; }

    // "Particle Size" with its unit box and "Efficiency".
    const UnitField& size() const { return *size_; }
    const UnitField& efficiency() const { return *efficiency_; }
    const UnitSelector& size_unit() const { return *size_unit_; }
    bool leave_size(std::string_view text) { return size_->validate(text); }
    bool leave_efficiency(std::string_view text) { return efficiency_->validate(text); }
    // The list follows the new unit.
    void select_size_unit(int index);

    std::size_t point_count() const { return data_.size.size(); }
    std::vector<std::string> lines() const;
    // Selecting a point loads it into the editor.
    void select(std::size_t i);
    bool can_add() const { return point_count() < kMaxFilterPoints; }
    bool can_delete() const { return point_count() > 3; }
    // Each answers the row selected afterwards (-1 for none).
    int add();
    int remove(std::size_t i);

    // OK: at least 3 points, a spline through log10(size in the unit shown)
    // and efficiency, and the efficiency test of the spline.
    FilterDataAnswer accept();

    // The chart: the points, and the fitted curve from one decade below the
    // first point to one decade above the last in 1000 steps of log10 of
    // the size; sizes in the unit shown. No curve when no spline is made.
    CurveRun chart_points() const;
    CurveRun chart_curve() const;
    std::string x_axis_title() const;

private:
    double shown_size(float metres) const;

    ParticleFilterData data_;
    std::string name_;
    float entry_size_ = 1e-6f;
    float entry_efficiency_ = 0;
    std::unique_ptr<UnitField> size_, efficiency_;
    std::unique_ptr<UnitSelector> size_unit_;
};

// ---- simple gaseous -----------------------------------------------------------

class GaseousFilterForm {
public:
    GaseousFilterForm(const GaseousFilterData& data, const NamedList<Species>& species, std::string name);
    GaseousFilterForm(const GaseousFilterForm&) = delete;
    GaseousFilterForm& operator=(const GaseousFilterForm&) = delete;

    const GaseousFilterData& data() const { return data_; }

    // "Filter Curve for Species:": the gaseous species, in name order.
    const std::vector<std::string>& species_names() const { return names_; }
    int species_index() const { return chosen_; }
    void choose_species(int index);
    // The chosen species' curve, if it is filtered.
    const GaseousCurve* curve() const;

    // "Breakthrough Efficiency" of the chosen species (kept only once the
    // species is filtered), "Relative Loading" and "Efficiency".
    const UnitField& breakthrough() const { return *breakthrough_; }
    const UnitField& loading() const { return *loading_; }
    const UnitField& efficiency() const { return *efficiency_; }
    bool leave_breakthrough(std::string_view text);
    bool leave_loading(std::string_view text) { return loading_->validate(text); }
    bool leave_efficiency(std::string_view text) { return efficiency_->validate(text); }

    std::vector<std::string> lines() const;
    void select(std::size_t i);
    bool can_add() const;
    bool can_delete() const;
    // "<<  Add  <<": the chosen species joins the filtered species first
    // when it is not one yet (at the end, breakthrough 0, no points).
    int add();
    int remove(std::size_t i);

    // OK: every filtered species (at least one) with 4 points or more, a
    // spline through each and the falling efficiency test of each.
    FilterDataAnswer accept();

    // The chosen species' points and fitted curve.
    CurveRun chart_points() const;
    CurveRun chart_curve() const;

private:
    GaseousCurve* curve_mut();

    GaseousFilterData data_;
    std::string name_;
    std::vector<Species*> species_;
    std::vector<std::string> names_;
    int chosen_ = -1;
    float entry_breakthrough_ = 0;
    float entry_loading_ = 0;
    float entry_efficiency_ = 0;
    std::unique_ptr<UnitField> breakthrough_, loading_, efficiency_;
};

// ---- Penn State UVGI ------------------------------------------------------------

enum class UvgiValue { S, v, F, k, C0, C1, C2, C3, C4, K0, K1 };
inline constexpr int kUvgiValueCount = 11;

class UvgiFilterForm {
public:
    explicit UvgiFilterForm(const UvgiFilterData& data);
    UvgiFilterForm(const UvgiFilterForm&) = delete;
    UvgiFilterForm& operator=(const UvgiFilterForm&) = delete;

    const UvgiFilterData& data() const { return data_; }

    const UnitField& field(UvgiValue which) const { return *fields_[static_cast<std::size_t>(which)]; }
    // Leaving S, v, F or k derives A and D anew.
    bool leave(UvgiValue which, std::string_view text);
    const UnitSelector& velocity_unit() const { return *u_v_; }
    const UnitSelector& flow_unit() const { return *u_F_; }
    const UnitSelector& area_unit() const { return *u_A_; }
    void select_velocity_unit(int index);
    void select_flow_unit(int index);
    void select_area_unit(int index);

    bool age_model() const { return data_.age != 0; }
    void set_age_model(bool on) { data_.age = on ? 1 : 0; }
    // K0 and K1 are edited only with the age model.
    bool age_constants_enabled() const { return age_model(); }

    // "Cross-Sectional Flow Area:" in the area unit chosen and "Design
    // Dose:" in J/m2, "%6g" each.
    std::string area_text() const;
    std::string dose_text() const;

    FilterDataAnswer accept() { return FilterDataAnswer::ok(); }

private:
    UvgiFilterData data_;
    std::vector<std::unique_ptr<UnitField>> fields_;
    std::unique_ptr<UnitSelector> u_v_, u_F_, u_A_;
};

}  // namespace avelor
