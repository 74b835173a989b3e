#include "editing/icon_editing.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "check/path_position.h"
#include "editing/duct_drawing.h"
#include "editing/link_drawing.h"
#include "forms/path_sheet.h"
#include "model/airflow_element.h"
#include "model/project.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

// Flow path icons proper: the default, the element icons and the fans.
bool is_flow_path_code(std::uint8_t code)
{
    return code >= ICN_PATH && code <= 31 && has_flag(code, CC_PATH_ICON);
}
bool is_zone_icon(std::uint8_t code) { return has_flag(code, CC_ZONE_ICON); }

bool level_below_exists(const Project& project)
{
    return project.current_level && project.current_level->below;
}

bool drawable(SketchEditor& editor, int row, int col)
{
    return editor.grid().allocated() && editor.project().current_level && editor.grid().in_drawing(row, col);
}

bool cell_empty(const LevelCells& l, int row, int col)
{
    return l.Sketch(row, col) == 0 && l.Walls(row, col) == 0 && l.Ducts(row, col) == 0 && l.Links(row, col) == 0;
}

// The zone a record in a cell belongs to: a zone of the list, never ambient.
Zone* zone_of_cell(const Project& project, std::int32_t id) { return id >= 1 ? project.zones.at(id) : nullptr; }

// A side of a flow path: ambient, a zone of the list, or nothing.
ZoneRef zone_side(const Project& project, std::int32_t id)
{
    if (id == ZONE_AMBIENT) return ZoneRef::ambient();
    if (id < 1) return {};
    return ZoneRef(project.zones.at(id));
}

Level* find_level(const Project& project, std::int32_t number)
{
    for (Level& level : project.levels)
        if (level.nr == number) return &level;
    return nullptr;
}

std::int32_t current_level_number(const Project& project)
{
    return project.current_level ? project.current_level->nr : 0;
}

bool species_defined(const Project& project) { return project.species.count() > 0; }
bool zones_defined(const Project& project) { return project.zones.head() != nullptr; }

// Wind acts only on paths to the outdoors.
void clear_wind_data(FlowPath& path)
{
    path.flags &= static_cast<std::uint16_t>(~0x0001u);
    path.wind_profile = nullptr;
    path.wPset = 0;
    path.wPmod = 0;
    path.wazm = -1;
}

// The icon a path shows: its element's (a fan's follows the flow
// direction); without an element the icon stays, but never a fan's.
std::uint8_t path_icon(const FlowPath& path, std::uint8_t icon)
{
    if (path.element && path.has_element()) return path_icon_for(path);
    return icon >= 28 && icon <= 31 ? ICN_PATH : icon;
}

// The clipboard kind of what a cell holds (icon layer first).
ClipKind kind_of_cell(const LevelCells& l, int row, int col)
{
    const std::uint8_t k = l.Sketch(row, col);
    if (is_flow_path_code(k)) return ClipKind::Path;
    if (k == ICN_SUPPLY || k == ICN_RETURN) return ClipKind::SupplyReturn;
    if (k == ICN_AHS) return ClipKind::Ahs;
    if (k == ICN_EXPOSURE) return ClipKind::Exposure;
    if (k == ICN_SOURCE) return ClipKind::Source;
    if (k == ICN_NOTE) return ClipKind::Note;
    if (is_zone_icon(k)) return ClipKind::Zone;
    const std::uint8_t d = l.Ducts(row, col);
    if (is_segment_icon(d)) return ClipKind::DuctSegment;
    if (is_duct_node(d)) return ClipKind::DuctNode;
    return ClipKind::Empty;
}

ClipKind kind_of_code(std::uint8_t code)
{
    if (is_flow_path_code(code)) return ClipKind::Path;
    if (code == ICN_SUPPLY || code == ICN_RETURN) return ClipKind::SupplyReturn;
    if (code == ICN_AHS) return ClipKind::Ahs;
    if (code == ICN_EXPOSURE) return ClipKind::Exposure;
    if (code == ICN_SOURCE) return ClipKind::Source;
    if (code == ICN_NOTE) return ClipKind::Note;
    if (is_zone_icon(code)) return ClipKind::Zone;
    if (is_segment_icon(code)) return ClipKind::DuctSegment;
    if (is_duct_node(code)) return ClipKind::DuctNode;
    return ClipKind::Empty;
}

// A full copy of the record a clipboard kind stands for; false when there
// is no such record.
template <class T>
bool copy_into(const NumberedList<T>& list, std::int32_t n, std::optional<T>& into)
{
    const T* record = list.at(n);
    if (!record) return false;
    into = *record;
    return true;
}

bool take_record(const Project& p, ClipKind kind, std::int32_t n, Clipboard& clip)
{
    switch (kind) {
    case ClipKind::Path:
    case ClipKind::SupplyReturn:
        if (!copy_into(p.paths, n, clip.path)) return false;
        clip.path->wazm = -1;
        return true;
    case ClipKind::Source: return copy_into(p.sources, n, clip.source_sink);
    case ClipKind::Exposure: return copy_into(p.exposures, n, clip.exposure);
    case ClipKind::Note: return copy_into(p.notes, n, clip.note);
    case ClipKind::DuctSegment: return copy_into(p.ducts, n, clip.duct);
    case ClipKind::DuctNode: return copy_into(p.junctions, n, clip.junction);
    case ClipKind::Zone:
    case ClipKind::Ahs: return true;
    case ClipKind::Empty: return false;
    }
    return false;
}

// Whether the record a cut item stands for is still there.
bool record_exists(const Project& p, ClipKind kind, std::int32_t n)
{
    switch (kind) {
    case ClipKind::Path:
    case ClipKind::SupplyReturn: return p.paths.at(n) != nullptr;
    case ClipKind::Source: return p.sources.at(n) != nullptr;
    case ClipKind::Exposure: return p.exposures.at(n) != nullptr;
    case ClipKind::Note: return p.notes.at(n) != nullptr;
    case ClipKind::DuctSegment: return p.ducts.at(n) != nullptr;
    case ClipKind::DuctNode: return p.junctions.at(n) != nullptr;
    case ClipKind::Zone:
    case ClipKind::Ahs: return true;
    case ClipKind::Empty: return false;
    }
    return false;
}

