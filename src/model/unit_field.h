// The unit-bearing fields of the definition dialogs, without the widgets.
//
// UnitField is an edit field over a stored base-unit float: it shows the
// value in the field's unit and checks what is typed when the field loses
// the focus. UnitSelector is a unit combo box over a stored value and its
// stored unit index. A selector's edit field is a UnitField over the same
// value; the form that pairs them passes the selector's new unit on to it.
//
// Typed numbers are read in the C locale, whatever the user's locale: plain
// decimal numbers only, never "nan", "inf" or hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/units.h"

namespace avelor {

struct Species;

// printf's "%<width>.<precision>g" in the C locale.
std::string format_number(double value, int width, int precision = 6);

// A typed number: optional blanks, a sign, decimal digits with an optional
// point and exponent, optional blanks. Too small to tell from 0 reads as 0;
// anything beyond a double's range, or not a number at all, gives nothing.
std::optional<double> parse_typed_number(std::string_view text);

class UnitField {
public:
    // value: the stored base-unit float, which must outlive the field.
    // lower, upper: bounds in the base unit, NO_LIMIT for an open side.
    // species: for a species-dependent kind, the species whose units these
    // are (the form's working copy, so that edits of its properties count).
    UnitField(float& value, UnitKind kind, int unit, float lower = NO_LIMIT,
              float upper = NO_LIMIT, const Species* species = nullptr);

    // What the edit control shows.
    const std::string& shown_text() const { return shown_; }

    // Called when the edit control loses the focus with the text it holds.
    // Accepted: the base value is stored and the typed number is shown
    // again in "%6g". Refused: a WARNING box has said why, the stored value
    // stays and is shown again.
    bool validate(std::string_view text);

    // Shows the stored value anew, after it or the species changed.
    void refresh();
    // The field's unit changed (its selector chose another): shows the
    // stored value in it.
    void set_unit(int unit);
    // The field follows another kind (a species' concentration kind).
    void set_kind(UnitKind kind, int unit);

    UnitKind kind() const { return kind_; }
    int unit() const { return unit_; }
    float value() const { return *value_; }

private:
    bool refuse();

    float* value_;
    UnitKind kind_;
    int unit_;
    float lower_;
    float upper_;
    const Species* species_;
    std::string shown_;
};

class UnitSelector {
public:
    // value and unit: the stored base-unit float and the stored unit index,
    // both outliving the selector.
    UnitSelector(UnitKind kind, float& value, std::int16_t& unit, const Species* species = nullptr);

    // The combo box's entries, in order.
    std::span<const std::string> names() const { return unit_display_names(kind_); }
    // The selected entry: the one whose name is the stored unit's.
    int selected() const { return selected_; }
    // The stored value in the selected unit: "%4.6g" for pressures, "%3.5g"
    // for every other kind.
    std::string shown_text() const;
    // The selected unit's display name, for a label beside the field.
    const std::string& label() const { return unit_display_name(kind_, selected_); }

    // The user picked entry new_index. When the species cannot support that
    // unit (an ERROR box has said so) the previous unit stays selected and
    // false is returned; otherwise the new index is stored in the record.
    bool select(int new_index);

    // Refills the combo box for another kind (a species' concentration
    // kind), selecting the stored unit.
    void set_kind(UnitKind kind);

    UnitKind kind() const { return kind_; }

private:
    void select_stored();

    UnitKind kind_;
    float* value_;
    std::int16_t* unit_;
    const Species* species_;
    int selected_ = 0;
};

}  // namespace avelor
