// "Level Data": the list of levels, top first, and the name, elevation and
// height of the selected one in a chosen length unit. "<< Replace <<"
// applies the edited values to the selected level; "Go To Level" makes it
// current.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace avelor {

class Project;
class SketchGrid;
struct Level;

class LevelDataForm {
public:
    explicit LevelDataForm(Project& project);

    // One row per level, top first: "%3d %15s %9s %9s" (number, name,
    // elevation "%.1f" and height "%.2f" in the chosen unit).
    std::vector<std::string> rows() const;
    // The selected row (the current level's when the dialog opens).
    int selected() const { return selected_; }
    // Selects a row and shows its level's values.
    void select(int row);
    Level* selected_level() const;

    // The fields, as shown.
    const std::string& name() const { return name_; }
    float elevation_shown() const;
    float height_shown() const;
    int unit() const { return unit_; }
    // Only the lowest level's elevation is entered; the others follow.
    bool elevation_editable() const;

    // The name field lost the focus: a non-blank name another level has is
    // refused ("Level name may not match another level name") and the old
    // name comes back. At most 15 characters are kept.
    bool set_name(std::string_view text);
    // Values in the chosen unit: the elevation not below -998 m, the height
    // not below 0.1 m; a value out of range is refused with a message.
    bool set_elevation(float shown);
    bool set_height(float shown);
    // "Units:": the unit both values are shown in.
    void set_unit(int unit);

    // "<< Replace <<": a changed height may scale the zone volumes of the
    // level (asked), elevation and height are stored and the elevations
    // derived again, the name stored; the project is marked changed. True
    // when something changed.
    bool replace();

    // "Go To Level": the selected level becomes current. The grid shows it.
    void go_to(SketchGrid& grid) const;

private:
    std::vector<Level*> top_first() const;

    Project& project_;
    int selected_ = 0;
    std::string name_;
    float elevation_ = 0;  // m
    float height_ = 3;     // m
    int unit_ = 0;
};

}  // namespace avelor
