#include "forms/species_form.h"

#include <algorithm>

#include "app/description_line.h"
#include "model/project.h"

namespace avelor {

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

void SpeciesForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

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

}  // namespace avelor
