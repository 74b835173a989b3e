// The "wind pressure profiles" section of project and library files.
//
// The writer numbers the profiles 1..n in name order as it writes them, so
// that the flow paths and terminals written after it refer to those numbers.
// The reader checks every record, reports each fault as a counted ERROR and
// stops at the end of the first record that left the error count above 0;
// each profile keeps its file number until the list is next renumbered.
// A fit that cannot be made from the points read is told as a WARNING and
// leaves the profile linear: it never fails the read.
#pragma once

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/wind_profile.h"

namespace avelor {

void write_wind_profiles_section(TextWriter& out, NamedList<WindProfile>& profiles);
// 0 for a clean section, else 1.
int read_wind_profiles_section(DataReader& in, NamedList<WindProfile>& profiles);

}  // namespace avelor
