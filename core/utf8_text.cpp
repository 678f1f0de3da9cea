#include "core/utf8_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "core/jis_unicode.h"

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

constexpr std::int16_t no_cell = -1;

// The cell of each character of the first plane, made once from the grid's table.
const std::array<std::int16_t, 0x10000>& cells_of_plane() {
    static const auto table = [] {
        auto made = std::make_unique<std::array<std::int16_t, 0x10000>>();
        made->fill(no_cell);
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            std::int16_t first = no_cell, second = no_cell;
            bool ibm_only = false;
            for (const UnicodeCell& p : cells_of_unicode(c)) {
                const bool ibm = bytes_of(p.cell).lead == 0xED || bytes_of(p.cell).lead == 0xEE;
                if (!p.second && !ibm && first == no_cell) first = p.cell;
                if (!p.second && ibm) ibm_only = true;
                if (p.second && second == no_cell) second = p.cell;
            }
            (*made)[c] = first != no_cell ? first : ibm_only ? no_cell : second;
        }
        // JIS X 0208 writes the em dash as its horizontal bar.
        (*made)[0x2014] = static_cast<std::int16_t>(cell_of(0x81, 0x5C));
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

}  // namespace

int cell_of_code_point(char32_t c) { return c < 0x10000 ? cells_of_plane()[c] : -1; }

Utf8Outcome mark_utf8_text(TextReader& in, KanjiGrid& found, LeftOutSink left_out) {
    const auto& cells = cells_of_plane();
    Utf8Outcome outcome;
    std::array<std::uint8_t, 8> carry{};  // the start of a sequence cut by the end of a block
    std::size_t carried = 0;
    long long offset = 0;  // of the block's first byte, counting the carried bytes
    long line = 1;
    bool at_start = true;
    for (std::span<const std::uint8_t> block; !(block = in.next_block()).empty();) {
        std::size_t i = 0;
        // A sequence cut by the last block's end is finished with this block's first bytes.
        while (carried > 0) {
            const std::size_t take = std::min<std::size_t>(block.size(), carry.size() - carried);
            std::array<std::uint8_t, 16> joined{};
            std::memcpy(joined.data(), carry.data(), carried);
            std::memcpy(joined.data() + carried, block.data(), take);
            const long c = decode(joined.data(), carried + take);
            if (c == -2 && take == block.size()) {  // still cut: the block was too short
                std::memcpy(carry.data() + carried, block.data(), take);
                carried += take;
                i = block.size();
                break;
            }
            if (c < 0) {
                outcome = {false, false, offset - static_cast<long long>(carried), line, outcome.left_out};
                return outcome;
            }
            const std::size_t length = static_cast<std::size_t>(sequence_length(joined[0]));
            i = length - carried;
            const int cell = c < 0x10000 ? cells[static_cast<std::size_t>(c)] : -1;
            if (cell >= 0) found[static_cast<std::size_t>(cell)] = 1;
            else if (!(at_start && c == 0xFEFF) && c >= 0x80) {
                ++outcome.left_out;
                if (left_out.note) left_out.note(left_out.context, static_cast<char32_t>(c), line);
            }
            at_start = false;
            carried = 0;
        }
        while (i < block.size()) {
#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
            // Sixteen bytes at a time while they hold only ASCII and whole three-byte
            // characters (every kana and kanji): no branch for each character's kind.
            if (at_start) {
                // the slow way takes the first character, which may be a byte order mark
            } else if (block.size() - i >= 16) {
                const std::uint8_t* p = block.data() + i;
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
                const auto newlines = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
                if (high == 0) {
                    line += __builtin_popcount(newlines);
                    i += 16;
                    continue;
                }
                const auto masked = [&](int keep, int equal) {
                    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
                        _mm_and_si128(v, _mm_set1_epi8(static_cast<char>(keep))), _mm_set1_epi8(static_cast<char>(equal)))));
                };
                const unsigned leads = masked(0xF0, 0xE0);
                const unsigned followers = masked(0xC0, 0x80);
                // The bytes up to the first character that does not end inside these sixteen.
                const unsigned span = leads & 0xC000u ? static_cast<unsigned>(__builtin_ctz(leads & 0xC000u)) : 16u;
                const unsigned in_span = span == 16 ? 0xFFFFu : (1u << span) - 1;
                const unsigned whole = leads & in_span;
                const unsigned continuations = (whole << 1 | whole << 2) & 0xFFFFu;
                // Every byte above 0x7F is a lead or its continuation, and nothing else.
                bool fits = whole != 0 && (continuations & ~in_span) == 0 && (high & in_span) == (whole | continuations) &&
                            (followers & in_span) == continuations;
                for (unsigned rest = whole; fits && rest != 0; rest &= rest - 1) {
                    const int j = __builtin_ctz(rest);
                    fits = !(p[j] == 0xE0 && p[j + 1] < 0xA0) && !(p[j] == 0xED && p[j + 1] >= 0xA0);  // overlong, surrogate
                }
                if (fits) {
                    for (unsigned rest = whole; rest != 0; rest &= rest - 1) {
                        const int j = __builtin_ctz(rest);
                        const char32_t c = static_cast<char32_t>((p[j] & 0x0F) << 12 | (p[j + 1] & 0x3F) << 6 | (p[j + 2] & 0x3F));
                        const int cell = cells[c];
                        if (cell >= 0) {
                            found[static_cast<std::size_t>(cell)] = 1;
                        } else {
                            ++outcome.left_out;
                            if (left_out.note)
                                left_out.note(left_out.context, c, line + __builtin_popcount(newlines & ((1u << j) - 1)));
                        }
                    }
                    line += __builtin_popcount(newlines & in_span);
                    i += span;
                    continue;
                }
            }
