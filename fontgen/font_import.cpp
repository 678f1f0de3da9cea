#include "fontgen/font_import.h"

#include <algorithm>
#include <string_view>

#include "core/jis_unicode.h"

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

GridPlacer::GridPlacer(GlyphTable& glyphs, FontImport& result, FontEncoding encoding, int side, int ascent,
                       BitOrder order)
    : glyphs_(glyphs), result_(result), encoding_(encoding), side_(side), ascent_(ascent), order_(order) {}

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
        draw(cell, bitmap);
    };
    if (encoding_ == FontEncoding::jis_x0208) {
        if (const int cell = cell_of_jis(code); cell >= 0) take(cell, false);
    } else if (code >= 0) {
        for (const UnicodeCell& p : cells_of_unicode(static_cast<char32_t>(code))) take(p.cell, p.second);
    }
    if (!any) ++result_.skipped;
}

void GridPlacer::draw(int cell, const GlyphBitmap& bitmap) {
    GlyphRecord& record = glyphs_[static_cast<std::size_t>(cell)];
    record.fill(0);
    if (bitmap.width > side_ || bitmap.height > side_) ++result_.cut;
    const int x0 = fitted(bitmap.left, bitmap.width, side_);
    const int y0 = fitted(ascent_ - bitmap.top, bitmap.height, side_);
    for (int y = 0; y < bitmap.height; ++y) {
        const int row = y0 + y;
        if (row < 0 || row >= side_) continue;
        const std::uint8_t* bytes = bitmap.rows + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        auto& value = record[static_cast<std::size_t>(row)];
        for (int x = 0; x < bitmap.width; ++x) {
            const int column = x0 + x;
            if (column < 0 || column >= side_ || (bytes[x / 8] & (0x80 >> (x % 8))) == 0) continue;
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) | dot_bit(column, order_));
        }
    }
}

}  // namespace sorvane
