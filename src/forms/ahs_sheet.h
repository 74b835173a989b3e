// The "Simple Air Handling System Properties" sheet and the sheets of its
// supply and return points, without their widgets.
//
// The system's sheet edits working copies of the system record, of its
// return and supply zones and of its recirculation (pr) and outdoor-air (ps)
// paths, which hold the system-wide values: the minimum outdoor-air flow,
// the schedule with its values-file control and the recirculation filter on
// pr, the intake location and the outdoor-air filter on ps. Accepting a new
// system makes it with its two zones and three paths. Filters made, edited
// or deleted on a sheet reach the project's filter list only on accept.
//
// A supply or return point is a flow path flagged as belonging to a system;
// its sheet edits a working copy of that path.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/filter_slot.h"
#include "forms/sheet_parts.h"
#include "forms/zone_sheet.h"
#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

enum class AhsPage { Ahs, Supply, Return, Schedule, Filters };
enum class AhsSide { Supply, Return };
enum class AhsField { MinimumOutdoorAir, IntakeX, IntakeY, IntakeZ, SupplyVolume, ReturnVolume };
enum class AhsFilter { OutdoorAir, Recirculation };

inline constexpr std::size_t kAhsNameLength = 15;
inline constexpr std::size_t kAhsDescriptionLength = 70;

inline constexpr std::string_view kAhsNameUsed = "May not use existing name";

// Systems are numbered in name order; after they were renumbered the
// system icons of the shown levels take their system's new number (the
// levels' icon lists are renumbered by the project itself).
class SystemNumbers {
public:
    explicit SystemNumbers(const Project& project);
    // Renumbers the project's systems and the icons in the grid.
    void renumber(Project& project, SketchGrid& grid) const;

private:
    std::vector<std::pair<const SimpleAhs*, std::int32_t>> before_;
};

class AhsSheet {
public:
    // number 0: a new system for the undefined system icon at cell.
    AhsSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number);
    AhsSheet(const AhsSheet&) = delete;
    AhsSheet& operator=(const AhsSheet&) = delete;

    std::int32_t number() const { return number_; }
    // "System" on every page.
    std::string number_text() const { return std::to_string(number_); }
    const SimpleAhs& system() const { return system_; }
    const Zone& zone(AhsSide side) const { return side == AhsSide::Supply ? supply_ : return_; }
    const FlowPath& recirculation() const { return pr_; }
    const FlowPath& outdoor_air() const { return ps_; }

    // Pages: a page is left only when its check passes.
    AhsPage page() const { return page_; }
    std::optional<SheetRefusal> select_page(AhsPage page);
    // A refusal of OK brought this page to the front.
    void show_page(AhsPage page) { page_ = page; }

    // "AHS".
    const std::string& name_text() const { return name_text_; }
    void set_name(std::string_view text) { name_text_ = std::string(text); }
    const std::string& description_text() const { return desc_text_; }
    void set_description(std::string_view text) { desc_text_ = std::string(text); }

    // Value fields in their shown units.
    bool set(AhsField field, double shown);
    double shown(AhsField field) const;
    UnitKind kind(AhsField field) const;
    int unit(AhsField field) const;
    bool set_unit(AhsField field, int unit);

    // "Supply System" and "Return System".
    ConcentrationList& concentrations(AhsSide side) { return side == AhsSide::Supply ? supply_cc_ : return_cc_; }
    const ConcentrationList& concentrations(AhsSide side) const
    {
        return side == AhsSide::Supply ? supply_cc_ : return_cc_;
    }
    // " <none>" first, then the kinetic reactions.
    std::vector<std::string> reaction_choices() const;
    int reaction_choice(AhsSide side) const;
    bool choose_reaction(AhsSide side, int index);

    // "Schedule": pr's week schedule and values-file control.
    SchedulePage& schedule_page() { return schedule_; }
    const SchedulePage& schedule_page() const { return schedule_; }
    Project& project() const { return project_; }

    // "Filters": the outdoor-air filter of ps and the recirculation filter
    // of pr, each kept in its own slot until the sheet is accepted.
    const FilterSlot& filter_slot(AhsFilter which) const
    {
        return which == AhsFilter::OutdoorAir ? outdoor_filter_ : recirculation_filter_;
    }
    const Filter* filter(AhsFilter which) const { return filter_slot(which).shown(); }
    std::string filter_name(AhsFilter which) const { return filter_slot(which).element_name(); }
    std::string filter_description(AhsFilter which) const { return filter_slot(which).element_description(); }
    std::string filter_button(AhsFilter which) const { return filter_slot(which).button_text(); }
    bool can_delete_filter(AhsFilter which) const { return filter_slot(which).can_delete(); }
    // Asks "Delete this filter?"; on yes the path shows no filter, and
    // loses its own when the sheet is accepted.
    bool delete_filter(AhsFilter which);
    // "New Filter"/"Edit Filter": what "Filter Properties" opens on, and its
    // accepted copy.
    // A new recirculation filter shows the number it will get after a new
    // outdoor-air filter (the two are added in that order).
    Filter working_filter(AhsFilter which) const;
    void store_filter(AhsFilter which, const Filter& filter);

    // The check of one page.
    std::optional<SheetRefusal> leave_page(AhsPage page);
    // OK: every page's check, then the copies are stored. A new system is
    // made with its zones and paths and its number written into the cell.
    std::optional<SheetRefusal> accept();
    bool accepted() const { return accepted_; }

