// The project file's sections of the building network: levels with their
// icons, simple air-handling systems, zones and their initial
// concentrations, flow paths, duct junctions and theirs, duct segments,
// source/sinks, exposures and annotations.
//
// Writers write a whole section, up to its -999 line, and report problems at
// severity 2 so the whole file is judged by the error count. Readers expect a
// project whose lists are still empty, resolve every number to its record as
// they go, report every problem at severity 2 and stop the section after the
// first record that left an error.
#pragma once

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/project.h"

namespace avelor {

void write_levels(TextWriter& out, Project& project);
void write_simple_ahs(TextWriter& out, Project& project);
void write_zones(TextWriter& out, const Project& project);
void write_paths(TextWriter& out, const Project& project);
void write_junctions(TextWriter& out, const Project& project);
void write_ducts(TextWriter& out, const Project& project);
void write_sources(TextWriter& out, const Project& project);
void write_exposures(TextWriter& out, const Project& project);
void write_annotations(TextWriter& out, const Project& project);

void read_levels(DataReader& in, Project& project);
void read_simple_ahs(DataReader& in, Project& project);
void read_zones(DataReader& in, Project& project);
void read_paths(DataReader& in, Project& project);
void read_junctions(DataReader& in, Project& project);
void read_ducts(DataReader& in, Project& project);
void read_sources(DataReader& in, Project& project);
void read_exposures(DataReader& in, Project& project);
void read_annotations(DataReader& in, Project& project);

// The systems' zone and path numbers, known only once zones and paths are
// read: each must name an existing record.
void check_simple_ahs_numbers(const Project& project);

}  // namespace avelor
