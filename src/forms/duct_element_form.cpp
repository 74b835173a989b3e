#include "forms/duct_element_form.h"

#include <utility>
#include <variant>

#include "app/description_line.h"
#include "app/diagnostics.h"

namespace avelor {

namespace {

// The class field's bounds; the rate's and its pressure's are the shape
// block's own.
constexpr float kMinClass = 0;

std::string row_label(int type, std::string_view key)
{
    if (key == "rough") return "Roughness:";
    if (key == "expt") return "Exponent (n):";
    if (key == "area") return type == kDctFan ? "Equivalent orifice area:" : "Orifice area:";
    if (key == "dia") return "Orifice diameter:";
    if (key == "coef") return type == kDctPlr ? "Discharge coefficient:" : "Flow coefficient (C):";
    if (key == "Cp") return "Cp (dP > 0):";
    if (key == "xp") return "xp (dP > 0):";
    if (key == "Cn") return "Cn (dP < 0):";
    if (key == "xn") return "xn (dP < 0):";
    if (key == "Flow") return "Design maximum flow rate:";
    if (key == "off") return "Cut-off ratio:";
    return std::string(key) + ":";
}

int valid_unit(UnitKind kind, int unit) { return unit_index_valid(kind, unit) ? unit : 0; }

}  // namespace

DuctElementForm::DuctElementForm(const DuctElement& element, const NewElementContext& context)
    : working_(element), fan_flow_unit_(context.uf), fan_pressure_unit_(context.ip_units ? 1 : 0)
{
    if (!data_fits_type(working_)) {
        report_error(ERROR, {"Invalid duct element type ", std::to_string(working_.type)});
        model_page_ = false;
        working_.data = duct_data_for(kDctDwc);
    }
    if (auto* f = std::get_if<FanData>(&working_.data); f && !f->points.empty()) {
        fan_flow_unit_ = f->points.front().u_F;
        fan_pressure_unit_ = f->points.front().u_R;
    }
    update_leakage_class(working_.shape);
    class_value_ = working_.shape.leak_class;
    if (model_page_) build_rows();
    bind_shape();
    bind_leakage();
}

void DuctElementForm::set_description(std::string_view text) { working_.desc = typed_description(text); }

void DuctElementForm::build_rows()
{
    rows_.clear();
    std::visit(
        [&](auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (!std::is_same_v<D, SplineData>) {
                for (const ParamField<D>& f : duct_param_fields<D>(working_.type)) {
                    Row row;
                    row.info = {row_label(working_.type, f.name), std::string(f.name), f.unit != nullptr};
                    row.value = &(d.*(f.value));
                    row.unit = f.unit ? &(d.*(f.unit)) : nullptr;
                    rows_.push_back(std::move(row));
                }
                // The fields are made once the rows stand still in memory.
                std::size_t k = 0;
                for (const ParamField<D>& f : duct_param_fields<D>(working_.type)) {
                    Row& row = rows_[k++];
                    row.field.emplace(*row.value, f.kind, row.unit ? valid_unit(f.kind, *row.unit) : 0, f.low, f.high);
                    if (row.unit) row.selector.emplace(f.kind, *row.value, *row.unit);
                }
            }
        },
        working_.data);
}

std::optional<std::size_t> DuctElementForm::row_of(std::string_view key) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].info.key == key) return i;
    return std::nullopt;
}

const UnitField& DuctElementForm::field(std::size_t i) const { return *rows_.at(i).field; }

const UnitSelector* DuctElementForm::selector(std::size_t i) const
{
    const Row& row = rows_.at(i);
    return row.selector ? &*row.selector : nullptr;
}

bool DuctElementForm::leave_field(std::size_t i, std::string_view text)
{
    Row& row = rows_.at(i);
    if (!row.field->validate(text)) return false;
    if (auto* o = std::get_if<DuctOrificeData>(&working_.data)) {
        if (row.info.key == "area") duct_orifice_set_area(*o, o->area);
        if (row.info.key == "dia") duct_orifice_set_diameter(*o, o->dia);
        refresh();
    }
    return true;
}

bool DuctElementForm::select_unit(std::size_t i, int index)
{
    Row& row = rows_.at(i);
    if (!row.selector || !row.selector->select(index)) return false;
    if (auto* o = std::get_if<DuctOrificeData>(&working_.data)) {
        // The length and area unit lists run in parallel.
        duct_orifice_set_unit(*o, static_cast<std::int16_t>(index));
        for (Row& r : rows_)
            if (r.unit) {
                r.selector->select(*r.unit);
                r.field->set_unit(*r.unit);
            }
        return true;
    }
    row.field->set_unit(*row.unit);
    return true;
}

FanData& DuctElementForm::fan() { return std::get<FanData>(working_.data); }
SplineData& DuctElementForm::spline() { return std::get<SplineData>(working_.data); }

