#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "simulation/results_writer.h"
#include "support/test_files.h"
#include "support/le_bytes.h"

namespace avelor {
namespace {

std::string temp_file(const std::string& name) { return ::testing::TempDir() + name; }

bool exists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

using avelor::testing::f32_at;
using avelor::testing::i16_at;
using avelor::testing::i32_at;

// Two zones, three paths, two contaminants; Jan 31 22:00 to Feb 1 01:00
// hourly, so day 31 holds 22, 23 and 24 h and day 32 holds 0 and 1 h.
ResultsHeader small_header()
{
    ResultsHeader h;
    h.nzones = 2;
    h.npaths = 3;
    h.nctm = 2;
    h.tstep = 3600;
    h.dtres0 = 31;
    h.tmres0 = 79200;
    h.dtres1 = 32;
    h.tmres1 = 3600;
    h.pf = h.zf = h.zc = 1;
    h.naf = h.ncn = 3;
    h.npath = 3;
    return h;
}

ResultsMaps small_maps()
{
    ResultsMaps m;
    m.node_types = m.ctm_node_types = {kResultsNodeZone, kResultsNodeZone, kResultsNodeZone};
    m.node_numbers = m.ctm_node_numbers = {1, 2, 0};
    m.path_types = {kResultsPathFlowPath, kResultsPathFlowPath, kResultsPathFlowPath};
    m.path_numbers = {1, 2, 3};
    return m;
}

// A record whose every value tells where it belongs: path p at output n
// has dP = (n + 1) * p * sign, where the sign alternates with n.
ResultsStep make_step(const ResultsHeader& h, int n, int day, std::int32_t time)
{
    ResultsStep s;
    s.day = static_cast<std::int16_t>(day);
    s.day_type = static_cast<std::int16_t>(day == 31 ? 3 : 4);
    s.time = time;
    s.Ta = 270.0f + static_cast<float>(n);
    s.Pb = 101000.0f;
    s.Ws = 2.5f;
    s.Wd = 90.0f;
    s.outdoor = {1e-6f, 2e-6f};
    const float sign = n % 2 == 0 ? 1.0f : -1.0f;
    for (int p = 1; p <= h.npath; ++p)
        s.paths.push_back({sign * static_cast<float>((n + 1) * p), -sign * 0.01f * static_cast<float>(n + p),
                           0.001f * static_cast<float>(n)});
    for (int i = 1; i < h.naf; ++i)
        s.nodes.push_back({293.15f + static_cast<float>(i), -1.5f * static_cast<float>(n), 1.2f});
    for (int i = 1; i < h.ncn; ++i)
        for (int k = 0; k < h.nctm; ++k)
            s.concentrations.push_back(1e-3f * static_cast<float>(10 * n + i) + static_cast<float>(k));
    return s;
}

TEST(ResultsWriter, WritesHeaderMapsStepsAndDailyMaxima)
{
    const ResultsHeader h = small_header();
    const ResultsMaps maps = small_maps();
    const std::string path = temp_file("writer_layout.sim");
    // The outputs in file order, 24:00 of day 31 and 00:00 of day 32 both.
    const std::array<std::pair<int, std::int32_t>, 5> outputs{
        {{31, 79200}, {31, 82800}, {31, 86400}, {32, 0}, {32, 3600}}};
    {
        ResultsWriter writer;
        ASSERT_TRUE(writer.open(path, h, maps)) << writer.error();
        for (std::size_t n = 0; n < outputs.size(); ++n) {
            EXPECT_EQ(writer.next_day(), outputs[n].first);
            EXPECT_EQ(writer.next_time(), outputs[n].second);
            ASSERT_TRUE(writer.write_step(make_step(h, static_cast<int>(n), outputs[n].first, outputs[n].second)))
                << writer.error();
        }
        EXPECT_TRUE(writer.complete());
        // Nothing appears under the final name before the end.
        EXPECT_FALSE(exists(path));
        ASSERT_TRUE(writer.finish()) << writer.error();
    }
    EXPECT_FALSE(exists(ResultsWriter::temporary_path(path)));
    const std::string bytes = testing::read_file(path);
    const ResultsLayout layout(h);
    ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());
    EXPECT_EQ(decode_results_header(reinterpret_cast<const unsigned char*>(bytes.data())), h);
    // Maps: node types, node numbers (ambient last), the same for
    // contaminant nodes, then path types and numbers.
    const std::vector<std::int32_t> expected_maps{0, 0, 0, 1, 2, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 1, 2, 3};
    for (std::size_t i = 0; i < expected_maps.size(); ++i)
        EXPECT_EQ(i32_at(bytes, kResultsHeaderSize + 4 * static_cast<std::int64_t>(i)), expected_maps[i]) << i;

