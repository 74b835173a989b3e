// Wind pressure mode: the wind pressures of the current level's paths and
// terminals drawn on the SketchPad, at the wind pressure test weather (User
// Set), at one record of the project's weather file or at one record of its
// WPC file, stepped through with the time step commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/command_rules.h"
#include "outdoor/weather_file.h"
#include "outdoor/wind_pressure.h"
#include "outdoor/wpc_file.h"
#include "simulation/results_mode.h"
#include "sketchpad/renderer.h"

namespace avelor {

struct EditorSession;
class Project;

class WindDisplay {
public:
    bool active() const { return active_; }
    WindPressureType type() const { return type_; }
    // Weather File or WPC type with records read: the time step commands move.
    bool time_series() const { return active_ && record_count() > 0; }

    // Enters the mode with the type chosen (computing its pressures); false
    // when the type's data cannot be had (the reason has been told), the
    // mode then not entered.
    bool enter(EditorSession& session);
    void leave();
    // Another type: in the mode its pressures are computed at once; a
    // weather file that cannot be read keeps the type that was.
    bool choose_type(EditorSession& session, WindPressureType type);
    // The pressures again (the project's wind data changed).
    void recompute(const Project& project);

    // Weather File and WPC types: Next and Previous one record, First and
    // Last to the ends, Jump Ahead and Back by jump records; false when no
    // move is possible.
    bool move(const Project& project, ResultsMove how, int jump);
    // The current record (Weather File type).
    const WeatherRecord* record() const;

    const WindPressures& pressures() const { return pressures_; }
    // The lines of the current level: a path icon (an air-handling
    // system's icon for its outdoor-air path) or a terminal in the wind,
    // with its wind pressure and the direction a positive pressure points
    // from outdoors in.
    ResultsOverlay overlay(const EditorSession& session) const;
    // What the status line shows ahead of the cursor's text: the record's
    // date and time, or the test weather's wind.
    std::string status_text(const Project& project) const;

    // The WPC file's current record (WPC type).
    const WpcRecord* wpc_record() const;

private:
    bool load_weather(const EditorSession& session);
    void load_wpc(const EditorSession& session);
    void compute(const Project& project);
    std::size_t record_count() const;

    bool active_ = false;
    WindPressureType type_ = WindPressureType::UserSet;
    WeatherFile weather_;
    std::string weather_path_;
    std::size_t record_ = 0;
    double weather_scale_ = -1;  // the file's display scale, once found
    WpcData wpc_;
    std::string wpc_path_;
    WindPressures pressures_;
};

}  // namespace avelor
