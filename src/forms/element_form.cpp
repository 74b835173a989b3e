#include "forms/element_form.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <variant>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

namespace {

std::string trim_blanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

// Adds the rows of one parameter record, bound to the form's working copy.
template <class D>
class ElementRowBuilder {
public:
    using Row = ElementForm::Row;

    ElementRowBuilder(ElementForm& form, D& data, int type) : form_(form), data_(data), type_(type) {}

    // A value of the type's parameter table, with its unit box when the
    // record keeps a unit for it.
    void param(std::string label, std::string_view name)
    {
        const ParamField<D>* found = nullptr;
        for (const ParamField<D>& f : param_fields<D>(type_))
            if (f.name == name) found = &f;
        if (!found) report_fatal({"No parameter ", std::string(name), " in this element type"});
        Row row;
        row.info = {std::move(label), found->unit ? ElementRowKind::UnitValue : ElementRowKind::Plain,
                    std::string(name), true};
        row.value = &(data_.*(found->value));
        row.unit = found->unit ? &(data_.*(found->unit)) : nullptr;
        row.low = found->low;
        row.high = found->high;
        D* d = &data_;
        if (found->low_of) row.low_of = [fn = found->low_of, d] { return fn(*d); };
        if (found->high_of) row.high_of = [fn = found->high_of, d] { return fn(*d); };
        add(std::move(row), found->kind);
    }

    // A value shown but not edited: derived on OK, or fixed for the type.
    void shown(std::string label, std::string key, float D::*value, ElementRowKind kind,
               UnitKind unit_kind = UnitKind::Dimensionless, std::int16_t D::*unit = nullptr)
    {
        Row row;
        row.info = {std::move(label), kind, std::move(key), false};
        row.value = &(data_.*value);
        row.unit = unit ? &(data_.*unit) : nullptr;
        add(std::move(row), unit_kind);
    }
    void fixed(std::string label, std::string key, float D::*value)
    {
        shown(std::move(label), std::move(key), value, ElementRowKind::Plain);
    }
    void derived(std::string label, std::string key, float D::*value,
                 UnitKind unit_kind = UnitKind::Dimensionless, std::int16_t D::*unit = nullptr)
    {
        shown(std::move(label), std::move(key), value, ElementRowKind::Derived, unit_kind, unit);
    }

    void integer(std::string label, std::string key, std::int16_t D::*value, float low)
    {
        Row row;
        row.info = {std::move(label), ElementRowKind::Integer, std::move(key), true};
        row.integer = &(data_.*value);
        row.int_low = low;
        form_.rows_.push_back(std::move(row));
    }

    void check(std::string label, std::string key, std::int16_t D::*value)
    {
        Row row;
        row.info = {std::move(label), ElementRowKind::Check, std::move(key), true};
        row.integer = &(data_.*value);
        form_.rows_.push_back(std::move(row));
    }

private:
    void add(Row row, UnitKind kind)
    {
        form_.bind_field(row, kind);
        form_.rows_.push_back(std::move(row));
    }

