// Editing may use every folder below it.
#include "editing/edit.h"

#include <string>

#include "app/diagnostics.h"
#include "check/building_check.h"
#include "forms/zone_sheet.h"
#include "sketchpad/sketch_grid.h"
