#include "fontgen/pcf_import.h"

#include <array>
#include <cstring>
#include <string_view>

#include "fontgen/font_table.h"

namespace sorvane {
namespace {

// The tables of a PCF file, by type.
enum : std::uint32_t {
    pcf_properties = 1 << 0,
    pcf_accelerators = 1 << 1,
    pcf_metrics = 1 << 2,
    pcf_bitmaps = 1 << 3,
    pcf_bdf_encodings = 1 << 5,
    pcf_bdf_accelerators = 1 << 8,
};

// The format word of a table: its byte order, bit order, row padding and scan unit.
constexpr std::uint32_t format_compressed_metrics = 0x100;
constexpr std::uint32_t format_kind_mask = 0xFFFFFF00;
bool msb_bytes(std::uint32_t format) { return (format & 4) != 0; }
bool msb_bits(std::uint32_t format) { return (format & 8) != 0; }
int row_pad(std::uint32_t format) { return 1 << (format & 3); }
int scan_unit(std::uint32_t format) { return 1 << ((format >> 4) & 3); }

constexpr int max_glyph_side = 256;

// A bounded cursor over the file; every read past the end fails and names the offset.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    bool seek(std::uint32_t offset) {
        if (offset > data_.size()) return fail(offset);
        pos_ = offset;
        return true;
    }
    std::size_t pos() const { return pos_; }
    std::size_t failed_at() const { return failed_at_; }

