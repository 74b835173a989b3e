// The shipped duct system example end to end: `avelor run` on a copy, the
// results file read back by the editor's results reader, and every
// terminal's flow compared with duct_reference.py, which solves the same
// system on its own (its own Colebrook iteration, terminal, fan and
// leakage laws and Newton solver; see its text). A balance loss
// coefficient on one terminal must move the split as that calculation
// does. The engine must also converge on it from its linear start under
// the default solver settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "airflow_network.h"
#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "simulation/results_mode.h"
#include "simulation/results_reader.h"
#include "support/scripted_port.h"

namespace avelor::testing {
namespace {

namespace fs = std::filesystem;

std::string temp_folder()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return tmp ? std::string(tmp) : ::testing::TempDir();
}

std::string source(const std::string& path) { return std::string(AVELOR_SOURCE_DIR) + "/" + path; }

struct Output {
    int code = -1;
    std::string text;
};

Output run_command(const std::string& command)
{
    Output out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe)) out.text += buffer.data();
    const int status = pclose(pipe);
    out.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// The reference's flows by kind ("terminal", "duct", "leak", "path") and number.
using Flows = std::map<std::string, std::map<int, double>>;

Flows reference_flows(const std::string& arguments)
{
    const Output out = run_command("python3 " + quoted(source("tests/engine/duct_reference.py")) + " " + arguments);
    Flows flows;
    if (out.code != 0) {
        ADD_FAILURE() << "duct_reference.py failed: " << out.text;
        return flows;
    }
    std::istringstream lines(out.text);
    std::string kind;
    int number = 0;
    double value = 0;
    std::string name;
    while (lines >> kind) {
        if (kind == "pressure") {
            lines >> name >> value;
            continue;
        }
        lines >> number >> value;
        flows[kind][number] = value;
    }
    return flows;
}

bool have_python() { return run_command("python3 -c 'print(1)'").code == 0; }

// A copy of the shipped example in a folder of its own.
std::string copy_example(const std::string& folder_name)
{
    const fs::path folder = fs::path(temp_folder()) / folder_name;
    fs::create_directories(folder);
    const fs::path copy = folder / "duct_system.prj";
    fs::copy_file(source("examples/duct_system.prj"), copy, fs::copy_options::overwrite_existing);
    return copy.string();
}

Output simulate(const std::string& project)
{
    const std::string home = temp_folder() + "/home";
    fs::create_directories(home);
    return run_command("HOME=" + quoted(home) + " " + quoted(AVELOR_CLI_PATH) + " run " + quoted(project) + " --yes");
}

// The flows of the one steady step of a run, as the editor reads them.
struct ReadResults {
    Flows flows;
    ResultsHeader header;
};

ReadResults read_results(const std::string& project_path)
{
    ReadResults out;
    ScriptedPort port;
    EditorSession session;
    if (!open_in_session(session, project_path)) {
        ADD_FAILURE() << "the project does not open";
        return out;
    }
    const Project& project = session.project();
    ResultsReader reader;
    if (!reader.open(results_path_for(project_path), project, project_path)) {
        ADD_FAILURE() << "the results reader refuses the file";
        return out;
    }
    out.header = reader.header();
    EXPECT_TRUE(reader.load_step(0));
    const ResultsIndices& ix = reader.indices();
    // The node map: the zones, the junctions and terminals by number,
    // the outdoors last.
    for (const Zone& z : project.zones) EXPECT_EQ(ResultsIndices::of(ix.zone_node, z.nr), z.nr);
    for (const Junction& j : project.junctions)
        EXPECT_EQ(ResultsIndices::of(ix.junction_node, j.nr), project.zones.count() + j.nr);
    EXPECT_EQ(ix.ambient_node, out.header.naf);
    const auto record = [&](const std::vector<std::int32_t>& table, int number) {
        const PathResult* r = reader.path(ResultsIndices::of(table, number));
        return r ? static_cast<double>(r->F0) : NAN;
    };
    for (const Junction& j : project.junctions) {
        if (j.t != 0) out.flows["terminal"][j.nr] = record(ix.terminal_index, j.nr);
        if (ResultsIndices::of(ix.leak_index, j.nr) > 0) out.flows["leak"][j.nr] = record(ix.leak_index, j.nr);
    }
    for (const DuctSegment& d : project.ducts) out.flows["duct"][d.nr] = record(ix.duct_index, d.nr);
    for (const FlowPath& p : project.paths) out.flows["path"][p.nr] = record(ix.path_index, p.nr);
    return out;
}

// The acceptance is 0.1 %; engine and reference agree to a few
// parts in 1e7 (the results file holds 32-bit floats), so every flow is
// held to 1e-5 of the reference's, kind by kind, link by link: a
// difference of convention (a density taken at the wrong node moves
// every flow by about 0.06 % here) fails.
constexpr double kAgreement = 1e-5;
void expect_agreement(const Flows& engine, const Flows& reference, const std::string& what)
{
    for (const auto& [kind, links] : reference) {
        ASSERT_EQ(engine.count(kind), 1u) << what << ": no " << kind << " results";
        for (const auto& [number, expected] : links) {
            const auto it = engine.at(kind).find(number);
            ASSERT_NE(it, engine.at(kind).end()) << what << ": no " << kind << " " << number;
            EXPECT_NEAR(it->second, expected, kAgreement * std::abs(expected)) << what << ": " << kind << " " << number;
        }
    }
}

double supply_share(const Flows& flows, int terminal)
{
    double total = 0;
    for (int t : {5, 6, 7, 8}) total += flows.at("terminal").at(t);
    return flows.at("terminal").at(terminal) / total;
}

