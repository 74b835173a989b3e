#include "model/project.h"
#include "prjfile/project_file.h"
#include "simulation/results_writer.h"
