// Species (gases and particles a project knows) and kinetic reactions.
// A species marked for simulation is a contaminant; the contaminants, in
// the contaminant order, lay out every per-contaminant array of a project.
#pragma once

#include <array>
#include <cstddef>
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
    std::vector<ReactionPair> pairs;  // in pair order
};

class Project;

// A new species: a trace contaminant with the usual air-like diffusivity
// and specific heat, everything else 0, concentrations in kg/kg.
Species new_species();

// Recomputes what a species derives from its properties and u[0]: the
// display factor (kg/kg into its concentration unit) and the unit's display
// and plain names. u[0] must be an index of the species' concentration kind.
void update_species_units(Species& species);

// The contaminants of a list (species with s = 1) in contaminant order:
// non-trace ones by descending default concentration (equal ones keep name
// order), then trace ones in name order.
std::vector<Species*> contaminant_order(const NamedList<Species>& species);

// The position of the contaminant named "H2O" in an order, or -1.
int find_h2o_index(const std::vector<Species*>& order);

// What the contaminants of a list add up to. Water is left out of the sum:
// the other non-trace contaminants make up the dry air.
struct ContaminantTally {
    int total = 0;
    int non_trace = 0;
    float non_trace_sum = 0;  // kg/kg, "H2O" left out
};
ContaminantTally tally_contaminants(const NamedList<Species>& species);

// Makes the contaminant order and every per-contaminant array match the
// species' flags. 0 when done; otherwise a WARNING has said why the
// contaminant set is not acceptable and nothing has changed. A change of
// membership or order gives every zone and junction the default
// concentrations and every exposure a zeroed array; an unchanged order only
// refreshes the defaults.
int rebuild_contaminants(Project& project);

// Use counts recounted from scratch: one per kinetic reaction pair naming
// the species as product and one as reactant. The project form also counts
// the exposures' contaminant generations, the source/sink elements, the
// entries of constant-efficiency and gaseous filter elements, the species
// loads of filters and the sensors of mass fractions.
void recount_species_use(NamedList<Species>& species,
                         const NamedList<KineticReaction>& reactions);
void recount_species_use(Project& project);

// Pair order: by the reactant's name followed by the product's name, byte
// by byte, then by coefficient. 0 for pairs that take the same place.
int compare_pairs(const ReactionPair& a, const ReactionPair& b);

// Inserts a pair after every pair that does not come after it; returns its
// position.
std::size_t insert_pair(KineticReaction& reaction, const ReactionPair& pair);
// Puts the edited pair in place of pair `selected`, moving it to its place
// in the order; returns its position. An edit that changes nothing leaves
// the list alone.
std::size_t replace_pair(KineticReaction& reaction, std::size_t selected,
                         const ReactionPair& pair);
// Removes pair `selected`; one that is not there is fatal.
void remove_pair(KineticReaction& reaction, std::size_t selected);

}  // namespace avelor
