#include "prjfile/airflow_section.h"

#include <cmath>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/airflow_rules.h"
#include "model/duct_element.h"
#include "model/units.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

// A super element's sub-elements each become a path; their count is kept
// within what a 16-bit count can hold.
constexpr std::int32_t kMaxSubElements = 32767;

std::string number_text(std::int32_t n) { return std::to_string(n); }

// The door's unseen fourth value has a unit index 0 or 1, as a temperature
// difference has.
constexpr UnitKind kDoorFourthKind = UnitKind::TemperatureDifference;

void write_data(TextWriter& out, const OrificeData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %d %d\n", d.lam, d.turb, d.expt, d.area, d.dia, d.coef, d.Re,
               d.u_A, d.u_D);
}

void write_data(TextWriter& out, const LeakageData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %g %d %d %d %d\n", d.lam, d.turb, d.expt, d.coef, d.pres,
               d.area1, d.area2, d.area3, d.u_A1, d.u_A2, d.u_A3, d.u_dP);
}

void write_data(TextWriter& out, const ConnectionData& d, int)
{
    out.printf(" %g %g %g %g %g %d\n", d.lam, d.turb, d.expt, d.area, d.coef, d.u_A);
}

void write_data(TextWriter& out, const PowerLawData& d, int)
{
    out.printf(" %g %g %g\n", d.lam, d.coef, d.expt);
}

void write_data(TextWriter& out, const TestPoint1Data& d, int)
{
    out.printf(" %g %g %g %g %g %d %d\n", d.lam, d.turb, d.expt, d.dP, d.Flow, d.u_P, d.u_F);
}

void write_data(TextWriter& out, const TestPoints2Data& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %d %d %d %d\n", d.lam, d.turb, d.expt, d.dP1, d.F1, d.dP2,
               d.F2, d.u_P1, d.u_F1, d.u_P2, d.u_F2);
}

void write_data(TextWriter& out, const CrackData& d, int)
{
    out.printf(" %g %g %g %g %g %d %d\n", d.lam, d.turb, d.expt, d.length, d.width, d.u_L, d.u_W);
}

void write_data(TextWriter& out, const StairData& d, int)
{
    out.printf(" %g %g %g %g %g %g %d %d %d\n", d.lam, d.turb, d.expt, d.Ht, d.Area, d.peo, d.tread,
               d.u_A, d.u_D);
}

void write_data(TextWriter& out, const ShaftData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %d %d %d %d\n", d.lam, d.turb, d.expt, d.Ht, d.area, d.perim,
               d.rough, d.u_A, d.u_D, d.u_P, d.u_R);
}

void write_data(TextWriter& out, const BackdraftData& d, int)
{
    out.printf(" %g %g %g %g %g\n", d.lam, d.Cp, d.xp, d.Cn, d.xn);
}

void write_data(TextWriter& out, const VentData& d, int)
{
    out.printf(" %g %g %g %d %d\n", d.Qo, d.dPo, d.rf, d.u_Q, d.u_P);
}

void write_data(TextWriter& out, const QuadraticData& d, int) { out.printf(" %g %g\n", d.a, d.b); }

void write_data(TextWriter& out, const QuadCrackData& d, int)
{
    out.printf(" %g %g %g %g %g %d %d %d %d\n", d.a, d.b, d.length, d.width, d.depth, d.nB, d.u_L,
               d.u_W, d.u_D);
}

void write_data(TextWriter& out, const QuadTestData& d, int)
{
    out.printf(" %g %g %g %g %g %g %d %d %d %d\n", d.a, d.b, d.dP1, d.F1, d.dP2, d.F2, d.u_P1, d.u_F1,
               d.u_P2, d.u_F2);
}

void write_data(TextWriter& out, const DoorData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %d %d %d\n", d.lam, d.turb, d.expt, d.dTmin, d.ht, d.wd, d.cd,
               d.u_T, d.u_H, d.u_W);
}

void write_data(TextWriter& out, const TwoOpeningData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g %d %d\n", d.lam, d.turb, d.expt, d.hmid, d.ht, d.wd, d.cd,
               d.u_H, d.u_W);
}

