// The "Source/sink Properties" sheet without its widgets: a working copy of
// one source/sink instance, its element choice with the element's summary,
// its multiplier, initial concentration and box in a one-dimensional zone,
// its CFD source ID and its schedule.
#pragma once

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

enum class SourcePage { Element, MultiplierLocation, Schedule };
enum class SourceSheetField { Multiplier, InitialConcentration, MaxX, MaxY, MaxH, MinX, MinY, MinH };

inline constexpr std::string_view kSourceNoElement =
    "A Name must be selected. You can do one of the following:\n1) Select from the Name drop-down list,\n2) "
    "Create a new element by clicking the 'New Element' button, or\n3) CANCEL";
inline constexpr std::string_view kSourceCfdIdUsed = "The CFD ID given is already used by another Source/sink.";
inline constexpr std::string_view kBurstNeedsSchedule =
    "Burst source requires a schedule. You can either associate a schedule, or CANCEL";
inline constexpr std::string_view kSourceXOrder = "Xmax must be greater than Xmin";
inline constexpr std::string_view kSourceYOrder = "Ymax must be greater than Ymin";
inline constexpr std::string_view kSourceHOrder = "H Rel max must be greater than HRel min";

// The initial concentration an instance takes when its element is chosen:
// for a boundary layer diffusion element the species' default
// concentration times the partition coefficient, for the deposition and
// resuspension model the current value, else 0.
float source_initial_concentration(const SourceElement& element, float current);

class SourceSheet {
public:
    // number 0: a new instance for the undefined icon at cell.
    SourceSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number);
    SourceSheet(const SourceSheet&) = delete;
    SourceSheet& operator=(const SourceSheet&) = delete;

    std::int32_t number() const { return number_; }
    // "Source/Sink Number:" on every page.
    std::string number_text() const { return std::to_string(number_); }
    const SourceSink& source() const { return source_; }

    SourcePage page() const { return page_; }
    std::optional<SheetRefusal> select_page(SourcePage page);
    // A refusal of OK brought this page to the front.
    void show_page(SourcePage page) { page_ = page; }

    // "Source/sink Element".
    std::vector<SourceElement*> element_choices() const;
    // The element's name or " <required>".
    std::string element_text() const;
    std::string element_description() const;
    std::string contaminant_text() const;
    // "Model:", "Formula:" and "Parameters:" of the chosen element.
    SourceSummary summary() const;
    bool can_edit_element() const { return source_.element != nullptr; }
    void choose_element(SourceElement* element);

    // "Multiplier and Location".
    bool set(SourceSheetField field, double shown);
    double shown(SourceSheetField field) const;
    UnitKind kind(SourceSheetField field) const;
    int unit(SourceSheetField field) const;
    bool enabled(SourceSheetField field) const;
    // The box's one length unit, or the display unit of the concentration.
    bool set_unit(SourceSheetField field, int unit);
    const std::string& cfd_id() const { return cfd_id_; }
    void set_cfd_id(std::string_view text) { cfd_id_ = std::string(text); }

    // "Schedule".
    SchedulePage& schedule_page() { return schedule_; }
    const SchedulePage& schedule_page() const { return schedule_; }
    Project& project() const { return project_; }

    std::optional<SheetRefusal> leave_page(SourcePage page);
    // OK: every page's check, then the sheet's own: a burst source needs a
    // schedule, and each minimum of the box may not exceed its maximum.
    std::optional<SheetRefusal> accept();
    bool accepted() const { return accepted_; }

private:
    ValueField field(SourceSheetField which) const;
    const Species* species() const;

    Project& project_;
    SketchGrid& grid_;
    GridCell cell_;
    std::int32_t number_;
    SourceSink source_;
    int concentration_unit_ = 0;
    std::string cfd_id_;
    SchedulePage schedule_;
    SourcePage page_ = SourcePage::Element;
    bool accepted_ = false;
};

using SourceSheetDialog = std::function<bool(SourceSheet&)>;

// The cursor cell holds an undefined source/sink icon: 1 when an instance
// was added, 0 on Cancel.
int create_source_sink(Project& project, SketchGrid& grid, const SourceSheetDialog& dialog);
int edit_source_sink(Project& project, SketchGrid& grid, std::int32_t number, const SourceSheetDialog& dialog);

}  // namespace avelor
