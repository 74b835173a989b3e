#include "model/duct_element.h"

#include <array>
#include <cmath>

#include "model/airflow_rules.h"
#include "model/project.h"

namespace avelor {

namespace {

struct DuctTypeText {
    std::string_view button;
    std::string_view caption;
};

constexpr std::array<DuctTypeText, kLastDuctType - kFirstDuctType + 1> kDuctTexts = {{
    {"Darcy-Colebrook", "Darcey-Colebrook Model"},
    {"Orifice model", "Powerlaw Model: Orifice Area"},
    {"F = C(dP)^n", "Powerlaw Model: F=C(dP)^n"},
    {"Q = C(dP)^n", "Powerlaw Model: Q=C(dP)^n"},
    {"Performance Curve", "Fan Curve Model"},
    {"Constant Mass Flow", "Constant Mass Flow Model"},
    {"Constant Volume Flow", "Constant Volume Flow Model"},
    {"Q = C(dP)^n", "Backdraft Damper:  Q=C(dP)^n"},
    {"F = C(dP)^n", "Backdraft Damper:  F=C(dP)^n"},
    {"F vs P", "Cubic Spline Fit: F vs P"},
    {"Q vs P", "Cubic Spline Fit: Q vs P"},
    {"P vs F", "Cubic Spline Fit: P vs F"},
    {"P vs Q", "Cubic Spline Fit: P vs Q"},
}};

const DuctTypeText* text_of(int type)
{
    return is_duct_type(type) ? &kDuctTexts[static_cast<std::size_t>(type - kFirstDuctType)] : nullptr;
}

// Leakage class factors of the two unit systems, and the pressure a class
// refers to in each.
constexpr double kClassFactorSI = 1000;
constexpr double kClassFactorIP = 710.37;
constexpr float kClassPressureSI = 1;
constexpr float kClassPressureIP = 248.84f;
constexpr double kLeakageExponent = 0.65;

double class_factor(std::int16_t system) { return system == kLeakageIP ? kClassFactorIP : kClassFactorSI; }

}  // namespace

int airflow_counterpart(int duct_type)
{
    switch (duct_type) {
    case kDctFcn: return kPlrFcn;
    case kDctQcn: return kPlrQcn;
    case kDctFan: return kFanFan;
    case kDctCmf: return kFanCmf;
    case kDctCvf: return kFanCvf;
    case kDctBdq: return kPlrBdq;
    case kDctBdf: return kPlrBdf;
    case kDctFsp: return kCsfFsp;
    case kDctQsp: return kCsfQsp;
    case kDctPsf: return kCsfPsf;
    case kDctPsq: return kCsfPsq;
    default: return kNoElementType;
    }
}

DuctData duct_data_for(int type)
{
    switch (type) {
    case kDctPlr: return DuctOrificeData{};
    case kDctFcn:
    case kDctQcn: return PowerLawData{};
    case kDctFan: return FanData{};
    case kDctCmf:
    case kDctCvf: return ConstantFlowData{};
    case kDctBdq:
    case kDctBdf: return BackdraftData{};
    case kDctFsp:
    case kDctQsp:
    case kDctPsf:
    case kDctPsq: return SplineData{};
    default: return DarcyData{};
    }
}

bool data_fits_type(const DuctElement& element)
{
    return is_duct_type(element.type) && duct_data_for(element.type).index() == element.data.index();
}

std::string_view duct_button_text(int type)
{
    const DuctTypeText* t = text_of(type);
    return t ? t->button : std::string_view();
}

std::string_view duct_caption(int type)
{
    const DuctTypeText* t = text_of(type);
    return t ? t->caption : std::string_view();
}

const std::vector<DuctGroup>& duct_groups()
{
    static const std::vector<DuctGroup> groups = {
        {"Resistance Flow Models", {kDctDwc, kDctPlr, kDctFcn, kDctQcn}},
        {"Backdraft Damper Flow Models", {kDctBdq, kDctBdf}},
        {"Fan and Forced-flow Models", {kDctFan, kDctCmf, kDctCvf}},
        {"Cubic Spline Flow Models", {kDctFsp, kDctQsp, kDctPsf, kDctPsq}},
    };
    return groups;
}

DuctElement new_duct_element(int type, const NewElementContext& context)
{
    DuctElement e;
    e.type = static_cast<std::int16_t>(is_duct_type(type) ? type : kDctDwc);
    e.data = duct_data_for(e.type);
    e.icon = kIconSmallOpening;

    const bool ip = context.ip_units;
    const std::int16_t sys = ip ? 1 : 0;
    const std::int16_t small_length = ip ? 3 : 4;  // in or mm
    DuctShape& s = e.shape;
    s.leak_dP = class_pressure(sys);
    s.u_Dh = s.u_P = s.u_W = s.u_H = small_length;
    s.u_A = ip ? 3 : 2;  // in2 or cm2
    s.leak_units = s.u_dP = sys;
    update_leakage_class(s);

    std::visit(
        [&](auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, DarcyData>) {
                d.u_R = small_length;
            } else if constexpr (std::is_same_v<D, DuctOrificeData>) {
                d.u_A = d.u_D = sys;
            } else if constexpr (std::is_same_v<D, FanData>) {
                d.u_A = sys;
            } else if constexpr (std::is_same_v<D, ConstantFlowData>) {
                d.u_F = e.type == kDctCmf ? context.uf : sys;
            } else if constexpr (std::is_same_v<D, SplineData>) {
                const SplineKinds kinds = spline_kinds(e.type);
                d.u_X = kinds.x == UnitKind::MassFlow ? context.uf : sys;
                d.u_Y = kinds.y == UnitKind::MassFlow ? context.uf : sys;
            }
        },
        e.data);
    return e;
}

