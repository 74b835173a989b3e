// "Continuous Values File..." and "Discrete Values File...": the project's
// values files, whose value names control nodes and the records' CVF/DVF
// links choose from.
#pragma once

#include "editing/editor_session.h"
#include "model/values_file.h"

namespace avelor {

// Asks for the file (the current one proposed) and reads its header. A
// readable file becomes the project's, with its value names, and the
// project is changed; a file that cannot be read is told and the project
// keeps the file it had. True when the file was taken.
bool choose_values_file(EditorSession& session, ValuesFileKind kind);

}  // namespace avelor
