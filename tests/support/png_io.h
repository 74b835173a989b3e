// Reading and writing the PNG reference images of the tests (8-bit RGB,
// no interlacing) through zlib, independently of the program's own writer.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sketchpad/renderer.h"

namespace avelor::testing {

namespace png_detail {
inline std::uint32_t be32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline void put32(std::string& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}
inline void chunk(std::string& out, const char* type, const std::string& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(out, static_cast<std::uint32_t>(
                   crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}
inline int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}
}  // namespace png_detail

// Decodes an 8-bit RGB or RGBA PNG; false for anything else or a damaged file.
inline bool read_png(const std::string& path, PixelImage& image)
{
    using namespace png_detail;
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto* p = reinterpret_cast<const unsigned char*>(file.data());
    if (file.size() < 8 || file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
    std::size_t at = 8;
    std::uint32_t w = 0, h = 0;
    int channels = 0;
    std::string idat;
    while (at + 12 <= file.size()) {
        const std::uint32_t len = be32(p + at);
        if (len > file.size() - at - 12) return false;
        const std::string type = file.substr(at + 4, 4);
        const unsigned char* data = p + at + 8;
        const std::uint32_t crc = be32(data + len);
        if (crc != crc32(0, p + at + 4, len + 4)) return false;
        if (type == "IHDR") {
            if (len != 13 || data[8] != 8 || data[10] != 0 || data[11] != 0 || data[12] != 0) return false;
            w = be32(data), h = be32(data + 4);
            channels = data[9] == 2 ? 3 : data[9] == 6 ? 4 : 0;
            if (channels == 0) return false;
        } else if (type == "IDAT") {
            idat.append(reinterpret_cast<const char*>(data), len);
        }
        at += 12 + len;
    }
    if (w == 0 || h == 0 || w > 20000 || h > 20000) return false;
    const std::size_t stride = std::size_t(w) * std::size_t(channels);
    std::vector<unsigned char> raw((stride + 1) * h);
    uLongf raw_size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &raw_size, reinterpret_cast<const Bytef*>(idat.data()),
                   static_cast<uLong>(idat.size())) != Z_OK ||
        raw_size != raw.size())
        return false;
    std::vector<unsigned char> prev(stride, 0), cur(stride);
    image.resize(static_cast<int>(w), static_cast<int>(h));
    for (std::uint32_t y = 0; y < h; ++y) {
        const unsigned char* line = &raw[y * (stride + 1)];
        const int filter = line[0];
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= std::size_t(channels) ? cur[i - channels] : 0;
            const int b = prev[i];
            const int c = i >= std::size_t(channels) ? prev[i - channels] : 0;
            int v = line[1 + i];
            switch (filter) {
            case 0: break;
            case 1: v += a; break;
            case 2: v += b; break;
            case 3: v += (a + b) / 2; break;
            case 4: v += paeth(a, b, c); break;
            default: return false;
            }
            cur[i] = static_cast<unsigned char>(v);
        }
        for (std::uint32_t x = 0; x < w; ++x) {
            const unsigned char* px = &cur[x * std::size_t(channels)];
            image.at(int(x), int(y)) = pixel_of(Rgb{px[0], px[1], px[2]});
        }
        prev.swap(cur);
    }
    return true;
}

// Writes an 8-bit RGB PNG with zlib's best compression.
inline bool write_png_reference(const std::string& path, const PixelImage& image)
{
    using namespace png_detail;
    std::string raw;
    raw.reserve((std::size_t(image.width) * 3 + 1) * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t v = image.at(x, y);
            raw.push_back(static_cast<char>((v >> 16) & 0xFF));
            raw.push_back(static_cast<char>((v >> 8) & 0xFF));
            raw.push_back(static_cast<char>(v & 0xFF));
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(packed_size);
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    put32(ihdr, static_cast<std::uint32_t>(image.width));
    put32(ihdr, static_cast<std::uint32_t>(image.height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", "");
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(f);
}

}  // namespace avelor::testing
