// End-to-end runs of the shipped example projects whose answers are known
// in closed form: each example is copied to a temporary folder, run with
// the command-line tool, and its results file is read back through the
// shared layout and compared with the derivation, byte layout included.
//
// Conventions of every derivation below (one level at 0 m, zones at 0 m):
//   rho_a = Pb / (R Ta), rho_i = (Pb + p_i) / (R T_i)    (R = 287.055)
//   the driving pressure of a path from n to m at height z is
//   dP = p_n - p_m + g[(rho_a - rho_n) z - (rho_a - rho_m) z]  (g = 9.8055)
//   an orifice passes F = turb sqrt(rho_up) |dP|^n with turb = Cd sqrt(2) A,
//   a leak with reference pressure dPref turb = Cd sqrt(2) A dPref^(0.5 - n).
// Densities depend on the pressures they produce; the few fixed-point
// passes below settle that coupling far below the fourth digit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "example_projects.h"
#include "simulation/results_layout.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor::testing {
namespace {

namespace fs = std::filesystem;
namespace ex = examples;

std::string temp_folder()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return tmp ? std::string(tmp) : ::testing::TempDir();
}

std::string shipped(const std::string& name) { return std::string(AVELOR_SOURCE_DIR) + "/examples/" + name; }

struct ProgramRun {
    int code = -1;
    std::string output;  // standard output and standard error together
};

// Runs a program of the build with a home folder of its own.
ProgramRun run_program(const std::string& program, const std::string& arguments)
{
    const std::string home = temp_folder() + "/home";
    fs::create_directories(home);
    const std::string command =
        "HOME='" + home + "' XDG_DATA_HOME= '" + program + "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) run.output += buffer.data();
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// A shipped example copied into a folder of its own.
std::string copy_example(const std::string& name, const std::string& folder_name)
{
    const fs::path folder = fs::path(temp_folder()) / folder_name;
    fs::create_directories(folder);
    const fs::path copy = folder / name;
    fs::copy_file(shipped(name), copy, fs::copy_options::overwrite_existing);
    return copy.string();
}

// Runs the simulation of a project the way a user does from the shell.
ProgramRun simulate(const std::string& project) { return run_program(AVELOR_CLI_PATH, "run " + quoted(project) + " --yes"); }

std::string results_path(const std::string& project)
{
    return fs::path(project).replace_extension(".sim").string();
}

// Agreement to four significant digits: within half a unit of the fourth.
::testing::AssertionResult four_digits(const char* actual_text, const char*, double actual, double expected)
{
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 3);
    if (std::isfinite(actual) && std::fabs(actual - expected) <= 0.5 * unit)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual_text << " is " << actual << ", expected " << expected
                                         << " to four significant digits";
}
#define EXPECT_4DIGITS(actual, expected) EXPECT_PRED_FORMAT2(four_digits, actual, expected)

// The results file as bytes, read through the layout.
class SimFile {
public:
    explicit SimFile(const std::string& path) : bytes_(read_file(path))
    {
        if (bytes_.size() >= kResultsHeaderSize) {
            header_ = decode_results_header(reinterpret_cast<const unsigned char*>(bytes_.data()));
            fault_ = results_header_fault(header_, bytes_.size());
        } else {
            fault_ = "no header";
        }
    }
    bool usable() const { return fault_.empty(); }
    const std::string& fault() const { return fault_; }
    const ResultsHeader& header() const { return header_; }
    ResultsLayout layout() const { return ResultsLayout(header_); }
    std::size_t size() const { return bytes_.size(); }

    template <class T>
    T at(std::int64_t position) const
    {
        T value{};
        if (position >= 0 && static_cast<std::size_t>(position) + sizeof(T) <= bytes_.size())
            std::memcpy(&value, bytes_.data() + position, sizeof(T));
        else
            ADD_FAILURE() << "read past the end of the results file at " << position;
        return value;
    }
    std::int32_t map_entry(int map, int index) const  // map 0..5 in file order
    {
        const ResultsHeader& h = header_;
        const std::array<std::int64_t, 6> counts = {h.naf, h.naf, h.ncn, h.ncn, h.npath, h.npath};
        std::int64_t position = kResultsHeaderSize;
        for (int m = 0; m < map; ++m) position += 4 * counts[m];
        return at<std::int32_t>(position + 4 * index);
    }

    struct Path {
        std::int32_t index;
        float dP, F0, F1;
    };
    struct Node {
        std::int32_t index;
        float T, p, rho;
    };
    Path path(int day, std::int64_t k, int p) const
    {
        const std::int64_t at_p = layout().path_position(day, k, p);
        return {at<std::int32_t>(at_p), at<float>(at_p + 4), at<float>(at_p + 8), at<float>(at_p + 12)};
    }
    Node node(int day, std::int64_t k, int i) const
    {
        const std::int64_t at_n = layout().node_position(day, k, i);
        return {at<std::int32_t>(at_n), at<float>(at_n + 4), at<float>(at_n + 8), at<float>(at_n + 12)};
    }
    std::int16_t day_of(int day, std::int64_t k) const { return at<std::int16_t>(layout().step_position(day, k)); }
    std::int16_t day_type_of(int day, std::int64_t k) const
    {
        return at<std::int16_t>(layout().step_position(day, k) + 2);
    }
    std::int32_t time_of(int day, std::int64_t k) const
    {
        return at<std::int32_t>(layout().step_position(day, k) + 4);
    }
    float weather(int day, std::int64_t k, int field) const  // 0 Ta, 1 Pb, 2 Ws, 3 Wd
    {
        return at<float>(layout().step_position(day, k) + 8 + 4 * field);
    }
    std::int32_t conc_index(int day, std::int64_t k, int i) const
    {
        return at<std::int32_t>(layout().conc_position(day, k, i));
    }
    float conc(int day, std::int64_t k, int i, int c = 0) const
    {
        return at<float>(layout().conc_position(day, k, i) + 4 + 4 * c);
    }

private:
    std::string bytes_;
    ResultsHeader header_;
    std::string fault_;
};

