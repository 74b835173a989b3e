#include "simulation/results_writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace avelor {

namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 20;

bool known_node_type(std::int32_t t)
{
    return t == kResultsNodeZone || t == kResultsNodeJunction || t == kResultsNodeTerminal;
}

bool known_path_type(std::int32_t t)
{
    return t == kResultsPathFlowPath || t == kResultsPathDuct || t == kResultsPathTerminal || t == kResultsPathLeak;
}

std::string node_map_fault(const std::vector<std::int32_t>& types, const std::vector<std::int32_t>& numbers,
                           std::int32_t count, const char* what)
{
    const std::string name = what;
    if (types.size() != static_cast<std::size_t>(count) || numbers.size() != static_cast<std::size_t>(count))
        return "The " + name + " map does not have one entry per node.";
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
        if (numbers[i] <= 0)
            return "The " + name + " map holds the ambient node (or a number below 1) before its last entry.";
        if (!known_node_type(types[i]))
            return "The " + name + " map holds an unknown node type.";
    }
    if (numbers.back() != 0)
        return "The " + name + " map does not end with the ambient node.";
    return {};
}

std::string error_text(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

float magnitude_max(float a, float b) { return std::max(a, std::fabs(b)); }

}  // namespace

void append_i16(std::vector<unsigned char>& out, std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<unsigned char>(u & 0xff));
    out.push_back(static_cast<unsigned char>((u >> 8) & 0xff));
}

void append_i32(std::vector<unsigned char>& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((u >> shift) & 0xff));
}

void append_f32(std::vector<unsigned char>& out, float value)
{
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    append_i32(out, std::bit_cast<std::int32_t>(value));
}

std::string results_maps_fault(const ResultsHeader& header, const ResultsMaps& maps)
{
    std::string fault = node_map_fault(maps.node_types, maps.node_numbers, header.naf, "airflow node");
    if (fault.empty())
        fault = node_map_fault(maps.ctm_node_types, maps.ctm_node_numbers, header.ncn, "contaminant node");
    if (!fault.empty())
        return fault;
    const auto npath = static_cast<std::size_t>(header.npath);
    if (maps.path_types.size() != npath || maps.path_numbers.size() != npath)
        return "The path map does not have one entry per path.";
    for (std::size_t i = 0; i < npath; ++i) {
        if (!known_path_type(maps.path_types[i]))
            return "The path map holds an unknown path type.";
        if (maps.path_numbers[i] <= 0)
            return "The path map holds a number below 1.";
    }
    return {};
}

ResultsWriter::~ResultsWriter() { abandon(); }

std::string ResultsWriter::temporary_path(const std::string& path) { return path + ".part"; }

bool ResultsWriter::fail(const std::string& text)
{
    if (error_.empty())
        error_ = text;
    abandon();
    return false;
}

bool ResultsWriter::open(const std::string& path, const ResultsHeader& header, const ResultsMaps& maps)
{
    abandon();
    error_.clear();
    done_ = false;
    if (header.version != kResultsVersion)
        return fail("The results file version must be 24.");
    // A header whose own layout fits its complete length is sound.
    std::string fault = results_header_fault(header, UINT64_MAX);
    if (fault.empty())
        fault = results_maps_fault(header, maps);
    if (!fault.empty())
        return fail(fault);
    layout_ = std::make_unique<ResultsLayout>(header);
    path_ = path;
    temp_path_ = temporary_path(path);
    file_.reset(std::fopen(temp_path_.c_str(), "wb"));
    if (!file_)
        return fail(error_text("Cannot create the results file", temp_path_));
    written_ = 0;
    day_n_ = 0;
    index_ = 0;
    last_step_.clear();
    day_maxima_.assign(static_cast<std::size_t>(header.npath), ResultsPathValues{});

    buffer_.clear();
    buffer_.resize(static_cast<std::size_t>(kResultsHeaderSize));
    encode_results_header(header, buffer_.data());
    for (const auto* map : {&maps.node_types, &maps.node_numbers, &maps.ctm_node_types, &maps.ctm_node_numbers,
                            &maps.path_types, &maps.path_numbers})
        for (std::int32_t v : *map)
            append_i32(buffer_, v);
    if (static_cast<std::int64_t>(buffer_.size()) != layout_->data_base())
        return fail("The results maps do not end at the data base.");
    return flush_buffer();
}

bool ResultsWriter::flush_buffer()
{
    if (!file_)
        return false;
    if (buffer_.empty())
        return true;
    const std::size_t n = std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get());
    if (n != buffer_.size())
        return fail(error_text("Cannot write the results file", temp_path_));
    written_ += static_cast<std::int64_t>(n);
    buffer_.clear();
    return true;
}

int ResultsWriter::next_day() const { return layout_ ? layout_->nth_day(day_n_) : 0; }

std::int32_t ResultsWriter::next_time() const
{
    if (!layout_)
        return 0;
    return static_cast<std::int32_t>(layout_->first_time(next_day()) + index_ * layout_->header().tstep);
}

bool ResultsWriter::complete() const { return layout_ && day_n_ >= layout_->day_count(); }

