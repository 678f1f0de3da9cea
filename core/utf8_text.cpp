#include "core/utf8_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "core/jis_unicode.h"

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
#include <immintrin.h>

#include "core/lane_pack.h"
#define SORVANE_UTF8_AVX2
#endif

namespace sorvane {
namespace {

// Where a character is marked: its cell, or one of two slots past the grid's cells for
// a character without one and for a place that holds no character (code point 0 stands
// for those places, as no character above 0x7F is ASCII).
constexpr std::uint16_t no_cell = grid_cells;
constexpr std::uint16_t no_character = grid_cells + 1;
using Marks = std::array<std::uint8_t, grid_cells + 2>;

// The slot of each character of the first plane, made once from the grid's table.
const std::array<std::uint16_t, 0x10000>& cells_of_plane() {
    static const auto table = [] {
        auto made = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        made->fill(no_cell);
        (*made)[0] = no_character;
        // The pairs come in the order of the characters: one pass over them, a character's
        // pairs at a time.
        const std::span<const UnicodeCell> pairs = unicode_cells();
        for (std::size_t i = 0, next = 0; i < pairs.size(); i = next) {
            int first = -1, second = -1;
            bool ibm_only = false;
            for (next = i; next < pairs.size() && pairs[next].code == pairs[i].code; ++next) {
                const UnicodeCell& p = pairs[next];
                const bool ibm = bytes_of(p.cell).lead == 0xED || bytes_of(p.cell).lead == 0xEE;
                if (!p.second && !ibm && first < 0) first = p.cell;
                if (!p.second && ibm) ibm_only = true;
                if (p.second && second < 0) second = p.cell;
            }
            const int cell = first >= 0 ? first : ibm_only ? -1 : second;
            if (pairs[i].code >= 0x80 && cell >= 0) (*made)[pairs[i].code] = static_cast<std::uint16_t>(cell);
        }
        // JIS X 0208 writes the em dash as its horizontal bar.
        (*made)[0x2014] = static_cast<std::uint16_t>(cell_of(0x81, 0x5C));
        return made;
    }();
    return *table;
}

// The length of a sequence by its first byte; 0 for a byte no sequence starts with.
constexpr int sequence_length(std::uint8_t b) {
    return b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 0;
}

// Decodes the sequence at p (n bytes of which are there); the code point, or -1 when the
// bytes there are no character, or -2 when they are one cut short by the end of n.
long decode(const std::uint8_t* p, std::size_t n) {
    const int length = sequence_length(p[0]);
    if (length == 0) return -1;
    char32_t c = p[0] & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (static_cast<std::size_t>(i) >= n) return -2;
        if ((p[i] & 0xC0) != 0x80) return -1;
        c = c << 6 | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past the last plane are no characters.
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c < 0xE000))
        return -1;
    return static_cast<long>(c);
}


// A window of 16 or 32 bytes is taken whole when it holds only ASCII and whole characters
// of two and three bytes (every kana and kanji, Greek and Cyrillic); a character may end in
// the next window, which then starts with its continuations. Its masks, a bit a byte:
struct WindowMasks {
    std::uint32_t high;           // bytes above 0x7F
    std::uint32_t leads3;         // leads of three bytes
    std::uint32_t leads;          // leads of two or three bytes
    std::uint32_t continuations;  // bytes 10xxxxxx
    std::uint32_t beyond;         // the two bytes past the window, as continuations (bits 0 and 1)
    std::uint32_t refused;        // C0, C1, and E0 and ED before what makes them overlong or surrogates
};

// Whether a window of width bytes is whole: every byte above 0x7F a lead or its continuation,
// and nothing else. carried_in: the continuations at its start of a character marked before;
// carried_out: those past its end.
inline bool whole_window(const WindowMasks& m, int width, unsigned carried_in, unsigned& carried_out) {
    const std::uint64_t continuations = std::uint64_t{m.leads3} << 2 | std::uint64_t{m.leads} << 1;
    const std::uint64_t in_window = (std::uint64_t{1} << width) - 1;
    const auto here = static_cast<std::uint32_t>(continuations & in_window) | carried_in;
    if (m.high != (m.leads | here) || m.continuations != here || (continuations >> width & ~std::uint64_t{m.beyond}) != 0 ||
        (m.refused & m.leads) != 0)
        return false;
    carried_out = static_cast<unsigned>(continuations >> width);
    return true;
}