// What every results file of these runs must hold, whatever the case:
// the header of the run, maps with the zones 1..n and the ambient node
// last, flow paths 1..n, records of the stated size, every record with its
// index fields, times on the output grid, and the file's exact length.
struct RunShape {
    int nzones = 1;
    int npaths = 2;
    int nctm = 0;
    int tstep = 3600;
    int day0 = ex::kSteadyDay, time0 = ex::kSteadyTime;
    int day1 = ex::kSteadyDay, time1 = ex::kSteadyTime;
    int day_type = 1;
};

void expect_layout(const SimFile& sim, const RunShape& run)
{
    ASSERT_TRUE(sim.usable()) << sim.fault();
    const ResultsHeader& h = sim.header();
    EXPECT_EQ(h.version, 24);
    EXPECT_EQ(h.nzones, run.nzones);
    EXPECT_EQ(h.npaths, run.npaths);
    EXPECT_EQ(h.nctm, run.nctm);
    EXPECT_EQ(h.njct, 0);
    EXPECT_EQ(h.nduct, 0);
    EXPECT_EQ(h.tstep, run.tstep);
    EXPECT_EQ(h.dtres0, run.day0);
    EXPECT_EQ(h.tmres0, run.time0);
    EXPECT_EQ(h.dtres1, run.day1);
    EXPECT_EQ(h.tmres1, run.time1);
    EXPECT_EQ(h.pf, 1);
    EXPECT_EQ(h.zf, 1);
    EXPECT_EQ(h.zc, run.nctm > 0 ? 1 : 0);
    EXPECT_EQ(h.naf, run.nzones + 1);
    EXPECT_EQ(h.ncn, run.nzones + 1);
    ASSERT_EQ(h.npath, run.npaths);

    for (int i = 0; i < run.nzones; ++i) {
        EXPECT_EQ(sim.map_entry(0, i), kResultsNodeZone) << "node " << i + 1;
        EXPECT_EQ(sim.map_entry(1, i), i + 1) << "node " << i + 1;
        EXPECT_EQ(sim.map_entry(2, i), kResultsNodeZone) << "contaminant node " << i + 1;
        EXPECT_EQ(sim.map_entry(3, i), i + 1) << "contaminant node " << i + 1;
    }
    EXPECT_EQ(sim.map_entry(1, run.nzones), 0) << "the ambient node comes last";
    EXPECT_EQ(sim.map_entry(3, run.nzones), 0) << "the ambient node comes last";
    for (int p = 0; p < run.npaths; ++p) {
        EXPECT_EQ(sim.map_entry(4, p), kResultsPathFlowPath) << "path " << p + 1;
        EXPECT_EQ(sim.map_entry(5, p), p + 1) << "path " << p + 1;
    }

    // Sizes from the record contents: time record, path records, node
    // records, concentration records.
    const std::int64_t S = 24 + 4 * run.nctm + 16 * run.npaths + 16 * run.nzones +
                           (run.nctm > 0 ? (4 + 4 * run.nctm) * run.nzones : 0);
    const ResultsLayout layout = sim.layout();
    EXPECT_EQ(layout.step_size(), S);
    EXPECT_EQ(layout.data_base(), 68 + 4 * (2 * (run.nzones + 1) * 2 + 2 * run.npaths));
    EXPECT_EQ(static_cast<std::int64_t>(sim.size()), layout.file_size());

    // Records per day and every record's time and index fields.
    std::int64_t records = 0;
    for (int day = run.day0;; day = day % 365 + 1) {
        const int first = day == run.day0 ? run.time0 : 0;
        const int last = day == run.day1 ? run.time1 : 86400;
        const std::int64_t N = (last - first) / run.tstep;
        EXPECT_EQ(layout.records_in_day(day), N + 2) << "day " << day;
        records += N + 2;
        for (std::int64_t k = 0; k <= N + 1; ++k) {
            const std::int64_t step = std::min(k, N);  // the maxima repeat the last time
            EXPECT_EQ(sim.day_of(day, k), day) << "day " << day << " record " << k;
            EXPECT_EQ(sim.day_type_of(day, k), run.day_type) << "day " << day << " record " << k;
            EXPECT_EQ(sim.time_of(day, k), first + step * run.tstep) << "day " << day << " record " << k;
            for (int p = 1; p <= run.npaths; ++p)
                EXPECT_EQ(sim.path(day, k, p).index, p) << "day " << day << " record " << k;
            for (int i = 1; i <= run.nzones; ++i) {
                EXPECT_EQ(sim.node(day, k, i).index, i) << "day " << day << " record " << k;
                if (run.nctm > 0) {
                    EXPECT_EQ(sim.conc_index(day, k, i), i) << "day " << day << " record " << k;
                }
            }
        }
        if (day == run.day1) break;
    }
    EXPECT_EQ(static_cast<std::int64_t>(sim.size()), layout.data_base() + records * S);
}

// Expected state of one steady case.
struct Expected {
    double Ta = ex::kWarm;
    double Ws = 0, Wd = 0;
    std::vector<double> zone_T, zone_p, zone_rho;
    std::vector<double> dP, F0, F1;
};

