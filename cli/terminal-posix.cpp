#include "cli/terminal.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>

namespace sorvane {
namespace {

// The converter from code page 932 into the terminal's encoding, opened once; UTF-8 when
// the locale names no encoding of its own (the C locale).
iconv_t to_terminal() {
    static iconv_t converter = [] {
        std::setlocale(LC_CTYPE, "");
        const char* codeset = nl_langinfo(CODESET);
        if (!codeset || !*codeset || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) codeset = "UTF-8";
        iconv_t c = iconv_open(codeset, "CP932");
        return c != reinterpret_cast<iconv_t>(-1) ? c : iconv_open("UTF-8", "CP932");
    }();
    return converter;
}

// Converts what it can of in, moving in on; false when the next bytes cannot be converted.
bool convert(iconv_t c, std::FILE* stream, const char*& in, std::size_t& left) {
    char out[1024];
    while (left > 0) {
        char* to = out;
        std::size_t room = sizeof out;
        char* from = const_cast<char*>(in);
        const std::size_t r = iconv(c, &from, &left, &to, &room);
        in = from;
        std::fwrite(out, 1, static_cast<std::size_t>(to - out), stream);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
}

}  // namespace

void print_sjis(std::FILE* stream, std::string_view sjis) {
    const iconv_t c = to_terminal();
    if (c == reinterpret_cast<iconv_t>(-1)) {
        std::fwrite(sjis.data(), 1, sjis.size(), stream);
        return;
    }
    const char* in = sjis.data();
    std::size_t left = sjis.size();
    while (!convert(c, stream, in, left)) {
        // A position with no character in code page 932, or a stray byte: show the geta mark
        // in its place and go on after it.
        const auto lead = static_cast<unsigned char>(*in);
        const std::size_t skip = left >= 2 && ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) ? 2 : 1;
        in += skip;
        left -= skip;
        const char* geta = "\x81\xac";
        std::size_t geta_left = 2;
        iconv(c, nullptr, nullptr, nullptr, nullptr);
        convert(c, stream, geta, geta_left);
    }
}

}  // namespace sorvane
