#include "core/scanner.h"

#include "core/lane_pack.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) && !defined(SORVANE_SCAN_WITHOUT_SSE2)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define SORVANE_SCAN_WIDE
#endif

namespace sorvane {
namespace {

// The scanner's rule is simple: a lead byte and the byte after it form a character when the
// second is a trail byte; a lead byte always takes the byte after it along; every other
// byte stands alone. Applied one byte at a time it runs at a few hundred MB/s. The fast path
// below applies the same rule to a stretch of 64 bytes at once:
//
// - a stretch without a byte above 0x7F holds no character at all;
// - otherwise, from the mask of its lead bytes, the starts of the characters follow without
//   a loop: a byte that is not a lead byte always ends what it belongs to, so the byte after
//   it starts afresh, and in a run of lead bytes the characters start at the run's first
//   byte and at every second byte after it. Only whether the first byte of a stretch is the
//   second byte of a character begun in the stretch before is carried over.
//
// The portable way does a block in two passes, first the starts of all its stretches, then
// their marks: kept apart, each loop runs faster than the two woven into one. Processors
// with AVX-512 take the wide way further below, which finds the same starts but marks them
// without a loop per stretch.

// The marks are kept by Shift_JIS code, lead * 256 + trail, from the first lead byte on: a
// pair is marked as it stands, with no table, and a pair whose second byte is no trail byte
// is marked too, outside the grid's places; only the grid's places are gathered.
constexpr unsigned first_code = 0x8100;
static_assert(Scanner::marks_size == 0xF000 - first_code, "every pair of a lead byte has its mark");
using Scratch = Scanner::Scratch;

// Flipping bit 5 of a byte turns the lead bytes 0x81..0x9F and 0xE0..0xEF into 0xA1..0xBF and
// 0xC0..0xCF, one range, and nothing else into it; the lead byte's row pair is its place there.
constexpr std::uint8_t flipped_lead_low = 0xA1;
constexpr std::uint8_t flipped_lead_span = 0xCF - 0xA1;

inline void mark_pair(Scratch& s, unsigned lead, unsigned trail) { s.marks[(lead << 8 | trail) - first_code] = 1; }

// Marks a list of codes, four to a load (the list has room for three more after them).
inline void mark_codes(Scratch& s, std::uint16_t* codes, std::size_t count) {
    std::fill_n(codes + count, 3, first_code);
    for (std::size_t k = 0; k < count; k += 4) {
        std::uint64_t four;
        std::memcpy(&four, codes + k, sizeof four);
        for (int i = 0; i < 4; ++i) s.marks[(four >> 16 * i & 0xFFFF) - first_code] = 1;
    }
}

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

// The starts of the characters among the lead bytes of a stretch (see above). carry: byte 0
// is the second byte of a character that began before; on return, whether byte 0 of the
// next stretch is.
inline std::uint64_t character_starts(std::uint64_t leads, std::uint64_t& carry) {
    constexpr std::uint64_t even = 0x5555555555555555u;
    leads &= ~carry;
    const std::uint64_t run_starts = leads & ~(leads << 1);
    // Adding a run's first bit carries through the run: the runs that start at an even
    // position vanish from the sum.
    const std::uint64_t even_runs = leads & ~(leads + (run_starts & even));
    const std::uint64_t starts = (even_runs & even) | (leads & ~even_runs & ~even);
    carry = starts >> 63;
    return starts;
}

// The same, worked out for both values of the carry, which the stretch before may deliver
// last, and then chosen: the stretches need not wait for one another.
inline std::uint64_t starts_for_either_carry(std::uint64_t leads, std::uint64_t& carry) {
    std::uint64_t carry_if_0 = 0;
    std::uint64_t carry_if_1 = 1;
    const std::uint64_t starts_if_0 = character_starts(leads, carry_if_0);
    const std::uint64_t starts_if_1 = character_starts(leads, carry_if_1);
    const std::uint64_t starts = carry != 0 ? starts_if_1 : starts_if_0;
    carry = carry != 0 ? carry_if_1 : carry_if_0;
    return starts;
}

// The last bytes of a block, one at a time; a lead byte at its very end is left pending.
void scan_rest(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead) {
    while (p < end) {
        const unsigned a = *p++;
        if (!is_lead_byte(a)) continue;
        if (p == end) {
            pending_lead = a;
            break;
        }
        mark_pair(s, a, *p++);
    }
}

// Marks the characters of one block. pending_lead: a lead byte that ended the block before
// (0 if none); on return, the one that ends this block.
void scan_block(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead) {
    if (pending_lead != 0 && p < end) {
        mark_pair(s, pending_lead, *p++);
        pending_lead = 0;
    }
    std::uint64_t carry = 0;
    // Stretches of 64 bytes while the byte after them is there to complete a character:
    // first the starts of the characters of up to 1024 of them, then their marks.
    std::array<std::uint64_t, 1024>& starts_of = s.starts;
    while (end - p > 64) {
        const std::size_t chunks = std::min<std::size_t>(static_cast<std::size_t>(end - p - 1) / 64, starts_of.size());
        for (std::size_t c = 0; c < chunks; ++c) {
            const std::uint8_t* q = p + 64 * c;
            if (!any_high_byte(q)) {
                carry = 0;
                starts_of[c] = 0;
            } else {
                starts_of[c] = character_starts(lead_mask(q), carry);
            }
        }
        for (std::size_t c = 0; c < chunks; ++c) {
            const std::uint8_t* q = p + 64 * c;
            for (std::uint64_t starts = starts_of[c]; starts != 0; starts &= starts - 1) {
                const int i = std::countr_zero(starts);
                mark_pair(s, q[i], q[i + 1]);
            }
        }
        p += 64 * chunks;
    }
    if (carry != 0) ++p;  // the second byte of a character already marked
    scan_rest(s, p, end, pending_lead);
}

#if defined(SORVANE_SCAN_WIDE)

// The wide way, for processors with AVX-512 (its BW and VBMI2 parts) and BMI2. Marking the
// characters of each stretch in a loop of its own costs a mispredicted branch per stretch
// wherever characters are scattered through the text; here no loop depends on a stretch:
//
// - each stretch adds its characters to a list of the 16-bit pairs (lead byte low) of a
//   batch of stretches. A 16-bit lane of the stretch holds the pair at an even offset, a lane
//   of the stretch one byte on the pair at an odd one; the compress instruction packs the
//   lanes where characters start;
// - the starts are worked out for both values of the carry, which is known last, so that
//   the stretches need not wait for one another;
// - then the pairs become codes 32 at a time, and the codes are marked in one loop.
#define SORVANE_WIDE_CODE __attribute__((target("avx512bw,avx512vbmi2,bmi2")))

// At most 32 characters start in a stretch; the list's 32 entries after them take the
// stores of whole registers past the last pair.
constexpr std::size_t batch_stretches = Scanner::batch_stretches;

// 32 pairs, lead byte low, turned into codes: lead byte high.
SORVANE_WIDE_CODE inline __m512i codes_of_pairs(__m512i pairs) {
    return _mm512_or_si512(_mm512_slli_epi16(pairs, 8), _mm512_srli_epi16(pairs, 8));
}

// The same as scan_block.
SORVANE_WIDE_CODE void scan_block_wide(Scratch& s, const std::uint8_t* p, const std::uint8_t* end,
                                       unsigned& pending_lead) {
    std::uint16_t* pair_list = s.pairs.data();
    if (pending_lead != 0 && p < end) {
        mark_pair(s, pending_lead, *p++);
        pending_lead = 0;
    }
    std::uint64_t carry = 0;
    while (end - p > 64) {
        const std::size_t stretches = std::min<std::size_t>(static_cast<std::size_t>(end - p - 1) / 64, batch_stretches);
        std::size_t count = 0;
        for (std::size_t c = 0; c < stretches; ++c) {
            const std::uint8_t* q = p + 64 * c;
            const __m512i bytes = _mm512_loadu_si512(q);
            if (_mm512_movepi8_mask(bytes) == 0) {
                carry = 0;
                continue;
            }
            const __m512i flipped = _mm512_xor_si512(bytes, _mm512_set1_epi8(0x20));
            const std::uint64_t leads =
                _mm512_cmple_epu8_mask(_mm512_sub_epi8(flipped, _mm512_set1_epi8(static_cast<char>(flipped_lead_low))),
                                       _mm512_set1_epi8(flipped_lead_span));
            const std::uint64_t starts = starts_for_either_carry(leads, carry);
            const auto at_even = static_cast<__mmask32>(_pext_u64(starts, 0x5555555555555555u));
            const auto at_odd = static_cast<__mmask32>(_pext_u64(starts, 0xAAAAAAAAAAAAAAAAu));
            _mm512_storeu_si512(&pair_list[count], _mm512_maskz_compress_epi16(at_even, bytes));
            count += static_cast<std::size_t>(std::popcount(at_even));
            _mm512_storeu_si512(&pair_list[count], _mm512_maskz_compress_epi16(at_odd, _mm512_loadu_si512(q + 1)));
            count += static_cast<std::size_t>(std::popcount(at_odd));
        }
        for (std::size_t k = 0; k < count; k += 32)
            _mm512_storeu_si512(&pair_list[k], codes_of_pairs(_mm512_loadu_si512(&pair_list[k])));
        mark_codes(s, pair_list, count);
        p += 64 * stretches;
    }
    if (carry != 0) ++p;
    scan_rest(s, p, end, pending_lead);
}

bool wide_available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
}

// The AVX2 way, for the processors without AVX-512: the wide way's plan in 32-byte registers.
// Lacking a compress instruction, the pairs of each group of eight 16-bit lanes are packed by
// a byte shuffle whose control a table holds for each of the 256 masks of a group.
#define SORVANE_AVX2_CODE __attribute__((target("avx2,bmi2,popcnt")))


// The bits at even places of x (odd: shift first), gathered into the low 32 bits.
constexpr std::uint32_t even_bits(std::uint64_t x) {
    x &= 0x5555555555555555u;
    x = (x | x >> 1) & 0x3333333333333333u;
    x = (x | x >> 2) & 0x0F0F0F0F0F0F0F0Fu;
    x = (x | x >> 4) & 0x00FF00FF00FF00FFu;
    x = (x | x >> 8) & 0x0000FFFF0000FFFFu;
    x = (x | x >> 16) & 0x00000000FFFFFFFFu;
    return static_cast<std::uint32_t>(x);
}

// The lead bytes of 32 bytes, as a mask.
SORVANE_AVX2_CODE inline std::uint32_t leads_of_32(__m256i bytes) {
    const __m256i offset = _mm256_sub_epi8(_mm256_xor_si256(bytes, _mm256_set1_epi8(0x20)),
                                           _mm256_set1_epi8(static_cast<char>(flipped_lead_low)));
    const __m256i in = _mm256_cmpeq_epi8(_mm256_min_epu8(offset, _mm256_set1_epi8(flipped_lead_span)), offset);
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(in));
}

