// Placeholder replaced by the runner work in progress.
#include "cli_main.h"

namespace avelor::cli {
int run_simulation_command(const CliOptions&, const ReadOptions&, const ProgramFolders&, std::ostream&,
                           std::ostream& err)
{
    err << "avelor: run is not available yet\n";
    return 2;
}
}  // namespace avelor::cli