#if defined(SORVANE_UTF8_AVX2)

// The AVX2 way takes 32 bytes at a time, as the sixteen-byte way does, and marks the
// characters of a batch of such windows in one loop: the code points of each window's leads
// are packed to the front of a list by byte shuffles, so that only characters are looked up.
#define SORVANE_AVX2_CODE __attribute__((target("avx2,popcnt")))

constexpr std::size_t batch_windows = 8;

// A batch's code points, and each window's leads, to find a character without a cell.
struct Batch {
    std::array<std::uint16_t, 32 * batch_windows + 8> points;  // the last shuffle stores eight past
    std::array<std::uint32_t, batch_windows> leads;
    std::size_t windows = 0;
};

SORVANE_AVX2_CODE inline std::uint32_t mask32(__m256i m) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(m)); }

SORVANE_AVX2_CODE inline __m256i is32(__m256i x, int keep, int equal) {
    return _mm256_cmpeq_epi8(_mm256_and_si256(x, _mm256_set1_epi8(static_cast<char>(keep))), _mm256_set1_epi8(static_cast<char>(equal)));
}

SORVANE_AVX2_CODE inline __m256i byte_and(__m256i x, int b) { return _mm256_and_si256(x, _mm256_set1_epi8(static_cast<char>(b))); }

// The masks of a window of 32 bytes v, with the windows one and two bytes on.
SORVANE_AVX2_CODE inline WindowMasks masks_avx2(__m256i v, __m256i second, __m256i third, __m256i three, std::uint32_t high) {
    const __m256i upper_half = is32(second, 0x20, 0x20);
    const std::uint32_t refused = mask32(_mm256_or_si256(
        _mm256_or_si256(_mm256_andnot_si256(upper_half, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xE0)))),
                        _mm256_and_si256(upper_half, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xED))))),
        is32(v, 0xFE, 0xC0)));
    const std::uint32_t leads3 = mask32(three);
    return {high, leads3, leads3 | mask32(is32(v, 0xE0, 0xC0)), mask32(is32(v, 0xC0, 0x80)),
            mask32(is32(third, 0xC0, 0x80)) >> 30, refused};
}

// The code points of the 32 places of a window, as if each were a lead, of three bytes where
// three says so, else of two. Their low and high bytes are worked out 32 at a time (a shift
// of 16-bit lanes, masked, shifts each byte alone), then interleaved: the first register
// holds places 0 to 7 and 16 to 23, the second 8 to 15 and 24 to 31.
struct CodePoints {
    __m256i lanes[2];
};

SORVANE_AVX2_CODE inline CodePoints code_points_avx2(__m256i b0, __m256i b1, __m256i b2, __m256i three) {
    const __m256i x1 = byte_and(b1, 0x3F), x2 = byte_and(b2, 0x3F);
    // 1110aaaa 10bbbbbb 10cccccc is aaaabbbb bbcccccc.
    const __m256i low3 = _mm256_or_si256(byte_and(_mm256_slli_epi16(x1, 6), 0xC0), x2);
    const __m256i high3 = _mm256_or_si256(byte_and(_mm256_slli_epi16(b0, 4), 0xF0), byte_and(_mm256_srli_epi16(x1, 2), 0x0F));
    // 110aaaaa 10bbbbbb is 00000aaa aabbbbbb.
    const __m256i low2 = _mm256_or_si256(byte_and(_mm256_slli_epi16(b0, 6), 0xC0), x1);
    const __m256i high2 = byte_and(_mm256_srli_epi16(b0, 2), 0x07);
    const __m256i low = _mm256_blendv_epi8(low2, low3, three), high = _mm256_blendv_epi8(high2, high3, three);
    return {{_mm256_unpacklo_epi8(low, high), _mm256_unpackhi_epi8(low, high)}};
}

