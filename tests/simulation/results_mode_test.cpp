#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "simulation/results_mode.h"
#include "model/species.h"
#include "sketchpad/sketch_grid.h"
#include "support/results_file_maker.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::made_dP;
using testing::made_F0;
using testing::made_F1;
using testing::made_P;
using testing::made_T;
using testing::made_cc;
using testing::results_header;
using testing::write_results_file;

bool any_box(const testing::ScriptedPort& port, const std::string& text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

// A saved session over a project of the given counts on one level, with
// its project path in the temporary folder (the file itself is not needed).
struct ResultsSession {
    testing::ScriptedPort port;
    EditorSession session;
    ResultsMode mode;
    std::string prj, sim;
    Level* level = nullptr;

    ResultsSession(const std::string& name, int zones, int paths, int junctions = 0)
        : prj(::testing::TempDir() + name + ".prj"), sim(::testing::TempDir() + name + ".sim")
    {
        Project& p = session.project();
        level = p.levels.add(Level{});
        p.current_level = p.lowest_level = p.top_level = level;
        for (int i = 0; i < zones; ++i) add_zone(p, new_zone(p));
        for (int i = 0; i < paths; ++i) add_path(p, FlowPath{});
        for (int i = 0; i < junctions; ++i) add_junction(p, Junction{});
        session.document.path = prj;
        p.mark_saved();  // as after opening the project
        std::filesystem::remove(prj);
    }
    ~ResultsSession()
    {
        mode.leave();
        std::filesystem::remove(sim);
        std::filesystem::remove(prj);
    }
    // Writes the results, checks them as project-open does and enters.
    bool enter(const ResultsHeader& h, const ResultsMaps& maps = {})
    {
        session.project().mark_saved();
        session.document.must_save = false;
        if (!write_results_file(sim, h, maps).written) return false;
        update_results_availability(session);
        return mode.enter(session);
    }
};

TEST(ResultsModeEntry, AvailabilityDecidesAndTheFirstStepShows)
{
    ResultsSession rs("entry", 2, 3);
    // No results file: the flag stays clear and the mode normal.
    update_results_availability(rs.session);
    EXPECT_FALSE(rs.session.document.results_available);
    EXPECT_FALSE(rs.mode.enter(rs.session));
    EXPECT_EQ(rs.mode.mode(), SketchMode::Normal);
    EXPECT_TRUE(any_box(rs.port, "SketchPad results not available."));

    ResultsHeader h = results_header(2, 3);
    h.tmres0 = 6 * 3600;
    ASSERT_TRUE(rs.enter(h)) << (rs.port.boxes.empty() ? "" : rs.port.boxes.back().text);
    EXPECT_TRUE(rs.session.document.results_available);
    EXPECT_EQ(rs.mode.mode(), SketchMode::Results);
    EXPECT_EQ(rs.mode.step(), 0);
    EXPECT_EQ(rs.mode.status_text(), "Jan01/06:00:00 ");
    ASSERT_FALSE(rs.port.statuses.empty());
    EXPECT_EQ(rs.port.statuses.back(), "Jan01/06:00:00 ");
    EXPECT_NE(std::find(rs.port.statuses.begin(), rs.port.statuses.end(), " Reading simulation details file"),
              rs.port.statuses.end());
    EXPECT_FLOAT_EQ(rs.mode.reader().path(2)->dP, made_dP(1, 0, 2));
    EXPECT_TRUE(rs.mode.enter(rs.session));  // already there: nothing more

    rs.mode.leave();
    EXPECT_EQ(rs.mode.mode(), SketchMode::Normal);
    EXPECT_FALSE(rs.mode.reader().is_open());
    EXPECT_FALSE(rs.mode.move(ResultsMove::Next));
    EXPECT_EQ(rs.mode.status_text(), "");
}

TEST(ResultsModeEntry, MismatchDamageAndAnOlderFile)
{
    {
        // A zone added after the run: the counts no longer match.
        ResultsSession rs("added_zone", 2, 3);
        ASSERT_TRUE(write_results_file(rs.sim, results_header(2, 3)).written);
        add_zone(rs.session.project(), new_zone(rs.session.project()));
        rs.session.project().mark_saved();
        update_results_availability(rs.session);
        EXPECT_FALSE(rs.session.document.results_available);
        EXPECT_TRUE(any_box(rs.port, "(number of building components do not match)"));
        EXPECT_FALSE(rs.mode.enter(rs.session));
        EXPECT_TRUE(any_box(rs.port, "SketchPad results not available."));
    }
    {
        // The header matches but cannot be followed: opening fails and the
        // flag is cleared.
        ResultsSession rs("damaged_step", 2, 3);
        ResultsHeader h = results_header(2, 3);
        h.tstep = 7;
        EXPECT_FALSE(rs.enter(h));
        EXPECT_FALSE(rs.session.document.results_available);
        EXPECT_EQ(rs.mode.mode(), SketchMode::Normal);
    }
    {
        // A project saved after the run is warned about, and shown anyway.
        ResultsSession rs("newer_project", 1, 1);
        ASSERT_TRUE(write_results_file(rs.sim, results_header(1, 1)).written);
        std::ofstream(rs.prj) << "project\n";
        rs.session.project().mark_saved();
        std::filesystem::last_write_time(rs.prj,
                                         std::filesystem::last_write_time(rs.sim) + std::chrono::seconds(10));
        update_results_availability(rs.session);
        EXPECT_TRUE(rs.mode.enter(rs.session));
        EXPECT_TRUE(any_box(rs.port, " Project file is newer than the .SIM simulation details file"));
    }
}

// A move and the status it must leave ("" when the move must fail and leave
// the status as it was).
struct Step {
    ResultsMove move;
    int jump;
    const char* status;
};

void walk(ResultsSession& rs, const std::vector<Step>& steps)
{
    std::string shown = rs.mode.status_text();
    int n = 0;
    for (const Step& s : steps) {
        rs.mode.time_jump = s.jump;
        const bool moved = rs.mode.move(s.move);
        const bool expect_move = std::string(s.status) != "";
        EXPECT_EQ(moved, expect_move) << "move " << n;
        if (expect_move) shown = s.status;
        EXPECT_EQ(rs.mode.status_text(), shown) << "move " << n;
        // Never outside the day, never the maxima record.
        EXPECT_GE(rs.mode.step(), 0);
        EXPECT_LE(rs.mode.step(), rs.mode.reader().last_step()) << "move " << n;
        EXPECT_EQ(rs.mode.reader().loaded_step(), rs.mode.step());
        ++n;
    }
}

TEST(ResultsNavigation, MorningStartAcrossThreeDays)
{
    ResultsSession rs("nav_morning", 1, 2);
    ResultsHeader h = results_header(1, 2);
    h.tmres0 = 6 * 3600, h.dtres1 = 3, h.tmres1 = 86400;
    ASSERT_TRUE(rs.enter(h));
    using M = ResultsMove;
    walk(rs, {{M::Previous, 10, ""},
              {M::First, 10, ""},
              {M::Last, 10, "Jan01/24:00:00 "},
              {M::Next, 10, "Jan02/01:00:00 "},
              {M::Previous, 10, "Jan02/00:00:00 "},
              {M::Previous, 10, "Jan01/23:00:00 "},
              {M::JumpAhead, 10, "Jan02/09:00:00 "},
              {M::JumpBack, 10, "Jan01/23:00:00 "},
              {M::First, 10, "Jan01/06:00:00 "},
              {M::JumpAhead, 50, "Jan03/08:00:00 "},
              {M::JumpAhead, 50, ""},
              {M::JumpBack, 50, "Jan01/06:00:00 "},
              {M::Last, 10, "Jan01/24:00:00 "},
              {M::Last, 10, "Jan02/18:00:00 "},
              {M::Last, 10, "Jan02/24:00:00 "},
              {M::Last, 10, "Jan03/24:00:00 "},
              {M::Last, 10, ""},
              {M::Next, 10, ""},
              {M::First, 10, "Jan03/00:00:00 "},
              {M::First, 10, "Jan02/00:00:00 "}});
    // The loaded records are those of the step shown.
    EXPECT_FLOAT_EQ(rs.mode.reader().path(1)->F0, made_F0(2, 0, 1));
}

TEST(ResultsNavigation, YearEndAndALastDayOfOneStep)
{
    ResultsSession rs("nav_year_end", 1, 3);
    ResultsHeader h = results_header(1, 3);
    h.dtres0 = 365, h.tmres0 = 0, h.dtres1 = 1, h.tmres1 = 0;
    ASSERT_TRUE(rs.enter(h));
    using M = ResultsMove;
    walk(rs, {{M::Last, 10, "Dec31/24:00:00 "},
              {M::Next, 10, "Jan01/00:00:00 "},
              {M::Next, 10, ""},
              {M::Previous, 10, "Dec31/23:00:00 "},
              {M::JumpAhead, 10, ""},
              {M::JumpAhead, 1, "Dec31/24:00:00 "},
              {M::JumpAhead, 1, ""},  // 01:00:00 on Jan01 is past the end
              {M::JumpBack, 3, "Dec31/21:00:00 "},
              {M::Last, 10, "Dec31/24:00:00 "},
              {M::Last, 10, "Jan01/00:00:00 "}});
    EXPECT_EQ(rs.mode.step(), 0);
    EXPECT_FLOAT_EQ(rs.mode.reader().path(3)->F1, made_F1(1, 0, 3));
}

TEST(ResultsNavigation, GoToUsesTheFilesPeriodAndClamps)
{
    ResultsSession rs("goto", 1, 1);
    // The run control says something else: the file's own period counts.
    rs.session.project().rc.date_0 = 100;
    rs.session.project().rc.date_1 = 200;
    ResultsHeader h = results_header(1, 1);
    h.tmres0 = 6 * 3600, h.dtres1 = 3, h.tmres1 = 12 * 3600;
    ASSERT_TRUE(rs.enter(h));
    const ResultsPeriod p = rs.mode.period();
    EXPECT_EQ(p.day0, 1);
    EXPECT_EQ(p.time0, 6 * 3600);
    EXPECT_EQ(p.day1, 3);
    EXPECT_EQ(p.time1, 12 * 3600);

    EXPECT_EQ(rs.mode.go_to_fault(1, 5 * 3600), "Time too early; < 06:00:00");
    EXPECT_EQ(rs.mode.go_to_fault(3, 13 * 3600), "Time too late; > 12:00:00");
    EXPECT_EQ(rs.mode.go_to_fault(2, 0), "");
    EXPECT_EQ(rs.mode.go_to_fault(3, 12 * 3600), "");
    EXPECT_NE(rs.mode.go_to_fault(100, 0), "");

    struct Case {
        int day;
        std::int32_t time;
        const char* status;  // "" when refused
    };
    const Case cases[] = {
        {2, 9 * 3600 + 1800, "Jan02/09:00:00 "},  // between steps: the step before
        {1, 0, "Jan01/06:00:00 "},                // before the first result
        {3, 86400, "Jan03/12:00:00 "},            // after the last
        {2, 86400, "Jan02/24:00:00 "},
        {100, 0, ""},                             // outside the file's period
        {1, 7 * 3600, "Jan01/07:00:00 "},
    };
    std::string shown = rs.mode.status_text();
    for (const Case& c : cases) {
        const bool ok = rs.mode.go_to(c.day, c.time);
        EXPECT_EQ(ok, std::string(c.status) != "") << c.day << " " << c.time;
        if (ok) shown = c.status;
        EXPECT_EQ(rs.mode.status_text(), shown);
    }
}

TEST(ResultsDisplay, PathsTerminalsLimitsAndTheSystemsPaths)
{
    ResultsSession rs("display", 1, 3, 1);
    Project& p = rs.session.project();
    SimpleAhs* system = create_simple_ahs(p, "ahs", "");  // zones 2, 3; paths 4, 5, 6
    ASSERT_NE(system, nullptr);
    p.current_level = rs.level;
    // Path 1: pressure limits it exceeds; 2: wide pressure limits; 3: flow
    // limits its flows exceed.
    const struct {
        std::uint16_t flags;
        float Xmax, Xmin;
        std::uint8_t dir;
    } paths[] = {{0x80, 0.5f, -0.5f, 2}, {0x80, 100.0f, -100.0f, 5}, {0x100, 0.001f, -0.001f, 1}};
    for (int i = 0; i < 3; ++i) {
        FlowPath* path = p.paths.at(i + 1);
        path->flags = paths[i].flags, path->Xmax = paths[i].Xmax, path->Xmin = paths[i].Xmin, path->dir = paths[i].dir;
    }
    p.junctions.at(1)->t = 1;
    rs.level->icons = {{5, 5, 23, 1},          {5, 10, 23, 2},         {5, 15, 23, 3},
                       {8, 8, ICN_AHS, 1},     {10, 10, ICN_TERMINAL + 1, 1},
                       {12, 12, 23, 0},        {14, 14, ICN_ZONE, 1}};

    ResultsHeader h = results_header(3, 6, 0, 1);
    h.npath = 7;  // the terminal's path last
    ResultsMaps maps = testing::default_results_maps(results_header(3, 6, 0, 1));
    maps.path_types.push_back(kResultsPathTerminal);
    maps.path_numbers.push_back(1);
    ASSERT_TRUE(rs.enter(h, maps));
    ASSERT_TRUE(rs.mode.go_to(1, 5 * 3600));

    const std::vector<ResultsDisplayEntry>& list = rs.mode.build_display_list(rs.session);
    EXPECT_EQ(rs.mode.time_record().time, 5 * 3600);
    ASSERT_EQ(list.size(), 4u);
    const bool limits[] = {true, false, true};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i].row, 5);
        EXPECT_EQ(list[i].col, 5 + 5 * i);
        EXPECT_EQ(list[i].dir, paths[i].dir);
        EXPECT_FLOAT_EQ(list[i].dP, made_dP(1, 5, i + 1));
        EXPECT_FLOAT_EQ(list[i].F0, made_F0(1, 5, i + 1));
        EXPECT_FLOAT_EQ(list[i].F1, made_F1(1, 5, i + 1));
        EXPECT_EQ(list[i].limit, limits[i]) << i;
    }
    const ResultsDisplayEntry& terminal = list[3];
    EXPECT_EQ(terminal.row, 10);
    EXPECT_EQ(terminal.dir, 6);
    EXPECT_EQ(terminal.dP, 0.0f);
    EXPECT_FLOAT_EQ(terminal.F0, made_F0(1, 5, 7));
    EXPECT_FALSE(terminal.limit);
    // The system's three paths lose their pressure, keep their flows.
    for (std::int32_t nr : {system->pr, system->ps, system->px}) {
        const PathResult* r = rs.mode.reader().path(ResultsIndices::of(rs.mode.reader().indices().path_index, nr));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->dP, 0.0f);
        EXPECT_FLOAT_EQ(r->F0, made_F0(1, 5, nr));
    }
    EXPECT_GE(rs.mode.pressure_scale(), 1.0f);
    EXPECT_GE(rs.mode.flow_scale(), 0.001f);

    // More entries than the file has paths (and 20 to spare) are refused.
    rs.level->icons.assign(7 + 25, IconEntry{3, 3, 23, 1});
    rs.port.boxes.clear();
    EXPECT_EQ(rs.mode.build_display_list(rs.session).size(), 7u + 20u);
    EXPECT_TRUE(any_box(rs.port, "NPATH too large"));
}

