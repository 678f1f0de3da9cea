#include "cli/arguments.h"

#include <windows.h>
#include <shellapi.h>

namespace sorvane::cli {
namespace {

constexpr UINT shift_jis = 932;

// A UTF-16 argument in code page 932: exactly, or with '?' where it has no form there.
std::string in_code_page(const wchar_t* argument, bool& exact) {
    BOOL used_default = FALSE;
    const int size = WideCharToMultiByte(shift_jis, WC_NO_BEST_FIT_CHARS, argument, -1, nullptr, 0, "?", &used_default);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(shift_jis, WC_NO_BEST_FIT_CHARS, argument, -1, text.data(), size, "?", &used_default);
    text.resize(std::char_traits<char>::length(text.c_str()));
    // A character that has no form in the code page comes back as the default; a check by the
    // way back catches any that a best fit still slipped through.
    int wide_length = MultiByteToWideChar(shift_jis, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(wide_length > 0 ? wide_length : 1), L'\0');
    MultiByteToWideChar(shift_jis, 0, text.c_str(), -1, back.data(), wide_length);
    exact = size > 0 && !used_default && wide_length > 0 && back.c_str() == std::wstring(argument);
    return text;
}

}  // namespace

std::vector<std::string> program_arguments(int, char**, std::string& error) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) {
        bool exact = false;
        std::string argument = in_code_page(wide[i], exact);
        if (!exact) {
            error = "argument " + std::to_string(i) + " has no exact form in code page 932, the code page of file "
                    "names here: " + argument;
            arguments.clear();
            break;
        }
        arguments.push_back(std::move(argument));
    }
    if (wide) LocalFree(wide);
    return arguments;
}

}  // namespace sorvane::cli
