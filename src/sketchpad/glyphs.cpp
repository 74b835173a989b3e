#include "sketchpad/glyphs.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/diagnostics.h"
#include "model/cell_codes.h"

namespace avelor {

namespace {

// Letters of the labels drawn in cells, designed at 8 by 8 (row bits, most
// significant bit leftmost): the "Ambt" marker of row 0 and the "*" of an
// annotation, and the title of a super element's sketch.
struct Letter {
    char c;
    std::array<std::uint8_t, 8> rows;
};
constexpr Letter kLetters[] = {
    {'A', {0x18, 0x24, 0x42, 0x42, 0x7E, 0x42, 0x42, 0x00}},
    {'m', {0x00, 0x00, 0x6C, 0x52, 0x52, 0x52, 0x52, 0x00}},
    {'b', {0x40, 0x40, 0x5C, 0x62, 0x42, 0x62, 0x5C, 0x00}},
    {'t', {0x10, 0x10, 0x7C, 0x10, 0x10, 0x12, 0x0C, 0x00}},
    {'*', {0x00, 0x10, 0x54, 0x38, 0x54, 0x10, 0x00, 0x00}},
    // The "Super Node SketchPad" title of a super element's sketch.
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {'S', {0x3C, 0x42, 0x40, 0x3C, 0x02, 0x42, 0x3C, 0x00}},
    {'N', {0x42, 0x62, 0x52, 0x4A, 0x46, 0x42, 0x42, 0x00}},
    {'P', {0x7C, 0x42, 0x42, 0x7C, 0x40, 0x40, 0x40, 0x00}},
    {'u', {0x00, 0x00, 0x42, 0x42, 0x42, 0x46, 0x3A, 0x00}},
    {'p', {0x00, 0x00, 0x5C, 0x62, 0x62, 0x5C, 0x40, 0x40}},
    {'e', {0x00, 0x00, 0x3C, 0x42, 0x7E, 0x40, 0x3C, 0x00}},
    {'r', {0x00, 0x00, 0x5C, 0x62, 0x40, 0x40, 0x40, 0x00}},
    {'o', {0x00, 0x00, 0x3C, 0x42, 0x42, 0x42, 0x3C, 0x00}},
    {'d', {0x02, 0x02, 0x3A, 0x46, 0x42, 0x46, 0x3A, 0x00}},
    {'k', {0x40, 0x40, 0x44, 0x48, 0x70, 0x48, 0x44, 0x00}},
    {'c', {0x00, 0x00, 0x3C, 0x42, 0x40, 0x42, 0x3C, 0x00}},
    {'h', {0x40, 0x40, 0x5C, 0x62, 0x42, 0x42, 0x42, 0x00}},
    {'a', {0x00, 0x00, 0x3C, 0x02, 0x3E, 0x42, 0x3E, 0x00}},
};

class Canvas {
public:
    explicit Canvas(int size) { glyph_.size = size; }
    int size() const { return glyph_.size; }
    void set(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < size() && y < size())
            glyph_.rows[static_cast<std::size_t>(y)] |= static_cast<std::uint16_t>(1u << x);
    }
    void clear(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < size() && y < size())
            glyph_.rows[static_cast<std::size_t>(y)] &= static_cast<std::uint16_t>(~(1u << x));
    }
    void fill(int x0, int y0, int x1, int y1)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) set(x, y);
    }
    void erase(int x0, int y0, int x1, int y1)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) clear(x, y);
    }
    void frame(int x0, int y0, int x1, int y1)
    {
        fill(x0, y0, x1, y0);
        fill(x0, y1, x1, y1);
        fill(x0, y0, x0, y1);
        fill(x1, y0, x1, y1);
    }
    void add(const Glyph& other)
    {
        for (std::size_t i = 0; i < glyph_.rows.size(); ++i) glyph_.rows[i] |= other.rows[i];
    }
    void remove(const Glyph& other)
    {
        for (std::size_t i = 0; i < glyph_.rows.size(); ++i)
            glyph_.rows[i] &= static_cast<std::uint16_t>(~other.rows[i]);
    }
    const Glyph& glyph() const { return glyph_; }

private:
    Glyph glyph_;
};

// Thickness of a wall bar: 4 pixels at 16, 2 at 8 and 4, else 1.
int bar_width(int s) { return s >= 16 ? 4 : (s >= 8 || s == 4) ? 2 : 1; }

// Bars of the given width from the cell centre to each edge named in dirs.
Glyph bars(int s, std::uint16_t dirs, int width)
{
    Canvas c(s);
    if (width <= 0) return c.glyph();
    const int a = (s - width) / 2;
    const int b = a + width - 1;
    c.fill(a, a, b, b);
    if (dirs & CC_DIR_N) c.fill(a, 0, b, b);
    if (dirs & CC_DIR_S) c.fill(a, a, b, s - 1);
    if (dirs & CC_DIR_W) c.fill(0, a, b, b);
    if (dirs & CC_DIR_E) c.fill(a, a, s - 1, b);
    return c.glyph();
}