SORVANE_AVX2_CODE inline __m256i load32(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// Lane i set where bit i of a 16-bit mask is.
SORVANE_AVX2_CODE inline __m256i lanes_of(std::uint32_t mask) {
    const __m256i bit = _mm256_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384,
                                          static_cast<short>(0x8000));
    return _mm256_cmpeq_epi16(_mm256_and_si256(_mm256_set1_epi16(static_cast<short>(mask)), bit), bit);
}

// Appends the 16-bit lanes of a 32-byte register that a 16-bit mask names to the list, as
// codes: the shuffle that packs them also puts the lead byte high.
SORVANE_AVX2_CODE inline std::size_t pack_pairs(std::uint16_t* list, std::size_t count, __m256i lanes, unsigned mask) {
    const __m128i halves[2] = {_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1)};
    for (int half = 0; half < 2; ++half) {
        const unsigned m = mask >> (8 * half) & 0xFF;
        const __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pack_swapped_table[m].data()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(list + count), _mm_shuffle_epi8(halves[half], control));
        count += static_cast<std::size_t>(std::popcount(m));
    }
    return count;
}

// The bits at even places of x, gathered: by the bit gather instruction where it is fast
// (Intel since Haswell, AMD since Zen 3), by arithmetic on the AMD processors that
// run it in microcode.
template <bool with_pext>
SORVANE_AVX2_CODE inline std::uint32_t gather_even_bits(std::uint64_t x) {
    if constexpr (with_pext) return static_cast<std::uint32_t>(_pext_u64(x, 0x5555555555555555u));
    else return even_bits(x);
}

