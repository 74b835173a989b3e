#include "forms/source_element_form.h"

#include <algorithm>
#include <cmath>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

namespace {

// Ep is shown in mg/h: kg/s times this.
constexpr double kMilligramsPerHourPerKgPerSecond = 3.6e9;

double hours(float seconds) { return static_cast<double>(seconds) / 3600.0; }

}  // namespace

int SourceChooser::preselection(const SourceElement* edited) const
{
    if (edited && enabled(edited->model)) return edited->model;
    if (enabled(last_choice)) return last_choice;
    return kSrcCcf;
}

bool source_models_available(const NamedList<Species>& species)
{
    if (species.head()) return true;
    show_message(WARNING, {"Source/sink elements act on a species: define a species first (Data, Species...)."});
    return false;
}

SourceElementForm::SourceElementForm(const SourceElement& element, const NamedList<Species>& species)
    : working_(element)
{
    for (Species& s : species) {
        species_.push_back(&s);
        species_names_.push_back(s.name);
    }
    // Every model but the super element acts on a species: a new element
    // starts with the first one rather than with none, whose units could
    // not convert.
    if (working_.model == kSrcSup)
        working_.species = nullptr;
    else if (!working_.species && !species_.empty())
        working_.species = species_.front();
    if (is_power_law())
        coefficient_ = static_cast<float>(working_.v[0] * std::pow(hours(working_.v[2]), -working_.v[1]));
    build_rows();
}

std::string_view SourceElementForm::caption() const
{
    const auto info = source_model_info(working_.model);
    return info ? info->caption : std::string_view();
}

void SourceElementForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

int SourceElementForm::species_index() const
{
    const auto it = std::find(species_.begin(), species_.end(), working_.species);
    return it == species_.end() ? -1 : static_cast<int>(it - species_.begin());
}

void SourceElementForm::build_rows()
{
    rows_.clear();
    const Species* s = working_.species;
    for (const SourceField& f : source_fields(working_.model)) {
        Row row;
        row.info = f;
        float& value = is_power_law() && f.value == 0 ? coefficient_ : working_.v[static_cast<std::size_t>(f.value)];
        if (f.unit < 0) {
            row.field = std::make_unique<UnitField>(value, UnitKind::Dimensionless, 0, f.lower, NO_LIMIT);
        } else if (!s) {
            // No species to convert with: the value shows in its base unit
            // only. (accept refuses such an element.)
            row.field = std::make_unique<UnitField>(value, UnitKind::Dimensionless, 0, f.lower, NO_LIMIT);
        } else {
            const UnitKind kind = source_field_kind(f, s);
            std::int16_t& unit = working_.u[static_cast<std::size_t>(f.unit)];
            row.field = std::make_unique<UnitField>(value, kind, unit, f.lower, NO_LIMIT, s);
            row.selector = std::make_unique<UnitSelector>(kind, value, unit, s);
        }
        rows_.push_back(std::move(row));
    }
}

void SourceElementForm::choose_species(int index)
{
    if (is_super() || index < 0 || static_cast<std::size_t>(index) >= species_.size()) return;
    const Species* before = working_.species;
    Species* after = species_[static_cast<std::size_t>(index)];
    if (after == before) return;
    for (const SourceField& f : source_fields(working_.model)) {
        if (f.unit < 0) continue;
        std::int16_t& unit = working_.u[static_cast<std::size_t>(f.unit)];
        if (f.species_concentration) {
            const UnitKind from = source_field_kind(f, before);
            const UnitKind to = source_field_kind(f, after);
            unit = static_cast<std::int16_t>(map_concentration_unit(from, to, unit));
        } else if (unit_support(f.kind, unit, after) != ConversionStatus::Ok) {
            unit = 0;
        }
    }
    working_.species = after;
    build_rows();
}

bool SourceElementForm::leave_field(std::size_t i, std::string_view text)
{
    Row& row = rows_.at(i);
    if (!row.field->validate(text)) return false;
    if (is_power_law())
        working_.v[0] = static_cast<float>(coefficient_ * std::pow(hours(working_.v[2]), working_.v[1]));
    return true;
}

bool SourceElementForm::select_unit(std::size_t i, int index)
{
    Row& row = rows_.at(i);
    if (!row.selector || !row.selector->select(index)) return false;
    row.field->set_unit(row.selector->selected());
    return true;
}

std::string SourceElementForm::coefficient_text() const
{
    for (const Row& row : rows_)
        if (row.info.value == 0) return row.field->shown_text();
    return {};
}

bool SourceElementForm::leave_coefficient(std::string_view text)
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].info.value == 0) return leave_field(i, text);
    return false;
}

std::string SourceElementForm::emission_text() const
{
    return format_number(static_cast<double>(working_.v[0]) * kMilligramsPerHourPerKgPerSecond, 0);
}

std::vector<SourceElement*> SourceElementForm::available(const NamedList<SourceElement>& list) const
{
    std::vector<SourceElement*> out;
    for (SourceElement& e : list)
        if (e.model != kSrcSup) out.push_back(&e);
    return out;
}

void SourceElementForm::add_sub_element(SourceElement* element)
{
    if (element && element->model != kSrcSup) working_.subs.push_back(element);
}

void SourceElementForm::remove_sub_element(std::size_t index)
{
    if (index < working_.subs.size()) working_.subs.erase(working_.subs.begin() + static_cast<std::ptrdiff_t>(index));
}

bool SourceElementForm::accept(NamedList<SourceElement>& list, SourceElement* stored)
{
    if (is_super()) {
        if (working_.subs.size() < 2) {
            show_message(WARNING, {"A super source element requires at least 2 sub elements."});
            return false;
        }
    } else if (!working_.species) {
        show_message(WARNING, {"A species must be selected for the source/sink element."});
        return false;
    }
    if (check_new_name(list, working_.name, stored ? std::string_view(stored->name) : std::string_view()) != 0)
        return false;
    working_.desc = clean_description(working_.desc);
    stored_ = stored ? list.replace_record(stored, working_) : list.insert_copy(working_);
    return true;
}

std::vector<std::string> source_element_users(const Project& project, const SourceElement& element)
{
    std::vector<std::string> users;
    for (const SourceSink& s : project.sources)
        if (s.element == &element) users.push_back("Source/sink " + std::to_string(s.nr));
    for (const SourceElement* super : super_elements_using(project.source_elements, &element))
        users.push_back("Super element " + super->name);
    return users;
}

bool delete_source_element(Project& project, std::string_view name)
{
    SourceElement* record = project.source_elements.find_by_name(name);
    if (!record) return false;
    const std::vector<std::string> users = source_element_users(project, *record);
    if (!users.empty()) {
        show_message(WARNING, {in_use_message(record->name, users)});
        return false;
    }
    project.source_elements.remove_record(record);
    project.mark_changed();
    return true;
}

}  // namespace avelor
