#include "airflow_elements.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>

#include "airflow_network.h"
#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "model/duct_element.h"

namespace avelor::engine {

namespace {

// Below this driving pressure an element with an unbounded slope at zero
// and no laminar coefficient follows its secant.
constexpr double kSecantPressure = 1e-6;

double sign_of(double x) { return x < 0 ? -1.0 : 1.0; }

// F = sgn(x) X with a X + b X^2 = |x|, and dX/d|x|.
void quadratic_root(double a, double b, double x, double& X, double& dX)
{
    const double ax = std::abs(x);
    if (b <= 0) {
        X = a > 0 ? ax / a : 0;
        dX = a > 0 ? 1 / a : 0;
        return;
    }
    X = (-a + std::sqrt(a * a + 4 * b * ax)) / (2 * b);
    if (a <= 0 && X <= 0) {
        // A pure square law: an unbounded slope at zero, so the secant.
        const double Xs = std::sqrt(kSecantPressure / b);
        X = ax / kSecantPressure * Xs;
        dX = Xs / kSecantPressure;
        return;
    }
    dX = 1 / (a + 2 * b * X);
    if (!(X > 0)) X = 0;
}

}  // namespace

double air_viscosity(double T, bool temperature_adjusted)
{
    if (!temperature_adjusted) return kViscosityAir;
    return kViscosityAir * std::pow(T / 293.15, 1.5) * (293.15 + 110.4) / (T + 110.4);
}

ElementModel::ElementModel(const AirflowElement& element, std::string_view kind) : type_(element.type)
{
    const std::string named = "The " + std::string(kind) + " " + element.name;
    if (!data_fits_type(element)) throw EngineError(named + " does not hold the data of its type.");
    std::visit(
        [&](const auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, OrificeData> || std::is_same_v<D, LeakageData> ||
                          std::is_same_v<D, ConnectionData> || std::is_same_v<D, TestPoint1Data> ||
                          std::is_same_v<D, TestPoints2Data> || std::is_same_v<D, CrackData> ||
                          std::is_same_v<D, StairData> || std::is_same_v<D, ShaftData>) {
                lam_ = d.lam;
                turb_ = d.turb;
                n_ = d.expt;
            } else if constexpr (std::is_same_v<D, PowerLawData>) {
                lam_ = d.lam;
                turb_ = d.coef;
                n_ = d.expt;
            } else if constexpr (std::is_same_v<D, BackdraftData>) {
                lam_ = d.lam;
                turb_ = d.Cp;
                n_ = d.xp;
                Cn_ = d.Cn;
                xn_ = d.xn;
            } else if constexpr (std::is_same_v<D, VentData>) {
                Qo_ = d.Qo;
                dPo_ = d.dPo;
                reverse_ = d.rf;
            } else if constexpr (std::is_same_v<D, QuadraticData> || std::is_same_v<D, QuadCrackData> ||
                                 std::is_same_v<D, QuadTestData>) {
                a_ = d.a;
                b_ = d.b;
            } else if constexpr (std::is_same_v<D, DoorData>) {
                lam_ = d.lam;
                turb_ = d.turb;
                n_ = d.expt;
                dTmin_ = d.dTmin;
                height_ = d.ht;
            } else if constexpr (std::is_same_v<D, TwoOpeningData>) {
                lam_ = d.lam;
                turb_ = d.turb;
                n_ = d.expt;
                hmid_ = d.hmid;
                height_ = d.ht;
            } else if constexpr (std::is_same_v<D, ConstantFlowData>) {
                flow_ = d.Flow;
            } else if constexpr (std::is_same_v<D, FanData>) {
                lam_ = d.lam;
                turb_ = d.turb;
                n_ = d.expt;
                rdens_ = d.rdens > 0 ? d.rdens : kStandardDensity;
                free_flow_ = d.fdf;
                cutoff_ = d.off;
                for (int i = 0; i < 4; ++i) c_[i] = d.c[static_cast<std::size_t>(i)];
                // A usable curve falls from the shut-off pressure to zero at
                // the free delivery flow without a turning point.
                fan_on_ = free_flow_ > 0 && c_[0] > 0 && c_[2] * c_[2] - 3 * c_[1] * c_[3] < 0;
            } else if constexpr (std::is_same_v<D, SplineData>) {
                if (d.x.size() < 2 || d.x.size() != d.y.size())
                    throw EngineError("The spline element " + element.name + " needs at least two points.");
                table_.resize(d.x.size());
                for (std::size_t i = 0; i < d.x.size(); ++i) {
                    table_[i].x = d.x[i];
                    table_[i].y = d.y[i];
                }
                if (spline_build(table_) != 0)
                    throw EngineError("The spline element " + element.name + " has unusable points.");
                for (std::size_t i = 0; i + 1 < table_.size(); ++i)
                    if (!(table_[i + 1].y > table_[i].y))
                        throw EngineError("The spline element " + element.name +
                                          " does not rise with its X values.");
            } else if constexpr (std::is_same_v<D, SuperData>) {
                throw EngineError("The super element " + element.name +
                                  " has no flow of its own; its sub-elements carry it.");
            }
        },
        element.data);
    bool finite = n_ > 0;
    for (double v : {lam_, turb_, n_, Cn_, xn_, a_, b_, Qo_, dPo_, reverse_, flow_, dTmin_, height_, hmid_,
                     rdens_, free_flow_, cutoff_, c_[0], c_[1], c_[2], c_[3]})
        finite = finite && std::isfinite(v);
    for (const SplineRow& row : table_)
        finite = finite && std::isfinite(row.y) && std::isfinite(row.b) && std::isfinite(row.c) && std::isfinite(row.d);
    if (!finite) throw EngineError(named + " has unusable coefficients.");
    const std::string fault = range_fault();
    if (!fault.empty()) throw EngineError(named + " has " + fault + ".");
}

