#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/font_commands.h"
#include "app/messages.h"
#include "core/files.h"
#include "core/output_file.h"
#include "core/text_stream.h"
#include "app/png_file.h"
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

namespace sorvane {
namespace {

// Sorvane.K14, .J16 or .J24: the name of the font source file of a size.
std::string default_font_source(int pixel_size) {
    const FontKind* font = font_of_dots(pixel_size);
    return std::string("Sorvane.") + (font ? font->suffix : font_table[0].suffix);
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
bool write_whole(const AppState& state, const Face& face, const char* path, const Write& write) {
    OutputFile output(path);
    if (!output.file()) {
        face.complain_file(state, message_cannot_create_output, path, std::strerror(errno));
        return false;
    }
    errno = 0;
    const bool written = write(output.file());
    if (const int error = output.finish(written, errno)) {
        face.complain_file(state, message_cannot_write, path, std::strerror(error));
        return false;
    }
    return true;
}

// Refuses an output that would replace an input of the command, or the folder's settings
// file or its lock file, which only a saving command writes; true, said, then.
bool refused_as_output(const AppState& state, const Face& face, const char* out_path, const char* input, int reason) {
    if (same_file(out_path, input)) {
        face.complain_file(state, message_cannot_create_output, out_path, reason);
        return true;
    }
    if (names_settings_file(state, out_path)) {
        face.complain_file(state, message_cannot_create_output, out_path, message_output_is_settings);
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

Outcome preview_command(AppState& state, const Request& call) {
    const Face& face = call.face;
    const char* include_path = call.files[0];
    std::string text;
    // A full jiskan24 table of all 8836 characters is under 3 MB.
    if (!read_whole_file(include_path, text, 64u << 20)) {
        face.complain_file(state, message_cannot_read, include_path, std::strerror(errno));
        return said();
    }
    // An include file names its tables; anything else may be a font source file.
    const bool include_file = text.find("FONT_KANJI_NUM") != std::string::npos;
    const IncludeFont font = include_file ? read_include_file(text) : read_font_source_text(text);
    if (font.error) {
        if (include_file) face.complain(state, message_not_an_include_file, {include_path, font.error_line, font.error});
        else face.complain(state, message_place_reason, {include_path, font.error_line, font.error});
        return said();
    }
    const std::string out_path = call.output ? call.output : picture_name(include_path);
    if (refused_as_output(state, face, out_path.c_str(), include_path, message_output_is_picture_source) ||
        (call.text && refused_as_output(state, face, out_path.c_str(), call.text, message_output_is_message_text)))
        return said();
    std::string message;
    if (call.text && !read_whole_file(call.text, message, 1u << 20)) {
        face.complain_file(state, message_cannot_read, call.text, std::strerror(errno));
        return said();
    }
    const Picture picture = call.text ? draw_text_preview(font, call.order, message)
                                      : draw_preview(font, call.order, include_file ? preview_columns : grid_side);
    if (!write_whole(state, face, out_path.c_str(), [&picture](std::FILE* file) { return write_png(file, picture); })) return said();
    if (call.text) face.say(state, message_drew_text, {out_path, call.text, font.side, picture.width, picture.height});
    else face.say(state, message_drew_glyphs, {out_path, font.glyphs.size(), font.side, picture.width, picture.height});
    return {};
}

namespace {

// Names the first JIS X 0208 characters the font has no glyph for.
void report_coverage(const AppState& state, const Face& face, const char* font_path, const FontImport& font) {
    int lacking = 0;
    for (int cell = 0; cell < grid_cells; ++cell) lacking += is_jis_x0208(cell) && !font.placed[static_cast<std::size_t>(cell)];
    face.complain(state, lacking == 0 ? message_coverage_whole : lacking > 10 ? message_coverage_lacking_many : message_coverage_lacking,
             {font_path, font.glyphs, lacking});
    for (int cell = 0, named = 0; cell < grid_cells && named < 10; ++cell) {
        if (!is_jis_x0208(cell) || font.placed[static_cast<std::size_t>(cell)]) continue;
        note_character(state, face, cell);
        ++named;
    }
    if (font.cut > 0) face.complain(state, message_glyphs_cut, {font_path, font.cut});
    if (font.duplicates > 0) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%#lx", font.first_duplicate);
        face.complain(state, message_glyphs_duplicated, {font_path, font.duplicates, font.first_duplicate, hex});
    }
}

}  // namespace

// Copies the installed font source files into a folder, DIR or the working one, made when it
// is not there; a file already there is left as it is.
Outcome init_command(AppState& state, const Request& call) {
    const Face& face = call.face;
    std::array<char, OutputFile::path_capacity> source{};
    if (!installed_font_folder(source.data(), source.size())) {
        face.complain(state, message_no_program_folder);
        return said();
    }
    const std::filesystem::path installed = std::filesystem::path(source.data()).lexically_normal();
    const std::string folder = call.files.empty() ? "." : call.files[0];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        face.complain_file(state, message_cannot_create_output, folder, error.message());
        return said();
    }
    if (!std::filesystem::is_directory(folder)) {
        face.complain_file(state, message_cannot_create_output, folder, message_not_a_folder);
        return said();
    }
    int status = 0;
    for (const FontKind& font : font_table) {
        const std::string name = std::string("Sorvane.") + font.suffix;
        const std::string from = (installed / name).string();
        const std::string to = folder + "/" + name;
        if (std::filesystem::exists(to, error)) {
            // A folder or a FIFO in a font's place is no font: the user has to see it.
            if (is_special_file(to.c_str())) {
                face.complain_file(state, message_cannot_create_output, to, message_not_a_file);
                status = 1;
            } else {
                face.say(state, message_already_there, {to});
            }
            continue;
        }
        std::string bytes;
        if (!read_whole_file(from.c_str(), bytes, 64u << 20)) {
            face.complain_file(state, message_cannot_open_input, from, std::strerror(errno));
            face.note(state, message_no_installed_fonts);
            status = 1;
            continue;
        }
        if (!write_whole(state, face, to.c_str(), [&bytes](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); })) {
            status = 1;
            continue;
        }
        face.say(state, message_copied_from, {to, from});
    }
    return status == 0 ? Outcome{} : said();
}

Outcome import_font_command(AppState& state, const Request& call) {
    const Face& face = call.face;
    const char* font_path = call.files[0];
    std::vector<std::uint8_t> data;
    const FontFileRead read = read_font_file(font_path, data);
    if (read.reason != no_message) {
        face.complain_file(state, message_cannot_read, font_path, read.reason, {read.detail});
        return said();
    }
    if (read.error != 0) {
        face.complain_file(state, message_cannot_read, font_path, std::strerror(read.error));
        return said();
    }
    const BitOrder order = call.order;
    const auto imported = std::make_unique<GlyphTable>();
    const FontImport font = read_any_font(data, call.face_index, call.size, order, *imported);
    if (font.error) {
        std::string place;
        if (font.error_place > 0) place = (font.place_is_offset ? ": byte " : ":") + std::to_string(font.error_place);
        std::string size;
        if (font.pixel_size != 0 && !font_of_dots(font.pixel_size)) size = " (it is " + std::to_string(font.pixel_size) + ")";
        face.complain(state, message_font_refused, {font_path, place, font.error, size});
        return said();
    }
    if (call.size != 0 && font.pixel_size != call.size) {
        face.complain(state, message_font_size_differs, {font_path, font.pixel_size, call.size});
        return said();
    }
    if (font.glyphs == 0) {
        face.complain(state, message_no_jis_glyph, {font_path});
        return said();
    }
    const std::string default_path = default_font_source(font.pixel_size);
    const char* out_path = call.output ? call.output : default_path.c_str();
    if (refused_as_output(state, face, out_path, font_path, message_output_is_imported_font)) return said();
    const auto write_source = [&font, &imported](std::FILE* file) {
        TextWriter out(file);
        write_font_source(out, *imported, font.pixel_size);
        return out.flush();
    };
    if (!write_whole(state, face, out_path, write_source)) return said();
    const bool msb_left = order == BitOrder::msb_left;
    face.say(state, font.skipped > 0 ? message_imported_skipped : message_imported,
        {out_path, font.glyphs, font.pixel_size, msb_left ? "msb-left" : "lsb-left", font.skipped});
    report_coverage(state, face, font_path, font);
    return {};
}

}  // namespace sorvane
