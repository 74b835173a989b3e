// "Project Configuration Properties": the project's units and the
// SketchPad's size and geometry, as a form without the widgets.
//
// The two pages ("Units" and "SketchPad Dimensions") edit a working copy.
// Fields are checked as they lose the focus, the dimensions page when it is
// left, and accept() applies everything at once: a new size is taken (the
// drawing is kept), the geometry and units take effect, the levels are
// shown again, and a changed default temperature may be given to the
// existing zones, junctions and terminals. Applying the same values twice
// changes nothing the second time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "forms/form_answer.h"
#include "model/unit_field.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

enum class ConfigField {
    UnitSystem,
    FlowUnit,
    Temperature,
    Width,
    Height,
    Scale,
    OriginColumn,
    OriginRow,
};

// An edit field over a whole number. What the field accepts is given when
// it loses the focus, since bounds may follow other fields.
class IntegerField {
public:
    explicit IntegerField(int value) : value_(value), shown_(std::to_string(value)) {}

    int value() const { return value_; }
    const std::string& shown_text() const { return shown_; }

    // Accepted: the value is taken and shown. Refused: a WARNING box says
    // why ("Not a valid integer: ", "Value must not be less than %d." ...)
    // and the field shows its value again.
    bool validate(std::string_view text, int lower, int upper);

private:
    bool refuse();

    int value_;
    std::string shown_;
};

// The values the sheet edits, in the project's own units.
struct ProjectSettings {
    std::int16_t ud = 0;  // 0 SI, 1 IP
    std::int16_t uf = 0;  // flow unit index
    float T = 293.15f;    // default zone and junction temperature, K
    std::int16_t uT = 2;
    int rows = kMinSketchRows;
    int cols = kMinSketchCols;
    float scale = 1;  // m per cell
    std::int16_t us = 0;
    int orgRow = 1;
    int orgCol = 1;
    bool invYaxis = false;
    bool showGeom = false;
};

class ProjectConfigForm {
public:
    static constexpr std::string_view kCaption = "Project Configuration Properties";
    static constexpr std::string_view kPseudoGeometryCaption = "Show Pseudo-Geometry ";
    static constexpr std::string_view kInvertYCaption = "Invert Y-axis";

    // Opening stores the current level, so that the largest row and column
    // in use are taken from every level as it stands.
    ProjectConfigForm(Project& project, SketchGrid& grid);
    ProjectConfigForm(const ProjectConfigForm&) = delete;
    ProjectConfigForm& operator=(const ProjectConfigForm&) = delete;

    const ProjectSettings& working() const { return working_; }

    // "Units".
    void set_unit_system(int system) { working_.ud = static_cast<std::int16_t>(system == 0 ? 0 : 1); }
    std::span<const std::string> flow_unit_names() const;
    void set_flow_unit(int index);
    const UnitSelector& temperature_unit() const { return temperature_unit_; }
    const UnitField& temperature() const { return temperature_; }
    bool select_temperature_unit(int index);
    bool leave_temperature(std::string_view text) { return temperature_.validate(text); }

    // "SketchPad Dimensions".
    const IntegerField& width() const { return width_; }
    const IntegerField& height() const { return height_; }
    int min_width() const;
    int max_width() const;
    int min_height() const;
    int max_height() const;
    bool leave_width(std::string_view text);
    bool leave_height(std::string_view text);
    // Width and height times the scale, in the chosen length unit.
    std::string width_extent() const;
    std::string height_extent() const;
    const UnitSelector& length_unit() const { return length_unit_; }
    const UnitField& scale() const { return scale_; }
    bool select_length_unit(int index);
    bool leave_scale(std::string_view text) { return scale_.validate(text); }
    const IntegerField& origin_column() const { return origin_col_; }
    const IntegerField& origin_row() const { return origin_row_; }
    bool leave_origin_column(std::string_view text);
    bool leave_origin_row(std::string_view text);
    void set_show_geometry(bool on) { working_.showGeom = on; }
    void set_invert_y(bool on) { working_.invYaxis = on; }

    // Leaving "SketchPad Dimensions": the origin must lie on the grid of the
    // chosen size ("Origin Column is not on the SketchPad.", ERROR box).
    FormAnswer<ConfigField> leave_dimensions_page();

    // OK: the page check, then everything is applied. A size the memory
    // cannot hold is refused and the old size stays.
    FormAnswer<ConfigField> accept();

private:
    void apply_temperature(float old_T);

    Project* project_;
    SketchGrid* grid_;
    ProjectSettings working_;
    int largest_row_ = 0;
    int largest_col_ = 0;
    IntegerField width_;
    IntegerField height_;
    IntegerField origin_col_;
    IntegerField origin_row_;
    UnitSelector temperature_unit_;
    UnitField temperature_;
    UnitSelector length_unit_;
    UnitField scale_;
};

}  // namespace avelor
