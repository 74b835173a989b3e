#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/species.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

UnitKind kind(int k) { return static_cast<UnitKind>(k); }

// The text a fatal stop carries.
template <class F>
std::string fatal_text(F&& f)
{
    try {
        f();
    } catch (const FatalStop& stop) {
        return stop.what();
    }
    return "<no stop>";
}

Species species_with(float molwt, float mdiam, float edens, float decay)
{
    Species s;
    s.molwt = molwt;
    s.mdiam = mdiam;
    s.edens = edens;
    s.decay = decay;
    return s;
}

TEST(Units, EveryKindHasItsNumberOfUnits)
{
    const int counts[kUnitKindCount + 1] = {0,  2,  7,  3,  6,  4,  7,  2,  2,  9,  7,  7, 2,
                                            7,  6,  3,  3,  39, 33, 5,  3,  2,  4,  3,  42, 46,
                                            40, 36, 26, 20, 14, 2,  2,  4,  4,  9,  6};
    for (int k = 1; k <= kUnitKindCount; ++k) EXPECT_EQ(unit_count(kind(k)), counts[k]) << k;
}

TEST(Units, NamesAreTheSingleByteTexts)
{
    struct Case {
        int kind, index;
        std::string display, plain;
    };
    const std::vector<Case> cases = {
        {1, 1, "", ""},
        {2, 6, "\xB5m", "\xB5m"},
        {5, 2, "\xB0" "C", "\xB0" "C"},
        {6, 1, "in. H20", "in.H2O"},
        {8, 1, "in. H20", "in.H2O"},
        {9, 3, "sm\xB3/s", "sm^3/s"},
        {10, 1, "ft\xB2", "ft^2"},
        {11, 5, "L", "l"},
        {14, 5, "ft\xB3/h", "ft^3/h"},
        {17, 23, "\xB5L/min", "\xB5L/min"},
        {17, 20, "m\xB3/min", "m^3/min"},
        {17, 36, "#/s", "#/s"},
        {18, 19, "\xB5L/min", "\xB5L/min"},
        {18, 32, "#/h", "#/h"},
        {21, 1, "cfm/100ft\xB2", "cfm/100ft^2"},
        {23, 1, "Btu/(lbF)", "Btu/(lb F)"},
        {25, 45, "#/cm\xB3", "#/cm^3"},
        {30, 12, "lb/in\xB2", "lb/in^2"},
        {31, 0, "W/m\xB2\xB7K", "W/(m^2 K)"},
        {31, 1, "Btu/h\xB7" "ft\xB2\xB0" "F", "Btu/(h ft^2F)"},
        {33, 3, "kJ/h\xB7m\xB2", "kJ/(h m^2)"},
        {35, 5, "lb/s\xB7" "ft\xB2", "lb/(s ft^2)"},
        {36, 5, "ft\xB3/h\xB7" "ft\xB2", "ft^3/(h ft^2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + ":" + std::to_string(c.index));
        EXPECT_EQ(unit_display_name(kind(c.kind), c.index), c.display);
        EXPECT_EQ(unit_plain_name(kind(c.kind), c.index), c.plain);
    }
    const auto kinds = unit_display_names(kind(0));
    ASSERT_EQ(kinds.size(), 37u);
    EXPECT_EQ(kinds[0], "null");
    EXPECT_EQ(kinds[22], "Molecular Diffusivify");
    EXPECT_EQ(kinds[36], "Volume Flow per Area");
    EXPECT_EQ(unit_kind_name(UnitKind::PressureDifference) + " " +
                  unit_plain_name(UnitKind::PressureDifference, 0),
              "Pressure Difference Pa");
}

TEST(Units, NoNameHoldsMultiByteText)
{
    // Only ², ³, µ, °, · go beyond ASCII, each as its one Windows-1252 byte.
    const std::string allowed = "\xB2\xB3\xB5\xB0\xB7";
    for (int k = 1; k <= kUnitKindCount; ++k) {
        for (int i = 0; i < unit_count(kind(k)); ++i) {
            const UnitKind unit_kind = kind(k);
            for (const std::string* name :
                 {&unit_display_name(unit_kind, i), &unit_plain_name(unit_kind, i)}) {
                for (char c : *name) {
                    if (static_cast<unsigned char>(c) >= 0x80) {
                        EXPECT_NE(allowed.find(c), std::string::npos) << k << ":" << i;
                    }
                }
            }
        }
    }
}

TEST(Units, ConcentrationKindsFollowTheFullListReindexed)
{
    // Kinds 24 and 27 skip the four decay units; 28 and 29 skip ppm, ppb,
    // the decay units and then the volume units.
    auto full_index = [](int k, int i) {
        if (k == 24 || k == 27) return i > 2 ? i + 4 : i;
        if (k == 28 || k == 29) return i == 0 ? 0 : i <= 19 ? i + 6 : i + 20;
        return i;
    };
    const Species all = species_with(44, 1e-6f, 1000, 1e-3f);
    for (int k = 24; k <= 29; ++k) {
        for (int i = 0; i < unit_count(kind(k)); ++i) {
            SCOPED_TRACE(std::to_string(k) + ":" + std::to_string(i));
            const int full = full_index(k, i);
            EXPECT_EQ(unit_display_name(kind(k), i),
                      unit_display_name(UnitKind::Concentration, full));
            EXPECT_EQ(convert_units(0.25, true, kind(k), i, &all),
                      convert_units(0.25, true, UnitKind::Concentration, full, &all));
        }
    }
    EXPECT_EQ(unit_display_name(UnitKind::ConcentrationMassOnly, 19), "ng/ft\xB3");
}

TEST(Units, OutOfRangeKindsAndIndicesAreFatal)
{
    ScriptedPort port;
    EXPECT_EQ(fatal_text([] { unit_count(kind(37)); }), " Invalid units type: 37\n");
    EXPECT_EQ(fatal_text([] { unit_count(kind(0)); }), " Invalid units type: 0\n");
    EXPECT_EQ(fatal_text([] { unit_display_names(kind(-1)); }), " Invalid units type: -1\n");
    EXPECT_EQ(fatal_text([] { unit_display_name(UnitKind::Length, 7); }),
              " Invalid units conversion: type 2 : 7\n");
    EXPECT_EQ(fatal_text([] { unit_plain_name(UnitKind::Length, -1); }),
              " Invalid units conversion: type 2 : -1\n");
    EXPECT_EQ(fatal_text([] { convert_units(1, true, UnitKind::Time, 3); }),
              " Invalid units conversion: type 3 : 3\n");
    EXPECT_EQ(port.boxes.back().caption, "FATAL");
}

TEST(Units, IndexValidityIsCheckedWithoutAWord)
{
    ScriptedPort port;
    EXPECT_TRUE(unit_index_valid(UnitKind::Length, 6));
    EXPECT_FALSE(unit_index_valid(UnitKind::Length, 7));
    EXPECT_FALSE(unit_index_valid(UnitKind::Length, -1));
    EXPECT_FALSE(unit_index_valid(kind(0), 0));
    EXPECT_FALSE(unit_index_valid(kind(37), 0));
    EXPECT_TRUE(port.boxes.empty());
}

TEST(Units, IndexZeroReturnsTheValue)
{
    ScriptedPort port;
    EXPECT_EQ(convert_units(273.15f, true, UnitKind::Temperature, 0), 273.15f);
    EXPECT_EQ(convert_units(0.1f, false, UnitKind::Concentration, 0), 0.1f) << "no species needed";
    EXPECT_EQ(convert_units(0.1f, true, kind(99), 0), 0.1f) << "the kind is not looked at";
    EXPECT_EQ(convert_units(7.5, true, UnitKind::Dimensionless, 1), 7.5f);
    EXPECT_TRUE(port.boxes.empty());
}

struct Expected {
    int kind, index;
    double base, shown;
};

TEST(Units, SimpleKindsConvertBothWays)
{
    // Hand-computed from the factors: value in the unit for the base value.
    const std::vector<Expected> cases = {
        {2, 1, 1, 3.280839895},      {2, 3, 1, 39.37007874},     {2, 6, 1, 1e6},
        {3, 2, 1, 0.0002777777778},  {4, 1, 1, 2.204622622},     {4, 2, 1, 1000},
        {5, 1, 300, 540},            {5, 2, 300, 26.85},         {5, 3, 300, 80.33},
        {6, 1, 248.84, 1},           {6, 2, 1000, 1},            {6, 3, 1, 0.0002952970984},
        {6, 4, 101325, 1},           {7, 1, 10, 18},             {8, 1, 1, 0.00401864652},
        {9, 1, 1, 1759.720953},      {9, 5, 1, 2.204622622},     {9, 6, 1, 105583.2572},
        {9, 8, 1, 3600},             {10, 3, 1, 1550.0031},      {10, 6, 1, 1e12},
        {11, 1, 1, 35.3146667},      {11, 3, 1, 61023.74406},    {11, 5, 1, 1000},
        {12, 1, 3.14159265, 180},    {13, 1, 1, 196.8503937},    {13, 3, 1, 2.236936292},
        {13, 6, 1, 1.94384466},      {14, 1, 1, 2118.88},        {14, 5, 1, 127132.8},
        {15, 1, 1, 472.440945},      {16, 1, 1, 144},            {19, 4, 1, 31556926.08},
        {20, 1, 1, 0.0624279606},    {21, 1, 1, 19.685},         {22, 3, 1, 38750.0775},
        {23, 1, 1, 0.0002388458966}, {31, 1, 1, 0.1761101943},   {32, 1, 1, 3.41214},
        {33, 1, 1, 0.3169662526},    {34, 3, 1, 92.90304},       {35, 1, 1, 163.4834261},
        {35, 5, 1, 0.2048161436},    {36, 1, 1, 196.8503934},    {36, 5, 1, 196.8503934 * 60},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + ":" + std::to_string(c.index));
        EXPECT_FLOAT_EQ(convert_units(float(c.base), true, kind(c.kind), c.index), float(c.shown));
        EXPECT_FLOAT_EQ(convert_units(float(c.shown), false, kind(c.kind), c.index), float(c.base));
    }
}

