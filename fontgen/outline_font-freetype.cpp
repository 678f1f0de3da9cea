#include "fontgen/outline_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "core/jis_unicode.h"
#include "fontgen/font_table.h"

namespace sorvane {
namespace {

constexpr FixedText outline_needs_size = with_font_sizes("an outline font needs --size ", "");
constexpr FixedText no_font_of_that_size = with_font_sizes("the size is not ", "");

// FreeType's library and face, released on every way out.
struct FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeType() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};


// Whether a character code stands for a cell, so that a glyph outside the grid is never drawn.
bool stands_for_a_cell(FT_ULong code, FontEncoding encoding, bool half) {
    if (half && half_code_of(static_cast<long>(code), encoding) >= 0) return true;
    if (encoding == FontEncoding::jis_x0208) return cell_of_jis(static_cast<long>(code)) >= 0;
    return encoding == FontEncoding::unicode && !cells_of_unicode(static_cast<char32_t>(code)).empty();
}

}  // namespace

bool has_freetype() { return true; }

namespace {

// Draws an outline font at size dots per em, the em box filling the cell: its ascent, or why
// it cannot be drawn.
const char* set_outline_size(FT_Face face, int size, int& ascent) {
    if (size == 0) return outline_needs_size.c_str();
    if (!font_of_dots(size)) return no_font_of_that_size.c_str();
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) return "FreeType cannot set that size";
    // The baseline at the em's ascent share.
    long above = face->ascender, below = -face->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->sTypoAscender > 0 && os2->sTypoDescender <= 0) {
        above = os2->sTypoAscender;
        below = -os2->sTypoDescender;
    }
    if (above <= 0 || above + below <= 0) above = 88, below = 12;
    ascent = static_cast<int>(
        std::lround(static_cast<double>(size) * static_cast<double>(above) / static_cast<double>(above + below)));
    return nullptr;
}

// Picks a bitmap font's strike of size dots (the first, for 0): its size and ascent, or why not.
const char* select_strike(FT_Face face, int size, int& pixel_size, int& ascent) {
    int strike = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const int dots = static_cast<int>((face->available_sizes[i].y_ppem + 32) >> 6);
        if (size == 0 ? strike < 0 : dots == size) strike = i;
    }
    if (strike < 0) return "the font has no strike of that size";
    if (FT_Select_Size(face, strike) != 0) return "FreeType cannot select the font's strike";
    pixel_size = static_cast<int>((face->available_sizes[strike].y_ppem + 32) >> 6);
    if (!font_of_dots(pixel_size)) return not_a_font_size.c_str();
    ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    return nullptr;
}

// The dots of the glyph FreeType rendered, rows of whole bytes with the leftmost dot in the
// top bit; its pitch in bytes.
int rendered_dots(const FT_Bitmap& bitmap, std::vector<std::uint8_t>& bits) {
    const int width = static_cast<int>(bitmap.width), height = static_cast<int>(bitmap.rows);
    const int pitch = (width + 7) / 8;
    bits.assign(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            const bool dot = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x / 8] & (0x80 >> (x % 8))) != 0
                             : bitmap.pixel_mode == FT_PIXEL_MODE_GRAY ? row[x] >= 128
                                                                       : false;
            if (dot) bits[static_cast<std::size_t>(y * pitch + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return pitch;
}

}  // namespace

FontImport read_with_freetype(std::span<const std::uint8_t> data, int face_index, int size, BitOrder order,
                              GlyphTable& glyphs, HalfTable* half) {
    for (GlyphRecord& g : glyphs) g.fill(0);
    FontImport result;
    auto refuse = [&](const char* why) {
        result.error = why;
        return result;
    };
    FreeType ft;
    if (FT_Init_FreeType(&ft.library) != 0) return refuse("FreeType could not start");
    if (FT_New_Memory_Face(ft.library, data.data(), static_cast<FT_Long>(data.size()), face_index, &ft.face) != 0)
        return refuse("FreeType cannot read it as a font, or it has no face of that number");
    FT_Face face = ft.face;

    // How the font numbers its characters: a bitmap font by its registry, an outline font by Unicode.
    FontEncoding encoding = FontEncoding::unicode;
    const char* charset_encoding = nullptr;
    const char* registry = nullptr;
    if (FT_Get_BDF_Charset_ID(face, &charset_encoding, &registry) == 0 && registry) {
        if (!encoding_of_registry(registry, encoding)) return refuse(not_japanese_reason);
    }
    if (encoding == FontEncoding::unicode ? FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0
                                          : face->num_charmaps < 1 || FT_Set_Charmap(face, face->charmaps[0]) != 0)
        return refuse("the font has no character map Sorvane can use");

    int ascent = 0;
    if (FT_IS_SCALABLE(face)) {
        if (const char* why = set_outline_size(face, size, ascent)) return refuse(why);
        result.pixel_size = size;
    } else if (const char* why = select_strike(face, size, result.pixel_size, ascent)) {
        return refuse(why);
    }

    GridPlacer placer(glyphs, result, encoding, result.pixel_size, ascent, order, half);
    std::vector<std::uint8_t> bits;
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0; code = FT_Get_Next_Char(face, code, &index)) {
        if (!stands_for_a_cell(code, encoding, half != nullptr)) {
            ++result.skipped;
            continue;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) continue;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const int pitch = rendered_dots(bitmap, bits);
        placer.place(static_cast<long>(code), {static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows),
                                               face->glyph->bitmap_left, face->glyph->bitmap_top, bits.data(), pitch});
    }
    return result;
}

}  // namespace sorvane