// The step record at (day, k) holds the expected state, and the day's
// maxima record its magnitudes.
void expect_state(const SimFile& sim, int day, std::int64_t k, const Expected& e)
{
    EXPECT_FLOAT_EQ(sim.weather(day, k, 0), static_cast<float>(e.Ta));
    EXPECT_FLOAT_EQ(sim.weather(day, k, 1), static_cast<float>(ex::kPb));
    EXPECT_FLOAT_EQ(sim.weather(day, k, 2), static_cast<float>(e.Ws));
    EXPECT_FLOAT_EQ(sim.weather(day, k, 3), static_cast<float>(e.Wd));
    for (std::size_t i = 0; i < e.zone_p.size(); ++i) {
        const SimFile::Node node = sim.node(day, k, static_cast<int>(i) + 1);
        SCOPED_TRACE("zone " + std::to_string(i + 1));
        EXPECT_4DIGITS(node.T, e.zone_T[i]);
        EXPECT_4DIGITS(node.p, e.zone_p[i]);
        EXPECT_4DIGITS(node.rho, e.zone_rho[i]);
    }
    for (std::size_t p = 0; p < e.dP.size(); ++p) {
        const SimFile::Path path = sim.path(day, k, static_cast<int>(p) + 1);
        SCOPED_TRACE("path " + std::to_string(p + 1));
        EXPECT_4DIGITS(path.dP, e.dP[p]);
        EXPECT_4DIGITS(path.F0, e.F0[p]);
        if (e.F1[p] == 0) {
            EXPECT_EQ(path.F1, 0.0f);
        } else {
            EXPECT_4DIGITS(path.F1, e.F1[p]);
        }
    }
}

void expect_maxima(const SimFile& sim, int day, const Expected& e)
{
    const std::int64_t maxima = sim.layout().last_step(day) + 1;
    for (std::size_t p = 0; p < e.dP.size(); ++p) {
        const SimFile::Path path = sim.path(day, maxima, static_cast<int>(p) + 1);
        SCOPED_TRACE("maxima of path " + std::to_string(p + 1) + " on day " + std::to_string(day));
        EXPECT_4DIGITS(path.dP, std::fabs(e.dP[p]));
        EXPECT_4DIGITS(path.F0, std::fabs(e.F0[p]));
        if (e.F1[p] == 0) {
            EXPECT_EQ(path.F1, 0.0f);
        } else {
            EXPECT_4DIGITS(path.F1, std::fabs(e.F1[p]));
        }
    }
}

double density(double T, double p) { return (ex::kPb + p) / (ex::kGasConstant * T); }
double orifice_turb(double area, double cd) { return cd * std::sqrt(2.0) * area; }

// Runs an example and reads its results; empty when the run failed.
struct CaseRun {
    ProgramRun run;
    std::string sim_path;
};
CaseRun run_example(const std::string& name)
{
    CaseRun c;
    const std::string copy = copy_example(name, fs::path(name).stem().string());
    c.run = simulate(copy);
    c.sim_path = results_path(copy);
    return c;
}

// ---------------------------------------------------------------------------
// The shipped files themselves.

class ShippedExample : public ::testing::TestWithParam<ex::Example> {};

// Each shipped example is exactly the documented drawing saved by the
// editor, passes the full building check, and is in the canonical form a
// save writes again byte for byte. (With AVELOR_EXAMPLES_OUT set to a
// folder, the drawings are written there too, to refresh the shipped files.)
TEST_P(ShippedExample, IsTheDrawnProjectCheckedAndCanonical)
{
    const ex::Example& example = GetParam();
    const std::string folder = temp_folder() + "/shipped_" + fs::path(example.file).stem().string();
    fs::create_directories(folder);
    {
        ScriptedPort port;
        EditorSession session;
        example.build(session);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        const std::string drawn = folder + "/drawn.prj";
        ASSERT_TRUE(write_session_file(session, drawn));
        // Read back and saved once more, as the editor would leave it: the
        // reader derives the orifices' laminar coefficients from the
        // written (rounded) diameters.
        EditorSession reopened;
        ASSERT_TRUE(open_in_session(reopened, drawn));
        ASSERT_EQ(check_building(reopened, kRenumberOnly), 0);
        ASSERT_TRUE(write_session_file(reopened, drawn));
        EXPECT_TRUE(port.boxes.empty()) << port.boxes.front().text;
        if (const char* out = std::getenv("AVELOR_EXAMPLES_OUT"))
            fs::copy_file(drawn, fs::path(out) / example.file, fs::copy_options::overwrite_existing);
        EXPECT_EQ(read_file(drawn), read_file(shipped(example.file))) << example.file << " is not the drawing";
    }

    const std::string copy = copy_example(example.file, "shipped_" + fs::path(example.file).stem().string());
    const ProgramRun check = run_program(AVELOR_CLI_PATH, "check " + quoted(copy));
    EXPECT_EQ(check.code, 0) << check.output;
    EXPECT_EQ(check.output, "");

    const std::string resaved = folder + "/resaved.prj";
    const ProgramRun save = run_program(AVELOR_CLI_PATH, "save " + quoted(copy) + " -o " + quoted(resaved));
    ASSERT_EQ(save.code, 0) << save.output;
    EXPECT_EQ(read_file(resaved), read_file(shipped(example.file)));
}

INSTANTIATE_TEST_SUITE_P(Examples, ShippedExample, ::testing::ValuesIn(ex::shipped_examples()),
                         [](const ::testing::TestParamInfo<ex::Example>& info) {
                             return fs::path(info.param.file).stem().string();
                         });

// ---------------------------------------------------------------------------
// Steady cases.