void refuse_for_links(std::string_view text) { show_message(WARNING, {text}); }

// Empties the clipboard when it holds the item at the cell or the given
// record, of the given kind.
void forget_clipped(SketchEditor& editor, ClipKind kind, std::int32_t number, std::uint8_t code, int row,
                    int col)
{
    Clipboard& clip = editor.clipboard;
    if (clip.kind != kind) return;
    const bool same_cell = clip.cut && clip.source == GridCell{row, col} &&
                           clip.source_level == current_level_number(editor.project()) && clip.icon == code;
    const bool same_record = number > 0 && clip.number == number &&
                             (kind != ClipKind::Zone || clip.icon == code);
    if (same_cell || same_record) clip.clear();
}

// Takes an icon out of its cell on the current level.
void clear_icon_cell(SketchEditor& editor, int row, int col)
{
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    // Its region keeps the key until the zones are detected again.
    if (has_flag(l.Sketch(row, col), CC_ZONE_ICON)) l.detection.zones_exact = false;
    l.Sketch(row, col) = 0;
    l.Paths(row, col) = 0;
    g.Scolors(row, col) = g.colours.background;
    editor.modified();
    editor.touched(GridCell{row, col});
    editor.navigator_changed();
}

// After a zone icon came or went: every region filled again from its icon
// and the records told their zones.
void redetect_zones(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    reset_zone_cells(g);
    fill_zones(g, kCurrentLevel, true);
    relink_icons(editor.project(), g);
    editor.repaint_all();
}

// Clears the error colour from the cells of a freshly filled region.
void clear_region_errors(SketchGrid& g, std::int32_t key)
{
    const LevelCells& l = g.current();
    for (std::size_t i = 0; i < g.cells(); ++i)
        if (l.Zones[i] == key && g.Scolors[i] == g.colours.errors) g.Scolors[i] = g.colours.background;
}

// The table conditions of placing, without the counts of species and zones
// and without the path position test.
bool placement_base(SketchEditor& editor, IconCommand icon, int row, int col)
{
    if (!drawable(editor, row, col)) return false;
    const SketchGrid& g = editor.grid();
    const Project& p = editor.project();
    const LevelCells& l = g.current();
    const std::uint8_t k = l.Sketch(row, col);
    const std::uint8_t w = l.Walls(row, col);
    const std::uint8_t d = l.Ducts(row, col);
    const std::uint8_t lk = l.Links(row, col);
    const std::int32_t z = l.Zones(row, col);
    const bool below = level_below_exists(p);
    const std::int32_t zb = below ? g.below().Zones(row, col) : 1;
    const bool empty = cell_empty(l, row, col);
    const bool normal = editor.mode != DisplayMode::Results;
    switch (icon) {
    case IconCommand::Zone: return empty && normal && z == ZONE_NONE;
    case IconCommand::Phantom: return empty && normal && z == ZONE_NONE && below && zb >= 1;
    case IconCommand::Ambient: return empty && normal && (z == ZONE_NONE || z == ZONE_AMBIENT);
    case IconCommand::FlowPath:
        if (k != 0 || d != 0 || lk != 0 || !normal) return false;
        if (w == ICN_WALL_H || w == ICN_WALL_V) return true;
        return w == 0 && below && zb != ZONE_WALL && !(z == zb && z != ZONE_UNDEFINED);
    case IconCommand::Ahs: return empty && normal;
    case IconCommand::Supply:
    case IconCommand::Return:
    case IconCommand::SourceSink: return empty && normal && z != ZONE_AMBIENT;
    case IconCommand::Exposure: return empty && normal;
    case IconCommand::Annotation: return empty;
    }
    return false;
}

std::uint8_t icon_code(IconCommand icon)
{
    switch (icon) {
    case IconCommand::Zone: return ICN_ZONE;
    case IconCommand::Phantom: return ICN_PHANTOM;
    case IconCommand::Ambient: return ICN_AMBIENT;
    case IconCommand::FlowPath: return ICN_PATH;
    case IconCommand::Ahs: return ICN_AHS;
    case IconCommand::Supply: return ICN_SUPPLY;
    case IconCommand::Return: return ICN_RETURN;
    case IconCommand::SourceSink: return ICN_SOURCE;
    case IconCommand::Exposure: return ICN_EXPOSURE;
    case IconCommand::Annotation: return ICN_NOTE;
    }
    return 0;
}

// The annotation dialog over the note of the cursor cell, or a new note.
bool define_annotation(SketchEditor& editor, int row, int col)
{
    Project& p = editor.project();
    LevelCells& l = editor.grid().current();
    Annotation* note = p.notes.at(l.Paths(row, col));
    AnnotationForm form;
    if (note) form.text = note->text;
    if (!editor.dialogs().annotation(form)) return false;
    const std::string text = form.text.substr(0, AnnotationForm::kMaxText);
    if (note) {
        if (note->text != text) {
            note->text = text;
            editor.modified();
        }
    } else {
        Annotation fresh;
        fresh.text = text;
        l.Paths(row, col) = p.notes.add(fresh)->nr;
        l.Sketch(row, col) = ICN_NOTE;
        editor.modified();
        editor.navigator_changed();
    }
    editor.touched(GridCell{row, col});
    return true;
}

// Where a cut item stands now.
struct CutSource {
    Level* level = nullptr;
    int shown = -1;  // kCurrentLevel or kLevelBelow when the grid shows it
    std::uint8_t code = 0;
    std::int32_t number = 0;
};

bool clip_matches(const Clipboard& clip, std::uint8_t code)
{
    if (kind_of_code(code) != clip.kind) return false;
    return clip.kind != ClipKind::Zone || code == clip.icon;
}