namespace {

// The record of the airflow type a duct type shares its law with.
AirflowElement counterpart_element(const DuctElement& duct)
{
    AirflowElement element;
    element.name = duct.name;
    if (const auto* orifice = std::get_if<DuctOrificeData>(&duct.data); orifice && duct.type == kDctPlr) {
        OrificeData d;
        d.lam = orifice->lam;
        d.turb = orifice->turb;
        d.expt = orifice->expt;
        d.area = orifice->area;
        d.dia = orifice->dia;
        d.coef = orifice->coef;
        element.type = kPlrOrfc;
        element.data = d;
        return element;
    }
    element.type = static_cast<std::int16_t>(airflow_counterpart(duct.type));
    std::visit(
        [&](const auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, PowerLawData> || std::is_same_v<D, FanData> ||
                          std::is_same_v<D, ConstantFlowData> || std::is_same_v<D, BackdraftData> ||
                          std::is_same_v<D, SplineData>)
                element.data = d;
        },
        duct.data);
    return element;
}

// The slope of the friction factor over the Reynolds number, by central
// differences: the factor is blended across the transition and Colebrook's
// root is found iteratively, so a closed form would be no truer.
double friction_slope(double e, double Re)
{
    const double h = 1e-5 * Re;
    return (friction_factor(e, Re + h, 0) - friction_factor(e, Re - h, 0)) / (2 * h);
}

}  // namespace

