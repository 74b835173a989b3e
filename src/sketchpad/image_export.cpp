#include "sketchpad/image_export.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"
#include "sketchpad/editor_session.h"

namespace avelor {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Pixel sources

const std::uint32_t* PixelImageRows::row(int y)
{
    if (y < 0 || y >= image_.height || image_.width <= 0) return nullptr;
    return image_.pixels.data() + std::size_t(y) * std::size_t(image_.width);
}

std::uint64_t level_image_width(const SketchGrid& grid, int cell_size)
{
    return cell_size > 0 && grid.cols() > 0 ? std::uint64_t(grid.cols()) * std::uint64_t(cell_size) : 0;
}

std::uint64_t level_image_height(const SketchGrid& grid, int cell_size)
{
    return cell_size > 0 && grid.rows() > 0 ? std::uint64_t(grid.rows()) * std::uint64_t(cell_size) : 0;
}

namespace {

constexpr std::uint64_t kStripBytes = std::uint64_t{16} << 20;

int side_or_zero(std::uint64_t side)
{
    return side <= std::uint64_t(std::numeric_limits<int>::max()) ? int(side) : 0;
}

}  // namespace

LevelStripRows::LevelStripRows(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                               int strip_cell_rows)
    : grid_(grid), project_(project), settings_(settings)
{
    const int s = settings.cell_size;
    if (!grid.allocated() || s <= 0) return;
    width_ = side_or_zero(level_image_width(grid, s));
    height_ = side_or_zero(level_image_height(grid, s));
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
        return;
    }
    const std::uint64_t cell_row_bytes = std::uint64_t(width_) * std::uint64_t(s) * 4;
    if (strip_cell_rows <= 0)
        strip_cell_rows = int(std::clamp<std::uint64_t>(kStripBytes / cell_row_bytes, 1, 4096));
    // The renderer cuts a results line at the width plus the height of the
    // picture it draws into. A strip at least as high as the level is
    // higher than wide keeps every line that can reach it whole.
    if (settings.results && !settings.results->marks.empty() && height_ > width_)
        strip_cell_rows = std::max(strip_cell_rows, (height_ - width_ + s - 1) / s);
    strip_cell_rows_ = std::min(strip_cell_rows, grid.rows());
    if (!strip_.resize(width_, strip_cell_rows_ * s)) width_ = height_ = 0;
}

const std::uint32_t* LevelStripRows::row(int y)
{
    if (y < 0 || y >= height_) return nullptr;
    const int s = settings_.cell_size;
    const int cell_row = y / s;
    if (strip_first_row_ < 0 || cell_row < strip_first_row_ || cell_row >= strip_first_row_ + strip_cell_rows_) {
        // Strips are aligned on multiples of their height, so a walk in
        // either direction draws every strip once.
        strip_first_row_ = cell_row - cell_row % strip_cell_rows_;
        render_cells(grid_, project_, settings_, strip_first_row_, 0, strip_);
    }
    return strip_.pixels.data() + std::size_t(y - strip_first_row_ * s) * std::size_t(width_);
}

// ---------------------------------------------------------------------------
// Files written beside the target and renamed into place

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f) std::fclose(f);
    }
};

