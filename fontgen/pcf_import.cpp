#include "fontgen/pcf_import.h"

#include <algorithm>
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


// Why a table cannot be read, and the offset where it went wrong; empty when it can.
struct Fault {
    const char* why = nullptr;
    std::size_t at = 0;
    explicit operator bool() const { return why != nullptr; }
};

// The file and its table of contents.
struct PcfFile {
    std::span<const std::uint8_t> data;
    Reader in;
    std::array<TableEntry, 64> tables{};
    std::uint32_t count = 0;

    explicit PcfFile(std::span<const std::uint8_t> bytes) : data(bytes), in(bytes) {}

    const TableEntry* find(std::uint32_t type) const {
        for (std::uint32_t i = 0; i < count; ++i)
            if (tables[i].type == type) return &tables[i];
        return nullptr;
    }
    // Opens a table: its own format word must be the one the contents name.
    bool open(const TableEntry& t, std::uint32_t& format) {
        return in.seek(t.offset) && in.u32(false, format) && format == t.format;
    }
};

// The table of contents, in little-endian order.
Fault read_contents(PcfFile& file) {
    Reader& in = file.in;
    in.seek(4);
    if (!in.u32(false, file.count) || file.count > file.tables.size()) return {"the count of tables is not a sensible one", 4};
    for (std::uint32_t i = 0; i < file.count; ++i) {
        TableEntry& t = file.tables[i];
        if (!in.u32(false, t.type) || !in.u32(false, t.format) || !in.u32(false, t.size) || !in.u32(false, t.offset))
            return {"the file ends inside its table of contents", in.failed_at()};
        // The sizes are padded, the last table's past the end of the file: only where a table
        // starts is checked here; every read inside it is checked on its own.
        if (t.offset >= file.data.size()) return {"a table lies outside the file", 8 + 16 * i};
    }
    return {};
}

// What the properties and accelerators say of the whole font.
struct FontProperties {
    std::array<char, 64> registry{};
    long pixel_size = 0;
    long ascent = -1;
};

// The properties: the registry, the pixel size and the ascent.
Fault read_properties(PcfFile& file, FontProperties& font) {
    const TableEntry* t = file.find(pcf_properties);
    if (!t) return {};
    Reader& in = file.in;
    std::uint32_t format = 0, n = 0;
    if (!file.open(*t, format) || !in.u32(msb_bytes(format), n) || n > 10000) return {"the properties table is damaged", t->offset};
    const std::size_t records = in.pos();
    const std::size_t strings_at = records + n * 9 + ((n & 3) ? 4 - (n & 3) : 0) + 4;
    std::uint32_t strings_size = 0;
    if (!in.seek(static_cast<std::uint32_t>(strings_at - 4)) || !in.u32(msb_bytes(format), strings_size) ||
        !in.has(strings_size))
        return {"the properties table lies about its size", t->offset};
    const auto text_at = [&](std::uint32_t offset) -> std::string_view {
        if (offset >= strings_size) return {};
        const char* s = reinterpret_cast<const char*>(file.data.data() + strings_at + offset);
        return std::string_view(s, strnlen(s, strings_size - offset));
    };
    for (std::uint32_t i = 0; i < n; ++i) {
        in.seek(static_cast<std::uint32_t>(records + i * 9));
        std::uint32_t name = 0, is_string = 0, value = 0;
        if (!in.u32(msb_bytes(format), name) || !in.u8(is_string) || !in.u32(msb_bytes(format), value))
            return {"the properties table is damaged", in.failed_at()};
        const std::string_view key = text_at(name);
        if (key == "CHARSET_REGISTRY" && is_string) {
            const std::string_view v = text_at(value);
            font.registry[v.copy(font.registry.data(), font.registry.size() - 1)] = '\0';
        } else if (key == "PIXEL_SIZE" && !is_string) {
            font.pixel_size = static_cast<std::int32_t>(value);
        } else if (key == "FONT_ASCENT" && !is_string) {
            font.ascent = static_cast<std::int32_t>(value);
        }
    }
    return {};
}