void write_data(TextWriter& out, const ConstantFlowData& d, int)
{
    out.printf(" %g %d\n", d.Flow, d.u_F);
}

void write_data(TextWriter& out, const FanData& d, int)
{
    out.printf(" %g %g %g %g %g %g %g\n", d.lam, d.turb, d.expt, d.rdens, d.fdf, d.sop, d.off);
    out.printf(" %g %g %g %g %d %g %d\n", d.c[0], d.c[1], d.c[2], d.c[3],
               static_cast<int>(d.points.size()), d.area, d.u_A);
    for (const FanPoint& p : d.points)
        out.printf("  %g %d %g %d %g %d\n", p.F, p.u_F, p.dP, p.u_P, p.rP, p.u_R);
}

void write_data(TextWriter& out, const SplineData& d, int)
{
    out.printf(" %d %d %d\n", static_cast<int>(d.size()), d.u_X, d.u_Y);
    for (std::size_t i = 0; i < d.size(); ++i) out.printf("  %g %g\n", d.x[i], d.y[i]);
}

// Elements the sub-elements may name: those of the list being written.
using Members = std::unordered_set<const AirflowElement*>;

int write_super(TextWriter& out, const SuperData& d, std::int32_t nr, const Members& members)
{
    int faults = 0;
    std::int32_t scheduled = 0;
    for (const SubElement& sub : d.subs) {
        if (sub.scheduled && sub.element && members.contains(sub.element)) {
            scheduled = sub.element->nr;
            break;
        }
    }
    out.printf("  %d %d %d\n", static_cast<int>(d.subs.size()), scheduled, d.u_H);
    for (const SubElement& sub : d.subs) {
        std::int32_t sub_nr = 0;
        if (sub.element && members.contains(sub.element)) {
            sub_nr = sub.element->nr;
        } else {
            report_error(ERROR, {"Invalid sub-element number, element ", number_text(nr)});
            faults = 1;
        }
        out.printf("  %d %g %d\n", sub_nr, sub.relHt, sub.filtered);
    }
    return faults;
}

// The reading side: every value in file order, with the checks a value
// needs before anything may trust it.
class ValueReader {
public:
    ValueReader(DataReader& in, std::int32_t nr) : in_(in), nr_(nr) {}

    void read(float& v) { v = in_.read_float(); }
    void read(std::int16_t& v) { v = in_.read_short(); }
    template <class... T>
    void read_all(T&... values)
    {
        (read(values), ...);
    }

    // A unit index outside its kind's list is an error and becomes 0, so it
    // can never reach a conversion.
    void unit(std::int16_t& u, UnitKind kind)
    {
        u = in_.read_short();
        if (unit_index_valid(kind, u)) return;
        report_error(ERROR, {"Invalid unit index, element ", number_text(nr_)});
        u = 0;
    }

    // A count of following lines; false (after an ERROR) when it is outside
    // 0..max.
    bool count(std::int32_t& n, std::int32_t max, const char* message)
    {
        n = in_.read_int();
        if (n >= 0 && n <= max) return true;
        report_error(ERROR, {message, number_text(nr_)});
        return false;
    }

    std::int32_t read_int() { return in_.read_int(); }
    std::int32_t nr() const { return nr_; }

private:
    DataReader& in_;
    std::int32_t nr_;
};

// A super element's sub-element numbers wait until the whole section has
// been read.
struct PendingSuper {
    AirflowElement* record = nullptr;
    std::vector<std::int32_t> numbers;
    std::int32_t scheduled = 0;
};

bool read_data(ValueReader& r, OrificeData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.area, d.dia, d.coef, d.Re);
    r.unit(d.u_A, UnitKind::Area);
    r.unit(d.u_D, UnitKind::Length);
    // The diameter and laminar coefficient follow from the area, whatever
    // the file says; an area that cannot give them is refused.
    if (!(d.area > 0)) {
        report_error(ERROR, {"Invalid orifice area, element ", number_text(r.nr())});
        return true;
    }
    d.dia = static_cast<float>(std::sqrt(d.area * 1.27324));
    d.lam = laminar_coefficient(d.turb, d.expt, d.area, d.dia, d.Re, kPowerlawCoefficient);
    return true;
}

