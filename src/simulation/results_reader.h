// Reading a results file (".sim") back: the header and maps checked against
// the project, one day at a time, one output time step at a time. The file
// is untrusted: every header and map value is validated before it is used,
// and a damaged file is reported and refused, never followed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulation/results_layout.h"

namespace avelor {

class Project;

// The time record that starts every time step.
struct ResultsTimeRecord {
    std::int16_t day = 0;       // day of year
    std::int16_t day_type = 0;  // 1..12
    std::int32_t time = 0;      // seconds of the day
    float Ta = 0;               // ambient temperature, K
    float Pb = 0;               // barometric pressure, Pa
    float Ws = 0;               // wind speed, m/s
    float Wd = 0;               // wind direction, degrees
    std::vector<float> ambient_cc;  // kg/kg, contaminant order
};

struct PathResult {
    std::int32_t index = 0;
    float dP = 0;  // Pa
    float F0 = 0;  // kg/s
    float F1 = 0;  // kg/s
};

struct NodeAirflowResult {
    std::int32_t index = 0;
    float T = 0;  // K
    float P = 0;  // Pa, relative to ambient
    float D = 0;  // density, kg/m3
};

struct NodeConcentrationResult {
    std::int32_t index = 0;
    std::vector<float> cc;  // kg/kg, contaminant order
};

// Where the project's records are in the file: node and path indices
// (1-based, 0 for none), kept by record number (entry 0 unused).
struct ResultsIndices {
    std::vector<std::int32_t> zone_node;       // by zone number
    std::vector<std::int32_t> junction_node;   // by junction number
    std::vector<std::int32_t> zone_ctm_node;   // by zone number: concentration node
    std::vector<std::int32_t> junction_ctm_node;  // by junction number: concentration node
    std::vector<std::int32_t> path_index;      // by flow path number
    std::vector<std::int32_t> duct_index;      // by duct segment number
    std::vector<std::int32_t> terminal_index;  // by junction number
    std::vector<std::int32_t> leak_index;      // by junction number
    std::int32_t ambient_node = 0;

    // The entry of a number, 0 when it lies outside the table.
    static std::int32_t of(const std::vector<std::int32_t>& table, std::int32_t number)
    {
        return number > 0 && static_cast<std::size_t>(number) < table.size()
                   ? table[static_cast<std::size_t>(number)]
                   : 0;
    }
};

// The results file of a project: same folder and base name, ".sim".
std::string results_path_for(const std::string& project_path);

// Reads the header of a results file; nothing when the file is missing or
// shorter than a header.
std::optional<ResultsHeader> read_results_header(const std::string& sim_path);

// Whether the results file matches the project: its header can be read,
// its version is current and its five counts equal the project's. A wrong
// version or count is shown as a warning; a missing file is silent.
bool check_results(const std::string& sim_path, const Project& project);

class ResultsReader {
public:
    ResultsReader();
    ~ResultsReader();
    ResultsReader(const ResultsReader&) = delete;
    ResultsReader& operator=(const ResultsReader&) = delete;

    // Opens the results of the project: header (version and every value
    // checked against the file's length), maps (checked against the
    // project's lists), the first day, and the arrow scales from the daily
    // maxima. project_path (may be empty) names the project file for the
    // "newer than" warning and the read-error message. On any failure the
    // reader is closed again and false returned.
    bool open(const std::string& sim_path, const Project& project, const std::string& project_path);
    // Releases the file and every array.
    void close();
    bool is_open() const { return file_ != nullptr; }

    const ResultsHeader& header() const { return layout_.header(); }
    const ResultsLayout& layout() const { return layout_; }
    const ResultsIndices& indices() const { return indices_; }

    // Makes day d current (366 and above wrap to 1, 0 and below to 365);
    // false, with nothing changed, when the results do not hold that day.
    bool load_day(int d);
    int day() const { return day_; }
    // N: the last step index of the current day.
    std::int64_t last_step() const { return last_step_; }
    // The time of day of each step 0..N of the current day, as stored.
    const std::vector<std::int32_t>& step_times() const { return times_; }
    // The time of step k as shown: a stored 86400 at step 0 shows as 0.
    std::int32_t shown_time(std::int64_t k) const;

    // Reads the current step's path and node airflow records in one block
    // each and checks that record i holds index i. The step index must lie
    // in 0..N. False on a failed read or a mismatch (the records stay as
    // read).
    bool load_step(std::int64_t k);
    std::int64_t loaded_step() const { return step_; }
    // The records of the loaded step, entry i - 1 for index i (empty when
    // the file holds none).
    std::vector<PathResult>& paths() { return paths_; }
    const std::vector<PathResult>& paths() const { return paths_; }
    const std::vector<NodeAirflowResult>& nodes() const { return nodes_; }
    // One record by its index, nullptr when outside the loaded records.
    const PathResult* path(std::int32_t index) const;
    const NodeAirflowResult* node(std::int32_t index) const;

    // Single records of step k of the current day, their first field
    // checked against the requested index.
    bool read_time_record(std::int64_t k, ResultsTimeRecord& out);
    bool read_path(std::int32_t p, std::int64_t k, PathResult& out);
    bool read_node_airflow(std::int32_t i, std::int64_t k, NodeAirflowResult& out);
    bool read_node_concentrations(std::int32_t i, std::int64_t k, NodeConcentrationResult& out);
    // Every concentration record of step k in one block: nctm values per
    // node, node i's at (i - 1) * nctm. Each record's index is checked; a
    // mismatch is one ".SIM read error" and false.
    bool read_step_concentrations(std::int64_t k, std::vector<float>& out);

    // The arrow scales: the largest |dP| (at least 1.0) and the largest
    // |Flow0| (at least 0.001) of all the daily maxima.
    float max_dP() const { return max_dP_; }
    float max_flow() const { return max_flow_; }

    // Seeks actually made, for checking that a right position skips them.
    std::int64_t seek_count() const { return seeks_; }

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    bool read_at(std::int64_t position, void* buffer, std::size_t bytes);
    bool read_maps(const Project& project);
    bool scan_maxima();

    std::unique_ptr<std::FILE, FileCloser> file_;
    std::int64_t position_ = -1;  // -1: unknown
    std::int64_t seeks_ = 0;
    std::uint64_t file_size_ = 0;
    std::string base_name_;
    ResultsLayout layout_{ResultsHeader{}};
    ResultsIndices indices_;
    int day_ = 0;
    std::int64_t last_step_ = -1;
    std::int64_t step_ = -1;
    std::vector<std::int32_t> times_;
    std::vector<PathResult> paths_;
    std::vector<NodeAirflowResult> nodes_;
    std::vector<unsigned char> block_;
    float max_dP_ = 1.0f;
    float max_flow_ = 0.001f;
};

}  // namespace avelor
