// Any bytes as a list text, typed or pasted by hand: Parse, then Render, must give a text in
// normal form that parses to the same set.
#include <cstdlib>
#include <cstring>

#include "core/list_text.h"

using namespace sorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KanjiGrid set{};
    parse_list(std::string_view(reinterpret_cast<const char*>(data), size), set);
    static char text[longest_list_text];
    const std::size_t length = render_list(set, text);
    if (length >= longest_list_text || text[length] != '\0') std::abort();
    KanjiGrid again{};
    parse_list(std::string_view(text, length), again);
    if (again != set) std::abort();
    return 0;
}
