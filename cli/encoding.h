// Text in other encodings than Shift_JIS: the platform's converter turns it into Unicode,
// and each character into its Shift_JIS bytes. One implementation per platform: iconv on
// POSIX systems, the Windows conversion calls on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace sorvane::cli {

// Prepares the decoder for a named encoding ("utf-8", "euc-jp", "cp932", ...); false when
// the platform knows no such encoding.
bool open_decoder(const char* encoding);
void close_decoder();

// Decodes the whole characters at the start of in (size bytes; at_end when no more follow)
// into out, at most capacity code points. used: the bytes taken. Returns the number of code
// points, or -1 when the bytes at in + used are no character of the encoding.
long decode(const std::uint8_t* in, std::size_t size, bool at_end, char32_t* out, std::size_t capacity,
            std::size_t& used);

// The Shift_JIS bytes of a code point, as code page 932 or JIS X 0208 give them: the number
// of bytes (1 or 2), or 0 when there is no Shift_JIS form.
int shift_jis_of(char32_t code_point, std::uint8_t bytes[2]);

// A file to read, or standard input for "-", in binary mode; null when it cannot be opened.
std::FILE* open_input(const char* path);

}  // namespace sorvane::cli
