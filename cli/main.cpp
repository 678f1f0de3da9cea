#include "cli/cli.h"

int main(int argc, char** argv) { return sorvane::cli::run_program(argc, argv); }
