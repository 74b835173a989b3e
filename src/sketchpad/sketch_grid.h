// The SketchPad's cells: one grid the size of the project's drawing holding
// two levels at once, the current level and the level below, and the rules
// that turn a level's icon list into cells and back.
//
// Every layer is one contiguous row-major block, so a pass over a layer is
// a straight walk through memory and the two levels trade places by
// swapping blocks, never by copying them.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/memory.h"
#include "model/cell_codes.h"
#include "model/records.h"

namespace avelor {

class Project;

// Zone identifiers held in Zones.
inline constexpr std::int32_t ZONE_WALL = -3;
inline constexpr std::int32_t ZONE_UNDEFINED = -2;
inline constexpr std::int32_t ZONE_AMBIENT = -1;
inline constexpr std::int32_t ZONE_NONE = 0;

// Which set of arrays: the current level or the level below.
inline constexpr int kCurrentLevel = 0;
inline constexpr int kLevelBelow = 1;

// The drawing's size limits.
inline constexpr int kMinSketchRows = 58;
inline constexpr int kMinSketchCols = 66;
inline constexpr int kMaxSketchSide = 32767;
inline constexpr std::int64_t kMaxSketchCells = 53290000;
// The grid itself needs its border and the ambient label; smaller drawings
// are only refused by the configuration sheet.
inline constexpr int kLeastGridRows = 3;
inline constexpr int kLeastGridCols = 5;

// One layer of cells in a single block, row after row.
template <class T>
class CellArray {
    static_assert(std::is_trivially_copyable_v<T>, "cells hold plain values");

public:
    CellArray() = default;
    CellArray(TaggedBlock block, int cols) : block_(std::move(block)), cols_(static_cast<std::size_t>(cols))
    {
    }

    bool empty() const { return block_.empty(); }
    std::size_t size() const { return block_.size() / sizeof(T); }
    T* data() { return reinterpret_cast<T*>(block_.data()); }
    const T* data() const { return reinterpret_cast<const T*>(block_.data()); }

    T& operator[](std::size_t i)
    {
        assert(i < size());
        return data()[i];
    }
    const T& operator[](std::size_t i) const
    {
        assert(i < size());
        return data()[i];
    }
    T& operator()(int row, int col)
    {
        return (*this)[static_cast<std::size_t>(row) * cols_ + static_cast<std::size_t>(col)];
    }
    const T& operator()(int row, int col) const
    {
        return (*this)[static_cast<std::size_t>(row) * cols_ + static_cast<std::size_t>(col)];
    }
    T* row(int r) { return data() + static_cast<std::size_t>(r) * cols_; }
    const T* row(int r) const { return data() + static_cast<std::size_t>(r) * cols_; }

    void fill(T value);

private:
    TaggedBlock block_;
    std::size_t cols_ = 0;
};

template <class T>
void CellArray<T>::fill(T value)
{
    T* p = data();
    const std::size_t n = size();
    for (std::size_t i = 0; i < n; ++i) p[i] = value;
}

// What the last zone detection left in a level's arrays, so that an edit
// of a few walls may bring the regions up to date in place instead of
// filling the whole level again.
struct ZoneDetectionState {
    // Zones is what a full preparation and fill would make of the walls and
    // icons now in the arrays, and every region came from one key with no
    // unnumbered zone icon in the way.
    bool zones_exact = false;
    // Current level: every icon was told its zones from Zones as it is.
    bool links_exact = false;
    // Unnumbered zone icons the last preparation met.
    std::int64_t unidentified = 0;
    // The preparation found no region with two keys and wrote the filled
    // regions at once; the fill that follows has nothing left to do.
    bool prefilled = false;
    // Wall edits brought up to date in place (not by a full pass).
    std::uint64_t local_updates = 0;
};

// The seven layers of one level.
struct LevelCells {
    CellArray<std::uint8_t> Sketch;  // icon layer
    CellArray<std::uint8_t> Walls;   // wall layer
    CellArray<std::uint8_t> Ducts;   // duct layer
    CellArray<std::uint8_t> Links;   // control-link layer
    CellArray<std::int32_t> Zones;   // zone identifier of every cell
    CellArray<std::int32_t> Paths;   // record number of the icon or duct piece
    CellArray<std::int32_t> Ctrls;   // control node number of the link piece
    ZoneDetectionState detection;
};

// Palette indices with a fixed meaning in the overlay.
struct OverlayColours {
    std::uint8_t background = 39;  // no overlay
    std::uint8_t drawing_line = 5;
    std::uint8_t errors = 2;
    std::uint8_t selection = 13;
    std::uint8_t highlight = 34;
};

struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};

// The cells an operation touched, for repainting.
struct CellBounds {
    int min_row = 0, max_row = 0, min_col = 0, max_col = 0;
    void reset(GridCell at) { min_row = max_row = at.row, min_col = max_col = at.col; }
    void widen(GridCell at);
};

