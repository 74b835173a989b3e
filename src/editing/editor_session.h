// One editing session: the project document, the SketchPad grid that shows
// it and the view of that grid. The editor window and tests drive the same
// session; nothing here needs a display.
#pragma once

#include <cstddef>
#include <string>

#include "app/program_config.h"
#include "check/building_check.h"
#include "check/problem_list.h"
#include "prjfile/project_file.h"
#include "sketchpad/sketch_grid.h"
#include "sketchpad/sketch_view.h"

namespace avelor {

struct EditorSession {
    ProjectDocument document;
    SketchGrid grid;
    SketchView view;
    ReadOptions read_options;
    // What the last building check found; the problems window shows it.
    ProblemList problems;
    // The user's settings and the projects opened or saved last, read at
    // start-up and written back by the program.
    ProgramConfig config;
    RecentProjects recent;
    // The user data folder the two files live in (empty: not written).
    std::string settings_folder;

    Project& project() { return *document.project; }
    const Project& project() const { return *document.project; }

    // The building check works on the session's project, SketchPad and
    // problem list.
    operator CheckScope() { return {project(), grid, view, document.must_save, problems, document.path}; }
};

// Gives the session's project a grid of its size and shows its lowest
// level (making a first level for a project that has none).
void prepare_sketchpad(EditorSession& session);

// Before the project is replaced or the program ends: when it has unsaved
// changes, asks "Save changes to current project file: %s ?" with Yes, No
// and Cancel; Yes saves (asking for a name when it has none). False when
// the user cancelled or the save failed, and the caller must stop.
bool settle_unsaved_changes(EditorSession& session);

// Save and Save As: renumbers the project (a renumbering error stops the
// save), then saves it to its file, or to a file the user chooses when it
// is untitled, must be saved under a new name, or choose_name is set.
bool save_session(EditorSession& session, bool choose_name);

// Writes the renumbered project to target through a temporary file; only a
// complete write replaces the file. Every failure is reported and leaves
// the project marked unsaved.
bool write_session_file(EditorSession& session, const std::string& target);

// File > Open after the file has been chosen: clears the current project
// and the grid, opens the file (every problem reported), sets up the grid
// at the project's size on its lowest level, resets the view, and turns
// the control links on exactly when the project has control nodes. On a
// failed read the session holds an empty untitled project; a project whose
// SketchPad cannot be had (its size is refused or the memory is not there)
// is refused with an ERROR report and the open project, its grid and view
// stay as they were. True on success.
bool open_in_session(EditorSession& session, const std::string& path);

// A Recent Projects entry (0 the oldest): the unsaved-changes question,
// the project's folder made current, "Recent Project: <path>" in the run
// log, then the entry leaves the list and the project is opened, which
// makes it the most recent again when it opens. False when cancelled or
// failed.
bool open_recent_project(EditorSession& session, std::size_t index);

// File > Open from the start: the unsaved-changes question, the file
// choice ("Project Files (*.PRJ)"), then open_in_session. False when
// cancelled or failed.
bool open_from_menu(EditorSession& session);

// The main window's title for the session: "AVELORW3 - NAME.prj" or
// "AVELORW3 - (untitled)".
std::string session_title(const EditorSession& session);

// Whether leaving the project would ask to save it: it changed, was
// renumbered, or must be saved under a new name.
bool has_unsaved_changes(const EditorSession& session);

// The title the window shows: session_title, with "*" after it while the
// session has unsaved changes.
std::string session_window_title(const EditorSession& session);

}  // namespace avelor
