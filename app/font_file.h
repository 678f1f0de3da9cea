// Font files read whole into memory, unpacked when gzip packed them (as Debian installs the
// X11 fonts), and read by the reader their content calls for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/messages.h"
#include "fontgen/font_import.h"
#include "fontgen/font_source.h"

namespace sorvane {

// The largest font file read, unpacked: the largest JIS X 0208 fonts are a few MB, and a
// TrueType collection of every CJK script stays below it.
inline constexpr std::size_t font_file_limit = 64u << 20;

// Why a font file could not be read: errno, or a message of the message table with the
// detail it fills in.
struct FontFileRead {
    int error = 0;
    int reason = no_message;
    std::string detail;

    bool ok() const { return error == 0 && reason == no_message; }
};

// Reads the file at path, unpacked, into data. The memory it takes stays within the limit and
// a block, however far a packed file would unpack.
FontFileRead read_font_file(const char* path, std::vector<std::uint8_t>& data);

// The glyphs of a font file's data, by the reader its content calls for: BDF, PCF, or an
// outline font drawn at size dots (face: the face of a collection).
FontImport read_any_font(const std::vector<std::uint8_t>& data, int face, int size, BitOrder order, GlyphTable& glyphs,
                         HalfTable* half = nullptr);

}  // namespace sorvane
