#include "core/scanner.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "tests/font_test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::cells_of;
using testing::character;
using testing::ScratchFile;

// The plain rule, one byte at a time through the C library, as the reference.
std::vector<int> reference_scan(const std::string& content) {
    KanjiGrid found{};
    ScratchFile f(content);
    auto next = [&] {
        const int c = std::fgetc(f.file);
        return c == 0x1A ? EOF : c;
    };
    for (int a = next(); a != EOF; a = next()) {
        if (!is_lead_byte(static_cast<unsigned>(a))) continue;
        const int b = next();
        if (b == EOF) break;
        if (is_trail_byte(static_cast<unsigned>(b))) found[static_cast<std::size_t>(cell_of(a, b))] = 1;
    }
    return cells_of(found);
}

std::vector<int> marked_by(Scanner& scanner, const std::string& content, std::size_t block_size) {
    ScratchFile f(content);
    std::vector<std::uint8_t> buffer(block_size);
    TextReader in(f.file, buffer);
    KanjiGrid found{};
    scanner.mark_characters(in, found);
    return cells_of(found);
}

std::vector<int> marked_with(ScanPath path, const std::string& content, std::size_t block_size) {
    Scanner scanner(path);
    return marked_by(scanner, content, block_size);
}

const std::size_t block_sizes[] = {1, 2, 3, 5, 64, 1 << 16};

// Every test of marking runs on each way of marking this processor offers.
class MarkCharacters : public ::testing::TestWithParam<ScanPath> {
protected:
    void SetUp() override {
        if (!scan_path_available(GetParam())) GTEST_SKIP() << "this processor lacks what this way needs";
    }
    std::vector<int> marked(const std::string& content, std::size_t block_size) {
        return marked_with(GetParam(), content, block_size);
    }
};

std::string name_of_path(const ::testing::TestParamInfo<ScanPath>& info) {
    constexpr const char* names[] = {"portable", "wide", "avx2", "avx2_pext"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Paths, MarkCharacters,
                         ::testing::Values(ScanPath::portable, ScanPath::wide, ScanPath::avx2, ScanPath::avx2_pext),
                         name_of_path);

TEST_P(MarkCharacters, EdgeCasesAtEveryBlockSize) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<int> cells;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"ascii only", "Hello, world\r\n", {}},
        {"pair at the very end", bytes({'a', 0x88, 0x9F}), {1410}},
        {"lone lead byte at the end", bytes({0x88, 0x9F, 0x89}), {1410}},
        {"0x1A ends the input", bytes({0x88, 0x9F, 0x1A, 0x89, 0x40}), {1410}},
        {"0x1A between lead and trail", bytes({0x88, 0x1A, 0x9F}), {}},
        {"NUL is an ordinary byte", bytes({0x88, 0x9F, 0x00, 0x89, 0x40}), {1410, 1504}},
        {"0xF0 skipped alone", bytes({0xF0, 0x9F, 0x40}), {5640}},
        {"bad trail drops both", bytes({0x88, 0x0A, 0x9F, 0x40}), {5640}},
        {"CR LF between characters", bytes({0x88, 0x9F, 0x0D, 0x0A, 0x88, 0x9F}), {1410}},
        {"lead byte before CR LF", bytes({0x88, 0x0D, 0x0A, 0x89, 0x40}), {1504}},
        {"half-width katakana", bytes({0xB1, 0xB2, 0x81, 0x40}), {0}},
    };
    for (const Case& c : cases) {
        for (std::size_t block : block_sizes) {
            EXPECT_EQ(marked(c.content, block), c.cells) << c.what << ", block " << block;
            EXPECT_EQ(reference_scan(c.content), c.cells) << c.what;
        }
    }
}

TEST_P(MarkCharacters, PairAcrossABlockBoundary) {
    // A lead byte as the last byte of the first block pairs with the first of the next.
    std::string content(63, 'x');
    content += bytes({0x88, 0x9F});
    EXPECT_EQ(marked(content, 64), std::vector<int>{1410});
    // And a trail-like byte that starts a block after a completed pair is examined afresh.
    content = std::string(62, 'x') + bytes({0x88, 0x9F, 0x88, 0x9F});
    EXPECT_EQ(marked(content, 64), std::vector<int>{1410});
}

TEST_P(MarkCharacters, PairAcrossAStretchBoundaryEndsThere) {
    // A character whose second byte, plain ASCII, opens a stretch of 64 bytes without a high
    // byte: the stretch after that starts afresh, with a lead byte.
    const std::string content = std::string(63, 'x') + bytes({0x88, '@'}) + std::string(63, 'x') + bytes({0x88, 0x9F});
    EXPECT_EQ(marked(content, 4096), reference_scan(content));
    EXPECT_EQ(marked(content, 4096).size(), 2u);
}

// Texts of the kinds the fast path treats differently: plain ASCII with the odd character,
// Japanese with the odd ASCII byte, long runs of lead bytes (whose pairing depends on where
// the run began), and bytes of any value.
std::string random_text(std::mt19937& random, std::size_t size) {
    std::string text;
    const unsigned kind = random() % 4;
    while (text.size() < size) {
        const unsigned pick = random() % 100;
        switch (kind) {
        case 0:
            if (pick < 2) text += character(static_cast<int>(random() % grid_cells));
            else text += static_cast<char>(' ' + random() % 95);
            break;
        case 1:
            if (pick < 80) text += character(static_cast<int>(random() % grid_cells));
            else text += static_cast<char>(pick < 95 ? 'a' : 0x80 + random() % 128);
            break;
        case 2: text += static_cast<char>(pick < 90 ? 0x81 + random() % 31 : random() % 256); break;
        default: text += static_cast<char>(random() % 256); break;
        }
    }
    text.resize(size);
    if (random() % 8 == 0) text[random() % size] = 0x1A;  // the end of the input, somewhere
    return text;
}

TEST_P(MarkCharacters, SameAsOneByteAtATimeOnRandomInput) {
    std::mt19937 random(42);
    const std::size_t block_sizes[] = {1, 2, 63, 64, 65, 66, 127, 128, 129, 1000, 4096, 65536};
    // One scanner for every round, as one scan of several files uses it: nothing of a text
    // may stay behind for the next.
    Scanner scanner(GetParam());
    for (int round = 0; round < 400; ++round) {
        const std::size_t size = 1 + random() % (round % 10 == 0 ? 300000 : 5000);
        const std::string content = random_text(random, size);
        const std::size_t block = round % 3 == 0 ? 1 + random() % 3000 : block_sizes[random() % std::size(block_sizes)];
        ASSERT_EQ(marked_by(scanner, content, block), reference_scan(content))
            << "round " << round << ", " << size << " bytes, block " << block;
    }
}

TEST_P(MarkCharacters, EveryPairingOfARunOfLeadBytes) {
    // Runs of lead bytes of every length at every offset of a 64-byte stretch, before a
    // trail byte and before a byte that is none.
    for (int offset = 0; offset < 70; ++offset) {
        for (int length = 1; length < 140; length += length < 10 ? 1 : 7) {
            for (char after : {'\x40', '\x0A'}) {
                const std::string content = std::string(static_cast<std::size_t>(offset), 'x') +
                                            std::string(static_cast<std::size_t>(length), '\x88') + after + "tail";
                ASSERT_EQ(marked(content, 4096), reference_scan(content)) << offset << " " << length;
            }
        }
    }
}

}  // namespace
}  // namespace sorvane