// The same as scan_block.
template <bool with_pext>
SORVANE_AVX2_CODE void scan_block_avx2(Scratch& s, const std::uint8_t* p, const std::uint8_t* end,
                                       unsigned& pending_lead) {
    std::uint16_t* pair_list = s.pairs.data();
    if (pending_lead != 0 && p < end) {
        mark_pair(s, pending_lead, *p++);
        pending_lead = 0;
    }
    std::uint64_t carry = 0;
    while (end - p > 64) {
        const std::size_t stretches = std::min<std::size_t>(static_cast<std::size_t>(end - p - 1) / 64, batch_stretches);
        std::size_t count = 0;
        for (std::size_t c = 0; c < stretches; ++c) {
            const std::uint8_t* q = p + 64 * c;
            const __m256i low = load32(q), high = load32(q + 32);
            if (_mm256_movemask_epi8(_mm256_or_si256(low, high)) == 0) {
                carry = 0;
                continue;
            }
            const std::uint64_t leads = leads_of_32(low) | std::uint64_t{leads_of_32(high)} << 32;
            const std::uint64_t starts = starts_for_either_carry(leads, carry);
            // Two characters never start side by side, so of the pair at an even place 2k and
            // the one at 2k + 1 at most one is a character: lane k takes that one.
            const std::uint32_t at_odd = gather_even_bits<with_pext>(starts >> 1);
            const std::uint32_t chosen = gather_even_bits<with_pext>(starts) | at_odd;
            count = pack_pairs(pair_list, count, _mm256_blendv_epi8(low, load32(q + 1), lanes_of(at_odd)), chosen & 0xFFFF);
            count = pack_pairs(pair_list, count, _mm256_blendv_epi8(high, load32(q + 33), lanes_of(at_odd >> 16)), chosen >> 16);
        }
        mark_codes(s, pair_list, count);
        p += 64 * stretches;
    }
    if (carry != 0) ++p;
    scan_rest(s, p, end, pending_lead);
}

