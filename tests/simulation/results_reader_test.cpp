#include <filesystem>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/project.h"
#include "simulation/results_reader.h"
#include "support/results_file_maker.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::made_cc;
using testing::made_dP;
using testing::made_F0;
using testing::made_F1;
using testing::made_T;
using testing::results_header;
using testing::write_results_file;

// A project with the given counts of zones, flow paths, contaminants and
// junctions (no drawing: the reader only needs the lists).
struct CountedProject {
    Project p;
    CountedProject(int zones, int paths, int contaminants = 0, int junctions = 0)
    {
        for (int i = 0; i < zones; ++i) add_zone(p, new_zone(p));
        for (int i = 0; i < paths; ++i) add_path(p, FlowPath{});
        for (int i = 0; i < junctions; ++i) add_junction(p, Junction{});
        for (int c = 0; c < contaminants; ++c) {
            Species s;
            s.name = "C" + std::to_string(c);
            p.Ctm.push_back(p.species.insert_copy(s));
            p.CC0.push_back(0);
        }
    }
};

std::string temp_path(const std::string& name) { return ::testing::TempDir() + name; }

bool any_box(const testing::ScriptedPort& port, const std::string& text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

// One shape of results file and what stepping through it must show.
struct Shape {
    const char* name;
    int dtres0, tmres0, dtres1, tmres1, tstep;
    int pf, zf, zc;
    int days;          // days the results hold
    int first_last_n;  // N of the first day
};

class ResultsShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(ResultsShapes, EveryDayAndStepReadsItsOwnRecords)
{
    const Shape& s = GetParam();
    testing::ScriptedPort port;
    CountedProject cp(3, 4, 2, 1);
    ResultsHeader h = results_header(3, 4, 2, 1);
    h.dtres0 = s.dtres0, h.tmres0 = s.tmres0, h.dtres1 = s.dtres1, h.tmres1 = s.tmres1, h.tstep = s.tstep;
    h.pf = s.pf, h.zf = s.zf, h.zc = s.zc;
    const std::string sim = temp_path(std::string("shape_") + s.name + ".sim");
    const testing::MadeResults made = write_results_file(sim, h);
    ASSERT_TRUE(made.written);

    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, ""));
    EXPECT_TRUE(port.boxes.empty()) << port.boxes.front().text;
    EXPECT_EQ(reader.layout().day_count(), s.days);
    EXPECT_EQ(reader.day(), s.dtres0);
    EXPECT_EQ(reader.last_step(), s.first_last_n);
    EXPECT_FLOAT_EQ(reader.max_dP(), s.pf ? std::max(1.0f, made.max_dP) : 1.0f);
    EXPECT_FLOAT_EQ(reader.max_flow(), s.pf ? std::max(0.001f, made.max_F0) : 0.001f);

    int day = s.dtres0;
    for (int n = 0; n < s.days; ++n, day = day % 365 + 1) {
        ASSERT_TRUE(reader.load_day(day)) << day;
        const std::int64_t N = reader.last_step();
        const std::int32_t first = n == 0 ? s.tmres0 : 0;
        const std::int32_t last = n == s.days - 1 ? s.tmres1 : 86400;
        ASSERT_EQ(reader.step_times().size(), static_cast<std::size_t>(N + 1));
        EXPECT_EQ(reader.step_times().front(), first);
        EXPECT_EQ(reader.step_times().back(), last) << "day " << day;
        for (std::int64_t k : {std::int64_t{0}, N / 2, N}) {
            ASSERT_TRUE(reader.load_step(k));
            EXPECT_EQ(reader.paths().size(), s.pf ? 4u : 0u);
            EXPECT_EQ(reader.nodes().size(), s.zf ? 4u : 0u);
            if (s.pf) {
                for (std::int32_t p = 1; p <= 4; ++p) {
                    EXPECT_FLOAT_EQ(reader.path(p)->dP, made_dP(day, k, p));
                    EXPECT_FLOAT_EQ(reader.path(p)->F0, made_F0(day, k, p));
                    EXPECT_FLOAT_EQ(reader.path(p)->F1, made_F1(day, k, p));
                }
            }
            if (s.zf) {
                EXPECT_FLOAT_EQ(reader.node(3)->T, made_T(day, k, 3));
            }
            NodeConcentrationResult cc;
            EXPECT_EQ(reader.read_node_concentrations(2, k, cc), s.zc == 1);
            if (s.zc) {
                EXPECT_FLOAT_EQ(cc.cc[1], made_cc(day, k, 2, 1));
            }
            ResultsTimeRecord t;
            ASSERT_TRUE(reader.read_time_record(k, t));
            EXPECT_EQ(t.day, day);
            EXPECT_EQ(t.time, first + k * s.tstep);
        }
    }
    // Outside the period nothing changes.
    const int current = reader.day();
    EXPECT_FALSE(reader.load_day(s.dtres1 % 365 + 1 == s.dtres0 ? 0 : s.dtres1 % 365 + 1));
    EXPECT_EQ(reader.day(), current);
    std::remove(sim.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Results, ResultsShapes,
    ::testing::Values(Shape{"morning_start", 1, 6 * 3600, 3, 86400, 3600, 1, 1, 1, 3, 18},
                      Shape{"one_day", 100, 0, 100, 86400, 3600, 1, 1, 0, 1, 24},
                      Shape{"one_day_short", 100, 7200, 100, 10800, 900, 1, 0, 1, 1, 4},
                      Shape{"year_end", 365, 0, 1, 86400, 1800, 1, 1, 1, 2, 48},
                      Shape{"ends_at_midnight", 10, 0, 11, 0, 3600, 0, 1, 0, 2, 24},
                      Shape{"no_records", 5, 3600, 6, 7200, 3600, 0, 0, 0, 2, 23}),
    [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

TEST(ResultsLayoutOnDisk, MorningStartHoldsEighteenStepsAndTheMaxima)
{
    // 06:00..24:00 hourly and the maxima: the second day starts 20 records on.
    testing::ScriptedPort port;
    CountedProject cp(1, 1);
    ResultsHeader h = results_header(1, 1);
    h.tmres0 = 6 * 3600, h.dtres1 = 2, h.tmres1 = 86400;
    const std::string sim = temp_path("morning.sim");
    ASSERT_TRUE(write_results_file(sim, h).written);
    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, ""));
    EXPECT_EQ(reader.layout().records_in_day(1), 20);
    EXPECT_EQ(reader.layout().day_offset(2), 20 * reader.layout().step_size());
    ASSERT_TRUE(reader.load_day(2));
    ResultsTimeRecord t;
    ASSERT_TRUE(reader.read_time_record(0, t));
    EXPECT_EQ(t.day, 2);
    EXPECT_EQ(t.time, 0);
    std::remove(sim.c_str());
}

