// The scanner's kernels and what they share. A kernel marks the characters of a batch of
// 64-byte stretches; the scanner's one block frame hands it the batches, and the scanner
// chooses its kernel once. Each kernel lives in a file of its own, built for its processor.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/scanner.h"

namespace sorvane::scan {

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
// The portable kernel marks a batch in two passes, the starts of all its stretches, then
// their marks; the wide and the AVX2 kernels find the same starts but mark them without a
// loop per stretch.

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

// Marks the characters of `stretches` stretches of 64 bytes from p; the byte after the last
// one is there to complete a character. Takes the carry into the first stretch and returns
// the one out of the last, as for character_starts; passed by value, it stays in a register,
// where a reference could be taken to change with every store to the scratch space.
using BatchKernel = std::uint64_t (*)(Scratch& s, const std::uint8_t* p, std::size_t stretches, std::uint64_t carry);

// The last bytes of a block, one at a time; a lead byte at its very end is left pending.
inline void scan_rest(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead) {
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

// The one block frame of every kernel: a lead byte left pending by the block before, then
// batches of stretches of 64 bytes while the byte after them is there to complete a
// character, then the last bytes one at a time. pending_lead: a lead byte that ended the
// block before (0 if none); on return, the one that ends this block. Each kernel's file makes
// the frame of its kernel, so that a kernel built for the same processor is inlined in it.
template <BatchKernel mark_batch, std::size_t batch>
void scan_block(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead) {
    if (pending_lead != 0 && p < end) {
        mark_pair(s, pending_lead, *p++);
        pending_lead = 0;
    }
    std::uint64_t carry = 0;
    while (end - p > 64) {
        const std::size_t stretches = std::min<std::size_t>(static_cast<std::size_t>(end - p - 1) / 64, batch);
        carry = mark_batch(s, p, stretches, carry);
        p += 64 * stretches;
    }
    if (carry != 0) ++p;  // the second byte of a character already marked
    scan_rest(s, p, end, pending_lead);
}

// A way of marking: the block frame of its kernel.
using BlockScanner = void (*)(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead);

// The portable way: SSE2 on x86-64, plain 64-bit arithmetic elsewhere (scan_portable.cpp).
extern const BlockScanner portable_scanner;

// The wide way, on processors with AVX-512 (scan_avx512.cpp); null elsewhere.
BlockScanner wide_scanner();

// The AVX2 ways, on x86-64 processors with AVX2 and BMI2 (scan_avx2.cpp); null elsewhere.
// The first gathers bits with the BMI2 instruction, the second with arithmetic.
BlockScanner avx2_pext_scanner();
BlockScanner avx2_scanner();

}  // namespace sorvane::scan