// A file being written at PATH.saving. Every write is checked; commit()
// closes it and renames it over the target. A file never committed (or
// failing to commit) is removed.
class StagedFile {
public:
    explicit StagedFile(const std::string& path) : target_(path)
    {
        temp_ = target_;
        temp_ += ".saving";
        file_.reset(std::fopen(temp_.c_str(), "wb"));
        ok_ = file_ != nullptr;
        if (ok_) {
            buffer_.resize(std::size_t{1} << 20);
            std::setvbuf(file_.get(), buffer_.data(), _IOFBF, buffer_.size());
        }
    }
    ~StagedFile() { discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool ok() const { return ok_; }
    void write(const void* data, std::size_t size)
    {
        if (ok_ && size > 0 && std::fwrite(data, 1, size, file_.get()) != size) ok_ = false;
    }
    void write(const std::vector<std::uint8_t>& bytes) { write(bytes.data(), bytes.size()); }
    void fail() { ok_ = false; }

    bool commit()
    {
        if (!file_) return false;
        if (ok_) ok_ = std::fflush(file_.get()) == 0;
        std::FILE* raw = file_.release();
        if (std::fclose(raw) != 0) ok_ = false;
        if (ok_) {
            std::error_code ec;
            fs::rename(temp_, target_, ec);
            if (ec) ok_ = false;
        }
        if (!ok_) remove_temp();
        committed_ = ok_;
        return ok_;
    }

private:
    void discard()
    {
        if (committed_) return;
        file_.reset();
        remove_temp();
    }
    void remove_temp()
    {
        std::error_code ec;
        if (!temp_.empty() && fs::is_regular_file(temp_, ec)) fs::remove(temp_, ec);
    }

    fs::path target_;
    fs::path temp_;
    std::vector<char> buffer_;  // declared before file_: outlives it
    std::unique_ptr<std::FILE, FileCloser> file_;
    bool ok_ = false;
    bool committed_ = false;
};

void put_le16(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

void put_le32(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    put_le16(out, v & 0xFFFF);
    put_le16(out, (v >> 16) & 0xFFFF);
}

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

}  // namespace

// ---------------------------------------------------------------------------
// Bitmap

BmpLayout bmp_layout(std::uint64_t width, std::uint64_t height)
{
    BmpLayout l;
    l.width = width;
    l.height = height;
    l.pixel_offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * std::uint64_t(kSketchColourCount);
    // Sides beyond 2^31 make no valid file; keep the products from wrapping.
    const std::uint64_t cap = std::uint64_t{1} << 31;
    const std::uint64_t w = std::min(width, cap), h = std::min(height, cap);
    l.row_bytes = (w * 2 + 3) / 4 * 4;
    l.image_bytes = l.row_bytes * h;
    l.file_bytes = l.pixel_offset + l.image_bytes;
    return l;
}

bool bmp_layout_fits(const BmpLayout& layout)
{
    return layout.width > 0 && layout.height > 0 && layout.width <= kMaxBmpFileBytes &&
           layout.height <= kMaxBmpFileBytes && layout.file_bytes <= kMaxBmpFileBytes;
}

std::vector<std::uint8_t> bmp_headers(const BmpLayout& layout)
{
    std::vector<std::uint8_t> h;
    h.reserve(std::size_t(layout.pixel_offset));
    // File header.
    h.push_back('B');
    h.push_back('M');
    put_le32(h, layout.file_bytes);
    put_le16(h, 0);
    put_le16(h, 0);
    put_le32(h, layout.pixel_offset);
    // Information header: a positive height stores the rows bottom-up.
    put_le32(h, kBmpInfoHeaderBytes);
    put_le32(h, layout.width);
    put_le32(h, layout.height);
    put_le16(h, 1);   // planes
    put_le16(h, 16);  // bits per pixel
    put_le32(h, 0);   // no compression
    put_le32(h, layout.image_bytes);
    put_le32(h, 0);  // horizontal and vertical resolution: not stated
    put_le32(h, 0);
    put_le32(h, std::uint64_t(kSketchColourCount));
    put_le32(h, 0);  // every colour important
    for (const Rgb& c : sketch_colour_table()) {
        h.push_back(c.b);
        h.push_back(c.g);
        h.push_back(c.r);
        h.push_back(0);
    }
    return h;
}

bool write_bmp(const std::string& path, ImageRows& rows)
{
    const int w = rows.width(), h = rows.height();
    if (w <= 0 || h <= 0) return false;
    const BmpLayout layout = bmp_layout(std::uint64_t(w), std::uint64_t(h));
    if (!bmp_layout_fits(layout)) return false;
    StagedFile file(path);
    if (!file.ok()) return false;
    file.write(bmp_headers(layout));
    std::vector<std::uint8_t> line(std::size_t(layout.row_bytes), 0);
    for (int y = h - 1; y >= 0 && file.ok(); --y) {
        const std::uint32_t* px = rows.row(y);
        if (!px) {
            file.fail();
            break;
        }
        std::uint8_t* out = line.data();
        for (int x = 0; x < w; ++x) {
            const std::uint16_t v = rgb555(px[x]);
            *out++ = std::uint8_t(v & 0xFF);
            *out++ = std::uint8_t(v >> 8);
        }
        file.write(line.data(), line.size());
    }
    return file.commit();
}

// ---------------------------------------------------------------------------
// Checksums

namespace {

constexpr std::array<std::uint32_t, 256> make_crc_table()
{
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = make_crc_table();

}  // namespace

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    std::uint32_t c = crc ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32_update(std::uint32_t adler, const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint32_t kBase = 65521;
    // 5552 bytes is the most that can be summed before the 32-bit sums
    // must be reduced.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (size > 0) {
        const std::size_t n = std::min(size, kRun);
        for (std::size_t i = 0; i < n; ++i) {
            a += data[i];
            b += a;
        }
        a %= kBase;
        b %= kBase;
        data += n;
        size -= n;
    }
    return (b << 16) | a;
}

// ---------------------------------------------------------------------------
// PNG

namespace {

// Deflate with the fixed codes of the format, finding only runs of a
// repeated byte (distance 1). After the row filters a SketchPad picture is
// mostly such runs: flat cells give runs of zeros, a row like the one above
// gives a row of zeros.
class FixedDeflate {
public:
    explicit FixedDeflate(std::vector<std::uint8_t>& out) : out_(out) {}

