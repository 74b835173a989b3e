// A project drawn from text pictures, with a SketchEditor over it and
// dialogs that answer from queues, for the editing tests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_drawing.h"
#include "sketchpad/zone_detection.h"
#include "support/scripted_port.h"

namespace avelor::testing {

// Dialogs that answer from queues; an empty queue means Cancel.
class ScriptedDialogs final : public EditorDialogs {
public:
    bool area_delete_options(AreaDeleteForm& form) override
    {
        area_forms.push_back(form);
        if (area_answers.empty()) return false;
        AreaDeleteOptions answer = area_answers.front();
        area_answers.pop_front();
        // The level list as the form preselected it unless the test chose.
        if (answer.levels.empty()) answer.levels = form.options.levels;
        form.options = answer;
        return true;
    }
    bool delete_coordinates(CoordinatesForm& form) override
    {
        coordinate_forms.push_back(form);
        if (corners.empty()) return false;
        form.a = corners.front().first;
        form.b = corners.front().second;
        corners.pop_front();
        return true;
    }
    bool annotation(AnnotationForm& form) override
    {
        if (note_texts.empty()) return false;
        form.text = note_texts.front();
        note_texts.pop_front();
        return true;
    }
    bool property_sheet(const SheetRequest& request) override
    {
        sheets.push_back(request);
        return sheet_accepts;
    }
    bool zone_sheet(ZoneSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_zone) return property_sheet(request);
        sheets.push_back(request);
        return fill_zone(sheet);
    }
    bool path_sheet(PathSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_path) return property_sheet(request);
        sheets.push_back(request);
        return fill_path(sheet);
    }
    bool junction_sheet(JunctionSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_junction) return property_sheet(request);
        sheets.push_back(request);
        return fill_junction(sheet);
    }
    bool duct_segment_sheet(DuctSegmentSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_segment) return property_sheet(request);
        sheets.push_back(request);
        return fill_segment(sheet);
    }

    bool ahs_sheet(AhsSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_ahs) return property_sheet(request);
        sheets.push_back(request);
        return fill_ahs(sheet);
    }
    bool ahs_point_sheet(AhsPointSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_point) return property_sheet(request);
        sheets.push_back(request);
        return fill_point(sheet);
    }
    bool source_sheet(SourceSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_source) return property_sheet(request);
        sheets.push_back(request);
        return fill_source(sheet);
    }
    bool exposure_sheet(ExposureSheet& sheet, const SheetRequest& request) override
    {
        if (!fill_exposure) return property_sheet(request);
        sheets.push_back(request);
        return fill_exposure(sheet);
    }

    bool control_chooser(ControlTypeChooser& chooser, const SheetRequest& request) override
    {
        sheets.push_back(request);
        choosers.push_back(chooser);
        return fill_chooser ? fill_chooser(chooser) : false;
    }
    bool control_node_dialog(ControlNodeForm& form, const SheetRequest& request) override
    {
        sheets.push_back(request);
        return fill_control ? fill_control(form) : false;
    }
    bool sensor_dialog(SensorForm& form, const SheetRequest& request) override
    {
        sheets.push_back(request);
        return fill_sensor ? fill_sensor(form) : false;
    }
    int terminal_sensor_type(const SheetRequest& request) override
    {
        sheets.push_back(request);
        return terminal_answer;
    }
    bool phantom_dialog(PhantomForm& form, const SheetRequest& request) override
    {
        sheets.push_back(request);
        ++phantom_dialogs;
        return fill_phantom ? fill_phantom(form) : false;
    }
    bool super_node_dialog(SuperNodeForm& form, const SheetRequest& request) override
    {
        sheets.push_back(request);
        return fill_super ? fill_super(form) : false;
    }

    std::deque<AreaDeleteOptions> area_answers;
    std::vector<AreaDeleteForm> area_forms;
    std::deque<std::pair<GridCell, GridCell>> corners;
    std::vector<CoordinatesForm> coordinate_forms;
    std::deque<std::string> note_texts;
    std::vector<SheetRequest> sheets;
    bool sheet_accepts = false;
    // What the user does on the property sheets, when a test says.
    std::function<bool(ZoneSheet&)> fill_zone;
    std::function<bool(PathSheet&)> fill_path;
    std::function<bool(JunctionSheet&)> fill_junction;
    std::function<bool(DuctSegmentSheet&)> fill_segment;
    std::function<bool(AhsSheet&)> fill_ahs;
    std::function<bool(AhsPointSheet&)> fill_point;
    std::function<bool(SourceSheet&)> fill_source;
    std::function<bool(ExposureSheet&)> fill_exposure;
    // The control network's dialogs; unset ones cancel.
    std::vector<ControlTypeChooser> choosers;  // as each chooser opened
    std::function<bool(ControlTypeChooser&)> fill_chooser;
    std::function<bool(ControlNodeForm&)> fill_control;
    std::function<bool(SensorForm&)> fill_sensor;
    std::function<bool(PhantomForm&)> fill_phantom;
    std::function<bool(SuperNodeForm&)> fill_super;
    int terminal_answer = 0;
    int phantom_dialogs = 0;
};