// The cut item at its source cell, on whatever level that is: the grid
// where the level is shown, its icon list otherwise. Nothing when the item
// is no longer there.
std::optional<CutSource> locate_cut_source(SketchEditor& editor)
{
    const Clipboard& clip = editor.clipboard;
    if (!clip.cut) return std::nullopt;
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    CutSource src;
    src.level = find_level(p, clip.source_level);
    if (!src.level || !g.in_drawing(clip.source.row, clip.source.col)) return std::nullopt;
    const int r = clip.source.row;
    const int c = clip.source.col;
    if (g.shown_level(kCurrentLevel) == src.level)
        src.shown = kCurrentLevel;
    else if (g.shown_level(kLevelBelow) == src.level)
        src.shown = kLevelBelow;
    if (src.shown >= 0) {
        const LevelCells& l = g.level(src.shown);
        const bool duct = clip.kind == ClipKind::DuctSegment || clip.kind == ClipKind::DuctNode;
        src.code = duct ? l.Ducts(r, c) : l.Sketch(r, c);
        src.number = l.Paths(r, c);
    } else {
        for (const IconEntry& e : src.level->icons) {
            if (e.row == r && e.col == c && clip_matches(clip, e.code)) {
                src.code = e.code;
                src.number = e.nr;
                break;
            }
        }
    }
    if (!clip_matches(clip, src.code) || !record_exists(p, clip.kind, src.number)) return std::nullopt;
    return src;
}

// Takes the cut item out of its source cell: the grid cell where the level
// is shown, and the entry of its icon list.
void clear_cut_source(SketchEditor& editor, const CutSource& src)
{
    SketchGrid& g = editor.grid();
    const GridCell at = editor.clipboard.source;
    std::vector<IconEntry>& icons = src.level->icons;
    icons.erase(std::remove_if(icons.begin(), icons.end(),
                               [&](const IconEntry& e) {
                                   return e.row == at.row && e.col == at.col && e.code == src.code;
                               }),
                icons.end());
    if (src.shown == kCurrentLevel) {
        clear_icon_cell(editor, at.row, at.col);
    } else if (src.shown == kLevelBelow) {
        LevelCells& l = g.below();
        l.Sketch(at.row, at.col) = 0;
        l.Paths(at.row, at.col) = 0;
        if (is_zone_icon(src.code)) {
            prepare_zone_cells(g, kLevelBelow);
            fill_zones(g, kLevelBelow, false);
        }
        editor.repaint_all();
    }
    editor.modified();
    editor.navigator_changed();
}

// Whether the clipboard's item may go into a cell, and what it replaces.
struct PasteTarget {
    bool ok = false;
    std::string message;   // a refusal explained; empty: a beep
    std::string question;  // asked before overwriting
    std::int32_t replaced = 0;  // the record that the paste overwrites
};

PasteTarget paste_target(SketchEditor& editor, const std::optional<CutSource>& src, int row, int col)
{
    PasteTarget t;
    const Clipboard& clip = editor.clipboard;
    const SketchGrid& g = editor.grid();
    const Project& p = editor.project();
    if (!drawable(editor, row, col)) return t;
    if (src && src->shown == kCurrentLevel && clip.source == GridCell{row, col}) return t;
    const LevelCells& l = g.current();
    const std::uint8_t k = l.Sketch(row, col);
    const std::uint8_t w = l.Walls(row, col);
    const std::uint8_t d = l.Ducts(row, col);
    const std::uint8_t lk = l.Links(row, col);
    const std::int32_t z = l.Zones(row, col);
    const std::int32_t n = l.Paths(row, col);
    const bool below = level_below_exists(p);
    const bool empty = cell_empty(l, row, col);
    const bool bare = w == 0 && d == 0 && lk == 0;
    switch (clip.kind) {
    case ClipKind::Path: {
        const PathPositionCheck position = check_path_position(g, p, row, col);
        if (!position.ok) {
            t.message = position.message;
            return t;
        }
        if (d != 0 || lk != 0) return t;
        if (k != 0 && !is_flow_path_code(k)) return t;
        const FlowPath* record = src ? p.paths.at(src->number) : (clip.path ? &*clip.path : nullptr);
        if (!record) return t;
        const std::uint8_t dir = record->dir;
        const bool wall_path = dir == kDirNorth || dir == kDirEast || dir == kDirSouth || dir == kDirWest;
        const bool floor_path = dir == kDirUp || dir == kDirDown;
        if ((w == ICN_WALL_H || w == ICN_WALL_V) ? !wall_path : !(w == 0 && below && floor_path)) return t;
        if (k != 0 && n > 0) {
            t.question = "Overwrite this path?";
            t.replaced = n;
        }
        break;
    }
    case ClipKind::SupplyReturn:
        if (!bare || z == ZONE_AMBIENT) return t;
        if (k != 0 && k != ICN_SUPPLY && k != ICN_RETURN) return t;
        if (k != 0 && n > 0) {
            t.question = "Overwrite this supply/return?";
            t.replaced = n;
        }
        break;
    case ClipKind::Source:
        if (!bare || z == ZONE_AMBIENT) return t;
        if (k != 0 && k != ICN_SOURCE) return t;
        if (k != 0 && n > 0) {
            t.question = "Overwrite this source/sink?";
            t.replaced = n;
        }
        break;
    case ClipKind::Note:
        if (!bare || (k != 0 && k != ICN_NOTE)) return t;
        if (k != 0 && n > 0) t.replaced = n;
        break;
    case ClipKind::Exposure:
        if (!empty) return t;
        break;
    case ClipKind::Ahs:
        // Only ever moved, never copied.
        if (!empty || !src) return t;
        break;
    case ClipKind::Zone: {
        if (!empty || !src) return t;
        // Moving a zone icon within its own room is as good as into an
        // unclaimed one.
        const bool own_room = src && src->shown == kCurrentLevel && z > 0 &&
                              l.Zones(clip.source.row, clip.source.col) == z;
        const std::int32_t zb = below ? g.below().Zones(row, col) : 1;
        if (clip.icon == ICN_AMBIENT) {
            if (z != ZONE_NONE && z != ZONE_AMBIENT) return t;
        } else if (clip.icon == ICN_PHANTOM) {
            if (!(z == ZONE_NONE || own_room) || !below || zb < 1) return t;
        } else if (!(z == ZONE_NONE || own_room)) {
            return t;
        }
        break;
    }
    case ClipKind::DuctSegment:
    case ClipKind::DuctNode:
    case ClipKind::Empty: return t;
    }
    t.ok = true;
    return t;
}

}  // namespace

