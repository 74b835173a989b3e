// The "Duct Segment Properties" sheet without its widgets: a working copy of
// one duct segment, its element with the element's summary, the flow
// direction, length and sum of loss coefficients with the values derived
// from them, the colour, the schedule and the filter; the checks made when
// a page is left and when the sheet is accepted.
//
// A sheet stands either on a run of the current level (a segment icon, or
// an unnumbered straight piece that becomes one) or below a junction or
// terminal that connects down. A level segment is stored by the sheet when
// accepted; a downward segment belongs to the node's own sheet, which takes
// the accepted copy (junction_sheet.h).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/filter_slot.h"
#include "forms/zone_sheet.h"
#include "model/duct_element.h"
#include "model/records.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

enum class SegmentPage { Element, Segment, Schedule, Filter };

// Which way a segment runs: along a vertical or a horizontal run of the
// level, or down to the level below from a node.
enum class SegmentRun { Vertical, Horizontal, Downward };

// Which display unit of a segment holds which value.
inline constexpr int kSegmentUnitLength = 0;
inline constexpr int kSegmentUnitArea = 1;  // also the volume's unit index

// The segment icon of a direction on the level (154 for 1, 155 for 2, 156
// for 4, 157 for 5), 0 for any other direction.
std::uint8_t segment_icon_for(std::uint8_t dir);
// The direction a segment icon stands for, 0 for another code.
std::uint8_t segment_dir_of_icon(std::uint8_t code);
// The run of the straight piece or segment icon at a cell of the current
// level: vertical for the north-south pieces, else horizontal.
SegmentRun segment_run_at(const SketchGrid& grid, GridCell cell);

// A new segment: positive flow northward on a vertical run, eastward on a
// horizontal one, upward below a node; no element; colour -1 (default);
// length and area units by the project's unit system.
DuctSegment new_duct_segment(const Project& project, SegmentRun run);

// The answer to leaving a page or to OK. A refusal has been shown already;
// page and focus say where the sheet goes back to.
struct SegmentSheetVerdict {
    bool accepted = true;
    int severity = -1;
    std::string text;
    SegmentPage page = SegmentPage::Element;
    std::string focus;
    explicit operator bool() const { return accepted; }
};

class DuctSegmentSheet {
public:
    // A sheet on a segment of the current level at cell; number 0 for a new
    // segment.
    DuctSegmentSheet(Project& project, SketchGrid& grid, GridCell cell, const DuctSegment& working,
                     std::int32_t number);
    // A sheet on the downward segment of a node; number 0 while the node
    // has none.
    DuctSegmentSheet(Project& project, const DuctSegment& working, std::int32_t number);
    DuctSegmentSheet(const DuctSegmentSheet&) = delete;
    DuctSegmentSheet& operator=(const DuctSegmentSheet&) = delete;

    const DuctSegment& segment() const { return segment_; }
    std::int32_t number() const { return number_; }
    SegmentRun run() const { return run_; }
    // "Duct Number:" on every page.
    std::string number_text() const { return std::to_string(number_); }
    Project& project() const { return project_; }

    // "Duct Element" page.
    std::vector<DuctElement*> element_choices() const;
    // The name box's text: the element's name or " <required>".
    std::string element_text() const;
    std::string element_description() const;
    // The element's summary: model line, parameters, shape, area,
    // hydraulic diameter and leakage.
    std::vector<std::string> element_summary() const;
    bool can_edit_element() const { return segment_.element != nullptr; }
    void choose_element(DuctElement* element);
    // An element just made with "New Element" becomes the choice.
    void take_new_element(DuctElement* element) { choose_element(element); }

    // "Duct Segment" page.
    // The two flow directions the run allows and their captions.
    std::array<std::uint8_t, 2> directions() const;
    std::array<std::string, 2> direction_captions() const;
    int direction_choice() const { return segment_.dir == directions()[1] ? 1 : 0; }
    void set_direction_choice(int choice);
    bool set_length(double shown);
    double length_shown() const;
    int length_unit() const { return segment_.u[kSegmentUnitLength]; }
    void set_length_unit(int unit);
    // Only a Darcy-Colebrook element's segment takes a sum of loss
    // coefficients; the field shows " N/A" otherwise.
    bool loss_coefficients_enabled() const;
    bool set_loss_coefficients(double value);
    std::string loss_coefficients_text() const;
    // The values the element gives the segment: volume, surface area, flow
    // area, leakage coefficient and class, and for a Darcy-Colebrook
    // element its laminar coefficient. Empty without an element.
    std::vector<std::string> derived_lines() const;
    int area_unit() const { return segment_.u[kSegmentUnitArea]; }
    void set_area_unit(int unit);
    // The colour index: -1 is "Use Default"; others index the colour table.
    bool set_colour(int index);

    // "Schedule" page: dimensionless week schedules. Its choices reach the
    // copy when the sheet is accepted.
    SchedulePage& schedule_page() { return schedule_; }
    const SchedulePage& schedule_page() const { return schedule_; }

    // "Filter" page. A level segment's filter changes are made when the
    // sheet is accepted; a downward segment's pass to the node's sheet.
    std::string filter_name() const { return filter_.element_name(); }
    std::string filter_description() const { return filter_.element_description(); }
    std::string filter_button() const { return filter_.button_text(); }
    bool can_delete_filter() const { return filter_.can_delete(); }
    // Asks "Delete this filter?"; on yes the segment shows no filter.
    bool delete_filter();
    FilterSlot& filter_slot() { return filter_; }
    const FilterSlot& filter_slot() const { return filter_; }
    Filter working_filter() const { return filter_.working(); }
    void store_filter(const Filter& filter);

    // The checks made when a page is left; a refusal keeps the page.
    SegmentSheetVerdict leave_page(SegmentPage page);
    // OK: every page's check; then a level segment is stored (a new one
    // added to the list and its number written into the cell, an edited
    // one put back), the cell shows the icon of its direction, the number
    // spreads along the run and the run's end nodes become n and m. A
    // downward segment is only checked: the node's sheet takes the copy.
    // A refusal stores nothing; once accepted, a further accept() stores
    // nothing and succeeds.
    SegmentSheetVerdict accept();
    bool accepted() const { return accepted_; }

private:
    SegmentSheetVerdict refuse(int severity, std::string text, SegmentPage page, std::string focus);
    void store();

    Project& project_;
    SketchGrid* grid_ = nullptr;
    GridCell cell_;
    DuctSegment segment_;
    FilterSlot filter_;
    std::int32_t number_;
    SegmentRun run_;
    SchedulePage schedule_;
    bool accepted_ = false;
};

// The dialog: true when the user pressed OK.
using DuctSegmentSheetDialog = std::function<bool(DuctSegmentSheet&)>;

// The cursor cell of the current level holds an unnumbered straight duct
// piece (143-146): the sheet on a new segment, whose length is the run's
// when pseudo-geometry is shown. 1 when the segment was added, 0 on Cancel
// (nothing changes).
int create_duct_segment(Project& project, SketchGrid& grid, const DuctSegmentSheetDialog& dialog);
// The segment icon at the cursor cell stands for segment number: 1 when
// the record was replaced, 0 on Cancel or for a number that names none.
int edit_duct_segment(Project& project, SketchGrid& grid, std::int32_t number, const DuctSegmentSheetDialog& dialog);

}  // namespace avelor
