#include "fontgen/font_image.h"

#include <zlib.h>

namespace sorvane {
namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

void add16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.resize(out.size() + 2);
    put16(out, out.size() - 2, value);
}

// A half-width table: the glyphs of count bytes from first, as the include file holds them.
void add_half_table(std::vector<std::uint8_t>& out, const HalfTable& half, int first, int count, const FontKind& font) {
    for (int code = first; code < first + count; ++code) {
        const auto numbers = half_glyph_numbers(half[static_cast<std::size_t>(code)], font);
        out.insert(out.end(), numbers.begin(), numbers.begin() + font.half_glyph_bytes());
    }
}

}  // namespace

std::vector<std::uint8_t> font_image(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                     const IncludeLayout& asked, const HalfTable* half) {
    IncludeLayout layout = asked;
    if (!half) layout.half = HalfWidth::none;
    IncludeSummary summary;
    const std::vector<FontEntry> entries = font_entries(registered, layout.key, summary);
    std::vector<std::uint8_t> out(image_header_bytes, 0);
    std::copy(image_magic.begin(), image_magic.end(), out.begin());
    put16(out, 8, image_version);
    put16(out, 10, image_header_bytes);
    out[12] = layout.key == CodeKey::unicode;
    out[13] = static_cast<std::uint8_t>(font.dots);
    out[14] = static_cast<std::uint8_t>(font.half_dots);
    out[15] = static_cast<std::uint8_t>((layout.ascii() ? 1 : 0) | (layout.kana() ? 2 : 0));
    put16(out, 16, static_cast<std::uint32_t>(entries.size()));
    put16(out, 18, static_cast<std::uint32_t>(font.glyph_bytes()));
    put16(out, 20, static_cast<std::uint32_t>(font.half_glyph_bytes()));

    put32(out, 24, static_cast<std::uint32_t>(out.size()));  // the keys
    for (const FontEntry& e : entries) add16(out, e.key);
    if (layout.says_key) {
        put32(out, 28, static_cast<std::uint32_t>(out.size()));  // the other key
        for (const FontEntry& e : entries) add16(out, e.alt);
    }
    put32(out, 32, static_cast<std::uint32_t>(out.size()));  // the glyphs
    for (const FontEntry& e : entries) {
        const auto numbers = glyph_numbers(glyphs[static_cast<std::size_t>(e.cell)], font);
        for (int n = 0; n < font.glyph_bytes(); ++n) out.push_back(static_cast<std::uint8_t>(numbers[static_cast<std::size_t>(n)]));
    }
    if (layout.ascii()) {
        put32(out, 36, static_cast<std::uint32_t>(out.size()));
        add_half_table(out, *half, ascii_first, ascii_count, font);
    }
    if (layout.kana()) {
        put32(out, 40, static_cast<std::uint32_t>(out.size()));
        add_half_table(out, *half, kana_first, kana_count, font);
    }
    put32(out, 44, static_cast<std::uint32_t>(out.size()));
    // The tables' CRC-32, then the header's own, of all its bytes before it.
    const uLong tables = crc32(crc32(0, Z_NULL, 0), out.data() + image_header_bytes, static_cast<uInt>(out.size() - image_header_bytes));
    put32(out, 48, static_cast<std::uint32_t>(tables));
    put32(out, 52, static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), out.data(), 52)));
    return out;
}

}  // namespace sorvane
