// Images of a font as the firmware reader takes them: whole, cut short, with a byte flipped
// in the header, its directory or a table, of another version, with sizes that do not fit, with
// tables it does not know or without one it needs, of version 1 as 1.11 wrote them, and with
// counts up to 65535. The header is refused at open, the tables by the CRC check; a glyph is
// found in a bounded number of reads by either key.
#include <gtest/gtest.h>

#include <zlib.h>

#include <bit>
#include <cstring>
#include <random>
#include <set>

#include "core/jis_unicode.h"
#include "fontgen/font_image.h"
#include "fontgen/glyph_coder.h"
#include "sorvane_font.h"
#include "sorvane_unpack.h"
#include "tests/test_support.h"

namespace sorvane {
namespace {

struct Bytes {
    std::vector<std::uint8_t> data;
    int reads = 0;
};

int read_bytes(void* ctx, unsigned long offset, void* buffer, unsigned length) {
    Bytes& image = *static_cast<Bytes*>(ctx);
    ++image.reads;
    if (offset > image.data.size() || length > image.data.size() - offset) return -1;
    std::copy_n(image.data.begin() + static_cast<std::ptrdiff_t>(offset), length, static_cast<std::uint8_t*>(buffer));
    return 0;
}

std::size_t header_length(const std::vector<std::uint8_t>& data) { return data[8] == 1 ? 56 : data[10] | data[11] << 8; }

// The header's own CRC-32 made right again after a change to it.
void seal_header(std::vector<std::uint8_t>& data) {
    const std::size_t at = header_length(data) - 4;
    const auto crc = static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), data.data(), static_cast<uInt>(at)));
    for (std::size_t i = 0; i < 4; ++i) data[at + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}

// A character as a string: its two Shift_JIS bytes, or the UTF-8 of its code point.
std::string string_of(unsigned code, bool utf8) {
    if (!utf8) return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    if (code < 0x800) return {static_cast<char>(0xC0 | code >> 6), static_cast<char>(0x80 | (code & 0x3F))};
    return {static_cast<char>(0xE0 | code >> 12), static_cast<char>(0x80 | (code >> 6 & 0x3F)), static_cast<char>(0x80 | (code & 0x3F))};
}

// What drawing a text from an image gives: its dots, the characters it lacks, and the reads.
struct Drawn {
    std::vector<std::pair<int, int>> dots;
    int missing = 0, reads = 0;
};

Drawn draw(const std::vector<std::uint8_t>& data, const std::string& text, bool utf8) {
    Bytes bytes{data};
    sorvane_font image;
    Drawn drawn;
    EXPECT_EQ(sorvane_open_image(&image, read_bytes, &bytes), SORVANE_OK);
    std::vector<unsigned char> models(image.model_bytes);  // a compressed image's, in RAM
    EXPECT_EQ(sorvane_image_models(&image, models.data(), image.model_bytes), SORVANE_OK);
    bytes.reads = 0;
    sorvane_target target;
    sorvane_target_plot(&target, [](void* ctx, int x, int y) { static_cast<Drawn*>(ctx)->dots.emplace_back(x, y); }, &drawn);
    (utf8 ? sorvane_draw_utf8 : sorvane_draw_sjis)(&image, text.c_str(), 0, 0, &target);
    drawn.reads = bytes.reads;
    drawn.missing = (utf8 ? sorvane_missing_utf8 : sorvane_missing_sjis)(&image, text.c_str());
    return drawn;
}

// Glyphs like a font's: strokes across and down, with a few blank and a few of noise (which
// the coder stores raw), width dots wide.
void stroke_glyphs(std::span<GlyphRecord> glyphs, int width, std::mt19937& random) {
    const std::uint32_t all = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
    for (GlyphRecord& g : glyphs) {
        g.fill(0);
        const unsigned kind = random() % 8;
        for (std::size_t r = 0; r < static_cast<std::size_t>(width) && kind == 1; ++r) g[r] = static_cast<std::int32_t>(random() & all);
        for (unsigned stroke = 0; kind > 1 && stroke < 2 + random() % 5; ++stroke) {
            const unsigned at = random() % static_cast<unsigned>(width), from = random() % static_cast<unsigned>(width);
            const unsigned to = from + random() % (static_cast<unsigned>(width) - from);
            for (unsigned i = from; i <= to; ++i) {
                if (random() % 2) g[at] = static_cast<std::int32_t>(static_cast<std::uint32_t>(g[at]) | (1u << i & all));
                else g[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(g[i]) | (1u << at & all));
            }
        }
    }
}