// (a) Stack effect: a room at 293.15 K on a 273.15 K day with orifices
// (A 0.01 m2, Cd 0.6) at z1 = 0.5 m and z2 = 2.5 m, both drawn from the
// outdoors into the room. With D = g (rho_a - rho_i) the driving pressure
// at height z is dP(z) = -p - D z. Continuity, turb sqrt(rho_a dP1) =
// turb sqrt(rho_i |dP2|), gives rho_a dP1 = -rho_i dP2, and dP1 - dP2 =
// D (z2 - z1); so dP1 = D (z2 - z1) rho_i / (rho_a + rho_i), p = -dP1 - D z1,
// the neutral plane at -p / D, and F = turb sqrt(rho_a dP1) in at the
// bottom, out at the top.
TEST(AnalyticCase, StackThroughTwoOrifices)
{
    const CaseRun c = run_example("stack_two_orifices.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double z1 = 0.5, z2 = 2.5;
    const double rho_a = density(ex::kCold, 0);
    double p = 0, rho_i = 0, dP1 = 0, D = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho_i = density(ex::kWarm, p);
        D = ex::kGravity * (rho_a - rho_i);
        dP1 = D * (z2 - z1) * rho_i / (rho_a + rho_i);
        p = -dP1 - D * z1;
    }
    const double F = orifice_turb(0.01, 0.6) * std::sqrt(rho_a * dP1);
    const double dP2 = -p - D * z2;
    // The neutral plane lies between the openings.
    ASSERT_GT(-p / D, z1);
    ASSERT_LT(-p / D, z2);

    const SimFile sim(c.sim_path);
    expect_layout(sim, {});
    ASSERT_FALSE(::testing::Test::HasFailure());
    Expected e;
    e.Ta = ex::kCold;
    e.zone_T = {ex::kWarm};
    e.zone_p = {p};
    e.zone_rho = {rho_i};
    e.dP = {dP1, dP2};
    e.F0 = {F, -F};
    e.F1 = {0, 0};
    expect_state(sim, ex::kSteadyDay, 0, e);
    expect_maxima(sim, ex::kSteadyDay, e);
}

// (b) A fan of constant mass flow F = 0.03 kg/s blows into an isothermal
// room that leaks out through a leak (A 0.01 m2, n 0.65, Cd 0.6, dPref
// 4 Pa), both at z = 1.5 m. The leak carries the fan's flow from the room:
// F = turb sqrt(rho_i) dP^n, so dP = (F / (turb sqrt(rho_i)))^(1/n) is the
// leak's driving pressure, the fan's is -dP, and the room pressure at the
// floor is p = dP - g (rho_a - rho_i) z (the room air is compressed by p,
// hence a little denser than outdoors).
TEST(AnalyticCase, FanAgainstALeak)
{
    const CaseRun c = run_example("fan_and_leak.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double F = 0.03, n = 0.65, z = 1.5;
    const double turb = 0.6 * std::sqrt(2.0) * 0.01 * std::pow(4.0, 0.5 - n);
    const double rho_a = density(ex::kWarm, 0);
    double p = 0, rho_i = 0, dP = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho_i = density(ex::kWarm, p);
        dP = std::pow(F / (turb * std::sqrt(rho_i)), 1 / n);
        p = dP - ex::kGravity * (rho_a - rho_i) * z;
    }

    const SimFile sim(c.sim_path);
    expect_layout(sim, {});
    ASSERT_FALSE(::testing::Test::HasFailure());
    Expected e;
    e.zone_T = {ex::kWarm};
    e.zone_p = {p};
    e.zone_rho = {rho_i};
    e.dP = {-dP, dP};
    e.F0 = {F, F};
    e.F1 = {0, 0};
    expect_state(sim, ex::kSteadyDay, 0, e);
    expect_maxima(sim, ex::kSteadyDay, e);
}

// Wind through an isothermal room (293.15 K) with equal orifices (A 0.01
// m2, Cd 0.6, n 0.5) at z = 1.5 m in its north wall (path 1, from the
// outdoors in) and its south wall (path 2, from the room out). The wind,
// U = 5 m/s from Wd = 30 degrees, meets the north wall (azimuth 0) at
// 30 - 0 = 30 degrees and the south wall (azimuth 180) at 30 - 180 + 360 =
// 210 degrees. The linear profile through (0, 0.6), (90, -0.3), (180,
// -0.2), (270, -0.3), (360, 0.6) gives Cp1 = 0.6 - 0.9 x 30/90 = 0.3 and
// Cp2 = -0.2 - 0.1 x 30/90 = -0.2333. With q = rho_a U^2 / 2 and the wind
// speed modifier m = (Ao (wH / 10)^a)^2 = 0.36, the wind pressures are
// Pw = m q Cp on the outdoor side of each opening. With P' = p + D z,
// D = g (rho_a - rho_i), the driving pressures are dP1 = Pw1 - P' and
// dP2 = P' - Pw2; equal flows F = turb sqrt(rho_up dP) need rho_a dP1 =
// rho_i dP2, so P' = (rho_a Pw1 + rho_i Pw2) / (rho_a + rho_i), midway
// between the two wind pressures for equal densities, and p = P' - D z.
TEST(AnalyticCase, WindThroughTwoOpposingOpenings)
{
    const CaseRun c = run_example("wind_cross_ventilation.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double z = ex::kOpeningHeight, U = ex::kWindSpeed;
    const double m = static_cast<double>(0.36f);
    const double Cp1 = 0.6 - 0.9 * 30.0 / 90.0, Cp2 = -0.2 - 0.1 * 30.0 / 90.0;
    const double rho_a = density(ex::kWarm, 0);
    const double q = 0.5 * rho_a * U * U;
    const double Pw1 = m * q * Cp1, Pw2 = m * q * Cp2;
    double p = 0, rho_i = 0, P = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho_i = density(ex::kWarm, p);
        P = (rho_a * Pw1 + rho_i * Pw2) / (rho_a + rho_i);
        p = P - ex::kGravity * (rho_a - rho_i) * z;
    }
    const double dP1 = Pw1 - P, dP2 = P - Pw2;
    const double F = orifice_turb(ex::kOpeningArea, ex::kOpeningCd) * std::sqrt(rho_a * dP1);
    ASSERT_GT(dP1, 0);
    ASSERT_GT(dP2, 0);

    const SimFile sim(c.sim_path);
    expect_layout(sim, {});
    ASSERT_FALSE(::testing::Test::HasFailure());
    Expected e;
    e.Ws = U;
    e.Wd = ex::kWindDirection;
    e.zone_T = {ex::kWarm};
    e.zone_p = {p};
    e.zone_rho = {rho_i};
    e.dP = {dP1, dP2};
    e.F0 = {F, F};
    e.F1 = {0, 0};
    expect_state(sim, ex::kSteadyDay, 0, e);
    expect_maxima(sim, ex::kSteadyDay, e);
}

