#include "cli/arguments.h"

namespace sorvane::cli {

std::vector<std::string> program_arguments(int argc, char** argv, std::string&) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace sorvane::cli
