// Source/sink elements: named models of how one species is generated in, or
// removed from, the air of a zone. Source/sink instances placed in zones
// refer to one element each; a super element combines several elements.
//
// Every model keeps its parameters in one small table: the values in file
// order (base units) and the display unit indices in the order the model
// holds them. The model's field list says which value and which unit each
// entry of the dialog and the summary uses, so the dialog, the summary and
// the project file read one description.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "model/units.h"

namespace avelor {

struct Species;

enum SourceModel : std::int16_t {
    kSrcCcf = 0,  // constant coefficient
    kSrcPrs = 1,  // pressure driven
    kSrcCut = 2,  // cutoff concentration
    kSrcEds = 3,  // exponential decay
    kSrcBls = 4,  // boundary layer diffusion
    kSrcBrs = 5,  // burst
    kSrcDvs = 6,  // deposition velocity
    kSrcDrs = 7,  // deposition rate
    kSrcDvr = 8,  // deposition with resuspension
    kSrcSup = 9,  // super element
    kSrcPlm = 10, // power-law emission
    kSrcPkm = 11, // peak emission
    // Read from files and written back as read; no dialog makes them.
    kSrcSxd = 12,
    kSrcDxd = 13,
};
// Models a dialog offers: 0..11.
inline constexpr int kSourceModelCount = 12;
inline constexpr int kSourceKeywordCount = 14;

struct SourceElement : NamedLink<SourceElement> {
    Species* species = nullptr;  // none for a super element
    std::int16_t model = kSrcCcf;
    std::array<float, 5> v{};         // the model's values, file order, base units
    std::array<std::int16_t, 4> u{};  // unit indices, in the order the model holds them
    std::vector<SourceElement*> subs; // a super element's sub-elements, in order
};

// One parameter of a model as the dialog and the summary show it.
struct SourceField {
    std::string_view label;
    int value = 0;      // index into v
    int unit = -1;      // index into u; -1 for a value without a unit
    UnitKind kind = UnitKind::Dimensionless;  // ignored when the unit follows the species
    bool species_concentration = false;  // the unit list is the species' concentration kind
    float lower = 0;    // smallest accepted value, base units
};

struct SourceModelInfo {
    std::int16_t code;
    std::string_view keyword;
    std::string_view button;   // the chooser's radio button
    std::string_view caption;  // the model dialog's caption
    std::string_view summary_title;
    std::string_view formula;  // the summary's formula line
    std::string_view short_name;  // the super element's lists
    int values;  // values written
    int units;   // unit indices written
};

// The table row of a model code (0..13); nullopt for any other code.
std::optional<SourceModelInfo> source_model_info(int model);
// The model code of a keyword, or -1.
int source_model_of(std::string_view keyword);
// The fields a dialog shows for the model (empty for the super element and
// for the read-only kinds).
std::span<const SourceField> source_fields(int model);
// The unit kind of a field, given the element's species.
UnitKind source_field_kind(const SourceField& field, const Species* species);

// A new element of a model with its defaults: every value and unit 0 except
// the power-law and peak models' own defaults.
SourceElement new_source_element(int model, Species* species);

// The summary of an element as the source/sink instance sheet shows it:
// the title, the formula and one line per parameter ("label: value unit").
struct SourceSummary {
    std::string title;
    std::string formula;
    std::vector<std::string> lines;
};
SourceSummary source_summary(const SourceElement& element);

// The NRC power law's coupled values. With tp in hours (th) and Ep in
// mg/h, the coefficient a = Ep * th^-b and Ep = a * th^b.
double power_law_coefficient(double ep_mg_per_h, double b, double tp_seconds);
double power_law_emission(double a_mg_per_h, double b, double tp_seconds);

// Elements that name the element: super elements among them.
std::vector<const SourceElement*> super_elements_using(const NamedList<SourceElement>& elements,
                                                       const SourceElement* element);

}  // namespace avelor
