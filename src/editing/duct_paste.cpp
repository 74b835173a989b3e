// Paste of a copied or cut duct segment and of a copied junction or
// terminal. (Junctions and terminals cannot be cut.)
#include <cstdint>
#include <optional>

#include "app/diagnostics.h"
#include "check/building_check.h"
#include "editing/duct_drawing.h"
#include "forms/duct_segment_sheet.h"
#include "forms/junction_sheet.h"
#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

template <class T>
bool in_list(const T* record, const NamedList<T>& list)
{
    if (!record) return true;
    for (const T& r : list)
        if (&r == record) return true;
    return false;
}

template <class T>
bool in_list(const T* record, const NumberedList<T>& list)
{
    return !record || (record->nr >= 1 && list.at(record->nr) == record);
}

// A copy names only definitions and filters that still exist: the
// originals may have gone since it was taken.
bool references_valid(const Project& p, const DuctSegment& d)
{
    return d.element && in_list(d.element, p.duct_elements) && in_list(d.schedule, p.week_schedules) &&
           in_list(d.filter, p.filters);
}

// A filter of its own for a pasted copy, like the one the original uses.
Filter* duplicate_filter(Project& p, const Filter* filter)
{
    return filter ? p.filters.add(*filter) : nullptr;
}

// The copy's direction turned to the run it lands on: a horizontal copy on
// a vertical run flows north for east and south for west, and the reverse.
std::uint8_t direction_on(SegmentRun run, std::uint8_t dir)
{
    if (run == SegmentRun::Vertical) return dir == 5 ? 4 : dir == 4 ? 4 : 1;
    return dir == 1 ? 2 : dir == 4 ? 5 : dir == 5 ? 5 : 2;
}

// The cut segment's own run becomes plain and unnumbered on the current
// level: its icon turns back into a straight piece, the run loses the
// number, and the level's duct layer is loaded again.
bool clear_cut_source(SketchEditor& editor)
{
    Clipboard& clip = editor.clipboard;
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    const int r = clip.source.row;
    const int c = clip.source.col;
    if (!g.in_drawing(r, c) || !is_segment_icon(l.Ducts(r, c)) || l.Paths(r, c) != clip.number) return false;
    clear_segment_number(g, kCurrentLevel, r, c);
    const std::uint8_t code = l.Ducts(r, c);
    l.Ducts(r, c) = code == ICN_SEGMENT_N || code == ICN_SEGMENT_S ? ICN_DUCT_V : ICN_DUCT_H;
    editor.touched(GridCell{r, c});
    return true;
}

bool paste_segment(SketchEditor& editor, int row, int col)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Clipboard& clip = editor.clipboard;
    const LevelCells& l = g.current();
    const std::uint8_t piece = l.Ducts(row, col);
    // A segment goes onto a plain piece of a run that has none yet.
    if (piece < ICN_DUCT_H || piece > ICN_DUCT_HEAD_V || l.Paths(row, col) != 0 || !clip.duct) {
        beep();
        return false;
    }
    const bool cut = clip.cut;
    if (cut) {
        // A segment moves along the level it was drawn on.
        if (clip.source_level != (p.current_level ? p.current_level->nr : -1) || !p.ducts.at(clip.number)) {
            show_message(WARNING, {"A cut duct segment can only be pasted on the level it was cut from."});
            return false;
        }
    }
    DuctSegment copy = cut ? *p.ducts.at(clip.number) : *clip.duct;
    if (!references_valid(p, copy)) {
        show_message(WARNING, {"The copied duct segment names a duct element, schedule or filter that no longer "
                               "exists."});
        return false;
    }
    const SegmentRun run = segment_run_at(g, GridCell{row, col});
    copy.dir = direction_on(run, copy.dir);
    copy.junction_n = copy.junction_m = nullptr;
    copy.control = nullptr;
    const std::int32_t moved = cut ? clip.number : 0;
    if (!cut) copy.filter = duplicate_filter(p, copy.filter);

    DuctSegmentSheet sheet(p, g, GridCell{row, col}, copy, 0);
    if (!sheet.accept().accepted) {
        if (!cut && copy.filter) p.filters.release(copy.filter->nr);
        return false;
    }
    editor.touched(GridCell{row, col});
    editor.modified();
    if (cut) {
        // The record has a new place and a new number; the old one goes
        // without taking the filter, which moved with it.
        if (DuctSegment* old = p.ducts.at(moved)) old->filter = nullptr;
        clear_cut_source(editor);
        release_duct_record(editor, moved);
        clip.clear();
        reload_duct_layer(editor);
    }
    editor.repaint_all();
    return true;
}

