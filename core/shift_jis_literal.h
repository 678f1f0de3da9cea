// Shift_JIS texts written readable in UTF-8 source: "漢字"_sjis is a pointer to the Shift_JIS
// bytes (code page 932) of 漢字, made by the compiler. A character with no Shift_JIS form is a
// compile error. The source must be read and its literals kept as UTF-8: GCC and MinGW do so
// by default, MSVC with /utf-8.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sorvane {

static_assert(std::string_view("\u6F22") == "\xE6\xBC\xA2", "string literals must be UTF-8 (MSVC: /utf-8)");

// A character and the Shift_JIS code of its cell (the first of code page 932's where it has
// two, else JIS X 0208's own).
struct UnicodeSjis {
    char16_t code;
    std::uint16_t sjis;
};

#include "core/unicode_sjis_table.inc"

// Writes the Shift_JIS form of a UTF-8 text to out, which has room for text.size() bytes
// (never fewer are needed). Returns the number of bytes written, or -1 for a text that is not
// UTF-8 or holds a character with no Shift_JIS form.
constexpr int to_shift_jis(std::string_view text, char* out) {
    int written = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        const int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : -1;
        if (more < 0 || text.size() - i < static_cast<std::size_t>(more)) return -1;
        char32_t code = more == 0 ? lead : lead & (more == 1 ? 0x1Fu : 0x0Fu);
        for (int k = 0; k < more; ++k) {
            const auto b = static_cast<unsigned char>(text[i++]);
            if ((b & 0xC0) != 0x80) return -1;
            code = code << 6 | (b & 0x3Fu);
        }
        if (more == 2 && code < 0x800) return -1;
        if (code < 0x80) {
            out[written++] = static_cast<char>(code);
        } else if (code >= 0xFF61 && code <= 0xFF9F) {  // half-width katakana
            out[written++] = static_cast<char>(0xA1 + (code - 0xFF61));
        } else {
            const auto at = std::lower_bound(unicode_sjis.begin(), unicode_sjis.end(), code,
                                             [](const UnicodeSjis& p, char32_t c) { return p.code < c; });
            if (at == unicode_sjis.end() || at->code != code) return -1;
            out[written++] = static_cast<char>(at->sjis >> 8);
            out[written++] = static_cast<char>(at->sjis & 0xFF);
        }
    }
    return written;
}

namespace shift_jis_detail {

// A UTF-8 string literal as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char text[N]{};
    consteval Utf8Literal(const char (&literal)[N]) { std::copy(literal, literal + N, text); }
    constexpr std::string_view view() const { return {text, N - 1}; }
};

// Named in the compiler's message when a literal is not UTF-8 or holds a character with no
// Shift_JIS form.
void text_is_not_utf8_or_has_a_character_without_a_shift_jis_form();

template <Utf8Literal literal>
consteval std::size_t shift_jis_size() {
    char out[sizeof(literal.text)]{};
    const int n = to_shift_jis(literal.view(), out);
    if (n < 0) text_is_not_utf8_or_has_a_character_without_a_shift_jis_form();
    return static_cast<std::size_t>(n);
}

template <Utf8Literal literal>
inline constexpr auto shift_jis_bytes = [] {
    std::array<char, shift_jis_size<literal>() + 1> bytes{};  // and its NUL
    to_shift_jis(literal.view(), bytes.data());
    return bytes;
}();

}  // namespace shift_jis_detail

template <shift_jis_detail::Utf8Literal literal>
consteval const char* operator""_sjis() {
    return shift_jis_detail::shift_jis_bytes<literal>.data();
}

}  // namespace sorvane
