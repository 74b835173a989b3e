// Moist air and wind: the saturation pressure of water vapour, the humidity
// ratio, the wind speed modifier of a site, the barometric pressure at an
// altitude and the dynamic pressure of the wind. Units are SI throughout
// (K, Pa, m, m/s).
#pragma once

namespace avelor {

// The gas constant of dry air, J/(kg K).
inline constexpr double kDryAirGasConstant = 287.055;

// Saturation pressure of water vapour over ice (below 273.16 K) or water,
// by the Hyland and Wexler correlations; T is clamped to 203..373 K.
double saturation_pressure(double T);
// Humidity ratio, kg of water per kg of dry air, of air at T, relative
// humidity rh (0..1) and absolute pressure Pb.
double humidity_ratio(double T, double rh, double Pb);
// The mass fraction of water in moist air of humidity ratio W.
inline double water_mass_fraction(double W) { return W / (W + 1); }

// (Ao (wH / 10)^a)^2: the factor between the dynamic pressure of the wind
// at the 10 m reference height and at the building's height wH (m).
double wind_speed_modifier(double wH, double Ao, double a);
// The standard atmosphere's pressure at an altitude (m).
double altitude_pressure(double altitude);
// A time zone (hours) that lies more than half an hour's worth of
// longitude (degrees, east positive) away from it.
bool time_zone_doubtful(double zone, double longitude);
// 1/2 rho U^2 of dry air at Pb and Ta.
double dynamic_pressure(double Pb, double Ta, double Ws);

}  // namespace avelor
