// The day, week and occupancy schedule dialogs, the schedule plot and the
// Data menu's schedule managers. They bind widgets to the forms of
// forms/schedule_forms.h, which hold every rule and message.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "forms/schedule_forms.h"
#include "model/schedules.h"

class QWidget;

namespace avelor {
class Project;
}

namespace avelor::ui {

// Each runs its dialog over a copy of a schedule: a new one (stored null) or
// a copy of stored. The stored record once OK was accepted, else null.
DaySchedule* run_day_schedule_dialog(QWidget* parent, Project& project, const DaySchedule& copy,
                                     DaySchedule* stored);
WeekSchedule* run_week_schedule_dialog(QWidget* parent, Project& project, const WeekSchedule& copy,
                                       WeekSchedule* stored);
OccupancySchedule* run_occupancy_schedule_dialog(QWidget* parent, Project& project, const OccupancySchedule& copy,
                                                 OccupancySchedule* stored);

// "Display Graphically": the curves against the hours of the day; the
// values of a dimensionless schedule are drawn on a 0..1 scale.
void show_schedule_plot(QWidget* parent, const std::string& title, std::int16_t utyp, std::int16_t ucnv,
                        const std::vector<std::pair<std::string, ScheduleCurve>>& curves);

// The Data menu's manager of one kind of schedule (utyp for day and week
// schedules): the project's schedules with New, Edit and Delete.
void run_schedule_manager(QWidget* parent, Project& project, ScheduleKind kind, std::int16_t utyp);

}  // namespace avelor::ui
