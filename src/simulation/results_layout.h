// The layout of the results file (".sim") the engine writes beside a
// project and the editor reads back: a header of 17 little-endian 32-bit
// integers, the node and path maps, then fixed-size time-step records
// grouped by day. Writer and reader share these computations, so every
// position is derived in one place, in 64 bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/text_convert.h"

namespace avelor {

inline constexpr std::int32_t kResultsVersion = 24;
inline constexpr std::int64_t kResultsHeaderSize = 68;  // 17 x i32
inline constexpr std::int32_t kSecondsPerDay = kSecondsInDay;

// Node types of the maps.
inline constexpr std::int32_t kResultsNodeZone = 0;
inline constexpr std::int32_t kResultsNodeJunction = 1;
inline constexpr std::int32_t kResultsNodeTerminal = 2;
// Path types of the maps.
inline constexpr std::int32_t kResultsPathFlowPath = 0;
inline constexpr std::int32_t kResultsPathDuct = 1;
inline constexpr std::int32_t kResultsPathTerminal = 2;
inline constexpr std::int32_t kResultsPathLeak = 3;

struct ResultsHeader {
    std::int32_t version = kResultsVersion;
    std::int32_t nzones = 0;
    std::int32_t npaths = 0;
    std::int32_t nctm = 0;
    std::int32_t njct = 0;
    std::int32_t nduct = 0;
    std::int32_t tstep = 3600;  // output time step, s
    std::int32_t dtres0 = 1;    // first day, 1..365
    std::int32_t tmres0 = 0;    // time of the first result on dtres0, s
    std::int32_t dtres1 = 1;    // last day
    std::int32_t tmres1 = 0;    // time of the last result on dtres1, s
    std::int32_t pf = 1;        // path records present
    std::int32_t zf = 1;        // node airflow records present
    std::int32_t zc = 0;        // node concentration records present
    std::int32_t naf = 1;       // airflow nodes, ambient included
    std::int32_t ncn = 1;       // contaminant nodes, ambient included
    std::int32_t npath = 0;     // airflow paths in the results
    bool operator==(const ResultsHeader&) const = default;
};

// The maps that follow the header, each array as stored.
struct ResultsMaps {
    std::vector<std::int32_t> node_types, node_numbers;          // naf each
    std::vector<std::int32_t> ctm_node_types, ctm_node_numbers;  // ncn each
    std::vector<std::int32_t> path_types, path_numbers;          // npath each
};

// The header as 68 bytes, and back. decode needs at least 68 bytes.
void encode_results_header(const ResultsHeader& header, unsigned char* out);
ResultsHeader decode_results_header(const unsigned char* in);

// What is wrong with a header, given the length of the file that holds it
// ("" when nothing is): the output step must divide a day, days lie in
// 1..365, times in 0..86400, flags are 0 or 1, counts are not negative,
// every size and position of the layout fits in 64 bits, and the maps and
// records fit in the file. The version is not judged here.
std::string results_header_fault(const ResultsHeader& header, std::uint64_t file_size);

// Sizes and positions of one results file.
class ResultsLayout {
public:
    // The header must be free of faults (results_header_fault).
    explicit ResultsLayout(const ResultsHeader& header);

    const ResultsHeader& header() const { return h_; }

    std::int64_t time_record_size() const { return time_record_; }
    std::int64_t path_record_size() const { return path_record_; }  // 16 or 0
    std::int64_t node_record_size() const { return node_record_; }  // 16 or 0
    std::int64_t conc_record_size() const { return conc_record_; }  // 4 + 4 nctm or 0
    // S: one time-step record with everything it holds.
    std::int64_t step_size() const { return step_; }
    // K = 86400 / tstep: the steps of a whole day after step 0.
    std::int64_t steps_per_day() const { return K_; }
    // The file position of the first time-step record.
    std::int64_t data_base() const { return base_; }

    // Days from dtres0 to dtres1, wrapping from 365 to 1.
    int day_count() const { return days_; }
    // Whether d lies in dtres0..dtres1 (wrapping).
    bool has_day(int d) const;
    // The n-th day of the results (0 = dtres0), wrapping past 365.
    int nth_day(int n) const;
    // D: the days from dtres0 to d, counted across the end of the year.
    int day_distance(int d) const;
    // The last step index N of day d (the maxima record is at N + 1); may
    // be negative for a damaged header.
    std::int64_t last_step(int d) const;
    // The time of day of step 0 of day d: tmres0 on dtres0, else 0.
    std::int32_t first_time(int d) const;
    // The records day d holds, maxima included.
    std::int64_t records_in_day(int d) const;
    // Offset of day d from the data base.
    std::int64_t day_offset(int d) const;
    // Absolute file positions within step k of day d.
    std::int64_t step_position(int d, std::int64_t k) const;
    std::int64_t path_position(int d, std::int64_t k, std::int64_t path_index) const;
    std::int64_t node_position(int d, std::int64_t k, std::int64_t node_index) const;
    std::int64_t conc_position(int d, std::int64_t k, std::int64_t node_index) const;
    // The length of a complete file.
    std::int64_t file_size() const;

private:
    ResultsHeader h_;
    std::int64_t time_record_ = 0, path_record_ = 0, node_record_ = 0, conc_record_ = 0;
    std::int64_t step_ = 0, K_ = 0, base_ = 0;
    int days_ = 0;
};

// The restart file's header: ten 32-bit integers.
struct RestartHeader {
    std::int32_t nzones = 0, npaths = 0, nctm = 0, njct = 0, nduct = 0;
    std::int32_t nsources = 0, ncontrols = 0;
    std::int32_t first_day = 1, last_day = 1;
    std::int32_t spare = 0;
};

}  // namespace avelor
