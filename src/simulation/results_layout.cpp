#include "simulation/results_layout.h"

#include <array>
#include <cstdio>
#include <limits>

namespace avelor {

namespace {

void put_i32(unsigned char* out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    out[0] = static_cast<unsigned char>(u & 0xff);
    out[1] = static_cast<unsigned char>((u >> 8) & 0xff);
    out[2] = static_cast<unsigned char>((u >> 16) & 0xff);
    out[3] = static_cast<unsigned char>((u >> 24) & 0xff);
}

std::int32_t get_i32(const unsigned char* in)
{
    const std::uint32_t u = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                            (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<std::int32_t>(u);
}

std::array<std::int32_t*, 17> fields(ResultsHeader& h)
{
    return {&h.version, &h.nzones, &h.npaths, &h.nctm,  &h.njct, &h.nduct, &h.tstep, &h.dtres0, &h.tmres0,
            &h.dtres1,  &h.tmres1, &h.pf,     &h.zf,    &h.zc,   &h.naf,   &h.ncn,   &h.npath};
}

// Sums and products of non-negative 64-bit sizes; false, with out
// untouched, when the result would not fit.
constexpr std::int64_t kLargestSize = std::numeric_limits<std::int64_t>::max();
bool add_size(std::int64_t a, std::int64_t b, std::int64_t& out)
{
    if (b > kLargestSize - a) return false;
    out = a + b;
    return true;
}
bool multiply_size(std::int64_t a, std::int64_t b, std::int64_t& out)
{
    if (a != 0 && b > kLargestSize / a) return false;
    out = a * b;
    return true;
}

// Whether every size and position of a header's layout fits in 64 bits:
// the step record, the maps, and a bound on the length of the whole file
// (every day with all its records) that no position the layout computes
// for the header's days and steps can pass.
bool sizes_fit(const ResultsHeader& h)
{
    const std::int64_t nctm = h.nctm;
    std::int64_t ctm_bytes = 0, time_record = 0, conc_record = 0;
    if (!multiply_size(4, nctm, ctm_bytes) || !add_size(24, ctm_bytes, time_record) ||
        !add_size(4, ctm_bytes, conc_record))
        return false;
    std::int64_t step = time_record;
    const std::int64_t parts[3][2] = {{h.pf ? 16 : 0, h.npath},
                                      {h.zf ? 16 : 0, std::int64_t{h.naf} - 1},
                                      {h.zc ? conc_record : 0, std::int64_t{h.ncn} - 1}};
    for (const auto& part : parts) {
        std::int64_t bytes = 0;
        if (!multiply_size(part[0], part[1], bytes) || !add_size(step, bytes, step)) return false;
    }
    // The maps: 4 bytes for each of 2 (naf + ncn + npath) entries.
    std::int64_t base = 0;
    const std::int64_t entries = 2 * (std::int64_t{h.naf} + h.ncn + h.npath);
    if (!multiply_size(4, entries, base) || !add_size(kResultsHeaderSize, base, base)) return false;
    // Each day holds at most K + 2 records, and the results span at most
    // 365 days.
    const std::int64_t days = (h.dtres1 >= h.dtres0 ? h.dtres1 - h.dtres0 : h.dtres1 + 365 - h.dtres0) + 1;
    std::int64_t records = 0, data = 0, total = 0;
    return multiply_size(days, kSecondsPerDay / h.tstep + 2, records) && multiply_size(records, step, data) &&
           add_size(base, data, total);
}

bool valid_day(std::int32_t d) { return d >= 1 && d <= 365; }
bool valid_time(std::int32_t t) { return t >= 0 && t <= kSecondsPerDay; }
bool valid_flag(std::int32_t f) { return f == 0 || f == 1; }

}  // namespace

void encode_results_header(const ResultsHeader& header, unsigned char* out)
{
    ResultsHeader copy = header;
    int i = 0;
    for (std::int32_t* field : fields(copy))
        put_i32(out + 4 * i++, *field);
}

ResultsHeader decode_results_header(const unsigned char* in)
{
    ResultsHeader h;
    int i = 0;
    for (std::int32_t* field : fields(h))
        *field = get_i32(in + 4 * i++);
    return h;
}

std::string results_header_fault(const ResultsHeader& h, std::uint64_t file_size)
{
    char text[160];
    if (h.nzones < 0 || h.npaths < 0 || h.nctm < 0 || h.njct < 0 || h.nduct < 0 || h.naf < 1 || h.ncn < 1 ||
        h.npath < 0)
        return "The results file holds a negative count.";
    if (h.tstep <= 0 || kSecondsPerDay % h.tstep != 0) {
        std::snprintf(text, sizeof text, "The output time step of the results file (%d s) does not divide a day.",
                      static_cast<int>(h.tstep));
        return text;
    }
    if (!valid_day(h.dtres0) || !valid_day(h.dtres1))
        return "The results file names a day outside 1..365.";
    if (!valid_time(h.tmres0) || !valid_time(h.tmres1))
        return "The results file names a time outside 00:00:00..24:00:00.";
    if (!valid_flag(h.pf) || !valid_flag(h.zf) || !valid_flag(h.zc))
        return "The results file holds a record flag other than 0 or 1.";
    if (h.dtres0 == h.dtres1 && h.tmres1 < h.tmres0)
        return "The results file ends before it starts.";
    // No file holds maps of more entries than these.
    constexpr std::int64_t kMaxEntries = std::int64_t{1} << 28;
    if (h.naf > kMaxEntries || h.ncn > kMaxEntries || h.npath > kMaxEntries || h.nctm > 100000)
        return "The results file holds counts its length cannot hold.";
    // Counts within those bounds can still multiply past 64 bits, and no
    // position of the layout may be computed until they are known not to.
    if (!sizes_fit(h)) return "The results file holds counts whose record positions exceed 64 bits.";
    const ResultsLayout layout(h);
    if (static_cast<std::uint64_t>(layout.data_base()) > file_size)
        return "The results file is shorter than its maps.";
    if (static_cast<std::uint64_t>(layout.file_size()) > file_size)
        return "The results file is shorter than its header says.";
    return {};
}

ResultsLayout::ResultsLayout(const ResultsHeader& header) : h_(header)
{
    const std::int64_t nctm = h_.nctm;
    time_record_ = 24 + 4 * nctm;
    path_record_ = h_.pf ? 16 : 0;
    node_record_ = h_.zf ? 16 : 0;
    conc_record_ = h_.zc ? 4 + 4 * nctm : 0;
    step_ = time_record_ + path_record_ * h_.npath + node_record_ * (h_.naf - 1) + conc_record_ * (h_.ncn - 1);
    K_ = h_.tstep > 0 ? kSecondsPerDay / h_.tstep : 0;
    base_ = kResultsHeaderSize + 4 * (2 * std::int64_t{h_.naf} + 2 * std::int64_t{h_.ncn} + 2 * std::int64_t{h_.npath});
    days_ = (h_.dtres1 >= h_.dtres0 ? h_.dtres1 - h_.dtres0 : h_.dtres1 + 365 - h_.dtres0) + 1;
}

bool ResultsLayout::has_day(int d) const
{
    if (d < 1 || d > 365)
        return false;
    if (h_.dtres0 <= h_.dtres1)
        return d >= h_.dtres0 && d <= h_.dtres1;
    return d >= h_.dtres0 || d <= h_.dtres1;
}

int ResultsLayout::nth_day(int n) const { return (h_.dtres0 - 1 + n) % 365 + 1; }

int ResultsLayout::day_distance(int d) const { return d >= h_.dtres0 ? d - h_.dtres0 : d + 365 - h_.dtres0; }

std::int64_t ResultsLayout::last_step(int d) const
{
    if (h_.tstep <= 0)
        return -1;
    const std::int64_t T = h_.tstep;
    if (h_.dtres0 == h_.dtres1)
        return (std::int64_t{h_.tmres1} - h_.tmres0) / T;
    if (d == h_.dtres0)
        return (kSecondsPerDay - std::int64_t{h_.tmres0}) / T;
    if (d == h_.dtres1)
        return std::int64_t{h_.tmres1} / T;
    return K_;
}

std::int32_t ResultsLayout::first_time(int d) const { return d == h_.dtres0 ? h_.tmres0 : 0; }

std::int64_t ResultsLayout::records_in_day(int d) const { return last_step(d) + 2; }

std::int64_t ResultsLayout::day_offset(int d) const
{
    const std::int64_t D = day_distance(d);
    std::int64_t offset = D * (K_ + 2) * step_;
    if (d != h_.dtres0 && h_.tstep > 0)
        offset -= (std::int64_t{h_.tmres0} / h_.tstep) * step_;
    return offset;
}

std::int64_t ResultsLayout::step_position(int d, std::int64_t k) const { return base_ + day_offset(d) + k * step_; }

std::int64_t ResultsLayout::path_position(int d, std::int64_t k, std::int64_t p) const
{
    return step_position(d, k) + time_record_ + (p - 1) * 16;
}

std::int64_t ResultsLayout::node_position(int d, std::int64_t k, std::int64_t i) const
{
    return step_position(d, k) + time_record_ + path_record_ * h_.npath + (i - 1) * 16;
}

std::int64_t ResultsLayout::conc_position(int d, std::int64_t k, std::int64_t i) const
{
    return step_position(d, k) + time_record_ + path_record_ * h_.npath + node_record_ * (h_.naf - 1) +
           (i - 1) * (4 + 4 * std::int64_t{h_.nctm});
}

std::int64_t ResultsLayout::file_size() const
{
    const int last = h_.dtres1;
    return base_ + day_offset(last) + records_in_day(last) * step_;
}

}  // namespace avelor