TEST(CheckResults, VersionAndCountsMustMatchTheProject)
{
    CountedProject cp(2, 3, 1, 1);
    const std::string sim = temp_path("check.sim");
    struct Case {
        const char* what;
        void (*change)(ResultsHeader&);
        const char* message;  // nullptr: matched
    };
    const Case cases[] = {
        {"match", [](ResultsHeader&) {}, nullptr},
        {"version", [](ResultsHeader& h) { h.version = 23; },
         "Results are no longer available. \n(sim file from previous version)"},
        {"zones", [](ResultsHeader& h) { h.nzones = 3; }, "(number of building components do not match)"},
        {"paths", [](ResultsHeader& h) { h.npaths = 2; }, "(number of building components do not match)"},
        {"contaminants", [](ResultsHeader& h) { h.nctm = 0; }, "(number of building components do not match)"},
        {"junctions", [](ResultsHeader& h) { h.njct = 0; }, "(number of building components do not match)"},
        {"ducts", [](ResultsHeader& h) { h.nduct = 1; }, "(number of building components do not match)"},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        ResultsHeader h = results_header(2, 3, 1, 1);
        c.change(h);
        ASSERT_TRUE(write_results_file(sim, h).written);
        EXPECT_EQ(check_results(sim, cp.p), c.message == nullptr) << c.what;
        if (c.message) {
            ASSERT_EQ(port.boxes.size(), 1u) << c.what;
            EXPECT_EQ(port.boxes[0].caption, "WARNING");
            EXPECT_NE(port.boxes[0].text.find(c.message), std::string::npos) << port.boxes[0].text;
        } else {
            EXPECT_TRUE(port.boxes.empty());
        }
    }
    std::remove(sim.c_str());
    testing::ScriptedPort port;
    EXPECT_FALSE(check_results(sim, cp.p));  // missing: silent
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(results_path_for("/a/b/plan.prj"), "/a/b/plan.sim");
}

