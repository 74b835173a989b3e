// What the airflow element dialogs do, as core rules: the flow helpers the
// derivations share, the coefficients derived when a dialog is accepted,
// the type chooser's enabling and preselection, the super element's
// sub-element rules, and the couplings between fields of one dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "app/lists.h"
#include "model/airflow_element.h"

namespace avelor {

class Project;

// Air constants shared by every derivation.
inline constexpr double kAirViscosity = 1.81625e-5;  // kg/(m s)
inline constexpr double kAirDensity = 1.2041;        // kg/m3
inline constexpr double kSqrtAirDensity = 1.097315;

// Modes of laminar_coefficient: what turb is a coefficient of.
inline constexpr int kVolumeFlowCoefficient = 0;  // Q = turb dP^n
inline constexpr int kPowerlawCoefficient = 1;    // F = turb sqrt(rho) dP^n
inline constexpr int kMassFlowCoefficient = 2;    // F = turb dP^n

// The laminar coefficient that joins the turbulent powerlaw at the
// transition Reynolds number Re, for an opening of area A and hydraulic
// diameter D. Any other mode takes the transition pressure as the floor of
// 1e-10 Pa; so does an undefined one (a non-positive turb or n), so the
// result is finite whenever D is positive.
float laminar_coefficient(float turb, float n, float area, float diameter, float Re, int mode);

// The Darcy friction factor at relative roughness e and Reynolds number Re
// (laminar below 2300, Colebrook above 3500, blended between), with guess a
// friction factor to start Colebrook's iteration from (0: none). The
// iteration stops after kFrictionIterations steps; a result that is not a
// finite positive number means Colebrook has no usable root there (a
// relative roughness near 3.7 and beyond).
inline constexpr int kFrictionIterations = 50;
double friction_factor(double relative_roughness, double Re, double guess);

// Checks a working copy's values and derives its coefficients as its
// dialog's OK does (the name rules aside). Every value is checked against
// its bounds first, so values read from a file cannot poison a derivation;
// a derivation that would divide by zero, take a root of a negative or
// leave a coefficient that is not a finite float is refused.
ElementVerdict derive_element(AirflowElement& element);

// Checks each value of a record against its field's bounds (a WARNING box
// on the first one out of bounds). Values read from a file never passed
// the dialog's test, so every derivation checks them again first.
template <class D>
ElementVerdict check_field_bounds(const D& data, std::span<const ParamField<D>> fields);

// The fan-off coefficients of a fan with a fitted curve: an orifice of its
// equivalent area, laminar below Reynolds number 100; the reference density
// becomes 1.2041. Leaves the fan as it was when they are out of range.
ElementVerdict derive_fan_off_coefficients(FanData& fan);

struct AcceptOutcome {
    ElementVerdict verdict;
    AirflowElement* record = nullptr;  // the stored element once accepted
};

// A dialog's OK: the name rules (for the spline types after the point
// test), the checks and derivations, then the copy goes into the list, new
// (stored null) or over the stored element, in name order. The list's
// change callback marks the project changed.
AcceptOutcome accept_element(NamedList<AirflowElement>& list, AirflowElement& copy,
                             AirflowElement* stored);
// The same for the project's elements; an edited element whose icon changed
// passes the new icon to every path icon that shows it.
AcceptOutcome accept_element(Project& project, AirflowElement& copy, AirflowElement* stored);

// The defaults of new elements in this project: its units and the height
// of the level below the current one.
NewElementContext new_element_context(const Project& project);

// Field couplings of the orifice dialog: area and diameter follow each
// other, and so do their units (the length and area lists are parallel).
void orifice_set_area(OrificeData& orifice, float area);
void orifice_set_diameter(OrificeData& orifice, float diameter);
void orifice_set_unit(OrificeData& orifice, std::int16_t index);

// The leakage dialog's area buttons: the number shown in the area field
// moves to the newly chosen area (converted with that area's unit), the
// other two areas become 0, and the type becomes leak_type (1, 2 or 3).
void leakage_choose_area(AirflowElement& element, int leak_type);

// Where the chooser was opened from, for a flow path.
enum class PathPlace {
    None,            // not for a path
    OnWall,          // a path drawn on a wall
    FromLevelBelow,  // a path that is not on a wall
};

struct ChooserContext {
    PathPlace place = PathPlace::None;
    bool inside_super_dialog = false;
    bool project_has_elements = false;
};

// The chooser's memory of its last choice, kept by its owner.
struct ChooserState {
    int last_choice = kPlrOrfc;
    // The once-per-run defaults of new elements.
    NewElementState new_elements;
};

// The radio button that stands for a type: the three leakage types share
// the per-item button.
int chooser_button(int type);
// Whether a type's button is enabled.
bool chooser_enabled(int type, const ChooserContext& context);
// The button preselected: the edited element's type, else the last choice,
// falling back to the orifice when that button is disabled.
int chooser_preselection(const ChooserContext& context, const AirflowElement* edited,
                         const ChooserState& state);

// The elements a super element may take as sub-elements: every element of
// the list but the super elements (the edited one among them).
std::vector<AirflowElement*> super_candidates(const NamedList<AirflowElement>& list);

// Sub-element edits of the super element dialog. A sub-element added or
// replaced with its schedulable flag set takes the flag from all others.
void add_sub_element(SuperData& super, const SubElement& sub);
void replace_sub_element(SuperData& super, std::size_t index, const SubElement& sub);
void remove_sub_element(SuperData& super, std::size_t index);

}  // namespace avelor
