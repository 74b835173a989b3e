// "Project Species" without the widgets. It works on the project's species
// directly, as its buttons take effect at once; its OK and Cancel both lay
// the contaminant arrays out again and close only when that succeeds.
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

}  // namespace avelor