// The glyphs of a table of cells of a shape, as the coder takes them.
std::vector<GlyphRecord> records_of(const std::vector<std::uint8_t>& cells, const GlyphShape& shape) {
    const std::size_t cell = static_cast<std::size_t>(shape.cell_bytes());
    std::vector<GlyphRecord> records(cells.size() / cell, GlyphRecord{});
    for (std::size_t i = 0; i < records.size(); ++i)
        for (int r = 0; r < shape.height; ++r)
            for (int x = 0; x < shape.width; ++x)
                if (cells[i * cell + static_cast<std::size_t>(r / shape.band * shape.band * shape.row_bytes() + x / 8 * shape.band + r % shape.band)] >> (x % 8) & 1)
                    records[i][static_cast<std::size_t>(r)] = static_cast<std::int32_t>(static_cast<std::uint32_t>(records[i][static_cast<std::size_t>(r)]) | 1u << x);
    return records;
}

// A font of tables compressed as generate --compress lays them out, and its image: the raw
// image's glyph tables become a model, an index and packed glyphs (GLYF as MODL, GIDX and
// PACK; ASCI and KANA as HMOD, HIDX and HPAK, ASCII first).
struct Compressed {
    std::vector<std::uint8_t> image;
    std::vector<unsigned short> keys;
    std::vector<std::uint8_t> model, starts, packed, half_model, half_starts, half_packed;
    sorvane_font tables{};
};

void compress(const ImageContents& raw, Compressed& out) {
    ImageContents c = raw;
    c.tables.clear();
    std::vector<std::uint8_t> half_cells;
    unsigned half_flags = 0;
    const GlyphShape full{raw.width, raw.height, raw.band_rows}, half{raw.half_width, raw.height, 1};
    const auto pack = [](const CompressedGlyphs& set, std::vector<std::uint8_t>& model, std::vector<std::uint8_t>& starts, std::vector<std::uint8_t>& packed) {
        model = set.model, starts = set.index, packed.clear();
        for (const auto& g : set.glyphs) packed.insert(packed.end(), g.begin(), g.end());
    };
    for (const ImageTable& t : raw.tables) {
        const std::string tag(t.tag.begin(), t.tag.end());
        if (tag == "KEYS")
            for (std::size_t i = 0; i + 1 < t.bytes.size(); i += 2) out.keys.push_back(static_cast<unsigned short>(t.bytes[i] | t.bytes[i + 1] << 8));
        if (tag == "GLYF") {
            pack(compress_glyphs(records_of(t.bytes, full), full, 10), out.model, out.starts, out.packed);
            c.tables.push_back({{'M', 'O', 'D', 'L'}, 1, true, out.model});
            c.tables.push_back({{'G', 'I', 'D', 'X'}, 1, true, out.starts});
            c.tables.push_back({{'P', 'A', 'C', 'K'}, 1, true, out.packed});
        } else if (tag == "ASCI" || tag == "KANA") {
            half_cells.insert(half_cells.end(), t.bytes.begin(), t.bytes.end());
            half_flags |= tag == "ASCI" ? 2u : 4u;
        } else {
            c.tables.push_back(t);
        }
    }
    if (half_flags != 0) {
        pack(compress_glyphs(records_of(half_cells, half), half, 10), out.half_model, out.half_starts, out.half_packed);
        c.tables.push_back({{'H', 'M', 'O', 'D'}, 1, true, out.half_model});
        c.tables.push_back({{'H', 'I', 'D', 'X'}, 1, true, out.half_starts});
        c.tables.push_back({{'H', 'P', 'A', 'K'}, 1, true, out.half_packed});
    }
    out.image = image_bytes(c);
    for (std::size_t e = 0; e < c.tables.size(); ++e)  // HPAK's flags say which glyphs it holds
        if (std::string(c.tables[e].tag.begin(), c.tables[e].tag.end()) == "HPAK") out.image[image_fixed_bytes + image_entry_bytes * e + 14] |= static_cast<std::uint8_t>(half_flags);
    seal_header(out.image);
    sorvane_font& f = out.tables;
    f.width = static_cast<unsigned char>(raw.width), f.height = static_cast<unsigned char>(raw.height);
    f.half_width = static_cast<unsigned char>(raw.half_width), f.band = static_cast<unsigned char>(raw.band_rows);
    f.key = raw.key == CodeKey::unicode, f.flags = static_cast<unsigned char>(half_flags >> 1);
    f.glyph_bytes = static_cast<unsigned short>(raw.glyph_bytes), f.half_bytes = static_cast<unsigned short>(raw.half_glyph_bytes);
    f.count = static_cast<unsigned short>(raw.count), f.keys = out.keys.data();
    f.model = out.model.data(), f.starts = out.starts.data(), f.glyphs = out.packed.data();
    if (half_flags != 0) f.half_model = out.half_model.data(), f.half_starts = out.half_starts.data(), f.half_packed = out.half_packed.data();
}