TEST(DuctSystem, TerminalFlowsAgreeWithTheIndependentCalculation)
{
    if (!have_python()) GTEST_SKIP() << "python3 is needed for the reference calculation";
    const std::string project = copy_example("duct_system_run");
    const Output run = simulate(project);
    ASSERT_EQ(run.code, 0) << run.text;
    const ReadResults results = read_results(project);
    // Four rooms, ten junctions and terminals, eight segments; the paths:
    // four flow paths, eight segments, seven terminals, four leaks.
    EXPECT_EQ(results.header.njct, 10);
    EXPECT_EQ(results.header.nduct, 8);
    EXPECT_EQ(results.header.naf, 4 + 10 + 1);
    EXPECT_EQ(results.header.npath, 4 + 8 + 7 + 4);
    const Flows reference = reference_flows("");
    ASSERT_EQ(reference.at("terminal").size(), 7u);
    expect_agreement(results.flows, reference, "as shipped");
}

TEST(DuctSystem, ABalanceCoefficientMovesTheSplitAsCalculated)
{
    if (!have_python()) GTEST_SKIP() << "python3 is needed for the reference calculation";
    const std::string project = copy_example("duct_system_balanced");
    {
        ScriptedPort port;
        EditorSession session;
        ASSERT_TRUE(open_in_session(session, project));
        Junction* terminal = session.project().junctions.at(5);
        ASSERT_NE(terminal, nullptr);
        terminal->terminal.balance_coefficient() = 4;
        ASSERT_TRUE(write_session_file(session, project));
    }
    const Output run = simulate(project);
    ASSERT_EQ(run.code, 0) << run.text;
    const ReadResults results = read_results(project);
    const Flows balanced = reference_flows("--balance 5 4");
    const Flows plain = reference_flows("");
    expect_agreement(results.flows, balanced, "balanced");
    // The terminal's share falls as calculated; the others' rise.
    const double before = supply_share(plain, 5), after = supply_share(balanced, 5);
    EXPECT_LT(after, before - 0.02);
    EXPECT_NEAR(supply_share(results.flows, 5), after, kAgreement * after);
    for (int t : {6, 7, 8}) EXPECT_GT(results.flows.at("terminal").at(t), plain.at("terminal").at(t)) << t;
}

// Results mode after the run: the level's display list holds every flow
// path and every terminal icon with the flows the file holds for it.
TEST(DuctSystem, ResultsModeShowsTheTerminalFlows)
{
    const std::string project = copy_example("duct_system_results");
    const Output run = simulate(project);
    ASSERT_EQ(run.code, 0) << run.text;
    const ReadResults results = read_results(project);
    ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, project));
    update_results_availability(session);
    ResultsMode mode;
    ASSERT_TRUE(mode.enter(session)) << (port.boxes.empty() ? "" : port.boxes.back().text);
    const std::vector<ResultsDisplayEntry>& list = mode.build_display_list(session);
    EXPECT_EQ(list.size(), 4u + 7u);  // the wall leaks and the terminals
    int terminals = 0;
    for (const IconEntry& icon : session.project().lowest_level->icons) {
        if (icon.code != ICN_TERMINAL) continue;
        ++terminals;
        const auto at = std::find_if(list.begin(), list.end(), [&](const ResultsDisplayEntry& e) {
            return e.row == icon.row && e.col == icon.col;
        });
        ASSERT_NE(at, list.end()) << "terminal " << icon.nr;
        EXPECT_FLOAT_EQ(at->F0, static_cast<float>(results.flows.at("terminal").at(icon.nr))) << icon.nr;
    }
    EXPECT_EQ(terminals, 7);
    mode.leave();
}

// From the linear start at the default solver settings, with relaxation
// instead of the trust region, and with the iterative linear solver.
TEST(DuctSystem, ConvergesFromTheLinearStartUnderEverySolverSetting)
{
    if (!have_python()) GTEST_SKIP() << "python3 is needed for the reference calculation";
    const Flows reference = reference_flows("");
    const std::vector<std::pair<std::string, void (*)(RunControl&)>> settings{
        {"defaults", [](RunControl&) {}},
        {"relaxation", [](RunControl& rc) { rc.afcalc = 0; rc.afmaxi = 200; }},
        {"conjugate gradients", [](RunControl& rc) { rc.af_slae = 1; rc.aflcnvg = 1e-12f; rc.aflmaxi = 1000; }},
    };
    for (const auto& [name, set] : settings) {
        ScriptedPort port;
        EditorSession session;
        ASSERT_TRUE(open_in_session(session, source("examples/duct_system.prj")));
        Project& project = session.project();
        const RunControl defaults;
        project.rc.afcalc = defaults.afcalc;
        project.rc.afrelax = defaults.afrelax;
        project.rc.afmaxi = defaults.afmaxi;
        project.rc.afrcnvg = defaults.afrcnvg;
        project.rc.afacnvg = defaults.afacnvg;
        project.rc.aflinit = 1;
        set(project.rc);
        engine::AirflowNetwork network(project);
        const engine::SolveReport report = network.solve(engine::Weather{293.15, 101325, 0, 0, 1});
        EXPECT_TRUE(report.converged) << name << " after " << report.iterations;
        for (const engine::Link& l : network.links()) {
            if (l.kind != engine::LinkKind::Terminal) continue;
            const double expected = reference.at("terminal").at(l.number);
            // Converged to the default relative tolerance of 1e-5 only.
            EXPECT_NEAR(l.F0, expected, 1e-3 * std::abs(expected)) << name << " terminal " << l.number;
        }
    }
}

}  // namespace
}  // namespace avelor::testing
