// The filter a record carries (a flow path, a duct segment, a terminal, an
// air-handling system's supply or return), as the record's sheet edits it.
//
// A sheet works on a copy of its record; the filter is a record of its own
// in the project's filter list. The slot keeps what the sheet did to the
// filter and changes the list only when the sheet is accepted:
//  - a filter made with "New Filter" is added then (a cancelled sheet
//    leaves no filter behind);
//  - an edit of the record's own filter is put back then;
//  - "Delete Filter" releases the record's own filter then (a cancelled
//    sheet leaves it as it was).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/filter_element.h"

namespace avelor {

class Project;

inline constexpr std::string_view kDeleteFilterQuestion = "Delete this filter?";

class FilterSlot {
public:
    // original: the filter the record carries now, or null.
    FilterSlot(Project& project, Filter* original);
    FilterSlot(const FilterSlot&) = delete;
    FilterSlot& operator=(const FilterSlot&) = delete;

    // The filter as the sheet shows it now (a pending one included), or
    // null when the record has none.
    const Filter* shown() const;
    bool has_filter() const { return shown() != nullptr; }

    // The page's texts: the element's name ("<none>" without a filter), its
    // description, and the button's caption ("New Filter" or "Edit Filter").
    std::string element_name() const;
    std::string element_description() const;
    std::string button_text() const { return has_filter() ? "Edit Filter" : "New Filter"; }
    bool can_delete() const { return has_filter(); }

    // What "Filter Properties" opens on: a copy of the shown filter, or a
    // new one with no element; and the number it shows (a new filter's is
    // the one it will get).
    Filter working() const;
    std::int32_t number() const;

    // "Filter Properties" accepted with edited.
    void store(const Filter& edited);
    // Asks "Delete this filter?"; true when the record lost its filter.
    bool remove();
    // The record drops its filter without asking (it no longer carries one).
    void clear();

    // The sheet is accepted: the filter the record refers to from now on
    // (null for none). A new filter is added, an edited one put back, and
    // the record's earlier filter, when deleted or replaced, released.
    Filter* commit();
    // The sheet is cancelled: the record keeps its own filter unchanged.
    void rollback();

    // A sheet opened from this one on the same record (a node's downward
    // segment) starts from what this one holds, and when it is accepted
    // this one takes over what it did.
    void start_from(const FilterSlot& outer);
    void adopt(const FilterSlot& inner);

private:
    Project* project_;
    Filter* original_;
    bool keeps_original_ = true;    // else: a new filter (pending_) or none
    std::optional<Filter> pending_; // an edit of original_, or the new filter
};

}  // namespace avelor
