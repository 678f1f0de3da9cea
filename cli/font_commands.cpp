#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/messages.h"
#include "cli/handlers.h"
#include "cli/report.h"
#include "core/files.h"
#include "core/output_file.h"
#include "core/text_stream.h"
#include "cli/png_file.h"
#include "app/font_file.h"
#include "core/jis_unicode.h"
#include "fontgen/bdf_import.h"
#include "fontgen/outline_font.h"
#include "fontgen/pcf_import.h"
#include "fontgen/font_table.h"
#include "fontgen/include_reader.h"
#include "fontgen/preview.h"
#include "state/app_state.h"
#include "state/settings_file.h"

namespace sorvane::cli {
namespace {

// Sorvane.K14, .J16 or .J24: the name of the font source file of a size.
std::string default_font_source(int pixel_size) {
    const FontKind* font = font_of_dots(pixel_size);
    return std::string("Sorvane.") + (font ? font->suffix : font_table[0].suffix);
}

BitOrder bit_order_of(const Invocation& call) {
    return call.bit_order && std::strcmp(call.bit_order, "msb-left") == 0 ? BitOrder::msb_left : BitOrder::lsb_left;
}

// Reads a whole file of at most limit bytes; false (with errno set) when it cannot.
bool read_whole_file(const char* path, std::string& text, std::size_t limit) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char block[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0 && text.size() <= limit) text.append(block, n);
    const int error = errno;  // a folder's is "Is a directory"
    const bool read = !std::ferror(file);
    std::fclose(file);
    if (text.size() > limit) {
        errno = EFBIG;
        return false;
    }
    if (!read) errno = error != 0 ? error : EIO;
    return read;
}

// Writes an output whole or not at all: the old file stays as it was when the writing
// fails; false, said, then.
template <typename Write>
bool write_whole(const AppState& state, const char* path, const Write& write) {
    OutputFile output(path);
    if (!output.file()) {
        complain_file(state, message_cannot_create_output, path, std::strerror(errno));
        return false;
    }
    errno = 0;
    const bool written = write(output.file());
    if (const int error = output.finish(written, errno)) {
        complain_file(state, message_cannot_write, path, std::strerror(error));
        return false;
    }
    return true;
}

// Refuses an output that would replace an input of the command, or the folder's settings
// file or its lock file, which only a saving command writes; true, said, then.
bool refused_as_output(const AppState& state, const char* out_path, const char* input, int reason) {
    if (same_file(out_path, input)) {
        complain_file(state, message_cannot_create_output, out_path, reason);
        return true;
    }
    if (names_settings_file(state, out_path)) {
        complain_file(state, message_cannot_create_output, out_path, message_output_is_settings);
        return true;
    }
    return false;
}

// The include file's name with .png in place of its extension.
std::string picture_name(const std::string& include_file) {
    const std::size_t slash = include_file.find_last_of("/\\");
    const std::size_t dot = include_file.rfind('.');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (has_extension ? include_file.substr(0, dot) : include_file) + ".png";
}

}  // namespace

int preview_command(AppState& state, const Invocation& call) {
    const char* include_path = call.operands[0];
    std::string text;
    // A full jiskan24 table of all 8836 characters is under 3 MB.
    if (!read_whole_file(include_path, text, 64u << 20)) {
        complain_file(state, message_cannot_read, include_path, std::strerror(errno));
        return 1;
    }
    // An include file names its tables; anything else may be a font source file.
    const bool include_file = text.find("FONT_KANJI_NUM") != std::string::npos;
    const IncludeFont font = include_file ? read_include_file(text) : read_font_source_text(text);
    if (font.error) {
        if (include_file) complain(state, message_not_an_include_file, {include_path, font.error_line, font.error});
        else complain_usage("%s:%d: %s", include_path, font.error_line, font.error);
        return 1;
    }
    const std::string out_path = call.output ? call.output : picture_name(include_path);
    if (refused_as_output(state, out_path.c_str(), include_path, message_output_is_picture_source) ||
        (call.text && refused_as_output(state, out_path.c_str(), call.text, message_output_is_message_text)))
        return 1;
    std::string message;
    if (call.text && !read_whole_file(call.text, message, 1u << 20)) {
        complain_file(state, message_cannot_read, call.text, std::strerror(errno));
        return 1;
    }
    const Picture picture = call.text ? draw_text_preview(font, bit_order_of(call), message)
                                      : draw_preview(font, bit_order_of(call), include_file ? preview_columns : grid_side);
    if (!write_whole(state, out_path.c_str(), [&picture](std::FILE* file) { return write_png(file, picture); })) return 1;
    if (call.text) say(state, message_drew_text, {out_path, call.text, font.side, picture.width, picture.height});
    else say(state, message_drew_glyphs, {out_path, font.glyphs.size(), font.side, picture.width, picture.height});
    return 0;
}