// The accelerators give the ascent and the size where the properties do not, and the size
// where the property says one of the table's sizes that the glyphs are not: the 16-dot Sony
// font 8x16rk says PIXEL_SIZE 24.
Fault read_accelerators(PcfFile& file, FontProperties& font) {
    const TableEntry* t = file.find(pcf_bdf_accelerators);
    if (!t) t = file.find(pcf_accelerators);
    if (!t) return {};
    std::uint32_t format = 0;
    long ascent = 0, descent = 0;
    if (!file.open(*t, format) || !file.in.seek(static_cast<std::uint32_t>(file.in.pos() + 8)) ||
        !file.in.s32(msb_bytes(format), ascent) || !file.in.s32(msb_bytes(format), descent))
        return {"the accelerators table is damaged", t->offset};
    if (font.ascent < 0) font.ascent = ascent;
    if (font.pixel_size == 0 || (font.pixel_size != ascent + descent && font_of_dots(static_cast<int>(ascent + descent))))
        font.pixel_size = ascent + descent;
    return {};
}

// The metrics of every glyph, compressed to bytes or in 16-bit numbers.
struct MetricsTable {
    std::size_t at = 0;
    std::uint32_t count = 0;
    bool compressed = false;
    bool msb = false;

    std::size_t record_size() const { return compressed ? 5u : 12u; }
    std::size_t place_of(std::uint32_t glyph) const { return at + glyph * record_size(); }
    Metrics of(Reader& in, std::uint32_t glyph) const {
        Metrics m;
        in.seek(static_cast<std::uint32_t>(place_of(glyph)));
        if (compressed) {
            std::uint32_t v[5];
            for (std::uint32_t& x : v) in.u8(x);
            m = {static_cast<int>(v[0]) - 0x80, static_cast<int>(v[1]) - 0x80, static_cast<int>(v[2]) - 0x80,
                 static_cast<int>(v[3]) - 0x80, static_cast<int>(v[4]) - 0x80};
        } else {
            in.s16(msb, m.left), in.s16(msb, m.right), in.s16(msb, m.width), in.s16(msb, m.ascent), in.s16(msb, m.descent);
        }
        return m;
    }
};

Fault read_metrics_table(PcfFile& file, const TableEntry& t, MetricsTable& metrics) {
    std::uint32_t format = 0;
    if (!file.open(t, format)) return {"the metrics table is damaged", t.offset};
    metrics.compressed = (format & format_kind_mask) == format_compressed_metrics;
    metrics.msb = msb_bytes(format);
    if (metrics.compressed ? !file.in.u16(metrics.msb, metrics.count) : !file.in.u32(metrics.msb, metrics.count))
        return {"the metrics table is damaged", file.in.failed_at()};
    if (metrics.count > 0x10000 || !file.in.has(metrics.count * metrics.record_size()))
        return {"the metrics table counts more glyphs than it holds", t.offset};
    metrics.at = file.in.pos();
    return {};
}

// The bitmaps: an offset per glyph into the data, rows padded as the format says.
struct BitmapsTable {
    std::uint32_t format = 0;
    std::size_t offsets_at = 0;
    std::size_t bits_at = 0;
    std::uint32_t bits_size = 0;
};

Fault read_bitmaps_table(PcfFile& file, const TableEntry& t, std::uint32_t glyph_count, BitmapsTable& bitmaps) {
    Reader& in = file.in;
    std::uint32_t count = 0;
    if (!file.open(t, bitmaps.format) || !in.u32(msb_bytes(bitmaps.format), count)) return {"the bitmaps table is damaged", t.offset};
    if (count != glyph_count) return {"the bitmaps table counts other glyphs than the metrics", t.offset};
    bitmaps.offsets_at = in.pos();
    std::array<std::uint32_t, 4> sizes{};
    if (!in.seek(static_cast<std::uint32_t>(bitmaps.offsets_at + 4 * std::size_t{count})))
        return {"the bitmaps table counts more glyphs than it holds", t.offset};
    for (std::uint32_t& size : sizes)
        if (!in.u32(msb_bytes(bitmaps.format), size)) return {"the bitmaps table is damaged", in.failed_at()};
    bitmaps.bits_at = in.pos();
    bitmaps.bits_size = sizes[bitmaps.format & 3];
    if (!in.has(bitmaps.bits_size)) return {"the bitmaps table lies about its size", t.offset};
    return {};
}