// ---------------------------------------------------------------- placing

bool can_place_icon(SketchEditor& editor, IconCommand icon, int row, int col)
{
    if (!placement_base(editor, icon, row, col)) return false;
    const Project& p = editor.project();
    switch (icon) {
    case IconCommand::FlowPath: return check_path_position(editor.grid(), p, row, col).ok;
    case IconCommand::SourceSink: return species_defined(p);
    case IconCommand::Exposure: return species_defined(p) && zones_defined(p);
    default: return true;
    }
}

bool place_icon(SketchEditor& editor, IconCommand icon)
{
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    if (!placement_base(editor, icon, row, col)) {
        beep();
        return false;
    }
    if (icon == IconCommand::FlowPath) {
        const PathPositionCheck position = check_path_position(g, p, row, col);
        if (!position.ok) {
            if (position.message.empty())
                beep();
            else
                show_message(WARNING, {position.message});
            return false;
        }
    }
    if (icon == IconCommand::SourceSink && !species_defined(p)) {
        show_message(WARNING, {"You must first define at least one Species prior to creating a source/sink."});
        return false;
    }
    if (icon == IconCommand::Exposure) {
        if (!species_defined(p)) {
            show_message(WARNING,
                         {"You must first define at least one Species prior to creating an exposure element."});
            return false;
        }
        if (!zones_defined(p)) {
            show_message(WARNING,
                         {"You must first define at least one Zone prior to creating an exposure element."});
            return false;
        }
    }
    if (icon == IconCommand::Annotation) return define_annotation(editor, row, col);

    LevelCells& l = g.current();
    const std::uint8_t code = icon_code(icon);
    std::int32_t number = 0;
    switch (icon) {
    case IconCommand::Zone:
        number = ZONE_UNDEFINED;
        seed_fill(g, kCurrentLevel, row, col, number);
        editor.repaint_all();
        break;
    case IconCommand::Ambient:
        number = ZONE_AMBIENT;
        seed_fill(g, kCurrentLevel, row, col, number);
        clear_region_errors(g, number);
        editor.repaint_all();
        break;
    case IconCommand::Phantom: {
        const std::int32_t b = g.below().Zones(row, col);
        number = b > 0 ? b : ZONE_UNDEFINED;
        seed_fill(g, kCurrentLevel, row, col, number);
        if (b > 0) clear_region_errors(g, number);
        editor.repaint_all();
        break;
    }
    default: break;
    }
    l.Sketch(row, col) = code;
    l.Paths(row, col) = number;
    editor.modified();
    editor.touched(GridCell{row, col});
    editor.navigator_changed();
    return true;
}

// ---------------------------------------------------------------- defining

SheetRequest sheet_for_cell(SketchEditor& editor, int row, int col)
{
    SheetRequest none;
    none.cell = {row, col};
    if (!drawable(editor, row, col)) return none;
    const Project& p = editor.project();
    const SketchGrid& g = editor.grid();
    const LevelCells& l = g.current();
    auto request = [&](SheetKind kind, std::int32_t number) {
        SheetRequest r;
        r.kind = kind;
        r.number = number;
        r.create = number < 1;
        r.cell = {row, col};
        return r;
    };

    const std::uint8_t link = l.Links(row, col);
    if (editor.session().view.flags.control_links && link != 0) {
        const std::int32_t node = l.Ctrls(row, col);
        if (link >= 181 && link <= 184) return request(SheetKind::Sensor, node);
        if (link >= ICN_CTRL_NODE && link <= 189) return request(SheetKind::ControlNode, node);
        return none;
    }

    const std::uint8_t k = l.Sketch(row, col);
    const std::int32_t n = l.Paths(row, col);
    if (is_flow_path_code(k)) return request(SheetKind::FlowPath, n);
    if (k == ICN_SUPPLY) return request(SheetKind::SupplyPoint, n);
    if (k == ICN_RETURN) return request(SheetKind::ReturnPoint, n);
    if (k == ICN_AHS) return request(SheetKind::SimpleAhs, n);
    if (k == ICN_SOURCE) return request(SheetKind::SourceSink, n);
    if (k == ICN_EXPOSURE) return species_defined(p) ? request(SheetKind::Exposure, n) : none;
    if (k == ICN_NOTE) return request(SheetKind::Annotation, n);

    const std::uint8_t d = l.Ducts(row, col);
    if (is_duct_node(d)) return request(SheetKind::Junction, n);
    if (d >= ICN_DUCT_H && d <= ICN_DUCT_HEAD_V) return n == 0 ? request(SheetKind::DuctSegment, 0) : none;
    if (is_segment_icon(d)) return n > 0 ? request(SheetKind::DuctSegment, n) : none;

    const std::int32_t z = l.Zones(row, col);
    if (!is_zone_icon(k) && z < 0) return none;
    if (k == ICN_AMBIENT) return none;
    if (k == ICN_PHANTOM) {
        const std::int32_t b = level_below_exists(p) ? g.below().Zones(row, col) : ZONE_NONE;
        return b >= 1 ? request(SheetKind::Zone, b) : none;
    }
    // An unclaimed room asks for a new zone; define_icon places its icon.
    return request(SheetKind::Zone, k == ICN_ZONE ? n : z);
}