TEST(ResultsDisplay, ATerminalFacesAwayFromItsDuct)
{
    ResultsSession rs("terminal_dir", 1, 0, 1);
    rs.session.project().junctions.at(1)->t = 1;
    rs.level->icons = {{10, 10, ICN_TERMINAL, 1}};
    ASSERT_TRUE(allocate_sketch_arrays(rs.session.grid, 20, 20));
    show_level(rs.session.grid, rs.level, kCurrentLevel);
    ResultsHeader h = results_header(1, 0, 0, 1);
    h.npath = 1;
    ResultsMaps maps = testing::default_results_maps(h);
    maps.path_types = {kResultsPathTerminal};
    maps.path_numbers = {1};
    ASSERT_TRUE(rs.enter(h, maps));
    // The duct piece beside the terminal, and the direction of flow into it.
    const struct {
        int row, col;
        std::uint8_t piece;
        int dir;
    } cases[] = {{9, 10, ICN_DUCT_V, 4}, {10, 11, ICN_DUCT_H, 5}, {11, 10, ICN_DUCT_V, 1}, {10, 9, ICN_DUCT_H, 2}};
    LevelCells& cells = rs.session.grid.current();
    for (const auto& c : cases) {
        cells.Ducts.fill(0);
        cells.Ducts(c.row, c.col) = c.piece;
        const std::vector<ResultsDisplayEntry>& list = rs.mode.build_display_list(rs.session);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].dir, c.dir) << c.row << " " << c.col;
        EXPECT_FLOAT_EQ(list[0].F0, made_F0(1, 0, 1));
    }
}

