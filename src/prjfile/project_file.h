// Reading and writing whole project files, and opening a project.
#pragma once

#include <memory>
#include <string>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/project.h"

namespace avelor {

// The project being edited and what is known of its file.
struct ProjectDocument {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    std::string path;             // empty while untitled
    bool must_save_as_new = false;  // converted or read-only: Save acts as Save As
    bool must_save = false;  // renumbered since the last save: the project differs from its file
    bool results_available = false;

    // "NAME.prj", or empty while untitled.
    std::string title_name() const;
};

struct ReadOptions {
    // Where a copy of every project read successfully is kept; empty for none.
    std::string backup_path;
};

// Writes the whole project: header, run control and every section in file
// order, ending with "* end project file.". Problems are counted errors.
void write_project(TextWriter& out, Project& project);

// Reads a project file into an empty project: 0 on success, 1 on failure.
// A 3.1 project is read into the current records; converted (if given)
// tells so.
int read_project(const std::string& path, Project& project, const ReadOptions& options,
                 bool* converted = nullptr);

// Checks every level's icons against the lists, correcting what can be
// corrected; true when an error that cannot be corrected was found.
bool check_icons(Project& project);

// Loads the headers of the values files the run control names (a relative
// name may sit beside the project file). A file that cannot be read is
// told and leaves the header empty, but the project keeps its name.
void load_project_values_files(Project& project, const std::string& project_path);

// Reads a project into a fresh project and, when it opens, makes it the
// document's. A project that fails to open leaves an empty untitled project
// behind, so that nothing partly read can later be saved over a file.
bool open_project(ProjectDocument& document, const std::string& path, const ReadOptions& options);

// The words of a file's first line, split at blanks, commas and tabs, as
// the version tests of project and library files read them.
std::vector<std::string> header_words(const std::string& line);

}  // namespace avelor