namespace {

// Names the first JIS X 0208 characters the font has no glyph for.
void report_coverage(const AppState& state, const char* font_path, const FontImport& font) {
    int lacking = 0;
    for (int cell = 0; cell < grid_cells; ++cell) lacking += is_jis_x0208(cell) && !font.placed[static_cast<std::size_t>(cell)];
    complain(state, lacking == 0 ? message_coverage_whole : lacking > 10 ? message_coverage_lacking_many : message_coverage_lacking,
             {font_path, font.glyphs, lacking});
    for (int cell = 0, named = 0; cell < grid_cells && named < 10; ++cell) {
        if (!is_jis_x0208(cell) || font.placed[static_cast<std::size_t>(cell)]) continue;
        std::fputs("  ", stderr);
        print_character(stderr, cell);
        std::fputc('\n', stderr);
        ++named;
    }
    if (font.cut > 0) complain(state, message_glyphs_cut, {font_path, font.cut});
    if (font.duplicates > 0) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%#lx", font.first_duplicate);
        complain(state, message_glyphs_duplicated, {font_path, font.duplicates, font.first_duplicate, hex});
    }
}

}  // namespace

// Copies the installed font source files into a folder, DIR or the working one, made when it
// is not there; a file already there is left as it is.
int init_command(AppState& state, const Invocation& call) {
    std::array<char, OutputFile::path_capacity> source{};
    if (!installed_font_folder(source.data(), source.size())) {
        complain(state, message_no_program_folder);
        return 1;
    }
    const std::filesystem::path installed = std::filesystem::path(source.data()).lexically_normal();
    const std::string folder = call.operands.empty() ? "." : call.operands[0];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        complain_file(state, message_cannot_create_output, folder, error.message());
        return 1;
    }
    if (!std::filesystem::is_directory(folder)) {
        complain_file(state, message_cannot_create_output, folder, message_not_a_folder);
        return 1;
    }
    int status = 0;
    for (const FontKind& font : font_table) {
        const std::string name = std::string("Sorvane.") + font.suffix;
        const std::string from = (installed / name).string();
        const std::string to = folder + "/" + name;
        if (std::filesystem::exists(to, error)) {
            // A folder or a FIFO in a font's place is no font: the user has to see it.
            if (is_special_file(to.c_str())) {
                complain_file(state, message_cannot_create_output, to, message_not_a_file);
                status = 1;
            } else {
                say(state, message_already_there, {to});
            }
            continue;
        }
        std::string bytes;
        if (!read_whole_file(from.c_str(), bytes, 64u << 20)) {
            complain_file(state, message_cannot_open_input, from, std::strerror(errno));
            note(state, message_no_installed_fonts);
            status = 1;
            continue;
        }
        if (!write_whole(state, to.c_str(), [&bytes](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); })) {
            status = 1;
            continue;
        }
        say(state, message_copied_from, {to, from});
    }
    return status;
}

int import_font_command(AppState& state, const Invocation& call) {
    const char* font_path = call.operands[0];
    std::vector<std::uint8_t> data;
    const FontFileRead read = read_font_file(font_path, data);
    if (read.reason != no_message) {
        complain_file(state, message_cannot_read, font_path, read.reason, {read.detail});
        return 1;
    }
    if (read.error != 0) {
        complain_file(state, message_cannot_read, font_path, std::strerror(read.error));
        return 1;
    }
    const BitOrder order = bit_order_of(call);
    const auto imported = std::make_unique<GlyphTable>();
    const FontImport font = read_any_font(data, call.face, call.size, order, *imported);
    if (font.error) {
        std::string place;
        if (font.error_place > 0) place = (font.place_is_offset ? ": byte " : ":") + std::to_string(font.error_place);
        std::string size;
        if (font.pixel_size != 0 && !font_of_dots(font.pixel_size)) size = " (it is " + std::to_string(font.pixel_size) + ")";
        complain(state, message_font_refused, {font_path, place, font.error, size});
        return 1;
    }
    if (call.size != 0 && font.pixel_size != call.size) {
        complain(state, message_font_size_differs, {font_path, font.pixel_size, call.size});
        return 1;
    }
    if (font.glyphs == 0) {
        complain(state, message_no_jis_glyph, {font_path});
        return 1;
    }
    const std::string default_path = default_font_source(font.pixel_size);
    const char* out_path = call.output ? call.output : default_path.c_str();
    if (refused_as_output(state, out_path, font_path, message_output_is_imported_font)) return 1;
    const auto write_source = [&font, &imported](std::FILE* file) {
        TextWriter out(file);
        write_font_source(out, *imported, font.pixel_size);
        return out.flush();
    };
    if (!write_whole(state, out_path, write_source)) return 1;
    const bool msb_left = order == BitOrder::msb_left;
    say(state, font.skipped > 0 ? message_imported_skipped : message_imported,
        {out_path, font.glyphs, font.pixel_size, msb_left ? "msb-left" : "lsb-left", font.skipped});
    report_coverage(state, font_path, font);
    return 0;
}

}  // namespace sorvane::cli