// A door (H 2 m, W 0.8 m, Cd 0.78) from the 273.15 K outdoors into a
// closed room at 293.15 K, its bottom at the floor. With D = g (rho_a -
// rho_i) and the room pressure p, dP(z) = -p - D z changes sign at the
// neutral plane zN = -p / D. Per metre of height the opening passes
// Cd W sqrt(2 rho_up |dP|): cold air in below zN,
//   Fin = Cd W sqrt(2 rho_a D) (2/3) zN^(3/2),
// warm air out above it,
//   Fout = Cd W sqrt(2 rho_i D) (2/3) (H - zN)^(3/2).
// Fin = Fout gives zN / (H - zN) = (rho_i / rho_a)^(1/3), so
// zN = H / (1 + (rho_a / rho_i)^(1/3)) and p = -D zN. The path record holds
// dP at the path's height (the door's bottom), -p, with the inflow in
// Flow0 and the outflow, negative, in Flow1.
TEST(AnalyticCase, DoorWithATemperatureDifference)
{
    const CaseRun c = run_example("door_temperature_difference.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double H = ex::kDoorHeight, W = ex::kDoorWidth, Cd = ex::kDoorCd;
    const double rho_a = density(ex::kCold, 0);
    double p = 0, rho_i = 0, D = 0, zN = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho_i = density(ex::kWarm, p);
        D = ex::kGravity * (rho_a - rho_i);
        zN = H / (1 + std::cbrt(rho_a / rho_i));
        p = -D * zN;
    }
    const double Fin = Cd * W * std::sqrt(2 * rho_a * D) * 2.0 / 3.0 * std::pow(zN, 1.5);
    const double Fout = Cd * W * std::sqrt(2 * rho_i * D) * 2.0 / 3.0 * std::pow(H - zN, 1.5);
    ASSERT_NEAR(Fin, Fout, 1e-12);

    const SimFile sim(c.sim_path);
    expect_layout(sim, {.npaths = 1});
    ASSERT_FALSE(::testing::Test::HasFailure());
    Expected e;
    e.Ta = ex::kCold;
    e.zone_T = {ex::kWarm};
    e.zone_p = {p};
    e.zone_rho = {rho_i};
    e.dP = {-p};
    e.F0 = {Fin};
    e.F1 = {-Fout};
    expect_state(sim, ex::kSteadyDay, 0, e);
    expect_maxima(sim, ex::kSteadyDay, e);
}

// Two isothermal rooms in series: a fan of F = 0.04 kg/s from outdoors into
// room 1, an orifice (A 0.02 m2) from room 1 into room 2 and one (A 0.01 m2)
// from room 2 outdoors, Cd 0.6, everything at the floor (no stack terms).
// Every path carries F. Working back from the outdoors:
//   p2 = (F / (turb3 sqrt(rho_2)))^2,  p1 = p2 + (F / (turb2 sqrt(rho_1)))^2,
// each orifice with the density of the room it draws from, and the fan's
// driving pressure is -p1.
TEST(AnalyticCase, ZonesInSeries)
{
    const CaseRun c = run_example("zones_in_series.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double F = ex::kSeriesFlow;
    const double turb2 = orifice_turb(ex::kInnerArea, ex::kSeriesCd);
    const double turb3 = orifice_turb(ex::kOuterArea, ex::kSeriesCd);
    double p1 = 0, p2 = 0, rho1 = 0, rho2 = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho1 = density(ex::kWarm, p1);
        rho2 = density(ex::kWarm, p2);
        p2 = std::pow(F / (turb3 * std::sqrt(rho2)), 2);
        p1 = p2 + std::pow(F / (turb2 * std::sqrt(rho1)), 2);
    }

    const SimFile sim(c.sim_path);
    expect_layout(sim, {.nzones = 2, .npaths = 3});
    ASSERT_FALSE(::testing::Test::HasFailure());
    Expected e;
    e.zone_T = {ex::kWarm, ex::kWarm};
    e.zone_p = {p1, p2};
    e.zone_rho = {rho1, rho2};
    e.dP = {-p1, p1 - p2, p2};
    e.F0 = {F, F, F};
    e.F1 = {0, 0, 0};
    expect_state(sim, ex::kSteadyDay, 0, e);
    expect_maxima(sim, ex::kSteadyDay, e);
}

// ---------------------------------------------------------------------------
// Transient case.