// Damaged files: each is refused with a message, the reader stays closed,
// and nothing is read out of bounds (the sanitizers watch).
TEST(OpenResults, DamagedHeadersAreRefusedWithAMessage)
{
    CountedProject cp(2, 3, 1);
    const std::string sim = temp_path("damaged.sim");
    struct Case {
        const char* what;
        void (*change)(ResultsHeader&);
        std::int64_t cut;  // bytes removed from the end
    };
    const Case cases[] = {
        {"step 0", [](ResultsHeader& h) { h.tstep = 0; }, 0},
        {"step 7", [](ResultsHeader& h) { h.tstep = 7; }, 0},
        {"negative step", [](ResultsHeader& h) { h.tstep = -3600; }, 0},
        {"day 0", [](ResultsHeader& h) { h.dtres0 = 0; }, 0},
        {"day 366", [](ResultsHeader& h) { h.dtres1 = 366; }, 0},
        {"time -1", [](ResultsHeader& h) { h.tmres0 = -1; }, 0},
        {"time 86401", [](ResultsHeader& h) { h.tmres1 = 86401; }, 0},
        {"ends before it starts", [](ResultsHeader& h) { h.dtres1 = 1, h.tmres0 = 7200, h.tmres1 = 3600; }, 0},
        {"flag 2", [](ResultsHeader& h) { h.pf = 2; }, 0},
        {"flag -1", [](ResultsHeader& h) { h.zc = -1; }, 0},
        {"no nodes", [](ResultsHeader& h) { h.naf = 0; }, 0},
        {"huge count", [](ResultsHeader& h) { h.npath = 2000000000; }, 0},
        {"huge contaminants", [](ResultsHeader& h) { h.nctm = 2000000000; }, 0},
        {"truncated records", [](ResultsHeader&) {}, 1},
        {"truncated maps", [](ResultsHeader&) {}, -1},
        {"header only", [](ResultsHeader&) {}, -2},
        {"part of a header", [](ResultsHeader&) {}, -3},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        ResultsHeader h = results_header(2, 3, 1);
        h.dtres1 = 2;
        c.change(h);
        testing::ResultsDamage damage;
        if (c.cut > 0) {
            damage.truncate_to = ResultsLayout(h).file_size() - c.cut;
        } else if (c.cut == -1) {
            damage.truncate_to = ResultsLayout(h).data_base() - 3;
        } else if (c.cut == -2) {
            damage.truncate_to = kResultsHeaderSize;
        } else if (c.cut == -3) {
            damage.truncate_to = 10;
        }
        ASSERT_TRUE(write_results_file(sim, h, {}, damage).written) << c.what;
        ResultsReader reader;
        EXPECT_FALSE(reader.open(sim, cp.p, "")) << c.what;
        EXPECT_FALSE(reader.is_open()) << c.what;
        ASSERT_FALSE(port.boxes.empty()) << c.what;
        EXPECT_EQ(port.boxes.back().caption, "ERROR") << c.what;
    }
    std::remove(sim.c_str());
}

