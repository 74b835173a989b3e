// What the species and kinetic reaction dialogs accept and refuse, without
// the widgets.
//
// "Species Properties" and "Kinetic Reaction Data" edit a working copy; only
// an accepted OK stores it (a new record in name order, or over the record
// edited) and so marks its list's owner changed. "Project Species" works on
// the project's species directly, as its buttons take effect at once; its
// OK and Cancel both lay the contaminant arrays out again and close only
// when that succeeds.
//
// Every refusal has been shown to the user (through the port) by the time
// accept() answers; the answer repeats it for the view, which moves the
// focus to the field named.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "app/lists.h"
#include "model/species.h"
#include "model/unit_field.h"
#include "model/units.h"

namespace avelor {

class Project;

template <class Field>
struct FormAnswer {
    bool accepted = true;
    int severity = NOTE;
    std::string text;  // the message shown, without the box's framing
    Field focus{};

    static FormAnswer ok() { return {}; }
    static FormAnswer refused(int severity, std::string text, Field focus)
    {
        return {false, severity, std::move(text), focus};
    }
};

// Descriptions hold at most this many characters, as typed.
inline constexpr std::size_t kDescriptionLimit = 70;

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

// One line of the contaminant summary: caption and value.
struct SummaryLine {
    std::string_view caption;
    std::string value;
};

// The "Species Properties" pane of "Project Species": the selected species'
// values in their own units.
struct SpeciesPane {
    std::string molwt, mdiam, edens, decay, Dm, CCdef, Cp, Kuv;
    std::string mdiam_unit, edens_unit, Dm_unit, CCdef_unit, Cp_unit;
    std::string_view trace;  // "Non-trace" or "Trace"
    std::string_view use;    // "Use" or "Don't use"
};

// "Project Species".
class ProjectSpeciesForm {
public:
    static constexpr std::string_view kNoContaminants = "No contaminants";
    static constexpr std::string_view kDeleteQuestion = "Delete the selected species?";

    // Opening recounts the species' use counts.
    explicit ProjectSpeciesForm(Project& project);

    // "Species:" every species in name order; "Contaminants:" the
    // contaminants in the order the species' flags give now.
    std::vector<std::string> species_lines() const;
    std::vector<std::string> contaminant_lines() const;

    // Selections by line; they follow the species, not the lines.
    void select_species(const std::vector<std::size_t>& lines);
    void select_contaminants(const std::vector<std::size_t>& lines);

    bool add_enabled() const { return !selected_species_.empty(); }
    bool remove_enabled() const { return !selected_contaminants_.empty(); }
    bool edit_enabled() const { return selected_species_.size() == 1; }
    bool delete_enabled() const;

    // "Add CTMs" and "Remove CTMs".
    void add_contaminants();
    void remove_contaminants();
    // "Delete": asks first; true when the species are gone.
    bool delete_selected();
    // The species "Edit" opens (one selected), else null.
    Species* edit_target() const;

    ContaminantTally summary() const;
    std::array<SummaryLine, 3> summary_lines() const;
    // The pane shows the first selected species, if any.
    std::optional<SpeciesPane> pane() const;

    // OK and Cancel alike: 0 when the contaminant set was accepted and the
    // dialog may close.
    int close();

private:
    Project* project_;
    std::vector<Species*> selected_species_;
    std::vector<Species*> selected_contaminants_;
};

enum class ReactionField { Name, Description, Pairs, Reactant, Product, Coefficient };

// "Kinetic Reaction Data".
class KineticReactionForm {
public:
    static constexpr std::string_view kNoPairs =
        "No reactions defined.\nEither Cancel or define reactions.";

    // New when original is null, else Edit of that record of the list.
    KineticReactionForm(NamedList<KineticReaction>& reactions, const NamedList<Species>& species,
                        KineticReaction* original = nullptr);
    KineticReactionForm(const KineticReactionForm&) = delete;
    KineticReactionForm& operator=(const KineticReactionForm&) = delete;

    const KineticReaction& working() const { return working_; }
    void set_name(std::string_view name) { working_.name = name; }
    void set_description(std::string_view text);

    // "Reactant -> Product Pairs": "%16s  %16s  %16.6g" with reactant,
    // product and coefficient.
    std::vector<std::string> pair_lines() const;
    // "Reactant Species" and "Product Species" both list every species.
    std::vector<std::string> species_names() const;

    // The pair editor. A selected line loads its pair into it.
    void select_pair(std::size_t line);
    std::optional<std::size_t> selected_pair() const { return selected_; }
    void choose_reactant(std::size_t line);
    void choose_product(std::size_t line);
    const Species* reactant() const { return reactant_; }
    const Species* product() const { return product_; }
    const UnitField& coefficient_field() const { return coefficient_field_; }
    bool leave_coefficient(std::string_view text) { return coefficient_field_.validate(text); }

    bool add_enabled() const { return reactant_ && product_; }
    bool replace_enabled() const { return !working_.pairs.empty(); }
    bool delete_enabled() const { return !working_.pairs.empty(); }
    // "Add R->P Pair", "Replace R->P Pair", "Delete R->P Pair": false when
    // there was nothing to do. The pair added or replaced becomes the
    // selected one.
    bool add_pair();
    bool replace_pair();
    bool delete_pair();

    // OK: the name rules, then at least one pair.
    FormAnswer<ReactionField> accept();
    KineticReaction* stored() const { return stored_; }

private:
    ReactionPair edited_pair() const;
    Species* species_at(std::size_t line) const;

    NamedList<KineticReaction>* reactions_;
    const NamedList<Species>* species_;
    KineticReaction* original_;
    KineticReaction* stored_ = nullptr;
    KineticReaction working_;
    Species* reactant_ = nullptr;
    Species* product_ = nullptr;
    float coefficient_ = 0;
    UnitField coefficient_field_;
    std::optional<std::size_t> selected_;
};

}  // namespace avelor