// (d) A room of V = 100 m3 at 293.15 K, a fan of F = 0.05 kg/s from outdoors
// (tracer free) and an exhaust orifice (A 0.05 m2, Cd 0.6) at z = 1.5 m;
// initial tracer C0 = 1e-3 kg/kg at 06:00 on Jan01, run to 24:00 on Jan02
// with dt = 300 s and hourly results. The airflow is that of the fan case:
// the orifice's dP = (F / (turb sqrt(rho_i)))^2, p = dP - g (rho_a - rho_i) z.
// The mass balance rho_i V dC/dt = -F C with backward Euler gives
// C_k+1 = C_k / (1 + lambda dt), lambda = F / (rho_i V): after h hours
// C = C0 (1 + lambda dt)^(-12 h); after one hour about 0.2444 C0 against the
// exact exp(-lambda 3600) = 0.2243 C0.
TEST(AnalyticCase, DecayInAVentilatedZone)
{
    const CaseRun c = run_example("decay_ventilated_zone.prj");
    ASSERT_EQ(c.run.code, 0) << c.run.output;

    const double F = 0.05, V = 100, dt = 300, z = 1.5, C0 = ex::kTracerStart;
    const double turb = orifice_turb(0.05, 0.6);
    const double rho_a = density(ex::kWarm, 0);
    double p = 0, rho_i = 0, dP = 0;
    for (int pass = 0; pass < 20; ++pass) {
        rho_i = density(ex::kWarm, p);
        dP = std::pow(F / (turb * std::sqrt(rho_i)), 2);
        p = dP - ex::kGravity * (rho_a - rho_i) * z;
    }
    const double factor = 1 / (1 + F * dt / (rho_i * V));  // per time step
    const double hourly = std::pow(factor, 3600 / dt);
    // The backward Euler hour lies above the exact decay, as it must.
    ASSERT_GT(hourly, std::exp(-F * 3600 / (rho_i * V)));

    const SimFile sim(c.sim_path);
    RunShape shape;
    shape.nctm = 1;
    shape.day0 = 1;
    shape.time0 = 6 * 3600;
    shape.day1 = 2;
    shape.time1 = 86400;
    expect_layout(sim, shape);
    ASSERT_FALSE(::testing::Test::HasFailure());
    // Day 1 from 06:00 holds 19 hourly results and its maxima; day 2 from
    // 00:00 to 24:00 holds 25 and its maxima.
    EXPECT_EQ(sim.layout().records_in_day(1), 20);
    EXPECT_EQ(sim.layout().records_in_day(2), 26);
    EXPECT_EQ(sim.layout().day_offset(2), 20 * sim.layout().step_size());

    Expected e;
    e.zone_T = {ex::kWarm};
    e.zone_p = {p};
    e.zone_rho = {rho_i};
    e.dP = {-dP, dP};
    e.F0 = {F, F};
    e.F1 = {0, 0};
    for (int day = 1; day <= 2; ++day) {
        const std::int64_t N = sim.layout().last_step(day);
        for (std::int64_t k = 0; k <= N; ++k) {
            SCOPED_TRACE("day " + std::to_string(day) + " record " + std::to_string(k));
            expect_state(sim, day, k, e);
            EXPECT_EQ(sim.at<float>(sim.layout().step_position(day, k) + 24), 0.0f) << "outdoor tracer";
            const double hours = day == 1 ? static_cast<double>(k) : 18.0 + static_cast<double>(k);
            EXPECT_4DIGITS(sim.conc(day, k, 1), C0 * std::pow(hourly, hours));
        }
        expect_maxima(sim, day, e);
    }
    // One hour after the release, and the factor of one 5-minute step
    // (0.8892) recovered from two hourly records.
    EXPECT_4DIGITS(sim.conc(1, 1, 1) / C0, 0.2444);
    EXPECT_4DIGITS(std::pow(sim.conc(1, 2, 1) / sim.conc(1, 1, 1), dt / 3600), factor);
    // 24:00 of Jan01 and 00:00 of Jan02 are the same instant.
    EXPECT_EQ(sim.conc(1, sim.layout().last_step(1), 1), sim.conc(2, 0, 1));
}

// A scheduled exhaust fan. The room (V = 100 m3, 293.15 K, isothermal
// with the outdoors) starts with C0 = 1e-3 kg/kg of tracer at 00:00 on
// Jan01; the fan (F = 0.01 kg/s at full speed) follows its week schedule
// on the day type of the steady weather: on a Monday the working day,
//   s(t) = 0 before 06:00, (t - 6 h) / 2 h to 08:00, 1 to 18:00,
//          1 - (t - 18 h) / 1 h to 19:00, 0 after,
// on a Sunday 0 all day. The fan's flow is s F; the wall leak (A 0.01 m2,
// n 0.65, Cd 0.6, dPref 4 Pa, at z = 1.5 m) lets the same flow in from
// the tracer-free outdoors: dP = (s F / (turb sqrt(rho_a)))^(1/n),
// p = -dP - g (rho_a - rho_i) z. The tracer's balance rho_i V dC/dt =
// -s F C, stepped by backward Euler with dt = 60 s and the flow and mass
// at the end of each step:
//   C_j = C_j-1 rho_i,j V / (rho_i,j V + s(t_j) F dt).
// The exact decay is C0 exp(-L(t)) with L = F / (rho_a V) times the
// integral of s: 0 to 06:00, (t - 6 h)^2 / 4 h on the ramp up, 1 h +
// (t - 8 h) while on, 11 h + u - u^2 / 2 h on the ramp down (u = t -
// 18 h), 11.5 h after 19:00 (hours in seconds). Backward Euler lies above
// it by at most lambda dt / 2 per unit of L, with lambda = F / (rho_a V),
// plus lambda dt / 2 for taking each step's flow at its end on a ramp.
namespace scheduled {

constexpr double kHour = 3600;

double working_day(double t)
{
    if (t <= 6 * kHour) return 0;
    if (t <= 8 * kHour) return (t - 6 * kHour) / (2 * kHour);
    if (t <= 18 * kHour) return 1;
    if (t <= 19 * kHour) return 1 - (t - 18 * kHour) / kHour;
    return 0;
}
double working_day_integral(double t)  // of s, in s
{
    if (t <= 6 * kHour) return 0;
    if (t <= 8 * kHour) return (t - 6 * kHour) * (t - 6 * kHour) / (4 * kHour);
    if (t <= 18 * kHour) return kHour + (t - 8 * kHour);
    if (t <= 19 * kHour) {
        const double u = t - 18 * kHour;
        return 11 * kHour + u - u * u / (2 * kHour);
    }
    return 11.5 * kHour;
}
double day_off(double) { return 0; }

// The room's density with the leak carrying the flow F in.
double room_density(double F)
{
    const double n = 0.65, z = 1.5;
    const double turb = 0.6 * std::sqrt(2.0) * 0.01 * std::pow(4.0, 0.5 - n);
    const double rho_a = density(ex::kWarm, 0);
    const double dP = std::pow(F / (turb * std::sqrt(rho_a)), 1 / n);
    double p = 0, rho_i = rho_a;
    for (int pass = 0; pass < 20; ++pass) {
        p = -dP - ex::kGravity * (rho_a - rho_i) * z;
        rho_i = density(ex::kWarm, p);
    }
    return rho_i;
}

struct DayCase {
    int day_type;
    double (*s)(double);
    double (*integral)(double);
};

// The flow of path 2 in avelor results' table of one instant.
double printed_fan_flow(const std::string& table)
{
    std::size_t at = table.find("\n2\t");
    if (at == std::string::npos) return NAN;
    const std::size_t f0 = table.find('\t', table.find('\t', at + 1) + 1);
    return std::strtod(table.c_str() + f0 + 1, nullptr);
}

}  // namespace scheduled

