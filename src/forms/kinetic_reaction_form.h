// "Kinetic Reaction Data" without the widgets: a working copy of one
// reaction; only an accepted OK stores it (a new record in name order, or
// over the record edited) and so marks its list's owner changed.
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
