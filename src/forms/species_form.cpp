#include "model/species_forms.h"

#include <algorithm>

#include "app/description_line.h"
#include "model/project.h"

namespace avelor {

namespace {

// Passes every box on to the port in use and keeps the last one's message,
// so that a refusal shown by a shared check can be answered to the view too.
class LastBox final : public UserPort {
public:
    LastBox() : outer_(&user_port()) { set_user_port(this); }
    ~LastBox() override { set_user_port(outer_); }
    LastBox(const LastBox&) = delete;
    LastBox& operator=(const LastBox&) = delete;

    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override
    {
        text_ = text;
        outer_->show_box(caption, icon, text);
    }
    Answer ask(std::string_view text, bool with_cancel) override
    {
        return outer_->ask(text, with_cancel);
    }

    // The message without the blank and line end a box's text has round it.
    std::string message() const
    {
        std::string_view m = text_;
        if (!m.empty() && m.front() == ' ') m.remove_prefix(1);
        if (!m.empty() && m.back() == '\n') m.remove_suffix(1);
        return std::string(m);
    }

private:
    UserPort* outer_;
    std::string text_;
};

std::string cut_description(std::string_view text)
{
    return clean_description(text.substr(0, std::min(text.size(), kDescriptionLimit)));
}

std::string number_text(double value) { return format_number(value, 0); }

}  // namespace

// ---------------------------------------------------------------- species

SpeciesForm::SpeciesForm(NamedList<Species>& list, Species* original)
    : list_(&list),
      original_(original),
      working_(original ? *original : new_species()),
      concentration_kind_(concentration_kind(working_))
{
    Species& w = working_;
    const Species* self = &working_;
    fields_.reserve(8);
    fields_.emplace_back(w.molwt, UnitKind::Dimensionless, 0, 0.0f);
    fields_.emplace_back(w.mdiam, UnitKind::Length, w.u[1], 0.0f);
    fields_.emplace_back(w.edens, UnitKind::Density, w.u[2], 0.0f);
    fields_.emplace_back(w.decay, UnitKind::Dimensionless, 0, 0.0f);
    fields_.emplace_back(w.Dm, UnitKind::Diffusivity, w.u[3], 0.0f);
    fields_.emplace_back(w.CCdef, concentration_kind_, w.u[0], 0.0f, NO_LIMIT, self);
    fields_.emplace_back(w.Cp, UnitKind::SpecificHeat, w.u[4], 0.0f);
    fields_.emplace_back(w.Kuv, UnitKind::Dimensionless, 0, 0.0f);

    selectors_.reserve(5);
    selectors_.emplace_back(UnitKind::Length, w.mdiam, w.u[1]);
    selectors_.emplace_back(UnitKind::Density, w.edens, w.u[2]);
    selectors_.emplace_back(UnitKind::Diffusivity, w.Dm, w.u[3]);
    selectors_.emplace_back(concentration_kind_, w.CCdef, w.u[0], self);
    selectors_.emplace_back(UnitKind::SpecificHeat, w.Cp, w.u[4]);
}

std::size_t SpeciesForm::slot(SpeciesField which)
{
    if (which == SpeciesField::Name || which == SpeciesField::Description)
        report_fatal({"Species field without a number"});
    return static_cast<std::size_t>(which) -
           static_cast<std::size_t>(SpeciesField::MolecularWeight);
}

std::optional<std::size_t> SpeciesForm::selector_slot(SpeciesField which)
{
    switch (which) {
    case SpeciesField::MeanDiameter: return 0;
    case SpeciesField::EffectiveDensity: return 1;
    case SpeciesField::Diffusivity: return 2;
    case SpeciesField::DefaultConcentration: return 3;
    case SpeciesField::SpecificHeat: return 4;
    default: return std::nullopt;
    }
}

void SpeciesForm::set_description(std::string_view text) { working_.desc = cut_description(text); }

const UnitField& SpeciesForm::field(SpeciesField which) const { return fields_[slot(which)]; }

const UnitSelector& SpeciesForm::selector(SpeciesField which) const
{
    const auto s = selector_slot(which);
    if (!s) report_fatal({"Species field without a unit box"});
    return selectors_[*s];
}

bool SpeciesForm::leave_field(SpeciesField which, std::string_view text)
{
    UnitField& f = fields_[slot(which)];
    const bool decides_units = which == SpeciesField::MolecularWeight ||
                               which == SpeciesField::MeanDiameter ||
                               which == SpeciesField::EffectiveDensity;
    if (decides_units && f.value() != 0) show_message(WARNING, {kPropertyWarning});
    if (!f.validate(text)) return false;
    if (decides_units || which == SpeciesField::DecayRate) follow_concentration_kind();
    return true;
}

// The concentration units on offer follow the species' properties; the
// chosen unit keeps its name where the new list has it, else becomes kg/kg.
void SpeciesForm::follow_concentration_kind()
{
    const UnitKind kind = concentration_kind(working_);
    UnitField& concentration = fields_[slot(SpeciesField::DefaultConcentration)];
    if (kind != concentration_kind_) {
        int unit = map_concentration_unit(concentration_kind_, kind, working_.u[0]);
        if (unit >= unit_count(kind)) unit = 0;
        working_.u[0] = static_cast<std::int16_t>(unit);
        concentration_kind_ = kind;
        selectors_[3].set_kind(kind);
        concentration.set_kind(kind, unit);
        return;
    }
    // Same units, but ppm and the like depend on the new property value.
    concentration.refresh();
}

bool SpeciesForm::select_unit(SpeciesField which, int index)
{
    const auto s = selector_slot(which);
    if (!s) report_fatal({"Species field without a unit box"});
    if (!selectors_[*s].select(index)) return false;
    fields_[slot(which)].set_unit(index);
    return true;
}

FormAnswer<SpeciesField> SpeciesForm::accept()
{
    using Answer = FormAnswer<SpeciesField>;
    LastBox shown;
    if (check_name(working_.name, kNameSize) != 0)
        return Answer::refused(WARNING, shown.message(), SpeciesField::Name);
    const bool renamed = !original_ || original_->name != working_.name;
    if (renamed && list_->find_by_name(working_.name)) {
        show_message(ERROR, {"May not use existing name"});
        return Answer::refused(ERROR, shown.message(), SpeciesField::Name);
    }

    const Conversion factor =
        convert_units_checked(1, true, concentration_kind_, working_.u[0], &working_);
    switch (factor.status) {
    case ConversionStatus::Ok: break;
    case ConversionStatus::NeedsMolecularWeight:
        return Answer::refused(ERROR, shown.message(), SpeciesField::MolecularWeight);
    case ConversionStatus::NeedsDecayConstant:
        return Answer::refused(ERROR, shown.message(), SpeciesField::DecayRate);
    case ConversionStatus::NeedsDiameterAndDensity:
        return Answer::refused(ERROR, shown.message(),
                               working_.mdiam <= 0 ? SpeciesField::MeanDiameter
                                                   : SpeciesField::EffectiveDensity);
    }
    update_species_units(working_);
    stored_ = original_ ? list_->replace_record(original_, working_) : list_->insert_copy(working_);
    return Answer::ok();
}

// -------------------------------------------------------- project species

ProjectSpeciesForm::ProjectSpeciesForm(Project& project) : project_(&project)
{
    recount_species_use(project);
}

std::vector<std::string> ProjectSpeciesForm::species_lines() const
{
    std::vector<std::string> lines;
    for (const Species& s : project_->species) lines.push_back(s.name);
    return lines;
}

std::vector<std::string> ProjectSpeciesForm::contaminant_lines() const
{
    std::vector<std::string> lines;
    for (const Species* s : contaminant_order(project_->species)) lines.push_back(s->name);
    if (lines.empty()) lines.emplace_back(kNoContaminants);
    return lines;
}

void ProjectSpeciesForm::select_species(const std::vector<std::size_t>& lines)
{
    selected_species_.clear();
    std::size_t line = 0;
    for (Species& s : project_->species) {
        if (std::find(lines.begin(), lines.end(), line) != lines.end())
            selected_species_.push_back(&s);
        ++line;
    }
}

void ProjectSpeciesForm::select_contaminants(const std::vector<std::size_t>& lines)
{
    selected_contaminants_.clear();
    const std::vector<Species*> order = contaminant_order(project_->species);
    for (std::size_t line : lines)
        if (line < order.size()) selected_contaminants_.push_back(order[line]);
}

bool ProjectSpeciesForm::delete_enabled() const
{
    return !selected_species_.empty() &&
           std::none_of(selected_species_.begin(), selected_species_.end(),
                        [](const Species* s) { return s->use_count > 0; });
}

void ProjectSpeciesForm::add_contaminants()
{
    if (!add_enabled()) return;
    for (Species* s : selected_species_) s->s = 1;
    selected_contaminants_.clear();
    project_->mark_changed();
}

void ProjectSpeciesForm::remove_contaminants()
{
    if (!remove_enabled()) return;
    for (Species* s : selected_contaminants_) s->s = 0;
    selected_contaminants_.clear();
    project_->mark_changed();
}

bool ProjectSpeciesForm::delete_selected()
{
    if (!delete_enabled()) return false;
    if (ask_question(kDeleteQuestion) != 1) return false;
    Project& p = *project_;
    for (Species* s : selected_species_) {
        // A deleted contaminant's storage is the next species' to be made:
        // forget the order now, or a new species could pass for the old
        // contaminant and inherit its concentrations.
        if (std::find(p.Ctm.begin(), p.Ctm.end(), s) != p.Ctm.end()) {
            p.Ctm.clear();
            p.CC0.clear();
            p.h2o_index = -1;
        }
        p.species.remove_record(s);
    }
    selected_species_.clear();
    selected_contaminants_.clear();
    p.mark_changed();
    return true;
}

Species* ProjectSpeciesForm::edit_target() const
{
    return edit_enabled() ? selected_species_.front() : nullptr;
}

ContaminantTally ProjectSpeciesForm::summary() const
{
    return tally_contaminants(project_->species);
}

std::array<SummaryLine, 3> ProjectSpeciesForm::summary_lines() const
{
    const ContaminantTally t = summary();
    return {{{"Total Number of Contaminants:", std::to_string(t.total)},
             {"Number of Non-Trace Contaminants:", std::to_string(t.non_trace)},
             {"Default Concentration of non-Trace Contaminants:", number_text(t.non_trace_sum)}}};
}

std::optional<SpeciesPane> ProjectSpeciesForm::pane() const
{
    if (selected_species_.empty()) return std::nullopt;
    const Species& s = *selected_species_.front();
    auto in_unit = [&](float value, UnitKind kind, int unit) {
        return number_text(convert_units(value, true, kind, unit, &s));
    };
    const UnitKind ckind = concentration_kind(s);
    SpeciesPane pane;
    pane.molwt = number_text(s.molwt);
    pane.mdiam = in_unit(s.mdiam, UnitKind::Length, s.u[1]);
    pane.edens = in_unit(s.edens, UnitKind::Density, s.u[2]);
    pane.decay = number_text(s.decay);
    pane.Dm = in_unit(s.Dm, UnitKind::Diffusivity, s.u[3]);
    pane.CCdef = in_unit(s.CCdef, ckind, s.u[0]);
    pane.Cp = in_unit(s.Cp, UnitKind::SpecificHeat, s.u[4]);
    pane.Kuv = number_text(s.Kuv);
    pane.mdiam_unit = unit_display_name(UnitKind::Length, s.u[1]);
    pane.edens_unit = unit_display_name(UnitKind::Density, s.u[2]);
    pane.Dm_unit = unit_display_name(UnitKind::Diffusivity, s.u[3]);
    pane.CCdef_unit = unit_display_name(ckind, s.u[0]);
    pane.Cp_unit = unit_display_name(UnitKind::SpecificHeat, s.u[4]);
    pane.trace = s.t != 0 ? "Non-trace" : "Trace";
    pane.use = s.s != 0 ? "Use" : "Don't use";
    return pane;
}

int ProjectSpeciesForm::close() { return rebuild_contaminants(*project_); }

// ------------------------------------------------------ kinetic reactions

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
    working_.desc = cut_description(text);
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
