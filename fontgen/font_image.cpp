#include "fontgen/font_image.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

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

std::uint32_t get16(std::span<const std::uint8_t> in, std::size_t at) {
    return static_cast<std::uint32_t>(in[at] | in[at + 1] << 8);
}

std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) { return get16(in, at) | get16(in, at + 2) << 16; }

std::uint32_t crc_of(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

// A half-width table: the glyphs of count bytes from first, as the include file holds them.
ImageTable half_table(const char (&tag)[5], const HalfTable& half, int first, int count, const FontKind& font) {
    ImageTable table{{tag[0], tag[1], tag[2], tag[3]}, font.half_glyph_bytes(), false, {}};
    for (int code = first; code < first + count; ++code) {
        const auto numbers = half_glyph_numbers(half[static_cast<std::size_t>(code)], font);
        table.bytes.insert(table.bytes.end(), numbers.begin(), numbers.begin() + font.half_glyph_bytes());
    }
    return table;
}

}  // namespace

ImageContents font_image_contents(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                                  const IncludeLayout& asked, const HalfTable* half) {
    IncludeLayout layout = asked;
    if (!half) layout.half = HalfWidth::none;
    IncludeSummary summary;
    const std::vector<FontEntry> entries = font_entries(registered, layout.key, summary);
    ImageContents contents{static_cast<int>(entries.size()), layout.key, font.dots, font.dots, font.half_dots, font.band,
                           font.glyph_bytes(), font.half_glyph_bytes(), {}};
    ImageTable keys{{'K', 'E', 'Y', 'S'}, 2, true, {}};
    for (const FontEntry& e : entries) add16(keys.bytes, e.key);
    contents.tables.push_back(std::move(keys));
    if (layout.says_key && !entries.empty()) {
        // The other key's codes in ascending order, each with its character's place.
        std::vector<std::pair<std::uint16_t, std::uint16_t>> index;
        for (std::size_t place = 0; place < entries.size(); ++place) index.emplace_back(entries[place].alt, static_cast<std::uint16_t>(place));
        std::sort(index.begin(), index.end());
        ImageTable other{{'O', 'T', 'H', 'R'}, 4, false, {}};
        for (const auto& [code, place] : index) {
            add16(other.bytes, code);
            add16(other.bytes, place);
        }
        contents.tables.push_back(std::move(other));
    }
    // A compressed set: its model, its starts and its packed glyphs, each needed.
    const CompressedSets sets = compress_sets(entries, glyphs, font, layout, half, image_model_bits);
    const auto add_set = [&contents](const char* tags, const CompressedGlyphs& set, int flags) {
        std::vector<std::uint8_t> packed;
        for (const auto& glyph : set.glyphs) packed.insert(packed.end(), glyph.begin(), glyph.end());
        const std::vector<std::uint8_t>* parts[] = {&set.model, &set.index, &packed};
        for (int i = 0; i < 3; ++i)
            contents.tables.push_back({{tags[4 * i], tags[4 * i + 1], tags[4 * i + 2], tags[4 * i + 3]}, 1, true, *parts[i],
                                       i == 2 ? flags : 0});
    };
    if (sets.full) add_set("MODLGIDXPACK", *sets.full, 0);
    ImageTable glyph_table{{'G', 'L', 'Y', 'F'}, font.glyph_bytes(), true, {}};
    for (const FontEntry& e : sets.full ? std::vector<FontEntry>{} : entries) {
        const auto numbers = glyph_numbers(glyphs[static_cast<std::size_t>(e.cell)], font);
        for (int n = 0; n < font.glyph_bytes(); ++n) glyph_table.bytes.push_back(static_cast<std::uint8_t>(numbers[static_cast<std::size_t>(n)]));
    }
    if (!sets.full) contents.tables.push_back(std::move(glyph_table));
    if (sets.half) {
        add_set("HMODHIDXHPAK", *sets.half, (layout.ascii() ? image_flag_ascii : 0) | (layout.kana() ? image_flag_kana : 0));
        return contents;
    }
    if (layout.ascii()) contents.tables.push_back(half_table("ASCI", *half, ascii_first, ascii_count, font));
    if (layout.kana()) contents.tables.push_back(half_table("KANA", *half, kana_first, kana_count, font));
    return contents;
}

