#include "forms/duct_segment_sheet.h"

#include <optional>
#include <utility>

#include "app/diagnostics.h"
#include "model/cell_codes.h"
#include "model/duct_rules.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "sketchpad/palette.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

// Directions in the path codes.
constexpr std::uint8_t kNorthward = 1, kEastward = 2, kUpward = 3, kSouthward = 4, kWestward = 5, kDownward = 6;

std::string shown(double value) { return format_number(value, 1, 6); }

std::string with_unit(double base, UnitKind kind, int unit)
{
    const int index = unit_index_valid(kind, unit) ? unit : 0;
    return shown(convert_units(static_cast<float>(base), true, kind, index)) + " " + unit_display_name(kind, index);
}

// Nine significant digits carry any float through the text unchanged.
bool set_value(float& value, double shown_value, UnitKind kind, int unit, float lower = NO_LIMIT)
{
    UnitField field(value, kind, unit_index_valid(kind, unit) ? unit : 0, lower);
    return field.validate(format_number(shown_value, 1, 9));
}

}  // namespace

std::uint8_t segment_icon_for(std::uint8_t dir)
{
    switch (dir) {
    case kNorthward: return ICN_SEGMENT_N;
    case kEastward: return ICN_SEGMENT_E;
    case kSouthward: return ICN_SEGMENT_S;
    case kWestward: return ICN_SEGMENT_W;
    default: return 0;
    }
}

std::uint8_t segment_dir_of_icon(std::uint8_t code)
{
    switch (code) {
    case ICN_SEGMENT_N: return kNorthward;
    case ICN_SEGMENT_E: return kEastward;
    case ICN_SEGMENT_S: return kSouthward;
    case ICN_SEGMENT_W: return kWestward;
    default: return 0;
    }
}

SegmentRun segment_run_at(const SketchGrid& grid, GridCell cell)
{
    if (!grid.in_drawing(cell.row, cell.col)) return SegmentRun::Horizontal;
    const std::uint16_t bits = direction_bits(grid.current().Ducts(cell.row, cell.col));
    return bits == (CC_DIR_N | CC_DIR_S) ? SegmentRun::Vertical : SegmentRun::Horizontal;
}

DuctSegment new_duct_segment(const Project& project, SegmentRun run)
{
    DuctSegment segment;
    switch (run) {
    case SegmentRun::Vertical: segment.dir = kNorthward; break;
    case SegmentRun::Horizontal: segment.dir = kEastward; break;
    case SegmentRun::Downward: segment.dir = kUpward; break;
    }
    segment.clr = -1;
    const std::int16_t system = project.rc.ud != 0 ? 1 : 0;
    segment.u = {system, system};
    return segment;
}

// --- the sheet -------------------------------------------------------------

DuctSegmentSheet::DuctSegmentSheet(Project& project, SketchGrid& grid, GridCell cell, const DuctSegment& working,
                                   std::int32_t number)
    : project_(project),
      grid_(&grid),
      cell_(cell),
      segment_(working),
      filter_(project, working.filter),
      number_(number),
      run_(segment_run_at(grid, cell)),
      schedule_(SchedulePage::make(project, UnitKind::Dimensionless, working.cdvf, working.schedule,
                                   working.control != nullptr))
{
}

DuctSegmentSheet::DuctSegmentSheet(Project& project, const DuctSegment& working, std::int32_t number)
    : project_(project),
      segment_(working),
      filter_(project, working.filter),
      number_(number),
      run_(SegmentRun::Downward),
      schedule_(SchedulePage::make(project, UnitKind::Dimensionless, working.cdvf, working.schedule,
                                   working.control != nullptr))
{
}

SegmentSheetVerdict DuctSegmentSheet::refuse(int severity, std::string text, SegmentPage page, std::string focus)
{
    show_message(severity, {text});
    SegmentSheetVerdict v;
    v.accepted = false;
    v.severity = severity;
    v.text = std::move(text);
    v.page = page;
    v.focus = std::move(focus);
    return v;
}

// Duct Element page.

std::vector<DuctElement*> DuctSegmentSheet::element_choices() const
{
    std::vector<DuctElement*> out;
    for (DuctElement& e : project_.duct_elements) out.push_back(&e);
    return out;
}

