#include "forms/project_config_form.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "app/diagnostics.h"
#include "model/project.h"
#include "model/units.h"

namespace avelor {

namespace {

constexpr std::size_t kTooManyCharacters = 20;

// The default temperature range the program accepts anywhere for new zones.
constexpr float kLowestDefaultT = 286.05f;
constexpr float kHighestDefaultT = 306.25f;

std::string_view trim_blanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Blanks, an optional sign and decimal digits, within the range of int.
std::optional<int> parse_typed_integer(std::string_view text)
{
    std::string_view s = trim_blanks(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    long long value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

bool IntegerField::validate(std::string_view text, int lower, int upper)
{
    if (text.size() >= kTooManyCharacters) {
        show_message(WARNING, {"There are too many digits in this number."});
        return refuse();
    }
    const std::optional<int> typed = parse_typed_integer(text);
    if (!typed) {
        // One piece: an empty text would end the pieces early.
        show_message(WARNING, {"Not a valid integer: \"" + std::string(text) + "\""});
        return refuse();
    }
    if (*typed < lower) {
        show_message(WARNING, {"Value must not be less than ", std::to_string(lower), "."});
        return refuse();
    }
    if (*typed > upper) {
        show_message(WARNING, {"Value must not be greater than ", std::to_string(upper), "."});
        return refuse();
    }
    value_ = *typed;
    shown_ = std::to_string(value_);
    return true;
}

bool IntegerField::refuse()
{
    shown_ = std::to_string(value_);
    return false;
}

namespace {

ProjectSettings settings_of(const RunControl& rc)
{
    ProjectSettings s;
    s.ud = rc.ud;
    s.uf = rc.uf;
    s.T = rc.T;
    s.uT = rc.uT;
    s.rows = rc.rows;
    s.cols = rc.cols;
    s.scale = rc.scale;
    s.us = rc.us;
    s.orgRow = rc.orgRow;
    s.orgCol = rc.orgCol;
    s.invYaxis = rc.invYaxis != 0;
    s.showGeom = rc.showGeom != 0;
    return s;
}

}  // namespace

ProjectConfigForm::ProjectConfigForm(Project& project, SketchGrid& grid)
    : project_(&project),
      grid_(&grid),
      working_(settings_of(project.rc)),
      width_(working_.cols),
      height_(working_.rows),
      origin_col_(working_.orgCol),
      origin_row_(working_.orgRow),
      temperature_unit_(UnitKind::Temperature, working_.T, working_.uT),
      temperature_(working_.T, UnitKind::Temperature, working_.uT, kLowestDefaultT, kHighestDefaultT),
      length_unit_(UnitKind::Length, working_.scale, working_.us),
      scale_(working_.scale, UnitKind::Length, working_.us, 0.0f)
{
    store_current_level(project, grid);
    for (const Level& level : project.levels) {
        for (const IconEntry& icon : level.icons) {
            largest_row_ = std::max<int>(largest_row_, icon.row);
            largest_col_ = std::max<int>(largest_col_, icon.col);
        }
    }
}

std::span<const std::string> ProjectConfigForm::flow_unit_names() const
{
    return unit_display_names(UnitKind::MassFlow);
}

void ProjectConfigForm::set_flow_unit(int index)
{
    if (unit_index_valid(UnitKind::MassFlow, index)) working_.uf = static_cast<std::int16_t>(index);
}

bool ProjectConfigForm::select_temperature_unit(int index)
{
    if (!temperature_unit_.select(index)) return false;
    temperature_.set_unit(index);
    return true;
}

bool ProjectConfigForm::select_length_unit(int index)
{
    if (!length_unit_.select(index)) return false;
    scale_.set_unit(index);
    return true;
}

// A drawing may not shrink over what it holds: five cells beyond the
// largest row and column an icon uses, once those pass the smallest size.
// The origin only has to stay inside the border; a margin of five around
// it would refuse a new project its own size (its origin row is 56 of 58).
int ProjectConfigForm::min_width() const
{
    const int icons = largest_col_ > kMinSketchCols - 5 ? largest_col_ + 5 : kMinSketchCols;
    return std::max(icons, project_->rc.orgCol + 2);
}

int ProjectConfigForm::min_height() const
{
    const int icons = largest_row_ > kMinSketchRows - 5 ? largest_row_ + 5 : kMinSketchRows;
    return std::max(icons, project_->rc.orgRow + 2);
}

int ProjectConfigForm::max_width() const
{
    return static_cast<int>(
        std::min<std::int64_t>(kMaxSketchSide, kMaxSketchCells / std::max(1, working_.rows)));
}

int ProjectConfigForm::max_height() const
{
    return static_cast<int>(
        std::min<std::int64_t>(kMaxSketchSide, kMaxSketchCells / std::max(1, working_.cols)));
}

bool ProjectConfigForm::leave_width(std::string_view text)
{
    if (!width_.validate(text, min_width(), max_width())) return false;
    working_.cols = width_.value();
    return true;
}

bool ProjectConfigForm::leave_height(std::string_view text)
{
    if (!height_.validate(text, min_height(), max_height())) return false;
    working_.rows = height_.value();
    return true;
}

std::string ProjectConfigForm::width_extent() const
{
    const float metres = static_cast<float>(working_.cols) * working_.scale;
    return format_number(convert_units(metres, true, UnitKind::Length, working_.us), 0);
}

std::string ProjectConfigForm::height_extent() const
{
    const float metres = static_cast<float>(working_.rows) * working_.scale;
    return format_number(convert_units(metres, true, UnitKind::Length, working_.us), 0);
}

bool ProjectConfigForm::leave_origin_column(std::string_view text)
{
    if (!origin_col_.validate(text, 1, working_.cols - 2)) return false;
    working_.orgCol = origin_col_.value();
    return true;
}

bool ProjectConfigForm::leave_origin_row(std::string_view text)
{
    if (!origin_row_.validate(text, 1, working_.rows - 2)) return false;
    working_.orgRow = origin_row_.value();
    return true;
}

FormAnswer<ConfigField> ProjectConfigForm::leave_dimensions_page()
{
    if (working_.orgCol > working_.cols - 1) {
        const std::string text = "Origin Column is not on the SketchPad.";
        show_message(ERROR, {text});
        return FormAnswer<ConfigField>::refused(ERROR, text, ConfigField::OriginColumn);
    }
    if (working_.orgRow > working_.rows - 1) {
        const std::string text = "Origin Row is not on the SketchPad.";
        show_message(ERROR, {text});
        return FormAnswer<ConfigField>::refused(ERROR, text, ConfigField::OriginRow);
    }
    return FormAnswer<ConfigField>::ok();
}

FormAnswer<ConfigField> ProjectConfigForm::accept()
{
    FormAnswer<ConfigField> page = leave_dimensions_page();
    if (!page.accepted) return page;

    Project& project = *project_;
    SketchGrid& grid = *grid_;
    RunControl& rc = project.rc;
    Level* current = project.current_level;
    store_current_level(project, grid);
    const bool resize = working_.rows != rc.rows || working_.cols != rc.cols;
    if (resize) {
        const int old_rows = grid.allocated() ? grid.rows() : rc.rows;
        const int old_cols = grid.allocated() ? grid.cols() : rc.cols;
        if (!resize_sketch_arrays(grid, project, working_.rows, working_.cols))
            return FormAnswer<ConfigField>::refused(
                ERROR, resize_refusal_text(working_.rows, working_.cols, old_rows, old_cols),
                ConfigField::Width);
    }
    rc.scale = working_.scale;
    rc.us = working_.us;
    rc.orgRow = static_cast<std::int16_t>(working_.orgRow);
    rc.orgCol = static_cast<std::int16_t>(working_.orgCol);
    rc.invYaxis = working_.invYaxis ? 1 : 0;
    rc.showGeom = working_.showGeom ? 1 : 0;
    // A resize has shown both levels already.
    if (!resize && grid.allocated()) {
        show_level(grid, current ? current->below : nullptr, kLevelBelow);
        show_level(grid, current, kCurrentLevel);
    }
    const float old_T = rc.T;
    rc.ud = working_.ud;
    rc.uf = working_.uf;
    rc.T = working_.T;
    rc.uT = working_.uT;
    apply_temperature(old_T);
    project.mark_changed();
    return FormAnswer<ConfigField>::ok();
}

void ProjectConfigForm::apply_temperature(float old_T)
{
    Project& project = *project_;
    const float T = project.rc.T;
    if (T == old_T) return;
    if (project.zones.head() && ask_question("Reset temperatures for existing zones?") == 1)
        for (Zone& zone : project.zones) zone.T0 = T;
    bool junctions = false;
    bool terminals = false;
    for (const Junction& j : project.junctions) (j.t == 0 ? junctions : terminals) = true;
    if (junctions && ask_question("Reset temperatures for existing junctions?") == 1)
        for (Junction& j : project.junctions)
            if (j.t == 0) j.T0 = T;
    if (terminals && ask_question("Reset temperatures for existing terminals?") == 1)
        for (Junction& j : project.junctions)
            if (j.t != 0) j.T0 = T;
}

}  // namespace avelor