class FirmwareImage : public ::testing::Test {
protected:
    // A font of count random characters, their glyphs random, keyed by key with the other key.
    ImageContents contents(int count, CodeKey key) {
        std::mt19937 random(11);
        registered = {};
        for (int i = 0; i < count; ++i) registered[random() % grid_cells] = 1;
        auto glyphs = std::make_unique<GlyphTable>();
        auto half = std::make_unique<HalfTable>();
        for (GlyphRecord& g : *glyphs)
            for (std::int32_t& row : g) row = static_cast<std::int32_t>(random() & 0xFFFF);
        for (GlyphRecord& g : *half)
            for (std::int32_t& row : g) row = static_cast<std::int32_t>(random() & 0xFF);
        return font_image_contents(registered, *glyphs, font_table[1], {HalfWidth::all, key, true}, half.get());
    }

    void SetUp() override { good = image_bytes(contents(300, CodeKey::unicode)); }

    // What opening an image says, and then what checking it says.
    std::pair<int, int> open_and_check(const std::vector<std::uint8_t>& data) {
        Bytes bytes{data};
        sorvane_font image;
        const int opened = sorvane_open_image(&image, read_bytes, &bytes);
        // A font that did not open holds no table a firmware could draw from all the same.
        EXPECT_TRUE(opened == SORVANE_OK || (image.count == 0 && image.glyph_bytes == 0 && image.half_bytes == 0 && image.flags == 0 &&
                                             image.ascii_at == 0 && image.kana_at == 0));
        return {opened, opened == SORVANE_OK ? sorvane_check_image(&image) : 1};
    }

    KanjiGrid registered{};
    std::vector<std::uint8_t> good;
    // Made by the writer of 1.11 from contents(40, CodeKey::unicode).
    std::vector<std::uint8_t> v1 = [] {
        const std::string bytes = testing::read_file(SORVANE_SOURCE_DIR "/tests/firmware/image-v1.bin");
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }();
};

TEST_F(FirmwareImage, AWholeImageOpensAndChecks) {
    for (const auto& data : {good, v1}) EXPECT_EQ(open_and_check(data), std::make_pair(int{SORVANE_OK}, int{SORVANE_OK}));
    EXPECT_LE(sizeof(sorvane_font), 32 * sizeof(void*)) << "small enough for the caller to own anywhere";
}

TEST_F(FirmwareImage, CutShortItIsRefused) {
    for (std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{35}, header_length(good) - 1})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}).first, -1) << size;
    for (std::size_t size : {header_length(good), header_length(good) + 1, good.size() / 2, good.size() - 1})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}),
                  std::make_pair(int{SORVANE_OK}, int{-1})) << size;
}