    int n = 0;
    for (int day : {31, 32}) {
        SCOPED_TRACE(day);
        const std::int64_t last = layout.last_step(day);
        int first_n = n;
        for (std::int64_t k = 0; k <= last; ++k, ++n) {
            const ResultsStep s = make_step(h, n, outputs[n].first, outputs[n].second);
            const std::int64_t at = layout.step_position(day, k);
            EXPECT_EQ(i16_at(bytes, at), day);
            EXPECT_EQ(i16_at(bytes, at + 2), s.day_type);
            EXPECT_EQ(i32_at(bytes, at + 4), s.time);
            EXPECT_EQ(f32_at(bytes, at + 8), s.Ta);
            EXPECT_EQ(f32_at(bytes, at + 24 + 4), s.outdoor[1]);
            for (int p = 1; p <= h.npath; ++p) {
                const std::int64_t pp = layout.path_position(day, k, p);
                EXPECT_EQ(i32_at(bytes, pp), p);
                EXPECT_EQ(f32_at(bytes, pp + 4), s.paths[p - 1].dP);
                EXPECT_EQ(f32_at(bytes, pp + 8), s.paths[p - 1].F0);
            }
            for (int i = 1; i < h.naf; ++i) {
                EXPECT_EQ(i32_at(bytes, layout.node_position(day, k, i)), i);
                EXPECT_EQ(f32_at(bytes, layout.node_position(day, k, i) + 8), s.nodes[i - 1].p);
                EXPECT_EQ(i32_at(bytes, layout.conc_position(day, k, i)), i);
                EXPECT_EQ(f32_at(bytes, layout.conc_position(day, k, i) + 8), s.concentrations[(i - 1) * 2 + 1]);
            }
        }
        // The maxima record: the last step's time record and nodes, each
        // path's largest magnitudes over the day.
        const std::int64_t m = last + 1;
        const std::int64_t mat = layout.step_position(day, m);
        const std::int64_t lat = layout.step_position(day, last);
        EXPECT_EQ(bytes.substr(static_cast<std::size_t>(mat), 24 + 8),
                  bytes.substr(static_cast<std::size_t>(lat), 24 + 8));
        for (int p = 1; p <= h.npath; ++p) {
            float dP = 0, F0 = 0, F1 = 0;
            for (int j = first_n; j < n; ++j) {
                const ResultsStep s = make_step(h, j, outputs[j].first, outputs[j].second);
                dP = std::max(dP, std::fabs(s.paths[p - 1].dP));
                F0 = std::max(F0, std::fabs(s.paths[p - 1].F0));
                F1 = std::max(F1, std::fabs(s.paths[p - 1].F1));
            }
            const std::int64_t pp = layout.path_position(day, m, p);
            EXPECT_EQ(i32_at(bytes, pp), p);
            EXPECT_EQ(f32_at(bytes, pp + 4), dP);
            EXPECT_EQ(f32_at(bytes, pp + 8), F0);
            EXPECT_EQ(f32_at(bytes, pp + 12), F1);
        }
        EXPECT_EQ(i32_at(bytes, layout.node_position(day, m, 2)), 2);
        EXPECT_EQ(i32_at(bytes, layout.conc_position(day, m, 2)), 2);
    }
}

TEST(ResultsWriter, UnfinishedOrDisorderedRunLeavesEarlierFileAlone)
{
    const ResultsHeader h = small_header();
    const std::string path = temp_file("writer_unfinished.sim");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("earlier results", f);
        std::fclose(f);
    }
    struct Case {
        const char* name;
        int steps_before;      // good steps written first
        int bad_day;           // then a step at this day and time (0: none)
        std::int32_t bad_time;
        bool call_finish;
    };
    const std::array<Case, 4> cases{{
        {"stopped mid-run", 2, 0, 0, false},
        {"finished too early", 3, 0, 0, true},
        {"wrong time", 1, 31, 86400, false},
        {"wrong day", 3, 33, 0, false},
    }};
    const std::array<std::int32_t, 3> day31{79200, 82800, 86400};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ResultsWriter writer;
            ASSERT_TRUE(writer.open(path, h, small_maps()));
            for (int n = 0; n < c.steps_before; ++n)
                ASSERT_TRUE(writer.write_step(make_step(h, n, 31, day31[n])));
            if (c.bad_day != 0) {
                EXPECT_FALSE(writer.write_step(make_step(h, 9, c.bad_day, c.bad_time)));
                EXPECT_NE(writer.error().find("out of order"), std::string::npos) << writer.error();
                EXPECT_FALSE(writer.is_open());
            }
            if (c.call_finish) {
                EXPECT_FALSE(writer.finish());
                EXPECT_NE(writer.error().find("missing records"), std::string::npos) << writer.error();
            }
        }
        EXPECT_EQ(testing::read_file(path), "earlier results");
        EXPECT_FALSE(exists(ResultsWriter::temporary_path(path)));
    }
}

