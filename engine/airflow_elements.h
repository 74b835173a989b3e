// The flow through one airflow element as a function of the driving
// pressure: the mass flow from the link's n side to its m side and its
// slope dF/d(dP), which the Newton solver assembles into its Jacobian.
// An ElementModel is made once per element from the stored record (spline
// tables built, fan curve checked) and evaluated many times.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/curve_fit.h"

namespace avelor {
struct AirflowElement;
struct DuctElement;
}

namespace avelor::engine {

// Air constants of the solver.
inline constexpr double kGasConstantAir = 287.055;  // J/(kg K)
inline constexpr double kViscosityAir = 1.81625e-5; // Pa s at 293.15 K
inline constexpr double kStandardDensity = 1.2041;  // kg/m3
inline constexpr double kStandardGravity = 9.8055;  // m/s2

// The viscosity of air at T: the constant, or with the temperature
// adjustment Sutherland's law scaled to the constant at 293.15 K.
double air_viscosity(double T, bool temperature_adjusted);

// What an element sees of the two nodes it joins.
struct FlowState {
    double rho_n = kStandardDensity, rho_m = kStandardDensity;  // kg/m3
    double mu_n = kViscosityAir, mu_m = kViscosityAir;          // Pa s
    double T_n = 293.15, T_m = 293.15;                           // K
    double gravity = kStandardGravity;
};

// The flow through an element at one driving pressure: two parts for the
// two-way elements (F0 the lower, F1 the upper opening or part), F0 alone
// for the others; g = d(F0 + F1)/d(dP) >= 0.
struct LinkFlow {
    double F0 = 0, F1 = 0;
    double g = 0;
    double total() const { return F0 + F1; }
};

class ElementModel {
public:
    // Throws EngineError for a record the solver cannot use (a super
    // element, a duct type, an unusable spline, a negative coefficient or
    // another value out of its range), naming the element; `kind` is what
    // the messages call it.
    explicit ElementModel(const AirflowElement& element, std::string_view kind = "airflow element");

    // The flow law of a duct segment. A Darcy-Colebrook element gives
    //   dP = (f(Re) L / Dh + sum C) F^2 / (2 rho A^2),  Re = |F| Dh / (mu A),
    // with f the friction factor of the element's relative roughness, Dh
    // and A the shape's, rho and mu the upstream node's; a segment of no
    // length follows the smaller of that and its laminar flow (the
    // segment's laminar coefficient). Every other duct type follows the
    // law of the airflow type it shares its record with (dct_plr that of
    // an orifice). Throws EngineError as the constructor does, naming the
    // duct element, and for a Darcy-Colebrook segment with neither length
    // nor loss coefficients or with a roughness Colebrook has no root for.
    static ElementModel duct(const DuctElement& element, double length, double loss_sum);
    // A duct terminal: dP = K F^2 / (2 rho A^2) on the duct area A (an
    // orifice of flow coefficient A sqrt(2 / K)), the smaller of that and
    // the laminar flow that meets it at Reynolds number 30 on the hydraulic
    // diameter D. K and A must be above 0.
    static ElementModel terminal(double K, double area, double diameter);
    // Duct leakage: Q = C |dP|^0.65 (m3/s), the smaller of that and the
    // laminar flow of an opening of the equivalent area at Reynolds number
    // 30. C must be above 0.
    static ElementModel leak(double C);

    int type() const { return type_; }
    bool two_way() const;
    // The flow does not depend on the pressure (constant-flow fans).
    bool constant_flow() const;
    // The element lets air through under a pressure difference, with a
    // slope that ties the pressures of its two sides: not closed (all
    // coefficients 0) and not a fan.
    bool conducts() const;

    // F at the driving pressure dP (Pa, at the link's elevation: for a
    // two-way element the bottom of the opening).
    LinkFlow flow(double dP, const FlowState& state) const;

    // The straight line F = F0 + g dP a linear initialization uses: power
    // laws as if their exponent were 1 (their flow at 1 Pa per pascal),
    // openings as orifices, constant flows as they are, the rest by their
    // secant between -1 and +1 Pa.
    LinkFlow linear(const FlowState& state) const;

private:
    ElementModel() = default;
    std::string range_fault() const;  // "" when every value is usable
    LinkFlow darcy(double dP, const FlowState& state) const;
    LinkFlow one_way(double dP, const FlowState& state) const;
    LinkFlow power_law(double dP, const FlowState& state, double lam, double turb, double n,
                       double density_factor_n, double density_factor_m) const;
    LinkFlow door(double dP, const FlowState& state) const;
    LinkFlow two_openings(double dP, const FlowState& state) const;
    LinkFlow fan(double dP, const FlowState& state) const;
    LinkFlow spline(double dP, const FlowState& state) const;
    double spline_value(double x, double* slope) const;  // with the odd extension
    double spline_inverse(double y, double* slope) const;

    int type_ = 0;
    // Power-law family: F = sgn min(lam rho |dP| / mu, K |dP|^n).
    double lam_ = 0, turb_ = 0, n_ = 0.5;
    // Backdraft dampers: negative side.
    double Cn_ = 0, xn_ = 0.5;
    // Quadratic laws, vents, fans, openings.
    double a_ = 0, b_ = 0;
    double Qo_ = 0, dPo_ = 1, reverse_ = 0;
    double flow_ = 0;
    double dTmin_ = 0.01, height_ = 2, hmid_ = 0;
    double rdens_ = kStandardDensity, free_flow_ = 0, cutoff_ = 0.1;
    double c_[4] = {0, 0, 0, 0};
    bool fan_on_ = false;
    SplineTable table_;
    // Darcy-Colebrook segments: the section, relative roughness, length
    // and sum of loss coefficients.
    double dwc_Dh_ = 0, dwc_A_ = 0, dwc_e_ = 0, dwc_L_ = 0, dwc_C_ = 0;
};

}  // namespace avelor::engine
