// A transient airflow on a weather file: the outdoor conditions of every
// output step are the file's, interpolated, and the stack flow through the
// two orifices of a warm room follows the outdoor temperature and pressure
// as the hand derivation below gives it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "model/project.h"
#include "outdoor/weather_file.h"
#include "prjfile/project_file.h"
#include "simulation/results_layout.h"
#include "simulation_run.h"
#include "support/le_bytes.h"
#include "support/test_files.h"

namespace avelor::engine {
namespace {

using avelor::testing::f32_at;
using avelor::testing::i16_at;
using avelor::testing::i32_at;

constexpr double kR = 287.055;
constexpr double kG = 9.8055;
constexpr double kTurb = 0.00848528;  // the example's orifice: Cd sqrt(2) A
constexpr double kZ1 = 0.5, kZ2 = 2.5;

// Jan01: the outdoors cools from 263.15 K at midnight to 283.15 K at noon
// and back to 273.15 K at 24:00, the pressure rises from 100 to 102 kPa;
// day type 2.
const char* const kWeather =
    "WeatherFile AvelorW 2.0\n"
    "One cold day\n"
    "1/1 1/1\n"
    "1/1 2 0 0 278.15\n"
    "1/1 00:00:00 263.15 100000 0 0  0 0 0 0 0 0\n"
    "1/1 12:00:00 283.15 101000 0 0  0 0 0 0 0 0\n"
    "1/1 24:00:00 273.15 102000 0 0  0 0 0 0 0 0\n";

struct Outdoors {
    double Ta, Pb;
};
Outdoors outdoors_at(int time)
{
    if (time <= 43200) return {263.15 + 20.0 * time / 43200, 100000 + 1000.0 * time / 43200};
    const double w = (time - 43200) / 43200.0;
    return {283.15 - 10 * w, 101000 + 1000 * w};
}

// With the outdoors colder, D = g (rho_a - rho_i) > 0: the driving
// pressure from outdoors in at height z is dP(z) = -p - D z, the air enters
// at the bottom and leaves at the top, rho_a dP1 = rho_i (-dP2) and dP1 -
// dP2 = D (z2 - z1) give dP1 = D (z2 - z1) rho_i / (rho_a + rho_i), p =
// -dP1 - D z1, with rho_i = (Pb + p) / (R Ti) to a fixed point; the flow in
// at the bottom is turb sqrt(rho_a dP1).
double stack_flow(const Outdoors& o, double Ti)
{
    const double rho_a = o.Pb / (kR * o.Ta);
    double p = 0, dP1 = 0;
    for (int pass = 0; pass < 30; ++pass) {
        const double rho_i = (o.Pb + p) / (kR * Ti);
        const double D = kG * (rho_a - rho_i);
        dP1 = D * (kZ2 - kZ1) * rho_i / (rho_a + rho_i);
        p = -dP1 - D * kZ1;
    }
    return kTurb * std::sqrt(rho_a * dP1);
}

TEST(WeatherRun, OutdoorConditionsAndStackFlowFollowTheWeatherFile)
{
    const std::string dir = ::testing::TempDir();
    std::ofstream(dir + "cold_day.wth") << kWeather;
    Project project;
    ASSERT_EQ(read_project(std::string(AVELOR_SOURCE_DIR) + "/examples/stack_two_orifices.prj", project, ReadOptions{}),
              0);
    RunControl& rc = project.rc;
    rc.sim_af = 1;
    rc.sim_mf = 0;
    rc.weather_file = "cold_day.wth";  // beside the project's results
    rc.date_0 = rc.date_1 = 1;
    rc.time_0 = 0;
    rc.time_1 = 86400;
    rc.t_step = 600;
    rc.t_list = 3600;
    ASSERT_EQ(run_control_fault(rc), "");
    const double Ti = project.zones.at(1)->T0;

    NetworkFlowModel flows(project);
    const std::string sim = dir + "cold_day.sim", rst = dir + "cold_day.rst";
    ASSERT_EQ(run_simulation(project, flows, sim, rst, RunOptions{}), RunOutcome::Finished);
    const std::string bytes = avelor::testing::read_file(sim);
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kResultsHeaderSize));
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    ASSERT_EQ(results_header_fault(h, bytes.size()), "");
    const ResultsLayout layout(h);
    ASSERT_EQ(layout.last_step(1), 24);
    for (std::int64_t k = 0; k <= 24; ++k) {
        const int time = static_cast<int>(k) * 3600;
        SCOPED_TRACE(time);
        const Outdoors o = outdoors_at(time);
        const std::int64_t at = layout.step_position(1, k);
        EXPECT_EQ(i16_at(bytes, at + 2), 2);  // the file's day type
        EXPECT_EQ(i32_at(bytes, at + 4), time);
        EXPECT_NEAR(f32_at(bytes, at + 8), o.Ta, 1e-4);
        EXPECT_NEAR(f32_at(bytes, at + 12), o.Pb, 0.01);
        const double F = stack_flow(o, Ti);
        ASSERT_GT(F, 0);
        EXPECT_NEAR(f32_at(bytes, layout.path_position(1, k, 1) + 8), F, 2e-4 * F);   // in at the bottom
        EXPECT_NEAR(f32_at(bytes, layout.path_position(1, k, 2) + 8), -F, 2e-4 * F);  // out at the top
    }
    // Colder outdoors, stronger stack: midnight's flow above noon's.
    EXPECT_GT(f32_at(bytes, layout.path_position(1, 0, 1) + 8), f32_at(bytes, layout.path_position(1, 12, 1) + 8));

