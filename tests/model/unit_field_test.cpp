#include "model/unit_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/species.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

TEST(UnitField, NumbersAreFormattedAsPrintfDoes)
{
    EXPECT_EQ(format_number(1, 6), "     1");
    EXPECT_EQ(format_number(0.1f, 6), "   0.1");
    EXPECT_EQ(format_number(123456789, 6), "1.23457e+08");
    EXPECT_EQ(format_number(1e-5, 6), " 1e-05");
    EXPECT_EQ(format_number(3.28083989, 3, 5), "3.2808");
    EXPECT_EQ(format_number(1, 4, 6), "   1");
    EXPECT_EQ(format_number(2.5, -6), "2.5   ");
}

TEST(UnitField, OnlyPlainDecimalNumbersAreRead)
{
    struct Case {
        std::string text;
        bool ok;
        double value;
    };
    const std::vector<Case> cases = {
        {"12", true, 12},         {" -1.5e3 ", true, -1500}, {"+.5", true, 0.5},
        {"5.", true, 5},          {"1e-400", true, 0},       {"nan", false, 0},
        {"inf", false, 0},        {"-INF", false, 0},        {"0x10", false, 0},
        {"1e400", false, 0},      {"1,5", false, 0},         {"", false, 0},
        {"1e", false, 0},         {".", false, 0},           {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        const auto value = parse_typed_number(c.text);
        ASSERT_EQ(value.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*value, c.value);
        }
    }
}

TEST(UnitField, AcceptedValueIsStoredInTheBaseUnitAndShownAsTyped)
{
    ScriptedPort port;
    float stored = 293.15f;
    UnitField field(stored, UnitKind::Temperature, 2, 0.0f);  // °C, at least 0 K
    EXPECT_EQ(field.shown_text(), "    20");
    EXPECT_TRUE(field.validate("21.50"));
    EXPECT_EQ(stored, 294.65f);
    EXPECT_EQ(field.shown_text(), "  21.5");
    EXPECT_TRUE(port.boxes.empty());
}

TEST(UnitField, RefusalsShowWhyAndKeepTheStoredValue)
{
    struct Case {
        std::string typed;
        std::string box;
    };
    const std::vector<Case> cases = {
        {"-0.001", " Value must not be less than 0 Pa\n"},
        {"12345678901234567890", " There are too many digits in this number.\n"},
        {"nan", " Not a valid number: \"nan\"\n"},
        {"inf", " Not a valid number: \"inf\"\n"},
        {"0x1p3", " Not a valid number: \"0x1p3\"\n"},
        {"3.5e38", " Not a valid number: \"3.5e38\"\n"},
        {"", " Not a valid number: \"\"\n"},
        {"2001", " Value must not be greater than 2000 Pa\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ScriptedPort port;
        float stored = 50;
        UnitField field(stored, UnitKind::Pressure, 0, 0.0f, 2000.0f);
        EXPECT_FALSE(field.validate(c.typed));
        EXPECT_EQ(stored, 50.0f);
        EXPECT_EQ(field.shown_text(), "    50");
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "WARNING");
        EXPECT_EQ(port.boxes[0].text, c.box);
    }
    ScriptedPort port;
    float stored = 50;
    UnitField field(stored, UnitKind::Pressure, 0, 0.0f);
    EXPECT_TRUE(field.validate("1234567890123456789")) << "19 characters are not too many";
    EXPECT_TRUE(field.validate("0")) << "a value equal to a bound is accepted";
    EXPECT_EQ(stored, 0.0f);
}

TEST(UnitField, BoundsAreShownInTheFieldsUnit)
{
    ScriptedPort port;
    float stored = 0.5f;
    UnitField field(stored, UnitKind::Length, 1, 0.01f, 1.0f);  // ft
    EXPECT_FALSE(field.validate("4"));
    EXPECT_FALSE(field.validate("0.01"));
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, " Value must not be greater than 3.28084 ft\n");
    EXPECT_EQ(port.boxes[1].text, " Value must not be less than 0.0328084 ft\n");
    EXPECT_TRUE(field.validate("3"));
    EXPECT_FLOAT_EQ(stored, 0.9144f);
}

TEST(UnitField, NumberBeyondAFloatInTheBaseUnitIsRefused)
{
    // 3e38 is a float in in. H2O but 7.5e40 Pa is not: it must not be
    // stored as infinity.
    ScriptedPort port;
    float stored = 1;
    UnitField field(stored, UnitKind::Pressure, 1);
    EXPECT_FALSE(field.validate("3e38"));
    EXPECT_EQ(stored, 1.0f);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " Not a valid number: \"3e38\"\n");
}

TEST(UnitField, UnitTheSpeciesCannotSupportIsRefusedOnce)
{
    ScriptedPort port;
    Species gas;
    gas.molwt = 44;
    float stored = 2;
    UnitField field(stored, UnitKind::SourceStrength, 36, 0.0f, NO_LIMIT, &gas);
    ASSERT_EQ(port.boxes.size(), 1u) << "showing the value already says so";
    port.boxes.clear();
    EXPECT_FALSE(field.validate("5"));
    EXPECT_EQ(stored, 2.0f);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " Units [#/s] require diameter and density\n");
}

TEST(UnitSelector, ShowsTheStoredValueInTheSelectedUnit)
{
    ScriptedPort port;
    float pressure = 101325;
    std::int16_t pressure_unit = 4;  // atm.
    UnitSelector atm(UnitKind::Pressure, pressure, pressure_unit);
    EXPECT_EQ(atm.selected(), 4);
    EXPECT_EQ(atm.shown_text(), "   1");
    EXPECT_EQ(atm.label(), "atm.");
    EXPECT_EQ(atm.names().size(), 7u);

    float length = 1;
    std::int16_t length_unit = 0;
    UnitSelector feet(UnitKind::Length, length, length_unit);
    EXPECT_EQ(feet.shown_text(), "  1");
    EXPECT_TRUE(feet.select(1));
    EXPECT_EQ(length_unit, 1);
    EXPECT_EQ(feet.shown_text(), "3.2808");
    EXPECT_EQ(length, 1.0f) << "choosing a unit leaves the stored value alone";
}

TEST(UnitSelector, UnitTheSpeciesCannotSupportKeepsThePreviousUnit)
{
    ScriptedPort port;
    Species gas;
    gas.molwt = 44;
    float rate = 1;
    std::int16_t unit = 12;  // kg/min
    UnitSelector selector(UnitKind::SourceStrength, rate, unit, &gas);
    EXPECT_FALSE(selector.select(36));
    EXPECT_EQ(selector.selected(), 12);
    EXPECT_EQ(unit, 12);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text, " Units [#/s] require diameter and density\n");
    EXPECT_TRUE(selector.select(9));  // L/s of a gas with a molecular weight
    EXPECT_EQ(unit, 9);
}

}  // namespace
}  // namespace avelor