bool paste_node(SketchEditor& editor, int row, int col)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Clipboard& clip = editor.clipboard;
    LevelCells& l = g.current();
    const std::uint8_t code = l.Ducts(row, col);
    if (!is_duct_node(code) || !clip.junction || clip.cut) {
        beep();
        return false;
    }
    Junction copy = *clip.junction;
    if (!in_list(copy.schedule, p.week_schedules) || !in_list(copy.terminal.filter, p.filters) ||
        !in_list(copy.terminal.wind_profile, p.wind_profiles) || !in_list(copy.duct, p.ducts) ||
        !in_list(copy.reaction, p.reactions)) {
        show_message(WARNING, {"The copied junction names a definition that no longer exists."});
        return false;
    }
    // The node must fit the ducts around it, as when it is placed.
    if (check_junction_connections(g, p, row, col, nullptr) != 0) return false;

    const std::int32_t existing = l.Paths(row, col);
    Junction* over = existing > 0 ? p.junctions.at(existing) : nullptr;
    const bool terminal = is_terminal_kind(code);
    bool keep_downward = false;
    if (over) {
        if (ask_question(terminal ? "Overwrite this terminal?" : "Overwrite this junction?") != 1) return false;
        if (over->duct && kind_connects_down(code))
            keep_downward = ask_question(terminal ? "Overwrite the downward segment from this terminal?"
                                                  : "Overwrite the downward segment from this junction?") != 1;
    }

    const std::int32_t z = l.Zones(row, col);
    copy.zone = z == ZONE_AMBIENT ? ZoneRef::ambient() : z >= 1 ? ZoneRef(p.zones.at(z)) : ZoneRef{};
    copy.level = p.current_level;
    copy.icon = code;
    copy.control = nullptr;
    copy.t = !terminal ? kJunctionPlain : copy.zone.is_ambient() ? kJunctionExposed : kJunctionTerminal;
    copy.terminal.wall_azimuth() = -1;
    if (terminal) copy.terminal.direction() = terminal_direction(g, GridCell{row, col}, code);
    copy.terminal.filter = terminal ? duplicate_filter(p, copy.terminal.filter) : nullptr;

    // The downward segment: the node's own when it is kept, else a copy of
    // the copied node's, for a kind that connects down.
    DuctSegment* downward = nullptr;
    if (keep_downward) {
        downward = over->duct;
    } else if (kind_connects_down(code) && copy.duct) {
        DuctSegment d = *copy.duct;
        d.filter = duplicate_filter(p, d.filter);
        d.control = nullptr;
        downward = p.ducts.add(d);
    }
    if (over && over->duct && over->duct != downward) {
        const std::int32_t old = over->duct->nr;
        over->duct = nullptr;
        release_duct_record(editor, old);
    }
    copy.duct = downward;
    copy.duct_nr = downward ? downward->nr : 0;

    // The node written over loses its terminal's filter with it.
    if (over) release_filter(p, over->terminal.filter);
    Junction* stored = over ? p.junctions.put(existing, copy) : add_junction(p, copy);
    if (downward) {
        // Direction 3 runs from the node below up to this one, 6 down.
        Junction* below_node = nullptr;
        if (p.current_level && p.current_level->below) {
            const LevelCells& below = g.below();
            const std::int32_t n = below.Paths(row, col);
            below_node = is_duct_node(below.Ducts(row, col)) && n > 0 ? p.junctions.at(n) : nullptr;
        }
        downward->junction_n = downward->dir == 6 ? stored : below_node;
        downward->junction_m = downward->dir == 6 ? below_node : stored;
    }
    l.Paths(row, col) = stored->nr;
    editor.touched(GridCell{row, col});
    editor.modified();
    editor.navigator_changed();
    return true;
}

}  // namespace

bool paste_duct_item(SketchEditor& editor)
{
    const GridCell at = editor.grid().cursor;
    if (editor.clipboard.kind == ClipKind::DuctSegment) return paste_segment(editor, at.row, at.col);
    if (editor.clipboard.kind == ClipKind::DuctNode) return paste_node(editor, at.row, at.col);
    beep();
    return false;
}

}  // namespace avelor