bool read_data(ValueReader& r, LeakageData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.coef, d.pres, d.area1, d.area2, d.area3);
    r.unit(d.u_A1, UnitKind::Area);
    r.unit(d.u_A2, UnitKind::PerUnitLength);
    r.unit(d.u_A3, UnitKind::PerUnitArea);
    r.unit(d.u_dP, UnitKind::Pressure);
    return true;
}

bool read_data(ValueReader& r, ConnectionData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.area, d.coef);
    r.unit(d.u_A, UnitKind::Area);
    return true;
}

bool read_data(ValueReader& r, PowerLawData& d, int)
{
    r.read_all(d.lam, d.coef, d.expt);
    return true;
}

bool read_data(ValueReader& r, TestPoint1Data& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.dP, d.Flow);
    r.unit(d.u_P, UnitKind::PressureDifference);
    r.unit(d.u_F, UnitKind::MassFlow);
    return true;
}

bool read_data(ValueReader& r, TestPoints2Data& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.dP1, d.F1, d.dP2, d.F2);
    r.unit(d.u_P1, UnitKind::PressureDifference);
    r.unit(d.u_F1, UnitKind::MassFlow);
    r.unit(d.u_P2, UnitKind::PressureDifference);
    r.unit(d.u_F2, UnitKind::MassFlow);
    return true;
}

bool read_data(ValueReader& r, CrackData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.length, d.width);
    r.unit(d.u_L, UnitKind::Length);
    r.unit(d.u_W, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, StairData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.Ht, d.Area, d.peo, d.tread);
    r.unit(d.u_A, UnitKind::Area);
    r.unit(d.u_D, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, ShaftData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.Ht, d.area, d.perim, d.rough);
    r.unit(d.u_A, UnitKind::Area);
    r.unit(d.u_D, UnitKind::Length);
    r.unit(d.u_P, UnitKind::Length);
    r.unit(d.u_R, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, BackdraftData& d, int)
{
    r.read_all(d.lam, d.Cp, d.xp, d.Cn, d.xn);
    return true;
}

bool read_data(ValueReader& r, VentData& d, int)
{
    r.read_all(d.Qo, d.dPo, d.rf);
    r.unit(d.u_Q, UnitKind::VolumeFlow);
    r.unit(d.u_P, UnitKind::Pressure);
    return true;
}

bool read_data(ValueReader& r, QuadraticData& d, int)
{
    r.read_all(d.a, d.b);
    return true;
}

bool read_data(ValueReader& r, QuadCrackData& d, int)
{
    r.read_all(d.a, d.b, d.length, d.width, d.depth, d.nB);
    r.unit(d.u_L, UnitKind::Length);
    r.unit(d.u_W, UnitKind::Length);
    r.unit(d.u_D, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, QuadTestData& d, int)
{
    r.read_all(d.a, d.b, d.dP1, d.F1, d.dP2, d.F2);
    r.unit(d.u_P1, UnitKind::PressureDifference);
    r.unit(d.u_F1, UnitKind::MassFlow);
    r.unit(d.u_P2, UnitKind::PressureDifference);
    r.unit(d.u_F2, UnitKind::MassFlow);
    return true;
}

bool read_data(ValueReader& r, DoorData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.dTmin, d.ht, d.wd, d.cd);
    r.unit(d.u_T, kDoorFourthKind);
    r.unit(d.u_H, UnitKind::Length);
    r.unit(d.u_W, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, TwoOpeningData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.hmid, d.ht, d.wd, d.cd);
    r.unit(d.u_H, UnitKind::Length);
    r.unit(d.u_W, UnitKind::Length);
    return true;
}

bool read_data(ValueReader& r, ConstantFlowData& d, int type)
{
    r.read(d.Flow);
    r.unit(d.u_F, type == kFanCvf ? UnitKind::VolumeFlow : UnitKind::MassFlow);
    return true;
}