bool avx2_available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}

// BMI2 with a bit gather that is fast: AMD's (and Hygon's) before Zen 3 take hundreds of
// cycles for one.
bool fast_pext_available() {
    if (!avx2_available()) return false;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d)) return false;
    const bool amd = (b == 0x68747541 && d == 0x69746e65 && c == 0x444d4163) ||  // AuthenticAMD
                     (b == 0x6f677948 && d == 0x6e65476e && c == 0x656e6975);    // HygonGenuine
    if (!amd) return true;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const unsigned family = (a >> 8 & 0xF) + (a >> 20 & 0xFF);
    return family >= 0x19;
}

#else

bool wide_available() { return false; }
bool avx2_available() { return false; }
bool fast_pext_available() { return false; }

#endif

// Adds the marks of the grid's places to found and clears them for whatever is marked next.
// The marks of pairs that are no characters are never read, and stay.
void gather_marks(Scratch& s, KanjiGrid& found) {
    const auto gather = [](std::uint8_t* places, std::uint8_t* marks, unsigned n) {
        for (unsigned i = 0; i < n; ++i) {
            places[i] |= marks[i];
            marks[i] = 0;
        }
    };
    for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
        if (!is_lead_byte(lead)) continue;
        std::uint8_t* row = &s.marks[(lead << 8) - first_code];
        std::uint8_t* places = &found[static_cast<std::size_t>(cell_of(lead, 0x40))];
        // The trail bytes 0x40..0x7E, then 0x80..0xFC, are the lead byte's 188 places.
        gather(places, row + 0x40, 0x7F - 0x40);
        gather(places + (0x7F - 0x40), row + 0x80, 0xFD - 0x80);
    }
}

}  // namespace

bool scan_path_available(ScanPath path) {
    static const bool wide = wide_available();
    static const bool avx2 = avx2_available();
    static const bool avx2_pext = fast_pext_available();
    switch (path) {
    case ScanPath::portable: return true;
    case ScanPath::wide: return wide;
    case ScanPath::avx2: return avx2;
    case ScanPath::avx2_pext: return avx2_pext;
    }
    return false;
}

ScanPath fastest_scan_path() {
    for (const ScanPath path : {ScanPath::wide, ScanPath::avx2_pext, ScanPath::avx2})
        if (scan_path_available(path)) return path;
    return ScanPath::portable;
}

Scanner::Scanner(ScanPath path) : path_(scan_path_available(path) ? path : ScanPath::portable) {}

void Scanner::mark_piece(std::span<const std::uint8_t> piece, unsigned& pending_lead) {
    const std::uint8_t* begin = piece.data();
    const std::uint8_t* end = begin + piece.size();
#if defined(SORVANE_SCAN_WIDE)
    if (path_ == ScanPath::wide) scan_block_wide(scratch_, begin, end, pending_lead);
    else if (path_ == ScanPath::avx2_pext) scan_block_avx2<true>(scratch_, begin, end, pending_lead);
    else if (path_ == ScanPath::avx2) scan_block_avx2<false>(scratch_, begin, end, pending_lead);
    else scan_block(scratch_, begin, end, pending_lead);
#else
    scan_block(scratch_, begin, end, pending_lead);
#endif
}

void Scanner::mark_text(std::span<const std::uint8_t> piece, unsigned& pending_lead, KanjiGrid& found) {
    mark_piece(piece, pending_lead);
    gather_marks(scratch_, found);
}

void Scanner::mark_characters(TextReader& in, KanjiGrid& found) {
    unsigned pending_lead = 0;
    for (auto block = in.next_block(); !block.empty(); block = in.next_block()) mark_piece(block, pending_lead);
    gather_marks(scratch_, found);
}

void mark_characters(TextReader& in, KanjiGrid& found, ScanPath path) {
    Scanner scanner(path);
    scanner.mark_characters(in, found);
}

}  // namespace sorvane
