// The source/sink element dialogs, without the widgets: the model chooser,
// one model's dialog (name, description, species and the model's fields)
// and the super element's lists.
//
// The form works on a copy of an element (a new one with its model's
// defaults, or a copy of the stored one). Every refusal has been shown to
// the user (through the port) by the time a call answers false.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "model/source_element.h"
#include "model/species.h"
#include "model/unit_field.h"

namespace avelor {

class Project;

inline constexpr std::string_view kSourceChooserTitle = "Source/Sink Element Models";
inline constexpr std::string_view kSourceManagerTitle = "AVELORW Data and Library Manager: Source/Sink Elements";

// The chooser "Source/Sink Element Models": which button starts selected,
// and whether the super button is there to choose.
struct SourceChooser {
    bool inside_super = false;  // opened from the super element's dialog
    // The model to preselect: the edited element's, else the last choice
    // (when it is still allowed), else the constant coefficient model.
    int preselection(const SourceElement* edited) const;
    bool enabled(int model) const { return model >= 0 && model < kSourceModelCount && !(inside_super && model == kSrcSup); }
    // The last choice made, kept for the program's run by its owner.
    int last_choice = -1;
};

// Every model but the super element acts on a species, and their units
// cannot be shown without one: with no species in the list a WARNING says
// so and false is returned, before any dialog opens.
bool source_models_available(const NamedList<Species>& species);

class SourceElementForm {
public:
    // element: a new element or a copy of the stored one; species: the list
    // the "Species:" combo offers (the project's or the library's).
    SourceElementForm(const SourceElement& element, const NamedList<Species>& species);
    SourceElementForm(const SourceElementForm&) = delete;
    SourceElementForm& operator=(const SourceElementForm&) = delete;

    const SourceElement& working() const { return working_; }
    int model() const { return working_.model; }
    std::string_view caption() const;

    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    void set_description(std::string_view text);

    // "Species:": the names offered, in list order, and the one chosen.
    const std::vector<std::string>& species_names() const { return species_names_; }
    int species_index() const;
    // Choosing a species makes it the element's. Units it cannot convert
    // go back to the kind's first unit; the cutoff concentration's unit is
    // mapped onto the new species' concentration list.
    void choose_species(int index);

    // The model's fields, in dialog order.
    std::size_t field_count() const { return rows_.size(); }
    const SourceField& field_info(std::size_t i) const { return rows_.at(i).info; }
    const UnitField& field(std::size_t i) const { return *rows_.at(i).field; }
    // Null for a field without a unit.
    const UnitSelector* selector(std::size_t i) const { return rows_.at(i).selector.get(); }
    bool leave_field(std::size_t i, std::string_view text);
    bool select_unit(std::size_t i, int index);

    // The NRC power law: the coefficient a in the unit chosen for a, and Ep
    // in mg/h (shown, not edited), coupled through b and tp. Editing a, b or
    // tp recomputes Ep; the record keeps Ep in kg/s.
    bool is_power_law() const { return working_.model == kSrcPlm; }
    std::string coefficient_text() const;
    bool leave_coefficient(std::string_view text);
    std::string emission_text() const;  // "%g" in mg/h

    // The super element's lists.
    bool is_super() const { return working_.model == kSrcSup; }
    // "Available Elements": every element of the list but super elements.
    std::vector<SourceElement*> available(const NamedList<SourceElement>& list) const;
    void add_sub_element(SourceElement* element);
    void remove_sub_element(std::size_t index);

    // OK: a species for every model but the super element, at least two
    // sub-elements for a super element, the name rules; then the copy goes
    // into the list (new when stored is null, else over stored). False when
    // refused.
    bool accept(NamedList<SourceElement>& list, SourceElement* stored);
    SourceElement* stored() const { return stored_; }

private:
    struct Row {
        SourceField info;
        std::unique_ptr<UnitField> field;
        std::unique_ptr<UnitSelector> selector;
    };
    void build_rows();

    SourceElement working_;
    std::vector<Species*> species_;
    std::vector<std::string> species_names_;
    std::vector<Row> rows_;
    // The power law's coefficient a in kg/s, shown in the unit of a.
    float coefficient_ = 0;
    SourceElement* stored_ = nullptr;
};

// What uses an element: its source/sink instances and the super elements
// that list it, as the refusal names them.
std::vector<std::string> source_element_users(const Project& project, const SourceElement& element);
// Deletes the named element unless something uses it; then a WARNING names
// the users and nothing changes. True when deleted.
bool delete_source_element(Project& project, std::string_view name);

}  // namespace avelor