// A crafted header whose counts multiply past 64 bits: refused by what it
// says before any position is computed, whatever the file's length.
TEST(OpenResults, HeaderWhosePositionsOverflowIsRefused)
{
    testing::ScriptedPort port;
    CountedProject cp(2, 3, 1);
    ResultsHeader h = results_header(2, 3, 1);
    h.nctm = 100000;
    h.ncn = 1 << 28;
    h.zc = 1;
    h.tstep = 1;
    h.dtres1 = 365;
    h.tmres1 = 86400;
    std::vector<unsigned char> bytes(kResultsHeaderSize + 4096, 0);
    encode_results_header(h, bytes.data());
    const std::string sim = temp_path("overflow.sim");
    {
        std::FILE* f = std::fopen(sim.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    ResultsReader reader;
    EXPECT_FALSE(reader.open(sim, cp.p, ""));
    EXPECT_FALSE(reader.is_open());
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text.rfind(" The results file holds counts whose record positions exceed 64 bits.", 0), 0u)
        << port.boxes[0].text;
    std::remove(sim.c_str());
}

TEST(OpenResults, MapsAreCheckedAgainstTheProject)
{
    CountedProject cp(2, 2, 0, 1);
    const std::string sim = temp_path("maps.sim");
    struct Case {
        const char* what;
        void (*change)(ResultsMaps&);
        bool opens;
        const char* message;
    };
    const Case cases[] = {
        {"node type", [](ResultsMaps& m) { m.node_types[0] = 7; }, true, "Invalid AF node type number"},
        {"path type", [](ResultsMaps& m) { m.path_types[1] = 4; }, true, "Invalid AF path type number"},
        {"zone beyond", [](ResultsMaps& m) { m.node_numbers[1] = 3; }, false, "zone 3"},
        {"junction beyond", [](ResultsMaps& m) { m.node_numbers[2] = 2; }, false, "junction 2"},
        {"negative zone", [](ResultsMaps& m) { m.node_numbers[0] = -4; }, false, "zone -4"},
        {"path beyond", [](ResultsMaps& m) { m.path_numbers[0] = 9; }, false, "flow path 9"},
        {"duct of none", [](ResultsMaps& m) { m.path_types[0] = kResultsPathDuct; }, false, "duct segment 1"},
        {"terminal beyond", [](ResultsMaps& m) { m.path_types[1] = kResultsPathTerminal, m.path_numbers[1] = 5; },
         false, "terminal of junction 5"},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        const ResultsHeader h = results_header(2, 2, 0, 1);
        ResultsMaps maps = testing::default_results_maps(h);
        c.change(maps);
        ASSERT_TRUE(write_results_file(sim, h, maps).written);
        ResultsReader reader;
        EXPECT_EQ(reader.open(sim, cp.p, ""), c.opens) << c.what;
        EXPECT_TRUE(any_box(port, c.message)) << c.what;
    }
    std::remove(sim.c_str());
}

TEST(OpenResults, NodeIndicesComeFromTheMap)
{
    testing::ScriptedPort port;
    CountedProject cp(3, 1, 1, 1);
    ResultsHeader h = results_header(3, 1, 1, 1);
    h.npath = 2;  // the flow path and the junction's terminal
    ResultsMaps maps = testing::default_results_maps(h);
    // Junction first, zones in reverse order, ambient in the middle of the
    // concentration nodes.
    maps.node_types = {kResultsNodeJunction, kResultsNodeZone, kResultsNodeZone, kResultsNodeZone, kResultsNodeZone};
    maps.node_numbers = {1, 3, 2, 1, 0};
    maps.ctm_node_numbers = {2, 0, 1, 3, 1};
    maps.ctm_node_types = {kResultsNodeZone, kResultsNodeZone, kResultsNodeZone, kResultsNodeZone, kResultsNodeJunction};
    maps.path_types = {kResultsPathTerminal, kResultsPathFlowPath};
    maps.path_numbers = {1, 1};
    const std::string sim = temp_path("order.sim");
    ASSERT_TRUE(write_results_file(sim, h, maps).written);
    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, ""));
    const ResultsIndices& ix = reader.indices();
    EXPECT_EQ(ix.zone_node, (std::vector<std::int32_t>{0, 4, 3, 2}));
    EXPECT_EQ(ix.junction_node, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(ix.zone_ctm_node, (std::vector<std::int32_t>{0, 3, 1, 4}));
    EXPECT_EQ(ix.ambient_node, 5);
    EXPECT_EQ(ix.terminal_index, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(ix.path_index, (std::vector<std::int32_t>{0, 2}));
    ASSERT_TRUE(reader.load_step(3));
    // Zone 1 is node 4: its record is the fourth.
    EXPECT_FLOAT_EQ(reader.node(ResultsIndices::of(ix.zone_node, 1))->T, made_T(1, 3, 4));
    std::remove(sim.c_str());
}

TEST(ReadRecords, AWrongIndexIsReportedAndLogged)
{
    CountedProject cp(2, 3);
    const ResultsHeader h = results_header(2, 3);
    const ResultsLayout layout(h);
    testing::ResultsDamage damage;
    damage.patches = {{layout.path_position(1, 4, 2), 7},   // path 2 of step 4 says 7
                      {layout.node_position(1, 5, 1), 9},   // node 1 of step 5 says 9
                      {layout.step_position(1, 0) + 4, 60}};  // step 0 claims 00:01:00
    const std::string sim = temp_path("Plan.sim");
    ASSERT_TRUE(write_results_file(sim, h, {}, damage).written);
    testing::RunLogFile log;
    testing::ScriptedPort port;
    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, temp_path("Plan.prj")));
    EXPECT_TRUE(any_box(port, "Improper position in results file"));
    EXPECT_NE(log.text().find("  date 1 - dayofy 1  (dtres0 1, dtres1 1)\n"), std::string::npos) << log.text();
    EXPECT_NE(log.text().find("  sim_tim 60 - (tmres0 0, tmres1 86400)\n"), std::string::npos) << log.text();

    port.boxes.clear();
    EXPECT_FALSE(reader.load_step(4));
    EXPECT_TRUE(any_box(port, ".SIM read path error"));
    EXPECT_EQ(reader.path(2)->index, 7);  // left as read
    EXPECT_FLOAT_EQ(reader.path(3)->dP, made_dP(1, 4, 3));
    EXPECT_FALSE(reader.load_step(5));
    EXPECT_TRUE(any_box(port, ".SIM read zone error"));

    port.boxes.clear();
    PathResult r;
    EXPECT_FALSE(reader.read_path(2, 4, r));
    EXPECT_TRUE(any_box(port, ".SIM read error\nDelete Plan.SIM file to avoid this error."));
    NodeAirflowResult n;
    EXPECT_FALSE(reader.read_node_airflow(1, 5, n));
    EXPECT_NE(log.text().find("read_path_flow: nr 2, ti 4, off " + std::to_string(layout.path_position(1, 4, 2)) +
                              ", n 7\n\n"),
              std::string::npos)
        << log.text();
    EXPECT_NE(log.text().find("read_zone_results: nr 1, ti 5, off " +
                              std::to_string(layout.node_position(1, 5, 1)) + ", n 9\n"),
              std::string::npos);
    EXPECT_TRUE(reader.read_path(3, 4, r));
    EXPECT_FLOAT_EQ(r.F0, made_F0(1, 4, 3));
    std::remove(sim.c_str());
}

