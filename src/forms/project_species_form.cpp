#include "forms/project_species_form.h"

#include <algorithm>

#include "app/description_line.h"
#include "model/project.h"

namespace avelor {

namespace {

std::string number_text(double value) { return format_number(value, 0); }

}  // namespace

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

}  // namespace avelor
