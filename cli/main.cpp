#include "cli/cli.h"

int main(int argc, char** argv) {
    // The one state of the run, made here and handed down.
    static sorvane::AppState state;
    return sorvane::cli::run_program(state, argc, argv);
}
