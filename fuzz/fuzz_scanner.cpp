// Any bytes as a text file to scan, through blocks of a size the input also chooses: the
// result of each way of marking the processor offers must be the one of the plain rule,
// one byte at a time.
#include <cstdlib>
#include <vector>

#include "core/scanner.h"
#include "fuzz/fuzz_support.h"

using namespace sorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t block = 1 + (data[0] | data[1] << 8) % 1000;
    data += 2;
    size -= 2;

    KanjiGrid expected{};
    for (std::size_t i = 0; i < size && data[i] != 0x1A; ++i) {
        if (!is_lead_byte(data[i])) continue;
        if (i + 1 == size || data[i + 1] == 0x1A) break;
        if (is_trail_byte(data[i + 1])) expected[static_cast<std::size_t>(cell_of(data[i], data[i + 1]))] = 1;
        ++i;
    }

    for (const ScanPath path : {ScanPath::portable, ScanPath::wide, ScanPath::avx2, ScanPath::avx2_pext}) {
        if (!scan_path_available(path)) continue;
        fuzzing::MemoryFile f(data, size);
        std::vector<std::uint8_t> buffer(block);
        TextReader in(f.file, buffer);
        KanjiGrid found{};
        mark_characters(in, found, path);
        if (found != expected) std::abort();
    }
    return 0;
}