    bool u8(std::uint32_t& v) { return bytes(1, false, v); }
    bool u16(bool msb, std::uint32_t& v) { return bytes(2, msb, v); }
    bool u32(bool msb, std::uint32_t& v) { return bytes(4, msb, v); }
    bool s16(bool msb, int& v) {
        std::uint32_t u = 0;
        if (!u16(msb, u)) return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool s32(bool msb, long& v) {
        std::uint32_t u = 0;
        if (!u32(msb, u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool has(std::size_t n) const { return n <= data_.size() - pos_; }
    const std::uint8_t* here() const { return data_.data() + pos_; }

private:
    bool bytes(int n, bool msb, std::uint32_t& v) {
        if (!has(static_cast<std::size_t>(n))) return fail(pos_);
        v = 0;
        for (int i = 0; i < n; ++i) {
            const std::uint32_t b = data_[pos_ + static_cast<std::size_t>(msb ? i : n - 1 - i)];
            v = v << 8 | b;
        }
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    bool fail(std::size_t at) {
        failed_at_ = at;
        return false;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t failed_at_ = 0;
};

struct TableEntry {
    std::uint32_t type = 0, format = 0, size = 0, offset = 0;
};

struct Metrics {
    int left = 0, right = 0, width = 0, ascent = 0, descent = 0;
};

std::uint8_t reversed_bits(std::uint8_t b) {
    b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

}  // namespace

bool is_pcf(std::span<const std::uint8_t> data) {
    return data.size() >= 4 && data[0] == 1 && data[1] == 'f' && data[2] == 'c' && data[3] == 'p';
}

FontImport read_pcf(std::span<const std::uint8_t> data, BitOrder order, GlyphTable& glyphs) {
    for (GlyphRecord& g : glyphs) g.fill(0);
    FontImport result;
    result.place_is_offset = true;
    Reader in(data);
    auto refuse = [&](const char* why, std::size_t at) {
        result.error = why;
        result.error_place = static_cast<long>(at);
        return result;
    };
    if (!is_pcf(data)) return refuse("not a PCF file: it does not begin with 1fcp", 0);

    // The table of contents, in little-endian order.
    std::uint32_t count = 0;
    in.seek(4);
    if (!in.u32(false, count) || count > 64) return refuse("the count of tables is not a sensible one", 4);
    std::array<TableEntry, 64> tables{};
    for (std::uint32_t i = 0; i < count; ++i) {
        TableEntry& t = tables[i];
        if (!in.u32(false, t.type) || !in.u32(false, t.format) || !in.u32(false, t.size) || !in.u32(false, t.offset))
            return refuse("the file ends inside its table of contents", in.failed_at());
        // The sizes are padded, the last table's past the end of the file: only where a table
        // starts is checked here; every read inside it is checked on its own.
        if (t.offset >= data.size()) return refuse("a table lies outside the file", 8 + 16 * i);
    }
    auto find = [&](std::uint32_t type) -> const TableEntry* {
        for (std::uint32_t i = 0; i < count; ++i)
            if (tables[i].type == type) return &tables[i];
        return nullptr;
    };
    // Opens a table: its own format word must be the one the contents name.
    auto open = [&](const TableEntry& t, std::uint32_t& format) {
        return in.seek(t.offset) && in.u32(false, format) && format == t.format;
    };

    // Properties: the registry, the pixel size and the ascent.
    std::array<char, 64> registry{};
    long pixel_size = 0;
    long ascent = -1;
    if (const TableEntry* t = find(pcf_properties)) {
        std::uint32_t format = 0, n = 0;
        if (!open(*t, format) || !in.u32(msb_bytes(format), n) || n > 10000)
            return refuse("the properties table is damaged", t->offset);
        const std::size_t records = in.pos();
        const std::size_t strings_at = records + n * 9 + ((n & 3) ? 4 - (n & 3) : 0) + 4;
        std::uint32_t strings_size = 0;
        if (!in.seek(static_cast<std::uint32_t>(strings_at - 4)) || !in.u32(msb_bytes(format), strings_size) ||
            !in.has(strings_size))
            return refuse("the properties table lies about its size", t->offset);
        const auto text_at = [&](std::uint32_t offset) -> std::string_view {
            if (offset >= strings_size) return {};
            const char* s = reinterpret_cast<const char*>(data.data() + strings_at + offset);
            return std::string_view(s, strnlen(s, strings_size - offset));
        };
        for (std::uint32_t i = 0; i < n; ++i) {
            in.seek(static_cast<std::uint32_t>(records + i * 9));
            std::uint32_t name = 0, is_string = 0, value = 0;
            if (!in.u32(msb_bytes(format), name) || !in.u8(is_string) || !in.u32(msb_bytes(format), value))
                return refuse("the properties table is damaged", in.failed_at());
            const std::string_view key = text_at(name);
            if (key == "CHARSET_REGISTRY" && is_string) {
                const std::string_view v = text_at(value);
                registry[v.copy(registry.data(), registry.size() - 1)] = '\0';
            } else if (key == "PIXEL_SIZE" && !is_string) {
                pixel_size = static_cast<std::int32_t>(value);
            } else if (key == "FONT_ASCENT" && !is_string) {
                ascent = static_cast<std::int32_t>(value);
            }
        }
    }
    FontEncoding encoding = FontEncoding::jis_x0208;
    if (!encoding_of_registry(registry.data(), encoding)) return refuse(not_japanese_reason, 0);

    // The accelerators give the ascent where the properties do not.
    const TableEntry* accelerators = find(pcf_bdf_accelerators);
    if (!accelerators) accelerators = find(pcf_accelerators);
    if (ascent < 0 && accelerators) {
        std::uint32_t format = 0;
        if (!open(*accelerators, format) || !in.seek(static_cast<std::uint32_t>(in.pos() + 8)) ||
            !in.s32(msb_bytes(format), ascent))
            return refuse("the accelerators table is damaged", accelerators->offset);
    }
    if (pixel_size == 0 && accelerators) {
        std::uint32_t format = 0;
        long font_ascent = 0, font_descent = 0;
        if (!open(*accelerators, format) || !in.seek(static_cast<std::uint32_t>(in.pos() + 8)) ||
            !in.s32(msb_bytes(format), font_ascent) || !in.s32(msb_bytes(format), font_descent))
            return refuse("the accelerators table is damaged", accelerators->offset);
        pixel_size = font_ascent + font_descent;
    }
    if (pixel_size < 0 || pixel_size > 1000 || !font_of_dots(static_cast<int>(pixel_size))) {
        result.pixel_size = static_cast<int>(pixel_size < -1000 ? -1000 : pixel_size > 1000 ? 1000 : pixel_size);
        return refuse(not_a_font_size.c_str(), 0);
    }
    result.pixel_size = static_cast<int>(pixel_size);
    if (ascent < 0 || ascent > 1000) ascent = pixel_size;

    // The metrics of every glyph.
    const TableEntry* metrics_table = find(pcf_metrics);
    const TableEntry* bitmaps = find(pcf_bitmaps);
    const TableEntry* encodings = find(pcf_bdf_encodings);
    if (!metrics_table || !bitmaps || !encodings) return refuse("the font lacks its metrics, bitmaps or encodings", 0);
    std::uint32_t metrics_format = 0, glyph_count = 0;
    if (!open(*metrics_table, metrics_format)) return refuse("the metrics table is damaged", metrics_table->offset);
    const bool compressed = (metrics_format & format_kind_mask) == format_compressed_metrics;
    const bool m_msb = msb_bytes(metrics_format);
    if (compressed ? !in.u16(m_msb, glyph_count) : !in.u32(m_msb, glyph_count))
        return refuse("the metrics table is damaged", in.failed_at());
    if (glyph_count > 0x10000 || !in.has(glyph_count * (compressed ? 5u : 12u)))
        return refuse("the metrics table counts more glyphs than it holds", metrics_table->offset);
    const std::size_t metrics_at = in.pos();
    auto metrics_of = [&](std::uint32_t glyph, Metrics& m) {
        in.seek(static_cast<std::uint32_t>(metrics_at + glyph * (compressed ? 5u : 12u)));
        if (compressed) {
            std::uint32_t v[5];
            for (std::uint32_t& x : v) in.u8(x);
            m = {static_cast<int>(v[0]) - 0x80, static_cast<int>(v[1]) - 0x80, static_cast<int>(v[2]) - 0x80,
                 static_cast<int>(v[3]) - 0x80, static_cast<int>(v[4]) - 0x80};
        } else {
            in.s16(m_msb, m.left), in.s16(m_msb, m.right), in.s16(m_msb, m.width), in.s16(m_msb, m.ascent),
                in.s16(m_msb, m.descent);
        }
    };

    // The bitmaps: an offset per glyph into the data, rows padded as the format says.
    std::uint32_t bitmap_format = 0, bitmap_count = 0;
    if (!open(*bitmaps, bitmap_format) || !in.u32(msb_bytes(bitmap_format), bitmap_count))
        return refuse("the bitmaps table is damaged", bitmaps->offset);
    if (bitmap_count != glyph_count) return refuse("the bitmaps table counts other glyphs than the metrics", bitmaps->offset);
    const std::size_t offsets_at = in.pos();
    std::array<std::uint32_t, 4> sizes{};
    if (!in.seek(static_cast<std::uint32_t>(offsets_at + 4 * std::size_t{bitmap_count})))
        return refuse("the bitmaps table counts more glyphs than it holds", bitmaps->offset);
    for (std::uint32_t& size : sizes)
        if (!in.u32(msb_bytes(bitmap_format), size)) return refuse("the bitmaps table is damaged", in.failed_at());
    const std::size_t bits_at = in.pos();
    const std::uint32_t bits_size = sizes[bitmap_format & 3];
    if (!in.has(bits_size)) return refuse("the bitmaps table lies about its size", bitmaps->offset);

    // The encodings: a glyph index for each code of a range of first and second bytes.
    std::uint32_t encoding_format = 0;
    int min2 = 0, max2 = 0, min1 = 0, max1 = 0, default_char = 0;
    const bool e_msb = [&] { return open(*encodings, encoding_format) && msb_bytes(encoding_format); }();
    if (encoding_format != encodings->format || !in.s16(e_msb, min2) || !in.s16(e_msb, max2) || !in.s16(e_msb, min1) ||
        !in.s16(e_msb, max1) || !in.s16(e_msb, default_char))
        return refuse("the encodings table is damaged", encodings->offset);
    if (min2 < 0 || max2 > 255 || min2 > max2 || min1 < 0 || max1 > 255 || min1 > max1)
        return refuse("the encodings table has impossible code ranges", encodings->offset);
    const std::size_t columns = static_cast<std::size_t>(max2 - min2 + 1);
    const std::size_t index_at = in.pos();
    if (!in.has(2 * columns * static_cast<std::size_t>(max1 - min1 + 1)))
        return refuse("the encodings table counts more codes than it holds", encodings->offset);

    GridPlacer placer(glyphs, result, encoding, result.pixel_size, static_cast<int>(ascent), order);
    std::array<std::uint8_t, max_glyph_side * max_glyph_side / 8> bits;
    const bool b_msb_bytes = msb_bytes(bitmap_format);
    const bool b_msb_bits = msb_bits(bitmap_format);
    const int unit = scan_unit(bitmap_format);
    const int pad = row_pad(bitmap_format);
    for (int byte1 = min1; byte1 <= max1; ++byte1) {
        for (int byte2 = min2; byte2 <= max2; ++byte2) {
            in.seek(static_cast<std::uint32_t>(index_at + 2 * (static_cast<std::size_t>(byte1 - min1) * columns +
                                                                 static_cast<std::size_t>(byte2 - min2))));
            std::uint32_t glyph = 0;
            in.u16(e_msb, glyph);
            if (glyph == 0xFFFF) continue;
            if (glyph >= glyph_count) return refuse("an encoding names a glyph past the last one", in.pos() - 2);
            Metrics m;
            metrics_of(glyph, m);
            const int width = m.right - m.left;
            const int height = m.ascent + m.descent;
            if (width < 0 || height < 0 || width > max_glyph_side || height > max_glyph_side)
                return refuse("a glyph's metrics are not of a sensible size", metrics_at + glyph * (compressed ? 5u : 12u));
            const std::size_t pitch = (static_cast<std::size_t>(width) + 7) / 8;
            const auto pad_bytes = static_cast<std::size_t>(pad);
            const std::size_t stride = (pitch + pad_bytes - 1) / pad_bytes * pad_bytes;
            std::uint32_t offset = 0;
            in.seek(static_cast<std::uint32_t>(offsets_at + 4 * std::size_t{glyph}));
            in.u32(msb_bytes(bitmap_format), offset);
            if (offset > bits_size || stride * static_cast<std::size_t>(height) > bits_size - offset)
                return refuse("a glyph's bitmap lies outside the bitmaps table", offsets_at + 4 * std::size_t{glyph});
            const std::uint8_t* source = data.data() + bits_at + offset;
            const std::size_t bitmap_size = stride * static_cast<std::size_t>(height);
            const auto unit_bytes = static_cast<std::size_t>(unit);
            for (int y = 0; y < height; ++y) {
                for (std::size_t x = 0; x < pitch; ++x) {
                    // The byte of the row's data that holds dots 8x to 8x + 7, in MSB-first order.
                    std::size_t at = static_cast<std::size_t>(y) * stride + x;
                    // Bytes in the other order than bits are swapped within each scan unit.
                    if (b_msb_bytes != b_msb_bits && unit_bytes > 1) {
                        const std::size_t swapped = at / unit_bytes * unit_bytes + (unit_bytes - 1 - at % unit_bytes);
                        if (swapped < bitmap_size) at = swapped;
                    }
                    const std::uint8_t b = source[at];
                    bits[static_cast<std::size_t>(y) * pitch + x] = b_msb_bits ? b : reversed_bits(b);
                }
            }
            placer.place(byte1 << 8 | byte2, {width, height, m.left, m.ascent, bits.data(), static_cast<int>(pitch)});
        }
    }
    return result;
}

}  // namespace sorvane
