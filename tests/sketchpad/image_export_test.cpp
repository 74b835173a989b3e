#include "editing/export_bitmap.h"
#include "sketchpad/image_export.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "editing/editor_session.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes file_bytes(const std::string& path)
{
    const std::string text = testing::read_file(path);
    return Bytes(text.begin(), text.end());
}

std::uint32_t le16(const Bytes& b, std::size_t at) { return b.at(at) | (std::uint32_t(b.at(at + 1)) << 8); }
std::uint32_t le32(const Bytes& b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }
std::uint32_t be32(const Bytes& b, std::size_t at)
{
    return (std::uint32_t(b.at(at)) << 24) | (std::uint32_t(b.at(at + 1)) << 16) |
           (std::uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}

std::string temp_path(const std::string& name) { return ::testing::TempDir() + "image_export_" + name; }

PixelImage image_of(int w, int h, std::uint32_t (*colour)(int x, int y))
{
    PixelImage image;
    EXPECT_TRUE(image.resize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.at(x, y) = colour(x, y);
    return image;
}

// ---------------------------------------------------------------------------
// Reading the PNG files back: the chunk list checked here (CRCs, the header
// of an 8-bit RGB picture without interlace), the pixels decoded by libpng.

struct DecodedPng {
    std::string error;  // empty when the file read cleanly
    int width = 0, height = 0;
    int idat_chunks = 0;
    std::vector<std::uint32_t> pixels;
};

DecodedPng failed(std::string error)
{
    DecodedPng png;
    png.error = std::move(error);
    return png;
}

DecodedPng decode_png(const Bytes& file)
{
    DecodedPng png;
    const Bytes signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin()))
        return failed("no PNG signature");
    bool ended = false;
    for (std::size_t p = 8; !ended;) {
        if (p + 12 > file.size()) return failed("chunk cut short");
        const std::uint32_t len = be32(file, p);
        if (p + 12 + len > file.size()) return failed("chunk cut short");
        const std::string type(file.begin() + std::ptrdiff_t(p + 4), file.begin() + std::ptrdiff_t(p + 8));
        if (crc32(0, file.data() + p + 4, len + 4) != be32(file, p + 8 + len)) return failed("bad CRC in " + type);
        const std::size_t data = p + 8;
        if (type == "IHDR") {
            if (len != 13) return failed("IHDR length");
            png.width = int(be32(file, data));
            png.height = int(be32(file, data + 4));
            if (file[data + 8] != 8 || file[data + 9] != 2 || file[data + 10] || file[data + 11] || file[data + 12])
                return failed("not 8-bit RGB without interlace");
        } else if (type == "IDAT") {
            ++png.idat_chunks;
        } else if (type == "IEND") {
            ended = true;
            if (p + 12 != file.size()) return failed("bytes after IEND");
        }
        p += 12 + len;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return failed(image.message);
    image.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return failed(image.message);
    if (int(image.width) != png.width || int(image.height) != png.height) return failed("size differs from IHDR");
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        png.pixels.push_back(0xFF000000u | (std::uint32_t(rgb[i]) << 16) | (std::uint32_t(rgb[i + 1]) << 8) |
                             rgb[i + 2]);
    return png;
}


// ---------------------------------------------------------------------------

TEST(BitmapFile, HeadersPaddingAndBottomUpRows)
{
    // 3 x 2: a row is 6 bytes of pixels padded to 8.
    const PixelImage image = image_of(3, 2, [](int x, int y) {
        return 0xFF000000u | (std::uint32_t(40 * x + 100 * y) << 16) | (std::uint32_t(8 * x) << 8) | 0xF8u;
    });
    const std::string path = temp_path("odd.bmp");
    PixelImageRows rows(image);
    ASSERT_TRUE(write_bmp(path, rows));
    const Bytes b = file_bytes(path);

    const std::uint32_t offset = 14 + 40 + 4 * kSketchColourCount;
    const std::uint32_t row_bytes = 8;
    ASSERT_EQ(b.size(), offset + 2 * row_bytes);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), offset);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 3u);
    EXPECT_EQ(le32(b, 22), 2u);  // positive: bottom-up
    EXPECT_EQ(le16(b, 26), 1u);
    EXPECT_EQ(le16(b, 28), 16u);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 2 * row_bytes);
    EXPECT_EQ(le32(b, 46), std::uint32_t(kSketchColourCount));
    EXPECT_EQ(le32(b, 50), 0u);
    for (int i = 0; i < kSketchColourCount; ++i) {
        const Rgb c = sketch_colour_table()[std::size_t(i)];
        const std::size_t at = 54 + 4 * std::size_t(i);
        EXPECT_EQ(Bytes(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + 4)),
                  (Bytes{c.b, c.g, c.r, 0}))
            << "colour " << i;
    }
    // The file's first row is the picture's bottom row; padding is zero.
    for (int stored = 0; stored < 2; ++stored) {
        const int y = 1 - stored;
        const std::size_t row = offset + std::size_t(stored) * row_bytes;
        for (int x = 0; x < 3; ++x) {
            const std::uint32_t p = image.at(x, y);
            const std::uint32_t r5 = (p >> 19) & 31, g5 = (p >> 11) & 31, b5 = (p >> 3) & 31;
            EXPECT_EQ(le16(b, row + 2 * std::size_t(x)), (r5 << 10) | (g5 << 5) | b5) << x << "," << y;
        }
        EXPECT_EQ(le16(b, row + 6), 0u);
    }
    // One pixel worked by hand: (2, 1) is R 180, G 16, B 248.
    EXPECT_EQ(le16(b, offset + 4), (22u << 10) | (2u << 5) | 31u);
    EXPECT_EQ(rgb555(0xFFFFFFFFu), 0x7FFFu);
}