    ElementForm& form_;
    D& data_;
    int type_;
};

namespace {

constexpr const char* kExponent = "Flow Exponent:";
constexpr const char* kDischarge = "Discharge Coefficient:";

const char* leakage_key(int type)
{
    return type == kPlrLeak2 ? "area2" : type == kPlrLeak3 ? "area3" : "area1";
}

void build(ElementRowBuilder<OrificeData>& b, OrificeData&, int)
{
    b.param(kExponent, "expt");
    b.param("Cross-sectional Area:", "area");
    b.param("Hydraulic Diameter:", "dia");
    b.param(kDischarge, "coef");
    b.param("Transition Reynolds Number:", "Re");
}

void build(ElementRowBuilder<LeakageData>& b, LeakageData&, int type)
{
    b.param(kExponent, "expt");
    b.param(kDischarge, "coef");
    b.param("Reference Pressure Difference:", "pres");
    b.param("Leakage Area:", leakage_key(type));
}

void build(ElementRowBuilder<ConnectionData>& b, ConnectionData&, int)
{
    b.fixed(kExponent, "expt", &ConnectionData::expt);
    b.param("Flow Area:", "area");
    b.param("Flow Coefficient:", "coef");
}

void build(ElementRowBuilder<PowerLawData>& b, PowerLawData&, int type)
{
    b.param(type == kPlrQcn ? "Flow Coefficient C (m3/s/Pa^n):" : "Flow Coefficient C (kg/s/Pa^n):",
            "coef");
    b.param(kExponent, "expt");
}

void build(ElementRowBuilder<TestPoint1Data>& b, TestPoint1Data&, int)
{
    b.param(kExponent, "expt");
    b.param("Pressure Difference:", "dP");
    b.param("Flow Rate:", "Flow");
}

void build(ElementRowBuilder<TestPoints2Data>& b, TestPoints2Data&, int)
{
    b.derived(kExponent, "expt", &TestPoints2Data::expt);
    b.param("Pressure Difference 1:", "dP1");
    b.param("Flow Rate 1:", "F1");
    b.param("Pressure Difference 2:", "dP2");
    b.param("Flow Rate 2:", "F2");
}

void build(ElementRowBuilder<CrackData>& b, CrackData&, int)
{
    b.derived(kExponent, "expt", &CrackData::expt);
    b.param("Crack Length:", "length");
    b.param("Crack Width:", "width");
}

void build(ElementRowBuilder<StairData>& b, StairData&, int)
{
    b.fixed(kExponent, "expt", &StairData::expt);
    b.param("Distance Between Levels:", "Ht");
    b.param("Cross-sectional Area:", "Area");
    b.param("Density of People (persons/m2):", "peo");
    b.check("Open Treads", "tread", &StairData::tread);
}

void build(ElementRowBuilder<ShaftData>& b, ShaftData&, int)
{
    b.derived(kExponent, "expt", &ShaftData::expt);
    b.param("Distance Between Levels:", "Ht");
    b.param("Cross-sectional Area:", "area");
    b.param("Perimeter:", "perim");
    b.param("Roughness:", "rough");
}

void build(ElementRowBuilder<BackdraftData>& b, BackdraftData&, int type)
{
    const bool volume = type == kPlrBdq;
    b.param(volume ? "Coefficient for dP > 0 (m3/s/Pa^n):" : "Coefficient for dP > 0 (kg/s/Pa^n):", "Cp");
    b.param("Exponent for dP > 0:", "xp");
    b.param(volume ? "Coefficient for dP < 0 (m3/s/Pa^n):" : "Coefficient for dP < 0 (kg/s/Pa^n):", "Cn");
    b.param("Exponent for dP < 0:", "xn");
}

void build(ElementRowBuilder<VentData>& b, VentData&, int)
{
    b.param("Maximum Flow Rate:", "Qo");
    b.param("Regulating Pressure:", "dPo");
    b.param("Reverse Flow Fraction:", "rf");
}

void build(ElementRowBuilder<QuadraticData>& b, QuadraticData&, int)
{
    b.param("Coefficient a:", "a");
    b.param("Coefficient b:", "b");
}

void build(ElementRowBuilder<QuadCrackData>& b, QuadCrackData&, int)
{
    b.derived("Coefficient a:", "a", &QuadCrackData::a);
    b.derived("Coefficient b:", "b", &QuadCrackData::b);
    b.param("Crack Length:", "length");
    b.param("Crack Width:", "width");
    b.param("Crack Depth:", "depth");
    b.integer("Number of Bends:", "nB", &QuadCrackData::nB, 0);
}

void build(ElementRowBuilder<QuadTestData>& b, QuadTestData&, int)
{
    b.derived("Coefficient a:", "a", &QuadTestData::a);
    b.derived("Coefficient b:", "b", &QuadTestData::b);
    b.param("Pressure Difference 1:", "dP1");
    b.param("Flow Rate 1:", "F1");
    b.param("Pressure Difference 2:", "dP2");
    b.param("Flow Rate 2:", "F2");
}

void build(ElementRowBuilder<DoorData>& b, DoorData&, int)
{
    b.fixed(kExponent, "expt", &DoorData::expt);
    b.param("Height:", "ht");
    b.param("Width:", "wd");
    b.param(kDischarge, "cd");
}

void build(ElementRowBuilder<TwoOpeningData>& b, TwoOpeningData&, int)
{
    b.fixed(kExponent, "expt", &TwoOpeningData::expt);
    b.derived("Distance Above/Below Midpoint:", "hmid", &TwoOpeningData::hmid, UnitKind::Length,
              &TwoOpeningData::u_H);
    b.param("Height:", "ht");
    b.param("Width:", "wd");
    b.param(kDischarge, "cd");
}

void build(ElementRowBuilder<ConstantFlowData>& b, ConstantFlowData&, int)
{
    b.param("Design Flow Rate:", "Flow");
}

void build(ElementRowBuilder<FanData>& b, FanData&, int)
{
    b.param("Equivalent Orifice Area:", "area");
    b.param("Cut-off Ratio:", "off");
    b.derived("Free Delivery Flow:", "fdf", &FanData::fdf, UnitKind::MassFlow);
    b.derived("Shut-off Pressure:", "sop", &FanData::sop, UnitKind::PressureDifference);
}

// The spline and super element records have dialogs of their own.
void build(ElementRowBuilder<SplineData>&, SplineData&, int) {}
void build(ElementRowBuilder<SuperData>&, SuperData&, int) {}

}  // namespace

ElementForm::ElementForm(const AirflowElement& element, const NewElementContext& context)
    : working_(element)
{
    working_.next = nullptr;
    if (!data_fits_type(working_)) report_fatal({"Invalid element type ", std::to_string(working_.type)});
    if (!is_element_icon_for(working_.type, working_.icon)) working_.icon = small_icon();
    std::visit(
        [&](auto& d) {
            using D = std::decay_t<decltype(d)>;
            ElementRowBuilder<D> builder(*this, d, working_.type);
            build(builder, d, working_.type);
        },
        working_.data);

    fan_flow_unit_ = context.uf;
    fan_pressure_unit_ = context.ip_units ? 1 : 0;
    if (const auto* fan = std::get_if<FanData>(&working_.data); fan && !fan->points.empty()) {
        fan_flow_unit_ = fan->points.front().u_F;
        fan_pressure_unit_ = fan->points.front().u_P;
    }
    if (!unit_index_valid(UnitKind::MassFlow, fan_flow_unit_)) fan_flow_unit_ = 0;
    if (!unit_index_valid(UnitKind::PressureDifference, fan_pressure_unit_)) fan_pressure_unit_ = 0;
}

void ElementForm::bind_field(Row& row, UnitKind kind)
{
    // A unit index a file left out of range is shown in the base unit.
    if (row.unit && !unit_index_valid(kind, *row.unit)) *row.unit = 0;
    const int unit = row.unit ? *row.unit : 0;
    const float low = row.low_of ? row.low_of() : row.low;
    const float high = row.high_of ? row.high_of() : row.high;
    row.field.emplace(*row.value, kind, unit, low, high);
    if (row.info.kind == ElementRowKind::UnitValue) row.selector.emplace(kind, *row.value, *row.unit);
}

ElementForm::Row& ElementForm::at(std::size_t i)
{
    if (i >= rows_.size()) report_fatal({"Element form row out of range"});
    return rows_[i];
}

const ElementForm::Row& ElementForm::at(std::size_t i) const
{
    if (i >= rows_.size()) report_fatal({"Element form row out of range"});
    return rows_[i];
}

void ElementForm::set_description(std::string_view text)
{
    working_.desc = typed_description(text);
}

std::uint8_t ElementForm::small_icon() const
{
    return is_two_way_type(working_.type) ? kIconSmallTwoWay : kIconSmallOpening;
}

std::uint8_t ElementForm::large_icon() const
{
    return is_two_way_type(working_.type) ? kIconLargeTwoWay : kIconLargeOpening;
}

void ElementForm::choose_large_icon(bool large) { working_.icon = large ? large_icon() : small_icon(); }

std::optional<std::size_t> ElementForm::row_of(std::string_view key) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].info.key == key) return i;
    return std::nullopt;
}

