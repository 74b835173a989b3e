// The "control super elements" and "control nodes" sections of project
// files, and the resolution of the control network's numbers into
// references once every section is read.
//
// Writers number nothing themselves: the main list and each super element's
// list must run 1..count (a missing node or one out of place is a counted
// ERROR that stops the save). Readers report every fault as a counted ERROR
// and stop after the node or element that raised it.
#pragma once

#include "app/data_reader.h"
#include "app/text_writer.h"

namespace avelor {

class Project;

int write_super_elements_section(TextWriter& out, Project& project);
int write_control_nodes_section(TextWriter& out, Project& project);

void read_super_elements_section(DataReader& in, Project& project);
void read_control_nodes_section(DataReader& in, Project& project);

// After the whole project is read: link icon counts, sensor targets, the
// node copies of super-element instances and the instances of phantoms.
// Returns the number of faults found (each a counted ERROR).
int resolve_controls(Project& project);

}  // namespace avelor