// Two parallel lines along the same runs as a wall bar.
Glyph double_lines(int s, std::uint16_t dirs)
{
    if (s < 5) return bars(s, dirs, 1);
    Canvas c(s);
    c.add(bars(s, dirs, bar_width(s) + 2));
    c.remove(bars(s, dirs, bar_width(s)));
    return c.glyph();
}

Glyph thin_lines(int s, std::uint16_t dirs) { return bars(s, dirs, 1); }

double centre(int s) { return (s - 1) / 2.0; }

// A filled triangle pointing in direction dir (one of the CC_DIR bits),
// its tip half a radius beyond the centre.
void arrowhead(Canvas& c, std::uint16_t dir, int radius)
{
    const int s = c.size();
    const int m = (s - 1) / 2;
    for (int i = 0; i <= radius; ++i) {
        // i counts back from the tip; the triangle widens by one each step.
        const int along = radius / 2 - i;
        // On an even cell the centre lies between two pixels: widen by one.
        for (int w = -i; w <= i + ((s + 1) % 2); ++w) {
            if (dir == CC_DIR_N) c.set(m + w, m - along);
            if (dir == CC_DIR_S) c.set(m + w, m + along + ((s + 1) % 2));
            if (dir == CC_DIR_W) c.set(m - along, m + w);
            if (dir == CC_DIR_E) c.set(m + along + ((s + 1) % 2), m + w);
        }
    }
}

Glyph diamond(int s, double fill_from, double fill_to)
{
    Canvas c(s);
    const double m = centre(s);
    const double r = m + 0.01;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const double d = std::abs(x - m) + std::abs(y - m);
            if (d <= r * fill_to && d >= r * fill_from) c.set(x, y);
        }
    return c.glyph();
}

Glyph circle(int s, bool filled)
{
    Canvas c(s);
    const double m = centre(s);
    const double r = s / 2.0 - 0.3;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const double d = std::hypot(x - m, y - m);
            if (d <= r && (filled || d >= r - (s >= 8 ? 1.2 : 1.0))) c.set(x, y);
        }
    return c.glyph();
}

Glyph letter(int s, char ch)
{
    Canvas c(s);
    const Letter* found = nullptr;
    for (const Letter& l : kLetters)
        if (l.c == ch) found = &l;
    if (!found) {
        // Other printable characters: a small framed box.
        const int inset = s >= 8 ? s / 8 : 0;
        c.frame(inset, inset, s - 1 - inset, s - 1 - inset);
        return c.glyph();
    }
    // Each pixel of the cell takes the 8 by 8 design's pixel under its centre.
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const int dx = std::min(7, (2 * x + 1) * 8 / (2 * s));
            const int dy = std::min(7, (2 * y + 1) * 8 / (2 * s));
            if ((found->rows[static_cast<std::size_t>(dy)] >> (7 - dx)) & 1) c.set(x, y);
        }
    return c.glyph();
}

Glyph zone_icon(int s, std::uint8_t code)
{
    Canvas c(s);
    const int inset = s >= 8 ? s / 8 : 0;
    c.frame(inset, inset, s - 1 - inset, s - 1 - inset);
    const int q = std::max(1, s / 2);
    const int a = (s - q) / 2;
    if (code == ICN_ZONE) c.fill(a, a, a + q - 1, a + q - 1);
    if (code == ICN_PHANTOM) {
        if (q >= 3)
            c.frame(a, a, a + q - 1, a + q - 1);
        else
            c.set(a, a);
    }
    return c.glyph();
}

Glyph path_icon(int s, std::uint8_t code)
{
    const double m = centre(s);
    switch (code) {
    case 23: return diamond(s, 0.34, 1.0);  // small opening
    case 25: return diamond(s, 0.67, 1.0);  // large opening
    case 24:
    case 27: {  // two-way: the hole and a split across the middle
        Canvas c(s);
        c.add(diamond(s, code == 24 ? 0.34 : 0.67, 1.0));
        const int row = static_cast<int>(std::floor(m));
        if (s >= 5) c.erase(0, row, s - 1, row);
        return c.glyph();
    }
    case 28:
    case 29:
    case 30:
    case 31: {  // fans: the outline with the half the flow goes to filled
        Canvas c(s);
        c.add(diamond(s, s >= 8 ? 0.75 : 0.5, 1.0));
        Glyph solid = diamond(s, 0.0, 1.0);
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) {
                const bool half = (code == 28 && x > m) || (code == 29 && x < m) ||
                                  (code == 30 && y < m) || (code == 31 && y > m);
                if (half && solid.at(x, y)) c.set(x, y);
            }
        return c.glyph();
    }
    case ICN_SUPPLY:
    case ICN_RETURN: {  // the outline crossed by a bar: across to supply, along to return
        Canvas c(s);
        c.add(diamond(s, s >= 8 ? 0.75 : 0.5, 1.0));
        c.add(code == ICN_SUPPLY ? bars(s, CC_DIR_E | CC_DIR_W, bar_width(s))
                                 : bars(s, CC_DIR_N | CC_DIR_S, bar_width(s)));
        return c.glyph();
    }
    default: {  // the simple AHS: a frame holding a diamond
        Canvas c(s);
        c.frame(0, 0, s - 1, s - 1);
        if (s >= 5) {
            Glyph inner = diamond(s, 0.0, 0.6);
            c.add(inner);
        }
        return c.glyph();
    }
    }
}

