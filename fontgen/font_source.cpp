#include "fontgen/font_source.h"

#include <algorithm>

namespace sorvane {

namespace {

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

// Finds whether one line of a font source file holds a glyph of another size.
void check_font_line(const char* line, int rows, int width_bits, int number, SourceFault& fault) {
    int values = 1;
    for (const char* p = line; *p != '\0' && *p != '\n'; ++p) values += *p == ',';
    GlyphRecord parsed{};
    parse_font_line(line, glyph_rows_max, parsed);
    bool blank = true;
    bool too_wide = false;
    for (const std::int32_t value : parsed) {
        blank = blank && value == 0;
        too_wide = too_wide || value < 0 || (width_bits < 31 && value >= std::int32_t{1} << width_bits);
    }
    if (too_wide || (!blank && values != rows)) fault = {number, values, too_wide};
}

}  // namespace

void parse_font_line(const char* line, int rows, GlyphRecord& record) {
    const char* p = line;
    for (int i = 0; i < rows; ++i) {
        record[static_cast<std::size_t>(i)] = parse_value(p, p);
        const char after = *p;
        if (after != '\0') ++p;
        if (after != ',') break;  // a line end, a blank, anything but a comma ends the line
    }
}

int read_font_source(TextReader& in, int rows, std::span<GlyphRecord> glyphs, SourceFault* fault, int width_bits) {
    char line[font_line_capacity];
    int lines = 0;
    for (GlyphRecord& record : glyphs) {
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
        if (fault && fault->line == 0) check_font_line(line, rows, width_bits, lines, *fault);
    }
    return lines;
}

void write_font_source(TextWriter& out, std::span<const GlyphRecord> glyphs, int rows) {
    for (const GlyphRecord& g : glyphs) {
        for (int r = 0; r < rows; ++r) {
            if (r > 0) out.write_byte(',');
            out.write_unsigned(static_cast<std::uint32_t>(g[static_cast<std::size_t>(r)]));
        }
        out.write("\n");
    }
}

}  // namespace sorvane
