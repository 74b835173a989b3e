// The restart file (".rst") the engine leaves beside a project: a header
// of ten little-endian 32-bit integers (the counts of zones, flow paths,
// contaminants, junctions, duct segments, source/sinks and control nodes,
// the first and last day held, and 0), then one block per finished day:
//
//   i32 day, i32 time of day (s), i32 nodes (n, ambient left out), i32 nctm,
//   n x f64 pressure (Pa), n x f64 temperature (K), n x nctm f64 (kg/kg)
//
// The header's days are rewritten after every block, so the file is
// consistent whenever a block is complete. Until the first block the days
// are 0: the file holds no day yet.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "simulation/results_layout.h"

namespace avelor::engine {

inline constexpr std::int64_t kRestartHeaderSize = 40;

void encode_restart_header(const RestartHeader& header, unsigned char* out);
RestartHeader decode_restart_header(const unsigned char* in);

class RestartWriter {
public:
    RestartWriter() = default;
    ~RestartWriter();
    RestartWriter(const RestartWriter&) = delete;
    RestartWriter& operator=(const RestartWriter&) = delete;

    // Creates the file and writes the header with days 0.
    bool open(const std::string& path, const RestartHeader& header);
    // Appends the state at the end of a day and rewrites the header days.
    // p and T hold one value per node, C nctm per node (node by node).
    bool write_day(int day, int time, const std::vector<double>& p, const std::vector<double>& T,
                   const std::vector<double>& C);
    // Flushes and closes; false when anything failed.
    bool close();

    const std::string& error() const { return error_; }
    int blocks() const { return blocks_; }

private:
    bool fail(const std::string& text);
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    RestartHeader header_;
    std::string path_, error_;
    int blocks_ = 0;
};

}  // namespace avelor::engine