namespace {

// The sheet of a request: the network records' sheets run on their models,
// every other kind is the dialogs' own.
bool open_sheet(SketchEditor& editor, const SheetRequest& request)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    EditorDialogs& dialogs = editor.dialogs();
    switch (request.kind) {
    case SheetKind::Zone: {
        const ZoneSheetDialog run = [&](ZoneSheet& sheet) { return dialogs.zone_sheet(sheet, request); };
        return (request.create ? create_zone(p, g, run) : edit_zone(p, request.number, run)) == 1;
    }
    case SheetKind::FlowPath: {
        const PathSheetDialog run = [&](PathSheet& sheet) { return dialogs.path_sheet(sheet, request); };
        return (request.create ? create_path(p, g, p.sub_paths, run)
                               : edit_path(p, g, p.sub_paths, request.number, run)) == 1;
    }
    case SheetKind::Junction: {
        const JunctionSheetDialog run = [&](JunctionSheet& sheet) { return dialogs.junction_sheet(sheet, request); };
        const bool accepted = (request.create ? create_junction(p, g, editor.junction_defaults, run)
                                              : edit_junction(p, g, request.number, run)) == 1;
        // An edit may have freed the node's downward segment.
        Clipboard& clip = editor.clipboard;
        if (accepted && clip.kind == ClipKind::DuctSegment && !p.ducts.at(clip.number)) clip.clear();
        return accepted;
    }
    case SheetKind::DuctSegment: {
        const DuctSegmentSheetDialog run = [&](DuctSegmentSheet& sheet) {
            return dialogs.duct_segment_sheet(sheet, request);
        };
        return (request.create ? create_duct_segment(p, g, run) : edit_duct_segment(p, g, request.number, run)) == 1;
    }
    case SheetKind::SimpleAhs: {
        const AhsSheetDialog run = [&](AhsSheet& sheet) { return dialogs.ahs_sheet(sheet, request); };
        // A system on the clipboard is known by its number, which a new or
        // renamed system may change.
        Clipboard& clip = editor.clipboard;
        SimpleAhs* clipped = nullptr;
        if (clip.kind == ClipKind::Ahs && clip.number >= 1 &&
            static_cast<std::size_t>(clip.number) <= p.system_index.size())
            clipped = p.system_index[static_cast<std::size_t>(clip.number - 1)];
        const bool accepted =
            (request.create ? create_simple_ahs_sheet(p, g, run) : edit_simple_ahs(p, g, request.number, run)) == 1;
        if (accepted && clipped) clip.number = clipped->nr;
        return accepted;
    }
    case SheetKind::SupplyPoint:
    case SheetKind::ReturnPoint: {
        const bool supply = request.kind == SheetKind::SupplyPoint;
        const AhsPointSheetDialog run = [&](AhsPointSheet& sheet) { return dialogs.ahs_point_sheet(sheet, request); };
        return (request.create ? create_ahs_point(p, g, supply, run)
                               : edit_ahs_point(p, g, supply, request.number, run)) == 1;
    }
    case SheetKind::SourceSink: {
        const SourceSheetDialog run = [&](SourceSheet& sheet) { return dialogs.source_sheet(sheet, request); };
        return (request.create ? create_source_sink(p, g, run) : edit_source_sink(p, g, request.number, run)) == 1;
    }
    case SheetKind::Exposure: {
        const ExposureSheetDialog run = [&](ExposureSheet& sheet) { return dialogs.exposure_sheet(sheet, request); };
        return (request.create ? create_exposure(p, g, run) : edit_exposure(p, g, request.number, run)) == 1;
    }
    default: return dialogs.property_sheet(request);
    }
}

}  // namespace

bool define_icon(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    SheetRequest request = sheet_for_cell(editor, row, col);
    if (request.kind == SheetKind::None) {
        beep();
        return false;
    }
    if (request.kind == SheetKind::Annotation) return define_annotation(editor, row, col);
    if (request.kind == SheetKind::Zone && !is_zone_icon(g.current().Sketch(row, col)) &&
        g.current().Zones(row, col) == ZONE_NONE) {
        if (!place_icon(editor, IconCommand::Zone)) return false;
        request.number = g.current().Paths(row, col);
        request.create = true;
    }
    const bool accepted = open_sheet(editor, request);
    editor.touched(GridCell{row, col});
    if (accepted) {
        editor.modified();
        editor.navigator_changed();
        if (request.kind == SheetKind::Zone || request.kind == SheetKind::SimpleAhs ||
            request.kind == SheetKind::DuctSegment)
            editor.repaint_all();
    }
    return accepted;
}

// ---------------------------------------------------------------- deleting

void release_path_record(SketchEditor& editor, std::int32_t number)
{
    Project& project = editor.project();
    if (FlowPath* path = project.paths.at(number)) {
        project.sub_paths.release(project.paths, path);
        release_filter(project, path->filter);
    }
    if (editor.project().paths.release(number)) editor.modified();
    Clipboard& clip = editor.clipboard;
    if ((clip.kind == ClipKind::Path || clip.kind == ClipKind::SupplyReturn) && clip.number == number)
        clip.clear();
}

void release_source_record(SketchEditor& editor, std::int32_t number)
{
    if (editor.project().sources.release(number)) editor.modified();
    if (editor.clipboard.kind == ClipKind::Source && editor.clipboard.number == number) editor.clipboard.clear();
}

void release_exposure_record(SketchEditor& editor, std::int32_t number)
{
    if (editor.project().exposures.release(number)) editor.modified();
    if (editor.clipboard.kind == ClipKind::Exposure && editor.clipboard.number == number)
        editor.clipboard.clear();
}

void release_note_record(SketchEditor& editor, std::int32_t number)
{
    if (editor.project().notes.release(number)) editor.modified();
    if (editor.clipboard.kind == ClipKind::Note && editor.clipboard.number == number) editor.clipboard.clear();
}