TEST(BitmapFile, SizesInSixtyFourBitsAndTheLargestFile)
{
    const std::uint64_t header = 14 + 40 + 4 * kSketchColourCount;
    struct Case {
        std::uint64_t width, height;
        bool fits;
    };
    // Width 2 makes 4-byte rows: the last height that fits leaves the file
    // at 2^31 - 2 bytes, one more row passes 2^31 - 1.
    const std::uint64_t last_height = (0x7FFFFFFFu - header) / 4;
    const Case cases[] = {
        {1, 1, true},
        {2, last_height, true},
        {2, last_height + 1, false},
        {524272, 524272, false},                                  // the largest level at size 16
        {std::uint64_t{1} << 40, std::uint64_t{1} << 40, false},  // no wrap to a small size
        {0, 10, false},
    };
    for (const Case& c : cases) {
        const BmpLayout l = bmp_layout(c.width, c.height);
        EXPECT_EQ(bmp_layout_fits(l), c.fits) << c.width << " x " << c.height;
        if (c.width < (std::uint64_t{1} << 31) && c.height < (std::uint64_t{1} << 31)) {
            EXPECT_EQ(l.row_bytes, (c.width * 2 + 3) / 4 * 4);
            EXPECT_EQ(l.file_bytes, header + l.row_bytes * c.height);
        } else {
            EXPECT_GT(l.file_bytes, std::uint64_t{0x7FFFFFFF});
        }
    }
}

// Rows that give out part of the way through the picture.
class FailingRows final : public ImageRows {
public:
    FailingRows(const PixelImage& image, int good_rows) : image_(image), good_(good_rows) {}
    int width() const override { return image_.width; }
    int height() const override { return image_.height; }
    const std::uint32_t* row(int y) override
    {
        if (served_++ >= good_) return nullptr;
        return image_.pixels.data() + std::size_t(y) * std::size_t(image_.width);
    }

private:
    const PixelImage& image_;
    int good_;
    int served_ = 0;
};

TEST(ImageFiles, AFileNotWrittenCompletelyIsNotLeftBehind)
{
    const PixelImage image = image_of(64, 40, [](int x, int y) { return 0xFF000000u | std::uint32_t(x * y); });
    const std::string dir = temp_path("a_folder");
    fs::create_directories(dir);
    const std::string old_file = temp_path("kept_old");
    for (const char* ext : {".bmp", ".png"}) {
        SCOPED_TRACE(ext);
        // A folder that does not exist, and a name that is a folder.
        for (const std::string& target : {temp_path("no_such_folder/x") + ext, dir}) {
            PixelImageRows rows(image);
            EXPECT_FALSE(write_image(target, rows)) << target;
            EXPECT_FALSE(fs::exists(target + ".saving"));
        }
        EXPECT_TRUE(fs::is_directory(dir));
        EXPECT_FALSE(fs::exists(temp_path("no_such_folder")));

        // Rows that give out half way: the older file stays as it was.
        const std::string target = old_file + ext;
        { std::ofstream(target) << "older"; }
        FailingRows rows(image, 20);
        EXPECT_FALSE(write_image(target, rows));
        EXPECT_EQ(testing::read_file(target), "older");
        EXPECT_FALSE(fs::exists(target + ".saving"));
        const std::string fresh = temp_path("never_written") + ext;
        FailingRows fresh_rows(image, 20);
        EXPECT_FALSE(write_image(fresh, fresh_rows));
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_FALSE(fs::exists(fresh + ".saving"));
    }
}

