#include "fontgen/include_reader.h"

#include <algorithm>
#include <array>

#include "core/kanji_grid.h"
#include "fontgen/font_table.h"
#include "fontgen/glyph_coder.h"
#include "fontgen/include_writer.h"

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

// A table of bytes of a compressed set, name[] = { ... }; false when it is none.
bool read_byte_table(std::string_view text, std::string_view name, std::vector<std::uint8_t>& bytes) {
    Reader in{text};
    if (!in.find(std::string(name) + "[] = {")) return false;
    bytes.clear();
    if (in.take('}')) return true;
    do {
        std::uint32_t number = 0;
        if (!in.number(number) || number > 0xFF) return false;
        bytes.push_back(static_cast<std::uint8_t>(number));
    } while (in.take(','));
    return in.take('}');
}

// The glyphs of a compressed set, prefix_model, prefix_starts and prefix_packed, decoded:
// count of them, or why the set is none.
const char* read_compressed_set(std::string_view text, const char* prefix, std::size_t count, const GlyphShape& shape,
                                std::vector<GlyphRecord>& glyphs) {
    std::vector<std::uint8_t> model, starts, packed;
    const std::string name = prefix;
    if (!read_byte_table(text, name + "_model", model) || !read_byte_table(text, name + "_starts", starts) ||
        !read_byte_table(text, name + "_packed", packed))
        return "a compressed set of glyphs lacks its model, its starts or its glyphs, or holds a number above 255";
    if (model.size() < glyph_coder_header_bytes || (model[0] & 15) == 0 ||
        model.size() != glyph_coder_header_bytes + (std::size_t{1} << (model[0] & 15)))
        return "the model of a compressed set of glyphs is not of the size its first byte says";
    const std::size_t groups = (count + glyph_index_group - 1) / glyph_index_group;
    if (starts.size() != count + groups * glyph_index_group_header)
        return "the starts of a compressed set of glyphs are not of its glyphs";
    std::size_t at = 0, record = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % glyph_index_group == 0) {
            at = starts[record] | starts[record + 1] << 8 | static_cast<std::size_t>(starts[record + 2]) << 16;
            record += glyph_index_group_header;
        }
        const std::size_t length = starts[record++];
        if (at > packed.size() || length > packed.size() - at) return "a compressed glyph lies past the packed glyphs";
        // As the firmware reads it: a glyph of its cell's bytes is raw, a longer one is no glyph.
        if (length > static_cast<std::size_t>(shape.cell_bytes())) return "a compressed glyph is longer than its cell";
        glyphs.push_back(decode_glyph(model, std::span(packed).subspan(at, length), shape));
        at += length;
    }
    return nullptr;
}

const char* read_half_tables(std::string_view text, const FontKind& kind, IncludeFont& font) {
    font.half.assign(half_codes, GlyphRecord{});
    font.has_half.assign(half_codes, false);
    if (text.find("font_half_model[] = {") != std::string_view::npos) {
        // Which glyphs the set holds: its defines say, ASCII first.
        const auto defined = [&text](const char* define) {
            Reader in{text};
            std::uint32_t value = 0;
            return in.find(define) && in.number(value) && value == 1;
        };
        std::vector<int> codes;
        if (defined("#define FONT_HALF_ASCII"))
            for (int c = ascii_first; c < ascii_first + ascii_count; ++c) codes.push_back(c);
        if (defined("#define FONT_HALF_KANA"))
            for (int c = kana_first; c < kana_first + kana_count; ++c) codes.push_back(c);
        std::vector<GlyphRecord> glyphs;
        if (const char* why = read_compressed_set(text, "font_half", codes.size(), {kind.half_dots, kind.dots, 1}, glyphs))
            return why;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            font.half[static_cast<std::size_t>(codes[i])] = glyphs[i];
            font.has_half[static_cast<std::size_t>(codes[i])] = true;
        }
        return nullptr;
    }
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

// The table of keys: count codes, ascending, each a two-byte Shift_JIS character unless the
// file is keyed by code point; null, or why not.
const char* read_codes(Reader& in, std::uint32_t count, IncludeFont& font) {
    font.codes.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t code = 0;
        if ((i > 0 && !in.take(',')) || !in.number(code)) return "font_kanji_index holds fewer codes than FONT_KANJI_NUM";
        if (code > 0xFFFF || (!font.unicode_key && (!is_lead_byte(code >> 8) || !is_trail_byte(code & 0xFF))))
            return "a code of font_kanji_index is no two-byte Shift_JIS character";
        if (!font.codes.empty() && code <= font.codes.back()) return "the codes of font_kanji_index do not ascend";
        font.codes.push_back(static_cast<std::uint16_t>(code));
    }
    if (!in.take('}')) return "font_kanji_index holds more codes than FONT_KANJI_NUM";
    return nullptr;
}

// The raw glyph table: count glyphs of the font's FONT_KANJI_SIZE numbers each; null, or why not.
const char* read_raw_glyphs(Reader& in, std::uint32_t count, const FontKind& kind, IncludeFont& font) {
    if (!in.find("font_kanji[][FONT_KANJI_SIZE] = {")) return "no table font_kanji";
    font.glyphs.reserve(count);
    std::array<std::uint32_t, 3 * glyph_rows_max> numbers;
    for (std::uint32_t i = 0; i < count; ++i) {
        if ((i > 0 && !in.take(',')) || !in.take('{')) return "font_kanji holds fewer glyphs than FONT_KANJI_NUM";
        for (int n = 0; n < kind.glyph_bytes(); ++n) {
            std::uint32_t& number = numbers[static_cast<std::size_t>(n)];
            if ((n > 0 && !in.take(',')) || !in.number(number)) return "a glyph has fewer numbers than FONT_KANJI_SIZE";
            if (number > 0xFF) return "a number of font_kanji does not fit its char: it is above 255";
        }
        if (!in.take('}')) return "a glyph has more numbers than FONT_KANJI_SIZE";
        font.glyphs.push_back(rows_of(numbers.data(), kind));
    }
    if (!in.take('}')) return "font_kanji holds more glyphs than FONT_KANJI_NUM";
    return nullptr;
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
    if (const char* why = read_codes(in, count, font)) return refuse(why);

    if (text.find("font_kanji_model[] = {", in.pos) != std::string_view::npos) {
        // A compressed file: each glyph decoded from its packed bytes.
        font.glyphs.reserve(count);
        if (const char* why = read_compressed_set(text, "font_kanji", count, {kind->dots, kind->dots, kind->band}, font.glyphs))
            return refuse(why);
        if (const char* why = read_alt_table(in, count, font)) return refuse(why);
        if (const char* why = read_half_tables(text, *kind, font)) return refuse(why);
        return font;
    }
    if (const char* why = read_raw_glyphs(in, count, *kind, font)) return refuse(why);
    if (const char* why = read_alt_table(in, count, font)) return refuse(why);
    if (const char* why = read_half_tables(text, *kind, font)) return refuse(why);
    return font;
}

}  // namespace sorvane
