#include "sketchpad/renderer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/diagnostics.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/glyphs.h"

namespace avelor {

bool PixelImage::resize(int w, int h)
{
    width = 0;
    height = 0;
    pixels.clear();
    if (w <= 0 || h <= 0) return false;
    const std::uint64_t n = std::uint64_t(w) * std::uint64_t(h);
    if (n > pixels.max_size()) return false;
    try {
        pixels.assign(static_cast<std::size_t>(n), 0xFFFFFFFFu);
    } catch (const std::bad_alloc&) {
        pixels.clear();
        pixels.shrink_to_fit();
        return false;
    }
    width = w;
    height = h;
    return true;
}

RenderSettings render_settings(const SketchView& view, const Project& project, const SketchGrid& grid)
{
    RenderSettings s;
    s.cell_size = view.cell_size();
    s.flags = view.flags;
    s.palette = view.palette;
    s.show_origin = project.rc.showGeom != 0;
    s.origin = {project.rc.orgRow, project.rc.orgCol};
    s.cursor = grid.cursor;
    s.show_problem = view.problem.shown_on(project.current_level);
    s.problem = view.problem.cell;
    return s;
}

int result_pen_width(int cell_size)
{
    switch (cell_size) {
    case 4:
    case 5:
    case 8:
        return 2;
    case 16:
        return 4;
    default:
        return 1;
    }
}

double result_line_length(int cell_size, float value, float scale)
{
    if (!(scale > 0) || !std::isfinite(scale) || !std::isfinite(value)) return -1;
    return (cell_size / 4.0) * std::fabs(double(value)) * 40.5 / double(scale);
}

namespace {

// Everything one pass needs, worked out once.
class CellPainter {
public:
    CellPainter(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                PixelImage& image)
        : grid_(grid), project_(project), st_(settings), image_(image), s_(settings.cell_size)
    {
        background_ = pixel_of(sketch_colour(st_.palette.background, Rgb{255, 255, 255}));
        for (int i = 0; i < kSketchColourCount; ++i) table_[std::size_t(i)] = pixel_of(sketch_colour_table()[std::size_t(i)]);
    }

    void cell(int row, int col, int x, int y);
    void results(int first_row, int first_col);
    void problem_and_cursor(int first_row, int first_col);
    void frame(GridCell cell, int first_row, int first_col);

private:
    std::uint32_t role(std::uint8_t index) const
    {
        return index < kSketchColourCount ? table_[index] : background_;
    }
    void fill(int x, int y, int w, int h, std::uint32_t c);
    void glyph(std::uint8_t code, int x, int y, std::uint32_t c);
    void invert(int x, int y, int w, int h);

    std::uint32_t background_of(int row, int col, bool& overlaid) const;
    bool icon_highlighted(std::uint8_t code, std::int32_t nr) const;
    bool path_highlighted(const FlowPath* path) const;
    bool duct_highlighted(std::uint8_t code, std::int32_t nr) const;
    std::uint32_t icon_colour(std::uint8_t code, std::int32_t nr) const;
    std::uint32_t duct_colour(std::uint8_t code, std::int32_t nr) const;
    int zone_colour(const CellArray<std::int32_t>& zones, std::size_t i) const;

