// The project file's header lines and its run-control section.
#pragma once

#include <string>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/run_control.h"

namespace avelor {

// "AvelorW 3.2  <echo>" and the description line.
void write_project_header(TextWriter& out, const std::string& description, int echo);

// Writes the run-control section, up to and including its -999 line.
// Writing the "null" WPC file line switches wpctrig off.
void write_run_control(TextWriter& out, RunControl& rc);

// Reads the section into rc, reporting every bad field at severity 2, and
// derives the wind modifier and the latitude's sine and cosine.
void read_run_control(DataReader& in, RunControl& rc);

// A file name line as read: the comment after the name and the blanks
// before it removed. Names may themselves hold "!".
std::string file_name_from_line(const std::string& line);

}  // namespace avelor