Glyph duct_node(int s, std::uint8_t code)
{
    Canvas c(s);
    // A junction is a solid square; the other nodes are larger frames.
    const int q = code == 158 ? std::max(2, s / 2) : std::min(s, std::max(2, s / 2 + 2));
    const int a = (s - q) / 2;
    const int b = std::min(s - 1, a + q - 1);
    const int mid = (a + b) / 2;
    switch (code) {
    case 158: c.fill(a, a, b, b); break;  // junction
    case 159: c.frame(a, a, b, b); c.fill(a, a, b, mid); break;  // also up
    case 160: c.frame(a, a, b, b); c.fill(a, mid + 1, b, b); break;  // also down
    case 161: c.frame(a, a, b, b); c.set(mid, mid); c.set(mid + 1, mid + 1); break;  // up and down
    case 162:  // terminal: a frame with its diagonals
        c.frame(a, a, b, b);
        for (int i = 0; a + i <= b; ++i) {
            c.set(a + i, a + i);
            c.set(b - i, a + i);
        }
        break;
    case 163: c.frame(a, a, b, b); arrowhead(c, CC_DIR_N, std::max(1, q / 4)); break;
    default: c.frame(a, a, b, b); arrowhead(c, CC_DIR_S, std::max(1, q / 4)); break;
    }
    return c.glyph();
}

std::uint16_t opposite(std::uint16_t d)
{
    switch (d) {
    case CC_DIR_N: return CC_DIR_S;
    case CC_DIR_S: return CC_DIR_N;
    case CC_DIR_E: return CC_DIR_W;
    default: return CC_DIR_E;
    }
}

Glyph link_piece(int s, std::uint8_t code)
{
    const std::uint16_t dirs = direction_bits(code);
    if (code >= 177 && code <= 184) {
        // Arrowheads and sensor ends: the link comes in from the side its
        // direction bit names and points (or looks) the other way.
        Canvas c(s);
        c.add(thin_lines(s, dirs));
        const std::uint16_t toward = opposite(dirs);
        if (code <= 180) {
            if (s >= 4) arrowhead(c, toward, std::max(1, s / 4));
        } else {
            const int q = std::max(1, s / 4);
            const int a = (s - q) / 2;
            const int far = s - 1;
            if (toward == CC_DIR_N) c.fill(a, 0, a + q - 1, q - 1);
            if (toward == CC_DIR_S) c.fill(a, far - q + 1, a + q - 1, far);
            if (toward == CC_DIR_W) c.fill(0, a, q - 1, a + q - 1);
            if (toward == CC_DIR_E) c.fill(far - q + 1, a, far, a + q - 1);
        }
        return c.glyph();
    }
    if (code >= 185) {
        Canvas c(s);
        switch (code) {
        case 185: c.add(circle(s, false)); break;  // control node
        case 186: {  // phantom: a dotted ring
            Glyph ring = circle(s, false);
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x)
                    if (ring.at(x, y) && (x + y) % 2 == 0) c.set(x, y);
            break;
        }
        case 187: {  // super element instance: a double frame
            c.frame(0, 0, s - 1, s - 1);
            if (s >= 5) c.frame(2, 2, s - 3, s - 3);
            break;
        }
        default: {
            c.add(circle(s, false));
            const int m = (s - 1) / 2;
            c.fill(m, m, s - 1 - m, s - 1 - m);
            break;
        }
        }
        return c.glyph();
    }
    if (code == ICN_LINK_CROSS) {
        Canvas c(s);
        c.add(thin_lines(s, CC_DIR_E | CC_DIR_W));
        c.add(thin_lines(s, CC_DIR_N | CC_DIR_S));
        return c.glyph();
    }
    return thin_lines(s, dirs);
}

