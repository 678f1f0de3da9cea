#include "core/scan_kernels.h"

#include "core/lane_pack.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace sorvane::scan {

#if defined(__x86_64__) && defined(__GNUC__)

namespace {

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

template <bool with_pext>
SORVANE_AVX2_CODE std::uint64_t mark_batch_avx2(Scratch& s, const std::uint8_t* p, std::size_t stretches, std::uint64_t carry) {
    std::uint16_t* pair_list = s.pairs.data();
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
    return carry;
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

}  // namespace

BlockScanner avx2_pext_scanner() {
    static const bool here = fast_pext_available();
    return here ? scan_block<mark_batch_avx2<true>, Scanner::batch_stretches> : nullptr;
}

BlockScanner avx2_scanner() {
    static const bool here = avx2_available();
    return here ? scan_block<mark_batch_avx2<false>, Scanner::batch_stretches> : nullptr;
}

#else

BlockScanner avx2_pext_scanner() { return nullptr; }
BlockScanner avx2_scanner() { return nullptr; }

#endif

}  // namespace sorvane::scan