// The encodings: a glyph index for each code of a range of first and second bytes.
struct EncodingsTable {
    int min2 = 0, max2 = 0, min1 = 0, max1 = 0;
    bool msb = false;
    std::size_t index_at = 0;

    std::size_t columns() const { return static_cast<std::size_t>(max2 - min2 + 1); }
    std::size_t place_of(int byte1, int byte2) const {
        return index_at + 2 * (static_cast<std::size_t>(byte1 - min1) * columns() + static_cast<std::size_t>(byte2 - min2));
    }
};

Fault read_encodings_table(PcfFile& file, const TableEntry& t, EncodingsTable& encodings) {
    Reader& in = file.in;
    std::uint32_t format = 0;
    int default_char = 0;
    encodings.msb = file.open(t, format) && msb_bytes(format);
    const bool msb = encodings.msb;
    if (format != t.format || !in.s16(msb, encodings.min2) || !in.s16(msb, encodings.max2) ||
        !in.s16(msb, encodings.min1) || !in.s16(msb, encodings.max1) || !in.s16(msb, default_char))
        return {"the encodings table is damaged", t.offset};
    if (encodings.min2 < 0 || encodings.max2 > 255 || encodings.min2 > encodings.max2 || encodings.min1 < 0 ||
        encodings.max1 > 255 || encodings.min1 > encodings.max1)
        return {"the encodings table has impossible code ranges", t.offset};
    encodings.index_at = in.pos();
    if (!in.has(2 * encodings.columns() * static_cast<std::size_t>(encodings.max1 - encodings.min1 + 1)))
        return {"the encodings table counts more codes than it holds", t.offset};
    return {};
}

// The dots of one glyph, rows of whole bytes with the leftmost dot in the top bit, from its
// bitmap in the file, whose bytes and bits are in the order its format says.
Fault extract_glyph(PcfFile& file, const BitmapsTable& bitmaps, std::uint32_t glyph, int width, int height,
                    std::uint8_t* bits, std::size_t& pitch) {
    pitch = (static_cast<std::size_t>(width) + 7) / 8;
    const auto pad = static_cast<std::size_t>(row_pad(bitmaps.format));
    const std::size_t stride = (pitch + pad - 1) / pad * pad;
    std::uint32_t offset = 0;
    const std::size_t offset_at = bitmaps.offsets_at + 4 * std::size_t{glyph};
    file.in.seek(static_cast<std::uint32_t>(offset_at));
    file.in.u32(msb_bytes(bitmaps.format), offset);
    if (offset > bitmaps.bits_size || stride * static_cast<std::size_t>(height) > bitmaps.bits_size - offset)
        return {"a glyph's bitmap lies outside the bitmaps table", offset_at};
    const std::uint8_t* source = file.data.data() + bitmaps.bits_at + offset;
    const std::size_t bitmap_size = stride * static_cast<std::size_t>(height);
    const auto unit = static_cast<std::size_t>(scan_unit(bitmaps.format));
    const bool msb_first_bytes = msb_bytes(bitmaps.format);
    const bool msb_first_bits = msb_bits(bitmaps.format);
    for (int y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < pitch; ++x) {
            // The byte of the row's data that holds dots 8x to 8x + 7, in MSB-first order.
            std::size_t at = static_cast<std::size_t>(y) * stride + x;
            // Bytes in the other order than bits are swapped within each scan unit.
            if (msb_first_bytes != msb_first_bits && unit > 1) {
                const std::size_t swapped = at / unit * unit + (unit - 1 - at % unit);
                if (swapped < bitmap_size) at = swapped;
            }
            const std::uint8_t b = source[at];
            bits[static_cast<std::size_t>(y) * pitch + x] = msb_first_bits ? b : reversed_bits(b);
        }
    }
    return {};
}

}  // namespace