TEST(Units, NearZeroCelsiusAndFahrenheitShowAsZero)
{
    EXPECT_LT(273.15f, 273.15) << "the stored float lies below 273.15";
    const float celsius = convert_units(273.15f, true, UnitKind::Temperature, 2);
    EXPECT_EQ(celsius, 0.0f);
    EXPECT_FALSE(std::signbit(celsius));
    EXPECT_EQ(convert_units(255.3722222f, true, UnitKind::Temperature, 3), 0.0f);
    EXPECT_EQ(convert_units(0, false, UnitKind::Temperature, 2), 273.15f);
    EXPECT_EQ(convert_units(32, false, UnitKind::Temperature, 3), 273.15f);
    EXPECT_FLOAT_EQ(convert_units(0.1f, true, UnitKind::Temperature, 2), 0.1f - 273.15f);
}

TEST(Units, SpeciesUnitsUseTheSpeciesProperties)
{
    ScriptedPort port;
    const Species air_like = species_with(28.958605f, 0, 0, 0);
    const Species radon = species_with(222, 0, 0, 1e-3f);
    const Species particle = species_with(0, 1e-6f, 1000, 0);
    const Species gas = species_with(24.05f, 0, 0, 0);
    const Species co2 = species_with(44, 0, 0, 0);
    struct Case {
        const Species* species;
        UnitKind kind;
        int index;
        double shown;  // for 1 base unit
    };
    const std::vector<Case> cases = {
        {&air_like, UnitKind::ConcentrationNoDecayNoCount, 1, 1e6},  // ppm
        {&air_like, UnitKind::ConcentrationNoDecayNoCount, 4, 0.999984514},  // lb/lb
        {&gas, UnitKind::SourceStrength, 23, 6e10},     // µL/min
        {&gas, UnitKind::DepositionRate, 19, 4.982974836e10},  // µL/min of air
        {&particle, UnitKind::SourceStrength, 36, 1.909859251e15},  // #/s
        {&particle, UnitKind::Concentration, 45, 2299661524},  // #/cm³
        {&particle, UnitKind::SurfaceMass, 13, 1.232164264e12},  // #/in²
        {&particle, UnitKind::SurfaceMass, 10, 0.2048139538},  // lb/ft²
        {&radon, UnitKind::SourceStrength, 2, 2.713063063e21},  // Bq/s
        {&radon, UnitKind::ConcentrationNoCount, 4, 3.266799234e21},  // Bq/m³
        {&radon, UnitKind::ConcentrationNoCount, 5, 3.325995337e22},  // pCi/lb
        {&radon, UnitKind::Mass, 4, 2.713063063e21},  // Bq
        {&co2, UnitKind::ConcentrationNoDecayNoCount, 24, 8.755508961},  // ft³/lb
        {&co2, UnitKind::ConcentrationNoDecayNoCount, 21, 3.409628285e10},  // ng/ft³
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(unit_plain_name(c.kind, c.index));
        const Conversion shown = convert_units_checked(1, true, c.kind, c.index, c.species);
        EXPECT_TRUE(shown.ok());
        EXPECT_FLOAT_EQ(shown.value, float(c.shown));
        EXPECT_FLOAT_EQ(convert_units(float(c.shown), false, c.kind, c.index, c.species), 1.0f);
    }
    EXPECT_TRUE(port.boxes.empty());
}

