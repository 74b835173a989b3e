#include "forms/level_data_form.h"

#include <algorithm>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/units.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

namespace {

constexpr std::size_t kLevelNameLimit = 15;
constexpr float kLowestElevation = -998;  // m
constexpr float kLeastHeight = 0.1f;      // m

float shown(float metres, int unit) { return convert_units(metres, true, UnitKind::Length, unit); }
float metres(float shown_value, int unit) { return convert_units(shown_value, false, UnitKind::Length, unit); }

}  // namespace

LevelDataForm::LevelDataForm(Project& project) : project_(project)
{
    unit_ = project.current_level ? project.current_level->u[0] : project.rc.us;
    if (!unit_index_valid(UnitKind::Length, unit_)) unit_ = 0;
    const std::vector<Level*> levels = top_first();
    const auto at = std::find(levels.begin(), levels.end(), project.current_level);
    select(at == levels.end() ? 0 : static_cast<int>(at - levels.begin()));
}

std::vector<Level*> LevelDataForm::top_first() const
{
    std::vector<Level*> levels;
    for (Level* level = project_.top_level; level; level = level->below) levels.push_back(level);
    return levels;
}

std::vector<std::string> LevelDataForm::rows() const
{
    std::vector<std::string> rows;
    for (const Level* level : top_first()) {
        const std::string elevation = format_text("%.1f", static_cast<double>(shown(level->refHt, unit_)));
        const std::string height = format_text("%.2f", static_cast<double>(shown(level->delHt, unit_)));
        rows.push_back(format_text("%3d %15s %9s %9s", level->nr, level->name.c_str(), elevation.c_str(),
                                   height.c_str()));
    }
    return rows;
}

void LevelDataForm::select(int row)
{
    const std::vector<Level*> levels = top_first();
    if (levels.empty()) return;
    selected_ = std::clamp(row, 0, static_cast<int>(levels.size()) - 1);
    const Level* level = levels[static_cast<std::size_t>(selected_)];
    name_ = level->name;
    elevation_ = level->refHt;
    height_ = level->delHt;
}

Level* LevelDataForm::selected_level() const
{
    const std::vector<Level*> levels = top_first();
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= levels.size()) return nullptr;
    return levels[static_cast<std::size_t>(selected_)];
}

float LevelDataForm::elevation_shown() const { return shown(elevation_, unit_); }
float LevelDataForm::height_shown() const { return shown(height_, unit_); }

bool LevelDataForm::elevation_editable() const
{
    const Level* level = selected_level();
    return level && level == project_.lowest_level;
}

bool LevelDataForm::set_name(std::string_view text)
{
    std::string name(text.substr(0, kLevelNameLimit));
    const Level* level = selected_level();
    if (name.find_first_not_of(' ') != std::string::npos) {
        for (const Level& other : project_.levels) {
            if (&other != level && other.name == name) {
                report_error(ERROR, {"Level name may not match another level name"});
                if (level) name_ = level->name;
                return false;
            }
        }
    }
    name_ = std::move(name);
    return true;
}

bool LevelDataForm::set_elevation(float value)
{
    if (!elevation_editable()) return false;
    const float m = metres(value, unit_);
    if (m < kLowestElevation) {
        show_message(WARNING, {"The elevation may not be below ",
                               format_text("%g", static_cast<double>(shown(kLowestElevation, unit_))), " ",
                               unit_display_name(UnitKind::Length, unit_)});
        return false;
    }
    elevation_ = m;
    return true;
}

bool LevelDataForm::set_height(float value)
{
    const float m = metres(value, unit_);
    if (m < kLeastHeight) {
        show_message(WARNING, {"The distance to the level above may not be below ",
                               format_text("%g", static_cast<double>(shown(kLeastHeight, unit_))), " ",
                               unit_display_name(UnitKind::Length, unit_)});
        return false;
    }
    height_ = m;
    return true;
}

void LevelDataForm::set_unit(int unit)
{
    if (unit_index_valid(UnitKind::Length, unit)) unit_ = unit;
}

bool LevelDataForm::replace()
{
    Level* level = selected_level();
    if (!level) return false;
    bool changed = false;
    if (height_ != level->delHt && level->delHt > 0) {
        const std::string question =
            format_text("Adjust zone volumes on level %s based on new level height of %g %s?", level->name.c_str(),
                        static_cast<double>(shown(height_, unit_)), unit_display_name(UnitKind::Length, unit_).c_str());
        if (ask_question(question) == 1) {
            const double ratio = static_cast<double>(height_) / static_cast<double>(level->delHt);
            int phantoms = 0;
            for (const IconEntry& e : level->icons) {
                if (e.code == ICN_PHANTOM) ++phantoms;
                if (e.code != ICN_ZONE || e.nr <= 0) continue;
                if (Zone* zone = project_.zones.at(e.nr))
                    zone->Vol = static_cast<float>(static_cast<double>(zone->Vol) * ratio);
            }
            if (phantoms > 0)
                show_message(NOTE, {format_text("Volumes not adjusted of %d phantom zones found on this level.", phantoms),
                                    "\nVolumes of zones referenced by phantom zones must be adjusted individually."});
        }
    }
    if (height_ != level->delHt || (elevation_editable() && elevation_ != level->refHt)) {
        level->delHt = height_;
        if (level == project_.lowest_level) level->refHt = elevation_;
        derive_level_elevations(project_);
        changed = true;
    }
    if (name_ != level->name) {
        level->name = name_;
        changed = true;
    }
    if (changed) project_.mark_changed();
    select(selected_);
    return changed;
}

void LevelDataForm::go_to(SketchGrid& grid) const
{
    if (Level* level = selected_level()) goto_level(project_, grid, *level);
}

}  // namespace avelor
