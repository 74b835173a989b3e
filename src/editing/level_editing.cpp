#include "editing/level_editing.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/diagnostics.h"
#include "editing/icon_editing.h"
#include "editing/sketch_editor.h"
#include "forms/path_sheet.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

constexpr float kDefaultLevelHeight = 3;  // m

bool level_name_used(const Project& project, const std::string& name)
{
    for (const Level& level : project.levels)
        if (level.name == name) return true;
    return false;
}

// The levels from the lowest upward.
std::vector<Level*> level_stack(Project& project)
{
    std::vector<Level*> stack;
    for (Level* level = project.lowest_level; level; level = level->above) stack.push_back(level);
    return stack;
}

// Links a level record of the list into the stack above `under` (at the
// bottom when under is null).
void link_above(Project& project, Level& level, Level* under)
{
    if (under) {
        level.below = under;
        level.above = under->above;
        if (under->above) under->above->below = &level;
        under->above = &level;
        if (project.top_level == under) project.top_level = &level;
    } else {
        level.below = nullptr;
        level.above = project.lowest_level;
        if (project.lowest_level) project.lowest_level->below = &level;
        project.lowest_level = &level;
        if (!project.top_level) project.top_level = &level;
    }
}

void unlink(Project& project, Level& level)
{
    if (level.below) level.below->above = level.above;
    if (level.above) level.above->below = level.below;
    if (project.lowest_level == &level) project.lowest_level = level.above;
    if (project.top_level == &level) project.top_level = level.below;
    level.above = level.below = nullptr;
}

// A blank level above `under` (or at the bottom), made current with the
// level below it shown under it.
Level& insert_blank_level(SketchEditor& editor, Level* under, float height)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    store_current_level(p, g);
    Level blank;
    blank.name = new_level_name(p);
    blank.u = {p.rc.us, p.rc.us};
    if (under) {
        blank.refHt = under->refHt + under->delHt;
        blank.delHt = height;
    } else {
        blank.refHt = 0;
        blank.delHt = kDefaultLevelHeight;
    }
    Level* level = p.levels.add(blank);
    link_above(p, *level, under);
    goto_level(p, g, *level);
    return *level;
}

// Every change of the stack ends here: numbers and elevations, the links
// of the current level and of the level above it (its phantoms stand for
// the zones of the level below), a new level's units, the modified flag.
void levels_restacked(SketchEditor& editor)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    renumber_levels(p);
    Level* current = p.current_level;
    if (current && current->above) {
        goto_level(p, g, *current->above);
        relink_icons(p, g);
        store_current_level(p, g);
        goto_level(p, g, *current);
    }
    if (current) {
        relink_icons(p, g);
        store_current_level(p, g);
        if (current->name.starts_with('<')) current->u = {p.rc.us, p.rc.us};
    }
    // The problems of a check point at cells of levels that moved or went.
    editor.session().problems.clear();
    p.mark_changed();
    editor.modified();
    editor.repaint_all();
    editor.navigator_changed();
}

