// Scanner throughput on three generated Shift_JIS texts, each beside the speed of merely
// reading the same file through the same reader:
//   ascii     plain ASCII lines
//   japanese  about 80 % two-byte characters
//   mixed     about 20 % bytes above 0x7F, as in a dictionary file
// SORVANE_BENCH_MB sets the size of each text (100 MB unless set).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/kanji_grid.h"
#include "core/scanner.h"
#include "core/jis_unicode.h"
#include "core/text_stream.h"
#include "core/utf8_text.h"

namespace {

using namespace sorvane;

std::size_t text_size() {
    const char* mb = std::getenv("SORVANE_BENCH_MB");
    return static_cast<std::size_t>(mb ? std::atol(mb) : 100) << 20;
}

enum Kind { ascii, japanese, mixed };

// A character a text would hold: one of a cell that a UTF-8 text can name too, so that the
// two texts hold the same characters (not an empty cell, nor one Windows writes elsewhere).
void append_character(std::string& s, std::mt19937& random) {
    int cell;
    do cell = static_cast<int>(random() % grid_cells);
    while (cell_of_code_point(characters_of_cell(cell).first) != cell);
    const SjisBytes b = bytes_of(cell);
    s += static_cast<char>(b.lead);
    s += static_cast<char>(b.trail);
}

// One line of the given kind, about 80 bytes.
std::string make_line(Kind kind, std::mt19937& random) {
    std::string line;
    while (line.size() < 78) {
        const unsigned pick = random() % 100;
        switch (kind) {
        case ascii: line += static_cast<char>(' ' + random() % 95); break;
        case japanese:
            // Two-byte characters make up 80 % of the bytes: four pairs to every two ASCII bytes.
            if (pick < 67) append_character(line, random);
            else line += static_cast<char>('a' + random() % 26);
            break;
        case mixed:
            if (pick < 11) append_character(line, random);
            else line += static_cast<char>(' ' + random() % 95);
            break;
        }
    }
    return line + "\r\n";
}

const std::string& text_file(Kind kind) {
    static std::array<std::string, 3> paths;
    std::string& path = paths[kind];
    if (!path.empty()) return path;
    static const char* const names[] = {"ascii", "japanese", "mixed"};
    path = (std::filesystem::temp_directory_path() / ("sorvane-bench-" + std::string(names[kind]) + ".txt")).string();
    const std::size_t size = text_size();
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == size) return path;
    std::mt19937 random(kind + 1);
    std::array<std::string, 512> lines;
    for (std::string& l : lines) l = make_line(kind, random);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    for (std::size_t written = 0; written < size;) {
        const std::string& l = lines[random() % lines.size()];
        const std::size_t n = std::min(l.size(), size - written);
        std::fwrite(l.data(), 1, n, f);
        written += n;
    }
    std::fclose(f);
    return path;
}

std::array<std::uint8_t, 1 << 16> block_buffer;

void read_only(benchmark::State& state, Kind kind) {
    const std::string& path = text_file(kind);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        TextReader in(f, block_buffer);
        std::size_t total = 0;
        for (auto block = in.next_block(); !block.empty(); block = in.next_block()) total += block.size();
        benchmark::DoNotOptimize(total);
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text_size()));
}

void scan(benchmark::State& state, Kind kind, ScanPath way) {
    Scanner scanner(way);  // the portable way where the processor has no other
    const std::string& path = text_file(kind);
    KanjiGrid found{};
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        TextReader in(f, block_buffer);
        scanner.mark_characters(in, found);
        benchmark::DoNotOptimize(found);
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text_size()));
}

void scan_portable(benchmark::State& state, Kind kind) { scan(state, kind, ScanPath::portable); }
void scan_avx2(benchmark::State& state, Kind kind) {
    scan(state, kind, scan_path_available(ScanPath::avx2_pext) ? ScanPath::avx2_pext : ScanPath::avx2);
}

// The same text in UTF-8, made once from the Shift_JIS one through the grid's table.
const std::string& utf8_file(Kind kind) {
    static std::array<std::string, 3> paths;
    std::string& path = paths[kind];
    if (!path.empty()) return path;
    const std::string& sjis = text_file(kind);
    path = sjis.substr(0, sjis.size() - 4) + ".utf8.txt";
    std::FILE* in = std::fopen(sjis.c_str(), "rb");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::string text(text_size(), '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in));
    std::string utf8;
    utf8.reserve(text.size() * 3 / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (!is_lead_byte(b) || i + 1 == text.size()) {
            utf8 += static_cast<char>(b);
            continue;
        }
        const char32_t c = characters_of_cell(cell_of(b, static_cast<std::uint8_t>(text[++i]))).first;
        if (c == 0) continue;  // an empty cell has no character to write
        if (c < 0x800) {       // every character of the grid is in the first plane
            utf8 += static_cast<char>(0xC0 | c >> 6);
        } else {
            utf8 += static_cast<char>(0xE0 | c >> 12);
            utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        }
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    std::fwrite(utf8.data(), 1, utf8.size(), out);
    std::fclose(in);
    std::fclose(out);
    return path;
}

// scan_utf8/KIND reads the same text in UTF-8 (half as long again in Japanese) with the
// native UTF-8 way; bytes counted are the Shift_JIS text's, so that the rates compare times.
void scan_utf8(benchmark::State& state, Kind kind) {
    const std::string& path = utf8_file(kind);
    KanjiGrid found{};
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        TextReader in(f, block_buffer);
        benchmark::DoNotOptimize(mark_utf8_text(in, found));
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text_size()));
}

// scan/KIND is the fastest way this processor has (the wide one with AVX-512, else the AVX2
// one), scan_avx2/KIND the AVX2 way forced (with the bit gather where it is fast; the
// portable way where AVX2 is missing), and scan_portable/KIND the way of every other
// processor.
BENCHMARK_CAPTURE(read_only, ascii, ascii)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, ascii, ascii, fastest_scan_path())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_portable, ascii, ascii)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_avx2, ascii, ascii)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_utf8, ascii, ascii)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_only, japanese, japanese)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, japanese, japanese, fastest_scan_path())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_portable, japanese, japanese)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_avx2, japanese, japanese)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_utf8, japanese, japanese)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_only, mixed, mixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, mixed, mixed, fastest_scan_path())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_portable, mixed, mixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_avx2, mixed, mixed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan_utf8, mixed, mixed)->Unit(benchmark::kMillisecond);

}  // namespace
