#include "core/scanner.h"

#include "core/scan_kernels.h"

namespace sorvane {

using namespace scan;

namespace {

// The block frame of a way, or null where this processor lacks it.
BlockScanner scanner_of(ScanPath path) {
    switch (path) {
    case ScanPath::portable: return portable_scanner;
    case ScanPath::wide: return wide_scanner();
    case ScanPath::avx2: return avx2_scanner();
    case ScanPath::avx2_pext: return avx2_pext_scanner();
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

bool scan_path_available(ScanPath path) { return scanner_of(path) != nullptr; }

ScanPath fastest_scan_path() {
    for (const ScanPath path : {ScanPath::wide, ScanPath::avx2_pext, ScanPath::avx2})
        if (scan_path_available(path)) return path;
    return ScanPath::portable;
}

Scanner::Scanner(ScanPath path)
    : path_(scan_path_available(path) ? path : ScanPath::portable), scratch_(), scan_block_(scanner_of(path_)) {}

void Scanner::mark_piece(std::span<const std::uint8_t> piece, unsigned& pending_lead) {
    scan_block_(scratch_, piece.data(), piece.data() + piece.size(), pending_lead);
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
