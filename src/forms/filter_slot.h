// The filter a record carries (a flow path, a duct segment, a terminal, an
// air-handling system's supply or return), as the record's sheet edits it.
//
// A sheet works on a copy of its record; the filter is a record of its own
// in the project's filter list. The slot keeps what the sheet did to it
// until the sheet is accepted or cancelled:
//  - "New Filter" accepted: the filter is added to the list at once (it is
//    shown with its number) and released again should the sheet be
//    cancelled;
//  - "Edit Filter" accepted on the record's own filter: the edited copy is
//    kept and put back only when the sheet is accepted;
//  - "Delete Filter": the record's own filter is released only when the
//    sheet is accepted; one made on the sheet goes at once.
// A slot that is neither committed nor rolled back rolls back when it goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/filter_element.h"

namespace avelor {

class Project;

inline constexpr std::string_view kDeleteFilterQuestion = "Delete this filter?";

class FilterSlot {
public:
    // original: the filter the record carries now, or null.
    FilterSlot(Project& project, Filter* original);
    ~FilterSlot();
    FilterSlot(const FilterSlot&) = delete;
    FilterSlot& operator=(const FilterSlot&) = delete;

    // The filter as the sheet shows it now (a pending edit included), or
    // null when the record has none.
    const Filter* shown() const;
    bool has_filter() const { return current_ != nullptr; }
    // The record the sheet's copy refers to now.
    Filter* current() const { return current_; }

    // The page's texts: the element's name ("<none>" without a filter), its
    // description, and the button's caption ("New Filter" or "Edit Filter").
    std::string element_name() const;
    std::string element_description() const;
    std::string button_text() const { return current_ ? "Edit Filter" : "New Filter"; }
    bool can_delete() const { return current_ != nullptr; }

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
    // (null for none). The record's earlier filter, when replaced or
    // deleted, is released; a pending edit is put back.
    Filter* commit();
    // The sheet is cancelled: a filter made on it is released; the record
    // keeps its own filter unchanged.
    void rollback();

    // A sheet opened from this one (a node's downward segment) was accepted:
    // this slot takes over what its slot did to the filter it started from,
    // which is this slot's current one. inner is left settled.
    void adopt(FilterSlot& inner);
    // An inner slot made on this one's current filter starts from this
    // one's pending edit, if any.
    void start_from(const FilterSlot& outer);

private:
    // The record drops its current filter without asking.
    void drop_current();

    Project& project_;
    Filter* original_;
    Filter* current_;
    Filter* created_ = nullptr;     // added by this slot, not yet committed
    std::optional<Filter> edit_;    // pending contents for original_
    bool settled_ = false;
};

}  // namespace avelor
