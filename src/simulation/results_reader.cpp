#include "simulation/results_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "model/project.h"

namespace avelor {

namespace {

std::int32_t get_i32(const unsigned char* in)
{
    const std::uint32_t u = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                            (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<std::int32_t>(u);
}

std::int16_t get_i16(const unsigned char* in)
{
    const auto u = static_cast<std::uint16_t>(in[0] | (in[1] << 8));
    return static_cast<std::int16_t>(u);
}

float get_f32(const unsigned char* in) { return std::bit_cast<float>(static_cast<std::uint32_t>(get_i32(in))); }

PathResult decode_path(const unsigned char* in) { return {get_i32(in), get_f32(in + 4), get_f32(in + 8), get_f32(in + 12)}; }

NodeAirflowResult decode_node(const unsigned char* in)
{
    return {get_i32(in), get_f32(in + 4), get_f32(in + 8), get_f32(in + 12)};
}

std::string base_name_of(const std::string& project_path)
{
    return std::filesystem::path(project_path).stem().string();
}

std::uint64_t size_of_file(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

// Raises a scale to |value|; NaN and infinities from a damaged file never
// make a scale.
void raise_to(float& scale, float value)
{
    if (std::isfinite(value)) scale = std::max(scale, std::fabs(value));
}

}  // namespace

std::string results_path_for(const std::string& project_path)
{
    std::filesystem::path path(project_path);
    path.replace_extension(".sim");
    return path.string();
}

std::optional<ResultsHeader> read_results_header(const std::string& sim_path)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(sim_path.c_str(), "rb"), &std::fclose);
    if (!file) return std::nullopt;
    std::array<unsigned char, kResultsHeaderSize> bytes{};
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return std::nullopt;
    return decode_results_header(bytes.data());
}

bool check_results(const std::string& sim_path, const Project& project)
{
    const std::optional<ResultsHeader> header = read_results_header(sim_path);
    if (!header) return false;
    if (header->version != kResultsVersion) {
        show_message(WARNING, {"Results are no longer available. \n(sim file from previous version)"});
        return false;
    }
    if (header->nzones != project.zones.count() || header->npaths != project.paths.count() ||
        header->nctm != project.nctm() || header->njct != project.junctions.count() ||
        header->nduct != project.ducts.count()) {
        show_message(WARNING, {"Results are no longer available. \n(number of building components do not match)"});
        return false;
    }
    return true;
}

ResultsReader::ResultsReader() = default;
ResultsReader::~ResultsReader() = default;

void ResultsReader::close()
{
    file_.reset();
    position_ = -1;
    file_size_ = 0;
    indices_ = {};
    day_ = 0;
    last_step_ = -1;
    step_ = -1;
    times_ = {};
    paths_ = {};
    nodes_ = {};
    block_ = {};
    max_dP_ = 1.0f;
    max_flow_ = 0.001f;
}

bool ResultsReader::read_at(std::int64_t position, void* buffer, std::size_t bytes)
{
    if (!file_ || position < 0) return false;
    if (position != position_) {
        // Forward moves are relative; only a backward (or unknown) move
        // seeks from the start.
        const bool forward = position_ >= 0 && position > position_;
        const int rc = forward ? fseeko(file_.get(), static_cast<off_t>(position - position_), SEEK_CUR)
                               : fseeko(file_.get(), static_cast<off_t>(position), SEEK_SET);
        ++seeks_;
        if (rc != 0) {
            position_ = -1;
            return false;
        }
        position_ = position;
    }
    if (bytes == 0) return true;
    const std::size_t got = std::fread(buffer, 1, bytes, file_.get());
    if (got != bytes) {
        position_ = -1;
        return false;
    }
    position_ += static_cast<std::int64_t>(bytes);
    return true;
}

bool ResultsReader::open(const std::string& sim_path, const Project& project, const std::string& project_path)
{
    close();
    base_name_ = base_name_of(project_path.empty() ? sim_path : project_path);
    if (!project_path.empty()) {
        std::error_code e1, e2;
        const auto project_time = std::filesystem::last_write_time(project_path, e1);
        const auto sim_time = std::filesystem::last_write_time(sim_path, e2);
        if (!e1 && !e2 && project_time > sim_time)
            show_message(WARNING, {" Project file is newer than the .SIM simulation details file"});
    }
    file_.reset(std::fopen(sim_path.c_str(), "rb"));
    if (!file_) {
        report_error(ERROR, {"Cannot open the results file ", sim_path});
        return false;
    }
    file_size_ = size_of_file(sim_path);
    position_ = 0;
    std::array<unsigned char, kResultsHeaderSize> bytes{};
    if (!read_at(0, bytes.data(), bytes.size())) {
        report_error(ERROR, {"The results file is shorter than its header: ", sim_path});
        close();
        return false;
    }
    const ResultsHeader header = decode_results_header(bytes.data());
    if (header.version != kResultsVersion) {
        show_message(WARNING, {"Results are no longer available. \n(sim file from previous version)"});
        close();
        return false;
    }
    const std::string fault = results_header_fault(header, file_size_);
    if (!fault.empty()) {
        report_error(ERROR, {fault});
        close();
        return false;
    }
    layout_ = ResultsLayout(header);
    if (!read_maps(project) || !load_day(header.dtres0) || !scan_maxima()) {
        close();
        return false;
    }
    return true;
}

bool ResultsReader::read_maps(const Project& project)
{
    const ResultsHeader& h = layout_.header();
    const auto read_array = [this](std::int32_t count, std::vector<std::int32_t>& out) {
        out.assign(static_cast<std::size_t>(count), 0);
        block_.resize(static_cast<std::size_t>(count) * 4);
        if (count > 0 && !read_at(position_, block_.data(), block_.size())) return false;
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = get_i32(block_.data() + 4 * i);
        return true;
    };
    ResultsMaps maps;
    if (!read_array(h.naf, maps.node_types) || !read_array(h.naf, maps.node_numbers) ||
        !read_array(h.ncn, maps.ctm_node_types) || !read_array(h.ncn, maps.ctm_node_numbers) ||
        !read_array(h.npath, maps.path_types) || !read_array(h.npath, maps.path_numbers)) {
        report_error(ERROR, {"The results file is shorter than its maps."});
        return false;
    }
    const auto table = [](std::int32_t count) { return std::vector<std::int32_t>(static_cast<std::size_t>(count) + 1, 0); };
    indices_.zone_node = table(project.zones.count());
    indices_.zone_ctm_node = table(project.zones.count());
    indices_.junction_node = table(project.junctions.count());
    indices_.junction_ctm_node = table(project.junctions.count());
    indices_.path_index = table(project.paths.count());
    indices_.duct_index = table(project.ducts.count());
    indices_.terminal_index = table(project.junctions.count());
    indices_.leak_index = table(project.junctions.count());
    indices_.ambient_node = 0;

    // A number the project's list does not hold is refused: the file was
    // written for another building.
    const auto place = [](std::vector<std::int32_t>& into, std::int32_t number, std::int32_t index,
                          const char* what) {
        if (number < 1 || static_cast<std::size_t>(number) >= into.size()) {
            report_error(ERROR, {"The results file maps ", what, " ", std::to_string(number).c_str(),
                                 ", which the project does not have."});
            return false;
        }
        into[static_cast<std::size_t>(number)] = index;
        return true;
    };
    for (std::int32_t i = 1; i <= h.naf; ++i) {
        const std::int32_t type = maps.node_types[static_cast<std::size_t>(i - 1)];
        const std::int32_t number = maps.node_numbers[static_cast<std::size_t>(i - 1)];
        if (number == 0) {
            indices_.ambient_node = i;
        } else if (type == kResultsNodeZone) {
            if (!place(indices_.zone_node, number, i, "zone")) return false;
        } else if (type == kResultsNodeJunction || type == kResultsNodeTerminal) {
            if (!place(indices_.junction_node, number, i, "junction")) return false;
        } else {
            report_error(ERROR, {"Invalid AF node type number"});
        }
    }
    // Concentration nodes: a zone's or junction's concentrations are found
    // by the index the file gives it.
    for (std::int32_t i = 1; i <= h.ncn; ++i) {
        const std::int32_t type = maps.ctm_node_types[static_cast<std::size_t>(i - 1)];
        const std::int32_t number = maps.ctm_node_numbers[static_cast<std::size_t>(i - 1)];
        if (number == 0) continue;
        if (type == kResultsNodeZone && !place(indices_.zone_ctm_node, number, i, "zone")) return false;
        if ((type == kResultsNodeJunction || type == kResultsNodeTerminal) &&
            !place(indices_.junction_ctm_node, number, i, "junction"))
            return false;
    }
    for (std::int32_t i = 1; i <= h.npath; ++i) {
        const std::int32_t type = maps.path_types[static_cast<std::size_t>(i - 1)];
        const std::int32_t number = maps.path_numbers[static_cast<std::size_t>(i - 1)];
        bool placed = true;
        switch (type) {
        case kResultsPathFlowPath: placed = place(indices_.path_index, number, i, "flow path"); break;
        case kResultsPathDuct: placed = place(indices_.duct_index, number, i, "duct segment"); break;
        case kResultsPathTerminal: placed = place(indices_.terminal_index, number, i, "terminal of junction"); break;
        case kResultsPathLeak: placed = place(indices_.leak_index, number, i, "leak of junction"); break;
        default: report_error(ERROR, {"Invalid AF path type number"}); break;
        }
        if (!placed) return false;
    }
    return true;
}

bool ResultsReader::scan_maxima()
{
    max_dP_ = 1.0f;
    max_flow_ = 0.001f;
    const ResultsHeader& h = layout_.header();
    if (!h.pf || h.npath == 0) return true;
    block_.resize(static_cast<std::size_t>(h.npath) * 16);
    for (int n = 0; n < layout_.day_count(); ++n) {
        const int d = layout_.nth_day(n);
        const std::int64_t maxima = layout_.last_step(d) + 1;
        if (!read_at(layout_.path_position(d, maxima, 1), block_.data(), block_.size())) {
            report_error(ERROR, {"The results file could not be read: the daily maxima of day ",
                                 std::to_string(d).c_str()});
            return false;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(h.npath); ++i) {
            const PathResult r = decode_path(block_.data() + 16 * i);
            raise_to(max_dP_, r.dP);
            raise_to(max_flow_, r.F0);
        }
    }
    return true;
}

bool ResultsReader::load_day(int d)
{
    if (!file_) return false;
    if (d > 365) d = 1;
    if (d < 1) d = 365;
    if (!layout_.has_day(d)) return false;
    const std::int64_t N = layout_.last_step(d);
    if (N < 0) {
        // The header checks leave no day without steps; a damaged layout
        // is still only an error, never the end of the program.
        report_error(ERROR, {"date failure"});
        return false;
    }
    const StatusNote note(" Reading simulation details file");
    ResultsTimeRecord first;
    std::array<unsigned char, 8> head{};
    if (!read_at(layout_.step_position(d, 0), head.data(), head.size())) {
        report_error(ERROR, {"The results file could not be read: day ", std::to_string(d).c_str()});
        return false;
    }
    first.day = get_i16(head.data());
    first.time = get_i32(head.data() + 4);
    const ResultsHeader& h = layout_.header();
    if (first.time != layout_.first_time(d) || first.day != d) {
        report_error(ERROR, {"Improper position in results file"});
        run_log().printf("  date %d - dayofy %d  (dtres0 %d, dtres1 %d)\n", d, int{first.day}, int{h.dtres0},
                         int{h.dtres1});
        run_log().printf("  sim_tim %ld - (tmres0 %ld, tmres1 %ld)\n", long{first.time}, long{h.tmres0},
                         long{h.tmres1});
    }
    std::vector<std::int32_t> times(static_cast<std::size_t>(N) + 1, 0);
    times[0] = first.time;
    std::array<unsigned char, 4> field{};
    for (std::int64_t k = 1; k <= N; ++k) {
        if (!read_at(layout_.step_position(d, k) + 4, field.data(), field.size())) {
            report_error(ERROR, {"The results file could not be read: day ", std::to_string(d).c_str()});
            return false;
        }
        times[static_cast<std::size_t>(k)] = get_i32(field.data());
    }
    day_ = d;
    last_step_ = N;
    times_ = std::move(times);
    step_ = -1;
    return true;
}

std::int32_t ResultsReader::shown_time(std::int64_t k) const
{
    if (k < 0 || static_cast<std::size_t>(k) >= times_.size()) return 0;
    const std::int32_t t = times_[static_cast<std::size_t>(k)];
    return k == 0 && t == kSecondsPerDay ? 0 : t;
}

namespace {

enum class BlockRead { Ok, Mismatch, Failed };

// Reads count 16-byte records of one step in one block into records and
// checks that record i holds index i + 1; reports message otherwise.
template <typename Record, typename Read, typename Decode>
BlockRead read_indexed_block(std::vector<unsigned char>& block, std::vector<Record>& records, std::size_t count,
                             Read read, Decode decode, std::string_view message)
{
    block.resize(count * 16);
    records.resize(count);
    if (!read(block.data(), block.size())) {
        report_error(ERROR, {message});
        return BlockRead::Failed;
    }
    bool mismatch = false;
    for (std::size_t i = 0; i < count; ++i) {
        records[i] = decode(block.data() + 16 * i);
        mismatch |= records[i].index != static_cast<std::int32_t>(i + 1);
    }
    if (!mismatch) return BlockRead::Ok;
    report_error(ERROR, {message});
    return BlockRead::Mismatch;
}

}  // namespace

bool ResultsReader::load_step(std::int64_t k)
{
    if (!file_ || k < 0 || k > last_step_) return false;
    const ResultsHeader& h = layout_.header();
    step_ = k;
    bool ok = true;
    if (h.pf) {
        const BlockRead r = read_indexed_block(
            block_, paths_, static_cast<std::size_t>(h.npath),
            [&](void* to, std::size_t bytes) { return read_at(layout_.path_position(day_, k, 1), to, bytes); },
            decode_path, ".SIM read path error");
        if (r == BlockRead::Failed) return false;
        ok = r == BlockRead::Ok;
    }
    if (h.zf) {
        const BlockRead r = read_indexed_block(
            block_, nodes_, static_cast<std::size_t>(h.naf - 1),
            [&](void* to, std::size_t bytes) { return read_at(layout_.node_position(day_, k, 1), to, bytes); },
            decode_node, ".SIM read zone error");
        if (r == BlockRead::Failed) return false;
        ok = ok && r == BlockRead::Ok;
    }
    return ok;
}

const PathResult* ResultsReader::path(std::int32_t index) const
{
    return index >= 1 && static_cast<std::size_t>(index) <= paths_.size() ? &paths_[static_cast<std::size_t>(index - 1)]
                                                                          : nullptr;
}

const NodeAirflowResult* ResultsReader::node(std::int32_t index) const
{
    return index >= 1 && static_cast<std::size_t>(index) <= nodes_.size() ? &nodes_[static_cast<std::size_t>(index - 1)]
                                                                          : nullptr;
}

bool ResultsReader::read_time_record(std::int64_t k, ResultsTimeRecord& out)
{
    if (!file_ || k < 0 || k > last_step_ + 1) return false;
    const std::size_t bytes = static_cast<std::size_t>(layout_.time_record_size());
    block_.resize(bytes);
    if (!read_at(layout_.step_position(day_, k), block_.data(), bytes)) return false;
    const unsigned char* in = block_.data();
    out.day = get_i16(in);
    out.day_type = get_i16(in + 2);
    out.time = get_i32(in + 4);
    out.Ta = get_f32(in + 8);
    out.Pb = get_f32(in + 12);
    out.Ws = get_f32(in + 16);
    out.Wd = get_f32(in + 20);
    out.ambient_cc.resize(static_cast<std::size_t>(layout_.header().nctm));
    for (std::size_t c = 0; c < out.ambient_cc.size(); ++c) out.ambient_cc[c] = get_f32(in + 24 + 4 * c);
    return true;
}

bool ResultsReader::read_path(std::int32_t p, std::int64_t k, PathResult& out)
{
    const ResultsHeader& h = layout_.header();
    if (!file_ || !h.pf || p < 1 || p > h.npath || k < 0 || k > last_step_ + 1) return false;
    const std::int64_t position = layout_.path_position(day_, k, p);
    std::array<unsigned char, 16> bytes{};
    if (!read_at(position, bytes.data(), bytes.size())) return false;
    out = decode_path(bytes.data());
    if (out.index != p) {
        report_error(ERROR, {".SIM read error\nDelete ", base_name_, ".SIM file to avoid this error."});
        run_log().printf("read_path_flow: nr %d, ti %d, off %lld, n %d\n\n", int{p}, static_cast<int>(k),
                         static_cast<long long>(position), int{out.index});
        return false;
    }
    return true;
}

bool ResultsReader::read_node_airflow(std::int32_t i, std::int64_t k, NodeAirflowResult& out)
{
    const ResultsHeader& h = layout_.header();
    if (!file_ || !h.zf || i < 1 || i > h.naf - 1 || k < 0 || k > last_step_ + 1) return false;
    const std::int64_t position = layout_.node_position(day_, k, i);
    std::array<unsigned char, 16> bytes{};
    if (!read_at(position, bytes.data(), bytes.size())) return false;
    out = decode_node(bytes.data());
    if (out.index != i) {
        report_error(ERROR, {".SIM read error"});
        run_log().printf("read_zone_results: nr %d, ti %d, off %lld, n %d\n", int{i}, static_cast<int>(k),
                         static_cast<long long>(position), int{out.index});
        return false;
    }
    return true;
}

bool ResultsReader::read_node_concentrations(std::int32_t i, std::int64_t k, NodeConcentrationResult& out)
{
    const ResultsHeader& h = layout_.header();
    if (!file_ || !h.zc || i < 1 || i > h.ncn - 1 || k < 0 || k > last_step_ + 1) return false;
    const std::int64_t position = layout_.conc_position(day_, k, i);
    const std::size_t bytes = static_cast<std::size_t>(layout_.conc_record_size());
    block_.resize(bytes);
    if (!read_at(position, block_.data(), bytes)) return false;
    out.index = get_i32(block_.data());
    out.cc.resize(static_cast<std::size_t>(h.nctm));
    for (std::size_t c = 0; c < out.cc.size(); ++c) out.cc[c] = get_f32(block_.data() + 4 + 4 * c);
    if (out.index != i) {
        report_error(ERROR, {".SIM read error"});
        run_log().printf("read_zone_results: nr %d, ti %d, off %lld, n %d\n", int{i}, static_cast<int>(k),
                         static_cast<long long>(position), int{out.index});
        return false;
    }
    return true;
}

bool ResultsReader::read_step_concentrations(std::int64_t k, std::vector<float>& out)
{
    const ResultsHeader& h = layout_.header();
    if (!file_ || !h.zc || h.ncn < 2 || k < 0 || k > last_step_ + 1) return false;
    const std::size_t nodes = static_cast<std::size_t>(h.ncn - 1);
    const std::size_t nctm = static_cast<std::size_t>(h.nctm);
    const std::size_t record = static_cast<std::size_t>(layout_.conc_record_size());
    const std::int64_t position = layout_.conc_position(day_, k, 1);
    block_.resize(nodes * record);
    if (!read_at(position, block_.data(), block_.size())) return false;
    out.resize(nodes * nctm);
    for (std::size_t i = 0; i < nodes; ++i) {
        const unsigned char* in = block_.data() + i * record;
        const std::int32_t index = get_i32(in);
        if (index != static_cast<std::int32_t>(i + 1)) {
            report_error(ERROR, {".SIM read error"});
            run_log().printf("read_zone_results: nr %d, ti %d, off %lld, n %d\n", static_cast<int>(i + 1),
                             static_cast<int>(k), static_cast<long long>(position + static_cast<std::int64_t>(i * record)),
                             int{index});
            return false;
        }
        for (std::size_t c = 0; c < nctm; ++c) out[i * nctm + c] = get_f32(in + 4 + 4 * c);
    }
    return true;
}

}  // namespace avelor
