#include "core/scan_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace sorvane::scan {

#if defined(__x86_64__) && defined(__GNUC__)

namespace {

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

// 32 pairs, lead byte low, turned into codes: lead byte high.
SORVANE_WIDE_CODE inline __m512i codes_of_pairs(__m512i pairs) {
    return _mm512_or_si512(_mm512_slli_epi16(pairs, 8), _mm512_srli_epi16(pairs, 8));
}

// At most 32 characters start in a stretch; the list's 32 entries after them take the
// stores of whole registers past the last pair.
SORVANE_WIDE_CODE std::uint64_t mark_batch_wide(Scratch& s, const std::uint8_t* p, std::size_t stretches, std::uint64_t carry) {
    std::uint16_t* pair_list = s.pairs.data();
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
    return carry;
}

bool available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
}

}  // namespace

BlockScanner wide_scanner() {
    static const bool here = available();
    return here ? scan_block<mark_batch_wide, Scanner::batch_stretches> : nullptr;
}

#else

BlockScanner wide_scanner() { return nullptr; }

#endif

}  // namespace sorvane::scan