    // A day the file does not hold, and a damaged file, end the run with
    // their message and no results.
    std::remove(sim.c_str());
    rc.date_1 = 2;
    NetworkFlowModel again(project);
    try {
        run_simulation(project, again, sim, rst, RunOptions{});
        ADD_FAILURE() << "ran past the weather file";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("does not hold the simulation's day Jan02"), std::string::npos)
            << e.what();
    }
    rc.date_1 = 1;
    std::ofstream(dir + "cold_day.wth") << "WeatherFile AvelorW 2.0\nd\n1/1 1/1\n1/1 2 0 0 278.15\n";
    NetworkFlowModel damaged(project);
    try {
        run_simulation(project, damaged, sim, rst, RunOptions{});
        ADD_FAILURE() << "ran on a damaged weather file";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Bad weather file: "), std::string::npos) << e.what();
    }
    std::remove((dir + "cold_day.wth").c_str());
}

// The shipped year: the example project runs hourly through the synthetic
// year's weather, and its results hold all 365 days with the file's
// temperatures (the records are hourly, so no interpolation), and the stack
// flow of each instant.
TEST(WeatherRun, TheExampleYearRunsThroughAll365Days)
{
    const std::string examples = std::string(AVELOR_SOURCE_DIR) + "/examples/";
    Project project;
    ASSERT_EQ(read_project(examples + "year_on_weather_file.prj", project, ReadOptions{}), 0);
    ASSERT_EQ(run_control_fault(project.rc), "");
    WeatherFile weather;
    ASSERT_TRUE(weather.read(examples + "synthetic_year.wth")) << weather.error();
    const double Ti = project.zones.at(1)->T0;
    NetworkFlowModel flows(project);
    // The results go to the test's folder, away from the example: the
    // weather file is named by its whole path.
    const std::string sim = ::testing::TempDir() + "year.sim", rst = ::testing::TempDir() + "year.rst";
    project.rc.weather_file = examples + "synthetic_year.wth";
    ASSERT_EQ(run_simulation(project, flows, sim, rst, RunOptions{}), RunOutcome::Finished);
    const std::string bytes = avelor::testing::read_file(sim);
    const ResultsHeader h = decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data()));
    ASSERT_EQ(results_header_fault(h, bytes.size()), "");
    EXPECT_EQ(h.dtres0, 1);
    EXPECT_EQ(h.dtres1, 365);
    const ResultsLayout layout(h);
    for (int day = 1; day <= 365; ++day) {
        ASSERT_EQ(layout.last_step(day), 24) << day;
        for (std::int64_t k : {std::int64_t{0}, std::int64_t{15}}) {
            const int time = static_cast<int>(k) * 3600;
            const OutdoorConditions o = weather.at(day, time);
            const std::int64_t at = layout.step_position(day, k);
            ASSERT_EQ(i16_at(bytes, at), day);
            ASSERT_EQ(i16_at(bytes, at + 2), o.day_type) << day;
            ASSERT_NEAR(f32_at(bytes, at + 8), o.Ta, 1e-3) << day;
            const double F = o.Ta < Ti - 0.5 ? stack_flow({o.Ta, o.Pb}, Ti) : 0;
            if (F > 0) {
                ASSERT_NEAR(f32_at(bytes, layout.path_position(day, k, 1) + 8), F, 2e-4 * F) << day;
            }
        }
    }
    std::remove(sim.c_str());
    std::remove(rst.c_str());
}

}  // namespace
}  // namespace avelor::engine