ElementModel ElementModel::duct(const DuctElement& element, double length, double loss_sum)
{
    const std::string named = "The duct element " + element.name;
    if (!data_fits_type(element)) throw EngineError(named + " does not hold the data of its type.");
    if (element.type != kDctDwc) {
        const AirflowElement airflow = counterpart_element(element);
        if (!is_airflow_type(airflow.type)) throw EngineError(named + " has a type the engine does not know.");
        return ElementModel(airflow, "duct element");
    }
    const auto& darcy = std::get<DarcyData>(element.data);
    ElementModel m;
    m.type_ = kDctDwc;
    m.dwc_Dh_ = element.shape.Dh;
    m.dwc_A_ = element.shape.area;
    m.dwc_e_ = element.shape.Dh > 0 ? darcy.rough / element.shape.Dh : 0;
    m.dwc_L_ = length;
    m.dwc_C_ = loss_sum;
    if (!(m.dwc_Dh_ > 0) || !(m.dwc_A_ > 0) || !std::isfinite(m.dwc_Dh_) || !std::isfinite(m.dwc_A_))
        throw EngineError(named + " has no usable cross-section.");
    if (!(darcy.rough >= 0) || !std::isfinite(m.dwc_e_)) throw EngineError(named + " has a negative roughness.");
    if (!(length >= 0) || !(loss_sum >= 0) || !std::isfinite(length) || !std::isfinite(loss_sum) ||
        (length <= 0 && loss_sum <= 0))
        throw EngineError(named + " needs a segment length or a sum of loss coefficients above 0.");
    const double f = friction_factor(m.dwc_e_, 1e5, 0);
    if (!(f > 0) || !std::isfinite(f)) throw EngineError(named + " is too rough for the friction factor.");
    m.lam_ = duct_segment_values(element, static_cast<float>(length), static_cast<float>(loss_sum)).lam;
    m.turb_ = 1;
    return m;
}

ElementModel ElementModel::terminal(double K, double area, double diameter)
{
    AirflowElement element;
    element.type = kPlrOrfc;
    OrificeData d;
    d.turb = static_cast<float>(area * std::sqrt(2 / K));
    d.expt = 0.5f;
    d.area = static_cast<float>(area);
    d.dia = static_cast<float>(diameter);
    d.lam = laminar_coefficient(d.turb, d.expt, d.area, d.dia, 30, kPowerlawCoefficient);
    element.data = d;
    return ElementModel(element, "terminal");
}

ElementModel ElementModel::leak(double C)
{
    AirflowElement element;
    element.type = kPlrQcn;
    PowerLawData d;
    d.coef = static_cast<float>(C);
    d.expt = 0.65f;
    // The opening a volume-flow coefficient stands for, as the duct
    // element sheet derives it for its Q = C dP^n type.
    const double A = C / 0.6 * 0.7759188778024178;
    d.lam = laminar_coefficient(d.coef, d.expt, static_cast<float>(A), static_cast<float>(std::sqrt(A)), 30,
                                kVolumeFlowCoefficient);
    element.data = d;
    return ElementModel(element, "duct leakage");
}

LinkFlow ElementModel::darcy(double dP, const FlowState& s) const
{
    const bool forward = dP >= 0;
    const double rho = forward ? s.rho_n : s.rho_m;
    const double mu = forward ? s.mu_n : s.mu_m;
    const double x = std::abs(dP);
    const double A = dwc_A_, D = dwc_Dh_, L = dwc_L_;
    const double c = 2 * rho * A * A;  // dP = K F^2 / c
    LinkFlow out;
    if (L <= 0) {
        // Dynamic losses alone: a square law, joined to the laminar flow
        // of the segment near zero.
        const double laminar_slope = lam_ * rho / mu;
        const double Ft = std::sqrt(c * x / dwc_C_);
        const double Fl = laminar_slope * x;
        if (x == 0 || Fl <= Ft) {
            out.F0 = sign_of(dP) * Fl;
            out.g = laminar_slope;
        } else {
            out.F0 = sign_of(dP) * Ft;
            out.g = 0.5 * Ft / x;
        }
        return out;
    }
    // Laminar friction gives the slope at zero flow: f = 64 / Re.
    const double zero_slope = rho * A * D * D / (32 * mu * L);
    if (x == 0) {
        out.g = zero_slope;
        return out;
    }
    const double Re_per_flow = D / (mu * A);
    const auto loss = [&](double F, double* slope) {
        const double Re = F * Re_per_flow;
        if (slope) *slope = L / D * friction_slope(dwc_e_, Re) * Re_per_flow;
        return friction_factor(dwc_e_, Re, 0) * L / D + dwc_C_;
    };
    // A few passes on the friction factor from the laminar flow (or from
    // the rough-pipe flow when that is smaller), then Newton on
    // K(F) F^2 / c = x, which rises with F, inside a bracket.
    double F = std::min(zero_slope * x, std::sqrt(c * x / (friction_factor(dwc_e_, 1e7, 0) * L / D + dwc_C_)));
    for (int i = 0; i < 3; ++i) F = std::sqrt(c * x / loss(F, nullptr));
    double lo = F, hi = F;
    for (int i = 0; i < 200 && loss(lo, nullptr) * lo * lo / c > x; ++i) lo *= 0.5;
    for (int i = 0; i < 200 && loss(hi, nullptr) * hi * hi / c < x; ++i) hi *= 2;
    double K = 0, dK = 0;
    for (int i = 0; i < 60; ++i) {
        K = loss(F, &dK);
        const double phi = K * F * F / c - x;
        if (phi > 0) hi = F;
        else lo = F;
        const double dphi = (dK * F * F + 2 * K * F) / c;
        double next = dphi > 0 ? F - phi / dphi : 0.5 * (lo + hi);
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        const bool done = std::abs(next - F) <= 1e-13 * F;
        F = next;
        if (done) break;
    }
    K = loss(F, &dK);
    const double slope = (dK * F * F + 2 * K * F) / c;
    out.F0 = sign_of(dP) * F;
    out.g = slope > 0 ? 1 / slope : zero_slope;
    return out;
}