TEST(Units, MissingSpeciesPropertiesAreRefusedWithTheirMessage)
{
    struct Case {
        Species species;
        UnitKind kind;
        int index;
        ConversionStatus status;
        std::string text;
    };
    const std::vector<Case> cases = {
        {species_with(44, 0, 0, 0), UnitKind::SourceStrength, 36,
         ConversionStatus::NeedsDiameterAndDensity, " Units [#/s] require diameter and density\n"},
        {species_with(44, 1e-6f, 0, 0), UnitKind::DepositionRate, 31,
         ConversionStatus::NeedsDiameterAndDensity,
         " Units [#/min] require diameter and density\n"},
        {species_with(0, 0, 0, 0), UnitKind::Concentration, 1,
         ConversionStatus::NeedsMolecularWeight, " Units [ppm] require a molecular weight\n"},
        {species_with(0, 0, 0, 0), UnitKind::SourceStrength, 8,
         ConversionStatus::NeedsMolecularWeight, " Units [m^3/s] require a molecular weight\n"},
        // The decay constant is checked before the molecular weight.
        {species_with(0, 0, 0, 0), UnitKind::Concentration, 3,
         ConversionStatus::NeedsDecayConstant,
         " Units [Bq/kg] require a radiation decay constant\n"},
        {species_with(0, 0, 0, 1e-3f), UnitKind::Concentration, 3,
         ConversionStatus::NeedsMolecularWeight, " Units [Bq/kg] require a molecular weight\n"},
        {species_with(44, 0, 0, 0), UnitKind::Mass, 5, ConversionStatus::NeedsDecayConstant,
         " Units [pCi] require a radiation decay constant\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPort port;
        const Conversion result = convert_units_checked(2.5, true, c.kind, c.index, &c.species);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.value, 2.5f) << "the value comes back unconverted";
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text, c.text);
        EXPECT_EQ(error_count(), 0) << "a box, not a counted error";
    }
}

