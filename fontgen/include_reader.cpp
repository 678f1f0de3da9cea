#include "fontgen/include_reader.h"

#include <algorithm>
#include <array>

#include "core/kanji_grid.h"
#include "fontgen/font_table.h"

namespace sorvane {
namespace {

// A cursor over the text that knows its line.
struct Reader {
    std::string_view text;
    std::size_t pos = 0;

    int line() const { return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n')); }

    bool find(std::string_view what) {
        const std::size_t at = text.find(what, pos);
        if (at == std::string_view::npos) return false;
        pos = at + what.size();
        return true;
    }

    void skip_blanks() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n')) ++pos;
    }

    // The next character after blanks, taken if it is c.
    bool take(char c) {
        skip_blanks();
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }

    // A decimal number, or a hexadecimal one after 0x, of at most 32 bits.
    bool number(std::uint32_t& value) {
        skip_blanks();
        int base = 10;
        if (text.substr(pos, 2) == "0x") {
            base = 16;
            pos += 2;
        }
        const std::size_t start = pos;
        std::uint64_t v = 0;
        for (; pos < text.size(); ++pos) {
            const char c = text[pos];
            int d = -1;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            if (d < 0) break;
            v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
            if (v > 0xFFFFFFFFu) return false;
        }
        value = static_cast<std::uint32_t>(v);
        return pos > start;
    }
};

// Row values from the numbers of one glyph: the writer's layout run backwards.
GlyphRecord rows_of(const std::uint32_t* numbers, const FontKind& font) {
    GlyphRecord rows{};
    const int band = font.band;
    const int parts = font.row_parts;
    for (int row = 0; row < font.dots; ++row) {
        const int first = row / band * band * parts + row % band;
        std::uint32_t value = numbers[first];
        for (int part = 1; part < parts; ++part) value |= numbers[first + part * band] << (8 * part);
        rows[static_cast<std::size_t>(row)] = static_cast<std::int32_t>(value);
    }
    return rows;
}

// The half-width tables a file has, each glyph its rows from the top, low byte first.
const char* read_half_table(std::string_view text, const char* name, int first, int count, const FontKind& kind,
                            IncludeFont& font) {
    Reader in{text};
    if (!in.find(name)) return nullptr;
    const int row_bytes = kind.half_row_bytes();
    for (int i = 0; i < count; ++i) {
        if ((i > 0 && !in.take(',')) || !in.take('{')) return "a half-width table holds fewer glyphs than its size";
        GlyphRecord& record = font.half[static_cast<std::size_t>(first + i)];
        for (int n = 0; n < kind.dots * row_bytes; ++n) {
            std::uint32_t number = 0;
            if ((n > 0 && !in.take(',')) || !in.number(number) || number > 0xFF) return "a half-width glyph has fewer numbers than FONT_HALF_SIZE";
            record[static_cast<std::size_t>(n / row_bytes)] |= static_cast<std::int32_t>(number << (8 * (n % row_bytes)));
        }
        if (!in.take('}')) return "a half-width glyph has more numbers than FONT_HALF_SIZE";
        font.has_half[static_cast<std::size_t>(first + i)] = true;
    }
    return nullptr;
}

const char* read_half_tables(std::string_view text, const FontKind& kind, IncludeFont& font) {
    font.half.assign(half_codes, GlyphRecord{});
    font.has_half.assign(half_codes, false);
    if (const char* why = read_half_table(text, "font_half_ascii[95][FONT_HALF_SIZE] = {", 0x20, 95, kind, font)) return why;
    return read_half_table(text, "font_half_kana[63][FONT_HALF_SIZE] = {", 0xA1, 63, kind, font);
}

// Reads font_kanji_alt, each character's code in the other key, where the file has it;
// null, or why the table is not one.
const char* read_alt_table(Reader& in, std::uint32_t count, IncludeFont& font) {
    if (!in.find("font_kanji_alt[] = {")) return nullptr;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t code = 0;
        if ((i > 0 && !in.take(',')) || !in.number(code) || code > 0xFFFF)
            return "font_kanji_alt holds fewer codes than FONT_KANJI_NUM";
        font.alt.push_back(static_cast<std::uint16_t>(code));
    }
    return in.take('}') ? nullptr : "font_kanji_alt holds more codes than FONT_KANJI_NUM";
}

}  // namespace

