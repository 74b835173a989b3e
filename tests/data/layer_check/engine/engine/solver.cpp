#include "model/project.h"
#include "sketchpad/cell_scan.h"
