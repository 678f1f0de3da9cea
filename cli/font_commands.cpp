#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/handlers.h"
#include "cli/report.h"
#include "core/files.h"
#include "core/text_stream.h"
#include "fontgen/bdf_import.h"

namespace sorvane::cli {
namespace {

// The glyphs of the font being imported.
GlyphTable imported;

const char* default_font_source(int pixel_size) {
    if (pixel_size == 16) return "Sorvane.J16";
    if (pixel_size == 24) return "Sorvane.J24";
    return "Sorvane.K14";
}

}  // namespace

int import_bdf_command(const Invocation& call) {
    const char* bdf_path = call.operands[0];
    std::FILE* bdf = std::fopen(bdf_path, "rb");
    if (!bdf) {
        complain("cannot open %s: %s", bdf_path, std::strerror(errno));
        return 1;
    }
    const BitOrder order =
        call.bit_order && std::strcmp(call.bit_order, "msb-left") == 0 ? BitOrder::msb_left : BitOrder::lsb_left;
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(bdf, buffer);
    const BdfImport font = read_bdf(in, order, imported);
    std::fclose(bdf);
    if (in.read_failed()) {
        complain("cannot read %s", bdf_path);
        return 1;
    }
    if (font.error) {
        complain("%s:%d: %s; nothing written", bdf_path, font.error_line, font.error);
        return 1;
    }

    const char* out_path = call.output ? call.output : default_font_source(font.pixel_size);
    std::FILE* file = std::fopen(out_path, "wb");
    if (!file) {
        complain("cannot create %s: %s", out_path, std::strerror(errno));
        return 1;
    }
    bool written = false;
    {
        TextWriter out(file);
        write_font_source(out, imported, font.pixel_size);
        written = out.flush();
    }
    written = std::fclose(file) == 0 && written;
    if (!written) {
        const int error = errno;
        remove_plain_file(out_path);
        complain("cannot write %s: %s", out_path, std::strerror(error));
        return 1;
    }
    std::printf("%s: %d glyphs of %d dots (%s)", out_path, font.glyphs, font.pixel_size,
                order == BitOrder::msb_left ? "msb-left" : "lsb-left");
    if (font.skipped > 0) std::printf(", %d glyphs outside JIS X 0208 left out", font.skipped);
    std::printf("\n");
    return 0;
}

}  // namespace sorvane::cli
