// The week schedules a run follows, each evaluated once per time step
// however many zones and paths share it: the records keep the index of
// their schedule and read its value from here.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/schedules.h"

namespace avelor::engine {

// A week schedule must name a day schedule of its own unit kind (utyp)
// for every day type; a missing day would otherwise read as 1 (1 K on a
// temperature schedule). Throws EngineError naming the schedule and its
// user ("zone Office", "flow path 3").
void check_week_schedule(const WeekSchedule& week, std::int16_t utyp, const std::string& user);

class ScheduleValues {
public:
    // The index of a week schedule, given once per distinct schedule.
    int add(const WeekSchedule& week);
    int size() const { return static_cast<int>(weeks_.size()); }
    const WeekSchedule& schedule(int index) const { return *weeks_[static_cast<std::size_t>(index)]; }

    // Evaluates every schedule on the day type (1..12) at the time of day
    // (s, 0..86400). True when any value differs from the last evaluation
    // (always on the first).
    bool evaluate(int day_type, double seconds);
    double value(int index) const { return values_[static_cast<std::size_t>(index)]; }

private:
    std::vector<const WeekSchedule*> weeks_;
    std::unordered_map<const WeekSchedule*, int> index_;
    std::vector<double> values_;
    bool evaluated_ = false;
};

}  // namespace avelor::engine
