#include "app/font_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/files.h"
#include "core/text_stream.h"
#include "fontgen/bdf_import.h"
#include "fontgen/outline_font.h"
#include "fontgen/pcf_import.h"

#if defined(SORVANE_WITH_ZLIB)
#include <zlib.h>
#endif

namespace sorvane {
namespace {

constexpr std::size_t block_size = 1 << 16;

FontFileRead refused(int reason, std::string detail = "") {
    FontFileRead read;
    read.reason = reason;
    read.detail = std::move(detail);
    return read;
}

FontFileRead failed(int error) {
    FontFileRead read;
    read.error = error != 0 ? error : EIO;
    return read;
}

FontFileRead too_large() { return refused(message_font_too_large, std::to_string(font_file_limit >> 20)); }

// Appends a block, never past the limit: room for the limit and a block is set aside at the
// start, so the data never moves and never takes more.
bool append(std::vector<std::uint8_t>& data, const std::uint8_t* block, std::size_t n) {
    if (data.size() + n > font_file_limit) return false;
    data.insert(data.end(), block, block + n);
    return true;
}

FontFileRead read_plain(std::FILE* file, std::vector<std::uint8_t>& data) {
    std::uint8_t block[block_size];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
        if (!append(data, block, n)) return too_large();
    if (std::ferror(file)) return failed(errno);
    return {};
}

#if defined(SORVANE_WITH_ZLIB)
FontFileRead read_packed(const char* path, std::vector<std::uint8_t>& data) {
    gzFile gz = gzopen(path, "rb");
    if (!gz) return refused(message_zlib_cannot_open);
    std::uint8_t block[block_size];
    FontFileRead read;
    for (int n; (n = gzread(gz, block, sizeof block)) != 0;) {
        int code = 0;
        if (n < 0) {
            read = refused(message_gzip_damaged, gzerror(gz, &code));
            break;
        }
        if (!append(data, block, static_cast<std::size_t>(n))) {
            read = too_large();
            break;
        }
    }
    // zlib reports a stream cut short, its checksum and length lost with it, only as an error
    // left behind after the last read.
    int code = Z_OK;
    gzerror(gz, &code);
    if (read.ok() && code == Z_BUF_ERROR) read = refused(message_gzip_cut_short);
    else if (read.ok() && code != Z_OK) read = refused(message_gzip_damaged, gzerror(gz, &code));
    gzclose(gz);
    return read;
}
#endif

}  // namespace

FontFileRead read_font_file(const char* path, std::vector<std::uint8_t>& data) {
    data.clear();
    if (is_special_file(path)) return refused(message_not_a_file);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return failed(errno);
    std::uint8_t magic[2] = {};
    const bool packed = std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
    std::rewind(file);
    data.reserve(font_file_limit);
    if (!packed) {
        const FontFileRead read = read_plain(file, data);
        std::fclose(file);
        return read;
    }
    std::fclose(file);
#if defined(SORVANE_WITH_ZLIB)
    return read_packed(path, data);
#else
    return refused(message_gzip_not_unpacked);
#endif
}

FontImport read_any_font(const std::vector<std::uint8_t>& data, int face, int size, BitOrder order, GlyphTable& glyphs,
                         HalfTable* half) {
    switch (font_format_of(data)) {
    case FontFormat::bdf: {
        TextReader in{std::span<const std::uint8_t>(data)};
        return read_bdf(in, order, glyphs, half);
    }
    case FontFormat::pcf: return read_pcf(data, order, glyphs, half);
    case FontFormat::outline: return read_with_freetype(data, face, size, order, glyphs, half);
    case FontFormat::unknown: break;
    }
    FontImport unknown;
    unknown.error = "not a font Sorvane reads: neither BDF, PCF, TrueType nor OpenType";
    return unknown;
}

}  // namespace sorvane
