// Finds the two-byte characters of a Shift_JIS text.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/kanji_grid.h"
#include "core/text_stream.h"

namespace sorvane {

// The ways of marking: the portable one, the wide one for processors with AVX-512, and the
// AVX2 one for the x86-64 processors without it (with BMI2), in two kinds: avx2_pext
// gathers bits with the BMI2 instruction, chosen where it is fast, avx2 with arithmetic.
// The results are the same.
enum class ScanPath { portable, wide, avx2, avx2_pext };

bool scan_path_available(ScanPath path);

// The fastest way this processor offers; the processor is asked once.
ScanPath fastest_scan_path();

// One scan's way of marking and its scratch space, owned by whoever scans, so that scans on
// several threads share nothing. About 53 KB: a local variable is fine.
class Scanner {
public:
    // The portable way where the one asked for is not available.
    explicit Scanner(ScanPath path = fastest_scan_path());

    // Sets the flag of every valid two-byte character in a Shift_JIS text handed in piece by
    // piece, as one text; never clears one. Bytes outside a valid pair are skipped one at a
    // time. pending_lead carries a lead byte that ended the piece before (0 at the start; one
    // left at the very end is ignored). The 0x1A rule is the supplier's.
    void mark_text(std::span<const std::uint8_t> piece, unsigned& pending_lead, KanjiGrid& found);

    // The same for a whole input; a lead byte as its last byte is ignored.
    void mark_characters(TextReader& in, KanjiGrid& found);

    ScanPath path() const { return path_; }

    // A mark for every pair that begins with a lead byte, by its code from 0x8100 on.
    static constexpr std::size_t marks_size = 0xF000 - 0x8100;
    static constexpr std::size_t batch_stretches = 256;

    struct Scratch {
        std::array<std::uint8_t, marks_size> marks{};  // zero at the grid's places between scans
        std::array<std::uint64_t, 1024> starts;        // of the stretches of a block
        std::array<std::uint16_t, batch_stretches * 32 + 32> pairs;  // the wide and AVX2 ways' list
    };

private:
    // Marks a piece in the scratch space only; the marks are gathered into a grid after it.
    void mark_piece(std::span<const std::uint8_t> piece, unsigned& pending_lead);

    ScanPath path_;
    Scratch scratch_;
    // The block frame of path_'s kernel, chosen once.
    void (*scan_block_)(Scratch& s, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead);
};

// A whole input marked with a scanner of the given way.
void mark_characters(TextReader& in, KanjiGrid& found, ScanPath path = fastest_scan_path());

}  // namespace sorvane