std::string DuctSegmentSheet::element_text() const
{
    return segment_.element ? segment_.element->name : std::string(" <required>");
}

std::string DuctSegmentSheet::element_description() const
{
    return segment_.element ? segment_.element->desc : std::string();
}

std::vector<std::string> DuctSegmentSheet::element_summary() const
{
    return segment_.element ? duct_summary_lines(*segment_.element) : std::vector<std::string>{};
}

void DuctSegmentSheet::choose_element(DuctElement* element)
{
    if (element) segment_.element = element;
}

// Duct Segment page.

std::array<std::uint8_t, 2> DuctSegmentSheet::directions() const
{
    switch (run_) {
    case SegmentRun::Vertical: return {kNorthward, kSouthward};
    case SegmentRun::Horizontal: return {kEastward, kWestward};
    case SegmentRun::Downward: return {kUpward, kDownward};
    }
    return {kNorthward, kSouthward};
}

std::array<std::string, 2> DuctSegmentSheet::direction_captions() const
{
    switch (run_) {
    case SegmentRun::Vertical: return {"Northward", "Southward"};
    case SegmentRun::Horizontal: return {"Eastward", "Westward"};
    case SegmentRun::Downward: return {"Upward (from the level below)", "Downward (to the level below)"};
    }
    return {};
}

void DuctSegmentSheet::set_direction_choice(int choice)
{
    if (choice == 0 || choice == 1) segment_.dir = directions()[static_cast<std::size_t>(choice)];
}

bool DuctSegmentSheet::set_length(double shown_value)
{
    return set_value(segment_.len, shown_value, UnitKind::Length, length_unit(), 0.0f);
}

double DuctSegmentSheet::length_shown() const
{
    const int unit = unit_index_valid(UnitKind::Length, length_unit()) ? length_unit() : 0;
    return convert_units(segment_.len, true, UnitKind::Length, unit);
}

void DuctSegmentSheet::set_length_unit(int unit)
{
    if (unit_index_valid(UnitKind::Length, unit)) segment_.u[kSegmentUnitLength] = static_cast<std::int16_t>(unit);
}

bool DuctSegmentSheet::loss_coefficients_enabled() const { return segment_takes_loss_coefficients(segment_.element); }

bool DuctSegmentSheet::set_loss_coefficients(double value)
{
    if (!loss_coefficients_enabled()) return false;
    return set_value(segment_.sllc, value, UnitKind::Dimensionless, 0, 0.0f);
}

std::string DuctSegmentSheet::loss_coefficients_text() const
{
    return loss_coefficients_enabled() ? shown(segment_.sllc) : std::string(" N/A");
}

std::vector<std::string> DuctSegmentSheet::derived_lines() const
{
    if (!segment_.element) return {};
    const DuctSegmentValues v = duct_segment_values(*segment_.element, segment_.len, segment_.sllc);
    const int unit = area_unit();
    std::vector<std::string> lines{
        "Volume: " + with_unit(v.volume, UnitKind::Volume, unit),
        "Surface area: " + with_unit(v.surface, UnitKind::Area, unit),
        "Flow area: " + with_unit(v.flow_area, UnitKind::Area, unit),
        "Leakage coefficient: " + shown(v.leak_coef),
        "Leakage class (IP): " + shown(v.leak_class_ip),
    };
    if (segment_.element->type == kDctDwc) lines.push_back("Laminar coefficient: " + shown(v.lam));
    return lines;
}

void DuctSegmentSheet::set_area_unit(int unit)
{
    if (unit_index_valid(UnitKind::Area, unit) && unit_index_valid(UnitKind::Volume, unit))
        segment_.u[kSegmentUnitArea] = static_cast<std::int16_t>(unit);
}

bool DuctSegmentSheet::set_colour(int index)
{
    if (index < -1 || index >= kSketchColourCount) return false;
    segment_.clr = static_cast<std::int16_t>(index);
    return true;
}

// Filter page.

bool DuctSegmentSheet::delete_filter()
{
    if (!filter_.remove()) return false;
    segment_.filter = nullptr;
    return true;
}

