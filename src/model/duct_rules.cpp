#include "model/duct_rules.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "model/airflow_rules.h"
#include "model/curve_fit.h"
#include "model/project.h"
#include "model/units.h"

namespace avelor {

namespace {

constexpr float kOpen = NO_LIMIT;

ElementVerdict refuse(int severity, std::string text, std::string field)
{
    show_message(severity, {text});
    return {false, severity, std::move(text), std::move(field)};
}

const ParamField<DarcyData> kDarcyFields[] = {
    {"rough", &DarcyData::rough, &DarcyData::u_R, UnitKind::Length, 0, kOpen},
};

const ParamField<DuctOrificeData> kOrificeFields[] = {
    {"expt", &DuctOrificeData::expt, nullptr, UnitKind::Dimensionless, 0.5f, 1},
    {"area", &DuctOrificeData::area, &DuctOrificeData::u_A, UnitKind::Area, 1e-5f, kOpen},
    {"dia", &DuctOrificeData::dia, &DuctOrificeData::u_D, UnitKind::Length, 1e-5f, kOpen},
    {"coef", &DuctOrificeData::coef, nullptr, UnitKind::Dimensionless, 0.1f, 1},
};

// The entered dimensions of each shape, then the leakage values.
const ParamField<DuctShape> kCircleFields[] = {
    {"Dh", &DuctShape::Dh, &DuctShape::u_Dh, UnitKind::Length, kMinDuctDimension, kOpen},
};
const ParamField<DuctShape> kSidesFields[] = {
    {"width", &DuctShape::width, &DuctShape::u_W, UnitKind::Length, kMinDuctDimension, kOpen},
    {"height", &DuctShape::height, &DuctShape::u_H, UnitKind::Length, kMinDuctDimension, kOpen},
};
const ParamField<DuctShape> kOtherFields[] = {
    {"perim", &DuctShape::perim, &DuctShape::u_P, UnitKind::Length, kMinDuctDimension, kOpen},
    {"area", &DuctShape::area, &DuctShape::u_A, UnitKind::Area, kMinDuctDimension, kOpen},
};
const ParamField<DuctShape> kLeakageFields[] = {
    {"leak_rate", &DuctShape::leak_rate, &DuctShape::leak_units, UnitKind::DuctLeakage, 0, kOpen},
    {"leak_dP", &DuctShape::leak_dP, &DuctShape::u_dP, UnitKind::PressureDifference, kMinLeakagePressure, kOpen},
};

std::span<const ParamField<DuctShape>> shape_fields(std::int16_t shape)
{
    switch (shape) {
    case kDuctCircle: return kCircleFields;
    case kDuctRectangle:
    case kDuctOval: return kSidesFields;
    default: return kOtherFields;
    }
}

ElementVerdict check_shape(const DuctShape& s)
{
    if (s.shape < kDuctCircle || s.shape > kDuctOtherShape)
        return refuse(ERROR, "Invalid duct shape " + std::to_string(s.shape), "shape");
    if (ElementVerdict v = check_field_bounds(s, shape_fields(s.shape)); !v) return v;
    // An oval narrower than it is high would have a negative area.
    if (s.shape == kDuctOval && s.width < s.height)
        return refuse(WARNING, "The major dimension must not be less than the minor dimension.", "height");
    return check_field_bounds(s, std::span<const ParamField<DuctShape>>(kLeakageFields));
}

bool finite_floats(std::initializer_list<float> values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

ElementVerdict out_of_range() { return refuse(WARNING, "The derived coefficients are out of range.", ""); }

// The duct types that share an airflow type's record derive as it does.
template <class D>
ElementVerdict derive_as_airflow(D& data, int duct_type, const std::string& name)
{
    AirflowElement twin;
    twin.type = static_cast<std::int16_t>(airflow_counterpart(duct_type));
    twin.name = name;
    twin.data = data;
    ElementVerdict verdict = derive_element(twin);
    if (verdict) data = std::get<D>(twin.data);
    return verdict;
}

ElementVerdict derive_type(DarcyData& d, const DuctElement& e)
{
    if (ElementVerdict v = check_field_bounds(d, duct_param_fields<DarcyData>(e.type)); !v) return v;
    d.Dh = e.shape.Dh;
    d.area = e.shape.area;
    d.rel_rough = d.rough / e.shape.Dh;
    return {};
}

ElementVerdict derive_type(DuctOrificeData& d, const DuctElement& e)
{
    if (ElementVerdict v = check_field_bounds(d, duct_param_fields<DuctOrificeData>(e.type)); !v) return v;
    const float turb = static_cast<float>(d.coef * 1.4142135 * d.area);
    const float lam = laminar_coefficient(turb, d.expt, d.area, d.dia, 30, kPowerlawCoefficient);
    if (!finite_floats({turb, lam})) return out_of_range();
    d.turb = turb;
    d.lam = lam;
    return {};
}

ElementVerdict derive_type(FanData& d, const DuctElement& e)
{
    if (ElementVerdict v = check_field_bounds(d, duct_param_fields<FanData>(e.type)); !v) return v;
    // The model page has seen to the points and the fit.
    return derive_fan_off_coefficients(d);
}

template <class D>
ElementVerdict derive_type(D& d, const DuctElement& e)
{
    return derive_as_airflow(d, e.type, e.name);
}

std::string shown(float value, UnitKind kind, int unit)
{
    const int u = unit_index_valid(kind, unit) ? unit : 0;
    TextWriter t;
    t.printf("%g %s", convert_units(value, true, kind, u), unit_plain_name(kind, u).c_str());
    return t.take();
}

std::string plain(float value)
{
    TextWriter t;
    t.printf("%g", value);
    return t.take();
}

}  // namespace

template <class D>
std::span<const ParamField<D>> duct_param_fields(int type)
{
    if constexpr (std::is_same_v<D, DarcyData>)
        return kDarcyFields;
    else if constexpr (std::is_same_v<D, DuctOrificeData>)
        return kOrificeFields;
    else
        return param_fields<D>(airflow_counterpart(type));
}

template std::span<const ParamField<DarcyData>> duct_param_fields<DarcyData>(int);
template std::span<const ParamField<DuctOrificeData>> duct_param_fields<DuctOrificeData>(int);
template std::span<const ParamField<PowerLawData>> duct_param_fields<PowerLawData>(int);
template std::span<const ParamField<FanData>> duct_param_fields<FanData>(int);
template std::span<const ParamField<ConstantFlowData>> duct_param_fields<ConstantFlowData>(int);
template std::span<const ParamField<BackdraftData>> duct_param_fields<BackdraftData>(int);
template std::span<const ParamField<SplineData>> duct_param_fields<SplineData>(int);

ShapeDimension shape_first_dimension(std::int16_t shape)
{
    switch (shape) {
    case kDuctCircle: return {"Diameter:", &DuctShape::Dh, &DuctShape::u_Dh, UnitKind::Length, true};
    case kDuctRectangle: return {"Width:", &DuctShape::width, &DuctShape::u_W, UnitKind::Length, true};
    case kDuctOval: return {"Major dimension:", &DuctShape::width, &DuctShape::u_W, UnitKind::Length, true};
    default: return {"Perimeter:", &DuctShape::perim, &DuctShape::u_P, UnitKind::Length, true};
    }
}

ShapeDimension shape_second_dimension(std::int16_t shape)
{
    switch (shape) {
    case kDuctCircle: return {"Height:", &DuctShape::height, &DuctShape::u_H, UnitKind::Length, false};
    case kDuctRectangle: return {"Height:", &DuctShape::height, &DuctShape::u_H, UnitKind::Length, true};
    case kDuctOval: return {"Minor dimension:", &DuctShape::height, &DuctShape::u_H, UnitKind::Length, true};
    default: return {"Flow area:", &DuctShape::area, &DuctShape::u_A, UnitKind::Area, true};
    }
}

ElementVerdict check_duct_name(const NamedList<DuctElement>& list, std::string_view name,
                               std::string_view old_name)
{
    if (name.empty() || name.front() == ' ')
        return refuse(WARNING,
                      "Empty element name or leading blank in name not permitted.\n"
                      "You can either enter a valid name or CANCEL.",
                      "name");
    if (check_new_name(list, name, old_name) != 0) return {false, WARNING, {}, "name"};
    return {};
}

ElementVerdict leave_duct_model_page(const NamedList<DuctElement>& list, const DuctElement& copy,
                                     std::string_view old_name)
{
    if (ElementVerdict v = check_duct_name(list, copy.name, old_name); !v) return v;
    if (copy.type != kDctFan) return {};
    const auto* fan = std::get_if<FanData>(&copy.data);
    bool fitted = false;
    if (fan && fan->points.size() > 3) {
        std::vector<float> F, P;
        for (const FanPoint& p : fan->points) {
            F.push_back(p.F);
            P.push_back(p.rP);
        }
        fitted = poly_fit(F, P, 3).has_value();
    }
    if (!fitted) return refuse(ERROR, "Valid fan data and curve fit are required.", "points");
    return {};
}

ElementVerdict derive_duct_element(DuctElement& element)
{
    if (!data_fits_type(element)) {
        report_error(ERROR, {"Invalid duct element type ", std::to_string(element.type)});
        return {false, ERROR, {}, "type"};
    }
    DuctElement work = element;
    derive_shape(work.shape);
    if (ElementVerdict v = check_shape(work.shape); !v) return v;
    if (!finite_floats({work.shape.Dh, work.shape.perim, work.shape.area}) || !(work.shape.Dh > 0))
        return out_of_range();
    update_leakage_class(work.shape);
    ElementVerdict verdict = std::visit([&](auto& d) { return derive_type(d, work); }, work.data);
    if (verdict) element = std::move(work);
    return verdict;
}

DuctAcceptOutcome accept_duct_element(NamedList<DuctElement>& list, DuctElement& copy, DuctElement* stored)
{
    const std::string old_name = stored ? stored->name : std::string();
    if (ElementVerdict v = check_duct_name(list, copy.name, old_name); !v) return {std::move(v)};
    ElementVerdict verdict = derive_duct_element(copy);
    if (!verdict) return {std::move(verdict)};
    copy.desc = clean_description(copy.desc);
    DuctElement* record = stored ? list.replace_record(stored, copy) : list.insert_copy(copy);
    return {std::move(verdict), record};
}

void duct_orifice_set_area(DuctOrificeData& orifice, float area)
{
    orifice.area = area;
    orifice.dia = static_cast<float>(std::sqrt(4.0 * area / 3.1415927));
}

void duct_orifice_set_diameter(DuctOrificeData& orifice, float diameter)
{
    orifice.dia = diameter;
    orifice.area = static_cast<float>(static_cast<double>(diameter) * diameter * 0.785398175);
}

void duct_orifice_set_unit(DuctOrificeData& orifice, std::int16_t index) { orifice.u_A = orifice.u_D = index; }

int duct_chooser_preselection(const DuctElement* edited, const DuctChooserState& state)
{
    if (edited && is_duct_type(edited->type)) return edited->type;
    return is_duct_type(state.last_choice) ? state.last_choice : kDctDwc;
}

bool check_segment_element(const DuctElement* element, float len, float sllc)
{
    if (!element) {
        show_message(WARNING, {"A Name must be selected. You can do one of the following:\n"
                               "1) Select from the Name drop-down list,\n"
                               "2) Create a new element by clicking the 'New Element' button, or\n"
                               "3) CANCEL"});
        return false;
    }
    if (element->type == kDctDwc && !(len > 0) && !(sllc > 0)) {
        show_message(WARNING, {"Darcy-Colebrook duct elements require that you set either the Length or\n"
                               "the Sum of Loss Coefficients ofthe duct segment to be greater than 0.0."});
        return false;
    }
    return true;
}

bool delete_duct_element(Project& project, std::string_view name)
{
    DuctElement* record = project.duct_elements.find_by_name(name);
    if (!record) return false;
    const std::vector<std::string> users = users_of(project, *record);
    if (!users.empty()) {
        show_message(WARNING, {in_use_message(record->name, users)});
        return false;
    }
    project.duct_elements.remove_record(record);
    project.mark_changed();
    return true;
}

std::vector<std::string> duct_summary_lines(const DuctElement& e)
{
    std::vector<std::string> lines;
    lines.emplace_back(duct_caption(e.type));
    std::visit(
        [&](const auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, SplineData>) {
                lines.push_back("Data points: " + std::to_string(d.size()));
            } else {
                for (const ParamField<D>& f : duct_param_fields<D>(e.type)) {
                    const float v = d.*(f.value);
                    lines.push_back(std::string(f.name) + ": " +
                                    (f.unit ? shown(v, f.kind, d.*(f.unit)) : plain(v)));
                }
                if constexpr (std::is_same_v<D, FanData>)
                    lines.push_back("Data points: " + std::to_string(d.points.size()));
            }
        },
        e.data);
    const DuctShape& s = e.shape;
    static constexpr const char* kShapes[] = {"Circle", "Rectangle", "Oval", "Other"};
    const std::int16_t shape = std::clamp<std::int16_t>(s.shape, kDuctCircle, kDuctOtherShape);
    const ShapeDimension first = shape_first_dimension(shape);
    const ShapeDimension second = shape_second_dimension(shape);
    std::string shape_line = std::string("Shape: ") + kShapes[shape] + ", " + std::string(first.label) + " " +
                             shown(s.*(first.value), first.kind, s.*(first.unit));
    if (second.enabled)
        shape_line += ", " + std::string(second.label) + " " + shown(s.*(second.value), second.kind, s.*(second.unit));
    lines.push_back(std::move(shape_line));
    lines.push_back("Cross-sectional area: " + shown(s.area, UnitKind::Area, s.u_A));
    lines.push_back("Hydraulic diameter: " + shown(s.Dh, UnitKind::Length, s.u_Dh));
    lines.push_back("Leakage: " + shown(s.leak_rate, UnitKind::DuctLeakage, s.leak_units) + " at " +
                    shown(s.leak_dP, UnitKind::PressureDifference, s.u_dP) + ", class " +
                    plain(leakage_class_of(s)));
    return lines;
}

}  // namespace avelor
