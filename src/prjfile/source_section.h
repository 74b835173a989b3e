// The "source/sink elements" section of project and library files.
//
// The writer numbers the elements 1..n in name order before it writes the
// first of them, so a super element's sub-element numbers always name the
// records they meant. The reader reports every fault as a counted ERROR,
// stops at the end of the first element that raised the count, and answers
// 0 only for a clean section.
#pragma once

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/source_element.h"
#include "model/species.h"

namespace avelor {

int write_source_elements_section(TextWriter& out, NamedList<SourceElement>& elements);
// Species are looked up by name in the given list (the project's or the
// library's) and counted as uses; a super element's sub-elements must be
// elements of the section that are not super elements.
int read_source_elements_section(DataReader& in, NamedList<SourceElement>& elements, NamedList<Species>& species);

}  // namespace avelor