// The copy source's drawing with records of the new level's own; the new
// level is current, the level below it shown under it.
std::vector<IconEntry> pasted_icons(SketchEditor& editor, const Level& source)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    const LevelCells& under = g.below();
    std::vector<IconEntry> icons;
    icons.reserve(source.icons.size());
    std::unordered_map<const Junction*, Junction*> junction_copies;
    for (IconEntry e : source.icons) {
        if (!g.in_drawing(e.row, e.col)) continue;
        switch (layer_of_code(e.code)) {
        case CellLayer::Wall: break;
        case CellLayer::Link: continue;  // control links are not pasted
        case CellLayer::Duct:
            if (is_duct_node(e.code)) {
                const Junction* node = e.nr > 0 ? p.junctions.at(e.nr) : nullptr;
                if (!node) break;
                Junction copy = *node;
                copy.duct = nullptr;
                if (node->duct) {
                    const std::uint8_t below = under.Ducts(e.row, e.col);
                    const bool connects_up = below == 159 || below == 161 || below == 163;
                    Junction* lower = connects_up ? p.junctions.at(under.Paths(e.row, e.col)) : nullptr;
                    if (!lower) {
                        // Nothing below to join: the node is left undefined.
                        e.nr = 0;
                        break;
                    }
                    DuctSegment segment = *node->duct;
                    Junction* stored = add_junction(p, copy);
                    if (segment.junction_n == node) segment.junction_n = stored; else segment.junction_m = stored;
                    if (segment.junction_n == stored) segment.junction_m = lower; else segment.junction_n = lower;
                    stored->duct = p.ducts.add(segment);
                    junction_copies[node] = stored;
                    e.nr = stored->nr;
                    break;
                }
                Junction* stored = add_junction(p, copy);
                junction_copies[node] = stored;
                e.nr = stored->nr;
            } else if (has_flag(e.code, CC_DUCT_SEGMENT)) {
                if (const DuctSegment* segment = e.nr > 0 ? p.ducts.at(e.nr) : nullptr)
                    e.nr = p.ducts.add(*segment)->nr;
            } else if (e.code >= ICN_DUCT_H && e.code <= ICN_DUCT_CROSS) {
                e.nr = 0;
            } else {
                report_error(ERROR, {"Unrecognized icon: ", std::to_string(e.code)});
                continue;
            }
            break;
        case CellLayer::Icon:
            if (e.code == ICN_AHS || has_flag(e.code, CC_EXPOSURE_ICON)) continue;
            if (e.code == ICN_PHANTOM || e.code == ICN_AMBIENT) {
                // The zone below, as showing the level would find it; a
                // phantom over no zone stands for an undefined one.
                const std::int32_t z = under.Zones(e.row, e.col);
                e.nr = e.code == ICN_PHANTOM && z <= 0 ? ZONE_UNDEFINED : z;
                break;
            }
            if (e.nr <= 0) break;
            if (has_flag(e.code, CC_PATH_ICON)) {
                const FlowPath* path = p.paths.at(e.nr);
                if (!path) break;
                FlowPath* stored = add_path(p, *path);
                build_sub_paths(p, p.sub_paths, *stored);
                e.nr = stored->nr;
            } else if (e.code == ICN_SOURCE) {
                if (const SourceSink* source = p.sources.at(e.nr)) e.nr = p.sources.add(*source)->nr;
            } else if (e.code == ICN_ZONE) {
                if (const Zone* zone = p.zones.at(e.nr)) e.nr = add_zone(p, *zone)->nr;
            } else if (e.code == ICN_NOTE) {
                if (const Annotation* note = p.notes.at(e.nr)) e.nr = p.notes.add(*note)->nr;
            } else {
                report_error(ERROR, {"Unrecognized icon: ", std::to_string(e.code)});
                continue;
            }
            break;
        }
        icons.push_back(e);
    }
    return icons;
}

// The phantom zones on the level above that stand for zones of the
// current level (or for none): counted as the question about them counts.
int dependent_phantoms(const Project& p, const SketchGrid& g, const std::unordered_set<std::int32_t>& zones)
{
    const Level* above = p.current_level ? p.current_level->above : nullptr;
    if (!above) return 0;
    int count = 0;
    for (const IconEntry& e : above->icons) {
        if (e.code != ICN_PHANTOM) continue;
        std::int32_t n = e.nr;
        if (n == ZONE_UNDEFINED && g.in_drawing(e.row, e.col)) {
            n = g.current().Zones(e.row, e.col);
            if (n == ZONE_UNDEFINED || n == ZONE_NONE) ++count;
        }
        if (zones.contains(n)) ++count;
    }
    return count;
}

// Frees what the current level's icons own; the icon list stays.
void free_level_records(SketchEditor& editor, Level& level)
{
    Project& p = editor.project();
    std::unordered_set<const Junction*> nodes;
    for (const IconEntry& e : level.icons)
        if (is_duct_node(e.code) && e.nr > 0)
            if (const Junction* j = p.junctions.at(e.nr)) nodes.insert(j);
    // Nodes of other levels whose duct leads down (or up) to one of these
    // lose that segment rather than keep a reference to a freed node.
    for (Junction& j : p.junctions) {
        if (nodes.contains(&j) || !j.duct) continue;
        if (nodes.contains(j.duct->junction_n) || nodes.contains(j.duct->junction_m)) {
            const std::int32_t segment = j.duct->nr;
            release_filter(p, j.duct->filter);
            j.duct = nullptr;
            p.ducts.release(segment);
        }
    }
    // A system's points may be on other levels: the icon deletion takes
    // them all. It works on the grid, which shows this level.
    std::vector<IconEntry> systems;
    for (const IconEntry& e : level.icons)
        if (e.code == ICN_AHS) systems.push_back(e);
    for (const IconEntry& e : systems) delete_simple_ahs(editor, e.row, e.col, Asking::Silent);
    store_current_level(p, editor.grid());
    for (const IconEntry& e : level.icons) {
        if (e.nr <= 0) continue;
        if (has_flag(e.code, CC_PATH_ICON) && e.code != ICN_AHS) {
            release_path_record(editor, e.nr);
        } else if (e.code == ICN_SOURCE) {
            release_source_record(editor, e.nr);
        } else if (e.code == ICN_ZONE) {
            release_zone(p, e.nr);
        } else if (e.code == ICN_NOTE) {
            release_note_record(editor, e.nr);
        } else if (is_duct_node(e.code)) {
            if (Junction* j = p.junctions.at(e.nr)) {
                if (j->duct) {
                    release_filter(p, j->duct->filter);
                    p.ducts.release(j->duct->nr);
                }
                release_filter(p, j->terminal.filter);
                p.junctions.release(e.nr);
            }
        } else if (has_flag(e.code, CC_DUCT_SEGMENT)) {
            if (DuctSegment* d = p.ducts.at(e.nr)) release_filter(p, d->filter);
            p.ducts.release(e.nr);
        }
    }
    level.icons.clear();
}

}  // namespace

