// Images of a font as the firmware reader takes them: whole, cut short, with a byte flipped
// in the header, its directory or a table, of another version, with sizes that do not fit, with
// tables it does not know or without one it needs, of version 1 as 1.11 wrote them, and with
// counts up to 65535. The header is refused at open, the tables by the CRC check; a glyph is
// found in a bounded number of reads by either key.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <set>

#include "core/jis_unicode.h"
#include "fontgen/font_image.h"
#include "sorvane_image.h"
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
    sorvane_image image;
    Drawn drawn;
    EXPECT_EQ(sorvane_open_image(&image, read_bytes, &bytes), SORVANE_IMAGE_OK);
    bytes.reads = 0;
    const auto plot = [](void* ctx, int x, int y) { static_cast<Drawn*>(ctx)->dots.emplace_back(x, y); };
    (utf8 ? sorvane_image_draw_utf8 : sorvane_image_draw_sjis)(&image, text.c_str(), 0, 0, plot, &drawn);
    drawn.reads = bytes.reads;
    drawn.missing = (utf8 ? sorvane_image_missing_utf8 : sorvane_image_missing_sjis)(&image, text.c_str());
    return drawn;
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
        sorvane_image image;
        const int opened = sorvane_open_image(&image, read_bytes, &bytes);
        return {opened, opened == SORVANE_IMAGE_OK ? sorvane_check_image(&image) : -1};
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
    for (const auto& data : {good, v1}) EXPECT_EQ(open_and_check(data), std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_OK}));
    EXPECT_LT(sizeof(sorvane_image), 64u) << "small enough for the caller to own anywhere";
}

TEST_F(FirmwareImage, CutShortItIsRefused) {
    for (std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{35}, header_length(good) - 1})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}).first, SORVANE_IMAGE_UNREADABLE) << size;
    for (std::size_t size : {header_length(good), header_length(good) + 1, good.size() / 2, good.size() - 1})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}),
                  std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_UNREADABLE})) << size;
}

// Of either version: the header of version 2 holds its directory.
TEST_F(FirmwareImage, AFlippedByteOfTheHeaderIsRefusedAtOpen) {
    for (const auto& image : {good, v1}) {
        for (std::size_t at = 0; at < header_length(image); ++at) {
            for (const std::uint8_t bit : {0x01, 0x80}) {
                std::vector<std::uint8_t> data = image;
                data[at] ^= bit;
                const auto [opened, checked] = open_and_check(data);
                if (at < 8) EXPECT_EQ(opened, SORVANE_IMAGE_NOT_AN_IMAGE) << at;
                else if (at < 10) EXPECT_EQ(opened, SORVANE_IMAGE_OTHER_VERSION) << at;
                else EXPECT_EQ(opened, SORVANE_IMAGE_BAD_HEADER) << at;
            }
        }
    }
}

TEST_F(FirmwareImage, AFlippedByteOfATableIsFoundByTheCheck) {
    std::mt19937 random(5);
    for (int n = 0; n < 200; ++n) {
        std::vector<std::uint8_t> data = good;
        data[header_length(good) + random() % (data.size() - header_length(good))] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        EXPECT_EQ(open_and_check(data), std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_BAD_CRC})) << n;
    }
}

TEST_F(FirmwareImage, AnotherVersionOrSizesThatDoNotFitAreRefused) {
    // Each a header made consistent with its own CRC: what the reader must still refuse. The
    // directory's entries, 16 bytes from 36: keys, other key, glyphs, ASCII, katakana.
    const std::vector<std::tuple<std::size_t, std::uint8_t, int>> changes = {
        {8, 3, SORVANE_IMAGE_OTHER_VERSION},    {26, 2, SORVANE_IMAGE_BAD_SIZES},  // a key of neither kind
        {27, 25, SORVANE_IMAGE_BAD_SIZES},      {28, 15, SORVANE_IMAGE_BAD_SIZES},  // a cell of 25, or 15 rows in bands of 8
        {29, 7, SORVANE_IMAGE_BAD_SIZES},       {32, 31, SORVANE_IMAGE_BAD_SIZES},  // half width, glyph bytes
        {31, 1, SORVANE_IMAGE_BAD_SIZES},       {14, 1, SORVANE_IMAGE_BAD_SIZES},   // reserved bytes
        {24, 0, SORVANE_IMAGE_BAD_SIZES},       {40, 0, SORVANE_IMAGE_BAD_SIZES},   // the count, the keys' offset
        {44, 0, SORVANE_IMAGE_BAD_SIZES},       {48, 3, SORVANE_IMAGE_BAD_SIZES},   // their length, their record
        {73, 0x7F, SORVANE_IMAGE_BAD_SIZES},    {52, 'K', SORVANE_IMAGE_BAD_SIZES},  // glyphs past the end, keys twice
        {68, 'X', SORVANE_IMAGE_OTHER_VERSION}, {100, 'X', SORVANE_IMAGE_OK},      // unknown: needed (glyphs), or not (katakana)
    };
    for (const auto& [at, value, refused] : changes) {
        std::vector<std::uint8_t> data = good;
        data[at] = value;
        if (value == 'K') std::copy_n(data.begin() + 36, 4, data.begin() + 52);
        seal_header(data);
        EXPECT_EQ(open_and_check(data).first, refused) << at;
    }
}