TEST(Units, SpeciesUnitsWithoutASpeciesAreFatal)
{
    ScriptedPort port;
    const std::string stop = " Invalid contaminant pointer\n";
    EXPECT_EQ(fatal_text([] { convert_units(1, true, UnitKind::SourceStrength, 12); }), stop)
        << "kg/min uses no property, but source strength always takes a species";
    EXPECT_EQ(fatal_text([] { convert_units(1, false, UnitKind::ConcentrationMassOnly, 1); }),
              stop);
    EXPECT_EQ(fatal_text([] { convert_units(1, true, UnitKind::DepositionRate, 30); }), stop);
    EXPECT_EQ(fatal_text([] { convert_units(1, true, UnitKind::Mass, 3); }), stop);
    // Deposition rates in mass or air volume need no species.
    EXPECT_FLOAT_EQ(convert_units(1, true, UnitKind::DepositionRate, 17), 60000 / 1.2041f);
    EXPECT_FLOAT_EQ(convert_units(1, true, UnitKind::Mass, 1), 2.204622622f);
}

TEST(Units, ConcentrationKindFollowsTheProperties)
{
    struct Case {
        float molwt, mdiam, edens, decay;
        UnitKind kind;
    };
    const std::vector<Case> cases = {
        {44, 1e-6f, 1000, 1e-3f, UnitKind::Concentration},
        {44, 1e-6f, 1000, 0, UnitKind::ConcentrationNoDecay},
        {44, 1e-6f, 0, 1e-3f, UnitKind::ConcentrationNoCount},
        {44, 0, 1000, 0, UnitKind::ConcentrationNoDecayNoCount},
        {0, 1e-6f, 1000, 1e-3f, UnitKind::ConcentrationNoVolume},
        {0, 0, 0, 1e-3f, UnitKind::ConcentrationMassOnly},
    };
    for (const Case& c : cases)
        EXPECT_EQ(concentration_kind(species_with(c.molwt, c.mdiam, c.edens, c.decay)), c.kind)
            << c.molwt << " " << c.mdiam << " " << c.edens << " " << c.decay;
}

TEST(Units, ConcentrationUnitsKeepTheirNameAcrossKinds)
{
    ScriptedPort port;
    struct Case {
        UnitKind from, to;
        int index, mapped;
    };
    const std::vector<Case> cases = {
        {UnitKind::Concentration, UnitKind::ConcentrationNoDecay, 3, 0},   // Bq/kg loses its decay
        {UnitKind::ConcentrationNoDecay, UnitKind::ConcentrationNoDecayNoCount, 37, 0},  // #/m³
        {UnitKind::ConcentrationNoDecay, UnitKind::Concentration, 21, 25},  // ng/ft³
        {UnitKind::ConcentrationNoDecay, UnitKind::ConcentrationNoVolume, 36, 20},  // #/kg
        {UnitKind::ConcentrationNoCount, UnitKind::ConcentrationMassOnly, 1, 0},  // ppm
        {UnitKind::ConcentrationNoCount, UnitKind::ConcentrationNoCount, 39, 39},
        // An index its own kind lacks names nothing the other kind has.
        {UnitKind::ConcentrationMassOnly, UnitKind::Concentration, 20, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(map_concentration_unit(c.from, c.to, c.index), c.mapped)
            << kind_number(c.from) << ":" << c.index << " -> " << kind_number(c.to);
    EXPECT_TRUE(port.boxes.empty());

    EXPECT_EQ(map_concentration_unit(UnitKind::Temperature, UnitKind::Concentration, 2), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text.substr(0, 21), " Bad Concn Unit Type\n");
    EXPECT_EQ(error_count(), 1);
}

}  // namespace
}  // namespace avelor
