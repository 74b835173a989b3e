#include "sketchpad/image_export.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include <png.h>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"

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
// PNG

namespace {

void png_write_to_file(png_structp png, png_bytep data, png_size_t size)
{
    static_cast<StagedFile*>(png_get_io_ptr(png))->write(data, size);
}

void png_flush_nothing(png_structp) {}

// libpng reports a failure by jumping back to the setjmp of encode_png.
[[noreturn]] void png_failed(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void png_warned(png_structp, png_const_charp) {}

// Owns libpng's write state.
class PngWriter {
public:
    PngWriter()
    {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~PngWriter() { png_destroy_write_struct(&png_, info_ ? &info_ : nullptr); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool ready() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// Every libpng call that may fail happens in this frame, and nothing here
// has a destructor for the jump to skip. The pixel rows go out one by one
// into line, which holds 3 bytes a pixel.
bool encode_png(png_structp png, png_infop info, ImageRows& rows, std::uint8_t* line, StagedFile& file)
{
    if (setjmp(png_jmpbuf(png))) return false;
    const int w = rows.width(), h = rows.height();
    png_set_write_fn(png, &file, png_write_to_file, png_flush_nothing);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A SketchPad picture is flat cells and thin lines: after the filter
    // that takes each pixel from the one on its left it is mostly runs of
    // zeros, which the fastest level packs nearly as well as the slowest.
    // Choosing a filter for every row costs more time than it saves bytes.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* px = rows.row(y);
        if (!px) return false;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = px[x];
            line[std::size_t(x) * 3] = std::uint8_t(p >> 16);
            line[std::size_t(x) * 3 + 1] = std::uint8_t(p >> 8);
            line[std::size_t(x) * 3 + 2] = std::uint8_t(p);
        }
        png_write_row(png, line);
        if (!file.ok()) return false;
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool write_png(const std::string& path, ImageRows& rows)
{
    const int w = rows.width(), h = rows.height();
    if (w <= 0 || h <= 0) return false;
    // The format's limit on either side.
    if (std::uint64_t(w) > 0x7FFFFFFFu / 3 || std::uint64_t(h) > 0x7FFFFFFFu) return false;
    std::vector<std::uint8_t> line(std::size_t(w) * 3);
    PngWriter writer;
    if (!writer.ready()) return false;
    StagedFile file(path);
    if (!file.ok()) return false;
    if (!encode_png(writer.png(), writer.info(), rows, line.data(), file)) file.fail();
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

}  // namespace avelor
