// The super element dialog's working state: the sub-element list as rows,
// the entry fields a sub-element is added or replaced from (the element
// chosen among the candidates, its relative elevation, its two flags) and
// which of the list's buttons apply.
//
// The form works on the dialog's copy of the element; nothing reaches the
// project's list before the dialog's OK (accept_element).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/lists.h"
#include "model/airflow_element.h"
#include "model/unit_field.h"

namespace avelor {

// One line of the sub-element list, column by column.
struct SubElementRow {
    std::string name;
    std::string elevation;    // in the super element's elevation unit
    std::string filtered;     // "Yes" or "No"
    std::string schedulable;  // "Yes" or "No"
    bool operator==(const SubElementRow&) const = default;
};

class SuperElementForm {
public:
    // copy: the dialog's working copy, whose record must be a super element
    // record (any other record is replaced by an empty one); list: the
    // elements the sub-elements are chosen from. Both outlive the form.
    SuperElementForm(AirflowElement& copy, const NamedList<AirflowElement>& list);
    SuperElementForm(const SuperElementForm&) = delete;
    SuperElementForm& operator=(const SuperElementForm&) = delete;

    const SuperData& data() const { return *data_; }

    // The elements that may be chosen, in name order; never a super element.
    const std::vector<AirflowElement*>& candidates() const { return candidates_; }
    // Lists the candidates anew (after an element was made), keeping the
    // chosen one when it is still there.
    void refresh_candidates();
    // The index of the chosen candidate, -1 when none.
    int chosen() const;
    // Chooses candidate index; any other index chooses none.
    void choose(int index);
    // Chooses element when it is a candidate; false otherwise.
    bool choose(const AirflowElement* element);
    // The two summary lines of the chosen element.
    ElementSummary chosen_summary() const { return element_summary(entry_.element); }

    // The entry fields. The elevation is shown and typed in the super
    // element's elevation unit, which its selector changes for every row.
    const SubElement& entry() const { return entry_; }
    UnitField& elevation_field() { return elevation_field_; }
    const UnitSelector& elevation_unit() const { return elevation_unit_; }
    bool select_unit(int index);
    void set_filtered(bool on) { entry_.filtered = on ? 1 : 0; }
    void set_schedulable(bool on) { entry_.scheduled = on ? 1 : 0; }

    // The list: one row per sub-element, and the header of its elevation
    // column, which names the unit.
    std::vector<SubElementRow> rows() const;
    std::string elevation_header() const;

    // The selected row, -1 when none. Selecting a row shows its
    // sub-element in the entry fields.
    int selected() const { return selected_; }
    void select(int row);

    // Add needs a chosen element; Replace also a selected row; Delete a
    // selected row.
    bool can_add() const { return entry_.element != nullptr; }
    bool can_replace() const { return can_add() && row_valid(selected_); }
    bool can_remove() const { return row_valid(selected_); }

    // Add appends the entry and selects it; Replace puts it over the
    // selected row; a schedulable entry takes the flag from every other row.
    // Delete removes the selected row and selects the one that moved up
    // into its place (or the new last). Each returns false when its button
    // does not apply, changing nothing.
    bool add();
    bool replace();
    bool remove();

private:
    bool row_valid(int row) const { return row >= 0 && static_cast<std::size_t>(row) < data_->subs.size(); }

    const NamedList<AirflowElement>* list_;
    SuperData* data_;
    std::vector<AirflowElement*> candidates_;
    SubElement entry_;
    UnitField elevation_field_;
    UnitSelector elevation_unit_;
    int selected_ = -1;
};

}  // namespace avelor