bool delete_zone_icon(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    LevelCells& l = g.current();
    const std::uint8_t k = l.Sketch(row, col);
    if (!is_zone_icon(k)) return false;
    if (count_link_inputs(g, row, col) > 0) {
        refuse_for_links("This zone is referenced by the control network.\n You must remove all references to "
                         "this zone before it can be deleted.");
        return false;
    }
    const std::int32_t n = l.Paths(row, col);
    if (n > 0) {
        // The phantoms that stand for this zone on the levels above, level
        // by level upward while each level has some.
        std::vector<IconEntry*> phantoms;
        for (Level* up = p.current_level->above; up; up = up->above) {
            const std::size_t before = phantoms.size();
            for (IconEntry& e : up->icons)
                if (e.code == ICN_PHANTOM && e.nr == n) phantoms.push_back(&e);
            if (phantoms.size() == before) break;
        }
        if (asking == Asking::Interactive) {
            const std::string question =
                phantoms.empty() ? std::string("Delete this zone icon?")
                                 : "Delete this zone icon and clear\nthe " + std::to_string(phantoms.size()) +
                                       " phantom zone(s) above it?";
            if (ask_question(question) != 1) return false;
        }
        if (k == ICN_ZONE && release_zone(p, n)) editor.modified();
        // They become undefined when their level is next shown.
        for (IconEntry* e : phantoms) e->nr = 0;
    }
    forget_clipped(editor, ClipKind::Zone, n, k, row, col);
    clear_icon_cell(editor, row, col);
    // An area deletion fills the zones once, after its last cell.
    if (asking == Asking::Interactive) redetect_zones(editor);
    return true;
}

bool delete_flow_path(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    const std::uint8_t k = l.Sketch(row, col);
    if (!has_flag(k, CC_PATH_ICON) || k == ICN_AHS) return false;
    if (count_link_inputs(g, row, col) > 0) {
        refuse_for_links("This path is referenced by the control network.\n You must remove all references to "
                         "this path before it can be deleted.");
        return false;
    }
    const std::int32_t n = l.Paths(row, col);
    const bool point = k == ICN_SUPPLY || k == ICN_RETURN;
    if (asking == Asking::Interactive) {
        if (point && ask_question("Delete this supply/return?") != 1) return false;
        if (!point && n > 0 && ask_question("Delete this flow path?") != 1) return false;
    }
    if (n > 0) release_path_record(editor, n);
    clear_icon_cell(editor, row, col);
    return true;
}

bool delete_simple_ahs(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    LevelCells& l = g.current();
    if (l.Sketch(row, col) != ICN_AHS) return false;
    if (count_link_inputs(g, row, col) > 0) {
        refuse_for_links("This AHS is referenced by the control network.\n You must remove all references to "
                         "this AHS before it can be deleted.");
        return false;
    }
    const std::int32_t n = l.Paths(row, col);
    SimpleAhs* system = n >= 1 && static_cast<std::size_t>(n) <= p.system_index.size()
                            ? p.system_index[static_cast<std::size_t>(n - 1)]
                            : nullptr;
    if (system && asking == Asking::Interactive && ask_question("Delete entire AHS related to this icon?") != 1)
        return false;
    forget_clipped(editor, ClipKind::Ahs, n, ICN_AHS, row, col);
    clear_icon_cell(editor, row, col);
    if (!system) return true;

    // Every supply and return point of the system, on every level, goes
    // with it; the levels' icon lists are the place to find them all.
    store_current_level(p, g);
    for (Level& level : p.levels) {
        std::vector<IconEntry>& icons = level.icons;
        auto served = [&](const IconEntry& e) {
            if (e.code != ICN_SUPPLY && e.code != ICN_RETURN) return false;
            const FlowPath* point = e.nr > 0 ? p.paths.at(e.nr) : nullptr;
            return point && point->ahs == system;
        };
        std::vector<std::int32_t> released;
        for (const IconEntry& e : icons)
            if (served(e)) released.push_back(e.nr);
        for (std::int32_t nr : released) release_path_record(editor, nr);
        icons.erase(std::remove_if(icons.begin(), icons.end(),
                                   [&](const IconEntry& e) {
                                       return (e.code == ICN_SUPPLY || e.code == ICN_RETURN) &&
                                              std::find(released.begin(), released.end(), e.nr) !=
                                                  released.end();
                                   }),
                    icons.end());
    }
    // A copied point of this system has nothing left to refer to; a cut
    // system icon elsewhere keeps its own system under its new number.
    Clipboard& clip = editor.clipboard;
    if (clip.kind == ClipKind::SupplyReturn && clip.path && clip.path->ahs == system) clip.clear();
    SimpleAhs* clipped = nullptr;
    if (clip.kind == ClipKind::Ahs && clip.number >= 1 &&
        static_cast<std::size_t>(clip.number) <= p.system_index.size())
        clipped = p.system_index[static_cast<std::size_t>(clip.number - 1)];
    remove_simple_ahs(p, system);
    if (clipped) clip.number = clipped->nr;
    editor.modified();

    Level* current = p.current_level;
    show_level(g, current->below, kLevelBelow);
    show_level(g, current, kCurrentLevel);
    editor.repaint_all();
    editor.navigator_changed();
    return true;
}

namespace {

// An icon whose record hangs on nothing else: a refusal while a control
// link points into it (where it can have one), the question, the record
// released and the cell cleared.
bool delete_record_icon(SketchEditor& editor, int row, int col, Asking asking, std::uint8_t code,
                        std::string_view linked_refusal, std::string_view question,
                        void (*release)(SketchEditor&, std::int32_t))
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    if (l.Sketch(row, col) != code) return false;
    if (!linked_refusal.empty() && count_link_inputs(g, row, col) > 0) {
        refuse_for_links(linked_refusal);
        return false;
    }
    if (asking == Asking::Interactive && ask_question(question) != 1) return false;
    const std::int32_t n = l.Paths(row, col);
    if (n > 0) release(editor, n);
    clear_icon_cell(editor, row, col);
    return true;
}

}  // namespace

bool delete_source_sink(SketchEditor& editor, int row, int col, Asking asking)
{
    return delete_record_icon(editor, row, col, asking, ICN_SOURCE,
                              "This Source/Sink is referenced by the control network.\n You must remove all "
                              "references to this Source/Sink before it can be deleted.",
                              "Delete this Source/Sink icon?", release_source_record);
}

