#include "fontgen/font_source.h"

#include <cstdio>
#include <cstring>

#include "state/app_state.h"

namespace sorvane {

std::array<GlyphRecord, grid_cells> glyph_store{};

namespace {

constexpr FontKind k14{"K14", "K14", 14, 28, 2};
constexpr FontKind jiskan16{"jiskan16", "J16", 16, 32, 2};
constexpr FontKind jiskan24{"jiskan24", "J24", 24, 72, 3};

constexpr std::size_t font_line_capacity = 2000;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// strtol with base 0, clamped to the 32-bit range: returns the value and sets end past it,
// or returns 0 and leaves end at start when no number stands there.
std::int32_t parse_value(const char* start, const char*& end) {
    const char* p = start;
    while (is_space(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    if (digit_value(*p) >= base) {
        end = start;
        return 0;
    }
    constexpr std::int64_t limit = std::int64_t{1} << 31;  // enough to tell a clamp apart
    std::int64_t value = 0;
    for (int d; (d = digit_value(*p)) < base; ++p) {
        value = value * base + d;
        if (value > limit) value = limit;
    }
    end = p;
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

}  // namespace

const FontKind& font_kind_of(std::int32_t font_kind) {
    if (font_kind == 1) return jiskan16;
    if (font_kind == 2) return jiskan24;
    return k14;
}

void parse_font_line(const char* line, int rows, GlyphRecord& record) {
    const char* p = line;
    for (int i = 0; i < rows; ++i) {
        record[static_cast<std::size_t>(i)] = parse_value(p, p);
        const char after = *p;
        if (after != '\0') ++p;
        if (after != ',') break;  // a line end, a blank, anything but a comma ends the line
    }
}

int read_font_source(TextReader& in, int rows) {
    char line[font_line_capacity];
    int lines = 0;
    for (GlyphRecord& record : glyph_store) {
        const std::size_t length = in.read_line(line, sizeof line);
        if (length == 0) {
            // The file has ended: nothing of it describes the remaining positions.
            std::fill_n(record.begin(), rows, 0);
            continue;
        }
        // A line too long for the buffer is cut; its rest never shifts the lines after it.
        if (line[length - 1] != '\n' && length == sizeof line - 1) in.skip_line();
        parse_font_line(line, rows, record);
        ++lines;
    }
    return lines;
}

FontSourceLoad load_font_source(void (*open_error)()) {
    const FontKind& kind = font_kind_of(settings[font_kind]);
    settings[kanji_size] = kind.glyph_bytes;

    // The suffix replaces the last three characters of the settings file's path, never
    // anything outside the path that stands in the slot.
    FontSourceLoad load;
    const std::int32_t length = settings[ini_path_length];
    char* path = text_slots[font_path].data();
    if (length >= 3 && static_cast<std::size_t>(length) <= text_of(font_path).size()) {
        std::memcpy(path + length - 3, kind.suffix, 3);
        if (std::FILE* file = std::fopen(path, "rb")) {
            std::array<std::uint8_t, 1 << 16> buffer;
            TextReader in(file, buffer);
            load.opened = true;
            load.lines = read_font_source(in, kind.rows);
            std::fclose(file);
        }
    }
    if (!load.opened && open_error) open_error();
    return load;
}

}  // namespace sorvane