std::optional<std::uint32_t> named_image(std::string_view text) {
    Reader in{text};
    std::uint32_t crc = 0;
    if (!in.find("\n#define FONT_IMAGE_CRC") || !in.number(crc)) return std::nullopt;
    return crc;
}

IncludeFont read_include_file(std::string_view text) {
    IncludeFont font;
    Reader in{text};
    auto refuse = [&](const char* why) {
        font.error = why;
        font.error_line = in.line();
        font.codes.clear();
        font.glyphs.clear();
        return font;
    };

    std::uint32_t count = 0;
    std::uint32_t size = 0;
    if (!in.find("#define FONT_KANJI_NUM") || !in.number(count) || count > grid_cells)
        return refuse("no FONT_KANJI_NUM of 0 to 8836");
    const FontKind* kind = nullptr;
    if (!in.find("#define FONT_KANJI_SIZE") || !in.number(size) || size > 1000 ||
        !(kind = font_of_glyph_bytes(static_cast<int>(size))))
        return refuse("no FONT_KANJI_SIZE of 28, 32 or 72");
    font.glyph_bytes = static_cast<int>(size);
    font.side = kind->dots;
    std::uint32_t key = 0;
    Reader key_reader{text};
    font.unicode_key = key_reader.find("#define FONT_KEY") && key_reader.number(key) && key == 1;

    if (!in.find("font_kanji_index[] = {")) {
        // A file with a font's name has no table of characters when it has none.
        if (count > 0 || text.find("\nconst sorvane_font ") == std::string_view::npos) return refuse("no table font_kanji_index");
        if (const char* why = read_half_tables(text, *kind, font)) return refuse(why);
        return font;
    }
    font.codes.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t code = 0;
        if ((i > 0 && !in.take(',')) || !in.number(code)) return refuse("font_kanji_index holds fewer codes than FONT_KANJI_NUM");
        if (code > 0xFFFF || (!font.unicode_key && (!is_lead_byte(code >> 8) || !is_trail_byte(code & 0xFF))))
            return refuse("a code of font_kanji_index is no two-byte Shift_JIS character");
        if (!font.codes.empty() && code <= font.codes.back()) return refuse("the codes of font_kanji_index do not ascend");
        font.codes.push_back(static_cast<std::uint16_t>(code));
    }
    if (!in.take('}')) return refuse("font_kanji_index holds more codes than FONT_KANJI_NUM");

    if (!in.find("font_kanji[][FONT_KANJI_SIZE] = {")) return refuse("no table font_kanji");
    font.glyphs.reserve(count);
    std::array<std::uint32_t, 3 * glyph_rows_max> numbers;
    for (std::uint32_t i = 0; i < count; ++i) {
        if ((i > 0 && !in.take(',')) || !in.take('{')) return refuse("font_kanji holds fewer glyphs than FONT_KANJI_NUM");
        for (std::uint32_t n = 0; n < size; ++n) {
            if ((n > 0 && !in.take(',')) || !in.number(numbers[n])) return refuse("a glyph has fewer numbers than FONT_KANJI_SIZE");
            if (numbers[n] > 0xFF) return refuse("a number of font_kanji does not fit its char: it is above 255");
        }
        if (!in.take('}')) return refuse("a glyph has more numbers than FONT_KANJI_SIZE");
        font.glyphs.push_back(rows_of(numbers.data(), *kind));
    }
    if (!in.take('}')) return refuse("font_kanji holds more glyphs than FONT_KANJI_NUM");
    if (const char* why = read_alt_table(in, count, font)) return refuse(why);
    if (const char* why = read_half_tables(text, *kind, font)) return refuse(why);
    return font;
}

}  // namespace sorvane