const UnitField& ElementForm::field(std::size_t i) const
{
    const Row& row = at(i);
    if (!row.field) report_fatal({"Element form row without a value field"});
    return *row.field;
}

const UnitSelector* ElementForm::selector(std::size_t i) const
{
    const Row& row = at(i);
    return row.selector ? &*row.selector : nullptr;
}

bool ElementForm::leave_field(std::size_t i, std::string_view text)
{
    Row& row = at(i);
    if (!row.field || !row.info.editable) return false;
    // Bounds that follow other values are taken as they are now.
    if (row.low_of || row.high_of) bind_field(row, row.field->kind());
    if (!row.field->validate(text)) return false;
    follow(row);
    return true;
}

// The fields that follow a field just accepted.
void ElementForm::follow(const Row& changed)
{
    auto* orifice = std::get_if<OrificeData>(&working_.data);
    if (!orifice) return;
    const char* other = nullptr;
    if (changed.info.key == "area") {
        orifice_set_area(*orifice, orifice->area);
        other = "dia";
    } else if (changed.info.key == "dia") {
        orifice_set_diameter(*orifice, orifice->dia);
        other = "area";
    }
    if (other)
        if (auto j = row_of(other)) rows_[*j].field->refresh();
}

bool ElementForm::select_unit(std::size_t i, int index)
{
    Row& row = at(i);
    if (!row.selector) return false;
    if (!row.selector->select(index)) return false;
    row.field->set_unit(row.selector->selected());
    auto* orifice = std::get_if<OrificeData>(&working_.data);
    if (orifice && (row.info.key == "area" || row.info.key == "dia")) {
        // The length and area lists are parallel: both take the same index.
        orifice_set_unit(*orifice, static_cast<std::int16_t>(index));
        for (const char* key : {"area", "dia"}) {
            if (auto j = row_of(key)) {
                Row& r = rows_[*j];
                r.selector->set_kind(r.selector->kind());
                r.field->set_unit(*r.unit);
            }
        }
    }
    // A derived value shown in this unit follows it.
    if (auto* two = std::get_if<TwoOpeningData>(&working_.data); two && row.info.key == "ht")
        if (auto j = row_of("hmid")) rows_[*j].field->set_unit(two->u_H);
    return true;
}

