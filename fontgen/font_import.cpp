#include "fontgen/font_import.h"

#include <algorithm>
#include <string_view>

#include "core/jis_unicode.h"
#include "fontgen/font_table.h"

namespace sorvane {
namespace {

std::uint32_t dot_bit(int column, BitOrder order) {
    const int bit = order == BitOrder::lsb_left ? column : column / 8 * 8 + 7 - column % 8;
    return std::uint32_t{1} << bit;
}

// Where a glyph's first dot goes along one side of the cell: where the font puts it, moved
// inside when it fits but stands partly outside.
int fitted(int start, int length, int side) {
    if (length > side) return start;
    return std::clamp(start, 0, side - length);
}

}  // namespace

bool encoding_of_registry(std::string_view registry, FontEncoding& encoding) {
    const auto starts = [&](std::string_view prefix) {
        return registry.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), registry.begin(),
                          [](char p, char r) { return p == (r >= 'a' && r <= 'z' ? r - 32 : r); });
    };
    if (starts("JISX0208")) encoding = FontEncoding::jis_x0208;
    else if (starts("JISX0201")) encoding = FontEncoding::jis_x0201;
    else if (starts("ISO10646")) encoding = FontEncoding::unicode;
    else return false;
    return true;
}

FontFormat font_format_of(std::span<const std::uint8_t> data) {
    const auto starts = [&](std::string_view magic) {
        return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin(),
                                                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    };
    if (starts("STARTFONT")) return FontFormat::bdf;
    if (starts(std::string_view("\1fcp", 4))) return FontFormat::pcf;
    if (starts(std::string_view("\0\1\0\0", 4)) || starts("OTTO") || starts("true") || starts("ttcf"))
        return FontFormat::outline;
    return FontFormat::unknown;
}

int cell_of_jis(long code) {
    const long high = code >> 8;
    const long low = code & 0xFF;
    if (code < 0 || high < 0x21 || high > 0x7E || low < 0x21 || low > 0x7E) return -1;
    return static_cast<int>((high - 0x21) * grid_side + (low - 0x21));
}

int half_code_of(long code, FontEncoding encoding) {
    if (encoding == FontEncoding::jis_x0208) return -1;
    if (encoding == FontEncoding::unicode && code > 0x7E) return half_width_katakana_byte(code);
    return is_half_width_code(code) ? static_cast<int>(code) : -1;
}

GridPlacer::GridPlacer(GlyphTable& glyphs, FontImport& result, FontEncoding encoding, int side, int ascent,
                       BitOrder order, HalfTable* half)
    : glyphs_(glyphs), result_(result), encoding_(encoding), side_(side), ascent_(ascent), order_(order), half_(half) {
    if (half_) for (GlyphRecord& g : *half_) g.fill(0);
}

// A half-width glyph goes to its byte; a later glyph of the same byte replaces it.
bool GridPlacer::place_half(long code, const GlyphBitmap& bitmap) {
    const int byte = half_code_of(code, encoding_);
    const FontKind* font = font_of_dots(side_);
    if (byte < 0 || !half_ || !font) return false;
    const auto at = static_cast<std::size_t>(byte);
    if (!half_placed_[at]) ++result_.half_glyphs;
    half_placed_[at] = true;
    draw((*half_)[at], font->half_dots, bitmap);
    return true;
}

void GridPlacer::place(long code, const GlyphBitmap& bitmap) {
    bool any = false;
    auto take = [&](int cell, bool second) {
        const auto at = static_cast<std::size_t>(cell);
        any = true;
        if (second && result_.placed[at] && !by_second_[at]) return;  // the first choice is there
        if (result_.placed[at] && by_second_[at] == second) {
            if (result_.duplicates++ == 0) result_.first_duplicate = code;
        } else if (!result_.placed[at]) {
            ++result_.glyphs;
        }
        result_.placed[at] = true;
        by_second_[at] = second;
        draw(glyphs_[static_cast<std::size_t>(cell)], side_, bitmap);
    };
    if (encoding_ == FontEncoding::jis_x0208) {
        if (const int cell = cell_of_jis(code); cell >= 0) take(cell, false);
    } else if (encoding_ == FontEncoding::unicode && code >= 0) {
        for (const UnicodeCell& p : cells_of_unicode(static_cast<char32_t>(code))) take(p.cell, p.second);
    }
    if (place_half(code, bitmap)) any = true;
    if (!any) ++result_.skipped;
}

// Draws a glyph into a cell width dots wide and side_ high.
void GridPlacer::draw(GlyphRecord& record, int width, const GlyphBitmap& bitmap) {
    record.fill(0);
    if (bitmap.width > width || bitmap.height > side_) ++result_.cut;
    const int x0 = fitted(bitmap.left, bitmap.width, width);
    const int y0 = fitted(ascent_ - bitmap.top, bitmap.height, side_);
    for (int y = 0; y < bitmap.height; ++y) {
        const int row = y0 + y;
        if (row < 0 || row >= side_) continue;
        const std::uint8_t* bytes = bitmap.rows + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        auto& value = record[static_cast<std::size_t>(row)];
        for (int x = 0; x < bitmap.width; ++x) {
            const int column = x0 + x;
            if (column < 0 || column >= width || (bytes[x / 8] & (0x80 >> (x % 8))) == 0) continue;
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) | dot_bit(column, order_));
        }
    }
}

}  // namespace sorvane