void derive_shape(DuctShape& s)
{
    const double W = s.width;
    const double H = s.height;
    switch (s.shape) {
    case kDuctCircle: {
        const double D = s.Dh;
        const double P = 3.1415927 * D;
        s.perim = static_cast<float>(P);
        s.area = static_cast<float>(D * (P * 0.25));
        break;
    }
    case kDuctRectangle:
        s.perim = static_cast<float>(2 * (W + H));
        s.area = static_cast<float>(W * H);
        s.Dh = static_cast<float>(1.3 * std::pow(W * H, 0.625) / std::pow(W + H, 0.25));
        break;
    case kDuctOval: {
        const double P = 3.1415927 * H + 2 * (W - H);
        const double A = H * H * 0.785398175 + (W - H) * H;
        s.perim = static_cast<float>(P);
        s.area = static_cast<float>(A);
        s.Dh = static_cast<float>(1.55 * std::pow(A, 0.625) / std::pow(P, 0.25));
        break;
    }
    default:
        s.Dh = static_cast<float>(4.0 * s.area / s.perim);
        break;
    }
}

float leakage_class_of(const DuctShape& s)
{
    if (!(s.leak_dP > 0)) return 0;
    return static_cast<float>(s.leak_rate * class_factor(s.leak_units) /
                              std::pow(static_cast<double>(s.leak_dP), kLeakageExponent));
}

float class_pressure(std::int16_t system) { return system == kLeakageIP ? kClassPressureIP : kClassPressureSI; }

void update_leakage_class(DuctShape& s)
{
    s.leak_class = leakage_class_of(s);
    s.class_dP = class_pressure(s.leak_units);
}

void set_leakage_class(DuctShape& s, float leak_class)
{
    s.leak_dP = class_pressure(s.leak_units);
    s.leak_rate = static_cast<float>(leak_class * std::pow(static_cast<double>(s.leak_dP), kLeakageExponent) /
                                     class_factor(s.leak_units));
    s.leak_class = leak_class;
    s.class_dP = s.leak_dP;
}

void set_leakage_units(DuctShape& s, std::int16_t system)
{
    s.leak_units = s.u_dP = system == kLeakageIP ? kLeakageIP : kLeakageSI;
    update_leakage_class(s);
}

DuctSegmentValues duct_segment_values(const DuctElement& element, float len, float sllc)
{
    const DuctShape& s = element.shape;
    DuctSegmentValues v;
    v.volume = static_cast<double>(len) * s.area;
    v.surface = static_cast<double>(s.perim) * len;
    const auto* orifice = std::get_if<DuctOrificeData>(&element.data);
    v.flow_area = element.type == kDctPlr && orifice ? orifice->area : s.area;
    if (s.leak_dP > 0) {
        const double p = std::pow(static_cast<double>(s.leak_dP), kLeakageExponent);
        v.leak_coef = s.leak_rate * 0.001 * v.surface / p;
        v.leak_class_ip = s.leak_rate * kClassFactorIP / p;
    }
    const auto* darcy = std::get_if<DarcyData>(&element.data);
    // A section too small to carry a flow has no laminar regime to speak of.
    if (element.type == kDctDwc && darcy && s.area > 0 && s.Dh > 0) {
        const double A = s.area;
        const double Dh = s.Dh;
        const double Ft = A * 0.000544875 / Dh;  // Reynolds number 30
        const double f = friction_factor(darcy->rough / Dh, 30, 0);
        double dPt = (f * len / Dh + sllc) * Ft * Ft / (A * 2 * A * kAirDensity);
        if (dPt < 1e-10) dPt = 1e-10;
        v.lam = Ft * kAirViscosity / (dPt * kAirDensity);
    }
    return v;
}

std::vector<std::string> users_of(const Project& project, const DuctElement& element)
{
    std::vector<std::string> users;
    for (const DuctSegment& d : project.ducts)
        if (d.element == &element) users.push_back("duct segment " + std::to_string(d.nr));
    return users;
}

}  // namespace avelor