void ResultsWriter::encode_step(const ResultsStep& step, std::vector<unsigned char>& out) const
{
    const ResultsHeader& h = layout_->header();
    append_i16(out, step.day);
    append_i16(out, step.day_type);
    append_i32(out, step.time);
    for (float v : {step.Ta, step.Pb, step.Ws, step.Wd})
        append_f32(out, v);
    for (float c : step.outdoor)
        append_f32(out, c);
    if (h.pf)
        for (std::size_t i = 0; i < step.paths.size(); ++i) {
            append_i32(out, static_cast<std::int32_t>(i + 1));
            append_f32(out, step.paths[i].dP);
            append_f32(out, step.paths[i].F0);
            append_f32(out, step.paths[i].F1);
        }
    if (h.zf)
        for (std::size_t i = 0; i < step.nodes.size(); ++i) {
            append_i32(out, static_cast<std::int32_t>(i + 1));
            append_f32(out, step.nodes[i].T);
            append_f32(out, step.nodes[i].p);
            append_f32(out, step.nodes[i].rho);
        }
    if (h.zc) {
        const auto nctm = static_cast<std::size_t>(h.nctm);
        const std::size_t nodes = static_cast<std::size_t>(h.ncn) - 1;
        for (std::size_t i = 0; i < nodes; ++i) {
            append_i32(out, static_cast<std::int32_t>(i + 1));
            for (std::size_t k = 0; k < nctm; ++k)
                append_f32(out, step.concentrations[i * nctm + k]);
        }
    }
}

bool ResultsWriter::write_step(const ResultsStep& step)
{
    if (!file_)
        return fail("The results file is not open.");
    if (complete())
        return fail("The results file already holds every record of its period.");
    const ResultsHeader& h = layout_->header();
    const auto nctm = static_cast<std::size_t>(h.nctm);
    if (step.outdoor.size() != nctm || (h.pf && step.paths.size() != static_cast<std::size_t>(h.npath)) ||
        (h.zf && step.nodes.size() != static_cast<std::size_t>(h.naf) - 1) ||
        (h.zc && step.concentrations.size() != (static_cast<std::size_t>(h.ncn) - 1) * nctm))
        return fail("A results record does not have the sizes of the results header.");
    if (step.day != next_day() || step.time != next_time())
        return fail("A results record is out of order: day " + std::to_string(step.day) + " time " +
                    std::to_string(step.time) + " where day " + std::to_string(next_day()) + " time " +
                    std::to_string(next_time()) + " is due.");

    last_step_.clear();
    encode_step(step, last_step_);
    if (static_cast<std::int64_t>(last_step_.size()) != layout_->step_size())
        return fail("A results record does not have the size of the layout.");
    buffer_.insert(buffer_.end(), last_step_.begin(), last_step_.end());
    if (h.pf)
        for (std::size_t i = 0; i < day_maxima_.size(); ++i) {
            ResultsPathValues& m = day_maxima_[i];
            m.dP = magnitude_max(m.dP, step.paths[i].dP);
            m.F0 = magnitude_max(m.F0, step.paths[i].F0);
            m.F1 = magnitude_max(m.F1, step.paths[i].F1);
        }
    if (index_ == layout_->last_step(next_day())) {
        if (!write_maxima())
            return false;
        ++day_n_;
        index_ = 0;
    } else {
        ++index_;
    }
    if (buffer_.size() >= kFlushSize)
        return flush_buffer();
    return true;
}

bool ResultsWriter::write_maxima()
{
    const ResultsHeader& h = layout_->header();
    std::vector<unsigned char> record = last_step_;
    if (h.pf) {
        std::vector<unsigned char> values;
        for (std::size_t i = 0; i < day_maxima_.size(); ++i) {
            values.clear();
            append_f32(values, day_maxima_[i].dP);
            append_f32(values, day_maxima_[i].F0);
            append_f32(values, day_maxima_[i].F1);
            // Past the time record and the path's index field.
            const std::size_t at = static_cast<std::size_t>(layout_->time_record_size()) + i * 16 + 4;
            std::copy(values.begin(), values.end(), record.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    buffer_.insert(buffer_.end(), record.begin(), record.end());
    std::fill(day_maxima_.begin(), day_maxima_.end(), ResultsPathValues{});
    return true;
}

bool ResultsWriter::finish()
{
    if (!file_)
        return fail(error_.empty() ? "The results file is not open." : error_);
    if (!complete())
        return fail("The results file is missing records of its period.");
    if (!flush_buffer())
        return false;
    if (std::fflush(file_.get()) != 0)
        return fail(error_text("Cannot write the results file", temp_path_));
    if (written_ != layout_->file_size())
        return fail("The results file does not have the length of its layout.");
    std::FILE* f = file_.release();
    if (std::fclose(f) != 0) {
        fail(error_text("Cannot close the results file", temp_path_));
        std::remove(temp_path_.c_str());
        return false;
    }
    if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
        fail(error_text("Cannot rename the results file to", path_));
        std::remove(temp_path_.c_str());
        return false;
    }
    done_ = true;
    return true;
}

void ResultsWriter::abandon()
{
    if (file_) {
        file_.reset();
        std::remove(temp_path_.c_str());
    }
    buffer_.clear();
}

}  // namespace avelor
