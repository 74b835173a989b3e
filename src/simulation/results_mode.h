// Results mode of the SketchPad: the results file of the session's project
// held open, one output time step current, the commands that step through
// the simulated period, and what the view draws over the paths. The view
// binds this state; nothing here needs a display.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/simulation_parameters_form.h"
#include "simulation/results_reader.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

struct EditorSession;
class Project;

enum class SketchMode { Normal, Results, WindPressure };

enum class ResultsMove { Next, Previous, First, Last, JumpAhead, JumpBack };

// The direction code (1..6) of flow from a terminal's duct into it, from
// its glyph and the duct pieces around it on the grid (none: 0 for the
// terminals that connect sideways).
int terminal_direction(const SketchGrid* grid, int row, int col, std::uint8_t code);

// One path drawn with results: its cell on the level, the direction code
// (1..6) positive flow leaves the cell in, its values and whether a value
// lies outside the path's limits.
struct ResultsDisplayEntry {
    int row = 0;
    int col = 0;
    int dir = 0;
    float dP = 0;  // Pa
    float F0 = 0;  // kg/s
    float F1 = 0;  // kg/s
    bool limit = false;
};

// Texts of the "Go To Date/Time" dialog: its caption and the line above the
// period it shows.
inline constexpr std::string_view kGoToCaption = "Go To Date/Time";
inline constexpr std::string_view kGoToAvailable = "Results are available";

// The period the results cover, for the "Go To Date/Time" dialog.
struct ResultsPeriod {
    int day0 = 1;
    std::int32_t time0 = 0;
    int day1 = 1;
    std::int32_t time1 = 0;
};

// Sets the document's results-available flag from the check of the
// project's results file (cleared for an untitled project). Called when a
// project has been opened.
void update_results_availability(EditorSession& session);

class ResultsMode {
public:
    SketchMode mode() const { return mode_; }
    bool active() const { return mode_ == SketchMode::Results; }

    // Time steps moved by Jump Ahead and Jump Back (at least 1).
    int time_jump = 10;

    // The Results Mode command: after a change, the silent building check
    // and a fresh availability check; "SketchPad results not available."
    // when there are none; then the check and the opening of the file, the
    // first step and the status line. True when in results mode after it.
    bool enter(EditorSession& session);
    // The Normal Mode command: closes the results.
    void leave();

    // The navigation commands; false (and nothing changed) when the move
    // needs a day the results do not hold, or outside results mode.
    bool move(ResultsMove how);

    // The period of the results file itself.
    ResultsPeriod period() const;
    // The check of the dialog's day and time: "" when acceptable, else the
    // message ("Time too early; < ", "Time too late; > " with the limit).
    std::string go_to_fault(int day, std::int32_t time) const;
    // OK of the dialog: a time outside the period on a boundary day is
    // moved to the period's edge, the step is the one at or before the time.
    bool go_to(int day, std::int32_t time);

    int day() const { return reader_.day(); }
    std::int64_t step() const { return step_; }
    std::int32_t time() const { return reader_.shown_time(step_); }
    // The status line: "%5s/%s " with the day as "Jan01" and HH:MM:SS.
    std::string status_text() const;

    // The current step's values of the item at a cell of the current level,
    // as further parts of its item text: a path's (or supply's, return's)
    // "; dP: %.4g %s; Flow: %.4g %s" (with "; Flow 2: %.4g %s" for a second
    // flow), a duct terminal's flow, a zone's "; P: %.4g %s; T: %.2f %s" and
    // "; NAME: %.4g %s" per contaminant; pressures in the project's display
    // units, flows in its flow unit, concentrations in each species' unit.
    // Empty outside results mode and for cells without results.
    std::string item_results(const Project& project, const SketchGrid& grid, GridCell cell);

    // The arrow scales: largest |dP| and largest |Flow0| over all days.
    float pressure_scale() const { return reader_.max_dP(); }
    float flow_scale() const { return reader_.max_flow(); }

    // Rebuilt before drawing: the current step's time record and one entry
    // per path or terminal icon of the current level with results. The
    // internal paths of a simple air-handling system get dP 0.
    const std::vector<ResultsDisplayEntry>& build_display_list(EditorSession& session);
    const std::vector<ResultsDisplayEntry>& display_list() const { return entries_; }
    const ResultsTimeRecord& time_record() const { return time_record_; }

    ResultsReader& reader() { return reader_; }
    const ResultsReader& reader() const { return reader_; }

private:
    // Loads the step and shows the status after a move.
    void settle();
    // The day after or before d within the results; 0 when d is the last
    // (first) day.
    int next_day(int d) const;
    int previous_day(int d) const;

    SketchMode mode_ = SketchMode::Normal;
    ResultsReader reader_;
    std::int64_t step_ = 0;
    std::vector<ResultsDisplayEntry> entries_;
    ResultsTimeRecord time_record_;
};

// The "Current Results Concentrations" reset of the simulation parameters:
// each zone's and junction's concentrations at the step shown. Outside
// results mode there are none (the source is empty).
ResultsConcentrations current_results_concentrations(ResultsMode& results);

// What the cursor cell holds, with the current step's values in results
// mode: for the floating status box.
std::string cursor_item_text(ResultsMode& results, const Project& project, const SketchGrid& grid);
// The status line of the cursor cell: in results mode the day and time
// before the item text; in normal mode the item text alone.
std::string cursor_status_text(ResultsMode& results, const Project& project, const SketchGrid& grid);

}  // namespace avelor