void DuctElementForm::refresh()
{
    for (Row& r : rows_) {
        if (r.unit) r.selector->select(*r.unit);
        r.field->refresh();
    }
}

ElementVerdict DuctElementForm::leave_model_page(const NamedList<DuctElement>& list, std::string_view old_name) const
{
    return leave_duct_model_page(list, working_, old_name);
}

void DuctElementForm::bind_shape()
{
    DuctShape& s = working_.shape;
    const ShapeDimension a = shape_first_dimension(s.shape);
    const ShapeDimension b = shape_second_dimension(s.shape);
    const UnitKind area_kind = UnitKind::Area;
    first_.emplace(s.*(a.value), a.kind, valid_unit(a.kind, s.*(a.unit)), kMinDuctDimension);
    second_.emplace(s.*(b.value), b.kind, valid_unit(b.kind, s.*(b.unit)), kMinDuctDimension);
    first_unit_.emplace(a.kind, s.*(a.value), s.*(a.unit));
    second_unit_.emplace(b.kind, s.*(b.value), s.*(b.unit));
    dh_.emplace(s.Dh, UnitKind::Length, valid_unit(UnitKind::Length, s.u_Dh));
    perim_.emplace(s.perim, UnitKind::Length, valid_unit(UnitKind::Length, s.u_P));
    area_.emplace(s.area, area_kind, valid_unit(area_kind, s.u_A));
}

void DuctElementForm::bind_leakage()
{
    DuctShape& s = working_.shape;
    rate_.emplace(s.leak_rate, UnitKind::DuctLeakage, valid_unit(UnitKind::DuctLeakage, s.leak_units), 0.0f);
    pressure_.emplace(s.leak_dP, UnitKind::PressureDifference, valid_unit(UnitKind::PressureDifference, s.u_dP),
                      kMinLeakagePressure);
    class_.emplace(class_value_, UnitKind::Dimensionless, 0, kMinClass);
}

void DuctElementForm::shape_changed()
{
    derive_shape(working_.shape);
    bind_shape();
}

void DuctElementForm::choose_shape(std::int16_t shape)
{
    if (shape < kDuctCircle || shape > kDuctOtherShape) return;
    working_.shape.shape = shape;
    shape_changed();
}

std::string_view DuctElementForm::first_label() const { return shape_first_dimension(shape()).label; }
std::string_view DuctElementForm::second_label() const { return shape_second_dimension(shape()).label; }
bool DuctElementForm::second_enabled() const { return shape_second_dimension(shape()).enabled; }

bool DuctElementForm::leave_first(std::string_view text)
{
    if (!first_->validate(text)) return false;
    shape_changed();
    return true;
}

bool DuctElementForm::leave_second(std::string_view text)
{
    if (!second_enabled() || !second_->validate(text)) return false;
    shape_changed();
    return true;
}

bool DuctElementForm::select_first_unit(int index)
{
    if (!first_unit_->select(index)) return false;
    bind_shape();
    return true;
}

bool DuctElementForm::select_second_unit(int index)
{
    if (!second_unit_->select(index)) return false;
    bind_shape();
    return true;
}

void DuctElementForm::choose_leakage_units(std::int16_t system)
{
    set_leakage_units(working_.shape, system);
    class_value_ = working_.shape.leak_class;
    bind_leakage();
}

bool DuctElementForm::leave_leakage_rate(std::string_view text)
{
    if (!rate_->validate(text)) return false;
    update_leakage_class(working_.shape);
    class_value_ = working_.shape.leak_class;
    class_->refresh();
    return true;
}

bool DuctElementForm::leave_leakage_pressure(std::string_view text)
{
    if (!pressure_->validate(text)) return false;
    update_leakage_class(working_.shape);
    class_value_ = working_.shape.leak_class;
    class_->refresh();
    return true;
}

bool DuctElementForm::leave_leakage_class(std::string_view text)
{
    if (!class_->validate(text)) return false;
    set_leakage_class(working_.shape, class_value_);
    rate_->refresh();
    pressure_->refresh();
    return true;
}

ElementVerdict DuctElementForm::accept(NamedList<DuctElement>& list, DuctElement* stored)
{
    // The constructor has reported the unknown type.
    if (!model_page_) return {false, ERROR, {}, "type"};
    DuctElement copy = working_;
    DuctAcceptOutcome outcome = accept_duct_element(list, copy, stored);
    if (!outcome.record) return outcome.verdict;
    working_ = copy;
    stored_ = outcome.record;
    return outcome.verdict;
}

std::vector<DuctChooserGroup> duct_chooser_groups()
{
    std::vector<DuctChooserGroup> groups;
    for (const DuctGroup& g : duct_groups()) {
        DuctChooserGroup group{g.title, {}};
        for (int type : g.types) group.buttons.push_back({type, duct_button_text(type)});
        groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace avelor