bool delete_exposure(SketchEditor& editor, int row, int col, Asking asking)
{
    return delete_record_icon(editor, row, col, asking, ICN_EXPOSURE, {}, "Delete this personal exposure?",
                              release_exposure_record);
}

bool delete_annotation(SketchEditor& editor, int row, int col, Asking asking)
{
    return delete_record_icon(editor, row, col, asking, ICN_NOTE, {}, "Delete this annotation?",
                              release_note_record);
}

bool delete_at_cursor(SketchEditor& editor)
{
    if (editor.tool == DrawingTool::DeleteByRegion || editor.tool == DrawingTool::DeleteByBox)
        return delete_in_area(editor);
    SketchGrid& g = editor.grid();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    if (!drawable(editor, row, col)) {
        beep();
        return false;
    }
    const LevelCells& l = g.current();
    // The link layer is edited only while it is shown.
    if (l.Links(row, col) != 0 && editor.session().view.flags.control_links)
        return delete_control_piece(editor, row, col, Asking::Interactive);
    const std::uint8_t k = l.Sketch(row, col);
    if (is_zone_icon(k)) return delete_zone_icon(editor, row, col, Asking::Interactive);
    if (l.Ducts(row, col) != 0) return delete_duct_item(editor, row, col);
    if (k == ICN_AHS) return delete_simple_ahs(editor, row, col, Asking::Interactive);
    if (k == ICN_EXPOSURE) return delete_exposure(editor, row, col, Asking::Interactive);
    if (k == ICN_SOURCE) return delete_source_sink(editor, row, col, Asking::Interactive);
    if (has_flag(k, CC_PATH_ICON)) return delete_flow_path(editor, row, col, Asking::Interactive);
    if (l.Walls(row, col) != 0) return delete_wall_run(editor, row, col, Asking::Interactive) > 0;
    if (k == ICN_NOTE) return delete_annotation(editor, row, col, Asking::Interactive);
    beep();
    return false;
}

// ---------------------------------------------------------------- clipboard

namespace {

// The clipboard takes the item of a cell with the record copy in clip.
void keep_in_clipboard(SketchEditor& editor, Clipboard clip, ClipKind kind, int row, int col, bool cut)
{
    const LevelCells& l = editor.grid().current();
    const bool duct = kind == ClipKind::DuctSegment || kind == ClipKind::DuctNode;
    clip.kind = kind;
    clip.icon = duct ? l.Ducts(row, col) : l.Sketch(row, col);
    clip.number = l.Paths(row, col);
    clip.zone_value = l.Zones(row, col);
    clip.cut = cut;
    clip.source = {row, col};
    clip.source_level = current_level_number(editor.project());
    editor.clipboard = std::move(clip);
}

}  // namespace

bool copy_icon(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    if (!drawable(editor, row, col)) {
        beep();
        return false;
    }
    const LevelCells& l = g.current();
    const ClipKind kind = kind_of_cell(l, row, col);
    const std::int32_t n = l.Paths(row, col);
    const bool results = editor.mode == DisplayMode::Results;
    Clipboard clip;
    if (kind == ClipKind::Empty || kind == ClipKind::Zone || kind == ClipKind::Ahs || n == 0 ||
        (results && kind != ClipKind::Exposure) || !take_record(editor.project(), kind, n, clip)) {
        beep();
        return false;
    }
    keep_in_clipboard(editor, std::move(clip), kind, row, col, false);
    return true;
}

bool cut_icon(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    if (!drawable(editor, row, col) || editor.mode == DisplayMode::Results) {
        beep();
        return false;
    }
    const LevelCells& l = g.current();
    const ClipKind kind = kind_of_cell(l, row, col);
    const std::int32_t n = l.Paths(row, col);
    const bool moves_undefined = kind == ClipKind::Zone || kind == ClipKind::Ahs;
    if (kind == ClipKind::Empty || kind == ClipKind::DuctNode || (!moves_undefined && n == 0)) {
        beep();
        return false;
    }
    if (count_link_inputs(g, row, col) > 0) {
        std::string_view what;
        switch (kind) {
        case ClipKind::Path:
        case ClipKind::SupplyReturn: what = "path"; break;
        case ClipKind::Zone: what = "zone"; break;
        case ClipKind::Source: what = "Source/Sink"; break;
        case ClipKind::DuctSegment: what = "duct"; break;
        case ClipKind::Ahs:
            refuse_for_links("This AHS is referenced by the control network.\n You must remove all references "
                             "to this AHs before it can be cut.");
            return false;
        default: break;
        }
        if (!what.empty()) {
            const std::string w(what);
            refuse_for_links("This " + w + " is referenced by the control network.\n You must remove all "
                             "references to this " + w + " before it can be cut.");
            return false;
        }
    }
    Clipboard clip;
    if (!take_record(editor.project(), kind, n, clip)) {
        beep();
        return false;
    }
    keep_in_clipboard(editor, std::move(clip), kind, row, col, true);
    return true;
}