std::string ElementForm::integer_text(std::size_t i) const
{
    const Row& row = at(i);
    if (row.info.kind != ElementRowKind::Integer) report_fatal({"Element form row is not a count"});
    return std::to_string(*row.integer);
}

bool ElementForm::leave_integer(std::size_t i, std::string_view text)
{
    Row& row = at(i);
    if (row.info.kind != ElementRowKind::Integer) return false;
    // Checked as a number field would be, then kept as a whole count.
    float typed = *row.integer;
    UnitField check(typed, UnitKind::Dimensionless, 0, row.int_low,
                    static_cast<float>(std::numeric_limits<std::int16_t>::max()));
    if (!check.validate(text)) return false;
    *row.integer = static_cast<std::int16_t>(std::lround(typed));
    return true;
}

bool ElementForm::checked(std::size_t i) const
{
    const Row& row = at(i);
    return row.info.kind == ElementRowKind::Check && *row.integer != 0;
}

void ElementForm::set_checked(std::size_t i, bool on)
{
    Row& row = at(i);
    if (row.info.kind == ElementRowKind::Check) *row.integer = on ? 1 : 0;
}

void ElementForm::choose_leakage(int leak_type)
{
    if (!is_leakage() || !is_leakage_type(leak_type) || leak_type == working_.type) return;
    leakage_choose_area(working_, leak_type);
    bind_leakage_area();
}

// The area row shows the area of the current leakage type.
void ElementForm::bind_leakage_area()
{
    auto& d = std::get<LeakageData>(working_.data);
    std::optional<std::size_t> j;
    for (const char* key : {"area1", "area2", "area3"})
        if (!j) j = row_of(key);
    if (!j) return;
    Row& row = rows_[*j];
    struct Area {
        float* value;
        std::int16_t* unit;
        UnitKind kind;
    };
    const Area areas[] = {{&d.area1, &d.u_A1, UnitKind::Area},
                          {&d.area2, &d.u_A2, UnitKind::PerUnitLength},
                          {&d.area3, &d.u_A3, UnitKind::PerUnitArea}};
    const Area& a = areas[working_.type - kPlrLeak1];
    row.info.key = leakage_key(working_.type);
    row.value = a.value;
    row.unit = a.unit;
    bind_field(row, a.kind);
}

FanData& ElementForm::fan()
{
    auto* fan = std::get_if<FanData>(&working_.data);
    if (!fan) report_fatal({"Element form without fan data"});
    return *fan;
}

void ElementForm::refresh()
{
    for (Row& row : rows_) {
        if (row.field) row.field->refresh();
        if (row.selector) row.selector->set_kind(row.selector->kind());
    }
}

ElementVerdict ElementForm::finish(AcceptOutcome outcome)
{
    stored_ = outcome.record;
    // The derived values of an accepted copy are shown anew.
    refresh();
    return std::move(outcome.verdict);
}

ElementVerdict ElementForm::accept(Project& project, AirflowElement* stored)
{
    return finish(accept_element(project, working_, stored));
}

ElementVerdict ElementForm::accept(NamedList<AirflowElement>& list, AirflowElement* stored)
{
    return finish(accept_element(list, working_, stored));
}

std::vector<std::string> element_parameter_lines(const AirflowElement& element)
{
    std::vector<std::string> lines;
    if (const auto* spline = std::get_if<SplineData>(&element.data)) {
        lines.push_back("Data points: " + std::to_string(spline->size()));
        return lines;
    }
    if (const auto* super = std::get_if<SuperData>(&element.data)) {
        lines.push_back("Sub-elements: " + std::to_string(super->subs.size()));
        return lines;
    }
    if (!ElementForm::handles(element.type)) return lines;
    ElementForm form(element);
    for (std::size_t i = 0; i < form.row_count(); ++i) {
        const ElementRow& row = form.row(i);
        std::string line = row.label + " ";
        switch (row.kind) {
        case ElementRowKind::Integer: line += form.integer_text(i); break;
        case ElementRowKind::Check: line += form.checked(i) ? "Yes" : "No"; break;
        case ElementRowKind::UnitValue:
            line += trim_blanks(form.field(i).shown_text());
            if (const UnitSelector* selector = form.selector(i)) line += " " + selector->label();
            break;
        default: line += trim_blanks(form.field(i).shown_text()); break;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace avelor
