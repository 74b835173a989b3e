// Placeholder replaced by the results work in progress.
#include "cli_main.h"

namespace avelor::cli {
int results_command(const CliOptions&, const ReadOptions&, std::ostream&, std::ostream& err)
{
    err << "avelor: results is not available yet\n";
    return 1;
}
}  // namespace avelor::cli
