// The "Filter Properties" dialog without its widgets: one filter's element
// and the initial loading of each of its sub-filters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/lists.h"
#include "forms/form_answer.h"
#include "model/filter_element.h"

namespace avelor {

class Project;

inline constexpr std::string_view kFilterPropertiesTitle = "Filter Properties";
inline constexpr std::string_view kNoFilterElementMessage =
    "A Name must be selected. You can do one of the following:\n"
    "1) Select from the Name drop-down list,\n"
    "2) Create a new element by clicking the 'New Element' button, or\n"
    "3) CANCEL";

// Whether a filter's loads still follow its element: one per sub-element of
// a super element, in order, else one for the element itself.
bool filter_loads_match(const Filter& filter);
// Loads that no longer follow the element are made anew (loading 0). True
// when they were.
bool sync_filter_loads(Filter& filter);
// After an element was edited or replaced: every filter on it whose loads
// no longer follow it gets new ones. The number of filters changed.
int sync_filters_of(Project& project, const FilterElement* element);

enum class FilterField { Element };
using FilterAnswer = FormAnswer<FilterField>;

class FilterForm {
public:
    // working: a copy of the filter (or a new one); elements: the list the
    // element box offers.
    FilterForm(const Filter& working, const NamedList<FilterElement>& elements);

    const Filter& working() const { return working_; }
    // "Filter Number:".
    std::string number_text() const { return std::to_string(working_.nr); }

    // The element box: every element, in name order, and the chosen one.
    std::vector<FilterElement*> element_choices() const;
    const FilterElement* element() const { return working_.element; }
    // A new element makes new loads for the filter; the same one again
    // keeps them.
    void choose_element(FilterElement* element);
    // The chosen element was edited: its loads follow it again.
    void element_edited() { sync_filter_loads(working_); }
    // "Type:" and "Description:" of the chosen element.
    std::string type_text() const;
    std::string description_text() const;

    // "Initial Filter Loading": "%16s  %g" per load, and the "%g" of one.
    std::vector<std::string> load_lines() const;
    std::string load_text(std::size_t i) const;

    // OK: an element must be chosen.
    FilterAnswer accept();

private:
    Filter working_;
    const NamedList<FilterElement>* elements_;
};

}  // namespace avelor