// Tables are additions: one the reader does not know is passed over, unless the image says a
// reader needs it; one it needs must be there. Whatever it opens draws as the whole image.
TEST_F(FirmwareImage, TablesItDoesNotKnowArePassedOverUnlessNeeded) {
    const ImageContents whole = contents(300, CodeKey::unicode);
    const std::string text = "\xe6\xb8\xa9 A \xef\xbd\xb4";  // 温 A ｴ
    for (const auto& [added, removed, opened] : std::vector<std::tuple<int, std::string, int>>{
             {0, "", SORVANE_IMAGE_OK}, {1, "", SORVANE_IMAGE_OK}, {2, "", SORVANE_IMAGE_OTHER_VERSION},
             {0, "OTHR", SORVANE_IMAGE_OK}, {0, "KEYS", SORVANE_IMAGE_MISSING_TABLE}, {1, "GLYF", SORVANE_IMAGE_MISSING_TABLE}}) {
        ImageContents c = whole;
        if (added > 0) c.tables.insert(c.tables.begin() + 1, {{'N', 'A', 'M', 'E'}, 1, added == 2, {'x', 'y'}});
        std::erase_if(c.tables, [&](const ImageTable& t) { return std::string(t.tag.data(), 4) == removed; });
        const std::vector<std::uint8_t> data = image_bytes(c);
        ASSERT_EQ(open_and_check(data).first, opened) << added << removed;
        if (opened == SORVANE_IMAGE_OK) {
            EXPECT_EQ(draw(data, text, true).dots, draw(good, text, true).dots) << added << removed;
        }
    }
}

// Every character by its own key and by the other, and every character the font lacks, in
// images of each key: ceil(log2(count + 1)) reads at most to find it, one more for its glyph.
TEST_F(FirmwareImage, EitherKeyFindsAGlyphInBoundedReads) {
    for (const CodeKey key : {CodeKey::sjis, CodeKey::unicode}) {
        const std::vector<std::uint8_t> data = image_bytes(contents(300, key));
        IncludeSummary summary;
        const std::vector<FontEntry> entries = font_entries(registered, key, summary);
        std::set<unsigned> has[2];  // the codes of the characters it has, by Shift_JIS and by code point
        for (const FontEntry& e : entries) {
            has[key == CodeKey::unicode].insert(e.key);
            has[key != CodeKey::unicode].insert(e.alt);
        }
        int bound = 0;
        while ((1u << bound) <= entries.size()) ++bound;
        for (int cell = 0; cell < grid_cells; ++cell) {
            for (const bool utf8 : {false, true}) {
                const unsigned code = utf8 ? characters_of_cell(cell).first : code_of(cell);
                if (code == 0) continue;
                const Drawn drawn = draw(data, string_of(code, utf8), utf8);
                EXPECT_LE(drawn.reads, bound + (drawn.missing == 0 ? 1 : 0)) << std::hex << code;
                EXPECT_EQ(drawn.missing, has[utf8].count(code) ? 0 : 1) << std::hex << code;
            }
        }
    }
}

// An image of 1.11, flashed on devices: every character by either key, and every byte, draws
// as the same font's image of today.
TEST_F(FirmwareImage, AnImageOfVersionOneDrawsAsToday) {
    const std::vector<std::uint8_t> today = image_bytes(contents(40, CodeKey::unicode));
    ASSERT_EQ(v1[8], 1);
    int found = 0;
    for (int cell = 0; cell < grid_cells; ++cell) {
        for (const bool utf8 : {false, true}) {
            const std::string text = string_of(utf8 ? characters_of_cell(cell).first : code_of(cell), utf8);
            const Drawn then = draw(v1, text, utf8), now = draw(today, text, utf8);
            EXPECT_EQ(then.dots, now.dots) << cell;
            EXPECT_EQ(then.missing, now.missing) << cell;
            found += registered[static_cast<std::size_t>(cell)] && then.missing == 0;
        }
    }
    EXPECT_GE(found, 2 * 30);
    for (int byte = 0x20; byte < 0x100; ++byte) EXPECT_EQ(draw(v1, std::string(1, static_cast<char>(byte)), false).dots,
                                                          draw(today, std::string(1, static_cast<char>(byte)), false).dots);
}

// Counts up to 65535: searched in unsigned places, found in bound; a character past the
// 32767th, which a 16-bit int cannot name, lacks on every processor.
TEST_F(FirmwareImage, CountsUpTo65535AreSearchedSafely) {
    ImageContents c = contents(0, CodeKey::unicode);
    c.count = 65535;
    c.tables = {{{'K', 'E', 'Y', 'S'}, 2, true, {}}, {{'G', 'L', 'Y', 'F'}, 32, true, std::vector<std::uint8_t>(65535 * 32, 0xFF)}};
    for (unsigned code = 0; code < 65535; ++code) c.tables[0].bytes.insert(c.tables[0].bytes.end(), {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8)});
    const std::vector<std::uint8_t> data = image_bytes(c);
    for (const auto& [code, missing] : std::vector<std::pair<unsigned, int>>{{0x4E00, 0}, {0x7FFF, 0}, {0x8000, 1}, {0xFFFD, 1}, {0xFFFF, 1}}) {
        const Drawn drawn = draw(data, string_of(code, true), true);
        EXPECT_EQ(drawn.missing, missing) << std::hex << code;
        EXPECT_LE(drawn.reads, 17) << std::hex << code;
    }
}

}  // namespace
}  // namespace sorvane