bool is_pcf(std::span<const std::uint8_t> data) {
    return data.size() >= 4 && data[0] == 1 && data[1] == 'f' && data[2] == 'c' && data[3] == 'p';
}

FontImport read_pcf(std::span<const std::uint8_t> data, BitOrder order, GlyphTable& glyphs, HalfTable* half) {
    for (GlyphRecord& g : glyphs) g.fill(0);
    FontImport result;
    result.place_is_offset = true;
    auto refuse = [&result](const Fault& fault) {
        result.error = fault.why;
        result.error_place = static_cast<long>(fault.at);
        return result;
    };
    if (!is_pcf(data)) return refuse({"not a PCF file: it does not begin with 1fcp", 0});
    PcfFile file(data);
    FontProperties font;
    if (const Fault f = read_contents(file)) return refuse(f);
    if (const Fault f = read_properties(file, font)) return refuse(f);
    FontEncoding encoding = FontEncoding::jis_x0208;
    if (!encoding_of_registry(font.registry.data(), encoding)) return refuse({not_japanese_reason, 0});
    if (const Fault f = read_accelerators(file, font)) return refuse(f);
    if (font.pixel_size < 0 || font.pixel_size > 1000 || !font_of_dots(static_cast<int>(font.pixel_size))) {
        result.pixel_size = static_cast<int>(std::clamp(font.pixel_size, -1000L, 1000L));
        return refuse({not_a_font_size.c_str(), 0});
    }
    result.pixel_size = static_cast<int>(font.pixel_size);
    if (font.ascent < 0 || font.ascent > 1000) font.ascent = font.pixel_size;

    const TableEntry* metrics_entry = file.find(pcf_metrics);
    const TableEntry* bitmaps_entry = file.find(pcf_bitmaps);
    const TableEntry* encodings_entry = file.find(pcf_bdf_encodings);
    if (!metrics_entry || !bitmaps_entry || !encodings_entry) return refuse({"the font lacks its metrics, bitmaps or encodings", 0});
    MetricsTable metrics;
    BitmapsTable bitmaps;
    EncodingsTable encodings;
    if (const Fault f = read_metrics_table(file, *metrics_entry, metrics)) return refuse(f);
    if (const Fault f = read_bitmaps_table(file, *bitmaps_entry, metrics.count, bitmaps)) return refuse(f);
    if (const Fault f = read_encodings_table(file, *encodings_entry, encodings)) return refuse(f);

    GridPlacer placer(glyphs, result, encoding, result.pixel_size, static_cast<int>(font.ascent), order, half);
    std::array<std::uint8_t, max_glyph_side * max_glyph_side / 8> bits;
    for (int byte1 = encodings.min1; byte1 <= encodings.max1; ++byte1) {
        for (int byte2 = encodings.min2; byte2 <= encodings.max2; ++byte2) {
            file.in.seek(static_cast<std::uint32_t>(encodings.place_of(byte1, byte2)));
            std::uint32_t glyph = 0;
            file.in.u16(encodings.msb, glyph);
            if (glyph == 0xFFFF) continue;
            if (glyph >= metrics.count) return refuse({"an encoding names a glyph past the last one", file.in.pos() - 2});
            const Metrics m = metrics.of(file.in, glyph);
            const int width = m.right - m.left;
            const int height = m.ascent + m.descent;
            if (width < 0 || height < 0 || width > max_glyph_side || height > max_glyph_side)
                return refuse({"a glyph's metrics are not of a sensible size", metrics.place_of(glyph)});
            std::size_t pitch = 0;
            if (const Fault f = extract_glyph(file, bitmaps, glyph, width, height, bits.data(), pitch)) return refuse(f);
            placer.place(byte1 << 8 | byte2, {width, height, m.left, m.ascent, bits.data(), static_cast<int>(pitch)});
        }
    }
    return result;
}

}  // namespace sorvane