    void begin()
    {
        put_bits(1, 1);  // the final block: there is only one
        put_bits(1, 2);  // fixed codes
    }
    void add(const std::uint8_t* data, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t b = data[i];
            if (have_last_ && b == last_) {
                if (++run_ == kMaxMatch) {
                    match(kMaxMatch);
                    run_ = 0;
                }
                continue;
            }
            flush_run();
            literal(b);
            last_ = b;
            have_last_ = true;
        }
    }
    void finish()
    {
        flush_run();
        symbol(256);
        if (nbits_ > 0) {
            out_.push_back(std::uint8_t(bits_));
            bits_ = 0;
            nbits_ = 0;
        }
    }
private:
    static constexpr int kMaxMatch = 258;

    struct Code {
        std::uint16_t bits = 0;  // reversed, ready for the LSB-first stream
        std::uint8_t length = 0;
    };
    struct LengthCode {
        std::uint16_t symbol = 0;
        std::uint8_t extra_bits = 0;
        std::uint16_t extra = 0;
    };
    struct Tables {
        std::array<Code, 288> symbols{};
        std::array<LengthCode, kMaxMatch + 1> lengths{};
        Tables()
        {
            auto reversed = [](unsigned code, int len) {
                unsigned r = 0;
                for (int i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
                return std::uint16_t(r);
            };
            for (unsigned v = 0; v < 288; ++v) {
                unsigned code = 0;
                int len = 0;
                if (v < 144) code = 0x30 + v, len = 8;
                else if (v < 256) code = 0x190 + (v - 144), len = 9;
                else if (v < 280) code = v - 256, len = 7;
                else code = 0xC0 + (v - 280), len = 8;
                symbols[v] = {reversed(code, len), std::uint8_t(len)};
            }
            static constexpr std::array<std::uint16_t, 29> base = {
                3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
            static constexpr std::array<std::uint8_t, 29> extra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                                                   1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                                                   4, 4, 4, 4, 5, 5, 5, 5, 0};
            for (std::size_t k = 0; k < base.size(); ++k) {
                const int top = k + 1 < base.size() ? base[k + 1] : kMaxMatch + 1;
                for (int len = base[k]; len < top && len <= kMaxMatch; ++len)
                    lengths[std::size_t(len)] = {std::uint16_t(257 + k), extra[k], std::uint16_t(len - base[k])};
            }
        }
    };
    static const Tables& tables()
    {
        static const Tables t;
        return t;
    }

    void put_bits(std::uint32_t value, int count)
    {
        bits_ |= std::uint64_t(value) << nbits_;
        nbits_ += count;
        while (nbits_ >= 8) {
            out_.push_back(std::uint8_t(bits_));
            bits_ >>= 8;
            nbits_ -= 8;
        }
    }
    void symbol(unsigned v)
    {
        const Code& c = tables().symbols[v];
        put_bits(c.bits, c.length);
    }
    void literal(std::uint8_t b) { symbol(b); }
    void match(int length)
    {
        const LengthCode& l = tables().lengths[std::size_t(length)];
        symbol(l.symbol);
        if (l.extra_bits) put_bits(l.extra, l.extra_bits);
        put_bits(0, 5);  // distance code 0: one byte back
    }
    void flush_run()
    {
        if (run_ >= 3) match(run_);
        else
            for (int i = 0; i < run_; ++i) literal(last_);
        run_ = 0;
    }

