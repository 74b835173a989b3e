#include "outdoor/weather.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "outdoor/weather_file.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

// Saturation pressures over water and ice as tabled in the ASHRAE Handbook
// of Fundamentals (psychrometric tables), and the humidity ratio of its
// chart at 20 C and 50 %.
TEST(Weather, PsychrometricsMatchPublishedValues)
{
    struct Case {
        double T, psat;
    };
    const std::vector<Case> table = {
        {253.15, 103.26},   // -20 C, over ice
        {263.15, 259.90},   // -10 C, over ice
        {273.16, 611.66},   // the triple point
        {293.15, 2339.3},   // 20 C
        {303.15, 4246.9},   // 30 C
        {323.15, 12352.0},  // 50 C
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.T);
        EXPECT_NEAR(saturation_pressure(c.T), c.psat, 1e-3 * c.psat);
    }
    // Outside 203..373 K the correlation is held at its ends.
    EXPECT_EQ(saturation_pressure(150), saturation_pressure(203));
    EXPECT_EQ(saturation_pressure(400), saturation_pressure(373));

    const double W = humidity_ratio(293.15, 0.5, 101325);
    EXPECT_NEAR(W, 0.00729, 2e-5);
    EXPECT_NEAR(water_mass_fraction(W), W / (1 + W), 1e-12);
    EXPECT_EQ(humidity_ratio(293.15, 0, 101325), 0);

    EXPECT_NEAR(altitude_pressure(1000), 89875, 5);
    EXPECT_NEAR(altitude_pressure(0), 101325, 1e-9);
    EXPECT_NEAR(wind_speed_modifier(10, 0.6, 0.28), 0.36, 1e-12);
    EXPECT_NEAR(wind_speed_modifier(20, 0.6, 0.28), 0.36 * std::pow(2.0, 0.56), 1e-12);
    EXPECT_FALSE(time_zone_doubtful(-6, -90));
    EXPECT_TRUE(time_zone_doubtful(0, -90));
    EXPECT_NEAR(dynamic_pressure(101325, 293.15, 4), 0.5 * 101325 / (287.055 * 293.15) * 16, 1e-12);
}

struct WeatherFileTest : ::testing::Test {
    testing::ScriptedPort port;
    std::string path = ::testing::TempDir() + "weather_test.wth";
    ~WeatherFileTest() override { std::remove(path.c_str()); }
    void write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
};

// Dec31 to Jan01 across the year's end: the records at 00:00, 12:00 and
// 24:00 of each day.
const std::string kAcrossTheYear =
    "WeatherFile AvelorW 2.0\n"
    "! a comment before the description\n"
    "Two winter days\n"
    "12/31 1/1 ! first and last day\n"
    "12/31 3 0 0 278.15\n"
    "1/1 12 0 0 278.15\n"
    "12/31 00:00:00 270.15 100000 2 350  0 0 0 0 0 0\n"
    "12/31 12:00:00 280.15 101000 4  10  0 0 0 0 0 0\n"
    "12/31 24:00:00 275.15 100500 0  90  0 0 0 0 0 0\n"
    "1/1 0:00:00 275.15 100500 6 180  0 0 0 0 0 0\n"
    "1/1 12:00:00 275.15 100500 6   0  0 0 0 0 0 0\n"
    "1/1 86400 275.15 100500 6   0  0 0 0 0 0 0\n";