TEST(ImageFiles, FormatByExtension)
{
    EXPECT_EQ(image_format_for("a/b.png"), ImageFormat::Png);
    EXPECT_EQ(image_format_for("B.PnG"), ImageFormat::Png);
    EXPECT_EQ(image_format_for("b.bmp"), ImageFormat::Bmp);
    EXPECT_EQ(image_format_for("png"), ImageFormat::Bmp);
    EXPECT_EQ(image_format_for("b.png.bmp"), ImageFormat::Bmp);
}

TEST(PngFile, RoundTrips)
{
    struct Case {
        const char* name;
        PixelImage image;
        int least_idat_chunks;
    };
    std::vector<Case> cases;
    cases.push_back({"one pixel", image_of(1, 1, [](int, int) { return 0xFF123456u; }), 1});
    // Flat cells with thin lines: long runs, rows like the row above.
    cases.push_back({"cells", image_of(700, 40, [](int x, int y) {
                         if (x % 8 == 0 || y % 8 == 0) return 0xFF993300u;
                         return x > 350 ? 0xFFFFFFFFu : 0xFFCCFFCCu;
                     }), 1});
    // Noise: hardly compressible, more than one IDAT chunk.
    cases.push_back({"noise", image_of(400, 300, [](int x, int y) {
                         std::uint32_t v = std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u;
                         v ^= v >> 13;
                         v *= 0x5bd1e995u;
                         v ^= v >> 15;
                         return 0xFF000000u | (v & 0xFFFFFFu);
                     }), 2});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = temp_path("round.png");
        PixelImageRows rows(c.image);
        ASSERT_TRUE(write_png(path, rows));
        const DecodedPng png = decode_png(file_bytes(path));
        ASSERT_EQ(png.error, "");
        EXPECT_EQ(png.width, c.image.width);
        EXPECT_EQ(png.height, c.image.height);
        EXPECT_GE(png.idat_chunks, c.least_idat_chunks);
        EXPECT_TRUE(png.pixels == c.image.pixels);
    }
}

// ---------------------------------------------------------------------------
// The level of the two-room example.

class LevelPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open_in_session(session, std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj"));
        port.statuses.clear();
    }
    testing::ScriptedPort port;
    EditorSession session;
};