    const SketchGrid& grid_;
    const Project* project_;
    const RenderSettings& st_;
    PixelImage& image_;
    int s_;
    std::uint32_t background_;
    std::array<std::uint32_t, kSketchColourCount> table_{};
};

void CellPainter::fill(int x, int y, int w, int h, std::uint32_t c)
{
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(image_.width, x + w), y1 = std::min(image_.height, y + h);
    for (int yy = y0; yy < y1; ++yy) {
        std::uint32_t* p = &image_.at(0, yy);
        std::fill(p + x0, p + x1, c);
    }
}

void CellPainter::invert(int x, int y, int w, int h)
{
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(image_.width, x + w), y1 = std::min(image_.height, y + h);
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) image_.at(xx, yy) ^= 0x00FFFFFFu;
}

void CellPainter::glyph(std::uint8_t code, int x, int y, std::uint32_t c)
{
    if (code == 0) return;
    const Glyph& g = cell_glyph(code, s_);
    for (int gy = 0; gy < s_; ++gy) {
        const int py = y + gy;
        if (py < 0 || py >= image_.height) continue;
        std::uint16_t bits = g.rows[std::size_t(gy)];
        if (bits == 0) continue;
        std::uint32_t* p = &image_.at(0, py);
        for (int gx = 0; bits != 0; ++gx, bits >>= 1) {
            const int px = x + gx;
            if ((bits & 1u) && px >= 0 && px < image_.width) p[px] = c;
        }
    }
}

int CellPainter::zone_colour(const CellArray<std::int32_t>& zones, std::size_t i) const
{
    if (!project_) return -1;
    const std::int32_t id = zones[i];
    if (id < 1) return -1;
    const Zone* z = project_->zones.at(id);
    if (!z || z->clr < 0 || z->clr >= kSketchColourCount) return -1;
    return z->clr;
}

std::uint32_t CellPainter::background_of(int row, int col, bool& overlaid) const
{
    const std::size_t i = grid_.index(row, col);
    std::uint32_t c = background_;
    overlaid = false;
    if (st_.flags.colour_zones) {
        const int z = zone_colour(grid_.current().Zones, i);
        if (z >= 0) c = table_[std::size_t(z)];
    }
    if (!grid_.Scolors.empty()) {
        const std::uint8_t sc = grid_.Scolors[i];
        const bool cursor_cell = st_.show_cursor && st_.cursor == GridCell{row, col};
        if (sc == grid_.colours.errors) {
            c = role(st_.palette.errors), overlaid = true;
        } else if (sc == grid_.colours.drawing_line && !cursor_cell) {
            c = role(st_.palette.drawing_line), overlaid = true;
        }
        if (sc == grid_.colours.selection) c = role(st_.palette.selection), overlaid = true;
    }
    if (!grid_.Sselect.empty() && grid_.Sselect[i] != 0) c = role(st_.palette.selection), overlaid = true;
    return c;
}

bool CellPainter::path_highlighted(const FlowPath* p) const
{
    if (!p) return false;
    const ViewFlags& f = st_.flags;
    return (f.highlight_scheduled && p->schedule) || (f.highlight_values_file && p->cdvf.kind != 0) ||
           (f.highlight_filtered && p->filter) || (f.highlight_controlled && p->control);
}

bool CellPainter::icon_highlighted(std::uint8_t code, std::int32_t nr) const
{
    if (!project_ || !st_.flags.any_highlight()) return false;
    const ViewFlags& f = st_.flags;
    if (code == ICN_ZONE || code == ICN_PHANTOM) {
        const Zone* z = project_->zones.at(nr);
        return z && ((f.highlight_scheduled && z->schedule) || (f.highlight_values_file && z->cdvf.kind != 0) ||
                     (f.highlight_controlled && z->control));
    }
    if (code == ICN_AHS) {
        if (nr < 1 || std::size_t(nr) > project_->system_index.size()) return false;
        const SimpleAhs* ahs = project_->system_index[std::size_t(nr - 1)];
        return ahs && (path_highlighted(project_->paths.at(ahs->ps)) ||
                       path_highlighted(project_->paths.at(ahs->pr)));
    }
    if (code == ICN_SOURCE) {
        const SourceSink* css = project_->sources.at(nr);
        return css && ((f.highlight_scheduled && css->schedule) ||
                       (f.highlight_values_file && css->cdvf.kind != 0) || (f.highlight_controlled && css->control));
    }
    if (has_flag(code, CC_PATH_ICON)) return path_highlighted(project_->paths.at(nr));
    return false;
}

std::uint32_t CellPainter::icon_colour(std::uint8_t code, std::int32_t nr) const
{
    const SketchPalette& pal = st_.palette;
    const std::uint16_t flags = code_flags(code);
    // Wall pieces carry no number: a corner is as defined as a straight run.
    if (flags & CC_WALL_VERTEX || (flags != 0 && (flags & ~CC_DIR_MASK) == 0)) return role(pal.foreground);
    const bool numbered_kind = code == ICN_ZONE || code == ICN_PHANTOM || has_flag(code, CC_PATH_ICON) ||
                               code == ICN_SOURCE;
    if (numbered_kind) {
        if (nr < 1) return role(pal.undefined);
        if (icon_highlighted(code, nr)) return role(pal.highlight);
        return role(pal.foreground);
    }
    if ((flags & ~CC_DIR_MASK) != 0 && nr < 1 && code != ICN_AMBIENT) return role(pal.undefined);
    return role(pal.foreground);
}

bool CellPainter::duct_highlighted(std::uint8_t code, std::int32_t nr) const
{
    if (!project_ || !st_.flags.any_highlight()) return false;
    const ViewFlags& f = st_.flags;
    if (is_duct_node(code)) {
        const Junction* j = project_->junctions.at(nr);
        return j && ((f.highlight_scheduled && j->schedule) || (f.highlight_values_file && j->cdvf.kind != 0) ||
                     (f.highlight_filtered && j->t != 0 && j->terminal.filter) ||
                     (f.highlight_controlled && j->control));
    }
    const DuctSegment* d = project_->ducts.at(nr);
    return d && ((f.highlight_scheduled && d->schedule) || (f.highlight_values_file && d->cdvf.kind != 0) ||
                 (f.highlight_filtered && d->filter) || (f.highlight_controlled && d->control));
}

std::uint32_t CellPainter::duct_colour(std::uint8_t code, std::int32_t nr) const
{
    const SketchPalette& pal = st_.palette;
    if (nr < 1) return role(pal.undefined);
    if (duct_highlighted(code, nr)) return role(pal.highlight);
    if (st_.flags.colour_ducts && project_) {
        int clr = -1;
        if (is_duct_node(code)) {
            if (const Junction* j = project_->junctions.at(nr)) clr = j->clr;
        } else if (const DuctSegment* d = project_->ducts.at(nr)) {
            clr = d->clr;
        }
        if (clr >= 0 && clr < kSketchColourCount) return table_[std::size_t(clr)];
    }
    return role(pal.ducts);
}

void CellPainter::cell(int row, int col, int x, int y)
{
    const std::size_t i = grid_.index(row, col);
    const LevelCells& cur = grid_.current();
    const LevelCells& below = grid_.below();
    const SketchPalette& pal = st_.palette;
    const bool show_below = st_.flags.reveal_below && !below.Sketch.empty();
    bool overlaid = false;
    const std::uint32_t bg = background_of(row, col, overlaid);
    int below_colour = -1;
    if (show_below && st_.flags.colour_zones_below) below_colour = zone_colour(below.Zones, i);

    if (s_ == 1) {
        // One pixel: the topmost thing the cell holds.
        std::uint32_t c = below_colour >= 0 ? table_[std::size_t(below_colour)] : bg;
        if (show_below && (below.Sketch[i] || below.Walls[i] || below.Ducts[i])) c = role(pal.sub_level);
        const std::uint8_t icon = cur.Sketch[i] ? cur.Sketch[i] : cur.Walls[i];
        if (icon) c = icon_colour(icon, cur.Paths[i]);
        if (cur.Ducts[i]) c = duct_colour(cur.Ducts[i], cur.Paths[i]);
        if (st_.flags.control_links && cur.Links[i]) c = role(cur.Ctrls[i] != 0 ? pal.controls : pal.undefined);
        if (overlaid) c = bg;
        if (x >= 0 && y >= 0 && x < image_.width && y < image_.height) image_.at(x, y) = c;
        return;
    }

    fill(x, y, s_, s_, bg);
    if (below_colour >= 0) fill(x, y, s_ / 2, s_, table_[std::size_t(below_colour)]);

    if (show_below) {
        const std::uint32_t sub = role(pal.sub_level);
        glyph(below.Sketch[i] ? below.Sketch[i] : below.Walls[i], x, y, sub);
        glyph(below.Ducts[i], x, y, sub);
        glyph(below.Links[i], x, y, sub);
    }

    const std::uint8_t icon = cur.Sketch[i] ? cur.Sketch[i] : cur.Walls[i];
    if (icon) glyph(icon, x, y, icon_colour(icon, cur.Paths[i]));

    const std::uint8_t duct = cur.Ducts[i];
    if (duct == ICN_DUCT_CROSS) {
        const std::int32_t west = col > 0 ? cur.Paths[i - 1] : 0;
        const std::int32_t north = row > 0 ? cur.Paths[grid_.index(row - 1, col)] : 0;
        glyph(ICN_DUCT_H, x, y, duct_colour(ICN_DUCT_H, west));
        glyph(ICN_DUCT_V, x, y, duct_colour(ICN_DUCT_V, north));
    } else if (duct) {
        glyph(duct, x, y, duct_colour(duct, cur.Paths[i]));
    }

    if (st_.flags.control_links && cur.Links[i])
        glyph(cur.Links[i], x, y, role(cur.Ctrls[i] != 0 ? pal.controls : pal.undefined));

    if (st_.show_origin && st_.origin == GridCell{row, col}) glyph(ICN_ORIGIN, x, y, role(pal.undefined));
}

void CellPainter::results(int first_row, int first_col)
{
    const ResultsOverlay* r = st_.results;
    if (!r) return;
    const int pen = result_pen_width(s_);
    const int lo = -(pen - 1) / 2;
    // Every line runs along a row or a column of pixels: a rectangle of the
    // pen's width, cut to the image before it is filled.
    auto draw = [&](const ResultMark& m, float value, float scale, std::uint32_t c) {
        if (value == 0) return;
        const double len = result_line_length(s_, value, scale);
        if (len < 0) return;
        int d = m.dir;
        if (d < 1 || d > 6) return;
        if (value < 0) d = d + 3 > 6 ? d + 3 - 6 : d + 3;
        const long long cx = (static_cast<long long>(m.col) - first_col) * s_ + s_ / 2;
        const long long cy = (static_cast<long long>(m.row) - first_row) * s_ + s_ / 2;
        const long long n = static_cast<long long>(std::min(std::llround(std::min(len, 4.0e9)), 4000000000LL));
        long long x0 = cx + lo, y0 = cy + lo, x1 = cx + lo + pen, y1 = cy + lo + pen;  // half-open
        if (d == 2) x1 += n;
        else if (d == 5) x0 -= n;
        else if (d == 1 || d == 3) y0 -= n;
        else y1 += n;
        x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
        x1 = std::min<long long>(x1, image_.width), y1 = std::min<long long>(y1, image_.height);
        if (x0 >= x1 || y0 >= y1) return;
        fill(int(x0), int(y0), int(x1 - x0), int(y1 - y0), c);
    };
    for (const GridCell& cell : r->highlighted) frame(cell, first_row, first_col);
    for (const ResultMark& m : r->marks) {
        if (r->lines != ResultLines::PressureOnly) draw(m, m.flow, r->flow_scale, role(st_.palette.flow_results));
        if (r->lines != ResultLines::FlowOnly)
            draw(m, m.pressure, r->pressure_scale, role(st_.palette.pressure_results));
    }
}

void CellPainter::frame(GridCell cell, int first_row, int first_col)
{
    const int x = (cell.col - first_col) * s_, y = (cell.row - first_row) * s_;
    const std::uint32_t c = role(st_.palette.errors);
    // Thick enough to find on a large level at the smallest cells.
    const int w = std::max(2, s_ / 8);
    fill(x, y, s_, w, c);
    fill(x, y + s_ - w, s_, w, c);
    fill(x, y, w, s_, c);
    fill(x + s_ - w, y, w, s_, c);
}

void CellPainter::problem_and_cursor(int first_row, int first_col)
{
    if (st_.show_problem) frame(st_.problem, first_row, first_col);
    if (st_.show_cursor)
        invert((st_.cursor.col - first_col) * s_, (st_.cursor.row - first_row) * s_, s_, s_);
}

}  // namespace