TEST(ResultsDisplay, NothingWithoutPathRecords)
{
    ResultsSession rs("display_no_pf", 1, 1);
    rs.level->icons = {{5, 5, 23, 1}};
    ResultsHeader h = results_header(1, 1);
    h.pf = 0;
    ASSERT_TRUE(rs.enter(h));
    EXPECT_TRUE(rs.mode.build_display_list(rs.session).empty());
    rs.mode.leave();
    EXPECT_TRUE(rs.mode.build_display_list(rs.session).empty());
}

// The number after "; NAME: " in a status text; NaN when it is missing.
double value_after(const std::string& text, const std::string& name)
{
    const std::size_t at = text.find("; " + name + ": ");
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + name.size() + 4, nullptr);
}

TEST(ResultsStatus, TheCursorItemShowsTheStepsValuesInTheProjectsUnits)
{
    ResultsSession rs("item_results", 2, 3);
    Project& p = rs.session.project();
    ASSERT_NE(testing::add_species(p, "CO2", 0, 0.0f), nullptr);
    ASSERT_EQ(rebuild_contaminants(p), 0);
    rs.level->icons = {{5, 5, 23, 1}, {5, 9, 23, 3}, {7, 7, ICN_ZONE, 2}};
    SketchGrid& g = rs.session.grid;
    ASSERT_TRUE(allocate_sketch_arrays(g, 20, 20));
    show_level(g, rs.level, kCurrentLevel);
    ResultsHeader h = results_header(2, 3, 1);
    h.zc = 1;
    ASSERT_TRUE(rs.enter(h));
    ASSERT_TRUE(rs.mode.go_to(1, 5 * 3600));
    const std::int64_t k = rs.mode.step();

    // Pressures, flows and temperatures in SI, then in the other units a
    // project may choose; the expected values are converted here by hand.
    const struct {
        std::int16_t ud, uf, uT;
        double pa_per_unit, kgs_per_unit, kelvin_offset;
        const char *dp_unit, *flow_unit, *t_unit;
    } units[] = {{0, 0, 0, 1.0, 1.0, 0.0, " Pa", " kg/s", " K"},
                 {1, 5, 2, 248.84, 0.45359237, 273.15, " in. H20", " lb/s", " \xB0" "C"}};
    for (const auto& u : units) {
        SCOPED_TRACE(u.dp_unit);
        p.rc.ud = u.ud, p.rc.uf = u.uf, p.rc.uT = u.uT;
        g.cursor = {5, 5};
        const std::string path1 = cursor_status_text(rs.mode, p, g);
        EXPECT_EQ(path1.rfind("Jan01/05:00:00 ", 0), 0u) << path1;
        EXPECT_NEAR(value_after(path1, "dP") * u.pa_per_unit, made_dP(1, k, 1), 2e-3 * std::fabs(made_dP(1, k, 1)));
        EXPECT_NEAR(value_after(path1, "Flow") * u.kgs_per_unit, made_F0(1, k, 1), 1e-3 * std::fabs(made_F0(1, k, 1)));
        EXPECT_EQ(path1.find("Flow 2"), std::string::npos);
        EXPECT_NE(path1.find(u.dp_unit), std::string::npos) << path1;
        EXPECT_NE(path1.find(u.flow_unit), std::string::npos) << path1;
        // A path with a second flow shows it too.
        g.cursor = {5, 9};
        const std::string path3 = cursor_item_text(rs.mode, p, g);
        EXPECT_NEAR(value_after(path3, "Flow 2") * u.kgs_per_unit, made_F1(1, k, 3), 1e-3 * std::fabs(made_F1(1, k, 3)));
        // A zone: its node's pressure and temperature, and its concentration.
        g.cursor = {7, 7};
        const std::string zone = cursor_item_text(rs.mode, p, g);
        EXPECT_NEAR(value_after(zone, "P") * u.pa_per_unit, made_P(1, k, 2), 2e-3 * std::fabs(made_P(1, k, 2)));
        EXPECT_NEAR(value_after(zone, "T") + u.kelvin_offset, made_T(1, k, 2), 0.006);
        EXPECT_NE(zone.find(u.t_unit), std::string::npos) << zone;
        EXPECT_NEAR(value_after(zone, "CO2"), made_cc(1, k, 2, 0), 1e-3 * made_cc(1, k, 2, 0));
        // A cell without results adds nothing.
        g.cursor = {12, 12};
        EXPECT_EQ(rs.mode.item_results(p, g, g.cursor), "");
    }
    // Back in normal mode the day and time and the values are gone.
    rs.mode.leave();
    g.cursor = {5, 5};
    const std::string normal = cursor_status_text(rs.mode, p, g);
    EXPECT_EQ(normal.find("Jan01"), std::string::npos) << normal;
    EXPECT_EQ(normal.find("; dP:"), std::string::npos) << normal;
}