std::string ElementModel::range_fault() const
{
    const auto with = [](const char* what, double value) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", value);
        return std::string(what) + " (" + number + ")";
    };
    // A negative coefficient would pass no flow at all (the laws take it
    // as closed), an exponent outside 0.5..1 no flow a power law allows.
    if (lam_ < 0) return with("a negative laminar flow coefficient", lam_);
    if (turb_ < 0) return with("a negative flow coefficient", turb_);
    if (Cn_ < 0) return with("a negative flow coefficient for reverse flow", Cn_);
    if (n_ < 0.5 || n_ > 1) return with("a flow exponent outside 0.5 to 1", n_);
    if ((type_ == kPlrBdq || type_ == kPlrBdf) && (xn_ < 0.5 || xn_ > 1))
        return with("a reverse flow exponent outside 0.5 to 1", xn_);
    if (Qo_ < 0) return with("a negative flow at large pressures", Qo_);
    if (dPo_ < 0) return with("a negative reference pressure", dPo_);
    if (reverse_ < 0 || reverse_ > 1) return with("a reverse flow fraction outside 0 to 1", reverse_);
    if (a_ < 0) return with("a negative linear coefficient", a_);
    if (b_ < 0) return with("a negative quadratic coefficient", b_);
    if (two_way() && !(height_ > 0)) return with("an opening height that is not above 0", height_);
    if (type_ == kDorDoor && dTmin_ < 0) return with("a negative minimum temperature difference", dTmin_);
    if (type_ == kDorPl2 && (hmid_ < 0 || hmid_ > 0.5 * height_))
        return with("openings placed outside the height of the element", hmid_);
    if (type_ == kFanFan && (free_flow_ < 0 || cutoff_ < 0))
        return with("a negative free delivery flow or cut-off ratio", std::min(free_flow_, cutoff_));
    return {};
}

bool ElementModel::conducts() const
{
    switch (type_) {
    case kFanCmf:
    case kFanCvf:
    case kFanFan:
        // Fans of every kind: what they move does not tie a zone's
        // pressure to another's (the building check's connection rule).
        return false;
    case kPlrBdq:
    case kPlrBdf: return lam_ > 0 || turb_ > 0 || Cn_ > 0;
    case kSrvRgv: return Qo_ > 0 && dPo_ > 0;
    case kQfrQab:
    case kQfrFab:
    case kQfrCrack:
    case kQfrTest2: return a_ > 0 || b_ > 0;
    case kCsfFsp:
    case kCsfQsp:
    case kCsfPsf:
    case kCsfPsq: return true;  // a rising curve
    case kDctDwc: return true;
    default: return lam_ > 0 || turb_ > 0;
    }
}

