// Writes results files of any shape for the tests and benchmarks: any
// period, step, flags and counts, values that follow from the day, step and
// index (so a test can tell which record it was given), and damage on
// request: a cut-off file, overwritten fields, maps of the caller's making.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulation/results_layout.h"

namespace avelor::testing {

// A consistent header for one whole day (day 1): naf and ncn count the
// zones, junctions and ambient, npath the flow paths and duct segments.
inline ResultsHeader results_header(int nzones, int npaths, int nctm = 0, int njct = 0, int nduct = 0)
{
    ResultsHeader h;
    h.nzones = nzones;
    h.npaths = npaths;
    h.nctm = nctm;
    h.njct = njct;
    h.nduct = nduct;
    h.naf = h.ncn = nzones + njct + 1;
    h.npath = npaths + nduct;
    h.tmres1 = kSecondsPerDay;
    return h;
}

// The maps the engine writes: zones, junctions, then ambient (number 0)
// last; flow paths, then duct segments.
inline ResultsMaps default_results_maps(const ResultsHeader& h)
{
    ResultsMaps m;
    const auto nodes = [&](std::vector<std::int32_t>& types, std::vector<std::int32_t>& numbers, int count) {
        for (int i = 0; i < count; ++i) {
            const bool zone = i < h.nzones;
            const bool ambient = i == count - 1;
            types.push_back(ambient || zone ? kResultsNodeZone : kResultsNodeJunction);
            numbers.push_back(ambient ? 0 : (zone ? i + 1 : i - h.nzones + 1));
        }
    };
    nodes(m.node_types, m.node_numbers, h.naf);
    nodes(m.ctm_node_types, m.ctm_node_numbers, h.ncn);
    for (int i = 0; i < h.npath; ++i) {
        const bool flow_path = i < h.npaths;
        m.path_types.push_back(flow_path ? kResultsPathFlowPath : kResultsPathDuct);
        m.path_numbers.push_back(flow_path ? i + 1 : i - h.npaths + 1);
    }
    return m;
}

// The values written, from the day, the step index and the record index.
inline float made_dP(int day, std::int64_t k, std::int32_t p)
{
    const float size = static_cast<float>(p) + 0.01f * static_cast<float>(k) + 0.001f * static_cast<float>(day);
    return p % 2 ? size : -size;
}
inline float made_F0(int day, std::int64_t k, std::int32_t p) { return made_dP(day, k, p) / 1000.0f; }
inline float made_F1(int day, std::int64_t k, std::int32_t p) { return p % 3 == 0 ? -made_F0(day, k, p) / 2 : 0.0f; }
inline float made_T(int day, std::int64_t k, std::int32_t i)
{
    return 290.0f + 0.1f * static_cast<float>(i) + 0.01f * static_cast<float>(k) + 0.001f * static_cast<float>(day);
}
inline float made_P(int day, std::int64_t k, std::int32_t i) { return -0.5f * static_cast<float>(i) - 0.001f * static_cast<float>(k + day); }
inline float made_D(int, std::int64_t, std::int32_t i) { return 1.2f + 0.001f * static_cast<float>(i); }
inline float made_cc(int day, std::int64_t k, std::int32_t i, int c)
{
    return 1e-6f * static_cast<float>(10 * i + c + 1) + 1e-9f * static_cast<float>(k + day);
}
inline float made_Ta(int day, std::int64_t k) { return 273.15f + 0.1f * static_cast<float>(k) + 0.01f * static_cast<float>(day); }

struct ResultsDamage {
    // Cut the file to this length (-1: leave it whole).
    std::int64_t truncate_to = -1;
    // 32-bit values written over the file at these positions.
    std::vector<std::pair<std::int64_t, std::int32_t>> patches;
};

struct MadeResults {
    bool written = false;
    std::int64_t size = 0;
    float max_dP = 0;  // the largest |dP| and |Flow0| written in the daily maxima
    float max_F0 = 0;
};

namespace detail {
inline void put_i32(unsigned char* out, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int b = 0; b < 4; ++b) out[b] = static_cast<unsigned char>((u >> (8 * b)) & 0xff);
}
inline void put_i16(unsigned char* out, std::int16_t v)
{
    const auto u = static_cast<std::uint16_t>(v);
    out[0] = static_cast<unsigned char>(u & 0xff);
    out[1] = static_cast<unsigned char>(u >> 8);
}
inline void put_f32(unsigned char* out, float v) { put_i32(out, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(v))); }
}  // namespace detail

