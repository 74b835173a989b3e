// Species (gases and particles a project knows) and kinetic reactions.
// A species marked for simulation is a contaminant; the contaminants, in
// the contaminant order, lay out every per-contaminant array of a project.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/lists.h"

namespace avelor {

struct Species : NamedLink<Species> {
    float molwt = 0;   // kg/kmol
    float mdiam = 0;   // m
    float edens = 0;   // kg/m³
    float decay = 0;   // 1/s
    float Dm = 2.0e-5f;  // m²/s
    float CCdef = 0;   // kg/kg
    float Cp = 1000;   // J/(kg·K)
    float Kuv = 0;     // m²/J
    // Derived whenever the species is read or accepted; never written.
    float display_factor = 1;
    std::array<std::int16_t, 5> u{};  // units of CCdef, mdiam, edens, Dm, Cp
    std::int16_t t = 0;  // 1 non-trace, 0 trace
    std::int16_t s = 1;  // 1 use in simulation (a contaminant), 0 not
    std::string display_unit_name = "kg/kg";
    std::string plain_unit_name = "kg/kg";
};

struct ReactionPair {
    Species* product = nullptr;
    Species* reactant = nullptr;
    float coefficient = 0;  // 1/s
};

struct KineticReaction : NamedLink<KineticReaction> {
    std::vector<ReactionPair> pairs;
};

}  // namespace avelor