// The point lines follow their count: a count that cannot be right leaves
// the reader unable to find the next element, so the element ends there.
bool read_data(ValueReader& r, FanData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.rdens, d.fdf, d.sop, d.off);
    r.read_all(d.c[0], d.c[1], d.c[2], d.c[3]);
    std::int32_t points = 0;
    if (!r.count(points, static_cast<std::int32_t>(kMaxFanPoints), "Invalid fan point count, element "))
        return false;
    r.read(d.area);
    r.unit(d.u_A, UnitKind::Area);
    d.points.assign(static_cast<std::size_t>(points), FanPoint{});
    for (FanPoint& p : d.points) {
        r.read(p.F);
        r.unit(p.u_F, UnitKind::MassFlow);
        r.read(p.dP);
        r.unit(p.u_P, UnitKind::PressureDifference);
        r.read(p.rP);
        r.unit(p.u_R, UnitKind::PressureDifference);
    }
    return true;
}

bool read_data(ValueReader& r, SplineData& d, int type)
{
    std::int32_t points = 0;
    if (!r.count(points, static_cast<std::int32_t>(kMaxSplinePoints), "Invalid spline point count, element "))
        return false;
    const SplineKinds kinds = spline_kinds(type);
    r.unit(d.u_X, kinds.x);
    r.unit(d.u_Y, kinds.y);
    d.x.assign(static_cast<std::size_t>(points), 0.0f);
    d.y.assign(static_cast<std::size_t>(points), 0.0f);
    for (std::size_t i = 0; i < d.x.size(); ++i) r.read_all(d.x[i], d.y[i]);
    return true;
}

bool read_super(ValueReader& r, SuperData& d, PendingSuper& pending)
{
    const int errors_before = error_count();
    std::int32_t count = 0;
    if (!r.count(count, kMaxSubElements, "Invalid sub-element count, element ")) return false;
    pending.scheduled = r.read_int();
    r.unit(d.u_H, UnitKind::Length);
    for (std::int32_t i = 0; i < count && error_count() == errors_before; ++i) {
        SubElement sub;
        pending.numbers.push_back(r.read_int());
        r.read_all(sub.relHt, sub.filtered);
        d.subs.push_back(sub);
    }
    return true;
}

// Sub-element numbers become elements once every element is known: each
// must be an element of the section that is not a super element (so never
// the super element itself). Only the first sub-element of the
// schedulable element's number takes the flag, so at most one has it.
void resolve_supers(std::vector<PendingSuper>& pending, const std::vector<AirflowElement*>& by_number)
{
    for (PendingSuper& p : pending) {
        auto& subs = std::get<SuperData>(p.record->data).subs;
        bool scheduled_given = false;
        for (std::size_t i = 0; i < subs.size(); ++i) {
            const std::int32_t n = p.numbers[i];
            AirflowElement* element = n >= 1 && static_cast<std::size_t>(n) <= by_number.size()
                                          ? by_number[static_cast<std::size_t>(n - 1)]
                                          : nullptr;
            if (!element || element->type == kSupAfe) {
                report_error(ERROR, {"Invalid sub-element number, element ", number_text(p.record->nr)});
                continue;
            }
            subs[i].element = element;
            ++element->use_count;
            if (n == p.scheduled && !scheduled_given) {
                subs[i].scheduled = 1;
                scheduled_given = true;
            }
        }
    }
}

// --- duct elements -----------------------------------------------------

void write_duct_data(TextWriter& out, const DarcyData& d, int)
{
    out.printf(" %g %g %d\n", d.rough, d.kept, d.u_R);
}

void write_duct_data(TextWriter& out, const DuctOrificeData& d, int)
{
    out.printf(" %g %g %g %g %g %g %d %d\n", d.lam, d.turb, d.expt, d.area, d.dia, d.coef, d.u_A, d.u_D);
}

template <class D>
void write_duct_data(TextWriter& out, const D& d, int type)
{
    write_data(out, d, airflow_counterpart(type));
}

void write_shape(TextWriter& out, const DuctShape& s)
{
    out.printf(" %g %g %g %g %g %g %g %g\n", s.Dh, s.perim, s.area, s.width, s.height, s.kept, s.leak_rate,
               s.leak_dP);
    out.printf(" %d %d %d %d %d %d %d %d\n", s.shape, s.u_Dh, s.u_P, s.u_A, s.u_W, s.u_H, s.leak_units, s.u_dP);
}

