// A drawing file that reaches up into the edits.
#include "sketchpad/view.h"

#include <vector>

#include "editing/sketch_editor.h"
#include "model/project.h"
