#include "forms/area_delete_form.h"

#include "model/project.h"

namespace avelor {

void AreaDeleteForm::set_walls(bool on)
{
    options.walls = on;
    if (on) options.zones = true;
}

void AreaDeleteForm::set_simple_ahs(bool on)
{
    options.simple_ahs = on;
    if (on) options.supplies = options.returns = true;
}

void AreaDeleteForm::select_all_icons()
{
    AreaDeleteOptions& o = options;
    o.walls = o.zones = o.paths = o.simple_ahs = o.supplies = o.returns = true;
    o.ducts = o.sources = o.occupants = o.controls = o.notes = true;
}

void AreaDeleteForm::select_all_levels()
{
    options.levels.clear();
    for (const LevelRow& row : level_rows) options.levels.push_back(row.level);
}

AreaDeleteForm make_area_delete_form(const Project& project, const AreaDeleteOptions& kept)
{
    AreaDeleteForm form;
    form.options = kept;
    form.options.levels.clear();
    for (const Level* level = project.top_level; level; level = level->below) {
        std::string number = std::to_string(level->nr);
        if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');
        number += ' ';
        std::string name = level->name;
        if (name.size() < 15) name.insert(0, 15 - name.size(), ' ');
        form.level_rows.push_back({level->nr, number + name});
    }
    if (project.current_level) form.options.levels.push_back(project.current_level->nr);
    return form;
}

}  // namespace avelor
