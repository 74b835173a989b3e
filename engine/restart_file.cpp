#include "restart_file.h"

#include <bit>
#include <cerrno>
#include <cstring>

#include "simulation/results_writer.h"

namespace avelor::engine {

namespace {

std::int32_t get_i32(const unsigned char* in)
{
    const std::uint32_t u = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                            (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<std::int32_t>(u);
}

void append_f64(std::vector<unsigned char>& out, double value)
{
    const auto u = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<unsigned char>((u >> shift) & 0xff));
}

}  // namespace

void encode_restart_header(const RestartHeader& h, unsigned char* out)
{
    std::vector<unsigned char> bytes;
    for (std::int32_t v : {h.nzones, h.npaths, h.nctm, h.njct, h.nduct, h.nsources, h.ncontrols, h.first_day,
                           h.last_day, h.spare})
        append_i32(bytes, v);
    std::memcpy(out, bytes.data(), bytes.size());
}

RestartHeader decode_restart_header(const unsigned char* in)
{
    RestartHeader h;
    std::int32_t* fields[] = {&h.nzones, &h.npaths,    &h.nctm,      &h.njct,     &h.nduct,
                              &h.nsources, &h.ncontrols, &h.first_day, &h.last_day, &h.spare};
    int i = 0;
    for (std::int32_t* f : fields)
        *f = get_i32(in + 4 * i++);
    return h;
}

RestartWriter::~RestartWriter() { file_.reset(); }

bool RestartWriter::fail(const std::string& text)
{
    if (error_.empty())
        error_ = text + " " + path_ + ": " + std::strerror(errno);
    file_.reset();
    return false;
}

bool RestartWriter::open(const std::string& path, const RestartHeader& header)
{
    path_ = path;
    error_.clear();
    header_ = header;
    header_.first_day = header_.last_day = 0;
    header_.spare = 0;
    blocks_ = 0;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_)
        return fail("Cannot create the restart file");
    unsigned char bytes[kRestartHeaderSize];
    encode_restart_header(header_, bytes);
    if (std::fwrite(bytes, 1, sizeof bytes, file_.get()) != sizeof bytes)
        return fail("Cannot write the restart file");
    return true;
}

bool RestartWriter::write_day(int day, int time, const std::vector<double>& p, const std::vector<double>& T,
                              const std::vector<double>& C)
{
    if (!file_)
        return false;
    std::vector<unsigned char> block;
    append_i32(block, day);
    append_i32(block, time);
    append_i32(block, static_cast<std::int32_t>(p.size()));
    append_i32(block, header_.nctm);
    for (double v : p)
        append_f64(block, v);
    for (double v : T)
        append_f64(block, v);
    for (double v : C)
        append_f64(block, v);
    if (std::fseek(file_.get(), 0, SEEK_END) != 0 ||
        std::fwrite(block.data(), 1, block.size(), file_.get()) != block.size())
        return fail("Cannot write the restart file");
    if (blocks_ == 0)
        header_.first_day = day;
    header_.last_day = day;
    ++blocks_;
    unsigned char bytes[kRestartHeaderSize];
    encode_restart_header(header_, bytes);
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0 || std::fwrite(bytes, 1, sizeof bytes, file_.get()) != sizeof bytes ||
        std::fflush(file_.get()) != 0)
        return fail("Cannot write the restart file");
    return true;
}

bool RestartWriter::close()
{
    if (!file_)
        return error_.empty();
    std::FILE* f = file_.release();
    if (std::fclose(f) != 0)
        return fail("Cannot close the restart file");
    return error_.empty();
}

}  // namespace avelor::engine