// Where the layer blocks come from: the tagged allocation of the memory
// facility, or a stand-in that lets a test make an allocation fail. An
// empty block means the memory is not there; any other comes zeroed.
using CellBlockSource = std::function<TaggedBlock(std::size_t bytes, std::string_view tag)>;

class SketchGrid {
public:
    SketchGrid();
    explicit SketchGrid(CellBlockSource source);
    SketchGrid(const SketchGrid&) = delete;
    SketchGrid& operator=(const SketchGrid&) = delete;

    bool allocated() const { return rows_ > 0; }
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    std::size_t cells() const { return cells_; }
    // The byte size of one 32-bit layer.
    std::size_t zone_bytes() const { return cells_ * sizeof(std::int32_t); }
    // Bytes held by every layer of both levels together.
    std::size_t bytes_held() const;

    std::size_t index(int row, int col) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(col);
    }
    bool in_grid(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
    // Inside the border: where drawing, icons and the cursor may be.
    bool in_drawing(int row, int col) const
    {
        return row >= 1 && row <= rows_ - 2 && col >= 1 && col <= cols_ - 2;
    }

    // Whoever may write a level's arrays takes them through these, so the
    // grid no longer counts them as cleared.
    LevelCells& level(int which) { return touch(which == kLevelBelow ? 1 : 0); }
    const LevelCells& level(int which) const { return levels_[which == kLevelBelow ? 1 : 0]; }
    LevelCells& current() { return touch(0); }
    const LevelCells& current() const { return levels_[0]; }
    LevelCells& below() { return touch(1); }
    const LevelCells& below() const { return levels_[1]; }

    // The two level-less layers, current level only.
    CellArray<std::uint8_t> Scolors;  // overlay colour per cell
    CellArray<std::uint8_t> Sselect;  // selection mask

    OverlayColours colours;
    GridCell cursor{1, 1};
    CellBounds bounds;
    // Set by whatever changes walls; cleared by zone preparation.
    bool walls_changed = false;

    // A grid may hold a window of a larger drawing: origin is the drawing
    // cell its cell (0, 0) shows, drawing_rows and drawing_cols the size of
    // the whole drawing (0: the grid's own). Icon lists are always in
    // drawing cells; loading and storing a level translate.
    GridCell origin{0, 0};
    int drawing_rows = 0;
    int drawing_cols = 0;
    // Zone preparation and fill keep their reports to themselves (a caller
    // that will run them again where they count).
    bool quiet_zone_reports = false;

    // Working storage of the passes, kept between them so that no pass
    // allocates in its inner loops.
    struct Scratch {
        std::vector<std::array<std::int32_t, 4>> segments;  // fill stack: y, xl, xr, dy
        std::vector<int> open_columns;
        std::vector<int> next_open;
        // The zone preparation's runs of wall-free cells, row after row,
        // and where each row's runs begin.
        struct Run {
            std::int32_t first = 0;
            std::int32_t last = 0;
            std::uint32_t parent = 0;  // union of the runs that touch
            std::int32_t key = 0;      // of a root: the region's seed key
        };
        std::vector<Run> runs;
        std::vector<std::uint32_t> row_runs;
    };
    Scratch scratch;

    // The level whose cells a set of arrays holds, if any. The grid knows
    // what it shows, so a level is only ever stored from its own cells.
    Level* shown_level(int which) const { return shown_[which == kLevelBelow ? 1 : 0]; }

    // Two grids trade everything they hold: arrays, size, what they show,
    // cursor and window. The overlay colours stay with each grid's owner.
    void swap(SketchGrid& other) noexcept
    {
        using std::swap;
        swap(Scolors, other.Scolors);
        swap(Sselect, other.Sselect);
        swap(cursor, other.cursor);
        swap(bounds, other.bounds);
        swap(walls_changed, other.walls_changed);
        swap(origin, other.origin);
        swap(drawing_rows, other.drawing_rows);
        swap(drawing_cols, other.drawing_cols);
        swap(quiet_zone_reports, other.quiet_zone_reports);
        swap(scratch, other.scratch);
        swap(source_, other.source_);
        swap(rows_, other.rows_);
        swap(cols_, other.cols_);
        swap(cells_, other.cells_);
        swap(levels_, other.levels_);
        swap(shown_, other.shown_);
        swap(cleared_, other.cleared_);
        swap(zeroed_, other.zeroed_);
    }

    // The current level and the level below trade their arrays.
    // The records are told their zones again on the level that becomes
    // current.
    void swap_levels()
    {
        std::swap(levels_[0], levels_[1]);
        std::swap(shown_[0], shown_[1]);
        std::swap(cleared_[0], cleared_[1]);
        std::swap(zeroed_[0], zeroed_[1]);
        levels_[0].detection.links_exact = false;
    }

private:
    friend bool allocate_sketch_arrays(SketchGrid& grid, int rows, int cols);
    friend void free_sketch_arrays(SketchGrid& grid);
    friend std::string replace_sketch_arrays(SketchGrid& grid, int rows, int cols);
    friend bool resize_sketch_arrays(SketchGrid& grid, Project& project, int rows, int cols);
    friend void clear_level_cells(SketchGrid& grid, int which);
    friend void show_level(SketchGrid& grid, Level* level, int which);

    std::string_view make_arrays(int rows, int cols, SketchGrid& into) const;
    void take_arrays(SketchGrid& from);
    LevelCells& touch(std::size_t slot)
    {
        cleared_[slot] = false;
        zeroed_[slot] = false;
        return levels_[slot];
    }

    CellBlockSource source_;
    int rows_ = 0;
    int cols_ = 0;
    std::size_t cells_ = 0;
    std::array<LevelCells, 2> levels_;
    std::array<Level*, 2> shown_{};
    // A set of arrays nobody took for writing since it was last cleared,
    // which clearing again may leave as it is.
    std::array<bool, 2> cleared_{};
    // A set of arrays as it came from the allocator, every byte 0.
    std::array<bool, 2> zeroed_{};
};