TEST_F(LevelPicture, StripsMakeTheSamePictureAsOnePiece)
{
    ResultsOverlay overlay;
    // Lines long enough to cross several strips, both ways.
    overlay.marks = {{17, 25, 2, 3.0f, -0.5f}, {11, 18, 4, 9.0f, 2.0f}, {23, 18, 1, -6.0f, 1.0f}};
    overlay.flow_scale = 1.0f;
    overlay.pressure_scale = 0.5f;
    for (int size : {1, 5, 8}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(session.view.set_cell_size(size, session.grid));
        session.view.flags.reveal_below = size == 5;
        RenderSettings settings = render_settings(session.view, session.project(), session.grid);
        settings.results = &overlay;
        PixelImage whole, plain;
        ASSERT_TRUE(render_level(session.grid, &session.project(), settings, whole));
        RenderSettings without = settings;
        without.results = nullptr;
        ASSERT_TRUE(render_level(session.grid, &session.project(), without, plain));
        EXPECT_FALSE(plain.pixels == whole.pixels);  // the lines are there to be cut
        LevelStripRows strips(session.grid, &session.project(), settings, 3);
        ASSERT_EQ(strips.width(), whole.width);
        ASSERT_EQ(strips.height(), whole.height);
        int differing = 0;
        for (int y = whole.height - 1; y >= 0; --y) {  // bottom-up, as the bitmap asks
            const std::uint32_t* row = strips.row(y);
            ASSERT_NE(row, nullptr);
            if (!std::equal(row, row + whole.width, &whole.at(0, y))) ++differing;
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(LevelStrips, ALongLineOnATallNarrowLevel)
{
    // 120 rows by 6 columns: a line from the top far longer than the level
    // is wide must reach the bottom strips too.
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 120, 6));
    ResultsOverlay overlay;
    overlay.marks = {{2, 3, 4, 100.0f, 0.0f}};
    RenderSettings settings;
    settings.cell_size = 2;
    settings.results = &overlay;
    PixelImage whole;
    ASSERT_TRUE(render_level(grid, nullptr, settings, whole));
    const std::uint32_t bottom_middle = whole.at(7, whole.height - 1);
    EXPECT_NE(bottom_middle, whole.at(0, whole.height - 1));  // the line got there
    LevelStripRows strips(grid, nullptr, settings, 1);
    ASSERT_TRUE(strips.ready());
    for (int y = 0; y < whole.height; ++y)
        ASSERT_TRUE(std::equal(strips.row(y), strips.row(y) + whole.width, &whole.at(0, y))) << y;
}

TEST_F(LevelPicture, WrittenAsPngAndBitmap)
{
    RenderSettings settings = render_settings(session.view, session.project(), session.grid);
    PixelImage whole;
    ASSERT_TRUE(render_level(session.grid, &session.project(), settings, whole));
    const std::string png_path = temp_path("level.png");
    ASSERT_TRUE(write_level_image(session.grid, &session.project(), settings, png_path));
    const DecodedPng png = decode_png(file_bytes(png_path));
    ASSERT_EQ(png.error, "");
    EXPECT_EQ(png.width, session.grid.cols() * 8);
    EXPECT_EQ(png.height, session.grid.rows() * 8);
    EXPECT_TRUE(png.pixels == whole.pixels);
    // Far smaller than the bitmap of the same picture.
    const std::string bmp_path = temp_path("level.bmp");
    ASSERT_TRUE(write_level_image(session.grid, &session.project(), settings, bmp_path));
    EXPECT_LT(fs::file_size(png_path) * 10, fs::file_size(bmp_path));
}

TEST_F(LevelPicture, ExportAsksAndWrites)
{
    // 66 x 58 cells at size 8: rows of 528 pixels, 1056 bytes, 464 rows.
    const std::uint64_t bytes = 14 + 40 + 4 * kSketchColourCount + 1056 * 464;
    ASSERT_EQ(session.view.cell_size(), 8);
    const std::string question =
        "The size of the bitmap is 0.4675 Megabytes. Do you want to save the bitmap?";
    EXPECT_EQ(bitmap_size_question(bytes), question);

    struct Case {
        const char* name;
        Answer answer;
        std::string file;  // the chosen file; empty: the dialog is cancelled
        bool written;
        std::string box;  // the message shown, if any
    };
    const std::string missing_folder = temp_path("missing/x.bmp");
    const Case cases[] = {
        {"no", Answer::No, "", false, ""},
        {"cancelled file", Answer::Yes, "", false, ""},
        {"bitmap", Answer::Yes, temp_path("export.bmp"), true, ""},
        {"png", Answer::Yes, temp_path("export.PNG"), true, ""},
        {"unwritable", Answer::Yes, missing_folder, false, "File Not Saved."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.answers = {c.answer};
        port.files.clear();
        if (!c.file.empty()) port.files.push_back(c.file);
        port.file_requests.clear();
        port.questions.clear();
        port.boxes.clear();
        port.statuses.clear();
        if (!c.file.empty()) fs::remove(c.file);

        EXPECT_EQ(export_sketchpad_bitmap(session, nullptr), c.written);
        ASSERT_FALSE(port.statuses.empty());
        EXPECT_EQ(port.statuses.front(), "Creating Bitmap");
        EXPECT_EQ(port.questions, std::vector<std::string>{question});
        EXPECT_EQ(port.file_requests.size(), c.answer == Answer::Yes ? 1u : 0u);
        if (!port.file_requests.empty()) {
            EXPECT_EQ(port.file_requests[0].kind, FileChoice::Save);
            EXPECT_EQ(port.file_requests[0].filter, "Bitmap Files (*.BMP)");
        }
        if (c.box.empty()) {
            EXPECT_TRUE(port.boxes.empty());
        } else {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].caption, "WARNING");
            EXPECT_EQ(port.boxes[0].text.find(" " + c.box + "\n"), 0u) << port.boxes[0].text;
        }
        if (c.file.empty()) continue;
        EXPECT_EQ(fs::exists(c.file), c.written);
        if (!c.written) continue;
        const Bytes b = file_bytes(c.file);
        if (image_format_for(c.file) == ImageFormat::Png) {
            const DecodedPng png = decode_png(b);
            EXPECT_EQ(png.error, "");
            EXPECT_EQ(png.width, 528);
            EXPECT_EQ(png.height, 464);
        } else {
            EXPECT_EQ(b.size(), bytes);
            EXPECT_EQ(le32(b, 18), 528u);
            EXPECT_EQ(le32(b, 22), 464u);
        }
    }
    EXPECT_FALSE(fs::exists(temp_path("missing")));
}

}  // namespace
}  // namespace avelor
