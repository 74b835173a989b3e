#include "model/units.h"

#include <array>
#include <cmath>
#include <vector>

#include "app/diagnostics.h"
#include "model/species.h"

namespace avelor {

namespace {

using Names = std::vector<std::string>;

// The units of every kind's list as dialogs show them. Concentration kinds
// other than the full list are made from it below.
const Names& display_table(int kind)
{
    static const std::array<Names, kUnitKindCount + 1> tables = {{
        {},
        {"", ""},
        {"m", "ft", "cm", "in", "mm", "dm", "\xB5m"},
        {"s", "min", "h"},
        {"kg", "lb", "g", "#", "Bq", "pCi"},
        {"K", "R", "\xB0" "C", "\xB0" "F"},
        {"Pa", "in. H20", "kPa", "in.Hg", "atm.", "psi", "mm.Hg"},
        {"\xB0" "C", "\xB0" "F"},
        {"Pa", "in. H20"},
        {"kg/s", "scfm", "sL/s", "sm\xB3/s", "sm\xB3/h", "lb/s", "sft\xB3/h", "sL/min", "kg/h"},
        {"m\xB2", "ft\xB2", "cm\xB2", "in\xB2", "mm\xB2", "dm\xB2", "\xB5m\xB2"},
        {"m\xB3", "ft\xB3", "cm\xB3", "in\xB3", "mm\xB3", "L", "\xB5m\xB3"},
        {"rad", "deg"},
        {"m/s", "fpm", "cm/s", "mph", "m/h", "km/h", "knot"},
        {"m\xB3/s", "cfm", "L/s", "L/min", "m\xB3/h", "ft\xB3/h"},
        {"m\xB2/m", "in\xB2/ft", "cm\xB2/m"},
        {"m\xB2/m\xB2", "in\xB2/ft\xB2", "cm\xB2/m\xB2"},
        {"kg/s",     "lb/s",     "Bq/s",     "pCi/s",    "g/s",      "mg/s",
         "\xB5g/s",  "ng/s",     "m\xB3/s",  "L/s",      "mL/s",     "\xB5L/s",
         "kg/min",   "lb/min",   "Bq/min",   "pCi/min",  "g/min",    "mg/min",
         "\xB5g/min", "ng/min",  "m\xB3/min", "L/min",   "mL/min",   "\xB5L/min",
         "kg/h",     "lb/h",     "Bq/h",     "pCi/h",    "g/h",      "mg/h",
         "\xB5g/h",  "ng/h",     "m\xB3/h",  "L/h",      "mL/h",     "\xB5L/h",
         "#/s",      "#/min",    "#/h"},
        {"kg/s",      "lb/s",     "g/s",      "mg/s",     "\xB5g/s",
         "ng/s",      "m\xB3/s",  "L/s",      "mL/s",     "\xB5L/s",
         "kg/min",    "lb/min",   "g/min",    "mg/min",   "\xB5g/min",
         "ng/min",    "m\xB3/min", "L/min",   "mL/min",   "\xB5L/min",
         "kg/h",      "lb/h",     "g/h",      "mg/h",     "\xB5g/h",
         "ng/h",      "m\xB3/h",  "L/h",      "mL/h",     "\xB5L/h",
         "#/s",       "#/min",    "#/h"},
        {"1/s", "1/min", "1/h", "1/dy", "1/yr"},
        {"kg/m\xB3", "lb/ft\xB3", "g/cm\xB3"},
        {"L/s/m\xB2", "cfm/100ft\xB2"},
        {"m\xB2/s", "ft\xB2/s", "cm\xB2/s", "ft\xB2/h"},
        {"J/(kgK)", "Btu/(lbF)", "kJ/(kgK)"},
        {},  // 24: made from 25
        {"kg/kg",     "ppm",       "ppb",       "Bq/kg",     "Bq/m\xB3",  "pCi/lb",
         "pCi/L",     "kg/m\xB3",  "lb/lb",     "lb/ft\xB3", "g/kg",      "g/m\xB3",
         "g/lb",      "g/ft\xB3",  "mg/kg",     "mg/m\xB3",  "mg/lb",     "mg/ft\xB3",
         "\xB5g/kg",  "\xB5g/m\xB3", "\xB5g/lb", "\xB5g/ft\xB3", "ng/kg",  "ng/m\xB3",
         "ng/lb",     "ng/ft\xB3", "m\xB3/kg",  "m\xB3/m\xB3", "ft\xB3/lb", "ft\xB3/ft\xB3",
         "L/kg",      "L/m\xB3",   "L/lb",      "L/ft\xB3",  "mL/kg",     "mL/m\xB3",
         "mL/lb",     "\xB5L/kg",  "\xB5L/m\xB3", "\xB5L/lb", "#/kg",     "#/m\xB3",
         "#/lb",      "#/ft\xB3",  "#/L",       "#/cm\xB3"},
        {},  // 26..29: made from 25
        {},
        {},
        {},
        {"kg/m\xB2", "g/m\xB2", "mg/m\xB2", "\xB5g/m\xB2", "#/m\xB2", "kg/cm\xB2", "g/cm\xB2",
         "mg/cm\xB2", "\xB5g/cm\xB2", "#/cm\xB2", "lb/ft\xB2", "#/ft\xB2", "lb/in\xB2",
         "#/in\xB2"},
        {"W/m\xB2\xB7K", "Btu/h\xB7" "ft\xB2\xB0" "F"},
        {"W", "Btu/h"},
        {"W/m\xB2", "Btu/h\xB7" "ft\xB2", "W/ft\xB2", "kJ/h\xB7m\xB2"},
        {"#/m\xB2", "#/ft\xB2", "#/100m\xB2", "#/1000ft\xB2"},
        {"kg/s\xB7m\xB2", "scfm/ft\xB2", "sL/s\xB7m\xB2", "sm\xB3/s\xB7m\xB2", "sm\xB3/h\xB7m\xB2",
         "lb/s\xB7" "ft\xB2", "sft\xB3/h\xB7" "ft\xB2", "sL/min\xB7m\xB2", "kg/h\xB7m\xB2"},
        {"m\xB3/s\xB7m\xB2", "cfm/ft\xB2", "L/s\xB7m\xB2", "L/min\xB7m\xB2", "m\xB3/h\xB7m\xB2",
         "ft\xB3/h\xB7" "ft\xB2"},
    }};
    return tables[static_cast<std::size_t>(kind)];
}

// Groups of the full concentration list (kind 25) by full-list index.
bool is_decay_unit(int full) { return full >= 3 && full <= 6; }
bool is_count_unit(int full) { return full >= 40 && full <= 45; }
bool is_volume_unit(int full) { return full == 1 || full == 2 || (full >= 26 && full <= 39); }

bool concentration_kind_has(int kind, int full)
{
    switch (kind) {
    case 24: return !is_decay_unit(full);
    case 25: return true;
    case 26: return !is_count_unit(full);
    case 27: return !is_decay_unit(full) && !is_count_unit(full);
    case 28: return !is_decay_unit(full) && !is_volume_unit(full);
    default: return !is_decay_unit(full) && !is_volume_unit(full) && !is_count_unit(full);
    }
}

constexpr int kFullConcentrationCount = 46;

// Full-list index of each unit of a concentration kind.
std::vector<int> full_indices(int kind)
{
    std::vector<int> indices;
    for (int full = 0; full < kFullConcentrationCount; ++full)
        if (concentration_kind_has(kind, full)) indices.push_back(full);
    return indices;
}

// ² and ³ spelled ^2 and ^3.
std::string with_plain_powers(std::string_view display)
{
    std::string plain;
    for (char c : display) {
        if (c == '\xB2')
            plain += "^2";
        else if (c == '\xB3')
            plain += "^3";
        else
            plain += c;
    }
    return plain;
}

// Plain names: ^2 and ^3 for the superscripts, with the kinds that spell
// their units differently given whole.
Names plain_names(int kind, const Names& display)
{
    switch (kind) {
    case 6: return {"Pa", "in.H2O", "kPa", "in.Hg", "atm.", "psi", "mm.Hg"};
    case 8: return {"Pa", "in.H2O"};
    case 23: return {"J/(kg K)", "Btu/(lb F)", "kJ/(kg K)"};
    case 31: return {"W/(m^2 K)", "Btu/(h ft^2F)"};
    case 33: return {"W/m^2", "Btu/(h ft^2)", "W/ft^2", "kJ/(h m^2)"};
    case 35:
        return {"kg/(s m^2)",   "scfm/ft^2",      "sL/(s m^2)",   "sm^3/(s m^2)", "sm^3/(h m^2)",
                "lb/(s ft^2)",  "sft^3/(h ft^2)", "sL/(min m^2)", "kg/(h m^2)"};
    case 36:
        return {"m^3/(s m^2)", "cfm/ft^2",    "L/(s m^2)",
                "L/(min m^2)", "m^3/(h m^2)", "ft^3/(h ft^2)"};
    default: break;
    }
    Names names;
    // Litres are spelled with a small l in plain text.
    for (const std::string& name : display)
        names.push_back(kind == 11 && name == "L" ? std::string(1, 'l') : with_plain_powers(name));
    return names;
}

struct UnitTables {
    std::array<Names, kUnitKindCount + 1> display;
    std::array<Names, kUnitKindCount + 1> plain;
    // For each concentration kind, the full-list index of each of its units.
    std::array<std::vector<int>, kUnitKindCount + 1> full;
};

const UnitTables& unit_tables()
{
    static const UnitTables tables = [] {
        UnitTables t;
        t.display[0] = {"null",
                        "Dimensionless",
                        "Length",
                        "Time",
                        "Mass",
                        "Temperature",
                        "Pressure",
                        "Temperature Difference",
                        "Pressure Difference",
                        "Mass Flow Rate",
                        "Area",
                        "Volume",
                        "Angle",
                        "Speed",
                        "Volumetric Flow Rate",
                        "Per Unit Length",
                        "Per Unit Area",
                        "Source Strength",
                        "Deposition Flow Rate",
                        "Time Constant",
                        "Density",
                        "Duct Leakage Rate",
                        "Molecular Diffusivify",
                        "Specific Heat",
                        "Mass Concentration",
                        "Mass Concentration",
                        "Mass Concentration",
                        "Mass Concentration",
                        "Mass Concentration",
                        "Mass Concentration",
                        "Surface Mass",
                        "Thermal Conductivity",
                        "Power",
                        "Power Per Area",
                        "Occupant Density",
                        "Mass Flow per Area",
                        "Volume Flow per Area"};
        const Names& full_list = display_table(25);
        for (int kind = 1; kind <= kUnitKindCount; ++kind) {
            const auto k = static_cast<std::size_t>(kind);
            if (kind >= 24 && kind <= 29) {
                t.full[k] = full_indices(kind);
                for (int full : t.full[k])
                    t.display[k].push_back(full_list[static_cast<std::size_t>(full)]);
            } else {
                t.display[k] = display_table(kind);
            }
            t.plain[k] = plain_names(kind, t.display[k]);
        }
        return t;
    }();
    return tables;
}

[[noreturn]] void invalid_kind(UnitKind kind)
{
    report_fatal({"Invalid units type: ", std::to_string(kind_number(kind))});
}

bool kind_in_range(UnitKind kind)
{
    return kind_number(kind) >= 1 && kind_number(kind) <= kUnitKindCount;
}

void check_unit(UnitKind kind, int index)
{
    if (!kind_in_range(kind)) invalid_kind(kind);
    if (index < 0 || index >= unit_count(kind))
        report_fatal({"Invalid units conversion: type ", std::to_string(kind_number(kind)), " : ",
                      std::to_string(index)});
}

// What a species must have for a unit.
enum class Needs { Nothing, DecayConstant, MolecularWeight, Particle };

struct SpeciesUse {
    bool uses_species = false;
    Needs needs = Needs::Nothing;
};

// Full-list concentration units: what each needs of its species.
Needs concentration_needs(int full)
{
    if (is_decay_unit(full)) return Needs::DecayConstant;
    if (is_volume_unit(full)) return Needs::MolecularWeight;
    if (is_count_unit(full)) return Needs::Particle;
    return Needs::Nothing;
}

int full_concentration_index(int kind, int index)
{
    return unit_tables().full[static_cast<std::size_t>(kind)][static_cast<std::size_t>(index)];
}

// Which units depend on a species, and on which of its properties. Source
// strength and concentration units take the species for every unit, even
// those that use none of its properties.
SpeciesUse species_use(int kind, int index)
{
    switch (kind) {
    case 4:
        if (index == 3) return {true, Needs::Particle};
        if (index >= 4) return {true, Needs::DecayConstant};
        return {};
    case 17:
        if (index >= 36) return {true, Needs::Particle};
        switch (index % 12) {
        case 2: case 3: return {true, Needs::DecayConstant};
        case 8: case 9: case 10: case 11: return {true, Needs::MolecularWeight};
        default: return {true, Needs::Nothing};
        }
    case 18:
        if (index >= 30) return {true, Needs::Particle};
        return {};
    case 30:
        if (index == 4 || index == 9 || index == 11 || index == 13) return {true, Needs::Particle};
        return {true, Needs::Nothing};
    default: break;
    }
    if (kind >= 24 && kind <= 29)
        return {true, concentration_needs(full_concentration_index(kind, index))};
    return {};
}

// A unit's conversion: value in the unit = base value × a × b, taken in that
// order; base value = value ÷ b ÷ a.
struct Factor {
    long double a = 1;
    long double b = 1;
};

// The constants of the species-dependent conversions.
constexpr long double kAirDensity = 1.2041L;       // kg/m³
constexpr long double kMolarVolume = 24.05L;       // m³/kmol
constexpr long double kAvogadro = 6.023e23L;
constexpr long double kPiOver6 = 0.5235987938053089L;  // the stored value, not exact π/6
constexpr long double kPicocurie = 0.037L;         // Bq per pCi
constexpr long double kPoundsPerKg = 2.2046L;      // the species units' pound
constexpr long double kKgPerPound = 0.45359L;
constexpr long double kCubicFeetPerM3 = 35.3147L;

struct SpeciesProperties {
    long double M = 0, d = 0, rho = 0, lambda = 0;
    long double particle_mass() const { return rho * (d * d * d) * kPiOver6; }
    // Disintegrations per second of 1 kg of species.
    long double becquerels_per_kg() const { return kAvogadro * 1000 * lambda / M; }
};

SpeciesProperties properties_of(const Species* species)
{
    if (!species) return {};
    return {species->molwt, species->mdiam, species->edens, species->decay};
}

// The factor written beside each unit of the kinds that need no species.
long double simple_factor(int kind, int index)
{
    using F = long double;
    const auto i = static_cast<std::size_t>(index);
    switch (kind) {
    case 2: {
        static constexpr std::array<F, 7> f = {
            1, 1 / 0.3048L, 10.0L * 10, 12 / 0.3048L, 1000, 10, 1000.0L * 1000};
        return f[i];
    }
    case 3: return index == 1 ? 1 / 60.0L : 1 / 60.0L / 60;
    case 4: return index == 1 ? 1 / 0.45359237L : 1000;
    case 6: {
        static constexpr std::array<F, 7> f = {
            1, 1 / 248.84L, 0.001L, 1 / 3386.42L, 1 / 101325.0L, 1 / 6894.757L, 1 / 133.331L};
        return f[i];
    }
    case 7: return 1.8L;
    case 8: return 1 / 248.84L;
    case 9: {
        static constexpr std::array<F, 9> f = {
            1,
            2118.88L / 1.2041L,
            1000 / 1.2041L,
            1 / 1.2041L,
            3600 / 1.2041L,
            2.204622622L,
            60 * 2118.88L / 1.2041L,
            60.0L * 1000 / 1.2041L,
            3600};
        return f[i];
    }
    case 10: {
        static constexpr std::array<F, 7> f = {
            1, 1 / 0.09290304L, 100.0L * 100, 144 / 0.09290304L, 1000.0L * 1000, 100,
            1000.0L * 1000 * 1000 * 1000};
        return f[i];
    }
    case 11: {
        static constexpr std::array<F, 7> f = {
            1, 35.3146667L, 1000.0L * 1000, 1728 * 35.3146667L, 1000.0L * 1000 * 1000, 1000,
            1000.0L * 1000 * 1000 * 1000 * 1000 * 1000};
        return f[i];
    }
    case 12: return 1 / 0.0174532925L;
    case 13: {
        static constexpr std::array<F, 7> f = {
            1, 1 / 0.00508L, 100, 1 / 0.44704L, 3600, 3.6L, 1 / 0.5144444L};
        return f[i];
    }
    case 14: {
        static constexpr std::array<F, 6> f = {1, 2118.88L, 1000, 60000, 3600, 60 * 2118.88L};
        return f[i];
    }
    case 15: return index == 1 ? 472.440945L : 10000;
    case 16: return index == 1 ? 144 : 10000;
    case 19: {
        static constexpr std::array<F, 5> f = {
            1, 60, 60.0L * 60, 24.0L * 60 * 60, 365.2422L * 24 * 60 * 60};
        return f[i];
    }
    case 20: return index == 1 ? 0.0624279606L : 0.001L;
    case 21: return 19.685L;
    case 22: {
        static constexpr std::array<F, 4> f = {
            1, 1 / 0.09290304L, 10000, 3600 / 0.09290304L};
        return f[i];
    }
    case 23: return index == 1 ? 1 / 4186.8L : 0.001L;
    case 31: return 1 / 5.678263L;
    case 32: return 3.41214L;
    case 33: {
        static constexpr std::array<F, 4> f = {1, 1 / 3.15491L, 0.09290304L, 3.6L};
        return f[i];
    }
    case 34: {
        static constexpr std::array<F, 4> f = {1, 0.09290304L, 100, 92.90304L};
        return f[i];
    }
    case 35: {
        // The mass flow units, each per-ft² one also × 0.09290304.
        static constexpr std::array<F, 9> f = {
            1,
            2118.88L / 1.2041L * 0.09290304L,
            1000 / 1.2041L,
            1 / 1.2041L,
            3600 / 1.2041L,
            0.2048161436365708854L,
            60 * 2118.88L / 1.2041L * 0.09290304L,
            60.0L * 1000 / 1.2041L,
            3600};
        return f[i];
    }
    case 36: {
        static constexpr std::array<F, 6> f = {
            1, 2118.88L * 0.09290304L, 1000, 60.0L * 1000, 3600, 60 * 2118.88L * 0.09290304L};
        return f[i];
    }
    default: return 1;
    }
}

// kg, g, mg, µg, ng of species per kg of it.
long double mass_unit(int step)
{
    long double f = 1;
    for (int i = 0; i < step; ++i) f *= 1000;
    return f;
}

Factor mass_factor(int index, const SpeciesProperties& s)
{
    switch (index) {
    case 3: return {1 / s.particle_mass()};
    case 4: return {s.lambda * (1000 * kAvogadro) / s.M};
    case 5: return {s.lambda * (1000 * kAvogadro) / s.M / kPicocurie};
    default: return {simple_factor(4, index)};
    }
}

// Per-second units first, then per-minute and per-hour ones.
long double per_time(int block)
{
    static constexpr std::array<long double, 3> per = {1, 60, 3600};
    return per[static_cast<std::size_t>(block)];
}

Factor source_strength_factor(int index, const SpeciesProperties& s)
{
    if (index >= 36) return {1 / s.particle_mass(), per_time(index - 36)};
    const long double per = per_time(index / 12);
    const int unit = index % 12;
    switch (unit) {
    case 0: return {1, per};
    case 1: return {kPoundsPerKg, per};
    case 2: return {s.becquerels_per_kg(), per};
    case 3: return {s.becquerels_per_kg() / kPicocurie, per};
    case 4: case 5: case 6: case 7: return {mass_unit(unit - 3), per};
    default:  // m³, L, mL, µL of the species as a gas
        return {mass_unit(unit - 8) * kMolarVolume / s.M, per};
    }
}

Factor deposition_factor(int index, const SpeciesProperties& s)
{
    if (index >= 30) return {1 / s.particle_mass(), per_time(index - 30)};
    const long double per = per_time(index / 10);
    const int unit = index % 10;
    switch (unit) {
    case 0: return {1, per};
    case 1: return {kPoundsPerKg, per};
    case 2: case 3: case 4: case 5: return {mass_unit(unit - 1), per};
    default:  // m³, L, mL, µL of air
        return {mass_unit(unit - 6) / kAirDensity, per};
    }
}

// A full-list concentration unit: the amount of species per kg of air in the
// unit's measure (a), then the step from per kg of air to the unit's
// reference quantity of air (b).
Factor concentration_factor(int full, const SpeciesProperties& s)
{
    enum Ref { PerKg, PerLb, PerM3, PerFt3, PerL, PerCm3 };
    static constexpr std::array<long double, 6> reference = {
        1, kKgPerPound, kAirDensity, kAirDensity / kCubicFeetPerM3, 0.001L * kAirDensity,
        0.001L * 0.001L * kAirDensity};
    auto make = [&](long double a, Ref ref) { return Factor{a, reference[ref]}; };
    // The references of the mass and count families, in list order.
    static constexpr std::array<Ref, 6> refs = {PerKg, PerM3, PerLb, PerFt3, PerL, PerCm3};
    auto gas = [&] { return kMolarVolume / s.M; };  // m³ of species per kg of it
    switch (full) {
    case 0: return make(1, PerKg);
    case 1: return make(1000.0L * 1000 * kMolarVolume / s.M, PerM3);
    case 2: return make(1000.0L * 1000 * 1000 * kMolarVolume / s.M, PerM3);
    case 3: return make(s.becquerels_per_kg(), PerKg);
    case 4: return make(s.becquerels_per_kg(), PerM3);
    case 5: return make(1 / kPicocurie * s.becquerels_per_kg(), PerLb);
    case 6: return make(1 / kPicocurie * s.becquerels_per_kg(), PerL);
    case 7: return make(1, PerM3);
    case 8: return make(kPoundsPerKg, PerLb);
    case 9: return make(kPoundsPerKg, PerFt3);
    case 26: return make(gas(), PerKg);
    case 27: return make(gas(), PerM3);
    case 28: return make(kMolarVolume * kCubicFeetPerM3 / s.M, PerLb);
    case 29: return make(kMolarVolume * kCubicFeetPerM3 / s.M, PerFt3);
    case 30: return make(1000 * gas(), PerKg);
    case 31: return make(1000 * gas(), PerM3);
    case 32: return make(1000 * gas(), PerLb);
    case 33: return make(1000 * gas(), PerFt3);
    case 34: return make(1000.0L * 1000 * gas(), PerKg);
    case 35: return make(1000.0L * 1000 * gas(), PerM3);
    case 36: return make(1000.0L * 1000 * gas(), PerLb);
    case 37: return make(1000.0L * 1000 * 1000 * gas(), PerKg);
    case 38: return make(1000.0L * 1000 * 1000 * gas(), PerM3);
    case 39: return make(1000.0L * 1000 * 1000 * gas(), PerLb);
    default: break;
    }
    auto per = [&](int position) { return refs[static_cast<std::size_t>(position)]; };
    if (full >= 40) return make(1 / s.particle_mass(), per(full - 40));
    // 10..25: g, mg, µg, ng, each per kg, m³, lb and ft³.
    return make(mass_unit((full - 10) / 4 + 1), per((full - 10) % 4));
}

Factor surface_mass_factor(int index, const SpeciesProperties& s)
{
    // m² per ft², as the surface units have always had it.
    constexpr long double kFt2 = 0.092903L;
    constexpr long double kIn2 = 1 / 144.0L * kFt2;
    const long double count = 1 / s.particle_mass();
    switch (index) {
    case 1: case 2: case 3: return {mass_unit(index), 1};
    case 4: return {count, 1};
    case 5: case 6: case 7: case 8: return {mass_unit(index - 5), 0.0001L};
    case 9: return {count, 0.0001L};
    case 10: return {kPoundsPerKg, kFt2};
    case 11: return {count, kFt2};
    case 12: return {kPoundsPerKg, kIn2};
    case 13: return {count, kIn2};
    default: return {1, 1};
    }
}

// Called only once the species is known to have what the unit needs.
Factor factor_of(int kind, int index, const SpeciesProperties& s)
{
    switch (kind) {
    case 4: return mass_factor(index, s);
    case 17: return source_strength_factor(index, s);
    case 18: return deposition_factor(index, s);
    case 30: return surface_mass_factor(index, s);
    default: break;
    }
    if (kind >= 24 && kind <= 29)
        return concentration_factor(full_concentration_index(kind, index), s);
    return {simple_factor(kind, index)};
}

ConversionStatus missing_property(Needs needs, const Species& species)
{
    switch (needs) {
    case Needs::DecayConstant:
        if (!(species.decay > 0)) return ConversionStatus::NeedsDecayConstant;
        if (!(species.molwt > 0)) return ConversionStatus::NeedsMolecularWeight;
        return ConversionStatus::Ok;
    case Needs::MolecularWeight:
        return species.molwt > 0 ? ConversionStatus::Ok : ConversionStatus::NeedsMolecularWeight;
    case Needs::Particle:
        return species.edens * species.mdiam > 0 ? ConversionStatus::Ok
                                                 : ConversionStatus::NeedsDiameterAndDensity;
    default: return ConversionStatus::Ok;
    }
}

std::string_view missing_text(ConversionStatus status)
{
    switch (status) {
    case ConversionStatus::NeedsMolecularWeight: return "] require a molecular weight";
    case ConversionStatus::NeedsDiameterAndDensity: return "] require diameter and density";
    default: return "] require a radiation decay constant";
    }
}

Conversion temperature(long double v, bool to_display, int index)
{
    constexpr long double kZeroCelsius = 273.15L;
    if (!to_display) {
        switch (index) {
        case 1: return {static_cast<float>(v / 1.8L)};
        case 2: return {static_cast<float>(v + kZeroCelsius)};
        default: return {static_cast<float>((v - 32) / 1.8L + kZeroCelsius)};
        }
    }
    long double shown = 0;
    switch (index) {
    case 1: return {static_cast<float>(v * 1.8L)};
    case 2: shown = v - kZeroCelsius; break;
    default: shown = (v - kZeroCelsius) * 1.8L + 32; break;
    }
    // A stored 273.15 K is a float a little below it; 0 °C must show as 0.
    if (std::fabs(shown) < 0.00001L) shown = 0;
    return {static_cast<float>(shown)};
}

// The to-base conversions that are not plain divisions by the display
// factor.
bool special_to_base(int kind, int index, long double v, float& result)
{
    if (kind == 9 && index == 5) {
        result = static_cast<float>(v * 0.45359237L);
        return true;
    }
    if (kind == 34 && index == 3) {
        result = static_cast<float>(v / 1000 / 0.09290304L);
        return true;
    }
    if (kind == 36 && (index == 1 || index == 5)) {
        const long double per = index == 5 ? v / 60 : v;
        result = static_cast<float>(per / 196.85039339520003L);
        return true;
    }
    return false;
}

}  // namespace

int unit_count(UnitKind kind)
{
    if (!kind_in_range(kind)) invalid_kind(kind);
    const auto k = static_cast<std::size_t>(kind_number(kind));
    return static_cast<int>(unit_tables().display[k].size());
}

std::span<const std::string> unit_display_names(UnitKind kind)
{
    if (kind_number(kind) < 0 || kind_number(kind) > kUnitKindCount) invalid_kind(kind);
    return unit_tables().display[static_cast<std::size_t>(kind_number(kind))];
}

const std::string& unit_kind_name(UnitKind kind)
{
    if (!kind_in_range(kind)) invalid_kind(kind);
    return unit_tables().display[0][static_cast<std::size_t>(kind_number(kind))];
}

const std::string& unit_display_name(UnitKind kind, int index)
{
    check_unit(kind, index);
    return unit_tables().display[static_cast<std::size_t>(kind_number(kind))]
                                [static_cast<std::size_t>(index)];
}

const std::string& unit_plain_name(UnitKind kind, int index)
{
    check_unit(kind, index);
    return unit_tables().plain[static_cast<std::size_t>(kind_number(kind))]
                              [static_cast<std::size_t>(index)];
}

bool unit_index_valid(UnitKind kind, int index)
{
    return kind_in_range(kind) && index >= 0 && index < unit_count(kind);
}

Conversion convert_units_checked(float value, bool to_display, UnitKind kind, int index,
                                 const Species* species)
{
    if (index == 0) return {value};
    check_unit(kind, index);
    const int k = kind_number(kind);
    const long double v = value;
    if (k == 1) return {value};
    if (k == 5) return temperature(v, to_display, index);

    const SpeciesUse use = species_use(k, index);
    if (use.uses_species) {
        if (!species) report_fatal({"Invalid contaminant pointer"});
        const ConversionStatus status = missing_property(use.needs, *species);
        if (status != ConversionStatus::Ok) {
            show_message(ERROR, {"Units [", unit_plain_name(kind, index), missing_text(status)});
            return {value, status};
        }
    }
    const Factor f = factor_of(k, index, properties_of(species));
    if (to_display) return {static_cast<float>(v * f.a * f.b)};
    float result = 0;
    if (special_to_base(k, index, v, result)) return {result};
    return {static_cast<float>(v / f.b / f.a)};
}

ConversionStatus unit_support(UnitKind kind, int index, const Species* species)
{
    if (index == 0 || !unit_index_valid(kind, index)) return ConversionStatus::Ok;
    const SpeciesUse use = species_use(kind_number(kind), index);
    if (!use.uses_species) return ConversionStatus::Ok;
    if (!species) return ConversionStatus::NeedsMolecularWeight;
    return missing_property(use.needs, *species);
}

UnitKind concentration_kind(const Species& species)
{
    const bool weight = species.molwt > 0;
    const bool particle = species.mdiam > 0 && species.edens > 0;
    const bool decay = species.decay > 0;
    if (!weight)
        return particle ? UnitKind::ConcentrationNoVolume : UnitKind::ConcentrationMassOnly;
    if (particle) return decay ? UnitKind::Concentration : UnitKind::ConcentrationNoDecay;
    return decay ? UnitKind::ConcentrationNoCount : UnitKind::ConcentrationNoDecayNoCount;
}

int map_concentration_unit(UnitKind from_kind, UnitKind to_kind, int index)
{
    if (!is_concentration_kind(from_kind) || !is_concentration_kind(to_kind)) {
        report_error(ERROR, {"Bad Concn Unit Type"});
        return 0;
    }
    if (from_kind == to_kind) return index;
    if (!unit_index_valid(from_kind, index)) return 0;
    const std::string& name = unit_display_name(from_kind, index);
    const auto names = unit_display_names(to_kind);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return 0;
}

}  // namespace avelor
