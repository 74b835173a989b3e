// Writing a results file (".sim"): the header, the maps, then one record
// per output instant in the order of the file's layout. The writer knows
// which day and step comes next, refuses a record that does not fit there,
// and after the last step of each day adds the day's maxima record by
// itself.
//
// The file is written under a temporary name beside its final one and only
// renamed into place once every record is written and the file is closed
// without error. A run that fails or is stopped therefore never leaves a
// file that looks complete: the temporary file is removed and a results
// file of an earlier run, if any, stays as it was (the editor recognises it
// as older than the project).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "simulation/results_layout.h"

namespace avelor {

struct ResultsPathValues {
    float dP = 0, F0 = 0, F1 = 0;  // Pa, kg/s, kg/s
};

struct ResultsNodeValues {
    float T = 0, p = 0, rho = 0;  // K, Pa, kg/m3
};

// One output instant. Arrays whose records the header leaves out (pf, zf,
// zc of 0) may be empty; the others must have exactly the header's sizes.
struct ResultsStep {
    std::int16_t day = 1;
    std::int16_t day_type = 1;
    std::int32_t time = 0;  // s of the day, 0..86400
    float Ta = 293.15f, Pb = 101325.0f, Ws = 0, Wd = 0;
    std::vector<float> outdoor;                // nctm, kg/kg
    std::vector<ResultsPathValues> paths;      // npath, in path index order
    std::vector<ResultsNodeValues> nodes;      // naf - 1, in node index order
    std::vector<float> concentrations;         // (ncn - 1) x nctm, node by node
};

// What is wrong with maps for a header ("" when nothing is): the array
// sizes, the ambient node (number 0) last in both node maps and nowhere
// else, and the known node and path types.
std::string results_maps_fault(const ResultsHeader& header, const ResultsMaps& maps);

// The i32 values and f32 values of the file, little-endian, appended to a
// byte buffer.
void append_i16(std::vector<unsigned char>& out, std::int16_t value);
void append_i32(std::vector<unsigned char>& out, std::int32_t value);
void append_f32(std::vector<unsigned char>& out, float value);

class ResultsWriter {
public:
    ResultsWriter() = default;
    ~ResultsWriter();  // abandons a file that was not finished
    ResultsWriter(const ResultsWriter&) = delete;
    ResultsWriter& operator=(const ResultsWriter&) = delete;

    // The temporary name a results file is written under.
    static std::string temporary_path(const std::string& path);

    // Starts the file: checks header and maps, creates the temporary file
    // and writes both. False (with error()) when anything fails.
    bool open(const std::string& path, const ResultsHeader& header, const ResultsMaps& maps);

    // Writes the record of the next output instant: its day and time must
    // be the ones the layout expects next (next_day(), next_time()). After
    // a day's last step the day's maxima follow: the last step's record with
    // the largest |dP|, |Flow0| and |Flow1| of each path over the day.
    bool write_step(const ResultsStep& step);

    // Where the next record goes; meaningful while !complete().
    int next_day() const;
    std::int64_t next_index() const { return index_; }
    std::int32_t next_time() const;
    // Whether every record of the layout has been written.
    bool complete() const;
    bool is_open() const { return file_ != nullptr; }

    // Writes out what is buffered, closes the file, checks its length and
    // renames it into place. Only a complete file can be finished.
    bool finish();
    // Closes and removes the temporary file; the final name is untouched.
    void abandon();

    const std::string& error() const { return error_; }
    const ResultsLayout& layout() const { return *layout_; }

private:
    bool fail(const std::string& text);
    bool flush_buffer();
    void encode_step(const ResultsStep& step, std::vector<unsigned char>& out) const;
    bool write_maxima();

    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::unique_ptr<ResultsLayout> layout_;
    std::string path_, temp_path_, error_;
    std::vector<unsigned char> buffer_;
    std::vector<unsigned char> last_step_;        // the last record as written
    std::vector<ResultsPathValues> day_maxima_;   // per path, this day so far
    std::int64_t written_ = 0;                    // bytes handed to the file
    int day_n_ = 0;                               // 0 = dtres0
    std::int64_t index_ = 0;                      // step index within the day
    bool done_ = false;
};

}  // namespace avelor