// Writes the file. The header must be free of faults unless the caller
// wants a damaged header: then only the header and maps are written (and
// the damage applied). Maps left empty in `maps` are made by
// default_results_maps.
inline MadeResults write_results_file(const std::string& path, const ResultsHeader& header,
                                      const ResultsMaps& given_maps = {}, const ResultsDamage& damage = {})
{
    using detail::put_f32;
    using detail::put_i16;
    using detail::put_i32;
    MadeResults made;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return made;
    std::vector<char> io_buffer(1 << 20);
    std::setvbuf(file.get(), io_buffer.data(), _IOFBF, io_buffer.size());
    std::vector<unsigned char> bytes(static_cast<std::size_t>(kResultsHeaderSize));
    encode_results_header(header, bytes.data());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());

    ResultsMaps maps = given_maps;
    const bool sane_counts = header.naf >= 0 && header.ncn >= 0 && header.npath >= 0 && header.naf < (1 << 24) &&
                             header.ncn < (1 << 24) && header.npath < (1 << 24);
    if (maps.node_types.empty() && maps.path_types.empty() && sane_counts) maps = default_results_maps(header);
    for (const std::vector<std::int32_t>* array : {&maps.node_types, &maps.node_numbers, &maps.ctm_node_types,
                                                   &maps.ctm_node_numbers, &maps.path_types, &maps.path_numbers}) {
        bytes.resize(array->size() * 4);
        for (std::size_t i = 0; i < array->size(); ++i) put_i32(bytes.data() + 4 * i, (*array)[i]);
        std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    }

    if (results_header_fault(header, ~std::uint64_t{0}).empty()) {
        const ResultsLayout layout(header);
        const ResultsHeader& h = header;
        std::vector<unsigned char> step(static_cast<std::size_t>(layout.step_size()));
        for (int n = 0; n < layout.day_count(); ++n) {
            const int d = layout.nth_day(n);
            const std::int64_t N = layout.last_step(d);
            // Gaps a layout leaves between days are filled with zeros.
            const std::int64_t at = layout.step_position(d, 0);
            const long here = std::ftell(file.get());
            if (here >= 0 && at > here) {
                std::vector<unsigned char> zeros(static_cast<std::size_t>(at - here), 0);
                std::fwrite(zeros.data(), 1, zeros.size(), file.get());
            }
            std::vector<float> day_max_dP(static_cast<std::size_t>(h.npath), 0.0f);
            std::vector<float> day_max_F0(static_cast<std::size_t>(h.npath), 0.0f);
            for (std::int64_t k = 0; k <= N + 1; ++k) {
                const bool maxima = k == N + 1;
                unsigned char* out = step.data();
                put_i16(out, static_cast<std::int16_t>(d));
                put_i16(out + 2, static_cast<std::int16_t>((d - 1) % 12 + 1));
                put_i32(out + 4, maxima ? 0 : static_cast<std::int32_t>(layout.first_time(d) + k * h.tstep));
                put_f32(out + 8, made_Ta(d, k));
                put_f32(out + 12, 101325.0f);
                put_f32(out + 16, static_cast<float>(k % 10));
                put_f32(out + 20, static_cast<float>(d % 360));
                for (int c = 0; c < h.nctm; ++c) put_f32(out + 24 + 4 * c, made_cc(d, k, 0, c));
                out += layout.time_record_size();
                if (h.pf) {
                    for (std::int32_t p = 1; p <= h.npath; ++p, out += 16) {
                        const auto slot = static_cast<std::size_t>(p - 1);
                        put_i32(out, p);
                        if (maxima) {
                            put_f32(out + 4, day_max_dP[slot]);
                            put_f32(out + 8, day_max_F0[slot]);
                            put_f32(out + 12, 0.0f);
                            made.max_dP = std::max(made.max_dP, day_max_dP[slot]);
                            made.max_F0 = std::max(made.max_F0, day_max_F0[slot]);
                        } else {
                            const float dP = made_dP(d, k, p), F0 = made_F0(d, k, p);
                            put_f32(out + 4, dP);
                            put_f32(out + 8, F0);
                            put_f32(out + 12, made_F1(d, k, p));
                            day_max_dP[slot] = std::max(day_max_dP[slot], std::fabs(dP));
                            day_max_F0[slot] = std::max(day_max_F0[slot], std::fabs(F0));
                        }
                    }
                }
                if (h.zf) {
                    for (std::int32_t i = 1; i < h.naf; ++i, out += 16) {
                        put_i32(out, i);
                        put_f32(out + 4, made_T(d, k, i));
                        put_f32(out + 8, made_P(d, k, i));
                        put_f32(out + 12, made_D(d, k, i));
                    }
                }
                if (h.zc) {
                    for (std::int32_t i = 1; i < h.ncn; ++i) {
                        put_i32(out, i);
                        for (int c = 0; c < h.nctm; ++c) put_f32(out + 4 + 4 * c, made_cc(d, k, i, c));
                        out += 4 + 4 * h.nctm;
                    }
                }
                std::fwrite(step.data(), 1, step.size(), file.get());
            }
        }
    }
    for (const auto& [position, value] : damage.patches) {
        unsigned char field[4];
        put_i32(field, value);
        std::fseek(file.get(), static_cast<long>(position), SEEK_SET);
        std::fwrite(field, 1, 4, file.get());
    }
    std::fseek(file.get(), 0, SEEK_END);
    made.size = std::ftell(file.get());
    file.reset();
    if (damage.truncate_to >= 0 && damage.truncate_to < made.size) {
        std::vector<char> keep;
        {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
            keep.resize(static_cast<std::size_t>(damage.truncate_to));
            if (!in || std::fread(keep.data(), 1, keep.size(), in.get()) != keep.size()) return made;
        }
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
        if (!out) return made;
        std::fwrite(keep.data(), 1, keep.size(), out.get());
        made.size = damage.truncate_to;
    }
    made.written = true;
    return made;
}

}  // namespace avelor::testing
