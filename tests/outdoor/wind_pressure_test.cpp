#include "outdoor/wind_pressure.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "model/project.h"
#include "model/wind_profile.h"
#include "outdoor/weather.h"
#include "outdoor/wpc_file.h"
#include "support/test_files.h"

namespace avelor {
namespace {

// A profile of Cp 0.6 facing the wind falling linearly to -0.3 behind.
WindProfile facade()
{
    WindProfile w = new_wind_profile();
    w.npts = 3;
    w.angles = {};
    w.coefficients = {};
    w.angles[0] = 0, w.coefficients[0] = 0.6f;
    w.angles[1] = 180, w.coefficients[1] = -0.3f;
    w.angles[2] = 360, w.coefficients[2] = 0.6f;
    for (int k = 3; k < kWindProfileSlots; ++k) w.angles[static_cast<std::size_t>(k)] = 360;
    return w;
}

struct WindFixture : ::testing::Test {
    Project project;
    WindProfile* profile = nullptr;
    FlowPath* facing = nullptr;    // wind flag, the profile, wall facing west (270)
    FlowPath* constant = nullptr;  // wind flag, no profile: its constant pressure
    FlowPath* wpc_only = nullptr;  // takes its wind from a WPC file only
    FlowPath* inner = nullptr;     // no wind at all
    Junction* terminal = nullptr;  // a terminal in the wind, facing east
    WindFixture()
    {
        profile = project.wind_profiles.insert_copy(facade());
        FlowPath p;
        p.flags = kPathWindPressure;
        p.wind_profile = profile;
        p.wPmod = 0.36f;
        p.wazm = 270;
        facing = add_path(project, p);
        FlowPath c;
        c.flags = kPathWindPressure;
        c.wPset = -2.5f;
        constant = add_path(project, c);
        FlowPath w;
        w.flags = kPathWpcPressure;
        w.wPset = 7;
        wpc_only = add_path(project, w);
        inner = add_path(project, FlowPath{});
        Junction j;
        j.t = kJunctionExposed;
        j.flags = kJunctionWind;
        j.terminal.wind_profile = profile;
        j.terminal.wind_modifier() = 0.5f;
        j.terminal.wall_azimuth() = 90;
        terminal = add_junction(project, j);
        project.rc.wind_test = {283.15f, 100000.0f, 4, 270, 0, 1, {2, 0, 0, 1}};
    }
};

// Each path's pressure as the rules give it: wPmod q Cp(Wd - azimuth), the
// constant without a profile, nothing without the wind flag; the scale the
// largest, the run log one line each.
TEST_F(WindFixture, UserSetPressuresFollowTheTestWeather)
{
    testing::RunLogFile log;
    const WindPressures w = user_set_wind_pressures(project);
    const double q = 0.5 * 100000 / (287.055 * 283.15) * 16;
    ASSERT_EQ(w.paths.size(), 4u);
    EXPECT_NEAR(w.paths[0], 0.36 * q * 0.6, 1e-5);         // the wind straight at the wall
    EXPECT_NEAR(w.paths[1], -2.5, 1e-6);
    EXPECT_EQ(w.paths[2], 0);
    EXPECT_EQ(w.paths[3], 0);
    ASSERT_EQ(w.terminals.size(), 1u);
    EXPECT_NEAR(w.terminals[0], 0.5 * q * -0.3, 1e-5);      // behind: 270 - 90 = 180
    EXPECT_NEAR(w.scale, 2.5, 1e-6);
    const std::string text = log.text();
    EXPECT_NE(text.find("Computing wind pressures for 4 [m/s], 270 deg:\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  path 2, wP -2.5\n"), std::string::npos);
    EXPECT_NE(text.find("  path 3, wP 0\n"), std::string::npos);
    EXPECT_EQ(text.find("  path 4,"), std::string::npos);
    EXPECT_NE(text.find("  term 1, wP "), std::string::npos);

    // Halfway round, between the points: linear in angle.
    EXPECT_NEAR(path_wind_pressure(*facing, q, 270 + 90), 0.36 * q * 0.15, 1e-5);
    // Calm: the scale is at least 1 % of q, and never below 0.001.
    project.paths.at(2)->flags = 0;
    project.rc.wind_test.Ws = 0;
    EXPECT_DOUBLE_EQ(user_set_wind_pressures(project).scale, 0.001);
}

TEST_F(WindFixture, WeatherScaleIsTheLargestAtTheFilesStrongestWind)
{
    const double q = dynamic_pressure(101325, 273.15, 3);
    const double max_q = dynamic_pressure(102000, 260, 12);
    const WindPressures w = weather_wind_pressures(project, 273.15, 101325, 3, 90, max_q);
    EXPECT_NEAR(w.paths[0], 0.36 * q * -0.3, 1e-5);  // the wind from the east on a west wall
    EXPECT_NEAR(w.terminals[0], 0.5 * q * 0.6, 1e-5);
    EXPECT_NEAR(w.scale, 0.5 * max_q * 0.6, 1e-3);
}

// WPC type: a path takes the record's pressure at its location; one the
// file does not hold is marked; without locations, only those at 0,0.
TEST_F(WindFixture, WpcPressuresComeFromTheRecordAtEachLocation)
{
    facing->X = 1, facing->Y = 2, facing->relHt = 3;
    constant->X = 9, constant->Y = 9;
    terminal->X = 4, terminal->Y = 4, terminal->relHt = 1;
    terminal->zone = ZoneRef::ambient();
    WpcData data;
    data.location_list = {{1, 2, 3, 0}, {4, 4, 1, 0}};
    WpcRecord r;
    r.pressures = {6.5f, -2.0f};
    data.records = {r, r};
    data.records[1].pressures = {1.0f, 1.0f};
    data.max_pressure = 6.5;
    const WindPressures w = wpc_wind_pressures(project, data, 0);
    EXPECT_DOUBLE_EQ(w.paths[0], 6.5);
    EXPECT_DOUBLE_EQ(w.terminals[0], -2.0);
    EXPECT_EQ(w.path_marked[0], 0);
    EXPECT_EQ(w.path_marked[1], 1);  // at 9,9: not in the file
    EXPECT_EQ(w.path_marked[3], 0);  // takes no wind
    EXPECT_DOUBLE_EQ(w.scale, 6.5);
    EXPECT_DOUBLE_EQ(wpc_wind_pressures(project, data, 1).paths[0], 1.0);
    // No locations: the paths at 0,0 are marked (the WPC-only path 3).
    const WindPressures none = wpc_wind_pressures(project, WpcData{}, 0);
    EXPECT_EQ(none.path_marked[0], 0);
    EXPECT_EQ(none.path_marked[2], 1);
    EXPECT_DOUBLE_EQ(none.scale, 0.001);
}

}  // namespace
}  // namespace avelor
