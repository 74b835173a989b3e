// The files of a project that "Open Project Input Files" and "Open Project
// Result Files" open: the input files its run control names, and the files
// the engine writes beside it under its base name.
#pragma once

#include <array>
#include <string>

#include "app/command_rules.h"

namespace avelor {

struct EditorSession;

// The path of an item's file; empty when the project does not name it or,
// untitled, has no place for files beside it.
std::string project_file_path(const EditorSession& session, int command);

// Which of project_file_items() exist, in that order.
std::array<bool, kProjectFileCount> existing_project_files(const EditorSession& session);

}  // namespace avelor