void DuctSegmentSheet::store_filter(const Filter& filter)
{
    filter_.store(filter);
}

// Page checks and OK.

SegmentSheetVerdict DuctSegmentSheet::leave_page(SegmentPage page)
{
    switch (page) {
    case SegmentPage::Element:
        if (!segment_.element) {
            check_segment_element(nullptr, segment_.len, segment_.sllc);  // shows the WARNING
            SegmentSheetVerdict v;
            v.accepted = false;
            v.severity = WARNING;
            v.page = page;
            v.focus = "element";
            return v;
        }
        break;
    case SegmentPage::Segment:
        // The length rule needs the element; without one the element page
        // says so.
        if (segment_.element && !check_segment_element(segment_.element, segment_.len, segment_.sllc)) {
            SegmentSheetVerdict v;
            v.accepted = false;
            v.severity = WARNING;
            v.page = page;
            v.focus = "length";
            return v;
        }
        break;
    case SegmentPage::Schedule:
        if (std::optional<std::string> refusal = schedule_.leave()) {
            SegmentSheetVerdict v;
            v.accepted = false;
            v.severity = ERROR;
            v.text = *refusal;
            v.page = page;
            v.focus = "column";
            return v;
        }
        break;
    case SegmentPage::Filter: break;
    }
    return {};
}

SegmentSheetVerdict DuctSegmentSheet::accept()
{
    if (accepted_) return {};
    for (SegmentPage page : {SegmentPage::Element, SegmentPage::Segment, SegmentPage::Schedule, SegmentPage::Filter}) {
        SegmentSheetVerdict v = leave_page(page);
        if (!v) return v;
    }
    segment_.cdvf = schedule_.cdvf;
    segment_.schedule = schedule_.chosen();
    if (grid_) store();
    accepted_ = true;
    return {};
}

void DuctSegmentSheet::store()
{
    LevelCells& cells = grid_->current();
    segment_.filter = filter_.commit();
    if (number_ == 0) {
        const DuctSegment* stored = project_.ducts.add(segment_);
        number_ = stored->nr;
    } else {
        project_.ducts.put(number_, segment_);
    }
    cells.Paths(cell_.row, cell_.col) = number_;
    if (const std::uint8_t icon = segment_icon_for(segment_.dir)) cells.Ducts(cell_.row, cell_.col) = icon;
    spread_segment_number(*grid_, kCurrentLevel, cell_.row, cell_.col);
    relink_duct_segment(project_, *grid_, cell_.row, cell_.col);
    if (const DuctSegment* stored = project_.ducts.at(number_)) segment_ = *stored;
    grid_->Scolors(cell_.row, cell_.col) = grid_->colours.background;
    project_.mark_changed();
}

// --- entry points -----------------------------------------------------------

namespace {

int run_sheet(DuctSegmentSheet& sheet, const DuctSegmentSheetDialog& dialog)
{
    while (dialog(sheet)) {
        if (sheet.accept()) return 1;
    }
    return 0;
}

}  // namespace

int create_duct_segment(Project& project, SketchGrid& grid, const DuctSegmentSheetDialog& dialog)
{
    const GridCell cell = grid.cursor;
    if (!grid.in_drawing(cell.row, cell.col)) return 0;
    const std::uint8_t piece = grid.current().Ducts(cell.row, cell.col);
    if (piece < ICN_DUCT_H || piece > ICN_DUCT_HEAD_V || grid.current().Paths(cell.row, cell.col) != 0) return 0;
    DuctSegment segment = new_duct_segment(project, segment_run_at(grid, cell));
    if (project.rc.showGeom != 0)
        segment.len = static_cast<float>(duct_run_length(grid, cell.row, cell.col, project.rc.scale));
    DuctSegmentSheet sheet(project, grid, cell, segment, 0);
    return run_sheet(sheet, dialog);
}

int edit_duct_segment(Project& project, SketchGrid& grid, std::int32_t number, const DuctSegmentSheetDialog& dialog)
{
    std::optional<DuctSegment> copy = project.ducts.get(number);
    if (!copy) return 0;
    DuctSegmentSheet sheet(project, grid, grid.cursor, *copy, number);
    return run_sheet(sheet, dialog);
}

}  // namespace avelor