private:
    ValueField field(AhsField which) const;
    FilterSlot& slot(AhsFilter which) { return which == AhsFilter::OutdoorAir ? outdoor_filter_ : recirculation_filter_; }

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    std::int32_t number_;
    SimpleAhs system_;
    Zone supply_;
    Zone return_;
    FlowPath pr_;
    FlowPath ps_;
    std::string name_text_;
    std::string desc_text_;
    ConcentrationList supply_cc_;
    ConcentrationList return_cc_;
    SchedulePage schedule_;
    FilterSlot outdoor_filter_;
    FilterSlot recirculation_filter_;
    AhsPage page_ = AhsPage::Ahs;
    bool accepted_ = false;
};

// ------------------------------------------------------ supply and return

enum class PointPage { System, Schedule, Filter };
enum class PointField { DesignFlow, X, Y, RelativeHeight };

inline constexpr std::string_view kNoSystemMessage =
    "An AHS must be selected. You can do one of the following:\n1) Select from the Name drop-down list, or\n2) "
    "CANCEL";

class AhsPointSheet {
public:
    // supply: code 128, else a return point (129). number 0: a new point
    // for the undefined icon at cell.
    AhsPointSheet(Project& project, SketchGrid& grid, GridCell cell, bool supply, std::int32_t number);
    AhsPointSheet(const AhsPointSheet&) = delete;
    AhsPointSheet& operator=(const AhsPointSheet&) = delete;

    bool supply() const { return supply_; }
    std::string title() const { return supply_ ? "Supply Point Properties" : "Return Point Properties"; }
    std::int32_t number() const { return number_; }
    const FlowPath& path() const { return path_; }

    std::optional<SheetRefusal> select_page(PointPage page);
    PointPage page() const { return page_; }
    void show_page(PointPage page) { page_ = page; }

    // "System".
    std::vector<SimpleAhs*> system_choices() const;
    // The system's name or " <required>", and its description.
    std::string system_text() const;
    std::string system_description() const;
    void choose_system(SimpleAhs* system) { path_.ahs = system; }
    bool can_edit_system() const { return path_.ahs != nullptr; }
    bool set(PointField field, double shown);
    double shown(PointField field) const;
    UnitKind kind(PointField field) const;
    int unit(PointField field) const;
    bool set_unit(PointField field, int unit);

    // "Schedule".
    SchedulePage& schedule_page() { return schedule_; }
    const SchedulePage& schedule_page() const { return schedule_; }
    Project& project() const { return project_; }

    // "Filter": the point's filter, kept in a slot until the sheet is
    // accepted.
    const FilterSlot& filter_slot() const { return filter_; }
    const Filter* filter() const { return filter_.shown(); }
    std::string filter_name() const { return filter_.element_name(); }
    std::string filter_description() const { return filter_.element_description(); }
    std::string filter_button() const { return filter_.button_text(); }
    bool can_delete_filter() const { return filter_.can_delete(); }
    bool delete_filter();
    Filter working_filter() const { return filter_.working(); }
    void store_filter(const Filter& filter) { filter_.store(filter); }

    std::optional<SheetRefusal> leave_page(PointPage page);
    std::optional<SheetRefusal> accept();
    bool accepted() const { return accepted_; }

private:
    ValueField field(PointField which) const;

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    bool supply_;
    std::int32_t number_;
    FlowPath path_;
    SchedulePage schedule_;
    FilterSlot filter_;
    PointPage page_ = PointPage::System;
    bool accepted_ = false;
};

using AhsSheetDialog = std::function<bool(AhsSheet&)>;
using AhsPointSheetDialog = std::function<bool(AhsPointSheet&)>;

// The cursor cell holds an undefined system icon: 1 when a system was
// made, 0 on Cancel.
int create_simple_ahs_sheet(Project& project, SketchGrid& grid, const AhsSheetDialog& dialog);
// System number: 1 when the records were replaced, 0 on Cancel.
int edit_simple_ahs(Project& project, SketchGrid& grid, std::int32_t number, const AhsSheetDialog& dialog);
// The cursor cell holds an undefined supply (supply true) or return point.
int create_ahs_point(Project& project, SketchGrid& grid, bool supply, const AhsPointSheetDialog& dialog);
int edit_ahs_point(Project& project, SketchGrid& grid, bool supply, std::int32_t number,
                   const AhsPointSheetDialog& dialog);

}  // namespace avelor