TEST_F(WeatherFileTest, ReadsAcrossTheYearAndInterpolates)
{
    write(kAcrossTheYear);
    WeatherFile file;
    ASSERT_TRUE(file.read(path)) << file.error();
    EXPECT_EQ(file.description(), "Two winter days");
    EXPECT_EQ(file.first_day(), 365);
    EXPECT_EQ(file.last_day(), 1);
    EXPECT_TRUE(file.covers(365));
    EXPECT_TRUE(file.covers(1));
    EXPECT_FALSE(file.covers(2));
    ASSERT_EQ(file.records().size(), 6u);
    EXPECT_EQ(file.day_type(365), 3);
    EXPECT_EQ(file.day_type(1), 12);

    // A quarter of the way from 00:00 to 12:00 on Dec31.
    const OutdoorConditions q = file.at(365, 3 * 3600);
    EXPECT_DOUBLE_EQ(q.Ta, 272.65);
    EXPECT_DOUBLE_EQ(q.Pb, 100250);
    EXPECT_DOUBLE_EQ(q.Ws, 2.5);
    EXPECT_EQ(q.day_type, 3);
    // 350 and 10 degrees meet at north, not at 180.
    const OutdoorConditions mid = file.at(365, 6 * 3600);
    const double east = 0.5 * 2 * std::sin(350 * M_PI / 180) + 0.5 * 4 * std::sin(10 * M_PI / 180);
    const double north = 0.5 * 2 * std::cos(350 * M_PI / 180) + 0.5 * 4 * std::cos(10 * M_PI / 180);
    EXPECT_NEAR(mid.Wd, std::atan2(east, north) * 180 / M_PI, 1e-9);
    EXPECT_LT(mid.Wd, 5);
    // Midnight is the one instant of both days; the next day's first
    // record is a step change there.
    EXPECT_DOUBLE_EQ(file.at(365, 86400).Ws, file.at(1, 0).Ws);
    EXPECT_EQ(file.at(1, 0).day_type, 12);
    // Calm on one side: the direction of the wind that blows.
    EXPECT_NEAR(file.at(365, 18 * 3600).Wd, 10, 1e-9);
    EXPECT_DOUBLE_EQ(file.at(365, 18 * 3600).Ws, 2);
    // Opposite winds: the stronger weight wins; where they cancel, the
    // direction of the record after the instant.
    EXPECT_NEAR(file.at(1, 5 * 3600).Wd, 180, 1e-9);
    EXPECT_NEAR(file.at(1, 6 * 3600).Wd, 0, 1e-9);
    // Outside the records: the ends' values.
    EXPECT_DOUBLE_EQ(file.at(200, 0).Ta, 270.15);
    EXPECT_DOUBLE_EQ(file.max_dynamic_pressure(), dynamic_pressure(101000, 270.15, 6));
}

TEST_F(WeatherFileTest, DamagedFilesAreRefusedWithWhatAndWhere)
{
    const std::string head = "WeatherFile AvelorW 2.0\nd\n1/1 1/2\n1/1 1 0 0 280\n1/2 1 0 0 280\n";
    const std::string record = "1/1 00:00:00 280 101325 1 0 0 0 0 0 0 0\n";
    const std::string last = "1/2 24:00:00 280 101325 1 0 0 0 0 0 0 0\n";
    struct Case {
        std::string text, says;
    };
    const std::vector<Case> cases = {
        {"WeatherFile AvelorW 1.0\nd\n1/1 1/1\n", "Invalid header data: WeatherFile AvelorW 1.0"},
        {"", "it is empty"},
        {"WeatherFile AvelorW 2.0\nd\n13/1 1/2\n", "the first and last days"},
        {"WeatherFile AvelorW 2.0\nd\n1/1 1/2\n1/1 1 0 0 280\n1/3 1 0 0 280\n", " Incorrect weather file date: 2"},
        {"WeatherFile AvelorW 2.0\nd\n1/1 1/2\n1/1 13 0 0 280\n", "the day type must be 1 to 12"},
        {head + record, "ends before the record of its last day (1/2) at 24:00:00"},
        {head + "1/2 00:00:00 280 101325 1 0 0 0 0 0 0 0\n" + record, "comes before the one above"},
        {head + "1/1 00:00:00 280 101325 1 0 0 0 0 0 0\n", "the date, the time and ten values"},
        {head + "1/1 00:00:00 280 101325 x 0 0 0 0 0 0 0\n", "value 3 of the record"},
        {head + "1/1 25:00:00 280 101325 1 0 0 0 0 0 0 0\n", "time is not a time"},
        {head + "1/5 00:00:00 280 101325 1 0 0 0 0 0 0 0\n", "outside the file's days"},
        {head + "1/1 00:00:00 -3 101325 1 0 0 0 0 0 0 0\n", "above 0 K"},
        {head + "1/1 00:00:00 280 101325 -1 0 0 0 0 0 0 0\n", "must not be negative"},
        {head + "1/1 00:00:00 280 nan 1 0 0 0 0 0 0 0\n", "value 2"},
        {head + std::string(5000, '1') + "\n", "too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        write(c.text);
        WeatherFile file;
        EXPECT_FALSE(file.read(path));
        EXPECT_NE(file.error().find(c.says), std::string::npos) << file.error();
        EXPECT_EQ(file.error().rfind("Bad weather file: " + path, 0), 0u);
        EXPECT_TRUE(file.records().empty());
    }
    write(head + record + last);
    WeatherFile good;
    EXPECT_TRUE(good.read(path)) << good.error();
    WeatherFile missing;
    EXPECT_FALSE(missing.read(path + ".none"));
}

}  // namespace
}  // namespace avelor
