// The SketchPad's colours: one table of RGB colours, and the palette that
// says which entry of the table each role of the drawing uses. Zone, duct
// and junction colour indices point into the same table.
#pragma once

#include <array>
#include <cstdint>

#include "app/program_config.h"

namespace avelor {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The number of entries of the colour table; indices at or above it (and
// negative ones) name no colour.
inline constexpr int kSketchColourCount = 40;
const std::array<Rgb, kSketchColourCount>& sketch_colour_table();
// The colour of an index, or the given fallback when the index is outside
// the table.
Rgb sketch_colour(int index, Rgb fallback);

// Table indices of the colour roles.
struct SketchPalette {
    std::uint8_t foreground = 0;
    std::uint8_t background = 39;
    std::uint8_t controls = 15;
    std::uint8_t undefined = 1;
    std::uint8_t drawing_line = 5;
    std::uint8_t sub_level = 37;
    std::uint8_t flow_results = 3;
    std::uint8_t ducts = 26;
    std::uint8_t pressure_results = 17;
    std::uint8_t errors = 2;
    std::uint8_t selection = 13;  // selection loop, "highlight background"
    std::uint8_t highlight = 34;  // "highlight foreground"
    bool operator==(const SketchPalette&) const = default;
};

// The built-in palette (0) and the three user palettes (1..3) as shipped.
SketchPalette builtin_palette(int number);

// A palette as the program configuration stores it: the twelve role
// indices in the order of SketchPalette's members, and back.
SketchPalette palette_from_indices(const PaletteIndices& indices);
PaletteIndices palette_indices(const SketchPalette& palette);

}  // namespace avelor
