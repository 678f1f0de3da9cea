// Images of a font as the firmware reader takes them: whole, cut short, with a byte flipped
// in the header or in a table, of another version, or with sizes that do not fit. The header
// is refused at open, the tables by the CRC check.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

#include "fontgen/font_image.h"
#include "sorvane_image.h"

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

// The header's own CRC-32 made right again after a change to it.
void seal_header(std::vector<std::uint8_t>& data) {
    const auto crc = static_cast<std::uint32_t>(crc32(crc32(0, Z_NULL, 0), data.data(), 52));
    for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(52 + i)] = static_cast<std::uint8_t>(crc >> (8 * i));
}

class FirmwareImage : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(11);
        KanjiGrid registered{};
        for (int i = 0; i < 300; ++i) registered[random() % grid_cells] = 1;
        auto glyphs = std::make_unique<GlyphTable>();
        auto half = std::make_unique<HalfTable>();
        for (GlyphRecord& g : *glyphs)
            for (std::int32_t& row : g) row = static_cast<std::int32_t>(random() & 0xFFFF);
        for (GlyphRecord& g : *half)
            for (std::int32_t& row : g) row = static_cast<std::int32_t>(random() & 0xFF);
        good = font_image(registered, *glyphs, font_table[1], {HalfWidth::all, CodeKey::unicode, true}, half.get());
    }

    // What opening an image says, and then what checking it says.
    std::pair<int, int> open_and_check(const std::vector<std::uint8_t>& data) {
        Bytes bytes{data};
        sorvane_image image;
        const int opened = sorvane_open_image(&image, read_bytes, &bytes);
        return {opened, opened == SORVANE_IMAGE_OK ? sorvane_check_image(&image) : -1};
    }

    std::vector<std::uint8_t> good;
};

TEST_F(FirmwareImage, AWholeImageOpensAndChecks) {
    EXPECT_EQ(open_and_check(good), std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_OK}));
    EXPECT_LT(sizeof(sorvane_image), 64u) << "small enough for the caller to own anywhere";
}

TEST_F(FirmwareImage, CutShortItIsRefused) {
    for (std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{55}})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}).first, SORVANE_IMAGE_UNREADABLE) << size;
    for (std::size_t size : {std::size_t{56}, std::size_t{57}, good.size() / 2, good.size() - 1})
        EXPECT_EQ(open_and_check({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}),
                  std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_UNREADABLE})) << size;
}

TEST_F(FirmwareImage, AFlippedByteOfTheHeaderIsRefusedAtOpen) {
    for (std::size_t at = 0; at < 56; ++at) {
        for (const std::uint8_t bit : {0x01, 0x80}) {
            std::vector<std::uint8_t> data = good;
            data[at] ^= bit;
            const auto [opened, checked] = open_and_check(data);
            if (at < 8) EXPECT_EQ(opened, SORVANE_IMAGE_NOT_AN_IMAGE) << at;
            else if (at < 10) EXPECT_EQ(opened, SORVANE_IMAGE_OTHER_VERSION) << at;
            else EXPECT_EQ(opened, SORVANE_IMAGE_BAD_HEADER) << at;
        }
    }
}

TEST_F(FirmwareImage, AFlippedByteOfATableIsFoundByTheCheck) {
    std::mt19937 random(5);
    for (int n = 0; n < 200; ++n) {
        std::vector<std::uint8_t> data = good;
        data[56 + random() % (data.size() - 56)] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        EXPECT_EQ(open_and_check(data), std::make_pair(int{SORVANE_IMAGE_OK}, int{SORVANE_IMAGE_BAD_CRC})) << n;
    }
}

TEST_F(FirmwareImage, AnotherVersionOrSizesThatDoNotFitAreRefused) {
    // Each a header made consistent with its own CRC: what the reader must still refuse.
    const std::vector<std::pair<std::size_t, std::uint8_t>> changes = {
        {8, 2},     // version 2
        {13, 15},   // a cell of 15 dots
        {12, 2},    // a key of neither kind
        {16, 0},    // a count that does not fit the offsets
        {18, 31},   // a glyph of 31 bytes
        {22, 1},    // a reserved byte
        {33, 0x7F}, // the glyphs elsewhere
        {44, 0},    // the size
    };
    for (const auto& [at, value] : changes) {
        std::vector<std::uint8_t> data = good;
        data[at] = value;
        seal_header(data);
        EXPECT_EQ(open_and_check(data).first, at == 8 ? SORVANE_IMAGE_OTHER_VERSION : SORVANE_IMAGE_BAD_SIZES) << at;
    }
}

}  // namespace
}  // namespace sorvane