    std::vector<std::uint8_t>& out_;
    std::uint64_t bits_ = 0;
    int nbits_ = 0;
    bool have_last_ = false;
    std::uint8_t last_ = 0;
    int run_ = 0;  // bytes equal to last_ not yet written
};

void write_chunk(StagedFile& file, const char type[4], const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> head;
    put_be32(head, std::uint32_t(size));
    head.insert(head.end(), type, type + 4);
    std::uint32_t crc = crc32_update(0, head.data() + 4, 4);
    crc = crc32_update(crc, data, size);
    file.write(head);
    file.write(data, size);
    std::vector<std::uint8_t> tail;
    put_be32(tail, crc);
    file.write(tail);
}

// The PNG filter of a row with the smallest sum of magnitudes (the usual
// rule of thumb): none, the pixel to the left, or the pixel above.
void filter_row(const std::vector<std::uint8_t>& cur, const std::vector<std::uint8_t>& prev, bool first_row,
                std::vector<std::uint8_t>& sub, std::vector<std::uint8_t>& up, std::vector<std::uint8_t>& chosen)
{
    const std::size_t n = cur.size();
    std::uint64_t cost_none = 0, cost_sub = 0, cost_up = 0;
    auto mag = [](std::uint8_t v) { return std::uint64_t(v < 128 ? v : 256 - v); };
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t s = std::uint8_t(cur[i] - (i >= 3 ? cur[i - 3] : 0));
        const std::uint8_t u = std::uint8_t(cur[i] - (first_row ? 0 : prev[i]));
        sub[i] = s;
        up[i] = u;
        cost_none += mag(cur[i]);
        cost_sub += mag(s);
        cost_up += mag(u);
    }
    chosen.resize(n + 1);
    const std::vector<std::uint8_t>* pick = &cur;
    std::uint8_t type = 0;
    if (cost_sub < cost_none) pick = &sub, type = 1;
    if (!first_row && cost_up < std::min(cost_none, cost_sub)) pick = &up, type = 2;
    chosen[0] = type;
    std::copy(pick->begin(), pick->end(), chosen.begin() + 1);
}

}  // namespace

bool write_png(const std::string& path, ImageRows& rows)
{
    const int w = rows.width(), h = rows.height();
    if (w <= 0 || h <= 0) return false;
    const std::uint64_t row_bytes = std::uint64_t(w) * 3;
    if (row_bytes + 1 > std::numeric_limits<std::size_t>::max() / 4) return false;
    StagedFile file(path);
    if (!file.ok()) return false;

    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    file.write(kSignature, sizeof kSignature);
    std::vector<std::uint8_t> ihdr;
    put_be32(ihdr, std::uint32_t(w));
    put_be32(ihdr, std::uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filters, no interlace
    write_chunk(file, "IHDR", ihdr.data(), ihdr.size());

    constexpr std::size_t kChunkBytes = std::size_t{1} << 18;
    std::vector<std::uint8_t> pending;
    pending.reserve(kChunkBytes + 1024);
    pending.push_back(0x78);  // deflate, 32K window
    pending.push_back(0x01);  // no dictionary, fastest; (0x78 * 256 + 0x01) % 31 == 0
    FixedDeflate deflate(pending);
    deflate.begin();
    std::uint32_t adler = 1;

    const std::size_t n = std::size_t(row_bytes);
    std::vector<std::uint8_t> cur(n), prev(n), sub(n), up(n), chosen(n + 1);
    for (int y = 0; y < h && file.ok(); ++y) {
        const std::uint32_t* px = rows.row(y);
        if (!px) {
            file.fail();
            break;
        }
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = px[x];
            cur[std::size_t(x) * 3] = std::uint8_t(p >> 16);
            cur[std::size_t(x) * 3 + 1] = std::uint8_t(p >> 8);
            cur[std::size_t(x) * 3 + 2] = std::uint8_t(p);
        }
        filter_row(cur, prev, y == 0, sub, up, chosen);
        adler = adler32_update(adler, chosen.data(), chosen.size());
        deflate.add(chosen.data(), chosen.size());
        if (pending.size() >= kChunkBytes) {
            write_chunk(file, "IDAT", pending.data(), pending.size());
            pending.clear();
        }
        cur.swap(prev);
    }
    if (!file.ok()) return file.commit();
    deflate.finish();
    put_be32(pending, adler);
    write_chunk(file, "IDAT", pending.data(), pending.size());
    write_chunk(file, "IEND", nullptr, 0);
    return file.commit();
}