TEST(AnalyticCase, ScheduledExhaustFollowsItsDayAndClearsTheTracer)
{
    using namespace scheduled;
    const double F = ex::kExhaustFlow, V = 100, dt = 60, C0 = ex::kTracerStart;
    const double lambda = F / (density(ex::kWarm, 0) * V);
    for (const DayCase& day : {DayCase{ex::kMonday, working_day, working_day_integral},
                               DayCase{1, day_off, [](double) { return 0.0; }}}) {
        SCOPED_TRACE("day type " + std::to_string(day.day_type));
        const std::string copy =
            copy_example("scheduled_exhaust.prj", "scheduled_exhaust_" + std::to_string(day.day_type));
        if (day.day_type != ex::kMonday) {
            ScriptedPort port;
            EditorSession session;
            ASSERT_TRUE(open_in_session(session, copy));
            session.project().rc.steady.day = static_cast<std::int16_t>(day.day_type);
            ASSERT_TRUE(write_session_file(session, copy));
        }
        const ProgramRun run = simulate(copy);
        ASSERT_EQ(run.code, 0) << run.output;
        const SimFile sim(results_path(copy));
        RunShape shape;
        shape.nctm = 1;
        shape.tstep = 1800;
        shape.day0 = shape.day1 = 1;
        shape.time0 = 0;
        shape.time1 = 86400;
        shape.day_type = day.day_type;
        expect_layout(sim, shape);
        ASSERT_FALSE(::testing::Test::HasFailure());

        double C = C0;
        long long j = 0;
        for (std::int64_t k = 0; k <= sim.layout().last_step(1); ++k) {
            const double t = 1800.0 * static_cast<double>(k);
            for (; static_cast<double>(j) * dt < t;) {
                ++j;
                const double flow = day.s(static_cast<double>(j) * dt) * F;
                const double M = room_density(flow) * V;
                C *= M / (M + flow * dt);
            }
            SCOPED_TRACE("t = " + std::to_string(t) + " s");
            const double flow = day.s(t) * F;
            const SimFile::Path fan = sim.path(1, k, 2), leak = sim.path(1, k, 1);
            if (flow == 0) {
                EXPECT_EQ(fan.F0, 0.0f);
                EXPECT_NEAR(leak.F0, 0.0, 1e-12);
            } else {
                EXPECT_NEAR(fan.F0, flow, 1e-6 * flow);
                EXPECT_4DIGITS(leak.F0, flow);
            }
            EXPECT_4DIGITS(sim.node(1, k, 1).rho, room_density(flow));
            const double c = sim.conc(1, k, 1);
            EXPECT_NEAR(c, C, 1e-5 * C);
            const double L = lambda * day.integral(t);
            const double excess = std::log(c / (C0 * std::exp(-L)));
            EXPECT_GE(excess, -0.5 * lambda * dt - 1e-4);
            EXPECT_LE(excess, 0.5 * lambda * dt * (L + 1) + 1e-4);
        }
        if (day.day_type == ex::kMonday) {
            // Most of the tracer is gone by the evening: exp(-11.5 h lambda).
            EXPECT_LT(sim.conc(1, sim.layout().last_step(1), 1), 0.05 * C0);
        } else {
            EXPECT_EQ(sim.conc(1, sim.layout().last_step(1), 1), static_cast<float>(C0));
        }

        // avelor results shows the scheduled flow of each instant asked for.
        for (const char* time : {"03:00:00", "07:00:00", "07:30:00", "12:00:00", "18:30:00", "22:00:00"}) {
            const ProgramRun results =
                run_program(AVELOR_CLI_PATH, "results " + quoted(copy) + " --day Jan01 --time " + time + " --tsv");
            ASSERT_EQ(results.code, 0) << results.output;
            const int h = std::atoi(time), m = std::atoi(time + 3);
            const double expected = day.s(3600.0 * h + 60.0 * m) * F;
            EXPECT_NEAR(printed_fan_flow(results.output), expected, 1e-5 * F) << time << "\n" << results.output;
        }
    }
}