// Levels drawn from pictures (lowest first, all of one size); the lowest
// level is shown afterwards and the project counts as saved. Every zone
// number and path number drawn gets a record on its level.
class EditFixture {
public:
    ScriptedPort port;
    EditorSession session;
    ScriptedDialogs dialogs;
    SketchEditor editor{session, dialogs};

    Project& project() { return session.project(); }
    SketchGrid& grid() { return session.grid; }
    LevelCells& cells() { return session.grid.current(); }
    std::vector<Level*> levels;

    void build(const std::vector<Plan>& plans)
    {
        Project& p = project();
        p.rc.rows = static_cast<std::int16_t>(plans.at(0).walls.size());
        p.rc.cols = static_cast<std::int16_t>(plans.at(0).walls.at(0).size());
        Level* below = nullptr;
        for (std::size_t i = 0; i < plans.size(); ++i) {
            Level level;
            level.name = "L" + std::to_string(i + 1);
            level.delHt = 3;
            Level* stored = p.levels.add(level);
            stored->below = below;
            if (below) below->above = stored;
            if (!p.lowest_level) p.lowest_level = stored;
            p.top_level = stored;
            levels.push_back(stored);
            below = stored;
        }
        prepare_sketchpad(session);
        ASSERT_TRUE(grid().allocated());
        for (std::size_t i = 0; i < plans.size(); ++i) {
            goto_level(p, grid(), *levels[i]);
            draw_plan(grid(), plans[i]);
            add_records(plans[i].walls, levels[i]);
            store_level_icons(grid(), *levels[i]);
        }
        goto_level(p, grid(), *levels.front());
        p.mark_saved();
        port.boxes.clear();
    }

    void at(int row, int col) { grid().cursor = {row, col}; }

    // A stroke of a drawing tool as the window draws it: a click at start,
    // the arrow keys of moves (N, E, S, W), a second click; the second
    // click's result.
    int stroke(DrawingTool tool, GridCell start, std::string_view moves)
    {
        if (editor.tool != tool) editor.toggle_tool(tool);
        at(start.row, start.col);
        run(EditAction::LeftClick);
        for (char m : moves) {
            EditCommand c;
            c.action = EditAction::StepCursor;
            c.direction = m == 'N' ? 1 : m == 'E' ? 2 : m == 'S' ? 4 : 8;
            editor.apply(c);
        }
        return run(EditAction::LeftClick).result;
    }

    // Runs one command the way the window does.
    EditOutcome run(EditAction action)
    {
        EditCommand c;
        c.action = action;
        return editor.apply(c);
    }

private:
    void add_records(const Picture& picture, Level* level)
    {
        for (const std::string& row : picture)
            for (char ch : row) {
                if (ch >= '1' && ch <= '9') zone_numbers.insert(ch - '0');
                if (ch >= 'A' && ch <= 'I') path_numbers.insert(ch - 'A' + 1);
            }
        Project& p = project();
        while (p.zones.count() < (zone_numbers.empty() ? 0 : *zone_numbers.rbegin())) {
            Zone z = new_zone(p);
            z.name = std::to_string(p.zones.count() + 1);
            z.name.insert(z.name.begin(), 'Z');
            Zone* stored = add_zone(p, z);
            stored->level = level;
        }
        while (p.paths.count() < (path_numbers.empty() ? 0 : *path_numbers.rbegin())) {
            FlowPath path;
            path.icn = 23;
            FlowPath* stored = add_path(p, path);
            stored->level = level;
        }
    }
    std::set<int> zone_numbers;
    std::set<int> path_numbers;
};

}  // namespace avelor::testing
