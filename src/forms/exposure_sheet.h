// The "Occupant Exposure Properties" sheet without its widgets: a working
// copy of one exposure (an occupant) with its occupancy schedule for each of
// the twelve day types and its contaminant generations.
//
// A generation exists only for a species with a non-zero rate: entering a
// rate for a species without one makes it (in front of the others),
// entering 0 removes it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/sheet_parts.h"
#include "forms/zone_sheet.h"
#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

enum class ExposurePage { Occupancy, Generation };

// The exposure flag "Generate Contaminants".
inline constexpr std::uint16_t kExposureGenerates = 0x01;
inline constexpr std::size_t kExposureDescriptionLength = 70;

inline constexpr std::string_view kOccupancyUndefined =
    "You must define the occupancy schedule.\nYou can either:\n  Click the Edit Occupancy Schedule button to "
    "define the occupancy schedule,\n  or CANCEL";
inline constexpr std::string_view kNoGeneration = "Generation Rate is 0";

class ExposureSheet {
public:
    // number 0: a new occupant for the undefined icon at cell.
    ExposureSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number);
    ExposureSheet(const ExposureSheet&) = delete;
    ExposureSheet& operator=(const ExposureSheet&) = delete;

    std::int32_t number() const { return number_; }
    // "Occupant Number:" on every page.
    std::string number_text() const { return std::to_string(number_); }
    const Exposure& exposure() const { return exposure_; }

    ExposurePage page() const { return page_; }
    std::optional<SheetRefusal> select_page(ExposurePage page);
    // A refusal of OK brought this page to the front.
    void show_page(ExposurePage page) { page_ = page; }

    // "Occupancy Schedule".
    const std::string& description_text() const { return desc_text_; }
    void set_description(std::string_view text) { desc_text_ = std::string(text); }
    // The day type's schedule name, empty while it has none.
    std::string day_schedule_text(int day) const;
    std::vector<OccupancySchedule*> available_schedules() const;
    // "<< Replace <<": the day type takes the schedule. False for a day
    // outside 0..11 or no schedule.
    bool replace(int day, OccupancySchedule* schedule);

    // "Contaminant Generation".
    bool generates() const { return (exposure_.flags & kExposureGenerates) != 0; }
    void set_generates(bool on);
    bool set_multiplier(double value);
    std::vector<std::string> species_names() const;
    int selected_species() const { return species_; }
    bool select_species(int index);
    // The selected species' generation, or null ("Generation Rate is 0").
    const ExposureGeneration* generation() const;
    std::string generation_note() const { return generation() ? std::string() : std::string(kNoGeneration); }
    // The rate in the shown unit: 0 removes the generation, another value
    // makes one when the species has none. False when refused.
    bool set_rate(double shown);
    double rate_shown() const;
    int rate_unit() const;
    bool set_rate_unit(int unit);
    // The selected generation's schedule and values-file control; only
    // while it has a generation.
    SchedulePage& generation_schedule() { return schedule_; }
    const SchedulePage& generation_schedule() const { return schedule_; }
    bool generation_schedule_enabled() const { return generation() != nullptr; }
    Project& project() const { return project_; }

    std::optional<SheetRefusal> leave_page(ExposurePage page);
    // OK: every day type needs a schedule, every values-file control a
    // column; then the copy is stored.
    std::optional<SheetRefusal> accept();
    bool accepted() const { return accepted_; }

private:
    ExposureGeneration* generation_of(const Species* species);
    const Species* species() const;
    // The schedule page's choices go back into the selected generation.
    void commit_schedule();
    void load_schedule();

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    std::int32_t number_;
    Exposure exposure_;
    std::string desc_text_;
    int species_ = -1;
    int pending_unit_ = 0;  // the rate unit of a species without generation
    SchedulePage schedule_;
    ExposurePage page_ = ExposurePage::Occupancy;
    bool accepted_ = false;
};

using ExposureSheetDialog = std::function<bool(ExposureSheet&)>;

int create_exposure(Project& project, SketchGrid& grid, const ExposureSheetDialog& dialog);
int edit_exposure(Project& project, SketchGrid& grid, std::int32_t number, const ExposureSheetDialog& dialog);

}  // namespace avelor
