// Any command line, its words split at NUL bytes: taken apart, it is a command with its
// operands in range, a request for help or the version, or a usage error.
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words{"sorvane-cli"};
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);
    const auto call = sorvane::cli::parse_arguments(static_cast<int>(words.size()), argv.data());
    if (call.error.empty() && !call.help && !call.version && call.command == nullptr) std::abort();
    return 0;
}
