// The duct element property sheet, without the widgets: the chooser's
// groups and preselection, then the sheet's two pages over a working copy
// of a duct element. The model page shows the type's own values as rows;
// "Shape, Size and Leakage" shows the shape buttons, the two dimension
// fields of the shape, the derived section values and the leakage.
//
// Every refusal has been shown to the user (through the port) by the time
// a call answers false or a refused verdict.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "model/duct_element.h"
#include "model/duct_rules.h"
#include "model/unit_field.h"

namespace avelor {

inline constexpr std::string_view kDuctChooserTitle = "Duct Flow Element Models";
inline constexpr std::string_view kDuctSheetTitle = "Duct Airflow Element Properties";
inline constexpr std::string_view kDuctShapePageTitle = "Shape, Size and Leakage";

struct DuctRow {
    std::string label;
    std::string key;  // the parameter's name, what a verdict's field names
    bool has_unit = false;
};

class DuctElementForm {
public:
    // element: a new element of a duct type or a copy of the stored one.
    // An unknown type is reported "Invalid duct element type " and the
    // form then has no model page. context gives the fan data's units.
    explicit DuctElementForm(const DuctElement& element, const NewElementContext& context = {});
    DuctElementForm(const DuctElementForm&) = delete;
    DuctElementForm& operator=(const DuctElementForm&) = delete;

    const DuctElement& working() const { return working_; }
    int type() const { return working_.type; }
    bool has_model_page() const { return model_page_; }
    std::string_view model_caption() const { return duct_caption(working_.type); }

    const std::string& name() const { return working_.name; }
    void set_name(std::string_view name) { working_.name = name; }
    const std::string& description() const { return working_.desc; }
    void set_description(std::string_view text);

    // --- the model page
    std::size_t row_count() const { return rows_.size(); }
    const DuctRow& row(std::size_t i) const { return rows_.at(i).info; }
    std::optional<std::size_t> row_of(std::string_view key) const;
    const UnitField& field(std::size_t i) const;
    const UnitSelector* selector(std::size_t i) const;
    bool leave_field(std::size_t i, std::string_view text);
    bool select_unit(std::size_t i, int index);

    // The fan type's "Edit Fan Curve Data" and the spline types' data.
    bool has_fan_data() const { return working_.type == kDctFan; }
    bool has_spline_data() const { return is_duct_spline_type(working_.type); }
    FanData& fan();
    SplineData& spline();
    std::int16_t fan_flow_unit() const { return fan_flow_unit_; }
    std::int16_t fan_pressure_unit() const { return fan_pressure_unit_; }
    // After the points changed: the rows show the record anew.
    void refresh();

    // Leaving the model page (for the other page or for the spline data):
    // the name check, and for the fan type its points and fit.
    ElementVerdict leave_model_page(const NamedList<DuctElement>& list, std::string_view old_name) const;

    // --- the shape page
    std::int16_t shape() const { return working_.shape.shape; }
    void choose_shape(std::int16_t shape);
    std::string_view first_label() const;
    std::string_view second_label() const;
    bool second_enabled() const;
    const UnitField& first_field() const { return *first_; }
    const UnitField& second_field() const { return *second_; }
    const UnitSelector& first_selector() const { return *first_unit_; }
    const UnitSelector& second_selector() const { return *second_unit_; }
    bool leave_first(std::string_view text);
    bool leave_second(std::string_view text);
    bool select_first_unit(int index);
    bool select_second_unit(int index);
    // The derived values, shown in the units the element keeps.
    const UnitField& hydraulic_diameter() const { return *dh_; }
    const UnitField& perimeter() const { return *perim_; }
    const UnitField& flow_area() const { return *area_; }

    std::int16_t leakage_units() const { return working_.shape.leak_units; }
    void choose_leakage_units(std::int16_t system);
    const UnitField& leakage_rate() const { return *rate_; }
    const UnitField& leakage_pressure() const { return *pressure_; }
    const UnitField& leakage_class() const { return *class_; }
    bool leave_leakage_rate(std::string_view text);
    bool leave_leakage_pressure(std::string_view text);
    bool leave_leakage_class(std::string_view text);

    // OK: the name rules, the checks and the derivations, then the copy
    // goes into the list (new when stored is null, else over stored).
    ElementVerdict accept(NamedList<DuctElement>& list, DuctElement* stored);
    DuctElement* stored() const { return stored_; }

private:
    struct Row {
        DuctRow info;
        float* value = nullptr;
        std::int16_t* unit = nullptr;
        std::optional<UnitField> field;
        std::optional<UnitSelector> selector;
    };
    void build_rows();
    void bind_shape();
    void bind_leakage();
    void shape_changed();

    DuctElement working_;
    bool model_page_ = true;
    std::vector<Row> rows_;
    std::int16_t fan_flow_unit_ = 0;
    std::int16_t fan_pressure_unit_ = 0;
    std::optional<UnitField> first_, second_, dh_, perim_, area_, rate_, pressure_, class_;
    std::optional<UnitSelector> first_unit_, second_unit_;
    float class_value_ = 0;
    DuctElement* stored_ = nullptr;
};

// "Duct Flow Element Models": the chooser's groups with their buttons.
struct DuctChooserButton {
    int type;
    std::string_view text;
};
struct DuctChooserGroup {
    std::string_view title;
    std::vector<DuctChooserButton> buttons;
};
std::vector<DuctChooserGroup> duct_chooser_groups();

// The duct element manager's caption.
inline constexpr std::string_view kDuctManagerTitle = "AVELORW Data and Library Manager: Duct Elements";

}  // namespace avelor
