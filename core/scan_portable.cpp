#include "core/scan_kernels.h"

#include <tuple>

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
#include <emmintrin.h>
#endif

namespace sorvane::scan {
namespace {

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)

// Sixteen bytes at a time, with the SSE2 every x86-64 processor has.
inline __m128i load16(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Bytes 0xFF where x lies in low..low + span, 0 elsewhere.
inline __m128i in_range(__m128i x, std::uint8_t low, std::uint8_t span) {
    const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(span))), offset);
}

// Bit i set when byte i of the stretch is a lead byte: 0x81..0x9F or 0xE0..0xEF.
inline std::uint64_t lead_mask(const std::uint8_t* p) {
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i x = load16(p + 16 * i);
        const __m128i lead = in_range(_mm_xor_si128(x, _mm_set1_epi8(0x20)), flipped_lead_low, flipped_lead_span);
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(lead))) << (16 * i);
    }
    return mask;
}

inline bool any_high_byte(const std::uint8_t* p) {
    const __m128i any = _mm_or_si128(_mm_or_si128(load16(p), load16(p + 16)), _mm_or_si128(load16(p + 32), load16(p + 48)));
    return _mm_movemask_epi8(any) != 0;
}

#else

// Eight bytes at a time in a 64-bit word, for processors without SSE2.
constexpr std::uint64_t each_byte(std::uint8_t b) { return 0x0101010101010101u * b; }

// Eight bytes, the first in the low byte whatever the processor's byte order (compilers
// make this one load where the order is little-endian).
inline std::uint64_t load_word(const std::uint8_t* p) {
    std::uint64_t w = 0;
    for (int i = 0; i < 8; ++i) w |= std::uint64_t{p[i]} << (8 * i);
    return w;
}

// Bit i set when byte i of the word (in memory order) is a lead byte. Flipping bit 5 turns
// the two ranges 0x81..0x9F and 0xE0..0xEF into one, 0xA1..0xCF: a top bit with the low
// seven bits in 0x21..0x4F. Adding to the low seven bits of a byte never carries into the
// next byte.
inline unsigned lead_bits(std::uint64_t w) {
    const std::uint64_t flipped = w ^ each_byte(0x20);
    const std::uint64_t low = flipped & each_byte(0x7F);
    const std::uint64_t at_least_21 = low + each_byte(0x5F);
    const std::uint64_t at_least_50 = low + each_byte(0x30);
    std::uint64_t lead = flipped & at_least_21 & ~at_least_50 & each_byte(0x80);
    // Gather the eight flags (bit 7 of each byte) into the low byte.
    lead >>= 7;
    lead |= lead >> 7;
    lead |= lead >> 14;
    lead |= lead >> 28;
    return static_cast<unsigned>(lead & 0xFF);
}

inline std::uint64_t lead_mask(const std::uint8_t* p) {
    std::uint64_t mask = 0;
    for (int i = 0; i < 8; ++i) mask |= std::uint64_t{lead_bits(load_word(p + 8 * i))} << (8 * i);
    return mask;
}

inline bool any_high_byte(const std::uint8_t* p) {
    std::uint64_t any = 0;
    for (int i = 0; i < 8; ++i) any |= load_word(p + 8 * i);
    return (any & each_byte(0x80)) != 0;
}

#endif

// A batch in two passes, first the starts of all its stretches, then their marks: kept
// apart, each loop runs faster than the two woven into one. Where characters are scattered,
// the second pass ends a loop of each stretch in a mispredicted branch.
std::uint64_t mark_batch_portable(Scratch& s, const std::uint8_t* p, std::size_t stretches, std::uint64_t carry) {
    std::array<std::uint64_t, 1024>& starts_of = s.starts;
    for (std::size_t c = 0; c < stretches; ++c) {
        const std::uint8_t* q = p + 64 * c;
        if (!any_high_byte(q)) {
            carry = 0;
            starts_of[c] = 0;
        } else {
            starts_of[c] = character_starts(lead_mask(q), carry);
        }
    }
    for (std::size_t c = 0; c < stretches; ++c) {
        const std::uint8_t* q = p + 64 * c;
        for (std::uint64_t starts = starts_of[c]; starts != 0; starts &= starts - 1) {
            const int i = std::countr_zero(starts);
            mark_pair(s, q[i], q[i + 1]);
        }
    }
    return carry;
}

}  // namespace

const BlockScanner portable_scanner = scan_block<mark_batch_portable, std::tuple_size_v<decltype(Scanner::Scratch::starts)>>;

}  // namespace sorvane::scan
