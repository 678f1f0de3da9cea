#include "core/scanner.h"

#include <algorithm>

#include "core/scan_kernels.h"

namespace sorvane {

using namespace scan;

namespace {

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

// The one block frame of every kernel: a lead byte left pending by the block before, then
// batches of stretches of 64 bytes while the byte after them is there to complete a
// character, then the last bytes one at a time. pending_lead: a lead byte that ended the
// block before (0 if none); on return, the one that ends this block.
void scan_block(Scratch& s, const Kernel& kernel, const std::uint8_t* p, const std::uint8_t* end, unsigned& pending_lead) {
    if (pending_lead != 0 && p < end) {
        mark_pair(s, pending_lead, *p++);
        pending_lead = 0;
    }
    std::uint64_t carry = 0;
    while (end - p > 64) {
        const std::size_t stretches = std::min<std::size_t>(static_cast<std::size_t>(end - p - 1) / 64, kernel.batch);
        kernel.mark_batch(s, p, stretches, carry);
        p += 64 * stretches;
    }
    if (carry != 0) ++p;  // the second byte of a character already marked
    scan_rest(s, p, end, pending_lead);
}

// The kernel of a way, or null where this processor lacks it.
const Kernel* kernel_of(ScanPath path) {
    switch (path) {
    case ScanPath::portable: return &portable_kernel;
    case ScanPath::wide: return wide_kernel();
    case ScanPath::avx2: return avx2_kernel();
    case ScanPath::avx2_pext: return avx2_pext_kernel();
    }
    return nullptr;
}

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

bool scan_path_available(ScanPath path) { return kernel_of(path) != nullptr; }

ScanPath fastest_scan_path() {
    for (const ScanPath path : {ScanPath::wide, ScanPath::avx2_pext, ScanPath::avx2})
        if (scan_path_available(path)) return path;
    return ScanPath::portable;
}

Scanner::Scanner(ScanPath path)
    : path_(scan_path_available(path) ? path : ScanPath::portable), kernel_(kernel_of(path_)) {}

void Scanner::mark_piece(std::span<const std::uint8_t> piece, unsigned& pending_lead) {
    scan_block(scratch_, *kernel_, piece.data(), piece.data() + piece.size(), pending_lead);
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
