#include "schedule_values.h"

#include "airflow_network.h"
#include "model/schedules.h"

namespace avelor::engine {

void check_week_schedule(const WeekSchedule& week, std::int16_t utyp, const std::string& user)
{
    if (week.utyp != utyp)
        throw EngineError("The schedule " + week.name + " of " + user + " is not " +
                          (utyp == kScheduleTemperature ? "a temperature schedule." : "dimensionless."));
    for (int d = 1; d <= kDayTypes; ++d) {
        const DaySchedule* day = day_of_week(week, d);
        if (!day)
            throw EngineError("The week schedule " + week.name + " of " + user + " has no day schedule for day type " +
                              std::string(day_type_names()[static_cast<std::size_t>(d - 1)]) + ".");
        if (day->utyp != utyp)
            throw EngineError("The day schedule " + day->name + " of the week schedule " + week.name +
                              " has another unit kind than the week.");
    }
}

int ScheduleValues::add(const WeekSchedule& week)
{
    const auto [it, fresh] = index_.emplace(&week, static_cast<int>(weeks_.size()));
    if (fresh) {
        weeks_.push_back(&week);
        values_.push_back(1.0);
        evaluated_ = false;
    }
    return it->second;
}

bool ScheduleValues::evaluate(int day_type, double seconds)
{
    bool changed = !evaluated_;
    for (std::size_t i = 0; i < weeks_.size(); ++i) {
        const double v = week_schedule_value(*weeks_[i], day_type, seconds);
        // A NaN read from a file differs from itself: it always counts as
        // a change, and the caller refuses it.
        if (!(v == values_[i])) changed = true;
        values_[i] = v;
    }
    evaluated_ = true;
    return changed;
}

}  // namespace avelor::engine
