// Drawing SketchPad cells into a pixel buffer. The window, the bitmap
// export, the navigator and the command-line renderer all draw through
// here, so every picture of a level is the same picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sketchpad/palette.h"
#include "sketchpad/sketch_grid.h"
#include "sketchpad/sketch_view.h"

namespace avelor {

class Project;

// A 32-bit image, one 0xFFRRGGBB word per pixel, rows top-down.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // Sizes the image; false (image left empty) when it would not fit in
    // memory or either side is not positive.
    bool resize(int w, int h);
    std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    std::uint32_t& at(int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

constexpr std::uint32_t pixel_of(Rgb c)
{
    return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | std::uint32_t{c.b};
}

// One results value at a path or duct cell: the flow and the pressure
// difference, and the direction code of the item (1..6: 2 east, 5 west,
// 1 and 3 north, 4 and 6 south).
struct ResultMark {
    int row = 0;
    int col = 0;
    int dir = 0;
    float flow = 0;
    float pressure = 0;
};

enum class ResultLines { FlowOnly = 0, Both = 1, PressureOnly = 2 };

struct ResultsOverlay {
    std::vector<ResultMark> marks;
    ResultLines lines = ResultLines::Both;
    // A value v draws a line of (cell size / 4) * |v| * 40.5 / scale pixels;
    // a scale that is not positive draws no line.
    float flow_scale = 1;
    float pressure_scale = 1;
    // Cells framed in the error colour (items the WPC file does not place).
    std::vector<GridCell> highlighted;
};

// How to draw.
struct RenderSettings {
    int cell_size = 8;
    ViewFlags flags;
    SketchPalette palette;
    // Origin marker and pseudo-geometry, from the project's settings.
    bool show_origin = false;
    GridCell origin{1, 1};
    // Cursor: none, a caret (an inverted cell), or the inverted cell of a
    // stroke in progress. Both invert every pixel of the cell.
    bool show_cursor = false;
    bool stroke_in_progress = false;
    GridCell cursor{1, 1};
    // A problem cell to mark (the building check), drawn framed in the
    // error colour.
    bool show_problem = false;
    GridCell problem{0, 0};
    const ResultsOverlay* results = nullptr;
};

// Settings from a view and a project (origin and pseudo-geometry).
RenderSettings render_settings(const SketchView& view, const Project& project, const SketchGrid& grid);

// Draws the rectangle of cells whose top-left cell is (first_row,
// first_col) into the image, cell (first_row, first_col) at pixel (0, 0);
// cells beyond the grid are left as they are and pixels beyond the image
// are not touched. The project may be null (no record data: every item
// counts as defined and nothing is highlighted).
void render_cells(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                  int first_row, int first_col, PixelImage& image);

// The largest image render_level makes in one piece (32-bit pixels).
inline constexpr std::uint64_t kMaxRenderBytes = std::uint64_t{1} << 30;

// The whole current level at the settings' cell size. An image that
// cannot be held, or is larger than kMaxRenderBytes, is reported as
// "Failed to create bitmap." (ERROR) and false is returned. Writers of
// large pictures render strips of rows with render_cells instead and never
// hold the whole picture: a strip of cell rows at a time, a cell row being
// cell_size pixel rows.
bool render_level(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                  PixelImage& image);

// The Sketch Navigator's picture: one pixel per cell.
void render_navigator(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                      PixelImage& image);

// Pen widths and line lengths of results lines at a cell size.
int result_pen_width(int cell_size);
// Length in pixels of a line for a value, or -1 when the scale is not
// positive (no line).
double result_line_length(int cell_size, float value, float scale);

}  // namespace avelor
