#include "forms/kinetic_reaction_form.h"

#include <algorithm>

#include "app/description_line.h"
#include "model/project.h"

namespace avelor {

KineticReactionForm::KineticReactionForm(NamedList<KineticReaction>& reactions,
                                         const NamedList<Species>& species,
                                         KineticReaction* original)
    : reactions_(&reactions),
      species_(&species),
      original_(original),
      working_(original ? *original : KineticReaction{}),
      // The species boxes start on their first entry, as a combo box does.
      reactant_(species.head()),
      product_(species.head()),
      coefficient_field_(coefficient_, UnitKind::TimeConstant, 0)
{
}

void KineticReactionForm::set_description(std::string_view text)
{
    working_.desc = typed_description(text);
}

std::vector<std::string> KineticReactionForm::pair_lines() const
{
    auto padded = [](const std::string& name) {
        return std::string(name.size() < 16 ? 16 - name.size() : 0, ' ') + name;
    };
    std::vector<std::string> lines;
    for (const ReactionPair& p : working_.pairs)
        lines.push_back(padded(p.reactant->name) + "  " + padded(p.product->name) + "  " +
                        format_number(p.coefficient, 16, 6));
    return lines;
}

std::vector<std::string> KineticReactionForm::species_names() const
{
    std::vector<std::string> names;
    for (const Species& s : *species_) names.push_back(s.name);
    return names;
}

Species* KineticReactionForm::species_at(std::size_t line) const
{
    std::size_t i = 0;
    for (Species& s : *species_)
        if (i++ == line) return &s;
    return nullptr;
}

void KineticReactionForm::select_pair(std::size_t line)
{
    if (line >= working_.pairs.size()) return;
    selected_ = line;
    const ReactionPair& p = working_.pairs[line];
    reactant_ = p.reactant;
    product_ = p.product;
    coefficient_ = p.coefficient;
    coefficient_field_.refresh();
}

void KineticReactionForm::choose_reactant(std::size_t line)
{
    if (Species* s = species_at(line)) reactant_ = s;
}

void KineticReactionForm::choose_product(std::size_t line)
{
    if (Species* s = species_at(line)) product_ = s;
}

ReactionPair KineticReactionForm::edited_pair() const
{
    ReactionPair pair;
    pair.reactant = reactant_;
    pair.product = product_;
    pair.coefficient = coefficient_;
    return pair;
}

bool KineticReactionForm::add_pair()
{
    if (!add_enabled()) return false;
    selected_ = insert_pair(working_, edited_pair());
    return true;
}

bool KineticReactionForm::replace_pair()
{
    if (!replace_enabled() || !selected_ || !add_enabled()) return false;
    selected_ = avelor::replace_pair(working_, *selected_, edited_pair());
    return true;
}

bool KineticReactionForm::delete_pair()
{
    if (!delete_enabled() || !selected_) return false;
    remove_pair(working_, *selected_);
    selected_.reset();
    return true;
}

FormAnswer<ReactionField> KineticReactionForm::accept()
{
    using Answer = FormAnswer<ReactionField>;
    LastBox shown;
    const std::string old_name = original_ ? original_->name : std::string();
    if (check_new_name(*reactions_, working_.name, old_name) != 0)
        return Answer::refused(WARNING, shown.message(), ReactionField::Name);
    if (working_.pairs.empty()) {
        show_message(WARNING, {kNoPairs});
        return Answer::refused(WARNING, shown.message(), ReactionField::Pairs);
    }
    stored_ = original_ ? reactions_->replace_record(original_, working_)
                        : reactions_->insert_copy(working_);
    return Answer::ok();
}

}  // namespace avelor
