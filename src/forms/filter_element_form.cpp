#include "forms/filter_element_form.h"

#include <algorithm>
#include <set>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "forms/filter_form.h"
#include "model/project.h"

namespace avelor {

namespace {

// Lower bounds of the element's size fields, base units.
constexpr float kMinArea = 0.001f;     // m2
constexpr float kMinDepth = 1e-8f;     // m
constexpr float kMinDensity = 0.01f;   // kg/m3

std::string right16(std::string_view name)
{
    TextWriter text;
    text.printf("%16s", std::string(name).c_str());
    return text.take();
}

}  // namespace

bool is_gaseous(const Species& species) { return species.mdiam == 0 && species.edens == 0; }

std::array<bool, kFilterTypeCount> FilterChooser::enabled(const NamedList<FilterElement>& elements,
                                                          const NamedList<Species>& species,
                                                          bool inside_super) const
{
    std::array<bool, kFilterTypeCount> on{true, true, true, true, true};
    const bool any_species = species.head() != nullptr;
    bool any_gaseous = false;
    for (const Species& s : species) any_gaseous = any_gaseous || is_gaseous(s);
    on[kFltCef] = any_species;
    on[kFltGf0] = any_gaseous;
    on[kFltSpf] = !inside_super && elements.head() != nullptr;
    return on;
}

int FilterChooser::preselection(const std::array<bool, kFilterTypeCount>& enabled) const
{
    if (last_choice >= 0 && last_choice < kFilterTypeCount && enabled[static_cast<std::size_t>(last_choice)])
        return last_choice;
    for (int t = 0; t < kFilterTypeCount; ++t)
        if (enabled[static_cast<std::size_t>(t)]) return t;
    return kFltPf0;
}

// ---- Filter Element -----------------------------------------------------------

FilterElementForm::FilterElementForm(const FilterElement& element) : working_(element)
{
    if (!unit_index_valid(UnitKind::Length, working_.u_length)) working_.u_length = 0;
    if (!unit_index_valid(UnitKind::Density, working_.u_density)) working_.u_density = 0;
    depth_unit_index_ = working_.u_length;
    area_ = std::make_unique<UnitField>(working_.area, UnitKind::Area, working_.u_length, kMinArea, NO_LIMIT);
    depth_ = std::make_unique<UnitField>(working_.depth, UnitKind::Length, working_.u_length, kMinDepth, NO_LIMIT);
    density_ = std::make_unique<UnitField>(working_.density, UnitKind::Density, working_.u_density, kMinDensity,
                                           NO_LIMIT);
    area_unit_ = std::make_unique<UnitSelector>(UnitKind::Area, working_.area, working_.u_length);
    depth_unit_ = std::make_unique<UnitSelector>(UnitKind::Length, working_.depth, depth_unit_index_);
    density_unit_ = std::make_unique<UnitSelector>(UnitKind::Density, working_.density, working_.u_density);
}

void FilterElementForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

void FilterElementForm::select_length_unit(int index)
{
    if (!unit_index_valid(UnitKind::Length, index) || !unit_index_valid(UnitKind::Area, index)) return;
    area_unit_->select(index);
    depth_unit_->select(index);
    working_.u_length = static_cast<std::int16_t>(index);
    area_->set_unit(index);
    depth_->set_unit(index);
}

void FilterElementForm::select_density_unit(int index)
{
    if (!density_unit_->select(index)) return;
    density_->set_unit(density_unit_->selected());
}

std::string FilterElementForm::mass_text() const
{
    const int unit = unit_index_valid(UnitKind::Mass, working_.u_density) ? working_.u_density : 0;
    return format_number(convert_units(filter_mass(working_), true, UnitKind::Mass, unit), 6);
}

std::string FilterElementForm::mass_unit() const
{
    const int unit = unit_index_valid(UnitKind::Mass, working_.u_density) ? working_.u_density : 0;
    return unit_display_name(UnitKind::Mass, unit);
}

FilterData FilterElementForm::data_copy() const
{
    if (has_data()) return working_.data;
    return new_filter_data(working_.type);
}

FilterElementAnswer FilterElementForm::accept(Project& project, FilterElement* stored)
{
    {
        LastBox last;
        if (check_new_name(project.filter_elements, working_.name, stored ? std::string_view(stored->name) : "") != 0)
            return FilterElementAnswer::refused(WARNING, last.message(), FilterElementField::Name);
    }
    if (!has_data()) {
        show_message(WARNING, {kNoFilterDataMessage});
        return FilterElementAnswer::refused(WARNING, std::string(kNoFilterDataMessage), FilterElementField::Data);
    }
    working_.desc = clean_description(working_.desc);
    stored_ = stored ? project.filter_elements.replace_record(stored, working_)
                     : project.filter_elements.insert_copy(working_);
    project.mark_changed();
    return FilterElementAnswer::ok();
}

// ---- Super Filter Element ---------------------------------------------------

SuperFilterForm::SuperFilterForm(const FilterElement& element) : working_(element)
{
    working_.type = kFltSpf;
    if (!std::holds_alternative<SuperFilterData>(working_.data)) working_.data = SuperFilterData{};
}

void SuperFilterForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

std::vector<std::string> SuperFilterForm::sub_lines() const
{
    std::vector<std::string> lines;
    for (const FilterElement* e : subs()) {
        std::string line = right16(e->name);
        if (e->type >= kFltCef && e->type <= kFltGf0) line += "  " + std::string(filter_type_info(e->type)->type_name);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<FilterElement*> SuperFilterForm::available(const NamedList<FilterElement>& list)
{
    std::vector<FilterElement*> out;
    for (FilterElement& e : list)
        if (e.type >= kFltCef && e.type <= kFltUv1) out.push_back(&e);
    return out;
}

std::string SuperFilterForm::type_text(const FilterElement& element)
{
    const auto info = filter_type_info(element.type);
    return info ? std::string(info->type_name) : std::string();
}

void SuperFilterForm::add(FilterElement* element)
{
    if (element && element->type >= kFltCef && element->type <= kFltUv1) data().subs.push_back(element);
}

int SuperFilterForm::remove(std::size_t i)
{
    auto& s = data().subs;
    if (i >= s.size()) return -1;
    s.erase(s.begin() + static_cast<std::ptrdiff_t>(i));
    if (s.empty()) return -1;
    return static_cast<int>(std::min(i, s.size() - 1));
}

int SuperFilterForm::move_up(std::size_t i)
{
    if (!can_move_up(i)) return static_cast<int>(i);
    std::swap(data().subs[i], data().subs[i - 1]);
    return static_cast<int>(i - 1);
}

int SuperFilterForm::move_down(std::size_t i)
{
    if (!can_move_down(i)) return static_cast<int>(i);
    std::swap(data().subs[i], data().subs[i + 1]);
    return static_cast<int>(i + 1);
}

SuperFilterAnswer SuperFilterForm::accept(Project& project, FilterElement* stored)
{
    {
        LastBox last;
        if (check_new_name(project.filter_elements, working_.name, stored ? std::string_view(stored->name) : "") != 0)
            return SuperFilterAnswer::refused(WARNING, last.message(), SuperFilterField::Name);
    }
    if (subs().size() < 2) {
        show_message(WARNING, {kTooFewFilterSubsMessage});
        return SuperFilterAnswer::refused(WARNING, std::string(kTooFewFilterSubsMessage),
                                          SuperFilterField::SubElements);
    }
    working_.desc = clean_description(working_.desc);
    stored_ = stored ? project.filter_elements.replace_record(stored, working_)
                     : project.filter_elements.insert_copy(working_);
    // Filters on the element keep one load per sub-element, in order.
    sync_filters_of(project, stored_);
    project.mark_changed();
    return SuperFilterAnswer::ok();
}

// ---- use counts and deletion ------------------------------------------------

namespace {

// Every filter a flow path, duct segment or terminal carries, once each.
std::vector<const Filter*> carried_filters(const Project& project)
{
    std::set<const Filter*> seen;
    std::vector<const Filter*> out;
    const auto take = [&](const Filter* f) {
        if (f && seen.insert(f).second) out.push_back(f);
    };
    for (const FlowPath& p : project.paths) take(p.filter);
    for (const DuctSegment& d : project.ducts) take(d.filter);
    for (const Junction& j : project.junctions) take(j.terminal.filter);
    return out;
}

}  // namespace

void count_filter_element_uses(Project& project)
{
    for (FilterElement& e : project.filter_elements) e.use_count = 0;
    for (const Filter* f : carried_filters(project))
        if (f->element) ++f->element->use_count;
    for (FilterElement& e : project.filter_elements)
        if (const auto* super = std::get_if<SuperFilterData>(&e.data))
            for (FilterElement* sub : super->subs)
                if (sub) ++sub->use_count;
}

std::vector<std::string> filter_element_users(const Project& project, const FilterElement& element)
{
    std::vector<std::string> users;
    // Every filter of the list counts, one no record carries any more too:
    // it would otherwise go on naming a deleted element.
    for (const Filter& f : project.filters)
        if (f.element == &element) users.push_back("Filter " + std::to_string(f.nr));
    for (const FilterElement& e : project.filter_elements)
        if (const auto* super = std::get_if<SuperFilterData>(&e.data))
            if (std::find(super->subs.begin(), super->subs.end(), &element) != super->subs.end())
                users.push_back("Super filter element " + e.name);
    return users;
}

bool delete_filter_element(Project& project, FilterElement& element)
{
    count_filter_element_uses(project);
    const std::vector<std::string> users = filter_element_users(project, element);
    if (element.use_count > 0 || !users.empty()) {
        show_message(WARNING, {in_use_message(element.name, users)});
        return false;
    }
    project.filter_elements.remove_record(&element);
    project.mark_changed();
    return true;
}

std::vector<std::string> filter_element_summary(const FilterElement& element)
{
    std::vector<std::string> lines;
    const auto info = filter_type_info(element.type);
    lines.push_back(info ? std::string(info->type_name) : std::string(filter_caption(element.type)));
    TextWriter size;
    size.printf("Area: %g m2  Depth: %g m  Density: %g kg/m3", static_cast<double>(element.area),
                static_cast<double>(element.depth), static_cast<double>(element.density));
    lines.push_back(size.take());
    if (const auto* super = std::get_if<SuperFilterData>(&element.data))
        for (const FilterElement* sub : super->subs) lines.push_back("  " + sub->name);
    return lines;
}

}  // namespace avelor