Glyph make_glyph(std::uint8_t code, int s)
{
    const std::uint16_t flags = code_flags(code);
    const std::uint16_t dirs = flags & CC_DIR_MASK;
    if (code >= 32 && code <= 126 && code != ICN_NOTE) return letter(s, static_cast<char>(code));
    if (code == ICN_NOTE) return letter(s, '*');
    if (code == ICN_ZONE || code == ICN_PHANTOM || code == ICN_AMBIENT) return zone_icon(s, code);
    if (code == ICN_ORIGIN) {
        Canvas c(s);
        const int r = std::max(1, s / 4);
        for (std::uint16_t d : {CC_DIR_N, CC_DIR_E, CC_DIR_S, CC_DIR_W}) {
            // Each arrowhead sits at an edge and points into the cell.
            Canvas one(s);
            arrowhead(one, opposite(d), r);
            c.add(one.glyph());
        }
        return c.glyph();
    }
    if (code >= 1 && code <= 4) return bars(s, dirs, bar_width(s));
    if (code >= 11 && code <= 22) return bars(s, dirs, bar_width(s));
    if (code >= 206 && code <= 209) return bars(s, dirs, bar_width(s));
    if (flags & CC_PATH_ICON) return path_icon(s, code);
    if (code == ICN_EXPOSURE || code == 132) {
        Canvas c(s);
        const int m = (s - 1) / 2;
        const int head = std::max(1, s / 5);
        c.fill(m - head / 2, 0, m - head / 2 + head - 1, head - 1);
        for (int y = head + (s >= 8 ? 1 : 0); y < s; ++y) {
            const int w = (y - head) / 2;
            c.fill(m - w, y, s - 1 - m + w, y);
        }
        return c.glyph();
    }
    if (code == ICN_SOURCE) return circle(s, true);
    if (code >= 143 && code <= 151) {
        if (code == ICN_DUCT_CROSS) {
            Canvas c(s);
            c.add(double_lines(s, CC_DIR_E | CC_DIR_W));
            c.add(double_lines(s, CC_DIR_N | CC_DIR_S));
            return c.glyph();
        }
        return double_lines(s, dirs);
    }
    if (code >= 154 && code <= 157) {
        Canvas c(s);
        c.add(double_lines(s, dirs));
        const std::uint16_t flow = code == 154 ? CC_DIR_N
                                   : code == 155 ? CC_DIR_E
                                   : code == 156 ? CC_DIR_S
                                                 : CC_DIR_W;
        arrowhead(c, flow, std::max(1, s / 4));
        return c.glyph();
    }
    if (code >= 158 && code <= 164) return duct_node(s, code);
    if (flags & CC_CONTROL_PIECE) return link_piece(s, code);
    if (code >= 168 && code <= 176) return link_piece(s, code);
    return Glyph{s, {}};
}

// Shapes too fine for a tiny cell fall back to the 8-pixel design, each
// small pixel set where its block of the design holds any pixel.
Glyph shrink(const Glyph& design, int s)
{
    Canvas c(s);
    for (int y = 0; y < design.size; ++y)
        for (int x = 0; x < design.size; ++x)
            if (design.at(x, y)) c.set(x * s / design.size, y * s / design.size);
    return c.glyph();
}

Glyph glyph_for(std::uint8_t code, int s)
{
    Glyph g = make_glyph(code, s);
    if (g.empty() && s < 8) g = shrink(make_glyph(code, 8), s);
    return g;
}

struct GlyphTables {
    // One table of 256 glyphs per cell size, in the order of kCellSizes.
    std::vector<std::array<Glyph, 256>> tables;

    GlyphTables()
    {
        tables.resize(kCellSizes.size());
        for (std::size_t i = 0; i < kCellSizes.size(); ++i) {
            const int s = kCellSizes[i];
            for (int code = 0; code < 256; ++code) {
                Glyph g = glyph_for(static_cast<std::uint8_t>(code), std::max(2, s));
                if (s == 1) g = Glyph{1, {static_cast<std::uint16_t>(g.empty() ? 0 : 1)}};
                g.size = s;
                tables[i][static_cast<std::size_t>(code)] = g;
            }
        }
    }
};

}  // namespace

bool is_cell_size(int size)
{
    return std::find(kCellSizes.begin(), kCellSizes.end(), size) != kCellSizes.end();
}

bool Glyph::empty() const
{
    return std::all_of(rows.begin(), rows.end(), [](std::uint16_t r) { return r == 0; });
}

int Glyph::pixel_count() const
{
    int n = 0;
    for (std::uint16_t r : rows) n += std::popcount(r);
    return n;
}

const Glyph& cell_glyph(std::uint8_t code, int size)
{
    static const GlyphTables tables;
    const auto at = std::find(kCellSizes.begin(), kCellSizes.end(), size);
    if (at == kCellSizes.end()) report_fatal({"Invalid font number"});
    return tables.tables[static_cast<std::size_t>(at - kCellSizes.begin())][code];
}

}  // namespace avelor
