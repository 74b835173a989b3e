#include "schedule_values.h"

#include "model/schedules.h"

namespace avelor::engine {

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
