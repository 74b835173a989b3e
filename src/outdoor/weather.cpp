#include "outdoor/weather.h"

#include <algorithm>
#include <cmath>

namespace avelor {

double saturation_pressure(double T)
{
    T = std::clamp(T, 203.0, 373.0);
    const double lnT = std::log(T);
    double ln_p = 0;
    if (T < 273.16)
        ln_p = -5674.5359 / T + 6.3925247 - 0.009677843 * T + 6.2215701e-7 * T * T + 2.0747825e-9 * T * T * T -
               9.484024e-13 * T * T * T * T + 4.1635019 * lnT;
    else
        ln_p = -5800.2206 / T + 1.3914993 - 0.048640239 * T + 4.1764768e-5 * T * T - 1.4452093e-8 * T * T * T +
               6.5459673 * lnT;
    return std::exp(ln_p);
}

double humidity_ratio(double T, double rh, double Pb)
{
    const double pv = rh * saturation_pressure(T);
    // Vapour at the whole pressure leaves no dry air to hold it.
    if (Pb - pv <= 0) return 0;
    return 0.62472 * pv / (Pb - pv);
}

double wind_speed_modifier(double wH, double Ao, double a)
{
    if (wH <= 0) return 0;
    const double factor = Ao * std::pow(wH / 10.0, a);
    return factor * factor;
}

double altitude_pressure(double altitude) { return 101325.0 * std::pow(1.0 - 2.25569e-5 * altitude, 5.256); }

bool time_zone_doubtful(double zone, double longitude) { return std::fabs(15.0 * zone - longitude) > 7.5; }

double dynamic_pressure(double Pb, double Ta, double Ws)
{
    if (Ta <= 0) return 0;
    return 0.5 * (Pb / (kDryAirGasConstant * Ta)) * Ws * Ws;
}

}  // namespace avelor
