#include "fontgen/bdf_import.h"

#include "fontgen/font_table.h"
#include "fontgen/font_import.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace sorvane {
namespace {

constexpr int max_glyph_side = 256;  // larger BBX sizes are refused as broken

// A line of the file with its words, as BDF separates them by blanks.
struct Line {
    std::array<char, 2000> text;
    std::string_view words[6];
    int word_count = 0;
    int number = 0;

    std::string_view keyword() const { return word_count > 0 ? words[0] : std::string_view(); }
};

bool next_line(TextReader& in, Line& line) {
    const std::size_t length = in.read_line(line.text.data(), line.text.size());
    if (length == 0) return false;
    if (line.text[length - 1] != '\n' && length == line.text.size() - 1) in.skip_line();
    ++line.number;
    line.word_count = 0;
    const char* p = line.text.data();
    while (line.word_count < 6) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (*p == '\0') break;
        const char* start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
        line.words[line.word_count++] = std::string_view(start, static_cast<std::size_t>(p - start));
    }
    return true;
}

// Whether a word is a whole decimal number, of any size.
bool is_integer(std::string_view word) {
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
    return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

// A whole decimal number of a word, within the given range; false otherwise.
bool number_of(std::string_view word, long low, long high, long& value) {
    if (word.empty() || word.size() > 12) return false;
    char text[16];
    std::memcpy(text, word.data(), word.size());
    text[word.size()] = '\0';
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= low && value <= high;
}


// The charset registry field of an XLFD font name, the second last of its '-' fields.
std::string_view registry_of_font_name(std::string_view name) {
    const std::size_t last = name.rfind('-');
    if (last == std::string_view::npos || last == 0) return {};
    const std::size_t before = name.rfind('-', last - 1);
    if (before == std::string_view::npos) return {};
    return name.substr(before + 1, last - before - 1);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

namespace {

// What the header says of the whole font.
struct BdfHeader {
    bool have_box = false;
    long box_height = 0, box_bottom = 0;
    long pixel_size = 0;
    long ascent = -1;
    std::array<char, 64> registry{};
};

// The header, up to the first glyph; null, or why it cannot be read.
const char* read_header(TextReader& in, Line& line, BdfHeader& header) {
    for (;;) {
        if (!next_line(in, line)) return "the BDF file ends before its first glyph";
        const std::string_view key = line.keyword();
        long a = 0, b = 0, c = 0, d = 0;
        if (key == "FONTBOUNDINGBOX") {
            if (line.word_count < 5 || !number_of(line.words[1], 1, max_glyph_side, a) ||
                !number_of(line.words[2], 1, max_glyph_side, b) || !number_of(line.words[3], -1000, 1000, c) ||
                !number_of(line.words[4], -1000, 1000, d))
                return "FONTBOUNDINGBOX is not four numbers of a sensible size";
            header.box_height = b;
            header.box_bottom = d;
            header.have_box = true;
        } else if (key == "PIXEL_SIZE") {
            if (line.word_count < 2 || !number_of(line.words[1], -100000, 100000, header.pixel_size))
                return "PIXEL_SIZE is not a number";
        } else if (key == "FONT_ASCENT") {
            if (line.word_count < 2 || !number_of(line.words[1], -1000, 1000, header.ascent))
                return "FONT_ASCENT is not a number";
        } else if (key == "CHARSET_REGISTRY" || (key == "FONT" && header.registry[0] == '\0')) {
            std::string_view value = line.word_count > 1 ? line.words[1] : std::string_view();
            if (key == "FONT") value = registry_of_font_name(value);
            if (!value.empty() && value.front() == '"') value.remove_prefix(1);
            if (!value.empty() && value.back() == '"') value.remove_suffix(1);
            const std::size_t n = value.copy(header.registry.data(), header.registry.size() - 1);
            header.registry[n] = '\0';
        } else if (key == "STARTCHAR" || key == "ENDFONT") {
            return nullptr;
        }
    }
}

// A glyph's ENCODING and BBX, up to its BITMAP line.
struct BdfGlyphHead {
    long code = -1;
    long width = -1, height = -1, x = 0, y = 0;
};

const char* read_glyph_head(TextReader& in, Line& line, BdfGlyphHead& glyph) {
    for (;;) {
        if (!next_line(in, line)) return "the BDF file ends inside a glyph";
        const std::string_view key = line.keyword();
        if (key == "ENCODING") {
            if (line.word_count < 2 || !is_integer(line.words[1])) return "ENCODING is not a number";
            // A number past any position is a glyph the font source has no place for.
            if (!number_of(line.words[1], -1, 0x7FFFFFFF, glyph.code)) glyph.code = -1;
        } else if (key == "BBX") {
            if (line.word_count < 5 || !number_of(line.words[1], 0, max_glyph_side, glyph.width) ||
                !number_of(line.words[2], 0, max_glyph_side, glyph.height) ||
                !number_of(line.words[3], -1000, 1000, glyph.x) || !number_of(line.words[4], -1000, 1000, glyph.y))
                return "BBX is not four numbers of a sensible size";
        } else if (key == "BITMAP") {
            return glyph.width < 0 ? "a glyph has no BBX" : nullptr;
        } else if (key == "ENDCHAR" || key == "STARTCHAR" || key == "ENDFONT") {
            return "a glyph has no BITMAP";
        }
    }
}

// The rows of a glyph's bitmap and its ENDCHAR, into bits, pitch bytes a row.
const char* read_bitmap(TextReader& in, Line& line, const BdfGlyphHead& glyph, long pitch, std::uint8_t* bits) {
    for (long i = 0; i < glyph.height; ++i) {
        if (!next_line(in, line)) return "the BDF file ends inside a bitmap";
        const std::string_view hex = line.keyword();
        if (hex == "ENDCHAR") return "a bitmap has fewer rows than its BBX";
        if (static_cast<long>(hex.size()) < pitch * 2) return "a bitmap row is shorter than its BBX";
        for (long j = 0; j < pitch; ++j) {
            const int high = hex_digit(hex[static_cast<std::size_t>(2 * j)]);
            const int low = hex_digit(hex[static_cast<std::size_t>(2 * j + 1)]);
            if (high < 0 || low < 0) return "a bitmap row is not hexadecimal";
            bits[static_cast<std::size_t>(i * pitch + j)] = static_cast<std::uint8_t>(high << 4 | low);
        }
        // Dots past the box's width are padding.
        if (glyph.width % 8 != 0)
            bits[static_cast<std::size_t>(i * pitch + pitch - 1)] &= static_cast<std::uint8_t>(0xFF00 >> (glyph.width % 8));
    }
    if (!next_line(in, line)) return "the BDF file ends inside a glyph";
    if (line.keyword() == "STARTCHAR" || line.keyword() == "ENDFONT") return "a glyph has no ENDCHAR";
    if (line.keyword() != "ENDCHAR") return "a bitmap has more rows than its BBX";
    return nullptr;
}

}  // namespace

FontImport read_bdf(TextReader& in, BitOrder order, GlyphTable& glyphs, HalfTable* half) {
    for (GlyphRecord& g : glyphs) g.fill(0);
    FontImport result;
    Line line;
    auto refuse = [&](const char* why) {
        result.error = why;
        result.error_place = line.number;
        return result;
    };

    do {
        if (!next_line(in, line)) return refuse("not a BDF file: it is empty");
    } while (line.word_count == 0);
    if (line.keyword() != "STARTFONT") return refuse("not a BDF file: it does not begin with STARTFONT");
    BdfHeader header;
    if (const char* why = read_header(in, line, header)) return refuse(why);
    FontEncoding encoding = FontEncoding::jis_x0208;
    if (!encoding_of_registry(header.registry.data(), encoding)) return refuse(not_japanese_reason);
    long pixel_size = header.pixel_size;
    if (pixel_size == 0 && header.have_box) pixel_size = header.box_height;
    if (pixel_size < 0 || pixel_size > 1000 || !font_of_dots(static_cast<int>(pixel_size))) {
        result.pixel_size = static_cast<int>(std::clamp(pixel_size, -1000L, 1000L));
        return refuse(not_a_font_size.c_str());
    }
    result.pixel_size = static_cast<int>(pixel_size);
    // Row 0 of the cell is the font's ascent line.
    long ascent = header.ascent;
    if (ascent < 0) ascent = header.have_box ? header.box_height + header.box_bottom : pixel_size;
    GridPlacer placer(glyphs, result, encoding, result.pixel_size, static_cast<int>(ascent), order, half);
    std::array<std::uint8_t, max_glyph_side * max_glyph_side / 8> bits;

    // The glyphs: STARTCHAR, ENCODING, BBX, BITMAP and its rows, ENDCHAR.
    while (line.keyword() == "STARTCHAR") {
        BdfGlyphHead glyph;
        if (const char* why = read_glyph_head(in, line, glyph)) return refuse(why);
        const long pitch = (glyph.width + 7) / 8;
        if (const char* why = read_bitmap(in, line, glyph, pitch, bits.data())) return refuse(why);
        placer.place(glyph.code, {static_cast<int>(glyph.width), static_cast<int>(glyph.height), static_cast<int>(glyph.x),
                                  static_cast<int>(glyph.y + glyph.height), bits.data(), static_cast<int>(pitch)});
        do {
            if (!next_line(in, line)) return refuse("the BDF file ends before ENDFONT");
        } while (line.keyword() != "STARTCHAR" && line.keyword() != "ENDFONT");
    }
    if (line.keyword() != "ENDFONT") return refuse("the BDF file ends before ENDFONT");
    return result;
}

}  // namespace sorvane
