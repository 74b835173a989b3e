// The program configuration taking effect: in the SketchPad's view, and as
// the defaults of a new project.
#pragma once

#include "app/program_config.h"
#include "editing/editor_session.h"
#include "sketchpad/palette.h"

namespace avelor {

class Project;

// The palette the configuration selects: the built-in one, or a user
// palette's colour indices in their roles.
SketchPalette selected_palette(const ProgramConfig& config);

// The session's view takes the cell sizes (cell_size when it is among
// them, else 8), the cell jump, the floating status box, zone and duct
// colouring and the selected palette.
void apply_program_config(EditorSession& session, int cell_size);

// A new project takes the default units, flow unit and zone temperature.
void apply_new_project_defaults(const ProgramConfig& config, Project& project);

}  // namespace avelor
