// The day-schedule, week-schedule and occupancy-schedule sections of
// project and library files.
//
// Readers reset nothing: they report every fault at ERROR and stop at the
// first record that left one; the caller judges the section by the error
// count. Each record read keeps its file number in nr until the list is
// written again, so later sections can resolve their references by number.
#pragma once

#include <cstdint>

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/records.h"
#include "model/schedules.h"

namespace avelor {

void write_day_schedules_section(TextWriter& out, NamedList<DaySchedule>& days);
void read_day_schedules_section(DataReader& in, NamedList<DaySchedule>& days);

// Day references are written by the day schedules' numbers, so the day
// schedules are written (and numbered) first.
void write_week_schedules_section(TextWriter& out, NamedList<WeekSchedule>& weeks,
                                  const NamedList<DaySchedule>& days);
void read_week_schedules_section(DataReader& in, NamedList<WeekSchedule>& weeks,
                                 const NamedList<DaySchedule>& days);

void write_occupancy_section(TextWriter& out, NamedList<OccupancySchedule>& schedules,
                             const NumberedList<Zone>& zones);
void read_occupancy_section(DataReader& in, NamedList<OccupancySchedule>& schedules,
                            const NumberedList<Zone>& zones);

}  // namespace avelor
