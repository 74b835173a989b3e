// One airflow element type's dialog, without the widgets.
//
// The form works on a copy of an element (a new one with its defaults, or a
// copy of the stored one being edited) and describes its dialog as rows, so
// that one view can show any of the types 0..23: each row is a labelled
// value of the type's parameter record, with its unit box where the record
// keeps a unit for it. The rows bind to the copy's own fields; bounds come
// from the type's parameter table. Fields that follow each other (the
// orifice's area and diameter and their units, the leakage area buttons,
// the shaft's bounds that follow its area) are kept in step here.
//
// Every refusal has been shown to the user (through the port) by the time
// a call answers false or a refused verdict.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "model/unit_field.h"

namespace avelor {

class Project;

enum class ElementRowKind {
    UnitValue,  // a float with a unit box (field() and selector())
    Plain,      // a float without unit (field())
    Integer,    // a 16-bit count (integer_text(), leave_integer())
    Check,      // a 16-bit on/off flag (checked(), set_checked())
    Derived,    // a value the form derives on OK, shown only (field())
};

struct ElementRow {
    std::string label;
    ElementRowKind kind = ElementRowKind::Plain;
    // The parameter's name in the type's parameter table (what a verdict's
    // field names), or the record member's name for other rows.
    std::string key;
    // False for a value shown but fixed for the type (the exponent of a
    // connection, stairwell or door) and for derived values.
    bool editable = true;
};

class ElementForm {
public:
    // element: a new element of a type 0..23 or a copy of the stored one.
    // context gives the fan data's default units.
    explicit ElementForm(const AirflowElement& element, const NewElementContext& context = {});
    ElementForm(const ElementForm&) = delete;
    ElementForm& operator=(const ElementForm&) = delete;

    // Whether this form can show the type (0..23; the spline types and the
    // super element have dialogs of their own).
    static bool handles(int type) { return type >= 0 && type <= kFanFan; }

    const AirflowElement& working() const { return working_; }
    int type() const { return working_.type; }
    // The dialog's title.
    std::string_view caption() const { return element_caption(working_.type); }

    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    // At most the first 70 characters, line breaks made blanks.
    void set_description(std::string_view text);

    // Icon radio buttons: "Small opening" and "Large opening", with the
    // codes of a one-way or a two-way type.
    std::uint8_t small_icon() const;
    std::uint8_t large_icon() const;
    bool large_icon_chosen() const { return working_.icon == large_icon(); }
    void choose_large_icon(bool large);

    std::size_t row_count() const { return rows_.size(); }
    const ElementRow& row(std::size_t i) const { return rows_.at(i).info; }
    // The row whose key is key (a verdict's field), if any.
    std::optional<std::size_t> row_of(std::string_view key) const;

    // UnitValue, Plain and Derived rows.
    const UnitField& field(std::size_t i) const;
    // UnitValue rows; null for the others.
    const UnitSelector* selector(std::size_t i) const;
    // The row's edit lost the focus holding text.
    bool leave_field(std::size_t i, std::string_view text);
    // The row's unit box chose entry index.
    bool select_unit(std::size_t i, int index);

    // Integer rows.
    std::string integer_text(std::size_t i) const;
    bool leave_integer(std::size_t i, std::string_view text);

    // Check rows.
    bool checked(std::size_t i) const;
    void set_checked(std::size_t i, bool on);

    // Leakage types: the "Per Item", "Per Unit Length" and "Per Unit Area"
    // buttons (types 1, 2 and 3). Choosing one moves the area shown to that
    // area; the area row then shows it in that area's unit kind.
    bool is_leakage() const { return is_leakage_type(working_.type); }
    void choose_leakage(int leak_type);

    // The fan performance type: its "Fan Data..." button edits these.
    bool has_fan_data() const { return working_.type == kFanFan; }
    FanData& fan();
    std::int16_t fan_flow_unit() const { return fan_flow_unit_; }
    std::int16_t fan_pressure_unit() const { return fan_pressure_unit_; }
    // After the fan points changed: the rows show the record anew.
    void refresh();

    // OK: the name rules, the checks and the derived coefficients, then the
    // copy goes into the list (new when stored is null, else over stored).
    ElementVerdict accept(Project& project, AirflowElement* stored);
    ElementVerdict accept(NamedList<AirflowElement>& list, AirflowElement* stored);
    // The stored record after an accepted OK.
    AirflowElement* stored() const { return stored_; }

private:
    struct Row {
        ElementRow info;
        float* value = nullptr;
        std::int16_t* unit = nullptr;
        std::int16_t* integer = nullptr;
        float int_low = 0;
        std::optional<UnitField> field;
        std::optional<UnitSelector> selector;
        // Bounds that follow other values of the record.
        std::function<float()> low_of;
        std::function<float()> high_of;
        float low = NO_LIMIT;
        float high = NO_LIMIT;
    };
    template <class D>
    friend class ElementRowBuilder;

    Row& at(std::size_t i);
    const Row& at(std::size_t i) const;
    void bind_field(Row& row, UnitKind kind);
    void bind_leakage_area();
    void follow(const Row& changed);
    ElementVerdict finish(AcceptOutcome outcome);

    AirflowElement working_;
    std::vector<Row> rows_;
    std::int16_t fan_flow_unit_ = 0;
    std::int16_t fan_pressure_unit_ = 0;
    AirflowElement* stored_ = nullptr;
};

// The "Model Parameters:" lines of an element: each value its dialog shows,
// as "label value unit" in the units the element keeps; the spline types
// give their point count and the super element its sub-element count.
std::vector<std::string> element_parameter_lines(const AirflowElement& element);

}  // namespace avelor