ImageFormat image_format_for(std::string_view path)
{
    if (path.size() < 4) return ImageFormat::Bmp;
    std::string ext(path.substr(path.size() - 4));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png" ? ImageFormat::Png : ImageFormat::Bmp;
}

bool write_image(const std::string& path, ImageRows& rows)
{
    return image_format_for(path) == ImageFormat::Png ? write_png(path, rows) : write_bmp(path, rows);
}

// ---------------------------------------------------------------------------
// The level as a picture

bool write_level_image(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                       const std::string& path)
{
    LevelStripRows rows(grid, project, settings);
    return rows.ready() && write_image(path, rows);
}

std::string bitmap_size_question(std::uint64_t file_bytes)
{
    const double megabytes = double(file_bytes) / 1048576.0;
    const int n = std::snprintf(nullptr, 0, "%.4g", megabytes);
    std::string number(std::size_t(std::max(n, 0)) + 1, '\0');
    std::snprintf(number.data(), number.size(), "%.4g", megabytes);
    number.resize(std::size_t(std::max(n, 0)));
    return "The size of the bitmap is " + number + " Megabytes. Do you want to save the bitmap?";
}

namespace {

// Clears the status text however the export ends.
struct StatusText {
    explicit StatusText(std::string_view text) { user_port().show_status(text); }
    ~StatusText() { user_port().show_status(""); }
    StatusText(const StatusText&) = delete;
    StatusText& operator=(const StatusText&) = delete;
};

std::string proposed_bitmap_name(const ProjectDocument& document)
{
    if (document.path.empty()) return {};
    const PathParts parts = PathSplit(document.path);
    return parts.drive + parts.directory + parts.name + ".bmp";
}

}  // namespace

bool export_sketchpad_bitmap(EditorSession& session, const ResultsOverlay* results)
{
    StatusText status("Creating Bitmap");
    RenderSettings settings = render_settings(session.view, session.project(), session.grid);
    settings.results = results;
    settings.show_cursor = false;
    settings.stroke_in_progress = false;
    settings.show_problem = false;

    const BmpLayout layout = bmp_layout(level_image_width(session.grid, settings.cell_size),
                                        level_image_height(session.grid, settings.cell_size));
    if (!bmp_layout_fits(layout)) {
        report_error(ERROR, {"Failed to create bitmap."});
        return false;
    }
    // The picture is drawn strip by strip while it is written; the memory
    // that takes is taken now.
    LevelStripRows rows(session.grid, &session.project(), settings);
    if (!rows.ready()) {
        report_error(ERROR, {"Failed to create bitmap."});
        return false;
    }

    if (ask_question(bitmap_size_question(layout.file_bytes)) != 1) return false;
    const std::string target =
        user_port().choose_file(FileChoice::Save, "Bitmap Files (*.BMP)", "bmp", proposed_bitmap_name(session.document));
    if (target.empty()) return false;

    // The bitmap's size is the measure for a PNG too: a SketchPad picture,
    // flat cells and thin lines, compresses far below it.
    const long long free_bytes = free_disk_bytes(target);
    if (free_bytes >= 0 && std::uint64_t(free_bytes) < layout.file_bytes) {
        report_error(ERROR, {"Not enough disk space to save the bitmap."});
        return false;
    }
    const bool written = write_image(target, rows);
    if (!written) {
        report_error(WARNING, {"File Not Saved."});
        return false;
    }
    return true;
}

}  // namespace avelor