#endif
            // ASCII a word at a time, the lines counted on the way.
            const std::uint8_t* p = block.data() + i;
            std::size_t ascii = 0;
            const std::size_t room = block.size() - i;
            while (ascii + 8 <= room) {
                std::uint64_t word;
                std::memcpy(&word, p + ascii, 8);
                if (word & 0x8080808080808080u) break;
                ascii += 8;
            }
            while (ascii < room && p[ascii] < 0x80) ++ascii;
            if (ascii > 0) {
                line += static_cast<long>(std::count(p, p + ascii, '\n'));
                i += ascii;
                at_start = false;
                continue;
            }
            // Three bytes, the form of every kana and kanji: decoded inline.
            if ((p[0] & 0xF0) == 0xE0 && room >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
                const char32_t c3 = static_cast<char32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
                if (c3 >= 0x800 && (c3 < 0xD800 || c3 >= 0xE000)) {
                    i += 3;
                    at_start = at_start && c3 == 0xFEFF;
                    const int cell = cells[c3];
                    if (cell >= 0) {
                        found[static_cast<std::size_t>(cell)] = 1;
                        at_start = false;
                        continue;
                    }
                    if (at_start) {  // the byte order mark
                        at_start = false;
                        continue;
                    }
                    ++outcome.left_out;
                    if (left_out.note) left_out.note(left_out.context, c3, line);
                    continue;
                }
            }
            const long c = decode(p, room);
            if (c == -2) {
                std::memcpy(carry.data(), p, room);
                carried = room;
                break;
            }
            if (c < 0) {
                outcome = {false, false, offset + static_cast<long long>(i), line, outcome.left_out};
                return outcome;
            }
            i += static_cast<std::size_t>(sequence_length(p[0]));
            const int cell = c < 0x10000 ? cells[static_cast<std::size_t>(c)] : -1;
            if (cell >= 0) {
                found[static_cast<std::size_t>(cell)] = 1;
            } else if (!(at_start && c == 0xFEFF)) {
                ++outcome.left_out;
                if (left_out.note) left_out.note(left_out.context, static_cast<char32_t>(c), line);
            }
            at_start = false;
        }
        offset += static_cast<long long>(block.size());
    }
    if (carried > 0) {
        outcome = {false, true, offset - static_cast<long long>(carried), line, outcome.left_out};
        return outcome;
    }
    return outcome;
}

}  // namespace sorvane