std::string new_level_name(const Project& project)
{
    int levels = 0;
    for (const Level& level : project.levels) {
        (void)level;
        ++levels;
    }
    for (int n = levels + 1;; ++n) {
        std::string name = "<";
        name += std::to_string(n);
        name += '>';
        if (!level_name_used(project, name)) return name;
    }
}

void renumber_levels(Project& project)
{
    project.levels.adopt_order(level_stack(project));
    derive_level_elevations(project);
}

void insert_level_above(SketchEditor& editor)
{
    Project& p = editor.project();
    Level* current = p.current_level;
    if (!current) return;
    editor.level_copy = nullptr;
    insert_blank_level(editor, current, current->delHt);
    levels_restacked(editor);
}

void insert_level_below(SketchEditor& editor)
{
    Project& p = editor.project();
    Level* current = p.current_level;
    if (!current) return;
    editor.level_copy = nullptr;
    insert_blank_level(editor, current->below, current->delHt);
    levels_restacked(editor);
}

void copy_level(SketchEditor& editor)
{
    store_current_level(editor.project(), editor.grid());
    editor.level_copy = editor.project().current_level;
}

bool can_paste_level(const SketchEditor& editor) { return editor.level_copy != nullptr; }

bool paste_level(SketchEditor& editor, bool above)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Level* current = p.current_level;
    Level* source = editor.level_copy;
    if (!current || !source) {
        beep();
        return false;
    }
    store_current_level(p, g);
    Level& pasted = insert_blank_level(editor, above ? current : current->below, source->delHt);
    pasted.icons = pasted_icons(editor, *source);
    // Shown, the copy's zones are found (conflicts reported), its duct runs
    // spread, and then it is stored as the new level.
    show_level(g, &pasted, kCurrentLevel);
    levels_restacked(editor);
    return true;
}

bool delete_current_level(SketchEditor& editor, Asking asking)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Level* level = p.current_level;
    if (!level) return false;
    store_current_level(p, g);
    std::unordered_set<std::int32_t> zones;
    for (const IconEntry& e : level->icons)
        if (e.code == ICN_ZONE && e.nr > 0) zones.insert(e.nr);
    const int phantoms = dependent_phantoms(p, g, zones);
    if (asking == Asking::Interactive) {
        const std::string question = phantoms > 0
                                         ? "Delete this level and convert \nthe " + std::to_string(phantoms) +
                                               " phantom zone(s) above \nit to undefined zone(s)?"
                                         : "Delete current level '" + level->name + "'?";
        if (ask_question(question) != 1) return false;
    }
    if (phantoms > 0 && level->above) {
        for (IconEntry& e : level->above->icons) {
            if (e.code != ICN_PHANTOM) continue;
            if (e.nr == ZONE_UNDEFINED || zones.contains(e.nr)) {
                e.code = ICN_ZONE;
                e.nr = ZONE_UNDEFINED;
            }
        }
    }
    free_level_records(editor, *level);
    // What was copied or cut may belong to the level that goes.
    editor.clipboard.clear();
    editor.level_copy = nullptr;
    Level* next = level->below ? level->below : level->above;
    unlink(p, *level);
    // Nothing of the level may stay in the grid or be stored back into it.
    clear_level_cells(g, kCurrentLevel);
    clear_level_cells(g, kLevelBelow);
    p.current_level = nullptr;
    p.levels.release(level->nr);
    if (next) {
        goto_level(p, g, *next);
    } else {
        insert_blank_level(editor, nullptr, kDefaultLevelHeight);
    }
    levels_restacked(editor);
    return true;
}

}  // namespace avelor
