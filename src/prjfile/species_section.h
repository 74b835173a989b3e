// The species and kinetic reaction sections of project and library files.
//
// Writers number the records 1..n in name order as they write them and
// report faults as counted ERRORs; readers take the same text back, report
// every fault as a counted ERROR, stop at the end of the first record that
// left the error count above 0, and answer 0 only for a clean section.
//
// A project writes its contaminants (their species numbers in contaminant
// order) ahead of the species; a library writes a contaminant count of 0
// and stores no species as a contaminant.
#pragma once

#include "app/data_reader.h"
#include "app/lists.h"
#include "app/text_writer.h"
#include "model/species.h"

namespace avelor {

class Project;

// "contaminants:" and "species:" of a project: 0, or 1 after an ERROR
// " nctm mis-match" when the species marked as contaminants are not the
// contaminant order's. The text is written either way.
int write_species_section(TextWriter& out, Project& project);
// The library form: clears the s flag of every species written.
void write_species_library_section(TextWriter& out, NamedList<Species>& species);

// Reads the project form into the project's empty species list, taking the
// file's contaminant order as it is (Ctm, CC0 and the H2O index).
int read_species_section(DataReader& in, Project& project);
// Reads the library form; any contaminant numbers are read and ignored.
int read_species_library_section(DataReader& in, NamedList<Species>& species);

// "kinetic reactions:". Pairs name their species, which the reader looks up
// in the given list (the project's or the library's) and counts as uses.
void write_reactions_section(TextWriter& out, NamedList<KineticReaction>& reactions);
int read_reactions_section(DataReader& in, NamedList<KineticReaction>& reactions,
                           NamedList<Species>& species);

}  // namespace avelor