// A read that fails: the callback's own negative code comes back as it stands, any other
// failure as SORVANE_ERR_IO, from open, from the check, and through sorvane_font_error after a
// drawing call, which counts no lacking character for it and starts afresh each time.
TEST_F(FirmwareImage, AFailingReadGivesItsCode) {
    struct Failing {
        Bytes bytes;
        int code;
        std::size_t from;  // a read that reaches it fails
    };
    const auto read = [](void* ctx, unsigned long offset, void* buffer, unsigned length) {
        Failing& f = *static_cast<Failing*>(ctx);
        return offset + length > f.from ? f.code : read_bytes(&f.bytes, offset, buffer, length);
    };
    const char* text = "\xe6\xb8\xa9 A\xf0\x9f\x98\x80";  // maybe in the font, two half-width, one no font has
    for (const int code : {-77, 3}) {
        const int told = code < 0 ? code : int{SORVANE_ERR_IO};
        Failing f{{good}, code, 20};
        sorvane_font image;
        EXPECT_EQ(sorvane_open_image(&image, read, &f), told);
        f.from = good.size();
        ASSERT_EQ(sorvane_open_image(&image, read, &f), SORVANE_OK);
        const int lacking = sorvane_missing_utf8(&image, text);
        f.from = good.size() - 1;
        EXPECT_EQ(sorvane_check_image(&image), told);
        f.from = header_length(good);  // no table can be read
        EXPECT_EQ(sorvane_missing_utf8(&image, text), 1) << code;
        EXPECT_EQ(sorvane_font_error(&image), told);
        int dots = 0;
        sorvane_target target;
        sorvane_target_plot(&target, [](void* ctx, int, int) { ++*static_cast<int*>(ctx); }, &dots);
        EXPECT_EQ(sorvane_draw_utf8(&image, text, 0, 0, &target), sorvane_measure_utf8(&image, text));
        EXPECT_EQ(dots, 0) << "a glyph not read is blank";
        EXPECT_EQ(sorvane_font_error(&image), told);
        f.from = good.size();
        EXPECT_EQ(sorvane_missing_utf8(&image, text), lacking);
        EXPECT_EQ(sorvane_font_error(&image), SORVANE_OK) << "each call starts afresh";
    }
}

// Of either version: the header of version 2 holds its directory.
TEST_F(FirmwareImage, AFlippedByteOfTheHeaderIsRefusedAtOpen) {
    for (const auto& image : {good, v1}) {
        for (std::size_t at = 0; at < header_length(image); ++at) {
            for (const std::uint8_t bit : {0x01, 0x80}) {
                std::vector<std::uint8_t> data = image;
                data[at] ^= bit;
                const auto [opened, checked] = open_and_check(data);
                if (at < 8) EXPECT_EQ(opened, SORVANE_ERR_NOT_IMAGE) << at;
                else if (at < 10) EXPECT_EQ(opened, SORVANE_ERR_VERSION) << at;
                else EXPECT_EQ(opened, SORVANE_ERR_BAD_HEADER) << at;
            }
        }
    }
}

TEST_F(FirmwareImage, AFlippedByteOfATableIsFoundByTheCheck) {
    std::mt19937 random(5);
    for (int n = 0; n < 200; ++n) {
        std::vector<std::uint8_t> data = good;
        data[header_length(good) + random() % (data.size() - header_length(good))] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        EXPECT_EQ(open_and_check(data), std::make_pair(int{SORVANE_OK}, int{SORVANE_ERR_CORRUPT})) << n;
    }
}

