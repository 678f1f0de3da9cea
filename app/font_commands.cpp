#include <algorithm>
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
#include "app/encoded_text.h"
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

// Writes an output whole or not at all, through write, which returns the errno of what
// failed, or 0: the old file stays as it was when the writing fails; false, said, then.
template <typename Write>
bool write_whole(const AppState& state, const Face& face, const char* path, const Write& write) {
    OutputFile output(path);
    if (!output.file()) {
        face.complain_file(state, message_cannot_create_output, path, std::strerror(output.error()));
        return false;
    }
    const int written = write(output.file());
    if (const int error = output.finish(written == 0, written)) {
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

// The characters of a text to draw, as the reader takes a Shift_JIS or a UTF-8 string; a text
// in another encoding is converted to Shift_JIS. A line end at its end is no character, and a
// NUL ends the text, as it ends the reader's string. False, said, for bytes that are no
// character of another encoding.
bool text_characters(const AppState& state, const Request& call, std::string text, std::vector<TextCharacter>& characters) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (!call.encoding || is_utf8_name(call.encoding)) {
        characters = call.encoding ? characters_of_utf8(text) : characters_of_shift_jis(text);
        return true;
    }
    const auto decoder = std::make_unique<Decoder>(call.encoding);
    std::size_t bad = 0;
    if (characters_of_encoded(text, *decoder, characters, bad)) return true;
    call.face.complain(state, message_text_not_in_encoding, {call.text, bad, call.encoding});
    return false;
}

// The widest picture of a text, in pixels: a text is cut to the characters whose fields fit
// in it, so that a long one is neither a picture no viewer opens nor gigabytes of memory.
constexpr int text_picture_width = 8192;

// How many of the characters, from the first, fit in a picture of the widest width, each a
// field of its cell's width as the reader takes it, between two margins.
std::size_t characters_fitting(const IncludeFont& font, const std::vector<TextCharacter>& characters) {
    // No cell is narrower than half of one: more than this many never fit.
    const std::size_t most = static_cast<std::size_t>(text_picture_width / std::max(1, font.side / 2 * preview_scale)) + 1;
    const std::vector<TextCharacter> first(characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(std::min(most, characters.size())));
    int width = 2 * preview_gap;
    std::size_t n = 0;
    for (const TextCell& cell : text_cells(font, first)) {
        width += cell.width * preview_scale;
        if (width > text_picture_width) break;
        ++n;
    }
    return n;
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
    std::vector<TextCharacter> characters;
    if (call.text && !text_characters(state, call, message, characters)) return said();
    const std::size_t text_length = characters.size();
    characters.resize(characters_fitting(font, characters));
    const Picture picture = call.text ? draw_text_preview(font, call.order, characters)
                                      : draw_preview(font, call.order, include_file ? preview_columns : grid_side);
    if (!write_whole(state, face, out_path.c_str(), [&picture](std::FILE* file) { return write_png(file, picture); })) return said();
    if (call.text && characters.size() < text_length)
        face.say(state, message_drew_text_cut,
                 {out_path, call.text, font.side, picture.width, picture.height, characters.size(), text_length, text_picture_width});
    else if (call.text) face.say(state, message_drew_text, {out_path, call.text, font.side, picture.width, picture.height});
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

namespace {

// Copies the installed font source file of a suffix into a folder, unless one is there; false,
// said, when it cannot be copied or what is there is no file.
bool copy_installed(const AppState& state, const Face& face, const std::filesystem::path& installed,
                    const std::string& folder, const char* suffix) {
    const std::string name = std::string("Sorvane.") + suffix;
    const std::string from = (installed / name).string();
    const std::string to = folder + "/" + name;
    std::error_code error;
    if (std::filesystem::exists(to, error)) {
        // A folder or a FIFO in a font's place is no font: the user has to see it.
        if (is_special_file(to.c_str())) {
            face.complain_file(state, message_cannot_create_output, to, message_not_a_file);
            return false;
        }
        face.say(state, message_already_there, {to});
        return true;
    }
    std::string bytes;
    if (!read_whole_file(from.c_str(), bytes, 64u << 20)) {
        face.complain(state, message_no_installed_fonts, {from, std::strerror(errno)});
        return false;
    }
    const auto copy = [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() ? 0 : errno != 0 ? errno : EIO;
    };
    if (!write_whole(state, face, to.c_str(), copy)) return false;
    face.say(state, message_copied_from, {to, from});
    return true;
}

}  // namespace

// Copies the installed font source files and their half-width ones into a folder, DIR or the
// working one, made when it is not there; a file already there is left as it is.
Outcome init_command(AppState& state, const Request& call) {
    const Face& face = call.face;
    std::array<char, OutputFile::path_capacity> source{};
    if (!installed_font_folder(source.data(), source.size())) {
        face.complain(state, message_no_program_folder);
        return said();
    }
    const std::filesystem::path installed = std::filesystem::path(source.data()).lexically_normal();
    const std::string folder = call.files.empty() ? "." : call.files[0];
    // DIR's own settings file, where it has one, decides the language of what is said.
    if (const int language = settings_file_language((folder + "/Sorvane.ini").c_str()); language >= 0)
        state.language_value = language;
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
    bool copied = true;
    for (const FontKind& font : font_table) {
        copied = copy_installed(state, face, installed, folder, font.suffix) && copied;
        copied = copy_installed(state, face, installed, folder, font.half_suffix) && copied;
    }
    return copied ? Outcome{} : said();
}

namespace {

// Reads a font file and the glyphs of it; false, said, when it cannot be read or is refused.
bool read_font(const AppState& state, const Face& face, const char* font_path, const Request& call, GlyphTable& glyphs,
               HalfTable& half, FontImport& font) {
    std::vector<std::uint8_t> data;
    const FontFileRead read = read_font_file(font_path, data);
    if (read.reason != no_message) {
        face.complain_file(state, message_cannot_read, font_path, read.reason, {read.detail});
        return false;
    }
    if (read.error != 0) {
        face.complain_file(state, message_cannot_read, font_path, std::strerror(read.error));
        return false;
    }
    font = read_any_font(data, call.face_index, call.size, call.order, glyphs, &half);
    if (font.error) {
        std::string place;
        if (font.error_place > 0) place = (font.place_is_offset ? ": byte " : ":") + std::to_string(font.error_place);
        std::string size;
        if (font.pixel_size != 0 && !font_of_dots(font.pixel_size)) size = " (it is " + std::to_string(font.pixel_size) + ")";
        face.complain(state, message_font_refused, {font_path, place, font.error, size});
        return false;
    }
    if (call.size != 0 && font.pixel_size != call.size) {
        face.complain(state, message_font_size_differs, {font_path, font.pixel_size, call.size});
        return false;
    }
    return true;
}

// Takes the half-width glyphs of --half's font, of the size of the first one; false, said,
// when it cannot be read, is of another size or has none.
bool read_half_font(const AppState& state, const Face& face, const Request& call, int pixel_size, HalfTable& half,
                    FontImport& font) {
    Request second = call;
    second.size = pixel_size;
    const auto unused = std::make_unique<GlyphTable>();
    if (!read_font(state, face, call.half_font, second, *unused, half, font)) return false;
    if (font.half_glyphs == 0) {
        face.complain(state, message_no_half_glyph, {call.half_font});
        return false;
    }
    return true;
}

// The half-width font source file beside a font source file: Sorvane.H16 beside Sorvane.J16,
// else the file's name with the half-width suffix added.
std::string half_source_beside(const std::string& source, const FontKind& font) {
    const std::string suffix = std::string(".") + font.suffix;
    if (source.size() >= suffix.size() && source.compare(source.size() - suffix.size(), suffix.size(), suffix) == 0)
        return source.substr(0, source.size() - 3) + font.half_suffix;
    return source + "." + font.half_suffix;
}

// Writes a font source file of records; false, said, when it cannot be written whole.
bool write_source(const AppState& state, const Face& face, const char* font_path, const char* out_path,
                  std::span<const GlyphRecord> records, int rows) {
    if (refused_as_output(state, face, out_path, font_path, message_output_is_imported_font)) return false;
    return write_whole(state, face, out_path, [&records, rows](std::FILE* file) {
        TextWriter out(file);
        write_font_source(out, records, rows);
        out.flush();
        return out.error();
    });
}

}  // namespace

// A font's glyphs go to the font source file of its size, its half-width glyphs (or those of
// --half's font) to the half-width one beside it. A JIS X 0201 font has only the second.
Outcome import_font_command(AppState& state, const Request& call) {
    const Face& face = call.face;
    const char* font_path = call.files[0];
    const auto imported = std::make_unique<GlyphTable>();
    const auto half = std::make_unique<HalfTable>();
    FontImport font;
    if (!read_font(state, face, font_path, call, *imported, *half, font)) return said();
    FontImport half_font = font;
    if (call.half_font && !read_half_font(state, face, call, font.pixel_size, *half, half_font)) return said();
    if (font.glyphs == 0 && half_font.half_glyphs == 0) {
        face.complain(state, message_no_jis_glyph, {font_path});
        return said();
    }
    const FontKind& kind = *font_of_dots(font.pixel_size);
    const std::string full_path = call.output ? call.output : std::string("Sorvane.") + kind.suffix;
    const std::string half_path = font.glyphs == 0 && call.output ? full_path : half_source_beside(full_path, kind);
    if (font.glyphs > 0) {
        if (!write_source(state, face, font_path, full_path.c_str(), *imported, font.pixel_size)) return said();
        const bool msb_left = call.order == BitOrder::msb_left;
        face.say(state, font.skipped > 0 ? message_imported_skipped : message_imported,
                 {full_path, font.glyphs, font.pixel_size, msb_left ? "msb-left" : "lsb-left", font.skipped});
        report_coverage(state, face, font_path, font);
    }
    if (half_font.half_glyphs > 0) {
        const char* from = call.half_font ? call.half_font : font_path;
        if (!write_source(state, face, from, half_path.c_str(), *half, font.pixel_size)) return said();
        face.say(state, message_imported_half, {half_path, half_font.half_glyphs, font.pixel_size});
    }
    return {};
}

}  // namespace sorvane
