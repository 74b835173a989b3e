#include "model/airflow_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "model/curve_fit.h"
#include "model/duct_element.h"
#include "model/point_lists.h"
#include "model/project.h"
#include "model/units.h"

namespace avelor {

namespace {

// The floor of a transition pressure difference, Pa.
constexpr double kMinTransitionPressure = 1e-10;

ElementVerdict refuse(int severity, std::string text, std::string field)
{
    show_message(severity, {text});
    return {false, severity, std::move(text), std::move(field)};
}

// A refusal whose box a lower routine has shown already.
ElementVerdict refused_below(int severity, std::string field)
{
    return {false, severity, {}, std::move(field)};
}

bool finite_floats(std::initializer_list<float> values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// Derived values too large for a float (from absurdly large entries) must
// not reach the record.
ElementVerdict out_of_range()
{
    return refuse(WARNING, "The derived coefficients are out of range.", "");
}

std::string bound_text(const char* format, float bound, UnitKind kind, int unit)
{
    TextWriter text;
    const double shown = convert_units(bound, true, kind, unit);
    text.printf(format, shown, unit_plain_name(kind, unit).c_str());
    return text.take();
}

// The bounds every value had to meet when it was typed. Values read from a
// file never passed that test; checking them again keeps a hand-written 0
// or negative out of the divisions and roots below.
}  // namespace

template <class D>
ElementVerdict check_field_bounds(const D& data, std::span<const ParamField<D>> fields)
{
    for (const ParamField<D>& f : fields) {
        const float v = data.*(f.value);
        if (f.zero_allowed && v == 0) continue;
        const int unit = f.unit ? data.*(f.unit) : 0;
        // A unit index a file could have left wrong never reaches a
        // conversion that would be fatal about it.
        const int shown_unit = unit_index_valid(f.kind, unit) ? unit : 0;
        const float low = f.low_of ? f.low_of(data) : f.low;
        const float high = f.high_of ? f.high_of(data) : f.high;
        const bool has_low = f.low_of || low != NO_LIMIT;
        const bool has_high = f.high_of || high != NO_LIMIT;
        if (!std::isfinite(v) || (has_low && v < low))
            return refuse(WARNING, bound_text("Value must not be less than %g %s", low, f.kind, shown_unit),
                          std::string(f.name));
        if (has_high && v > high)
            return refuse(WARNING,
                          bound_text("Value must not be greater than %g %s", high, f.kind, shown_unit),
                          std::string(f.name));
    }
    return {};
}

namespace {

template <class D>
ElementVerdict check_bounds(const D& data, int type)
{
    return check_field_bounds(data, param_fields<D>(type));
}

float to_float(double v) { return static_cast<float>(v); }

// F = turb sqrt(rho) dP^n through an opening of area A with hydraulic
// diameter D: the laminar coefficient at Reynolds number 30.
float powerlaw_lam(float turb, float n, double area, double diameter)
{
    return laminar_coefficient(turb, n, to_float(area), to_float(diameter), 30, kPowerlawCoefficient);
}

ElementVerdict derive(OrificeData& d, int)
{
    d.turb = to_float(d.coef * 1.4142135 * d.area);
    d.lam = laminar_coefficient(d.turb, d.expt, d.area, d.dia, d.Re, kPowerlawCoefficient);
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(LeakageData& d, int type)
{
    const std::array<std::pair<float, const char*>, 3> areas = {
        {{d.area1, "area1"}, {d.area2, "area2"}, {d.area3, "area3"}}};
    // The area of the chosen button; the other two are 0 after any switch.
    const auto& [area, field] = areas[static_cast<std::size_t>(type - kPlrLeak1)];
    if (!(area > 0)) return refuse(WARNING, "Leakage area must be greater than 0.", field);
    d.turb = to_float(std::pow(static_cast<double>(d.pres), 0.5 - d.expt) * (d.coef * 1.414213562 * area));
    d.lam = powerlaw_lam(d.turb, d.expt, area, std::sqrt(static_cast<double>(area)));
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(ConnectionData& d, int)
{
    d.turb = to_float(d.coef * 1.414213562 * d.area);
    d.lam = powerlaw_lam(d.turb, d.expt, d.area, std::sqrt(static_cast<double>(d.area)));
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

// The area of an orifice with Cd 0.6 that passes the flow C.
double equivalent_area(float C) { return C / 0.6 * 0.7759188778024178; }

ElementVerdict derive(PowerLawData& d, int type)
{
    const double area = equivalent_area(d.coef);
    const int mode = type == kPlrQcn ? kVolumeFlowCoefficient : kMassFlowCoefficient;
    d.lam = laminar_coefficient(d.coef, d.expt, to_float(area), to_float(std::sqrt(area)), 30, mode);
    return finite_floats({d.lam}) ? ElementVerdict{} : out_of_range();
}

// turb from one test point, and the area of the orifice (Cd 0.6) it implies.
void derive_from_point(float& lam, float& turb, float n, double dP, double F)
{
    turb = to_float(F / (std::pow(dP, static_cast<double>(n)) * kSqrtAirDensity));
    const double area = turb / 0.8485281372;
    lam = powerlaw_lam(turb, n, area, std::sqrt(area));
}

ElementVerdict derive(TestPoint1Data& d, int)
{
    derive_from_point(d.lam, d.turb, d.expt, d.dP, d.Flow);
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

// Two test points make sense only as two different pressures and flows:
// the exponent is the ratio of their logarithms.
ElementVerdict refuse_equal_points(float dP1, float dP2, float F1, float F2)
{
    if (dP2 == dP1) return refuse(ERROR, "The pressures must be different", "dP2");
    if (F2 == F1) return refuse(ERROR, "The flows must be different", "F2");
    return {};
}

ElementVerdict derive(TestPoints2Data& d, int)
{
    if (ElementVerdict v = refuse_equal_points(d.dP1, d.dP2, d.F1, d.F2); !v) return v;
    const double n = std::log(static_cast<double>(d.F2) / d.F1) / std::log(static_cast<double>(d.dP2) / d.dP1);
    d.expt = to_float(n);
    derive_from_point(d.lam, d.turb, d.expt, d.dP1, d.F1);
    return finite_floats({d.expt, d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(CrackData& d, int)
{
    const double n = 0.5 + 0.5 * std::exp(-500.0 * d.width);
    d.expt = to_float(n);
    d.turb = to_float(std::pow(0.0092, static_cast<double>(d.expt)) * d.length * kSqrtAirDensity * 0.0097);
    const double area = static_cast<double>(d.length) * d.width;
    const double diameter = 2 * area / (static_cast<double>(d.width) + d.length);
    d.lam = powerlaw_lam(d.turb, d.expt, area, diameter);
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(StairData& d, int)
{
    const double s = std::sqrt(static_cast<double>(d.peo));
    const double X = d.tread != 0 ? (1 - 0.14 * s) * 0.089 * d.Ht * d.Area
                                  : (1 - 0.24 * s) * 0.083 * d.Ht * d.Area;
    d.turb = to_float(X * 0.8485281372);
    d.lam = powerlaw_lam(d.turb, d.expt, X, std::sqrt(X));
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

// A powerlaw through two points of turbulent pipe flow, at Reynolds numbers
// 4000 and 40000.
ElementVerdict derive(ShaftData& d, int)
{
    const double A = d.area;
    const double H = d.Ht;
    const double D = 4 * A / d.perim;
    const double e = d.rough / D;
    const double V1 = 0.07265 / (D * kAirDensity);
    const double F1 = V1 * kAirDensity * A;
    const double f1 = friction_factor(e, 4000, 0);
    const double dP1 = V1 * (H / D * (f1 * 0.5) * kAirDensity * V1);
    const double V2 = 10 * V1;
    const double F2 = A * V2 * kAirDensity;
    const double f2 = friction_factor(e, 40000, f1);
    const double dP2 = V2 * (H / D * (f2 * 0.5) * kAirDensity * V2);
    // A friction factor beyond a float (Colebrook near its pole) leaves the
    // exponent undefined; the finite check below refuses it.
    const double n = std::log(F2 / F1) / std::log(dP2 / dP1);
    d.expt = to_float(n);
    d.turb = to_float(F1 / (std::pow(dP1, static_cast<double>(d.expt)) * kSqrtAirDensity));
    d.lam = laminar_coefficient(d.turb, d.expt, d.area, to_float(D), 1000, kPowerlawCoefficient);
    return finite_floats({d.expt, d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(BackdraftData& d, int type)
{
    const double area = equivalent_area(d.Cp);
    const int mode = type == kPlrBdq ? kVolumeFlowCoefficient : kMassFlowCoefficient;
    d.lam = laminar_coefficient(d.Cp, d.xp, to_float(area), to_float(std::sqrt(area)), 30, mode);
    return finite_floats({d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(QuadCrackData& d, int)
{
    // The bends are a count, outside the float fields' bounds table.
    if (d.nB < 0) return refuse(WARNING, "Value must not be less than 0 ", "nB");
    const double K = kAirDensity * d.width * d.width * d.length;
    d.a = to_float(d.depth * 0.00021795 / (K * d.width));
    d.b = to_float((d.nB + 1.5) * 0.5 / (K * d.length));
    return finite_floats({d.a, d.b}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(QuadTestData& d, int)
{
    if (ElementVerdict v = refuse_equal_points(d.dP1, d.dP2, d.F1, d.F2); !v) return v;
    const double F1 = d.F1;
    const double F2 = d.F2;
    std::array<double, 6> system = {F1, F1 * F1, d.dP1, F2, F2 * F2, d.dP2};
    if (solve_linear(system, 2) != 0) return refused_below(ERROR, "F1");
    const float a = to_float(system[2]);
    const float b = to_float(system[5]);
    if (!finite_floats({a, b})) return out_of_range();
    d.a = a;
    d.b = b;
    return {};
}

// A door of height H and width W; area is the part one flow direction uses.
void derive_door(float& lam, float& turb, float n, float cd, double area, double H, double W)
{
    turb = to_float(cd * 1.4142135 * area);
    lam = powerlaw_lam(turb, n, area, 2 * area / (W + H));
}

ElementVerdict derive(DoorData& d, int)
{
    derive_door(d.lam, d.turb, d.expt, d.cd, static_cast<double>(d.wd) * d.ht, d.ht, d.wd);
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

ElementVerdict derive(TwoOpeningData& d, int)
{
    derive_door(d.lam, d.turb, d.expt, d.cd, 0.5 * d.ht * d.wd, d.ht, d.wd);
    d.hmid = to_float(d.ht * 2.0 / 9.0);
    return finite_floats({d.turb, d.lam}) ? ElementVerdict{} : out_of_range();
}

// The fan-off coefficients: an orifice of the equivalent area, laminar
// below Reynolds number 100.
ElementVerdict derive(FanData& d, int)
{
    if (d.points.size() <= 3) return refused_below(-1, "points");
    if (ElementVerdict v = fit_fan_curve(d); !v) return v;
    return derive_fan_off_coefficients(d);
}


ElementVerdict derive(SuperData& d, int)
{
    if (d.subs.size() < 2)
        return refuse(ERROR, "A super air flow element requires at least 2 sub elements.", "subs");
    for (const SubElement& sub : d.subs)
        if (!sub.element || sub.element->type == kSupAfe)
            return refuse(ERROR, "A super element's sub elements must be airflow elements of other types.",
                          "subs");
    return {};
}

// Types whose OK derives nothing beyond the bounds.
ElementVerdict derive(VentData&, int) { return {}; }
ElementVerdict derive(QuadraticData&, int) { return {}; }
ElementVerdict derive(ConstantFlowData&, int) { return {}; }

ElementVerdict derive(SplineData& d, int type, std::string_view name)
{
    return SplinePointList(d, type).check(name);
}

}  // namespace

float laminar_coefficient(float turb, float n, float area, float diameter, float Re, int mode)
{
    const float Ft = to_float(static_cast<double>(Re) * kAirViscosity * area / diameter);
    double k = 0;
    switch (mode) {
    case kVolumeFlowCoefficient: k = kAirDensity; break;
    case kPowerlawCoefficient: k = kSqrtAirDensity; break;
    case kMassFlowCoefficient: k = 1; break;
    default: break;
    }
    double dPt = 0;
    if (k != 0) dPt = std::pow(Ft / (turb * k), 1.0 / n);
    // Written so that an undefined power (NaN) also takes the floor.
    if (!(dPt >= kMinTransitionPressure)) dPt = kMinTransitionPressure;
    return to_float(Ft * kAirViscosity / (dPt * kAirDensity));
}

double friction_factor(double e, double Re, double guess)
{
    if (Re <= 2300) return 64 / Re;
    double fT = 0;
    if (e > 1e-7) {
        // Colebrook for h = 1/sqrt(f): G(h) = h + 0.868589 ln(e/3.7 + (2.51/Re) h).
        const double r = 2.51 / Re;
        double h = guess > 0 ? 1 / std::sqrt(guess) : -0.868589 * std::log(e / 3.7);
        for (int i = 0; i < kFrictionIterations; ++i) {
            const double inner = e / 3.7 + r * h;
            const double G = h + 0.868589 * std::log(inner);
            const double dG = 1 + 0.868589 * r / inner;
            const double step = G / dG;
            h -= step;
            if (!std::isfinite(h) || std::fabs(step / h) <= 1e-5) break;
        }
        fT = 1 / (h * h);
    } else {
        fT = Re < 100000 ? 0.3164 / std::pow(Re, 0.25) : 0.221 / std::pow(Re, 0.237) + 0.0032;
    }
    if (Re < 3500) return ((3500 - Re) * (64 / Re) + fT * (Re - 2300)) / 1200;
    return fT;
}

ElementVerdict derive_fan_off_coefficients(FanData& d)
{
    if (!(d.area > 0)) return out_of_range();
    const double A = d.area;
    const float turb = to_float(A * 0.8485281372);
    const double Ft = A * 0.00181625;
    const double Qt = Ft / (std::sqrt(A) * kAirDensity);
    double dPt = std::pow(Qt * kSqrtAirDensity / turb, 2);
    if (dPt < kMinTransitionPressure) dPt = kMinTransitionPressure;
    const float lam = to_float(Qt * kAirViscosity / dPt);
    if (!finite_floats({turb, lam})) return out_of_range();
    d.turb = turb;
    d.lam = lam;
    d.rdens = to_float(kAirDensity);
    return {};
}

ElementVerdict derive_element(AirflowElement& element)
{
    if (!data_fits_type(element))
        report_fatal({"Invalid element type ", std::to_string(element.type)});
    const int type = element.type;
    // Derived on a copy: a refusal leaves the working copy as it was, so no
    // half-derived or non-finite value stays behind in it.
    ElementData work = element.data;
    ElementVerdict verdict = std::visit(
        [&](auto& d) -> ElementVerdict {
            using D = std::decay_t<decltype(d)>;
            if (ElementVerdict v = check_bounds(d, type); !v) return v;
            if constexpr (std::is_same_v<D, SplineData>)
                return derive(d, type, element.name);
            else
                return derive(d, type);
        },
        work);
    if (verdict) element.data = std::move(work);
    return verdict;
}

AcceptOutcome accept_element(NamedList<AirflowElement>& list, AirflowElement& copy,
                             AirflowElement* stored)
{
    const std::string old_name = stored ? stored->name : std::string();
    auto name_refused = [&] { return check_new_name(list, copy.name, old_name) != 0; };
    const ElementVerdict name_verdict{false, WARNING, {}, "name"};

    // The spline dialog tests its points before it looks at the name.
    const bool points_first = is_spline_type(copy.type);
    if (!points_first && name_refused()) return {name_verdict};
    ElementVerdict verdict = derive_element(copy);
    if (!verdict) return {std::move(verdict)};
    if (points_first && name_refused()) return {name_verdict};

    copy.desc = clean_description(copy.desc);
    AirflowElement* record = stored ? list.replace_record(stored, copy) : list.insert_copy(copy);
    return {std::move(verdict), record};
}

AcceptOutcome accept_element(Project& project, AirflowElement& copy, AirflowElement* stored)
{
    const bool icon_changed = stored && stored->icon != copy.icon;
    AcceptOutcome outcome = accept_element(project.elements, copy, stored);
    if (outcome.record && icon_changed) update_path_icons(project);
    return outcome;
}

NewElementContext new_element_context(const Project& project)
{
    NewElementContext context;
    context.ip_units = project.rc.ud != 0;
    context.uf = project.rc.uf;
    const Level* current = project.current_level;
    if (current && current->below) context.level_height = current->below->delHt;
    return context;
}

void orifice_set_area(OrificeData& orifice, float area)
{
    orifice.area = area;
    orifice.dia = to_float(std::sqrt(4.0 * area / 3.1415927));
}

void orifice_set_diameter(OrificeData& orifice, float diameter)
{
    orifice.dia = diameter;
    orifice.area = to_float(static_cast<double>(diameter) * diameter * 0.785398175);
}

void orifice_set_unit(OrificeData& orifice, std::int16_t index)
{
    orifice.u_A = orifice.u_D = index;
}

void leakage_choose_area(AirflowElement& element, int leak_type)
{
    auto* d = std::get_if<LeakageData>(&element.data);
    if (!d || !is_leakage_type(element.type) || !is_leakage_type(leak_type)) return;
    struct Area {
        float* value;
        std::int16_t unit;
        UnitKind kind;
    };
    const std::array<Area, 3> areas = {{{&d->area1, d->u_A1, UnitKind::Area},
                                        {&d->area2, d->u_A2, UnitKind::PerUnitLength},
                                        {&d->area3, d->u_A3, UnitKind::PerUnitArea}}};
    const Area& from = areas[static_cast<std::size_t>(element.type - kPlrLeak1)];
    const Area& to = areas[static_cast<std::size_t>(leak_type - kPlrLeak1)];
    auto valid = [](const Area& a) { return unit_index_valid(a.kind, a.unit) ? a.unit : 0; };
    const float shown = convert_units(*from.value, true, from.kind, valid(from));
    const float moved = convert_units(shown, false, to.kind, valid(to));
    for (const Area& a : areas) *a.value = 0;
    *to.value = moved;
    element.type = static_cast<std::int16_t>(leak_type);
}

int chooser_button(int type) { return is_leakage_type(type) ? kPlrLeak1 : type; }

bool chooser_enabled(int type, const ChooserContext& context)
{
    if (!is_airflow_type(type)) return false;
    if (context.place == PathPlace::OnWall && (type == kPlrStair || type == kPlrShaft)) return false;
    if (context.place == PathPlace::FromLevelBelow && is_two_way_type(type)) return false;
    if (type == kSupAfe && (context.inside_super_dialog || !context.project_has_elements))
        return false;
    return true;
}

int chooser_preselection(const ChooserContext& context, const AirflowElement* edited,
                         const ChooserState& state)
{
    const int wanted = chooser_button(edited ? edited->type : state.last_choice);
    return chooser_enabled(wanted, context) ? wanted : kPlrOrfc;
}

std::vector<AirflowElement*> super_candidates(const NamedList<AirflowElement>& list)
{
    std::vector<AirflowElement*> candidates;
    for (AirflowElement& e : list)
        if (e.type != kSupAfe) candidates.push_back(&e);
    return candidates;
}

namespace {

void take_schedule(SuperData& super, std::size_t keeper)
{
    for (std::size_t i = 0; i < super.subs.size(); ++i)
        if (i != keeper) super.subs[i].scheduled = 0;
}

}  // namespace

void add_sub_element(SuperData& super, const SubElement& sub)
{
    super.subs.push_back(sub);
    if (sub.scheduled) take_schedule(super, super.subs.size() - 1);
}

void replace_sub_element(SuperData& super, std::size_t index, const SubElement& sub)
{
    if (index >= super.subs.size()) return;
    super.subs[index] = sub;
    if (sub.scheduled) take_schedule(super, index);
}

void remove_sub_element(SuperData& super, std::size_t index)
{
    if (index < super.subs.size()) super.subs.erase(super.subs.begin() + static_cast<std::ptrdiff_t>(index));
}

template ElementVerdict check_field_bounds(const PowerLawData&, std::span<const ParamField<PowerLawData>>);
template ElementVerdict check_field_bounds(const ConstantFlowData&, std::span<const ParamField<ConstantFlowData>>);
template ElementVerdict check_field_bounds(const BackdraftData&, std::span<const ParamField<BackdraftData>>);
template ElementVerdict check_field_bounds(const FanData&, std::span<const ParamField<FanData>>);
template ElementVerdict check_field_bounds(const DuctOrificeData&, std::span<const ParamField<DuctOrificeData>>);
template ElementVerdict check_field_bounds(const DarcyData&, std::span<const ParamField<DarcyData>>);
template ElementVerdict check_field_bounds(const DuctShape&, std::span<const ParamField<DuctShape>>);

}  // namespace avelor
