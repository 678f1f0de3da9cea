// Any bytes as a UTF-8 text, through blocks of a size the input also chooses: the portable way,
// and the AVX2 way where this build and processor have it (the fuzzer says at its start which),
// must read it as the portable way reads it in one block, to the same marks, the same
// characters left out on the same lines, and the same end.
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/utf8_text.h"
#include "fuzz/fuzz_support.h"

using namespace sorvane;

namespace {

struct Reading {
    KanjiGrid found{};
    std::vector<std::pair<char32_t, long>> left_out;
    Utf8Outcome outcome;
};

Reading read(const std::uint8_t* data, std::size_t size, std::size_t block, ScanPath path) {
    Reading r;
    const LeftOutSink sink{[](void* to, char32_t c, long line) { static_cast<Reading*>(to)->left_out.emplace_back(c, line); }, &r};
    fuzzing::MemoryFile f(data, size);
    std::vector<std::uint8_t> buffer(block);
    TextReader in(f.file, buffer);
    r.outcome = mark_utf8_text(in, r.found, sink, path);
    return r;
}

bool same(const Reading& a, const Reading& b) {
    return a.found == b.found && a.left_out == b.left_out && a.outcome.valid == b.outcome.valid &&
           a.outcome.cut_short == b.outcome.cut_short && a.outcome.error_offset == b.outcome.error_offset &&
           a.outcome.error_line == b.outcome.error_line && a.outcome.left_out == b.outcome.left_out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t block = 1 + (data[0] | data[1] << 8) % 1000;
    data += 2;
    size -= 2;
    static const bool by_32 = [] {
        const bool here = utf8_path_available(ScanPath::avx2);
        std::fprintf(stderr, "fuzz_utf8: ways held to the portable one: %s\n", here ? "portable, AVX2" : "portable only");
        return here;
    }();
    const Reading expected = read(data, size, size + 1, ScanPath::portable);
    if (!same(read(data, size, block, ScanPath::portable), expected)) std::abort();
    if (by_32 && !same(read(data, size, block, ScanPath::avx2), expected)) std::abort();
    return 0;
}