bool ElementModel::two_way() const { return type_ == kDorDoor || type_ == kDorPl2; }

bool ElementModel::constant_flow() const { return type_ == kFanCmf || type_ == kFanCvf; }

LinkFlow ElementModel::power_law(double dP, const FlowState& s, double lam, double turb, double n,
                                 double kn, double km) const
{
    // kn, km: the factor on turb for flow out of n and out of m (sqrt(rho),
    // rho or 1 by type).
    const bool forward = dP >= 0;
    const double rho = forward ? s.rho_n : s.rho_m;
    const double mu = forward ? s.mu_n : s.mu_m;
    const double K = turb * (forward ? kn : km);
    const double x = std::abs(dP);
    LinkFlow out;
    if (K <= 0 || x == 0) {
        out.g = lam > 0 ? lam * rho / mu : 0;
        return out;
    }
    const double Ft = K * std::pow(x, n);
    if (lam > 0) {
        const double Fl = lam * rho * x / mu;
        if (Fl <= Ft) {
            out.F0 = sign_of(dP) * Fl;
            out.g = lam * rho / mu;
            return out;
        }
    } else if (n < 1 && x < kSecantPressure) {
        const double slope = K * std::pow(kSecantPressure, n) / kSecantPressure;
        out.F0 = dP * slope;
        out.g = slope;
        return out;
    }
    out.F0 = sign_of(dP) * Ft;
    out.g = n * Ft / x;
    return out;
}

LinkFlow ElementModel::one_way(double dP, const FlowState& s) const
{
    const bool forward = dP >= 0;
    const double rho_up = forward ? s.rho_n : s.rho_m;
    LinkFlow out;
    switch (type_) {
    case kPlrQcn:
        return power_law(dP, s, lam_, turb_, n_, s.rho_n, s.rho_m);
    case kPlrFcn:
        return power_law(dP, s, lam_, turb_, n_, 1, 1);
    case kPlrBdq:
    case kPlrBdf: {
        const bool q = type_ == kPlrBdq;
        if (forward) return power_law(dP, s, lam_, turb_, n_, q ? s.rho_n : 1, q ? s.rho_m : 1);
        return power_law(dP, s, lam_, Cn_, xn_, q ? s.rho_n : 1, q ? s.rho_m : 1);
    }
    case kSrvRgv: {
        const double x = std::abs(dP);
        const double scale = forward ? 1 : reverse_;
        if (dPo_ <= 0) {
            out.F0 = sign_of(dP) * scale * rho_up * Qo_;
            return out;
        }
        const double e = std::exp(-x / dPo_);
        out.F0 = sign_of(dP) * scale * rho_up * Qo_ * (1 - e);
        out.g = scale * rho_up * Qo_ * e / dPo_;
        return out;
    }
    case kQfrQab:
    case kQfrFab:
    case kQfrTest2:
    case kQfrCrack: {
        double pressure_factor = 1, flow_factor = 1;
        if (type_ == kQfrQab) flow_factor = rho_up;
        if (type_ == kQfrCrack) pressure_factor = rho_up / kStandardDensity;
        double X = 0, dX = 0;
        quadratic_root(a_, b_, dP * pressure_factor, X, dX);
        out.F0 = sign_of(dP) * flow_factor * X;
        out.g = flow_factor * pressure_factor * dX;
        return out;
    }
    case kFanCmf:
        out.F0 = flow_;
        return out;
    case kFanCvf:
        out.F0 = s.rho_n * flow_;
        return out;
    case kFanFan:
        return fan(dP, s);
    case kDctDwc:
        return darcy(dP, s);
    case kCsfFsp:
    case kCsfQsp:
    case kCsfPsf:
    case kCsfPsq:
        return spline(dP, s);
    default:
        // The power laws with F = turb sqrt(rho) dP^n.
        return power_law(dP, s, lam_, turb_, n_, std::sqrt(s.rho_n), std::sqrt(s.rho_m));
    }
}

