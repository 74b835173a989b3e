// What a duct terminal's data hold, by name. The record keeps them as the
// project file orders them (TerminalData: three floats, a 16-bit value, six
// floats, two 16-bit values, two bytes); these give each its meaning.
//
//   f1: constant wind pressure (Pa), wind pressure modifier, wall azimuth
//       (degrees; -1 not set); i1: the wind values' display unit
//   f2: duct area (m2), free face area (m2), design flow rate (kg/s),
//       terminal loss coefficient, balance loss coefficient, maximum
//       balance coefficient; i2: area and flow display units
//   b:  balance terminal (1 when it is one), and a spare byte
#pragma once

#include "model/records.h"

namespace avelor {

// Terminal value t of a junction record.
inline constexpr std::int16_t kJunctionPlain = 0;
inline constexpr std::int16_t kTerminal = 1;
inline constexpr std::int16_t kExposedTerminal = 3;  // its cell's zone is ambient

// Junction flag: the terminal has wind pressure (constant, or variable
// through its wind pressure profile), as a flow path's flag 0x01.
inline constexpr std::uint16_t kTerminalWindPressure = 0x01;

// The defaults a new terminal starts from.
inline constexpr float kDefaultTerminalArea = 0.0314f;       // m2, duct and free face
inline constexpr float kDefaultTerminalLoss = 0.125f;
inline constexpr float kDefaultMaxBalanceCoefficient = 0.8f;

inline float& terminal_wind_pressure(TerminalData& t) { return t.f1[0]; }
inline float& terminal_wind_modifier(TerminalData& t) { return t.f1[1]; }
inline float& terminal_azimuth(TerminalData& t) { return t.f1[2]; }
inline float& terminal_duct_area(TerminalData& t) { return t.f2[0]; }
inline float& terminal_free_area(TerminalData& t) { return t.f2[1]; }
inline float& terminal_design_flow(TerminalData& t) { return t.f2[2]; }
inline float& terminal_loss_coefficient(TerminalData& t) { return t.f2[3]; }
inline float& terminal_balance_coefficient(TerminalData& t) { return t.f2[4]; }
inline float& terminal_max_balance_coefficient(TerminalData& t) { return t.f2[5]; }

inline float terminal_wind_pressure(const TerminalData& t) { return t.f1[0]; }
inline float terminal_wind_modifier(const TerminalData& t) { return t.f1[1]; }
inline float terminal_azimuth(const TerminalData& t) { return t.f1[2]; }
inline float terminal_duct_area(const TerminalData& t) { return t.f2[0]; }
inline float terminal_free_area(const TerminalData& t) { return t.f2[1]; }
inline float terminal_design_flow(const TerminalData& t) { return t.f2[2]; }
inline float terminal_loss_coefficient(const TerminalData& t) { return t.f2[3]; }
inline float terminal_balance_coefficient(const TerminalData& t) { return t.f2[4]; }
inline float terminal_max_balance_coefficient(const TerminalData& t) { return t.f2[5]; }

// The terminal data of a new terminal.
inline TerminalData new_terminal_data()
{
    TerminalData t;
    terminal_azimuth(t) = -1;
    terminal_duct_area(t) = kDefaultTerminalArea;
    terminal_free_area(t) = kDefaultTerminalArea;
    terminal_loss_coefficient(t) = kDefaultTerminalLoss;
    terminal_max_balance_coefficient(t) = kDefaultMaxBalanceCoefficient;
    return t;
}

}  // namespace avelor
