// The command line's words as the program reads its files: in the system's code page.
#pragma once

#include <string>
#include <vector>

namespace sorvane::cli {

// The arguments after the program's name. On Windows they are taken from the UTF-16
// command line and turned into code page 932 exactly, never by a best fit (which would make
// "café" another folder, or a full-width quote a quote); an argument with no exact form
// there leaves the words empty and is named in error. Elsewhere they are argv as it is.
std::vector<std::string> program_arguments(int argc, char** argv, std::string& error);

}  // namespace sorvane::cli
