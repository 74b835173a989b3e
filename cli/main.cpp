#include "cli_main.h"

int main(int argc, char** argv) { return avelor::cli::run_cli(argc, argv); }
