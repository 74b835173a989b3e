#include "cli_main.h"

namespace avelor::cli {

int run_cli(int, char**) { return 0; }

}  // namespace avelor::cli