TEST(ReadRecords, TheRememberedPositionSavesSeeks)
{
    testing::ScriptedPort port;
    CountedProject cp(1, 4);
    const std::string sim = temp_path("seeks.sim");
    ASSERT_TRUE(write_results_file(sim, results_header(1, 4)).written);
    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, ""));
    PathResult r;
    ASSERT_TRUE(reader.read_path(1, 6, r));
    const std::int64_t before = reader.seek_count();
    ASSERT_TRUE(reader.read_path(2, 6, r));  // right after the last read: no seek
    EXPECT_EQ(reader.seek_count(), before);
    ASSERT_TRUE(reader.read_path(2, 9, r));  // forward: one relative seek
    EXPECT_EQ(reader.seek_count(), before + 1);
    EXPECT_FLOAT_EQ(r.dP, made_dP(1, 9, 2));
    ASSERT_TRUE(reader.read_path(1, 2, r));  // backward: one absolute seek
    EXPECT_EQ(reader.seek_count(), before + 2);
    EXPECT_FLOAT_EQ(r.dP, made_dP(1, 2, 1));
    // Out of range requests read nothing.
    EXPECT_FALSE(reader.read_path(5, 2, r));
    EXPECT_FALSE(reader.read_path(0, 2, r));
    EXPECT_FALSE(reader.load_step(25));
    reader.close();
    EXPECT_FALSE(reader.is_open());
    EXPECT_FALSE(reader.load_day(1));
    std::remove(sim.c_str());
}

}  // namespace
}  // namespace avelor

namespace avelor {
namespace {

TEST(ReadRecords, ADayThatCannotBeReadLeavesNoStatusNoteBehind)
{
    CountedProject cp(2, 3);
    const ResultsHeader h = results_header(2, 3);
    const ResultsLayout layout(h);
    const std::string sim = temp_path("cut.sim");
    ASSERT_TRUE(write_results_file(sim, h, {}).written);
    ResultsReader reader;
    ASSERT_TRUE(reader.open(sim, cp.p, ""));
    // The file loses its steps after it was opened.
    std::filesystem::resize_file(sim, static_cast<std::uintmax_t>(layout.step_position(1, 0) + 2));
    testing::ScriptedPort port;
    EXPECT_FALSE(reader.load_day(1));
    EXPECT_TRUE(any_box(port, "The results file could not be read: day 1"));
    ASSERT_FALSE(port.statuses.empty());
    EXPECT_EQ(port.statuses.front(), " Reading simulation details file");
    EXPECT_EQ(port.statuses.back(), "");
    std::remove(sim.c_str());
}

}  // namespace
}  // namespace avelor