// The controlled exhaust fan: at every step the fan carries the fraction
// the controller gives for the concentration the step before left,
// clamped to 0..1 (the network is evaluated from the last solved state);
// while the room is occupied the concentration settles within the band
// above the set point, at the steady state of the controller law
// (G = Qmax Kp gain u (u + Cset - Co) with u = C - Cset); and concentration
// and fan flow follow controlled_exhaust_reference.py, an independent
// integration of the same room with the same controller sampled every
// step, at a few instants.
TEST(AnalyticCase, ControlledExhaustFanHoldsTheCO2NearItsSetPoint)
{
    const std::string copy = copy_example("controlled_exhaust_fan.prj", "controlled_exhaust_fan");
    {
        // Results at every calculation step.
        ScriptedPort port;
        EditorSession session;
        ASSERT_TRUE(open_in_session(session, copy));
        session.project().rc.t_list = 60;
        ASSERT_TRUE(write_session_file(session, copy));
    }
    // The engine on the saved project, as the editor starts it.
    const ProgramRun run = run_program(AVELOR_ENGINE_PATH, quoted(copy) + " -w");
    ASSERT_EQ(run.code, 0) << run.output;
    const SimFile sim(results_path(copy));
    ASSERT_TRUE(sim.usable()) << sim.fault();
    const std::int64_t last = sim.layout().last_step(1);
    ASSERT_EQ(last, 1440);

    const double Qmax = ex::kControlledFanFlow, Cset = ex::kCO2SetPoint, gain = ex::kCO2Gain;
    const double Co = ex::kOutdoorCO2, band = ex::kCO2Band, G = ex::kCO2Generation;
    const auto law = [&](double C) { return Qmax * std::clamp((C - Cset) * gain, 0.0, 1.0); };
    const double a = Qmax * gain, d = Cset - Co;
    const double u = 0.5 * (-d + std::sqrt(d * d + 4 * G / a));
    double peak = 0;
    for (std::int64_t k = 1; k <= last; ++k) {
        const double t = 60.0 * static_cast<double>(k);
        SCOPED_TRACE("t = " + std::to_string(t) + " s");
        const double before = sim.conc(1, k - 1, 1), C = sim.conc(1, k, 1);
        const SimFile::Path fan = sim.path(1, k, 1), opening = sim.path(1, k, 2);
        // The sensed value, the controller and the limits, as the fan runs.
        EXPECT_NEAR(fan.F0, law(before), 1e-6);
        EXPECT_NEAR(opening.F0, fan.F0, 1e-6) << "the make-up air";
        peak = std::max(peak, C);
        if (t >= 10 * 3600 && t < 17 * 3600) {
            EXPECT_GT(C, Cset);
            EXPECT_LT(C, Cset + band);
            EXPECT_NEAR(C, Cset + u, 0.05 * u);
        }
    }
    EXPECT_LT(peak, Cset + band) << "the fan never runs flat out";
    EXPECT_NEAR(sim.conc(1, 16 * 60, 1), Cset + u, 1e-3 * u) << "the steady state of the law at 16:00";
    EXPECT_EQ(sim.path(1, 7 * 60, 1).F0, 0.0f) << "off before the occupants come";

    // The independent integration, at instants of the rise, the steady
    // part, the fall and the night.
    const std::vector<int> instants = {8 * 3600 + 2700, 9 * 3600, 10 * 3600, 12 * 3600, 16 * 3600,
                                       17 * 3600 + 600, 18 * 3600, 22 * 3600};
    std::string command = "python3 '" + std::string(AVELOR_SOURCE_DIR) + "/tests/engine/controlled_exhaust_reference.py' --step 60";
    for (int t : instants) command += " " + std::to_string(t);
    std::string printed;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) printed += buffer.data();
        ASSERT_EQ(pclose(pipe), 0) << printed;
    }
    std::istringstream lines(printed);
    double t = 0, C = 0, F = 0;
    int rows = 0;
    while (lines >> t >> C >> F) {
        ++rows;
        const std::int64_t k = static_cast<std::int64_t>(t) / 60;
        SCOPED_TRACE("reference at t = " + std::to_string(t) + " s");
        // The reference samples its controller every step as the run does;
        // what is left is the run's backward Euler step of the room: the
        // concentration within 0.05 % of its excess over the outdoors, the
        // flow within 0.5 % of full speed.
        EXPECT_NEAR(sim.conc(1, k, 1), C, 5e-4 * (C - Co));
        EXPECT_NEAR(sim.path(1, k, 1).F0, F, 5e-3 * Qmax);
        std::printf("controlled exhaust, t = %5.0f s: C %.6e (reference %.6e), fan %.6e (reference %.6e) kg/s\n", t,
                    static_cast<double>(sim.conc(1, k, 1)), C, static_cast<double>(sim.path(1, k, 1).F0), F);
    }
    EXPECT_EQ(rows, static_cast<int>(instants.size())) << printed;
}

// ---------------------------------------------------------------------------
// Warnings of a run.

// A run whose airflow does not converge still finishes (exit 0), but the
// engine logs a WARNING beside the project and avelor run, as the editor,
// says how many there were and where to read them. The stack case allowed
// a single Newton iteration at its tight tolerances stops short.
TEST(RunWarnings, AvelorRunTellsOfTheWarningsTheEngineLogged)
{
    const std::string copy = copy_example("stack_two_orifices.prj", "warnings");
    const std::string log = fs::path(copy).replace_extension(".xlog").string();
    {
        const ProgramRun clean = simulate(copy);
        ASSERT_EQ(clean.code, 0) << clean.output;
        EXPECT_EQ(clean.output.find("WARNING"), std::string::npos) << clean.output;
        EXPECT_NE(read_file(log).find("AVELORX3 finished with 0 warnings.\n"), std::string::npos) << read_file(log);
    }
    std::string text = read_file(copy);
    const std::string settings = "     0      1     30   1e-08   1e-10";
    ASSERT_NE(text.find(settings), std::string::npos);
    text.replace(text.find(settings), settings.size(), "     0      1      1   1e-08   1e-10");
    std::ofstream(copy, std::ios::binary) << text;

    const ProgramRun run = simulate(copy);
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("WARNING: Jan15 12:00:00: the airflow did not converge in 1 iteration; the worst node, "
                              "zone room, is out of balance by "),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("WARNING: AVELORX3 finished with 1 warning - see stack_two_orifices.xlog"), std::string::npos)
        << run.output;
    const std::string logged = read_file(log);
    EXPECT_NE(logged.find("\nWARNING: Jan15 12:00:00: the airflow did not converge"), std::string::npos) << logged;
    EXPECT_NE(logged.find("AVELORX3 finished with 1 warning.\n"), std::string::npos) << logged;
    EXPECT_TRUE(SimFile(results_path(copy)).usable());
}

}  // namespace
}  // namespace avelor::testing