bool read_duct_data(ValueReader& r, DarcyData& d, int)
{
    r.read_all(d.rough, d.kept);
    r.unit(d.u_R, UnitKind::Length);
    return true;
}

bool read_duct_data(ValueReader& r, DuctOrificeData& d, int)
{
    r.read_all(d.lam, d.turb, d.expt, d.area, d.dia, d.coef);
    r.unit(d.u_A, UnitKind::Area);
    r.unit(d.u_D, UnitKind::Length);
    // As for the airflow orifice, the diameter and the laminar coefficient
    // follow from the area.
    if (!(d.area > 0)) {
        report_error(ERROR, {"Invalid orifice area, element ", number_text(r.nr())});
        return true;
    }
    d.dia = static_cast<float>(std::sqrt(d.area * 1.27324));
    d.lam = laminar_coefficient(d.turb, d.expt, d.area, d.dia, 30, kPowerlawCoefficient);
    return true;
}

template <class D>
bool read_duct_data(ValueReader& r, D& d, int type)
{
    return read_data(r, d, airflow_counterpart(type));
}

void read_shape(ValueReader& r, DuctShape& s)
{
    r.read_all(s.Dh, s.perim, s.area, s.width, s.height, s.kept, s.leak_rate, s.leak_dP);
    r.read(s.shape);
    r.unit(s.u_Dh, UnitKind::Length);
    r.unit(s.u_P, UnitKind::Length);
    r.unit(s.u_A, UnitKind::Area);
    r.unit(s.u_W, UnitKind::Length);
    r.unit(s.u_H, UnitKind::Length);
    r.unit(s.leak_units, UnitKind::DuctLeakage);
    r.unit(s.u_dP, UnitKind::PressureDifference);
    // The shape's derived values divide by these.
    if (s.shape < kDuctCircle || s.shape > kDuctOtherShape || !(s.Dh > 0) || !(s.perim > 0) || !(s.area > 0))
        report_error(ERROR, {"Invalid duct shape, element ", number_text(r.nr())});
    update_leakage_class(s);
}

}  // namespace

int write_flow_elements_section(TextWriter& out, NamedList<AirflowElement>& elements)
{
    elements.renumber();
    Members members;
    for (const AirflowElement& e : elements) members.insert(&e);

    int faults = 0;
    out.printf("%d ! flow elements:\n", static_cast<int>(elements.count()));
    for (AirflowElement& e : elements) {
        if (!data_fits_type(e)) report_fatal({"Invalid element type ", number_text(e.type)});
        out.printf("%d %u %s %s\n", static_cast<int>(e.nr), static_cast<unsigned>(e.icon),
                   std::string(element_keyword(e.type)).c_str(), e.name.c_str());
        out.printf("%s\n", description_to_line(e.desc).c_str());
        std::visit(
            [&](const auto& d) {
                using D = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<D, SuperData>)
                    faults |= write_super(out, d, e.nr, members);
                else
                    write_data(out, d, e.type);
            },
            e.data);
    }
    out.printf("%d\n", kSectionEnd);
    return faults;
}

