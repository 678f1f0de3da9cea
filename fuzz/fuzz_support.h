// What the fuzz targets share: the fuzzer's bytes as an open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fontgen/font_import.h"
#include "fontgen/font_table.h"

namespace sorvane::fuzzing {

// The bytes as a file open for reading; closes itself.
struct MemoryFile {
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : file(size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : std::fopen("/dev/null", "rb")) {}
    ~MemoryFile() {
        if (file) std::fclose(file);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::FILE* file;
};

// An imported font's glyphs: rows past the font are empty, and a row holds no more bytes
// than its dots need; anything else aborts.
inline void check_imported(const FontImport& font, const GlyphTable& glyphs) {
    if (!font_of_dots(font.pixel_size)) std::abort();
    const int row_bits = (font.pixel_size + 7) / 8 * 8;
    for (const GlyphRecord& g : glyphs) {
        for (int r = 0; r < glyph_rows_max; ++r) {
            const auto row = static_cast<std::uint32_t>(g[static_cast<std::size_t>(r)]);
            if (r >= font.pixel_size ? row != 0 : (row >> row_bits) != 0) std::abort();
        }
    }
}

}  // namespace sorvane::fuzzing