std::vector<std::uint8_t> image_bytes(const ImageContents& contents) {
    const int header = image_header_bytes(static_cast<int>(contents.tables.size()));
    std::vector<std::uint8_t> out(static_cast<std::size_t>(header), 0);
    std::copy(image_magic.begin(), image_magic.end(), out.begin());
    put16(out, 8, image_version);
    put16(out, 10, static_cast<std::uint32_t>(header));
    put16(out, 12, static_cast<std::uint32_t>(contents.tables.size()));
    put16(out, 24, static_cast<std::uint32_t>(contents.count));
    out[26] = contents.key == CodeKey::unicode;
    out[27] = static_cast<std::uint8_t>(contents.width);
    out[28] = static_cast<std::uint8_t>(contents.height);
    out[29] = static_cast<std::uint8_t>(contents.half_width);
    out[30] = static_cast<std::uint8_t>(contents.band_rows);
    put16(out, 32, static_cast<std::uint32_t>(contents.glyph_bytes));
    put16(out, 34, static_cast<std::uint32_t>(contents.half_glyph_bytes));
    std::size_t entry = image_fixed_bytes;
    for (const ImageTable& table : contents.tables) {
        std::copy(table.tag.begin(), table.tag.end(), out.begin() + static_cast<std::ptrdiff_t>(entry));
        put32(out, entry + 4, static_cast<std::uint32_t>(out.size()));
        put32(out, entry + 8, static_cast<std::uint32_t>(table.bytes.size()));
        put16(out, entry + 12, static_cast<std::uint32_t>(table.record_bytes));
        put16(out, entry + 14, static_cast<std::uint32_t>((table.needed ? 1 : 0) | table.flags));
        out.insert(out.end(), table.bytes.begin(), table.bytes.end());
        entry += image_entry_bytes;
    }
    put32(out, 16, static_cast<std::uint32_t>(out.size()));
    // The tables' CRC-32, then the header's own, of all its bytes before it.
    put32(out, 20, crc_of(std::span(out).subspan(static_cast<std::size_t>(header))));
    put32(out, static_cast<std::size_t>(header - 4), crc_of(std::span(out).first(static_cast<std::size_t>(header - 4))));
    return out;
}

long long font_image_size(const KanjiGrid& registered, const GlyphTable& glyphs, const FontKind& font,
                          const IncludeLayout& layout, const HalfTable* half, IncludeSummary* tables) {
    const ImageContents contents = font_image_contents(registered, glyphs, font, layout, half);
    if (tables) {
        IncludeSummary s;
        s.count = contents.count;
        for (const ImageTable& t : contents.tables) {
            const std::string_view tag(t.tag.data(), t.tag.size());
            const int bytes = static_cast<int>(t.bytes.size());
            int* field = tag == "KEYS" ? &s.index_table_bytes : tag == "OTHR" ? &s.alt_table_bytes
                       : tag == "GLYF" || tag == "PACK" ? &s.glyph_table_bytes : tag == "MODL" ? &s.model_table_bytes
                       : tag == "GIDX" ? &s.starts_table_bytes : tag == "HMOD" ? &s.half_model_bytes
                       : tag == "HIDX" ? &s.half_starts_bytes : &s.half_table_bytes;
            *field += bytes;
            s.compressed = s.compressed || tag == "PACK";
            s.half_compressed = s.half_compressed || tag == "HPAK";
        }
        *tables = s;
    }
    long long bytes = image_header_bytes(static_cast<int>(contents.tables.size()));
    for (const ImageTable& t : contents.tables) bytes += static_cast<long long>(t.bytes.size());
    return bytes;
}

std::optional<std::uint32_t> image_identity(std::span<const std::uint8_t> image) {
    if (image.size() < image_fixed_bytes || !std::equal(image_magic.begin(), image_magic.end(), image.begin())) return std::nullopt;
    const std::uint32_t version = get16(image, 8);
    const std::size_t header = version == 1 ? 56 : get16(image, 10);
    if ((version != 1 && version != 2) || header < image_fixed_bytes + 4u || image.size() < header) return std::nullopt;
    const std::uint32_t stored = get32(image, header - 4);
    if (crc_of(image.first(header - 4)) != stored) return std::nullopt;
    return stored;
}

}  // namespace sorvane