bool paste_icon(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    const int row = g.cursor.row;
    const int col = g.cursor.col;
    Clipboard& clip = editor.clipboard;
    if (clip.empty() || editor.mode == DisplayMode::Results || !drawable(editor, row, col)) {
        beep();
        return false;
    }
    if (clip.kind == ClipKind::DuctSegment || clip.kind == ClipKind::DuctNode) return paste_duct_item(editor);
    std::optional<CutSource> src;
    if (clip.cut) {
        src = locate_cut_source(editor);
        if (!src) {
            // What was cut is gone: there is nothing left to move.
            clip.clear();
            beep();
            return false;
        }
    }
    const PasteTarget target = paste_target(editor, src, row, col);
    if (!target.ok) {
        if (target.message.empty())
            beep();
        else
            show_message(WARNING, {target.message});
        return false;
    }
    if (!target.question.empty() && ask_question(target.question) != 1) return false;

    // Releasing the record overwritten may empty the clipboard (a copy
    // pasted over its own original): work from a copy of it.
    const Clipboard item = clip;
    LevelCells& l = g.current();
    const std::int32_t z = l.Zones(row, col);
    const std::int32_t moved = src ? src->number : item.number;
    std::uint8_t code = item.icon;
    std::int32_t number = 0;
    switch (item.kind) {
    case ClipKind::Path:
    case ClipKind::SupplyReturn: {
        FlowPath record = src ? *p.paths.at(moved) : *item.path;
        record.wazm = -1;
        if (target.replaced > 0) release_path_record(editor, target.replaced);
        if (item.kind == ClipKind::Path) {
            record.dir = initial_path_dir(g, row, col);
            const PathSides sides = path_sides(g, row, col, record.dir);
            record.zone_n = zone_side(p, sides.n);
            record.zone_m = zone_side(p, sides.m);
            if (!record.zone_n.is_ambient() && !record.zone_m.is_ambient()) clear_wind_data(record);
            code = path_icon(record, src ? src->code : item.icon);
        } else if (code == ICN_SUPPLY) {
            record.zone_m = zone_of_cell(p, z);
        } else {
            record.zone_n = zone_of_cell(p, z);
        }
        // A copy gets a filter of its own, like the original's; a cut path
        // takes its filter along.
        if (!src && record.filter)
            record.filter = p.filters.at(record.filter->nr) == record.filter ? p.filters.add(*record.filter) : nullptr;
        record.icn = code;
        number = add_path(p, record)->nr;
        if (src) {
            // The old record goes without the filter, which moved with it.
            if (FlowPath* old = p.paths.at(moved)) old->filter = nullptr;
            clear_cut_source(editor, *src);
            release_path_record(editor, moved);
        }
        break;
    }
    case ClipKind::Source:
        if (target.replaced > 0) release_source_record(editor, target.replaced);
        if (src) {
            number = moved;
            clear_cut_source(editor, *src);
        } else {
            number = p.sources.add(*item.source_sink)->nr;
        }
        if (SourceSink* s = p.sources.at(number)) s->zone = zone_of_cell(p, z);
        break;
    case ClipKind::Exposure:
        if (src) {
            number = moved;
            clear_cut_source(editor, *src);
        } else {
            number = p.exposures.add(*item.exposure)->nr;
        }
        break;
    case ClipKind::Note:
        if (target.replaced > 0) release_note_record(editor, target.replaced);
        if (src) {
            number = moved;
            clear_cut_source(editor, *src);
        } else {
            number = p.notes.add(*item.note)->nr;
        }
        break;
    case ClipKind::Ahs:
        number = moved;
        clear_cut_source(editor, *src);
        break;
    case ClipKind::Zone: {
        code = src->code;
        if (code == ICN_AMBIENT) {
            number = ZONE_AMBIENT;
        } else if (code == ICN_PHANTOM) {
            const std::int32_t b = g.below().Zones(row, col);
            number = b > 0 ? b : ZONE_UNDEFINED;
        } else {
            number = moved;
            if (Zone* zone = p.zones.at(number)) zone->level = p.current_level;
        }
        clear_cut_source(editor, *src);
        break;
    }
    case ClipKind::DuctSegment:
    case ClipKind::DuctNode:
    case ClipKind::Empty: return false;
    }
    l.Sketch(row, col) = code;
    l.Paths(row, col) = number;
    g.Scolors(row, col) = g.colours.background;
    if (item.kind == ClipKind::Zone) {
        l.Zones(row, col) = number;
        redetect_zones(editor);
    }
    if (item.cut) editor.clipboard.clear();
    editor.modified();
    editor.touched(GridCell{row, col});
    editor.navigator_changed();
    return true;
}

// ---------------------------------------------------------------- menus

bool can_delete(SketchEditor& editor)
{
    if (editor.mode != DisplayMode::Normal) return false;
    if (editor.tool == DrawingTool::DeleteByRegion || editor.tool == DrawingTool::DeleteByBox) return true;
    const GridCell c = editor.grid().cursor;
    if (!drawable(editor, c.row, c.col)) return false;
    return !cell_empty(editor.grid().current(), c.row, c.col);
}

bool can_cut(SketchEditor& editor)
{
    const GridCell c = editor.grid().cursor;
    if (editor.mode != DisplayMode::Normal || !drawable(editor, c.row, c.col)) return false;
    const LevelCells& l = editor.grid().current();
    const ClipKind kind = kind_of_cell(l, c.row, c.col);
    if (kind == ClipKind::Zone || kind == ClipKind::Ahs) return true;
    if (kind == ClipKind::Empty || kind == ClipKind::DuctNode) return false;
    Clipboard probe;
    return l.Paths(c.row, c.col) != 0 && take_record(editor.project(), kind, l.Paths(c.row, c.col), probe);
}

bool can_copy(SketchEditor& editor)
{
    const GridCell c = editor.grid().cursor;
    if (editor.mode != DisplayMode::Normal || !drawable(editor, c.row, c.col)) return false;
    const LevelCells& l = editor.grid().current();
    const ClipKind kind = kind_of_cell(l, c.row, c.col);
    if (kind == ClipKind::Empty || kind == ClipKind::Zone || kind == ClipKind::Ahs) return false;
    Clipboard probe;
    return l.Paths(c.row, c.col) != 0 && take_record(editor.project(), kind, l.Paths(c.row, c.col), probe);
}

bool can_paste(SketchEditor& editor)
{
    const GridCell c = editor.grid().cursor;
    const Clipboard& clip = editor.clipboard;
    if (editor.mode != DisplayMode::Normal || clip.empty() || !drawable(editor, c.row, c.col)) return false;
    // Pasting a duct piece tells that duct editing is still to come.
    if (clip.kind == ClipKind::DuctSegment || clip.kind == ClipKind::DuctNode) return true;
    std::optional<CutSource> src;
    if (clip.cut) {
        src = locate_cut_source(editor);
        if (!src) return false;
    }
    return paste_target(editor, src, c.row, c.col).ok;
}

}  // namespace avelor