LinkFlow ElementModel::flow(double dP, const FlowState& s) const
{
    if (type_ == kDorDoor) return door(dP, s);
    if (type_ == kDorPl2) return two_openings(dP, s);
    return one_way(dP, s);
}

LinkFlow ElementModel::door(double dPb, const FlowState& s) const
{
    // dP falls with height at the rate b: dP(z) = dPb - b (z - zb).
    const double H = height_;
    const double b = s.gravity * (s.rho_n - s.rho_m);
    const double dPt = dPb - b * H;
    const auto orifice = [&]() {
        return power_law(dPb - 0.5 * b * H, s, lam_, turb_, n_, std::sqrt(s.rho_n), std::sqrt(s.rho_m));
    };
    if (std::abs(s.T_n - s.T_m) < dTmin_ || H <= 0 ||
        std::abs(b) * H <= 1e-3 * std::max(std::abs(dPb), std::abs(dPt)))
        return orifice();
    const auto h = [](double x) { return 2.0 / 3.0 * std::pow(std::abs(x), 1.5); };
    const auto r = [](double x) { return sign_of(x) * std::sqrt(std::abs(x)); };
    const double per_metre = turb_ / H;  // times sqrt(rho_up)
    LinkFlow out;
    if ((dPb >= 0) == (dPt >= 0)) {
        const double C = per_metre * std::sqrt(dPb >= 0 ? s.rho_n : s.rho_m);
        out.F0 = C * (h(dPb) - h(dPt)) / b;
        out.g = C * (r(dPb) - r(dPt)) / b;
        if (out.g <= 0 || !std::isfinite(out.g)) return orifice();
        return out;
    }
    const double C_lo = per_metre * std::sqrt(dPb >= 0 ? s.rho_n : s.rho_m);
    const double C_hi = per_metre * std::sqrt(dPt >= 0 ? s.rho_n : s.rho_m);
    out.F0 = C_lo * h(dPb) / b;
    out.F1 = -C_hi * h(dPt) / b;
    out.g = (C_lo * std::sqrt(std::abs(dPb)) + C_hi * std::sqrt(std::abs(dPt))) / std::abs(b);
    return out;
}

LinkFlow ElementModel::two_openings(double dPb, const FlowState& s) const
{
    const double b = s.gravity * (s.rho_n - s.rho_m);
    const double mid = 0.5 * height_;
    const auto k_n = std::sqrt(s.rho_n), k_m = std::sqrt(s.rho_m);
    const LinkFlow lower = power_law(dPb - b * (mid - hmid_), s, lam_, turb_, n_, k_n, k_m);
    const LinkFlow upper = power_law(dPb - b * (mid + hmid_), s, lam_, turb_, n_, k_n, k_m);
    return {lower.F0, upper.F0, lower.g + upper.g};
}

LinkFlow ElementModel::fan(double dP, const FlowState& s) const
{
    if (!fan_on_) return power_law(dP, s, lam_, turb_, n_, std::sqrt(s.rho_n), std::sqrt(s.rho_m));
    // The curve holds at the reference density: the rise it must make there.
    const double rho = s.rho_n;
    const double target = -dP * rdens_ / rho;
    const auto rise = [&](double F) { return c_[0] + F * (c_[1] + F * (c_[2] + F * c_[3])); };
    const auto slope = [&](double F) { return c_[1] + F * (2 * c_[2] + F * 3 * c_[3]); };
    double F = 0, dF = 0;
    if (target >= c_[0]) {
        // Beyond shut-off: the tangent at zero flow, continued.
        const double k = slope(0);
        F = k < 0 ? (target - c_[0]) / k : 0;
        dF = k;
    } else if (target <= 0) {
        const double k = slope(free_flow_);
        F = k < 0 ? free_flow_ + target / k : free_flow_;
        dF = k;
    } else {
        // Newton on the falling cubic, kept inside a shrinking bracket.
        double lo = 0, hi = free_flow_;
        F = free_flow_ * (1 - target / c_[0]);
        for (int i = 0; i < 60; ++i) {
            const double f = rise(F) - target;
            if (f > 0) lo = F; else hi = F;
            const double k = slope(F);
            double next = k < 0 ? F - f / k : 0.5 * (lo + hi);
            if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
            if (std::abs(next - F) <= 1e-14 * free_flow_) {
                F = next;
                break;
            }
            F = next;
        }
        dF = slope(F);
    }
    LinkFlow out;
    out.F0 = rho / rdens_ * F;
    out.g = dF < 0 ? -1 / dF : 0;
    return out;
}

