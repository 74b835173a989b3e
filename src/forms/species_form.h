// "Species Properties" without the widgets: a working copy of one species;
// only an accepted OK stores it (a new record in name order, or over the
// record edited) and so marks its list's owner changed.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "forms/form_answer.h"
#include "model/species.h"
#include "model/unit_field.h"
#include "model/units.h"

namespace avelor {

class Project;

enum class SpeciesField {
    Name,
    Description,
    MolecularWeight,
    MeanDiameter,
    EffectiveDensity,
    DecayRate,
    Diffusivity,
    DefaultConcentration,
    SpecificHeat,
    UvSusceptibility,
};

// "Species Properties".
class SpeciesForm {
public:
    static constexpr std::string_view kGuidelineText = " N/A";
    static constexpr std::string_view kPropertyWarning =
        "Warning: Modifying contaminant properties (molecular weight, effective density or "
        "diameter) will change emission rates of sources and initial concentrations that "
        "implement volumetric units.";

    // New when original is null, else Edit of that record of the list.
    explicit SpeciesForm(NamedList<Species>& list, Species* original = nullptr);
    SpeciesForm(const SpeciesForm&) = delete;
    SpeciesForm& operator=(const SpeciesForm&) = delete;

    const Species& working() const { return working_; }
    void set_name(std::string_view name) { working_.name = name; }
    void set_description(std::string_view text);
    void set_non_trace(bool on) { working_.t = on ? 1 : 0; }
    void set_use_in_simulation(bool on) { working_.s = on ? 1 : 0; }

    // The numeric fields (every one but Name and Description).
    const UnitField& field(SpeciesField which) const;
    // The field lost the focus holding text. Leaving the molecular weight,
    // diameter or density while it is not 0 first warns that sources and
    // initial concentrations in volumetric units change with it. A change
    // of a property that decides the concentration kind carries the
    // concentration unit over to the new kind's list.
    bool leave_field(SpeciesField which, std::string_view text);

    // The unit boxes: mean diameter, effective density, diffusivity,
    // default concentration and specific heat.
    const UnitSelector& selector(SpeciesField which) const;
    bool select_unit(SpeciesField which, int index);

    // OK: the name rules, then the species must support its concentration
    // unit. Accepted: the derived fields are set and the species stored.
    FormAnswer<SpeciesField> accept();
    // The stored record after an accepted OK.
    Species* stored() const { return stored_; }

private:
    static std::size_t slot(SpeciesField which);
    static std::optional<std::size_t> selector_slot(SpeciesField which);
    void follow_concentration_kind();

    NamedList<Species>* list_;
    Species* original_;
    Species* stored_ = nullptr;
    Species working_;
    UnitKind concentration_kind_;
    std::vector<UnitField> fields_;
    std::vector<UnitSelector> selectors_;
};

}  // namespace avelor
