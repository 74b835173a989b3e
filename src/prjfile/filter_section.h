// The "filter elements" and "filters" sections of project files (and the
// filter elements of library files).
//
// Writers number the records 1..n as they write them (a project numbers
// its filters by the renumbering before a save) and report faults as
// counted ERRORs; readers report every fault as a counted ERROR, stop at
// the end of the first record that raised the count, and answer 0 only for
// a clean section.
#pragma once

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/filter_element.h"
#include "model/species.h"

namespace avelor {

class Project;

int write_filter_elements_section(TextWriter& out, NamedList<FilterElement>& elements);
// Species are looked up by name in the given list and counted as uses; a
// super element's sub-element numbers must name elements of the section
// that are not super elements.
int read_filter_elements_section(DataReader& in, NamedList<FilterElement>& elements, NamedList<Species>& species);

int write_filters_section(TextWriter& out, const Project& project);
// Filters name their element by number (the section just read) and carry
// one load per sub-filter: exactly one for an ordinary element, one per
// sub-element of a super element.
int read_filters_section(DataReader& in, Project& project);

}  // namespace avelor
