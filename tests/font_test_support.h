// Helpers shared by the tests of every layer from core/ and fontgen/ up: files made from
// bytes, a temporary folder, BDF fonts and packed files. It includes nothing above fontgen/.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "core/kanji_grid.h"

namespace sorvane::testing {

// Shift_JIS text from a list of byte values.
inline std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// The two bytes of a cell index as text.
inline std::string character(int cell) {
    const SjisBytes b = bytes_of(cell);
    return bytes({b.lead, b.trail});
}

// The cell indexes whose flags are set, in order.
inline std::vector<int> cells_of(const KanjiGrid& set) {
    std::vector<int> cells;
    for (int i = 0; i < grid_cells; ++i)
        if (set[static_cast<std::size_t>(i)] != 0) cells.push_back(i);
    return cells;
}

// An anonymous file holding the given bytes, rewound; closes itself.
struct ScratchFile {
    explicit ScratchFile(const std::string& content) : file(std::tmpfile()) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::rewind(file);
    }
    ~ScratchFile() { std::fclose(file); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    std::FILE* file;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
    TempDir() {
        std::random_device random;
        do {
            path = std::filesystem::temp_directory_path() / ("sorvane-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}


// A text quoted for the shell.
inline std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The bytes of a file, unpacked when gzip packed it (as Debian installs the X11 fonts).
inline std::vector<std::uint8_t> unpacked_file(const std::string& path) {
    std::vector<std::uint8_t> data;
    gzFile gz = gzopen(path.c_str(), "rb");
    if (!gz) return data;
    std::uint8_t block[1 << 16];
    for (int n; (n = gzread(gz, block, sizeof block)) > 0;) data.insert(data.end(), block, block + n);
    gzclose(gz);
    return data;
}

// A glyph of a BDF font: its JIS code, its box and its rows as hexadecimal text.
struct BdfGlyph {
    int encoding;
    int width, height, x, y;
    std::vector<std::string> rows;
};

// A BDF font of the given size with a cell as its bounding box, baseline 2 dots above the
// bottom as in the X11 fonts.
inline std::string bdf_font(int size, const std::vector<BdfGlyph>& glyphs,
                            const std::string& registry = "JISX0208.1983") {
    std::string s = "STARTFONT 2.1\nFONT -Test-Fixed-Medium-R-Normal--" + std::to_string(size) + "-0-75-75-C-0-" +
                    registry + "-0\nSIZE " + std::to_string(size) + " 75 75\nFONTBOUNDINGBOX " + std::to_string(size) +
                    " " + std::to_string(size) + " 0 -2\nSTARTPROPERTIES 3\nPIXEL_SIZE " + std::to_string(size) +
                    "\nCHARSET_REGISTRY \"" + registry + "\"\nCHARSET_ENCODING \"0\"\nENDPROPERTIES\nCHARS " +
                    std::to_string(glyphs.size()) + "\n";
    for (const BdfGlyph& g : glyphs) {
        s += "STARTCHAR c" + std::to_string(g.encoding) + "\nENCODING " + std::to_string(g.encoding) +
             "\nSWIDTH 960 0\nDWIDTH " + std::to_string(size) + " 0\nBBX " + std::to_string(g.width) + " " +
             std::to_string(g.height) + " " + std::to_string(g.x) + " " + std::to_string(g.y) + "\nBITMAP\n";
        for (const std::string& r : g.rows) s += r + "\n";
        s += "ENDCHAR\n";
    }
    return s + "ENDFONT\n";
}

// A full-cell glyph of a 16-dot font whose row r has the dots given as a 16-bit mask,
// leftmost dot in the top bit, as BDF writes them.
inline BdfGlyph bdf_glyph16(int encoding, const std::vector<unsigned>& masks) {
    BdfGlyph g{encoding, 16, 16, 0, -2, {}};
    for (int r = 0; r < 16; ++r) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", r < static_cast<int>(masks.size()) ? masks[static_cast<std::size_t>(r)] : 0u);
        g.rows.push_back(hex);
    }
    return g;
}

}  // namespace sorvane::testing
