// The filter element dialogs without their widgets: the type chooser, the
// "Filter Element" dialog (name, description, size, density and mass) and
// the "Super Filter Element" dialog; the use counts and the deletion of an
// element. The type data dialogs are in filter_data_forms.h.
//
// Forms work on copies; a refusal has been shown to the user (through the
// port) by the time a call answers.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "forms/form_answer.h"
#include "model/filter_element.h"
#include "model/species.h"
#include "model/unit_field.h"

namespace avelor {

class Project;

inline constexpr std::string_view kFilterChooserTitle = "Filter Element Models";
inline constexpr std::string_view kFilterManagerTitle = "AVELORW Data and Library Manager: Filter Elements";
inline constexpr std::string_view kNoFilterDataMessage = "Filter element must have data defined.";
inline constexpr std::string_view kTooFewFilterSubsMessage =
    "A super filter element requires at least 2 sub elements.";

// A species a gaseous filter can act on: no mean diameter, no effective
// density.
bool is_gaseous(const Species& species);

// "Filter Element Models": which type buttons may be chosen and which one
// starts checked.
struct FilterChooser {
    // The last type chosen, kept for the program's run by its owner.
    int last_choice = kFltCef;
    // elements: the list new elements go into; species: the project's.
    // inside_super: opened from the super element's dialog.
    std::array<bool, kFilterTypeCount> enabled(const NamedList<FilterElement>& elements,
                                               const NamedList<Species>& species, bool inside_super) const;
    // The last choice when it may be chosen, else the first type that may.
    int preselection(const std::array<bool, kFilterTypeCount>& enabled) const;
};

enum class FilterElementField { Name, Area, Depth, Density, Data };
using FilterElementAnswer = FormAnswer<FilterElementField>;

// "Filter Element" (types 0..3).
class FilterElementForm {
public:
    explicit FilterElementForm(const FilterElement& element);
    FilterElementForm(const FilterElementForm&) = delete;
    FilterElementForm& operator=(const FilterElementForm&) = delete;

    const FilterElement& working() const { return working_; }
    std::string_view caption() const { return filter_caption(working_.type); }

    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    void set_description(std::string_view text);

    // "Area:", "Depth:" and "Density:" with their unit boxes. Area and depth
    // share one unit index: choosing either unit chooses the other.
    const UnitField& area() const { return *area_; }
    const UnitField& depth() const { return *depth_; }
    const UnitField& density() const { return *density_; }
    const UnitSelector& area_unit() const { return *area_unit_; }
    const UnitSelector& depth_unit() const { return *depth_unit_; }
    const UnitSelector& density_unit() const { return *density_unit_; }
    bool leave_area(std::string_view text) { return area_->validate(text); }
    bool leave_depth(std::string_view text) { return depth_->validate(text); }
    bool leave_density(std::string_view text) { return density_->validate(text); }
    void select_length_unit(int index);
    void select_density_unit(int index);

    // "Mass:": density x area x depth in the mass unit of the density unit
    // ("%6g"), and that unit's name.
    std::string mass_text() const;
    std::string mass_unit() const;

    // "Edit Element Data": the data the type's dialog starts from (a new
    // element's is empty) and what its OK hands back.
    FilterData data_copy() const;
    void set_data(FilterData data) { working_.data = std::move(data); }
    bool has_data() const { return filter_data_fits(working_); }

    // OK: the name rules, then data must exist; then the copy goes into the
    // list (new when stored is null, else over it) and the filters on it
    // follow it.
    FilterElementAnswer accept(Project& project, FilterElement* stored);
    FilterElement* stored() const { return stored_; }

private:
    FilterElement working_;
    std::unique_ptr<UnitField> area_, depth_, density_;
    std::unique_ptr<UnitSelector> area_unit_, depth_unit_, density_unit_;
    std::int16_t depth_unit_index_ = 0;  // the depth box's copy of u_length
    FilterElement* stored_ = nullptr;
};

enum class SuperFilterField { Name, SubElements };
using SuperFilterAnswer = FormAnswer<SuperFilterField>;

// "Super Filter Element".
class SuperFilterForm {
public:
    explicit SuperFilterForm(const FilterElement& element);

    const FilterElement& working() const { return working_; }
    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    void set_description(std::string_view text);

    // "Sub-Elements": the name right-aligned in 16 columns, two blanks and
    // the type name (none for a UVGI element).
    const std::vector<FilterElement*>& subs() const { return data().subs; }
    std::vector<std::string> sub_lines() const;
    // "Available Elements": every element of types 0..3, in name order.
    static std::vector<FilterElement*> available(const NamedList<FilterElement>& list);
    // The type and description shown for an available element.
    static std::string type_text(const FilterElement& element);

    // "<<  Add  <<" appends (repeats allowed); the others act on sub-element
    // i and answer the row selected afterwards (-1 for none).
    void add(FilterElement* element);
    int remove(std::size_t i);
    bool can_move_up(std::size_t i) const { return i > 0 && i < subs().size(); }
    bool can_move_down(std::size_t i) const { return i + 1 < subs().size(); }
    int move_up(std::size_t i);
    int move_down(std::size_t i);

    // OK: the name rules, then at least 2 sub-elements; then the copy goes
    // into the list and every filter on it gets loads that follow it.
    SuperFilterAnswer accept(Project& project, FilterElement* stored);
    FilterElement* stored() const { return stored_; }

private:
    SuperFilterData& data() { return std::get<SuperFilterData>(working_.data); }
    const SuperFilterData& data() const { return std::get<SuperFilterData>(working_.data); }

    FilterElement working_;
    FilterElement* stored_ = nullptr;
};

// The use counts, made anew: one for each filter on an element carried by
// a flow path, duct segment or terminal (a filter shared by a path's hidden
// sub-paths counts once), one for each entry of a super element naming it.
void count_filter_element_uses(Project& project);
// What uses an element, as the deletion refusal names them: the filters of
// the list on it and the super elements naming it.
std::vector<std::string> filter_element_users(const Project& project, const FilterElement& element);
// Deletes the element unless it is in use; then a WARNING names the users
// and nothing changes. True when deleted.
bool delete_filter_element(Project& project, FilterElement& element);

// The one-line summary of an element for the manager: type and size.
std::vector<std::string> filter_element_summary(const FilterElement& element);

}  // namespace avelor
