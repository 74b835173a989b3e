// Placeholder replaced by the solver work in progress.
#include "airflow_network.h"
