#pragma once

namespace avelor::cli {

// The whole command-line program; returns the exit code.
int run_cli(int argc, char** argv);

}  // namespace avelor::cli
