#include "check/building_check.h"
#include "sketchpad/view.h"