// The length of the stretches of 64 bytes of ASCII at p, while room lasts.
SORVANE_AVX2_CODE std::size_t ascii_stretches(const std::uint8_t* p, std::size_t room) {
    std::size_t n = 0;
    for (; n + 64 <= room; n += 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + n));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + n + 32));
        if (mask32(_mm256_or_si256(low, high)) != 0) break;
    }
    return n;
}

// Marks the characters of the windows from p on while each holds only ASCII and whole
// characters of two and three bytes, at most a batch of them, and room lasts for the two
// bytes read past each; carried_in as in the sixteen-byte way. The batch tells how many.
SORVANE_AVX2_CODE void mark_windows_avx2(const std::uint8_t* p, std::size_t room, unsigned& carried_in,
                                         const std::uint16_t* cells, std::uint8_t* marks, Batch& batch) {
    std::size_t count = 0, w = 0;
    for (; w < batch_windows && room >= 32 * w + 34; ++w) {
        const std::uint8_t* q = p + 32 * w;
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
        const std::uint32_t high = mask32(v);
        batch.leads[w] = 0;
        if ((high | carried_in) == 0) continue;
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
        const __m256i third = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 2));
        const __m256i three = is32(v, 0xF0, 0xE0);
        const WindowMasks masks = masks_avx2(v, second, third, three, high);
        unsigned carried_out = 0;
        if (!whole_window(masks, 32, carried_in, carried_out)) break;
        const std::uint32_t leads = masks.leads;
        const CodePoints points = code_points_avx2(v, second, third, three);
        for (int group = 0; group < 4; ++group) {
            const unsigned m = leads >> (8 * group) & 0xFF;
            const __m128i lanes = group < 2 ? _mm256_castsi256_si128(points.lanes[group]) : _mm256_extracti128_si256(points.lanes[group - 2], 1);
            const __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pack_table[m].data()));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(batch.points.data() + count), _mm_shuffle_epi8(lanes, control));
            count += static_cast<std::size_t>(_mm_popcnt_u32(m));
        }
        batch.leads[w] = leads;
        carried_in = carried_out;
    }
    // Four code points to a load; code point 0 fills the last four, and marks no cell.
    std::fill_n(batch.points.data() + count, 3, 0);
    for (std::size_t k = 0; k < count; k += 4) {
        std::uint64_t four;
        std::memcpy(&four, batch.points.data() + k, sizeof four);
        for (int j = 0; j < 4; ++j) marks[cells[four >> 16 * j & 0xFFFF]] = 1;
    }
    batch.windows = w;
}

#endif

}  // namespace

long decode_utf8(const std::uint8_t* p, std::size_t n, std::size_t& used) {
    if (n > 0 && p[0] < 0x80) {
        used = 1;
        return p[0];
    }
    const long c = n == 0 ? -1 : decode(p, n);
    if (c >= 0) used = static_cast<std::size_t>(sequence_length(p[0]));
    return c < 0 ? -1 : c;
}

int cell_of_code_point(char32_t c) {
    const int cell = c < 0x10000 ? cells_of_plane()[c] : no_cell;
    return cell < grid_cells ? cell : -1;
}

// The line ends from p to end.
long count_newlines(const std::uint8_t* p, const std::uint8_t* end) {
    long n = 0;
#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
    // Each byte's matches summed in its own lane, 255 rounds at most before they overflow;
    // 64 bytes a round in four sums, which do not wait for one another.
    const auto matches = [](const std::uint8_t* at) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), _mm_set1_epi8('\n'));
    };
    while (end - p >= 64) {
        const std::uint8_t* stop = p + std::min<std::ptrdiff_t>((end - p) / 64, 255) * 64;
        __m128i sums[4] = {};
        for (; p < stop; p += 64)
            for (int i = 0; i < 4; ++i) sums[i] = _mm_sub_epi8(sums[i], matches(p + 16 * i));
        for (const __m128i sum : sums) {
            const __m128i halves = _mm_sad_epu8(sum, _mm_setzero_si128());
            n += _mm_cvtsi128_si32(halves) + _mm_cvtsi128_si32(_mm_srli_si128(halves, 8));
        }
    }
