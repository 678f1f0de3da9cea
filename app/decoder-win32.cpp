#include "app/encoded_text.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>

namespace sorvane {
namespace {

struct Name {
    const char* name;
    UINT code_page;
};

constexpr Name names[] = {
    {"utf-8", CP_UTF8},   {"utf8", CP_UTF8},   {"euc-jp", 20932},    {"eucjp", 20932},      {"cp932", 932},
    {"shift_jis", 932},   {"shift-jis", 932},  {"sjis", 932},        {"windows-31j", 932},
};

bool same_name(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
        if (x != *b) return false;
    }
    return *a == *b;
}

// The length of the character that begins with the byte b, by the lead bytes of the
// encoding of a code page.
std::size_t character_length(std::intptr_t code_page, unsigned b) {
    switch (code_page) {
    case CP_UTF8: return b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    case 20932: return b == 0x8F ? 3 : b == 0x8E || (b >= 0xA1 && b <= 0xFE) ? 2 : 1;
    default: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    }
}

// Code points from UTF-16.
long to_code_points(const wchar_t* wide, int count, char32_t* out) {
    long n = 0;
    for (int i = 0; i < count; ++i) {
        char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(wide[++i]) - 0xDC00);
        }
        out[n++] = c;
    }
    return n;
}

// Where JIS X 0208 and code page 932 map a character differently, JIS X 0208's form.
struct Fallback {
    char32_t code_point;
    std::uint8_t lead, trail;
};
constexpr Fallback jis_forms[] = {
    {0x301C, 0x81, 0x60}, {0x2016, 0x81, 0x61}, {0x2212, 0x81, 0x7C}, {0x00A2, 0x81, 0x91},
    {0x00A3, 0x81, 0x92}, {0x00AC, 0x81, 0xCA}, {0x2014, 0x81, 0x5C},
};

}  // namespace

Decoder::Decoder(const char* encoding) : wide_(new wchar_t[2 * 65536]) {
    for (const Name& n : names)
        if (same_name(encoding, n.name)) decoder_ = static_cast<std::intptr_t>(n.code_page);
}

Decoder::~Decoder() = default;

bool Decoder::known() const { return decoder_ != -1; }

long Decoder::decode(const std::uint8_t* in, std::size_t size, bool at_end, char32_t* out, std::size_t capacity,
                     std::size_t& used) {
    const auto code_page = static_cast<UINT>(decoder_);
    // Whole characters only, and no more than the output takes (a character gives at most
    // two UTF-16 units, one code point).
    std::size_t whole = 0;
    std::size_t characters = 0;
    while (whole < size && characters < capacity) {
        const std::size_t length = character_length(decoder_, in[whole]);
        if (whole + length > size) break;
        whole += length;
        ++characters;
    }
    used = 0;
    if (whole == 0) return at_end && size > 0 ? -1 : 0;
    wchar_t* wide = wide_.get();
    const int count = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in),
                                          static_cast<int>(whole), wide, 2 * 65536);
    if (count > 0) {
        used = whole;
        return to_code_points(wide, count, out);
    }
    // Something in it is invalid: take the characters before it, one at a time.
    long n = 0;
    while (used < whole) {
        const std::size_t length = character_length(decoder_, in[used]);
        wchar_t one[2];
        const int units = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in + used),
                                              static_cast<int>(length), one, 2);
        if (units <= 0) break;
        n += to_code_points(one, units, out + n);
        used += length;
    }
    return n > 0 ? n : -1;
}

int Decoder::look_up(char32_t code_point, std::uint8_t bytes[2]) {
    if (code_point < 0x10000 && !(code_point >= 0xD800 && code_point < 0xE000)) {
        const wchar_t wide = static_cast<wchar_t>(code_point);
        char out[4];
        BOOL defaulted = FALSE;
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, out, sizeof out, nullptr, &defaulted);
        if (n >= 1 && n <= 2 && !defaulted) {
            std::memcpy(bytes, out, static_cast<std::size_t>(n));
            return n;
        }
    }
    for (const Fallback& f : jis_forms) {
        if (f.code_point == code_point) {
            bytes[0] = f.lead;
            bytes[1] = f.trail;
            return 2;
        }
    }
    return 0;
}

std::FILE* open_input(const char* path) {
    if (std::strcmp(path, "-") == 0) {
        _setmode(_fileno(stdin), _O_BINARY);
        return stdin;
    }
    return std::fopen(path, "rb");
}

}  // namespace sorvane