double ElementModel::spline_value(double x, double* slope) const
{
    const double x0 = table_.front().x;
    if (x0 >= 0) {
        // Points on one side only: a line from the origin to the first point
        // and the curve repeated with the opposite sign below zero.
        const double ax = std::abs(x);
        if (ax < x0) {
            const double k = table_.front().y / x0;
            *slope = k;
            return k * x;
        }
        std::size_t hint = 0;
        const SplineValue v = spline_eval(ax, table_, hint);
        *slope = v.dy;
        return sign_of(x) * v.y;
    }
    std::size_t hint = 0;
    const SplineValue v = spline_eval(x, table_, hint);
    *slope = v.dy;
    return v.y;
}

double ElementModel::spline_inverse(double y, double* slope) const
{
    // The curve rises, so bracket y and close in with Newton steps that
    // stay inside the bracket.
    double lo = table_.front().x, hi = table_.back().x;
    if (lo >= 0) lo = -hi;
    double k = 0;
    double span = std::max(hi - lo, 1e-12);
    while (spline_value(lo, &k) > y && span < 1e30) {
        lo -= span;
        span *= 2;
    }
    span = std::max(hi - lo, 1e-12);
    while (spline_value(hi, &k) < y && span < 1e30) {
        hi += span;
        span *= 2;
    }
    double x = 0.5 * (lo + hi);
    for (int i = 0; i < 100; ++i) {
        const double f = spline_value(x, &k) - y;
        if (f > 0) hi = x; else lo = x;
        double next = k > 0 ? x - f / k : 0.5 * (lo + hi);
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        const bool done = std::abs(next - x) <= 1e-13 * std::max(1.0, std::abs(x));
        x = next;
        if (done) break;
    }
    spline_value(x, &k);
    *slope = k > 0 ? 1 / k : 0;
    return x;
}

LinkFlow ElementModel::spline(double dP, const FlowState& s) const
{
    const double rho_up = dP >= 0 ? s.rho_n : s.rho_m;
    const bool volume = type_ == kCsfQsp || type_ == kCsfPsq;
    const double factor = volume ? rho_up : 1;
    double k = 0, y = 0;
    if (type_ == kCsfFsp || type_ == kCsfQsp) y = spline_value(dP, &k);
    else y = spline_inverse(dP, &k);
    return {factor * y, 0, factor * k};
}

LinkFlow ElementModel::linear(const FlowState& s) const
{
    const double rho = 0.5 * (s.rho_n + s.rho_m);
    LinkFlow out;
    switch (type_) {
    case kFanCmf:
    case kFanCvf:
        return one_way(0, s);
    case kPlrQcn:
        out.g = rho * turb_;
        return out;
    case kPlrFcn:
        out.g = turb_;
        return out;
    case kDorDoor:
        out.g = turb_ * std::sqrt(rho);
        return out;
    case kDorPl2:
        out.g = 2 * turb_ * std::sqrt(rho);
        return out;
    case kPlrBdq:
    case kPlrBdf:
    case kSrvRgv:
    case kQfrQab:
    case kQfrFab:
    case kQfrCrack:
    case kQfrTest2:
    case kFanFan:
    case kDctDwc:
    case kCsfFsp:
    case kCsfQsp:
    case kCsfPsf:
    case kCsfPsq: {
        const LinkFlow up = one_way(1, s), down = one_way(-1, s);
        out.F0 = 0.5 * (up.F0 + down.F0);
        out.g = 0.5 * (up.F0 - down.F0);
        return out;
    }
    default:
        out.g = turb_ * std::sqrt(rho);
        return out;
    }
}

}  // namespace avelor::engine