#endif
    return n + static_cast<long>(std::count(p, end, '\n'));
}

// The line of a place in a block, counted only when it is asked for: a character left out
// or an error. Places are asked for in order, so each byte is counted once.
class LineCounter {
public:
    void start_block(const std::uint8_t* block) { counted_ = block; }
    long at(const std::uint8_t* place) {
        line_ += count_newlines(counted_, place);
        counted_ = place;
        return line_;
    }
    long line() const { return line_; }

private:
    long line_ = 1;
    const std::uint8_t* counted_ = nullptr;
};

namespace {

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)

inline __m128i bytes16(int b) { return _mm_set1_epi8(static_cast<char>(b)); }
inline std::uint32_t mask16(__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); }
inline __m128i is16(__m128i x, int keep, int equal) { return _mm_cmpeq_epi8(_mm_and_si128(x, bytes16(keep)), bytes16(equal)); }

// The masks of a window of 16 bytes v, with the windows one and two bytes on. C0 and C1
// start only overlong forms; E0 takes A0 to BF after it (below is overlong), ED 80 to 9F
// (above are surrogates): bit 5 of the second byte tells.
inline WindowMasks masks_sse2(__m128i v, __m128i second, __m128i third, std::uint32_t high) {
    const __m128i upper_half = is16(second, 0x20, 0x20);
    const std::uint32_t refused = mask16(_mm_or_si128(
        _mm_or_si128(_mm_andnot_si128(upper_half, _mm_cmpeq_epi8(v, bytes16(0xE0))), _mm_and_si128(upper_half, _mm_cmpeq_epi8(v, bytes16(0xED)))),
        is16(v, 0xFE, 0xC0)));
    const std::uint32_t leads3 = mask16(is16(v, 0xF0, 0xE0));
    return {high, leads3, leads3 | mask16(is16(v, 0xE0, 0xC0)), mask16(is16(v, 0xC0, 0x80)), mask16(is16(third, 0xC0, 0x80)) >> 14,
            refused};
}

// Marks the characters of the 16 bytes at p (18 of them readable) when they are a whole
// window; false, marking nothing, when not. The code points of all sixteen places are worked
// out at once, as if each were a lead (0 where no character starts), and all sixteen marked
// without a branch, as most of the cost would be mispredicted loop ends.
template <typename LeaveOut>
inline bool mark_window_sse2(const std::uint8_t* p, unsigned& carried_in, const std::uint16_t* cells, Marks& marks,
                             const LeaveOut& leave_out) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const std::uint32_t high = mask16(v);
    if ((high | carried_in) == 0) return true;
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
    const WindowMasks masks = masks_sse2(v, second, third, high);
    unsigned carried_out = 0;
    if (!whole_window(masks, 16, carried_in, carried_out)) return false;
    const __m128i three = is16(v, 0xF0, 0xE0), two = is16(v, 0xE0, 0xC0);
    const __m128i zero = _mm_setzero_si128();
    const __m128i low4 = _mm_and_si128(v, bytes16(0x0F)), low5 = _mm_and_si128(v, bytes16(0x1F));
    const __m128i mid6 = _mm_and_si128(second, bytes16(0x3F)), low6 = _mm_and_si128(third, bytes16(0x3F));
    alignas(16) std::array<std::uint16_t, 16> points;
    const auto code_points = [&](auto unpack) {
        const __m128i of_three = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(unpack(low4, zero), 12), _mm_slli_epi16(unpack(mid6, zero), 6)), unpack(low6, zero));
        const __m128i of_two = _mm_or_si128(_mm_slli_epi16(unpack(low5, zero), 6), unpack(mid6, zero));
        return _mm_or_si128(_mm_and_si128(of_three, unpack(three, three)), _mm_and_si128(of_two, unpack(two, two)));
    };
    _mm_store_si128(reinterpret_cast<__m128i*>(points.data()), code_points([](__m128i a, __m128i b) { return _mm_unpacklo_epi8(a, b); }));
    _mm_store_si128(reinterpret_cast<__m128i*>(points.data() + 8), code_points([](__m128i a, __m128i b) { return _mm_unpackhi_epi8(a, b); }));
    for (const std::uint16_t point : points) marks[cells[point]] = 1;
    if (marks[no_cell]) {  // rare: find the characters without a cell, in order
        marks[no_cell] = 0;
        for (unsigned rest = masks.leads; rest != 0; rest &= rest - 1) {
            const int j = __builtin_ctz(rest);
            if (cells[points[static_cast<std::size_t>(j)]] == no_cell) leave_out(points[static_cast<std::size_t>(j)], p + j);
        }
    }
    carried_in = carried_out;
    return true;
}