// Tables are additions: one with a tag the reader does not know is passed over, unless the
// image says a reader needs it; the keys and the glyphs must be there. What opens draws as
// the whole image.
TEST_F(FirmwareImage, AnotherVersionSizesThatDoNotFitOrTablesItNeedsAreRefused) {
    // Each a header made consistent with its own CRC: what the reader must still refuse. The
    // directory's entries, 16 bytes from 36: keys, other key, glyphs, ASCII, katakana.
    const std::vector<std::tuple<std::size_t, std::uint8_t, int>> changes = {
        {8, 3, SORVANE_ERR_VERSION},    {26, 2, SORVANE_ERR_BAD_SIZES},  // a key of neither kind
        {27, 25, SORVANE_ERR_BAD_SIZES},      {28, 15, SORVANE_ERR_BAD_SIZES},  // a cell of 25, or 15 rows in bands of 8
        {29, 7, SORVANE_ERR_BAD_SIZES},       {32, 31, SORVANE_ERR_BAD_SIZES},  // half width, glyph bytes
        {31, 1, SORVANE_ERR_BAD_SIZES},       {14, 1, SORVANE_ERR_BAD_SIZES},   // reserved bytes
        {24, 0, SORVANE_ERR_BAD_SIZES},       {40, 0, SORVANE_ERR_BAD_SIZES},   // the count, the keys' offset
        {44, 0, SORVANE_ERR_BAD_SIZES},       {48, 3, SORVANE_ERR_BAD_SIZES},   // their length, their record
        {73, 0x7F, SORVANE_ERR_BAD_SIZES},    {52, 'K', SORVANE_ERR_BAD_SIZES},  // glyphs past the end, keys twice
        {68, 'X', SORVANE_ERR_NO_TABLE}, {36, 'X', SORVANE_ERR_NO_TABLE},  // tags unknown: no glyphs, no keys
        {100, 'X', SORVANE_OK},           {100, 'Y', SORVANE_ERR_VERSION},  // katakana unknown; needed
    };
    for (const auto& [at, value, refused] : changes) {
        std::vector<std::uint8_t> data = good;
        data[at] = value;
        if (value == 'K') std::copy_n(data.begin() + 36, 4, data.begin() + 52);
        if (value == 'X' || value == 'Y') data[at + 14] = value == 'Y';  // the needed bit
        seal_header(data);
        EXPECT_EQ(open_and_check(data).first, refused) << at;
        EXPECT_TRUE(refused != SORVANE_OK || draw(data, "\xe6\xb8\xa9 A", true).dots == draw(good, "\xe6\xb8\xa9 A", true).dots);
    }
}

// Every character by either key, in images of each key and in one that 1.11 wrote (version
// 1, whose other key is a walk): there or not as the font has it, in at most
// ceil(log2(count + 1)) reads and one for its glyph, and version 1 draws as version 2.
TEST_F(FirmwareImage, EitherKeyFindsAGlyphInBoundedReads) {
    for (const auto& [count, key, old] : {std::tuple{300, CodeKey::sjis, false}, {300, CodeKey::unicode, false}, {40, CodeKey::unicode, true}}) {
        const std::vector<std::uint8_t> data = image_bytes(contents(count, key));
        IncludeSummary summary;
        const std::vector<FontEntry> entries = font_entries(registered, key, summary);
        std::set<unsigned> has[2];  // the codes of the characters it has, by Shift_JIS and by code point
        for (const FontEntry& e : entries) has[key == CodeKey::unicode].insert(e.key), has[key != CodeKey::unicode].insert(e.alt);
        for (int cell = 0; cell < grid_cells; ++cell) {
            for (const bool utf8 : {false, true}) {
                const unsigned code = utf8 ? characters_of_cell(cell).first : code_of(cell);
                if (code == 0) continue;
                const Drawn drawn = draw(old ? v1 : data, string_of(code, utf8), utf8);
                EXPECT_EQ(drawn.missing, has[utf8].count(code) == 0) << std::hex << code;
                EXPECT_LE(drawn.reads, std::bit_width(entries.size()) + (drawn.missing == 0)) << std::hex << code;
                EXPECT_TRUE(!old || drawn.dots == draw(data, string_of(code, utf8), utf8).dots) << std::hex << code;
            }
        }
        for (int byte = 0x20; byte < 0x100 && old; ++byte)
            EXPECT_EQ(draw(v1, std::string(1, static_cast<char>(byte)), false).dots, draw(data, std::string(1, static_cast<char>(byte)), false).dots);
    }
}

