#include "forms/weather_form.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/project.h"
#include "model/species.h"
#include "model/wind_profile.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

// Out-of-range entries are refused with a warning and the value stays;
// temperatures are typed in the unit shown (deg C by default).
TEST(WeatherForm, FieldsKeepTheirRanges)
{
    testing::ScriptedPort port;
    Project project;
    WeatherForm form(project);
    struct Case {
        WeatherField field;
        const char* text;
    };
    const std::vector<Case> refused = {
        {WeatherField::Temperature, "70"},      {WeatherField::Temperature, "-61"},
        {WeatherField::Pressure, "9000"},       {WeatherField::WindSpeed, "-1"},
        {WeatherField::WindDirection, "361"},   {WeatherField::RelativeHumidity, "1.5"},
        {WeatherField::RelativeNorth, "181"},   {WeatherField::TerrainConstant, "0.1"},
        {WeatherField::ProfileExponent, "0.6"}, {WeatherField::Latitude, "91"},
        {WeatherField::Longitude, "-181"},      {WeatherField::TimeZone, "13"},
        {WeatherField::Altitude, "12000"},      {WeatherField::TestTemperature, "61"},
        {WeatherField::TestPressure, "130000"}, {WeatherField::TestWindDirection, "-5"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.text);
        const float before = form.field(c.field).value();
        port.boxes.clear();
        EXPECT_FALSE(form.set_field(c.field, c.text));
        EXPECT_EQ(form.field(c.field).value(), before);
        EXPECT_EQ(port.boxes.size(), 1u);
    }
    EXPECT_FALSE(form.set_day_type(13));
    EXPECT_TRUE(form.set_day_type(12));
    EXPECT_TRUE(form.set_field(WeatherField::Temperature, "-60"));
    EXPECT_FLOAT_EQ(form.working().steady.Ta, 213.15f);
}

TEST(WeatherForm, DerivedValuesFollowTheirInputs)
{
    testing::ScriptedPort port;
    Project project;
    WeatherForm form(project);
    ASSERT_TRUE(form.set_field(WeatherField::Temperature, "20"));
    ASSERT_TRUE(form.set_field(WeatherField::RelativeHumidity, "0.5"));
    EXPECT_EQ(form.humidity_ratio_text(), "7.294");
    EXPECT_EQ(form.mass_fraction_text(), "0.007241");

    EXPECT_EQ(form.wind_modifier_text(), "0.36");
    ASSERT_TRUE(form.set_field(WeatherField::WallHeight, "20"));
    EXPECT_EQ(form.wind_modifier_text(), "0.5307");

    // The altitude sets the steady pressure of its standard atmosphere.
    ASSERT_TRUE(form.set_field(WeatherField::Altitude, "1000"));
    EXPECT_NEAR(form.working().steady.Pb, 89875, 5);
    EXPECT_EQ(form.field(WeatherField::Pressure).shown_text().substr(0, 4), "8987");

    // A time zone half an hour's longitude away or more is doubted.
    port.boxes.clear();
    ASSERT_TRUE(form.set_field(WeatherField::Longitude, "-90"));
    ASSERT_TRUE(form.set_field(WeatherField::TimeZone, "-6"));
    EXPECT_TRUE(port.boxes.empty());
    ASSERT_TRUE(form.set_field(WeatherField::TimeZone, "0"));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_NE(port.boxes[0].text.find(kTimeZoneDoubt), std::string::npos);
    // Nothing reached the project before OK.
    EXPECT_EQ(project.rc.altd, 0);
    EXPECT_FALSE(project.changed());
}

// OK asks about the water vapour, the north and the wind data, and does
// what the answers say.
TEST(WeatherForm, AcceptAsksBeforeChangingTheBuilding)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        testing::ScriptedPort port;
        Project project;
        Species* h2o = testing::add_species(project, "H2O", 0, 0.0f);
        ASSERT_EQ(rebuild_contaminants(project), 0);
        project.CC0.assign(project.Ctm.size(), 0.0f);
        WindProfile* profile = project.wind_profiles.insert_copy(WindProfile{});
        FlowPath windy;
        windy.flags = kPathWindPressure;
        windy.wind_profile = profile;
        windy.wazm = 300;
        windy.wPmod = 0.36f;
        FlowPath inner;
        inner.wazm = 90;
        inner.wPmod = 0.36f;
        FlowPath* a = add_path(project, windy);
        FlowPath* b = add_path(project, inner);
        Junction terminal;
        terminal.t = kJunctionExposed;
        terminal.flags = kJunctionWind;
        terminal.terminal.wall_azimuth() = 180;
        terminal.terminal.wind_modifier() = 0.36f;
        Junction* j = add_junction(project, terminal);
        project.mark_saved();

        WeatherForm form(project);
        ASSERT_TRUE(form.set_field(WeatherField::RelativeHumidity, "0.5"));
        ASSERT_TRUE(form.set_field(WeatherField::RelativeNorth, "90"));
        ASSERT_TRUE(form.set_field(WeatherField::TerrainConstant, "1"));
        const Answer answer = yes ? Answer::Yes : Answer::No;
        port.answers = {answer, answer, answer};
        form.accept();
        EXPECT_EQ(port.questions, (std::vector<std::string>{std::string(kUpdateWaterQuestion),
                                                            std::string(kRotateQuestion),
                                                            std::string(kReviseModifiersQuestion)}));
        const double W = form.humidity_ratio();
        EXPECT_FLOAT_EQ(h2o->CCdef, yes ? static_cast<float>(W / (W + 1)) : 0.0f);
        EXPECT_FLOAT_EQ(project.CC0[0], yes ? static_cast<float>(W / (W + 1)) : 0.0f);
        EXPECT_FLOAT_EQ(a->wazm, yes ? 30.0f : 300.0f);
        EXPECT_FLOAT_EQ(b->wazm, yes ? 180.0f : 90.0f);
        EXPECT_FLOAT_EQ(j->terminal.wall_azimuth(), yes ? 270.0f : 180.0f);
        // (1.0 (10 / 10)^0.28)^2 = 1 for the paths that take wind through a profile.
        EXPECT_FLOAT_EQ(a->wPmod, yes ? 1.0f : 0.36f);
        EXPECT_FLOAT_EQ(b->wPmod, 0.36f);
        EXPECT_FLOAT_EQ(j->terminal.wind_modifier(), yes ? 1.0f : 0.36f);
        // The values are stored whatever the answers.
        EXPECT_FLOAT_EQ(project.rc.N, 90);
        EXPECT_FLOAT_EQ(project.rc.Ao, 1);
        EXPECT_FLOAT_EQ(project.rc.wind_modifier_squared, 1);
        EXPECT_FLOAT_EQ(project.rc.steady.rh, 0.5f);
        EXPECT_TRUE(project.changed());
    }
}

}  // namespace
}  // namespace avelor