#endif

// One reading of a UTF-8 text: the block, the carry of a sequence cut by a block's end, and
// the one-character way, around the windows of 16 and 32 bytes.
class Utf8Reading {
public:
    Utf8Reading(KanjiGrid& found, LeftOutSink left_out, ScanPath path)
        : found_(found), left_out_(left_out), by_32_(path != ScanPath::portable && utf8_path_available(ScanPath::avx2)) {}
    // Whatever way it ends, found gets what was marked.
    ~Utf8Reading() {
        for (int cell = 0; cell < grid_cells; ++cell) found_[static_cast<std::size_t>(cell)] |= marks_[static_cast<std::size_t>(cell)];
    }

    Utf8Outcome read(TextReader& in) {
        for (std::span<const std::uint8_t> block; !(block = in.next_block()).empty();) {
            lines_.start_block(block.data());
            if (!read_block(block)) return outcome_;
            lines_.at(block.data() + block.size());
            offset_ += static_cast<long long>(block.size());
        }
        if (carried_ > 0) fail(true, offset_ - static_cast<long long>(carried_), lines_.line());
        return outcome_;
    }

private:
    void leave_out(char32_t c, const std::uint8_t* place) {
        ++outcome_.left_out;
        if (left_out_.note) left_out_.note(left_out_.context, c, lines_.at(place));
    }
    void mark(char32_t c, const std::uint8_t* place) {
        const int cell = c < 0x10000 ? cells_[c] : no_cell;
        if (cell < grid_cells) marks_[static_cast<std::size_t>(cell)] = 1;
        else leave_out(c, place);
    }
    // The first character of the text may be a byte order mark, which is skipped.
    void mark_first_or(char32_t c, const std::uint8_t* place) {
        if (!(at_start_ && c == 0xFEFF)) mark(c, place);
        at_start_ = false;
    }
    bool fail(bool cut_short, long long offset, long line) {
        outcome_ = {false, cut_short, offset, line, outcome_.left_out};
        return false;
    }

    // A sequence cut by the last block's end, finished with this block's first bytes; i: the
    // place after it. False for a sequence that is no character.
    bool finish_carried(std::span<const std::uint8_t> block, std::size_t& i) {
        const std::size_t take = std::min<std::size_t>(block.size(), carry_.size() - carried_);
        std::array<std::uint8_t, 16> joined{};
        std::memcpy(joined.data(), carry_.data(), carried_);
        std::memcpy(joined.data() + carried_, block.data(), take);
        const long c = decode(joined.data(), carried_ + take);
        if (c == -2 && take == block.size()) {  // still cut: the block was too short
            std::memcpy(carry_.data() + carried_, block.data(), take);
            carried_ += take;
            i = block.size();
            return true;
        }
        if (c < 0) return fail(false, offset_ - static_cast<long long>(carried_), lines_.at(block.data()));
        i = static_cast<std::size_t>(sequence_length(joined[0])) - carried_;
        mark_first_or(static_cast<char32_t>(c), block.data());
        carried_ = 0;
        return true;
    }

#if defined(SORVANE_UTF8_AVX2)
    // ASCII 64 bytes at a time, or a batch of windows of 32 bytes; the bytes taken, 0 for none.
    std::size_t take_by_32(const std::uint8_t* p, std::size_t room, unsigned& carried_in) {
        if (carried_in == 0) {
            if (const std::size_t ascii = ascii_stretches(p, room)) return ascii;
        }
        mark_windows_avx2(p, room, carried_in, cells_.data(), marks_.data(), batch_);
        if (marks_[no_cell]) {  // rare: find the characters without a cell, in order
            marks_[no_cell] = 0;
            std::size_t k = 0;
            for (std::size_t w = 0; w < batch_.windows; ++w)
                for (std::uint32_t rest = batch_.leads[w]; rest != 0; rest &= rest - 1, ++k)
                    if (cells_[batch_.points[k]] == no_cell)
                        leave_out(batch_.points[k], p + 32 * w + static_cast<std::size_t>(__builtin_ctz(rest)));
        }
        return 32 * batch_.windows;
    }
#endif