int read_flow_elements_section(DataReader& in, NamedList<AirflowElement>& elements)
{
    const int errors_before = error_count();
    auto clean = [&] { return error_count() == errors_before; };

    const std::int32_t count = in.read_int();
    std::vector<AirflowElement*> by_number;
    std::vector<PendingSuper> supers;
    for (std::int32_t i = 1; i <= count && clean(); ++i) {
        AirflowElement e;
        e.nr = in.read_int();
        if (e.nr != i) report_error(ERROR, {"Element number mis-match: ", number_text(i)});
        const std::int32_t icon = in.read_int();
        const std::string keyword = in.read_field().value_or(std::string());
        const int type = element_type_of(keyword);
        // Duct keywords belong to the duct elements' section.
        if (!is_airflow_type(type)) {
            report_error(ERROR, {"Undefined Element Type: ", keyword});
            report_error(ERROR, {"Invalid element type ", number_text(type)});
            break;
        }
        // The icon is judged by the type that follows it: a fan keeps the
        // fan icon its paths gave it.
        if (!is_element_icon_for(type, icon))
            report_error(ERROR, {"Invalid element icon, element ", number_text(i)});
        else
            e.icon = static_cast<std::uint8_t>(icon);
        e.type = static_cast<std::int16_t>(type);
        e.data = element_data_for(type);
        e.name = in.read_field(FieldKind::Next, kNameSize).value_or(std::string());
        e.desc = description_from_line(in.read_field(FieldKind::NextLine).value_or(std::string()));

        ValueReader values(in, i);
        PendingSuper pending;
        const bool complete = std::visit(
            [&](auto& d) {
                using D = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<D, SuperData>)
                    return read_super(values, d, pending);
                else
                    return read_data(values, d, type);
            },
            e.data);
        if (!complete || !clean()) break;

        AirflowElement* stored = elements.insert_copy(e);
        stored->nr = i;
        by_number.push_back(stored);
        if (type == kSupAfe) {
            pending.record = stored;
            supers.push_back(std::move(pending));
        }
    }
    if (!clean()) return 1;
    if (in.read_int() != kSectionEnd) report_error(ERROR, {"PRJ read error; see LOG file"});
    if (!clean()) return 1;
    resolve_supers(supers, by_number);
    return clean() ? 0 : 1;
}

int write_duct_elements_section(TextWriter& out, NamedList<DuctElement>& elements)
{
    elements.renumber();
    out.printf("%d ! duct elements:\n", static_cast<int>(elements.count()));
    for (DuctElement& e : elements) {
        if (!data_fits_type(e)) report_fatal({"Invalid duct element type ", number_text(e.type)});
        out.printf("%d %u %s %s\n", static_cast<int>(e.nr), static_cast<unsigned>(e.icon),
                   std::string(element_keyword(e.type)).c_str(), e.name.c_str());
        out.printf("%s\n", description_to_line(e.desc).c_str());
        std::visit([&](const auto& d) { write_duct_data(out, d, e.type); }, e.data);
        write_shape(out, e.shape);
    }
    out.printf("%d\n", kSectionEnd);
    return 0;
}

int read_duct_elements_section(DataReader& in, NamedList<DuctElement>& elements)
{
    const int errors_before = error_count();
    auto clean = [&] { return error_count() == errors_before; };

    const std::int32_t count = in.read_int();
    for (std::int32_t i = 1; i <= count && clean(); ++i) {
        DuctElement e;
        e.nr = in.read_int();
        if (e.nr != i) report_error(ERROR, {"Element number mis-match: ", number_text(i)});
        const std::int32_t icon = in.read_int();
        const std::string keyword = in.read_field().value_or(std::string());
        const int type = element_type_of(keyword);
        // Airflow keywords belong to the flow elements' section.
        if (!is_duct_type(type)) {
            report_error(ERROR, {"Undefined Element Type: ", keyword});
            report_error(ERROR, {"Invalid element type ", number_text(type)});
            break;
        }
        if (!is_element_icon(icon))
            report_error(ERROR, {"Invalid element icon, element ", number_text(i)});
        else
            e.icon = static_cast<std::uint8_t>(icon);
        e.type = static_cast<std::int16_t>(type);
        e.data = duct_data_for(type);
        e.name = in.read_field(FieldKind::Next, kNameSize).value_or(std::string());
        e.desc = description_from_line(in.read_field(FieldKind::NextLine).value_or(std::string()));

        ValueReader values(in, i);
        const bool complete = std::visit([&](auto& d) { return read_duct_data(values, d, type); }, e.data);
        if (!complete || !clean()) break;
        read_shape(values, e.shape);
        if (!clean()) break;
        if (auto* darcy = std::get_if<DarcyData>(&e.data)) {
            darcy->Dh = e.shape.Dh;
            darcy->area = e.shape.area;
            darcy->rel_rough = darcy->rough / e.shape.Dh;
        }
        DuctElement* stored = elements.insert_copy(e);
        stored->nr = i;
    }
    if (!clean()) return 1;
    if (in.read_int() != kSectionEnd) report_error(ERROR, {"PRJ read error; see LOG file"});
    return clean() ? 0 : 1;
}

}  // namespace avelor
