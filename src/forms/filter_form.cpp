#include "forms/filter_form.h"

#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "model/project.h"

namespace avelor {

bool filter_loads_match(const Filter& filter)
{
    if (!filter.element) return filter.loads.empty();
    if (const auto* super = std::get_if<SuperFilterData>(&filter.element->data)) {
        if (filter.loads.size() != super->subs.size()) return false;
        for (std::size_t i = 0; i < super->subs.size(); ++i)
            if (filter.loads[i].element != super->subs[i]) return false;
        return true;
    }
    return filter.loads.size() == 1 && filter.loads.front().element == filter.element;
}

bool sync_filter_loads(Filter& filter)
{
    if (filter_loads_match(filter)) return false;
    filter.loads = loads_for(filter.element);
    return true;
}

int sync_filters_of(Project& project, const FilterElement* element)
{
    int changed = 0;
    for (Filter& f : project.filters)
        if (f.element == element && sync_filter_loads(f)) ++changed;
    if (changed > 0) project.mark_changed();
    return changed;
}

FilterForm::FilterForm(const Filter& working, const NamedList<FilterElement>& elements)
    : working_(working), elements_(&elements)
{
}

std::vector<FilterElement*> FilterForm::element_choices() const
{
    std::vector<FilterElement*> out;
    for (FilterElement& e : *elements_) out.push_back(&e);
    return out;
}

void FilterForm::choose_element(FilterElement* element)
{
    if (element == working_.element) return;
    working_.element = element;
    working_.loads = loads_for(element);
}

std::string FilterForm::type_text() const
{
    if (!working_.element) return {};
    const auto info = filter_type_info(working_.element->type);
    return info ? std::string(info->type_name) : std::string();
}

std::string FilterForm::description_text() const { return working_.element ? working_.element->desc : std::string(); }

std::vector<std::string> FilterForm::load_lines() const
{
    std::vector<std::string> lines;
    for (const FilterLoad& load : working_.loads) {
        TextWriter line;
        line.printf("%16s  %g", load.element ? load.element->name.c_str() : "",
                    static_cast<double>(load.loading));
        lines.push_back(line.take());
    }
    return lines;
}

std::string FilterForm::load_text(std::size_t i) const
{
    if (i >= working_.loads.size()) return {};
    TextWriter text;
    text.printf("%g", static_cast<double>(working_.loads[i].loading));
    return text.take();
}

FilterAnswer FilterForm::accept()
{
    if (!working_.element) {
        show_message(WARNING, {kNoFilterElementMessage});
        return FilterAnswer::refused(WARNING, std::string(kNoFilterElementMessage), FilterField::Element);
    }
    sync_filter_loads(working_);
    return FilterAnswer::ok();
}

}  // namespace avelor
