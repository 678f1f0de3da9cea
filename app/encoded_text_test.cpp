// The native UTF-8 way against the converter's way, which it replaces for UTF-8: the same
// cells, the same characters left out where they stand, the same errors.
#include "app/encoded_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/jis_unicode.h"
#include "core/utf8_text.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

// What a way made of a file: its cells, what it left out and how it failed, where.
struct Reading {
    KanjiGrid found{};
    LeftOut left_out;
    int message = 0;
    long line = 0;
    long long offset = 0;
};

Reading read_with(bool native, const std::string& path) {
    Reading r;
    Scanner scanner;
    const auto decoder = std::make_unique<Decoder>("UTF-8");
    const Outcome outcome = native ? mark_utf8_file(path.c_str(), r.found, r.left_out)
                                   : mark_encoded_file(path.c_str(), *decoder, scanner, r.found, r.left_out);
    r.message = outcome.message;
    r.line = outcome.line;
    r.offset = outcome.offset;
    return r;
}

// All a native reading said of a text: what it marked, each character left out where it
// stands, and how it ended; read in blocks of block_size bytes, or in one when 0, the way
// path says.
struct NativeReading {
    KanjiGrid found{};
    std::vector<std::pair<char32_t, long>> left_out;
    Utf8Outcome outcome;
    bool operator==(const NativeReading& o) const {
        return found == o.found && left_out == o.left_out && outcome.valid == o.outcome.valid && outcome.cut_short == o.outcome.cut_short &&
               outcome.error_offset == o.outcome.error_offset && outcome.error_line == o.outcome.error_line &&
               outcome.left_out == o.outcome.left_out;
    }
};

NativeReading read_natively(const std::string& path, std::size_t block_size, ScanPath way = ScanPath::portable) {
    NativeReading r;
    const LeftOutSink sink{[](void* to, char32_t c, long line) { static_cast<NativeReading*>(to)->left_out.emplace_back(c, line); }, &r};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<std::uint8_t> buffer(block_size ? block_size : 1 << 20);
    TextReader in(f, buffer);
    r.outcome = mark_utf8_text(in, r.found, sink, way);
    std::fclose(f);
    return r;
}

TEST(Utf8, EveryCharacterOfThePlaneFindsTheCellTheConverterGivesIt) {
    const auto decoder = std::make_unique<Decoder>("UTF-8");
    ASSERT_TRUE(decoder->known());
    int cells = 0;
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        std::uint8_t b[2] = {};
        const int n = decoder->shift_jis_bytes(c, b);
        const int expected = n == 2 && is_lead_byte(b[0]) && is_trail_byte(b[1]) ? cell_of(b[0], b[1]) : -1;
        ASSERT_EQ(cell_of_code_point(c), expected) << std::hex << static_cast<unsigned>(c);
        cells += expected >= 0;
    }
    EXPECT_GT(cells, 6879);
}

TEST(Utf8, RandomTextsReadAsTheConverterReadsThem) {
    testing::TempDir dir;
    const std::string path = dir.file("t.txt");
    std::mt19937 random(16);
    // Characters of every kind: of the grid, NEC's and IBM's, without a two-byte form, beyond
    // the first plane; ASCII and line ends; and broken sequences.
    const auto grid_character = [&] { return static_cast<char32_t>(characters_of_cell(static_cast<int>(random() % grid_cells)).first); };
    const char32_t others[] = {0xE9, 0xA5, 0x2014, 0x301C, 0xFF5E, 0x2235, 0x9AD9, 0x2170, 0xE000, 0x1F600, 0xFF71, 0x3000};
    const std::string broken[] = {"\xFF", "\x80", "\xE6\x97", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6"};
    int compared = 0, refused = 0;
    // The AVX2 way is held to the portable one wherever it runs: in a build for x86-64 with
    // SSE2, on a processor with AVX2. Elsewhere the test says that it compared the portable way alone.
    const bool by_32 = utf8_path_available(ScanPath::avx2);
#if defined(__x86_64__) && defined(__GNUC__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
    EXPECT_EQ(by_32, __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt"));
#else
    EXPECT_FALSE(by_32) << "this build has no AVX2 code";
#endif
    RecordProperty("ways", by_32 ? "portable, AVX2" : "portable only");
    std::printf("UTF-8 ways held to the portable one in blocks: %s\n", by_32 ? "portable, AVX2" : "portable only");
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const std::size_t size = random() % 3 ? random() % 2000 : (1 << 16) - 40 + random() % 80;  // about a block
        while (text.size() < size) {
            const unsigned pick = random() % 10;
            if (pick < 4) text += utf8_of(grid_character());
            else if (pick < 5) text += utf8_of(others[random() % std::size(others)]);
            else if (pick < 9) text += random() % 8 ? static_cast<char>('a' + random() % 26) : '\n';
            else if (random() % 400 == 0) text += broken[random() % std::size(broken)];
        }
        testing::write_file(path, text);
        const Reading converter = read_with(false, path);
        const Reading native = read_with(true, path);
        ASSERT_EQ(native.message, converter.message) << "round " << round;
        ASSERT_EQ(native.line, converter.line) << "round " << round;
        ASSERT_EQ(native.offset, converter.offset) << "round " << round;
        // However the reads cut the text, either way reads it the same.
        const NativeReading whole = read_natively(path, 0);
        ASSERT_TRUE(read_natively(path, 1 + random() % 600) == whole) << "round " << round;
        if (by_32) {
            ASSERT_TRUE(read_natively(path, 1 + random() % 600, ScanPath::avx2) == whole) << "round " << round << ", AVX2";
        }
        ASSERT_EQ(native.message, converter.message) << "round " << round;
        if (converter.message != no_message) {  // what it marked is dropped
            ++refused;
            continue;
        }
        ++compared;
        for (int cell = 0; cell < grid_cells; ++cell)
            ASSERT_EQ(native.found[static_cast<std::size_t>(cell)], converter.found[static_cast<std::size_t>(cell)])
                << "round " << round << ", Shift_JIS " << std::hex << code_of(cell);
        ASSERT_EQ(native.left_out.count, converter.left_out.count) << "round " << round;
        for (std::size_t i = 0; i < 10 && i < static_cast<std::size_t>(converter.left_out.count); ++i) {
            ASSERT_EQ(native.left_out.first[i].code_point, converter.left_out.first[i].code_point) << "round " << round;
            ASSERT_EQ(native.left_out.first[i].line, converter.left_out.first[i].line) << "round " << round;
        }
    }
    EXPECT_GT(compared, 100);
    EXPECT_GT(refused, 10);
}

TEST(Utf8, AByteOrderMarkAtTheStartIsAccepted) {
    testing::TempDir dir;
    const std::string path = dir.file("bom.txt");
    testing::write_file(path, "\xEF\xBB\xBF\xE6\xBC\xA2\n");  // BOM, 漢
    const Reading r = read_with(true, path);
    EXPECT_EQ(r.left_out.count, 0);
    EXPECT_EQ(r.found[static_cast<std::size_t>(cell_of(0x8A, 0xBF))], 1);
}

}  // namespace
}  // namespace sorvane