void render_cells(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                  int first_row, int first_col, PixelImage& image)
{
    if (!grid.allocated() || image.width <= 0 || image.height <= 0) return;
    const int s = settings.cell_size;
    (void)cell_glyph(0, s);  // a size that is not a cell size ends here
    CellPainter painter(grid, project, settings, image);
    const int row_end = std::min(grid.rows(), first_row + (image.height + s - 1) / s);
    const int col_end = std::min(grid.cols(), first_col + (image.width + s - 1) / s);
    for (int r = std::max(0, first_row); r < row_end; ++r)
        for (int c = std::max(0, first_col); c < col_end; ++c)
            painter.cell(r, c, (c - first_col) * s, (r - first_row) * s);
    painter.results(first_row, first_col);
    painter.problem_and_cursor(first_row, first_col);
}

bool render_level(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                  PixelImage& image)
{
    const std::uint64_t w = std::uint64_t(settings.cell_size) * std::uint64_t(grid.cols());
    const std::uint64_t h = std::uint64_t(settings.cell_size) * std::uint64_t(grid.rows());
    if (!grid.allocated() || w * h * 4 > kMaxRenderBytes || !image.resize(int(w), int(h))) {
        report_error(ERROR, {"Failed to create bitmap."});
        return false;
    }
    render_cells(grid, project, settings, 0, 0, image);
    return true;
}

void render_navigator(const SketchGrid& grid, const Project* project, const RenderSettings& settings,
                      PixelImage& image)
{
    if (!grid.allocated() || !image.resize(grid.cols(), grid.rows())) return;
    RenderSettings one = settings;
    one.cell_size = 1;
    one.show_cursor = false;
    one.results = nullptr;
    render_cells(grid, project, one, 0, 0, image);
}

}  // namespace avelor
