// The "flow elements" section of project files and of airflow element
// library (.lb3) files, which hold it in the same form.
//
// The writer numbers the elements 1..n in name order as it writes them (flow
// paths and super elements refer to elements by these numbers). The reader
// takes the same text back into a list: every fault is a counted ERROR, the
// section is left at the end of the first element that raised the count,
// and the answer is 0 only for a clean section.
#pragma once

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/airflow_element.h"
#include "model/duct_element.h"

namespace avelor {

// "%d ! flow elements:", the elements, "-999". 0, or 1 after an ERROR for
// a super element whose sub-element is not in the list (it is written 0).
int write_flow_elements_section(TextWriter& out, NamedList<AirflowElement>& elements);

// Reads the section into the list (normally empty), inserting the elements
// in name order. Beyond the file's own checks (numbers, keywords, the -999
// end), every value that would later be trusted is checked here: unit
// indices against their kind, icons, fan and spline point counts, and
// super element sub-elements (in the section, not super elements). Each
// orifice's diameter and laminar coefficient are derived afresh from its
// area.
int read_flow_elements_section(DataReader& in, NamedList<AirflowElement>& elements);

// "%d ! duct elements:", the duct elements in the same form (each type's
// own lines, then the two lines of the shape block), "-999". Always 0.
int write_duct_elements_section(TextWriter& out, NamedList<DuctElement>& elements);

// Reads the duct elements' section as read_flow_elements_section reads
// its own. Each Darcy-Colebrook element's copies of the shape's hydraulic
// diameter and area and its relative roughness, each orifice's diameter
// and laminar coefficient and every leakage class are derived afresh.
int read_duct_elements_section(DataReader& in, NamedList<DuctElement>& elements);

}  // namespace avelor
