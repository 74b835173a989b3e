#include "sketchpad/palette.h"

namespace avelor {

namespace {
// Black, the darks, the strong colours, the pastels, the greys, white.
constexpr std::array<Rgb, kSketchColourCount> kTable = {{
    {0, 0, 0},       {128, 0, 0},     {255, 0, 0},     {255, 51, 204},  {255, 102, 0},
    {153, 102, 0},   {255, 153, 0},   {255, 204, 0},   {255, 204, 153}, {255, 255, 153},
    {153, 51, 0},    {128, 128, 0},   {153, 204, 0},   {255, 255, 0},   {204, 255, 204},
    {0, 51, 0},      {0, 128, 0},     {51, 153, 102},  {0, 255, 0},     {51, 204, 204},
    {0, 51, 102},    {0, 128, 128},   {0, 102, 204},   {0, 204, 255},   {153, 204, 255},
    {0, 0, 128},     {0, 0, 255},     {51, 51, 153},   {102, 102, 153}, {204, 255, 255},
    {128, 0, 128},   {153, 51, 102},  {255, 0, 255},   {255, 153, 204}, {204, 153, 255},
    {51, 51, 51},    {128, 128, 128}, {150, 150, 150}, {192, 192, 192}, {255, 255, 255},
}};

constexpr std::array<SketchPalette, 4> kPalettes = {{
    SketchPalette{},
    SketchPalette{2, 0, 12, 7, 5, 13, 17, 22, 4, 39, 23, 27},
    SketchPalette{13, 39, 15, 33, 30, 36, 23, 26, 29, 2, 8, 16},
    SketchPalette{12, 0, 28, 2, 18, 10, 39, 24, 19, 39, 32, 7},
}};
}  // namespace

const std::array<Rgb, kSketchColourCount>& sketch_colour_table() { return kTable; }

Rgb sketch_colour(int index, Rgb fallback)
{
    if (index < 0 || index >= kSketchColourCount) return fallback;
    return kTable[static_cast<std::size_t>(index)];
}

SketchPalette builtin_palette(int number)
{
    if (number < 0 || number > 3) number = 0;
    return kPalettes[static_cast<std::size_t>(number)];
}

SketchPalette palette_from_indices(const PaletteIndices& c)
{
    SketchPalette p;
    p.foreground = c[0];
    p.background = c[1];
    p.controls = c[2];
    p.undefined = c[3];
    p.drawing_line = c[4];
    p.sub_level = c[5];
    p.flow_results = c[6];
    p.ducts = c[7];
    p.pressure_results = c[8];
    p.errors = c[9];
    p.selection = c[10];
    p.highlight = c[11];
    return p;
}

PaletteIndices palette_indices(const SketchPalette& p)
{
    return {p.foreground,   p.background, p.controls,         p.undefined, p.drawing_line, p.sub_level,
            p.flow_results, p.ducts,      p.pressure_results, p.errors,    p.selection,    p.highlight};
}

}  // namespace avelor
