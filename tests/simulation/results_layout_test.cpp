#include <gtest/gtest.h>

#include <array>
#include <string>

#include "simulation/results_layout.h"

namespace avelor {
namespace {

ResultsHeader make_header(std::int32_t nctm, std::int32_t npath, std::int32_t naf, std::int32_t tstep,
                          std::int32_t d0, std::int32_t t0, std::int32_t d1, std::int32_t t1, std::int32_t flags = 1)
{
    ResultsHeader h;
    h.nzones = naf - 1;
    h.npaths = npath;
    h.nctm = nctm;
    h.tstep = tstep;
    h.dtres0 = d0;
    h.tmres0 = t0;
    h.dtres1 = d1;
    h.tmres1 = t1;
    h.pf = h.zf = h.zc = flags;
    h.naf = h.ncn = naf;
    h.npath = npath;
    return h;
}

struct LayoutCase {
    const char* name;
    ResultsHeader header;
    std::int64_t step_size, data_base;
    int days;
    std::int64_t first_day_records;
    int second_day;  // 0 when the run has one day
    std::int64_t second_day_offset, second_day_records;
    std::int64_t file_size;
};

TEST(ResultsLayout, SizesAndPositionsOfTypicalRuns)
{
    // Sizes worked by hand from the record definitions: time record
    // 24 + 4 nctm, 16 per path, 16 per node but ambient, 4 + 4 nctm per
    // contaminant node but ambient; maps 4 x (2 naf + 2 ncn + 2 npath).
    const std::array<LayoutCase, 5> cases{{
        // One zone, two paths, one contaminant; Jan 1 06:00 to Jan 2 24:00
        // hourly: day 1 holds steps 6..24 h and the maxima (20 records),
        // day 2 steps 0..24 h and the maxima (26), after 20 x 84 bytes.
        {"two days from 06:00", make_header(1, 2, 2, 3600, 1, 21600, 2, 86400), 28 + 32 + 16 + 8, 68 + 4 * 12, 2,
         20, 2, 20 * 84, 26, 116 + 46 * 84},
        // One day, 01:00 to 02:00 every 30 min: steps 0..2 and the maxima.
        {"one day", make_header(1, 2, 2, 1800, 5, 3600, 5, 7200), 84, 116, 1, 4, 0, 0, 0, 116 + 4 * 84},
        // Dec 31 00:00 to Jan 1 12:00 hourly: 26 records, then 13 + 1.
        {"across the year's end", make_header(0, 1, 3, 3600, 365, 0, 1, 43200), 24 + 16 + 32 + 8, 68 + 4 * 14, 2,
         26, 1, 26 * 80, 14, 124 + 40 * 80},
        // Nothing but the time records.
        {"records off", make_header(2, 3, 4, 3600, 10, 0, 10, 86400, 0), 24 + 8, 68 + 4 * 22, 1, 26, 0, 0, 0,
         156 + 26 * 32},
        // Three days: the middle day is whole, the last ends at 01:00.
        {"three days", make_header(0, 1, 2, 900, 100, 85500, 102, 3600), 24 + 16 + 16 + 4, 68 + 4 * 10, 3, 3,
         101, 3 * 60, 98, 108 + (3 + 98 + 6) * 60},
    }};
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(results_header_fault(c.header, static_cast<std::uint64_t>(c.file_size)), "");
        const ResultsLayout layout(c.header);
        EXPECT_EQ(layout.step_size(), c.step_size);
        EXPECT_EQ(layout.data_base(), c.data_base);
        EXPECT_EQ(layout.day_count(), c.days);
        EXPECT_EQ(layout.records_in_day(c.header.dtres0), c.first_day_records);
        EXPECT_EQ(layout.day_offset(c.header.dtres0), 0);
        if (c.second_day != 0) {
            EXPECT_EQ(layout.nth_day(1), c.second_day);
            EXPECT_EQ(layout.day_offset(c.second_day), c.second_day_offset);
            EXPECT_EQ(layout.records_in_day(c.second_day), c.second_day_records);
            EXPECT_EQ(layout.first_time(c.second_day), 0);
        }
        EXPECT_EQ(layout.file_size(), c.file_size);
        // One byte short of the whole is a damaged file.
        EXPECT_NE(results_header_fault(c.header, static_cast<std::uint64_t>(c.file_size - 1)), "");
    }
}

TEST(ResultsLayout, RecordPositionsWithinAStep)
{
    const ResultsHeader h = make_header(2, 3, 4, 3600, 1, 0, 1, 86400);
    const ResultsLayout layout(h);
    const std::int64_t time_record = 24 + 4 * 2;
    const std::int64_t step = layout.step_position(1, 5);
    EXPECT_EQ(step, layout.data_base() + 5 * layout.step_size());
    EXPECT_EQ(layout.path_position(1, 5, 3), step + time_record + 2 * 16);
    EXPECT_EQ(layout.node_position(1, 5, 1), step + time_record + 3 * 16);
    EXPECT_EQ(layout.conc_position(1, 5, 2), step + time_record + 3 * 16 + 3 * 16 + (4 + 8));
    // The last concentration record ends the step.
    EXPECT_EQ(layout.conc_position(1, 5, 3) + 4 + 8, step + layout.step_size());
}

TEST(ResultsLayout, HeaderFaults)
{
    struct FaultCase {
        const char* name;
        void (*damage)(ResultsHeader&);
        const char* words;
    };
    const std::array<FaultCase, 10> cases{{
        {"output step 0", [](ResultsHeader& h) { h.tstep = 0; }, "does not divide a day"},
        {"output step 7 s", [](ResultsHeader& h) { h.tstep = 7; }, "does not divide a day"},
        {"day 0", [](ResultsHeader& h) { h.dtres0 = 0; }, "outside 1..365"},
        {"day 366", [](ResultsHeader& h) { h.dtres1 = 366; }, "outside 1..365"},
        {"negative time", [](ResultsHeader& h) { h.tmres0 = -1; }, "time outside"},
        {"time past midnight", [](ResultsHeader& h) { h.tmres1 = 86401; }, "time outside"},
        {"flag 2", [](ResultsHeader& h) { h.zc = 2; }, "record flag"},
        {"ends before it starts", [](ResultsHeader& h) { h.tmres0 = 7200, h.tmres1 = 3600; }, "ends before"},
        {"negative count", [](ResultsHeader& h) { h.npath = -1; }, "negative count"},
        // Every count within its own bound, but a year of one-second steps
        // of 2^28 nodes with 100000 contaminants is past 2^63 bytes.
        {"positions past 64 bits",
         [](ResultsHeader& h) { h.nctm = 100000, h.ncn = 1 << 28, h.tstep = 1, h.dtres1 = 365; },
         "exceed 64 bits"},
    }};
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResultsHeader h = make_header(1, 2, 2, 3600, 1, 0, 1, 86400);
        c.damage(h);
        const std::string fault = results_header_fault(h, UINT64_MAX);
        EXPECT_NE(fault.find(c.words), std::string::npos) << fault;
    }
}

TEST(ResultsLayout, HeaderRoundTripIsLittleEndian)
{
    ResultsHeader h = make_header(3, 70000, 5, 1800, 364, 1800, 2, 900);
    unsigned char bytes[kResultsHeaderSize];
    encode_results_header(h, bytes);
    // npath sits at offset 64: 70000 = 0x00011170.
    EXPECT_EQ(bytes[64], 0x70);
    EXPECT_EQ(bytes[65], 0x11);
    EXPECT_EQ(bytes[66], 0x01);
    EXPECT_EQ(bytes[67], 0x00);
    EXPECT_EQ(bytes[0], kResultsVersion);
    EXPECT_EQ(decode_results_header(bytes), h);
}

}  // namespace
}  // namespace avelor