TEST(ResultsWriter, RefusesFaultyMapsAndRecordSizes)
{
    const ResultsHeader h = small_header();
    struct MapCase {
        const char* name;
        void (*damage)(ResultsMaps&);
        const char* words;
    };
    const std::array<MapCase, 4> cases{{
        {"ambient first", [](ResultsMaps& m) { m.node_numbers = {0, 1, 2}; }, "ambient"},
        {"ambient missing", [](ResultsMaps& m) { m.ctm_node_numbers = {1, 2, 3}; }, "ambient"},
        {"short path map", [](ResultsMaps& m) { m.path_numbers.pop_back(); }, "one entry per path"},
        {"unknown path type", [](ResultsMaps& m) { m.path_types[1] = 4; }, "unknown path type"},
    }};
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResultsMaps maps = small_maps();
        c.damage(maps);
        EXPECT_NE(results_maps_fault(h, maps).find(c.words), std::string::npos) << results_maps_fault(h, maps);
        ResultsWriter writer;
        EXPECT_FALSE(writer.open(temp_file("writer_maps.sim"), h, maps));
    }
    EXPECT_EQ(results_maps_fault(h, small_maps()), "");

    ResultsWriter writer;
    ASSERT_TRUE(writer.open(temp_file("writer_sizes.sim"), h, small_maps()));
    ResultsStep s = make_step(h, 0, 31, 79200);
    s.nodes.pop_back();
    EXPECT_FALSE(writer.write_step(s));
    EXPECT_NE(writer.error().find("sizes"), std::string::npos) << writer.error();
}

TEST(ResultsWriter, RecordsLeftOutByTheHeaderAreNotWritten)
{
    ResultsHeader h = small_header();
    h.pf = 0;
    h.zc = 0;
    const std::string path = temp_file("writer_flags.sim");
    ResultsWriter writer;
    ASSERT_TRUE(writer.open(path, h, small_maps()));
    for (auto [day, time] : std::array<std::pair<int, std::int32_t>, 5>{
             {{31, 79200}, {31, 82800}, {31, 86400}, {32, 0}, {32, 3600}}}) {
        ResultsStep s = make_step(h, 0, day, time);
        s.paths.clear();
        s.concentrations.clear();
        ASSERT_TRUE(writer.write_step(s)) << writer.error();
    }
    ASSERT_TRUE(writer.finish()) << writer.error();
    const std::string bytes = testing::read_file(path);
    const ResultsLayout layout(h);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), layout.file_size());
    // The node records follow the time record directly.
    EXPECT_EQ(layout.node_position(32, 1, 1), layout.step_position(32, 1) + 24 + 8);
    EXPECT_EQ(i32_at(bytes, layout.node_position(32, 1, 2)), 2);
    EXPECT_EQ(i32_at(bytes, layout.step_position(32, 1) + 4), 3600);
}

}  // namespace
}  // namespace avelor
