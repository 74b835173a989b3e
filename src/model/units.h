// Units of the stored values and their conversions.
//
// Every physical value is stored, in memory and in files, in one base unit
// per kind of quantity (SI; concentrations as kg of species per kg of air).
// What a person sees and types is in a unit chosen per field from the kind's
// list; index 0 of every list is the base unit. Records keep the index of the
// chosen unit beside the value, so conversion happens only at display and
// entry.
//
// Some units depend on a species: counts need its particle mass, decay units
// its decay constant and molecular weight, volume units its molecular
// weight. Those conversions take the species as an argument and say through
// their status whether the species could support the unit.
//
// Unit names are single-byte Windows-1252 text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace avelor {

struct Species;

// A bound of a unit-bearing field that is open on that side.
inline constexpr float NO_LIMIT = -999.0f;

enum class UnitKind : int {
    Dimensionless = 1,
    Length = 2,
    Time = 3,
    Mass = 4,
    Temperature = 5,
    Pressure = 6,
    TemperatureDifference = 7,
    PressureDifference = 8,
    MassFlow = 9,
    Area = 10,
    Volume = 11,
    Angle = 12,
    Speed = 13,
    VolumeFlow = 14,
    PerUnitLength = 15,
    PerUnitArea = 16,
    SourceStrength = 17,
    DepositionRate = 18,
    TimeConstant = 19,
    Density = 20,
    DuctLeakage = 21,
    Diffusivity = 22,
    SpecificHeat = 23,
    // Concentrations: the full list and the lists a species' properties
    // allow, each the full list with the units it cannot support left out.
    ConcentrationNoDecay = 24,         // M, d and rho, but no decay constant
    Concentration = 25,                // everything
    ConcentrationNoCount = 26,         // M and decay, no particle size
    ConcentrationNoDecayNoCount = 27,  // M only
    ConcentrationNoVolume = 28,        // particle size, no M: mass and count units
    ConcentrationMassOnly = 29,        // neither M nor particle size
    SurfaceMass = 30,
    HeatTransfer = 31,
    Power = 32,
    PowerPerArea = 33,
    OccupantDensity = 34,
    MassFlowPerArea = 35,
    VolumeFlowPerArea = 36,
};

inline constexpr int kUnitKindCount = 36;

constexpr int kind_number(UnitKind kind) { return static_cast<int>(kind); }

// Number of units of a kind. A kind outside 1..36 is fatal:
// "Invalid units type: " and the kind number.
int unit_count(UnitKind kind);

// The display names of a kind's units, index 0 first. UnitKind{0} gives
// instead the kind names indexed by kind ("null", "Dimensionless", ...).
// A kind outside 0..36 is fatal as in unit_count().
std::span<const std::string> unit_display_names(UnitKind kind);

// The kind's name, as titles and labels show it ("Pressure Difference").
const std::string& unit_kind_name(UnitKind kind);

// One unit's name: display names for dialogs, plain names (^2, ^3, words
// spelled out) for messages, reports and exported text. An index outside
// the kind's list is fatal: "Invalid units conversion: type " kind " : "
// index.
const std::string& unit_display_name(UnitKind kind, int index);
const std::string& unit_plain_name(UnitKind kind, int index);

// True when kind is 1..36 and index names one of its units. Says nothing:
// for readers, which must check an index from a file before anything can
// be fatal about it.
bool unit_index_valid(UnitKind kind, int index);

// Whether a species could support the unit a conversion was asked for.
enum class ConversionStatus : int {
    Ok = 0,
    NeedsMolecularWeight = 1,
    NeedsDiameterAndDensity = 2,
    NeedsDecayConstant = 3,
};

struct Conversion {
    float value = 0;
    ConversionStatus status = ConversionStatus::Ok;
    bool ok() const { return status == ConversionStatus::Ok; }
};

// Converts a base-unit value into unit index of the kind (to_display), or a
// value in that unit into the base unit. Values are floats, as stored; the
// arithmetic is done in extended precision and the result rounded to a
// float. Index 0 returns the value without looking at the kind or the
// species.
//
// A kind or index out of range is fatal as above. A species-dependent unit
// converted without a species is fatal: "Invalid contaminant pointer". A
// species that lacks a property the unit needs gets an ERROR box ("Units ["
// name "] require a molecular weight", "... diameter and density", "... a
// radiation decay constant"), and the value comes back unconverted with the
// status saying what is missing.
Conversion convert_units_checked(float value, bool to_display, UnitKind kind, int index,
                                 const Species* species = nullptr);

// The same for callers whose unit cannot fail (every unit not depending on
// a species, and those of a kind chosen from the species' own properties).
inline float convert_units(float value, bool to_display, UnitKind kind, int index,
                           const Species* species = nullptr)
{
    return convert_units_checked(value, to_display, kind, index, species).value;
}

// Whether a unit of the kind converts for the species, without telling
// anyone: Ok for units that need no species property, and for index 0 or an
// index the kind does not have (which no conversion would reach). A unit
// that needs a species and is asked about without one reports the first
// property it needs.
ConversionStatus unit_support(UnitKind kind, int index, const Species* species);

// The concentration kind whose units a species' properties support.
UnitKind concentration_kind(const Species& species);

// The index in to_kind of the unit with the same name as unit index in
// from_kind, or 0 (kg/kg) when to_kind has no such unit; the index itself
// when the kinds are equal. A kind that is not a concentration kind is an
// ERROR "Bad Concn Unit Type" and gives 0; so does an index that from_kind
// does not have, which no unit of to_kind can match.
int map_concentration_unit(UnitKind from_kind, UnitKind to_kind, int index);

// True for the kinds 24..29.
constexpr bool is_concentration_kind(UnitKind kind)
{
    return kind >= UnitKind::ConcentrationNoDecay && kind <= UnitKind::ConcentrationMassOnly;
}

}  // namespace avelor