// A compressed font, of tables and of an image, for each font's shape and either key, with
// ASCII and kana or kana alone: every glyph and half-width glyph as the raw image's, each
// glyph of the image in two reads (its index record, its bytes) and one when blank; found
// and drawn by code in at most ceil(log2(count + 1)) more. Its models go into RAM first, and
// a failing read inside a glyph gives its code.
TEST_F(FirmwareImage, ACompressedFontGivesTheRawGlyphsInBoundedReads) {
    std::mt19937 random(5);
    for (const FontKind& font : font_table) {
        for (const auto& [key, half_width] : {std::pair{CodeKey::sjis, HalfWidth::all}, {CodeKey::unicode, HalfWidth::kana}}) {
            registered = {};
            for (int i = 0; i < 300; ++i) registered[random() % grid_cells] = 1;
            auto glyphs = std::make_unique<GlyphTable>();
            auto half = std::make_unique<HalfTable>();
            stroke_glyphs(*glyphs, font.dots, random);
            stroke_glyphs(*half, font.half_dots, random);
            const ImageContents raw_contents = font_image_contents(registered, *glyphs, font, {half_width, key, true}, half.get());
            Compressed c;
            compress(raw_contents, c);
            Bytes raw_bytes{image_bytes(raw_contents)}, bytes{c.image};
            sorvane_font raw, image;
            ASSERT_EQ(sorvane_open_image(&raw, read_bytes, &raw_bytes), SORVANE_OK);
            ASSERT_EQ(sorvane_open_image(&image, read_bytes, &bytes), SORVANE_OK) << font.name;
            ASSERT_EQ(image.model_bytes, c.model.size() + c.half_model.size());
            std::vector<unsigned char> ram(image.model_bytes);
            sorvane_glyph want, got;
            const auto length_of = [&](int i) { return c.starts[static_cast<std::size_t>(i / 16 * 19 + 3 + i % 16)]; };
            int coded = 0;  // the first glyph the coder packed
            while (length_of(coded) == 0 || length_of(coded) == raw.glyph_bytes) ++coded;
            EXPECT_EQ(sorvane_glyph_at(&image, coded, &got), SORVANE_ERR_INVAL) << "no models in RAM yet";
            EXPECT_EQ(sorvane_image_models(&image, ram.data(), image.model_bytes - 1u), SORVANE_ERR_INVAL);
            ASSERT_EQ(sorvane_image_models(&image, ram.data(), image.model_bytes), SORVANE_OK);
            EXPECT_EQ(image.flags, raw.flags);
            std::set<int> lengths;
            for (int i = 0; i < raw.count; ++i) {
                ASSERT_EQ(sorvane_glyph_at(&raw, i, &want), SORVANE_OK);
                bytes.reads = 0;
                for (const sorvane_font* f : {&image, &c.tables}) {
                    ASSERT_EQ(sorvane_glyph_at(f, i, &got), SORVANE_OK);
                    EXPECT_TRUE(std::equal(want.rows, want.rows + font.dots, got.rows)) << font.name << " " << i << (f == &image ? " image" : " tables");
                }
                const unsigned length = length_of(i);
                lengths.insert(length == 0 ? 0 : length == raw.glyph_bytes ? 2 : 1);
                EXPECT_EQ(bytes.reads, length == 0 ? 1 : 2) << i;
            }
            EXPECT_EQ(lengths.size(), 3u) << "blank, compressed and raw glyphs all met";
            for (int byte = 0x20; byte < 0x100; ++byte) {
                const int had = sorvane_half_glyph(&raw, static_cast<unsigned char>(byte), &want);
                for (const sorvane_font* f : {&image, &c.tables}) {
                    ASSERT_EQ(sorvane_half_glyph(f, static_cast<unsigned char>(byte), &got), had) << byte;
                    EXPECT_TRUE(had != 0 || std::equal(want.rows, want.rows + font.dots, got.rows)) << font.name << " " << byte;
                }
            }
            const bool utf8 = key == CodeKey::unicode;
            for (std::size_t i = 0; i < c.keys.size(); i += 7) {
                const Drawn drawn = draw(c.image, string_of(c.keys[i], utf8), utf8);
                EXPECT_EQ(drawn.dots, draw(raw_bytes.data, string_of(c.keys[i], utf8), utf8).dots) << i;
                EXPECT_LE(drawn.reads, std::bit_width(c.keys.size()) + 2) << i;
                const std::string kana = utf8 ? "\xef\xbd\xb1" : "\xb1";
                EXPECT_EQ(draw(c.image, kana, utf8).dots, draw(raw_bytes.data, kana, utf8).dots);
            }
            // A directory of compressed sets that do not fit together is refused: an index of
            // another length, a model of more bits than images hold, HPAK holding no glyphs.
            const auto entry = [&](const char* tag) {
                std::size_t e = image_fixed_bytes;
                while (std::memcmp(&c.image[e], tag, 4) != 0) e += image_entry_bytes;
                return e;
            };
            for (const auto& [tag, at, value] : {std::tuple{"GIDX", 8, -1}, {"HIDX", 8, 1}, {"HPAK", 14, -int{half_width == HalfWidth::all ? 6 : 4}}, {"MODL", 8, 1}}) {
                Bytes broken{c.image};
                broken.data[entry(tag) + static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(broken.data[entry(tag) + static_cast<std::size_t>(at)] + value);
                seal_header(broken.data);
                sorvane_font refused;
                EXPECT_EQ(sorvane_open_image(&refused, read_bytes, &broken), SORVANE_ERR_BAD_SIZES) << tag;
            }
            // An index that puts a glyph past the packed glyphs: corrupt, and nothing is read
            // outside them.
            Bytes past{c.image};
            past.data[image.starts_at + static_cast<std::size_t>(coded / 16 * 19 + 2)] = 0x10;
            sorvane_font corrupt;
            ASSERT_EQ(sorvane_open_image(&corrupt, read_bytes, &past), SORVANE_OK);
            ASSERT_EQ(sorvane_image_models(&corrupt, ram.data(), corrupt.model_bytes), SORVANE_OK);
            EXPECT_EQ(sorvane_glyph_at(&corrupt, coded, &got), SORVANE_ERR_CORRUPT);
            // A read that fails inside a compressed glyph: the callback's code.
            struct Failing {
                Bytes bytes;
                std::size_t from, to;  // the packed glyphs
            } failing{{c.image}, image.glyphs_at, image.glyphs_at + c.packed.size()};
            const auto read = [](void* ctx, unsigned long offset, void* buffer, unsigned length) {
                Failing& f = *static_cast<Failing*>(ctx);
                return offset >= f.from && offset < f.to ? -77 : read_bytes(&f.bytes, offset, buffer, length);
            };
            image.read = read, image.ctx = &failing;
            for (int i = 0; i < 16; ++i) EXPECT_EQ(sorvane_glyph_at(&image, i, &got), c.starts[static_cast<std::size_t>(3 + i)] == 0 ? 0 : -77) << i;
        }
    }
}

// Fonts of other sizes draw through the same code, from an image and from tables of the same
// bytes: cells of 8, 10, 13 and 32 dots (bands of 8 rows, or one band), every dot where the
// stored layout puts it, and sorvane_glyph_at's rows the same.
TEST(FirmwareSizes, EveryCellSizeDrawsTheStoredDots) {
    std::mt19937 random(8);
    for (const int size : {8, 10, 13, 32}) {
        const int count = 5, band = size % 8 == 0 ? 8 : size, parts = (size + 7) / 8, half = size / 2;
        const int glyph_bytes = size * parts, half_bytes = size * ((half + 7) / 8);
        ImageContents c;
        c.count = count, c.key = CodeKey::unicode, c.width = c.height = size, c.half_width = half, c.band_rows = band;
        c.glyph_bytes = glyph_bytes, c.half_glyph_bytes = half_bytes;
        std::vector<unsigned short> keys;
        std::vector<std::uint8_t> key_bytes, glyphs(static_cast<std::size_t>(count * glyph_bytes)), ascii(static_cast<std::size_t>(95 * half_bytes));
        for (int i = 0; i < count; ++i) {
            keys.push_back(static_cast<unsigned short>(0x4E00 + 3 * i));
            key_bytes.insert(key_bytes.end(), {std::uint8_t(keys.back()), std::uint8_t(keys.back() >> 8)});
        }
        for (std::uint8_t& b : glyphs) b = static_cast<std::uint8_t>(random());
        for (std::uint8_t& b : ascii) b = static_cast<std::uint8_t>(random());
        c.tables = {{{'K', 'E', 'Y', 'S'}, 2, true, key_bytes}, {{'G', 'L', 'Y', 'F'}, glyph_bytes, true, glyphs},
                    {{'A', 'S', 'C', 'I'}, half_bytes, true, ascii}};
        Bytes bytes{image_bytes(c)};
        sorvane_font image;
        ASSERT_EQ(sorvane_open_image(&image, read_bytes, &bytes), SORVANE_OK) << size;
        sorvane_font tables{};  // as a named include file would define it, of the same bytes
        tables.width = tables.height = static_cast<unsigned char>(size), tables.half_width = static_cast<unsigned char>(half);
        tables.band = static_cast<unsigned char>(band), tables.key = 1, tables.flags = SORVANE_HAS_ASCII;
        tables.glyph_bytes = static_cast<unsigned short>(glyph_bytes), tables.half_bytes = static_cast<unsigned short>(half_bytes);
        tables.count = count, tables.keys = keys.data(), tables.glyphs = glyphs.data(), tables.ascii = ascii.data();
        // The text: every character, then "A~"; the dots the stored layout gives them.
        std::string text;
        std::vector<std::pair<int, int>> want;
        int x = 0;
        for (int i = 0; i < count + 2; ++i) {
            const bool full = i < count;
            const int width = full ? size : half, hparts = (half + 7) / 8;
            const std::uint8_t* g = full ? &glyphs[static_cast<std::size_t>(i * glyph_bytes)] : &ascii[static_cast<std::size_t>((i == count ? 'A' : '~') - 0x20) * static_cast<std::size_t>(half_bytes)];
            text += full ? string_of(keys[static_cast<std::size_t>(i)], true) : std::string(1, i == count ? 'A' : '~');
            for (int r = 0; r < size; ++r)
                for (int col = 0; col < width; ++col)
                    if (g[full ? r / band * band * parts + col / 8 * band + r % band : r * hparts + col / 8] >> (col % 8) & 1) want.emplace_back(x + col, r);
            x += width;
        }
        std::sort(want.begin(), want.end());
        for (const sorvane_font* font : {&image, &tables}) {
            std::vector<std::pair<int, int>> dots;
            sorvane_target target;
            sorvane_target_plot(&target, [](void* ctx, int px, int py) { static_cast<std::vector<std::pair<int, int>>*>(ctx)->emplace_back(px, py); }, &dots);
            EXPECT_EQ(sorvane_draw_utf8(font, text.c_str(), 0, 0, &target), x) << size;
            EXPECT_EQ(sorvane_missing_utf8(font, text.c_str()), 0) << size;
            std::sort(dots.begin(), dots.end());
            EXPECT_EQ(dots, want) << size << (font == &image ? ", image" : ", tables");
            sorvane_glyph a, b;
            for (int i = 0; i < count; ++i) {
                ASSERT_EQ(sorvane_glyph_at(font, i, &a), SORVANE_OK);
                ASSERT_EQ(sorvane_glyph_at(&tables, i, &b), SORVANE_OK);
                EXPECT_TRUE(a.width == size && a.height == size && std::equal(a.rows, a.rows + size, b.rows)) << size << " " << i;
                for (int r = 0; r < size; ++r)
                    for (int col = 0; col < size; ++col)
                        EXPECT_EQ(a.rows[r] >> col & 1, std::binary_search(want.begin(), want.end(), std::pair{i * size + col, r}) ? 1u : 0u);
            }
        }
    }
}

// Counts up to 65535: searched in unsigned places, found in bound; a character past the
// 32767th, which a 16-bit int cannot name, lacks on every processor.
TEST_F(FirmwareImage, CountsUpTo65535AreSearchedSafely) {
    ImageContents c = contents(0, CodeKey::unicode);  // keys 0 to 65534, each at its own place
    c.count = 65535;
    c.tables = {{{'K', 'E', 'Y', 'S'}, 2, true, {}}, {{'G', 'L', 'Y', 'F'}, 32, true, std::vector<std::uint8_t>(65535 * 32, 0xFF)}};
    for (unsigned code = 0; code < 65535; ++code) c.tables[0].bytes.insert(c.tables[0].bytes.end(), {std::uint8_t(code), std::uint8_t(code >> 8)});
    for (const unsigned code : {0x4E00u, 0x7FFFu, 0x8000u, 0xFFFDu, 0xFFFFu}) {
        const Drawn drawn = draw(image_bytes(c), string_of(code, true), true);
        EXPECT_EQ(drawn.missing, code > 0x7FFF) << std::hex << code;
        EXPECT_LE(drawn.reads, 17) << std::hex << code;
    }
}

}  // namespace
}  // namespace sorvane
