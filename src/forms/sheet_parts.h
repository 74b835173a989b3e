// Pieces the property sheets of the air-handling systems, their supply and
// return points, the sources/sinks and the occupants share: the answer to
// leaving a page, a value field over one float of a working copy, the list
// of initial concentrations of one zone, and the zone of an icon's cell.
// (Their filter pages use the FilterSlot of forms/filter_slot.h.)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/units.h"

namespace avelor {

class Project;
struct Species;

// Why a page or the sheet stays open. The box has been shown already;
// page is the sheet's own page number and focus the field to go back to.
struct SheetRefusal {
    int page = 0;
    std::string focus;
    std::string message;
    int severity = 1;
};

// Shows the box and makes the refusal.
SheetRefusal refuse_sheet(int page, std::string focus, std::string message, int severity = 1);

// One float of a working copy, edited in a shown unit within bounds.
struct ValueField {
    float* value = nullptr;
    UnitKind kind = UnitKind::Dimensionless;
    int unit = 0;
    float lower = NO_LIMIT;
    const Species* species = nullptr;

    // The value typed in the field's unit; false (after a WARNING box)
    // when it is out of bounds, the stored value staying.
    bool enter(double shown) const;
    double shown() const;
};

// Line breaks become blanks and at most longest characters are kept.
std::string one_line(std::string_view text, std::size_t longest);

// The initial concentrations of one zone, one per contaminant, as a sheet
// page shows them: the selected contaminant's value in its unit, and the
// sum of the non-trace ones other than "H2O".
class ConcentrationList {
public:
    ConcentrationList() = default;
    ConcentrationList(const Project& project, std::vector<float>* values);

    std::vector<std::string> names() const;
    bool enabled() const;
    int selected() const { return selected_; }
    bool select(int index);
    UnitKind kind() const;
    int unit() const { return unit_; }
    // Only the display changes; false for a unit the species cannot take.
    bool set_unit(int index);
    // The selected contaminant's value; after each accepted entry the sum
    // is checked and, when the non-trace contaminants other than "H2O" do
    // not sum to 1 within 0.01, a WARNING says so (the value stays).
    bool enter(double shown);
    double shown() const;
    double nontrace_sum() const;
    bool has_nontrace() const;

private:
    const Species* species() const;

    const Project* project_ = nullptr;
    std::vector<float>* values_ = nullptr;
    int selected_ = -1;
    int unit_ = 0;
};

inline constexpr std::string_view kNontraceSumWarning = "Concentrations of non-trace contaminants should sum to 1";

// The zone an icon's cell lies in: a zone record, or none.
ZoneRef cell_zone(const Project& project, std::int32_t zone_value);

}  // namespace avelor
