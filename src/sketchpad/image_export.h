// Pictures of the SketchPad as image files: the 16-bit Windows bitmap of
// "Save SketchPad to .BMP File..." and, for everyone who wants to open the
// picture anywhere, an 8-bit RGB PNG. Both writers stream: they ask their
// source for one pixel row at a time and never hold a second copy of the
// picture, and both write beside the target and rename, so a file that
// cannot be written completely never appears (and an older file of that
// name stays as it was).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sketchpad/renderer.h"

namespace avelor {


// Where a writer takes its pixels from: rows of 0xFFRRGGBB words, row 0 at
// the top. Rows may be asked for in any order (the bitmap goes bottom-up).
class ImageRows {
public:
    virtual ~ImageRows() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Row y (0 <= y < height()), width() pixels, valid until the next call;
    // null when the row cannot be produced (the write then fails).
    virtual const std::uint32_t* row(int y) = 0;
};

// The rows of a picture held in memory.
class PixelImageRows final : public ImageRows {
public:
    explicit PixelImageRows(const PixelImage& image) : image_(image) {}
    int width() const override { return image_.width; }
    int height() const override { return image_.height; }
    const std::uint32_t* row(int y) override;

private:
    const PixelImage& image_;
};

// The rows of the whole current level, drawn a strip of cell rows at a
// time with render_cells, so that a level of any size is written in little
// memory (and faster than in one piece: a strip stays in the cache). The
// picture is the one render_level draws, results lines included. The grid,
// project and settings must outlive the object.
class LevelStripRows final : public ImageRows {
public:
    // strip_cell_rows: cell rows drawn at once (0 picks a strip of about
    // 16 MB). The strip is taken here; see ready().
    LevelStripRows(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                   int strip_cell_rows = 0);
    // False when there is nothing to draw or the strip could not be held.
    bool ready() const { return width_ > 0; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint32_t* row(int y) override;

private:
    const SketchGrid& grid_;
    const Project* project_;
    const RenderSettings& settings_;
    int width_ = 0;
    int height_ = 0;
    int strip_cell_rows_ = 1;
    int strip_first_row_ = -1;  // first cell row of the strip drawn, -1 none
    PixelImage strip_;
};

// The layout of a 16-bit bitmap file, every size in 64 bits.
struct BmpLayout {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint64_t row_bytes = 0;    // 2 bytes a pixel, padded to a multiple of 4
    std::uint64_t pixel_offset = 0; // file header, information header, colour table
    std::uint64_t image_bytes = 0;  // row_bytes * height
    std::uint64_t file_bytes = 0;   // pixel_offset + image_bytes
};

inline constexpr std::uint64_t kBmpFileHeaderBytes = 14;
inline constexpr std::uint64_t kBmpInfoHeaderBytes = 40;
// The largest bitmap file written: its sizes are 32-bit signed fields.
inline constexpr std::uint64_t kMaxBmpFileBytes = 0x7FFFFFFFu;

BmpLayout bmp_layout(std::uint64_t width, std::uint64_t height);
// Whether a bitmap of that layout can be written: both sides positive and
// the whole file within kMaxBmpFileBytes.
bool bmp_layout_fits(const BmpLayout& layout);

// A 0xFFRRGGBB pixel as the 16-bit x1r5g5b5 value of the bitmap.
constexpr std::uint16_t rgb555(std::uint32_t pixel)
{
    return static_cast<std::uint16_t>(((pixel >> 9) & 0x7C00u) | ((pixel >> 6) & 0x03E0u) |
                                      ((pixel >> 3) & 0x001Fu));
}

// The 54 header bytes and the colour table that open a bitmap file.
std::vector<std::uint8_t> bmp_headers(const BmpLayout& layout);

// Writes a 16-bit bitmap file. False, with no file left at the path (an
// older file of that name is kept), when the picture is too large or empty,
// a row cannot be produced or the file cannot be written completely.
// Nothing is reported; the callers word the message.
bool write_bmp(const std::string& path, ImageRows& rows);

// Writes an 8-bit RGB PNG file, compressed, on the same terms as write_bmp.
bool write_png(const std::string& path, ImageRows& rows);

enum class ImageFormat { Bmp, Png };
// PNG for a name ending in ".png" (any case), else the bitmap.
ImageFormat image_format_for(std::string_view path);
bool write_image(const std::string& path, ImageRows& rows);

// Draws the whole current level with the settings, strip by strip, into
// the file at the path, PNG or bitmap by the name. False when it cannot be
// drawn or written (nothing reported).
bool write_level_image(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                       const std::string& path);

// The pixel size of the whole current level at the settings' cell size.
std::uint64_t level_image_width(const SketchGrid& grid, int cell_size);
std::uint64_t level_image_height(const SketchGrid& grid, int cell_size);

// The size question's text for a file of that many bytes.
std::string bitmap_size_question(std::uint64_t file_bytes);

}  // namespace avelor