TEST(ResultsConcentrationReset, ZonesAndJunctionsTakeTheStepShown)
{
    ResultsSession rs("reset_results", 2, 0, 1);
    Project& p = rs.session.project();
    ASSERT_NE(testing::add_species(p, "CO2", 0, 0.0f), nullptr);
    ASSERT_EQ(rebuild_contaminants(p), 0);
    EXPECT_FALSE(current_results_concentrations(rs.mode).read);  // not in results mode
    ResultsHeader h = results_header(2, 0, 1, 1);
    h.zc = 1;
    ASSERT_TRUE(rs.enter(h));
    ASSERT_TRUE(rs.mode.go_to(1, 5 * 3600));
    const std::int64_t k = rs.mode.step();
    const ResultsConcentrations source = current_results_concentrations(rs.mode);
    ASSERT_TRUE(source.read);
    std::vector<float> cc;
    ASSERT_EQ(source.read(false, 2, cc), ResultsConcentrations::Read::Values);
    EXPECT_EQ(cc, std::vector<float>{made_cc(1, k, 2, 0)});
    // The junction's concentration node follows the zones'.
    ASSERT_EQ(source.read(true, 1, cc), ResultsConcentrations::Read::Values);
    EXPECT_EQ(cc, std::vector<float>{made_cc(1, k, 3, 0)});
    EXPECT_EQ(source.read(false, 3, cc), ResultsConcentrations::Read::NoResults);
}

}  // namespace
}  // namespace avelor