// Allocates every layer for rows x cols and clears both levels. Refused
// with "Clear SketchPad arrays" when the arrays exist, and with a report
// when the size is outside the grid's limits; memory that cannot be had is
// fatal.
bool allocate_sketch_arrays(SketchGrid& grid, int rows, int cols);
void free_sketch_arrays(SketchGrid& grid);

// Arrays for another project: every layer for rows x cols is had while the
// old arrays still stand; only then do the old ones go and both levels of
// the new ones are cleared (nothing is shown). When the size is outside the
// grid's limits or the memory is not there, the old arrays, size and
// drawing stay, and the text of the refusal is returned (nothing has been
// reported); empty on success.
std::string replace_sketch_arrays(SketchGrid& grid, int rows, int cols);

// Takes a new size: stores the current level, allocates the new arrays
// while the old ones still stand, and only then lets the old ones go and
// shows the current level and the level below again. When the memory is
// not there the old arrays, size and drawing stay and the failure is an
// ERROR report. The project's rows and cols follow the grid.
bool resize_sketch_arrays(SketchGrid& grid, Project& project, int rows, int cols);
// The text of that failure.
std::string resize_refusal_text(int rows, int cols, int old_rows, int old_cols);

// Stores the project's current level when the grid is showing it.
void store_current_level(Project& project, SketchGrid& grid);

// Empties one level's arrays: all ambient, no pieces, no numbers, the
// ambient marker in the top-left border cells, no overlay.
void clear_level_cells(SketchGrid& grid, int which);

// Writes a level's icon list into one set of arrays. On the current level a
// phantom zone icon takes its number from the zone below it (the entry is
// updated too).
void load_level_cells(SketchGrid& grid, Level& level, int which);

// Rebuilds the level's icon list from the current-level arrays, row after
// row; the scan order is the order of the project file's lines.
void store_level_icons(SketchGrid& grid, Level& level);

// Clears one set of arrays and, given a level, loads it and rebuilds its
// zones (reporting conflicts), duct runs and link runs.
void show_level(SketchGrid& grid, Level* level, int which);

// Rebuilds the plain straight pieces of the duct layer from the stored
// pieces, then spreads every duct segment's number along its run.
void expand_duct_runs(SketchGrid& grid, int which);
// The same for control links, which carry no numbers.
void expand_link_runs(SketchGrid& grid, int which);
// The number of the duct segment icon at a cell, written into every cell of
// its run both ways (straight over crossings, up to the nodes at its ends).
void spread_segment_number(SketchGrid& grid, int which, int row, int col);
// The same with 0: the run of the segment icon at a cell loses its number.
void clear_segment_number(SketchGrid& grid, int which, int row, int col);

// Moves the cursor one cell in direction 1 (north), 2 (east), 4 (south) or
// 8 (west) over the current level and tells how a two-way run of the layer
// goes on from there: the next direction, or 0 at a branch, a dead end, a
// crossing or the border (where the cursor does not move). Any other
// direction is fatal: "No direction: " and the number.
int step_along_run(SketchGrid& grid, int direction, CellLayer layer);

// Arrowheads in the four neighbours that point into the cell (current level).
int count_link_inputs(const SketchGrid& grid, int row, int col);

// Where a duct run ends on either side of one of its cells.
struct RunEnd {
    GridCell cell;
    bool node = false;  // the run ends at a junction or terminal in cell
};
struct DuctRunEnds {
    RunEnd first;       // toward north (vertical piece) or west (horizontal piece)
    RunEnd second;      // toward south or east
    bool ring = false;  // the run closes on itself
};
// Follows the run through a straight duct piece both ways, straight over
// crossings, stopping at nodes, dead ends, the border and where the run
// comes back to where it began.
DuctRunEnds duct_run_ends(const SketchGrid& grid, int which, int row, int col);

}  // namespace avelor