    // The ASCII bytes at p, a word at a time.
    static std::size_t ascii_run(const std::uint8_t* p, std::size_t room) {
        std::size_t ascii = 0;
        while (ascii + 8 <= room) {
            std::uint64_t word;
            std::memcpy(&word, p + ascii, 8);
            if (word & 0x8080808080808080u) break;
            ascii += 8;
        }
        while (ascii < room && p[ascii] < 0x80) ++ascii;
        return ascii;
    }

    bool read_block(std::span<const std::uint8_t> block) {
        std::size_t i = 0;
        if (carried_ > 0 && !finish_carried(block, i)) return false;
        unsigned carried_in = 0;  // continuations at i of a character already marked
        while (i < block.size()) {
            const std::uint8_t* p = block.data() + i;
            const std::size_t room = block.size() - i;
#if defined(SORVANE_UTF8_AVX2)
            if (by_32_ && !at_start_ && room >= 34) {
                if (const std::size_t taken = take_by_32(p, room, carried_in)) {
                    i += taken;
                    continue;
                }
            }
#endif
#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
            const auto leave = [this](char32_t c, const std::uint8_t* place) { leave_out(c, place); };
            if (!at_start_ && room >= 18 && mark_window_sse2(p, carried_in, cells_.data(), marks_, leave)) {
                i += 16;
                continue;
            }
#endif
            if (carried_in != 0) {  // the rest of a character marked with the last window
                i += static_cast<std::size_t>(__builtin_popcount(carried_in));
                carried_in = 0;
                continue;
            }
            if (const std::size_t ascii = ascii_run(p, room)) {
                i += ascii;
                at_start_ = false;
                continue;
            }
            const long c = decode(p, room);
            if (c == -2) {
                std::memcpy(carry_.data(), p, room);
                carried_ = room;
                break;
            }
            if (c < 0) return fail(false, offset_ + static_cast<long long>(i), lines_.at(p));
            i += static_cast<std::size_t>(sequence_length(p[0]));
            mark_first_or(static_cast<char32_t>(c), p);
        }
        return true;
    }

    const std::array<std::uint16_t, 0x10000>& cells_ = cells_of_plane();
    KanjiGrid& found_;
    LeftOutSink left_out_;
    [[maybe_unused]] bool by_32_;
    Utf8Outcome outcome_;
    LineCounter lines_;
    Marks marks_{};
    std::array<std::uint8_t, 8> carry_{};  // the start of a sequence cut by the end of a block
    std::size_t carried_ = 0;
    long long offset_ = 0;  // of the block's first byte, counting the carried bytes
    bool at_start_ = true;
#if defined(SORVANE_UTF8_AVX2)
    Batch batch_;
#endif
};

}  // namespace

Utf8Outcome mark_utf8_text(TextReader& in, KanjiGrid& found, LeftOutSink left_out, ScanPath path) {
    return Utf8Reading(found, left_out, path).read(in);
}

bool utf8_path_available(ScanPath path) {
#if defined(SORVANE_UTF8_AVX2)
    if (path == ScanPath::avx2) return scan_path_available(ScanPath::avx2);
#endif
    return path == ScanPath::portable;
}

std::string utf8_of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace sorvane
