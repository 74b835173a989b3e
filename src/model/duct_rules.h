// What the duct element property sheet and the duct segment sheet do, as
// core rules: the bounds of the values, the page checks, the coefficients
// derived when the sheet is applied, the couplings between fields, the
// chooser's preselection and the rules tying a segment to its element.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/lists.h"
#include "model/airflow_element.h"
#include "model/duct_element.h"

namespace avelor {

class Project;

// The editable values of the type-specific part of a duct record, in page
// order; the fan and spline types' points are edited by their own dialogs.
template <class D>
std::span<const ParamField<D>> duct_param_fields(int type);

// The least value of an entered shape dimension, m or m2.
inline constexpr float kMinDuctDimension = 1e-4f;
// The least pressure difference of a leakage rate, Pa.
inline constexpr float kMinLeakagePressure = 1;

// The shape page's two dimension fields: what they hold for the shape, with
// their labels, units and whether the second one can be entered.
struct ShapeDimension {
    std::string_view label;
    float DuctShape::*value;
    std::int16_t DuctShape::*unit;
    UnitKind kind;
    bool enabled;
};
ShapeDimension shape_first_dimension(std::int16_t shape);
ShapeDimension shape_second_dimension(std::int16_t shape);

// The model page's name check: an empty name or one starting with a blank
// gives its own WARNING, then the name rules of every definition apply.
ElementVerdict check_duct_name(const NamedList<DuctElement>& list, std::string_view name,
                               std::string_view old_name);

// Leaving a model page: the name check, and for the fan type more than
// three points with a cubic fit through them, else the ERROR "Valid fan
// data and curve fit are required.".
ElementVerdict leave_duct_model_page(const NamedList<DuctElement>& list, const DuctElement& copy,
                                     std::string_view old_name);

// Checks a working copy's values and derives what its type derives when the
// sheet is applied. An unknown type is reported "Invalid duct element type "
// with its code. Refused: the copy stays as it was.
ElementVerdict derive_duct_element(DuctElement& element);

struct DuctAcceptOutcome {
    ElementVerdict verdict;
    DuctElement* record = nullptr;
};

// The sheet's OK: the name rules, the checks and derivations, then the copy
// goes into the list, new (stored null) or over the stored element, in name
// order. The list's change callback marks the project changed.
DuctAcceptOutcome accept_duct_element(NamedList<DuctElement>& list, DuctElement& copy, DuctElement* stored);

// The orifice page: area and diameter follow each other, as their units do.
void duct_orifice_set_area(DuctOrificeData& orifice, float area);
void duct_orifice_set_diameter(DuctOrificeData& orifice, float diameter);
void duct_orifice_set_unit(DuctOrificeData& orifice, std::int16_t index);

// The chooser preselects the edited element's type, else the last choice,
// else Darcy-Colebrook.
struct DuctChooserState {
    int last_choice = kDctDwc;
};
int duct_chooser_preselection(const DuctElement* edited, const DuctChooserState& state);

// The duct segment sheet's element page: a segment must name an element
// (WARNING "A Name must be selected. ..."), and one of a Darcy-Colebrook
// element needs a length or a sum of loss coefficients above 0.
bool check_segment_element(const DuctElement* element, float len, float sllc);
// Only a Darcy-Colebrook element's segment takes a sum of loss coefficients.
inline bool segment_takes_loss_coefficients(const DuctElement* element)
{
    return element && element->type == kDctDwc;
}

// Deletes the named duct element unless a duct segment uses it: then a
// WARNING box names the users and false is returned.
bool delete_duct_element(Project& project, std::string_view name);

// The element summary of the segment page and the data manager: the model
// line, the parameters with their units, the shape with its dimensions,
// the cross-sectional area, the hydraulic diameter and the leakage.
std::vector<std::string> duct_summary_lines(const DuctElement& element);

}  // namespace avelor
